#include "qelAnnotationObject.h"

#include "qelString.h"
#include "qelVisitor.h"

qelAnnotationObject::qelAnnotationObject(float x, float y, uint16_t width, uint16_t height, const char* url,
                                         float borderWidth, uint32_t color, int32_t flags)
    : m_width(width), m_height(height), m_flags(flags), m_borderWidth(borderWidth)
{
    setPosition(x, y);
    setUrl(url);
    setColorValue(color);
    setColorSpace(COLOR_RGB);
    setAbsoluteInlineFlag(1);
    setAbsoluteBaselineFlag(1);
}

qelAnnotationObject::~qelAnnotationObject()
{
    delete m_url;
}

void qelAnnotationObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeAnnotationObject(this);
}

const char* qelAnnotationObject::getUrl() const
{
    return m_url ? m_url->getBuffer() : nullptr;
}

void qelAnnotationObject::setUrl(const char* url)
{
    delete m_url;
    m_url = url ? new qelString(url) : nullptr;
}
