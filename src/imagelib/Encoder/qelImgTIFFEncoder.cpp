#include "qelImgTIFFEncoder.h"

#include "qelImg1BPPConverter.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTIFF.h"
#include "qelImgTIFFIOStreamProcessor.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgTypes.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <strings.h>

namespace
{
const char* const kClass = "qelImgTIFFEncoder";

void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", kClass, operation);
}

void check(const char* step, int rc)
{
    qelImgErrorHandler::checkTIFFError(kClass, step, rc);
}

// The four document text tags.
const TIFFFieldInfo kDocFields[] = {
    {667, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Keyword")},
    {668, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Subject")},
    {669, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Title")},
    {670, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Author")},
};

// Closes a TIFF handle on scope exit unless released.
struct HandleGuard
{
    TIFF*& tif;
    ~HandleGuard()
    {
        if (tif)
            TIFFClose(tif);
        tif = nullptr;
    }
};

struct HandlerScope
{
    HandlerScope() { qelImgErrorHandler::installTIFFHandlers(); }
    ~HandlerScope() { qelImgErrorHandler::restoreTIFFHandlers(); }
};
}

qelImgTIFFEncoder::qelImgTIFFEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgTIFFEncoder");
}

qelImgTIFFEncoder::~qelImgTIFFEncoder()
{
    cleanup();
}

void qelImgTIFFEncoder::cleanup()
{
    m_pages.clear();
    if (m_memory) {
        TIFFClose(m_memory);
        m_memory = nullptr;
    }
}

void qelImgTIFFEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (!info)
        return;
    m_params = params;
    m_info = info;
    m_initialized = true;
    m_pages.clear();
}

int qelImgTIFFEncoder::writeLine(unsigned char* row, int length)
{
    if (!m_memory || !row || length <= 0)
        return -1;
    if (m_invert)
        for (int i = 0; i < length; ++i)
            row[i] = static_cast<unsigned char>(~row[i]);
    // libtiff reads a whole row of the page's width, which may be wider
    // than the source's rows.
    const size_t copied = std::min(m_line.size(), static_cast<size_t>(length));
    std::memcpy(m_line.data(), row, copied);
    std::memset(m_line.data() + copied, 0, m_line.size() - copied);
    const int rc = TIFFWriteScanline(m_memory, m_line.data(), m_row++, 0);
    check("writeLine()->TIFFWriteScanline()", rc);
    return rc;
}

int qelImgTIFFEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    qelImgDIBDecoder wrapper(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib)));
    return encode(&wrapper);
}

int qelImgTIFFEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        return 0;
    HandlerScope handlers;
    try {
        encodePage(decoder);
    } catch (...) {
        cleanup();
        throw;
    }
    return 1;
}

void qelImgTIFFEncoder::encodePage(qelImgDecoder* decoder)
{
    decoder->setParameters(m_params);
    const qelImgInfo* source = decoder->getInfo();
    const int type = m_encodeType;
    const bool fax = type == QELIMG_ENCODE_TIFF_G3_1D || type == QELIMG_ENCODE_TIFF_G3_2D ||
                     type == QELIMG_ENCODE_TIFF_G4 ||
                     !(type == QELIMG_ENCODE_TIFF_UNCOMPRESSED || type == QELIMG_ENCODE_TIFF_JPEG ||
                       type == QELIMG_ENCODE_TIFF_LZW || type == QELIMG_ENCODE_TIFF_PACKBITS);
    qelImgInfo info = *source;
    if (m_params && m_params[QELIMG_PARAM_OUTPUT_WIDTH].getInt() > 0)
        info.width = m_params[QELIMG_PARAM_OUTPUT_WIDTH].getInt();
    if (m_params && m_params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt() > 0)
        info.height = m_params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt();
    const bool dither = fax && source->bitsPerPixel == 8;
    if (dither) {
        info.bitsPerPixel = 1;
        info.bitsPerSample = 1;
        info.samplesPerPixel = 1;
        // The dither sets white pixels: BlackIsZero rows, whatever the
        // photometric parameter says.
        info.photometric = 1;
    }
    info.compression = 0;
    info.colorCount = qelImgDIBUtils::getColorCount(info.bitsPerPixel);
    if (info.bitsPerPixel != 1 && info.bitsPerPixel != 4 && info.bitsPerPixel != 8)
        info.colorCount = 0;
    std::unique_ptr<qelImgTIFF> page(new qelImgTIFF("TIFF"));
    page->setColorCount(info.colorCount);

    unsigned char* palette = nullptr;
    int paletteCount = 0;
    decoder->getColorTable(&palette, &paletteCount);
    if ((info.bitsPerPixel == 4 || (info.bitsPerPixel == 8 && info.photometric == 3)) && palette &&
        paletteCount > 0) {
        const int n = 1 << info.bitsPerPixel;
        std::vector<uint16_t> maps[3];
        for (auto& m : maps)
            m.assign(static_cast<size_t>(n), 0);
        for (int i = 0; i < n && i < paletteCount; ++i) {
            maps[0][i] = static_cast<uint16_t>(palette[4 * i + 2] << 8);
            maps[1][i] = static_cast<uint16_t>(palette[4 * i + 1] << 8);
            maps[2][i] = static_cast<uint16_t>(palette[4 * i] << 8);
        }
        page->setColorMap(qelImgTIFF::RED, maps[0].data());
        page->setColorMap(qelImgTIFF::GREEN, maps[1].data());
        page->setColorMap(qelImgTIFF::BLUE, maps[2].data());
    }

    m_memory = qelImgTIFFProcessor::openTIFFMemoryToWrite();
    if (!m_memory)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    // Three samples are RGB, whatever the source called them (JPEG
    // decoders report their colour space).
    if (info.samplesPerPixel == 3 && info.bitsPerPixel == 24)
        info.photometric = 2;
    // BlackIsZero pages are written inverted as WhiteIsZero.
    m_invert = info.photometric == 1 && info.bitsPerPixel == 1;
    if (m_invert)
        info.photometric = 0;
    page->setInfo(&info);
    const int samples = info.samplesPerPixel > 0 ? info.samplesPerPixel : 1;
    setProperties(m_memory, type, info.width, info.height, samples, info.bitsPerSample, info.xResolution,
                  info.yResolution, info.photometric, info.fillOrder, page->getColorMap(qelImgTIFF::RED),
                  page->getColorMap(qelImgTIFF::GREEN), page->getColorMap(qelImgTIFF::BLUE));
    m_row = 0;
    const tmsize_t lineSize = TIFFScanlineSize(m_memory);
    check("encode()->TIFFScanlineSize()", static_cast<int>(lineSize > 0));
    if (lineSize <= 0 || lineSize > qelImgDecoder::MAX_BUFFER_BYTES)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    m_line.assign(static_cast<size_t>(lineSize), 0);
    if (dither) {
        // Every 8-bit fax page is dithered, so that rows and tags agree;
        // method 0 is the converter's default ordered dither.
        qelImg1BPPConverter converter;
        converter.setParameters(m_params);
        converter.convert(decoder, this, m_params);
        converter.finalize();
    } else {
        const int size = decoder->getScanLineSize();
        if (size <= 0)
            throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
        std::vector<unsigned char> row(static_cast<size_t>(size));
        for (;;) {
            std::memset(row.data(), 0, row.size());
            if (decoder->readNextLine(row.data()) != 1)
                break;
            if (m_row >= static_cast<uint32_t>(info.height))
                break;
            writeLine(row.data(), size);
        }
    }
    // A source shorter than the page: blank rows, so the strip is whole.
    std::vector<unsigned char> blank(m_line.size(), m_invert ? 0xFF : 0);
    while (m_row < static_cast<uint32_t>(info.height) && m_row > 0)
        writeLine(blank.data(), static_cast<int>(blank.size()));
    check("encode()->TIFFWriteDirectory()", TIFFWriteDirectory(m_memory));
    check("encode()->TIFFFlush()", TIFFFlush(m_memory));
    check("encode()->TIFFSetDirectory()", TIFFSetDirectory(m_memory, 0));
    if (type == QELIMG_ENCODE_TIFF_JPEG) {
        uint32_t length = 0;
        void* tables = nullptr;
        const int rc = TIFFGetField(m_memory, TIFFTAG_JPEGTABLES, &length, &tables);
        check("encode()->TIFFGetField()", rc);
        if ((length && !tables) || (tables && !rc))
            throw new qelImgException(__FILE__, __LINE__, 20, 0, true,
                                      "Error while getting TIFFTAG_JPEGTABLES from the tiff output handle");
        if (rc && length)
            page->setJPEGTables(static_cast<const unsigned char*>(tables), length);
    }
    const tmsize_t stripSize = TIFFRawStripSize(m_memory, 0);
    check("encode()->TIFFRawStripSize()", static_cast<int>(stripSize > 0));
    if (stripSize <= 0 || stripSize > qelImgDecoder::MAX_BUFFER_BYTES) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("%s: Memory allocation failure", "qelImgTIFFEncoder::encode()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    std::vector<unsigned char> strip(static_cast<size_t>(stripSize));
    const tmsize_t got = TIFFReadRawStrip(m_memory, 0, strip.data(), stripSize);
    check("encode()->TIFFReadRawStrip()", static_cast<int>(got > 0));
    TIFFClose(m_memory);
    m_memory = nullptr;
    if (got <= 0)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    if (page->addPage(strip.data(), static_cast<unsigned int>(got)) != 1)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    m_pages.push_back(Page{std::move(page), type});
}

void qelImgTIFFEncoder::setProperties(TIFF* tif, int type, int width, int height, int samplesPerPixel, int bitsPerSample,
                                      int xResolution, int yResolution, int photometric, int fillOrder,
                                      const uint16_t* red, const uint16_t* green, const uint16_t* blue)
{
    trace("setProperties");
    const char* step = " setProperties()->TIFFSetField()";
    check(step, TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)));
    check(step, TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)));
    check(step, TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT));
    check(step, TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(samplesPerPixel)));
    check(step, TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bitsPerSample)));
    check(step, TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH));
    // Each direction its own resolution: a fax page of 204 x 98 dpi keeps
    // its proportions.
    check(step, TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(xResolution)));
    check(step, TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(yResolution)));
    check(step, TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG));
    check(step, TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(photometric)));
    check(step, TIFFSetField(tif, TIFFTAG_FILLORDER, static_cast<uint16_t>(fillOrder > 0 ? fillOrder : 1)));
    check(step, TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height)));
    if ((bitsPerSample == 4 || bitsPerSample == 8) && red && green && blue && type != QELIMG_ENCODE_TIFF_JPEG)
        check(step, TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue));
    switch (type) {
    case QELIMG_ENCODE_TIFF_UNCOMPRESSED: check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE)); break;
    case QELIMG_ENCODE_TIFF_G3_1D: check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3)); break;
    case QELIMG_ENCODE_TIFF_G3_2D:
        check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3));
        check(step, TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING));
        break;
    case QELIMG_ENCODE_TIFF_JPEG:
        if (samplesPerPixel * bitsPerSample == 24)
            check(step, TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB));
        else if (photometric == 3 && m_params)
            check(step, TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                                     static_cast<uint16_t>(m_params[QELIMG_PARAM_PHOTOMETRIC].getInt())));
        check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG));
        check(step, TIFFSetField(tif, TIFFTAG_JPEGTABLESMODE, JPEGTABLESMODE_QUANT | JPEGTABLESMODE_HUFF));
        if (samplesPerPixel == 3) {
            check(step, TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB));
            check(step, TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RAW));
        }
        if (m_params) {
            const int quality = m_params[QELIMG_PARAM_JPEG_QUALITY].getInt();
            check(step, TIFFSetField(tif, TIFFTAG_JPEGQUALITY, quality > 0 && quality <= 100 ? quality : 75));
        }
        break;
    case QELIMG_ENCODE_TIFF_LZW: check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW)); break;
    case QELIMG_ENCODE_TIFF_PACKBITS: check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS)); break;
    default: check(step, TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4)); break;
    }
}

void qelImgTIFFEncoder::setDocProperties(TIFF* tif)
{
    trace("setDocProperties");
    check("setDocProperties()->TIFFMergeFieldInfo()",
          TIFFMergeFieldInfo(tif, kDocFields, sizeof kDocFields / sizeof kDocFields[0]) == 0);
    auto text = [this](int slot) -> std::string { return m_params ? m_params[slot].getText() : ""; };
    std::string software = text(QELIMG_PARAM_SOFTWARE);
    if (software.empty())
        software = qelImgProcessor::getSoftwareName() ? qelImgProcessor::getSoftwareName() : "";
    std::string artist = text(QELIMG_PARAM_CREATOR);
    if (artist.empty() && qelImgProcessor::getArtist())
        artist = qelImgProcessor::getArtist();
    std::string keywords, subject, title, author, copyright;
    if (m_params) {
        keywords = text(QELIMG_PARAM_KEYWORDS);
        subject = text(QELIMG_PARAM_SUBJECT);
        author = text(QELIMG_PARAM_AUTHOR);
        title = text(QELIMG_PARAM_TITLE);
        copyright = text(QELIMG_PARAM_COPYRIGHT);
    } else {
        keywords = qelImgProcessor::getKeywords() ? qelImgProcessor::getKeywords() : "";
        subject = qelImgProcessor::getSubject() ? qelImgProcessor::getSubject() : "";
        title = qelImgProcessor::getTitle() ? qelImgProcessor::getTitle() : "";
        author = qelImgProcessor::getAuthor() ? qelImgProcessor::getAuthor() : "";
    }
    const char* step = "setDocProperties()->TIFFSetField()";
    if (!software.empty())
        check(step, TIFFSetField(tif, TIFFTAG_SOFTWARE, software.c_str()));
    if (!artist.empty())
        check(step, TIFFSetField(tif, TIFFTAG_ARTIST, artist.c_str()));
    const struct
    {
        uint32_t tag;
        const char* word;
        const std::string& value;
    } custom[] = {{667, "Keywords", keywords}, {668, "Subject", subject}, {669, "Title", title}, {670, "Author", author}};
    for (const auto& c : custom)
        if (!c.value.empty()) {
            const std::string v = std::string(c.word) + "=" + c.value;
            check(step, TIFFSetField(tif, c.tag, v.c_str()));
        }
    if (software.empty() || strcasecmp(software.c_str(), "devtest") == 0)
        return;
    char stamp[64] = {0};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", &local);
    check(step, TIFFSetField(tif, TIFFTAG_DATETIME, stamp));
    if (!copyright.empty())
        check(step, TIFFSetField(tif, TIFFTAG_COPYRIGHT, copyright.c_str()));
}

void qelImgTIFFEncoder::finalize()
{
    trace("finalize");
    if (m_pages.empty() || !m_stream)
        return;
    HandlerScope handlers;
    m_stream->open();
    TIFF* tif = qelImgTIFFIOStreamProcessor::openTIFFIOStreamToWrite(m_stream);
    if (!tif)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    HandleGuard guard{tif};
    for (const Page& kept : m_pages) {
        const qelImgTIFF* page = kept.image.get();
        const qelImgInfo* info = page->getInfo();
        setDocProperties(tif);
        const int bps = info->bitsPerSample > 0 ? info->bitsPerSample : 1;
        setProperties(tif, kept.type, info->width, info->height, info->bitsPerPixel / bps, bps, info->xResolution,
                      info->yResolution, info->photometric, info->fillOrder, page->getColorMap(qelImgTIFF::RED),
                      page->getColorMap(qelImgTIFF::GREEN), page->getColorMap(qelImgTIFF::BLUE));
        const unsigned char* tables = nullptr;
        unsigned int tablesLength = 0;
        if (kept.type == QELIMG_ENCODE_TIFF_JPEG && page->getJPEGTables(&tables, &tablesLength) == 1 && tables &&
            tablesLength > 0) {
            const int rc = TIFFSetField(tif, TIFFTAG_JPEGTABLES, static_cast<uint32_t>(tablesLength), tables);
            check("finalize()->TIFFSetField()", rc);
            if (!rc)
                throw new qelImgException(__FILE__, __LINE__, 20, 0, true,
                                          "Error while setting TIFFTAG_JPEGTABLES on tiff output");
        }
        unsigned char* strip = nullptr;
        unsigned int size = 0;
        if (page->getData(&strip, &size) != 1)
            throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
        std::unique_ptr<unsigned char[]> owned(strip);
        const tmsize_t written = TIFFWriteRawStrip(tif, 0, strip, static_cast<tmsize_t>(size));
        check("finalize()->TIFFWriteRawStrip()", static_cast<int>(written));
        check("finalize()->TIFFWriteDirectory()", TIFFWriteDirectory(tif));
        check("finalize()->TIFFFlush()", TIFFFlush(tif));
    }
    TIFFClose(tif);
    tif = nullptr;
    check("finalize()->TIFFClose()", 1);
    m_stream->close();
}
