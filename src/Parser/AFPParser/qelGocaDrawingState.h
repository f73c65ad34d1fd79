#ifndef QEL_GOCA_DRAWING_STATE_H
#define QEL_GOCA_DRAWING_STATE_H

#include <cstdint>

// The attributes a GOCA drawing order works with.
struct qelGocaAttributes
{
    int32_t color = 0;
    uint8_t mix = 2;
    uint8_t backgroundMix = 5;
    uint8_t patternSet = 0;
    // 16 solid fill, 15 no fill.
    uint8_t patternSymbol = 16;
    // Multiple of the normal line width.
    float lineWidth = 1.0f;
    uint8_t lineType = 7;
    uint8_t markerPrecision = 2;
    uint8_t markerSet = 0;
    uint8_t markerSymbol = 1;
    // Major axis point (P, Q) and minor axis point (R, S). P = Q = 1 makes
    // a full arc without arc parameters a circle of the multiplier's radius.
    float arcP = 1.0f;
    float arcQ = 1.0f;
    float arcR = 0.0f;
    float arcS = 0.0f;
    uint8_t charSet = 0;
    uint8_t charPrecision = 2;
    uint8_t charDirection = 1;
    int32_t charAngle = 0;
    float charCellWidth = 0.0f;
    float charCellHeight = 0.0f;
};

// Drawing defaults (changed by Set Current Defaults) and the current
// attributes (changed by the orders; what the objects receive).
class qelGocaDrawingState
{
public:
    // Standard defaults, copied into the current attributes.
    void reset()
    {
        defaults = qelGocaAttributes();
        applyDefaults();
    }
    void applyDefaults() { current = defaults; }

    qelGocaAttributes defaults;
    qelGocaAttributes current;
};

#endif
