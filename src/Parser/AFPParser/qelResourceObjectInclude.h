#ifndef QEL_RESOURCE_OBJECT_INCLUDE_H
#define QEL_RESOURCE_OBJECT_INCLUDE_H

#include <cstdint>

// One Resource Object Include triplet: an overlay or page segment placed at
// an offset with an orientation.
struct qelResourceObjectInclude
{
    uint8_t objectType = 0;
    char name[9] = {};
    int32_t xOffset = 0;
    int32_t yOffset = 0;
    uint16_t orientation = 0;
};

#endif
