// Feeds arbitrary bytes to the resource parsers as the document parser meets
// them: a Begin Resource Group starts the resource group parser (overlays,
// page segments and the other resources inside), a Begin Overlay the overlay
// parser; the overlays are then bound and placed. Coded reports of a damaged
// input are expected; a crash, a sanitizer report, a leak or an endless loop
// is a finding.
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelOverlayParser.h"
#include "qelResGroupParser.h"
#include "qelResOverlay.h"
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

class InputHolder : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

// Returns false when the input is used up.
bool step(qelOverlayParser* overlays, qelResGroupParser* groups)
{
    try {
        qelSFIBlock* field = overlays->readNextSF();
        switch (field->getId()) {
        case 0xA8C6:
            groups->parse(nullptr, field);
            break;
        case 0xA8DF: {
            std::unique_ptr<qelResOverlay> overlay(overlays->parse(field));
            if (overlay) {
                overlay->bind();
                overlay->fixAbsPosition();
            }
            break;
        }
        default:
            break;
        }
        return true;
    } catch (qelException* e) {
        const int id = e->getId();
        delete e;
        // The end of the input.
        return id != 1 && id != 199;
    }
}

void run(const uint8_t* data, size_t size)
{
    InputHolder holder;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* overlays = dynamic_cast<qelOverlayParser*>(pool->getOverlayParser());
    qelResGroupParser* groups = pool->getResGroupParser();
    if (!overlays || !groups)
        std::abort();
    try {
        qelIOStream::getCurrent()->attachBuffer(data, static_cast<int>(size));
    } catch (qelException* e) {
        delete e;
        return;
    }
    // Every call consumes at least one field.
    for (size_t calls = 0; calls <= size + 1; ++calls) {
        if (!step(overlays, groups))
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
    // No dump directories.
    ini->setResourceGroup("0");
    ini->setOverlayPath("/nonexistent");
    ini->setPageSegmentPath("/nonexistent");
    run(data, size);
    qelUtils::releaseGlobals();
    return 0;
}
