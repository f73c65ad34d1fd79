#include "qelStatistic.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"

namespace {
int g_documents = 0;
int g_pages = 0;
int g_runDocuments = 0;
int g_runPages = 0;
}

qelStatistic::qelStatistic()
{
    m_kind = QEL_REPORT_STATISTIC;
}

void qelStatistic::resetRunCounters()
{
    g_documents = 0;
    g_pages = 0;
    g_runDocuments = 0;
    g_runPages = 0;
}

void qelStatistic::resetCounters()
{
    g_runDocuments += g_documents;
    g_runPages += g_pages;
    g_documents = 0;
    g_pages = 0;
}

void qelStatistic::countDocument() { ++g_documents; }
void qelStatistic::countPage() { ++g_pages; }
int qelStatistic::getDocumentCount() { return g_documents; }
int qelStatistic::getPageCount() { return g_pages; }
int qelStatistic::getRunDocumentCount() { return g_runDocuments + g_documents; }
int qelStatistic::getRunPageCount() { return g_runPages + g_pages; }

void qelStatistic::write()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    openReportFile("stat", ini ? ini->getOutputFilePath() : nullptr);
    if (!m_file)
        return;
    float factor = m_elapsedTime != 0 ? 60.0f / static_cast<float>(m_elapsedTime) : 0.0f;
    writeHeader();
    int documents = getRunDocumentCount();
    int pages = getRunPageCount();
    writeFormatted("Document processed:          %i ", documents);
    writeFormatted("(%.0f Documents/min)\r\n\r\n", static_cast<double>(static_cast<float>(documents) * factor));
    writeFormatted("Total Input Pages processed: %i ", pages);
    writeFormatted("(%.0f Pages/min)\r\n\r\n", static_cast<double>(static_cast<float>(pages) * factor));
    closeReportFile();
}
