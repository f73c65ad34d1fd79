#include "qelFontConverter.h"

#include "qelAFPCSBuilder.h"
#include "qelFontBuilder.h"
#include "qelFontRepresentation.h"
#include "qelString.h"
#include "qelType1PFBBuilder.h"
#include "qelType1PFMBuilder.h"
#include "qelType3FontBuilder.h"

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
    switch (targetType) {
    case qelFontRepresentation::TYPE_PFM:
        return new qelType1PFMBuilder;
    case qelFontRepresentation::TYPE_PFB:
        return new qelType1PFBBuilder;
    case qelFontRepresentation::TYPE_TYPE3:
        return new qelType3FontBuilder;
    case qelFontRepresentation::TYPE_AFP_CHARSET:
        return new qelAFPCSBuilder;
    default:
        return nullptr;
    }
}

qelRepresentation* qelFontConverter::convert(qelRepresentation* source, int targetType)
{
    // A builder left by a conversion that threw goes first.
    delete m_builder;
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
