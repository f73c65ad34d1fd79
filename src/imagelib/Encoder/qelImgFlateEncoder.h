#ifndef QEL_IMG_FLATE_ENCODER_H
#define QEL_IMG_FLATE_ENCODER_H

#include "qelImgEncoder.h"

struct z_stream_s;

// Pixel rows as one zlib stream into the output stream.
class qelImgFlateEncoder : public qelImgEncoder
{
public:
    explicit qelImgFlateEncoder(qelImgIOStream* stream);
    ~qelImgFlateEncoder() override;

    int typeId() override { return TYPE_FLATE; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    // 1 for a row taken, -1 without information.
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char*, int) override { return 1; }
    int encode(qelImgDIB* dib) override;
    // The decoder's stored data in one piece at zlib's default level.
    int encode(qelImgDecoder* decoder) override;

    unsigned int getOutputSize() const { return m_outputSize; }

private:
    void release();
    void flush(unsigned int bytes);

    z_stream_s* m_zstream = nullptr;
    unsigned int m_outputSize = 0;
    unsigned char* m_output = nullptr;
};

#endif
