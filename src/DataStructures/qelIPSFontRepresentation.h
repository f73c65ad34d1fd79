#ifndef QEL_IPS_FONT_REPRESENTATION_H
#define QEL_IPS_FONT_REPRESENTATION_H

#include "qelFontRepresentation.h"

#include <cstdint>

class qelString;

// What an AFP character set describes of a font: names, FGID, weight and
// width classes, nominal sizes, rotation, pattern technology and the font
// control and orientation flags. Base of the AFP (type 0) and PDF (type 9)
// representations.
class qelIPSFontRepresentation : public qelFontRepresentation
{
public:
    // Pattern technologies.
    enum { TECH_ILLEGAL = 0, TECH_RASTER = 5, TECH_CID_OUTLINE = 30, TECH_TYPE1_OUTLINE = 31 };

    qelIPSFontRepresentation();
    ~qelIPSFontRepresentation() override;

    // The requested name.
    const char* getName() const override;
    char* getStyleName(char* buffer, int size) const override;

    // Resource name under which the character set was requested.
    void setRequestedName(const char* name);
    void setResourceName(const char* name);
    const char* getResourceName() const;
    // An empty text leaves the name unset.
    void setCharacterSetName(const char* name);
    const char* getCharacterSetName() const;
    void setFGID(const char* fgid);
    const char* getFGID() const;
    void setFontName(const char* name);
    const char* getFontName() const;
    void setPostureName(const char* name);
    const char* getPostureName() const;
    void setTypefaceDescription(const char* text);
    const char* getTypefaceDescription() const;
    void setWeightClassName(const char* name);
    const char* getWeightClassName() const;
    void setWidthClassName(const char* name);
    const char* getWidthClassName() const;

    void setFigureSpaceIncrement(int32_t v) { m_figureSpaceIncrement = v; }
    int32_t getFigureSpaceIncrement() const { return m_figureSpaceIncrement; }
    void setUnderscorePosition(uint16_t v) { m_underscorePosition = v; }
    uint16_t getUnderscorePosition() const { return m_underscorePosition; }
    void setFGIDNumber(uint16_t v) { m_fgidNumber = v; }
    uint16_t getFGIDNumber() const { return m_fgidNumber; }
    void setNominalVerticalSize(uint16_t v) { m_nominalVerticalSize = v; }
    uint16_t getNominalVerticalSize() const { return m_nominalVerticalSize; }
    void setNominalHorizontalSize(uint16_t v) { m_nominalHorizontalSize = v; }
    uint16_t getNominalHorizontalSize() const { return m_nominalHorizontalSize; }

    void setMICR(bool on) { m_micr = on; }
    bool isMICR() const { return m_micr; }
    void setExtensionFont(bool on) { m_extensionFont = on; }
    bool isExtensionFont() const { return m_extensionFont; }
    void setUniformRasterPattern(bool on) { m_uniformRasterPattern = on; }
    bool isUniformRasterPattern() const { return m_uniformRasterPattern; }
    void setKerning(bool on) { m_kerning = on; }
    bool hasKerning() const { return m_kerning; }
    void setUniformASpace(bool on) { m_uniformASpace = on; }
    bool isUniformASpace() const { return m_uniformASpace; }
    void setUniformBaselineOffset(bool on) { m_uniformBaselineOffset = on; }
    bool isUniformBaselineOffset() const { return m_uniformBaselineOffset; }
    // Metrics in 1000 units per em.
    void setRelativeMetric(bool on) { m_relativeMetric = on; }
    bool isRelativeMetric() const { return m_relativeMetric; }
    void setOutlineFont(bool on) { m_outlineFont = on; }
    bool isOutlineFont() const { return m_outlineFont; }
    void setCharacterRotation(uint16_t v) { m_characterRotation = v; }
    uint16_t getRotation() const { return m_characterRotation; }
    // 5 raster, 30 CID-keyed outline, 31 Type 1 outline, 0 illegal.
    void setPatternTechnology(uint8_t v) { m_patternTechnology = v; }
    uint8_t getPatternTechnology() const { return m_patternTechnology; }

    // Family, posture, style flags, outline flag and height derived from a
    // character set name.
    void applyFamilyDefaults(const char* characterSetName);
    // Bold for the bold weight keywords (any case), else not bold; null
    // changes nothing.
    void applyWeightClass(const char* text);
    // The same for light and the light keywords.
    void applyLightClass(const char* text);

private:
    qelString* m_requestedName = nullptr;
    qelString* m_resourceName = nullptr;
    qelString* m_characterSetName = nullptr;
    qelString* m_fgid = nullptr;
    qelString* m_fontName = nullptr;
    qelString* m_postureName = nullptr;
    qelString* m_typefaceDescription = nullptr;
    qelString* m_weightClassName = nullptr;
    qelString* m_widthClassName = nullptr;
    int32_t m_figureSpaceIncrement = 0;
    uint16_t m_underscorePosition = 0;
    uint16_t m_fgidNumber = 0;
    uint16_t m_nominalVerticalSize = 0;
    uint16_t m_nominalHorizontalSize = 0;
    bool m_micr = false;
    bool m_extensionFont = false;
    bool m_uniformRasterPattern = false;
    bool m_kerning = false;
    bool m_uniformASpace = false;
    bool m_uniformBaselineOffset = false;
    bool m_relativeMetric = false;
    bool m_outlineFont = false;
    uint16_t m_characterRotation = 0;
    uint8_t m_patternTechnology = 0;
};

#endif
