#ifndef QEL_AFPCS_BUILDER_H
#define QEL_AFPCS_BUILDER_H

#include "qelFontBuilder.h"

#include <cstdint>

class qelType3FontMetrics;

namespace qel
{
namespace afp
{
class ResCharacterSet;
}
} // namespace qel

// Builds an AFP font character set resource (descriptor, control, index and
// patterns, orientation and position) from a recorded Type 3 font with
// raster glyphs.
class qelAFPCSBuilder : public qelFontBuilder
{
public:
    qelAFPCSBuilder() = default;

    // A new qelAFPCSRepresentation (the caller owns it); null for a null
    // source; E039 for a source that is not a Type 3 font, E040 when the
    // font cannot be converted.
    qelRepresentation* build(qelRepresentation* source) override;

private:
    void addDescriptor(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                       qel::afp::ResCharacterSet* resource);
    void addControl(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                    qel::afp::ResCharacterSet* resource);
    void addCharacters(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                       qel::afp::ResCharacterSet* resource);
    void addOrientation(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                        qel::afp::ResCharacterSet* resource);
    void addPosition(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                     qel::afp::ResCharacterSet* resource);

    bool logsAll() const;
    // E040 with the source's name and the reason.
    [[noreturn]] void failBuild(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    const char* m_fontName = "(null)";
    uint16_t m_maxCharIncrement = 0;
    int16_t m_maxAscender = -32767;
    int16_t m_maxDescender = -32767;
    int16_t m_minASpace = 32767;
    int16_t m_maxBaselineOffset = 0;
};

#endif
