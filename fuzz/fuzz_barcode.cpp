// Feeds arbitrary bytes to the bar code object parser: every Begin Bar Code
// Object field found by the read loop starts an object, which is then drawn.
// A report other than the coded ones a damaged input may cause is a finding.
#include "FuzzSupport.h"
#include "qelBarcodeObject.h"
#include "qelBarcodeParser.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

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
        // Errors and the end of the input end the run.
        return lrbfuzz::readOn(e, expected);
    }
}

void run(const uint8_t* data, size_t size)
{
    lrbfuzz::InputHolder holder;
    qelBarcodeParser* parser = qelGlobalDSPool::getInstance()->getBarcodeParser();
    if (lrbfuzz::attachInput(qelIOStream::getCurrent(), data, size, expected))
        lrbfuzz::readFields(size, [parser] { return step(parser); });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) { ini->setCpPath("/nonexistent/"); }, run);
}
