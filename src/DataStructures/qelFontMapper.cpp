#include "qelFontMapper.h"

#include "qelFontText.h"
#include "qelString.h"

qelFontMapper::~qelFontMapper()
{
    qelFontText::set(m_name, nullptr);
}

void qelFontMapper::rememberName(const char* name)
{
    qelFontText::set(m_name, name);
}
