#ifndef QEL_MFM_CACHE_H
#define QEL_MFM_CACHE_H

#include <memory>
#include <vector>

class qelList;
struct qelCharacterWidthTable;
struct qelCodePointGCGIDTable;
struct qelMetricTableRecord;
class qelMFMFile;
class qelMFMParser;

// The pool's cache of MFM metrics records: every record read or built
// during the process, found by character set name.
class qelMFMCache
{
public:
    qelMFMCache();
    ~qelMFMCache();
    qelMFMCache(const qelMFMCache&) = delete;
    qelMFMCache& operator=(const qelMFMCache&) = delete;

    // The record of a character set (any case), read from its file on the
    // first request; null for no name, DEFAULT or no file.
    qelMFMFile* getMetricsFile(const char* characterSetName);
    // Takes over a record built by the caller; nothing when it is already
    // registered.
    void addFile(qelMFMFile* record);
    bool hasMetrics(const char* characterSetName, const char* codePageName);
    qelList* getFiles() const { return m_files; }
    // Tables built from character sets and code pages, taken over with a
    // record each; null tables are allowed (an absent rotation).
    qelMetricTableRecord* addCharSetTables(const char* name, qelCharacterWidthTable* const tables[4]);
    qelMetricTableRecord* addCodePageTable(const char* name, qelCodePointGCGIDTable* table);
    const std::vector<std::unique_ptr<qelMetricTableRecord>>& getCharSetTables() const { return m_charSetTables; }
    const std::vector<std::unique_ptr<qelMetricTableRecord>>& getCodePageTables() const { return m_codePageTables; }

private:
    qelMFMParser* m_parser = nullptr;
    qelList* m_files = nullptr;
    std::vector<std::unique_ptr<qelMetricTableRecord>> m_charSetTables;
    std::vector<std::unique_ptr<qelMetricTableRecord>> m_codePageTables;
};

#endif
