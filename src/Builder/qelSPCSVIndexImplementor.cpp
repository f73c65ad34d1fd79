#include "qelSPCSVIndexImplementor.h"

#include "qelUtils.h"

#include <string>

void qelSPCSVIndexImplementor::writeDocumentEntry(const char* outputFileName)
{
    if (outputFileName)
        writeFormatted("%s\r\n", m_template.c_str());
}

void qelSPCSVIndexImplementor::writePageEntry(const char* name, int level, qelList* entries,
                                              const char* pageFileName)
{
    m_line = m_template;
    switch (level) {
    case 0: {
        long size = pageFileName ? qelUtils::getFileSize(pageFileName) : 0;
        fill(m_line, "PAGE_GROUP_NAME", nullptr);
        fill(m_line, "PAGE_NAME", name);
        fill(m_line, "PAGE_COUNT", "1");
        fill(m_line, "FILE_NAME", pageFileName);
        fill(m_line, "FILE_TYPE", outputFormatName());
        fill(m_line, "FILE_SIZE", std::to_string(size).c_str());
        break;
    }
    case 1:
        fill(m_line, "PAGE_GROUP_NAME", name);
        fill(m_line, "PAGE_NAME", nullptr);
        fill(m_line, "PAGE_COUNT", std::to_string(getTotal()).c_str());
        fill(m_line, "FILE_NAME", nullptr);
        fill(m_line, "FILE_TYPE", nullptr);
        fill(m_line, "FILE_SIZE", "0");
        break;
    case 2:
        fill(m_line, "PAGE_NAME", nullptr);
        fill(m_line, "PAGE_GROUP_NAME", nullptr);
        break;
    default:
        break;
    }
    writeIndexData(entries);
}
