#ifndef QEL_FONT_HANDLE_H
#define QEL_FONT_HANDLE_H

#include <cstdint>
#include <string>

// Rendering font that a raster back end made for a coded font. Minimal
// form: the fields a coded font matches; the back ends add the font itself.
class qelFontHandle
{
public:
    virtual ~qelFontHandle() = default;

    bool underline = false;
    int32_t height = 0;
    int32_t width = 0;
    int16_t rotation = 0;
    int16_t characterRotation = 0;
    std::string typefaceName;
    std::string codePageName;
};

#endif
