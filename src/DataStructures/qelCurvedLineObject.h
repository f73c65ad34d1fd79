#ifndef QEL_CURVED_LINE_OBJECT_H
#define QEL_CURVED_LINE_OBJECT_H

#include "qelLineObject.h"

// Common base part of fillets and arcs; adds nothing to the line.
class qelCurvedLineObject : public qelLineObject
{
public:
    qelCurvedLineObject(int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix, int32_t backgroundMix)
        : qelLineObject(lineType, lineWidth, colorValue, mix, backgroundMix)
    {
    }
    int kind() const override { return KIND_CURVED_LINE; }
};

#endif
