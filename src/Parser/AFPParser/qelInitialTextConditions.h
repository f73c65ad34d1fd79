#ifndef QEL_INITIAL_TEXT_CONDITIONS_H
#define QEL_INITIAL_TEXT_CONDITIONS_H

#include <cstdint>

// Start values of the text state of a page or overlay, read from the
// control sequences of its Presentation Text Descriptor.
struct qelInitialTextConditions
{
    int32_t inlinePosition = 0;
    int32_t baselinePosition = 0;
    int32_t baselineIncrement = 0;
    uint8_t fontLocalId = 255;
    int32_t inlineMargin = 0;
    int32_t interCharacterAdjustment = 0;
    uint32_t textColor = 0xFFFF;
    int32_t iAxisWord = 0;
    int32_t bAxisWord = 90;
    int32_t iAxisDegrees = 0;
    int32_t iAxisMinutes = 0;
    int32_t bAxisDegrees = 90;
    int32_t bAxisMinutes = 0;
    int32_t colorSpace = 5;
};

#endif
