// Feeds arbitrary bytes to the resource parsers as the document parser meets
// them: a Begin Resource Group starts the resource group parser (overlays,
// page segments and the other resources inside), a Begin Overlay the overlay
// parser; the overlays are then bound and placed. Coded reports of a damaged
// input are expected; a crash, a sanitizer report, a leak or an endless loop
// is a finding.
#include "FuzzSupport.h"
#include "qelOverlayParser.h"
#include "qelResGroupParser.h"
#include "qelResOverlay.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string g_temp;

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
    lrbfuzz::InputHolder holder;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* overlays = dynamic_cast<qelOverlayParser*>(pool->getOverlayParser());
    qelResGroupParser* groups = pool->getResGroupParser();
    if (!overlays || !groups)
        std::abort();
    // Any coded refusal of the buffer is accepted.
    if (lrbfuzz::attachInput(qelIOStream::getCurrent(), data, size, [](int, int) { return true; }))
        lrbfuzz::readFields(size, [overlays, groups] { return step(overlays, groups); });
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
        // No dump directories.
        ini->setResourceGroup("0");
        ini->setOverlayPath("/nonexistent");
        ini->setPageSegmentPath("/nonexistent");
    }, run);
}
