#include "qelResParser.h"

#include "qelAFPParser.h"
#include "qelException.h"
#include "qelFTPLogicalLocation.h"
#include "qelFileStream.h"
#include "qelFileSystem.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLogicalLocation.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"

#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <memory>

namespace
{

using qelPoolAccess::options;
using qelPoolAccess::logStream;
using qelPoolAccess::quiet;

// A warning to the log (bit 0x2) and, with a line end, to the message output.
void warn(const std::string& text)
{
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("%s", text.c_str());
    if (!quiet())
        qelMessageOutput::printf("%s\n", text.c_str());
}

char* newText(const std::string& text)
{
    char* out = new (std::nothrow) char[text.size() + 1];
    if (!out)
        throw "Unable to allocate resource filename to find at qelResParser";
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

// Sets the current field of a parser that read a candidate's first field,
// once the candidate's stream is gone.
struct CurrentFieldAccess : qelAFPParser
{
    static void set(qelAFPParser& parser, qelSFIBlock* field) { parser.*(&CurrentFieldAccess::m_currentSF) = field; }
};

std::string withSlash(const char* directory)
{
    std::string out(directory);
    if (out.empty() || out.back() != '/')
        out += '/';
    return out;
}

std::string trimmed(const char* text)
{
    if (!text)
        return std::string();
    const char* begin = text;
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    const char* end = begin + std::strlen(begin);
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    return std::string(begin, end);
}

struct KindOptions
{
    int code;
    const char* (qelIni::*extension)() const;
    const char* (qelIni::*pathText)() const;
    const std::vector<std::string>& (qelIni::*pathList)() const;
    void (qelIni::*setPath)(const char*);
    const char* name;
};

const KindOptions kKinds[] = {
    {1, &qelIni::getOverlayExt, &qelIni::getOverlayPath, &qelIni::getOverlayPathList, &qelIni::setOverlayPath,
     "Overlay"},
    {2, &qelIni::getPageSegExt, &qelIni::getPageSegmentPath, &qelIni::getPageSegmentPathList,
     &qelIni::setPageSegmentPath, "Page Segment"},
    {3, &qelIni::getFormdefExt, &qelIni::getFormDefPath, &qelIni::getFormDefPathList, &qelIni::setFormDefPath,
     "FormDef"},
    {5, &qelIni::getCharSetExt, &qelIni::getAFPFontPath, &qelIni::getAFPFontPathList, &qelIni::setAFPFontPath,
     "AFPFont"},
    {6, &qelIni::getCodePageExt, &qelIni::getAFPFontPath, &qelIni::getAFPFontPathList, &qelIni::setAFPFontPath,
     "AFPFont"},
    {7, &qelIni::getCodedFontExt, &qelIni::getAFPFontPath, &qelIni::getAFPFontPathList,
     &qelIni::setAFPFontPath, "AFPFont"},
    {10, &qelIni::getPagedefExt, &qelIni::getPageDefPath, &qelIni::getPageDefPathList, &qelIni::setPageDefPath,
     "PageDef"},
};

const KindOptions* findKind(int code)
{
    for (const KindOptions& kind : kKinds)
        if (kind.code == code)
            return &kind;
    return nullptr;
}

std::string joined(const std::vector<std::string>& list)
{
    std::string out;
    for (const std::string& entry : list) {
        if (!out.empty())
            out += ',';
        out += entry;
    }
    return out;
}

} // namespace

void qelResParser::setResourceName(const char* name)
{
    m_resourceName = trimmed(name);
}

void qelResParser::setFileName(const char* name)
{
    m_fileName = name ? name : "";
}

void qelResParser::setNames(const char* name, const char* fileName)
{
    setResourceName(name);
    setFileName(fileName ? fileName : getResourceName().c_str());
}

void qelResParser::setFileExtension(const char* extension)
{
    m_fileExtension = extension ? extension : "";
}

qelAFPParser* qelResParser::getFieldParser()
{
    return dynamic_cast<qelAFPParser*>(this);
}

int qelResParser::kindCode()
{
    qelAFPParser* parser = getFieldParser();
    return parser ? static_cast<int>(parser->getResourceKind()) : 0;
}

void qelResParser::prepareSearch(int kind, int mode)
{
    m_resource = nullptr;
    m_resourceName.clear();
    m_fileName.clear();
    m_mode = mode;
    if (qelAFPParser* parser = getFieldParser()) {
        qelAFPParser::setLastResourceKind(static_cast<int>(parser->getResourceKind()));
        parser->setResourceKind(static_cast<uint32_t>(kind));
    }
    const KindOptions* options = findKind(kind);
    qelIni* ini = ::options();
    if (!options || !ini)
        return;
    setFileExtension((ini->*options->extension)());
    if (mode != MODE_LIBRARY || m_pathsPrepared)
        return;
    m_pathsPrepared = true;
    const std::vector<std::string>& list = (ini->*options->pathList)();
    if (!list.empty()) {
        std::vector<std::string> valid = validatePaths(list, options->name);
        if (valid.empty()) {
            (ini->*options->setPath)(nullptr);
            m_searchPaths = nullptr;
            return;
        }
        if (valid.size() != list.size())
            (ini->*options->setPath)(joined(valid).c_str());
        m_searchPaths = &(ini->*options->pathList)();
        return;
    }
    const char* resPath = ini->getResPath();
    if (!resPath || !*resPath || !isValidPath(resPath))
        return;
    std::string text = std::string("Warning! No ") + options->name + " path valid, using resource path " + resPath;
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("%s\r\n", text.c_str());
    if (!quiet())
        qelMessageOutput::printf("%s\r\n", text.c_str());
    std::string copy(resPath);
    (ini->*options->setPath)(copy.c_str());
    m_searchPaths = &(ini->*options->pathList)();
}

bool qelResParser::isValidPath(const std::string& entry)
{
    if (entry.empty())
        return false;
    if (entry[0] == '@') {
        qelIni* ini = options();
        std::string name = entry.substr(1);
        if (!name.empty() && name.back() == '/')
            name.pop_back();
        return ini && ini->findLogicalLocation(name.c_str()) != nullptr;
    }
    struct stat info;
    return stat(entry.c_str(), &info) == 0 && (info.st_mode & 0xF000) == 0x4000;
}

std::vector<std::string> qelResParser::validatePaths(const std::vector<std::string>& list, const char* kindName)
{
    std::vector<std::string> valid;
    for (const std::string& entry : list) {
        if (isValidPath(entry)) {
            valid.push_back(entry);
            continue;
        }
        warn(std::string("Warning! ") + (kindName ? kindName : "") + " path (" + entry + ") is not valid");
    }
    return valid;
}

char* qelResParser::findResourceFile()
{
    const char* name = m_fileName.c_str();
    const char* extension = m_fileExtension.c_str();
    if (m_searchPaths) {
        if (char* found = findInPathList(*m_searchPaths, name, extension))
            return found;
    }
    qelIni* ini = options();
    const char* resPath = ini ? ini->getResPath() : nullptr;
    if (resPath && *resPath) {
        const bool same = m_searchPaths && !m_searchPaths->empty() &&
                          strcasecmp(m_searchPaths->front().c_str(), resPath) == 0;
        if (!same) {
            std::string copy(resPath);
            if (char* found = findWithVariants(copy.c_str(), name, extension))
                return found;
        }
    }
    std::string directory = "./";
    qelLorbane* kernel = qelLorbane::getInstance();
    const char* input = kernel ? kernel->getInputName() : nullptr;
    if (input) {
        const char* slash = std::strrchr(input, '/');
        if (slash)
            directory.assign(input, static_cast<size_t>(slash - input + 1));
    }
    return findWithVariants(directory.c_str(), name, extension);
}

char* qelResParser::findInPathList(const std::vector<std::string>& list, const char* fileName,
                                   const char* extension)
{
    for (const std::string& entry : list) {
        if (char* found = findWithVariants(entry.c_str(), fileName, extension))
            return found;
    }
    return nullptr;
}

char* qelResParser::findWithVariants(const char* directory, const char* fileName, const char* extension)
{
    if (!directory || !fileName)
        return nullptr;
    const int kind = kindCode();
    const bool variant = (kind == 5 || kind == 7) && std::strlen(fileName) >= 2 && fileName[1] != 'z' &&
                         fileName[1] != 'Z';
    std::string other(fileName);
    if (variant) {
        if (directory[0] == '@')
            other[1] = other[1] == '0' ? '1' : '0';
        else
            other[1] = '?';
    }
    const std::string ext = extension ? extension : "";
    if (char* found = findInDirectory(directory, fileName, ext.c_str()))
        return found;
    if (variant) {
        if (char* found = findInDirectory(directory, other.c_str(), ext.c_str()))
            return found;
    }
    if (ext == "*")
        return nullptr;
    qelIni* ini = options();
    if (ini && ini->isStrict())
        return nullptr;
    if (char* found = findInDirectory(directory, fileName, "*"))
        return found;
    if (variant)
        return findInDirectory(directory, other.c_str(), "*");
    return nullptr;
}

char* qelResParser::findInDirectory(const char* directory, const char* fileName, const char* extension)
{
    if (!directory || !fileName)
        return nullptr;
    if (directory[0] == '@')
        return openLogicalLocation(directory, fileName, extension);
    return findInLocalDirectory(directory, fileName, extension);
}

bool qelResParser::startsWithResource(const char* path)
{
    std::unique_ptr<qelIOStream> input(new (std::nothrow) qelIOStream());
    if (!input)
        throw "Unable to allocate resource filename to find at qelResParser";
    // Read by this parser: a reader of its own would take the pool's
    // triplet reader, which every parser shares, with it when it goes.
    qelAFPParser* reader = getFieldParser();
    qelSFIBlock* before = reader ? reader->getCurrentSF() : nullptr;
    int id = 0;
    try {
        input->openFile(path, false);
        input->rewind();
        qelSFIBlock* field = nullptr;
        if (reader) {
            field = reader->readNextSF(input.get());
        } else {
            do
                field = input->readSFI();
            while (field && field->getId() == 0xEEEE);
        }
        id = field ? field->getId() : 0;
    } catch (...) {
        if (reader)
            CurrentFieldAccess::set(*reader, before);
        input->close();
        throw;
    }
    if (reader)
        CurrentFieldAccess::set(*reader, before);
    input->close();
    return isResourceBegin(id);
}

char* qelResParser::findInLocalDirectory(const char* directory, const char* fileName, const char* extension)
{
    const std::string dir = withSlash(directory);
    if (extension && std::strcmp(extension, "*") == 0) {
        const std::string pattern = dir + fileName + "*";
        const size_t star = pattern.size() - 1;
        std::vector<qelFileSystem::Entry> entries;
        if (qelFileSystem::findFiles(pattern.c_str(), entries) != 0)
            return nullptr;
        for (const qelFileSystem::Entry& entry : entries) {
            if (entry.directory)
                continue;
            const std::string candidate = dir + entry.name;
            if (candidate.size() > star && candidate[star] != '.')
                continue;
            m_found = startsWithResource(candidate.c_str());
            if (m_found)
                return newText(candidate);
        }
        return nullptr;
    }
    std::string name(fileName);
    if (extension && *extension)
        name += std::string(".") + extension;
    std::vector<qelFileSystem::Entry> entries;
    if (qelFileSystem::findFiles((dir + name).c_str(), entries) != 0)
        return nullptr;
    for (const qelFileSystem::Entry& entry : entries) {
        if (entry.directory)
            continue;
        std::string path = dir + entry.name;
        for (char& c : path)
            if (c == '\\')
                c = '/';
        m_found = true;
        return newText(path);
    }
    return nullptr;
}

char* qelResParser::openLogicalLocation(const char* location, const char* fileName, const char* extension)
{
    if (!location || !fileName)
        return nullptr;
    const bool withExtension = extension && *extension && std::strcmp(extension, "*") != 0;
    std::string name(location + 1);
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIOStream* stream = pool ? pool->openResourceStream(name.c_str()) : nullptr;
    if (!stream) {
        const std::string text = "Warning! Error in creating IO Stream for Logical Location (" + name + ")";
        warn(text);
        return nullptr;
    }
    std::string remote(fileName);
    if (withExtension)
        remote += std::string(".") + extension;
    for (char& c : remote)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    try {
        stream->setRemoteFileName(remote.c_str());
        stream->reopen();
    } catch (qelException* e) {
        stream->closeStream();
        if (e->getId() == qelMsg::E192) {
            delete e;
            return nullptr;
        }
        if (e->getId() == qelMsg::I001 && e->getKind() == QEL_MSG_INFO) {
            // An empty remote file ends at its first byte: an error, as an
            // empty local one is, not a silent end of data.
            delete e;
            const std::string where = withSlash(location) + remote;
            throw new qelException(__FILE__, __LINE__, qelMsg::E072, 0, true, where.c_str());
        }
        throw;
    }
    m_found = true;
    m_savedStream = qelIOStream::getCurrent();
    m_ownsStream = false;
    qelIOStream::setCurrent(stream);
    std::string path = withSlash(location) + fileName;
    if (withExtension)
        path += std::string(".") + extension;
    return newText(path);
}

void qelResParser::loadResourceFile()
{
    m_found = false;
    std::unique_ptr<char[]> path(findResourceFile());
    if (!path)
        throw new qelException(__FILE__, __LINE__, qelMsg::E058, 1, true, m_fileName.c_str());
    std::string source = path.get();
    if (path[0] == '@') {
        const char* slash = std::strchr(path.get(), '/');
        std::string location = slash ? std::string(path.get() + 1, static_cast<size_t>(slash - path.get() - 1)) : std::string(path.get() + 1);
        std::string rest = slash ? std::string(slash + 1) : std::string();
        qelIni* ini = options();
        qelFTPLogicalLocation* ftp =
            ini ? dynamic_cast<qelFTPLogicalLocation*>(ini->findLogicalLocation(location.c_str())) : nullptr;
        if (ftp) {
            source = "@" + location + " //" + (ftp->getHostName() ? ftp->getHostName() : "") + ":" +
                     std::to_string(ftp->getPort()) + (ftp->getStartDir() ? ftp->getStartDir() : "") + rest;
        }
    }
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("Loading resource file %s", source.c_str());
    if (!quiet())
        qelMessageOutput::printf("Loading resource file %s\n", source.c_str());
    if (path[0] == '@')
        return;
    std::unique_ptr<qelIOStream> input(new (std::nothrow) qelIOStream());
    if (!input)
        throw "Unable to allocate resource filename to find at qelResParser";
    input->openFile(path.get(), false);
    input->applyExtensionMode();
    input->rewind();
    m_savedStream = qelIOStream::getCurrent();
    m_ownsStream = true;
    qelIOStream::setCurrent(input.release());
    m_fileName = path.get();
}

void qelResParser::closeResourceFile()
{
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("Closing Resource file : %s\r\n", m_resourceName.c_str());
    qelIOStream* current = qelIOStream::getCurrent();
    qelIOStream* saved = m_savedStream;
    const bool owned = m_ownsStream;
    m_savedStream = nullptr;
    m_ownsStream = false;
    m_found = false;
    // The saved input becomes current again whatever releasing does.
    qelIOStream::setCurrent(saved);
    if (!current || current == saved)
        return;
    try {
        if (owned) {
            current->close();
            delete current;
        } else {
            current->closeStream();
        }
    } catch (qelException* e) {
        if (owned)
            delete current;
        delete e;
    }
}

void qelResParser::makeEndOfDataError(qelException* e)
{
    if (e && e->getKind() != QEL_MSG_ERROR && (e->getId() == qelMsg::I001 || e->getId() == qelMsg::I199))
        e->setKind(QEL_MSG_ERROR);
}

void qelResParser::dropParseError(qelException* e)
{
    if (!e)
        return;
    const bool silent = e->getId() == qelMsg::I001 && e->getKind() != QEL_MSG_ERROR;
    makeEndOfDataError(e);
    if (silent)
        qelMessageOutput::write(e->getText());
    delete e;
}
