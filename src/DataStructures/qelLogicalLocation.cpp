#include "qelLogicalLocation.h"

#include "qelUtils.h"

#include <cstdio>
#include <cstring>

namespace {
char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

void replaceText(char*& field, const char* text)
{
    char* copy = copyText(text);
    delete[] field;
    field = copy;
}

// Copy without surrounding double quotes; empty when nothing remains.
void replaceUnquoted(char*& field, const char* text)
{
    char* copy = nullptr;
    if (text) {
        copy = qelUtils::stripQuotes(text);
        if (!copy)
            copy = copyText("");
    }
    delete[] field;
    field = copy;
}

void appendPart(std::string& out, const char* label, const char* value)
{
    if (value) {
        out += label;
        out += value;
    }
}
}

qelLogicalLocation::qelLogicalLocation() = default;

qelLogicalLocation::~qelLogicalLocation()
{
    delete[] m_description;
    delete[] m_name;
    delete[] m_userName;
    delete[] m_password;
}

void qelLogicalLocation::setUserName(const char* name) { replaceText(m_userName, name); }
void qelLogicalLocation::setPassword(const char* password) { replaceText(m_password, password); }
const char* qelLogicalLocation::getUserName() const { return m_userName; }
const char* qelLogicalLocation::getPassword() const { return m_password; }
void qelLogicalLocation::setName(const char* name) { replaceText(m_name, name); }
const char* qelLogicalLocation::getName() const { return m_name; }
void qelLogicalLocation::setDescription(const char* text) { replaceText(m_description, text); }

const char* qelLogicalLocation::getDescription()
{
    if (!m_description)
        delete[] describe();
    return m_description;
}

char* qelLogicalLocation::storeDescription(const std::string& text)
{
    setDescription(text.c_str());
    return copyText((text + "\r\n").c_str());
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
