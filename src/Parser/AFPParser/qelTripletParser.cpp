#include "qelTripletParser.h"

#include "qelAFPParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIndex.h"
#include "qelIndexElement.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelResourceObjectInclude.h"
#include "qelSFIBlock.h"
#include "qelSFIData.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelUtils.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

// Field ids that change how a triplet is read.
const int kBeginResource = 0xA8CE;
const int kBeginCodePage = 0xA887;
const int kBeginFont = 0xA889;

const unsigned char kKnownIds[] = {0x01, 0x02, 0x04, 0x10, 0x18, 0x1D, 0x1F, 0x20, 0x21, 0x22, 0x24,
                                   0x25, 0x26, 0x27, 0x2D, 0x36, 0x43, 0x45, 0x46, 0x47, 0x4B, 0x4C,
                                   0x4D, 0x4E, 0x50, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5D, 0x5E, 0x62,
                                   0x63, 0x64, 0x65, 0x68, 0x6C, 0x6D, 0x70, 0x71, 0x80, 0x81, 0x82};

struct ObjectType
{
    unsigned char lastByte;
    int code;
    const char* name;
};

const ObjectType kObjectTypes[] = {
    {0x05, 1, "IOCA FS 10"},
    {0x0B, 2, "IOCA FS 11"},
    {0x0C, 3, "IOCA FS 45"},
    {0x0D, 4, "EPS"},
    {0x0E, 5, "TIFF"},
    {0x0F, 6, "COM Setup File"},
    {0x10, 7, "Tape Label Setup File"},
    {0x11, 8, "Windows DIB"},
    {0x12, 9, "OS/2 DIB"},
    {0x13, 10, "PCX"},
    {0x14, 11, "Color Mapping Table"},
    {0x16, 12, "GIF"},
    {0x17, 13, "JPEG"},
    {0x18, 14, "AnaStack Control Record"},
    {0x19, 15, "PDF Single Page Object"},
    {0x1A, 16, "PDF Resource Object"},
    {0x22, 17, "PCL"},
    {0x2D, 18, "IOCA FS 42"},
    {0x2E, 19, "Resident Color Profile"},
    {0x2F, 20, "IOCA FS 45 Tile"},
    {0x30, 21, "EPS With Transparency"},
    {0x31, 22, "PDF With Transparency"},
    {0x33, 23, "TrueType/OpenType Font"},
    {0x35, 24, "TrueType/OpenType Font Collection"},
    {0x36, 25, "Resource Access Table"},
    {0x37, 26, "IOCA FS 40"},
    {0x38, 27, "UP3i Print Data"},
    {0x39, 28, "Color Management Resource"},
    {0x3A, 29, "JPEG2000"},
};

struct TypeName
{
    const char* name;
    int code;
};

const TypeName kTypeNames[] = {{"eps", 4},  {"tiff", 5}, {"win dib", 8}, {"os/2 dib", 9},
                               {"pcx", 10}, {"gif", 12}, {"jpeg", 13},   {"pcl", 17},
                               {"png", 30}, {"bmp", 31}, {"jp2", 29},    {"jpx", 29}};

// Names a font record keeps; the general reader only logs them.
struct FontName
{
    int type;
    void (qelMappedFontInfo::*keep)(const char*);
    const char* label;
};

const FontName kFontNames[] = {
    {0x07, &qelMappedFontInfo::setFamilyName, "Font Family Name"},
    {0x08, &qelMappedFontInfo::setTypefaceName, "Font TypeFace Name"},
    {0x85, &qelMappedFontInfo::setCodePageName, "Code Page Name Reference"},
    {0x86, &qelMappedFontInfo::setCharacterSetName, "Font Character Set Name Reference"},
    {0x8E, &qelMappedFontInfo::setCodedFontName, "Coded Font Name Reference"},
};

const char* const kWeightClasses[] = {"Font Width Not Specified", "Font Width:Ultra-light", "Font Width:Extra-light",
                                      "Font Width:Light",         "Font Width:Semi-light",  "Font Width:Medium (normal)",
                                      "Font Width:Semi-bold",     "Font Width:Bold",        "Font Width:Extra-bold",
                                      "Font Width:Ultra-bold"};

const char* const kWidthClasses[] = {
    "Width to Height Ratio Not Specified",     "Width to Height Ratio: Ultra-condensed ",
    "Width to Height Ratio: Extra-condensed ", "Width to Height Ratio: Condensed ",
    "Width to Height Ratio: Semi-condensed ",  "Width to Height Ratio: Medium (normal) ",
    "Width to Height Ratio: Semi-expanded ",   "Width to Height Ratio: Expanded ",
    "Width to Height Ratio: Extra-expanded ",  "Width to Height Ratio: Ultra-expanded "};

void freeInclude(void* item)
{
    delete static_cast<qelResourceObjectInclude*>(item);
}

using qelPoolAccess::options;
using qelThreeByteValue::signedLow16OrSigned24;
using qelThreeByteValue::unsignedLow16OrUnsigned24;

} // namespace

qelTripletParser::qelTripletParser() = default;

qelTripletParser::~qelTripletParser()
{
    reset();
}

void qelTripletParser::reset()
{
    delete m_fullyQualifiedName;
    m_fullyQualifiedName = nullptr;
    delete m_alternateName;
    m_alternateName = nullptr;
    delete m_rawTripletData;
    m_rawTripletData = nullptr;
    delete[] m_resourceObjectReference;
    m_resourceObjectReference = nullptr;
    qelList::destroy(m_resourceObjectIncludes);
    m_colorValue = 0;
    m_colorSpace = 5;
    m_highlightCoverage = 0;
    m_highlightShading = 0;
    m_resourceLocalId = 0;
    m_xUnitBase = 0;
    m_yUnitBase = 0;
    m_xUnitsPerBase = 0;
    m_yUnitsPerBase = 0;
    m_mediumMapName[0] = 0;
    m_log = nullptr;
    m_indexEntry = nullptr;
    m_indexElement = nullptr;
}

void qelTripletParser::beginParse()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
    qelIni* ini = pool ? pool->getIni() : nullptr;
    m_quiet = ini && ini->isQuietMode();
    m_currentTriplet = nullptr;
    m_mappedFont = nullptr;
    m_fontCPGID = 0;
    m_fontGCSGID = 0;
    m_measurementResolution = 0;
    m_objectAreaExtentX = 0;
    m_objectAreaExtentY = 0;
    m_positionMigrationOrientation = 0xFF;
    m_pagePositionGroup = 0;
    delete m_rawTripletData;
    m_rawTripletData = nullptr;
    m_colorValue = 0;
    m_colorSpace = 5;
    // Names a caller took are already forgotten (the getters hand them
    // over); names nobody took are freed here.
    delete m_fullyQualifiedName;
    m_fullyQualifiedName = nullptr;
    delete m_alternateName;
    m_alternateName = nullptr;
    m_resourceLocalId = 0;
    m_xUnitBase = 0;
    m_yUnitBase = 0;
    m_xUnitsPerBase = 0;
    m_yUnitsPerBase = 0;
    m_gcsgid = 0;
    m_cpgid = 0;
    m_ccsid = 0;
    delete[] m_resourceObjectReference;
    m_resourceObjectReference = nullptr;
    m_resourceType = 0;
    m_mappingOption = 0xFF;
    qelList::destroy(m_resourceObjectIncludes);
    m_objectTypeCode = 0;
    m_mediumMapName[0] = 0;
    m_pendingScale = 0;
    m_scaleGiven = false;
}

// ---- logging

bool qelTripletParser::logOn() const
{
    return m_log && m_log->anyOf(m_logMask);
}

void qelTripletParser::line(const char* format, ...)
{
    if (!logOn())
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelTripletParser::lineMasked(unsigned int mask, const char* format, ...)
{
    if (!m_log || m_log->noneOf(mask))
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelTripletParser::more(const char* format, ...)
{
    if (!logOn())
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->print("%s", text);
}

void qelTripletParser::warn(const char* format, ...)
{
    bool toLog = logOn();
    if (!toLog && m_quiet)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (toLog)
        m_log->printLine("%s", text);
    if (!m_quiet)
        qelMessageOutput::printf("%s\n", text);
}

void qelTripletParser::say(const char* format, ...)
{
    if (m_quiet)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qelMessageOutput::write(text);
}

int qelTripletParser::offset()
{
    return m_structuredField ? qelSFIData::getFileOffset(m_structuredField) : 0;
}

std::string qelTripletParser::readText(int n)
{
    qelTriplet* t = m_currentTriplet;
    int left = t->getRemaining();
    if (n > left)
        n = left;
    if (n <= 0)
        return std::string();
    std::string text(reinterpret_cast<const char*>(t->getData() + t->getPosition()), static_cast<size_t>(n));
    t->skip(n);
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(&text[0]), n);
    size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    size_t begin = 0;
    size_t end = text.size();
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// ---- checks

void qelTripletParser::lengthFailed(const char* name)
{
    int at = offset();
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->printLine("Warning! Missing (%s) Triplet (at 0x%x )", name, static_cast<unsigned int>(at));
    if (!m_quiet)
        qelMessageOutput::printf("Warning! Missing (%s) Triplet (at 0x%lx )\n", name, static_cast<long>(at));
}

void qelTripletParser::checkLength(int id, int length, const char* name)
{
    qelTriplet* t = m_currentTriplet;
    if (!t)
        return;
    if (t->getId() != id) {
        line("Method %s cannot parse triplet 0x%x", name, static_cast<unsigned int>(t->getId()));
    } else {
        if (t->getLength() == length)
            return;
        line("Triplet %s should be of length 0x%x", name, static_cast<unsigned int>(length));
    }
    lengthFailed(name);
}

void qelTripletParser::checkLengthRange(int id, int smallest, int largest, const char* name)
{
    qelTriplet* t = m_currentTriplet;
    if (!t)
        return;
    if (t->getId() != id) {
        line("Method %s cannot parse triplet 0x%x", name, static_cast<unsigned int>(t->getId()));
    } else {
        if (t->getLength() >= smallest && t->getLength() <= largest)
            return;
        line("Length %s should be in range (0x%x to 0x%x)", name, static_cast<unsigned int>(smallest),
             static_cast<unsigned int>(largest));
    }
    lengthFailed(name);
}

// ---- masks and ids

bool qelTripletParser::isKnownId(int id)
{
    for (unsigned char known : kKnownIds)
        if (known == id)
            return true;
    return false;
}

uint32_t qelTripletParser::maskBits(int id, int fieldId)
{
    switch (id) {
    case 0x01:
        return QEL_TRIPLET_CGCSGID;
    case 0x02:
        return QEL_TRIPLET_FULLY_QUALIFIED_NAME;
    case 0x18:
        return QEL_TRIPLET_INTERCHANGE_SET;
    case 0x21:
        return fieldId == kBeginResource ? QEL_TRIPLET_RESOURCE_OBJECT_TYPE : QEL_TRIPLET_FUNCTION_SET;
    case 0x43:
        return QEL_TRIPLET_DESCRIPTOR_POSITION;
    case 0x4B:
        return QEL_TRIPLET_MEASUREMENT_UNITS;
    case 0x4C:
        return QEL_TRIPLET_OBJECT_AREA_SIZE;
    case 0x62:
        return QEL_TRIPLET_TIME_STAMP;
    case 0x65:
        return QEL_TRIPLET_COMMENT;
    case 0x70:
    case 0x71:
        return QEL_TRIPLET_MIXING;
    case 0x46:
        return QEL_TRIPLET_OVERLAY_CONDITION;
    case 0x47:
        return QEL_TRIPLET_RESOURCE_USAGE;
    case 0x24:
        return QEL_TRIPLET_RESOURCE_LOCAL_ID;
    case 0x36:
        return QEL_TRIPLET_ATTRIBUTE_VALUE;
    case 0x80:
        return QEL_TRIPLET_ATTRIBUTE_QUALIFIER;
    case 0x63:
        return QEL_TRIPLET_CHECKSUM;
    case 0x64:
        return QEL_TRIPLET_ORIGIN_IDENTIFIER;
    case 0x68:
        return QEL_TRIPLET_MEDIUM_ORIENTATION;
    case 0x04:
        return QEL_TRIPLET_MAPPING_OPTION;
    case 0x6C:
        return QEL_TRIPLET_RESOURCE_OBJECT_INCLUDE;
    case 0x45:
        return QEL_TRIPLET_MEDIA_EJECT;
    case 0x5A:
        return QEL_TRIPLET_OBJECT_OFFSET;
    case 0x5E:
        return QEL_TRIPLET_OBJECT_COUNT;
    case 0x10:
        return QEL_TRIPLET_CLASSIFICATION;
    case 0x2D:
        return QEL_TRIPLET_BYTE_OFFSET;
    case 0x56:
        return QEL_TRIPLET_PAGE_NUMBER;
    case 0x6D:
        return QEL_TRIPLET_EXTENSION_FONT;
    case 0x4E:
        return QEL_TRIPLET_COLOR;
    case 0x57:
        return QEL_TRIPLET_BYTE_EXTENT;
    case 0x27:
        return QEL_TRIPLET_POSITION_MIGRATION;
    case 0x58:
        return QEL_TRIPLET_FIELD_OFFSET;
    case 0x81:
        return QEL_TRIPLET_PAGE_POSITION;
    case 0x59:
        return QEL_TRIPLET_FIELD_EXTENT;
    default:
        return 0;
    }
}

// ---- entry points

void qelTripletParser::parse(uint32_t* mandatory, uint32_t* optional, qelSFIBlock* field)
{
    qelIni* ini = options();
    bool trace = ini && ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::write("[TripletParser]: (Begin): parse\n");
    beginParse();
    if (!field)
        return;
    m_structuredField = field;
    uint32_t noMandatory = 0;
    uint32_t noOptional = 0;
    if (!mandatory)
        mandatory = &noMandatory;
    if (!optional)
        optional = &noOptional;
    for (;;) {
        if (field->getRemainingLength() == 0) {
            if (*mandatory != 0)
                throw new qelException(__FILE__, __LINE__, qelMsg::E009, 0, true,
                                       static_cast<unsigned int>(field->getOffset()));
            if (trace)
                qelMessageOutput::write("[TripletParser]: (End): parse\n");
            return;
        }
        qelTriplet* t = qelSFIData::readTriplet(field, &m_triplet);
        if (!t) {
            say("Invalid Triplet to process in qelTripletParser::parse()\n");
            line("Invalid Triplet to process in qelTripletParser::parse()");
            return;
        }
        m_currentTriplet = t;
        int id = t->getId();
        if (!isKnownId(id)) {
            say("Invalid Triplet (0x%x) to process in qelTripletParser::parse()\n", static_cast<unsigned int>(id));
            line("Invalid Triplet (0x%x) to process in qelTripletParser::parse()", static_cast<unsigned int>(id));
            keepUnknownTripletData();
            return;
        }
        uint32_t bits = maskBits(id, field->getId());
        bool expected = bits != 0 && ((*mandatory | *optional) & bits) != 0;
        if (expected) {
            *mandatory &= ~bits;
            *optional &= ~bits;
        }
        if (!readTriplet(id, false)) {
            warn("Warning! Illegal Triplet: 0x%x", static_cast<unsigned int>(id));
            continue;
        }
        if (!expected)
            warn("Warning! Unexpected Triplet: 0x%x", static_cast<unsigned int>(id));
    }
}

// Moves the read position to the end of the group.
void qelTripletParser::skipToGroupEnd(int end)
{
    int position = m_structuredField->getPosition();
    if (end > position)
        m_structuredField->skip(end - position);
}

// False (after a warning, at the group's end) when the next triplet would
// reach beyond the group.
bool qelTripletParser::groupFits(int end)
{
    qelSFIBlock* field = m_structuredField;
    int position = field->getPosition();
    int left = end - position;
    int length = field->getData()[position];
    if (left >= 2 && length <= left)
        return true;
    warn("Warning! Triplet of length 0x%x does not fit the %d bytes left of its repeating group (at 0x%x)",
         static_cast<unsigned int>(length), left, static_cast<unsigned int>(offset()));
    skipToGroupEnd(end);
    return false;
}

void qelTripletParser::repeatedTriplets(uint32_t mandatory, uint32_t optional, int groupLength, qelSFIBlock* field)
{
    beginParse();
    if (!field)
        return;
    m_structuredField = field;
    int start = field->getPosition();
    int size = field->getDataSize();
    int end = start + (groupLength > 0 ? groupLength : 0);
    if (end > size) {
        warn("Warning! Repeating group of %d bytes exceeds the structured field (at 0x%x)", groupLength,
             static_cast<unsigned int>(offset()));
        end = size;
    }
    while (field->getPosition() < end) {
        if (!groupFits(end))
            return;
        qelTriplet* t = qelSFIData::readTriplet(field, &m_triplet);
        if (!t) {
            skipToGroupEnd(end);
            throw new qelException(__FILE__, __LINE__, qelMsg::E052, 0, true,
                                   static_cast<unsigned int>(field->getOffset()));
        }
        m_currentTriplet = t;
        int id = t->getId();
        if (!isKnownId(id)) {
            say("Invalid Triplet to process in qelTripletParser::repeatedTriplets()\n");
            line("Invalid Triplet to process in qelTripletParser::repeatedTriplets()");
            skipToGroupEnd(end);
            return;
        }
        uint32_t bits = maskBits(id, 0);
        bool expected = bits != 0 && ((mandatory | optional) & bits) != 0;
        if (expected)
            mandatory &= ~bits;
        if (!readTriplet(id, true)) {
            warn("Warning! Illegal Triplet: 0x%x", static_cast<unsigned int>(id));
            skipToGroupEnd(end);
            return;
        }
        if (!expected)
            warn("Warning! Unexpected Triplet: 0x%x", static_cast<unsigned int>(id));
    }
    if (mandatory != 0) {
        line("Missing triplet: 0x%x", mandatory);
        throw new qelException(__FILE__, __LINE__, qelMsg::E009, 0, true,
                               static_cast<unsigned int>(field->getOffset()));
    }
}

void qelTripletParser::finishFont()
{
    if (!m_mappedFont || !m_scaleGiven)
        return;
    int32_t vertical = m_mappedFont->getVerticalSize();
    m_mappedFont->setHorizontalScale(vertical != 0 ? static_cast<float>(m_pendingScale) / static_cast<float>(vertical)
                                                   : 0.0f);
}

void qelTripletParser::MCF_Triplets(int groupLength, qelSFIBlock* field, qelMappedFontInfo* font)
{
    beginParse();
    if (!font)
        throw new qelException(__FILE__, __LINE__, qelMsg::E053, 0, true);
    m_mappedFont = font;
    font->clear();
    m_structuredField = field;
    if (!field)
        return;
    if (groupLength <= 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E009, 0, true,
                               static_cast<unsigned int>(field->getOffset()));
    int start = field->getPosition();
    int size = field->getDataSize();
    int end = start + groupLength;
    if (end > size) {
        warn("Warning! Repeating group of %d bytes exceeds the structured field (at 0x%x)", groupLength,
             static_cast<unsigned int>(offset()));
        end = size;
    }
    bool named = false;
    while (field->getPosition() < end) {
        if (!groupFits(end)) {
            finishFont();
            return;
        }
        qelTriplet* t = qelSFIData::readTriplet(field, &m_triplet);
        if (!t) {
            say("No Triplet to process in MCF_Triplets()\n");
            line("No Triplet to process in MCF_Triplets()");
            skipToGroupEnd(end);
            finishFont();
            return;
        }
        m_currentTriplet = t;
        int id = t->getId();
        if (!isKnownId(id)) {
            say("Invalid Triplet to process in MCF_Triplets()\n");
            line("Invalid Triplet to process in MCF_Triplets()");
            continue;
        }
        if (readFontTriplet(id)) {
            if (id == 0x02)
                named = true;
        } else {
            warn("Warning! Illegal Triplet: 0x%x", static_cast<unsigned int>(id));
            warn("Warning! Unexpected Triplet: 0x%x", static_cast<unsigned int>(id));
        }
    }
    finishFont();
    if (!named)
        throw new qelException(__FILE__, __LINE__, qelMsg::E009, 0, true,
                               static_cast<unsigned int>(field->getOffset()));
}

// ---- results

const char* qelTripletParser::getFullyQualifiedNameText() const
{
    return m_fullyQualifiedName ? m_fullyQualifiedName->getBuffer() : nullptr;
}

void qelTripletParser::setFullyQualifiedName(const char* text)
{
    delete m_fullyQualifiedName;
    m_fullyQualifiedName = text ? new qelString(text) : nullptr;
}

void qelTripletParser::setAlternateName(const char* text)
{
    delete m_alternateName;
    m_alternateName = text ? new qelString(text) : nullptr;
}

void qelTripletParser::setMediumMapName(const char* text)
{
    m_mediumMapName[0] = 0;
    if (!text)
        return;
    std::strncpy(m_mediumMapName, text, 8);
    m_mediumMapName[8] = 0;
}

void qelTripletParser::setResourceObjectReference(char* text)
{
    delete[] m_resourceObjectReference;
    m_resourceObjectReference = text;
}

void qelTripletParser::keepUnknownTripletData()
{
    delete m_rawTripletData;
    m_rawTripletData = nullptr;
    qelTriplet* t = m_currentTriplet;
    if (!t || !t->getData())
        return;
    m_rawTripletData = new qelString(t->getSize());
    m_rawTripletData->assignN(reinterpret_cast<const char*>(t->getData()), t->getSize());
}

qelList* qelTripletParser::detachResourceObjectIncludes()
{
    qelList* list = m_resourceObjectIncludes;
    m_resourceObjectIncludes = nullptr;
    return list;
}

void qelTripletParser::addResourceObjectInclude(uint8_t type, const char* name, int32_t x, int32_t y,
                                                uint16_t orientation)
{
    if (!m_resourceObjectIncludes)
        m_resourceObjectIncludes = new qelList(&freeInclude);
    auto* entry = new qelResourceObjectInclude();
    entry->objectType = type;
    if (name) {
        std::strncpy(entry->name, name, 8);
        entry->name[8] = 0;
    }
    entry->xOffset = x;
    entry->yOffset = y;
    entry->orientation = orientation;
    m_resourceObjectIncludes->append(entry);
}

qelIndex* qelTripletParser::createIndexEntry()
{
    m_indexEntry = new qelIndex();
    return m_indexEntry;
}

void qelTripletParser::indexedObject(const char* name, int32_t kind)
{
    if (m_indexElement) {
        m_indexElement->setName(name);
        m_indexElement->setLevel(kind);
    }
    if (m_indexEntry) {
        m_indexEntry->setObjectName(name);
        m_indexEntry->setLevel(kind);
    }
}

// ---- dispatch

bool qelTripletParser::readTriplet(int id, bool repeated)
{
    int fieldId = m_structuredField ? m_structuredField->getId() : 0;
    bool fontField = !repeated && (fieldId == kBeginCodePage || fieldId == kBeginFont);
    switch (id) {
    case 0x01:
        codedGraphicCharacterSetGlobalIdTriplet();
        return true;
    case 0x02:
        fullyQualifiedNameTriplet("", 4, nullptr);
        return true;
    case 0x18:
        interchangeSetTriplet();
        return true;
    case 0x21:
        if (!repeated && fieldId == kBeginResource)
            resourceObjectTypeTriplet();
        else
            objectFunctionSetSpecificationTriplet();
        return true;
    case 0x24:
        resourceLocalIdentifierTriplet("", nullptr);
        return true;
    case 0x36:
        attributeValueTriplet();
        return true;
    case 0x43:
        descriptorPositionTriplet();
        return true;
    case 0x45:
        mediaEjectControlTriplet();
        return true;
    case 0x46:
        pageOverlayConditionalProcessingTriplet();
        return true;
    case 0x47:
        resourceUsageAttributeTriplet();
        return true;
    case 0x4B:
        measurementUnitsTriplet();
        return true;
    case 0x4C:
        objectAreaSizeTriplet();
        return true;
    case 0x62:
        objectDateAndTimeStampTriplet(fontField);
        return true;
    case 0x65:
        commentTriplet();
        return true;
    case 0x6C:
        resourceObjectIncludeTriplet();
        return true;
    case 0x70:
        presentationSpaceResetMixingTriplet();
        return true;
    case 0x80:
        attributeQualifierTriplet();
        return true;
    default:
        break;
    }
    if (repeated)
        return false;
    switch (id) {
    case 0x04:
        mappingOptionTriplet();
        return true;
    case 0x10:
        objectClassificationTriplet();
        return true;
    case 0x27:
        lineDataObjectPositionMigrationTriplet();
        return true;
    case 0x2D:
    case 0x56:
    case 0x57:
    case 0x58:
    case 0x59:
    case 0x5A:
    case 0x5E:
        indexValueTriplet(id);
        return true;
    case 0x4E:
        colorSpecificationTriplet();
        return true;
    case 0x63:
        if (fontField)
            resourceManagementTriplet();
        else
            objectChecksumTriplet();
        return true;
    case 0x64:
        objectOriginIdentifierTriplet();
        return true;
    case 0x68:
        mediumOrientationTriplet();
        return true;
    case 0x6D:
        extensionFontTriplet();
        return true;
    case 0x71:
        presentationSpaceMixingRulesTriplet();
        return true;
    case 0x81:
        pagePositionInformationTriplet();
        return true;
    default:
        return false;
    }
}

bool qelTripletParser::readFontTriplet(int id)
{
    switch (id) {
    case 0x01:
        codedGraphicCharacterSetGlobalIdTriplet();
        return true;
    case 0x02:
        fullyQualifiedNameTriplet("MCF ", 5, m_mappedFont);
        return true;
    case 0x1D:
        MCFTextOrientationTriplet();
        return true;
    case 0x1F:
        MCFFontDescriptorSpecificationTriplet();
        return true;
    case 0x20:
        MCFFontCodedGraphicCharacterSetGlobalId();
        return true;
    case 0x24:
        resourceLocalIdentifierTriplet("MCF ", m_mappedFont);
        return true;
    case 0x25:
        MCFResourceSectionNumberTriplet();
        return true;
    case 0x26:
        MCFCharacterRotationTriplet();
        return true;
    case 0x50:
        encodingSchemeID();
        return true;
    case 0x5D:
        MCFFontHorizontalScaleFactorTriplet();
        return true;
    default:
        return false;
    }
}

// ---- naming, reference, resource and index triplets

void qelTripletParser::codedGraphicCharacterSetGlobalIdTriplet()
{
    qelTriplet* t = m_currentTriplet;
    m_gcsgid = 0;
    m_cpgid = 0;
    m_ccsid = 0;
    if (t->getRemaining() >= 2)
        m_gcsgid = static_cast<uint16_t>(t->readUInt16());
    line("Coded Graphic Character Set Global Identifier Triplet");
    if (m_gcsgid != 0) {
        if (t->getRemaining() >= 2)
            m_cpgid = static_cast<uint16_t>(t->readUInt16());
        line("GCSGID/CPGID Form");
        line("GCSGID Value : %d", m_gcsgid);
        line("CPGID Value  : %d", m_cpgid);
    } else {
        if (t->getRemaining() >= 2)
            m_ccsid = static_cast<uint16_t>(t->readUInt16());
        line("CCSGID Form");
        line("CCSGID Value : %d", m_ccsid);
    }
}

// Prefix, smallest length and font record differ between the general
// reader (no record) and the Map Coded Font reader.
void qelTripletParser::fullyQualifiedNameTriplet(const char* prefix, int smallest, qelMappedFontInfo* font)
{
    qelTriplet* t = m_currentTriplet;
    std::string title = std::string(prefix) + "Fully Qualified Name";
    checkLengthRange(0x02, smallest, 254, title.c_str());
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    int format = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("%s Triplet", title.c_str());
    line("FQNType: 0x%02x", static_cast<unsigned int>(type));
    switch (format) {
    case 0x00:
        line("FQNFormat: 0x00 (Character string)");
        break;
    case 0x10:
        line("FQNFormat: 0x10 (OID)");
        break;
    case 0x20:
        line("FQNFormat: 0x20 (URL)");
        break;
    default:
        line("Warning! Invalid FQNFormat (0x%02X)", static_cast<unsigned int>(format));
        break;
    }
    if (font && type == 0x84) {
        fontGlobalIdentifier(font);
        return;
    }
    int rawLength = t->getRemaining();
    const unsigned char* raw = t->getData() ? t->getData() + t->getPosition() : nullptr;
    std::string name = readText(rawLength);
    const char* text = name.c_str();
    for (const FontName& row : kFontNames) {
        if (row.type == type) {
            if (font)
                (font->*row.keep)(text);
            line("%s: %s", row.label, text);
            return;
        }
    }
    if (!font && objectName(type, name, raw, rawLength))
        return;
    warn("Warning! Invalid type in Fully Qualified Name: 0x%x", static_cast<unsigned int>(type));
}

// Global resource identifier of a font: GCSGID, CPGID, FGID and the
// horizontal size; the values present are kept.
void qelTripletParser::fontGlobalIdentifier(qelMappedFontInfo* font)
{
    qelTriplet* t = m_currentTriplet;
    unsigned int values[4] = {0, 0, 0, 0};
    bool present[4] = {false, false, false, false};
    for (int i = 0; i < 4; ++i) {
        if (t->getRemaining() >= 2) {
            values[i] = t->readUInt16();
            present[i] = true;
        }
    }
    char number[16];
    if (present[0]) {
        std::snprintf(number, sizeof number, "%u", values[0]);
        font->setGCSGID(number);
    }
    if (present[1]) {
        std::snprintf(number, sizeof number, "%u", values[1]);
        font->setCPGID(number);
    }
    if (present[2]) {
        std::snprintf(number, sizeof number, "%u", values[2]);
        font->setFGID(number);
    }
    if (present[3])
        font->setHorizontalSize(qelUtils::roundHalfDown(values[3] / 2.0));
    line("Graphic Character Set Global Identifier (GCSGID): %d", values[0]);
    line("Code Page Global Identifier (CPGID): %d", values[1]);
    line("Font Typeface Global ID (FGID): %d", values[2]);
    line("Horizontal font size in 1440ths of an inch: %d", values[3]);
}

// Names of the general reader outside fonts; false for a type it does not know.
bool qelTripletParser::objectName(int type, const std::string& name, const unsigned char* raw, int rawLength)
{
    const char* text = name.c_str();
    qelIndex* entry = m_indexEntry;
    qelIndexElement* element = m_indexElement;
    switch (type) {
    case 0x01:
        setFullyQualifiedName(text);
        line("This GID replaces the first parameter in the structured field that contains a GID name. : %s", text);
        return true;
    case 0x09:
        line("The triplet specifies a reference to the MO:DCA resource hierarchy: %s", text);
        return true;
    case 0x0A:
        line("The triplet contains a GID reference to a Begin Resource Group structured field: %s", text);
        return true;
    case 0x0B:
        if (entry) {
            entry->setName(text);
            entry->setEBCDICName(raw, rawLength);
        }
        line("The triplet contains the GID of a document attribute: %s", text);
        return true;
    case 0x0C:
        if (entry)
            entry->setProcessElementName(text);
        line("The triplet contains the GID of a process element: %s", text);
        return true;
    case 0x0D:
        indexedObject(text, 1);
        line("The triplet contains a GID reference to a Begin Named Page Group structured field: %s", text);
        return true;
    case 0x83:
        line("The triplet contains a GID reference to a Begin Document structured field: %s", text);
        return true;
    case 0x84: {
        char* copy = new char[name.size() + 1];
        std::memcpy(copy, text, name.size() + 1);
        setResourceObjectReference(copy);
        line("Resource Object Reference: %s", text);
        return true;
    }
    case 0x87:
        indexedObject(text, 0);
        line("The triplet contains a GID reference to a Begin Page structured field: %s", text);
        return true;
    case 0x8D:
        if (element)
            element->setGroupName(text);
        setMediumMapName(text);
        line("The triplet contains a GID reference to a Begin Medium Map structured field: %s", text);
        return true;
    case 0x98:
        line("The triplet contains a GID reference to a Begin Document Index structured field: %s", text);
        return true;
    case 0xB0:
        line("The triplet contains a GID reference to a Begin Overlay structured field: %s", text);
        return true;
    case 0xCA:
        if (element)
            element->setPageName(text);
        line("This triplet contains the GID of an Index Element structured field: %s", text);
        return true;
    case 0xCE:
        line("The triplet contains a GID reference to other object data (optionally defined by an IBM "
             "presentation architecture): %s",
             text);
        return true;
    default:
        return false;
    }
}

void qelTripletParser::objectClassificationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x10, 24, 96, "Object Classification");
    line("Object Classification Triplet ");
    if (t->getRemaining() >= 1 && t->readByte() != 0)
        line("Warning! Reserved bytes not equal to 0x00\n");
    if (t->getRemaining() >= 1) {
        switch (t->readByte()) {
        case 0x01:
            line("Object Class : Time-invariant Presentation Object");
            break;
        case 0x10:
            line("Object Class : Time-variant Presentation Object");
            break;
        case 0x20:
            line("Object Class : Execuatble Program ( Non Presentation Object)");
            break;
        case 0x30:
            line("Object Class : Setup File( Non Presentation Object)");
            break;
        default:
            break;
        }
    }
    if (t->getRemaining() >= 2 && t->readUInt16() != 0)
        line("Warning! Reserved bytes not equal to 0x0000");
    if (t->getRemaining() >= 2)
        line("Structure flags of the Object : 0x%x", t->readUInt16());
    m_objectTypeCode = 0;
    if (t->getRemaining() < 16)
        return;
    static const char kHex[] = "0123456789ABCDEF";
    char hex[33];
    for (int i = 0; i < 16; ++i) {
        int b = t->readByte();
        hex[2 * i] = kHex[b >> 4];
        hex[2 * i + 1] = kHex[b & 0xF];
    }
    hex[32] = 0;
    for (const ObjectType& row : kObjectTypes) {
        char pattern[19];
        std::snprintf(pattern, sizeof pattern, "06072B1200040101%02X", row.lastByte);
        if (std::strstr(hex, pattern)) {
            m_objectTypeCode = row.code;
            line("Object Identifier (OID) : %s (%s)", hex, row.name);
            break;
        }
    }
    if (t->getRemaining() < 32)
        return;
    std::string typeName = readText(32);
    line("Name of the Object Type : %s", typeName.c_str());
    if (m_objectTypeCode == 0) {
        for (const TypeName& row : kTypeNames) {
            if (strcasecmp(row.name, typeName.c_str()) == 0) {
                m_objectTypeCode = row.code;
                break;
            }
        }
    }
    if (m_objectTypeCode == 0)
        throw new qelException(__FILE__, __LINE__, QEL_MSG_WARNING, qelMsg::W016, 0, true,
                               "Object Classification Triplet (X'10') without Object Identifier and Object Type");
    if (t->getRemaining() < 8)
        return;
    std::string level = readText(8);
    line("Release level version of the Object Type : %s", level.c_str());
    if (t->getRemaining() < 32)
        return;
    std::string company = readText(32);
    line("Name of the company: %s", company.c_str());
}

void qelTripletParser::interchangeSetTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x18, 5, "MODCA Interchange Set Triplet");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    unsigned int id = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    line("MODCA Interchange Set Triplet");
    line("Interchange Set Type: ");
    if (type == 1) {
        more("Presentation Document");
        line("Interchange set identifier (ISid): ");
        if (id == 0x0900)
            more("MO:DCA-P IS/1");
        else if (id == 0x0C00)
            more("MO:DCA-P IS/2");
        else
            throw new qelException(__FILE__, __LINE__, qelMsg::E067, 0, true, id,
                                   static_cast<unsigned int>(offset()));
    } else if (type == 3) {
        more("Resource Document");
        if (id == 0x0C00)
            more("MO:DCA-L");
        else
            throw new qelException(__FILE__, __LINE__, qelMsg::E067, 0, true, id,
                                   static_cast<unsigned int>(offset()));
    } else {
        warn("Error! Invalid InterchangeSetTriplet Type 0x%x in function", static_cast<unsigned int>(type));
    }
}

void qelTripletParser::resourceObjectTypeTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x21, 10, "Resource Object Type");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Resource Object Type Triplet");
    const char* name = nullptr;
    switch (type) {
    case 0x03:
        name = "GOCA(Graphics) Object";
        break;
    case 0x05:
        name = "BOCA(Bar Code) Object";
        break;
    case 0x06:
        name = "IOCA(Image) Object";
        break;
    case 0x40:
        name = "Font Character Set Object";
        break;
    case 0x41:
        name = "Code Page Object";
        break;
    case 0x42:
        name = "Coded Font Object";
        break;
    case 0x92:
        name = "Object Container";
        break;
    case 0xFB:
        name = "Page Segment Object";
        break;
    case 0xFC:
        name = "Overlay Object";
        break;
    case 0xFD:
        name = "PageDef Object";
        break;
    case 0xFE:
        name = "Formdef Object";
        break;
    default:
        break;
    }
    if (name)
        line("Resource Object Type: %s", name);
    m_resourceObjectType = type;
    for (int i = 0; i < 7 && t->getRemaining() >= 1; ++i)
        if (t->readByte() != 0)
            line("Warning! Constant Data is not 0x00");
}

void qelTripletParser::objectFunctionSetSpecificationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x21, 8, 254, "object Function Set Specification Triplet");
    line("Object Function Set Specification Triplet :");
    line("content ignored. Only for MO:DCA-P IS/1 streams.");
    line("This triplet should NOT occur in this stream.");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    switch (type) {
    case 0x02:
        line("Object type: Presentation Text (0x02)");
        break;
    case 0x03:
        line("Object type: Graphics (0x03)");
        break;
    case 0x05:
        line("Object type: Retired value (0x05)");
        break;
    case 0x06:
        line("Object type: Image (0x06)");
        break;
    default:
        warn("Error! Invalid Object Type Value: 0x%x in objectFunctionSetSpecificationTriplet()",
             static_cast<unsigned int>(type));
        throw new qelException(__FILE__, __LINE__, qelMsg::E007, 0, true, static_cast<unsigned int>(offset()));
    }
    if (t->getRemaining() >= 1 && t->readByte() != 0)
        line("Warning! Archive version is not zero!");
    if (t->getRemaining() < 2 || t->readUInt16() != 0x8000)
        line("Warning! MODCA Function set ID is not 0x8000!");
    unsigned int oca = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    switch (oca) {
    case 0x0000:
        line("OCA function set: PTOCA PT1 (0x0000)");
        break;
    case 0x4000:
        line("OCA function set: GOCA DR/2V0 (0x4000)");
        break;
    case 0x8000:
        line("OCA function set: IOCA FS10 (0x8000)");
        break;
    default:
        warn("Error! Invalid OCA function set Value: 0x%x in objectFunctionSetSpecificationTriplet()", oca);
        throw new qelException(__FILE__, __LINE__, qelMsg::E007, 0, true, static_cast<unsigned int>(offset()));
    }
    t->skip(t->getRemaining());
}

// Prefix and font record differ between the general reader (the values
// stay in the reader) and the Map Coded Font reader.
void qelTripletParser::resourceLocalIdentifierTriplet(const char* prefix, qelMappedFontInfo* font)
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x24, 4, (std::string(prefix) + "Resource Local Identifier").c_str());
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    int id = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Resource Local Identifier Triplet");
    if (font) {
        fontLocalIdentifier(type, id, font);
        return;
    }
    m_resourceType = static_cast<uint8_t>(type);
    m_resourceLocalId = static_cast<uint8_t>(id);
    line("Resource Type : ");
    switch (m_resourceType) {
    case 0x00:
        more("Usage dependent");
        break;
    case 0x02:
        more("Page Overlay");
        break;
    case 0x05:
        more("Coded Font");
        break;
    case 0x07:
        more("Color Attribute Table");
        break;
    default:
        warn("Warning! Illegal Resource Type - 0x%x", static_cast<unsigned int>(m_resourceType));
        return;
    }
    if (m_resourceLocalId == 0x00 || m_resourceLocalId == 0xFF)
        line("Warning! Illegal value: 0x%x for Resource local ID", static_cast<unsigned int>(m_resourceLocalId));
    else
        line("Resource Local ID: 0x%02x", static_cast<unsigned int>(m_resourceLocalId));
}

void qelTripletParser::attributeValueTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x36, 4, 254, "Attribute Value Triplet ");
    line("Attribute Value Triplet");
    if (t->getRemaining() > 1) {
        unsigned int reserved = t->readUInt16();
        if (reserved != 0)
            line("Warning! Illegal Reserved Bytes: 0x%x. Should be Zero.", reserved);
    }
    int n = t->getRemaining();
    const unsigned char* raw = t->getData() + t->getPosition();
    std::string value(reinterpret_cast<const char*>(raw), static_cast<size_t>(n));
    t->skip(n);
    if (n > 0)
        qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(&value[0]), n);
    for (char& c : value)
        if (c == 0)
            c = ' ';
    size_t begin = value.find_first_not_of(" \t\n\v\f\r");
    size_t end = value.find_last_not_of(" \t\n\v\f\r");
    value = begin == std::string::npos ? std::string() : value.substr(begin, end - begin + 1);
    line("Attribute Value: %s", value.c_str());
    if (m_indexEntry) {
        m_indexEntry->setValue(value.c_str());
        m_indexEntry->setEBCDICValue(raw, n);
    }
}

void qelTripletParser::resourceUsageAttributeTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x47, 3, "Resource Usage Attribute");
    int frequency = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Resource Usage Attribute Triplet");
    line("Frequency of use: ");
    if (frequency == 0x00)
        more("Low");
    else if (frequency == 0xFF)
        more("High");
    else
        warn("Warning! Illegal value for Frequency: 0x%x", static_cast<unsigned int>(frequency));
}

// Year, day and time of a date and time stamp (EBCDIC digits).
void qelTripletParser::logStamp(qelTriplet* t)
{
    if (t->getRemaining() < 14)
        return;
    int hundreds = t->readByte();
    std::string year = readText(2);
    std::string day = readText(3);
    std::string hour = readText(2);
    std::string minute = readText(2);
    std::string second = readText(2);
    std::string hundredth = readText(2);
    // X'40' stands for the 1900s, X'F0' to X'F9' for 2000 to 2900.
    int century = 19;
    if (hundreds >= 0xF0 && hundreds <= 0xF9)
        century = 20 + (hundreds - 0xF0);
    else if (hundreds != 0x40)
        line("Warning! Invalid Century Value");
    line("Year: %d%s, Day of Year: %s, Time: %s:%s:%s:%s", century, year.c_str(), day.c_str(), hour.c_str(),
         minute.c_str(), second.c_str(), hundredth.c_str());
}

void qelTripletParser::objectDateAndTimeStampTriplet(bool font)
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x62, 17, "Object Date And Time Stamp");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    line(font ? "Object Date And Time Stamp Triplet (FOCA)" : "Object Date And Time Stamp Triplet");
    switch (type) {
    case 0x00:
        line("Object creation data and time");
        break;
    case 0x01:
        line(font ? "APSRMARK time stamp type" : "Retired data and time stamp type");
        break;
    case 0x03:
        line("Object revision data and time");
        break;
    default:
        warn("Warning! Invalid Stamp Type Value: 0x%x", static_cast<unsigned int>(type));
        return;
    }
    logStamp(t);
    if (font)
        t->skip(t->getRemaining());
}

void qelTripletParser::objectChecksumTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x63, 6, 254, "Object Checksum");
    line("Object Checksum Triplet :");
    if (t->getRemaining() >= 1) {
        int format = t->readByte();
        if (format == 0x01)
            line("Format : Object Cyclic Redundancy Check (CRC) ");
        else if (format == 0x02)
            line("Format : Retired for private use ");
    }
    if (t->getRemaining() >= 2)
        line("Object CRC check sum: 0x%x", t->readUInt16());
    if (t->getRemaining() >= 1)
        line("ClassFlags: 0x%x", static_cast<unsigned int>(t->readByte()));
    if (t->getRemaining() > 0)
        line("Excess data in Object Checksum triplet");
}

void qelTripletParser::resourceManagementTriplet()
{
    qelTriplet* t = m_currentTriplet;
    line("Resource management Triplet");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    if (type == 1) {
        checkLengthRange(0x63, 6, 255, "Object Checksum");
        line("Type 1: CRC Resource Management Triplet");
        if (t->getRemaining() >= 2)
            line("RM Value: %d", t->readUInt16());
        if (t->getRemaining() >= 1)
            line("ClassFlags: 0x%x", static_cast<unsigned int>(t->readByte()));
        if (t->getRemaining() > 0)
            line("Excess data in CRC Resource Management Triplet");
    } else if (type == 2) {
        checkLengthRange(0x63, 21, 255, "Object Checksum");
        line("Type 2: Resource Management triplet for fonts");
        if (t->getRemaining() >= 4)
            line("RM Value %d", static_cast<int>(t->readUInt32()));
        logStamp(t);
    }
    t->skip(t->getRemaining());
}

void qelTripletParser::objectOriginIdentifierTriplet()
{
    qelTriplet* t = m_currentTriplet;
    line("Object Origin Identifier Triplet");
    line("Originating System : ");
    int system = t->getRemaining() >= 1 ? t->readByte() : 0;
    static const char* const kSystems[] = {" MVS", " VM", " PC-DOS", " VSE"};
    more("%s", system >= 1 && system <= 4 ? kSystems[system - 1] : "Reserved Bytes");
    if (t->getRemaining() >= 8)
        line("System ID and Serial Number: %s", readText(8).c_str());
    if (t->getRemaining() >= 6)
        line("Storage Media ID: %s", readText(6).c_str());
    if (t->getRemaining() >= 44)
        line("Data set ID: %s", readText(44).c_str());
    t->skip(t->getRemaining());
}

void qelTripletParser::commentTriplet()
{
    qelTriplet* t = m_currentTriplet;
    if (m_inFontResource)
        checkLengthRange(0x65, 2, 255, "Comment");
    else
        checkLengthRange(0x65, 3, 254, "Comment");
    line("Comment Triplet");
    if (logOn())
        line("Comment: %s", readText(t->getRemaining()).c_str());
    else
        t->skip(t->getRemaining());
}

void qelTripletParser::resourceObjectIncludeTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x6C, 17, 19, "Resource Object Include");
    if (t->getRemaining() < 1)
        return;
    lineMasked(QEL_LOG_LEVEL2, "Resource Object Include Triplet");
    int type = t->readByte();
    if (type == 0x5F)
        lineMasked(QEL_LOG_LEVEL2, "Object Type: Page Segment (Retired for private use)");
    else if (type == 0xDF)
        lineMasked(QEL_LOG_LEVEL2, "Object Type: Overlay");
    else
        lineMasked(QEL_LOG_LEVEL2, "Invalid object type (0x%02x)", static_cast<unsigned int>(type));
    std::string name = readText(t->getRemaining() >= 8 ? 8 : 0);
    lineMasked(QEL_LOG_LEVEL2, "Object Name: %s", name.c_str());
    int32_t x = 0;
    int32_t y = 0;
    if (t->getRemaining() >= 3) {
        const uint32_t high = static_cast<uint32_t>(t->readByte()) & 0xFF;
        x = signedLow16OrSigned24((high << 16) | t->readUInt16());
        lineMasked(QEL_LOG_LEVEL2, "X axis origin of the object: 0x%04x", static_cast<unsigned int>(x) & 0xFFFFFFu);
    }
    if (t->getRemaining() >= 3) {
        const uint32_t high = static_cast<uint32_t>(t->readByte()) & 0xFF;
        y = signedLow16OrSigned24((high << 16) | t->readUInt16());
        lineMasked(QEL_LOG_LEVEL2, "Y axis origin of the object: 0x%04x", static_cast<unsigned int>(y) & 0xFFFFFFu);
    }
    unsigned int orientation = 0;
    if (t->getRemaining() >= 2) {
        orientation = t->readUInt16();
        int d = qelAFPParser::rotationDegrees(orientation);
        if (d < 0)
            lineMasked(QEL_LOG_LEVEL2, "Invalid Object orientation: 0x%04x", orientation);
        else
            lineMasked(QEL_LOG_LEVEL2, "Object orientation (0x%04X): %d degrees", orientation, d);
    }
    if (type == 0x5F || type == 0xDF)
        addResourceObjectInclude(static_cast<uint8_t>(type), name.c_str(), x, y, static_cast<uint16_t>(orientation));
}

void qelTripletParser::extensionFontTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x6D, 4, "Extension Font");
    unsigned int gcsgid = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    line("Extension Font Triplet");
    line("Graphic Character Set GID %d", gcsgid);
}

void qelTripletParser::attributeQualifierTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x80, 10, "Attribute Qualifier");
    uint32_t sequence = t->getRemaining() >= 4 ? t->readUInt32() : 0;
    uint32_t level = t->getRemaining() >= 4 ? t->readUInt32() : 0;
    line("Attribute Qualifier Triplet:");
    line("Sequence Number: %08x", sequence);
    line("Level Number: %08x", level);
    if (m_indexEntry) {
        m_indexEntry->setSequenceNumber(static_cast<int32_t>(sequence));
        m_indexEntry->setLevelNumber(static_cast<int32_t>(level));
    }
}

void qelTripletParser::indexValueTriplet(int id)
{
    qelTriplet* t = m_currentTriplet;
    int type = 0;
    int reserved = 0;
    switch (id) {
    case 0x2D:
        checkLength(id, 6, "direct Byte Offset Triplet");
        break;
    case 0x56:
        checkLength(id, 6, "Medium Map Page Number");
        break;
    case 0x57:
        checkLength(id, 6, "ObjectByteExtent");
        break;
    case 0x58:
        checkLength(id, 6, "Object Structured Field Offset");
        break;
    case 0x59:
        checkLength(id, 6, "Object Structured Field Extent");
        break;
    case 0x5A:
        checkLength(id, 8, "Object Offset Triplet");
        break;
    default:
        checkLength(id, 8, "Object Count Triplet");
        break;
    }
    if (id == 0x5A || id == 0x5E) {
        type = t->getRemaining() >= 1 ? t->readByte() : 0;
        reserved = t->getRemaining() >= 1 ? t->readByte() : 0;
    }
    uint32_t value = t->getRemaining() >= 4 ? t->readUInt32() : 0;
    if (m_indexElement && id == 0x2D)
        m_indexElement->setByteOffset(value);
    if (m_indexElement && id == 0x5E)
        m_indexElement->setSubordinateCount(static_cast<int32_t>(value));
    switch (id) {
    case 0x2D:
        line("Direct Byte Offset Triplet ");
        if (value == 0xFFFFFFFFu)
            line("Offset of the indexed object in bytes: 0x%02x ( Object is Outside Document )", value);
        else
            line("Offset of the indexed object in bytes: 0x%02x", value);
        break;
    case 0x56:
        line("Medium Map Page Number Triplet");
        if (static_cast<int32_t>(value) > 0)
            line("Sequence Number of The Indexed Page: 0x%02x", value);
        else
            line("Invalid Sequence Number: 0x%02x", value);
        break;
    case 0x57:
        line("Object Byte Extent Triplet");
        line("Byte Extent of Indexed Object: 0x%02x", value);
        break;
    case 0x58:
        line("Object Structured Field Offset Triplet");
        if (value == 0xFFFFFFFFu)
            line("Offset, in structured fields, to the indexed object: 0x%02x (Object Is Outside Document) ", value);
        else
            line("Offset, in structured fields, to the indexed object: 0x%02x", value);
        break;
    case 0x59:
        line("Object Structured Field Extent Triplet");
        line("Extent, in structured fields, to the indexed object: 0x%2x", value);
        break;
    case 0x5A:
        line("Object Offset Triplet");
        line(type == 0xA8 ? "The Object Type is Document" : type == 0xAF ? "The Object Type is Page"
                                                                          : "Unknown Object Type");
        if (reserved != 0)
            line("Improper Value: Reserved Byte is not Zero");
        line("Number of Object that Precede this Object: 0x%02x ", value);
        break;
    default:
        line("Object Count Triplet");
        line(type == 0xAF ? "The Type of SubOrdinate Object Type is Page" : "Unknown SubOrdinate Object Type");
        if (reserved != 0)
            line("Improper Value: Reserved Byte is not Zero");
        line("Number of SubOrdinate Objects Count within this Object: 0x%02x", value);
        break;
    }
}

// ---- measurement, area, position, colour and presentation triplets

void qelTripletParser::mappingOptionTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x04, 3, "Mapping Option");
    if (t->getRemaining() < 1)
        return;
    m_mappingOption = static_cast<uint8_t>(t->readByte());
    line("Mapping Option Triplet");
    switch (m_mappingOption) {
    case 0x00:
        line("Data Object Mapping Option: Position");
        break;
    case 0x10:
        line("Data Object Mapping Option: Position and Trim");
        break;
    case 0x20:
        line("Data Object Mapping Option: Scale to Fit");
        break;
    case 0x30:
        line("Data Object Mapping Option: Center and Trim ( Not Handled )");
        break;
    case 0x41:
    case 0x42:
        line("Data Object Mapping Option: Migration Mapping ( Not Handled )");
        break;
    case 0x50:
        line("Data Object Mapping Option: Replicate and Trim");
        break;
    case 0x60:
        line("Data Object Mapping Option: Scale to Fill");
        break;
    default:
        warn("Warning! Illegal Value for Map Value in Mapping Option Triplet: 0x%x",
             static_cast<unsigned int>(m_mappingOption));
        break;
    }
}

void qelTripletParser::lineDataObjectPositionMigrationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x27, 3, "Line Data Object Position Migration Triplet");
    if (t->getRemaining() < 1)
        return;
    m_positionMigrationOrientation = static_cast<uint8_t>(t->readByte());
    unsigned int v = m_positionMigrationOrientation;
    line("Line Data Object Position Migration Triplet(X'27')");
    switch (v) {
    case 0:
        line("Standard page origin, 0\xB0 rotation : 0x%02X", v);
        break;
    case 1:
        line("Lower left origin, 270\xB0 rotation : 0x%02X", v);
        break;
    case 2:
        line("Lower right origin,  180\xB0 rotation : 0x%02X", v);
        break;
    case 3:
        line("Upper right origin,  90\xB0 rotation : 0x%02X", v);
        break;
    default:
        line("Warning! Illegal Temporary Orientation value : 0x%02X", v);
        break;
    }
}

void qelTripletParser::descriptorPositionTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x43, 3, "Descriptor Position Triplet");
    if (t->getRemaining() < 1)
        return;
    m_descriptorPositionId = static_cast<uint8_t>(t->readByte());
    lineMasked(QEL_LOG_LEVEL2, "Descriptor Position ID Value: %d (0x%x)", m_descriptorPositionId,
               static_cast<unsigned int>(m_descriptorPositionId));
}

void qelTripletParser::mediaEjectControlTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x45, 4, "Media Eject Control");
    lineMasked(QEL_LOG_LEVEL2, "Media Eject Control Triplet");
    if (t->getRemaining() >= 1) {
        int reserved = t->readByte();
        if (reserved != 0)
            lineMasked(QEL_LOG_GENERAL, "Warning! Illegal reserved byte (0x%02X", static_cast<unsigned int>(reserved));
    }
    if (t->getRemaining() < 1)
        return;
    int control = t->readByte();
    switch (control) {
    case 1:
        lineMasked(QEL_LOG_GENERAL, "Eject Control (0x01): Eject to new sheet");
        break;
    case 2:
        lineMasked(QEL_LOG_GENERAL, "Eject Control (0x02): Conditional eject to next partition");
        break;
    case 3:
        lineMasked(QEL_LOG_GENERAL, "Eject Control (0x03): Conditional eject to next front-side partition");
        break;
    case 4:
        lineMasked(QEL_LOG_GENERAL, "Eject Control (0x04): Conditional eject to next back-side partition");
        break;
    default:
        lineMasked(QEL_LOG_GENERAL, "Warning! Illegal Eject Control Value: 0x%02X", static_cast<unsigned int>(control));
        break;
    }
}

void qelTripletParser::pageOverlayConditionalProcessingTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x46, 3, 4, " Page Overlay Conditional Processing ");
    int type = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Page Overlay Conditional processing Triplet");
    line("Page Overlay Type: ");
    switch (type) {
    case 0:
        more("Normal");
        break;
    case 1:
        more("Annotation");
        break;
    case 2:
        more("Redaction");
        break;
    default:
        if (!m_quiet)
            qelMessageOutput::printf("Error! Illegal Page Overlay Type: 0x%x\n", static_cast<unsigned int>(type));
        throw new qelException(__FILE__, __LINE__, qelMsg::E056, 0, true, static_cast<unsigned int>(type),
                               static_cast<unsigned int>(offset()));
    }
    if (t->getRemaining() < 1) {
        line("Level of Overlay is not defined.");
        return;
    }
    int level = t->readByte();
    if (level == 0 || level == 255) {
        warn("Error! Illegal Level of Overlay: %d", level);
        throw new qelException(__FILE__, __LINE__, qelMsg::E056, 0, true, static_cast<unsigned int>(type),
                               static_cast<unsigned int>(offset()));
    }
    line("Level of Overlay (Level): %d", level);
}

void qelTripletParser::measurementUnitsTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x4B, 8, "measurement Units ");
    if (t->getRemaining() >= 1)
        m_xUnitBase = static_cast<uint8_t>(t->readByte());
    if (t->getRemaining() >= 1)
        m_yUnitBase = static_cast<uint8_t>(t->readByte());
    if (t->getRemaining() >= 2)
        m_xUnitsPerBase = static_cast<uint16_t>(t->readUInt16());
    if (t->getRemaining() >= 2)
        m_yUnitsPerBase = static_cast<uint16_t>(t->readUInt16());
    // Units per inch: a ten-centimetre base holds 3.937 inches.
    if (m_xUnitBase == 1)
        m_measurementResolution = static_cast<int32_t>(m_xUnitsPerBase) * 254 / 1000;
    else
        m_measurementResolution = m_xUnitsPerBase / 10;
    unsigned int bases[2] = {m_xUnitBase, m_yUnitBase};
    const char* axes[2] = {"X", "Y"};
    for (int i = 0; i < 2; ++i) {
        if (bases[i] == 0)
            line("Base unit for %s Axis (0x%x) : Ten inches", axes[i], bases[i]);
        else if (bases[i] == 1)
            line("Base unit for %s Axis (0x%x) : Ten Centimetres", axes[i], bases[i]);
        else
            warn("Warning! Invalid value for %s base unit: 0x%x", axes[i], bases[i]);
    }
    line("Object area units per unit base for X axis (XoaUnits): %d (0x%x)", m_xUnitsPerBase,
         static_cast<unsigned int>(m_xUnitsPerBase));
    line("Object area units per unit base for Y axis (YoaUnits): %d (0x%x)", m_yUnitsPerBase,
         static_cast<unsigned int>(m_yUnitsPerBase));
}

void qelTripletParser::objectAreaSizeTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x4C, 9, "objectAreaSizeTriplet");
    m_objectAreaSizeType = t->getRemaining() >= 1 ? static_cast<uint8_t>(t->readByte()) : 0;
    line("Object Area Size Triplet");
    if (m_objectAreaSizeType != 2) {
        line("Warning! Illegal Size Type: 0x%x in Object Area Size Triplet",
             static_cast<unsigned int>(m_objectAreaSizeType));
        return;
    }
    uint32_t x = 0;
    uint32_t y = 0;
    if (t->getRemaining() >= 3) {
        const uint32_t high = static_cast<uint32_t>(t->readByte()) & 0xFF;
        x = unsignedLow16OrUnsigned24((high << 16) | t->readUInt16());
    }
    if (t->getRemaining() >= 3) {
        const uint32_t high = static_cast<uint32_t>(t->readByte()) & 0xFF;
        y = unsignedLow16OrUnsigned24((high << 16) | t->readUInt16());
    }
    setObjectAreaExtent(x, y);
    line("Object Area Extent for X Axis: %d (0x%x)", static_cast<int>(x), x);
    line("Object Area Extent for Y Axis: %d (0x%x)", static_cast<int>(y), y);
}

void qelTripletParser::colorSpecificationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x4E, 14, 16, "ColorSpecification");
    line("Color Specification Triplet");
    if (t->getRemaining() >= 1 && t->readByte() != 0)
        line("Warning! Reserved bytes not equal to 0x00\n");
    int space = t->getRemaining() >= 1 ? t->readByte() : 0;
    if (t->getRemaining() >= 4) {
        int a = t->readByte();
        int b = t->readByte();
        int c = t->readByte();
        t->readByte();
        if (a != 0 || b != 0 || c != 0)
            line("Warning! Reserved bytes not equal to 0x00\n");
    } else {
        t->skip(t->getRemaining());
    }
    int bits[4] = {0, 0, 0, 0};
    for (int& b : bits)
        if (t->getRemaining() >= 1)
            b = t->readByte();
    int needed;
    switch (space) {
    case 0x01:
        m_colorSpace = 1;
        needed = 3;
        line("RGB Color Space : %d (0x%02x)", space, static_cast<unsigned int>(space));
        break;
    case 0x04:
        m_colorSpace = 2;
        needed = 4;
        line("CMYK Color Space : %d (0x%02x)", space, static_cast<unsigned int>(space));
        break;
    case 0x06:
        m_colorSpace = 3;
        needed = 2;
        line("HighLight Color Space <not handled> : %d (0x%02x)", space, static_cast<unsigned int>(space));
        break;
    case 0x08:
        m_colorSpace = 4;
        needed = 3;
        line("CIELAB Color Space <not handled> : %d (0x%02x)", space, static_cast<unsigned int>(space));
        break;
    case 0x40:
        m_colorSpace = 5;
        needed = 2;
        line("Standard OCA Color Space : %d (0x%02x)", space, static_cast<unsigned int>(space));
        break;
    default:
        warn("Warning! Illegal Color Space: %d (0x%x)", space, static_cast<unsigned int>(space));
        line("Warning! Illegal Color value: 0x%08X", 0u);
        return;
    }
    for (int i = 0; i < 4; ++i)
        line("No. of bits in Component %d: %d (0x%02x)", i + 1, bits[i], static_cast<unsigned int>(bits[i]));
    if (t->getRemaining() < needed)
        return;
    auto masked = [](int byte, int n) {
        if (n >= 8)
            return byte;
        return byte & ((1 << n) - 1);
    };
    int bytes[4] = {0, 0, 0, 0};
    int count = t->getRemaining() < 4 ? t->getRemaining() : 4;
    for (int i = 0; i < count; ++i)
        bytes[i] = t->readByte();
    switch (m_colorSpace) {
    case 1:
        for (int i = 0; i < 3; ++i)
            line("Color Byte %d: 0x%02X (%d)", i + 1, static_cast<unsigned int>(bytes[i]), bytes[i]);
        m_colorValue = static_cast<uint32_t>((masked(bytes[2], bits[2]) << 16) | (masked(bytes[1], bits[1]) << 8) |
                                             masked(bytes[0], bits[0]));
        break;
    case 2:
        for (int i = 0; i < 4; ++i)
            line("Color Byte %d: 0x%02X (%d)", i + 1, static_cast<unsigned int>(bytes[i]), bytes[i]);
        m_colorValue = (static_cast<uint32_t>(masked(bytes[0], bits[0])) << 24) |
                       (static_cast<uint32_t>(masked(bytes[1], bits[1])) << 16) |
                       (static_cast<uint32_t>(masked(bytes[2], bits[2])) << 8) |
                       static_cast<uint32_t>(masked(bytes[3], bits[3]));
        break;
    case 3:
        m_colorValue = bits[0] == 16 ? static_cast<uint32_t>(bytes[0] * 256 + bytes[1]) : 0;
        m_highlightCoverage = count >= 3 && bits[1] == 8 ? static_cast<uint8_t>(bytes[2]) : 0;
        m_highlightShading = count >= 4 && bits[2] == 8 ? static_cast<uint8_t>(bytes[3]) : 0;
        line("Color value: 0x%04X (%d)", m_colorValue, static_cast<int>(m_colorValue));
        line("Coverage percentage: 0x%02X (%d)", static_cast<unsigned int>(m_highlightCoverage), m_highlightCoverage);
        line("Shading percentage: 0x%02X (%d)", static_cast<unsigned int>(m_highlightShading), m_highlightShading);
        line("Color value in the defined format and encoding : 0x%04X (%d)", m_colorValue,
             static_cast<int>(m_colorValue));
        return;
    case 4:
        for (int i = 0; i < 3; ++i)
            line("Color Byte %d: 0x%02X (%d)", i + 1, static_cast<unsigned int>(bytes[i]), bytes[i]);
        break;
    default:
        m_colorValue = bits[0] == 16 ? static_cast<uint32_t>(bytes[0] * 256 + bytes[1]) : 0;
        line("Color value: 0x%04X (%d)", static_cast<unsigned int>(bytes[0] * 256 + bytes[1]),
             bytes[0] * 256 + bytes[1]);
        break;
    }
    line("Color value in the defined format and encoding : 0x%08X (%d)", m_colorValue, static_cast<int>(m_colorValue));
}

void qelTripletParser::mediumOrientationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x68, 3, "Medium Orienation");
    int orientation = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Medium Orientation Triplet");
    line("Orientation of the Medium Presentation Space: 0x%x", static_cast<unsigned int>(orientation));
    switch (orientation) {
    case 0:
        line("Orientation : Portrait");
        break;
    case 1:
        line("Orientation : Landscape");
        break;
    case 4:
        line("Orientation : Portrait 90");
        break;
    case 5:
        line("Orientation : Landscape 90");
        break;
    default:
        line("Warning! Illegal Orientation Value");
        break;
    }
}

void qelTripletParser::presentationSpaceResetMixingTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x70, 3, "Presentation Space Mixing");
    int flag = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("Presentation Space Reset Mixing Triplet");
    line("Background Mixing Flag: 0x%x", static_cast<unsigned int>(flag));
    line((flag & 0x80) ? "Do not reset to the color of the Medium" : "Reset to the color of the Medium");
}

void qelTripletParser::presentationSpaceMixingRulesTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLengthRange(0x71, 2, 10, "Presentation Space Mixing");
    while (t->getRemaining() > 0) {
        int value = t->readByte();
        if (value < 0x70 || value > 0x73)
            warn("Warning! Illegal Mixing value: 0x%x", static_cast<unsigned int>(value));
    }
}

void qelTripletParser::pagePositionInformationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x81, 3, "Page Position Information Triplet");
    if (t->getRemaining() < 1)
        return;
    m_pagePositionGroup = static_cast<uint8_t>(t->readByte());
    line("Page Position Information Triplet(X'81')");
    if (m_pagePositionGroup >= 1 && m_pagePositionGroup <= 8)
        line("Page Position Repeating Group Number : 0x%02X", static_cast<unsigned int>(m_pagePositionGroup));
    else
        line("Warning! Illegal Page Position Repeating Group Number : 0x%02X",
             static_cast<unsigned int>(m_pagePositionGroup));
}

// ---- Map Coded Font triplets

void qelTripletParser::MCFTextOrientationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x1D, 6, "MCFTextOrientationTriplet");
    line("MCF Text Orientation Triplet");
    const char* heads[2] = {"I Axis Text Orientation: ", "B Axis Text Orientation: "};
    for (const char* head : heads) {
        if (t->getRemaining() < 2)
            break;
        unsigned int word = t->readUInt16();
        int d = qelAFPParser::rotationDegrees(word);
        line("%s", head);
        if (d < 0)
            warn("Warning! Invalid Character Rotation: 0x%x", word);
        else
            more("%d Degrees", d);
    }
}

void qelTripletParser::MCFFontDescriptorSpecificationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    qelMappedFontInfo* font = m_mappedFont;
    checkLengthRange(0x1F, 9, 20, "MCF Font Descriptor Specification");
    if (t->getRemaining() >= 1) {
        int weight = t->readByte();
        font->setWeightClass(static_cast<uint8_t>(weight));
        line("%s", weight <= 9 ? kWeightClasses[weight] : "Invalid Font Width");
    }
    if (t->getRemaining() >= 1) {
        int width = t->readByte();
        font->setWidthClass(static_cast<uint8_t>(width));
        line("%s", width <= 9 ? kWidthClasses[width] : "Invalid Width to Height Ratio");
    }
    if (t->getRemaining() >= 2) {
        unsigned int vertical = t->readUInt16();
        if (vertical & 0x8000)
            line("Invalid Vertical Font Size: %d", vertical);
        else
            line("Specifies vertical font size in 1440ths of an inch: %d", vertical);
        font->setVerticalSize(qelUtils::roundHalfDown(vertical / 2.0));
    }
    if (t->getRemaining() >= 2) {
        unsigned int horizontal = t->readUInt16();
        if (horizontal > 0x7FFF)
            line("Invalid Horizontal Font Size: %d", horizontal);
        else
            line("Specifies horizontal font size in 1440ths of an inch: %d", horizontal);
        if (font->getHorizontalSize() == 0)
            font->setHorizontalSize(qelUtils::roundHalfDown(horizontal / 2.0));
    }
    if (t->getRemaining() >= 1)
        font->setUsageFlags(static_cast<uint8_t>(t->readByte()));
    if (t->getRemaining() > 9) {
        t->skip(10);
        if (t->getRemaining() >= 1)
            font->setDesignFlags(static_cast<uint8_t>(t->readByte()));
    }
}

void qelTripletParser::MCFFontCodedGraphicCharacterSetGlobalId()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x20, 6, "MCFFontCodedGraphicCharacterSetGlobalId");
    line("MCF Font Coded Graphic Character Set Global Id Triplet");
    if (t->getRemaining() < 2)
        return;
    unsigned int first = t->readUInt16();
    unsigned int second = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    if (first != 0) {
        m_fontGCSGID = static_cast<int32_t>(first);
        if (first == 0xFFFF)
            line("Character set consists of all characters in the code page. GCSGID: 0x%x", first);
        m_fontCPGID = static_cast<int32_t>(second);
        line("Code Page Global Identifier (CPGID): 0x%x", second);
    } else {
        m_fontGCSGID = static_cast<int32_t>(second);
        line("Coded Character Set Identifier (CCSID): 0x%x", second);
    }
}

// Font part of the Resource Local Identifier; an unknown type is E054.
void qelTripletParser::fontLocalIdentifier(int type, int id, qelMappedFontInfo* font)
{
    switch (type) {
    case 0x00:
        line("Resource type: 0x00 (Usage Dependent)");
        break;
    case 0x02:
        line("Resource type: 0x02 (Page Overlay)");
        break;
    case 0x05:
        line("Resource type: 0x05 (Coded Font)");
        break;
    case 0x07:
        line("Resource type: 0x07 (Color Attribute Table)");
        break;
    default:
        line("Invalid resource type: 0x%02X", static_cast<unsigned int>(type));
        throw new qelException(__FILE__, __LINE__, qelMsg::E054, 0, true, static_cast<unsigned int>(offset()));
    }
    font->setLocalId(static_cast<uint8_t>(id));
    line("Resource local id: 0x%02X", static_cast<unsigned int>(id));
}

void qelTripletParser::MCFResourceSectionNumberTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x25, 3, "MCFResourceSectionNumberTriplet");
    int section = t->getRemaining() >= 1 ? t->readByte() : 0;
    line("MCF Resource Section Number Triplet");
    line("Resource Section Number: 0x%x", static_cast<unsigned int>(section));
}

void qelTripletParser::MCFCharacterRotationTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x26, 4, "MCFCharacterRotationTriplet");
    line("MCF Character Rotation Triplet");
    line("Character Rotation: ");
    unsigned int word = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    int d = qelAFPParser::rotationDegrees(word);
    if (d < 0) {
        m_mappedFont->setCharacterRotation(0);
        warn("Warning! Invalid Character Rotation: 0x%x", word);
    } else {
        m_mappedFont->setCharacterRotation(static_cast<uint16_t>(d));
        more("%d Degrees", d);
    }
}

void qelTripletParser::encodingSchemeID()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x50, 4, "encodingSchemeID");
    unsigned int scheme = t->getRemaining() >= 2 ? t->readUInt16() : 0;
    line("MCF Encoding Scheme ID Triplet");
    line("Encoding Scheme identifier: %d (0x%04x)", scheme, scheme);
    line("Default Encoding");
    if ((scheme & 0xFF) == 0)
        line("No Extensions specified");
    else
        line("Wrong value for code extension: %d (0x%x)", scheme & 0xFF, scheme & 0xFF);
}

void qelTripletParser::MCFFontHorizontalScaleFactorTriplet()
{
    qelTriplet* t = m_currentTriplet;
    checkLength(0x5D, 4, "Font Horizontal Scale ");
    if (t->getRemaining() < 2)
        return;
    unsigned int factor = t->readUInt16();
    line("MCF Font Horizontal Scale Factor Triplet");
    line("Font Horizontal Scale Factor in 1440ths of an inch: 0x%x", factor);
    // Divided by the vertical size once the whole group has been read.
    m_pendingScale = qelUtils::roundHalfDown(factor / 2.0);
    m_scaleGiven = true;
}
