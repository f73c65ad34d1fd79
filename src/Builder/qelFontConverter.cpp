#include "qelFontConverter.h"

#include "qelFontBuilder.h"
#include "qelString.h"

qelFontConverter::~qelFontConverter()
{
    delete m_builder;
    delete m_fontName;
}

void qelFontConverter::setFontName(const char* name)
{
    delete m_fontName;
    m_fontName = name ? new qelString(name) : nullptr;
}

const char* qelFontConverter::getFontName() const { return m_fontName ? m_fontName->getBuffer() : nullptr; }

qelFontBuilder* qelFontConverter::createBuilder(int targetType)
{
    // The PFM (2), PFB (3), Type 3 (4) and AFP character set (7) builders
    // register here once they exist; no builder serves any type yet.
    (void)targetType;
    return nullptr;
}

qelRepresentation* qelFontConverter::convert(qelRepresentation* source, int targetType)
{
    m_builder = createBuilder(targetType);
    if (!m_builder)
        return nullptr;
    m_builder->setQuietMode(getQuietMode());
    m_builder->setLogStream(getLogStream());
    m_builder->setFontName(getFontName());
    qelRepresentation* result = m_builder->build(source);
    delete m_builder;
    m_builder = nullptr;
    return result;
}
