#ifndef QEL_AFP_CHARACTER_METRICS_RECORD_H
#define QEL_AFP_CHARACTER_METRICS_RECORD_H

#include <cstdint>

namespace qel
{
namespace afp
{

// The metrics of one character in one rotation, in the font's units; the
// name is borrowed.
struct CharacterMetricsRecord
{
    const char* name;
    int16_t aSpace;
    int16_t bSpace;
    int16_t cSpace;
    int16_t characterIncrement;
    int16_t ascenderHeight;
    int16_t descenderDepth;
    int16_t baselineOffset;
};

} // namespace afp
} // namespace qel

#endif
