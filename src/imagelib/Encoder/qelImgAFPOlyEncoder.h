#ifndef QEL_IMG_AFP_OLY_ENCODER_H
#define QEL_IMG_AFP_OLY_ENCODER_H

#include "qelImgAFPEncoder.h"

class qelImgAFPOly;

// One page of an image as an AFP overlay: the IOCA encoder makes the
// image object in memory and the overlay is written around it.
class qelImgAFPOlyEncoder : public qelImgAFPEncoder
{
public:
    qelImgAFPOlyEncoder() = default;
    explicit qelImgAFPOlyEncoder(qelImgIOStream* stream) : qelImgAFPEncoder(stream) {}
    ~qelImgAFPOlyEncoder() override;

    int typeId() override { return TYPE_AFP_OVERLAY; }
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char* palette, int count) override;
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;

    qelImgAFPOly* getOverlay() { return m_overlay; }

private:
    qelImgAFPOly* m_overlay = nullptr;
};

#endif
