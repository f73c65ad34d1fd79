#include "qelMappedRes.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelMappedFontInfo.h"
#include "qelString.h"

qelMappedRes::qelMappedRes(uint8_t localId, int32_t kind, const char* name) : m_localId(localId), m_kind(kind)
{
    setName(name);
}

qelMappedRes::~qelMappedRes()
{
    delete m_name;
    delete m_fontInfo;
    delete m_codePageName;
    m_resource = nullptr;
    m_codePage = nullptr;
}

void qelMappedRes::setName(const char* text)
{
    if (m_name && text == m_name->getBuffer())
        return;
    delete m_name;
    m_name = text ? new qelString(text) : nullptr;
}

const char* qelMappedRes::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelMappedRes::setFontInfo(qelMappedFontInfo* info)
{
    if (info == m_fontInfo)
        return;
    delete m_fontInfo;
    m_fontInfo = info;
}

void qelMappedRes::setCodePageName(const char* text)
{
    if (m_codePageName && text == m_codePageName->getBuffer())
        return;
    delete m_codePageName;
    m_codePageName = text ? new qelString(text) : nullptr;
}

const char* qelMappedRes::getCodePageName() const
{
    return m_codePageName ? m_codePageName->getBuffer() : nullptr;
}

const char* qelMappedRes::getCodePageEncoding() const
{
    return m_codePage ? m_codePage->getEncoding() : nullptr;
}

qelAFPFont* qelMappedRes::getFont() const
{
    if (!m_resource || m_resource->getType() != qelRes::TYPE_FONT)
        return nullptr;
    return static_cast<qelAFPFont*>(m_resource);
}

void qelMappedRes::setFont(qelAFPFont* font)
{
    m_resource = font;
}
