#include "qelFontBuilder.h"

#include "qelString.h"

qelFontBuilder::~qelFontBuilder() { delete m_fontName; }

void qelFontBuilder::setFontName(const char* name)
{
    delete m_fontName;
    m_fontName = name ? new qelString(name) : nullptr;
}

const char* qelFontBuilder::getFontName() const { return m_fontName ? m_fontName->getBuffer() : nullptr; }
