#include "qelNonCodedVisitor.h"

#include "qelException.h"
#include "qelGraphicObject.h"
#include "qelList.h"

void qelNonCodedVisitor::reservedNotify(int value)
{
    if (m_rasterEngine)
        m_rasterEngine->reservedNotify(value);
}

void qelNonCodedVisitor::writeWatermark()
{
    if (m_rasterEngine)
        m_rasterEngine->writeWatermark();
}

int qelNonCodedVisitor::writeResourceReference(qelResourceReference* reference, bool mediumOverlay)
{
    return m_rasterEngine ? m_rasterEngine->writeResourceReference(reference, mediumOverlay) : 0;
}

int qelNonCodedVisitor::useFontResource(qelMappedRes* resource)
{
    return m_rasterEngine ? m_rasterEngine->useFontResource(resource) : 0;
}

int qelNonCodedVisitor::declareResource(qelResourceReference* reference)
{
    return m_rasterEngine ? m_rasterEngine->declareResource(reference) : 0;
}

void qelNonCodedVisitor::writeBeginControlObject(qelBeginControlObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeBeginControlObject(object);
}

void qelNonCodedVisitor::writeEndControlObject(qelEndControlObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeEndControlObject(object);
}

void qelNonCodedVisitor::reservedHookA(void* argument)
{
    if (m_rasterEngine)
        m_rasterEngine->reservedHookA(argument);
}

void qelNonCodedVisitor::writeCurveObject(qelCurveObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeCurveObject(object);
}

void qelNonCodedVisitor::writeGraphicsLine(float x, float y, bool draw)
{
    if (m_rasterEngine)
        m_rasterEngine->writeGraphicsLine(x, y, draw);
}

void qelNonCodedVisitor::reservedHookB(void* argument)
{
    if (m_rasterEngine)
        m_rasterEngine->reservedHookB(argument);
}

void qelNonCodedVisitor::reservedHookC(void* argument)
{
    if (m_rasterEngine)
        m_rasterEngine->reservedHookC(argument);
}

void qelNonCodedVisitor::writeBeginAreaObject(qelAreaObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeBeginAreaObject(object);
}

void qelNonCodedVisitor::writeEndAreaObject(qelAreaObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeEndAreaObject(object);
}

void qelNonCodedVisitor::writeTextObject(qelTextObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeTextObject(object);
}

void qelNonCodedVisitor::writeLineObject(qelLineObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeLineObject(object);
}

void qelNonCodedVisitor::writeImageObject(qelImageObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeImageObject(object);
}

void qelNonCodedVisitor::writeCellObject(qelCell* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeCellObject(object);
}

void qelNonCodedVisitor::writeAFPObject(qelAFPObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeAFPObject(object);
}

void qelNonCodedVisitor::writeBarcodeObject(qelBarcodeObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeBarcodeObject(object);
}

void qelNonCodedVisitor::writeBoxObject(qelBoxObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeBoxObject(object);
}

void qelNonCodedVisitor::writeFilletObject(qelFilletObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeFilletObject(object);
}

void qelNonCodedVisitor::writeFullArcObject(qelFullArcObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeFullArcObject(object);
}

void qelNonCodedVisitor::writeMarkerObject(qelMarkerObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeMarkerObject(object);
}

void qelNonCodedVisitor::writePartialArcObject(qelPartialArcObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writePartialArcObject(object);
}

void qelNonCodedVisitor::writeNOP(qelNOP* nop, bool flag)
{
    if (m_rasterEngine)
        m_rasterEngine->writeNOP(nop, flag);
}

void qelNonCodedVisitor::writeTiffObject(qelTiffObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeTiffObject(object);
}

void qelNonCodedVisitor::writeContainerObject(qelContainerObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeContainerObject(object);
}

void qelNonCodedVisitor::writeObjectReference(qelContainerObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeObjectReference(object);
}

void qelNonCodedVisitor::writeContainerData(qelContainerObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeContainerData(object);
}

void qelNonCodedVisitor::writeAnnotationObject(qelAnnotationObject* object)
{
    if (m_rasterEngine)
        m_rasterEngine->writeAnnotationObject(object);
}

void qelNonCodedVisitor::finalizePage()
{
    qelList* objects = nullptr;
    if (m_rasterEngine) {
        m_rasterEngine->finalizePage();
        objects = m_rasterEngine->getPageImageBlocks(m_currentPage);
    }
    // The raster engine's page parts become ordinary objects of the output page.
    for (qelListNode* n = (objects && m_outputEngine) ? objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        object->fixAbsPosition();
        object->write(m_outputEngine);
    }
    qelList::destroy(objects);
    if (m_outputEngine)
        m_outputEngine->finalizePage();
}

void qelNonCodedVisitor::finalizeDoc()
{
    if (m_outputEngine)
        m_outputEngine->finalizeDoc();
    if (m_rasterEngine)
        m_rasterEngine->finalizeDoc();
}
