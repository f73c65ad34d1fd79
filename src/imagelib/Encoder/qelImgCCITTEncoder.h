#ifndef QEL_IMG_CCITT_ENCODER_H
#define QEL_IMG_CCITT_ENCODER_H

#include "qelImgEncoder.h"

#include <tiffio.h>

class qelImgBufferIOStream;

// Bilevel rows as one CCITT G3 (encode type 11) or G4 (any other) strip:
// the TIFF library codes them into a TIFF in memory and only the strip
// goes to the output stream. Bit value 1 is black.
class qelImgCCITTEncoder : public qelImgEncoder
{
public:
    qelImgCCITTEncoder();
    explicit qelImgCCITTEncoder(qelImgIOStream* stream);
    ~qelImgCCITTEncoder() override;

    int typeId() override { return TYPE_CCITT; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char*, int) override { return 0; }
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;

    // OIL045 for any depth but 1.
    void checkBitsPerPixel(int bits);
    // Rows given to encode(decoder) are inverted first.
    void setInvert(int flag) { m_invert = flag; }

private:
    void initialize(int width, int height, int bits);
    void closeHandle();

    TIFF* m_tiff = nullptr;
    qelImgBufferIOStream* m_work = nullptr;
    int m_invert = 0;
};

#endif
