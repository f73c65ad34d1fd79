#ifndef DE_ORVO_IPS_GLYPH_COLLECTION_ENTRY_H
#define DE_ORVO_IPS_GLYPH_COLLECTION_ENTRY_H

#include "GlyphMetricRecord.h"

class qelString;

namespace de { namespace orvo { namespace ips {

class RasterGlyphDefinition;

// One glyph of a collection: two names, its raster definition and its
// metrics for the four orientations. Owns all of them.
class GlyphCollectionEntry
{
public:
    GlyphCollectionEntry() = default;
    ~GlyphCollectionEntry();
    GlyphCollectionEntry(const GlyphCollectionEntry&) = delete;
    GlyphCollectionEntry& operator=(const GlyphCollectionEntry&) = delete;

    const char* getName() const;
    void setName(const char* name);
    const char* getSecondName() const;
    void setSecondName(const char* name);
    RasterGlyphDefinition* getDefinition() const { return m_definition; }
    // Deletes the previous definition.
    void setDefinition(RasterGlyphDefinition* definition);
    // Metrics of orientation 0 to 3.
    GlyphMetricRecord& getMetrics(int orientation) { return m_metrics[orientation & 3]; }
    const GlyphMetricRecord& getMetrics(int orientation) const { return m_metrics[orientation & 3]; }
    // Sets one value of an orientation; a value for an orientation above 0
    // also fills orientation 0 while that one is still unset.
    void setMetric(int orientation, int valueIndex, int32_t value);

private:
    qelString* m_name = nullptr;
    qelString* m_secondName = nullptr;
    RasterGlyphDefinition* m_definition = nullptr;
    GlyphMetricRecord m_metrics[4];
};

}}}

#endif
