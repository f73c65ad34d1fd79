#include "qelCompositeVisitor.h"

#include "qelException.h"
#include "qelGraphicObject.h"
#include "qelList.h"

qelCompositeVisitor::~qelCompositeVisitor()
{
    delete m_outputEngine;
    m_outputEngine = nullptr;
    delete m_rasterEngine;
    m_rasterEngine = nullptr;
}

void qelCompositeVisitor::setOutputEngine(qelVisitor* engine)
{
    if (engine == m_outputEngine)
        return;
    delete m_outputEngine;
    m_outputEngine = engine;
}

void qelCompositeVisitor::setRasterEngine(qelVisitor* engine)
{
    if (engine == m_rasterEngine)
        return;
    delete m_rasterEngine;
    m_rasterEngine = engine;
    // The output engine alone counts the documents and pages of the run.
    if (m_rasterEngine)
        m_rasterEngine->setStatisticCounting(false);
}

void qelCompositeVisitor::setOutputOption(int value)
{
    if (m_outputEngine)
        m_outputEngine->setOutputOption(value);
    if (m_rasterEngine)
        m_rasterEngine->setOutputOption(value);
}

void qelCompositeVisitor::setDocumentPageCount(int count)
{
    if (m_outputEngine)
        m_outputEngine->setDocumentPageCount(count);
    if (m_rasterEngine)
        m_rasterEngine->setDocumentPageCount(count);
}

qelPageOffset qelCompositeVisitor::setPageOffset(qelPageOffset offset)
{
    qelPageOffset result = qelPageOffset{};
    if (m_outputEngine)
        result = m_outputEngine->setPageOffset(offset);
    if (m_rasterEngine)
        m_rasterEngine->setPageOffset(offset);
    return result;
}

int qelCompositeVisitor::resetPageOffset()
{
    int result = 0;
    if (m_outputEngine)
        result = m_outputEngine->resetPageOffset();
    if (m_rasterEngine)
        m_rasterEngine->resetPageOffset();
    return result;
}

void qelCompositeVisitor::setOutputFileName(const char* name)
{
    if (m_outputEngine)
        m_outputEngine->setOutputFileName(name);
}

void qelCompositeVisitor::setOutputBuffer(const char* data)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBuffer(data);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBuffer(data);
}

void qelCompositeVisitor::setOutputBufferWithLength(const void* data, int length)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferWithLength(data, length);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferWithLength(data, length);
}

void qelCompositeVisitor::setOutputBufferSize(int size)
{
    if (m_outputEngine)
        m_outputEngine->setOutputBufferSize(size);
    if (m_rasterEngine)
        m_rasterEngine->setOutputBufferSize(size);
}

void qelCompositeVisitor::setWriteFlags(int value)
{
    if (m_outputEngine)
        m_outputEngine->setWriteFlags(value);
    if (m_rasterEngine)
        m_rasterEngine->setWriteFlags(value);
}

void qelCompositeVisitor::setPendingException(qelException* exception)
{
    if (m_outputEngine)
        m_outputEngine->setPendingException(exception);
    else if (m_rasterEngine)
        m_rasterEngine->setPendingException(exception);
    else
        delete exception;
}

void qelCompositeVisitor::setErrorState(bool failed)
{
    if (m_outputEngine)
        m_outputEngine->setErrorState(failed);
    if (m_rasterEngine)
        m_rasterEngine->setErrorState(failed);
}

int qelCompositeVisitor::getOutputOption()
{
    return m_outputEngine ? m_outputEngine->getOutputOption() : 0;
}

int qelCompositeVisitor::getDocumentPageCount()
{
    return m_outputEngine ? m_outputEngine->getDocumentPageCount() : 0;
}

qelPageOffset qelCompositeVisitor::getPageOffset()
{
    return m_outputEngine ? m_outputEngine->getPageOffset() : qelPageOffset{};
}

const char* qelCompositeVisitor::getOutputType()
{
    return m_outputEngine ? m_outputEngine->getOutputType() : nullptr;
}

const char* qelCompositeVisitor::getOutputFileName()
{
    return m_outputEngine ? m_outputEngine->getOutputFileName() : nullptr;
}

const void* qelCompositeVisitor::getOutputBuffer()
{
    return m_outputEngine ? m_outputEngine->getOutputBuffer() : nullptr;
}

int qelCompositeVisitor::getOutputBufferSize()
{
    return m_outputEngine ? m_outputEngine->getOutputBufferSize() : 0;
}

int qelCompositeVisitor::getPageCount()
{
    return m_outputEngine ? m_outputEngine->getPageCount() : 0;
}

void qelCompositeVisitor::initVisitor()
{
    if (m_outputEngine)
        m_outputEngine->initVisitor();
    if (m_rasterEngine)
        m_rasterEngine->initVisitor();
}

bool qelCompositeVisitor::isDocumentOpen()
{
    return m_outputEngine ? m_outputEngine->isDocumentOpen() : false;
}

int qelCompositeVisitor::initializeDoc(qelDocument* document)
{
    int result = m_outputEngine ? m_outputEngine->initializeDoc(document) : -1;
    if (m_rasterEngine)
        m_rasterEngine->initializeDoc(document);
    return result;
}

void qelCompositeVisitor::initializePage(qelPage* page)
{
    m_currentPage = page;
    if (m_outputEngine)
        m_outputEngine->initializePage(page);
    if (m_rasterEngine)
        m_rasterEngine->initializePage(page);
}

qelPageCoordinateTransformer* qelCompositeVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* result = m_outputEngine ? m_outputEngine->getPresentationOrigin() : nullptr;
    if (m_rasterEngine)
        m_rasterEngine->getPresentationOrigin();
    return result;
}

void qelCompositeVisitor::addDocumentIndex(qelDocument* document)
{
    if (m_outputEngine)
        m_outputEngine->addDocumentIndex(document);
    if (m_rasterEngine)
        m_rasterEngine->addDocumentIndex(document);
}

void qelCompositeVisitor::cleanup()
{
    if (m_rasterEngine)
        m_rasterEngine->cleanup();
    if (m_outputEngine)
        m_outputEngine->cleanup();
}

bool qelCompositeVisitor::isImageTypeSupported(int imageType)
{
    return m_outputEngine ? m_outputEngine->isImageTypeSupported(imageType) : false;
}
