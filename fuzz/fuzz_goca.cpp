// Feeds arbitrary bytes to the GOCA parser: every Begin Graphics field found
// by the read loop starts a graphics object, whose objects are then placed.
// The image cache is kept small so that image rows also go through the spill
// file. A report other than the coded ones a damaged input may cause is a
// finding.
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelResGOCA.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

FILE* g_sink = nullptr;
std::string g_temp;

bool expected(int kind, int id)
{
    switch (kind) {
    case QEL_MSG_INFO:
        return id == 1 || id == 199;
    case QEL_MSG_WARNING:
        return id == 16 || id == 60 || id == 62;
    case QEL_MSG_ERROR:
        // Damaged fields and triplets, and an input that ends early.
        return id == 7 || id == 9 || id == 52 || id == 53 || id == 54 || id == 56 || id == 61 || id == 63 ||
               id == 67 || id == 72 || id == 73 || id == 74 || id == 76;
    default:
        return false;
    }
}

class InputHolder : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

// Returns false when the input is used up.
bool step(qelGocaParser* parser)
{
    try {
        qelSFIBlock* field = parser->readNextSF();
        if (field->getId() != 0xA8BB)
            return true;
        parser->setCurrentSF(field);
        std::unique_ptr<qelResGOCA> graphics(parser->parseGraphics("FUZZ"));
        if (graphics)
            graphics->fixAbsPosition();
        return true;
    } catch (qelException* e) {
        const int kind = e->getKind();
        const int id = e->getId();
        delete e;
        if (!expected(kind, id))
            std::abort();
        return kind == QEL_MSG_WARNING && id != 62;
    }
}

void run(const uint8_t* data, size_t size)
{
    InputHolder holder;
    auto* parser = dynamic_cast<qelGocaParser*>(qelGlobalDSPool::getInstance()->getGocaParser());
    if (!parser)
        std::abort();
    try {
        qelIOStream::getCurrent()->attachBuffer(data, static_cast<int>(size));
    } catch (qelException* e) {
        const bool ok = expected(e->getKind(), e->getId());
        delete e;
        if (!ok)
            std::abort();
        return;
    }
    // Every call consumes at least one field.
    for (size_t calls = 0; calls <= size + 1; ++calls) {
        if (!step(parser))
            return;
    }
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_sink = std::fopen("/dev/null", "w");
    const char* temp = std::getenv("TMPDIR");
    g_temp = std::string(temp && *temp ? temp : "/tmp") + "/";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    qelMessageOutput::set(g_sink);
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setQuietMode(true);
    ini->setCpPath("/nonexistent/");
    ini->setTempPath(g_temp.c_str());
    // About 1 KB in memory, the rest of an image in the spill file.
    ini->setImageMaxCacheSize(0.001f);
    run(data, size);
    qelUtils::releaseGlobals();
    return 0;
}
