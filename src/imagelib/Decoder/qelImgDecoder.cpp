#include "qelImgDecoder.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecodeReport.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"
#include "qelString.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace
{
const char* const kClass = "qelImgDecoder";
}

qelImgDecoder::qelImgDecoder()
{
    trace(kClass, "qelImgDecoder");
    qelImgDecoder::initialize();
}

qelImgDecoder::qelImgDecoder(const char* fileName)
{
    trace(kClass, "qelImgDecoder");
    qelImgDecoder::initialize();
    setFileName(fileName);
}

qelImgDecoder::~qelImgDecoder()
{
    delete m_info;
    delete m_maskInfo;
    delete[] m_palette;
    delete m_dib;
    delete m_maskDib;
    delete m_fileName;
    delete m_decodeReport;
}

void qelImgDecoder::trace(const char* className, const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", className, operation);
}

void qelImgDecoder::setPageNumber(int page)
{
    trace(kClass, "setPageNumber");
    m_pageNumber = page;
}

void qelImgDecoder::initialize()
{
    m_fileName = nullptr;
    m_sourceKind = SOURCE_FILE;
    m_info = nullptr;
    m_palette = nullptr;
    m_paletteCount = 0;
    m_pageCount = 0;
    m_maskInfo = nullptr;
    m_maskDib = nullptr;
    m_dib = nullptr;
    m_pageNumber = -1;
    m_params = nullptr;
    m_contentConsumed = false;
    m_tileNumber = -1;
    m_imageContentCount = 1;
    m_decodeReport = nullptr;
}

void qelImgDecoder::finalize()
{
    trace(kClass, "finalize");
}

bool qelImgDecoder::hasNextImageContent()
{
    return !m_contentConsumed;
}

void qelImgDecoder::nextImageContent()
{
    m_contentConsumed = true;
}

bool qelImgDecoder::hasMask()
{
    return false;
}

void qelImgDecoder::getEncodedMaskData(unsigned char** data, unsigned int* length)
{
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
}

void qelImgDecoder::decodeMask(qelImgParamValue*)
{
    trace(kClass, "decodeMask");
}

int qelImgDecoder::getWidthFromData()
{
    return m_info ? m_info->width : 0;
}

qelImgInfo* qelImgDecoder::getInfo()
{
    if (!m_info) {
        trace(kClass, "getInfo");
        readHeader();
    }
    if (!m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    return m_info;
}

void qelImgDecoder::getColorTable(unsigned char** palette, int* count)
{
    if (!m_info)
        readHeader();
    const bool has = m_paletteCount > 0 && m_palette;
    if (palette)
        *palette = has ? m_palette : nullptr;
    if (count)
        *count = has ? m_paletteCount : 0;
}

long qelImgDecoder::getDIBDataLength()
{
    if (!m_dib || !m_dib->header)
        return 0;
    const qelImgDIBHeader* h = m_dib->header;
    return static_cast<long>(h->biSize) + static_cast<long>(h->biSizeImage) + 4L * qelImgDIBUtils::getColorCount(h->biBitCount);
}

void qelImgDecoder::setFileName(const char* name)
{
    delete m_fileName;
    m_fileName = name ? new qelString(name) : nullptr;
}

const char* qelImgDecoder::getFileName() const
{
    return m_fileName ? m_fileName->getBuffer() : nullptr;
}

void qelImgDecoder::setDecodeReport(qelImgDecodeReport* report)
{
    if (report != m_decodeReport)
        delete m_decodeReport;
    m_decodeReport = report;
}

void qelImgDecoder::dropPage()
{
    delete m_info;
    m_info = nullptr;
    delete[] m_palette;
    m_palette = nullptr;
    m_paletteCount = 0;
    delete m_dib;
    m_dib = nullptr;
    m_tileNumber = -1;
}

qelImgDIBHeader* qelImgDecoder::createDIBHeader(int width, int height, int bitsPerPixel, int xResolution,
                                                int yResolution)
{
    trace(kClass, "createDIBHeader");
    qelImgDIBUtils::traceHeaderRequest(width, height, bitsPerPixel, xResolution);
    int bits = qelImgDIBUtils::fitDepth(bitsPerPixel, 48);
    if (!bits) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("\t\tqelImgDecoder::createDIBHeader() Invalid BitsPerPixel:%d. BitsPerPixel set as 4.",
                          bitsPerPixel);
        bits = 4;
    }
    // Sizes come from the input: 64 bits, bounded.
    if (qelImgDIBUtils::getImageBytes(width, height, bits) > MAX_BUFFER_BYTES) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("%s: Memory allocation failure", "qelImgDecoder::createDIBHeader()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    auto* header = new qelImgDIBHeader();
    qelImgDIBUtils::fillDIBHeader(header, width < 0 ? 0 : width, height < 0 ? 0 : height, bits, xResolution,
                                  yResolution);
    return header;
}

void qelImgDecoder::decodeRemainingRows(int firstRow, int64_t rowBytes, const char* format)
{
    const int bpp = getDecodeBPP();
    std::unique_ptr<qelImgDIBHeader> header(
        createDIBHeader(m_info->width, m_info->height, bpp, m_info->xResolution, m_info->yResolution));
    // Rows of another depth than the bitmap's would not fit it.
    if (header->biBitCount != bpp)
        throw new qelImgException(__FILE__, __LINE__, 52, 0, true, m_info->bitsPerPixel, format);
    createDIB(header.get());
    std::vector<unsigned char> row(rowBytes > 0 ? static_cast<size_t>(rowBytes) : 1);
    for (int y = firstRow; y < m_info->height && readNextLine(row.data()) == 1; ++y)
        std::memcpy(m_dib->bits + static_cast<size_t>(y) * static_cast<size_t>(rowBytes), row.data(),
                    static_cast<size_t>(rowBytes));
}

void qelImgDecoder::createDIB(const qelImgDIBHeader* header)
{
    trace(kClass, "createDIB");
    delete m_dib;
    m_dib = nullptr;
    const int bits = header->biBitCount;
    const size_t tableBytes = 4 * static_cast<size_t>(qelImgDIBUtils::getColorCount(bits));
    const size_t size = sizeof(qelImgDIBHeader) + tableBytes + header->biSizeImage;
    auto* block = new (std::nothrow) unsigned char[size];
    if (!block) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("%s: Memory allocation failure", "qelImgDecoder::createDIB()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    std::memset(block, 0, size);
    std::memcpy(block, header, sizeof(qelImgDIBHeader));
    reinterpret_cast<qelImgDIBHeader*>(block)->biSize = 40;
    auto* dib = new qelImgDIB();
    dib->attach(block);
    if (bits == 4 || bits == 8) {
        if (m_paletteCount > 0 && m_palette) {
            const size_t entries = static_cast<size_t>(m_paletteCount) < tableBytes / 4
                                       ? static_cast<size_t>(m_paletteCount)
                                       : tableBytes / 4;
            std::memcpy(dib->palette, m_palette, 4 * entries);
        } else {
            dib->palette = nullptr;
        }
    } else if (bits == 1) {
        const bool blackIsZero = m_info && m_info->photometric == 1;
        std::memset(dib->palette + (blackIsZero ? 4 : 0), 0xFF, 4);
    } else {
        dib->palette = nullptr;
    }
    std::memset(dib->bits, bits == 1 ? 0x00 : 0xFF, header->biSizeImage);
    m_dib = dib;
}

void qelImgDecoder::printInfo()
{
    if (!m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (!logger)
        return;
    const qelImgInfo& i = *m_info;
    auto text = [logger](const char* name, const char* value) { logger->info("\t\t%-20s%-3c%s", name, ':', value); };
    auto number = [logger](const char* name, int value) { logger->info("\t\t%-20s%-3c%d", name, ':', value); };
    logger->info("%s", "\t\tSource Image Information:");
    logger->info("%s", "\t\t=========================");
    text("Type", qelImgUtils::getImageTypeName(i.type));
    number("Width", i.width);
    number("Height", i.height);
    text("Compression", qelImgUtils::getCompressionName(i.compression));
    number("BitsPerPixel", i.bitsPerPixel);
    number("BitsPerSample", i.bitsPerSample);
    number("SamplesPerPixel", i.samplesPerPixel);
    number("XResolution", i.xResolution);
    number("YResolution", i.yResolution);
    number("ColorCount", i.colorCount);
    if (i.type == 3) {
        text("Photometric", qelImgUtils::getPhotometricName(i.photometric));
        text("FillOrder", i.fillOrder == 1 ? "Left-to-Right" : "Right-to-Left");
        if (i.tiled) {
            number("TileCount", i.tileCount);
            number("TileWidth", i.tileWidth);
            number("TileHeight", i.tileHeight);
            number("TileAcross", i.tilesAcross);
            number("TileDown", i.tilesDown);
            number("EdgeTileWidth", i.edgeTileWidth);
            number("EdgeTileHeight", i.edgeTileHeight);
        } else {
            number("StripCount", i.stripCount);
        }
    }
    if (i.transparent) {
        text("Transparent", "Yes");
        text("|_  Type", qelImgUtils::getTransparencyKindName(i.transparencyKind));
        if (i.transparencyKind == 1)
            number("|_  ColorIndex", i.transparentColorIndex);
    }
}
