#ifndef QEL_TEXT_MEASURE_H
#define QEL_TEXT_MEASURE_H

#include <cstdint>

// Measures a text set in a font file: fills left, top, right, bottom of the
// text at the origin in pixels at the given resolution (y grows downwards).
// Returns 0, or -1 when the font cannot be read or the arguments are bad.
int qelMeasureText(const char* fontFile, double pointSize, int resolution, const uint32_t* chars, int count,
                   float extents[4]);

#endif
