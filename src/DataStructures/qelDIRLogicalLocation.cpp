#include "qelDIRLogicalLocation.h"

#include <cstdio>

qelDIRLogicalLocation::qelDIRLogicalLocation() = default;

qelDIRLogicalLocation::~qelDIRLogicalLocation()
{
    delete[] m_directoryName;
    delete[] m_pathSuffixPattern;
}

void qelDIRLogicalLocation::setDirectoryName(const char* name) { replaceText(m_directoryName, name); }
void qelDIRLogicalLocation::setPathSuffixPattern(const char* pattern) { replaceText(m_pathSuffixPattern, pattern); }

char* qelDIRLogicalLocation::describe()
{
    std::string text = "Type=DIR";
    appendPart(text, " Name=", getName());
    appendPart(text, " DirectoryName=", m_directoryName);
    appendPart(text, " PathSuffixPattern=", m_pathSuffixPattern);
    if (m_fileCount != -1) {
        char count[16];
        std::snprintf(count, sizeof count, "%d", m_fileCount);
        text += " FileCount=";
        text += count;
    }
    return storeDescription(text);
}
