#include "qelXMLIndexImplementor.h"

#include "qelIndex.h"
#include "qelList.h"
#include "qelUtils.h"

std::string qelXMLIndexImplementor::escape(const char* text)
{
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\'': out += "&apos;"; break;
        case '"': out += "&quot;"; break;
        default: out += *p; break;
        }
    }
    return out;
}

void qelXMLIndexImplementor::writeHeaderLines()
{
    writeText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n");
    writeText("<!DOCTYPE Index SYSTEM \"Index.dtd\" >\r\n");
}

void qelXMLIndexImplementor::writeDocumentEntry(const char* outputFileName)
{
    if (!m_file || !outputFileName)
        return;
    long size = qelUtils::getFileSize(outputFileName);
    writeHeaderLines();
    writeFormatted("<Index Doctype=\"%s\" DocName=\"%s\" PageCount=\"%d\" Size=\"%ld\">\r\n",
                   escape(outputFormatName()).c_str(), escape(outputFileName).c_str(), getTotal(), size);
}

void qelXMLIndexImplementor::writePageGroupEntry(const char* name, qelList* entries)
{
    writeFormatted("\t<PageGroupIndex PageGroup=\"%s\">\r\n", escape(name).c_str());
    writeIndexData(entries);
    writeText("\t</PageGroupIndex>\r\n");
}

void qelXMLIndexImplementor::writePageEntry(const char* name, int level, qelList* entries, const char*)
{
    if (!m_file)
        return;
    if (level == 1) {
        writePageGroupEntry(name, entries);
    } else if (level == 0) {
        writeFormatted("\t<PageIndex Page=\"%s\">\r\n", escape(name).c_str());
        writeIndexData(entries);
        writeText("\t</PageIndex>\r\n");
    }
}

void qelXMLIndexImplementor::writeIndexData(qelList* entries)
{
    if (!m_file)
        return;
    for (qelListNode* n = entries ? entries->getHead() : nullptr; n; n = n->next) {
        auto* entry = static_cast<qelIndex*>(n->item);
        const char* name = entry->getName() ? entry->getName() : " ";
        const char* value = entry->getValue() ? entry->getValue() : " ";
        writeText("\t\t<Data>\r\n");
        writeFormatted("\t\t\t<Name>%s</Name>\r\n", escape(name).c_str());
        writeFormatted("\t\t\t<Value>%s</Value>\r\n", escape(value).c_str());
        writeText("\t\t</Data>\r\n");
    }
}

void qelXMLIndexImplementor::writeTrailer()
{
    writeText("</Index>\r\n");
}
