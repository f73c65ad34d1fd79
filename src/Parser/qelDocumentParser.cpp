#include "qelDocumentParser.h"

#include "qelDocument.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelString.h"

#include <cstring>
#include <string>

namespace {

int g_ignoredObjects = 0;

void replaceText(qelString*& holder, const char* text)
{
    delete holder;
    holder = text ? new qelString(text) : nullptr;
}

} // namespace

qelDocumentParser::qelDocumentParser()
{
    resetIgnoredObjectCount();
    // One current input for the process: the old one goes with its parser.
    delete qelIOStream::getCurrent();
    qelIOStream::setCurrent(new qelIOStream());
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
}

qelDocumentParser::~qelDocumentParser()
{
    delete m_inputFileName;
    m_inputFileName = nullptr;
    delete m_parameterList;
    m_parameterList = nullptr;
    if (qelGlobalDSPool::exists()) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        pool->resetObject(QEL_POOL_PAGE_COORDINATE_TRANSFORMER);
        pool->resetObject(QEL_POOL_ARRAY_FONT_MAPPER);
        pool->resetObject(QEL_POOL_FILE_FONT_MAPPER);
    }
    if (qelIOStream* input = qelIOStream::getCurrent()) {
        qelIOStream::setCurrent(nullptr);
        try {
            input->close();
        } catch (qelException* e) {
            delete e;
        }
        delete input;
    }
    m_scriptExecutor = nullptr;
    m_inputStream = nullptr;
}

qelDocument* qelDocumentParser::parseFirst(void*)
{
    return nullptr;
}

qelDocument* qelDocumentParser::parseNext(void*)
{
    return nullptr;
}

void qelDocumentParser::setParameterList(const char* text)
{
    replaceText(m_parameterList, text);
}

const char* qelDocumentParser::getParameterList() const
{
    return m_parameterList ? m_parameterList->getBuffer() : nullptr;
}

void qelDocumentParser::setInputFileName(const char* name)
{
    replaceText(m_inputFileName, name);
    if (!name) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (!ini || !ini->isQuietMode())
            qelMessageOutput::write("Warning! Null Input File Name");
    }
}

const char* qelDocumentParser::getInputFileName() const
{
    return m_inputFileName ? m_inputFileName->getBuffer() : nullptr;
}

void qelDocumentParser::setInputBuffer(void* buffer, int length)
{
    m_inputBuffer = buffer;
    m_inputLength = buffer ? length : 0;
}

void qelDocumentParser::setInputStream(qelStream* stream)
{
    if (stream)
        m_inputStream = stream;
}

void qelDocumentParser::writeLogHeader()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        return;
    qelIni* ini = pool->getIni();
    qelLogStream* log = pool->getLogStream();
    if (!ini || !log)
        return;
    log->setLogPath(ini->getLogPath());
    log->setLevel(ini->getLoggingLevel());
    const char* input = getInputFileName();
    if (input) {
        const char* slash = std::strrchr(input, '/');
        std::string name(slash ? slash + 1 : input);
        name += ".log";
        log->open(name.c_str());
    }
    if (log->noneOf(QEL_LOG_LOGGING | QEL_LOG_RESOURCE_LISTS | QEL_LOG_LEVEL5 | QEL_LOG_LEVEL8 | QEL_LOG_INWARN | QEL_LOG_OUTWARN))
        return;
    if (!ini->isDevTest()) {
        const char* banner = ini->getVersionText();
        log->print("Running      : %s\r\n", banner ? banner : "");
    }
    log->print("List of Parameters : %s\r\n", getParameterList() ? getParameterList() : "");
    if (ini->isStdIn())
        log->print("Log for Stdin \r\n");
    else
        log->print("Log for file : %s\r\n", input ? input : "");
}

void qelDocumentParser::checkPageLimit()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini)
        return;
    int n = m_pageCount;
    int pageParse = ini->getPageParse();
    int endingPage = ini->getEndingPage();
    if ((pageParse >= 0 && n > pageParse) || (endingPage > 0 && n > endingPage))
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I022, 0, true);
}

void qelDocumentParser::closeIndexEntry(qelDocument* document)
{
    if (!document || !document->getName() || !qelGlobalDSPool::exists())
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool->hasObject(QEL_POOL_INDEX_LIST))
        return;
    qelIndexList* list = pool->getIndexList();
    qelIndexSet* set = list ? list->findIndex(document->getName(), 1) : nullptr;
    if (!set)
        return;
    list->removeFound();
    // The page-level list keeps only sets with entries; an empty one that
    // left the run's list would be lost.
    if (set->getEntryCount() == 0)
        delete set;
    else
        list->addPageIndex(set);
}

int qelDocumentParser::getIgnoredObjectCount() const
{
    return g_ignoredObjects;
}

void qelDocumentParser::countIgnoredObject()
{
    ++g_ignoredObjects;
}

void qelDocumentParser::resetIgnoredObjectCount()
{
    g_ignoredObjects = 0;
}
