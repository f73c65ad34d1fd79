#ifndef QEL_IMG_AFP_ENCODER_H
#define QEL_IMG_AFP_ENCODER_H

#include "qelImgEncoder.h"

class qelImgVisitor;

// Base of the AFP encoders: owns the visitor they write with.
class qelImgAFPEncoder : public qelImgEncoder
{
public:
    qelImgAFPEncoder() = default;
    explicit qelImgAFPEncoder(qelImgIOStream* stream) : qelImgEncoder(stream) {}
    ~qelImgAFPEncoder() override;

    int typeId() override { return TYPE_AFP; }

    // Deletes the visitor held before.
    void setVisitor(qelImgVisitor* visitor);
    qelImgVisitor* getVisitor() { return m_visitor; }

protected:
    qelImgVisitor* m_visitor = nullptr;
};

#endif
