#include "qelAFPCharMetrics.h"

#include "qelFontText.h"
#include "qelString.h"

qelAFPCharMetrics::~qelAFPCharMetrics()
{
    delete m_fontSpecificName;
}

void qelAFPCharMetrics::setGlyphName(int rotation, const char* name)
{
    if (rotation == 0 || !getGlyphName())
        setGlyphName(name);
}

const char* qelAFPCharMetrics::getFontSpecificName() const { return qelFontText::get(m_fontSpecificName); }
void qelAFPCharMetrics::setFontSpecificName(const char* name) { qelFontText::set(m_fontSpecificName, name); }
