#ifndef DE_ORVO_IPS_FILE_GLYPH_COLLECTION_H
#define DE_ORVO_IPS_FILE_GLYPH_COLLECTION_H

#include "GlyphCollection.h"

#include <cstdint>

class qelString;

namespace de { namespace orvo { namespace ips {

// Glyph collection whose font program lives in a file, optionally deleted
// with the collection.
class FileGlyphCollection : public GlyphCollection
{
public:
    FileGlyphCollection() = default;
    ~FileGlyphCollection() override;

    const char* getFileName() const;
    void setFileName(const char* name);
    void setDeleteOnDestroy(int32_t on) { m_deleteOnDestroy = on; }
    int32_t getDeleteOnDestroy() const { return m_deleteOnDestroy; }

private:
    qelString* m_fileName = nullptr;
    int32_t m_deleteOnDestroy = 0;
};

}}}

#endif
