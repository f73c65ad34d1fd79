#ifndef QEL_AFP_CHAR_METRICS_H
#define QEL_AFP_CHAR_METRICS_H

#include "qelCharMetrics.h"

#include <cstdint>
#include <type_traits>

class qelString;

// Metrics of one character of an AFP character set per rotation index
// (0, 90, 180, 270 degrees; any other index reads rotation 0). The first
// value set for any rotation also stands for rotation 0 until rotation 0
// itself is set. Unset marks: 0xFFFF for the unsigned values, 0x8000 for
// the signed ones.
class qelAFPCharMetrics : public qelCharMetrics
{
public:
    enum { UNSET_UNSIGNED = 0xFFFF, UNSET_SIGNED = -32768 };

    qelAFPCharMetrics() = default;
    ~qelAFPCharMetrics() override;

    using qelCharMetrics::setGlyphName;
    // Rotation 0 replaces the GCGID; any other rotation sets it only when
    // none is set.
    void setGlyphName(int rotation, const char* name);

    // Technology-specific name of the character (for example a Type 1 glyph
    // name); null when unset.
    const char* getFontSpecificName() const;
    void setFontSpecificName(const char* name);

    uint16_t getCharIncrement(int rotation) const { return m_charIncrement[index(rotation)]; }
    int16_t getAscenderHeight(int rotation) const { return m_ascenderHeight[index(rotation)]; }
    int16_t getDescenderDepth(int rotation) const { return m_descenderDepth[index(rotation)]; }
    int16_t getASpace(int rotation) const { return m_aSpace[index(rotation)]; }
    uint16_t getBSpace(int rotation) const { return m_bSpace[index(rotation)]; }
    int16_t getCSpace(int rotation) const { return m_cSpace[index(rotation)]; }
    int16_t getBaselineOffset(int rotation) const { return m_baselineOffset[index(rotation)]; }

    void setCharIncrement(int rotation, uint16_t v) { set(m_charIncrement, uint16_t(UNSET_UNSIGNED), rotation, v); }
    void setAscenderHeight(int rotation, int16_t v) { set(m_ascenderHeight, int16_t(UNSET_SIGNED), rotation, v); }
    void setDescenderDepth(int rotation, int16_t v) { set(m_descenderDepth, int16_t(UNSET_SIGNED), rotation, v); }
    void setASpace(int rotation, int16_t v) { set(m_aSpace, int16_t(UNSET_SIGNED), rotation, v); }
    void setBSpace(int rotation, uint16_t v) { set(m_bSpace, uint16_t(UNSET_UNSIGNED), rotation, v); }
    void setCSpace(int rotation, int16_t v) { set(m_cSpace, int16_t(UNSET_SIGNED), rotation, v); }
    void setBaselineOffset(int rotation, int16_t v) { set(m_baselineOffset, int16_t(UNSET_SIGNED), rotation, v); }

private:
    static int index(int rotation) { return rotation >= 0 && rotation < 4 ? rotation : 0; }
    template <class T>
    static void set(T (&values)[4], typename std::common_type<T>::type unset, int rotation,
                    typename std::common_type<T>::type v)
    {
        if (rotation != 0 && values[0] == static_cast<T>(unset))
            values[0] = static_cast<T>(v);
        if (rotation >= 0 && rotation < 4)
            values[rotation] = static_cast<T>(v);
    }

    qelString* m_fontSpecificName = nullptr;
    uint16_t m_charIncrement[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    int16_t m_ascenderHeight[4] = {UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED};
    int16_t m_descenderDepth[4] = {UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED};
    int16_t m_aSpace[4] = {UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED};
    uint16_t m_bSpace[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    int16_t m_cSpace[4] = {UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED};
    int16_t m_baselineOffset[4] = {UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED, UNSET_SIGNED};
};

#endif
