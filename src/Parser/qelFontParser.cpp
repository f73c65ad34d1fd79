#include "qelFontParser.h"

#include "qelFontText.h"
#include "qelString.h"

qelFontParser::~qelFontParser()
{
    delete m_resourceName;
}

void qelFontParser::setResourceName(const char* name)
{
    qelFontText::set(m_resourceName, name);
}

const char* qelFontParser::getResourceName() const
{
    return qelFontText::get(m_resourceName);
}
