#include "qelCSVIndexImplementor.h"

#include "qelGlobalDSPool.h"
#include "qelIndex.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelUtils.h"

#include <string>

namespace
{
const char* const kDefaultTemplate = "PAGE_GROUP_NAME,PAGE_NAME,PAGE_COUNT,FILE_NAME,FILE_TYPE,INDEX,FILE_SIZE";
}

qelCSVIndexImplementor::qelCSVIndexImplementor()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const char* record = ini ? ini->getIndexRecord() : nullptr;
    m_template = record ? record : kDefaultTemplate;
}

void qelCSVIndexImplementor::fill(std::string& line, const char* placeholder, const char* value)
{
    size_t at = line.find(placeholder);
    if (at == std::string::npos)
        return;
    line.replace(at, std::char_traits<char>::length(placeholder), value ? value : "");
}

void qelCSVIndexImplementor::writeDocumentEntry(const char* outputFileName)
{
    if (!outputFileName)
        return;
    writeFormatted("%s\r\n", m_template.c_str());
    fill(m_template, "FILE_NAME", outputFileName);
    fill(m_template, "PAGE_COUNT", std::to_string(getTotal()).c_str());
    fill(m_template, "FILE_TYPE", outputFormatName());
    fill(m_template, "FILE_SIZE", std::to_string(qelUtils::getFileSize(outputFileName)).c_str());
}

void qelCSVIndexImplementor::writePageEntry(const char* name, int level, qelList* entries, const char*)
{
    switch (level) {
    case 0:
        m_line = m_template;
        fill(m_line, "PAGE_NAME", name);
        fill(m_line, "PAGE_GROUP_NAME", nullptr);
        break;
    case 1:
        m_line = m_template;
        fill(m_line, "PAGE_GROUP_NAME", name);
        fill(m_line, "PAGE_NAME", nullptr);
        break;
    case 2:
        m_line = m_template;
        fill(m_line, "PAGE_NAME", nullptr);
        fill(m_line, "PAGE_GROUP_NAME", nullptr);
        break;
    default:
        break;
    }
    writeIndexData(entries);
}

void qelCSVIndexImplementor::writeIndexData(qelList* entries)
{
    if (!m_file)
        return;
    if (!entries) {
        std::string line = m_line;
        fill(line, "INDEX", nullptr);
        writeFormatted("%s\r\n", line.c_str());
        return;
    }
    for (qelListNode* n = entries->getHead(); n; n = n->next) {
        auto* entry = static_cast<qelIndex*>(n->item);
        std::string pair = std::string(entry->getName() ? entry->getName() : "") + "=" +
                           (entry->getValue() ? entry->getValue() : "");
        std::string line = m_line;
        fill(line, "INDEX", pair.c_str());
        writeFormatted("%s\r\n", line.c_str());
    }
}
