#include "qelSPXMLIndexImplementor.h"

#include "qelUtils.h"

void qelSPXMLIndexImplementor::writeDocumentEntry(const char*)
{
    if (!m_file)
        return;
    writeHeaderLines();
    writeFormatted("<Index Doctype=\"%s\" PageCount=\"%d\" >\r\n", escape(outputFormatName()).c_str(), getTotal());
}

void qelSPXMLIndexImplementor::writePageEntry(const char* name, int level, qelList* entries,
                                              const char* pageFileName)
{
    if (!m_file)
        return;
    if (level == 1) {
        writePageGroupEntry(name, entries);
    } else if (level == 0) {
        long size = pageFileName ? qelUtils::getFileSize(pageFileName) : 0;
        writeFormatted("\t<PageIndex Page=\"%s\" Name=\"%s\" Size=\"%ld\">\r\n", escape(name).c_str(),
                       escape(pageFileName).c_str(), size);
        writeIndexData(entries);
        writeText("\t</PageIndex>\r\n");
    }
}
