#include "qelImgProcessor.h"

#include "qelCxImageVersion.h"
#include "qelImageStrips.h"
#include "qelImgCxDecoder.h"
#include "qelImgAFPIOCAEncoder.h"
#include "qelImgIOCADecoder.h"
#include "qelImgIOCACMYKHandler.h"
#include "qelImgIOCARGBHandler.h"
#include "qelImgBufferIOStream.h"
#include "qelImgFileIOStream.h"
#include "qelImgCxEncoder.h"
#include "qelImg1BPPConverter.h"
#include "qelImg24BPPConverter.h"
#include "qelImgColorUtils.h"
#include "qelImgGrayscaleConverter.h"
#include "qelImgTransformer.h"
#include "qelImgFlateEncoder.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecodeReport.h"
#include "qelImgDecoder.h"
#include "qelImgEncoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgLogger.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFEncoder.h"
#include "qelImgTIFFIOStreamProcessor.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgDIBUtils.h"
#include "qelImgUtils.h"

#include <jpeglib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

namespace
{
// A document text; unset and empty answer the default.
struct DocumentText
{
    std::string text;
    const char* get(const char* fallback) const { return text.empty() ? fallback : text.c_str(); }
    void set(const char* value)
    {
        if (value)
            text = value;
    }
};

struct Settings
{
    bool initialized = false;
    qelImgLogger* logger = nullptr;
    bool hasTempDirectory = false;
    std::string tempDirectory;
    DocumentText copyright, softwareName, artist, keywords, title, subject, author;
    float defaultResolution = 300.0f;
    bool widthFromData = true;
    int tempFileMode = 0;
    int messageMode = 1;
};

Settings g_settings;

const char* const kCopyright = "Copyright (c) Orvo. All rights reserved.";
const char* const kCompany = "Orvo";

void trace(const char* operation)
{
    if (qelImgLogger* logger = g_settings.logger)
        logger->trace("\t%s::%s()", "qelImgProcessor", operation);
}

void takeDefaultTempDirectory()
{
    char* dir = qelImgUtils::getDefaultTempDirectory();
    g_settings.hasTempDirectory = dir != nullptr;
    g_settings.tempDirectory = dir ? dir : "";
    delete[] dir;
}
}

void qelImgProcessor::initializeLibrary()
{
    trace("initializeLibrary");
    if (g_settings.initialized)
        return;
    g_settings.initialized = true;
    qelImgErrorHandler::reset();
    takeDefaultTempDirectory();
}

void qelImgProcessor::finalizeLibrary()
{
    trace("finalizeLibrary");
    if (!g_settings.initialized)
        return;
    qelImgErrorHandler::restoreTIFFHandlers();
    // The switches and the message mode stay as set.
    Settings fresh;
    fresh.defaultResolution = g_settings.defaultResolution;
    fresh.widthFromData = g_settings.widthFromData;
    fresh.tempFileMode = g_settings.tempFileMode;
    fresh.messageMode = g_settings.messageMode;
    g_settings = fresh;
}

bool qelImgProcessor::isInitialized() { return g_settings.initialized; }

void qelImgProcessor::releaseLibraryResources()
{
    qelImgTIFFIOStreamProcessor::releaseContexts();
    qelImgTIFFProcessor::releaseContexts();
    qelImgErrorHandler::restoreTIFFHandlers();
    qelImgErrorHandler::clearPendingError();
}

void qelImgProcessor::setLogger(qelImgLogger* logger) { g_settings.logger = logger; }
qelImgLogger* qelImgProcessor::getLogger() { return g_settings.logger; }

const char* qelImgProcessor::getSoftwareName() { return g_settings.softwareName.get("Orvo Image Library V1.14"); }
void qelImgProcessor::setSoftwareName(const char* text) { g_settings.softwareName.set(text); }
const char* qelImgProcessor::getCopyright() { return g_settings.copyright.get(kCopyright); }
void qelImgProcessor::setCopyright(const char* text) { g_settings.copyright.set(text); }
const char* qelImgProcessor::getArtist() { return g_settings.artist.get(kCompany); }
void qelImgProcessor::setArtist(const char* text) { g_settings.artist.set(text); }
const char* qelImgProcessor::getTitle() { return g_settings.title.get(""); }
void qelImgProcessor::setTitle(const char* text) { g_settings.title.set(text); }
const char* qelImgProcessor::getSubject() { return g_settings.subject.get(""); }
void qelImgProcessor::setSubject(const char* text) { g_settings.subject.set(text); }
const char* qelImgProcessor::getKeywords() { return g_settings.keywords.get(""); }
void qelImgProcessor::setKeywords(const char* text) { g_settings.keywords.set(text); }
const char* qelImgProcessor::getAuthor() { return g_settings.author.get(""); }
void qelImgProcessor::setAuthor(const char* text) { g_settings.author.set(text); }

float qelImgProcessor::getDefaultResolution() { return g_settings.defaultResolution; }
void qelImgProcessor::setDefaultResolution(float dpi) { g_settings.defaultResolution = dpi; }
bool qelImgProcessor::isWidthFromData() { return g_settings.widthFromData; }
void qelImgProcessor::setWidthFromData(bool on) { g_settings.widthFromData = on; }
int qelImgProcessor::getTempFileMode() { return g_settings.tempFileMode; }
void qelImgProcessor::setTempFileMode(int mode) { g_settings.tempFileMode = mode; }
int qelImgProcessor::getMessageMode() { return g_settings.messageMode; }
void qelImgProcessor::setMessageMode(int mode) { g_settings.messageMode = mode; }

const char* qelImgProcessor::getTempDirectory()
{
    return g_settings.hasTempDirectory ? g_settings.tempDirectory.c_str() : nullptr;
}

void qelImgProcessor::setTempDirectory(const char* path)
{
    char* stripped = qelImgUtils::stripEnclosing(path, '"');
    std::string dir = stripped ? stripped : "";
    delete[] stripped;
    for (char& c : dir)
        if (c == '\\')
            c = '/';
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    if (dir.empty() || !qelImgUtils::isDirectory(dir.c_str()) || !qelImgUtils::isWritable(dir.c_str())) {
        takeDefaultTempDirectory();
        return;
    }
    g_settings.hasTempDirectory = true;
    g_settings.tempDirectory = dir;
}

const char* qelImgProcessor::getVersion() { return "1.14"; }

const char* qelImgProcessor::getLibraryBanner()
{
    return "Orvo Image Library Version 1.14 [Compiled on " __DATE__ " at " __TIME__ "]";
}

char* qelImgProcessor::getLibraryVersions()
{
    char* text = new char[1024];
    char jpeg[16];
    std::snprintf(jpeg, sizeof jpeg, "%d.%d", JPEG_LIB_VERSION / 10, JPEG_LIB_VERSION % 10);
    char cximage[32];
    std::snprintf(cximage, sizeof cximage, "%.5f", kCxImageVersion);
    std::snprintf(text, 1024, "%4s%-32s: V%s\n%4s%-32s: %s\n%4s%-32s: V%s\n%4s%-32s: V%s\n", "",
                  "Orvu IOCA Library", "1.8", "", "TIFF Library", qelImgUtils::getTIFFLibraryVersion(), "",
                  "JPEG Library", jpeg, "", "CxImage Library", cximage);
    return text;
}

const char* qelImgProcessor::getCompressionName(int compression)
{
    return qelImgUtils::getCompressionName(compression);
}

const char* qelImgProcessor::getImageTypeName(int type) { return qelImgUtils::getImageTypeName(type); }

// ================================================================ objects

namespace
{
qelImgLogger* logger() { return g_settings.logger; }

void info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void info(const char* format, ...)
{
    qelImgLogger* log = logger();
    if (!log)
        return;
    char line[1024];
    va_list args;
    va_start(args, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(line, sizeof line, format, args);
#pragma GCC diagnostic pop
    va_end(args);
    log->info("%s", line);
}
}

void qelImgProcessor::start()
{
    qelImgUtils::setDefaultParameters(m_params);
    g_settings.tempFileMode = 0;
    m_decoder = nullptr;
    m_encoder = nullptr;
    m_stream = nullptr;
}

qelImgProcessor::qelImgProcessor()
{
    start();
    trace("qelImgProcessor");
    m_imageType = QELIMG_IMAGETYPE_UNKNOWN;
    m_pageNumber = -1;
    m_pagesLeft = -1;
}

qelImgProcessor::qelImgProcessor(const char* file)
{
    start();
    trace("qelImgProcessor");
    if (!file || !*file)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    m_imageType = qelImgUtils::getImageTypeFromFile(file);
    info("\nSource file name=>%s, Type=>%s", file, qelImgUtils::getImageTypeName(m_imageType));
    m_pageNumber = 0;
    m_sequentialPage = 0;
    createDecoderForFile(m_imageType, file);
    takeSource();
}

qelImgProcessor::qelImgProcessor(int type, const char* file)
{
    start();
    trace("qelImgProcessor");
    if (!file || !*file)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    m_imageType = type;
    info("\nSource file name=>%s, Type=>%s", file, qelImgUtils::getImageTypeName(type));
    m_pageNumber = 0;
    m_sequentialPage = 0;
    createDecoderForFile(type, file);
    takeSource();
}

qelImgProcessor::qelImgProcessor(unsigned char* data, unsigned int length)
{
    start();
    trace("qelImgProcessor");
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    m_imageType = qelImgUtils::getImageTypeFromBuffer(data, length);
    info("\nMemory Source. Buffer length=>%ld, Type=>%s", static_cast<long>(length),
         qelImgUtils::getImageTypeName(m_imageType));
    m_pageNumber = 0;
    m_sequentialPage = 0;
    createDecoderForBuffer(m_imageType, data, length);
    takeSource();
}

qelImgProcessor::qelImgProcessor(int type, unsigned char* data, unsigned int length)
{
    start();
    trace("qelImgProcessor");
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    m_imageType = type;
    info("\nMemory Source. Buffer length=>%ld, Type=>%s", static_cast<long>(length),
         qelImgUtils::getImageTypeName(type));
    m_pageNumber = 0;
    m_sequentialPage = 0;
    createDecoderForBuffer(type, data, length);
    takeSource();
}

qelImgProcessor::qelImgProcessor(qelImgIOStream* stream, QELIMG_ENCODETYPE type)
{
    start();
    trace("qelImgProcessor");
    info("\nStream Source. Encode Type=>%s", qelImgUtils::getEncodeTypeName(type));
    m_pageNumber = 0;
    m_pagesLeft = 0;
    m_stream = stream;
    createStreamEncoder(type, stream);
    m_encoder->setEncodeType(type);
}

qelImgProcessor::qelImgProcessor(qelImgInfo* information, unsigned char* data, int length, unsigned char* palette)
{
    start();
    trace("qelImgProcessor");
    if (!information) {
        info("%s", "\nSource Image information is null.");
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    }
    m_imageType = information->type;
    m_pageNumber = 0;
    m_sequentialPage = 0;
    createDecoderForRawData(information, data, length, palette);
    takeSource();
}

qelImgProcessor::qelImgProcessor(int)
{
    start();
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "qelImgProcessor( int iFileDescPar)", "qelImgProcessor");
}

qelImgProcessor::qelImgProcessor(qelImgProcessor*)
{
    start();
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "qelImgProcessor( pmProcessorPar )", "qelImgProcessor");
}

qelImgProcessor::~qelImgProcessor()
{
    delete m_decoder;
    m_decoder = nullptr;
    delete m_encoder;
    m_encoder = nullptr;
}

void qelImgProcessor::takeSource()
{
    try {
        m_pagesLeft = getPageCount();
        qelImgInfo* information = m_decoder->getInfo();
        setParameter(QELIMG_PARAM_X_RESOLUTION, static_cast<int>(information->xResolution));
        setParameter(QELIMG_PARAM_Y_RESOLUTION, static_cast<int>(information->yResolution));
    } catch (...) {
        setDecoder(nullptr);
        throw;
    }
}

void qelImgProcessor::setDecoder(qelImgDecoder* decoder)
{
    if (decoder != m_decoder)
        delete m_decoder;
    m_decoder = decoder;
}

void qelImgProcessor::createDecoderForFile(int type, const char* file)
{
    trace("createDecoderForFile");
    switch (type) {
    case QELIMG_IMAGETYPE_JPEG: setDecoder(new qelImgJPEGDecoder(file)); break;
    case QELIMG_IMAGETYPE_TIFF: setDecoder(new qelImgTIFFDecoder(file)); break;
    case QELIMG_IMAGETYPE_IOCA: setDecoder(new qelImgIOCADecoder(file)); break;
    case QELIMG_IMAGETYPE_DIB: setDecoder(new qelImgDIBDecoder(file)); break;
    case QELIMG_IMAGETYPE_BMP:
    case QELIMG_IMAGETYPE_PNG:
    case QELIMG_IMAGETYPE_PCX:
    case QELIMG_IMAGETYPE_GIF: setDecoder(new qelImgCxDecoder(file, type)); break;
    default: throw new qelImgException(__FILE__, __LINE__, 9, 0, true, "");
    }
}

void qelImgProcessor::createDecoderForBuffer(int type, unsigned char* data, unsigned int length)
{
    trace("createDecoderForBuffer");
    switch (type) {
    case QELIMG_IMAGETYPE_JPEG: setDecoder(new qelImgJPEGDecoder(data, length)); break;
    case QELIMG_IMAGETYPE_TIFF: setDecoder(new qelImgTIFFDecoder(data, length)); break;
    case QELIMG_IMAGETYPE_IOCA: setDecoder(new qelImgIOCADecoder(data, length)); break;
    case QELIMG_IMAGETYPE_DIB: setDecoder(new qelImgDIBDecoder(data, length)); break;
    case QELIMG_IMAGETYPE_BMP:
    case QELIMG_IMAGETYPE_PNG:
    case QELIMG_IMAGETYPE_PCX:
    case QELIMG_IMAGETYPE_GIF: setDecoder(new qelImgCxDecoder(data, length, type)); break;
    default: throw new qelImgException(__FILE__, __LINE__, 9, 0, true, "");
    }
}

void qelImgProcessor::createDecoderForRawData(qelImgInfo* information, unsigned char* data, int length,
                                              unsigned char* palette)
{
    trace("createDecoderForRawData");
    const unsigned int size = length > 0 ? static_cast<unsigned int>(length) : 0;
    switch (information->type) {
    case QELIMG_IMAGETYPE_JPEG: setDecoder(new qelImgJPEGDecoder(information, data, size)); break;
    case QELIMG_IMAGETYPE_TIFF: setDecoder(new qelImgTIFFDecoder(information, data, size, palette)); break;
    case QELIMG_IMAGETYPE_IOCA: setDecoder(new qelImgIOCADecoder(information, data, size)); break;
    case QELIMG_IMAGETYPE_DIB: setDecoder(new qelImgDIBDecoder(information, data, size)); break;
    case QELIMG_IMAGETYPE_BMP:
    case QELIMG_IMAGETYPE_PNG:
    case QELIMG_IMAGETYPE_PCX:
    case QELIMG_IMAGETYPE_GIF: setDecoder(new qelImgCxDecoder(information, data, size)); break;
    case QELIMG_IMAGETYPE_RAW: setDecoder(new qelImgRawDataDecoder(information, data, length, palette)); break;
    default: throw new qelImgException(__FILE__, __LINE__, 9, 0, true, "");
    }
}

void qelImgProcessor::createStreamEncoder(int type, qelImgIOStream* stream)
{
    trace("createStreamEncoder");
    qelImgEncoder* encoder = nullptr;
    switch (type) {
    case QELIMG_ENCODE_JPEG: encoder = new qelImgJPEGEncoder(stream); break;
    case QELIMG_ENCODE_BMP: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_BMP); break;
    case QELIMG_ENCODE_PNG: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_PNG); break;
    case QELIMG_ENCODE_GIF: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_GIF); break;
    case QELIMG_ENCODE_PCX: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_PCX); break;
    case QELIMG_ENCODE_FLATE: encoder = new qelImgFlateEncoder(stream); break;
    case QELIMG_ENCODE_IOCA:
    case QELIMG_ENCODE_IOCA_G3MH:
    case QELIMG_ENCODE_IOCA_G3MR:
    case QELIMG_ENCODE_IOCA_G4:
    case QELIMG_ENCODE_IOCA_JPEG: encoder = new qelImgAFPIOCAEncoder(stream); break;
    case QELIMG_ENCODE_TIFF_UNCOMPRESSED:
    case QELIMG_ENCODE_TIFF_G3_1D:
    case QELIMG_ENCODE_TIFF_G3_2D:
    case QELIMG_ENCODE_TIFF_G4:
    case QELIMG_ENCODE_TIFF_JPEG:
    case QELIMG_ENCODE_TIFF_LZW:
    case QELIMG_ENCODE_TIFF_PACKBITS: encoder = new qelImgTIFFEncoder(stream); break;
    // DIB, CCITT and AFP overlay output need a file or buffer.
    default: throw new qelImgException(__FILE__, __LINE__, 9, 0, true, "");
    }
    delete m_encoder;
    m_encoder = encoder;
}

qelImgDecoder* qelImgProcessor::decoder()
{
    if (!m_decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    return m_decoder;
}

// ------------------------------------------------------------------ pages

void qelImgProcessor::setPageNumber(int page)
{
    trace("setPageNumber");
    if (page == m_pageNumber)
        return;
    qelImgDecoder* d = decoder();
    m_pageNumber = page;
    d->setPageNumber(page);
    info("\t\tPage Number=>%d", page);
}

int qelImgProcessor::getPageCount()
{
    trace("getPageCount");
    const int count = decoder()->pageCount();
    if (qelImgLogger* log = logger())
        log->trace("\t\tPageCount=>%d", count);
    return count;
}

int qelImgProcessor::readFirst()
{
    trace("readFirst");
    if (m_pagesLeft < 1)
        return -1;
    m_pageNumber = 0;
    --m_pagesLeft;
    decoder()->setPageNumber(0);
    info("\t\tPage Number=>%d", m_pageNumber);
    return 0;
}

int qelImgProcessor::readNext()
{
    trace("readNext");
    if (m_pagesLeft < 1)
        return -1;
    ++m_pageNumber;
    --m_pagesLeft;
    decoder()->setPageNumber(m_pageNumber);
    info("\t\tPage Number=>%d", m_pageNumber);
    return 0;
}

bool qelImgProcessor::doesPageExist()
{
    return m_decoder ? m_decoder->doesPageExist(m_sequentialPage) : false;
}

int qelImgProcessor::skipPages(int count)
{
    m_sequentialPage += count;
    return 0;
}

qelImgInfo* qelImgProcessor::getInfo()
{
    trace("getInfo");
    return decoder()->getInfo();
}

qelImgInfo* qelImgProcessor::getPageInfo(int page)
{
    setPageNumber(page);
    return getInfo();
}

qelImgInfo* qelImgProcessor::getCurrentPageInfo()
{
    setPageNumber(m_sequentialPage);
    return getInfo();
}

int qelImgProcessor::getImageContentCount()
{
    return m_decoder ? m_decoder->getImageContentCount() : 0;
}

bool qelImgProcessor::hasNextImageContent()
{
    return m_decoder ? m_decoder->hasNextImageContent() : false;
}

void qelImgProcessor::nextImageContent()
{
    if (m_decoder)
        m_decoder->nextImageContent();
}

// ------------------------------------------------------------------- data

void qelImgProcessor::decode()
{
    trace("decode");
    qelImgDecoder* d = decoder();
    d->decode(m_params);
    qelImgDecodeReport* report = d->getDecodeReport();
    qelImgDIB* dib = d->getDIBBuffer();
    if (!report || report->status != qelImgDecodeReport::PARTIAL || !dib || !dib->header)
        return;
    qelImgDIBHeader* header = dib->header;
    // Only ever cut: the bitmap keeps its block.
    if (report->rowsDecoded >= 0 && report->rowsDecoded < header->biHeight) {
        const int bits = header->biBitCount;
        const int64_t rowBytes =
            static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(header->biWidth, bits)) * bits / 8;
        header->biHeight = report->rowsDecoded;
        header->biSizeImage = static_cast<uint32_t>(rowBytes * report->rowsDecoded);
    }
    if (report->warningText[0])
        info("%s", report->warningText);
}

qelImgDIB* qelImgProcessor::getDIBData()
{
    trace("getDIBData");
    qelImgDecoder* d = decoder();
    if (!d->getDIBBuffer())
        decode();
    return d->getDIBBuffer();
}

long qelImgProcessor::getDIBDataLength()
{
    trace("getDIBDataLength");
    getDIBData();
    const long length = m_decoder->getDIBDataLength();
    if (qelImgLogger* log = logger())
        log->trace("\t\tDIBDataLength=>%ld", length);
    return length;
}

int qelImgProcessor::readNextLine(unsigned char* row)
{
    trace("getDIBDataLength");
    return decoder()->readNextLine(row);
}

void qelImgProcessor::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace("getEncodedData");
    decoder()->getEncodedData(data, length);
    if (qelImgLogger* log = logger())
        log->trace("\t\tReturned Encoded Data Length=>%d", length ? static_cast<int>(*length) : 0);
}

void qelImgProcessor::getEncodedBandData(qelImageStrips* bands)
{
    trace("getEncodedBandData");
    decoder()->getEncodedBandData(bands);
    if (qelImgLogger* log = logger())
        log->trace("\t\tBand Count=>%d", bands ? bands->count : 0);
}

void qelImgProcessor::getEncodedTileData(unsigned char** data, unsigned int* length, int tile)
{
    trace("getEncodedTileData");
    decoder()->getEncodedTileData(tile, data, length);
    if (qelImgLogger* log = logger())
        log->trace("\t\tReturned Encoded Data Length=>%d", length ? static_cast<int>(*length) : 0);
}

int qelImgProcessor::decodeTileImage(int tile)
{
    trace("decodeTileImage");
    return decoder()->decodeTileImage(m_params, tile);
}

qelImgDIB* qelImgProcessor::getDIBDataForTileImage(int tile)
{
    trace("getDIBDataForTileImage");
    qelImgDecoder* d = decoder();
    if (!d->getDIBBufferForTile(tile))
        decodeTileImage(tile);
    return d->getDIBBufferForTile(tile);
}

void qelImgProcessor::getColorTable(unsigned char** palette, int* count)
{
    trace("getColorTable");
    decoder()->getColorTable(palette, count);
    if (qelImgLogger* log = logger())
        log->trace("\t\tColor Table Size=>%d", count ? *count : 0);
}

bool qelImgProcessor::hasMask()
{
    trace("hasMask");
    return decoder()->hasMask();
}

qelImgInfo* qelImgProcessor::getMaskInfo()
{
    trace("getMaskInfo");
    return decoder()->getMaskInfo();
}

void qelImgProcessor::getEncodedMaskData(unsigned char** data, unsigned int* length)
{
    trace("getEncodedMaskData");
    decoder()->getEncodedMaskData(data, length);
    if (qelImgLogger* log = logger())
        log->trace("\t\tReturned Encoded Image Mask Data Length=>%d", length ? static_cast<int>(*length) : 0);
}

qelImgDIB* qelImgProcessor::getMaskDIBData()
{
    trace("getMaskDIBData");
    qelImgDecoder* d = decoder();
    if (!d->getMaskDIBBuffer())
        d->decodeMask(m_params);
    return d->getMaskDIBBuffer();
}

int qelImgProcessor::getWidthFromData()
{
    trace("getWidthFromData");
    const int width = m_decoder ? m_decoder->getWidthFromData() : 0;
    if (qelImgLogger* log = logger())
        log->trace("\tWidthFromData = %d\n", width);
    return width;
}

int qelImgProcessor::getNextEncodedData(unsigned char** data, unsigned int* length)
{
    ++m_sequentialPage;
    getEncodedData(data, length);
    return 0;
}

int qelImgProcessor::getNextEncodedBandData(qelImageStrips** bands)
{
    ++m_sequentialPage;
    auto* record = new (std::nothrow) qelImageStrips();
    if (!record)
        return -1;
    try {
        getEncodedBandData(record);
    } catch (...) {
        delete record;
        throw;
    }
    *bands = record;
    return 0;
}

int qelImgProcessor::getNextDIBData(qelImgDIB** dib)
{
    ++m_sequentialPage;
    *dib = getDIBData();
    return 0;
}

int qelImgProcessor::getEncodedTileDataOfPage(unsigned char** data, unsigned int* length, int tile, int page)
{
    m_sequentialPage = page;
    getEncodedTileData(data, length, tile);
    return 0;
}

int qelImgProcessor::getDIBDataForTileImageOfPage(qelImgDIB** dib, int tile, int page)
{
    m_sequentialPage = page;
    *dib = getDIBDataForTileImage(tile);
    return 0;
}

// ------------------------------------------------------------- parameters

qelImgParamValue& qelImgProcessor::slot(int n)
{
    if (static_cast<unsigned int>(n) >= QELIMG_PARAM_COUNT)
        throw new qelImgException(__FILE__, __LINE__, qelImgException::KIND_WARNING, 13, n, true, n);
    return m_params[n];
}

void qelImgProcessor::setParameter(int n, const char* text)
{
    trace("setParameter(1)");
    qelImgParamValue& p = slot(n);
    if (qelImgLogger* log = logger())
        log->trace("\t\tName=>%s, Value=>%s", qelImgUtils::getParameterName(n), text ? text : "");
    p.setText(text);
}

void qelImgProcessor::setParameter(int n, unsigned char value)
{
    trace("setParameter(2)");
    qelImgParamValue& p = slot(n);
    if (qelImgLogger* log = logger())
        log->trace("\t\tName=>%s, Value=>0x%2X", qelImgUtils::getParameterName(n), value);
    p.setByte(value);
}

void qelImgProcessor::setParameter(int n, int value)
{
    trace("setParameter(3)");
    qelImgParamValue& p = slot(n);
    if (qelImgLogger* log = logger())
        log->trace("\t\tName=>%s, Value=>%d", qelImgUtils::getParameterName(n), value);
    p.setInt(value);
}

void qelImgProcessor::setParameter(int n, float value)
{
    trace("setParameter(4)");
    qelImgParamValue& p = slot(n);
    if (qelImgLogger* log = logger())
        log->trace("\t\tName=>%s, Value=>%f", qelImgUtils::getParameterName(n), static_cast<double>(value));
    p.setFloat(value);
}

void qelImgProcessor::setParameter(int n, long value)
{
    trace("setParameter(5)");
    qelImgParamValue& p = slot(n);
    if (qelImgLogger* log = logger())
        log->trace("\t\tName=>%s, Value=>%ld", qelImgUtils::getParameterName(n), value);
    p.setInt(static_cast<int32_t>(value));
}

unsigned char qelImgProcessor::getParameterByte(int n) { return slot(n).getByte(); }
int qelImgProcessor::getParameterInt(int n) { return slot(n).getInt(); }
const char* qelImgProcessor::getParameterText(int n) { return slot(n).getText(); }
long qelImgProcessor::getParameterLong(int n) { return slot(n).getInt(); }
float qelImgProcessor::getParameterFloat(int n) { return slot(n).getFloat(); }

// ----------------------------------------------------------------- colours

int qelImgProcessor::getUniqueColorsCount(int limit)
{
    trace("getUniqueColorsCount");
    if (limit == -1)
        limit = 0xFFFFFF;
    else if (limit < 1)
        return -3;
    if (!m_decoder)
        return -4;
    if (limit == 1)
        return 1;
    qelImgInfo* information = m_decoder->getInfo();
    if (!information)
        return -5;
    const int rowSize = m_decoder->getScanLineSize();
    const int bits = information->bitsPerPixel;
    int64_t maximum = 0;
    switch (bits) {
    case 1: maximum = 2; break;
    case 4: maximum = 16; break;
    case 8: maximum = 256; break;
    case 24: maximum = rowSize % 3 == 0 ? 0x1000000 : 0; break;
    case 32: maximum = rowSize % 4 == 0 ? INT64_MAX : 0; break;
    default: break;
    }
    if (maximum == 0 || rowSize <= 0)
        return -6;
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[static_cast<size_t>(rowSize)]);
    if (!row)
        return -6;
    // Depths up to 24 bits in a table, 32 bits in a set.
    std::vector<bool> seen(bits <= 24 ? static_cast<size_t>(maximum) : 0);
    std::unordered_set<uint32_t> seen32;
    int64_t count = 0;
    auto add = [&](uint32_t value) {
        if (bits == 32) {
            if (seen32.insert(value).second)
                ++count;
        } else if (!seen[value]) {
            seen[value] = true;
            ++count;
        }
    };
    while (m_decoder->readNextLine(row.get()) > 0) {
        const unsigned char* p = row.get();
        switch (bits) {
        case 1:
            for (int i = 0; i < rowSize; ++i) {
                if (p[i] != 0xFF)
                    add(0);
                if (p[i] != 0x00)
                    add(1);
            }
            break;
        case 4:
            for (int i = 0; i < rowSize; ++i) {
                add(p[i] >> 4);
                add(p[i] & 0x0F);
            }
            break;
        case 8:
            for (int i = 0; i < rowSize; ++i)
                add(p[i]);
            break;
        case 24:
            for (int i = 0; i + 2 < rowSize; i += 3)
                add(static_cast<uint32_t>(p[i]) << 16 | static_cast<uint32_t>(p[i + 1]) << 8 | p[i + 2]);
            break;
        default:
            for (int i = 0; i + 3 < rowSize; i += 4)
                add(static_cast<uint32_t>(p[i]) << 24 | static_cast<uint32_t>(p[i + 1]) << 16 |
                    static_cast<uint32_t>(p[i + 2]) << 8 | p[i + 3]);
            break;
        }
        if (count >= maximum || count >= limit)
            break;
    }
    return static_cast<int>(count);
}

// --- Transforms ---------------------------------------------------------------

namespace
{
void traceTransform(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgProcessor", operation);
}

template <typename T>
std::unique_ptr<T> makeHelper(const char* failure)
{
    std::unique_ptr<T> helper(new (std::nothrow) T());
    if (!helper)
        throw failure;
    return helper;
}
}

qelImgDIB* qelImgProcessor::rotateDIB(qelImgDIB* dib, int angle, int interpolation)
{
    traceTransform("rotateDIB");
    if (!dib)
        return nullptr;
    auto t = makeHelper<qelImgTransformer>(
        "Memory allocation error occured while creating ImageTransformer instance to rotate an image");
    return t->rotate(dib, angle, interpolation);
}

qelImgDIB* qelImgProcessor::rotate(int angle, int interpolation)
{
    traceTransform("rotate");
    qelImgDIB* dib = getDIBData();
    return dib ? rotateDIB(dib, angle, interpolation) : nullptr;
}

int qelImgProcessor::flip(qelImgDIB* dib)
{
    traceTransform("flip");
    if (!dib)
        return -1;
    std::unique_ptr<qelImgTransformer> t(new (std::nothrow) qelImgTransformer());
    if (!t)
        return -2;
    const int result = t->flip(dib, m_params);
    if (qelImgLogger* logger = getLogger())
        logger->trace("\tFlip (%d) returned %d", m_params[QELIMG_PARAM_FLIP_IMAGE].getInt(), result);
    return result;
}

qelImgDIB* qelImgProcessor::crop(qelImgDIB* dib, int x, int y, int width, int height)
{
    traceTransform("crop");
    if (!dib)
        return nullptr;
    auto t = makeHelper<qelImgTransformer>(
        "Memory allocation error occured while creating ImageTransformer instance to crop an image");
    return t->crop(dib, x, y, x + width - 1, y + height - 1);
}

qelImgDIB* qelImgProcessor::resize(const char* name, qelImgDIB* dib, int width, int height, int filter)
{
    traceTransform("resize");
    if (!dib)
        return nullptr;
    auto t = makeHelper<qelImgTransformer>("Unable to allocate memory for Image Transformer");
    qelImgDIB* out = t->resize(name, dib, width, height, filter);
    qelImgLogger* logger = getLogger();
    const char* dir = getTempDirectory();
    if (out && logger && logger->getLevel() == 3 && dir) {
        const std::string path = std::string(dir) + (name ? name : "") + "_resize.dib";
        qelImgDIBUtils::writeDIB(path.c_str(), out);
    }
    return out;
}

qelImgDIB* qelImgProcessor::resize(const char* name, int width, int height)
{
    traceTransform("resize");
    qelImgDIB* dib = getDIBData();
    return dib ? resize(name, dib, width, height, m_params[QELIMG_PARAM_RESIZE_FILTER].getInt()) : nullptr;
}

qelImgDIB* qelImgProcessor::threshold(qelImgDIB* dib, unsigned char level)
{
    traceTransform("threshold");
    if (!dib)
        return nullptr;
    qelImgLogger* logger = getLogger();
    if (logger)
        logger->trace("\tApplying threshold (%d) on image", level);
    qelImgDIB* out = qelImgColorUtils().threshold(dib, level);
    if (logger)
        logger->trace(out ? "\tThreshold applied successfully." : "\tApplying Threshold Failed.");
    return out;
}

qelImgDIB* qelImgProcessor::adaptiveThreshold(qelImgDIB* dib)
{
    traceTransform("adaptiveThreshold");
    if (!dib)
        return nullptr;
    qelImgLogger* logger = getLogger();
    if (logger)
        logger->trace("\tApplying adaptive threshold on image");
    qelImgDIB* out = qelImgColorUtils().adaptiveThreshold(dib);
    if (logger)
        logger->trace(out ? "\tAdaptive Threshold applied successfully." : "\tApplying Adaptive Threshold Failed.");
    return out;
}

void qelImgProcessor::transparentMix(qelImgDIB* dib, qelImgDIB* overlay, int colour)
{
    traceTransform("transparentMix");
    if (!dib || !overlay)
        return;
    auto t = makeHelper<qelImgTransformer>("Memory allocation error occured while creating ImageTransformer "
                                           "instance to do a TransparentMix operation for an image");
    t->transparentMix(dib, overlay, colour);
}

qelImgDIB* qelImgProcessor::convertToGrayscale()
{
    return convertDIBToGrayscale(getDIBData());
}

qelImgDIB* qelImgProcessor::convertDIBToGrayscale(qelImgDIB* dib)
{
    traceTransform("convertDIBToGrayscale");
    if (!dib)
        return nullptr;
    return qelImgGrayscaleConverter(m_params).convert(dib);
}

qelImgDIB* qelImgProcessor::bitDemote(int bitsPerPixel, int ditherMethod)
{
    traceTransform("bitDemote");
    if (bitsPerPixel != 1 && bitsPerPixel != 24)
        return nullptr;
    qelImgDIB* dib = getDIBData();
    qelImgInfo* info = getInfo();
    if (!dib || !info)
        return nullptr;
    const int bits = dib->header->biBitCount;
    if (bits == 1 && dib->palette) {
        // The decoded bitmap gets the source's own table back.
        unsigned char* palette = nullptr;
        int count = 0;
        getColorTable(&palette, &count);
        if (palette && count > 0)
            std::memcpy(dib->palette, palette, 4 * static_cast<size_t>(count < 2 ? count : 2));
    }
    if (bitsPerPixel == 1 && (bits == 1 || bits == 4 || bits == 8 || bits == 24)) {
        std::unique_ptr<qelImgDIB> grey;
        qelImgDIB* input = dib;
        if (m_params[QELIMG_PARAM_SKIP_GRAYSCALING].getInt() != 1) {
            grey.reset(convertDIBToGrayscale(dib));
            input = grey.get();
        }
        m_params[QELIMG_PARAM_DITHER_METHOD].setInt(ditherMethod);
        qelImg1BPPConverter converter;
        converter.setParameters(m_params);
        qelImgDIB* out = converter.convert(input, m_params);
        converter.finalize();
        return out;
    }
    if (bitsPerPixel == 24 && bits == 48) {
        qelImg24BPPConverter converter;
        converter.setParameters(m_params);
        qelImgDIB* out = converter.convert(dib, m_params);
        converter.finalize();
        return out;
    }
    return nullptr;
}

// =============================================================== encoding

namespace
{
void traceEncode(const char* operation)
{
    if (qelImgLogger* log = qelImgProcessor::getLogger())
        log->trace("\t%s::%s", "qelImgProcessor", operation);
}

void traceLine(const char* format, const char* a, const char* b = nullptr)
    __attribute__((format(printf, 1, 0)));
void traceLine(const char* format, const char* a, const char* b)
{
    if (qelImgLogger* log = qelImgProcessor::getLogger()) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
        if (b)
            log->trace(format, a, b);
        else
            log->trace(format, a);
#pragma GCC diagnostic pop
    }
}

// Best-match entries are read and written as plain ints: the search marks
// repeated ones with 32, which is no encode type.
static_assert(sizeof(QELIMG_ENCODETYPE) == sizeof(int), "encode types are ints");

int entryOf(const QELIMG_ENCODETYPE* types, int i)
{
    int v;
    std::memcpy(&v, types + i, sizeof v);
    return v;
}

void markRepeated(QELIMG_ENCODETYPE* types, int i)
{
    const int v = 32;
    std::memcpy(types + i, &v, sizeof v);
}

// A new[] copy of what the stream holds; null and 0 when it is empty.
void takeBuffer(qelImgIOStream& stream, unsigned char** data, unsigned int* length)
{
    char* bytes = nullptr;
    unsigned int size = 0;
    stream.getBuffer(&bytes, &size, false);
    *data = reinterpret_cast<unsigned char*>(bytes);
    *length = bytes ? size : 0;
}

struct Candidate
{
    std::unique_ptr<unsigned char[]> data;
    unsigned int length = 0;
    std::unique_ptr<qelImgInfo> info;
};
}

void qelImgProcessor::initializeEncoder(qelImgInfo* information)
{
    if (m_encoder)
        m_encoder->initialize(m_params, information);
}

void qelImgProcessor::setEncoderParameters(qelImgInfo* information)
{
    if (m_encoder)
        m_encoder->setParameters(m_params, information);
}

void qelImgProcessor::notifyEncoder()
{
    if (m_encoder)
        m_encoder->hook();
}

void qelImgProcessor::finalizeEncoder()
{
    if (m_encoder)
        m_encoder->finalize();
}

void qelImgProcessor::encode(qelImgDecoder* source)
{
    traceEncode("encode( qelImgDecoder* )");
    if (m_encoder && source)
        m_encoder->encode(source);
}

void qelImgProcessor::encode(qelImgDIB* dib)
{
    traceEncode("encode( qelImgDIB* )");
    if (!m_encoder)
        return;
    std::unique_ptr<qelImgDIB> pre(doPreprocess(dib, m_encoder->getEncodeType()));
    m_encoder->encode(pre ? pre.get() : dib);
}

void qelImgProcessor::encode(unsigned char* dibData)
{
    traceEncode("encode( qelByte* )");
    if (!dibData)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    qelImgDIBHeader header;
    std::memcpy(&header, dibData, sizeof header);
    if (header.biSize < sizeof header)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    const size_t table = 4 * static_cast<size_t>(qelImgDIBUtils::getColorCount(header.biBitCount));
    const size_t size = static_cast<size_t>(header.biSize) + table + header.biSizeImage;
    auto* block = new (std::nothrow) unsigned char[size];
    if (!block)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    std::memcpy(block, dibData, size);
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::attachDIB(block));
    encode(dib.get());
}

bool qelImgProcessor::isEncodingCompatible(int type, int bitsPerPixel)
{
    auto in = [type](std::initializer_list<int> ranges) {
        for (auto it = ranges.begin(); it != ranges.end(); it += 2)
            if (type >= *it && type <= *(it + 1))
                return true;
        return false;
    };
    switch (bitsPerPixel) {
    case 1: return in({0, 4, 6, 7, 9, 16, 21, 24, 26, 26, 30, 30});
    case 4: return in({0, 4, 6, 7, 9, 10, 13, 16, 21, 24, 26, 26, 30, 30});
    case 8:
    case 24:
    case 32: return in({0, 10, 13, 26, 30, 30});
    default: return false;
    }
}

int qelImgProcessor::getEncodeCompression(int type)
{
    switch (type) {
    case 0:
    case 10:
    case 15: return QELIMG_COMP_NONE;
    case 1: return 20;
    case 2:
    case 11:
    case 22: return QELIMG_COMP_G3_1D;
    case 3:
    case 23: return QELIMG_COMP_G3_2D;
    case 4:
    case 12:
    case 24: return QELIMG_COMP_G4;
    case 5:
    case 8:
    case 25: return QELIMG_COMP_JPEG;
    case 6:
    case 21: return QELIMG_COMP_LZW;
    case 7: return QELIMG_COMP_PACKBITS;
    case 9: return QELIMG_COMP_BMP;
    case 14: return QELIMG_COMP_IBM_MMR;
    case 16: return QELIMG_COMP_IOCA_RL4;
    case 17: return QELIMG_COMP_IOCA_ABIC;
    case 18: return QELIMG_COMP_IOCA_ABIC_CONCAT;
    case 19: return QELIMG_COMP_IOCA_OS2_COLOR;
    case 27: return QELIMG_COMP_PNG;
    case 28: return QELIMG_COMP_GIF;
    case 29: return QELIMG_COMP_PCX;
    case 30: return 29;
    default: return QELIMG_COMP_UNKNOWN;
    }
}

void qelImgProcessor::applyEncodeTypeParameters(int type)
{
    trace("applyEncodeTypeParameters");
    qelImgInfo* information = decoder()->getInfo();
    if (type != QELIMG_ENCODE_JPEG && type != QELIMG_ENCODE_IOCA && type != QELIMG_ENCODE_IOCA_JPEG)
        return;
    const int space = m_params[QELIMG_PARAM_COLOR_SPACE].getInt();
    if ((space == 0 || space == 1 || space == 3) &&
        (information->bitsPerPixel == 4 || information->bitsPerPixel == 8) && information->photometric == 3)
        setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 1);
}

qelImgDIB* qelImgProcessor::doPreprocess(qelImgDIB* dib, int type)
{
    trace("doPreprocess");
    if (!dib || !dib->header)
        return nullptr;
    if (m_params[QELIMG_PARAM_FLIP_IMAGE].getByte() != 0 && flip(dib) < 0)
        return nullptr;
    if (m_params[QELIMG_PARAM_COLOR_SPACE].getInt() != 0)
        return nullptr;
    const int bits = dib->header->biBitCount;
    bool grey = false;
    switch (type) {
    case 0:
    case 2:
    case 4:
    case 5:
    case 6:
    case 7:
    case 27: grey = bits == 1 || bits == 4 || bits == 8 || bits == 24; break;
    case 8: grey = bits == 1 || bits == 4 || bits == 8; break;
    case 30: grey = bits == 4 || bits == 8 || bits == 24; break;
    default: break;
    }
    return grey ? convertDIBToGrayscale(dib) : nullptr;
}

void qelImgProcessor::encodeInto(qelImgIOStream* stream, qelImgDIB* dib, int type, qelImgInfo** information)
{
    if (!dib || !dib->header)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    std::unique_ptr<qelImgDIB> pre(doPreprocess(dib, type));
    qelImgDIB* input = pre ? pre.get() : dib;
    std::unique_ptr<qelImgEncoder> encoder(qelImgUtils::createEncoder(type, stream));
    std::unique_ptr<qelImgInfo> encodeInfo(qelImgUtils::createInfoFromDIBHeader(input->header));
    encoder->initialize(m_params, encodeInfo.get());
    encoder->encode(input);
    encoder->finalize();
    if (information) {
        qelImgInfo* result = qelImgUtils::createInfoFromDIBHeader(input->header);
        const int compression = getEncodeCompression(type);
        if (compression != QELIMG_COMP_UNKNOWN)
            result->compression = compression;
        *information = result;
    }
}

void qelImgProcessor::encodePage(qelImgIOStream* stream, int type, qelImgInfo** information, bool* passedThrough)
{
    *passedThrough = false;
    if (chkAndProcessPassThrough(type, stream) == 1 ||
        (type == QELIMG_ENCODE_IOCA && chkAndProcessCCITTIOCA(type, stream) == 1)) {
        *passedThrough = true;
        return;
    }
    applyEncodeTypeParameters(type);
    qelImgDecoder* d = decoder();
    if (!d->getDIBBuffer())
        decode();
    encodeInto(stream, d->getDIBBuffer(), type, information);
}

void qelImgProcessor::encode(const char* file, QELIMG_ENCODETYPE type)
{
    traceEncode("encode( char*, QELIMG_ENCODETYPE )");
    if (!file || !*file)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    traceLine("\t\tEncode FileName =>%s, Type=>%s", file, qelImgUtils::getEncodeTypeName(type));
    decoder();
    if (type == QELIMG_ENCODE_AFP_OLY) {
        chkAndProcessAFPOly(type, file);
        return;
    }
    qelImgFileIOStream stream(file, 2);
    bool passed = false;
    encodePage(&stream, type, nullptr, &passed);
}

void qelImgProcessor::encode(unsigned char** data, unsigned int* length, QELIMG_ENCODETYPE type)
{
    traceEncode("encode( qelByte**, unsigned long*, QELIMG_ENCODETYPE )");
    traceLine("\t\tEncode in buffer, Type=>%s", qelImgUtils::getEncodeTypeName(type));
    decoder();
    qelImgBufferIOStream stream("encode", 2);
    bool passed = false;
    encodePage(&stream, type, nullptr, &passed);
    takeBuffer(stream, data, length);
}

void qelImgProcessor::encode(unsigned char** data, unsigned int* length, qelImgInfo** information,
                             QELIMG_ENCODETYPE type)
{
    traceEncode("encode( qelByte**, unsigned long*, qelImgIngo**, QELIMG_ENCODETYPE )");
    traceLine("\t\tEncode in buffer, Type=>%s", qelImgUtils::getEncodeTypeName(type));
    decoder();
    qelImgBufferIOStream stream("encode", 2);
    bool passed = false;
    qelImgInfo* result = nullptr;
    encodePage(&stream, type, &result, &passed);
    std::unique_ptr<qelImgInfo> owned(result);
    takeBuffer(stream, data, length);
    if (!passed && information)
        *information = owned.release();
}

void qelImgProcessor::encode(const char* file, qelImgDIB* dib, QELIMG_ENCODETYPE type)
{
    traceEncode("encode( char*, qelImgDIB*, QELIMG_ENCODETYPE )");
    if (!file || !*file)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    traceLine("\t\tEncode passed DIB image. FileName =>%s, Type=>%s", file, qelImgUtils::getEncodeTypeName(type));
    qelImgFileIOStream stream(file, 2);
    encodeInto(&stream, dib, type, nullptr);
}

void qelImgProcessor::encode(unsigned char** data, unsigned int* length, qelImgDIB* dib, QELIMG_ENCODETYPE type)
{
    traceEncode("encode( qelByte**, unsigned long*, qelImgDIB*, QELIMG_ENCODETYPE )");
    traceLine("Encode passed DIB image in buffer, Type=>%s", qelImgUtils::getEncodeTypeName(type));
    qelImgBufferIOStream stream("encode", 2);
    encodeInto(&stream, dib, type, nullptr);
    takeBuffer(stream, data, length);
}

void qelImgProcessor::chkAndProcessAFPOly(int type, const char* file)
{
    trace("chkAndProcessAFPOly");
    qelImgInfo* information = decoder()->getInfo();
    if (information->type != QELIMG_IMAGETYPE_TIFF && information->type != QELIMG_IMAGETYPE_JPEG)
        throw new qelImgException(__FILE__, __LINE__, 9, 0, true, qelImgUtils::getImageTypeName(information->type));
    const int c = information->compression;
    if (c != QELIMG_COMP_G3_1D && c != QELIMG_COMP_G3_2D && c != QELIMG_COMP_G4 && c != QELIMG_COMP_JPEG)
        throw new qelImgException(__FILE__, __LINE__, 22, 0, true, qelImgUtils::getCompressionName(c), "AFP Output");
    qelImgFileIOStream stream(file, 2);
    std::unique_ptr<qelImgEncoder> encoder(qelImgUtils::createEncoder(type, &stream));
    encoder->initialize(m_params, information);
    encoder->encode(m_decoder);
    encoder->finalize();
}

int qelImgProcessor::chkAndProcessPassThrough(int type, qelImgIOStream* stream)
{
    trace("chkAndProcessPassThrough");
    qelImgDecoder* d = decoder();
    if (d->getDecoderKind() != qelImgDecoder::KIND_IOCA)
        return 0;
    switch (type) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 9:
    case 27:
    case 28:
    case 29: return 0;
    default: break;
    }
    qelImgInfo* information = d->getInfo();
    const int bits = information->bitsPerPixel, bands = information->bandCount, c = information->compression;
    if (bits == 32 && bands == 4 && (c == QELIMG_COMP_NONE || c == QELIMG_COMP_JPEG || c == QELIMG_COMP_LZW))
        return chkAndProcessCMYKIOCA(type, stream);
    if (bits == 4 && bands == 4 && (c == QELIMG_COMP_NONE || c == QELIMG_COMP_G4 || c == QELIMG_COMP_IBM_MMR))
        return chkAndProcessCMYKIOCA(type, stream);
    if (bits == 24 && c == QELIMG_COMP_JPEG && bands == 3)
        return chkAndProcessRGBIOCA(type, stream);
    return 0;
}

int qelImgProcessor::chkAndProcessCMYKIOCA(int type, qelImgIOStream* stream)
{
    trace("chkAndProcessCMYKIOCA");
    qelImgDecoder* d = decoder();
    if (d->getDecoderKind() != qelImgDecoder::KIND_IOCA)
        return 0;
    qelImageStrips bands;
    d->getEncodedBandData(&bands);
    unsigned char* p[4] = {};
    unsigned int n[4] = {};
    for (int i = 0; i < 4 && i < bands.count; ++i) {
        p[i] = bands.data[i];
        n[i] = bands.lengths[i] > 0 ? static_cast<unsigned int>(bands.lengths[i]) : 0;
    }
    qelImgIOCACMYKHandler handler(stream);
    handler.setSource(d->getInfo(), p[0], n[0], p[1], n[1], p[2], n[2], p[3], n[3]);
    handler.convert(type, m_params);
    return 1;
}

int qelImgProcessor::chkAndProcessRGBIOCA(int type, qelImgIOStream* stream)
{
    trace("chkAndProcessRGBIOCA");
    qelImgDecoder* d = decoder();
    if (d->getDecoderKind() != qelImgDecoder::KIND_IOCA)
        return 0;
    qelImgInfo* information = d->getInfo();
    if (information->compression != QELIMG_COMP_JPEG || information->bitsPerPixel != 24 ||
        information->bandCount != 3)
        return 0;
    qelImageStrips bands;
    d->getEncodedBandData(&bands);
    unsigned char* p[3] = {};
    unsigned int n[3] = {};
    for (int i = 0; i < 3 && i < bands.count; ++i) {
        p[i] = bands.data[i];
        n[i] = bands.lengths[i] > 0 ? static_cast<unsigned int>(bands.lengths[i]) : 0;
    }
    qelImgIOCARGBHandler handler(stream);
    handler.setSource(information, p[0], n[0], p[1], n[1], p[2], n[2]);
    handler.convert(type, m_params);
    return 1;
}

int qelImgProcessor::chkAndProcessCCITTIOCA(int type, qelImgIOStream* stream)
{
    trace("chkAndProcessCCITTIOCA");
    if (!m_decoder)
        return 0;
    qelImgInfo* information = m_decoder->getInfo();
    if (!information)
        return 0;
    const int c = information->compression;
    const bool ccitt = (c == QELIMG_COMP_G3_1D || c == QELIMG_COMP_G3_2D || c == QELIMG_COMP_G4) &&
                       information->photometric == 0;
    if (!ccitt || (information->width % 8 != 0 && m_params[QELIMG_PARAM_BYTE_ALIGN].getInt() != 0))
        return 0;
    std::unique_ptr<qelImgEncoder> encoder(qelImgUtils::createEncoder(type, stream));
    encoder->initialize(m_params, information);
    encoder->encode(m_decoder);
    encoder->finalize();
    return 1;
}

void qelImgProcessor::encode(unsigned char** data, unsigned int* length, QELIMG_ENCODETYPE types[], int count,
                             QELIMG_ENCODETYPE* chosen, QELIMG_BEST_COMP_ALG_FACTOR, qelImgInfo** information)
{
    traceEncode("encode( qelByte**, unsigned long*, QELIMG_ENCODETYPE[], int, QELIMG_ENCODETYPE*, "
                "QELIMG_BEST_COMP_ALG_FACTOR, qelImgInfo** )");
    if (!m_decoder)
        return;
    if (count < 1 || !types) {
        info("Warning! Empty best match algorithm search list, returning input AS IS");
        return;
    }
    *length = 0;
    *data = nullptr;
    if (information)
        *information = nullptr;
    std::unique_ptr<qelImgInfo> held;
    if (qelImgDIB* dib = getDIBData())
        held.reset(qelImgUtils::createInfoFromDIBHeader(dib->header));
    qelImgInfo* source = m_decoder->getInfo();
    const int sourceBits = source->bitsPerPixel, sourceCompression = source->compression;
    const bool tile = source->type == QELIMG_IMAGETYPE_IOCA && source->tileX != -1 && source->tileY != -1;
    int target;
    switch (m_params[QELIMG_PARAM_COLOR_SPACE].getInt()) {
    case 0: target = 8; break;
    case 1:
    case 3:
    case 4: target = 24; break;
    case 2: target = 32; break;
    default: target = 1; break;
    }
    bool seen[32] = {};
    Candidate best;
    bool haveBest = false;
    int bestType = -1;
    for (int i = 0; i < count; ++i) {
        const int type = entryOf(types, i);
        // Entries outside the table, a repeat marked by an earlier search
        // among them, are no encode type.
        if (type < 0 || type > 31) {
            info("Warning! Encoding %s is not compatible for image bits per pixel %d, Ignoring from best match "
                 "algorithm ..",
                 qelImgUtils::getEncodeTypeName(type), sourceBits);
            continue;
        }
        if (seen[type]) {
            markRepeated(types, i);
            continue;
        }
        seen[type] = true;
        if (!isEncodingCompatible(type, sourceBits)) {
            info("Warning! Encoding %s is not compatible for image bits per pixel %d, Ignoring from best match "
                 "algorithm ..",
                 qelImgUtils::getEncodeTypeName(type), sourceBits);
            continue;
        }
        Candidate c;
        if (getEncodeCompression(type) == sourceCompression && !tile && target == sourceBits) {
            info("Warning! Encoding %s is same as input image, Ignoring from best match algorithm ..",
                 qelImgUtils::getEncodeTypeName(type));
            unsigned char* bytes = nullptr;
            unsigned int size = 0;
            getEncodedData(&bytes, &size);
            c.data.reset(bytes);
            c.length = bytes ? size : 0;
            if (held)
                c.info.reset(new qelImgInfo(*held));
        } else {
            unsigned char* bytes = nullptr;
            unsigned int size = 0;
            qelImgInfo* result = nullptr;
            encode(&bytes, &size, &result, static_cast<QELIMG_ENCODETYPE>(type));
            c.data.reset(bytes);
            c.length = bytes ? size : 0;
            c.info.reset(result);
            if (type == QELIMG_ENCODE_TIFF_LZW && c.data && c.length > 0) {
                std::unique_ptr<qelImgProcessor> written(new (std::nothrow) qelImgProcessor(c.data.get(), c.length));
                if (!written) {
                    if (qelImgLogger* log = logger())
                        log->trace("%s: Memory allocation failure", "qelImgProcessor::encode()");
                    throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
                }
                unsigned char* stored = nullptr;
                unsigned int storedLength = 0;
                written->getEncodedData(&stored, &storedLength);
                written.reset();
                c.data.reset(stored);
                c.length = stored ? storedLength : 0;
            }
        }
        info("BMA: Encode=%s Size=%ld", qelImgUtils::getEncodeTypeName(type), static_cast<long>(c.length));
        // An empty candidate is no encoding.
        if (!c.data || c.length == 0)
            continue;
        if (!haveBest || c.length < best.length) {
            best = std::move(c);
            haveBest = true;
            bestType = type;
            if (chosen)
                *chosen = static_cast<QELIMG_ENCODETYPE>(type);
        }
    }
    if (haveBest) {
        *length = best.length;
        *data = best.data.release();
        if (information)
            *information = best.info.release();
    }
    info("BMA: Optimized Encode: %s Size=%ld", haveBest ? qelImgUtils::getEncodeTypeName(bestType) : "none",
         static_cast<long>(*length));
}
