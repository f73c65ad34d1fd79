#ifndef QEL_ANNOTATION_OBJECT_H
#define QEL_ANNOTATION_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

class qelString;

// A link annotation: a rectangle at the object's position that opens a URL.
class qelAnnotationObject : public qelGraphicObject
{
public:
    // colour is packed RGB.
    qelAnnotationObject(float x, float y, uint16_t width, uint16_t height, const char* url, float borderWidth,
                        uint32_t color, int32_t flags);
    ~qelAnnotationObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_ANNOTATION; }

    uint16_t getWidth() const { return m_width; }
    void setWidth(uint16_t v) { m_width = v; }
    uint16_t getHeight() const { return m_height; }
    void setHeight(uint16_t v) { m_height = v; }
    int32_t getFlags() const { return m_flags; }
    void setFlags(int32_t v) { m_flags = v; }
    float getBorderWidth() const { return m_borderWidth; }
    void setBorderWidth(float v) { m_borderWidth = v; }
    // The URL or null.
    const char* getUrl() const;
    void setUrl(const char* url);

private:
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    qelString* m_url = nullptr;
    int32_t m_flags = 0;
    float m_borderWidth = 0.0f;
};

#endif
