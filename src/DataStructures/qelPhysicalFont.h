#ifndef QEL_PHYSICAL_FONT_H
#define QEL_PHYSICAL_FONT_H

class qelCodePage;
class qelFontMetrics;

// Per-size physical font entry of a coded font. Minimal form: the font
// resource fills in the rest. Texts and data are not owned here.
struct qelPhysicalFont
{
    float size = 0.0f;
    const char* codedFontName = nullptr;
    const char* characterSetName = nullptr;
    const char* codePageName = nullptr;
    const char* fourthName = nullptr;
    // 0 plain, 1 mapping definition, 2 page definition, 255 none.
    int characterSetOrigin = 255;
    // Character set and code page data used for metrics.
    qelFontMetrics* characterSetMetrics = nullptr;
    int characterSetResolution = 0;
    bool relativeMetrics = false;
    qelCodePage* codePage = nullptr;
};

#endif
