#include "qelGcgidUnicodeMap.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstring>
#include <memory>
#include <string>

namespace {
const int LINE_SIZE = 1024;

const char* fileName()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    return ini ? ini->getGcgidUnicodeFile() : nullptr;
}

qelLogStream* warningLog()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(QEL_LOG_LEVEL2)) ? log : nullptr;
}

// The next line that does not begin with ';', without its line end. A line
// longer than the buffer is read to its end and handed back as too long.
bool readLine(FILE* file, char* line, bool* tooLong)
{
    for (;;) {
        if (!std::fgets(line, LINE_SIZE, file)) {
            if (std::ferror(file))
                throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
            line[0] = 0;
            return false;
        }
        size_t n = std::strlen(line);
        *tooLong = false;
        if (n > 0 && line[n - 1] != '\n' && !std::feof(file)) {
            *tooLong = true;
            int c;
            while ((c = std::fgetc(file)) != EOF && c != '\n') {
            }
            if (std::ferror(file))
                throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
        }
        if (line[0] != ';')
            return true;
    }
}

bool isHexValue(const char* text)
{
    size_t n = std::strlen(text);
    if (n < 1 || n > 4)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (!std::strchr("0123456789abcdefABCDEF", text[i]))
            return false;
    }
    return true;
}
}

qelGcgidUnicodeMap::~qelGcgidUnicodeMap()
{
    if (file)
        qelUtils::closeFile(file);
    clearUnicodeTable(this);
}

bool qelGcgidUnicodeMap::openUnicodeFile(qelGcgidUnicodeMap* table)
{
    if (!table)
        return false;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const char* directory = ini ? ini->getCpPath() : nullptr;
    const char* name = fileName();
    if (!directory || !name)
        return false;
    std::string path = directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    if (table->file)
        qelUtils::closeFile(table->file);
    table->file = qelUtils::openFile(path.c_str(), 'r');
    return table->file != nullptr;
}

void qelGcgidUnicodeMap::loadUnicodeTable(qelGcgidUnicodeMap* table)
{
    if (!table)
        return;
    if (!openUnicodeFile(table)) {
        table->loaded = 0;
        return;
    }
    std::unique_ptr<char[]> buffer(new char[LINE_SIZE]);
    char* raw = buffer.get();
    bool tooLong = false;
    try {
        while (readLine(table->file, raw, &tooLong)) {
            char* line = qelString::trim(raw);
            if (!line || !*line)
                continue;
            const std::string shownLine = line;
            bool valid = false;
            char* equals = std::strchr(line, '=');
            if (equals && !tooLong) {
                char* value = equals + 1;
                if (char* comment = std::strchr(value, ';'))
                    *comment = 0;
                *equals = 0;
                char* name = qelString::trim(line);
                value = qelString::trim(value);
                if (name && *name && value && isHexValue(value)) {
                    addUnicodeEntry(table, name, static_cast<int>(std::strtol(value, nullptr, 16)));
                    valid = true;
                }
            }
            if (!valid) {
                if (qelLogStream* log = warningLog()) {
                    const char* shown = fileName();
                    log->print("Warning! %s: No matching unicode entry: %s\n", shown ? shown : "NULL",
                               shownLine.c_str());
                }
            }
        }
    } catch (...) {
        qelUtils::closeFile(table->file);
        table->file = nullptr;
        throw;
    }
    table->loaded = 1;
    qelUtils::closeFile(table->file);
    table->file = nullptr;
}

void qelGcgidUnicodeMap::addUnicodeEntry(qelGcgidUnicodeMap* table, const char* name, int value)
{
    if (!table || !name)
        return;
    if (!table->entries)
        table->entries = new qelList(&qelList::deleteAs<qelGcgidUnicodeEntry>);
    std::unique_ptr<qelGcgidUnicodeEntry> entry(new qelGcgidUnicodeEntry);
    size_t n = std::strlen(name);
    entry->name = new char[n + 1];
    std::memcpy(entry->name, name, n + 1);
    entry->value = value;
    table->entries->append(entry.release());
}

int qelGcgidUnicodeMap::findUnicodeValue(const qelGcgidUnicodeMap* table, const char* name)
{
    if (!table || !name || !table->entries)
        return -1;
    for (qelListNode* node = table->entries->getHead(); node; node = node->next) {
        auto* entry = static_cast<qelGcgidUnicodeEntry*>(node->item);
        if (entry && qelString::compare(entry->name, name, true, 0))
            return entry->value;
    }
    return -1;
}

void qelGcgidUnicodeMap::clearUnicodeTable(qelGcgidUnicodeMap* table)
{
    if (table)
        qelList::destroy(table->entries);
}
