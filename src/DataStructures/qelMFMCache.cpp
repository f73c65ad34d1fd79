#include "qelMFMCache.h"

#include "qelList.h"
#include "qelMFMFile.h"
#include "qelMFMParser.h"
#include "qelMetricTableRecord.h"
#include "qelString.h"

#include <new>

qelMFMCache::qelMFMCache() = default;

qelMetricTableRecord* qelMFMCache::addCharSetTables(const char* name, qelCharacterWidthTable* const tables[4])
{
    std::unique_ptr<qelMetricTableRecord> record(new qelMetricTableRecord());
    for (int r = 0; r < 4; ++r)
        record->widths[r].reset(tables ? tables[r] : nullptr);
    record->name = name ? name : "";
    m_charSetTables.push_back(std::move(record));
    return m_charSetTables.back().get();
}

qelMetricTableRecord* qelMFMCache::addCodePageTable(const char* name, qelCodePointGCGIDTable* table)
{
    std::unique_ptr<qelMetricTableRecord> record(new qelMetricTableRecord());
    record->gcgids.reset(table);
    record->name = name ? name : "";
    m_codePageTables.push_back(std::move(record));
    return m_codePageTables.back().get();
}

qelMFMCache::~qelMFMCache()
{
    delete m_parser;
    m_parser = nullptr;
    delete m_files;
    m_files = nullptr;
}

qelMFMFile* qelMFMCache::getMetricsFile(const char* characterSetName)
{
    if (!characterSetName || qelString::compare(characterSetName, "DEFAULT", true, 0))
        return nullptr;
    if (m_files) {
        for (qelListNode* n = m_files->getHead(); n; n = n->next) {
            auto* record = static_cast<qelMFMFile*>(n->item);
            if (qelString::compare(record->getName(), characterSetName, true, 0))
                return record;
        }
    }
    if (!m_parser)
        m_parser = new (std::nothrow) qelMFMParser();
    if (!m_parser)
        return nullptr;
    qelMFMFile* record = m_parser->parse(characterSetName);
    addFile(record);
    return record;
}

void qelMFMCache::addFile(qelMFMFile* record)
{
    if (!record || record->isRegistered())
        return;
    if (!m_files)
        m_files = new qelList(&qelList::deleteAs<qelMFMFile>);
    record->setRegistered(true);
    m_files->append(record);
}

bool qelMFMCache::hasMetrics(const char* characterSetName, const char* codePageName)
{
    if (!characterSetName || !codePageName || qelString::compare(codePageName, "DEFAULT", true, 0))
        return false;
    qelMFMFile* record = getMetricsFile(characterSetName);
    return record && record->hasCodePage(codePageName);
}
