#ifndef QEL_RESOURCE_REFERENCE_H
#define QEL_RESOURCE_REFERENCE_H

#include <cstdint>
#include <string>

class qelList;
class qelMedia;
class qelReferenceObjectList;
class qelRes;
class qelVisitor;

// An include of an overlay, page segment, graphics object or object
// container at a position, with the Include Object parameters. At write
// time it lets the visitor refer to the resource, lets the resource draw
// itself at the position, or hands the resource's objects to a reference
// list.
class qelResourceReference
{
public:
    qelResourceReference(const char* name, int type, float x, float y);
    // A reference made directly on an object container resource; without a
    // resource the reference stays empty and a warning is given.
    qelResourceReference(float x, float y, qelRes* container);
    ~qelResourceReference() = default;
    qelResourceReference(const qelResourceReference&) = delete;
    qelResourceReference& operator=(const qelResourceReference&) = delete;

    // The object list of a resource that has one (overlay, graphics object,
    // page segment), else null.
    static qelList* getObjectListOf(qelRes* resource);

    // Writes the include into the visitor; mediumOverlay picks writeMedium.
    void write(qelVisitor* visitor, bool mediumOverlay);
    void write(qelVisitor* visitor);
    // The same for a medium overlay.
    void writeMedium(qelVisitor* visitor);
    // Applies a container reference's parameters to the first object of its
    // resource.
    void applyToResource();

    // The name or null.
    const char* getName() const { return m_hasName ? m_name.c_str() : nullptr; }
    void setName(const char* text);
    int getType() const { return m_type; }
    int getDirectContainer() const { return m_directContainer; }
    bool isContainerReference() const;
    // The resource; a container reference is applied to it first.
    qelRes* getResource();
    void setResource(qelRes* res) { m_resource = res; }
    float getX() const { return m_x; }
    float getY() const { return m_y; }
    void setPosition(float x, float y)
    {
        m_x = x;
        m_y = y;
    }
    // The position as one 64-bit value: x in the low, y in the high half.
    uint64_t getPositionBits() const;
    void setPositionBits(uint64_t bits);
    qelMedia* getIncludingMedia() const { return m_includingMedia; }
    void setIncludingMedia(qelMedia* media) { m_includingMedia = media; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    void setXUnitBase(uint8_t v) { m_xUnitBase = v; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    void setYUnitBase(uint8_t v) { m_yUnitBase = v; }
    uint16_t getYUnitsPerBase() const { return m_yUnitsPerBase; }
    void setYUnitsPerBase(uint16_t v) { m_yUnitsPerBase = v; }
    uint16_t getXUnitsPerBase() const { return m_xUnitsPerBase; }
    void setXUnitsPerBase(uint16_t v) { m_xUnitsPerBase = v; }
    int getObjectType() const { return m_objectType; }
    void setObjectType(int t) { m_objectType = t; }
    int32_t getObjectAreaWidth() const { return static_cast<int32_t>(m_width); }
    int32_t getObjectAreaHeight() const { return static_cast<int32_t>(m_height); }
    void setObjectArea(int32_t w, int32_t h)
    {
        m_width = static_cast<uint32_t>(w);
        m_height = static_cast<uint32_t>(h);
    }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }
    int32_t getPositionGiven() const { return m_positionGiven; }
    void setPositionGiven(int32_t v) { m_positionGiven = v; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t m) { m_mappingOption = m; }
    uint16_t getXAxisRotation() const { return m_xAxisRotation; }
    void setXAxisRotation(uint16_t r) { m_xAxisRotation = r; }
    uint16_t getYAxisRotation() const { return m_yAxisRotation; }
    void setYAxisRotation(uint16_t r) { m_yAxisRotation = r; }
    uint16_t getXContentOffset() const { return m_xContentOffset; }
    void setXContentOffset(uint16_t v) { m_xContentOffset = v; }
    uint16_t getYContentOffset() const { return m_yContentOffset; }
    void setYContentOffset(uint16_t v) { m_yContentOffset = v; }
    uint8_t getReferenceCoordinateSystem() const { return m_referenceCoordinateSystem; }
    void setReferenceCoordinateSystem(uint8_t v) { m_referenceCoordinateSystem = v; }
    // Not owned: the list lives in an object list of the media.
    qelReferenceObjectList* getReferenceList() const { return m_referenceList; }
    void setReferenceList(qelReferenceObjectList* list) { m_referenceList = list; }
    bool isUsedByAddedInclude() const { return m_addedInclude; }
    void setUsedByAddedInclude(bool on) { m_addedInclude = on; }

private:
    void writeWith(qelVisitor* visitor, bool medium);
    // Hands the resource's objects to the reference list.
    void fillList(qelRes* resource, qelReferenceObjectList* list, qelVisitor* visitor);

    float m_x = 0.0f;
    float m_y = 0.0f;
    qelRes* m_resource = nullptr;
    std::string m_name;
    bool m_hasName = false;
    int m_type = 0;
    int m_directContainer = 0;
    qelMedia* m_includingMedia = nullptr;
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_yUnitsPerBase = 0;
    uint16_t m_xUnitsPerBase = 0;
    int m_objectType = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint16_t m_resolution = 0;
    int32_t m_positionGiven = 0;
    uint8_t m_mappingOption = 255;
    uint16_t m_xAxisRotation = 0;
    uint16_t m_yAxisRotation = 0;
    uint16_t m_xContentOffset = 0;
    uint16_t m_yContentOffset = 0;
    uint8_t m_referenceCoordinateSystem = 255;
    qelReferenceObjectList* m_referenceList = nullptr;
    bool m_addedInclude = false;
};

#endif
