#include "qelCharMetrics.h"

#include "qelFontText.h"
#include "qelString.h"

qelCharMetrics::~qelCharMetrics()
{
    delete m_glyphName;
    delete m_charId;
}

const char* qelCharMetrics::getGlyphName() const { return qelFontText::get(m_glyphName); }
void qelCharMetrics::setGlyphName(const char* name) { qelFontText::set(m_glyphName, name); }
const char* qelCharMetrics::getCharId() const { return qelFontText::get(m_charId); }
void qelCharMetrics::setCharId(const char* id) { qelFontText::set(m_charId, id); }
