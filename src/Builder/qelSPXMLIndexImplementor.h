#ifndef QEL_SP_XML_INDEX_IMPLEMENTOR_H
#define QEL_SP_XML_INDEX_IMPLEMENTOR_H

#include "qelXMLIndexImplementor.h"

// The XML index for output written one file per page: each page element
// names its page file and that file's size.
class qelSPXMLIndexImplementor : public qelXMLIndexImplementor
{
protected:
    void writeDocumentEntry(const char* outputFileName) override;
    void writePageEntry(const char* name, int level, qelList* entries, const char* pageFileName) override;
};

#endif
