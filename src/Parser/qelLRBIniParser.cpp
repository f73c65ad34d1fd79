#include "qelLRBIniParser.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>
#include <vector>

namespace {

enum { SECTION_SETTINGS = 0x1, SECTION_FORMDEF = 0x2, SECTION_COLOR_TABLE = 0x8 };

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string trimmed(const std::string& text)
{
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    size_t end = text.size();
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool equalsIgnoreCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// Empty and comment lines carry nothing.
bool carriesNothing(const char* line)
{
    return !line || !*line || *line == ';';
}

bool isSectionLine(const char* line)
{
    return line && *line == '[';
}

// The text between the first and the last character of a section line.
std::string sectionName(const char* line)
{
    size_t n = std::strlen(line);
    return n >= 2 ? std::string(line + 1, n - 2) : std::string();
}

// Key and value of a key line: the trimmed text before the first '=' and
// what follows it. False without '='.
bool splitKeyLine(const char* line, std::string& key, std::string& value)
{
    const char* eq = std::strchr(line, '=');
    if (!eq)
        return false;
    key = trimmed(std::string(line, eq));
    value = eq + 1;
    return true;
}

// The value up to the first ',', trimmed.
std::string firstField(const std::string& value)
{
    return trimmed(value.substr(0, value.find(',')));
}

unsigned char byteOf(const std::string& word)
{
    return qelUtils::isNumber(word.c_str()) ? static_cast<unsigned char>(std::atoi(word.c_str())) : 0;
}

// A port from digits only, 1 to 65535; 0 otherwise.
unsigned short portOf(const std::string& text)
{
    if (text.empty() || text.size() > 5)
        return 0;
    for (char c : text)
        if (c < '0' || c > '9')
            return 0;
    long port = std::strtol(text.c_str(), nullptr, 10);
    return (port > 0 && port <= 65535) ? static_cast<unsigned short>(port) : 0;
}

} // namespace

qelLRBIniParser::qelLRBIniParser()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_ini = pool ? pool->getIni() : nullptr;
}

qelLRBIniParser::~qelLRBIniParser() = default;

void qelLRBIniParser::reportFailure()
{
    const char* name = getFileName() ? getFileName() : "";
    if (!m_ini || !m_ini->isQuietMode())
        qelMessageOutput::printf("Warning! Unable to read INI file %s\n", name);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("Warning! Unable to read INI file %s\n", name);
    closeFile();
}

int qelLRBIniParser::parse()
{
    if (!m_ini)
        return -1;
    try {
        openFile();
        const char* line = readNextLine();
        while (line) {
            if (!isSectionLine(line)) {
                line = readNextLine();
                continue;
            }
            const std::string name = sectionName(line);
            if (equalsIgnoreCase(name, "Settings")) {
                line = m_ini->isLoadedSection(SECTION_SETTINGS) ? skipSection() : readSettings();
            } else if (equalsIgnoreCase(name, "FORMDEF")) {
                line = m_ini->isLoadedSection(SECTION_FORMDEF) ? skipSection() : readFormdef();
            } else if (equalsIgnoreCase(name, "AFPColorTable")) {
                line = m_ini->isLoadedSection(SECTION_COLOR_TABLE) ? skipSection() : readColorTable();
            } else {
                // The first line that carries something tells the kind.
                do
                    line = readNextLine();
                while (line && !isSectionLine(line) && carriesNothing(line));
                if (!line || isSectionLine(line)) {
                    qelMessageOutput::printf("Warning! Empty entry under section (%s) to process\n", name.c_str());
                    continue;
                }
                std::string key;
                std::string value;
                if (splitKeyLine(line, key, value) && equalsIgnoreCase(key, "Type"))
                    line = readLocation(name, line);
                // Spool file type sections (Def) are read on demand elsewhere.
            }
        }
        if (!m_ini->isLoadedSection(SECTION_SETTINGS))
            throw new qelException(__FILE__, __LINE__, qelMsg::E105, 0, true, "Settings",
                                   getFileName() ? getFileName() : "");
        closeFile();
    } catch (qelException*) {
        reportFailure();
        throw;
    } catch (const char*) {
        reportFailure();
        throw;
    }
    return 0;
}

const char* qelLRBIniParser::skipSection()
{
    const char* line = readNextLine();
    while (line && !isSectionLine(line))
        line = readNextLine();
    return line;
}

const char* qelLRBIniParser::readSettings()
{
    m_ini->addLoadedSections(SECTION_SETTINGS);
    const char* line = readNextLine();
    while (line && !isSectionLine(line)) {
        std::string key;
        std::string value;
        // Lines without '=' carry no setting.
        if (!carriesNothing(line) && splitKeyLine(line, key, value))
            m_ini->setAttribute(key.c_str(), value.c_str(), true);
        line = readNextLine();
    }
    return line;
}

const char* qelLRBIniParser::readFormdef()
{
    m_ini->addLoadedSections(SECTION_FORMDEF);
    const char* line = readNextLine();
    while (line && !isSectionLine(line)) {
        if (!carriesNothing(line))
            m_ini->addFormdefEntry((std::string(line) + ",").c_str());
        line = readNextLine();
    }
    return line;
}

const char* qelLRBIniParser::readColorTable()
{
    m_ini->addLoadedSections(SECTION_COLOR_TABLE);
    const char* line = readNextLine();
    while (line && !isSectionLine(line)) {
        std::string name;
        std::string value;
        if (!carriesNothing(line) && splitKeyLine(line, name, value)) {
            // Words are split at runs of commas and not trimmed: " 100" is
            // not a number and counts 0.
            std::vector<std::string> words;
            size_t p = 0;
            while (p < value.size()) {
                while (p < value.size() && value[p] == ',')
                    ++p;
                if (p >= value.size())
                    break;
                size_t end = value.find(',', p);
                if (end == std::string::npos)
                    end = value.size();
                words.push_back(value.substr(p, end - p));
                p = end;
            }
            if (words.size() >= 3 && words.size() <= 5) {
                int lower = words.size() >= 4 ? byteOf(words[3]) : 0;
                int upper = words.size() == 5 ? byteOf(words[4]) : 0;
                m_ini->addColorTableEntry(name.c_str(), byteOf(words[0]), byteOf(words[1]), byteOf(words[2]), lower,
                                          upper);
            }
        }
        line = readNextLine();
    }
    return line;
}

const char* qelLRBIniParser::readLocation(const std::string& section, const char* typeLine)
{
    std::string key;
    std::string value;
    splitKeyLine(typeLine, key, value);
    const std::string type = firstField(value);
    if (!equalsIgnoreCase(type, "FTP")) {
        qelMessageOutput::printf("Warning! Invalid type (%s) under logical location %s\n", type.c_str(),
                                 section.c_str());
        return skipSection();
    }
    std::unique_ptr<qelFTPLogicalLocation> location(new (std::nothrow) qelFTPLogicalLocation);
    if (!location) {
        qelMessageOutput::printf("Error! Unable to allocate logical location instance for %s\n", section.c_str());
        return skipSection();
    }
    location->setName(section.c_str());
    location->setPort(21);

    const char* line = readNextLine();
    while (line && !isSectionLine(line)) {
        if (!carriesNothing(line) && splitKeyLine(line, key, value)) {
            const std::string field = firstField(value);
            if (equalsIgnoreCase(key, "HostName")) {
                size_t colon = field.find(':');
                if (colon == std::string::npos) {
                    location->setHostName(field.c_str());
                } else {
                    location->setHostName(field.substr(0, colon).c_str());
                    if (unsigned short port = portOf(field.substr(colon + 1)))
                        location->setPort(port);
                }
            } else if (equalsIgnoreCase(key, "UserName")) {
                location->setUserName(field.c_str());
            } else if (equalsIgnoreCase(key, "Password")) {
                location->setPassword(field.c_str());
            } else if (equalsIgnoreCase(key, "StartDir")) {
                location->setStartDir(field.c_str());
            } else if (equalsIgnoreCase(key, "InitCommands")) {
                size_t begin = 0;
                for (;;) {
                    size_t semicolon = value.find(';', begin);
                    std::string command =
                        value.substr(begin, semicolon == std::string::npos ? std::string::npos : semicolon - begin);
                    if (!command.empty())
                        location->addInitialCommand(command.c_str());
                    if (semicolon == std::string::npos)
                        break;
                    begin = semicolon + 1;
                }
            }
        }
        line = readNextLine();
    }
    // Without host or user the location cannot be used.
    const char* host = location->getHostName();
    const char* user = location->getUserName();
    if (host && *host && user && *user)
        m_ini->addLogicalLocation(location.release());
    return line;
}

int qelLRBIniParser::parseSection(const char* name)
{
    if (!name || !m_ini)
        return -1;
    if (m_ini->isDevTest())
        qelMessageOutput::printf("Parsing Section: %s\n", name);
    try {
        openFile();
        const char* line = readNextLine();
        while (line && !(isSectionLine(line) && equalsIgnoreCase(sectionName(line), name)))
            line = readNextLine();
        if (!line)
            throw new qelException(__FILE__, __LINE__, qelMsg::E105, 0, true, name,
                                   getFileName() ? getFileName() : "");
        line = readNextLine();
        while (line && !isSectionLine(line)) {
            std::string key;
            std::string value;
            if (!carriesNothing(line) && splitKeyLine(line, key, value)) {
                m_ini->setAttribute(key.c_str(), value.c_str(), true);
                if (m_ini->isDevTest())
                    qelMessageOutput::printf("  %s=%s\n", key.c_str(), value.c_str());
            }
            line = readNextLine();
        }
        closeFile();
    } catch (qelException*) {
        reportFailure();
        throw;
    } catch (const char*) {
        reportFailure();
        throw;
    }
    return 0;
}
