#include "qel/afp/FileObject.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/Utils.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace qel
{

namespace
{

constexpr size_t kBlock = 4096;

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

// Splits a byte sequence into structured fields, with or without their
// X'5A', and writes each with the framing asked for.
class FieldCopier
{
public:
    FieldCopier(DataStream* stream, uint16_t controlFlags, const char* path)
        : m_stream(stream), m_with5A((controlFlags & kControlFlag5A) != 0), m_path(path)
    {
    }

    // Consumes the complete fields at the front of pending; at the end of
    // the file whatever is left is dropped.
    void consume(std::vector<unsigned char>& pending, bool atEnd)
    {
        size_t at = 0;
        const size_t n = pending.size();
        while (at < n) {
            size_t skip = 0; // bytes before the introducer's length
            if (n - at < 4 && !atEnd)
                break;
            if (n - at >= 4 && pending[at] == 0x5A && pending[at + 3] == 0xD3)
                skip = 1;
            else if (n - at >= 3 && pending[at + 2] == 0xD3)
                skip = 0;
            else {
                drop(1);
                ++at;
                continue;
            }
            const size_t length = (static_cast<size_t>(pending[at + skip]) << 8) | pending[at + skip + 1];
            if (length < 8) {
                drop(1);
                ++at;
                continue;
            }
            if (n - at < skip + length) {
                if (!atEnd)
                    break;
                drop(n - at);
                at = n;
                break;
            }
            endDropped();
            if (m_with5A) {
                static const unsigned char kIntroducer = 0x5A;
                m_stream->write(&kIntroducer, 1);
            }
            m_stream->write(pending.data() + at + skip, static_cast<int>(length));
            at += skip + length;
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(at));
        if (atEnd)
            endDropped();
    }

private:
    void drop(size_t count) { m_dropped += count; }
    void endDropped()
    {
        if (m_dropped == 0)
            return;
        logWarning("Dropped %zu bytes that form no structured field in file %s", m_dropped, m_path);
        m_dropped = 0;
    }

    DataStream* m_stream;
    bool m_with5A;
    const char* m_path;
    size_t m_dropped = 0;
};

} // namespace

FileObject::FileObject(const char* path, bool deleteFile) : m_deleteFile(deleteFile ? 1 : 0)
{
    setFileName(path);
}

FileObject::~FileObject()
{
    if (m_deleteFile)
        Utils::deleteFile(m_path);
    std::free(m_path);
}

void FileObject::setFileName(const char* path)
{
    m_path = Utils::setMutator(m_path, path, 0);
}

int FileObject::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::FileObject::write");
    if (!dataStream || !m_path)
        return -1;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(m_path, "rb"));
    if (!file) {
        logDebug("\tUnable to open the file: %s", m_path);
        return -1;
    }
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kBlock]);
    if (!block) {
        static char text[1100];
        std::snprintf(text, sizeof text, "Unable to allocate temporary buffer to read file (%s) content", m_path);
        throw static_cast<const char*>(text);
    }
    FieldCopier copier(dataStream, controlFlags, m_path);
    std::vector<unsigned char> pending;
    for (;;) {
        const size_t got = std::fread(block.get(), 1, kBlock, file.get());
        pending.insert(pending.end(), block.get(), block.get() + got);
        if (got < kBlock) {
            if (std::ferror(file.get()))
                logWarning("Error when reading data from file %s", m_path);
            break;
        }
        copier.consume(pending, false);
    }
    copier.consume(pending, true);
    return 0;
}

} // namespace qel
