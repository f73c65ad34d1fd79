#include "qelImgTIFF.h"

#include "qelImgBufferIOStream.h"
#include "qelImgFileIOStream.h"
#include "qelImgProcessor.h"
#include "qelImgStreamHolder.h"
#include "qelImgUtils.h"
#include "qelLinkedList.h"

#include <cstring>
#include <memory>

qelImgTIFF::~qelImgTIFF()
{
    for (uint16_t* map : m_colorMaps)
        delete[] map;
    delete[] m_jpegTables;
    if (m_pages) {
        m_pages->clearStreams();
        delete m_pages;
    }
}

void qelImgTIFF::setColorMap(int which, const uint16_t* values)
{
    if (which < RED || which > BLUE)
        return;
    delete[] m_colorMaps[which];
    m_colorMaps[which] = nullptr;
    if (!values || m_colorCount <= 0)
        return;
    m_colorMaps[which] = new uint16_t[static_cast<size_t>(m_colorCount)];
    std::memcpy(m_colorMaps[which], values, sizeof(uint16_t) * static_cast<size_t>(m_colorCount));
}

const uint16_t* qelImgTIFF::getColorMap(int which) const
{
    return which >= RED && which <= BLUE ? m_colorMaps[which] : nullptr;
}

void qelImgTIFF::setJPEGTables(const unsigned char* data, unsigned int length)
{
    if (!data || length == 0)
        return;
    delete[] m_jpegTables;
    m_jpegTables = new unsigned char[length];
    std::memcpy(m_jpegTables, data, length);
    m_jpegTablesLength = length;
}

int qelImgTIFF::getJPEGTables(const unsigned char** data, unsigned int* length) const
{
    if (!data || !length)
        return -1;
    *data = m_jpegTables;
    *length = m_jpegTablesLength;
    return 1;
}

int qelImgTIFF::addPage(const unsigned char* data, unsigned int length)
{
    if (!data || length == 0)
        return -1;
    if (!m_pages)
        m_pages = new qelLinkedList(qelLinkedList::deleteAs<qelImgStreamHolder>);
    std::unique_ptr<qelImgIOStream> stream;
    if (qelImgProcessor::getTempFileMode() == 1) {
        char name[512];
        qelImgUtils::getTempFileName(name);
        stream = std::make_unique<qelImgFileIOStream>(name, 2);
    } else {
        stream = std::make_unique<qelImgBufferIOStream>("Memory Stream", 0);
    }
    stream->open();
    if (stream->write(data, length) != static_cast<int>(length))
        return -1;
    auto* holder = new qelImgStreamHolder();
    holder->state = m_pages->count();
    holder->stream = stream.release();
    m_pages->append(holder);
    return 1;
}

int qelImgTIFF::getPageCount() const
{
    return m_pages ? m_pages->count() : 0;
}

long long qelImgTIFF::getDataSize() const
{
    long long total = 0;
    for (qelLinkedListNode* n = m_pages ? m_pages->getHead() : nullptr; n; n = n->next)
        total += static_cast<qelImgStreamHolder*>(n->item)->stream->getSize();
    return total;
}

int qelImgTIFF::getData(unsigned char** data, unsigned int* size) const
{
    long long total = getDataSize();
    if (!data || !size || total <= 0 || total > 0xFFFFFFFFLL)
        return -1;
    auto* block = new unsigned char[static_cast<size_t>(total)];
    long long at = 0;
    for (qelLinkedListNode* n = m_pages->getHead(); n; n = n->next) {
        qelImgIOStream* stream = static_cast<qelImgStreamHolder*>(n->item)->stream;
        stream->seek(0);
        int pageSize = stream->getSize();
        if (stream->read(block + at, static_cast<unsigned int>(pageSize)) != pageSize) {
            delete[] block;
            return -1;
        }
        at += pageSize;
    }
    *data = block;
    *size = static_cast<unsigned int>(total);
    return 1;
}
