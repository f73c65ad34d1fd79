#ifndef QEL_INDEX_IMPLEMENTOR_H
#define QEL_INDEX_IMPLEMENTOR_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class qelDocument;
class qelDocumentIndex;
class qelIndexSet;
class qelList;

// Base of the index file writers. Collects the index sets of the documents
// of one output document (by reference: documents and pages keep owning
// them), then writes them as one index file beside the output.
class qelIndexImplementor
{
public:
    qelIndexImplementor() = default;
    virtual ~qelIndexImplementor();
    qelIndexImplementor(const qelIndexImplementor&) = delete;
    qelIndexImplementor& operator=(const qelIndexImplementor&) = delete;

    // Collects the document-level sets and the sets of every page.
    void addDocument(qelDocument* document);
    // Writes the index file for the output file; nothing without sets.
    // A failed write deletes the file and throws E075.
    virtual void writeIndexFile(const char* outputFileName);
    virtual qelDocumentIndex* createDocumentIndex() = 0;

    int getTotal() const { return m_total; }
    const char* getIndexFileName() const { return m_indexFileName.empty() ? nullptr : m_indexFileName.c_str(); }
    int getSetCount() const { return static_cast<int>(m_sets.size()); }
    qelIndexSet* getSet(int i) const { return m_sets[static_cast<size_t>(i)]; }
    // Output file of the page of a collected set: empty for sets that are
    // not page sets or whose page has no name.
    const char* getPageFileName(int i) const { return m_pageFileNames[static_cast<size_t>(i)].c_str(); }

protected:
    virtual void writeDocumentEntry(const char* outputFileName) = 0;
    // Level 0 page, 1 page group, 2 the whole output (no set had entries).
    virtual void writePageEntry(const char* name, int level, qelList* entries, const char* pageFileName) = 0;
    virtual void writeTrailer() = 0;
    virtual void writeIndexData(qelList* entries) = 0;

    // Texts go out unchanged; the writers put their own CR LF.
    void writeText(const char* text);
    void writeFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Name of the configured output format, "" when none.
    static const char* outputFormatName();

    FILE* m_file = nullptr;

private:
    void writeFailed(int error);

    int m_writeError = 0;
    int32_t m_total = 0;
    std::string m_indexFileName;
    std::vector<qelIndexSet*> m_sets;
    std::vector<std::string> m_pageFileNames;
};

#endif
