#ifndef DE_ORVO_IPS_GLYPH_COLLECTION_H
#define DE_ORVO_IPS_GLYPH_COLLECTION_H

namespace de { namespace orvo { namespace ips {

// Glyphs of a font taken from PDF input. Minimal form: the glyph
// collections fill in the rest.
class GlyphCollection
{
public:
    virtual ~GlyphCollection() = default;
};

}}}

#endif
