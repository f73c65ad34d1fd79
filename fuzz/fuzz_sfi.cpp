// Feeds arbitrary bytes through the structured-field reader, from memory and
// from a file, until the end of the input. Any report other than the normal
// end, a coded warning or a coded error about the input is a finding.
#include "FuzzSupport.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string g_path;

bool expected(int kind, int id)
{
    switch (kind) {
    case QEL_MSG_INFO:
        return id == 1 || id == 199;
    case QEL_MSG_WARNING:
        return id == 60 || id == 62;
    case QEL_MSG_ERROR:
        // Missing 5A, empty file, read error, empty buffer.
        return id == 74 || id == 72 || id == 73 || id == 61;
    default:
        return false;
    }
}

// Reads fields until the end; returns normally on a coded stop.
void readAll(qelIOStream& reader, size_t size)
{
    // Every call consumes at least one byte, so this bound is never reached
    // by a reader that makes progress.
    for (size_t calls = 0; calls <= size + 1; ++calls) {
        try {
            qelSFIBlock* block = reader.readSFI();
            if (block->getDataSize() < 0 || block->getDataSize() > 65535)
                std::abort();
        } catch (qelException* e) {
            int kind = e->getKind();
            int id = e->getId();
            delete e;
            if (!expected(kind, id))
                std::abort();
            if (kind == QEL_MSG_INFO || (kind == QEL_MSG_ERROR && id != 74))
                return;
        }
    }
    std::abort();
}

void run(const uint8_t* data, size_t size, bool fromFile)
{
    qelIOStream reader;
    try {
        if (fromFile) {
            FILE* file = std::fopen(g_path.c_str(), "wb");
            if (!file)
                return;
            if (size > 0 && std::fwrite(data, 1, size, file) != size) {
                std::fclose(file);
                return;
            }
            std::fclose(file);
            reader.openFile(g_path.c_str(), false);
        } else {
            reader.attachBuffer(data, static_cast<int>(size));
        }
    } catch (qelException* e) {
        int kind = e->getKind();
        int id = e->getId();
        delete e;
        if (!expected(kind, id))
            std::abort();
        return;
    }
    readAll(reader, size);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_path = lrbfuzz::tempDir() + "fuzz_sfi." + std::to_string(::getpid()) + ".afp";
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {}, [](const uint8_t* bytes, size_t length) {
        run(bytes, length, false);
        run(bytes, length, true);
    });
}
