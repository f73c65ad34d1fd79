#include "qelIPSPage.h"

#include "qelAFPFont.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMappedRes.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPageWriteSteps.h"
#include "qelTextObject.h"
#include "qelVisitor.h"

qelIPSPage::qelIPSPage()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    setResolution(static_cast<uint16_t>(ini ? ini->getIPSPageResolution() : 2880));
}

qelIPSPage::~qelIPSPage()
{
    dropSharedLists();
}

void qelIPSPage::dropSharedLists()
{
    if (getSharedLists()) {
        dropResourceReferences();
        dropObjectList();
    }
}

void qelIPSPage::destroyBody()
{
    dropSharedLists();
    qelMedia::destroyBody();
    qelPage::destroyBody();
}

bool qelIPSPage::isBound() const
{
    const uint8_t all = BOUND_PDF_CONTENT | BOUND_REFERENCES | BOUND_MEDIUM_OVERLAYS;
    return (getBindState() & all) == all;
}

void qelIPSPage::bind()
{
    bindSteps({BOUND_REFERENCES, BOUND_ADDED, BOUND_TEXT});
}

void qelIPSPage::bindText()
{
    bindIPSText();
}

void qelIPSPage::bindIPSText()
{
    qelList* objects = getObjectList();
    if (!objects || !objects->getHead()) {
        setBindState(getBindState() | BOUND_TEXT);
        return;
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* registry = pool ? pool->getGlobalRes() : nullptr;
    uint8_t running = 0;
    qelAFPFont* lastNumbered = nullptr;
    for (qelListNode* n = objects->getHead(); n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object || object->kind() != qelGraphicObject::KIND_TEXT)
            continue;
        auto* text = static_cast<qelTextObject*>(object);
        qelAFPFont* font = text->getFont();
        if (!font && text->getFontMapping())
            font = text->getFontMapping()->getFont();
        if (!font && registry) {
            qelRes* res = registry->getResource("DEFAULT", qelRes::TYPE_FONT);
            if (res && res->getType() == qelRes::TYPE_FONT)
                font = static_cast<qelAFPFont*>(res);
        }
        if (!font)
            throw "Unable to allocate default font while binding text objects with used fonts";
        text->setFont(font);
        if ((text->getLocalFontId() == 0 || text->getLocalFontId() == 255) && font != lastNumbered) {
            ++running;
            text->setLocalFontId(running);
            lastNumbered = font;
        }
        text->bindCodePoints();
    }
    setBindState(getBindState() | BOUND_TEXT);
}

void qelIPSPage::includeResources()
{
    qelPageWriteSteps::fixPositions(this, false);
}

void qelIPSPage::write(qelVisitor* visitor)
{
    qelPageWriteSteps::trace("[IPSPage]: (Begin): write\n");
    if (!visitor) {
        qelPageWriteSteps::trace("[IPSPage]: (End1): write\n");
        return;
    }
    if (isWritten()) {
        qelPageWriteSteps::trace("[IPSPage]: (End2): write\n");
        return;
    }
    if (!visitor->isDocumentOpen()) {
        qelPageWriteSteps::trace("[IPSPage]: (End3): write\n");
        return;
    }
    qelPageWriteSteps::writeNops(this, visitor, false);
    visitor->initializePage(this);
    qelPageWriteSteps::writeNops(this, visitor, true);
    includeResources();
    visitor->getPresentationOrigin();
    visitor->writeWatermark();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr)
        t->setResolution(getResolution());
    qelPageWriteSteps::writeReferences(getAddedIncludes(), this, visitor, false);
    qelPageWriteSteps::writeObjects(getObjectsBelow(), visitor);
    qelPageWriteSteps::writeReferences(getResourceReferences(), this, visitor, false);
    qelPageWriteSteps::writeObjects(getObjectList(), visitor);
    qelPageWriteSteps::writeObjects(getObjectsAbove(), visitor);
    visitor->finalizePage();
    qelPageWriteSteps::keepOutput(this, visitor, false);
    setWritten(true);
    qelPageWriteSteps::trace("[IPSPage]: (End): write\n");
}
