#ifndef QEL_AFP_FONT_METRICS_H
#define QEL_AFP_FONT_METRICS_H

#include "qelFontMetrics.h"

// Font metrics of an AFP character set: the rotations present and the
// per-rotation font values. Unset marks: 0x8000 for the maximum ascender
// height and descender depth, 0xFFFF for the default baseline increment,
// -32768 for the minimum A-space; the space character increment starts at 0.
class qelAFPFontMetrics : public qelFontMetrics
{
public:
    enum { UNSET_UNSIGNED = 0xFFFF, UNSET_MIN_ASPACE = -32768 };

    // Appends a rotation index while fewer than four are listed.
    void addOrientation(int rotation);
    bool hasOrientation(int rotation) const;
    int32_t getOrientationCount() const { return m_orientationCount; }
    const int32_t* getOrientations() const { return m_orientations; }

    void setMaxAscenderHeight(int rotation, int16_t v) { setOriented(m_maxAscender, int16_t(UNSET16), rotation, v); }
    int16_t getMaxAscenderHeight(int rotation) const { return m_maxAscender[index(rotation)]; }
    void setMaxDescenderDepth(int rotation, int16_t v) { setOriented(m_maxDescender, int16_t(UNSET16), rotation, v); }
    int16_t getMaxDescenderDepth(int rotation) const { return m_maxDescender[index(rotation)]; }
    // 0xFFFF while no reader has set it.
    void setDefaultBaselineIncrement(int rotation, uint16_t v)
    {
        setOriented(m_defaultBaselineIncrement, uint16_t(UNSET_UNSIGNED), rotation, v);
    }
    uint16_t getDefaultBaselineIncrement(int rotation) const { return m_defaultBaselineIncrement[index(rotation)]; }
    // Rotation 0 inherits only while it holds 0xFFFF, which its initial
    // value 0 never is: rotation 0 keeps its own value.
    void setSpaceCharIncrement(int rotation, uint16_t v)
    {
        setOriented(m_spaceCharIncrement, uint16_t(UNSET_UNSIGNED), rotation, v);
    }
    uint16_t getSpaceCharIncrement(int rotation) const { return m_spaceCharIncrement[index(rotation)]; }
    void setMinASpace(int rotation, int32_t v) { setOriented(m_minASpace, int32_t(UNSET_MIN_ASPACE), rotation, v); }
    int32_t getMinASpace(int rotation) const { return m_minASpace[index(rotation)]; }
    void setUniformASpace(int rotation, bool on)
    {
        if (rotation >= 0 && rotation < 4)
            m_uniformASpace[rotation] = on;
    }
    bool isUniformASpace(int rotation) const { return m_uniformASpace[index(rotation)]; }

private:
    int32_t m_orientationCount = 0;
    int32_t m_orientations[4] = {4, 4, 4, 4};
    int16_t m_maxAscender[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    int16_t m_maxDescender[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    uint16_t m_defaultBaselineIncrement[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    uint16_t m_spaceCharIncrement[4] = {0, 0, 0, 0};
    int32_t m_minASpace[4] = {UNSET_MIN_ASPACE, UNSET_MIN_ASPACE, UNSET_MIN_ASPACE, UNSET_MIN_ASPACE};
    bool m_uniformASpace[4] = {false, false, false, false};
};

#endif
