#include "qelMMDPage.h"

#include "qelGlobalDSPool.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPageWriteSteps.h"
#include "qelVisitor.h"

qelMMDPage::qelMMDPage(qelMMDPage* templatePage) : qelMMDPage()
{
    if (!templatePage)
        return;
    setMediaKind(templatePage->getMediaKind());
    setUnitBase(templatePage->getUnitBase());
    setResolution(templatePage->getResolution());
    setSize(templatePage->getWidth(), templatePage->getHeight());
    setPageOffset(static_cast<uint16_t>(templatePage->getPageOffsetX()),
                  static_cast<uint16_t>(templatePage->getPageOffsetY()));
    setParseId(templatePage->getParseId());
    setId(templatePage->getId());
    shareListsOf(*templatePage);
    setSharedLists(1);
}

bool qelMMDPage::isBound() const
{
    return qelIPSPage::isBound();
}

void qelMMDPage::bind()
{
    bindAFPSteps();
}

void qelMMDPage::includeResources()
{
    qelPageWriteSteps::fixPositions(this, true);
}

void qelMMDPage::write(qelVisitor* visitor)
{
    if (!visitor || isWritten() || !visitor->isDocumentOpen())
        return;
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
    qelPageWriteSteps::writeReferences(getMediumOverlays(), this, visitor, true);
    qelPageOffset offset;
    offset.x = static_cast<int32_t>(getPageOffsetX());
    offset.y = static_cast<int32_t>(getPageOffsetY());
    visitor->setPageOffset(offset);
    qelPageWriteSteps::writeReferences(getResourceReferences(), this, visitor, false);
    qelPageWriteSteps::writeObjects(getObjectList(), visitor);
    visitor->resetPageOffset();
    qelPageWriteSteps::writeObjects(getObjectsAbove(), visitor);
    visitor->finalizePage();
    qelPageWriteSteps::keepOutput(this, visitor, false);
    setWritten(true);
}
