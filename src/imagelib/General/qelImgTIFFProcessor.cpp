#include "qelImgTIFFProcessor.h"

#include "qelImgException.h"
#include "qelMessageOutput.h"

#include <cstdint>
#include <new>
#include <cstdlib>
#include <cstring>

namespace
{
TIFFMemoryContext* g_contexts[qelImgTIFFProcessor::CONTEXT_COUNT] = {};

TIFFMemoryContext* contextOf(thandle_t handle)
{
    return qelImgTIFFProcessor::getContext(static_cast<int>(reinterpret_cast<intptr_t>(handle)));
}

// -2 without a context, -3 when it is not open; 0 when usable.
int check(TIFFMemoryContext* c)
{
    return !c ? -2 : !c->open ? -3 : 0;
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t n)
{
    TIFFMemoryContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    if (!buffer || n < 1)
        return -1;
    const unsigned char* data = c->kind == 1 ? c->input : c->output;
    long long length = c->kind == 1 ? c->inputLength : c->outputLength;
    if (!data || c->position >= length)
        return 0;
    long long count = length - c->position;
    if (count > n)
        count = n;
    std::memcpy(buffer, data + c->position, static_cast<size_t>(count));
    c->position += static_cast<unsigned int>(count);
    return static_cast<tmsize_t>(count);
}

tmsize_t writeProc(thandle_t handle, void* data, tmsize_t n)
{
    TIFFMemoryContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    if (c->kind == 1 || n <= 0)
        return n;
    unsigned long long end = static_cast<unsigned long long>(c->position) + static_cast<unsigned long long>(n);
    if (end > 0x7FFFFFFFULL)
        return -1;
    if (end > static_cast<unsigned long long>(c->outputLength)) {
        auto* block = static_cast<unsigned char*>(_TIFFrealloc(c->output, static_cast<tmsize_t>(end)));
        if (!block)
            return -1;
        // A write past the end leaves no stale bytes in the gap.
        if (c->position > static_cast<unsigned int>(c->outputLength))
            std::memset(block + c->outputLength, 0, c->position - static_cast<unsigned int>(c->outputLength));
        c->output = block;
        c->outputLength = static_cast<int>(end);
    }
    std::memcpy(c->output + c->position, data, static_cast<size_t>(n));
    c->position += static_cast<unsigned int>(n);
    return n;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    TIFFMemoryContext* c = contextOf(handle);
    if (int rc = check(c))
        return static_cast<toff_t>(rc);
    long long length = c->kind == 1 ? c->inputLength : c->outputLength;
    auto delta = static_cast<long long>(offset);
    long long at = whence == SEEK_SET ? delta : whence == SEEK_CUR ? c->position + delta : length + delta;
    if (at < 0 || at > 0x7FFFFFFFLL)
        return static_cast<toff_t>(-1);
    c->position = static_cast<unsigned int>(at);
    return static_cast<toff_t>(at);
}

int closeProc(thandle_t handle)
{
    TIFFMemoryContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    qelImgTIFFProcessor::freeContext(c);
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    TIFFMemoryContext* c = contextOf(handle);
    if (int rc = check(c))
        return static_cast<toff_t>(rc);
    return static_cast<toff_t>(c->kind == 1 ? c->inputLength : c->outputLength);
}

int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

TIFF* openContext(TIFFMemoryContext* context, const char* name, const char* mode)
{
    context->open = 1;
    auto handle = reinterpret_cast<thandle_t>(static_cast<intptr_t>(context->slot));
    TIFF* tif = TIFFClientOpen(name, mode, handle, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                               unmapProc);
    if (!tif) {
        // A failed open may have closed the context already.
        if (qelImgTIFFProcessor::getContext(context->slot) == context)
            qelImgTIFFProcessor::freeContext(context);
        return nullptr;
    }
    TIFFSetFileno(tif, ~context->slot);
    return tif;
}

// Little-endian directory writer.
class HeaderWriter
{
public:
    explicit HeaderWriter(unsigned char* block) : m_block(block) {}
    void u16(int at, unsigned int v)
    {
        m_block[at] = static_cast<unsigned char>(v);
        m_block[at + 1] = static_cast<unsigned char>(v >> 8);
    }
    void u32(int at, unsigned int v)
    {
        u16(at, v & 0xFFFF);
        u16(at + 2, v >> 16);
    }
    // The next entry: tag, type, count, value.
    void entry(unsigned int tag, unsigned int type, unsigned int count, unsigned int value)
    {
        int at = 10 + m_entries++ * 12;
        u16(at, tag);
        u16(at + 2, type);
        u32(at + 4, count);
        if (type == 3 && count == 1)
            u16(at + 8, value);
        else
            u32(at + 8, value);
    }

private:
    unsigned char* m_block;
    int m_entries = 0;
};

enum { SHORT = 3, LONG = 4, RATIONAL = 5 };

// The shared directory; the 14th entry, when there is one, is the caller's.
void writeDirectory(HeaderWriter& w, int entries, int width, int height, int bitsPerSample, int compression,
                    int photometric, int fillOrder, int samplesPerPixel, int xdpi, int ydpi, int dataLength,
                    int headerLength)
{
    int tail = 10 + entries * 12;
    w.u16(0, 'I' | 'I' << 8);
    w.u16(2, 42);
    w.u32(4, 8);
    w.u16(8, static_cast<unsigned int>(entries));
    w.entry(255, SHORT, 1, 1);
    // Width and length as LONG: SHORT would cut images above 65535 pixels.
    w.entry(256, LONG, 1, static_cast<unsigned int>(width));
    w.entry(257, LONG, 1, static_cast<unsigned int>(height));
    w.entry(258, SHORT, 1, static_cast<unsigned int>(bitsPerSample) & 0xFF);
    w.entry(259, SHORT, 1, static_cast<unsigned int>(compression) & 0xFFFF);
    w.entry(262, SHORT, 1, static_cast<unsigned int>(photometric) & 0xFF);
    w.entry(266, SHORT, 1, static_cast<unsigned int>(fillOrder) & 0xFF);
    w.entry(273, LONG, 1, static_cast<unsigned int>(headerLength));
    w.entry(277, SHORT, 1, static_cast<unsigned int>(samplesPerPixel) & 0xFF);
    w.entry(278, LONG, 1, static_cast<unsigned int>(height));
    w.entry(279, LONG, 1, static_cast<unsigned int>(dataLength));
    w.entry(282, RATIONAL, 1, static_cast<unsigned int>(tail + 12));
    w.entry(283, RATIONAL, 1, static_cast<unsigned int>(tail + 20));
    w.u32(tail, 0);
    w.u32(tail + 4, 206);
    w.u32(tail + 8, 0);
    w.u32(tail + 12, static_cast<unsigned int>(xdpi * 10) & 0xFFFF);
    w.u32(tail + 16, 10);
    w.u32(tail + 20, static_cast<unsigned int>(ydpi * 10) & 0xFFFF);
    w.u32(tail + 24, 10);
}
}

TIFFMemoryContext* qelImgTIFFProcessor::getContext(int slot)
{
    return slot >= 0 && slot < CONTEXT_COUNT ? g_contexts[slot] : nullptr;
}

TIFFMemoryContext* qelImgTIFFProcessor::createContext()
{
    for (int slot = 0; slot < CONTEXT_COUNT; ++slot) {
        if (g_contexts[slot])
            continue;
        auto* context = static_cast<TIFFMemoryContext*>(std::calloc(1, sizeof(TIFFMemoryContext)));
        if (!context)
            throw "Memory allocation error occured while creating TIFF Buffer Context in TIFFProcessor class";
        context->slot = slot;
        g_contexts[slot] = context;
        return context;
    }
    throw new qelImgException(__FILE__, __LINE__, 63, 0, true, "TIFF Buffer", "TIFF Buffer");
}

void qelImgTIFFProcessor::freeContext(TIFFMemoryContext* context)
{
    if (!context)
        return;
    if (getContext(context->slot) == context)
        g_contexts[context->slot] = nullptr;
    std::free(context->headerCopy);
    if (context->output)
        _TIFFfree(context->output);
    std::free(context);
}

TIFF* qelImgTIFFProcessor::openTIFFMemoryToRead(const unsigned char* data, int length)
{
    if (!data || length <= 0)
        return nullptr;
    TIFFMemoryContext* context = createContext();
    context->kind = 1;
    context->input = data;
    context->inputLength = length;
    return openContext(context, "(qelMemoryInput)", "r");
}

TIFF* qelImgTIFFProcessor::openTIFFMemoryToWrite()
{
    TIFFMemoryContext* context = createContext();
    context->kind = 2;
    return openContext(context, "(qelMemoryOutput)", "w");
}

int qelImgTIFFProcessor::createTIFFHeader(int width, int height, int bitsPerSample, int compression,
                                          int photometric, int fillOrder, int samplesPerPixel, int xdpi, int ydpi,
                                          int dataLength, unsigned char** header, int* length,
                                          const unsigned char* colorTable)
{
    // A colour map only where a table of at most 256 entries covers it.
    bool colorMap = colorTable && bitsPerSample >= 2 && bitsPerSample <= 8;
    int entries = colorMap ? 1 << bitsPerSample : 0;
    int headerLength = colorMap ? 206 + 6 * entries : 194;
    auto* block = new (std::nothrow) unsigned char[static_cast<size_t>(headerLength)]();
    if (!block)
        throw "Memory allocation failure while creating buffer to store TIFF Header";
    HeaderWriter w(block);
    writeDirectory(w, colorMap ? 14 : 13, width, height, bitsPerSample, compression, photometric, fillOrder,
                   samplesPerPixel, xdpi, ydpi, dataLength, headerLength);
    if (colorMap) {
        w.entry(320, SHORT, static_cast<unsigned int>(3 * entries), 206);
        for (int i = 0; i < entries; ++i) {
            w.u16(206 + 2 * i, colorTable[4 * i + 2] * 256u);
            w.u16(206 + 2 * (entries + i), colorTable[4 * i + 1] * 256u);
            w.u16(206 + 2 * (2 * entries + i), colorTable[4 * i] * 256u);
        }
    }
    *header = block;
    *length = headerLength;
    return 0;
}

int qelImgTIFFProcessor::createG3TIFFHeader(int width, int height, int bitsPerSample, unsigned char twoDimensional,
                                            unsigned char fillBits, int photometric, int fillOrder,
                                            int samplesPerPixel, int xdpi, int ydpi, int dataLength,
                                            unsigned char** header, int* length)
{
    auto* block = new (std::nothrow) unsigned char[206]();
    if (!block)
        throw "Memory allocation error occured while allocating buffer for TIFF G3 header in TIFFProcessor class";
    HeaderWriter w(block);
    writeDirectory(w, 14, width, height, bitsPerSample, 3, photometric, fillOrder, samplesPerPixel, xdpi, ydpi,
                   dataLength, 206);
    w.entry(292, LONG, 1, (twoDimensional ? 1u : 0u) | (fillBits ? 4u : 0u));
    *header = block;
    *length = 206;
    return 0;
}

void qelImgTIFFProcessor::releaseContexts()
{
    for (int slot = 0; slot < CONTEXT_COUNT; ++slot) {
        if (!g_contexts[slot])
            continue;
        qelMessageOutput::printf("TIFF Context Array entry(%d) is not null.\n", slot);
        freeContext(g_contexts[slot]);
    }
}
