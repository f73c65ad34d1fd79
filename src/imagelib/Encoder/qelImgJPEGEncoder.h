#ifndef QEL_IMG_JPEG_ENCODER_H
#define QEL_IMG_JPEG_ENCODER_H

#include "qelImgEncoder.h"
#include "qelImgJPEGShim.h"

// Rows of 8, 24 or 32 bits as a baseline JPEG into the output stream.
class qelImgJPEGEncoder : public qelImgEncoder
{
public:
    explicit qelImgJPEGEncoder(qelImgIOStream* stream);
    ~qelImgJPEGEncoder() override;

    int typeId() override { return TYPE_JPEG; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    // Fewer rows than the height abandon the stream and throw OIL025.
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char*, int) override { return 0; }
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;

    // Abandons and frees the compressor.
    void cleanup();
    // OIL025 when the depth does not suit the ColorSpace parameter.
    void checkBitsPerPixel(int bits);

private:
    template <class Call>
    void run(Call& call, const char* label);
    void startCompress(int width, int height, int bits);
    void setProperties(int width, int height, int bits);
    void release();

    jpeg_compress_struct* m_cinfo = nullptr;
    qelImgJPEGError m_error;
};

#endif
