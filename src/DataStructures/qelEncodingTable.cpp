#include "qelEncodingTable.h"

#include "qelFontText.h"
#include "qelString.h"

#include <cstring>

qelEncodingTable::qelEncodingTable(int32_t count)
{
    if (count > 0) {
        m_entries = new qelEncodingEntry*[count]();
        m_count = count;
    }
}

qelEncodingTable::~qelEncodingTable()
{
    delete m_encodingName;
    delete m_fontName;
    for (int32_t i = 0; i < m_count; ++i)
        delete m_entries[i];
    delete[] m_entries;
}

void qelEncodingTable::setEncodingName(const char* name) { qelFontText::set(m_encodingName, name); }
const char* qelEncodingTable::getEncodingName() const { return qelFontText::get(m_encodingName); }
void qelEncodingTable::setFontName(const char* name) { qelFontText::set(m_fontName, name); }
const char* qelEncodingTable::getFontName() const { return qelFontText::get(m_fontName); }

void qelEncodingTable::store(uint32_t slot, const char* glyphName, uint16_t glyphIndex, uint8_t flag)
{
    auto* entry = new qelEncodingEntry;
    entry->code = slot;
    if (glyphName) {
        std::strncpy(entry->glyphName, glyphName, sizeof entry->glyphName - 1);
        entry->glyphName[sizeof entry->glyphName - 1] = '\0';
    }
    entry->glyphIndex = glyphIndex;
    entry->flag = flag;
    delete m_entries[slot];
    m_entries[slot] = entry;
}

int qelEncodingTable::setCodePointEntry(int code, int, const char* glyphName, uint16_t glyphIndex, uint8_t flag)
{
    const uint32_t slot = static_cast<uint8_t>(code);
    if (slot >= static_cast<uint32_t>(m_count))
        return -1;
    store(slot, glyphName, glyphIndex, flag);
    return 0;
}

int qelEncodingTable::setCIDEntry(uint32_t cid, int, const char* glyphName, uint16_t glyphIndex, uint8_t flag)
{
    if (m_count <= 0 || cid >= static_cast<uint32_t>(m_count))
        return -1;
    store(cid, glyphName, glyphIndex, flag);
    return 0;
}
