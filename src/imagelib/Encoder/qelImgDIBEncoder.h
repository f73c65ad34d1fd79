#ifndef QEL_IMG_DIB_ENCODER_H
#define QEL_IMG_DIB_ENCODER_H

#include "qelImgEncoder.h"

struct qelImgDIBHeader;

// Writes the library's bitmap block (header, colour table, rows as held)
// into the output stream.
class qelImgDIBEncoder : public qelImgEncoder
{
public:
    qelImgDIBEncoder() = default;
    explicit qelImgDIBEncoder(qelImgIOStream* stream);

    int typeId() override { return TYPE_DIB; }
    // A memory stream starts at the block's size.
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char* palette, int count) override;
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;

    // The 40-byte header of the kept information and resolution parameters.
    void writeHeader();
    // Black then white for 1 bit; 0, or -1 without information or stream.
    int writeMonoColorTable();

    // As the bitmap helpers' header, but 25 to 32 bits give 32 and the
    // colours-used field is 0. Delete it.
    static qelImgDIBHeader* createDIBHeader(int width, int height, int bitsPerPixel, int xDpi, int yDpi);

private:
    void writeBlock(const qelImgDIB* dib);
};

#endif
