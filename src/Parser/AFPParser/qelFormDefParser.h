#ifndef QEL_FORM_DEF_PARSER_H
#define QEL_FORM_DEF_PARSER_H

#include "qelAFPParser.h"
#include "qelMediumMap.h"
#include "qelResParser.h"

#include <cstdint>
#include <string>
#include <vector>

class qelFORMDEF;
class qelIOStream;
class qelLogStream;
class qelSFIBlock;

// Reads a form map (Begin to End Form Map) from its own file, from the
// current input or from a given Begin Form Map field: its medium maps are
// registered in the global resource list, the first one becomes the
// document parser's current medium map, and the defaults of the document
// environment group stay in the parser. One instance per process.
class qelFormDefParser : public qelAFPParser, public qelResParser
{
public:
    qelFormDefParser();
    ~qelFormDefParser() override;

    // The new form definition (the caller owns it), or null after an error;
    // errors are written and dropped, allocation failures passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    // An inline form map beginning with the given field, read from the
    // current input; no form definition is made. Errors pass on.
    void parse(qelSFIBlock* beginFormMap);
    bool isResourceBegin(int id) const override { return id == 0xA8CD; }

    // Page position of the document environment group; 0x8000 = not set.
    void getDefaultPagePosition(int32_t& x, int32_t& y) const
    {
        x = m_defaultPagePositionX;
        y = m_defaultPagePositionY;
    }
    void setDefaultPagePosition(int32_t x, int32_t y)
    {
        m_defaultPagePositionX = x;
        m_defaultPagePositionY = y;
    }
    // Medium descriptor of the document environment group (unit base 0xFF:
    // none read).
    uint8_t getDefaultXUnitBase() const { return m_defaultXUnitBase; }
    uint8_t getDefaultYUnitBase() const { return m_defaultYUnitBase; }
    int16_t getDefaultXUnitsPerBase() const { return m_defaultXUnitsPerBase; }
    int16_t getDefaultYUnitsPerBase() const { return m_defaultYUnitsPerBase; }
    uint16_t getDefaultXExtent() const { return m_defaultXExtent; }
    uint16_t getDefaultYExtent() const { return m_defaultYExtent; }
    uint8_t getDefaultMediumFlags() const { return m_defaultMediumFlags; }

    int32_t getPageOffsetX() const { return m_pageOffsetX; }
    int32_t getPageOffsetY() const { return m_pageOffsetY; }
    qelMediumMap* getCurrentMediumMap() const { return m_currentMediumMap; }
    qelMediumMap::MMC* getCurrentMmc() const { return m_currentMmc; }

    // The offsets of page positions: qelThreeByteValue::signedLow16OrSigned24.
    static int32_t offsetOf3Bytes(uint8_t high, uint8_t middle, uint8_t low);

private:
    // Loops.
    void parseFormMap();
    void parseDocumentEnvironmentGroup();
    qelMediumMap* parseMediumMap();
    void applyDefaultMediumMap(qelMediumMap* map);
    void prepareSearchPaths(int mode);

    // Readers of the current field.
    void beginFormMap();
    void endFormMap();
    void beginDocumentEnvironmentGroup();
    void endDocumentEnvironmentGroup();
    void beginMediumMap();
    void endMediumMap();
    void beginFormEnvironmentGroup();
    void endFormEnvironmentGroup();
    void formEnvironmentGroupDescriptor();
    void mediumDescriptor();
    void mediumCopyCount();
    void mediumModificationControl();
    void pagePosition();
    void pagePositionFormat2();
    void mapMediumOverlay(bool inEnvironmentGroup);
    void mapSuppression();
    void pageModificationControl();
    void mapPageOverlay();
    void mediumFinishingControl();
    void mapMediaType();

    void mmcKeyword(qelMediumMap::MMC* mmc, int keyword);
    void storeDefaultPagePosition();

    // Helpers.
    void readTriplets(uint32_t optional);
    void dropNames();
    void logField(const char* abbreviation, const char* name, const char* text);
    qelLogStream* logWith(unsigned int mask) const;
    void warnAtOffset(unsigned int mask, const char* text);
    int inputOffset();
    long fieldOffset();
    // Drops the form definition pointer of the maps read by the current
    // resource parse.
    void releaseMaps();
    void finish();

    qelMediumMap::MMC* m_currentMmc = nullptr;
    qelMediumMap* m_currentMediumMap = nullptr;
    int32_t m_pageOffsetX = 0;
    int32_t m_pageOffsetY = 0;
    int32_t m_defaultPagePositionX = 0x8000;
    int32_t m_defaultPagePositionY = 0x8000;
    uint8_t m_defaultXUnitBase = 0xFF;
    uint8_t m_defaultYUnitBase = 0xFF;
    int16_t m_defaultXUnitsPerBase = 0;
    int16_t m_defaultYUnitsPerBase = 0;
    uint16_t m_defaultXExtent = 0;
    uint16_t m_defaultYExtent = 0;
    uint8_t m_defaultMediumFlags = 0;

    // The input the loops read from (null: the current one).
    qelIOStream* m_input = nullptr;
    // The form definition the maps refer to; null for an inline form map.
    qelFORMDEF* m_formDef = nullptr;
    // Maps registered by the running parse.
    std::vector<qelMediumMap*> m_maps;
};

#endif
