#include "qelCodedVisitor.h"

#include "qelException.h"
#include "qelGraphicObject.h"
#include "qelList.h"

qelCodedVisitor::~qelCodedVisitor()
{
    delete m_outputEngine;
    m_outputEngine = nullptr;
    delete m_rasterEngine;
    m_rasterEngine = nullptr;
}

void qelCodedVisitor::setOutputEngine(qelVisitor* engine)
{
    if (engine == m_outputEngine)
        return;
    delete m_outputEngine;
    m_outputEngine = engine;
}

void qelCodedVisitor::setRasterEngine(qelVisitor* engine)
{
    if (engine == m_rasterEngine)
        return;
    delete m_rasterEngine;
    m_rasterEngine = engine;
    // The output engine alone counts the documents and pages of the run.
    if (m_rasterEngine)
        m_rasterEngine->setStatisticCounting(false);
}

void qelCodedVisitor::setOutputOption(int value)
{
    if (m_outputEngine)
        m_outputEngine->setOutputOption(value);
    if (m_rasterEngine)
        m_rasterEngine->setOutputOption(value);
}

void qelCodedVisitor::setDocumentPageCount(int count)
{
    if (m_outputEngine)
        m_outputEngine->setDocumentPageCount(count);
    if (m_rasterEngine)
        m_rasterEngine->setDocumentPageCount(count);
}

qelPageOffset qelCodedVisitor::setPageOffset(qelPageOffset offset)
{
    qelPageOffset result = qelPageOffset{};
    if (m_outputEngine)
        result = m_outputEngine->setPageOffset(offset);
    if (m_rasterEngine)
        m_rasterEngine->setPageOffset(offset);
    return result;
}

int qelCodedVisitor::resetPageOffset()
{
    int result = 0;
    if (m_outputEngine)
        result = m_outputEngine->resetPageOffset();
    if (m_rasterEngine)
        m_rasterEngine->resetPageOffset();
    return result;
}

void qelCodedVisitor::setOutputFileName(const char* name)
{
    if (m_outputEngine)
        m_outputEngine->setOutputFileName(name);
}

void qelCodedVisitor::setOutputBuffer(const char* data)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBuffer(data);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBuffer(data);
}

void qelCodedVisitor::setOutputBufferWithLength(const void* data, int length)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferWithLength(data, length);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferWithLength(data, length);
}

void qelCodedVisitor::setOutputBufferSize(int size)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferSize(size);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferSize(size);
}

void qelCodedVisitor::setWriteFlags(int value)
{
    if (m_outputEngine)
        m_outputEngine->setWriteFlags(value);
    if (m_rasterEngine)
        m_rasterEngine->setWriteFlags(value);
}

void qelCodedVisitor::setPendingException(qelException* exception)
{
    if (m_outputEngine)
        m_outputEngine->setPendingException(exception);
    else if (m_rasterEngine)
        m_rasterEngine->setPendingException(exception);
    else
        delete exception;
}

void qelCodedVisitor::setErrorState(bool failed)
{
    if (m_outputEngine)
        m_outputEngine->setErrorState(failed);
    if (m_rasterEngine)
        m_rasterEngine->setErrorState(failed);
}

int qelCodedVisitor::getOutputOption()
{
    return m_outputEngine ? m_outputEngine->getOutputOption() : 0;
}

int qelCodedVisitor::getDocumentPageCount()
{
    return m_outputEngine ? m_outputEngine->getDocumentPageCount() : 0;
}

qelPageOffset qelCodedVisitor::getPageOffset()
{
    return m_outputEngine ? m_outputEngine->getPageOffset() : qelPageOffset{};
}

const char* qelCodedVisitor::getOutputType()
{
    return m_outputEngine ? m_outputEngine->getOutputType() : nullptr;
}

const char* qelCodedVisitor::getOutputFileName()
{
    return m_outputEngine ? m_outputEngine->getOutputFileName() : nullptr;
}

const void* qelCodedVisitor::getOutputBuffer()
{
    return m_outputEngine ? m_outputEngine->getOutputBuffer() : nullptr;
}

int qelCodedVisitor::getOutputBufferSize()
{
    return m_outputEngine ? m_outputEngine->getOutputBufferSize() : 0;
}

void qelCodedVisitor::reservedNotify(int value)
{
    if (m_outputEngine)
        m_outputEngine->reservedNotify(value);
    if (m_rasterEngine)
        m_rasterEngine->reservedNotify(value);
}

int qelCodedVisitor::getPageCount()
{
    return m_outputEngine ? m_outputEngine->getPageCount() : 0;
}

void qelCodedVisitor::initVisitor()
{
    if (m_outputEngine)
        m_outputEngine->initVisitor();
    if (m_rasterEngine)
        m_rasterEngine->initVisitor();
}

bool qelCodedVisitor::isDocumentOpen()
{
    return m_outputEngine ? m_outputEngine->isDocumentOpen() : false;
}

int qelCodedVisitor::initializeDoc(qelDocument* document)
{
    int result = m_outputEngine ? m_outputEngine->initializeDoc(document) : -1;
    if (m_rasterEngine)
        m_rasterEngine->initializeDoc(document);
    return result;
}

void qelCodedVisitor::initializePage(qelPage* page)
{
    m_currentPage = page;
    if (m_outputEngine)
        m_outputEngine->initializePage(page);
    if (m_rasterEngine)
        m_rasterEngine->initializePage(page);
}

qelPageCoordinateTransformer* qelCodedVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* result = m_outputEngine ? m_outputEngine->getPresentationOrigin() : nullptr;
    if (m_rasterEngine)
        m_rasterEngine->getPresentationOrigin();
    return result;
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

void qelCodedVisitor::addDocumentIndex(qelDocument* document)
{
    if (m_outputEngine)
        m_outputEngine->addDocumentIndex(document);
    if (m_rasterEngine)
        m_rasterEngine->addDocumentIndex(document);
}

void qelCodedVisitor::finalizeDoc()
{
    if (m_rasterEngine)
        m_rasterEngine->finalizeDoc();
    if (m_outputEngine)
        m_outputEngine->finalizeDoc();
}

void qelCodedVisitor::cleanup()
{
    if (m_rasterEngine)
        m_rasterEngine->cleanup();
    if (m_outputEngine)
        m_outputEngine->cleanup();
}

bool qelCodedVisitor::isImageTypeSupported(int imageType)
{
    return m_outputEngine ? m_outputEngine->isImageTypeSupported(imageType) : false;
}
