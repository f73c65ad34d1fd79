#include "qelImgDIBDecoder.h"

#include "qelImgBufferStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
const char* const kClass = "qelImgDIBDecoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

int clampInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

int32_t dpiFromMetre(int32_t ppm)
{
    const double dpi = ppm / 39.37;
    return static_cast<int32_t>(dpi + 0.5);
}

// Bytes of one stored row: padded to a byte.
int64_t storedRow(int width, int bits)
{
    return static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(width, bits)) * bits / 8;
}
}

bool qelImgDIBDecoder::isDIB(const unsigned char* data, unsigned int length)
{
    return data && length >= 4 && data[0] == 40 && data[1] == 0 && data[2] == 0 && data[3] == 0;
}

qelImgDIBDecoder::qelImgDIBDecoder(const unsigned char* data, unsigned int length)
{
    trace(kClass, "qelImgDIBDecoder");
    m_sourceKind = SOURCE_MEMORY;
    m_stream = new qelImgBufferStream("", data, length);
    m_currentLine = -1;
    try {
        readHeader();
    } catch (...) {
        delete m_stream;
        m_stream = nullptr;
        throw;
    }
}

qelImgDIBDecoder::qelImgDIBDecoder(const char*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "qelImgDIBDecoder(char *pcFileNamePar)", kClass);
}

qelImgDIBDecoder::qelImgDIBDecoder(qelImgInfo*, unsigned char*, unsigned int)
{
    trace(kClass, "qelImgDIBDecoder");
}

qelImgDIBDecoder::~qelImgDIBDecoder()
{
    trace(kClass, "~qelImgDIBDecoder");
    delete m_stream;
}

void qelImgDIBDecoder::setPageNumber(int)
{
    trace(kClass, "setPageNumber");
    m_pageNumber = 0;
    m_currentLine = -1;
}

int qelImgDIBDecoder::readBytes(unsigned char* out, int64_t count)
{
    const unsigned int left = m_stream->getSize() - m_stream->getPosition();
    if (count < 0 || count > left || m_stream->read(out, static_cast<unsigned int>(count)) < 0) {
        const char* name = m_stream->getName();
        throw new qelImgException(__FILE__, __LINE__, 55, 0, true, name ? name : "(null)", clampInt(count),
                                  static_cast<int>(left < count ? left : count));
    }
    return static_cast<int>(count);
}

void qelImgDIBDecoder::readHeader()
{
    trace(kClass, "readHeader");
    if (!m_stream)
        return;
    qelImgDIBHeader header;
    readBytes(reinterpret_cast<unsigned char*>(&header), sizeof header);
    const int bits = header.biBitCount;
    // Sizes and depth are checked before anything is allocated from them.
    if (header.biWidth <= 0 || header.biHeight <= 0 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        const char* name = m_stream->getName();
        throw new qelImgException(__FILE__, __LINE__, 56, 0, true, name && *name ? name : "DIB");
    }
    // A row longer than the data left can never be delivered: refused before
    // any caller sizes a row buffer from it.
    const int64_t firstRow = storedRow(header.biWidth, bits);
    const int64_t left = m_stream->getSize() - m_stream->getPosition();
    if (firstRow > left) {
        const char* name = m_stream->getName();
        throw new qelImgException(__FILE__, __LINE__, 55, 0, true, name ? name : "(null)", clampInt(firstRow),
                                  clampInt(left));
    }
    auto info = std::make_unique<qelImgInfo>();
    info->type = QELIMG_IMAGETYPE_DIB;
    info->width = header.biWidth;
    info->height = header.biHeight;
    info->compression = QELIMG_COMP_NONE;
    info->fillOrder = 1;
    info->bitsPerPixel = bits;
    if (bits < 8) {
        info->bitsPerSample = bits;
        info->samplesPerPixel = 1;
    } else {
        info->samplesPerPixel = bits / 8;
        info->bitsPerSample = bits / info->samplesPerPixel;
    }
    info->xResolution = dpiFromMetre(header.biXPelsPerMeter);
    info->yResolution = dpiFromMetre(header.biYPelsPerMeter);
    if (info->xResolution < 1) {
        info->xResolution = static_cast<int32_t>(qelImgProcessor::getDefaultResolution());
        info->yResolution = info->xResolution;
    }
    info->colorCount = qelImgDIBUtils::getColorCount(bits);
    delete[] m_palette;
    m_palette = nullptr;
    m_paletteCount = 0;
    if (info->colorCount > 0) {
        std::unique_ptr<unsigned char[]> table(new unsigned char[4 * static_cast<size_t>(info->colorCount)]);
        readBytes(table.get(), 4 * static_cast<int64_t>(info->colorCount));
        m_palette = table.release();
        m_paletteCount = info->colorCount;
    }
    delete m_info;
    m_info = info.release();
    int photometric = 0;
    if (bits == 24)
        photometric = 2;
    else if (!m_palette)
        photometric = 0;
    else if (bits == 4 || bits == 8)
        photometric = 3;
    else if (bits == 1)
        photometric = m_palette[0] == 0 && m_palette[1] == 0 && m_palette[2] == 0 ? 1 : 0;
    m_info->photometric = photometric;
    printInfo();
}

bool qelImgDIBDecoder::paletteAsRGB() const
{
    return m_params && m_params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].getInt() == 1 && m_palette && m_info &&
           m_info->bitsPerPixel != 24 && m_info->bitsPerPixel != 32;
}

bool qelImgDIBDecoder::cmykAsRGB() const
{
    return m_params && m_params[QELIMG_PARAM_CMYK_TO_RGB].getInt() == 1 && m_info && m_info->bitsPerPixel == 32;
}

int qelImgDIBDecoder::getDecodeBPP()
{
    if (!m_info)
        return -1;
    if (paletteAsRGB() || cmykAsRGB())
        return 24;
    return m_info->bitsPerPixel;
}

int qelImgDIBDecoder::getScanLineSize()
{
    if (!m_info)
        return -1;
    return clampInt(storedRow(m_info->width, getDecodeBPP()));
}

void qelImgDIBDecoder::decode(qelImgParamValue* params)
{
    trace(kClass, "decode");
    if (m_dib) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "Image is already decoded");
        return;
    }
    if (!m_info || !m_stream)
        return;
    m_params = params;
    try {
        // The rows must be there before the bitmap is made for them.
        const int64_t need = static_cast<int64_t>(m_info->height - (m_currentLine + 1)) *
                             storedRow(m_info->width, cmykAsRGB() ? 32 : m_info->bitsPerPixel);
        const int64_t left = m_stream->getSize() - m_stream->getPosition();
        if (need > left) {
            const char* name = m_stream->getName();
            throw new qelImgException(__FILE__, __LINE__, 55, 0, true, name ? name : "(null)", clampInt(need),
                                      clampInt(left));
        }
        decodeRemainingRows(m_currentLine + 1, storedRow(m_info->width, getDecodeBPP()), "DIB");
        finalize();
    } catch (qelImgException*) {
        finalize();
        throw;
    }
}

int qelImgDIBDecoder::readNextLine(unsigned char* row)
{
    if (!m_stream || !m_info || !row)
        return -1;
    if (m_currentLine + 1 >= m_info->height)
        return 0;
    if (qelImgLogger* log = logger())
        log->trace("\tqelImgDIBDecoder::readNextLine.LineNr=>%d", m_currentLine + 1);
    const int bits = m_info->bitsPerPixel;
    const int width = m_info->width;
    const int64_t stored = storedRow(width, bits);
    if (paletteAsRGB()) {
        std::vector<unsigned char> raw(static_cast<size_t>(stored));
        readBytes(raw.data(), stored);
        qelImgDIBUtils::expandRowToRGB(raw.data(), bits, width, m_palette, row);
    } else if (cmykAsRGB()) {
        std::vector<unsigned char> raw(4 * static_cast<size_t>(width));
        readBytes(raw.data(), 4 * static_cast<int64_t>(width));
        qelImgDIBUtils::cmykToRGBPixels(raw.data(), row, width);
    } else {
        readBytes(row, stored);
        const int padded = qelImgDIBUtils::getAlignedWidth(width, 1);
        if (bits == 1 && padded > width) {
            const unsigned char fill = static_cast<unsigned char>((1u << (padded - width)) - 1);
            unsigned char& last = row[stored - 1];
            if (m_info->photometric == 0)
                last = static_cast<unsigned char>(last & ~fill);
            else
                last = static_cast<unsigned char>(last | fill);
        }
    }
    ++m_currentLine;
    return 1;
}

void qelImgDIBDecoder::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedData");
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    if (!m_stream || !m_info)
        return;
    const int bits = m_info->bitsPerPixel;
    const int64_t w = m_info->width;
    int64_t rowSize = 0;
    switch (bits) {
    case 1: rowSize = (w + 7) / 8; break;
    case 4: rowSize = (w + 1) / 2; break;
    case 8: rowSize = w; break;
    case 24: rowSize = 3 * w; break;
    case 32: rowSize = 4 * w; break;
    default: break;
    }
    const int64_t offset = 40 + 4 * static_cast<int64_t>(m_info->colorCount);
    const int64_t need = rowSize * m_info->height;
    const int64_t left = offset <= m_stream->getSize() ? m_stream->getSize() - offset : 0;
    if (need > left) {
        const char* name = m_stream->getName();
        throw new qelImgException(__FILE__, __LINE__, 55, 0, true, name ? name : "(null)", clampInt(need),
                                  clampInt(left));
    }
    auto* copy = new unsigned char[need > 0 ? static_cast<size_t>(need) : 1];
    if (need > 0)
        std::memcpy(copy, m_stream->getData() + offset, static_cast<size_t>(need));
    if (data)
        *data = copy;
    else
        delete[] copy;
    if (length)
        *length = static_cast<unsigned int>(need);
}

void qelImgDIBDecoder::getEncodedBandData(qelImageStrips*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedBandData()", kClass);
}

void qelImgDIBDecoder::getEncodedTileData(int, unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedTileData()", kClass);
}

int qelImgDIBDecoder::decodeTileImage(qelImgParamValue*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "decodeTileImage()", kClass);
}
