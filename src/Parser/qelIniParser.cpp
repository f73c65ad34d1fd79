#include "qelIniParser.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstring>
#include <memory>
#include <new>
#include <strings.h>
#include <vector>

namespace {

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

char* newText(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void deleteText(void* item)
{
    delete[] static_cast<char*>(item);
}

using qelPoolAccess::options;

} // namespace

qelIniParser::qelIniParser()
{
    if (qelIni* ini = options()) {
        setPath(ini->getIniFilePath());
        setFileName(ini->getIniFilename());
    }
}

qelIniParser::~qelIniParser()
{
    closeFile();
    delete m_fileName;
    delete m_directory;
    delete[] m_currentLine;
}

void qelIniParser::setPath(const char* directory)
{
    delete m_directory;
    m_directory = nullptr;
    if (!directory)
        return;
    std::string path(directory);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    // An empty directory is the current one, never the root.
    if (path.empty())
        path = "./";
    else if (path.back() != '/')
        path += '/';
    m_directory = new qelString(path.c_str());
}

void qelIniParser::setFileName(const char* name)
{
    delete m_fileName;
    m_fileName = nullptr;
    if (!name)
        return;
    std::string text(name);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    size_t slash = text.rfind('/');
    if (slash == std::string::npos) {
        m_fileName = new qelString(text.c_str());
        return;
    }
    m_fileName = new qelString(text.substr(slash + 1).c_str());
    setPath(text.substr(0, slash + 1).c_str());
}

const char* qelIniParser::getPath() const
{
    return m_directory ? m_directory->getBuffer() : nullptr;
}

const char* qelIniParser::getFileName() const
{
    return m_fileName ? m_fileName->getBuffer() : nullptr;
}

int qelIniParser::openFile()
{
    if (m_file)
        return 0;
    const std::string directory = getPath() ? getPath() : "";
    const std::string name = getFileName() ? getFileName() : "";
    m_file = qelUtils::openFile((directory + name).c_str(), 'r');
    if (m_file)
        return 0;
    std::string pathList = directory;
    // Looking again in the current directory only helps when the file was
    // looked for elsewhere.
    if (directory != "." && directory != "./" && !directory.empty()) {
        qelMessageOutput::printf("Invalid ini file name (%s) or path (%s), Searching ini on default path (%s)\n",
                                 name.c_str(), directory.c_str(), ".");
        m_file = qelUtils::openFile(("./" + name).c_str(), 'r');
        if (m_file)
            return 0;
        pathList += ",.";
    }
    throw new qelException(__FILE__, __LINE__, qelMsg::E104, 0, true, name.c_str(), pathList.c_str());
}

void qelIniParser::closeFile()
{
    if (m_file) {
        qelUtils::closeFile(m_file);
        m_file = nullptr;
    }
}

bool qelIniParser::readLine(std::string& line)
{
    if (!m_file)
        return false;
    for (;;) {
        line.clear();
        bool any = false;
        bool cut = false;
        int c;
        while ((c = std::getc(m_file)) != EOF) {
            any = true;
            if (c == '\n')
                break;
            if (line.size() < MAX_LINE)
                line += static_cast<char>(c);
            else
                cut = true;
        }
        if (std::ferror(m_file))
            throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
        if (!any)
            return false;
        if (!line.empty() && line[0] == ';')
            continue;
        if (cut) {
            // The tail of a long line is never taken for a line of its own.
            qelIni* ini = options();
            const char* text = "Warning! Line longer than %d characters in INI file %s, the rest of the line is "
                               "ignored\n";
            if (!ini || !ini->isQuietMode())
                qelMessageOutput::printf(text, static_cast<int>(MAX_LINE), getFileName() ? getFileName() : "");
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            qelLogStream* log = pool ? pool->getLogStream() : nullptr;
            if (log && log->anyOf(QEL_LOG_GENERAL))
                log->printLine(text, static_cast<int>(MAX_LINE), getFileName() ? getFileName() : "");
        }
        return true;
    }
}

const char* qelIniParser::readNextLine()
{
    std::string line;
    if (!readLine(line)) {
        delete[] m_currentLine;
        m_currentLine = nullptr;
        return nullptr;
    }
    char* copy = newText(trimmed(line));
    delete[] m_currentLine;
    m_currentLine = copy;
    return m_currentLine;
}

bool qelIniParser::gotoSection(const char* name)
{
    if (!m_file)
        return false;
    if (qelUtils::findSection(name, m_file, getFileName()) == 1)
        return true;
    throw new qelException(__FILE__, __LINE__, qelMsg::E105, 0, true, name ? name : "",
                           getFileName() ? getFileName() : "");
}

bool qelIniParser::findKeyLine(const char* section, const char* key, std::string& line)
{
    if (!m_file || !key)
        return false;
    try {
        if (!gotoSection(section))
            return false;
    } catch (qelException* e) {
        // Already shown when it was raised.
        delete e;
        return false;
    }
    while (readLine(line)) {
        line = trimmed(line);
        if (!line.empty() && line[0] == '[')
            return false;
        size_t eq = line.find('=');
        if (eq == std::string::npos || line.empty())
            continue;
        if (strcasecmp(trimmed(line.substr(0, eq)).c_str(), key) == 0)
            return true;
    }
    return false;
}

char* qelIniParser::getValue(const char* section, const char* key)
{
    std::string line;
    if (!findKeyLine(section, key, line))
        return nullptr;
    std::string value = line.substr(line.find('=') + 1);
    value = trimmed(value.substr(0, value.find(',')));
    return value.empty() ? nullptr : newText(value);
}

qelList* qelIniParser::getValues(const char* section, const char* key)
{
    std::string line;
    if (!findKeyLine(section, key, line))
        return nullptr;
    const std::string value = line.substr(line.find('=') + 1);
    std::vector<std::string> fields;
    size_t begin = 0;
    for (;;) {
        size_t comma = value.find(',', begin);
        fields.push_back(trimmed(value.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin)));
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
    while (!fields.empty() && fields.back().empty())
        fields.pop_back();
    std::unique_ptr<qelList> list(new qelList(&deleteText));
    for (const std::string& field : fields)
        list->append(newText(field));
    return list.release();
}

bool qelIniParser::hasWhiteSpace(const char* text)
{
    for (const char* p = text; p && *p; ++p)
        if (isBlank(*p))
            return true;
    return false;
}
