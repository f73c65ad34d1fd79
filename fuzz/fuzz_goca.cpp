// Feeds arbitrary bytes to the GOCA parser: every Begin Graphics field found
// by the read loop starts a graphics object, whose objects are then placed.
// The image cache is kept small so that image rows also go through the spill
// file. A report other than the coded ones a damaged input may cause is a
// finding.
#include "FuzzSupport.h"
#include "qelGocaParser.h"
#include "qelResGOCA.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

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
        return lrbfuzz::readOn(e, expected);
    }
}

void run(const uint8_t* data, size_t size)
{
    lrbfuzz::InputHolder holder;
    auto* parser = dynamic_cast<qelGocaParser*>(qelGlobalDSPool::getInstance()->getGocaParser());
    if (!parser)
        std::abort();
    if (lrbfuzz::attachInput(qelIOStream::getCurrent(), data, size, expected))
        lrbfuzz::readFields(size, [parser] { return step(parser); });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_temp = lrbfuzz::tempDir();
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) {
        ini->setCpPath("/nonexistent/");
        ini->setTempPath(g_temp.c_str());
        // About 1 KB in memory, the rest of an image in the spill file.
        ini->setImageMaxCacheSize(0.001f);
    }, run);
}
