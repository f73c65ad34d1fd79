// Feeds arbitrary bytes to the bar code object parser: every Begin Bar Code
// Object field found by the read loop starts an object, which is then drawn.
// A report other than the coded ones a damaged input may cause is a finding.
#include "qelBarcodeObject.h"
#include "qelBarcodeParser.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

FILE* g_sink = nullptr;

bool expected(int kind, int id)
{
    switch (kind) {
    case QEL_MSG_INFO:
        return id == 1 || id == 199;
    case QEL_MSG_WARNING:
        return id == 16 || id == 60 || id == 62;
    case QEL_MSG_ERROR:
        return id == 7 || id == 9 || id == 52 || id == 53 || id == 54 || id == 56 || id == 61 || id == 67 ||
               id == 72 || id == 73 || id == 74 || id == 76;
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
bool step(qelBarcodeParser* parser)
{
    try {
        qelSFIBlock* field = parser->readNextSF();
        if (field->getId() != 0xA8EB)
            return true;
        std::unique_ptr<qelBarcodeObject> object(parser->parse(field));
        if (object)
            object->prepareSymbols();
        return true;
    } catch (qelException* e) {
        const int kind = e->getKind();
        const int id = e->getId();
        delete e;
        if (!expected(kind, id))
            std::abort();
        // Errors and the end of the input end the run, as in the page reader.
        return kind == QEL_MSG_WARNING && id != 62;
    }
}

void run(const uint8_t* data, size_t size)
{
    InputHolder holder;
    qelBarcodeParser* parser = qelGlobalDSPool::getInstance()->getBarcodeParser();
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
    run(data, size);
    qelUtils::releaseGlobals();
    return 0;
}
