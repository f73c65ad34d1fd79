#ifndef DE_ORVO_IPS_GLYPH_METRIC_RECORD_H
#define DE_ORVO_IPS_GLYPH_METRIC_RECORD_H

#include <cstdint>

namespace de { namespace orvo { namespace ips {

// Seven metric values of a glyph for one orientation, in this order:
// character increment, ascender height, descender depth, A-space, B-space,
// C-space, baseline offset. NOT_SET marks a value that is not given.
struct GlyphMetricRecord
{
    enum : int32_t { NOT_SET = 2147483647, VALUE_COUNT = 7 };
    int32_t values[VALUE_COUNT] = {NOT_SET, NOT_SET, NOT_SET, NOT_SET, NOT_SET, NOT_SET, NOT_SET};
};

}}}

#endif
