#include "FileGlyphCollection.h"

#include "qelFontText.h"
#include "qelString.h"
#include "qelUtils.h"

namespace de { namespace orvo { namespace ips {

FileGlyphCollection::~FileGlyphCollection()
{
    const char* path = getFileName();
    if (m_deleteOnDestroy && path && *path)
        qelUtils::deleteFile(path);
    delete m_fileName;
}

const char* FileGlyphCollection::getFileName() const { return qelFontText::get(m_fileName); }
void FileGlyphCollection::setFileName(const char* name) { qelFontText::set(m_fileName, name); }

}}}
