#ifndef QEL_AFP_CHAR_METRICS_H
#define QEL_AFP_CHAR_METRICS_H

#include <cstdint>

// Metrics of one character in font units, per orientation index 0..3.
// Minimal form: the metrics model fills in the rest.
class qelAFPCharMetrics
{
public:
    virtual ~qelAFPCharMetrics() = default;

    int16_t getCharIncrement(int orientation) const { return valid(orientation) ? m_increment[orientation] : 0; }
    int16_t getAscenderHeight(int orientation) const { return valid(orientation) ? m_ascender[orientation] : 0; }
    int16_t getDescenderDepth(int orientation) const { return valid(orientation) ? m_descender[orientation] : 0; }

    void setCharIncrement(int orientation, int16_t v) { if (valid(orientation)) m_increment[orientation] = v; }
    void setAscenderHeight(int orientation, int16_t v) { if (valid(orientation)) m_ascender[orientation] = v; }
    void setDescenderDepth(int orientation, int16_t v) { if (valid(orientation)) m_descender[orientation] = v; }

private:
    static bool valid(int orientation) { return orientation >= 0 && orientation < 4; }
    int16_t m_increment[4] = {0, 0, 0, 0};
    int16_t m_ascender[4] = {0, 0, 0, 0};
    int16_t m_descender[4] = {0, 0, 0, 0};
};

#endif
