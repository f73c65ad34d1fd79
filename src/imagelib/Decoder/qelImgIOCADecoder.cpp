#include "qelImgIOCADecoder.h"

#include "qelImageStrips.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecodeReport.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgIOCACMYKHandler.h"
#include "qelImgIOCARGBHandler.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <tiffio.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace
{
const char* const kClass = "qelImgIOCADecoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

bool traceLevel3()
{
    qelImgLogger* log = logger();
    return log && log->getLevel() == 3;
}

// The IOCA library's TIFF handlers around one of its calls: what the call
// left pending is dropped, its result decides.
struct TIFFHandlerScope
{
    TIFFHandlerScope() { qelImgErrorHandler::installTIFFHandlers(); }
    ~TIFFHandlerScope()
    {
        qelImgErrorHandler::restoreTIFFHandlers();
        qelImgErrorHandler::setPendingError(nullptr);
    }
    TIFFHandlerScope(const TIFFHandlerScope&) = delete;
    TIFFHandlerScope& operator=(const TIFFHandlerScope&) = delete;
};

int toCompression(int ioca)
{
    switch (ioca) {
    case 1: return QELIMG_COMP_IBM_MMR;
    case 3: return QELIMG_COMP_NONE;
    case 6: return QELIMG_COMP_IOCA_RL4;
    case 8: return QELIMG_COMP_IOCA_ABIC;
    case 10: return QELIMG_COMP_IOCA_ABIC_CONCAT;
    case 11: return QELIMG_COMP_IOCA_OS2_COLOR;
    case 13: return QELIMG_COMP_LZW;
    case 128: return QELIMG_COMP_G3_1D;
    case 129: return QELIMG_COMP_G3_2D;
    case 130: return QELIMG_COMP_G4;
    case 131: return QELIMG_COMP_JPEG;
    default: return 19;
    }
}

const char* recordingName(int id)
{
    switch (id) {
    case 1: return "RIDIC";
    case 3: return "Bottom-To-Top";
    case 4: return "UnPadded RIDIC";
    case 254: return "External Algorithm";
    default: return "Reserved Value";
    }
}

const char* unitBaseName(int unit)
{
    return unit == 0 ? "10 Inches" : unit == 1 ? "10 Centimeters" : "Logical";
}

// Palette of the library's bilevel bitmaps: white for 0, black for 1.
void setWhiteZero(qelImgDIB* dib)
{
    if (dib && dib->palette) {
        std::memset(dib->palette, 0xFF, 4);
        std::memset(dib->palette + 4, 0x00, 4);
    }
}

// A copy of the IOCA library's bitmap (header, two entries, rows); the
// header's image size is trusted only as far as the rows it describes.
qelImgDIB* copyLibraryImage(const IOCADecodedImage* image)
{
    qelImgDIBHeader header;
    std::memcpy(&header, image->header, sizeof header);
    const int64_t width = header.biWidth < 0 ? 0 : header.biWidth;
    const int64_t height = header.biHeight < 0 ? 0 : header.biHeight;
    const int64_t size = (width + 7) / 8 * height;
    header.biBitCount = 1;
    header.biSizeImage = static_cast<uint32_t>(size);
    const size_t total = sizeof header + 8 + static_cast<size_t>(size);
    auto* block = new (std::nothrow) unsigned char[total];
    if (!block)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    std::memcpy(block, &header, sizeof header);
    std::memcpy(block + sizeof header, image->header + sizeof header, 8 + static_cast<size_t>(size));
    return qelImgDIBUtils::attachDIB(block);
}

void freeLibraryImage(IOCADecodedImage* image)
{
    if (image) {
        std::free(image->block);
        std::free(image);
    }
}

// The bytes of a memory stream as a bitmap; null when there are none.
qelImgDIB* bitmapOfStream(qelImgBufferIOStream& stream)
{
    char* data = nullptr;
    unsigned int size = 0;
    stream.getBuffer(&data, &size, false);
    if (!data)
        return nullptr;
    if (size < sizeof(qelImgDIBHeader)) {
        delete[] data;
        return nullptr;
    }
    return qelImgDIBUtils::attachDIB(reinterpret_cast<unsigned char*>(data));
}

std::string baseName(const char* path)
{
    if (!path || !*path)
        return "noname";
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

void writeBytes(const std::string& path, const unsigned char* data, size_t length)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, length, f);
        std::fclose(f);
    }
}
}

// ============================================================ construction

qelImgIOCADecoder::qelImgIOCADecoder(const char* fileName) : qelImgDecoder(fileName)
{
    trace(kClass, "qelImgIOCADecoder");
    if (!fileName || !*fileName)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    setSourceKind(SOURCE_FILE);
    if (qelImgUtils::readFile(fileName, &m_fileBuffer, &m_fileLength) != 1) {
        m_fileBuffer = nullptr;
        m_fileLength = 0;
    }
    try {
        open(m_fileBuffer, m_fileLength);
    } catch (...) {
        if (m_handle)
            oioca_finalize(&m_handle);
        delete[] m_fileBuffer;
        m_fileBuffer = nullptr;
        throw;
    }
}

qelImgIOCADecoder::qelImgIOCADecoder(const unsigned char* data, unsigned int length)
{
    trace(kClass, "qelImgIOCADecoder");
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    setSourceKind(SOURCE_MEMORY);
    try {
        open(data, length);
    } catch (...) {
        if (m_handle)
            oioca_finalize(&m_handle);
        throw;
    }
}

qelImgIOCADecoder::qelImgIOCADecoder(qelImgInfo*, const unsigned char*, unsigned int)
{
    trace(kClass, "qelImgIOCADecoder");
    setSourceKind(SOURCE_MEMORY);
}

qelImgIOCADecoder::~qelImgIOCADecoder()
{
    trace(kClass, "~qelImgIOCADecoder");
    delete[] m_fileBuffer;
    m_fileBuffer = nullptr;
    if (m_handle)
        oioca_finalize(&m_handle);
    m_tile = nullptr;
    m_properties = nullptr;
    m_maskProperties = nullptr;
    m_content = nullptr;
}

void qelImgIOCADecoder::open(const unsigned char* data, unsigned int length)
{
    const int rc = oioca_initialize(data, length, traceLevel3() ? 1 : 0, &m_handle);
    printLibraryTrace();
    if (!m_handle)
        throw new qelImgException(__FILE__, __LINE__, 14, 0, true);
    if (rc != 0)
        failLibrary(rc);
    m_pageNumber = 0;
    readHeader();
}

void qelImgIOCADecoder::initialize() { trace(kClass, "initialize"); }

void qelImgIOCADecoder::finalize() { trace(kClass, "finalize"); }

void qelImgIOCADecoder::setPageNumber(int)
{
    trace(kClass, "setPageNumber");
    m_pageNumber = 0;
}

// ================================================================== library

void qelImgIOCADecoder::failLibrary(int rc, const char* text)
{
    printLibraryTrace();
    if (m_handle)
        oioca_finalize(&m_handle);
    m_tile = nullptr;
    m_properties = nullptr;
    m_maskProperties = nullptr;
    m_content = nullptr;
    throw new qelImgException(__FILE__, __LINE__, 15, rc, true, rc, text ? text : oioca_getErrorMessage(rc));
}

void qelImgIOCADecoder::checkLibrary(int rc)
{
    printLibraryTrace();
    if (rc != 0)
        failLibrary(rc);
}

void qelImgIOCADecoder::printLibraryTrace()
{
    qelImgLogger* log = logger();
    if (!log || log->getLevel() != 3 || !m_handle || !m_handle->trace)
        return;
    log->trace("\tqelIOCALib Trace");
    log->trace("\t================");
    for (IOCATraceLine* line = m_handle->trace->head; line; line = line->next)
        log->trace("\t%s", line->text ? line->text : "");
    // Each entry once: the printed lines are dropped.
    IOCATraceLine* line = m_handle->trace->head;
    while (line) {
        IOCATraceLine* next = line->next;
        std::free(line->text);
        std::free(line);
        line = next;
    }
    m_handle->trace->head = m_handle->trace->tail = nullptr;
}

// =================================================================== header

void qelImgIOCADecoder::readHeader()
{
    trace(kClass, "readHeader");
    if (!m_handle)
        throw new qelImgException(__FILE__, __LINE__, 15, -15, true, -15, oioca_getErrorMessage(-15));
    if (!m_headerRead) {
        m_headerRead = true;
        checkLibrary(oioca_readHeader(m_handle));
        int count = 0;
        checkLibrary(oioca_getImageContentCount(m_handle, &count));
        if (count > 1) {
            if (qelImgLogger* log = logger())
                log->info("Warning! IOCA with Multiple Image Contents not yet supported\n");
            return;
        }
        checkLibrary(oioca_getFirstImageContent(m_handle, &m_content));
        if (!m_content)
            failLibrary(0, "Image Content Object is null");
        setImageContentCount(m_content->tileCount);
        checkLibrary(oioca_getFirstTile(m_handle, &m_tile));
    } else {
        if (!m_content || m_contentCounter >= m_content->tileCount) {
            if (qelImgLogger* log = logger())
                log->info("Warning! Trying to read more IOCA tiles than given in input file \n");
            return;
        }
        checkLibrary(oioca_getNextTile(m_handle, &m_tile));
    }
    readTile();
}

void qelImgIOCADecoder::readTile()
{
    m_properties = nullptr;
    m_maskProperties = nullptr;
    checkLibrary(oioca_getTileProperties(m_handle, m_tile, &m_properties));
    if (!m_properties)
        failLibrary(-16);
    delete m_info;
    m_info = nullptr;
    delete m_maskInfo;
    m_maskInfo = nullptr;
    auto info = std::make_unique<qelImgInfo>();
    fillInfo(info.get(), m_properties);
    m_info = info.release();
    if (qelImgProcessor::isWidthFromData()) {
        const int width = getWidthFromData();
        if (width > 0)
            m_info->width = width;
    }
    m_info->bandCount = static_cast<int32_t>(m_tile->bandCount);
    if (m_content && m_content->tileTOC) {
        m_info->tileX = m_properties->horizontalOffset;
        m_info->tileY = m_properties->verticalOffset;
    } else {
        m_info->tileX = -1;
        m_info->tileY = -1;
    }
    checkLibrary(oioca_getTileTMImageProperties(m_handle, m_tile, &m_maskProperties));
    if (m_maskProperties) {
        auto mask = std::make_unique<qelImgInfo>();
        fillInfo(mask.get(), m_maskProperties);
        mask->tileX = -1;
        mask->tileY = -1;
        mask->bandCount = static_cast<int32_t>(m_tile->maskBandCount);
        m_maskInfo = mask.release();
    }
    if (m_info->compression == QELIMG_COMP_G3_1D || m_info->compression == QELIMG_COMP_G3_2D) {
        m_info->dataPadded = isDataPadded() ? 1 : 0;
        if (qelImgLogger* log = logger())
            log->info("\t\tDataPadded=>%s", m_info->dataPadded ? "yes" : "no");
    }
    printInfoBlock();
}

void qelImgIOCADecoder::fillInfo(qelImgInfo* info, const IOCAImageProperties* p)
{
    info->type = QELIMG_IMAGETYPE_IOCA;
    info->bitsPerPixel = p->ideSize;
    info->bitsPerSample = p->bitsPerComponent[0];
    info->samplesPerPixel = p->bandCount;
    info->compression = toCompression(p->compression);
    info->height = p->height;
    info->width = p->width;
    if (p->unitBase == 0) {
        info->xResolution = p->xResolution / 10;
        info->yResolution = p->yResolution / 10;
    } else if (p->unitBase == 1) {
        info->xResolution = static_cast<int32_t>(p->xResolution / 10.0 / 0.39370078);
        info->yResolution = static_cast<int32_t>(p->yResolution / 10.0 / 0.39370078);
    } else {
        throw new qelImgException(__FILE__, __LINE__, 37, 0, true);
    }
    info->fillOrder = p->bitOrder == 1 ? 2 : 1;
    info->photometric = 0;
    info->relativeResolution = p->relativeResolution;
}

void qelImgIOCADecoder::printInfoBlock()
{
    qelImgLogger* log = logger();
    if (!log || !m_handle || !m_tile || !m_properties || !m_info)
        return;
    const IOCAImageProperties* p = m_properties;
    log->info("\t\tImage Information:");
    log->info("\t\t=================");
    log->info("\t\tType=>%s", qelImgUtils::getImageTypeName(QELIMG_IMAGETYPE_IOCA));
    log->info("\t\tUnitbase=>%s", unitBaseName(p->unitBase));
    log->info("\t\tPixels per unitbase in X Axis=>0x%X (%d)", p->xResolution, p->xResolution);
    log->info("\t\tPixels per unitbase in Y Axis=>0x%X (%d)", p->yResolution, p->yResolution);
    log->info("\t\tWidth=>0x%X (%d)", static_cast<unsigned>(p->width), p->width);
    log->info("\t\tActual Width=>0x%X (%d)", static_cast<unsigned>(m_info->width), m_info->width);
    log->info("\t\tHeight=>0x%X (%d)", static_cast<unsigned>(p->height), p->height);
    log->info("\t\tCompression=>0x%X (%s)", p->compression, oioca_getCompressionName(p->compression));
    log->info("\t\tRecordingId=>0x%X (%s)", p->recordingAlgorithm, recordingName(p->recordingAlgorithm));
    log->info("\t\tFillOrder=>0x%X (%s)", p->bitOrder, p->bitOrder == 1 ? "Right-to-Left" : "Left-to-Right");
    if (p->imageColor != 0)
        log->info("\t\tImage color=>0x%X", static_cast<unsigned>(p->imageColor));
    log->info("\t\tNumber of Bands=>%d", static_cast<int>(m_tile->bandCount));
    if (m_tile->bandCount <= 1) {
        log->info("\t\tBitsPerPixel=>%d", p->ideSize);
        log->info("\t\tImage Data Length=>%d",
                  m_tile->bandData[0] ? static_cast<int>(m_tile->bandData[0]->length) : 0);
    } else {
        log->info("\t\tBitsPerPixel=>%d", p->ideSize);
        log->info("\t\tIDE FLags=>0x%X", p->ideFlags);
        log->info("\t\tColor space=>%s", oioca_getColorSpaceName(p->colorSpace));
        for (int i = 0; i < 4; ++i)
            log->info("\t\tNumber of Bits/Component%d=>0x%X", i + 1, p->bitsPerComponent[i]);
        if (p->horizontalOffset != INT32_MAX)
            log->info("\t\tTile horizontal offset=>0x%X (%d)", static_cast<unsigned>(p->horizontalOffset),
                      p->horizontalOffset);
        if (p->verticalOffset != INT32_MAX)
            log->info("\t\tTile vertical offset=>0x%X (%d)", static_cast<unsigned>(p->verticalOffset),
                      p->verticalOffset);
        log->info("\t\tTile relative resolution id=>0x%X", p->relativeResolution);
        for (uint32_t i = 0; i < m_tile->bandCount && i < OIOCA_BANDS; ++i)
            log->info("\t\tImage data length of band %d=>%d ", static_cast<int>(i + 1),
                      m_tile->bandData[i] ? static_cast<int>(m_tile->bandData[i]->length) : 0);
    }
    if (const IOCAImageProperties* m = m_maskProperties) {
        log->info("\t\tImage Mask Information:");
        log->info("\t\t======================");
        log->info("\t\tUnitbase=>%s", unitBaseName(m->unitBase));
        log->info("\t\tPixels per unitbase in X Axis=>0x%X (%d)", m->xResolution, m->xResolution);
        log->info("\t\tPixels per unitbase in Y Axis=>0x%X (%d)", m->yResolution, m->yResolution);
        log->info("\t\tWidth=>0x%X (%d)", static_cast<unsigned>(m->width), m->width);
        log->info("\t\tHeight=>0x%X (%d)", static_cast<unsigned>(m->height), m->height);
        log->info("\t\tCompression=>0x%X (%s)", m->compression, oioca_getCompressionName(m->compression));
        log->info("\t\tRecordingId=>0x%X (%s)", m->recordingAlgorithm, recordingName(m->recordingAlgorithm));
        log->info("\t\tFillOrder=>0x%X (%s)", m->bitOrder, m->bitOrder == 1 ? "Right-to-Left" : "Left-to-Right");
    }
}

// ========================================================== image contents

bool qelImgIOCADecoder::hasNextImageContent()
{
    if (m_contentCounter == 0)
        return true;
    return m_content && m_contentCounter < m_content->tileCount;
}

void qelImgIOCADecoder::nextImageContent()
{
    trace(kClass, "nextImageContent");
    if (m_contentCounter == 0) {
        m_contentCounter = 1;
        return;
    }
    dropPage();
    delete m_maskInfo;
    m_maskInfo = nullptr;
    delete m_maskDib;
    m_maskDib = nullptr;
    readHeader();
    ++m_contentCounter;
}

// ================================================================== decode

int qelImgIOCADecoder::getDecodeBPP() { return m_info ? m_info->bitsPerPixel : -1; }

int qelImgIOCADecoder::readNextLine(unsigned char*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "readNextLine()", kClass);
}

void qelImgIOCADecoder::getEncodedTileData(int, unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedTileData", kClass);
}

int qelImgIOCADecoder::decodeTileImage(qelImgParamValue*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "decodeTileImage", kClass);
}

void qelImgIOCADecoder::checkSupportedFormat()
{
    trace(kClass, "checkSupportedFormat");
    if (!m_properties || !m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    const int c = m_properties->compression;
    const int bpp = m_info->bitsPerPixel;
    const char* name = oioca_getCompressionName(c);
    bool ok = true;
    switch (c) {
    case 8:
    case 10:
    case 11:
    case 32:
        throw new qelImgException(__FILE__, __LINE__, 38, 0, true, "IOCA", name);
    case 1:
    case 130: ok = bpp == 1 || bpp == 4; break;
    case 3: ok = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; break;
    case 6:
    case 128:
    case 129: ok = bpp == 1; break;
    case 13: ok = bpp == 32; break;
    case 131: ok = bpp == 8 || bpp == 24 || bpp == 32; break;
    default: break;
    }
    if (!ok)
        throw new qelImgException(__FILE__, __LINE__, 10, 0, true, bpp, name, "IOCA");
}

bool qelImgIOCADecoder::ignoreErrors(qelImgParamValue* params) const
{
    return params && params[QELIMG_PARAM_IGNORE_DECOMP_ERROR].getInt() == 1;
}

void qelImgIOCADecoder::decode(qelImgParamValue* params)
{
    trace(kClass, "decode");
    if (m_dib) {
        if (qelImgLogger* log = logger())
            log->trace("Image is already decoded");
        return;
    }
    if (!m_handle || !m_tile)
        throw new qelImgException(__FILE__, __LINE__, 15, -15, true, -15, oioca_getErrorMessage(-15));
    checkSupportedFormat();
    const int bpp = m_info->bitsPerPixel;
    const int bands = m_info->bandCount;
    switch (m_properties->compression) {
    case 3:
        if (bpp > 1) {
            buildDIB(params);
            break;
        }
        [[fallthrough]];
    case 1:
        if (bpp == 4 && bands == 4) {
            buildDIB(params);
        } else {
            oioca_setIgnoreDecompError(m_handle, ignoreErrors(params) ? 1 : 0);
            decodeWithLibrary(false);
        }
        break;
    case 6: decodeWithLibrary(false); break;
    case 13: decodeCMYKImage(params); break;
    case 128:
    case 129:
    case 130:
        if (bpp == 4 && bands == 4) {
            buildDIB(params);
        } else {
            unsigned char* data = nullptr;
            unsigned int length = 0;
            getEncodedData(&data, &length);
            std::unique_ptr<unsigned char[]> owned(data);
            qelImgDIB* dib = decodeG3G4(m_info, data, length, params);
            delete m_dib;
            m_dib = dib;
        }
        break;
    case 131: decodeJPEGs(params); break;
    default: break;
    }
    if (qelImgLogger* log = logger())
        log->trace("\t\tDecoded successfully");
}

void qelImgIOCADecoder::decodeWithLibrary(bool mask)
{
    IOCADecodedImage* image = nullptr;
    int rc;
    {
        TIFFHandlerScope scope;
        rc = mask ? oioca_readTileTMImageData(m_handle, m_tile) : oioca_readTileImageData(m_handle, m_tile);
    }
    checkLibrary(rc);
    {
        TIFFHandlerScope scope;
        rc = mask ? oioca_decompressMask(m_handle, m_tile, &image) : oioca_decompress(m_handle, m_tile, &image);
    }
    if (rc != 0) {
        freeLibraryImage(image);
        failLibrary(rc);
    }
    printLibraryTrace();
    if (!image)
        return;
    qelImgDIB* dib = nullptr;
    try {
        dib = copyLibraryImage(image);
    } catch (...) {
        freeLibraryImage(image);
        throw;
    }
    freeLibraryImage(image);
    setWhiteZero(dib);
    if (mask) {
        // Mask rows are whole bytes wide.
        dib->header->biWidth = qelImgDIBUtils::getAlignedWidth(dib->header->biWidth, 1);
        delete m_maskDib;
        m_maskDib = dib;
    } else {
        delete m_dib;
        m_dib = dib;
    }
}

void qelImgIOCADecoder::buildDIB(qelImgParamValue* params)
{
    trace(kClass, "buildDIB");
    const int bpp = m_info->bitsPerPixel;
    const int bands = m_info->bandCount;
    if ((bpp == 4 && bands == 4) || (bpp == 32 && bands == 4)) {
        decodeCMYKImage(params);
    } else if (bpp == 8 || (bpp == 24 && bands == 1)) {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        std::unique_ptr<qelImgDIBHeader> header(
            createDIBHeader(m_info->width, m_info->height, bpp, m_info->xResolution, m_info->yResolution));
        if (bpp == 8) {
            delete[] m_palette;
            m_palette = qelImgDIBUtils::createGrayPalette(256, true);
            m_paletteCount = 256;
        }
        createDIB(header.get());
        const size_t size = m_dib->header->biSizeImage;
        if (data)
            std::memcpy(m_dib->bits, data, length < size ? length : size);
    } else if (bpp == 24 && bands == 3) {
        decodeRGBImage(params);
    } else {
        // No bitmap can be made of it.
        throw new qelImgException(__FILE__, __LINE__, 10, 0, true, bpp,
                                  oioca_getCompressionName(m_properties->compression), "IOCA");
    }
}

void qelImgIOCADecoder::decodeCMYKImage(qelImgParamValue* params)
{
    trace(kClass, "decodeCMYKImage");
    qelImageStrips bands;
    getEncodedBandData(&bands);
    auto plane = [&bands](int i, unsigned char** data, unsigned int* length) {
        *data = i < bands.count ? bands.data[i] : nullptr;
        *length = i < bands.count && bands.lengths[i] > 0 ? static_cast<unsigned int>(bands.lengths[i]) : 0;
    };
    unsigned char* c[4];
    unsigned int n[4];
    for (int i = 0; i < 4; ++i)
        plane(i, &c[i], &n[i]);
    qelImgBufferIOStream stream("encode", 2);
    qelImgIOCACMYKHandler handler(&stream);
    handler.setSource(m_info, c[0], n[0], c[1], n[1], c[2], n[2], c[3], n[3]);
    handler.convert(QELIMG_ENCODE_DIB, params);
    qelImgDIB* dib = bitmapOfStream(stream);
    delete m_dib;
    m_dib = dib;
}

void qelImgIOCADecoder::decodeRGBImage(qelImgParamValue* params)
{
    trace(kClass, "decodeRGBImage");
    qelImageStrips bands;
    getEncodedBandData(&bands);
    unsigned char* p[3] = {nullptr, nullptr, nullptr};
    unsigned int n[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < bands.count; ++i) {
        p[i] = bands.data[i];
        n[i] = bands.lengths[i] > 0 ? static_cast<unsigned int>(bands.lengths[i]) : 0;
    }
    qelImgBufferIOStream stream("encode", 2);
    qelImgIOCARGBHandler handler(&stream);
    handler.setSource(m_info, p[0], n[0], p[1], n[1], p[2], n[2]);
    handler.convert(QELIMG_ENCODE_DIB, params);
    qelImgDIB* dib = bitmapOfStream(stream);
    delete m_dib;
    m_dib = dib;
}

void qelImgIOCADecoder::decodeJPEGs(qelImgParamValue* params)
{
    trace(kClass, "decodeJPEGs");
    const int bpp = m_info->bitsPerPixel;
    const int bands = m_info->bandCount;
    if (bpp == 8 || ((bpp == 24 || bpp == 32) && bands == 1)) {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        if (!data || length == 0)
            throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
        qelImgJPEGDecoder jpeg(data, length);
        jpeg.decode(params);
        qelImgDIB* copy = qelImgDIBUtils::copyDIB(jpeg.getDIBBuffer());
        delete m_dib;
        m_dib = copy;
    } else if (bpp == 24 && bands == 3) {
        decodeRGBImage(params);
    } else if (bpp == 32 && bands == 4) {
        decodeCMYKImage(params);
    } else {
        throw new qelImgException(__FILE__, __LINE__, 10, 0, true, bpp, oioca_getCompressionName(131), "IOCA");
    }
}

unsigned char* qelImgIOCADecoder::withTIFFHeader(const qelImgInfo* info, const unsigned char* data,
                                                 unsigned int length, unsigned int* total)
{
    // libtiff's fax codecs size their buffers by the width and the rows by
    // the height, both from the segment.
    const int64_t rowBytes = (static_cast<int64_t>(info->width) + 7) / 8;
    if (info->width <= 0 || info->height <= 0 || info->width > MAX_FAX_WIDTH ||
        rowBytes * info->height > MAX_BUFFER_BYTES) {
        if (qelImgLogger* log = logger())
            log->trace("%s: Memory allocation failure", "qelImgIOCADecoder::decodeG3G4()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    unsigned char* header = nullptr;
    int headerLength = 0;
    const int fillOrder = info->fillOrder == 2 ? 2 : 1;
    if (info->compression == QELIMG_COMP_G4)
        qelImgTIFFProcessor::createTIFFHeader(info->width, info->height, 1, COMPRESSION_CCITTFAX4, info->photometric,
                                              fillOrder, 1, info->xResolution, info->yResolution,
                                              static_cast<int>(length), &header, &headerLength, nullptr);
    else
        qelImgTIFFProcessor::createG3TIFFHeader(info->width, info->height, 1,
                                                info->compression == QELIMG_COMP_G3_2D ? 1 : 0, 0,
                                                info->photometric, fillOrder, 1, info->xResolution,
                                                info->yResolution, static_cast<int>(length), &header,
                                                &headerLength);
    std::unique_ptr<unsigned char[]> owned(header);
    const uint64_t size = static_cast<uint64_t>(headerLength) + length;
    if (!header || headerLength <= 0 || size > static_cast<uint64_t>(MAX_BUFFER_BYTES))
        throw "Unable to allocate buffer to create TIFF with header for IOCA image data";
    auto* joined = new (std::nothrow) unsigned char[size];
    if (!joined)
        throw "Unable to allocate buffer to create TIFF with header for IOCA image data";
    std::memcpy(joined, header, static_cast<size_t>(headerLength));
    if (length)
        std::memcpy(joined + headerLength, data, length);
    *total = static_cast<unsigned int>(size);
    return joined;
}

qelImgDIB* qelImgIOCADecoder::decodeG3G4(const qelImgInfo* info, const unsigned char* data, unsigned int length,
                                         qelImgParamValue* params)
{
    trace(kClass, "decodeG3G4");
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
    const bool g4 = info->compression == QELIMG_COMP_G4;
    const bool ignore = ignoreErrors(params);
    std::unique_ptr<qelImgDIB> dib;
    int rows = 0;
    int pitch = 0;
    auto cut = [&dib, &rows, &pitch]() {
        dib->header->biHeight = rows;
        dib->header->biSizeImage = static_cast<uint32_t>(static_cast<int64_t>(rows) * pitch);
    };
    auto* report = new qelImgDecodeReport();
    setDecodeReport(report);
    try {
        unsigned int total = 0;
        std::unique_ptr<unsigned char[]> joined(withTIFFHeader(info, data, length, &total));
        qelImgTIFFDecoder tiff(joined.get(), total);
        qelImgInfo* tiffInfo = tiff.getInfo();
        std::unique_ptr<qelImgDIBHeader> header(createDIBHeader(tiffInfo->width, tiffInfo->height,
                                                                tiff.getDecodeBPP(), tiffInfo->xResolution,
                                                                tiffInfo->yResolution));
        dib.reset(qelImgDIBUtils::createDIB(header.get(), 0, nullptr, info->photometric == 1 ? 1 : 0));
        const int bits = dib->header->biBitCount;
        pitch = static_cast<int>(static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(dib->header->biWidth, bits)) *
                                 bits / 8);
        const int scan = tiff.getScanLineSize();
        const size_t rowBytes = static_cast<size_t>(scan > pitch ? scan : pitch);
        std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[rowBytes + 1]());
        if (!row)
            throw "Unable to allow scan line buffer to decode IOCA image data";
        const int height = dib->header->biHeight;
        int rc = 1;
        while (rows < height) {
            rc = tiff.decodeLine(rows, row.get());
            if (rc != 1)
                break;
            std::memcpy(dib->bits + static_cast<size_t>(rows) * static_cast<size_t>(pitch), row.get(),
                        static_cast<size_t>(pitch));
            ++rows;
        }
        if (traceLevel3()) {
            const char* dir = qelImgProcessor::getTempDirectory();
            const std::string stem = std::string(dir ? dir : "") + baseName(getFileName());
            writeBytes(stem + ".tif", joined.get(), total);
            qelImgDIBUtils::writeDIB((stem + ".dib").c_str(), dib.get());
        }
        report->status = qelImgDecodeReport::COMPLETE;
        report->rowsDecoded = rows;
        report->width = dib->header->biWidth;
        report->padded = info->dataPadded;
        if (rc == -1) {
            report->status = -1;
            if (rows > 0 && ignore) {
                report->status = qelImgDecodeReport::PARTIAL;
                std::snprintf(report->warningText, sizeof report->warningText,
                              "Warning! Error occurred while decoding IOCA image. Image Height=%d. Rows decoded=%d",
                              info->height, rows);
                qelImgErrorHandler::setPendingError(nullptr);
                cut();
                return dib.release();
            }
            if (qelImgErrorHandler::getPendingError())
                qelImgErrorHandler::throwPendingError("LibTIFF", "qelImgTIFFDecoder",
                                                      "decodeLine()->TIFFReadScanline() ", 0);
            char text[160];
            std::snprintf(text, sizeof text, "Error while decompressing line %d of IOCA Image Mask with %s compression",
                          rows, g4 ? "G4" : "G3");
            throw new qelImgException(__FILE__, __LINE__, 20, 0, true, text);
        }
        return dib.release();
    } catch (qelImgException* e) {
        if (rows > 0 && ignore && dib && dib->header) {
            report->status = qelImgDecodeReport::PARTIAL;
            report->rowsDecoded = rows;
            report->width = dib->header->biWidth;
            std::snprintf(report->warningText, sizeof report->warningText,
                          "Warning! Error occurred while decoding IOCA image. Image Height=%d, Rows decoded=%d "
                          "Error:900%s",
                          info->height, rows, e->getMessageText());
            delete e;
            // The text is in the report; nothing may throw it later.
            qelImgErrorHandler::setPendingError(nullptr);
            cut();
            return dib.release();
        }
        throw;
    } catch (const char* text) {
        if (rows > 0 && ignore && dib && dib->header) {
            report->status = qelImgDecodeReport::PARTIAL;
            report->rowsDecoded = rows;
            report->width = dib->header->biWidth;
            std::snprintf(report->warningText, sizeof report->warningText,
                          "Warning! Error occurred while decoding IOCA image. Image Height=%d, Rows decoded=%d "
                          "Error:900%s",
                          info->height, rows, text);
            qelImgErrorHandler::setPendingError(nullptr);
            cut();
            return dib.release();
        }
        throw;
    }
}

bool qelImgIOCADecoder::isDataPadded()
{
    trace(kClass, "isDataPadded");
    unsigned char* data = nullptr;
    unsigned int length = 0;
    getEncodedData(&data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    if (!data || length == 0)
        return false;
    try {
        unsigned int total = 0;
        std::unique_ptr<unsigned char[]> joined(withTIFFHeader(m_info, data, length, &total));
        qelImgTIFFDecoder tiff(joined.get(), total);
        return tiff.getInfo()->dataPadded != 0;
    } catch (qelImgException* e) {
        // Row 0 is unreadable: decode reports it.
        if (qelImgLogger* log = logger())
            log->trace("\t\tDataPadded test failed: %s", e->getMessageText());
        delete e;
    } catch (const char*) {
    }
    qelImgErrorHandler::setPendingError(nullptr);
    return false;
}

// ======================================================= width from data

int qelImgIOCADecoder::getWidthFromData()
{
    trace(kClass, "getWidthFromData");
    if (!m_info || !m_properties)
        return -1;
    switch (m_info->compression) {
    case QELIMG_COMP_G3_1D:
    case QELIMG_COMP_G3_2D:
    case QELIMG_COMP_G4: {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        return getWidthFromDataForG3G4(m_info, data, length);
    }
    case QELIMG_COMP_IBM_MMR: {
        checkLibrary(oioca_readTileImageData(m_handle, m_tile));
        int width;
        {
            TIFFHandlerScope scope;
            width = oioca_getWidthFromData(m_handle);
        }
        printLibraryTrace();
        if (width <= 0)
            failLibrary(width);
        return width;
    }
    case QELIMG_COMP_JPEG: {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        return getWidthFromDataForJPEG(m_info, data, length);
    }
    default: return m_info->width;
    }
}

int qelImgIOCADecoder::getWidthFromDataForG3G4(const qelImgInfo* info, const unsigned char* data,
                                               unsigned int length)
{
    if (!info || !data || length == 0)
        return -1;
    unsigned int total = 0;
    std::unique_ptr<unsigned char[]> joined(withTIFFHeader(info, data, length, &total));
    if (traceLevel3())
        writeBytes("iocag3g4d.tif", joined.get(), total);
    qelImgTIFFDecoder tiff(joined.get(), total);
    return tiff.getWidthFromData();
}

int qelImgIOCADecoder::getWidthFromDataForJPEG(const qelImgInfo* info, const unsigned char* data,
                                               unsigned int length)
{
    if (!info || !data || length == 0)
        return -1;
    qelImgJPEGDecoder jpeg(data, length);
    return jpeg.getWidthFromData();
}

// ============================================================= stored data

void qelImgIOCADecoder::handOverBand(const IOCABandData* band, unsigned char** data, unsigned int* length)
{
    if (band && band->data && band->length > 0 && data && length) {
        auto* copy = new (std::nothrow) unsigned char[band->length];
        if (!copy)
            throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
        std::memcpy(copy, band->data, band->length);
        *data = copy;
        *length = band->length;
    }
    if (m_info && m_properties)
        m_info->fillOrder = m_properties->bitOrder == 1 ? 2 : 1;
}

void qelImgIOCADecoder::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedData");
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    if (!m_handle || !m_tile)
        throw new qelImgException(__FILE__, __LINE__, 14, 0, true);
    checkLibrary(oioca_readTileImageData(m_handle, m_tile));
    handOverBand(m_tile->bandData[0], data, length);
}

void qelImgIOCADecoder::getEncodedBandData(qelImageStrips* bands)
{
    trace(kClass, "getEncodedBandData");
    if (!m_handle || !m_tile)
        throw new qelImgException(__FILE__, __LINE__, 14, 0, true);
    if (!bands)
        return;
    checkLibrary(oioca_readTileImageData(m_handle, m_tile));
    bands->free();
    const int count = static_cast<int>(m_tile->bandCount < OIOCA_BANDS ? m_tile->bandCount : OIOCA_BANDS);
    bands->count = count;
    bands->data = new unsigned char*[count > 0 ? count : 1]();
    bands->lengths = new int[count > 0 ? count : 1]();
    for (int i = 0; i < count; ++i) {
        const IOCABandData* band = m_tile->bandData[i];
        if (!band || !band->data || band->length == 0)
            continue;
        bands->data[i] = new unsigned char[band->length];
        std::memcpy(bands->data[i], band->data, band->length);
        bands->lengths[i] = static_cast<int>(band->length);
    }
    if (m_info && m_properties)
        m_info->fillOrder = m_properties->bitOrder == 1 ? 2 : 1;
}

void qelImgIOCADecoder::getEncodedMaskData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedMaskData");
    if (!m_handle || !m_tile)
        throw new qelImgException(__FILE__, __LINE__, 14, 0, true);
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    if (!m_maskProperties)
        return;
    checkLibrary(oioca_readTileTMImageData(m_handle, m_tile));
    handOverBand(m_tile->maskBandData[0], data, length);
}

void qelImgIOCADecoder::decodeMask(qelImgParamValue* params)
{
    trace(kClass, "decodeMask");
    if (!m_maskInfo)
        return;
    if (m_maskDib) {
        if (qelImgLogger* log = logger())
            log->trace("Image is already decoded");
        return;
    }
    if (m_maskInfo->bitsPerPixel != 1)
        throw new qelImgException(__FILE__, __LINE__, 61, 0, true, m_maskInfo->bitsPerPixel);
    switch (m_maskInfo->compression) {
    case QELIMG_COMP_NONE:
    case QELIMG_COMP_IBM_MMR:
    case QELIMG_COMP_IOCA_RL4:
        oioca_setIgnoreDecompError(m_handle, ignoreErrors(params) ? 1 : 0);
        decodeWithLibrary(true);
        break;
    case QELIMG_COMP_G3_1D:
    case QELIMG_COMP_G3_2D:
    case QELIMG_COMP_G4: {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        getEncodedMaskData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        qelImgDIB* dib = decodeG3G4(m_maskInfo, data, length, params);
        delete m_maskDib;
        m_maskDib = dib;
        break;
    }
    default:
        throw new qelImgException(__FILE__, __LINE__, 62, 0, true, "IOCA",
                                  oioca_getCompressionName(m_maskProperties ? m_maskProperties->compression : 0));
    }
    if (qelImgLogger* log = logger())
        log->trace("\t\tDecoded successfully");
}

bool qelImgIOCADecoder::hasIOCASignature(const unsigned char* d, unsigned int n)
{
    if (!d || n <= 4 || d[0] != 0x70 || d[1] > 4)
        return false;
    const unsigned int at = d[1] + 2u;
    return at + 2 < n && d[at] == 0x91 && d[at + 1] == 0x01 && d[at + 2] == 0xFF;
}
