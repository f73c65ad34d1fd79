#ifndef QEL_TRIPLET_PARSER_H
#define QEL_TRIPLET_PARSER_H

#include "qelLogStream.h"
#include "qelString.h"
#include "qelTriplet.h"

#include <cstdint>
#include <memory>
#include <string>

class qelIndex;
class qelIndexElement;
class qelList;
class qelMappedFontInfo;
class qelSFIBlock;

// Mask bits of the triplets a field must or may have (maskBits gives the
// bits of an id). Some bits serve two ids that never meet in one field; each
// id has its own name.
enum qelTripletBit : uint32_t
{
    QEL_TRIPLET_CGCSGID = 1u << 0,                     // 0x01
    QEL_TRIPLET_FULLY_QUALIFIED_NAME = 1u << 1,        // 0x02
    QEL_TRIPLET_INTERCHANGE_SET = 1u << 2,             // 0x18
    QEL_TRIPLET_FUNCTION_SET = 1u << 3,                // 0x21 outside Begin Resource
    QEL_TRIPLET_DESCRIPTOR_POSITION = 1u << 4,         // 0x43
    QEL_TRIPLET_MEASUREMENT_UNITS = 1u << 5,           // 0x4B
    QEL_TRIPLET_OBJECT_AREA_SIZE = 1u << 6,            // 0x4C
    QEL_TRIPLET_TIME_STAMP = 1u << 7,                  // 0x62
    QEL_TRIPLET_COMMENT = 1u << 8,                     // 0x65
    QEL_TRIPLET_MIXING = 1u << 9,                      // 0x70, 0x71
    QEL_TRIPLET_OVERLAY_CONDITION = 1u << 10,          // 0x46
    QEL_TRIPLET_RESOURCE_USAGE = 1u << 11,             // 0x47
    QEL_TRIPLET_RESOURCE_LOCAL_ID = 1u << 12,          // 0x24
    QEL_TRIPLET_ATTRIBUTE_VALUE = 1u << 13,            // 0x36
    QEL_TRIPLET_ATTRIBUTE_QUALIFIER = 1u << 14,        // 0x80
    QEL_TRIPLET_CHECKSUM = 1u << 21,                   // 0x63
    QEL_TRIPLET_ORIGIN_IDENTIFIER = 1u << 22,          // 0x64
    QEL_TRIPLET_MEDIUM_ORIENTATION = (1u << 21) | (1u << 22), // 0x68
    QEL_TRIPLET_MAPPING_OPTION = 1u << 23,             // 0x04
    QEL_TRIPLET_RESOURCE_OBJECT_INCLUDE = 1u << 24,    // 0x6C
    QEL_TRIPLET_MEDIA_EJECT = 1u << 25,                // 0x45
    QEL_TRIPLET_OBJECT_OFFSET = 1u << 25,              // 0x5A
    QEL_TRIPLET_RESOURCE_OBJECT_TYPE = 1u << 26,       // 0x21 in Begin Resource
    QEL_TRIPLET_OBJECT_COUNT = 1u << 26,               // 0x5E
    QEL_TRIPLET_CLASSIFICATION = 1u << 27,             // 0x10
    QEL_TRIPLET_BYTE_OFFSET = 1u << 27,                // 0x2D
    QEL_TRIPLET_EXTENSION_FONT = 1u << 28,             // 0x6D
    QEL_TRIPLET_PAGE_NUMBER = 1u << 28,                // 0x56
    QEL_TRIPLET_COLOR = 1u << 29,                      // 0x4E
    QEL_TRIPLET_BYTE_EXTENT = 1u << 29,                // 0x57
    QEL_TRIPLET_POSITION_MIGRATION = 1u << 30,         // 0x27
    QEL_TRIPLET_FIELD_OFFSET = 1u << 30,               // 0x58
    QEL_TRIPLET_PAGE_POSITION = 1u << 31,              // 0x81
    QEL_TRIPLET_FIELD_EXTENT = 1u << 31                // 0x59
};

// The reader of the triplets of structured fields. A caller names the
// triplets a field must have and those it may have as two bit masks; after
// a call the masks show what was read and the result fields hold the values
// until the next call.
class qelTripletParser
{
public:
    qelTripletParser();
    ~qelTripletParser();
    qelTripletParser(const qelTripletParser&) = delete;
    qelTripletParser& operator=(const qelTripletParser&) = delete;

    // Every remaining triplet of the field; E009 when a mandatory one is
    // missing at the regular end of the field.
    void parse(uint32_t* mandatory, uint32_t* optional, qelSFIBlock* field);
    // The triplets of one repeating group of groupLength bytes.
    void repeatedTriplets(uint32_t mandatory, uint32_t optional, int groupLength, qelSFIBlock* field);
    // One Map Coded Font repeating group into the record.
    void MCF_Triplets(int groupLength, qelSFIBlock* field, qelMappedFontInfo* font);

    // Frees what the reader owns and sets the values back.
    void reset();

    // Mask bits of a triplet id inside a field; 0 for ids parse cannot read.
    static uint32_t maskBits(int id, int fieldId);
    static bool isKnownId(int id);

    uint16_t getLogMask() const { return m_logMask; }
    void setLogMask(uint16_t mask) { m_logMask = mask; }
    uint8_t getPositionMigrationOrientation() const { return m_positionMigrationOrientation; }
    void setPositionMigrationOrientation(uint8_t v) { m_positionMigrationOrientation = v; }
    uint8_t getPagePositionGroup() const { return m_pagePositionGroup; }
    void setPagePositionGroup(uint8_t v) { m_pagePositionGroup = v; }
    int32_t getFontCPGID() const { return m_fontCPGID; }
    int32_t getFontGCSGID() const { return m_fontGCSGID; }
    uint8_t getDescriptorPositionId() const { return m_descriptorPositionId; }
    void setDescriptorPositionId(uint8_t v) { m_descriptorPositionId = v; }
    uint16_t getGCSGID() const { return m_gcsgid; }
    uint16_t getCPGID() const { return m_cpgid; }
    uint16_t getCCSID() const { return m_ccsid; }
    uint8_t getObjectAreaSizeType() const { return m_objectAreaSizeType; }
    void setObjectAreaSizeType(uint8_t v) { m_objectAreaSizeType = v; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    void setXUnitBase(uint8_t v) { m_xUnitBase = v; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    void setYUnitBase(uint8_t v) { m_yUnitBase = v; }
    uint16_t getXUnitsPerBase() const { return m_xUnitsPerBase; }
    void setXUnitsPerBase(uint16_t v) { m_xUnitsPerBase = v; }
    uint16_t getYUnitsPerBase() const { return m_yUnitsPerBase; }
    void setYUnitsPerBase(uint16_t v) { m_yUnitsPerBase = v; }
    int32_t getMeasurementResolution() const { return m_measurementResolution; }
    void setMeasurementResolution(int32_t v) { m_measurementResolution = v; }
    void getObjectAreaExtent(uint32_t& x, uint32_t& y) const
    {
        x = m_objectAreaExtentX;
        y = m_objectAreaExtentY;
    }
    void setObjectAreaExtent(uint32_t x, uint32_t y)
    {
        m_objectAreaExtentX = x;
        m_objectAreaExtentY = y;
    }
    uint32_t getColorValue() const { return m_colorValue; }
    void setColorValue(uint32_t v) { m_colorValue = v; }
    int32_t getColorSpace() const { return m_colorSpace; }
    void setColorSpace(int32_t v) { m_colorSpace = v; }
    uint8_t getHighlightCoverage() const { return m_highlightCoverage; }
    void setHighlightCoverage(uint8_t v) { m_highlightCoverage = v; }
    uint8_t getHighlightShading() const { return m_highlightShading; }
    void setHighlightShading(uint8_t v) { m_highlightShading = v; }
    uint8_t getResourceLocalId() const { return m_resourceLocalId; }
    void setResourceLocalId(uint8_t v) { m_resourceLocalId = v; }
    uint8_t getResourceType() const { return m_resourceType; }
    void setResourceType(uint8_t v) { m_resourceType = v; }
    int32_t getObjectTypeCode() const { return m_objectTypeCode; }
    void setObjectTypeCode(int32_t v) { m_objectTypeCode = v; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t v) { m_mappingOption = v; }
    // Object type of the last Resource Object Type triplet, for the resource
    // group reader; 0 before the first one.
    int getResourceObjectType() const { return m_resourceObjectType; }
    void setResourceObjectType(int v) { m_resourceObjectType = v; }
    // Comments inside a font resource may be 2 to 255 bytes long.
    void setInFontResource(bool on) { m_inFontResource = on; }

    // Names: take hands the name over and the reader forgets it; every
    // entry point frees the names nobody took.
    std::unique_ptr<qelString> takeFullyQualifiedName() { return handOver(m_fullyQualifiedName); }
    const char* getFullyQualifiedNameText() const;
    void setFullyQualifiedName(const char* text);
    std::unique_ptr<qelString> takeAlternateName() { return handOver(m_alternateName); }
    void setAlternateName(const char* text);
    const char* getMediumMapName() const { return m_mediumMapName; }
    // Keeps at most 8 characters; none leaves the name empty.
    void setMediumMapName(const char* text);
    const char* getResourceObjectReference() const { return m_resourceObjectReference; }
    // Adopts a text allocated with new[].
    void setResourceObjectReference(char* text);
    qelString* getRawTripletData() const { return m_rawTripletData; }
    void keepUnknownTripletData();

    // Resource Object Include entries of the field in input order (owning
    // list of qelResourceObjectInclude), or null.
    qelList* getResourceObjectIncludes() const { return m_resourceObjectIncludes; }
    qelList* detachResourceObjectIncludes();
    void addResourceObjectInclude(uint8_t type, const char* name, int32_t x, int32_t y, uint16_t orientation);

    // Records that receive index values; owned by the caller.
    qelIndex* createIndexEntry();
    qelIndex* getIndexEntry() const { return m_indexEntry; }
    void detachIndexEntry() { m_indexEntry = nullptr; }
    qelIndexElement* getIndexElement() const { return m_indexElement; }
    void attachIndexElement(qelIndexElement* element) { m_indexElement = element; }
    void detachIndexElement() { m_indexElement = nullptr; }

    // Length checks: a failure is logged and warned, never fatal.
    void checkLength(int id, int length, const char* name);
    void checkLengthRange(int id, int smallest, int largest, const char* name);

private:
    static std::unique_ptr<qelString> handOver(qelString*& name)
    {
        std::unique_ptr<qelString> taken(name);
        name = nullptr;
        return taken;
    }
    void beginParse();
    bool logOn() const;
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void lineMasked(unsigned int mask, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void more(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Log line under the reader's mask and, unless quiet, the message output.
    void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void say(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void lengthFailed(const char* name);
    int offset();
    std::string readText(int n);
    void skipToGroupEnd(int end);
    bool groupFits(int end);
    void finishFont();

    // Readers of parse and repeatedTriplets; false when the id has none.
    bool readTriplet(int id, bool repeated);
    void codedGraphicCharacterSetGlobalIdTriplet();
    void fullyQualifiedNameTriplet(const char* prefix, int smallest, qelMappedFontInfo* font);
    void fontGlobalIdentifier(qelMappedFontInfo* font);
    bool objectName(int type, const std::string& name, const unsigned char* raw, int rawLength);
    void objectClassificationTriplet();
    void interchangeSetTriplet();
    void resourceObjectTypeTriplet();
    void objectFunctionSetSpecificationTriplet();
    void resourceLocalIdentifierTriplet(const char* prefix, qelMappedFontInfo* font);
    void fontLocalIdentifier(int type, int id, qelMappedFontInfo* font);
    void attributeValueTriplet();
    void resourceUsageAttributeTriplet();
    void objectDateAndTimeStampTriplet(bool font);
    void objectChecksumTriplet();
    void resourceManagementTriplet();
    void objectOriginIdentifierTriplet();
    void commentTriplet();
    void resourceObjectIncludeTriplet();
    void extensionFontTriplet();
    void attributeQualifierTriplet();
    // Names the indexed object (1 page group, 0 page) in the attached
    // index element and entry.
    void indexedObject(const char* name, int32_t kind);
    void indexValueTriplet(int id);
    void mappingOptionTriplet();
    void lineDataObjectPositionMigrationTriplet();
    void descriptorPositionTriplet();
    void mediaEjectControlTriplet();
    void pageOverlayConditionalProcessingTriplet();
    void measurementUnitsTriplet();
    void objectAreaSizeTriplet();
    void colorSpecificationTriplet();
    void mediumOrientationTriplet();
    void presentationSpaceResetMixingTriplet();
    void presentationSpaceMixingRulesTriplet();
    void pagePositionInformationTriplet();
    // Map Coded Font readers; false when the id has none.
    bool readFontTriplet(int id);
    void MCFTextOrientationTriplet();
    void MCFFontDescriptorSpecificationTriplet();
    void MCFFontCodedGraphicCharacterSetGlobalId();
    void MCFResourceSectionNumberTriplet();
    void MCFCharacterRotationTriplet();
    void encodingSchemeID();
    void MCFFontHorizontalScaleFactorTriplet();
    void logStamp(qelTriplet* t);

    uint16_t m_logMask = QEL_LOG_LEVEL2;
    qelSFIBlock* m_structuredField = nullptr;
    qelTriplet* m_currentTriplet = nullptr;
    uint8_t m_positionMigrationOrientation = 0xFF;
    uint8_t m_pagePositionGroup = 0;
    int32_t m_fontCPGID = 0;
    int32_t m_fontGCSGID = 0;
    uint8_t m_descriptorPositionId = 0;
    uint16_t m_gcsgid = 0;
    uint16_t m_cpgid = 0;
    uint16_t m_ccsid = 0;
    uint8_t m_objectAreaSizeType = 0;
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_xUnitsPerBase = 0;
    uint16_t m_yUnitsPerBase = 0;
    int32_t m_measurementResolution = 0;
    uint32_t m_objectAreaExtentX = 0;
    uint32_t m_objectAreaExtentY = 0;
    uint32_t m_colorValue = 0;
    int32_t m_colorSpace = 5;
    uint8_t m_highlightCoverage = 0;
    uint8_t m_highlightShading = 0;
    qelLogStream* m_log = nullptr;
    qelMappedFontInfo* m_mappedFont = nullptr;
    qelString* m_fullyQualifiedName = nullptr;
    uint8_t m_resourceLocalId = 0;
    qelString* m_alternateName = nullptr;
    char m_mediumMapName[9] = {};
    qelIndexElement* m_indexElement = nullptr;
    qelIndex* m_indexEntry = nullptr;
    int32_t m_objectTypeCode = 0;
    qelString* m_rawTripletData = nullptr;
    char* m_resourceObjectReference = nullptr;
    uint8_t m_resourceType = 0;
    qelList* m_resourceObjectIncludes = nullptr;
    uint8_t m_mappingOption = 0xFF;
    int m_resourceObjectType = 0;
    bool m_inFontResource = false;
    bool m_quiet = false;
    // Horizontal scale of a Map Coded Font group, divided once the group
    // has been read.
    int32_t m_pendingScale = 0;
    bool m_scaleGiven = false;
    qelTriplet m_triplet;
};

#endif
