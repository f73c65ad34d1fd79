#include "qelTTFRepresentation.h"

#include "qelFontText.h"
#include "qelString.h"

qelTTFRepresentation::~qelTTFRepresentation()
{
    delete m_fontName;
    delete m_windowsFontName;
    delete m_head;
    delete m_hhea;
    delete m_maxp;
    delete m_vhea;
    delete m_os2;
    delete m_post;
}

void qelTTFRepresentation::setFontName(const char* name) { qelFontText::set(m_fontName, name); }
const char* qelTTFRepresentation::getFontName() const { return qelFontText::get(m_fontName); }
void qelTTFRepresentation::setWindowsFontName(const char* name) { qelFontText::set(m_windowsFontName, name); }
const char* qelTTFRepresentation::getWindowsFontName() const { return qelFontText::get(m_windowsFontName); }

namespace {
template <typename T> void replace(T*& field, T* table)
{
    if (field != table)
        delete field;
    field = table;
}
} // namespace

void qelTTFRepresentation::setHeadTable(qelTTFHeadTable* table) { replace(m_head, table); }
void qelTTFRepresentation::setHorizontalHeaderTable(qelTTFHheaTable* table) { replace(m_hhea, table); }
void qelTTFRepresentation::setMaxProfileTable(qelTTFMaxpTable* table) { replace(m_maxp, table); }
void qelTTFRepresentation::setVerticalMetricsTable(qelTTFVheaTable* table) { replace(m_vhea, table); }
void qelTTFRepresentation::setOS2Record(qelTTFOS2Table* table) { replace(m_os2, table); }
void qelTTFRepresentation::setPostTable(qelTTFPostTable* table) { replace(m_post, table); }
