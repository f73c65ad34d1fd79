#ifndef QEL_BOUNDING_BOX_H
#define QEL_BOUNDING_BOX_H

// Box of a presentation object in object units: top-left and bottom-right.
struct qelBoundingBox
{
    float topLeftX = 0.0f;
    float topLeftY = 0.0f;
    float bottomRightX = 0.0f;
    float bottomRightY = 0.0f;
};

#endif
