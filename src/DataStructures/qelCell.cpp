#include "qelCell.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImageHandle.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelString.h"
#include "qelVisitor.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

unsigned char* copyOf(const unsigned char* bytes, int32_t length)
{
    if (!bytes || length <= 0)
        return nullptr;
    unsigned char* out = new unsigned char[static_cast<size_t>(length)];
    std::memcpy(out, bytes, static_cast<size_t>(length));
    return out;
}

int64_t ceilBytes(int64_t bits) { return (bits + 7) / 8; }
}

qelCell::qelCell() = default;

qelCell::qelCell(const qelCell& source) : qelGraphicObject()
{
    setPosition(source.getX(), source.getY());
    setResolution(source.getResolution());
    m_spareX = source.m_spareX;
    m_spareY = source.m_spareY;
    m_tiled = source.m_tiled;
    m_cellWidth = source.m_cellWidth;
    m_cellHeight = source.m_cellHeight;
    m_fillWidth = source.m_fillWidth;
    m_fillHeight = source.m_fillHeight;
    m_spareWidth = source.m_spareWidth;
    m_spareHeight = source.m_spareHeight;
    m_spareValue = source.m_spareValue;
    m_rowCount = source.m_rowCount;
    m_rowBytes = source.m_rowBytes;
    m_pelScale = source.m_pelScale;
    setRawBits(source.m_rawBits, source.m_rawLength);
    setTiledBits(source.m_tiledBits, source.m_tiledLength);
    setName(source.getName());
}

qelCell::~qelCell()
{
    delete[] m_rawBits;
    delete[] m_tiledBits;
    delete[] m_spareBuffer;
    delete m_imageHandle;
    delete m_name;
    delete m_rasterInfo;
    delete[] m_rasterData;
}

void qelCell::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeCellObject(this);
}

void qelCell::reset()
{
    m_tiled = 0;
    m_cellWidth = m_cellHeight = m_fillWidth = m_fillHeight = 0;
    setRawBits(nullptr, 0);
    setTiledBits(nullptr, 0);
    m_rowCount = 0;
    delete m_name;
    m_name = nullptr;
    m_pelScale = 1;
}

bool qelCell::needsTiling() const
{
    return m_fillWidth != 0 && m_fillHeight != 0 && (m_fillWidth != m_cellWidth || m_fillHeight != m_cellHeight);
}

void qelCell::setRawBits(const unsigned char* bits, int32_t length)
{
    unsigned char* copy = copyOf(bits, length);
    delete[] m_rawBits;
    m_rawBits = copy;
    m_rawLength = copy ? length : 0;
}

void qelCell::setTiledBits(const unsigned char* bits, int32_t length)
{
    unsigned char* copy = copyOf(bits, length);
    delete[] m_tiledBits;
    m_tiledBits = copy;
    m_tiledLength = copy ? length : 0;
}

void qelCell::takeRawBits(unsigned char* bits, int32_t length)
{
    if (bits != m_rawBits)
        delete[] m_rawBits;
    m_rawBits = bits;
    m_rawLength = bits && length > 0 ? length : 0;
}

void qelCell::takeTiledBits(unsigned char* bits, int32_t length)
{
    if (bits != m_tiledBits)
        delete[] m_tiledBits;
    m_tiledBits = bits;
    m_tiledLength = bits && length > 0 ? length : 0;
}

void qelCell::setImageHandle(qelImageHandle* handle)
{
    if (handle == m_imageHandle)
        return;
    delete m_imageHandle;
    m_imageHandle = handle;
}

const char* qelCell::getName() const { return m_name ? m_name->getBuffer() : nullptr; }

void qelCell::setName(const char* text)
{
    delete m_name;
    m_name = text ? new qelString(text) : nullptr;
}

void qelCell::setRasterInfo(const qelImgInfo* info)
{
    delete m_rasterInfo;
    m_rasterInfo = info ? new qelImgInfo(*info) : nullptr;
    if (m_rasterInfo && m_rasterInfo->bitsPerPixel == 1) {
        m_rasterInfo->bitsPerSample = 1;
        m_rasterInfo->samplesPerPixel = 1;
    }
}

void qelCell::setRasterData(const unsigned char* bytes, int32_t length)
{
    unsigned char* copy = copyOf(bytes, length);
    delete[] m_rasterData;
    m_rasterData = copy;
    m_rasterLength = copy ? length : 0;
}

int64_t qelCell::extractBits(const unsigned char* bits, int64_t bitLength, int64_t first, int64_t count,
                             unsigned char* out)
{
    std::memset(out, 0, static_cast<size_t>(ceilBytes(count)));
    if (!bits || first < 0 || first >= bitLength || count <= 0)
        return 0;
    const int64_t n = count < bitLength - first ? count : bitLength - first;
    const int shift = static_cast<int>(first % 8);
    const unsigned char* in = bits + first / 8;
    const int64_t whole = n / 8;
    const int64_t inBytes = ceilBytes(bitLength) - first / 8;
    for (int64_t i = 0; i < whole; ++i) {
        unsigned v = static_cast<unsigned>(in[i]) << shift;
        if (shift && i + 1 < inBytes)
            v |= in[i + 1] >> (8 - shift);
        out[i] = static_cast<unsigned char>(v);
    }
    for (int64_t b = whole * 8; b < n; ++b) {
        const int64_t at = first + b;
        if (bits[at / 8] & (0x80 >> (at % 8)))
            out[b / 8] = static_cast<unsigned char>(out[b / 8] | (0x80 >> (b % 8)));
    }
    return n;
}

int64_t qelCell::rawRowCount() const
{
    if (m_cellWidth <= 0 || !m_rawBits || m_rawLength <= 0)
        return 0;
    return static_cast<int64_t>(m_rawLength) * 8 / m_cellWidth;
}

void qelCell::packRows()
{
    if (rawRowCount() == 0)
        return;
    if (m_cellWidth % 8 == 0) {
        m_fillWidth = m_cellWidth;
        m_fillHeight = m_cellHeight;
        setTiledBits(m_rawBits, m_rawLength);
        m_tiled = 1;
        return;
    }
    const int64_t rowBytes = ceilBytes(m_cellWidth);
    const int64_t rows = m_cellHeight > 0 ? m_cellHeight : 0;
    const int64_t total = rowBytes * rows;
    if (total <= 0 || total > MAX_TILED_BYTES) {
        qelMessageOutput::write("Error, Unable to allocate memory for tiling cell\n");
        return;
    }
    unsigned char* out = new (std::nothrow) unsigned char[static_cast<size_t>(total)];
    if (!out) {
        qelMessageOutput::write("Error, Unable to allocate memory for tiling cell\n");
        return;
    }
    const int64_t bitLength = static_cast<int64_t>(m_rawLength) * 8;
    for (int64_t r = 0; r < rows; ++r)
        extractBits(m_rawBits, bitLength, r * m_cellWidth, m_cellWidth, out + r * rowBytes);
    m_fillWidth = static_cast<int32_t>(rowBytes * 8);
    m_fillHeight = m_cellHeight;
    takeTiledBits(out, static_cast<int32_t>(total));
    setRawBits(nullptr, 0);
    m_tiled = 1;
}

void qelCell::tile()
{
    const int64_t rowsHeld = rawRowCount();
    if (rowsHeld == 0)
        return;
    if (m_fillWidth <= 0 || m_fillHeight <= 0 || (m_fillWidth == m_cellWidth && m_fillHeight == m_cellHeight)) {
        packRows();
        return;
    }
    const int64_t n = ceilBytes(m_fillWidth);
    const int64_t s = ceilBytes(m_cellWidth);
    const int64_t total = n * m_fillHeight;
    int64_t period = m_rowCount > 0 ? m_rowCount : rowsHeld;
    if (period > 0xFFFF)
        period = 0xFFFF;
    unsigned char* out = nullptr;
    if (total > 0 && total <= MAX_TILED_BYTES && n <= 0xFFFF && m_fillHeight <= 0xFFFF)
        out = new (std::nothrow) unsigned char[static_cast<size_t>(total)];
    if (!out) {
        qelMessageOutput::write("Error, Unable to allocate memory for tiling cell\n");
        return;
    }
    const int64_t bitLength = static_cast<int64_t>(m_rawLength) * 8;
    const int64_t built = period < m_fillHeight ? period : m_fillHeight;
    std::unique_ptr<unsigned char[]> source(new unsigned char[static_cast<size_t>(s)]);
    const int lastBits = m_fillWidth % 8;
    for (int64_t r = 0; r < built; ++r) {
        extractBits(m_rawBits, bitLength, r * m_cellWidth, m_cellWidth, source.get());
        unsigned char* row = out + r * n;
        const int64_t copies = n / s;
        for (int64_t c = 0; c < copies; ++c)
            std::memcpy(row + c * s, source.get(), static_cast<size_t>(s));
        const int64_t rest = n % s;
        if (rest > 0) {
            std::memcpy(row + copies * s, source.get(), static_cast<size_t>(rest));
            if (lastBits)
                row[n - 1] = static_cast<unsigned char>(row[n - 1] & (0xFF << (8 - lastBits)));
        }
    }
    for (int64_t r = built; r < m_fillHeight; ++r)
        std::memcpy(out + r * n, out + (r % period) * n, static_cast<size_t>(n));
    m_rowCount = static_cast<uint16_t>(m_fillHeight);
    m_rowBytes = static_cast<uint16_t>(n);
    takeTiledBits(out, static_cast<int32_t>(total));
    setRawBits(nullptr, 0);
    m_tiled = 1;
}

void qelCell::tileCell(const char*) { tile(); }

void qelCell::toRasterImage()
{
    if (m_rasterData)
        return;
    const int width = static_cast<uint16_t>(m_fillWidth);
    const int height = static_cast<uint16_t>(m_fillHeight);
    if (!m_tiledBits || m_tiledLength <= 0 || width == 0 || height == 0)
        return;
    // The raw decoder reads whole rows: a short buffer is padded with zeros.
    const int64_t needed = ceilBytes(width) * height;
    std::unique_ptr<unsigned char[]> padded;
    unsigned char* bits = m_tiledBits;
    int32_t length = m_tiledLength;
    if (needed > length) {
        if (needed > MAX_TILED_BYTES)
            return;
        padded.reset(new unsigned char[static_cast<size_t>(needed)]());
        std::memcpy(padded.get(), m_tiledBits, static_cast<size_t>(m_tiledLength));
        bits = padded.get();
        length = static_cast<int32_t>(needed);
    }
    qelImgInfo info;
    info.type = QELIMG_IMAGETYPE_RAW;
    info.width = width;
    info.height = height;
    info.compression = 0;
    info.bitsPerPixel = info.bitsPerSample = info.samplesPerPixel = 1;
    info.xResolution = info.yResolution = getResolution();
    info.colorCount = 2;
    info.photometric = 0;
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    std::unique_ptr<qelImgProcessor> processor;
    unsigned char* encoded = nullptr;
    qelImgInfo* result = nullptr;
    try {
        processor.reset(new qelImgProcessor(&info, bits, length, nullptr));
        setRasterInfo(processor->getInfo());
        if (m_rasterInfo->compression != 0) {
            const char* name = qelImgUtils::getCompressionName(m_rasterInfo->compression);
            throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1, name, "Raster Cell");
        }
        QELIMG_ENCODETYPE types[2] = {QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE};
        const int count = ini->isImageProcessFlag1() ? 2 : 1;
        QELIMG_ENCODETYPE chosen = QELIMG_ENCODE_CCITT_G4;
        unsigned int size = 0;
        processor->encode(&encoded, &size, types, count, &chosen, QELIMG_BEST_COMP_SIZE, &result);
        if (result)
            m_rasterInfo->height = result->height;
        m_rasterInfo->compression = chosen == QELIMG_ENCODE_CCITT_G4 ? 3 : 28;
        setRasterData(encoded, static_cast<int32_t>(size));
        delete[] encoded;
        delete result;
    } catch (qelImgException* e) {
        const std::string text = e->getMessageText() ? e->getMessageText() : "";
        delete e;
        delete[] encoded;
        delete result;
        throw new qelException(__FILE__, __LINE__, qelMsg::E013, 0, 1, text.c_str());
    }
}
