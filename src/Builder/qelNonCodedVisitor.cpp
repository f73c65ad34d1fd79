#include "qelNonCodedVisitor.h"

#include "qelException.h"
#include "qelGraphicObject.h"
#include "qelList.h"

qelNonCodedVisitor::~qelNonCodedVisitor()
{
    delete m_outputEngine;
    m_outputEngine = nullptr;
    delete m_rasterEngine;
    m_rasterEngine = nullptr;
}

void qelNonCodedVisitor::setOutputEngine(qelVisitor* engine)
{
    if (engine == m_outputEngine)
        return;
    delete m_outputEngine;
    m_outputEngine = engine;
}

void qelNonCodedVisitor::setRasterEngine(qelVisitor* engine)
{
    if (engine == m_rasterEngine)
        return;
    delete m_rasterEngine;
    m_rasterEngine = engine;
    // The output engine alone counts the documents and pages of the run.
    if (m_rasterEngine)
        m_rasterEngine->setStatisticCounting(false);
}

void qelNonCodedVisitor::setOutputOption(int value)
{
    if (m_outputEngine)
        m_outputEngine->setOutputOption(value);
    if (m_rasterEngine)
        m_rasterEngine->setOutputOption(value);
}

void qelNonCodedVisitor::setDocumentPageCount(int count)
{
    if (m_outputEngine)
        m_outputEngine->setDocumentPageCount(count);
    if (m_rasterEngine)
        m_rasterEngine->setDocumentPageCount(count);
}

qelPageOffset qelNonCodedVisitor::setPageOffset(qelPageOffset offset)
{
    qelPageOffset result = qelPageOffset{};
    if (m_outputEngine)
        result = m_outputEngine->setPageOffset(offset);
    if (m_rasterEngine)
        m_rasterEngine->setPageOffset(offset);
    return result;
}

int qelNonCodedVisitor::resetPageOffset()
{
    int result = 0;
    if (m_outputEngine)
        result = m_outputEngine->resetPageOffset();
    if (m_rasterEngine)
        m_rasterEngine->resetPageOffset();
    return result;
}

void qelNonCodedVisitor::setOutputFileName(const char* name)
{
    if (m_outputEngine)
        m_outputEngine->setOutputFileName(name);
}

void qelNonCodedVisitor::setOutputBuffer(const char* data)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBuffer(data);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBuffer(data);
}

void qelNonCodedVisitor::setOutputBufferWithLength(const void* data, int length)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferWithLength(data, length);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferWithLength(data, length);
}

void qelNonCodedVisitor::setOutputBufferSize(int size)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferSize(size);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferSize(size);
}

void qelNonCodedVisitor::setWriteFlags(int value)
{
    if (m_outputEngine)
        m_outputEngine->setWriteFlags(value);
    if (m_rasterEngine)
        m_rasterEngine->setWriteFlags(value);
}

void qelNonCodedVisitor::setPendingException(qelException* exception)
{
    if (m_outputEngine)
        m_outputEngine->setPendingException(exception);
    else if (m_rasterEngine)
        m_rasterEngine->setPendingException(exception);
    else
        delete exception;
}

void qelNonCodedVisitor::setErrorState(bool failed)
{
    if (m_outputEngine)
        m_outputEngine->setErrorState(failed);
    if (m_rasterEngine)
        m_rasterEngine->setErrorState(failed);
}

int qelNonCodedVisitor::getOutputOption()
{
    return m_outputEngine ? m_outputEngine->getOutputOption() : 0;
}

int qelNonCodedVisitor::getDocumentPageCount()
{
    return m_outputEngine ? m_outputEngine->getDocumentPageCount() : 0;
}

qelPageOffset qelNonCodedVisitor::getPageOffset()
{
    return m_outputEngine ? m_outputEngine->getPageOffset() : qelPageOffset{};
}

const char* qelNonCodedVisitor::getOutputType()
{
    return m_outputEngine ? m_outputEngine->getOutputType() : nullptr;
}

const char* qelNonCodedVisitor::getOutputFileName()
{
    return m_outputEngine ? m_outputEngine->getOutputFileName() : nullptr;
}

const void* qelNonCodedVisitor::getOutputBuffer()
{
    return m_outputEngine ? m_outputEngine->getOutputBuffer() : nullptr;
}

int qelNonCodedVisitor::getOutputBufferSize()
{
    return m_outputEngine ? m_outputEngine->getOutputBufferSize() : 0;
}

void qelNonCodedVisitor::reservedNotify(int value)
{
    if (m_rasterEngine)
        m_rasterEngine->reservedNotify(value);
}

int qelNonCodedVisitor::getPageCount()
{
    return m_outputEngine ? m_outputEngine->getPageCount() : 0;
}

void qelNonCodedVisitor::initVisitor()
{
    if (m_outputEngine)
        m_outputEngine->initVisitor();
    if (m_rasterEngine)
        m_rasterEngine->initVisitor();
}

bool qelNonCodedVisitor::isDocumentOpen()
{
    return m_outputEngine ? m_outputEngine->isDocumentOpen() : false;
}

int qelNonCodedVisitor::initializeDoc(qelDocument* document)
{
    int result = m_outputEngine ? m_outputEngine->initializeDoc(document) : -1;
    if (m_rasterEngine)
        m_rasterEngine->initializeDoc(document);
    return result;
}

void qelNonCodedVisitor::initializePage(qelPage* page)
{
    m_currentPage = page;
    if (m_outputEngine)
        m_outputEngine->initializePage(page);
    if (m_rasterEngine)
        m_rasterEngine->initializePage(page);
}

qelPageCoordinateTransformer* qelNonCodedVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* result = m_outputEngine ? m_outputEngine->getPresentationOrigin() : nullptr;
    if (m_rasterEngine)
        m_rasterEngine->getPresentationOrigin();
    return result;
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

void qelNonCodedVisitor::addDocumentIndex(qelDocument* document)
{
    if (m_outputEngine)
        m_outputEngine->addDocumentIndex(document);
    if (m_rasterEngine)
        m_rasterEngine->addDocumentIndex(document);
}

void qelNonCodedVisitor::finalizeDoc()
{
    if (m_outputEngine)
        m_outputEngine->finalizeDoc();
    if (m_rasterEngine)
        m_rasterEngine->finalizeDoc();
}

void qelNonCodedVisitor::cleanup()
{
    if (m_rasterEngine)
        m_rasterEngine->cleanup();
    if (m_outputEngine)
        m_outputEngine->cleanup();
}

bool qelNonCodedVisitor::isImageTypeSupported(int imageType)
{
    return m_outputEngine ? m_outputEngine->isImageTypeSupported(imageType) : false;
}
