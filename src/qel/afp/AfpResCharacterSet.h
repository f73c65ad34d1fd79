#ifndef QEL_AFP_RES_CHARACTER_SET_H
#define QEL_AFP_RES_CHARACTER_SET_H

#include "qel/afp/AfpCharacterMetricsRecord.h"
#include "qel/afp/AfpResource.h"

#include <ctime>
#include <string>

namespace qel
{
namespace afp
{

class BeginFont;
class FontControl;
class FontDescriptor;
class FontIndex;
class FontOrientation;
class FontPatterns;
class FontPatternsMap;
class FontPosition;

// A font character set: Begin Font, Font Descriptor, Font Control, Font
// Patterns Map, Font Orientation, Font Position, the Font Index fields of
// each rotation, the Font Patterns fields and End Font. finalize enters the
// fields each time it runs: write the resource once.
class ResCharacterSet : public Resource
{
public:
    // Font Index and Font Patterns fields stay within this length.
    static constexpr uint32_t kMaxFieldLength = 32500;
    // The three-byte pattern data count of the Font Control.
    static constexpr uint32_t kMaxPatternBytes = 0xFFFFFF;
    // The 8-byte map groups of one Font Patterns Map field.
    static constexpr uint32_t kMaxCharacters = (0xFFFF - 8) / 8;

    ResCharacterSet();
    explicit ResCharacterSet(const char* name);
    ResCharacterSet(const char* name, uint16_t patternKind);
    ~ResCharacterSet() override;

    int initialize() override;
    int finalize() override;

    BeginFont* addBeginFont();
    void setResourceManagementInfo(uint32_t classFlags);
    void setFontResourceManagementInfo(uint32_t value, uint8_t century, uint16_t year, uint32_t day, uint16_t hour,
                                       uint16_t minute, uint16_t second, uint16_t hundredths);
    void setOriginIdentifier(const char* hostId, const char* mediaId, const char* dataSetId, uint8_t systemId);
    void setLocalDateTimeStamp(time_t timeValue);

    void addFontDescriptor(const char* description, uint8_t weightClass, uint8_t widthClass,
                           uint16_t maxVerticalSize, uint16_t nominalVerticalSize, uint16_t minVerticalSize,
                           uint16_t maxHorizontalSize, uint16_t nominalHorizontalSize, uint16_t minHorizontalSize,
                           uint8_t designGeneralClass, uint8_t designSubclass, uint8_t designSpecificGroup,
                           uint16_t designFlags, uint16_t gcsgid, uint16_t fgid, const char* familyName,
                           const char* typefaceName);
    void addFontControl(uint8_t flags, uint16_t xResolution, uint16_t yResolution, uint8_t xUnitBase,
                        uint8_t yUnitBase, uint16_t maxBoxWidth, uint16_t maxBoxHeight, uint8_t alignment,
                        uint16_t extension, uint16_t xShapeResolution, uint16_t yShapeResolution);
    FontControl* getFontControl() const { return m_fontControl; }
    void addFontOrientation(int16_t maxBaselineOffset, int16_t maxCharacterIncrement,
                            int16_t spaceCharacterIncrement, int16_t maxBaselineExtent, uint8_t flags,
                            int16_t emSpaceIncrement, int16_t figureSpaceIncrement,
                            int16_t nominalCharacterIncrement, int16_t defaultBaselineIncrement, int16_t minASpace,
                            uint32_t rotation);
    void addFontPosition(int16_t lowercaseHeight, int16_t capMHeight, int16_t maxAscenderHeight,
                         int16_t maxDescenderDepth, int16_t underscoreWidth, int16_t underscorePosition,
                         uint32_t rotation);
    // One character: a Font Index group per given rotation, a map group and
    // the pattern bytes. -1 (an ERROR line, nothing added) when the pattern
    // total would pass the three-byte count or the map is full.
    int addCharacter(const CharacterMetricsRecord* m0, const CharacterMetricsRecord* m90,
                     const CharacterMetricsRecord* m180, const CharacterMetricsRecord* m270,
                     const unsigned char* pattern, uint16_t length, uint16_t width, uint16_t height);

    void setPatternKind(uint16_t kind) { m_patternKind = kind; }
    uint16_t getPatternKind() const { return m_patternKind; }
    uint32_t getCharacterCount() const { return m_characterCount; }
    uint32_t getPatternByteTotal() const { return m_patternTotal; }
    // The number of Font Index fields of rotation slot 0..3, of Font
    // Patterns fields.
    int getFontIndexCount(int slot) const;
    int getFontPatternsCount() const;

    // Class digit ('3' both cases, '2' upper, '1' lower, '0' no letter),
    // zeros, the name right-aligned; 8 or more characters give the first
    // eight; null or empty give an empty id. empty is what an empty name
    // gives instead, when given.
    static std::string makeGraphicCharacterGID(const char* name, const char* empty = nullptr);

private:
    void appendPattern(const unsigned char* pattern, uint32_t length);

    BeginFont* m_beginFont = nullptr;
    FontDescriptor* m_fontDescriptor = nullptr;
    FontControl* m_fontControl = nullptr;
    FontPatternsMap* m_patternsMap = nullptr;
    FontOrientation* m_orientation = nullptr;
    FontPosition* m_position = nullptr;
    DLinkedList<WritableContext>* m_patterns = nullptr;
    FontPatterns* m_currentPatterns = nullptr;
    DLinkedList<WritableContext>* m_indexes[4] = {nullptr, nullptr, nullptr, nullptr};
    FontIndex* m_currentIndex[4] = {nullptr, nullptr, nullptr, nullptr};
    uint32_t m_characterCount = 0;
    uint32_t m_patternTotal = 0;
    uint16_t m_patternKind = 0;
};

} // namespace afp
} // namespace qel

#endif
