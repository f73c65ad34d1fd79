// What the libFuzzer targets share: a sink for console output, the temporary
// folder, the pool set-up and tear-down around one input, and the read loop
// that hands the fields of a buffer to a parser.
#pragma once

#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lrbfuzz {

// Inputs above this size are skipped.
constexpr size_t kMaxInput = size_t(1) << 20;

// Where console output goes during a run (/dev/null); opened by openSink().
inline FILE*& sink()
{
    static FILE* file = nullptr;
    return file;
}

inline void openSink() { sink() = std::fopen("/dev/null", "w"); }

// What LLVMFuzzerInitialize does for every target.
inline int initialize()
{
    openSink();
    return 0;
}

// TMPDIR, or /tmp when unset, with a trailing '/'.
inline std::string tempDir()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/";
}

// Sends console output to the sink and turns quiet mode on; returns the
// options for the target's own settings.
inline qelIni* beginRun()
{
    qelMessageOutput::set(sink());
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setQuietMode(true);
    return ini;
}

// Tears the pool down so that no state passes to the next input.
inline void endRun() { qelUtils::releaseGlobals(); }

// One input: skipped when too large; else `configure(ini)` sets the target's
// options, `run(data, size)` reads it, and the pool is torn down.
template <class Configure, class Run>
int testOneInput(const uint8_t* data, size_t size, Configure configure, Run run)
{
    if (size > kMaxInput)
        return 0;
    configure(beginRun());
    run(data, size);
    endRun();
    return 0;
}

// A document parser on the stack: it sets up the pool's current input stream
// for the resource parsers, as the document reader does.
class InputHolder : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

// Attaches the input to `stream`. A refused buffer returns false; a report
// that `accepted(kind, id)` does not allow is a finding.
template <class Accepted>
bool attachInput(qelIOStream* stream, const uint8_t* data, size_t size, Accepted accepted)
{
    try {
        stream->attachBuffer(data, static_cast<int>(size));
        return true;
    } catch (qelException* e) {
        const bool ok = accepted(e->getKind(), e->getId());
        delete e;
        if (!ok)
            std::abort();
        return false;
    }
}

// A report raised while reading fields: a finding unless `accepted(kind,
// id)`; true when reading goes on, which only a warning other than the end
// of the input (62) allows, as in the page reader.
template <class Accepted>
bool readOn(qelException* e, Accepted accepted)
{
    const int kind = e->getKind();
    const int id = e->getId();
    delete e;
    if (!accepted(kind, id))
        std::abort();
    return kind == QEL_MSG_WARNING && id != 62;
}

// Calls `step` until it returns false. Every call consumes at least one
// field, so more calls than bytes mean the reader makes no progress.
template <class Step>
void readFields(size_t size, Step step)
{
    for (size_t calls = 0; calls <= size + 1; ++calls) {
        if (!step())
            return;
    }
    std::abort();
}

} // namespace lrbfuzz
