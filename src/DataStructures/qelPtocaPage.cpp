#include "qelPtocaPage.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelList.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPageWriteSteps.h"
#include "qelVisitor.h"

#include <cstring>

namespace
{
const int kFlags = qelPageWriteSteps::WRITE_FLAGS;

// Objects of the page parser's lists: placed absolutely, then written.
void writePlaced(qelList* objects, qelVisitor* visitor)
{
    if (!objects)
        return;
    for (qelListNode* n = objects->getHead(); n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(1);
        object->write(visitor);
    }
    visitor->setWriteFlags(kFlags);
}
}

qelPtocaPage::qelPtocaPage()
{
    setMediaKind(KIND_AFP_PAGE);
}

qelPtocaPage::qelPtocaPage(qelPtocaPage* templatePage) : qelPtocaPage()
{
    if (!templatePage)
        return;
    setMediaKind(templatePage->getMediaKind());
    setUnitBase(templatePage->getUnitBase());
    setResolution(templatePage->qelMedia::getResolution());
    setSize(templatePage->getWidth(), templatePage->getHeight());
    setPageOffset(static_cast<uint16_t>(templatePage->getPageOffsetX()),
                  static_cast<uint16_t>(templatePage->getPageOffsetY()));
    setParseId(templatePage->getParseId());
    setId(templatePage->getId());
    shareListsOf(*templatePage);
    setSharedLists(1);
    setPageGroupName(templatePage->getPageGroupName());
    m_firstIndexFlag = templatePage->m_firstIndexFlag;
    m_indexCount = templatePage->m_indexCount;
    setInvokedMediumMapName(templatePage->m_invokedMediumMapName);
}

qelPtocaPage::~qelPtocaPage() = default;

void qelPtocaPage::destroyBody()
{
    qelPage::destroyBody();
}

void qelPtocaPage::setInvokedMediumMapName(const char* name)
{
    std::memset(m_invokedMediumMapName, 0, sizeof m_invokedMediumMapName);
    if (name)
        std::strncpy(m_invokedMediumMapName, name, 8);
}

void qelPtocaPage::write(qelVisitor* visitor)
{
    qelPageWriteSteps::trace("[PtocaPage]: (Begin): write\n");
    if (!visitor || isWritten() || !visitor->isDocumentOpen())
        return;
    qelPageWriteSteps::writeNops(this, visitor, false);
    visitor->initializePage(this);
    qelPageWriteSteps::writeNops(this, visitor, true);
    visitor->writeWatermark();

    qelPageWriteSteps::fixPositions(this, true);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr) {
        const auto extentWidth = static_cast<int64_t>(getExtentWidth());
        const auto extentHeight = static_cast<int64_t>(getExtentHeight());
        if (extentWidth > static_cast<int64_t>(getWidth()))
            t->setPageWidth(static_cast<uint16_t>(extentWidth));
        if (extentHeight > static_cast<int64_t>(getHeight()))
            t->setPageHeight(static_cast<uint16_t>(extentHeight));
    }
    visitor->getPresentationOrigin();

    qelPageWriteSteps::writeReferences(getAddedIncludes(), this, visitor, false);
    visitor->setWriteFlags(kFlags);
    qelPageWriteSteps::writeObjects(getObjectsBelow(), visitor);
    if (getObjectsBelow())
        visitor->setWriteFlags(kFlags);

    qelPageWriteSteps::trace("[PtocaPage]: (Begin): writeMediumOverlays\n");
    qelPageWriteSteps::writeReferences(getMediumOverlays(), this, visitor, true);
    qelPageWriteSteps::trace("[PtocaPage]: (End): writeMediumOverlays\n");

    qelPageOffset offset;
    offset.x = static_cast<int32_t>(getPageOffsetX());
    offset.y = static_cast<int32_t>(getPageOffsetY());
    visitor->setPageOffset(offset);
    qelPageWriteSteps::trace("[PtocaPage]: (Begin): writeIncludedRes\n");
    qelPageWriteSteps::writeReferences(getResourceReferences(), this, visitor, false);
    visitor->setWriteFlags(kFlags);
    qelPageWriteSteps::writeObjects(getObjectList(), visitor);
    visitor->setWriteFlags(kFlags);
    visitor->resetPageOffset();

    visitor->setWriteFlags(kFlags);
    qelPageWriteSteps::writeObjects(getObjectsAbove(), visitor);
    if (getObjectsAbove())
        visitor->setWriteFlags(kFlags);
    writePlaced(getPageNumberObjects(), visitor);
    writePlaced(getOddEvenObjects(), visitor);

    visitor->finalizePage();
    qelPageWriteSteps::keepOutput(this, visitor, true);
    setWritten(true);
    qelPageWriteSteps::trace("[PtocaPage]: (End): write\n");
}
