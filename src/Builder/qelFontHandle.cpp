#include "qelFontHandle.h"

#include "qelString.h"

void qelFontHandle::setFaceName(const char* name)
{
    m_hasFaceName = name != nullptr;
    m_faceName = name ? name : "";
}

void qelFontHandle::setCodePageName(const char* name)
{
    m_hasCodePageName = name != nullptr;
    m_codePageName = name ? name : "";
}

bool qelFontHandle::matches(uint8_t style_, int32_t height_, int32_t width_, int16_t rotation_,
                            int16_t characterRotation_, const char* faceName, const char* codePageName) const
{
    if (style != style_ || height != height_ || width != width_ || rotation != rotation_
        || characterRotation != characterRotation_)
        return false;
    if (!m_hasFaceName || !m_hasCodePageName || !faceName || !codePageName)
        return false;
    return qelString::compare(m_faceName.c_str(), faceName, true, 0)
        && qelString::compare(m_codePageName.c_str(), codePageName, true, 0);
}
