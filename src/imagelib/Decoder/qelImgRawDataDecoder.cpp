#include "qelImgRawDataDecoder.h"

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
const char* const kClass = "qelImgRawDataDecoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

int clampInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

int64_t storedRow(int width, int bits)
{
    if (width <= 0 || bits <= 0)
        return 0;
    return static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(width, bits)) * bits / 8;
}
}

qelImgRawDataDecoder::qelImgRawDataDecoder(qelImgInfo* info, unsigned char* data, int length,
                                           unsigned char* palette)
{
    trace(kClass, "qelImgRawDataDecoder");
    if (!data || length <= 0)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    if (!info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    m_sourceKind = SOURCE_MEMORY;
    m_stream = new qelImgBufferStream("", data, static_cast<unsigned int>(length));
    auto copy = std::make_unique<qelImgInfo>();
    copy->width = info->width;
    copy->height = info->height;
    copy->compression = info->compression;
    copy->bitsPerPixel = info->bitsPerPixel;
    copy->bitsPerSample = info->bitsPerSample;
    copy->samplesPerPixel = info->samplesPerPixel;
    copy->bandCount = info->bandCount;
    copy->xResolution = info->xResolution;
    copy->yResolution = info->yResolution;
    copy->colorCount = info->colorCount;
    copy->photometric = info->photometric;
    copy->fillOrder = info->fillOrder;
    copy->relativeResolution = info->relativeResolution;
    copy->stripCount = info->stripCount;
    copy->predictor = info->predictor;
    if (palette && copy->colorCount > 0) {
        // Room for every value the depth can hold; the caller gave count
        // entries and the rest stay black.
        const int given = copy->colorCount > 256 ? 256 : copy->colorCount;
        const int depthEntries = qelImgDIBUtils::getColorCount(copy->bitsPerPixel);
        const int entries = given > depthEntries ? given : depthEntries;
        m_palette = new unsigned char[4 * static_cast<size_t>(entries)]();
        std::memcpy(m_palette, palette, 4 * static_cast<size_t>(given));
        m_paletteCount = given;
    }
    m_info = copy.release();
    m_pageNumber = 0;
    m_currentLine = -1;
}

qelImgRawDataDecoder::qelImgRawDataDecoder(unsigned char* data, int length)
{
    trace(kClass, "qelImgRawDataDecoder");
    m_sourceKind = SOURCE_MEMORY;
    m_stream = new qelImgBufferStream("", data, length > 0 ? static_cast<unsigned int>(length) : 0);
    m_currentLine = -1;
}

qelImgRawDataDecoder::~qelImgRawDataDecoder()
{
    trace(kClass, "~qelImgRawDataDecoder");
    delete m_stream;
}

void qelImgRawDataDecoder::setPageNumber(int)
{
    trace(kClass, "setPageNumber");
    m_pageNumber = 0;
    m_currentLine = -1;
}

bool qelImgRawDataDecoder::paletteAsRGB() const
{
    return m_params && m_params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].getInt() == 1 && m_palette && m_info &&
           m_info->bitsPerPixel != 24 && m_info->bitsPerPixel != 32;
}

int qelImgRawDataDecoder::getDecodeBPP()
{
    if (!m_info)
        return -1;
    return paletteAsRGB() ? 24 : m_info->bitsPerPixel;
}

int qelImgRawDataDecoder::getScanLineSize()
{
    if (!m_info)
        return -1;
    return clampInt(storedRow(m_info->width, getDecodeBPP()));
}

void qelImgRawDataDecoder::decode(qelImgParamValue* params)
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
        const int64_t need =
            static_cast<int64_t>(m_info->height - (m_currentLine + 1)) * storedRow(m_info->width, m_info->bitsPerPixel);
        const int64_t left = m_stream->getSize() - m_stream->getPosition();
        if (need > left)
            throw new qelImgException(__FILE__, __LINE__, 55, 0, true, "(null)", clampInt(need), clampInt(left));
        decodeRemainingRows(m_currentLine + 1, storedRow(m_info->width, getDecodeBPP()), "Raw");
        finalize();
    } catch (qelImgException*) {
        finalize();
        throw;
    }
}

int qelImgRawDataDecoder::readNextLine(unsigned char* row)
{
    if (!m_stream || !m_info || !row)
        return -1;
    if (m_currentLine + 1 >= m_info->height)
        return 0;
    if (qelImgLogger* log = logger())
        log->trace("\tqelImgRawDataDecoder::readNextLine.LineNr=>%d", m_currentLine + 1);
    const int bits = m_info->bitsPerPixel;
    const int64_t stored = storedRow(m_info->width, bits);
    const bool expand = paletteAsRGB();
    std::vector<unsigned char> raw;
    unsigned char* target = row;
    if (expand) {
        raw.resize(static_cast<size_t>(stored) + 1);
        target = raw.data();
    }
    const unsigned int left = m_stream->getSize() - m_stream->getPosition();
    if (stored > left || (stored > 0 && m_stream->read(target, static_cast<unsigned int>(stored)) < 0))
        throw new qelImgException(__FILE__, __LINE__, 55, 0, true, "(null)", clampInt(stored),
                                  static_cast<int>(left));
    if (expand)
        qelImgDIBUtils::expandRowToRGB(raw.data(), bits, m_info->width, m_palette, row);
    ++m_currentLine;
    return 1;
}

void qelImgRawDataDecoder::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedData");
    const unsigned int size = m_stream ? m_stream->getSize() : 0;
    unsigned char* copy = nullptr;
    if (size > 0) {
        copy = new unsigned char[size];
        std::memcpy(copy, m_stream->getData(), size);
    }
    if (data)
        *data = copy;
    else
        delete[] copy;
    if (length)
        *length = size;
}

void qelImgRawDataDecoder::getEncodedBandData(qelImageStrips*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedBandData()", kClass);
}

void qelImgRawDataDecoder::getEncodedTileData(int, unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedTileData()", kClass);
}

int qelImgRawDataDecoder::decodeTileImage(qelImgParamValue*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "decodeTileImage()", kClass);
}
