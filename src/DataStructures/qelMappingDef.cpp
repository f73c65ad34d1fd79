#include "qelMappingDef.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
using TextPtr = std::unique_ptr<char[]>;

using qelPoolAccess::options;

// The pool's log when its level mask meets the bits, else null.
qelLogStream* logFor(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(bits)) ? log : nullptr;
}

using qelPoolAccess::quiet;

const char* mappingDefName()
{
    qelIni* ini = options();
    return ini ? ini->getMappingDefFilename() : nullptr;
}

void deleteText(void* item)
{
    delete[] static_cast<char*>(item);
}

// Copies at most width - 1 characters; the rest of a longer text is cut.
void copyField(char* dst, size_t width, const char* src)
{
    if (!src) {
        dst[0] = '\0';
        return;
    }
    size_t n = std::strlen(src);
    if (n > width - 1)
        n = width - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

template <size_t N>
void copyField(char (&dst)[N], const char* src)
{
    copyField(dst, N, src);
}

std::string trimmed(const char* text)
{
    if (!text)
        return std::string();
    const char* blanks = " \t\n\v\f\r";
    std::string s(text);
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

bool sameName(const char* a, const char* b)
{
    return strcasecmp(trimmed(a).c_str(), trimmed(b).c_str()) == 0;
}

bool isDefaultName(const char* text)
{
    return sameName(text, "DEFAULT");
}

// The key: the text before the first '=' of a line that has one and does not
// begin with ';'.
bool splitKey(const char* line, std::string& key)
{
    key.clear();
    if (!line || *line == ';')
        return false;
    const char* eq = std::strchr(line, '=');
    if (!eq)
        return false;
    key.assign(line, static_cast<size_t>(eq - line));
    return true;
}

// Field n (from 1) of the value, untrimmed; false when absent.
bool valueField(const char* line, int n, std::string& out)
{
    out.clear();
    TextPtr field(qelUtils::getValueField(line, n, ','));
    if (!field)
        return false;
    out = field.get();
    return true;
}

std::string trimmedField(const char* line, int n)
{
    std::string f;
    valueField(line, n, f);
    return trimmed(f.c_str());
}

bool flagField(const char* line, int n)
{
    std::string f;
    return valueField(line, n, f) && f == "1";
}

// Adds a name pair split at the first ':' (quotes stripped from each part).
void addAliasPair(qelList*& list, const std::string& field, std::string* before)
{
    size_t colon = field.find(':');
    std::string first = colon == std::string::npos ? field : field.substr(0, colon);
    TextPtr a(qelUtils::stripQuotes(first.c_str()));
    TextPtr b;
    if (colon != std::string::npos)
        b.reset(qelUtils::stripQuotes(field.c_str() + colon + 1));
    if (before)
        *before = first;
    if (!list)
        list = new qelList(&qelList::deleteAs<qelNamePair>);
    list->append(new qelNamePair(a.get(), b.get()));
}

void appendTo(qelList*& list, void* item, qelList::ItemDeleter deleter)
{
    if (!item)
        return;
    if (!list)
        list = new qelList(deleter);
    list->append(item);
}

// Whether an entry key serves a name: equal, or equal to the name with '?'
// as its second character (not for a 'Z'/'z' there, nor for DEFAULT).
bool matchesWithWildSecond(const char* key, const std::string& name)
{
    std::string k = trimmed(key);
    if (strcasecmp(k.c_str(), name.c_str()) == 0)
        return true;
    if (name.size() < 2 || name[1] == 'Z' || name[1] == 'z' || strcasecmp(name.c_str(), "DEFAULT") == 0)
        return false;
    std::string wild = name;
    wild[1] = '?';
    return strcasecmp(k.c_str(), wild.c_str()) == 0;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// matchesWithWildSecond against every name of a set of lower-case names.
bool matchesAnyWithWildSecond(const std::unordered_set<std::string>& keys, const std::string& name)
{
    std::string n = lowered(name);
    if (keys.count(n))
        return true;
    if (n.size() < 2 || n[1] == 'z' || n == "default")
        return false;
    n[1] = '?';
    return keys.count(n) != 0;
}

// Generic scan with the DEFAULT fallback rule.
template <class Entry, class KeyOf, class Match>
Entry* scan(qelList* list, bool fallback, KeyOf keyOf, Match match)
{
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        Entry* e = static_cast<Entry*>(n->item);
        if (match(e))
            return e;
        if (fallback && isDefaultName(keyOf(e)))
            return e;
    }
    return nullptr;
}

bool containsNoCase(const std::string& text, const char* word)
{
    return strcasestr(text.c_str(), word) != nullptr;
}

} // namespace

qelOutputFontEntry::~qelOutputFontEntry()
{
    qelList::destroy(aliases);
}

qelInputAliasEntry::~qelInputAliasEntry()
{
    qelList::destroy(aliases);
}

qelAFPFontEntry::~qelAFPFontEntry()
{
    delete[] key;
    delete[] fontName;
}

qelMappingDef::qelMappingDef()
{
    // The pool and its log exist from here on.
    if (qelGlobalDSPool* pool = qelGlobalDSPool::getInstance())
        pool->getLogStream();
}

qelMappingDef::~qelMappingDef()
{
    if (m_file)
        std::fclose(m_file);
    qelList::destroy(m_xfonts);
    qelList::destroy(m_charSets);
    qelList::destroy(m_fgids);
    qelList::destroy(m_outputFonts);
    qelList::destroy(m_codePages);
    qelList::destroy(m_afpFonts);
    qelList::destroy(m_gcsgids);
    qelList::destroy(m_renderings);
    qelList::destroy(m_boldSuffixes);
    qelList::destroy(m_italicSuffixes);
    qelList::destroy(m_boldItalicSuffixes);
    qelList::destroy(m_inputAliases);
}

// ---------------------------------------------------------------- appends

void qelMappingDef::addXFont(qelXFontEntry* entry)
{
    appendTo(m_xfonts, entry, &qelList::deleteAs<qelXFontEntry>);
}

void qelMappingDef::addCharSet(qelCharSetEntry* entry)
{
    appendTo(m_charSets, entry, &qelList::deleteAs<qelCharSetEntry>);
    if (entry)
        m_charSetNames.insert(lowered(trimmed(entry->charSetName)));
}

void qelMappingDef::addFGID(qelFGIDEntry* entry)
{
    appendTo(m_fgids, entry, &qelList::deleteAs<qelFGIDEntry>);
}

void qelMappingDef::addOutputFont(qelOutputFontEntry* entry)
{
    appendTo(m_outputFonts, entry, &qelList::deleteAs<qelOutputFontEntry>);
}

void qelMappingDef::addCodePage(qelCodePageEntry* entry)
{
    appendTo(m_codePages, entry, &qelList::deleteAs<qelCodePageEntry>);
}

void qelMappingDef::addAFPFont(qelAFPFontEntry* entry)
{
    appendTo(m_afpFonts, entry, &qelList::deleteAs<qelAFPFontEntry>);
}

void qelMappingDef::addGCSGID(qelGCSGIDEntry* entry)
{
    appendTo(m_gcsgids, entry, &qelList::deleteAs<qelGCSGIDEntry>);
}

void qelMappingDef::addCharSetRendering(qelRenderingEntry* entry)
{
    appendTo(m_renderings, entry, &qelList::deleteAs<qelRenderingEntry>);
}

void qelMappingDef::addInputFontAlias(qelInputAliasEntry* entry)
{
    appendTo(m_inputAliases, entry, &qelList::deleteAs<qelInputAliasEntry>);
}

// ---------------------------------------------------------------- loading

bool qelMappingDef::openFile()
{
    const char* option = mappingDefName();
    if (!option)
        return false;
    std::string directory;
    std::string name;
    const char* slash = std::strrchr(option, '/');
    if (slash) {
        directory.assign(option, static_cast<size_t>(slash - option + 1));
        name = slash + 1;
    } else {
        qelIni* ini = options();
        directory = ini && ini->getCpPath() ? ini->getCpPath() : "";
        name = option;
    }
    if (directory.empty())
        directory = "./";
    if (directory.back() != '/')
        directory += '/';
    // A name that differs only in case is the same file.
    std::string path = directory + name;
    if (!qelUtils::isRegularFile(path.c_str()) && name.find_first_of("*?") == std::string::npos) {
        TextPtr found(qelUtils::findFirstFile(path.c_str()));
        if (found && qelUtils::isRegularFile(found.get()))
            path = found.get();
    }
    m_file = qelUtils::openFile(path.c_str(), 'r');
    return m_file != nullptr;
}

bool qelMappingDef::readLine()
{
    return qelUtils::readDataLine(m_file, m_line, sizeof m_line) != nullptr;
}

int qelMappingDef::load()
{
    if (!openFile()) {
        m_loaded = 0;
        return 0;
    }
    qelIni* ini = options();
    const int format = ini ? ini->getOutputFormat() : 0;
    const char* tag1 = "[WINFONT]";
    const char* tag2 = "[PC FONT]";
    bool afpTags = false;
    if (format == 32 || format == 512) {
        tag1 = "[PDFFONT]";
        tag2 = "[FONT]";
    } else if (format == 1 && ini && ini->isCodedOutput()) {
        tag1 = tag2 = "[AFPFONT]";
        afpTags = true;
    }

    try {
        readLine();
        while (m_line[0]) {
            const Section output = afpTags ? SEC_AFPFONT : SEC_OUTPUT;
            struct Tag
            {
                const char* text;
                Section section;
            } tags[] = {{"[XFONT]", SEC_XFONT},
                        {"[CHARSET]", SEC_CHARSET},
                        {"[FGID]", SEC_FGID},
                        {tag1, output},
                        {tag2, output},
                        {"[CODEPG]", SEC_CODEPG},
                        {"[CHARSET RENDERING]", SEC_RENDERING},
                        {"[FONTSUFFIX]", SEC_SUFFIX},
                        {"[INPUT FONT ALIASES]", SEC_ALIASES},
                        {"[GCSGID]", SEC_GCSGID}};
            bool hit = false;
            for (const Tag& t : tags) {
                if (std::strstr(m_line, t.text)) {
                    readSection(t.section);
                    hit = true;
                    break;
                }
            }
            if (!hit)
                readLine();
        }
    } catch (qelException*) {
        const char* name = mappingDefName();
        if (!quiet())
            qelMessageOutput::printf("Warning! Unable to read MappingDef file %s\n", name ? name : "");
        if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
            log->printLine("Warning! Unable to read MappingDef file %s\n", name ? name : "");
        std::fclose(m_file);
        m_file = nullptr;
        throw;
    }
    std::fclose(m_file);
    m_file = nullptr;
    applyDefaultSuffixes();
    m_loaded = 1;
    return 1;
}

void qelMappingDef::applyDefaultSuffixes()
{
    struct Defaults
    {
        qelList** list;
        std::vector<const char*> values;
    } defaults[] = {{&m_boldSuffixes, {"b", "-Bold"}},
                    {&m_italicSuffixes, {"i", "-Italic", "-Oblique"}},
                    {&m_boldItalicSuffixes, {"bi", "-BoldItalic", "-BoldOblique"}}};
    for (Defaults& d : defaults) {
        if (*d.list && (*d.list)->getCount() > 0)
            continue;
        for (const char* v : d.values)
            appendTo(*d.list, qelNamePair::copy(v), &deleteText);
    }
}

void qelMappingDef::readSection(Section section)
{
    if (section == SEC_AFPFONT) {
        parseAFPFontSection();
        return;
    }
    while (readLine()) {
        if (qelString::matchWildcard(m_line, "*[*]*"))
            return;
        qelString::trim(m_line);
        if (!m_line[0])
            continue;
        switch (section) {
        case SEC_XFONT: parseXFontLine(m_line); break;
        case SEC_CHARSET: parseCharSetLine(m_line); break;
        case SEC_FGID: parseFGIDLine(m_line); break;
        case SEC_OUTPUT: parseOutputFontLine(m_line); break;
        case SEC_CODEPG: parseCodePageLine(m_line); break;
        case SEC_RENDERING: parseRenderingLine(m_line); break;
        case SEC_SUFFIX: parseSuffixLine(m_line); break;
        case SEC_ALIASES: parseInputAliasLine(m_line); break;
        case SEC_GCSGID: parseGCSGIDLine(m_line); break;
        default: break;
        }
    }
}

void qelMappingDef::parseXFontLine(char* line)
{
    std::string key;
    splitKey(line, key);
    auto entry = std::make_unique<qelXFontEntry>();
    copyField(entry->codedFontName, trimmed(key.c_str()).c_str());
    if (findXFont(entry->codedFontName, false))
        throw new qelException(__FILE__, __LINE__, qelMsg::E113, 0, true, "XFONT", line);
    copyField(entry->charSetName, trimmedField(line, 1).c_str());
    copyField(entry->codePageName, trimmedField(line, 2).c_str());
    addXFont(entry.release());
}

void qelMappingDef::parseCharSetLine(char* line)
{
    std::string key;
    splitKey(line, key);
    std::string height = trimmedField(line, 2);
    std::string width = trimmedField(line, 3);
    if (!qelUtils::isNumber(height.c_str()) || !qelUtils::isNumber(width.c_str()))
        throw new qelException(__FILE__, __LINE__, qelMsg::E065, 0, true, line);
    auto entry = std::make_unique<qelCharSetEntry>();
    copyField(entry->charSetName, trimmed(key.c_str()).c_str());
    if (matchesAnyWithWildSecond(m_charSetNames, trimmed(entry->charSetName)))
        throw new qelException(__FILE__, __LINE__, qelMsg::E113, 0, true, "CHARSET", line);
    copyField(entry->fgid, trimmedField(line, 1).c_str());
    entry->height = std::atoi(height.c_str());
    entry->width = std::atoi(width.c_str());
    entry->strikeover = flagField(line, 4) ? 1 : 0;
    entry->underline = flagField(line, 5) ? 1 : 0;
    addCharSet(entry.release());
}

void qelMappingDef::parseFGIDLine(char* line)
{
    std::string key;
    splitKey(line, key);
    auto entry = std::make_unique<qelFGIDEntry>();
    copyField(entry->fgid, trimmed(key.c_str()).c_str());
    for (qelListNode* n = m_fgids ? m_fgids->getHead() : nullptr; n; n = n->next)
        if (sameName(static_cast<qelFGIDEntry*>(n->item)->fgid, entry->fgid))
            throw new qelException(__FILE__, __LINE__, qelMsg::E113, 0, true, "FGID", line);
    copyField(entry->fontName, trimmedField(line, 1).c_str());
    copyField(entry->familyName, trimmedField(line, 2).c_str());
    copyField(entry->weight, trimmedField(line, 3).c_str());
    entry->italic = flagField(line, 4) ? 1 : 0;
    addFGID(entry.release());
}

void qelMappingDef::parseOutputFontLine(char* line)
{
    std::string key;
    splitKey(line, key);
    auto entry = std::make_unique<qelOutputFontEntry>();
    std::string name = trimmed(key.c_str());
    copyField(entry->fontName, name.c_str());
    copyField(entry->outputName, name.c_str());
    std::string field;
    if (valueField(line, 1, field)) {
        if (field.find(':') != std::string::npos) {
            std::string before;
            addAliasPair(entry->aliases, field, &before);
            copyField(entry->outputName, before.c_str());
        } else {
            copyField(entry->outputName, field.c_str());
        }
        for (int k = 2; valueField(line, k, field); ++k)
            addAliasPair(entry->aliases, field, nullptr);
    }
    addOutputFont(entry.release());
}

void qelMappingDef::parseCodePageLine(char* line)
{
    std::string key;
    splitKey(line, key);
    auto entry = std::make_unique<qelCodePageEntry>();
    copyField(entry->codePageName, trimmed(key.c_str()).c_str());
    if (!isDefaultName(entry->codePageName)) {
        for (qelListNode* n = m_codePages ? m_codePages->getHead() : nullptr; n; n = n->next)
            if (sameName(static_cast<qelCodePageEntry*>(n->item)->codePageName, entry->codePageName))
                throw new qelException(__FILE__, __LINE__, qelMsg::E113, 0, true, "CODEPG", line);
    }
    copyField(entry->fileName, trimmedField(line, 1).c_str());
    copyField(entry->encoding, trimmedField(line, 2).c_str());
    addCodePage(entry.release());
}

void qelMappingDef::parseRenderingLine(char* line)
{
    std::string key;
    splitKey(line, key);
    std::string mode = trimmedField(line, 1);
    if (!qelUtils::isNumber(mode.c_str()))
        throw new qelException(__FILE__, __LINE__, qelMsg::E112, 0, true, "CHARSET RENDERING", line);
    auto entry = std::make_unique<qelRenderingEntry>();
    entry->mode = std::atoi(mode.c_str());
    if (entry->mode < 0 || entry->mode > 2)
        throw new qelException(__FILE__, __LINE__, qelMsg::E112, 0, true, "CHARSET RENDERING", line);
    std::string option;
    if (entry->mode == 0 && valueField(line, 2, option)) {
        option = trimmed(option.c_str());
        const int value = std::atoi(option.c_str());
        if (!qelUtils::isNumber(option.c_str()) || value < 1 || value > 3)
            throw new qelException(__FILE__, __LINE__, qelMsg::E112, 0, true, "CHARSET RENDERING", line);
        entry->option = value;
    }
    copyField(entry->pattern, trimmed(key.c_str()).c_str());
    addCharSetRendering(entry.release());
}

void qelMappingDef::parseSuffixLine(char* line)
{
    std::string key;
    qelList** list = nullptr;
    if (splitKey(line, key)) {
        key = trimmed(key.c_str());
        if (key.find("BoldItalicSuffix") != std::string::npos)
            list = &m_boldItalicSuffixes;
        else if (key.find("BoldSuffix") != std::string::npos)
            list = &m_boldSuffixes;
        else if (key.find("ItalicSuffix") != std::string::npos)
            list = &m_italicSuffixes;
    }
    if (!list) {
        if (qelLogStream* log = logFor(QEL_LOG_GENERAL)) {
            const char* name = mappingDefName();
            log->printLine("Warning! Invalid line under %s in %s\n\t\t\"%s\"", "[FONTSUFFIX]", name ? name : "NULL",
                           line);
        }
        return;
    }
    const char* value = std::strchr(line, '=') + 1;
    std::string rest(value);
    size_t begin = 0;
    for (;;) {
        size_t comma = rest.find(',', begin);
        std::string item = trimmed(rest.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin).c_str());
        if (!item.empty())
            appendTo(*list, qelNamePair::copy(item.c_str()), &deleteText);
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
}

void qelMappingDef::parseInputAliasLine(char* line)
{
    std::string key;
    splitKey(line, key);
    auto entry = std::make_unique<qelInputAliasEntry>();
    copyField(entry->pattern, trimmed(key.c_str()).c_str());
    std::string field;
    for (int k = 1; valueField(line, k, field); ++k) {
        TextPtr name(qelUtils::stripQuotes(field.c_str()));
        if (!entry->aliases)
            entry->aliases = new qelList(&qelList::deleteAs<qelNamePair>);
        entry->aliases->append(new qelNamePair(name.get(), nullptr));
    }
    addInputFontAlias(entry.release());
}

void qelMappingDef::parseGCSGIDLine(char* line)
{
    std::string key;
    if (!splitKey(line, key))
        return;
    auto number = [](const std::string& text, int otherwise) {
        std::string t = trimmed(text.c_str());
        if (strcasecmp(t.c_str(), "DEFAULT") == 0)
            return 255;
        return qelUtils::isNumber(t.c_str()) ? std::atoi(t.c_str()) : otherwise;
    };
    int gcsgid;
    int fgid = 255;
    size_t comma = key.find(',');
    if (comma == std::string::npos) {
        gcsgid = number(key, -1);
    } else {
        std::string f = trimmed(key.substr(comma + 1).c_str());
        fgid = qelUtils::isNumber(f.c_str()) ? std::atoi(f.c_str()) : 255;
        if (fgid < 1) {
            if (!quiet())
                qelMessageOutput::printf("Warning! Invalid value given for FGID, using default value\n");
            if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
                log->printLine("Warning! Invalid value given for FGID, using default value\n");
            fgid = 255;
        }
        gcsgid = number(key.substr(0, comma), -1);
    }
    if (gcsgid < 1)
        throw new qelException(__FILE__, __LINE__, qelMsg::E121, gcsgid, true, gcsgid);

    const char* value = std::strchr(line, '=') + 1;
    std::vector<std::string> words;
    bool anyWord = false;
    for (const char* p = value; *p;) {
        while (*p == ' ')
            ++p;
        if (!*p)
            break;
        const char* start = p;
        while (*p && *p != ' ')
            ++p;
        anyWord = true;
        if (*start == ';')
            break;
        words.emplace_back(start, static_cast<size_t>(p - start));
    }
    if (!anyWord)
        throw new qelException(__FILE__, __LINE__, qelMsg::E122, 0, true, line);
    auto entry = std::make_unique<qelGCSGIDEntry>();
    entry->gcsgid = gcsgid;
    entry->fgid = fgid;
    if (words.size() == 1) {
        std::string name = trimmed(words[0].c_str());
        if (strcasecmp(name.c_str(), "DEFAULT") == 0)
            throw new qelException(__FILE__, __LINE__, qelMsg::E122, 0, true, name.c_str());
        copyField(entry->charSetName, name.c_str());
    }
    addGCSGID(entry.release());
}

void qelMappingDef::parseAFPFontSection()
{
    while (readLine()) {
        if (qelString::matchWildcard(m_line, "*[*]*"))
            break;
        qelString::trim(m_line);
        if (m_line[0])
            parseAFPFontLine(m_line);
    }
    qelIni* ini = options();
    if (ini && ini->isDevTest())
        dumpAFPFonts();
}

void qelMappingDef::parseAFPFontLine(char* line)
{
    std::string key;
    std::string field1;
    // No value after '=' (or a comment there): nothing to store.
    if (!splitKey(line, key) || !valueField(line, 1, field1) || trimmed(field1.c_str()).empty()
        || trimmed(field1.c_str())[0] == ';')
        return;
    auto entry = std::make_unique<qelAFPFontEntry>();
    std::string keyText = trimmed(key.c_str());
    entry->key = qelNamePair::copy(keyText.c_str());

    std::vector<std::string> words;
    size_t begin = 0;
    for (;;) {
        size_t hash = keyText.find('#', begin);
        words.push_back(trimmed(keyText.substr(begin, hash == std::string::npos ? std::string::npos : hash - begin).c_str()));
        if (hash == std::string::npos)
            break;
        begin = hash + 1;
    }
    entry->fontName = qelNamePair::copy(words[0].c_str());
    auto italicWord = [](const std::string& w) { return containsNoCase(w, "ITALIC") || containsNoCase(w, "OBLIQUE"); };
    if (words.size() > 1 && !words[1].empty()) {
        if (qelUtils::isNumber(words[1].c_str()))
            entry->height = static_cast<float>(std::atof(words[1].c_str()));
        else if (containsNoCase(words[1], "BOLD"))
            entry->style = 2;
        else if (italicWord(words[1]))
            entry->italic = 1;
    }
    if (words.size() > 2 && !words[2].empty()) {
        if (containsNoCase(words[2], "BOLD"))
            entry->style = 2;
        else if (italicWord(words[2]))
            entry->italic = 1;
    }
    if (words.size() > 3 && italicWord(words[3]))
        entry->italic = 1;

    if (field1[0] == 'X' || field1[0] == 'x') {
        copyField(entry->codedFontName, trimmed(field1.c_str()).c_str());
    } else {
        copyField(entry->charSetName, trimmed(field1.c_str()).c_str());
        copyField(entry->codePageName, trimmedField(line, 2).c_str());
    }
    entry->outline = field1.size() > 1 && (field1[1] == 'Z' || field1[1] == 'z') ? 1 : 0;
    if (entry->height != 0.0f || entry->outline) {
        addAFPFont(entry.release());
        return;
    }
    if (qelLogStream* log = logFor(QEL_LOG_GENERAL)) {
        const char* name = mappingDefName();
        log->printLine("Warning! Invalid line under %s in %s\n\t\t\"%s\"\n\t\t%s", "[AFPFONT]", name ? name : "NULL",
                       line, "Reason: Font Height is needed for AFP Raster Fonts");
    }
}

void qelMappingDef::dumpAFPFonts() const
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (!log)
        return;
    for (qelListNode* n = m_afpFonts ? m_afpFonts->getHead() : nullptr; n; n = n->next) {
        const qelAFPFontEntry* e = static_cast<const qelAFPFontEntry*>(n->item);
        std::string height = e->height > 0 ? "#" + std::to_string(static_cast<int>(e->height)) : std::string();
        log->printLine("%s%s%s%s=%s,%s%s", e->fontName ? e->fontName : "", height.c_str(),
                       e->style == 2 ? "#Bold" : "", e->italic ? "#Italic" : "", e->charSetName, e->codePageName,
                       e->outline ? "-OF" : "");
    }
}

// ---------------------------------------------------------------- lookups

qelXFontEntry* qelMappingDef::findXFont(const char* name, bool fallback) const
{
    const std::string n = trimmed(name);
    return scan<qelXFontEntry>(
        m_xfonts, fallback, [](qelXFontEntry* e) { return e->codedFontName; },
        [&](qelXFontEntry* e) { return matchesWithWildSecond(e->codedFontName, n); });
}

qelCharSetEntry* qelMappingDef::findCharSet(const char* name, bool fallback) const
{
    const std::string n = trimmed(name);
    return scan<qelCharSetEntry>(
        m_charSets, fallback, [](qelCharSetEntry* e) { return e->charSetName; },
        [&](qelCharSetEntry* e) { return matchesWithWildSecond(e->charSetName, n); });
}

qelFGIDEntry* qelMappingDef::findFGID(const char* fgid, bool fallback) const
{
    return scan<qelFGIDEntry>(
        m_fgids, fallback, [](qelFGIDEntry* e) { return e->fgid; },
        [&](qelFGIDEntry* e) { return sameName(e->fgid, fgid); });
}

qelOutputFontEntry* qelMappingDef::findOutputFontEntry(const char* name, bool fallback) const
{
    return scan<qelOutputFontEntry>(
        m_outputFonts, fallback, [](qelOutputFontEntry* e) { return e->fontName; },
        [&](qelOutputFontEntry* e) { return sameName(e->fontName, name); });
}

qelCodePageEntry* qelMappingDef::findCodePage(const char* name, bool fallback) const
{
    if (!fallback && isDefaultName(name))
        return nullptr;
    return scan<qelCodePageEntry>(
        m_codePages, fallback, [](qelCodePageEntry* e) { return e->codePageName; },
        [&](qelCodePageEntry* e) { return sameName(e->codePageName, name); });
}

qelCodePageEntry* qelMappingDef::findCodePageByFile(const char* fileField) const
{
    for (qelListNode* n = m_codePages ? m_codePages->getHead() : nullptr; n; n = n->next) {
        qelCodePageEntry* e = static_cast<qelCodePageEntry*>(n->item);
        if (sameName(e->fileName, fileField))
            return e;
    }
    return nullptr;
}

qelAFPFontEntry* qelMappingDef::findAFPFont(const char* typefaceName, const char* familyName, int style, bool italic,
                                            float height) const
{
    for (qelListNode* n = m_afpFonts ? m_afpFonts->getHead() : nullptr; n; n = n->next) {
        qelAFPFontEntry* e = static_cast<qelAFPFontEntry*>(n->item);
        if (typefaceName && *typefaceName && e->key && strcasecmp(typefaceName, e->key) == 0)
            return e;
        if (familyName && e->fontName && strcasecmp(familyName, e->fontName) == 0 && style == e->style
            && italic == (e->italic != 0)
            && (height == 0.0f || static_cast<int>(height) == static_cast<int>(e->height) || e->outline))
            return e;
    }
    return nullptr;
}

const char* qelMappingDef::findGCSGID(int gcsgid, int fgid) const
{
    for (qelListNode* n = m_gcsgids ? m_gcsgids->getHead() : nullptr; n; n = n->next) {
        qelGCSGIDEntry* e = static_cast<qelGCSGIDEntry*>(n->item);
        if (e->gcsgid == gcsgid && e->fgid == fgid)
            return e->charSetName;
    }
    return nullptr;
}

const char* qelMappingDef::findGCSGIDByText(const char* gcsgid, const char* fgid) const
{
    if (!gcsgid)
        return nullptr;
    int g;
    if (strcasecmp(gcsgid, "DEFAULT") == 0) {
        g = 255;
    } else {
        if (!qelUtils::isNumber(gcsgid))
            return nullptr;
        g = std::atoi(gcsgid);
        if (g <= 0)
            return nullptr;
    }
    int f = 255;
    if (fgid && strcasecmp(fgid, "DEFAULT") != 0 && qelUtils::isNumber(fgid) && std::atoi(fgid) > 0)
        f = std::atoi(fgid);
    return findGCSGID(g, f);
}

qelRenderingEntry* qelMappingDef::findCharSetRendering(const char* charSetName) const
{
    if (!charSetName)
        return nullptr;
    for (qelListNode* n = m_renderings ? m_renderings->getHead() : nullptr; n; n = n->next) {
        qelRenderingEntry* e = static_cast<qelRenderingEntry*>(n->item);
        if (qelString::matchWildcard(charSetName, trimmed(e->pattern).c_str()))
            return e;
    }
    return nullptr;
}

int qelMappingDef::getCharSetRenderingMode(const char* characterSetName)
{
    if (!characterSetName)
        return 1;
    qelRenderingEntry* e = findCharSetRendering(characterSetName);
    return e ? e->mode : 0;
}

qelInputAliasEntry* qelMappingDef::findExternalFont(const char* name, bool fallback) const
{
    qelInputAliasEntry* lastDefault = nullptr;
    for (qelListNode* n = m_inputAliases ? m_inputAliases->getHead() : nullptr; n; n = n->next) {
        qelInputAliasEntry* e = static_cast<qelInputAliasEntry*>(n->item);
        if (name && qelString::matchWildcard(name, trimmed(e->pattern).c_str()))
            return e;
        if (isDefaultName(e->pattern))
            lastDefault = e;
    }
    return fallback ? lastDefault : nullptr;
}

const qelCodedFontEntry* qelMappingDef::findCodedFont(const char* name, bool fallback)
{
    return findCharSet(name, fallback);
}

namespace
{
// A font file for a name in the directory: the name with a suffix and one of
// the font file extensions, matched without regard to case.
bool findFontFile(const std::string& directory, const std::string& name, const qelList* suffixes, char* out,
                  int outSize)
{
    static const char* const extensions[] = {".ttf", ".otf", ".pfb", ".t1"};
    std::vector<std::string> stems;
    for (const qelListNode* n = suffixes ? suffixes->getHead() : nullptr; n; n = n->next)
        stems.push_back(name + static_cast<const char*>(n->item));
    if (!suffixes)
        stems.push_back(name);
    for (const std::string& stem : stems) {
        if (stem.find_first_of("*?/") != std::string::npos)
            continue;
        for (const char* ext : extensions) {
            std::string pattern = directory + stem + ext;
            TextPtr found(qelUtils::findFirstFile(pattern.c_str()));
            if (found && qelUtils::isRegularFile(found.get()) && std::strlen(found.get()) < static_cast<size_t>(outSize)) {
                std::strcpy(out, found.get());
                return true;
            }
        }
    }
    return false;
}
} // namespace

int qelMappingDef::resolveFontFile(const char* typefaceName, const char* fontName, bool bold, bool italic,
                                   char* fontPath, int fontPathSize)
{
    if (!fontName || !fontPath || fontPathSize < 1)
        return -1;
    qelIni* ini = options();
    const char* ext = ini ? ini->getExtFontPath() : nullptr;
    std::string directory = ext ? ext : "./";
    if (directory.back() != '/')
        directory += '/';
    const qelList* suffixes = bold && italic ? m_boldItalicSuffixes : bold ? m_boldSuffixes : italic ? m_italicSuffixes : nullptr;

    auto searchAliases = [&](const qelInputAliasEntry* entry, const qelList* withSuffixes) {
        for (const qelListNode* n = entry && entry->aliases ? entry->aliases->getHead() : nullptr; n; n = n->next) {
            const qelNamePair* pair = static_cast<const qelNamePair*>(n->item);
            if (pair->first && !isDefaultName(pair->first)
                && findFontFile(directory, pair->first, withSuffixes, fontPath, fontPathSize))
                return true;
        }
        return false;
    };
    if (searchAliases(findExternalFont(fontName, false), suffixes))
        return 1;
    if (typefaceName && *typefaceName && findFontFile(directory, typefaceName, nullptr, fontPath, fontPathSize))
        return 1;
    const qelInputAliasEntry* def = nullptr;
    for (const qelListNode* n = m_inputAliases ? m_inputAliases->getHead() : nullptr; n; n = n->next)
        if (isDefaultName(static_cast<const qelInputAliasEntry*>(n->item)->pattern))
            def = static_cast<const qelInputAliasEntry*>(n->item);
    if ((suffixes && searchAliases(def, suffixes)) || searchAliases(def, nullptr))
        return 2;
    return -1;
}
