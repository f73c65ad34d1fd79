// Feeds arbitrary bytes to the form definition parser, once as a form
// definition read from the current input and once as an inline form map
// beginning with its first field; the medium maps it files are then
// assigned a page. Coded reports of a damaged input are expected; a crash,
// a sanitizer report, a leak or an endless loop is a finding.
#include "qelException.h"
#include "qelFormDefParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMediumMap.h"
#include "qelMessageOutput.h"
#include "qelPtocaPage.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

FILE* g_sink = nullptr;

// Places two pages under every filed medium map.
void assignPages()
{
    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    for (int level : {qelGlobalRes::LEVEL_SPOOL, qelGlobalRes::LEVEL_PROCESS}) {
        qelList* maps = resources->getList(level, nullptr, qelRes::TYPE_MEDIUM_MAP - 1);
        for (qelListNode* n = maps ? maps->getHead() : nullptr; n; n = n->next) {
            auto* map = static_cast<qelMediumMap*>(n->item);
            map->resetForInvocation();
            map->resolveMediumOverlays();
            for (int i = 0; i < 2; ++i) {
                std::unique_ptr<qelPtocaPage> page(new qelPtocaPage());
                qelList generated(&qelList::deleteAs<qelPtocaPage>);
                map->assignToPage(page.get(), &generated);
            }
        }
    }
}

void run(const uint8_t* data, size_t size)
{
    auto* parser = dynamic_cast<qelFormDefParser*>(qelGlobalDSPool::getInstance()->getFormDefParser());
    if (!parser)
        return;
    {
        qelIOStream input(data, static_cast<int>(size));
        qelIOStream::setCurrent(&input);
        std::unique_ptr<qelRes> form(parser->parse("F1FUZZ", 0, nullptr));
        qelIOStream::setCurrent(nullptr);
        assignPages();
    }
    qelIOStream input(data, static_cast<int>(size));
    qelIOStream::setCurrent(&input);
    try {
        qelSFIBlock* first = parser->readNextSF(&input);
        parser->parse(first);
    } catch (qelException* e) {
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    assignPages();
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
    ini->setFormDefPath("/nonexistent");
    ini->setOverlayPath("/nonexistent");
    run(data, size);
    qelUtils::releaseGlobals();
    return 0;
}
