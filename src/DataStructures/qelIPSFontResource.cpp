#include "qelIPSFontResource.h"

#include "GlyphCollection.h"
#include "qelEncodingTable.h"
#include "qelIPSFontHeader.h"
#include "qelLinkedList.h"

qelIPSFontResource::~qelIPSFontResource()
{
    delete m_header;
    delete m_glyphs;
    delete m_tables;
}

void qelIPSFontResource::setHeader(qelIPSFontHeader* header)
{
    if (header != m_header)
        delete m_header;
    m_header = header;
}

void qelIPSFontResource::setGlyphCollection(de::orvo::ips::GlyphCollection* glyphs)
{
    if (glyphs != m_glyphs)
        delete m_glyphs;
    m_glyphs = glyphs;
}

void qelIPSFontResource::addEncodingTable(qelEncodingTable* table)
{
    if (!table)
        return;
    if (!m_tables)
        m_tables = new qelLinkedList(&qelLinkedList::deleteAs<qelEncodingTable>);
    m_tables->append(table);
}

qelEncodingTable* qelIPSFontResource::firstEncodingTable()
{
    m_cursor = m_tables ? m_tables->getHead() : nullptr;
    return static_cast<qelEncodingTable*>(qelLinkedList::getItem(m_cursor));
}

qelEncodingTable* qelIPSFontResource::nextEncodingTable()
{
    if (!m_cursor)
        return nullptr;
    m_cursor = qelLinkedList::getNext(m_cursor);
    return static_cast<qelEncodingTable*>(qelLinkedList::getItem(m_cursor));
}
