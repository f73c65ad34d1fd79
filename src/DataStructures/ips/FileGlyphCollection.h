#ifndef DE_ORVO_IPS_FILE_GLYPH_COLLECTION_H
#define DE_ORVO_IPS_FILE_GLYPH_COLLECTION_H

#include "GlyphCollection.h"

#include <string>

namespace de { namespace orvo { namespace ips {

// Glyph collection whose font program lives in a file. Minimal form.
class FileGlyphCollection : public GlyphCollection
{
public:
    const char* getFileName() const { return m_fileName.empty() ? nullptr : m_fileName.c_str(); }
    void setFileName(const char* name) { m_fileName = name ? name : ""; }

private:
    std::string m_fileName;
};

}}}

#endif
