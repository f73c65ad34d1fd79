#ifndef QEL_MAPPING_DEF_H
#define QEL_MAPPING_DEF_H

// Font mapping definition. Minimal form: the font mapping issue fills in
// the rest.
class qelMappingDef
{
public:
    virtual ~qelMappingDef() = default;
    // Rendering mode of a character set; 0 selects binding by code points.
    virtual int getCharSetRenderingMode(const char* characterSetName) = 0;
    // Finds the font file of an external font: 1 found, 2 found through the
    // DEFAULT entry, -1 none. fontPath receives the file (caller's buffer).
    virtual int resolveFontFile(const char* typefaceName, const char* fontName, bool bold, bool italic,
                                char* fontPath, int fontPathSize) = 0;
};

#endif
