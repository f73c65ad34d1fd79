#ifndef QEL_WIDTH_ENTRY_H
#define QEL_WIDTH_ENTRY_H

#include <cstdint>

// Width of a code or CID range of a PDF input font, in output units.
struct qelWidthEntry
{
    uint32_t firstCode = 0;
    uint32_t lastCode = 0;
    double width = 0.0;
};

#endif
