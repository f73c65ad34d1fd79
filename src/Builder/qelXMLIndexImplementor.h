#ifndef QEL_XML_INDEX_IMPLEMENTOR_H
#define QEL_XML_INDEX_IMPLEMENTOR_H

#include "qelIndexImplementor.h"

#include <string>

// Writes the index of one output document as XML: page group and page
// elements with one Data element per index entry.
class qelXMLIndexImplementor : public qelIndexImplementor
{
public:
    qelDocumentIndex* createDocumentIndex() override { return nullptr; }

    // The text with & < > ' " replaced by their entities.
    static std::string escape(const char* text);

protected:
    void writeDocumentEntry(const char* outputFileName) override;
    void writePageEntry(const char* name, int level, qelList* entries, const char* pageFileName) override;
    void writeTrailer() override;
    void writeIndexData(qelList* entries) override;

    void writeHeaderLines();
    // Element of a level-1 set around its data.
    void writePageGroupEntry(const char* name, qelList* entries);
};

#endif
