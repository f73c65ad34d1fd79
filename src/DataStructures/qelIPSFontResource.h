#ifndef QEL_IPS_FONT_RESOURCE_H
#define QEL_IPS_FONT_RESOURCE_H

class qelEncodingTable;
class qelIPSFontHeader;
class qelLinkedList;
struct qelLinkedListNode;
namespace de { namespace orvo { namespace ips { class GlyphCollection; } } }

// Widths header, font program file and encoding tables of a font taken
// from PDF input. Owns all of them.
class qelIPSFontResource
{
public:
    qelIPSFontResource() = default;
    virtual ~qelIPSFontResource();
    qelIPSFontResource(const qelIPSFontResource&) = delete;
    qelIPSFontResource& operator=(const qelIPSFontResource&) = delete;

    qelIPSFontHeader* getHeader() const { return m_header; }
    // Deletes the previous header.
    void setHeader(qelIPSFontHeader* header);
    de::orvo::ips::GlyphCollection* getGlyphCollection() const { return m_glyphs; }
    // Deletes the previous collection.
    void setGlyphCollection(de::orvo::ips::GlyphCollection* glyphs);

    // Takes the table over; null is ignored.
    void addEncodingTable(qelEncodingTable* table);
    // Forward iteration; null when there is none or no more.
    qelEncodingTable* firstEncodingTable();
    qelEncodingTable* nextEncodingTable();

private:
    qelIPSFontHeader* m_header = nullptr;
    de::orvo::ips::GlyphCollection* m_glyphs = nullptr;
    qelLinkedList* m_tables = nullptr;
    qelLinkedListNode* m_cursor = nullptr;
};

#endif
