#include "qelCodedVisitor.h"

#include "qelException.h"
#include "qelGraphicObject.h"
#include "qelList.h"

void qelCodedVisitor::reservedNotify(int value)
{
    if (m_outputEngine)
        m_outputEngine->reservedNotify(value);
    if (m_rasterEngine)
        m_rasterEngine->reservedNotify(value);
}

void qelCodedVisitor::writeWatermark()
{
    if (m_outputEngine)
        m_outputEngine->writeWatermark();
    if (m_rasterEngine)
        m_rasterEngine->writeWatermark();
}

int qelCodedVisitor::writeResourceReference(qelResourceReference* reference, bool mediumOverlay)
{
    int result = m_outputEngine ? m_outputEngine->writeResourceReference(reference, mediumOverlay) : 0;
    if (m_rasterEngine)
        m_rasterEngine->writeResourceReference(reference, mediumOverlay);
    return result;
}

int qelCodedVisitor::useFontResource(qelMappedRes* resource)
{
    int result = m_outputEngine ? m_outputEngine->useFontResource(resource) : 0;
    if (m_rasterEngine)
        m_rasterEngine->useFontResource(resource);
    return result;
}

int qelCodedVisitor::declareResource(qelResourceReference* reference)
{
    int result = m_outputEngine ? m_outputEngine->declareResource(reference) : 0;
    if (m_rasterEngine)
        m_rasterEngine->declareResource(reference);
    return result;
}

void qelCodedVisitor::writeBeginControlObject(qelBeginControlObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeBeginControlObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeBeginControlObject(object);
}

void qelCodedVisitor::writeEndControlObject(qelEndControlObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeEndControlObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeEndControlObject(object);
}

void qelCodedVisitor::reservedHookA(void* argument)
{
    if (m_outputEngine)
        m_outputEngine->reservedHookA(argument);
    if (m_rasterEngine)
        m_rasterEngine->reservedHookA(argument);
}

void qelCodedVisitor::writeCurveObject(qelCurveObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeCurveObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeCurveObject(object);
}

void qelCodedVisitor::writeGraphicsLine(float x, float y, bool draw)
{
    if (m_outputEngine)
        m_outputEngine->writeGraphicsLine(x, y, draw);
    if (m_rasterEngine)
        m_rasterEngine->writeGraphicsLine(x, y, draw);
}

void qelCodedVisitor::reservedHookB(void* argument)
{
    if (m_outputEngine)
        m_outputEngine->reservedHookB(argument);
    if (m_rasterEngine)
        m_rasterEngine->reservedHookB(argument);
}

void qelCodedVisitor::reservedHookC(void* argument)
{
    if (m_outputEngine)
        m_outputEngine->reservedHookC(argument);
    if (m_rasterEngine)
        m_rasterEngine->reservedHookC(argument);
}

void qelCodedVisitor::writeBeginAreaObject(qelAreaObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeBeginAreaObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeBeginAreaObject(object);
}

void qelCodedVisitor::writeEndAreaObject(qelAreaObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeEndAreaObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeEndAreaObject(object);
}

void qelCodedVisitor::writeTextObject(qelTextObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeTextObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeTextObject(object);
}

void qelCodedVisitor::writeLineObject(qelLineObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeLineObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeLineObject(object);
}

void qelCodedVisitor::writeImageObject(qelImageObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeImageObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeImageObject(object);
}

void qelCodedVisitor::writeCellObject(qelCell* object)
{
    if (m_outputEngine)
        m_outputEngine->writeCellObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeCellObject(object);
}

void qelCodedVisitor::writeAFPObject(qelAFPObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeAFPObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeAFPObject(object);
}

void qelCodedVisitor::writeBarcodeObject(qelBarcodeObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeBarcodeObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeBarcodeObject(object);
}

void qelCodedVisitor::writeBoxObject(qelBoxObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeBoxObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeBoxObject(object);
}

void qelCodedVisitor::writeFilletObject(qelFilletObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeFilletObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeFilletObject(object);
}

void qelCodedVisitor::writeFullArcObject(qelFullArcObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeFullArcObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeFullArcObject(object);
}

void qelCodedVisitor::writeMarkerObject(qelMarkerObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeMarkerObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeMarkerObject(object);
}

void qelCodedVisitor::writePartialArcObject(qelPartialArcObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writePartialArcObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writePartialArcObject(object);
}

void qelCodedVisitor::writeNOP(qelNOP* nop, bool flag)
{
    if (m_outputEngine)
        m_outputEngine->writeNOP(nop, flag);
    if (m_rasterEngine)
        m_rasterEngine->writeNOP(nop, flag);
}

void qelCodedVisitor::writeTiffObject(qelTiffObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeTiffObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeTiffObject(object);
}

void qelCodedVisitor::writeContainerObject(qelContainerObject* object)
{
    qelVisitor::writeContainerObject(object);
}

void qelCodedVisitor::writeObjectReference(qelContainerObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeObjectReference(object);
    if (m_rasterEngine)
        m_rasterEngine->writeObjectReference(object);
}

void qelCodedVisitor::writeContainerData(qelContainerObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeContainerData(object);
    if (m_rasterEngine)
        m_rasterEngine->writeContainerData(object);
}

void qelCodedVisitor::writeAnnotationObject(qelAnnotationObject* object)
{
    if (m_outputEngine)
        m_outputEngine->writeAnnotationObject(object);
    if (m_rasterEngine)
        m_rasterEngine->writeAnnotationObject(object);
}

void qelCodedVisitor::finalizePage()
{
    qelList* objects = nullptr;
    if (m_rasterEngine) {
        m_rasterEngine->finalizePage();
        objects = m_rasterEngine->getPageSlices(m_currentPage);
    }
    // The raster engine's page parts become ordinary objects of the output page.
    for (qelListNode* n = (objects && m_outputEngine) ? objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        object->write(m_outputEngine);
    }
    qelList::destroy(objects);
    if (m_outputEngine)
        m_outputEngine->finalizePage();
}

void qelCodedVisitor::finalizeDoc()
{
    if (m_rasterEngine)
        m_rasterEngine->finalizeDoc();
    if (m_outputEngine)
        m_outputEngine->finalizeDoc();
}
