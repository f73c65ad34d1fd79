#ifndef QEL_LIB_OUTPUT_PROFILE_H
#define QEL_LIB_OUTPUT_PROFILE_H

#include "qel/afp/Profile.h"

#include <cstdint>

namespace qel
{

// Interchange level and compliance switches of the AFP output: level 2
// MO:DCA-P, 3 IS/1, 4 IS/2; 0 (not set) reads like MO:DCA-P.
class OutputProfile : public Profile
{
public:
    enum { LEVEL_MODCA_P = 2, LEVEL_IS1 = 3, LEVEL_IS2 = 4 };

    OutputProfile() = default;
    ~OutputProfile() override;

    void setLevel(int level) { m_level = level; }
    int getLevel() const { return m_level; }
    void setStrictCompliance(bool on) { m_strict = on ? 1 : 0; }
    bool isStrictCompliance() const { return m_strict != 0; }
    void setNamedColorsAllowed(bool on) { m_namedColors = on ? 1 : 0; }
    bool areNamedColorsAllowed() const { return m_namedColors != 0; }
    void setExtendedTextColorAllowed(bool on) { m_extendedTextColor = on ? 1 : 0; }
    bool isExtendedTextColorAllowed() const { return m_extendedTextColor != 0; }
    void setProcessColorAllowed(bool on) { m_processColor = on ? 1 : 0; }
    bool isProcessColorAllowed() const { return m_processColor != 0; }

private:
    int32_t m_level = 0;
    unsigned char m_strict = 0;
    unsigned char m_namedColors = 1;
    unsigned char m_extendedTextColor = 0;
    unsigned char m_processColor = 0;
};

} // namespace qel

#endif
