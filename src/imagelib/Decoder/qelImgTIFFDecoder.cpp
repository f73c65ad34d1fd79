#include "qelImgTIFFDecoder.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTIFFDataPadded.h"
#include "qelImgTIFFIOStreamProcessor.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgTIFFSource.h"
#include "qelImgTIFFStream.h"
#include "qelImgUtils.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace
{
const char* const kClass = "qelImgTIFFDecoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

struct CompressionPair
{
    int tiff;
    int code;
};

const CompressionPair kCompressions[] = {
    {1, 0},      {2, 20},     {3, 1},      {4, 3},      {5, 11},     {6, 10},     {7, 9},
    {8, 29},     {32766, 31}, {32771, 21}, {32773, 12}, {32895, 22}, {32896, 23}, {32897, 24},
    {32898, 25}, {32908, 26}, {32909, 27}, {32946, 28}, {32809, 30}, {32947, 32}, {34661, 33},
    {34676, 34}, {34677, 35}, {34712, 36},
};

// Bytes of a size from the input, refused beyond the decoders' limit.
size_t boundedSize(int64_t size)
{
    if (size < 0 || size > qelImgDecoder::MAX_BUFFER_BYTES) {
        if (qelImgLogger* log = logger())
            log->trace("%s: Memory allocation failure", "qelImgTIFFDecoder");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    return static_cast<size_t>(size);
}

void putWord(std::vector<unsigned char>& out, uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

void putRestartInterval(std::vector<unsigned char>& out, uint64_t interval)
{
    const unsigned char dri[] = {0xFF, 0xDD, 0x00, 0x04};
    out.insert(out.end(), dri, dri + 4);
    putWord(out, static_cast<uint32_t>(std::min<uint64_t>(interval, 0xFFFF)));
}

uint64_t ceilDiv(uint64_t a, uint64_t b) { return b ? (a + b - 1) / b : 0; }
}

// ============================================================ construction

qelImgTIFFDecoder::qelImgTIFFDecoder(const char* fileName) : qelImgDecoder(fileName)
{
    trace(kClass, "qelImgTIFFDecoder");
    initialize();
    if (!fileName || !*fileName)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    setSourceKind(SOURCE_FILE);
    try {
        qelImgErrorHandler::installTIFFHandlers();
        m_tif = TIFFOpen(fileName, "r");
        if (!m_tif) {
            // The library's own text goes to the trace; the error names the file.
            qelImgErrorHandler::restoreTIFFHandlers();
            qelImgErrorHandler::setPendingError(nullptr);
            throw new qelImgException(__FILE__, __LINE__, 19, 0, true, fileName);
        }
        check("qelImgTIFFDecoder()->TIFFOpen", 1);
        open("qelImgTIFFDecoder()->TIFFNumberOfDirectories");
    } catch (...) {
        cleanup();
        throw;
    }
}

qelImgTIFFDecoder::qelImgTIFFDecoder(const unsigned char* data, unsigned int length)
{
    trace(kClass, "qelImgTIFFDecoder");
    initialize();
    if (!data || length == 0 || length > INT_MAX)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    setSourceKind(SOURCE_MEMORY);
    try {
        qelImgErrorHandler::installTIFFHandlers();
        m_tif = qelImgTIFFProcessor::openTIFFMemoryToRead(data, static_cast<int>(length));
        if (!m_tif) {
            qelImgErrorHandler::restoreTIFFHandlers();
            qelImgErrorHandler::setPendingError(nullptr);
            throw new qelImgException(__FILE__, __LINE__, 19, 0, true, "memory stream");
        }
        check("qelImgTIFFDecoder()->openTIFFMemoryToRead", 1);
        open("qelImgTIFFDecoder()->TIFFNumberOfDirectories");
    } catch (...) {
        cleanup();
        throw;
    }
}

qelImgTIFFDecoder::qelImgTIFFDecoder(qelImgInfo* info, const unsigned char* data, unsigned int length,
                                     const unsigned char* palette)
{
    trace(kClass, "qelImgTIFFDecoder");
    initialize();
    if (!info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    if (!data || length == 0 || length > INT_MAX)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    setSourceKind(SOURCE_MEMORY);
    try {
        const int fillOrder = info->fillOrder == 1 ? 1 : 2;
        const int compression = info->compression == 10 ? 9 : info->compression;
        int headerLength = 0;
        if (compression == 1 || compression == 2) {
            qelImgTIFFProcessor::createG3TIFFHeader(info->width, info->height, info->bitsPerSample,
                                                    compression == 2 ? 1 : 0, info->dataPadded, info->photometric,
                                                    fillOrder, 1, info->xResolution, info->yResolution,
                                                    static_cast<int>(length), &m_header, &headerLength);
        } else {
            // The header writer takes a full table of 2^bits entries.
            std::vector<unsigned char> table;
            if (palette && info->bitsPerSample >= 2 && info->bitsPerSample <= 8) {
                table.assign(4u << info->bitsPerSample, 0);
                const size_t given = info->colorCount > 0 ? 4 * static_cast<size_t>(info->colorCount) : 0;
                std::memcpy(table.data(), palette, std::min(given, table.size()));
            }
            qelImgTIFFProcessor::createTIFFHeader(info->width, info->height, info->bitsPerSample,
                                                  toTIFFCompression(compression), info->photometric, fillOrder,
                                                  info->samplesPerPixel, info->xResolution, info->yResolution,
                                                  static_cast<int>(length), &m_header, &headerLength,
                                                  table.empty() ? nullptr : table.data());
        }
        qelImgLogger* log = logger();
        if (log && log->getLevel() >= 3) {
            // Debug copy of the generated file, in the working directory.
            if (FILE* file = std::fopen("newtif.tif", "wb")) {
                std::fwrite(m_header, 1, static_cast<size_t>(headerLength), file);
                std::fwrite(data, 1, length, file);
                std::fclose(file);
            }
        }
        m_stream = new qelImgTIFFStream("TIFFInputSteam", 1, m_header, static_cast<unsigned int>(headerLength), data,
                                        length);
        qelImgErrorHandler::installTIFFHandlers();
        m_tif = qelImgTIFFIOStreamProcessor::openTIFFIOStreamToRead(m_stream);
        if (!m_tif) {
            qelImgErrorHandler::restoreTIFFHandlers();
            qelImgErrorHandler::setPendingError(nullptr);
            throw new qelImgException(__FILE__, __LINE__, 19, 0, true, "memory stream");
        }
        check("qelImgTIFFDecoder()->openTIFFIOStreamToRead", 1);
        open("qelImgTIFFDecoder()->TIFFNumberOfDirectories");
    } catch (...) {
        cleanup();
        throw;
    }
}

qelImgTIFFDecoder::~qelImgTIFFDecoder()
{
    trace(kClass, "~qelImgTIFFDecoder");
    cleanup();
}

void qelImgTIFFDecoder::open(const char* label)
{
    const int count = static_cast<int>(TIFFNumberOfDirectories(m_tif));
    check(label, count);
    qelImgErrorHandler::restoreTIFFHandlers();
    m_pageCount = count;
    setPageNumber(0);
}

void qelImgTIFFDecoder::cleanup()
{
    m_stripBuffer.clear();
    m_stripBuffer.shrink_to_fit();
    closeHandle();
    qelImgErrorHandler::restoreTIFFHandlers();
    delete m_stream;
    m_stream = nullptr;
    delete[] m_header;
    m_header = nullptr;
}

void qelImgTIFFDecoder::closeHandle()
{
    if (m_tif) {
        TIFFClose(m_tif);
        m_tif = nullptr;
    }
}

void qelImgTIFFDecoder::fail(const char* text)
{
    closeHandle();
    qelImgErrorHandler::restoreTIFFHandlers();
    throw new qelImgException(__FILE__, __LINE__, 20, 0, true, text);
}

void qelImgTIFFDecoder::check(const char* label, int rc)
{
    qelImgErrorHandler::checkTIFFError(kClass, label, rc);
    qelImgErrorHandler::installTIFFHandlers();
}

TIFF* qelImgTIFFDecoder::handle()
{
    if (!m_tif)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    return m_tif;
}

void qelImgTIFFDecoder::initialize()
{
    m_tif = nullptr;
    m_rowsPerStrip = 0;
    m_scanlineSize = 0;
    m_stream = nullptr;
    m_currentLine = -1;
    m_currentStrip = -1;
    m_planar = 1;
    m_stripBuffer.clear();
    m_stripRows = 0;
    m_header = nullptr;
}

void qelImgTIFFDecoder::finalize()
{
    trace(kClass, "finalize");
}

// ================================================================== pages

void qelImgTIFFDecoder::setPageNumber(int page)
{
    trace(kClass, "setPageNumber");
    dropPage();
    m_stripBuffer.clear();
    m_stripRows = 0;
    m_currentLine = -1;
    m_currentStrip = -1;
    m_pageNumber = page;
    readHeader();
}

bool qelImgTIFFDecoder::doesPageExist(int page)
{
    trace(kClass, "doesPageExist");
    if (page == 0)
        return true;
    if (page < 0 || page + 1 > m_pageCount || !m_tif)
        return false;
    // The handle goes back to its own page: rows read later must match the
    // header already taken.
    qelImgErrorHandler::installTIFFHandlers();
    const tdir_t current = TIFFCurrentDirectory(m_tif);
    const int rc = TIFFSetDirectory(m_tif, static_cast<tdir_t>(page));
    const int back = current == static_cast<tdir_t>(page) ? 1 : TIFFSetDirectory(m_tif, current);
    qelImgErrorHandler::restoreTIFFHandlers();
    if (qelImgErrorHandler::getPendingError()) {
        qelImgErrorHandler::setPendingError(nullptr);
        return false;
    }
    return rc == 1 && back == 1;
}

void qelImgTIFFDecoder::readHeader()
{
    trace(kClass, "readHeader");
    TIFF* tif = handle();
    qelImgErrorHandler::installTIFFHandlers();
    try {
        const int page = m_pageNumber < 0 ? 0 : m_pageNumber;
        int rc = TIFFSetDirectory(tif, static_cast<tdir_t>(page));
        check("readHeader()->TIFFSetDirectory(1) ", rc);
        if (rc != 1)
            fail("TIFFSetDirectory failed");
        const bool tiled = TIFFIsTiled(tif) != 0;

        uint32_t height = 0;
        rc = TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        check("readHeader()->TIFFGetField(1) ", rc);
        if (rc != 1 || height > INT32_MAX)
            fail("Error while getting image height from the tiff handle");

        uint32_t rowsPerStrip = height;
        uint32_t tileWidth = 0, tileHeight = 0;
        if (tiled) {
            // Rows are decoded one row of tiles at a time.
            rc = TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
            check("readHeader()->TIFFGetField(8) ", rc);
            if (rc != 1 || tileWidth == 0)
                fail("Error while getting image tile width from the tiff handle");
            rc = TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
            check("readHeader()->TIFFGetField(9) ", rc);
            if (rc != 1 || tileHeight == 0)
                fail("Error while getting image tile height from the tiff handle");
            rowsPerStrip = tileHeight;
        } else if (TIFFNumberOfStrips(tif) != 1) {
            rc = TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
            check("readHeader()->TIFFGetField(2) ", rc);
            if (rc != 1)
                fail("Error while getting RowsPerStrip from the tiff handle");
        }
        // Rows of one strip never pass the rows of the image.
        if (rowsPerStrip == 0 || rowsPerStrip > height)
            rowsPerStrip = height;

        uint32_t width = 0;
        rc = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        check("readHeader()->TIFFGetField(3) ", rc);
        if (rc != 1 || width > INT32_MAX)
            fail("Error while getting image width from the tiff handle");

        uint16_t fillOrder = 1;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder) != 1)
            fillOrder = 1;

        float xResolution = 0, yResolution = 0;
        const bool hasX = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xResolution) == 1;
        const bool hasY = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yResolution) == 1;
        check("readHeader()->TIFFGetField(4) ", 0);

        uint16_t unit = RESUNIT_INCH, samples = 1, compression = COMPRESSION_NONE, bits = 1, photometric = 0;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit) != 1)
            unit = RESUNIT_INCH;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples) != 1)
            samples = 1;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression) != 1)
            compression = COMPRESSION_NONE;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits) != 1)
            bits = 1;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 1)
            photometric = 0;
        if (TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &m_planar) != 1)
            m_planar = PLANARCONFIG_CONTIG;
        uint16_t predictor = 1;
        // Only the codecs with a predictor know the tag.
        if (compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
            compression == COMPRESSION_DEFLATE) {
            if (TIFFGetField(tif, TIFFTAG_PREDICTOR, &predictor) != 1)
                predictor = 1;
        }
        check("readHeader()->TIFFGetFieldDefaulted(1) ", 0);

        uint8_t padded = 0;
        if (!tiled && compression == COMPRESSION_CCITTFAX3) {
            const int result = qelImgTIFFDataPadded::isDataPadded(tif);
            check("readHeader()->TIFFIsDataPadded(1) ", result);
            if (result < 0)
                fail("Error while getting data padded information from the tiff handle");
            padded = result != 0 ? 1 : 0;
        }

        std::unique_ptr<qelImgInfo> info(new qelImgInfo());
        info->type = 3;
        m_rowsPerStrip = static_cast<int>(rowsPerStrip);
        const int64_t bpp = static_cast<int64_t>(bits) * samples;
        info->bitsPerPixel = static_cast<int32_t>(std::min<int64_t>(bpp, INT32_MAX));
        info->bitsPerSample = bits;
        info->compression = fromTIFFCompression(compression);
        info->photometric = photometric;
        info->dataPadded = padded;
        if (info->compression == 1) {
            uint32_t options = 0;
            if (TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options) == 1 && (options & GROUP3OPT_2DENCODING))
                info->compression = 2;
        }
        if (!tiled) {
            info->stripCount = static_cast<int32_t>(std::min<uint32_t>(TIFFNumberOfStrips(tif), INT32_MAX));
        } else {
            info->tiled = 1;
            info->tileWidth = static_cast<int32_t>(std::min<uint32_t>(tileWidth, INT32_MAX));
            info->tileHeight = static_cast<int32_t>(std::min<uint32_t>(tileHeight, INT32_MAX));
            info->tilesAcross = static_cast<int32_t>(ceilDiv(width, tileWidth));
            info->tilesDown = static_cast<int32_t>(ceilDiv(height, tileHeight));
            info->tileCount = static_cast<int32_t>(std::min<uint32_t>(TIFFNumberOfTiles(tif), INT32_MAX));
            info->edgeTileWidth = static_cast<int32_t>(width % tileWidth);
            info->edgeTileHeight = static_cast<int32_t>(height % tileHeight);
        }
        info->fillOrder = fillOrder == 1 ? 1 : 2;
        info->height = static_cast<int32_t>(height);
        info->width = static_cast<int32_t>(width);
        info->samplesPerPixel = samples;
        info->predictor = predictor;

        const float fallback = qelImgProcessor::getDefaultResolution();
        if (!hasX || !hasY) {
            // Common in practice: the default resolution, with a warning.
            if (qelImgLogger* log = logger())
                log->warning("TIFF page %d has no resolution. Default resolution (%d dpi) is used.", page,
                             static_cast<int>(fallback));
            info->xResolution = static_cast<int32_t>(fallback);
            info->yResolution = static_cast<int32_t>(fallback);
        } else {
            auto whole = [](double v) {
                return v >= INT32_MAX ? INT32_MAX : v <= 0 || v != v ? 0 : static_cast<int32_t>(v);
            };
            if (unit == RESUNIT_CENTIMETER) {
                info->xResolution = whole(xResolution / 0.39370078);
                info->yResolution = whole(yResolution / 0.39370078);
            } else if (unit == RESUNIT_INCH) {
                info->xResolution = whole(xResolution);
                info->yResolution = whole(yResolution);
            }
            if (info->xResolution < 1) {
                info->xResolution = static_cast<int32_t>(fallback);
                info->yResolution = static_cast<int32_t>(fallback);
            }
        }
        info->colorCount = qelImgDIBUtils::getColorCount(info->bitsPerPixel);
        delete m_info;
        m_info = info.release();
        readColorTable();
        qelImgErrorHandler::restoreTIFFHandlers();

        qelImgLogger* log = logger();
        if (log)
            log->trace("\t\tPageNumber=>%d", page);
        printInfo();
        if (log) {
            log->info("\t\tRowsPerStrip=>%d", m_rowsPerStrip);
            log->info("\t\tPlanarConfiguration=>%d(%s)", m_planar,
                      m_planar == PLANARCONFIG_CONTIG ? "Single Plane" : "Separate Planes");
            log->info("\t\tScanLine Size=>%lld", static_cast<long long>(TIFFScanlineSize64(tif)));
            if (m_info->compression == 1 || m_info->compression == 2)
                log->info("\t\tDataPadded=>%s", padded ? "yes" : "no");
        }
        qelImgErrorHandler::restoreTIFFHandlers();
        qelImgErrorHandler::setPendingError(nullptr);
    } catch (...) {
        qelImgErrorHandler::restoreTIFFHandlers();
        throw;
    }
}

void qelImgTIFFDecoder::readColorTable()
{
    delete[] m_palette;
    m_palette = nullptr;
    m_paletteCount = 0;
    const int bits = m_info->bitsPerSample;
    // Tables for 1 to 8 bits a sample only; deeper pages have none.
    if (bits < 1 || bits > 8)
        return;
    const int n = 1 << bits;
    const int photometric = m_info->photometric;
    if (photometric != 0 && photometric != 1 && photometric != 3)
        return;
    std::unique_ptr<unsigned char[]> table(new unsigned char[4 * static_cast<size_t>(n)]());
    if (photometric == 3) {
        uint16_t* red = nullptr;
        uint16_t* green = nullptr;
        uint16_t* blue = nullptr;
        const int rc = TIFFGetField(m_tif, TIFFTAG_COLORMAP, &red, &green, &blue);
        check("readColorTable()->TIFFGetField(1) ", rc);
        if (rc != 1 || !red || !green || !blue)
            fail("Error while getting color table from the tiff handle");
        bool eightBit = true;
        for (int i = 0; i < n && eightBit; ++i)
            eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
        for (int i = 0; i < n; ++i) {
            auto byte = [eightBit](uint16_t v) { return static_cast<unsigned char>(eightBit ? v & 0xFF : v >> 8); };
            table[4 * i] = byte(blue[i]);
            table[4 * i + 1] = byte(green[i]);
            table[4 * i + 2] = byte(red[i]);
        }
    } else {
        const int step = 255 / (n - 1);
        for (int i = 0; i < n; ++i) {
            const int v = photometric == 0 ? 255 - i * step : i * step;
            std::memset(&table[4 * i], v, 3);
        }
    }
    m_palette = table.release();
    m_paletteCount = n;
}

// ============================================================== decoding

bool qelImgTIFFDecoder::decodePaletteAsRGB() const
{
    return m_params && m_params[0].getInt() == 1;
}

int qelImgTIFFDecoder::getDecodeBPP()
{
    if (!m_info)
        return -1;
    int bpp = m_info->bitsPerPixel;
    const int photometric = m_info->photometric;
    if ((photometric == 3 && decodePaletteAsRGB()) || photometric == 5 || photometric == 6 ||
        (photometric == 2 && m_info->samplesPerPixel == 4))
        bpp = 24;
    if (qelImgLogger* log = logger())
        log->trace("\t\tDecode BPP=>%d", bpp);
    return bpp;
}

int qelImgTIFFDecoder::getScanLineSize()
{
    if (!m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    const int64_t size = (static_cast<int64_t>(getDecodeBPP()) * m_info->width + 7) / 8;
    if (qelImgLogger* log = logger())
        log->trace("\t\tScanLineSizeTmp=>%lld", static_cast<long long>(size));
    return static_cast<int>(std::min<int64_t>(size, INT32_MAX));
}

qelImgTIFFDecoder::RowKind qelImgTIFFDecoder::rowKind() const
{
    switch (m_info->photometric) {
    case 2: return ROWS_RGB;
    case 3: return decodePaletteAsRGB() ? ROWS_RGBA : ROWS_GRAY;
    case 5: return ROWS_CMYK;
    case 6: return ROWS_RGBA;
    default: return ROWS_GRAY;
    }
}

void qelImgTIFFDecoder::checkSupportedFormat()
{
    trace(kClass, "checkSupportedFormat");
    qelImgInfo* info = getInfo();
    if (m_planar != PLANARCONFIG_CONTIG)
        throw new qelImgException(__FILE__, __LINE__, 57, 0, true);
    const int bpp = info->bitsPerPixel;
    const int compression = info->compression;
    bool depthOk = false;
    if (compression == 0 || compression == 11 || compression == 12 || (compression >= 20 && compression <= 36))
        depthOk = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32 || bpp == 48;
    else if (compression >= 1 && compression <= 3)
        depthOk = bpp == 1;
    else if (compression == 9 || compression == 10)
        depthOk = bpp == 8 || bpp == 24 || bpp == 32;
    else
        throw new qelImgException(__FILE__, __LINE__, 38, 0, true, "TIFF", qelImgUtils::getCompressionName(compression));
    // The row converters read whole bytes a sample.
    const int bits = info->bitsPerSample;
    const int samples = info->samplesPerPixel;
    if (info->photometric == 5)
        depthOk = depthOk && bits == 8 && samples == 4;
    else if (info->photometric == 2)
        depthOk = depthOk && (bits == 8 || bits == 16) && (samples == 3 || (samples == 4 && bits == 8));
    else if (info->photometric == 6)
        depthOk = depthOk && bits == 8 && samples == 3;
    if (!depthOk)
        throw new qelImgException(__FILE__, __LINE__, 52, 0, true, bpp, "TIFF");
    const int photometric = info->photometric;
    if (photometric != 0 && photometric != 1 && photometric != 2 && photometric != 3 && photometric != 5 &&
        photometric != 6)
        throw new qelImgException(__FILE__, __LINE__, 53, 0, true, "TIFF", qelImgUtils::getPhotometricName(photometric));
}

void qelImgTIFFDecoder::readStoredRows(uint32_t strip, int firstRow, int rows, std::vector<unsigned char>& raw,
                                       size_t rawRowBytes)
{
    TIFF* tif = handle();
    m_stripsRead = true;
    if (!m_info->tiled) {
        const tmsize_t size = static_cast<tmsize_t>(raw.size());
        const tmsize_t n = TIFFReadEncodedStrip(tif, strip, raw.data(), size);
        check("decodeStrip()->TIFFReadEncodedStrip(1) ", static_cast<int>(n < 0 ? -1 : 0));
        if (n < 0) {
            const int photometric = m_info->photometric;
            fail(photometric == 2   ? "TIFFReadEncodedStrip() Failed. Error while decompressing RGB data strip from the tiff handle"
                 : photometric == 5 ? "TIFFReadEncodedStrip() Failed. Error while decompressing CMYK data strip from the tiff handle"
                                    : "TIFFReadEncodedStrip() Failed. Error while decompressing data strip from the tiff handle");
        }
        return;
    }
    const uint32_t tileWidth = static_cast<uint32_t>(m_info->tileWidth);
    const size_t tileRowBytes = static_cast<size_t>(TIFFTileRowSize64(tif));
    const size_t tileSize = boundedSize(static_cast<int64_t>(TIFFTileSize64(tif)));
    if (tileRowBytes == 0 || tileSize == 0)
        fail("Error while reading raw data from tile (0) from the tiff handle");
    std::vector<unsigned char> tile(tileSize);
    const size_t tileRows = std::min<size_t>(static_cast<size_t>(rows), tileSize / tileRowBytes);
    for (uint32_t x = 0, across = 0; x < static_cast<uint32_t>(m_info->width); x += tileWidth, ++across) {
        const uint32_t index = TIFFComputeTile(tif, x, static_cast<uint32_t>(firstRow), 0, 0);
        const tmsize_t n = TIFFReadEncodedTile(tif, index, tile.data(), static_cast<tmsize_t>(tileSize));
        check("decodeStrip()->TIFFReadEncodedTile(1) ", static_cast<int>(n < 0 ? -1 : 0));
        if (n < 0)
            fail("TIFFReadEncodedTile() Failed. Error while decompressing data tile from the tiff handle");
        const size_t at = static_cast<size_t>(across) * tileRowBytes;
        if (at >= rawRowBytes)
            break;
        const size_t copy = std::min(tileRowBytes, rawRowBytes - at);
        for (size_t r = 0; r < tileRows; ++r)
            std::memcpy(raw.data() + r * rawRowBytes + at, tile.data() + r * tileRowBytes, copy);
    }
    (void)strip;
}

void qelImgTIFFDecoder::readRGBARows(int firstRow, int rows, std::vector<uint32_t>& raster)
{
    TIFF* tif = handle();
    m_stripsRead = true;
    char message[1024] = "";
    TIFFRGBAImage image;
    const char* failure = "TIFFReadRGBAStrip() Failed. Error while decompressing data strip from the tiff handle";
    int ok = TIFFRGBAImageOK(tif, message) && TIFFRGBAImageBegin(&image, tif, 0, message);
    check("decodeStrip()->TIFFRGBAImageBegin(1) ", ok ? 0 : -1);
    if (!ok) {
        if (qelImgLogger* log = logger())
            log->trace("\t\t%s", message);
        fail(failure);
    }
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.row_offset = firstRow;
    image.col_offset = 0;
    ok = TIFFRGBAImageGet(&image, raster.data(), static_cast<uint32_t>(m_info->width), static_cast<uint32_t>(rows));
    TIFFRGBAImageEnd(&image);
    check("decodeStrip()->TIFFRGBAImageGet(1) ", ok ? 0 : -1);
    if (!ok)
        fail(failure);
}

void qelImgTIFFDecoder::convertRow(RowKind kind, const unsigned char* raw, size_t rawBytes, unsigned char* out)
{
    const size_t width = static_cast<size_t>(m_info->width);
    const size_t outBytes = static_cast<size_t>(getScanLineSize());
    switch (kind) {
    case ROWS_GRAY: {
        const int bits = m_info->bitsPerSample;
        size_t copy = 0;
        if (bits == 1)
            copy = (width + 7) / 8;
        else if (bits == 4)
            copy = (width + 1) / 2;
        else if (bits == 8)
            copy = width;
        copy = std::min({copy, rawBytes, outBytes});
        if (copy == 0)
            return;
        std::memcpy(out, raw, copy);
        if (bits == 1 && width % 8 != 0 && copy == (width + 7) / 8) {
            // Bits past the last pixel show white.
            const unsigned char tail = static_cast<unsigned char>(0xFF >> (width % 8));
            if (m_info->photometric == 1)
                out[copy - 1] |= tail;
            else
                out[copy - 1] &= static_cast<unsigned char>(~tail);
        }
        break;
    }
    case ROWS_RGB:
        if (m_info->samplesPerPixel == 4) {
            for (size_t x = 0; x < width && 4 * x + 3 <= rawBytes && 3 * x + 3 <= outBytes; ++x)
                std::memcpy(out + 3 * x, raw + 4 * x, 3);
        } else {
            std::memcpy(out, raw, std::min(rawBytes, outBytes));
        }
        break;
    case ROWS_CMYK:
        for (size_t x = 0; x < width && 4 * x + 4 <= rawBytes && 3 * x + 3 <= outBytes; ++x) {
            int r = 0, g = 0, b = 0;
            const unsigned char* p = raw + 4 * x;
            qelImgUtils::cmykToRgb(p[0], p[1], p[2], p[3], &r, &g, &b);
            out[3 * x] = static_cast<unsigned char>(r);
            out[3 * x + 1] = static_cast<unsigned char>(g);
            out[3 * x + 2] = static_cast<unsigned char>(b);
        }
        break;
    case ROWS_RGBA:
        break;
    }
}

int qelImgTIFFDecoder::decodeStrip(uint32_t strip, int firstRow, std::vector<unsigned char>& out)
{
    // A failure before may have closed the handle.
    TIFF* tif = handle();
    qelImgErrorHandler::installTIFFHandlers();
    try {
        const int height = m_info->height;
        const int rows = std::min(m_rowsPerStrip, height - firstRow);
        if (qelImgLogger* log = logger())
            log->trace("\t\tRowsToRead=>%d", rows);
        if (rows <= 0) {
            out.clear();
            qelImgErrorHandler::restoreTIFFHandlers();
            return 0;
        }
        const RowKind kind = rowKind();
        const size_t rowBytes = static_cast<size_t>(getScanLineSize());
        const unsigned char fill = kind == ROWS_GRAY && m_info->photometric != 1 ? 0x00 : 0xFF;
        out.assign(boundedSize(static_cast<int64_t>(rowBytes) * rows), fill);
        if (kind == ROWS_RGBA) {
            std::vector<uint32_t> raster(boundedSize(static_cast<int64_t>(m_info->width) * rows * 4) / 4);
            readRGBARows(firstRow, rows, raster);
            const size_t width = static_cast<size_t>(m_info->width);
            for (size_t r = 0; r < static_cast<size_t>(rows); ++r) {
                unsigned char* line = out.data() + r * rowBytes;
                for (size_t x = 0; x < width && 3 * x + 3 <= rowBytes; ++x) {
                    const uint32_t p = raster[r * width + x];
                    line[3 * x] = static_cast<unsigned char>(TIFFGetR(p));
                    line[3 * x + 1] = static_cast<unsigned char>(TIFFGetG(p));
                    line[3 * x + 2] = static_cast<unsigned char>(TIFFGetB(p));
                }
            }
        } else {
            const size_t rawRowBytes = boundedSize(TIFFScanlineSize64(tif));
            std::vector<unsigned char> raw(boundedSize(static_cast<int64_t>(rawRowBytes) * rows), fill);
            readStoredRows(strip, firstRow, rows, raw, rawRowBytes);
            for (size_t r = 0; r < static_cast<size_t>(rows); ++r)
                convertRow(kind, raw.data() + r * rawRowBytes, rawRowBytes, out.data() + r * rowBytes);
        }
        qelImgErrorHandler::restoreTIFFHandlers();
        return rows;
    } catch (...) {
        qelImgErrorHandler::restoreTIFFHandlers();
        throw;
    }
}

void qelImgTIFFDecoder::decode(qelImgParamValue* params)
{
    trace(kClass, "decode");
    if (m_dib) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "Image is already decoded");
        return;
    }
    if (params)
        m_params = params;
    checkSupportedFormat();
    if (m_info->compression == 10) {
        decodeJPEG();
        return;
    }
    try {
        std::unique_ptr<qelImgDIBHeader> header(createDIBHeader(m_info->width, m_info->height, getDecodeBPP(),
                                                                m_info->xResolution, m_info->yResolution));
        createDIB(header.get());
        const size_t pitch = static_cast<size_t>(qelImgDIBUtils::getAlignedWidth(m_dib->header->biWidth,
                                                                                 m_dib->header->biBitCount)) *
                             m_dib->header->biBitCount / 8;
        const size_t imageSize = m_dib->header->biSizeImage;
        std::vector<unsigned char> rows;
        for (int first = 0; first < m_info->height; first += m_rowsPerStrip) {
            const uint32_t strip = m_info->tiled ? 0 : TIFFComputeStrip(handle(), static_cast<uint32_t>(first), 0);
            decodeStrip(strip, first, rows);
            const size_t at = pitch * static_cast<size_t>(first);
            if (at < imageSize)
                std::memcpy(m_dib->bits + at, rows.data(), std::min(rows.size(), imageSize - at));
        }
    } catch (qelImgException* e) {
        if (m_info->compression != 9)
            throw;
        if (qelImgLogger* log = logger())
            log->info("Libtif gives error on decoding JPEG data on page %d. Trying to decode with JPEG library",
                      m_pageNumber);
        delete e;
        decodeJPEG();
    } catch (const char* text) {
        if (m_info->compression != 9)
            throw;
        if (qelImgLogger* log = logger())
            log->info("Libtif gives error on decoding JPEG data on page %d. Msg:%s. Trying to decode with JPEG library",
                      m_pageNumber, text);
        decodeJPEG();
    }
    qelImgLogger* log = logger();
    if (log)
        log->trace("%s", "\t\tDecoded successfully");
    if (log && log->getLevel() >= 3 && qelImgProcessor::getTempDirectory()) {
        const std::string path = std::string(qelImgProcessor::getTempDirectory()) + "tifdecoded.dib";
        qelImgDIBUtils::writeDIB(path.c_str(), m_dib);
    }
}

void qelImgTIFFDecoder::decodeJPEG()
{
    trace(kClass, "decodeJPEG");
    unsigned char* data = nullptr;
    unsigned int length = 0;
    getEncodedData(&data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
    qelImgJPEGDecoder jpeg(data, length);
    jpeg.decode(m_params);
    qelImgDIB* copy = qelImgDIBUtils::copyDIB(jpeg.getDIBBuffer());
    delete m_dib;
    m_dib = copy;
}

int qelImgTIFFDecoder::readNextLine(unsigned char* row)
{
    if (!row || !m_info)
        return -1;
    const int line = m_currentLine + 1;
    if (line >= m_info->height)
        return 0;
    if (qelImgLogger* log = logger())
        log->trace("\tqelImgTIFFDecoder::readNextLine.LineNr=>%d", line);
    if (m_rowsPerStrip <= 0)
        return -1;
    const int band = line / m_rowsPerStrip;
    if (band != m_currentStrip) {
        // The strip decoders take only the layouts decode takes.
        if (m_currentStrip < 0)
            checkSupportedFormat();
        m_stripBuffer.clear();
        m_stripRows = 0;
        m_currentStrip = band;
        const int first = band * m_rowsPerStrip;
        const uint32_t strip = m_info->tiled ? 0 : TIFFComputeStrip(handle(), static_cast<uint32_t>(first), 0);
        m_stripRows = decodeStrip(strip, first, m_stripBuffer);
        m_scanlineSize = getScanLineSize();
    }
    const int at = line % m_rowsPerStrip;
    if (m_stripBuffer.empty() || at >= m_stripRows)
        return -1;
    std::memcpy(row, m_stripBuffer.data() + static_cast<size_t>(at) * static_cast<size_t>(m_scanlineSize),
                static_cast<size_t>(m_scanlineSize));
    m_currentLine = line;
    return 1;
}

int qelImgTIFFDecoder::decodeLine(int n, unsigned char* row)
{
    if (!row || !m_tif)
        return -1;
    if (!m_info || n >= m_info->height || n < 0)
        return 0;
    if (qelImgLogger* log = logger())
        log->trace("\tqelImgTIFFDecoder::decodeLine.LineNr=>%d", n);
    qelImgErrorHandler::installTIFFHandlers();
    int rc = 1;
    if (m_stripsRead) {
        // A strip read leaves the decoder past the data the scanline reader
        // would go on from; reading the directory again starts it afresh.
        m_stripsRead = false;
        rc = TIFFSetDirectory(m_tif, TIFFCurrentDirectory(m_tif));
    }
    if (rc == 1)
        rc = TIFFReadScanline(m_tif, row, static_cast<uint32_t>(n), 0);
    qelImgErrorHandler::restoreTIFFHandlers();
    if (qelImgErrorHandler::getPendingError())
        qelImgErrorHandler::checkTIFFError(kClass, "decodeLine()->TIFFReadScanline(1) ", rc);
    return rc == 1 ? 1 : -1;
}

int qelImgTIFFDecoder::getWidthFromData()
{
    trace(kClass, "getWidthFromData");
    if (!m_tif)
        return -1;
    qelImgErrorHandler::installTIFFHandlers();
    try {
        std::vector<unsigned char> row(boundedSize(TIFFScanlineSize64(m_tif)) + 1);
        const int rc = TIFFReadScanline(m_tif, row.data(), 0, 0);
        check("getWidthFromData()->TIFFReadScanline(1) ", rc);
        if (rc == -1)
            throw new qelImgException(__FILE__, __LINE__, 49, 0, true, "TIFF", 0);
        uint32_t width = 0;
        const int got = TIFFGetField(m_tif, TIFFTAG_IMAGEWIDTH, &width);
        check("getWidthFromData()->TIFFGetField(1) ", got);
        if (got != 1)
            fail("Error while getting image width from the tiff handle");
        qelImgErrorHandler::restoreTIFFHandlers();
        return static_cast<int>(std::min<uint32_t>(width, INT32_MAX));
    } catch (...) {
        qelImgErrorHandler::restoreTIFFHandlers();
        throw;
    }
}

// ============================================================= stored data

void qelImgTIFFDecoder::readRawStrile(uint32_t i, std::vector<unsigned char>& out, const char* errorFormat)
{
    TIFF* tif = handle();
    const uint64_t offset = TIFFGetStrileOffset(tif, i);
    const uint64_t count = TIFFGetStrileByteCount(tif, i);
    char text[160];
    if (count > qelImgTIFFSource::size(tif) || count > static_cast<uint64_t>(MAX_BUFFER_BYTES)) {
        std::snprintf(text, sizeof text, errorFormat, static_cast<int>(i));
        fail(text);
    }
    out.resize(static_cast<size_t>(count));
    const size_t n = qelImgTIFFSource::read(tif, offset, out.size(), out.data());
    if (n != out.size()) {
        std::snprintf(text, sizeof text,
                      "Error: Less number of bytes read(%d) than actual count(%d), while reading raw data for strip "
                      "(%d) from the tiff handle",
                      static_cast<int>(n), static_cast<int>(count), static_cast<int>(i));
        fail(text);
    }
}

bool qelImgTIFFDecoder::jpegTables(const unsigned char** data, uint32_t* length)
{
    *data = nullptr;
    *length = 0;
    void* tables = nullptr;
    uint32_t count = 0;
    if (TIFFGetField(m_tif, TIFFTAG_JPEGTABLES, &count, &tables) != 1 || !tables)
        return false;
    *data = static_cast<const unsigned char*>(tables);
    *length = count;
    return true;
}

void qelImgTIFFDecoder::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedData");
    *data = nullptr;
    *length = 0;
    qelImgInfo* info = getInfo();
    TIFF* tif = handle();
    qelImgErrorHandler::installTIFFHandlers();
    try {
        std::vector<unsigned char> out;
        const uint32_t strips = TIFFNumberOfStrips(tif);
        if (info->compression == 9 || info->compression == 10) {
            if (strips == 1)
                getEncodedJPEGDataFromSingleStrip(out);
            else
                getEncodedJPEGData(out);
            qelImgLogger* log = logger();
            if (log && log->getLevel() >= 3 && qelImgProcessor::getTempDirectory()) {
                const std::string path = std::string(qelImgProcessor::getTempDirectory()) + "tiffjpeg.jpeg";
                qelImgUtils::writeFile(path.c_str(), out.data(), static_cast<unsigned int>(out.size()));
            }
        } else {
            uint64_t total = 0;
            for (uint32_t i = 0; i < strips; ++i)
                total += TIFFGetStrileByteCount(tif, i);
            check("getEncodedData()->TIFFGetField(1) ", 0);
            // Counts past the source fail strip by strip below.
            out.reserve(boundedSize(static_cast<int64_t>(std::min(total, qelImgTIFFSource::size(tif)))));
            std::vector<unsigned char> strip;
            for (uint32_t i = 0; i < strips; ++i) {
                readRawStrile(i, strip, "Error while reading raw data for strip (%d) from the tiff handle");
                out.insert(out.end(), strip.begin(), strip.end());
            }
            if (info->fillOrder != 1) {
                TIFFReverseBits(out.data(), static_cast<tmsize_t>(out.size()));
                info->fillOrder = 1;
                if (qelImgLogger* log = logger())
                    log->trace("%s", "\t\tFillorder is MSB2LSB. Byte order reversed( to LSB2MSB)");
            }
        }
        check("getEncodedData()->TIFFReadRawStrip", 0);
        qelImgErrorHandler::restoreTIFFHandlers();
        if (out.size() > UINT32_MAX)
            throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
        *data = new unsigned char[out.size() ? out.size() : 1];
        if (!out.empty())
            std::memcpy(*data, out.data(), out.size());
        *length = static_cast<unsigned int>(out.size());
    } catch (...) {
        qelImgErrorHandler::restoreTIFFHandlers();
        throw;
    }
}

void qelImgTIFFDecoder::getEncodedJPEGDataFromSingleStrip(std::vector<unsigned char>& out)
{
    TIFF* tif = handle();
    std::vector<unsigned char> strip;
    if (m_info->compression == 10) {
        // The stream starts at JPEGInterchangeFormat, read through the source.
        uint64_t start = 0, headerLength = 0;
        if (TIFFGetField(tif, TIFFTAG_JPEGIFOFFSET, &start) != 1 || start == 0) {
            closeHandle();
            throw new qelImgException(__FILE__, __LINE__, 42, 0, true);
        }
        if (TIFFGetField(tif, TIFFTAG_JPEGIFBYTECOUNT, &headerLength) != 1)
            headerLength = 0;
        uint64_t size = TIFFGetStrileByteCount(tif, 0);
        if (start != TIFFGetStrileOffset(tif, 0) && headerLength != 0)
            size += headerLength;
        if (size > qelImgTIFFSource::size(tif) || size > static_cast<uint64_t>(MAX_BUFFER_BYTES)) {
            closeHandle();
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, 1);
        }
        strip.resize(static_cast<size_t>(size));
        strip.resize(qelImgTIFFSource::read(tif, start, strip.size(), strip.data()));
        if (strip.empty()) {
            closeHandle();
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, 1);
        }
    } else {
        readRawStrile(0, strip, "Error while reading raw data for strip (%d) from the tiff handle");
    }
    if (qelImgLogger* log = logger())
        log->trace("Raw StripSize =%d\n", static_cast<int>(strip.size()));
    if (m_info->fillOrder == 2)
        TIFFReverseBits(strip.data(), static_cast<tmsize_t>(strip.size()));
    const unsigned char* tables = nullptr;
    uint32_t tablesLength = 0;
    out.clear();
    if (m_info->compression == 9 && jpegTables(&tables, &tablesLength) && tablesLength > 4 && strip.size() >= 2 &&
        strip[0] == 0xFF && strip[1] == 0xD8) {
        // Tables without their end marker, then the strip without its start.
        out.assign(tables, tables + tablesLength - 2);
        out.insert(out.end(), strip.begin() + 2, strip.end());
    } else {
        out.swap(strip);
    }
    if (qelImgLogger* log = logger())
        log->trace("stripSize=%d, bytesread =%d\n", static_cast<int>(out.size()), static_cast<int>(out.size()));
}

void qelImgTIFFDecoder::getEncodedJPEGData(std::vector<unsigned char>& out)
{
    TIFF* tif = handle();
    const uint32_t strips = TIFFNumberOfStrips(tif);
    uint64_t total = 0, largest = 0;
    for (uint32_t i = 0; i < strips; ++i) {
        const uint64_t count = TIFFGetStrileByteCount(tif, i);
        total += count;
        largest = std::max(largest, count);
    }
    if (qelImgLogger* log = logger()) {
        log->trace("Nstrips =%d\n", static_cast<int>(strips));
        log->trace("stripSize =%d\n", static_cast<int>(std::min<uint64_t>(largest, INT32_MAX)));
    }
    if (total > qelImgTIFFSource::size(tif) || total > static_cast<uint64_t>(MAX_BUFFER_BYTES)) {
        closeHandle();
        throw new qelImgException(__FILE__, __LINE__, 43, 0, true, 0);
    }
    out.clear();
    std::vector<unsigned char> strip;
    auto readStrip = [&](uint32_t i) {
        const uint64_t offset = TIFFGetStrileOffset(tif, i);
        strip.resize(static_cast<size_t>(TIFFGetStrileByteCount(tif, i)));
        if (qelImgTIFFSource::read(tif, offset, strip.size(), strip.data()) != strip.size()) {
            closeHandle();
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, static_cast<int>(i));
        }
    };
    if (m_info->compression == 10) {
        uint64_t start = 0, headerLength = 0;
        const bool hasStart = TIFFGetField(tif, TIFFTAG_JPEGIFOFFSET, &start) == 1 && start != 0;
        if (hasStart && TIFFGetField(tif, TIFFTAG_JPEGIFBYTECOUNT, &headerLength) != 1)
            headerLength = 0;
        if (hasStart && headerLength == 0) {
            const uint64_t size = total + 2 * static_cast<uint64_t>(strips) + 6;
            out.resize(boundedSize(static_cast<int64_t>(std::min<uint64_t>(size, INT64_MAX))));
            out.resize(qelImgTIFFSource::read(tif, start, out.size(), out.data()));
            return;
        }
        if (hasStart) {
            if (headerLength > qelImgTIFFSource::size(tif)) {
                closeHandle();
                throw new qelImgException(__FILE__, __LINE__, 42, 0, true);
            }
            out.resize(static_cast<size_t>(headerLength));
            if (qelImgTIFFSource::read(tif, start, out.size(), out.data()) != out.size()) {
                closeHandle();
                throw new qelImgException(__FILE__, __LINE__, 42, 0, true);
            }
            uint16_t h = 1, v = 1;
            if (TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v) != 1 || h == 0 || v == 0)
                h = v = 1;
            putRestartInterval(out, ceilDiv(static_cast<uint64_t>(m_info->width), 8u * h) *
                                        ceilDiv(static_cast<uint64_t>(m_rowsPerStrip), 8u * v));
        } else {
            const int rc = prepareOJPEGHeader(out);
            if (rc < 0) {
                closeHandle();
                throw new qelImgException(__FILE__, __LINE__, 42, 0, true);
            }
        }
        for (uint32_t i = 0; i < strips; ++i) {
            readStrip(i);
            if (i > 0) {
                out.push_back(0xFF);
                out.push_back(static_cast<unsigned char>(0xD0 | ((i - 1) % 8)));
            }
            out.insert(out.end(), strip.begin(), strip.end());
        }
        const size_t n = out.size();
        if (!hasStart && !(n >= 2 && out[n - 2] == 0xFF && out[n - 1] == 0xD9)) {
            out.push_back(0xFF);
            out.push_back(0xD9);
        }
        return;
    }
    const unsigned char* tables = nullptr;
    uint32_t tablesLength = 0;
    if (jpegTables(&tables, &tablesLength) && tablesLength > 4) {
        if (qelImgLogger* log = logger())
            log->trace("JPEG Table Size=%d\n", static_cast<int>(tablesLength));
        out.assign(tables, tables + tablesLength - 2);
    }
    for (uint32_t i = 0; i < strips; ++i) {
        readStrip(i);
        if (!processJPEGStrip(strip.data(), strip.size(), out, i, static_cast<uint32_t>(m_info->height))) {
            closeHandle();
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, static_cast<int>(i));
        }
    }
    out.push_back(0xFF);
    out.push_back(0xD9);
}

bool qelImgTIFFDecoder::processJPEGStrip(const unsigned char* strip, size_t length, std::vector<unsigned char>& out,
                                         uint32_t index, uint32_t imageHeight)
{
    size_t p = 0;
    while (p + 1 < length) {
        if (strip[p] != 0xFF || strip[p + 1] == 0xFF || strip[p + 1] == 0x00) {
            ++p;
            continue;
        }
        const unsigned char marker = strip[p + 1];
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            p += 2;
            continue;
        }
        if (p + 4 > length)
            return false;
        const size_t segment = static_cast<size_t>(strip[p + 2]) << 8 | strip[p + 3];
        if (segment < 2 || p + 2 + segment > length)
            return false;
        const unsigned char* begin = strip + p;
        const unsigned char* end = strip + p + 2 + segment;
        switch (marker) {
        case 0xC0: case 0xC1: case 0xC3: case 0xC9: case 0xCA: {
            if (index != 0)
                break;
            if (segment < 8)
                return false;
            const size_t components = begin[9];
            if (segment < 8 + 3 * components)
                return false;
            int hMax = 1, vMax = 1;
            for (size_t c = 0; c < components; ++c) {
                const unsigned char factors = begin[10 + 3 * c + 1];
                hMax = std::max(hMax, factors >> 4);
                vMax = std::max(vMax, factors & 0x0F);
            }
            const uint32_t y = static_cast<uint32_t>(begin[5]) << 8 | begin[6];
            const uint32_t x = static_cast<uint32_t>(begin[7]) << 8 | begin[8];
            const size_t at = out.size();
            out.insert(out.end(), begin, end);
            const uint32_t height = std::min<uint32_t>(imageHeight, 0xFFFF);
            out[at + 5] = static_cast<unsigned char>(height >> 8);
            out[at + 6] = static_cast<unsigned char>(height);
            putRestartInterval(out, ceilDiv(x, 8u * static_cast<uint32_t>(hMax)) *
                                        ceilDiv(y, 8u * static_cast<uint32_t>(vMax)));
            break;
        }
        case 0xC4: case 0xDB:
            out.insert(out.end(), begin, end);
            break;
        case 0xDA: {
            if (index == 0) {
                out.insert(out.end(), begin, end);
            } else {
                out.push_back(0xFF);
                out.push_back(static_cast<unsigned char>(0xD0 | ((index - 1) % 8)));
            }
            const size_t data = p + 2 + segment;
            if (length >= 2 && length - 2 > data)
                out.insert(out.end(), strip + data, strip + length - 2);
            return true;
        }
        default:
            break;
        }
        p += 2 + segment;
    }
    return false;
}

int qelImgTIFFDecoder::prepareOJPEGHeader(std::vector<unsigned char>& out)
{
    if (!m_tif || !m_info)
        return -1;
    if (m_planar == PLANARCONFIG_SEPARATE)
        return -2;
    uint16_t process = 0;
    if (TIFFGetField(m_tif, TIFFTAG_JPEGPROC, &process) != 1)
        return -3;
    if (process != 1 && process != 14)
        return -4;
    uint32_t count = 0;
    void* tables = nullptr;
    if (TIFFGetField(m_tif, TIFFTAG_JPEGQTABLES, &count, &tables) != 1 || !tables)
        return -5;
    // The library answers the tables as a count of file offsets, never as
    // 64 table bytes a sample: the header cannot be built from them.
    if (count < 64u * static_cast<uint32_t>(m_info->samplesPerPixel))
        return -6;
    out.clear();
    return -6;
}

// ================================================================== tiles

void qelImgTIFFDecoder::getEncodedTileData(int tile, unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedTileData");
    *data = nullptr;
    *length = 0;
    if (!m_info)
        return;
    TIFF* tif = handle();
    m_tileNumber = tile;
    const uint64_t tileSize = TIFFTileSize64(tif);
    if (tileSize == 0)
        return;
    char text[128];
    std::snprintf(text, sizeof text, "Error while reading raw data from tile (%d) from the tiff handle", tile);
    if (tile < 0 || static_cast<uint32_t>(tile) >= TIFFNumberOfTiles(tif))
        fail(text);
    std::vector<unsigned char> raw;
    readRawStrile(static_cast<uint32_t>(tile), raw, "Error while reading raw data from tile (%d) from the tiff handle");
    std::vector<unsigned char> out;
    if (m_info->compression == 9) {
        const unsigned char* tables = nullptr;
        uint32_t tablesLength = 0;
        if (!jpegTables(&tables, &tablesLength))
            fail(text);
        if (tablesLength >= 4 && raw.size() >= 2) {
            out.assign(tables, tables + tablesLength - 2);
            out.insert(out.end(), raw.begin() + 2, raw.end());
        } else {
            out.swap(raw);
        }
    } else {
        if (raw.size() > tileSize)
            raw.resize(static_cast<size_t>(tileSize));
        out.swap(raw);
    }
    *data = new unsigned char[out.size() ? out.size() : 1];
    if (!out.empty())
        std::memcpy(*data, out.data(), out.size());
    *length = static_cast<unsigned int>(out.size());
}

int qelImgTIFFDecoder::decodeTileImage(qelImgParamValue* params, int tile)
{
    trace(kClass, "decodeTileImage");
    if (params)
        m_params = params;
    checkSupportedFormat();
    TIFF* tif = handle();
    if (!m_info->tiled || tile < 0 || static_cast<uint32_t>(tile) >= TIFFNumberOfTiles(tif))
        throw new qelImgException(__FILE__, __LINE__, 36, 0, true);
    m_tileNumber = tile;
    const int tileWidth = m_info->tileWidth;
    const int tileHeight = m_info->tileHeight;
    std::unique_ptr<qelImgDIBHeader> header(
        createDIBHeader(tileWidth, tileHeight, getDecodeBPP(), m_info->xResolution, m_info->yResolution));
    createDIB(header.get());
    const size_t rowBytes = static_cast<size_t>(header->biSizeImage / static_cast<uint32_t>(tileHeight));
    const RowKind kind = rowKind();
    qelImgErrorHandler::installTIFFHandlers();
    try {
        if (kind == ROWS_RGBA) {
            std::vector<uint32_t> raster(
                boundedSize(static_cast<int64_t>(tileWidth) * tileHeight * 4) / 4);
            const uint32_t col = static_cast<uint32_t>(tile % m_info->tilesAcross) * static_cast<uint32_t>(tileWidth);
            const uint32_t row = static_cast<uint32_t>(tile / m_info->tilesAcross) * static_cast<uint32_t>(tileHeight);
            const int ok = TIFFReadRGBATile(tif, col, row, raster.data());
            check("decode()->TIFFReadRGBATile(1) ", ok ? 0 : -1);
            if (!ok)
                fail("TIFFReadRGBATile() Failed. Error while decompressing data tile from the tiff handle");
            // Bottom-up raster.
            for (int r = 0; r < tileHeight; ++r) {
                unsigned char* line = m_dib->bits + static_cast<size_t>(r) * rowBytes;
                const uint32_t* source = raster.data() + static_cast<size_t>(tileHeight - 1 - r) * tileWidth;
                for (int x = 0; x < tileWidth && 3 * static_cast<size_t>(x) + 3 <= rowBytes; ++x) {
                    line[3 * x] = static_cast<unsigned char>(TIFFGetR(source[x]));
                    line[3 * x + 1] = static_cast<unsigned char>(TIFFGetG(source[x]));
                    line[3 * x + 2] = static_cast<unsigned char>(TIFFGetB(source[x]));
                }
            }
        } else {
            const size_t tileSize = boundedSize(static_cast<int64_t>(TIFFTileSize64(tif)));
            std::vector<unsigned char> raw(tileSize);
            const tmsize_t n = TIFFReadEncodedTile(tif, static_cast<uint32_t>(tile), raw.data(),
                                                   static_cast<tmsize_t>(raw.size()));
            check("decode()->TIFFReadEncodedTile(1) ", static_cast<int>(n < 0 ? -1 : 0));
            if (n < 0)
                fail("TIFFReadEncodedTile() Failed. Error while decompressing data tile from the tiff handle");
            const size_t rawRowBytes = static_cast<size_t>(TIFFTileRowSize64(tif));
            if (kind == ROWS_GRAY || (kind == ROWS_RGB && m_info->samplesPerPixel != 4)) {
                std::memcpy(m_dib->bits, raw.data(), std::min<size_t>(raw.size(), header->biSizeImage));
            } else {
                // Four stored samples become three.
                const int saved = m_info->width;
                m_info->width = tileWidth;
                for (int r = 0; r < tileHeight && rawRowBytes && (static_cast<size_t>(r) + 1) * rawRowBytes <= raw.size();
                     ++r)
                    convertRow(kind, raw.data() + static_cast<size_t>(r) * rawRowBytes, rawRowBytes,
                               m_dib->bits + static_cast<size_t>(r) * rowBytes);
                m_info->width = saved;
            }
        }
        qelImgErrorHandler::restoreTIFFHandlers();
    } catch (...) {
        qelImgErrorHandler::restoreTIFFHandlers();
        throw;
    }
    if (qelImgLogger* log = logger())
        log->trace("%s", "\t\tDecoded Tile Image successfully");
    return 0;
}

void qelImgTIFFDecoder::getEncodedBandData(qelImageStrips*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedBandData()", "TIFF Decoder");
}

// ============================================================== statics

bool qelImgTIFFDecoder::hasTIFFSignature(const unsigned char* d, unsigned int n)
{
    return d && n >= 4 &&
           ((d[0] == 'I' && d[1] == 'I' && d[2] == 0x2A && d[3] == 0x00) ||
            (d[0] == 'M' && d[1] == 'M' && d[2] == 0x00 && d[3] == 0x2A));
}

int qelImgTIFFDecoder::fromTIFFCompression(int tiffCompression)
{
    for (const CompressionPair& pair : kCompressions)
        if (pair.tiff == tiffCompression)
            return pair.code;
    return 19;
}

int qelImgTIFFDecoder::toTIFFCompression(int compression)
{
    if (compression == 2)
        return 3;
    for (const CompressionPair& pair : kCompressions)
        if (pair.code == compression)
            return pair.tiff;
    return 19;
}
