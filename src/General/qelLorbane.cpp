#include "qelLorbane.h"

#include "qel/afp/AfpLibrary.h"

#include "qelAFPDocumentIndexParser.h"
#include "qelASCIIVisitor.h"
#include "qelCheckoutStream.h"
#include "qelCodePage.h"
#include "qelCodedVisitor.h"
#include "qelCSVIndexImplementor.h"
#include "qelDocument.h"
#include "qelDocumentIndex.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelFormDefParser.h"
#include "qelGcgidUnicodeMap.h"
#include "qelGlobalDSPool.h"
#include "qelModcaParser.h"
#include "qelGlobalRes.h"
#include "qelImgException.h"
#include "qelImgLogStream.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"
#include "qelIndexImplementor.h"
#include "qelIndexList.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelModuleLoader.h"
#include "qelNonCodedVisitor.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPoolAccess.h"
#include "qelProtocol.h"
#include "qelRes.h"
#include "qelResGroupParser.h"
#include "qelSPCSVIndexImplementor.h"
#include "qelSPXMLIndexImplementor.h"
#include "qelStatistic.h"
#include "qelStream.h"
#include "qelString.h"
#include "qelUtils.h"
#include "qelVisitor.h"
#include "qelXMLIndexImplementor.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

namespace
{
qelLorbane* g_kernel = nullptr;
int g_inputNumber = 0;
// Running number of image, cell and container names of the current input.
int g_imageNumber = 0;
std::string g_currentDocumentName;
qelSDKDocumentWriter g_documentWriter = nullptr;

struct ParserChoice
{
    qelLorbane::ParserFactory create = nullptr;
    qelLorbane::ParserRelease release = nullptr;
};
std::map<int, ParserChoice> g_parsers;
// Text output is always built in.
std::map<int, qelLorbane::OutputEngineFactory> g_outputEngines = {{QEL_OUT_ASCII, &qelCreateASCIIVisitor}};
std::map<int, qelLorbane::RasterEngineFactory> g_rasterEngines;
std::map<int, qelLorbane::ExternalReader> g_externalReaders;
qelLorbane::FtpClientFactory g_ftpClients = nullptr;
qelLorbane::ImageHandleFactory g_glyphStrips = nullptr;
std::map<std::string, qelLorbane::VersionQuery> g_componentVersions;
// The global resource list whose legend was written last.
const void* g_legendWrittenFor = nullptr;

const char* const kNotice = "Copyright (c) Lorbane developers. All rights reserved.";
const char* const kNoOptions = "Unable to allocate INI at qelLorbane";

using qelPoolAccess::options;
using qelPoolAccess::quiet;

qelLogStream* logIf(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(bits)) ? log : nullptr;
}

bool writerMode()
{
    return options(kNoOptions)->getSDK() == 1;
}

void trace(const char* line)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (ini && ini->isDevTestLevel(0x1))
        qelMessageOutput::write(line);
}

void replaceText(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* s)
{
    return s ? s->getBuffer() : nullptr;
}

const char* inputFormatName(int format)
{
    switch (format) {
    case 1: return "AFP";
    case 2: return "ASCII";
    case 4: return "LPD";
    case 8: return "TIFF";
    case 16: return "PDF";
    case 32: return "JPEG";
    case 64: return "GIF";
    case 128: return "BMP";
    case 256: return "PCX";
    case 512: return "MMD";
    case 1024: return "PNG";
    default: return "";
    }
}

bool isFormatBit(int format)
{
    return format > 0 && format <= 1024 && (format & (format - 1)) == 0;
}

// Both tests of the 80-byte sample.
int detectSample(const unsigned char* b, int n)
{
    const bool lengthSet = b[1] != 0 || b[2] != 0;
    const bool followSet = b[4] != 0 || b[5] != 0;
    if (b[0] == 0x5A && lengthSet && b[3] == 0xD3 && followSet)
        return QEL_IN_AFP;
    if ((b[0] != 0 || b[1] != 0) && b[2] == 0xD3 && followSet)
        return QEL_IN_AFP;
    if (std::memcmp(b, "%PDF-", 5) == 0)
        return QEL_IN_PDF;
    // The image signatures see only the bytes that are there.
    switch (qelImgUtils::getImageTypeFromBuffer(b, static_cast<unsigned int>(n))) {
    case qelImgUtils::TYPE_JPEG: return QEL_IN_JPEG;
    case qelImgUtils::TYPE_TIFF: return QEL_IN_TIFF;
    case qelImgUtils::TYPE_BMP: return QEL_IN_BMP;
    case qelImgUtils::TYPE_PNG: return QEL_IN_PNG;
    case qelImgUtils::TYPE_PCX: return QEL_IN_PCX;
    case qelImgUtils::TYPE_GIF: return QEL_IN_GIF;
    default: return 0;
    }
}

// Leading part of the version text up to the given dot (0: before the
// first dot).
std::string versionPart(int index)
{
    std::string text = LORBANE_VERSION_TEXT;
    size_t begin = 0;
    for (int i = 0; i < index && begin != std::string::npos; ++i) {
        begin = text.find('.', begin);
        if (begin != std::string::npos)
            ++begin;
    }
    if (begin == std::string::npos)
        return "0";
    size_t end = text.find('.', begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string limited(const char* text)
{
    std::string s = text ? text : "";
    if (s.size() > 1023)
        s.resize(1023);
    return s;
}

char* heapCopy(const char* text)
{
    if (!text)
        return nullptr;
    size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy)
        std::memcpy(copy, text, n);
    return copy;
}

// The composite's output engine, which owns the output buffer.
qelVisitor* outputEngineOf(qelVisitor* visitor)
{
    if (auto* coded = dynamic_cast<qelCodedVisitor*>(visitor))
        return coded->getOutputEngine();
    if (auto* nonCoded = dynamic_cast<qelNonCodedVisitor*>(visitor))
        return nonCoded->getOutputEngine();
    return visitor;
}

// The pool's MO:DCA document parser; the pool owns it.
qelDocumentParser* createModcaParser(int)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getModcaParser() : nullptr;
}

void releaseModcaParser(qelDocumentParser*)
{
    if (qelGlobalDSPool::exists())
        qelGlobalDSPool::getInstance()->resetObject(QEL_POOL_MODCA_PARSER);
}

[[noreturn]] void notBuiltFor(const char* what, const char* kind)
{
    throw new qelException(__FILE__, __LINE__, qelMsg::E012, 0, true, what, kind);
}
} // namespace

// ===================================================================== choices

void qelLorbane::registerParser(int inputFormat, ParserFactory create, ParserRelease release)
{
    g_parsers[inputFormat] = ParserChoice{create, release};
}

void qelLorbane::registerOutputEngine(int outputFormat, OutputEngineFactory create)
{
    g_outputEngines[outputFormat] = create;
}

void qelLorbane::registerRasterEngine(int kind, RasterEngineFactory create)
{
    g_rasterEngines[kind] = create;
}

void qelLorbane::registerExternalReader(int kind, ExternalReader read)
{
    g_externalReaders[kind] = read;
}

void qelLorbane::registerFtpClient(FtpClientFactory create)
{
    g_ftpClients = create;
}

void qelLorbane::registerImageHandleFactory(ImageHandleFactory create)
{
    g_glyphStrips = create;
}

void qelLorbane::registerComponentVersion(const char* component, VersionQuery query)
{
    if (component)
        g_componentVersions[component] = query;
}

void qelLorbane::clearChoices()
{
    g_parsers.clear();
    g_outputEngines.clear();
    g_rasterEngines.clear();
    g_externalReaders.clear();
    g_ftpClients = nullptr;
    g_glyphStrips = nullptr;
    g_componentVersions.clear();
}

qelFtpClient* qelLorbane::createFtpClient(std::string& reason)
{
    if (!g_ftpClients && !qelModuleLoader::load("ftp", reason))
        return nullptr;
    if (!g_ftpClients) {
        reason = "module " + qelModuleLoader::getFileName("ftp") + ": no FTP client";
        return nullptr;
    }
    qelFtpClient* client = g_ftpClients();
    if (!client)
        reason = "Memory allocation for FTP client failed";
    return client;
}

qelImageHandle* qelLorbane::createGlyphStrip(int width, int height, int bitsPerPel, int colors,
                                             const uint8_t* palette, const uint8_t* rows, long size,
                                             int transparentIndex, bool trueColor)
{
    if (!g_glyphStrips)
        qelModuleLoader::require("gd");
    if (!g_glyphStrips)
        notBuiltFor("module", qelModuleLoader::getFileName("gd").c_str());
    return g_glyphStrips(width, height, bitsPerPel, colors, palette, rows, size, transparentIndex, trueColor);
}

std::string qelLorbane::getComponentVersion(const char* module, const char* component)
{
    std::string reason;
    auto query = g_componentVersions.find(component ? component : "");
    if (query == g_componentVersions.end() && qelModuleLoader::load(module, reason))
        query = g_componentVersions.find(component ? component : "");
    const char* version = query != g_componentVersions.end() && query->second ? query->second() : nullptr;
    return version ? version : "";
}

void qelLorbane::setDocumentWriter(qelSDKDocumentWriter writer)
{
    g_documentWriter = writer;
}

const char* qelLorbane::getCurrentDocumentName()
{
    return g_currentDocumentName.c_str();
}

// ======================================================== creation, deletion

qelLorbane::qelLorbane() = default;

qelLorbane::~qelLorbane()
{
    if (m_imgLogStream) {
        qelImgProcessor::setLogger(nullptr);
        delete m_imgLogStream;
        m_imgLogStream = nullptr;
    }
    m_active = m_inputOpen = m_runTimeTaken = m_errorState = m_documentIndexLoaded = 0;
    m_fileCreationMode = 0;
    m_runStartTime = m_inputTime = 0;
    std::free(m_outputBuffer);
    m_outputBuffer = nullptr;
    m_outputLength = 0;
    m_subDirectory = -1;
    m_inputFormat = 0;
    replaceText(m_inputName, nullptr);
    replaceText(m_indexFileName, nullptr);
    replaceText(m_resourceFileName, nullptr);
    replaceText(m_parameterList, nullptr);
    replaceText(m_outputBasePath, nullptr);
    // endRun writes and deletes the protocol; one left by a failed run goes
    // here.
    delete m_protocol;
    m_protocol = nullptr;
    delete m_indexImplementor;
    m_indexImplementor = nullptr;
    releaseParser();
    delete m_visitor;
    m_visitor = nullptr;
    delete m_checkoutStream;
    m_checkoutStream = nullptr;
    replaceText(m_lastError, nullptr);
    if (g_kernel == this)
        g_kernel = nullptr;
}

qelLorbane* qelLorbane::getInstance() { return g_kernel; }
void qelLorbane::setInstance(qelLorbane* kernel) { g_kernel = kernel; }

void startKernel()
{
    qelIni* ini = options(kNoOptions);
    const unsigned short mode = ini->getSDK();
    if (ini->getInputFiles().empty() && !ini->isStdIn() && mode != 2 && mode != 4 && mode != 16)
        throw new qelException(__FILE__, __LINE__, qelMsg::E108, 0, true);
    if (g_kernel)
        return;
    g_kernel = new (std::nothrow) qelLorbane();
    if (!g_kernel)
        throw new qelException(__FILE__, __LINE__, qelMsg::E100, 0, true, "Unable to allocate Lorbane instance");
}

void stopKernel()
{
    delete g_kernel;
    g_kernel = nullptr;
    if (qelGlobalDSPool::exists()) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        if (pool->hasObject(QEL_POOL_MAPPING_DEF))
            pool->resetObject(QEL_POOL_MAPPING_DEF);
    }
}

// ================================================================ services

void qelLorbane::setInputName(const char* text) { replaceText(m_inputName, text); }
void qelLorbane::setIndexFileName(const char* text) { replaceText(m_indexFileName, text); }
void qelLorbane::setResourceFileName(const char* text) { replaceText(m_resourceFileName, text); }
void qelLorbane::setParameterList(const char* text) { replaceText(m_parameterList, text); }
void qelLorbane::setOutputBasePath(const char* text) { replaceText(m_outputBasePath, text); }
const char* qelLorbane::getInputName() const { return textOf(m_inputName); }
const char* qelLorbane::getIndexFileName() const { return textOf(m_indexFileName); }
const char* qelLorbane::getResourceFileName() const { return textOf(m_resourceFileName); }
const char* qelLorbane::getParameterList() const { return textOf(m_parameterList); }
const char* qelLorbane::getOutputBasePath() const { return textOf(m_outputBasePath); }
const char* qelLorbane::getLastError() const { return textOf(m_lastError); }
void qelLorbane::setLastError(const char* text) { replaceText(m_lastError, text); }

void qelLorbane::setOutputBuffer(void* block)
{
    if (block != m_outputBuffer)
        std::free(m_outputBuffer);
    m_outputBuffer = block;
}

void qelLorbane::detachOutputBuffer()
{
    m_outputBuffer = nullptr;
    m_outputLength = 0;
}

int qelLorbane::createSFExecutor()
{
    qelIni* ini = options(kNoOptions);
    // ColdFormat 1 is PERL: the document script. The script engine is not
    // part of this build.
    if (ini->getColdFormat() != 1)
        return 0;
    return -1;
}

int qelLorbane::createVisitorExecutor()
{
    // The output script engine is not part of this build.
    return -1;
}

void qelLorbane::finalizeAFPSpool()
{
    // The pool holds no AFP output spool while AFP output is not built.
}

// ================================================================= run

int startRun()
{
    qelLorbane* k = g_kernel;
    if (!k)
        return 0;
    k->m_active = 1;
    qelIni* ini = options(kNoOptions);
    k->m_fileCreationMode = ini->getFileCreationMode();
    if (ini->hasSwitch("LOGONSI") && k->m_fileCreationMode == QEL_FCM_DOC_COLD)
        ini->setMemoryOutputStream(true);
    qelStatistic::resetRunCounters();
    qelVisitor::setOutputCounter(0);

    qelImgProcessor::initializeLibrary();
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    const unsigned int imgMask = qelImgLogStream::MASK_INFO | qelImgLogStream::MASK_WARN | qelImgLogStream::MASK_DEBUG;
    if (log && log->anyOf(imgMask)) {
        delete k->m_imgLogStream;
        k->m_imgLogStream = new qelImgLogStream(log);
        qelImgProcessor::setLogger(k->m_imgLogStream);
    }
    char product[512];
    std::snprintf(product, sizeof product, "Lorbane v%s.%s.%d.%d, %s, %s %s", versionPart(0).c_str(),
                  versionPart(1).c_str(), 0, 32,
                  qelImgProcessor::getSoftwareName(), qelUtils::getBuildPlatform(), qelUtils::getBuildArchitecture());
    qelImgProcessor::setDefaultResolution(ini->getImageProcessValues());
    if (ini->isDevTest()) {
        qelImgProcessor::setSoftwareName("DevTest");
        qelImgProcessor::setArtist("DevTest");
        qelImgProcessor::setTitle("DevTest");
        qelImgProcessor::setSubject("DevTest");
        qelImgProcessor::setKeywords("DevTest");
    } else {
        qelImgProcessor::setCopyright(kNotice);
        qelImgProcessor::setSoftwareName(product);
        qelImgProcessor::setArtist(ini->getCreator());
        qelImgProcessor::setTitle(ini->getTitle());
        qelImgProcessor::setSubject(ini->getSubject());
        qelImgProcessor::setKeywords(ini->getKeywords());
    }
    qelImgProcessor::setWidthFromData(ini->isImageProcessFlag3());
    qel::afp::initializeLibrary();

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGcgidUnicodeMap* table = pool->getGcgidUnicodeMap();
    if (table && !table->isLoaded())
        qelGcgidUnicodeMap::loadUnicodeTable(table);
    return 0;
}

void qelLorbane::handOver(const char* name, qelSDKNameValue* indexList, qelSDKUserData* userDataList,
                          const qelOutputDescription& description)
{
    qelSDKNameValue* attributes = buildDocumentAttributes(description);
    auto* record = static_cast<qelSDKOutputRecord*>(std::calloc(1, sizeof(qelSDKOutputRecord)));
    if (record) {
        record->name = heapCopy(name);
        record->data = m_outputBuffer;
        record->length = m_outputLength;
        record->indexList = indexList;
        record->userDataList = userDataList;
        record->attributeList = attributes;
        if (g_documentWriter)
            g_documentWriter(record);
        std::free(record->name);
        std::free(record);
    }
    freeAttributes(attributes);
    for (qelSDKNameValue* n = indexList; n;) {
        qelSDKNameValue* next = n->next;
        std::free(n);
        n = next;
    }
    for (qelSDKUserData* n = userDataList; n;) {
        qelSDKUserData* next = n->next;
        std::free(n);
        n = next;
    }
}

void qelLorbane::endCollectedOutput(bool handOverAlways)
{
    qelIni* ini = options(kNoOptions);
    std::string name = limited(m_visitor ? m_visitor->getOutputFileName() : nullptr);
    int pages = m_visitor ? m_visitor->getPageCount() : -1;
    endDocument(nullptr);
    qelOutputDescription description;
    description.name = name.empty() ? nullptr : name.c_str();
    description.id = 1;
    description.format = ini->getOutputExtension();
    description.size = static_cast<int32_t>(m_outputLength);
    description.pageCount = pages;
    if (writerMode()) {
        if (handOverAlways || m_outputBuffer)
            handOver(g_currentDocumentName.c_str(), nullptr, nullptr, description);
        setOutputBuffer(nullptr);
        m_outputLength = 0;
    }
}

int endRun()
{
    qelLorbane* k = g_kernel;
    if (!k)
        return 0;
    k->m_active = 0;
    k->setParameterList(nullptr);
    k->setOutputBasePath(nullptr);
    qelIni* ini = options(kNoOptions);
    if (k->m_fileCreationMode == QEL_FCM_DOC_MERGE) {
        k->endCollectedOutput(false);
        const char* group = ini->getResourceGroup();
        if (group && strcasecmp(group, "1") == 0)
            k->finalizeAFPSpool();
    }
    if (ini->isStatistic()) {
        qelStatistic statistic;
        statistic.setTimes(k->m_runStartTime, k->m_inputTime);
        statistic.setVersion(ini->getVersionText());
        statistic.setNotice(kNotice);
        statistic.setSupportLine();
        statistic.setInputFile(k->getInputName());
        statistic.setParameters(k->getParameterList());
        statistic.write();
    }
    if (k->m_protocol) {
        k->m_protocol->setTimes(k->m_runStartTime, k->m_inputTime);
        k->m_protocol->writeEnd();
        delete k->m_protocol;
        k->m_protocol = nullptr;
    }
    qelImgProcessor::finalizeLibrary();
    delete k->m_imgLogStream;
    k->m_imgLogStream = nullptr;
    k->m_runStartTime = 0;
    k->m_inputTime = 0;
    k->m_runTimeTaken = 0;
    qel::afp::finalizeLibrary();
    return 0;
}

int endInput(qelLorbane* k)
{
    if (!k)
        return 0;
    k->m_inputOpen = 0;
    qelIni* ini = options(kNoOptions);
    if (k->m_fileCreationMode == QEL_FCM_ALL)
        k->endCollectedOutput(true);
    if (k->m_fileCreationMode != QEL_FCM_DOC_MERGE) {
        const char* group = ini->getResourceGroup();
        if (group && strcasecmp(group, "1") == 0)
            k->finalizeAFPSpool();
    }
    k->m_inputTime = static_cast<int64_t>(std::time(nullptr));
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->setLatestInputTime(k->m_inputTime);
    if (pool->hasObject(QEL_POOL_INDEX_LIST))
        pool->resetObject(QEL_POOL_INDEX_LIST);
    if (k->m_inputFormat == QEL_IN_AFP) {
        if (auto* forms = dynamic_cast<qelFormDefParser*>(pool->getResourceParser(QEL_POOL_FORM_DEF_PARSER)))
            forms->setDefaultPagePosition(0x8000, 0x8000);
        if (int32_t* offset = pool->hasObject(QEL_POOL_PAGE_OFFSET) ? pool->getPageOffset() : nullptr) {
            offset[0] = qelVisitor::OFFSET_NOT_SET;
            offset[1] = qelVisitor::OFFSET_NOT_SET;
        }
    }
    if (ini->getDocumentCount() > 0) {
        ini->setOutputFilePath(k->getOutputBasePath());
        k->setOutputBasePath(nullptr);
    }
    k->closeInput();
    return 0;
}

int endInput()
{
    return endInput(g_kernel);
}

void qelLorbane::releaseParser()
{
    if (!m_parser)
        return;
    // The parser's input took the check-out stream over and deletes it
    // with the parser.
    if (m_checkoutStream) {
        qelIOStream* input = qelIOStream::getCurrent();
        if (input && input->getStream() == m_checkoutStream)
            m_checkoutStream = nullptr;
    }
    qelDocumentParser* parser = m_parser;
    ParserRelease release = m_parserRelease;
    m_parser = nullptr;
    m_parserRelease = nullptr;
    if (release)
        release(parser);
    else
        delete parser;
}

void qelLorbane::closeInput()
{
    m_inputOpen = 0;
    m_subDirectory = -1;
    m_inputFormat = 0;
    setInputName(nullptr);
    setIndexFileName(nullptr);
    setResourceFileName(nullptr);
    if (m_fileCreationMode != QEL_FCM_DOC_MERGE) {
        delete m_visitor;
        m_visitor = nullptr;
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    // Inline resources dumped for this input go with it, unless the log
    // lists resources (the listing names the dumped files).
    if (pool->hasObject(QEL_POOL_RES_GROUP_PARSER) && !logIf(QEL_LOG_RES)) {
        const std::string dump = pool->getResGroupParser()->releaseDumpDirectory();
        if (!dump.empty())
            qelUtils::deleteDirectory(dump.c_str());
    }
    releaseParser();
    delete m_checkoutStream;
    m_checkoutStream = nullptr;
    pool->resetObject(QEL_POOL_DOCUMENT_INDEX_PARSER);
    // Each input starts with a fresh triplet reader: nothing it stored
    // (names, resource types, records of the input) carries over.
    pool->resetObject(QEL_POOL_TRIPLET_PARSER);
    delete m_indexImplementor;
    m_indexImplementor = nullptr;
    if (pool->hasObject(QEL_POOL_GLOBAL_RES))
        pool->getGlobalRes()->clearAll();
}

void listGlobalResources(int selection, const char* spoolName)
{
    qelLogStream* log = logIf(QEL_LOG_RESOURCE_LISTS);
    if (!log)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* resources = pool->getGlobalRes();
    if (!resources)
        return;
    if (g_legendWrittenFor != resources) {
        resources->listShortForms();
        g_legendWrittenFor = resources;
    }
    if (selection & 1) {
        log->print("\r\nList of Spool Level Global Resources at the end of the Spool:");
        log->print("\r\n%s", std::string(61, '=').c_str());
        log->print("\r\nSpoolName: %s", spoolName ? spoolName : "");
        resources->listResources(0);
    }
    if (selection & 2) {
        log->print("\r\nList of Process Level Global Resources at the end of the program:");
        log->print("\r\n%s", std::string(65, '=').c_str());
        resources->listResources(1);
    }
}

// ========================================================== input formats

int detectBufferFormat(const unsigned char* buffer, int length)
{
    if (!buffer || length <= 0)
        return 0;
    unsigned char sample[80] = {};
    const int n = length < 80 ? length : 80;
    std::memcpy(sample, buffer, static_cast<size_t>(n));
    return detectSample(sample, n);
}

int detectStreamFormat(qelStream* stream)
{
    if (!stream)
        return 0;
    if (!stream->isOpen())
        stream->open();
    // A check-out stream is sampled within its current document: reading on
    // would fetch the next one and release this one. Documents without bytes
    // are passed over as reading would.
    qelCheckoutStream* checkout = nullptr;
    if (stream->getType() == QEL_STREAM_CHECKOUT) {
        checkout = static_cast<qelCheckoutStream*>(stream);
        checkout->moveToUnreadDocument();
    }
    const int position = stream->getPosition();
    if (position != 0)
        stream->seek(0);
    unsigned char sample[80] = {};
    int n = 0;
    try {
        while (n < 80 && (checkout ? checkout->getDocumentBytesLeft() > 0 : !stream->isAtEnd())) {
            int c = stream->getChar();
            if (c < 0)
                break;
            sample[n++] = static_cast<unsigned char>(c);
        }
    } catch (qelException* e) {
        // A short input is tested with what was there.
        delete e;
    }
    stream->seek(position);
    return detectSample(sample, n);
}

int getConfiguredInputFormat()
{
    int format = options(kNoOptions)->getInputFormat();
    return isFormatBit(format) ? format : 0;
}

int getInputNumber()
{
    return g_inputNumber;
}

int nextImageNumber()
{
    return ++g_imageNumber;
}

int checkInputFormat(int detected, const char* sourceName)
{
    qelIni* ini = options(kNoOptions);
    const bool given = !ini->isNotGiven(0x1);
    const int configured = ini->getInputFormat();
    const char* source = sourceName ? sourceName : "";
    if (!given) {
        if (detected != 0)
            return detected;
        throw new qelException(__FILE__, __LINE__, qelMsg::E046, 0, true, source);
    }
    if (detected == configured)
        return detected;
    if (detected != 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E047, 0, true, inputFormatName(configured),
                               inputFormatName(detected), g_inputNumber + 1);
    if (configured == QEL_IN_MMD || configured == QEL_IN_LPD || ini->isStdIn())
        return configured;
    throw new qelException(__FILE__, __LINE__, qelMsg::E046, 0, true, source);
}

void resetInputCounters()
{
    ++g_inputNumber;
    g_imageNumber = 0;
    qelDocument::setCurrentPageNumber(0);
    qelVisitor::resetRunCounters();
    qelDocumentParser::resetIgnoredObjectCount();
    qelImgProcessor::releaseLibraryResources();
}

// ========================================================== input start-up

int qelLorbane::openFileInput(const char* name)
{
    if (!name || std::strlen(name) >= PATH_MAX || !qelUtils::isRegularFile(name))
        throw new qelException(__FILE__, __LINE__, qelMsg::E023, 0, true, name ? name : "");
    setInputName(name);
    if (!quiet(kNoOptions))
        qelMessageOutput::printf("\nProcessing %s file\n", name);
    return openInput(INPUT_FILE, nullptr, 0);
}

int qelLorbane::openStdinInput()
{
    setInputName("stdin");
    if (!quiet(kNoOptions))
        qelMessageOutput::write("\nProcessing stdin\n");
    return openInput(INPUT_FILE, nullptr, 0);
}

int qelLorbane::openBufferInput(const unsigned char* buffer, int length, const char* name)
{
    if (!buffer || length <= 0)
        return -1;
    if (!quiet(kNoOptions))
        qelMessageOutput::printf("\nProcessing %s document\n", name ? name : "");
    setInputName(name);
    return openInput(INPUT_BUFFER, buffer, length);
}

int qelLorbane::openCheckoutInput(qelSDKNameList* documentIds)
{
    if (!documentIds)
        return -1;
    qelIni* ini = options(kNoOptions);
    if (!ini->isQuietMode())
        qelMessageOutput::printf("\nProcessing %s document\n", "checkout");
    delete m_checkoutStream;
    m_checkoutStream = nullptr;
    auto* stream = new (std::nothrow) qelCheckoutStream(documentIds);
    if (!stream)
        throw "Unable to create check out stream";
    m_checkoutStream = stream;
    stream->setAttribute(18, ini->isQuietMode() ? "on" : "off");
    if (logIf(QEL_LOG_GENERAL))
        stream->setAttribute(19, "on");
    setInputName("checkout");
    return openInput(INPUT_CHECKOUT, nullptr, 0);
}

void qelLorbane::loadMappingDefinition()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool->getMappingDef() && pool->getMappingDef()->isLoaded())
        return;
    if (!pool->getMappingDef())
        pool->setMappingDef(new qelMappingDef());
    qelMappingDef* definition = pool->getMappingDef();
    definition->load();
    // The run's EBCDIC tables come from the default code page's file.
    const char* codePage = options(kNoOptions)->getCodePage();
    if (codePage && *codePage)
        qelCodePage::loadCodePageFile(qelUtils::getMutableEbcdicToAsciiTable(), codePage);
}

int qelLorbane::openInput(InputVariant variant, const unsigned char* buffer, int length)
{
    qelIni* ini = options(kNoOptions);
    m_documentIndexLoaded = 0;

    int detected = 0;
    const char* source = "checkout";
    if (variant == INPUT_FILE) {
        source = getInputName();
        detected = qelUtils::detectInputFormat(source);
    } else if (variant == INPUT_BUFFER) {
        source = "BufferInput";
        detected = detectBufferFormat(buffer, length);
    } else {
        detected = detectStreamFormat(m_checkoutStream);
    }
    const int format = checkInputFormat(detected, source);

    if (format == QEL_IN_ASCII)
        notBuiltFor("ASCII", "input format");
    if (format == QEL_IN_LPD && !ini->getSpoolFileType())
        throw new qelException(__FILE__, __LINE__, qelMsg::E107, 0, true);
    if (!ini->isPathsChecked()) {
        ini->checkLogPath();
        qelImgProcessor::setTempDirectory(ini->getTempPath());
    }
    if (variant == INPUT_FILE)
        setResourceFileName(ini->getResourceGroupFilename());

    if (m_fileCreationMode == QEL_FCM_DOC_COLD) {
        if (ini->getColdFormat() == 1) {
            int rc = createSFExecutor();
            if (rc < 0)
                throw new qelException(__FILE__, __LINE__, qelMsg::E088, 0, true, -988,
                                       "Unable to create SF executor instance");
        }
        ini->checkLogPath();
        qelImgProcessor::setTempDirectory(ini->getTempPath());
        ini->checkFileCreationMode();
        if (variant == INPUT_CHECKOUT && ini->isAutoSplit()) {
            ini->setAutoSplit(false);
            qelMessageOutput::write("Warning! AutoSplit is not allowed for Merge process, Ignoring ...\n");
            if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
                log->printLine("Warning! AutoSplit is not allowed for Checkout process, Ignoring ...");
        }
    }

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (!m_runTimeTaken) {
        m_runStartTime = now;
        pool->setRunStartTime(now);
        m_runTimeTaken = 1;
    }
    m_inputTime = now;
    pool->setLatestInputTime(now);

    // One protocol for the run, opened at its first input.
    if (ini->isProtocol() && !m_protocol) {
        m_protocol = new qelProtocol();
        m_protocol->setTimes(m_runStartTime, m_inputTime);
        m_protocol->setVersion(ini->getVersionText());
        m_protocol->setParameters(getParameterList());
        m_protocol->open();
        if (ini->getStartingDocument() > 0)
            m_protocol->setDocumentNumber(ini->getStartingDocument() - 1);
    }

    m_documentsStarted = 0;
    resetInputCounters();
    m_inputFormat = format;

    setUpParser(variant, format, buffer, length);

    if (m_protocol) {
        m_protocol->setInputFile(variant == INPUT_CHECKOUT ? "checkout" : getInputName());
        m_protocol->writeSpoolHeader();
        m_protocol->setResult(QEL_PROTOCOL_ERROR);
    }
    if (pool->hasObject(QEL_POOL_PAGE_COORDINATE_TRANSFORMER)) {
        qelPageCoordinateTransformer* t = pool->getPageCoordinateTransformer();
        t->setPosition(0.0f, 0.0f);
        t->setPageSize(1975, 2806);
        t->setOrientation(0, 90);
        t->setAxisMode(ini->getOutputFormat() == QEL_OUT_ASCII ? 2 : 0);
        t->setResolution(240);
    }
    if (ini->getDocumentCount() > 0)
        setOutputBasePath(ini->getOutputFilePath());
    if (m_fileCreationMode == QEL_FCM_DOC_MERGE && m_visitor)
        m_visitor->initVisitor();
    if (variant == INPUT_FILE) {
        if (pool->hasObject(QEL_POOL_GLOBAL_RES))
            pool->getGlobalRes()->mapProcessScriptFonts();
    } else if (!ini->isCodedOutput() && format != QEL_IN_PDF) {
        const char* warning = "Warning! Non coded output format is allowed only for PDF input. Ignoring non coded output option.";
        if (!ini->isQuietMode())
            qelMessageOutput::printf("%s\n", warning);
        if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
            log->printLine("%s", warning);
        ini->setCodedOutput(true);
    }
    m_inputOpen = 1;
    return 0;
}

void qelLorbane::setUpParser(InputVariant variant, int format, const unsigned char* buffer, int length)
{
    qelIni* ini = options(kNoOptions);
    // The options keep the format the input settled on, not as given.
    const bool given = !ini->isNotGiven(0x1);
    ini->setInputFormat(inputFormatName(format));
    if (!given && !ini->isNotGiven(0x1))
        ini->toggleGiven(0x1);

    // Line data has parsers only for the index file creation mode that
    // uses a document script.
    if (format == QEL_IN_LPD && m_fileCreationMode != QEL_FCM_DOC_COLD)
        notBuiltFor(inputFormatName(format), "input format");
    auto choice = g_parsers.find(format);
    // AFP input has its built-in parser unless another one is registered.
    if (choice == g_parsers.end() && format == QEL_IN_AFP)
        choice = g_parsers.emplace(format, ParserChoice{&createModcaParser, &releaseModcaParser}).first;
    qelDocumentParser* parser = choice != g_parsers.end() && choice->second.create ? choice->second.create(format)
                                                                                     : nullptr;
    if (!parser)
        notBuiltFor(inputFormatName(format), "input format");
    m_parser = parser;
    m_parserRelease = choice->second.release;

    const bool usesFonts = format == QEL_IN_AFP || format == QEL_IN_LPD || format == QEL_IN_PDF || format == QEL_IN_MMD;
    if (usesFonts)
        loadMappingDefinition();
    switch (variant) {
    case INPUT_FILE:
        parser->setInputKind(QEL_INPUT_FILE);
        break;
    case INPUT_BUFFER:
        parser->setInputKind(QEL_INPUT_MEMORY);
        parser->setInputBuffer(const_cast<unsigned char*>(buffer), length);
        break;
    case INPUT_CHECKOUT:
        parser->setInputKind(QEL_INPUT_DOCUMENT_LIST);
        parser->setInputStream(m_checkoutStream);
        break;
    }
    if (format == QEL_IN_AFP) {
        openExternalResources(1);
        openExternalResources(0);
    }
    parser->setInputFileName(variant == INPUT_CHECKOUT ? "checkout" : getInputName());
    parser->setParameterList(getParameterList());
    parser->writeLogHeader();
    if (format == QEL_IN_AFP || format == QEL_IN_MMD)
        openExternalResources(2);
    if (format == QEL_IN_MMD)
        openExternalResources(3);
}

void qelLorbane::openExternalResources(int kind)
{
    static const char* const kLabels[] = {"Resource", "Document Index", "Formdef", "Page Definition"};
    if (!m_parser || kind < 0 || kind > 3)
        return;
    qelIni* ini = options(kNoOptions);
    const char* option = nullptr;
    switch (kind) {
    case 0: option = ini->getResourceGroupFilename(); break;
    case 1: option = ini->getDocumentIndexFilename(); break;
    case 2: option = ini->getFormdefFilename(); break;
    default: option = ini->getPagedefFilename(); break;
    }
    if (kind == 0)
        setResourceFileName(option);
    else if (kind == 1)
        setIndexFileName(option);
    if (!option || !*option)
        return;
    std::string name(option);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    const char* label = kLabels[kind];

    std::string path = name;
    if (kind <= 1) {
        bool found = false;
        if (name.find('/') != std::string::npos) {
            found = qelUtils::isRegularFile(name.c_str());
        } else {
            std::unique_ptr<char[]> inputDir(qelUtils::getDirectory(getInputName()));
            const char* resPath = ini->getResPath();
            const std::string candidates[] = {std::string(resPath ? resPath : "") + name,
                                              std::string(inputDir ? inputDir.get() : "") + name, name};
            for (const std::string& candidate : candidates) {
                if (qelUtils::isRegularFile(candidate.c_str())) {
                    path = candidate;
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            throw new qelException(__FILE__, __LINE__, qelMsg::E004, 0, true, label, name.c_str());
    }
    auto reader = g_externalReaders.find(kind);
    const bool registered = reader != g_externalReaders.end() && reader->second;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelModcaParser* modca = dynamic_cast<qelModcaParser*>(m_parser);
    // A form definition read here gives the document parser its default
    // medium map, which must outlive the parser's input set-up.
    auto keepDefaultMediumMap = [modca]() {
        if (modca && modca->getCurrentMediumMap())
            modca->setStartMediumMap(modca->getCurrentMediumMap());
    };
    if (kind == 2 && !registered) {
        // The pool's form definition parser reads the file as a resource.
        qelResParser* forms = pool->getFormDefParser();
        if (qelRes* form = forms ? forms->parse(path.c_str(), qelResParser::MODE_LIBRARY, nullptr) : nullptr) {
            form->setFound(1);
            form->setInline(0);
            pool->getGlobalRes()->addResource(form);
        }
        pool->getGlobalRes()->countProcessResources();
        keepDefaultMediumMap();
        return;
    }
    if (!registered && kind >= 2)
        notBuiltFor(label, "file");
    if (kind >= 2) {
        reader->second(this, kind, path.c_str(), m_parser);
        return;
    }
    if (!ini->isQuietMode())
        qelMessageOutput::printf("\nOpening External %s file %s\n", label, name.c_str());
    if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
        log->printLine("\nOpening External %s file %s", label, name.c_str());
    m_parser->setInputFileName(path.c_str());
    m_parser->setParameterList(getParameterList());
    m_parser->writeLogHeader();
    int rc = 0;
    if (registered) {
        rc = reader->second(this, kind, path.c_str(), m_parser);
    } else if (kind == 0) {
        pool->getResGroupParser()->parseFile(path.c_str());
        pool->getGlobalRes()->countProcessResources();
        keepDefaultMediumMap();
    } else {
        rc = pool->getDocumentIndexParser()->parseFile(path.c_str());
    }
    if (kind == 1 && rc == 0) {
        m_documentIndexLoaded = 1;
        if (modca)
            modca->setDocIndexPresent(true);
    }
    if (!ini->isQuietMode())
        qelMessageOutput::printf("\nClosing External %s file %s\n", label, name.c_str());
    if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
        log->printLine("\nClosing External %s file %s\n\n", label, name.c_str());
}

// ========================================================== document loop

int qelLorbane::processDocuments()
{
    if (!m_inputOpen || !m_parser)
        return -1;
    options(kNoOptions);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto releaseFonts = [pool]() {
        if (pool->hasObject(QEL_POOL_GLOBAL_RES))
            pool->getGlobalRes()->releaseUnusedScriptFonts();
    };
    qelDocument* document = m_parser->parseFirst(this);
    while (document) {
        try {
            writeDocument(document, m_parser->getParseState() & 0xFF);
        } catch (...) {
            delete document;
            releaseFonts();
            m_parser->setErrorFlag();
            try {
                throw;
            } catch (qelException*) {
                throw;
            } catch (const char*) {
                throw;
            } catch (qelImgException* image) {
                std::unique_ptr<qelImgException> owned(image);
                const char* text = image->getMessage();
                throw new qelException(__FILE__, __LINE__, qelMsg::E013, 0, true, text ? text : "");
            } catch (...) {
                throw new qelException(__FILE__, __LINE__, qelMsg::E001, 0, true);
            }
        }
        delete document;
        releaseFonts();
        if (m_errorState)
            break;
        document = m_parser->parseNext(this);
    }
    return 0;
}

void qelLorbane::checkAndCreateVisitor()
{
    trace("[Lorbane]: Begin: checkAndCreateVisitor\n");
    if (m_visitor) {
        trace("[Lorbane]: End(E1): checkAndCreateVisitor\n");
        return;
    }
    qelIni* ini = options(kNoOptions);
    const int format = ini->getOutputFormat();
    switch (format) {
    case 1: case 2: case 4: case 8: case 16: case 32: case 64: case 128: case 512: case 1024: case 2048:
        break;
    default:
        trace("[Lorbane]: End(E2): checkAndCreateVisitor\n");
        throw new qelException(__FILE__, __LINE__, qelMsg::E024, 0, true, ini->getOutputFormatName());
    }
    const bool useGd = ini->hasSwitch("UseGD");
    if (ini->isCodedOutput()) {
        std::unique_ptr<qelCodedVisitor> coded(new (std::nothrow) qelCodedVisitor());
        if (!coded) {
            trace("[Lorbane]: End(E3): checkAndCreateVisitor\n");
            throw "Unable to allocate coded visitor";
        }
        coded->setOutputEngine(createVisitor(format, useGd, false));
        if (m_inputFormat == QEL_IN_PDF && format == QEL_OUT_AFP) {
            auto splash = g_rasterEngines.find(RASTER_SPLASH);
            if (splash == g_rasterEngines.end() || !splash->second)
                notBuiltFor(ini->getOutputFormatName(), "output format");
            coded->setRasterEngine(splash->second());
            if (!coded->getRasterEngine()) {
                trace("[Lorbane]: End(E5): checkAndCreateVisitor\n");
                throw "Unable to allocate raster engine for coded visitor";
            }
        }
        m_visitor = coded.release();
    } else {
        std::unique_ptr<qelNonCodedVisitor> nonCoded(new (std::nothrow) qelNonCodedVisitor());
        if (!nonCoded) {
            trace("[Lorbane]: End(E3): checkAndCreateVisitor\n");
            throw "Unable to allocate non coded visitor";
        }
        nonCoded->setOutputEngine(createVisitor(format, useGd, true));
        // Every output format but text has a raster engine.
        if (format != QEL_OUT_ASCII) {
            const int kind = m_inputFormat == QEL_IN_PDF ? RASTER_SPLASH : RASTER_GD;
            auto raster = g_rasterEngines.find(kind);
            if (raster == g_rasterEngines.end() || !raster->second)
                notBuiltFor(ini->getOutputFormatName(), "output format");
            nonCoded->setRasterEngine(raster->second());
            if (!nonCoded->getRasterEngine()) {
                trace("[Lorbane]: End(E4): checkAndCreateVisitor\n");
                throw "Unable to allocate raster engine for non coded visitor";
            }
        }
        m_visitor = nonCoded.release();
    }
    trace("[Lorbane]: End: checkAndCreateVisitor\n");
}

qelVisitor* qelLorbane::createVisitor(int outputFormat, bool useGd, bool nonCoded)
{
    auto choice = g_outputEngines.find(outputFormat);
    if (choice == g_outputEngines.end() || !choice->second)
        notBuiltFor(options(kNoOptions)->getOutputFormatName(), "output format");
    qelVisitor* engine = choice->second(outputFormat, useGd, nonCoded);
    if (!engine) {
        trace("[Lorbane]: End(E4): checkAndCreateVisitor\n");
        throw nonCoded ? "Unable to allocate output engine for non coded visitor"
                       : "Unable to allocate output engine for coded visitor";
    }
    return engine;
}

void qelLorbane::doDocStartup(qelDocument* document)
{
    trace("[Lorbane]: Begin: doDocStartup\n");
    if (document && m_visitor && qelDocument::getCurrentPageNumber() == 0 && document->getPageCount() > 0) {
        qelIni* ini = options(kNoOptions);
        const int n = ini->getDocumentCount();
        if (n > 0) {
            const int k = (qelStatistic::getDocumentCount() + ini->getStartingDocument()) / n;
            if (m_subDirectory < k) {
                m_subDirectory = k;
                std::string directory = getOutputBasePath() ? getOutputBasePath() : "";
                if (!directory.empty() && directory.back() != '/')
                    directory += '/';
                char number[16];
                std::snprintf(number, sizeof number, "%02d", k);
                directory += number;
                if (qelUtils::makeDirectory(directory.c_str()) == 0) {
                    directory += '/';
                    ini->setOutputFilePath(directory.c_str());
                    ini->setIndexPath(directory.c_str());
                } else if (!ini->isQuietMode()) {
                    qelMessageOutput::printf("Warning! Unable to create Sub Directory : %s \n", directory.c_str());
                }
            }
        }
        m_visitor->initializeDoc(document);
        ++m_documentsStarted;
        if (m_protocol) {
            m_inputTime = static_cast<int64_t>(std::time(nullptr));
            m_protocol->setTimes(m_runStartTime, m_inputTime);
            m_protocol->countDocument();
            m_protocol->setOutputName(m_visitor->getOutputFileName());
            m_protocol->writeDocumentLine();
            m_protocol->setResult(QEL_PROTOCOL_ERROR);
        }
        if (writerMode())
            g_currentDocumentName = limited(document->getName());
    }
    trace("[Lorbane]: End: doDocStartup\n");
}

void qelLorbane::endDocument(qelDocument* document)
{
    if (!m_visitor)
        return;
    qelIni* ini = options(kNoOptions);
    if (m_visitor->isDocumentOpen()) {
        if (m_protocol)
            m_protocol->writeResult();
        m_visitor->setErrorState(m_errorState != 0);
        m_visitor->cleanup();
        if (ini->isMemoryOutputStream() && !ini->isPageOutput()) {
            qelVisitor* engine = outputEngineOf(m_visitor);
            const int size = m_visitor->getOutputBufferSize();
            void* block = engine ? const_cast<void*>(engine->getOutputBuffer()) : nullptr;
            if (engine)
                engine->releaseOutputBuffer();
            setOutputBuffer(block);
            m_outputLength = block && size > 0 ? static_cast<uint32_t>(size) : 0;
        } else if (ini->isMemoryOutputStream() && document) {
            qelPage* first = document->getFirstPage();
            const unsigned char* data = first ? first->getOutputBuffer() : nullptr;
            const int32_t size = first ? first->getOutputBufferLength() : 0;
            void* copy = nullptr;
            if (data && size > 0) {
                copy = std::malloc(static_cast<size_t>(size));
                if (!copy)
                    throw "Unable to allocate output buffer at qelLorbane";
                std::memcpy(copy, data, static_cast<size_t>(size));
            }
            setOutputBuffer(copy);
            m_outputLength = copy ? static_cast<uint32_t>(size) : 0;
        } else if (!ini->isMemoryOutputStream() && ini->isLaunchPreview()) {
            qelUtils::openWithAssociatedApplication(m_visitor->getOutputFileName());
        }
    }
    if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
        log->print("\n");
    delete m_visitor;
    m_visitor = nullptr;
}

qelIndexImplementor* qelLorbane::createIndexImplementor()
{
    // In writer mode the index entries travel in the writer record.
    if (writerMode())
        return nullptr;
    qelIni* ini = options(kNoOptions);
    const char* format = ini->getIndexFormat();
    if (format && strcasecmp(format, "xml") == 0) {
        if (ini->isPageOutput())
            return new qelSPXMLIndexImplementor();
        return new qelXMLIndexImplementor();
    }
    const char* record = ini->getIndexRecord();
    if (format && strcasecmp(format, "csv") == 0 && record && *record) {
        if (ini->isPageOutput())
            return new qelSPCSVIndexImplementor();
        return new qelCSVIndexImplementor();
    }
    return nullptr;
}

qelSDKNameValue* qelLorbane::buildDocumentAttributes(const qelOutputDescription& d)
{
    qelSDKNameValue* head = nullptr;
    qelSDKNameValue* tail = nullptr;
    auto add = [&](const char* name, const char* value) -> bool {
        auto* node = static_cast<qelSDKNameValue*>(std::malloc(sizeof(qelSDKNameValue)));
        char* copy = heapCopy(value);
        if (!node || !copy) {
            std::free(node);
            std::free(copy);
            return false;
        }
        node->name = const_cast<char*>(name);
        node->value = copy;
        node->next = nullptr;
        (tail ? tail->next : head) = node;
        tail = node;
        return true;
    };
    bool ok = true;
    if (ok && d.name)
        ok = add("Name", d.name);
    if (ok && d.id != 0)
        ok = add("ID", std::to_string(d.id).c_str());
    if (ok && d.format)
        ok = add("Format", d.format);
    if (ok && d.size != 0)
        ok = add("Size", std::to_string(d.size).c_str());
    if (ok && d.pageCount != 0)
        ok = add("PageCount", std::to_string(d.pageCount).c_str());
    if (!ok) {
        freeAttributes(head);
        return nullptr;
    }
    return head;
}

void qelLorbane::freeAttributes(qelSDKNameValue* list)
{
    while (list) {
        qelSDKNameValue* next = list->next;
        std::free(list->value);
        std::free(list);
        list = next;
    }
}

namespace
{
// The document's index and user data as the writer record carries them.
qelSDKNameValue* recordIndexes(qelDocument* document)
{
    qelIndexNode* nodes = document->collectIndexes();
    qelSDKNameValue* head = nullptr;
    qelSDKNameValue* tail = nullptr;
    bool failed = false;
    for (qelIndexNode* n = nodes; n;) {
        qelIndexNode* next = n->next;
        auto* node = failed ? nullptr : static_cast<qelSDKNameValue*>(std::malloc(sizeof(qelSDKNameValue)));
        if (node) {
            node->name = const_cast<char*>(n->name);
            node->value = const_cast<char*>(n->value);
            node->next = nullptr;
            (tail ? tail->next : head) = node;
            tail = node;
        } else {
            failed = true;
        }
        std::free(n);
        n = next;
    }
    return head;
}

qelSDKUserData* recordUserData(qelDocument* document)
{
    qelUserDataNode* nodes = document->collectUserData();
    qelSDKUserData* head = nullptr;
    qelSDKUserData* tail = nullptr;
    bool failed = false;
    for (qelUserDataNode* n = nodes; n;) {
        qelUserDataNode* next = n->next;
        auto* node = failed ? nullptr : static_cast<qelSDKUserData*>(std::malloc(sizeof(qelSDKUserData)));
        if (node) {
            node->name = const_cast<char*>(n->id);
            node->data = const_cast<unsigned char*>(n->data);
            node->length = n->length > 0 ? static_cast<uint32_t>(n->length) : 0;
            node->next = nullptr;
            (tail ? tail->next : head) = node;
            tail = node;
        } else {
            failed = true;
        }
        std::free(n);
        n = next;
    }
    return head;
}
}

int qelLorbane::writeDocument(qelDocument* document, int s)
{
    trace("[Lorbane]: Begin: writeDocument\n");
    checkAndCreateVisitor();
    if (!m_visitor) {
        trace("[Lorbane]: End(E1): writeDocument\n");
        return -1;
    }
    doDocStartup(document);
    qelIni* ini = options(kNoOptions);
    const int mode = ini->getFileCreationMode();
    const bool writer = writerMode();
    document->write(m_visitor);
    const bool open = m_visitor->isDocumentOpen();
    m_firstPageNumber = document->getFirstPageNumber();
    m_lastPageNumber = document->getLastPageNumber();
    m_pageCount = static_cast<uint32_t>(document->getPageCount());
    if (mode == QEL_FCM_PAGE || (s & 0xFC)) {
        qelDocument::setCurrentPageNumber(0);
        m_visitor->finalizeDoc();
    }
    const std::string outputName = limited(m_visitor->getOutputFileName());
    qelOutputDescription description;
    description.name = outputName.empty() ? nullptr : outputName.c_str();
    description.id = 1;
    description.format = ini->getOutputExtension();
    description.pageCount = m_visitor->getPageCount();
    auto markOk = [&](int bits) {
        if (open && (s & bits) && m_protocol)
            m_protocol->setResult(QEL_PROTOCOL_OK);
    };

    switch (mode) {
    case QEL_FCM_ALL:
        markOk(128 | 16 | 32);
        break;
    case QEL_FCM_DOC:
        markOk(128 | 16 | 8);
        if (s & 0xF8) {
            endDocument(nullptr);
            if (writer && open) {
                description.size = static_cast<int32_t>(m_outputLength);
                handOver(g_currentDocumentName.c_str(), nullptr, nullptr, description);
                setOutputBuffer(nullptr);
                m_outputLength = 0;
            }
        }
        break;
    case QEL_FCM_PAGE:
        markOk(2 | 16 | 128 | 8);
        endDocument(nullptr);
        // An output that holds written pages goes to the writer whatever
        // status ended it.
        if (writer && ((s & 2) || (open && m_pageCount > 0))) {
            description.size = static_cast<int32_t>(m_outputLength);
            handOver(g_currentDocumentName.c_str(), nullptr, nullptr, description);
            setOutputBuffer(nullptr);
            m_outputLength = 0;
        }
        break;
    case QEL_FCM_DOC_INDEX:
    case QEL_FCM_DOC_COLD: {
        if (!m_indexImplementor &&
            (mode == QEL_FCM_DOC_INDEX || writer || !ini->isNotGiven(0x4)))
            m_indexImplementor = createIndexImplementor();
        if (open && m_indexImplementor)
            m_indexImplementor->addDocument(document);
        markOk(4 | 16 | 128 | 8);
        bool ended = false;
        if (s & 0xFC) {
            ended = true;
            m_visitor->addDocumentIndex(document);
            endDocument(document);
            document->setSize(static_cast<int32_t>(qelUtils::getFileSize(outputName.c_str())));
            if (m_indexImplementor) {
                m_indexImplementor->writeIndexFile(description.name);
                delete m_indexImplementor->createDocumentIndex();
                delete m_indexImplementor;
                m_indexImplementor = nullptr;
            }
        }
        bool handedOver = false;
        if (writer && ended && open) {
            description.size = static_cast<int32_t>(m_outputLength);
            handOver(document->getName(), recordIndexes(document), recordUserData(document), description);
            handedOver = true;
            if (mode == QEL_FCM_DOC_INDEX) {
                setOutputBuffer(nullptr);
                m_outputLength = 0;
            }
        }
        if (mode == QEL_FCM_DOC_COLD) {
            if (ini->isMemoryOutputStream())
                document->setOutputBuffer(static_cast<unsigned char*>(m_outputBuffer),
                                          static_cast<int32_t>(m_outputLength));
            if (handedOver) {
                setOutputBuffer(nullptr);
                m_outputLength = 0;
                document->setOutputBuffer(nullptr, 0);
            }
        }
        break;
    }
    default:
        break;
    }
    trace("[Lorbane]: End: writeDocument\n");
    return 0;
}

int qelLorbane::writePage(qelDocument* document, qelPage* page)
{
    if (!document || !page)
        return -1;
    checkAndCreateVisitor();
    if (!m_visitor)
        return -1;
    doDocStartup(document);
    qelDocument::setCurrentPageNumber(qelDocument::getCurrentPageNumber() + 1);
    if (!quiet(kNoOptions))
        qelMessageOutput::printf("Writing Page %d...\n", qelDocument::getCurrentPageNumber());
    document->writePage(m_visitor, page);
    return 1;
}
