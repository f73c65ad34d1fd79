#ifndef QEL_MFM_CACHE_H
#define QEL_MFM_CACHE_H

class qelList;
class qelMFMFile;
class qelMFMParser;

// The pool's cache of MFM metrics records: every record read or built
// during the process, found by character set name.
class qelMFMCache
{
public:
    qelMFMCache() = default;
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

private:
    qelMFMParser* m_parser = nullptr;
    qelList* m_files = nullptr;
};

#endif
