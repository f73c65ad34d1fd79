#ifndef QEL_AEG_PARSER_H
#define QEL_AEG_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>

class qelMedia;
class qelSFIBlock;
struct qelInitialTextConditions;

// Reads the active environment group of a page or overlay (BAG to EAG) into
// its media: page size and resolution, font mappings and the initial text
// conditions of a Presentation Text Descriptor format 2.
class qelAEGParser : public qelAFPParser
{
public:
    qelAEGParser();
    ~qelAEGParser() override;

    int getParserType() override { return 8; }
    int getLevel() override { return m_level; }

    // field is the current BAG.
    void parse(qelMedia* media, qelSFIBlock* field);
    // The initial text conditions of the last group, handed over to the
    // caller (null when the group had none). One not taken is freed by the
    // next parse.
    qelInitialTextConditions* takeInitialTextConditions();
    const qelInitialTextConditions* getInitialTextConditions() const { return m_initialTextConditions; }

    // For a Map Coded Font read outside a group: set these first.
    void setLevel(int level) { m_level = level; }
    void setMedia(qelMedia* media) { m_media = media; }
    void setCurrentSF(qelSFIBlock* field) { m_currentSF = field; }
    void clearInitialTextConditions();

    void beginActiveEnvironmentGroup();
    void endActiveEnvironmentGroup();
    void pageDescriptor();
    void presentationTextDescriptor();
    void presentationTextDescriptorFormat2();
    void initialTextConditions();
    void mapCodedFontFormat1();
    void mapCodedFontFormat2();
    void mapPageOverlay();
    void pageSegmentMigration();
    void objectAreaDescriptor();
    void objectAreaPosition();
    void composedTextControl();

    // Units per inch of a page unit base: base 0 (ten inches) gives
    // units / 10, base 1 (ten centimetres) units * 0.254, truncated.
    static int resolutionOf(int unitBase, int units);

private:
    // Whether the log takes one of the level bits.
    bool logs(unsigned int bits) const;
    int offset();
    bool takesFonts() const;
    // A three-byte extent: low 16 bits when the high byte is 0 or X'FF'.
    void setOrientation(int iWord, int bWord);

    qelInitialTextConditions* m_initialTextConditions = nullptr;
    qelMedia* m_media = nullptr;
};

#endif
