#ifndef DE_ORVO_IPS_GLYPH_COLLECTION_H
#define DE_ORVO_IPS_GLYPH_COLLECTION_H

#include "GlyphMetricRecord.h"

#include <cstdint>

class qelLinkedList;

namespace de { namespace orvo { namespace ips {

class GlyphCollectionEntry;

// Glyphs of a font taken from PDF input. Owns its entries; the list is
// created with the first glyph.
class GlyphCollection
{
public:
    GlyphCollection() = default;
    virtual ~GlyphCollection();
    GlyphCollection(const GlyphCollection&) = delete;
    GlyphCollection& operator=(const GlyphCollection&) = delete;

    // Appends a glyph with both names, a copy of its raster bytes and the
    // given values of the four orientation records (a null record leaves its
    // orientation unset). Throws a text when memory runs out.
    void addGlyph(const char* name, const char* secondName, uint16_t first, uint16_t second, const uint8_t* raster,
                  int32_t rasterLength, const GlyphMetricRecord* metrics0, const GlyphMetricRecord* metrics90,
                  const GlyphMetricRecord* metrics180, const GlyphMetricRecord* metrics270);
    // Appends a ready entry, which the collection takes over.
    void addGlyph(GlyphCollectionEntry* entry);
    // The entries, null before the first glyph.
    qelLinkedList* getGlyphs() const { return m_glyphs; }

private:
    qelLinkedList* m_glyphs = nullptr;
};

}}}

#endif
