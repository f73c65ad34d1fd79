#ifndef QEL_TYPE3_FONT_BUILDER_H
#define QEL_TYPE3_FONT_BUILDER_H

#include "qelFontBuilder.h"

#include <cstdint>
#include <string>

class qelAFPCharMetrics;
class qelAFPFontMetrics;
class qelIPSFontRepresentation;
struct qelType3CharProc;

// Makes a PDF Type 3 font of an AFP raster font prepared for one code page:
// one procedure per code that draws the raster pattern as an image mask,
// the widths of the code range and the Differences text.
class qelType3FontBuilder : public qelFontBuilder
{
public:
    qelType3FontBuilder() = default;

    // A new qelType3FontRepresentation; throws E008 for a null source and
    // E114 for every other failure.
    qelRepresentation* build(qelRepresentation* source) override;

    // Name written for a glyph name: PDF delimiters, blanks, '#' and bytes
    // outside the printable range as #xx.
    static std::string pdfName(const char* name);

private:
    qelType3CharProc* buildGlyphProc(const qelIPSFontRepresentation* source, const qelAFPCharMetrics* metrics,
                                     bool uniformASpace, int minASpace, int width, float size);
    qelType3CharProc* buildSpaceProc(const qelIPSFontRepresentation* source, int width);
    void addDifference(int code, const char* name);
    void addSpaceDifference(int code) { addDifference(code, "QELSPACE"); }
    bool logsAll() const;
    bool logs(unsigned int bits) const;

    std::string m_differences;
    int m_lastCode = -1;
    float m_metricScale = 1.0f;
    float m_patternScale = 1.0f;
    const qelAFPFontMetrics* m_metrics = nullptr;
};

#endif
