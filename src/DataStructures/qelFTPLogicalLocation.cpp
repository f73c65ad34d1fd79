#include "qelFTPLogicalLocation.h"

#include "qelUtils.h"

#include <cstdio>

namespace {
// Copy without surrounding double quotes; empty when nothing remains.
void replaceUnquoted(char*& field, const char* text)
{
    char* copy = nullptr;
    if (text) {
        copy = qelUtils::stripQuotes(text);
        if (!copy)
            copy = new char[1]();
    }
    delete[] field;
    field = copy;
}
}

qelFTPLogicalLocation::qelFTPLogicalLocation() = default;

qelFTPLogicalLocation::~qelFTPLogicalLocation()
{
    delete[] m_hostName;
    delete[] m_startDir;
    delete[] m_fileName;
}

void qelFTPLogicalLocation::setHostName(const char* host) { replaceUnquoted(m_hostName, host); }
void qelFTPLogicalLocation::setStartDir(const char* dir) { replaceUnquoted(m_startDir, dir); }
void qelFTPLogicalLocation::setFileName(const char* name) { replaceText(m_fileName, name); }

void qelFTPLogicalLocation::addInitialCommand(const char* command)
{
    if (!command)
        return;
    m_hasCommands = true;
    m_initialCommands.emplace_back(command);
}

char* qelFTPLogicalLocation::describe()
{
    std::string text = "Type=FTP";
    appendPart(text, " Name=", getName());
    appendPart(text, " HostName=", m_hostName);
    char port[16];
    std::snprintf(port, sizeof port, "%02d", static_cast<int>(m_port));
    text += " Port=";
    text += port;
    appendPart(text, " UserName=", getUserName());
    appendPart(text, " Password=", getPassword());
    appendPart(text, " StartDir=", m_startDir);
    appendPart(text, " Filename=", m_fileName);
    if (m_hasCommands) {
        text += " InitialCommands=";
        for (const std::string& command : m_initialCommands) {
            text += command;
            text += ';';
        }
    }
    return storeDescription(text);
}
