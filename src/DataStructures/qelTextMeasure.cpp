#include "qelTextMeasure.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace
{
struct FaceHolder {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FaceHolder()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};
}

int qelMeasureText(const char* fontFile, double pointSize, int resolution, const uint32_t* chars, int count,
                   float extents[4])
{
    if (!fontFile || !extents || count < 0 || (count > 0 && !chars) || !(pointSize > 0.0) || resolution <= 0
        || pointSize > 10000.0)
        return -1;
    FaceHolder h;
    if (FT_Init_FreeType(&h.library) != 0)
        return -1;
    if (FT_New_Face(h.library, fontFile, 0, &h.face) != 0)
        return -1;
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(pointSize * 64.0));
    if (FT_Set_Char_Size(h.face, 0, size, static_cast<FT_UInt>(resolution), static_cast<FT_UInt>(resolution)) != 0)
        return -1;

    // In 26.6 units; y upwards as FreeType gives it.
    long pen = 0;
    long minX = 0, maxX = 0, maxY = 0, minY = 0;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const FT_UInt index = FT_Get_Char_Index(h.face, chars[i]);
        if (FT_Load_Glyph(h.face, index, FT_LOAD_NO_BITMAP) != 0)
            continue;
        const FT_Glyph_Metrics& m = h.face->glyph->metrics;
        const long left = pen + m.horiBearingX;
        const long right = left + m.width;
        const long top = m.horiBearingY;
        const long bottom = m.horiBearingY - m.height;
        if (!any) {
            minX = left;
            maxX = right;
            maxY = top;
            minY = bottom;
            any = true;
        } else {
            minX = std::min(minX, left);
            maxX = std::max(maxX, right);
            maxY = std::max(maxY, top);
            minY = std::min(minY, bottom);
        }
        pen += h.face->glyph->advance.x;
    }
    maxX = std::max(maxX, pen);
    minX = std::min(minX, 0L);
    extents[0] = static_cast<float>(minX) / 64.0f;
    extents[1] = static_cast<float>(-maxY) / 64.0f;
    extents[2] = static_cast<float>(maxX) / 64.0f;
    extents[3] = static_cast<float>(-minY) / 64.0f;
    return 0;
}
