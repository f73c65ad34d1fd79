#include "qelResGroupParser.h"

#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelFileStream.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelGocaParser.h"
#include "qelObjectContainerParser.h"
#include "qelIOStream.h"
#include "qelImageObject.h"
#include "qelIocaParser.h"
#include "qelResObjectContainer.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelRes.h"
#include "qelResGOCA.h"
#include "qelResParser.h"
#include "qelCharSetParser.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <memory>

namespace
{

using qelPoolAccess::options;
using qelPoolAccess::logStream;
using qelPoolAccess::quiet;

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Abbreviation of the begin field of an object the group passes over.
const char* abbreviation(int id)
{
    switch (id) {
    case 0xA8FB: return "BIM";
    case 0xA87B: return "BII";
    case 0xA892: return "BOC";
    case 0xA889: return "BFN";
    case 0xA887: return "BCP";
    case 0xA88A: return "BCF";
    case 0xA8CB: return "BPM";
    case 0xA8EB: return "BBC";
    case 0xA8BB: return "BGR";
    case 0xA8DF: return "BMO";
    case 0xA8CD: return "BFM";
    case 0xA85F: return "BPS";
    default: return "";
    }
}

const char* dumpExtension(int type)
{
    switch (type) {
    case 0x40: return "chs";
    case 0x41: return "cdp";
    case 0x42: return "cdf";
    case 0xFB: return "psg";
    case 0xFC: return "oly";
    case 0xFD: return "pde";
    case 0xFE: return "fde";
    default: return nullptr;
    }
}

} // namespace

qelResGroupParser::qelResGroupParser() = default;

qelResGroupParser::~qelResGroupParser()
{
    releaseDumpDirectory();
}

std::string qelResGroupParser::peekName()
{
    if (!m_currentSF || m_currentSF->getDataSize() < 8 || !m_currentSF->getData())
        return std::string();
    unsigned char bytes[9] = {};
    std::memcpy(bytes, m_currentSF->getData(), 8);
    qelUtils::ebcdicToAscii(bytes, 8);
    char* text = reinterpret_cast<char*>(bytes);
    qelString::trimRight(text);
    qelString::trimLeft(text);
    return std::string(text);
}

std::string qelResGroupParser::safeDumpName(const std::string& name)
{
    std::string out;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    for (size_t at = out.find(".."); at != std::string::npos; at = out.find("..", at))
        out.replace(at, 2, "__");
    if (out.empty())
        out = "RESOURCE";
    return out;
}

void qelResGroupParser::parseFile(const char* path)
{
    trace("[ResGroupParser]: (Begin): parse(Overloaded)\n");
    if (!path) {
        if (!qelIOStream::getCurrent())
            throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
        parse(nullptr, readNextSF());
        trace("[ResGroupParser]: (End): parse(Overloaded)\n");
        return;
    }
    // The file gets a reader of its own: the input that was current keeps
    // its place, and the group's resources, read from a file that is not
    // the print file, go to the process level.
    readWithOwnReader(path, [this]() { parse(nullptr, readNextSF()); });
    trace("[ResGroupParser]: (End): parse(Overloaded)\n");
}

void qelResGroupParser::parse(qelParser* caller, qelSFIBlock* begin)
{
    (void)caller;
    if (!begin || !qelIOStream::getCurrent())
        return;
    trace("[ResGroupParser]: (Begin): parse\n");
    m_resourceType = 0;
    m_resourceName.clear();
    m_currentSF = begin;
    beginResourceGroup();
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        int type = 0;
        switch (id) {
        case 0xA8CE: parseResource(field); continue;
        case 0xA85F: type = 0xFB; break;
        case 0xA887: type = 0x41; break;
        case 0xA889: type = 0x40; break;
        case 0xA88A: type = 0x42; break;
        case 0xA892: type = 0x92; break;
        case 0xA8CB: type = 0xFD; break;
        case 0xA8CD: type = 0xFE; break;
        case 0xA8DF: type = 0xFC; break;
        case 0xA8FB: type = 0x06; break;
        case 0xA8BB: type = 0x03; break;
        case 0xA8EB: type = 0x05; break;
        case 0xA9C6:
            endResourceGroup();
            trace("[ResGroupParser]: (End): parse\n");
            return;
        default: reportUnexpectedSF(id); continue;
        }
        m_resourceName = peekName();
        // The resource's parser starts on this same field.
        qelIOStream::getCurrent()->setPushback(true);
        parseResource(type);
    }
}

void qelResGroupParser::beginResourceGroup()
{
    qelTripletParser* triplets = getTripletParser();
    trace("[ResGroupParser]: (Begin): BeginResourceGroup\n");
    const std::string name = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA8C6,
                                "BRG", "Begin Resource Group", name.c_str());
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_TIME_STAMP
                            | QEL_TRIPLET_COMMENT;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    trace("[ResGroupParser]: (End): BeginResourceGroup\n");
}

void qelResGroupParser::endResourceGroup()
{
    qelTripletParser* triplets = getTripletParser();
    trace("[ResGroupParser]: (Begin): endResourceGroup\n");
    const std::string name = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA9C6,
                                "ERG", "End Resource Group", name.c_str());
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_FULLY_QUALIFIED_NAME;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* resources = pool ? pool->getGlobalRes() : nullptr;
    if (log && log->anyOf(QEL_LOG_RESOURCE_LISTS) && resources) {
        resources->listShortForms();
        log->print("\r\nList of Spool Level Global Resources at the end of resource group:");
        log->print("\r\n%s", std::string(66, '=').c_str());
        qelIOStream* in = qelIOStream::getCurrent();
        log->print("\r\nSpoolName: %s", in && in->getStream() && in->getName() ? in->getName() : "");
        resources->listResources(0);
        log->print("\r\nList of Process Level Global Resources at the end of resource group:");
        log->print("\r\n%s", std::string(68, '=').c_str());
        resources->listResources(1);
    }
    trace("[ResGroupParser]: (End): endResourceGroup\n");
}

void qelResGroupParser::parseResource(qelSFIBlock* begin)
{
    trace("[ResGroupParser]: (Begin): parseResource\n");
    m_currentSF = begin;
    beginResource();
    parseResource(m_resourceType);
    for (;;) {
        qelSFIBlock* field = readNextSF();
        if (field->getId() == 0xA9CE)
            break;
        reportUnexpectedSF(field->getId());
    }
    endResource();
    trace("[ResGroupParser]: (End): parseResource\n");
}

void qelResGroupParser::beginResource()
{
    qelTripletParser* triplets = getTripletParser();
    trace("[ResGroupParser]: (Begin): beginResource\n");
    m_resourceName = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA8CE, "BR",
                                "Begin Resource", m_resourceName.c_str());
    if (m_currentSF->getRemainingLength() > 1) {
        const int reserved = m_currentSF->readShort();
        if (reserved != 0 && log && log->anyOf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Reserved Bytes Not Equal to 0x00");
    }
    m_resourceType = 0;
    if (triplets) {
        uint32_t mandatory = QEL_TRIPLET_RESOURCE_OBJECT_TYPE;
        uint32_t optional = QEL_TRIPLET_COMMENT | QEL_TRIPLET_CLASSIFICATION;
        triplets->setResourceObjectType(0);
        triplets->parse(&mandatory, &optional, m_currentSF);
        m_resourceType = triplets->getResourceObjectType();
    }
    trace("[ResGroupParser]: (End): beginResource\n");
}

void qelResGroupParser::endResource()
{
    const std::string name = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA9CE, "ER",
                                "End Resource", name.c_str());
}

// The begin field of the object is the next one to read (delivered again
// for a field met directly in the group).
void qelResGroupParser::skipUnsupported(int type)
{
    qelSFIBlock* begin = readNextSF();
    const int id = begin->getId();
    if (type == 0x03) {
        skipToEnd(id);
        return;
    }
    warnUnsupported(logStream(), abbreviation(id), static_cast<unsigned int>(begin->getOffset()));
    if ((id & 0xFF00) == 0xA800)
        skipToEnd(id);
}

void qelResGroupParser::parseResource(int type)
{
    trace("[ResGroupParser]: (Begin): parseResource(overloaded)\n");
    if (!m_dumpStream)
        chkAndCreateResDumper();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIOStream* in = qelIOStream::getCurrent();
    switch (type) {
    case 0x05: {
        qelDocumentParser::countIgnoredObject();
        qelLogStream* log = logStream();
        for (;;) {
            qelSFIBlock* field = readNextSF();
            if (log && log->anyOf(QEL_LOG_LEVEL3))
                log->printLine("Warning! Ignoring SF TYPE ID : 0x%x", static_cast<unsigned int>(field->getId()));
            if (!quiet())
                qelMessageOutput::printf("Warning! Ignoring SF TYPE ID : 0x%x\n",
                                         static_cast<unsigned int>(field->getId()));
            if (field->getId() == 0xA9EB)
                break;
        }
        break;
    }
    case 0x03: {
        qelLogStream* log = logStream();
        if (log && log->anyOf(QEL_LOG_LEVEL1))
            log->printLine("GOCA : Graphic Object in Page");
        auto* parser = pool ? dynamic_cast<qelGocaParser*>(pool->getGocaParser()) : nullptr;
        if (!parser) {
            skipUnsupported(type);
            break;
        }
        // The Begin Graphics: delivered again when met directly in the group,
        // else the field after the Begin Resource.
        qelSFIBlock* begin = readNextSF();
        if (begin->getId() != 0xA8BB) {
            reportUnexpectedSF(begin->getId());
            break;
        }
        parser->setCurrentSF(begin);
        if (qelRes* resource = parser->parseGraphics(m_resourceName.c_str())) {
            resource->setFound(1);
            resource->setInline(in && in->isSpoolInput() ? 1 : 0);
            registerResource(resource, false);
        }
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42: {
        qelResParser* parser = nullptr;
        if (pool)
            parser = type == 0x40 ? static_cast<qelResParser*>(pool->getCharSetParser())
                                  : type == 0x41 ? pool->getCodePageParser() : pool->getCodedFontParser();
        if (!parser) {
            skipToEnd(readNextSF()->getId());
            break;
        }
        dumpResource(type);
        m_readingFont = true;
        qelRes* resource = nullptr;
        try {
            resource = parser->parse(m_resourceName.c_str(), 0, nullptr);
        } catch (...) {
            m_readingFont = false;
            closeDumpFile();
            throw;
        }
        m_readingFont = false;
        closeDumpFile();
        if (resource) {
            resource->setFound(1);
            resource->setInline(in && in->isSpoolInput() ? 1 : 0);
            if (m_dumpStream && !m_dumpFile.empty())
                resource->setFileName(m_dumpFile.c_str());
            registerResource(resource, false);
        }
        break;
    }
    case 0x92: {
        auto* parser = pool ? dynamic_cast<qelObjectContainerParser*>(pool->getObjectContainerParser()) : nullptr;
        if (!parser) {
            skipUnsupported(type);
            break;
        }
        if (qelRes* resource = parser->parse(m_resourceName.c_str(), 0, nullptr)) {
            resource->setFound(1);
            resource->setInline(in && in->isSpoolInput() ? 1 : 0);
            registerResource(resource, true);
        }
        break;
    }
    case 0x06:
        parseImageResource();
        break;
    case 0xFD:
        skipUnsupported(type);
        break;
    case 0xFB:
    case 0xFC:
    case 0xFE: {
        qelResParser* parser = nullptr;
        if (pool)
            parser = type == 0xFB ? pool->getPageSegmentParser()
                                  : type == 0xFC ? pool->getOverlayParser() : pool->getFormDefParser();
        if (!parser) {
            skipToEnd(readNextSF()->getId());
            break;
        }
        dumpResource(type);
        qelRes* resource = nullptr;
        try {
            resource = parser->parse(m_resourceName.c_str(), 0, nullptr);
        } catch (...) {
            closeDumpFile();
            throw;
        }
        closeDumpFile();
        if (resource) {
            resource->setFound(1);
            resource->setInline(in && in->isSpoolInput() ? 1 : 0);
            if (m_dumpStream && !m_dumpFile.empty())
                resource->setFileName(m_dumpFile.c_str());
            registerResource(resource, true);
        }
        break;
    }
    default: {
        const unsigned int id = m_currentSF ? static_cast<unsigned int>(m_currentSF->getId()) : 0u;
        qelLogStream* log = logStream();
        if (log && log->anyOf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Unknown SF TYPE ID : 0x%x", id);
        if (!quiet())
            qelMessageOutput::printf("Warning! Unknown SF TYPE ID : 0x%x\n", id);
        break;
    }
    }
    trace("[ResGroupParser]: (End): parseResource(overloaded)\n");
}

// An IOCA image held as an object container resource of its own.
void qelResGroupParser::parseImageResource()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIocaParser* parser = pool ? pool->getIocaParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IOCA Parser at qelResGroupParser";
    // The Begin Image: delivered again when met directly in the group, else
    // the field after the Begin Resource.
    qelSFIBlock* begin = readNextSF();
    if (begin->getId() != 0xA8FB) {
        reportUnexpectedSF(begin->getId());
        return;
    }
    std::unique_ptr<qelImageObject> image(parser->parse(begin));
    std::unique_ptr<qelResObjectContainer> container(new (std::nothrow)
                                                         qelResObjectContainer(m_resourceName.c_str()));
    if (!container)
        throw "Unable to Allocate Resource container for IOCA Image";
    if (image->getName() && *image->getName())
        container->setAliasName(image->getName());
    container->setFound(1);
    qelIOStream* in = qelIOStream::getCurrent();
    container->setInline(in && in->isSpoolInput() ? 1 : 0);
    container->addObject(image.release());
    registerResource(container.release(), false);
}

void qelResGroupParser::registerResource(qelRes* resource, bool named)
{
    if (named) {
        const char* name = resource->getName();
        if (!name || !*name)
            resource->setName(m_resourceName.c_str());
        else if (!m_resourceName.empty() && strcasecmp(name, m_resourceName.c_str()) != 0)
            resource->setAliasName(m_resourceName.c_str());
    }
    const uint32_t kind = resource->getType();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* resources = pool ? pool->getGlobalRes() : nullptr;
    qelList* list = nullptr;
    if (kind >= 1 && kind <= 8 && resources)
        list = resources->getList(resource->getInline() ? 0 : 1, resource->getName(), static_cast<int>(kind) - 1);
    if (!list) {
        delete resource;
        return;
    }
    list->append(resource);
}

void qelResGroupParser::chkAndCreateResDumper()
{
    qelIni* ini = options();
    if (m_dumpStream || !ini || (ini->getResourceGroup() && ini->getResourceGroup()[0] == '0'))
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    const time_t stamp = static_cast<time_t>(pool ? pool->getRunStartTime() : 0);
    struct tm local;
    char text[32] = {};
    if (localtime_r(&stamp, &local))
        std::strftime(text, sizeof text, "lrb%d%m%Y_%H%M%S", &local);
    const std::string directory = std::string(ini->getTempPath() ? ini->getTempPath() : "") + text;
    if (qelUtils::makeDirectory(directory.c_str()) != 0 && !exists(directory))
        return;
    m_dumpDirectory = directory;
    m_dumpStream = new (std::nothrow) qelIOStream();
    if (!m_dumpStream)
        throw "Unable to allocate stream to dump inline resource on temporary cache";
}

int qelResGroupParser::dumpResource(int type)
{
    m_dumpFile.clear();
    if (!m_dumpStream)
        return -1;
    qelIOStream* in = qelIOStream::getCurrent();
    if (!in)
        return -2;
    const char* extension = dumpExtension(type);
    if (!extension)
        return -4;
    const std::string base = m_dumpDirectory + "/" + safeDumpName(m_resourceName);
    std::string path = base + "." + extension;
    for (int n = 1; exists(path); ++n)
        path = base + "_" + std::to_string(n) + "." + extension;
    m_dumpStream->openFile(path.c_str(), true);
    in->setLinkedStream(m_dumpStream);
    m_dumpFile = path;
    return 0;
}

int qelResGroupParser::closeDumpFile()
{
    if (!m_dumpStream)
        return -1;
    if (qelIOStream* in = qelIOStream::getCurrent())
        if (in->getLinkedStream() == m_dumpStream)
            in->setLinkedStream(nullptr);
    m_dumpStream->closeStream();
    return 0;
}

std::string qelResGroupParser::releaseDumpDirectory()
{
    if (m_dumpStream) {
        try {
            m_dumpStream->close();
        } catch (qelException* e) {
            delete e;
        }
        delete m_dumpStream;
        m_dumpStream = nullptr;
    }
    m_dumpFile.clear();
    std::string directory;
    directory.swap(m_dumpDirectory);
    return directory;
}
