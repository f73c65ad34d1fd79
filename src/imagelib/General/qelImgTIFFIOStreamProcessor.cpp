#include "qelImgTIFFIOStreamProcessor.h"

#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelMessageOutput.h"

#include <cstdint>
#include <cstdlib>

namespace
{
TIFFStreamContext* g_contexts[qelImgTIFFIOStreamProcessor::CONTEXT_COUNT] = {};

TIFFStreamContext* contextOf(thandle_t handle)
{
    return qelImgTIFFIOStreamProcessor::getContext(static_cast<int>(reinterpret_cast<intptr_t>(handle)));
}

// -2 without a context, -3 when not open, -4 without a stream.
int check(TIFFStreamContext* c)
{
    return !c ? -2 : !c->open ? -3 : !c->stream ? -4 : 0;
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t n)
{
    TIFFStreamContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    if (!buffer || n < 1)
        return -1;
    return c->stream->read(buffer, static_cast<unsigned int>(n));
}

tmsize_t writeProc(thandle_t handle, void* data, tmsize_t n)
{
    TIFFStreamContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    if (c->kind != 2)
        return n;
    return c->stream->write(data, static_cast<unsigned int>(n));
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    TIFFStreamContext* c = contextOf(handle);
    if (int rc = check(c))
        return static_cast<toff_t>(rc);
    auto delta = static_cast<long long>(offset);
    long long at = whence == SEEK_SET   ? delta
                   : whence == SEEK_CUR ? c->stream->tell() + delta
                                        : c->stream->getSize() + delta;
    if (at < 0 || at > 0x7FFFFFFFLL)
        return static_cast<toff_t>(-1);
    c->stream->seek(static_cast<int>(at));
    return static_cast<toff_t>(at);
}

int closeProc(thandle_t handle)
{
    TIFFStreamContext* c = contextOf(handle);
    if (int rc = check(c))
        return rc;
    c->stream->close();
    qelImgTIFFIOStreamProcessor::freeContext(c);
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    TIFFStreamContext* c = contextOf(handle);
    if (int rc = check(c))
        return static_cast<toff_t>(rc);
    return static_cast<toff_t>(c->stream->getSize());
}

int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

TIFF* open(qelImgIOStream* stream, unsigned char kind, const char* name, const char* mode)
{
    if (!stream)
        return nullptr;
    TIFFStreamContext* context = qelImgTIFFIOStreamProcessor::createContext();
    context->open = 1;
    context->kind = kind;
    context->stream = stream;
    auto handle = reinterpret_cast<thandle_t>(static_cast<intptr_t>(context->slot));
    TIFF* tif = TIFFClientOpen(name, mode, handle, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                               unmapProc);
    if (!tif) {
        if (qelImgTIFFIOStreamProcessor::getContext(context->slot) == context)
            qelImgTIFFIOStreamProcessor::freeContext(context);
        return nullptr;
    }
    TIFFSetFileno(tif, ~context->slot);
    return tif;
}
}

TIFFStreamContext* qelImgTIFFIOStreamProcessor::getContext(int slot)
{
    return slot >= 0 && slot < CONTEXT_COUNT ? g_contexts[slot] : nullptr;
}

TIFFStreamContext* qelImgTIFFIOStreamProcessor::createContext()
{
    for (int slot = 0; slot < CONTEXT_COUNT; ++slot) {
        if (g_contexts[slot])
            continue;
        auto* context = static_cast<TIFFStreamContext*>(std::calloc(1, sizeof(TIFFStreamContext)));
        if (!context)
            throw "Memory allocation error occured while creating TIFF Stream Context in TIFFIOStreamProcessor class";
        context->slot = slot;
        g_contexts[slot] = context;
        return context;
    }
    throw new qelImgException(__FILE__, __LINE__, 63, 0, true, "TIFF Stream", "TIFF Stream");
}

void qelImgTIFFIOStreamProcessor::freeContext(TIFFStreamContext* context)
{
    if (!context)
        return;
    if (getContext(context->slot) == context)
        g_contexts[context->slot] = nullptr;
    std::free(context);
}

TIFF* qelImgTIFFIOStreamProcessor::openTIFFIOStreamToRead(qelImgIOStream* stream)
{
    return open(stream, 1, "(qelStreamInput)", "r");
}

TIFF* qelImgTIFFIOStreamProcessor::openTIFFIOStreamToWrite(qelImgIOStream* stream)
{
    return open(stream, 2, "(qelStreamOutput)", "w");
}

void qelImgTIFFIOStreamProcessor::releaseContexts()
{
    for (int slot = 0; slot < CONTEXT_COUNT; ++slot) {
        if (!g_contexts[slot])
            continue;
        qelMessageOutput::printf("TIFF Stream Context Array entry(%d) is not null.\n", slot);
        freeContext(g_contexts[slot]);
    }
}
