#ifndef QEL_FONT_HANDLE_H
#define QEL_FONT_HANDLE_H

#include <cstdint>
#include <string>

// Rendering font that a raster back end made for a coded font and caches
// on it. The back ends derive from it and add the font itself.
class qelFontHandle
{
public:
    virtual ~qelFontHandle() = default;

    // A copy of the text, or unset for null.
    void setFaceName(const char* name);
    void setCodePageName(const char* name);
    // Null when unset.
    const char* getFaceName() const { return m_hasFaceName ? m_faceName.c_str() : nullptr; }
    const char* getCodePageName() const { return m_hasCodePageName ? m_codePageName.c_str() : nullptr; }

    // True only when the numbers are equal and both names are set on both
    // sides and equal ignoring case.
    bool matches(uint8_t style, int32_t height, int32_t width, int16_t rotation, int16_t characterRotation,
                 const char* faceName, const char* codePageName) const;

    // Set by the subclass (GDI: its substitute flag).
    uint8_t kind = 0;
    // Style the font was made for (GDI: the underline flag).
    uint8_t style = 0;
    int32_t height = 0;
    int32_t width = 0;
    // 360 minus the text's orientation.
    int16_t rotation = 0;
    int16_t characterRotation = 0;

private:
    std::string m_faceName;
    std::string m_codePageName;
    bool m_hasFaceName = false;
    bool m_hasCodePageName = false;
};

#endif
