// Feeds arbitrary bytes to the form definition parser, once as a form
// definition read from the current input and once as an inline form map
// beginning with its first field; the medium maps it files are then
// assigned a page. Coded reports of a damaged input are expected; a crash,
// a sanitizer report, a leak or an endless loop is a finding.
#include "FuzzSupport.h"
#include "qelFormDefParser.h"
#include "qelGlobalRes.h"
#include "qelList.h"
#include "qelMediumMap.h"
#include "qelPtocaPage.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <memory>

namespace {

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
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) {
        ini->setFormDefPath("/nonexistent");
        ini->setOverlayPath("/nonexistent");
    }, run);
}
