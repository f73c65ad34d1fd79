#ifndef QEL_IMG_AFP_IOCA_ENCODER_H
#define QEL_IMG_AFP_IOCA_ENCODER_H

#include "qelImgAFPEncoder.h"

class qelImgAFPIOCAImage;
class qelImgBufferIOStream;

// One IOCA image: bilevel images as function set 10 (the source's CCITT
// data passed through, or re-encoded as G4), grey and colour images as
// function set 11 (JPEG). Written at finalize, with the wrapping fields
// when "Write IOCA Image With Wrapper SFIs" is 1.
class qelImgAFPIOCAEncoder : public qelImgAFPEncoder
{
public:
    explicit qelImgAFPIOCAEncoder(qelImgIOStream* stream);
    ~qelImgAFPIOCAEncoder() override;

    int typeId() override { return TYPE_AFP_IOCA; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    // In line mode rows go through writeLine to an inner CCITT or JPEG encoder.
    void initializeLineMode(qelImgParamValue* params, qelImgInfo* info, bool lineMode);
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char* palette, int count) override;
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;

    qelImgAFPIOCAImage* getIOCAImage() { return m_image; }

private:
    bool functionSet10() const;
    void initializeForFS10();
    void initializeForFS11();
    void encodeAsFS10(qelImgDecoder* decoder);
    void encodeAsFS11(qelImgDecoder* decoder);
    // Replaces the record.
    void setIOCAImage(int width, int height, int fillOrder, int bits, int compression, int recording,
                      const unsigned char* data, int length);
    void dropInner();
    int xResolution() const;
    int yResolution() const;

    qelImgAFPIOCAImage* m_image = nullptr;
    bool m_lineMode = false;
    qelImgEncoder* m_inner = nullptr;
    qelImgBufferIOStream* m_innerStream = nullptr;
    qelImgInfo* m_innerInfo = nullptr;
};

#endif
