#ifndef QEL_IMG_CX_ENCODER_H
#define QEL_IMG_CX_ENCODER_H

#include "qelImgEncoder.h"

// BMP, PNG, GIF or PCX through the CxImage stand-in: the bitmap goes to
// CxImage in its DIB format and CxImage writes the target format.
class qelImgCxEncoder : public qelImgEncoder
{
public:
    qelImgCxEncoder() = default;
    // PNG.
    explicit qelImgCxEncoder(qelImgIOStream* stream);
    // The image type of the output: 6 BMP, 10 PNG, 12 PCX, 13 GIF.
    qelImgCxEncoder(qelImgIOStream* stream, int targetFormat);

    int typeId() override { return TYPE_CXIMAGE; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char*, int) override { return 0; }
    // Keeps the bitmap (borrowed) and encodes it.
    int encode(qelImgDIB* dib) override;
    // The bitmap of an earlier encode(dib), else the decoder's decoded page.
    int encode(qelImgDecoder* decoder) override;

    int getTargetFormat() const { return m_targetFormat; }

private:
    qelImgDIB* m_dib = nullptr;
    int m_targetFormat = 10;
};

#endif
