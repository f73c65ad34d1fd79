#ifndef QEL_CSV_INDEX_IMPLEMENTOR_H
#define QEL_CSV_INDEX_IMPLEMENTOR_H

#include "qelIndexImplementor.h"

#include <string>

// Writes the index of one output document as CSV lines made from the
// IndexRecord template: one line per index entry. A placeholder whose value
// is absent is removed.
class qelCSVIndexImplementor : public qelIndexImplementor
{
public:
    qelCSVIndexImplementor();
    qelDocumentIndex* createDocumentIndex() override { return nullptr; }

    // Replaces the first occurrence of the placeholder; a null value removes
    // it.
    static void fill(std::string& line, const char* placeholder, const char* value);

protected:
    void writeDocumentEntry(const char* outputFileName) override;
    void writePageEntry(const char* name, int level, qelList* entries, const char* pageFileName) override;
    void writeTrailer() override {}
    void writeIndexData(qelList* entries) override;

    std::string m_template;
    std::string m_line;
};

#endif
