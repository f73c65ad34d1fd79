#include "GlyphCollection.h"

#include "GlyphCollectionEntry.h"
#include "RasterGlyphDefinition.h"
#include "qelLinkedList.h"

#include <memory>
#include <new>

namespace de { namespace orvo { namespace ips {

namespace {
const char* const kAddFailed = "Memory allocation for de::orvo::ips::GlyphCollection::addGlyph failed";
}

GlyphCollection::~GlyphCollection()
{
    delete m_glyphs;
}

void GlyphCollection::addGlyph(GlyphCollectionEntry* entry)
{
    if (!entry)
        return;
    try {
        if (!m_glyphs)
            m_glyphs = new qelLinkedList(&qelLinkedList::deleteAs<GlyphCollectionEntry>);
        m_glyphs->append(entry);
    } catch (const std::bad_alloc&) {
        delete entry;
        throw kAddFailed;
    }
}

void GlyphCollection::addGlyph(const char* name, const char* secondName, uint16_t first, uint16_t second,
                               const uint8_t* raster, int32_t rasterLength, const GlyphMetricRecord* metrics0,
                               const GlyphMetricRecord* metrics90, const GlyphMetricRecord* metrics180,
                               const GlyphMetricRecord* metrics270)
{
    std::unique_ptr<GlyphCollectionEntry> entry;
    try {
        entry.reset(new GlyphCollectionEntry);
        entry->setName(name);
        entry->setSecondName(secondName);
        entry->setDefinition(new RasterGlyphDefinition(first, second, raster, rasterLength));
        const GlyphMetricRecord* records[4] = {metrics0, metrics90, metrics180, metrics270};
        for (int o = 0; o < 4; ++o)
            if (records[o])
                for (int v = 0; v < GlyphMetricRecord::VALUE_COUNT; ++v)
                    entry->setMetric(o, v, records[o]->values[v]);
    } catch (const std::bad_alloc&) {
        throw kAddFailed;
    }
    addGlyph(entry.release());
}

}}}
