#ifndef QEL_RESOURCE_REFERENCE_H
#define QEL_RESOURCE_REFERENCE_H

#include <cstdint>
#include <string>

class qelRes;

// An include of an overlay, page segment, graphics object or object
// container. Minimal form: the fields the media reads and sets; the
// references issue fills in the rest (writing, object area, mapping).
class qelResourceReference
{
public:
    qelResourceReference(const char* name, int type, float x, float y)
        : m_name(name ? name : ""), m_type(type), m_x(x), m_y(y)
    {
    }
    virtual ~qelResourceReference() = default;
    qelResourceReference(const qelResourceReference&) = delete;
    qelResourceReference& operator=(const qelResourceReference&) = delete;

    const char* getName() const { return m_name.c_str(); }
    int getType() const { return m_type; }
    qelRes* getResource() const { return m_resource; }
    void setResource(qelRes* res) { m_resource = res; }
    float getX() const { return m_x; }
    float getY() const { return m_y; }
    uint16_t getXAxisRotation() const { return m_xAxisRotation; }
    void setXAxisRotation(uint16_t r) { m_xAxisRotation = r; }
    uint16_t getYAxisRotation() const { return m_yAxisRotation; }
    void setYAxisRotation(uint16_t r) { m_yAxisRotation = r; }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }
    int32_t getObjectAreaWidth() const { return m_width; }
    int32_t getObjectAreaHeight() const { return m_height; }
    void setObjectArea(int32_t w, int32_t h)
    {
        m_width = w;
        m_height = h;
    }
    int getObjectType() const { return m_objectType; }
    void setObjectType(int t) { m_objectType = t; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t m) { m_mappingOption = m; }
    bool isUsedByAddedInclude() const { return m_addedInclude; }
    void setUsedByAddedInclude(bool on) { m_addedInclude = on; }
    // Applies an object container reference's parameters to its resource.
    virtual void applyToResource() {}

private:
    std::string m_name;
    int m_type = 0;
    qelRes* m_resource = nullptr;
    float m_x = 0.0f;
    float m_y = 0.0f;
    uint16_t m_xAxisRotation = 0;
    uint16_t m_yAxisRotation = 90;
    uint16_t m_resolution = 240;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_objectType = 0;
    uint8_t m_mappingOption = 0;
    bool m_addedInclude = false;
};

#endif
