#include "qelMappedFontInfo.h"

#include "qelString.h"

#include <initializer_list>

qelMappedFontInfo::~qelMappedFontInfo()
{
    clear();
}

void qelMappedFontInfo::set(qelString*& holder, const char* text)
{
    delete holder;
    holder = text ? new qelString(text) : nullptr;
}

const char* qelMappedFontInfo::get(const qelString* holder)
{
    return holder ? holder->getBuffer() : nullptr;
}

void qelMappedFontInfo::clear()
{
    m_weightClass = 0;
    m_widthClass = 0;
    m_verticalSize = 0;
    m_horizontalSize = 0;
    m_designFlags = 0;
    m_usageFlags = 0;
    m_localId = 0;
    m_characterRotation = 0;
    m_horizontalScale = 0.0f;
    for (qelString** h : {&m_fgid, &m_cpgid, &m_gcsgid, &m_familyName, &m_typefaceName, &m_extraName,
                          &m_codePageName, &m_codedFontName, &m_characterSetName})
        set(*h, nullptr);
}
