#include "GlyphCollectionEntry.h"

#include "RasterGlyphDefinition.h"
#include "qelFontText.h"
#include "qelString.h"

namespace de { namespace orvo { namespace ips {

GlyphCollectionEntry::~GlyphCollectionEntry()
{
    delete m_name;
    delete m_secondName;
    delete m_definition;
}

const char* GlyphCollectionEntry::getName() const { return qelFontText::get(m_name); }
void GlyphCollectionEntry::setName(const char* name) { qelFontText::set(m_name, name); }
const char* GlyphCollectionEntry::getSecondName() const { return qelFontText::get(m_secondName); }
void GlyphCollectionEntry::setSecondName(const char* name) { qelFontText::set(m_secondName, name); }

void GlyphCollectionEntry::setDefinition(RasterGlyphDefinition* definition)
{
    if (definition != m_definition)
        delete m_definition;
    m_definition = definition;
}

void GlyphCollectionEntry::setMetric(int orientation, int valueIndex, int32_t value)
{
    if (valueIndex < 0 || valueIndex >= GlyphMetricRecord::VALUE_COUNT)
        return;
    if (orientation != 0 && m_metrics[0].values[valueIndex] == GlyphMetricRecord::NOT_SET)
        m_metrics[0].values[valueIndex] = value;
    if (orientation >= 0 && orientation < 4)
        m_metrics[orientation].values[valueIndex] = value;
}

}}}
