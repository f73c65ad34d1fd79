#include "qel/afp/AfpResCharacterSet.h"

#include "qel/afp/AfpBeginFont.h"
#include "qel/afp/AfpEFTTriplet.h"
#include "qel/afp/AfpEndFont.h"
#include "qel/afp/AfpFNIRepeatingGroup.h"
#include "qel/afp/AfpFNMRepeatingGroup.h"
#include "qel/afp/AfpFNORepeatingGroup.h"
#include "qel/afp/AfpFNPRepeatingGroup.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpFRMTTriplet.h"
#include "qel/afp/AfpFontControl.h"
#include "qel/afp/AfpFontDescriptor.h"
#include "qel/afp/AfpFontIndex.h"
#include "qel/afp/AfpFontOrientation.h"
#include "qel/afp/AfpFontPatterns.h"
#include "qel/afp/AfpFontPatternsMap.h"
#include "qel/afp/AfpFontPosition.h"
#include "qel/afp/AfpLDTSTriplet.h"
#include "qel/afp/AfpOOITriplet.h"
#include "qel/afp/AfpRMTTriplet.h"
#include "qel/afp/Log.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

namespace
{

// Keeps one reference to the new field and drops the one to the old.
template <class T> void keep(T*& slot, T* field)
{
    if (field)
        field->addReference(1);
    if (slot && slot->release(1) < 1)
        delete slot;
    slot = field;
}

DLinkedList<WritableContext>* newList(const char* failText)
{
    DLinkedList<WritableContext>* list = new (std::nothrow) DLinkedList<WritableContext>(true);
    if (!list)
        throw failText;
    return list;
}

void enter(DLinkedList<WritableContext>* list, Writable* writable)
{
    list->append(WritableContext::holding(writable));
    writable->addReference(1);
}

const uint32_t kFnoRotations[4] = {0x0000, 0x2D00, 0x5A00, 0x8700};

} // namespace

ResCharacterSet::ResCharacterSet() = default;

ResCharacterSet::ResCharacterSet(const char* name)
{
    setName(name);
}

ResCharacterSet::ResCharacterSet(const char* name, uint16_t patternKind) : m_patternKind(patternKind)
{
    setName(name);
}

ResCharacterSet::~ResCharacterSet()
{
    keep<BeginFont>(m_beginFont, nullptr);
    keep<FontDescriptor>(m_fontDescriptor, nullptr);
    keep<FontControl>(m_fontControl, nullptr);
    keep<FontPatternsMap>(m_patternsMap, nullptr);
    keep<FontOrientation>(m_orientation, nullptr);
    keep<FontPosition>(m_position, nullptr);
    delete m_patterns;
    for (DLinkedList<WritableContext>* list : m_indexes)
        delete list;
}

std::string ResCharacterSet::makeGraphicCharacterGID(const char* name, const char* empty)
{
    if (!name || !*name)
        return empty ? std::string(empty) : std::string();
    const size_t n = std::strlen(name);
    if (n >= 8)
        return std::string(name, 8);
    bool upper = false;
    bool lower = false;
    for (size_t i = 0; i < n; ++i) {
        upper = upper || (name[i] >= 'A' && name[i] <= 'Z');
        lower = lower || (name[i] >= 'a' && name[i] <= 'z');
    }
    std::string id(8, '0');
    id[0] = upper && lower ? '3' : upper ? '2' : lower ? '1' : '0';
    id.replace(8 - n, n, name);
    return id;
}

int ResCharacterSet::initialize()
{
    setInitialized(true);
    if (!m_list)
        m_list = newList("Memory allocation for qel::afp::ResCharacterSet::initialize::pLstWritableContext failed");
    addBeginFont();
    return 0;
}

BeginFont* ResCharacterSet::addBeginFont()
{
    logDebugText("qel::afp::ResCharacterSet::addBeginFont");
    keep(m_beginFont, new BeginFont(getName()));
    return m_beginFont;
}

void ResCharacterSet::setResourceManagementInfo(uint32_t classFlags)
{
    logDebugText("qel::afp::ResCharacterSet::setResourceManagementInfo");
    if (m_beginFont)
        m_beginFont->addTriplet(new RMTTriplet(classFlags));
}

void ResCharacterSet::setFontResourceManagementInfo(uint32_t value, uint8_t century, uint16_t year, uint32_t day,
                                                    uint16_t hour, uint16_t minute, uint16_t second,
                                                    uint16_t hundredths)
{
    logDebugText("qel::afp::ResCharacterSet::setFontResourceManagementInfo");
    if (m_beginFont)
        m_beginFont->addTriplet(new FRMTTriplet(value, century, year, day, hour, minute, second, hundredths));
}

void ResCharacterSet::setOriginIdentifier(const char* hostId, const char* mediaId, const char* dataSetId,
                                          uint8_t systemId)
{
    logDebugText("qel::afp::ResCharacterSet::setOriginIdentifier");
    if (m_beginFont)
        m_beginFont->addTriplet(new OOITriplet(hostId, mediaId, dataSetId, systemId));
}

void ResCharacterSet::setLocalDateTimeStamp(time_t timeValue)
{
    if (m_beginFont)
        m_beginFont->addTriplet(new LDTSTriplet(timeValue));
}

void ResCharacterSet::addFontDescriptor(const char* description, uint8_t weightClass, uint8_t widthClass,
                                        uint16_t maxVerticalSize, uint16_t nominalVerticalSize,
                                        uint16_t minVerticalSize, uint16_t maxHorizontalSize,
                                        uint16_t nominalHorizontalSize, uint16_t minHorizontalSize,
                                        uint8_t designGeneralClass, uint8_t designSubclass,
                                        uint8_t designSpecificGroup, uint16_t designFlags, uint16_t gcsgid,
                                        uint16_t fgid, const char* familyName, const char* typefaceName)
{
    keep(m_fontDescriptor,
         new FontDescriptor(description, weightClass, widthClass, maxVerticalSize, nominalVerticalSize,
                            minVerticalSize, maxHorizontalSize, nominalHorizontalSize, minHorizontalSize,
                            designGeneralClass, designSubclass, designSpecificGroup, designFlags, gcsgid, fgid));
    if (familyName)
        m_fontDescriptor->addTriplet(new FQNTriplet(0x07, familyName));
    if (typefaceName)
        m_fontDescriptor->addTriplet(new FQNTriplet(0x08, typefaceName));
}

void ResCharacterSet::addFontControl(uint8_t flags, uint16_t xResolution, uint16_t yResolution, uint8_t xUnitBase,
                                     uint8_t yUnitBase, uint16_t maxBoxWidth, uint16_t maxBoxHeight,
                                     uint8_t alignment, uint16_t extension, uint16_t xShapeResolution,
                                     uint16_t yShapeResolution)
{
    logDebugText("qel::afp::ResCharacterSet::addFontControl");
    keep(m_fontControl, new FontControl(flags, xResolution, yResolution, xUnitBase, yUnitBase, maxBoxWidth,
                                        maxBoxHeight, alignment, extension, xShapeResolution, yShapeResolution));
    if (extension != 0)
        m_fontControl->addTriplet(new EFTTriplet(extension));
}

void ResCharacterSet::addFontOrientation(int16_t maxBaselineOffset, int16_t maxCharacterIncrement,
                                         int16_t spaceCharacterIncrement, int16_t maxBaselineExtent, uint8_t flags,
                                         int16_t emSpaceIncrement, int16_t figureSpaceIncrement,
                                         int16_t nominalCharacterIncrement, int16_t defaultBaselineIncrement,
                                         int16_t minASpace, uint32_t rotation)
{
    logDebugText("qel::afp::ResCharacterSet::addFontOrientation");
    if (!m_orientation)
        keep(m_orientation, new FontOrientation());
    m_orientation->addRepeatingGroup(new FNORepeatingGroup(
        maxBaselineOffset, maxCharacterIncrement, spaceCharacterIncrement, maxBaselineExtent, flags,
        emSpaceIncrement, figureSpaceIncrement, nominalCharacterIncrement, defaultBaselineIncrement, minASpace,
        rotation));
}

void ResCharacterSet::addFontPosition(int16_t lowercaseHeight, int16_t capMHeight, int16_t maxAscenderHeight,
                                      int16_t maxDescenderDepth, int16_t underscoreWidth,
                                      int16_t underscorePosition, uint32_t rotation)
{
    logDebugText("qel::afp::ResCharacterSet::addFontPosition");
    if (!m_position)
        keep(m_position, new FontPosition());
    m_position->addRepeatingGroup(new FNPRepeatingGroup(lowercaseHeight, capMHeight, maxAscenderHeight,
                                                        maxDescenderDepth, underscoreWidth, underscorePosition,
                                                        rotation));
}

int ResCharacterSet::addCharacter(const CharacterMetricsRecord* m0, const CharacterMetricsRecord* m90,
                                  const CharacterMetricsRecord* m180, const CharacterMetricsRecord* m270,
                                  const unsigned char* pattern, uint16_t length, uint16_t width, uint16_t height)
{
    const uint32_t n = pattern ? length : 0;
    if (static_cast<uint64_t>(m_patternTotal) + n > kMaxPatternBytes) {
        logError("Character %u refused: the pattern data would exceed %u bytes",
                 static_cast<unsigned>(m_characterCount), static_cast<unsigned>(kMaxPatternBytes));
        return -1;
    }
    if (m_characterCount >= kMaxCharacters) {
        logError("Character %u refused: the Font Patterns Map holds at most %u characters",
                 static_cast<unsigned>(m_characterCount), static_cast<unsigned>(kMaxCharacters));
        return -1;
    }
    const uint16_t mapIndex = m_patternKind == 1 ? 0 : static_cast<uint16_t>(m_characterCount);
    const int relative = m_fontControl ? m_fontControl->getXUnitBase() : 0;
    const CharacterMetricsRecord* records[4] = {m0, m90, m180, m270};
    for (int slot = 0; slot < 4; ++slot) {
        const CharacterMetricsRecord* m = records[slot];
        if (!m)
            continue;
        const std::string gid = makeGraphicCharacterGID(m->name);
        FNIRepeatingGroup* group = new FNIRepeatingGroup(gid.c_str(), m->characterIncrement, m->ascenderHeight,
                                                         m->descenderDepth, mapIndex, m->aSpace, m->bSpace,
                                                         m->cSpace, m->baselineOffset, relative);
        if (!m_indexes[slot])
            m_indexes[slot] =
                newList("Memory allocation for qel::afp::FontIndex::addStructuredField::pLstFNIRepeatingGroup failed");
        if (!m_currentIndex[slot] ||
            m_currentIndex[slot]->getFieldLength() + group->evaluateLength() > kMaxFieldLength) {
            m_currentIndex[slot] = new FontIndex();
            enter(m_indexes[slot], m_currentIndex[slot]);
        }
        m_currentIndex[slot]->addRepeatingGroup(group);
    }
    if (!m_patternsMap)
        keep(m_patternsMap, new FontPatternsMap());
    m_patternsMap->addRepeatingGroup(new FNMRepeatingGroup(width, height, m_patternTotal));
    appendPattern(pattern, n);
    m_patternTotal += n;
    ++m_characterCount;
    return 0;
}

void ResCharacterSet::appendPattern(const unsigned char* pattern, uint32_t length)
{
    const uint32_t room = kMaxFieldLength - 8;
    if (!m_patterns)
        m_patterns = newList("Memory allocation for qel::afp::ResCharacterSet::addCharacter::pLstFontPatterns failed");
    if (!m_currentPatterns || m_currentPatterns->getDataLength() + 8 + length > kMaxFieldLength) {
        // A pattern that fits an empty field starts a new one; a larger
        // one fills what is left and goes on in as many fields as it
        // needs (offsets count pattern bytes only).
        if (!m_currentPatterns || length <= room || m_currentPatterns->getDataLength() >= room) {
            m_currentPatterns = new FontPatterns();
            enter(m_patterns, m_currentPatterns);
        }
    }
    while (length > 0) {
        uint32_t take = std::min(length, room - m_currentPatterns->getDataLength());
        if (take == 0) {
            m_currentPatterns = new FontPatterns();
            enter(m_patterns, m_currentPatterns);
            continue;
        }
        m_currentPatterns->appendData(pattern, take);
        pattern += take;
        length -= take;
    }
}

int ResCharacterSet::getFontIndexCount(int slot) const
{
    return slot >= 0 && slot < 4 && m_indexes[slot] ? m_indexes[slot]->getCount() : 0;
}

int ResCharacterSet::getFontPatternsCount() const
{
    return m_patterns ? m_patterns->getCount() : 0;
}

int ResCharacterSet::finalize()
{
    if (!isInitialized())
        initialize();
    addStructuredField(m_beginFont, ADD_AT_HEAD);
    addStructuredField(m_fontDescriptor, ADD_AT_TAIL);
    if (m_fontControl) {
        if (m_patternKind == 2) {
            m_fontControl->setFNIRepeatingGroupLength(28);
            m_fontControl->setRasterPatternDataCount(m_patternTotal);
            m_fontControl->setFNMRepeatingGroupLength(8);
        } else {
            m_fontControl->setFNMRepeatingGroupLength(0);
        }
        addStructuredField(m_fontControl, ADD_AT_TAIL);
    }
    addStructuredField(m_patternsMap, ADD_AT_TAIL);
    if (m_orientation) {
        addStructuredField(m_orientation, ADD_AT_TAIL);
        int32_t number = 0;
        for (int slot = 0; slot < 4; ++slot) {
            m_orientation->setFNIIndex(kFnoRotations[slot], number);
            number += getFontIndexCount(slot);
        }
    }
    addStructuredField(m_position, ADD_AT_TAIL);
    for (DLinkedList<WritableContext>* list : m_indexes)
        for (DNode<WritableContext>* node = list ? list->getFirst() : nullptr; node; node = node->getNext())
            addStructuredField(static_cast<StructuredField*>(node->getData()->getWritable()), ADD_AT_TAIL);
    for (DNode<WritableContext>* node = m_patterns ? m_patterns->getFirst() : nullptr; node; node = node->getNext())
        addStructuredField(static_cast<StructuredField*>(node->getData()->getWritable()), ADD_AT_TAIL);
    EndFont* end = new EndFont(getName());
    addStructuredField(end, ADD_AT_TAIL);
    setInitialized(false);
    return 0;
}

} // namespace afp
} // namespace qel
