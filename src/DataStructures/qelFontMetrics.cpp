#include "qelFontMetrics.h"

#include "qelAFPCharMetrics.h"
#include "qelCharMetrics.h"
#include "qelFontGlyph.h"

#include <cstring>

qelFontMetrics::~qelFontMetrics()
{
    deleteCharMetrics();
    deleteGlyphs();
}

void qelFontMetrics::setUniformCharIncrement(int orientation, bool on)
{
    if (orientation >= 0 && orientation < 4)
        m_uniformCharIncrement[orientation] = on;
}

void qelFontMetrics::setKerning(int orientation, bool on)
{
    if (orientation >= 0 && orientation < 4)
        m_kerning[orientation] = on;
}

void qelFontMetrics::deleteCharMetrics()
{
    if (m_charMetrics)
        for (int32_t i = 0; i < m_charMetricsCount; ++i)
            delete m_charMetrics[i];
    delete[] m_charMetrics;
    m_charMetrics = nullptr;
    m_charMetricsCount = 0;
}

void qelFontMetrics::deleteGlyphs()
{
    if (m_glyphs)
        for (int32_t i = 0; i < m_glyphCount; ++i)
            delete m_glyphs[i];
    delete[] m_glyphs;
    m_glyphs = nullptr;
    m_glyphCount = 0;
}

void qelFontMetrics::setCharMetricsList(qelCharMetrics** list, int32_t count)
{
    if (list && list == m_charMetrics) {
        m_charMetricsCount = count;
        return;
    }
    deleteCharMetrics();
    if (list) {
        m_charMetrics = list;
        m_charMetricsCount = count;
    }
}

void qelFontMetrics::setGlyphList(qelFontGlyph** list, int32_t count)
{
    if (list && list == m_glyphs) {
        m_glyphCount = count;
        return;
    }
    deleteGlyphs();
    if (list) {
        m_glyphs = list;
        m_glyphCount = count;
    }
}

qelFontGlyph* qelFontMetrics::getGlyph(int32_t index) const
{
    if (!m_glyphs || index < 0 || index >= m_glyphCount)
        return nullptr;
    return m_glyphs[index];
}

qelAFPCharMetrics* qelFontMetrics::findCharMetrics(const char* glyphName) const
{
    if (!glyphName || !m_charMetrics || m_charMetricsCount <= 0)
        return nullptr;
    for (int32_t i = 0; i < m_charMetricsCount; ++i) {
        qelCharMetrics* m = m_charMetrics[i];
        const char* name = m ? m->getGlyphName() : nullptr;
        if (name && std::strcmp(name, glyphName) == 0)
            return dynamic_cast<qelAFPCharMetrics*>(m);
    }
    return nullptr;
}

qelCharMetrics* qelFontMetrics::findCharMetricsByCode(int32_t code) const
{
    if (code < 0 || !m_charMetrics)
        return nullptr;
    for (int32_t i = 0; i < m_charMetricsCount; ++i)
        if (m_charMetrics[i] && m_charMetrics[i]->getCodePoint() == code)
            return m_charMetrics[i];
    return nullptr;
}
