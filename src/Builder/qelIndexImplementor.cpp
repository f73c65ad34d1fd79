#include "qelIndexImplementor.h"

#include "qelDocument.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIndex.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelPage.h"
#include "qelPoolAccess.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>

namespace
{
using qelPoolAccess::options;
}

qelIndexImplementor::~qelIndexImplementor()
{
    if (m_file)
        qelUtils::closeFile(m_file);
    m_file = nullptr;
}

const char* qelIndexImplementor::outputFormatName()
{
    qelIni* ini = options();
    const char* name = ini ? ini->getOutputFormatName() : nullptr;
    return name ? name : "";
}

void qelIndexImplementor::addDocument(qelDocument* document)
{
    if (!document)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIndexList* indexes = pool ? pool->getIndexList() : nullptr;
    qelList* documentSets = indexes ? indexes->getPageIndexes() : nullptr;
    for (qelListNode* n = documentSets ? documentSets->getHead() : nullptr; n; n = n->next) {
        m_sets.push_back(static_cast<qelIndexSet*>(n->item));
        m_pageFileNames.emplace_back();
    }

    qelIni* ini = options();
    const char* outputPath = ini && ini->getOutputFilePath() ? ini->getOutputFilePath() : "";
    for (qelPage* page = document->getFirstPage(); page; page = document->getNextPage()) {
        // A page holds its sets through their entries; take each set once,
        // in the order of its first entry.
        std::vector<qelIndexSet*> pageSets;
        for (qelIndex* entry = page->getFirstIndex(); entry; entry = page->getNextIndex()) {
            qelIndexSet* set = entry->getIndexSet();
            if (!set)
                continue;
            bool seen = false;
            for (qelIndexSet* s : pageSets)
                seen = seen || s == set;
            if (!seen)
                pageSets.push_back(set);
        }
        std::string pageFile;
        const char* pageName = page->getName();
        if (pageName && *pageName) {
            std::unique_ptr<char[]> safe(qelUtils::toSafeFileName(pageName, false));
            pageFile = std::string(outputPath) + (safe ? safe.get() : "");
        }
        for (qelIndexSet* set : pageSets) {
            m_sets.push_back(set);
            m_pageFileNames.push_back(set->getLevel() == 0 ? pageFile : std::string());
        }
    }
    m_total += document->getPageCount();
}

void qelIndexImplementor::writeIndexFile(const char* outputFileName)
{
    if (m_sets.empty())
        return;
    if (outputFileName) {
        qelIni* ini = options();
        const char* indexPath = ini && ini->getIndexPath() ? ini->getIndexPath() : "";
        const char* format = ini && ini->getIndexFormat() ? ini->getIndexFormat() : "";
        std::unique_ptr<char[]> base(qelUtils::getBaseName(outputFileName, false));
        m_indexFileName = std::string(indexPath) + (base ? base.get() : "") + "." + format;
        m_file = qelUtils::openFile(m_indexFileName.c_str(), 'w');
    }
    writeDocumentEntry(outputFileName);
    bool anyEntries = false;
    for (size_t i = 0; i < m_sets.size(); ++i) {
        qelIndexSet* set = m_sets[i];
        if (!set->getEntries())
            continue;
        anyEntries = true;
        const char* pageFile = nullptr;
        if (set->getLevel() == 0 && !m_pageFileNames[i].empty())
            pageFile = m_pageFileNames[i].c_str();
        writePageEntry(set->getName(), set->getLevel(), set->getEntries(), pageFile);
    }
    if (!anyEntries)
        writePageEntry(nullptr, 2, nullptr, nullptr);
    if (m_file) {
        writeTrailer();
        // Buffered text fails only when flushed on a full disk.
        if (std::fclose(m_file) != 0)
            writeFailed(errno);
        m_file = nullptr;
    }
    if (m_writeError != 0) {
        const int error = m_writeError;
        m_writeError = 0;
        qelUtils::deleteFile(m_indexFileName.c_str());
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, m_indexFileName.c_str(),
                               std::strerror(error));
    }
}

void qelIndexImplementor::writeFailed(int error)
{
    if (m_writeError == 0)
        m_writeError = error != 0 ? error : EIO;
}

void qelIndexImplementor::writeText(const char* text)
{
    if (m_file && text && m_writeError == 0 && std::fputs(text, m_file) == EOF)
        writeFailed(errno);
}

void qelIndexImplementor::writeFormatted(const char* format, ...)
{
    if (!m_file || m_writeError != 0)
        return;
    va_list args;
    va_start(args, format);
    const int n = std::vfprintf(m_file, format, args);
    va_end(args);
    if (n < 0)
        writeFailed(errno);
}
