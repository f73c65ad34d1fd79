#ifndef QEL_POINT_H
#define QEL_POINT_H

// A position in object or page units.
struct qelPoint
{
    float x = 0.0f;
    float y = 0.0f;
};

#endif
