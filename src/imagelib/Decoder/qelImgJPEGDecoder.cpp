#include "qelImgJPEGDecoder.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgJPEGBufferSrc.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"

#include <jerror.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
const char* const kClass = "qelImgJPEGDecoder";
// Working memory of one decompression; beyond it libjpeg fails cleanly.
const long kMaxLibraryMemory = 256L << 20;

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }
}

template <class Call>
int qelImgJPEGDecoder::run(Call& call, const char* label, int rc)
{
    const int jumped = qelImgJPEGShim_run(
        &m_error, [](void* p) { (*static_cast<Call*>(p))(); }, &call);
    qelImgErrorHandler::checkJPEGError(kClass, label, jumped ? -1 : rc);
    // Left by the error exit while another error was pending: still a failure.
    if (jumped)
        throw new qelImgException(__FILE__, __LINE__, 44, 0, true, label);
    return jumped;
}

qelImgJPEGDecoder::qelImgJPEGDecoder(const char* fileName) : qelImgDecoder(fileName)
{
    trace(kClass, "qelImgJPEGDecoder");
    trace(kClass, "initialize");
    initialize();
    if (!fileName || !*fileName)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    setSourceKind(SOURCE_FILE);
    try {
        create("qelImgJPEGDecoder->()jpeg_create_decompress(1)");
        m_file = std::fopen(fileName, "rb");
        if (!m_file) {
            const int error = errno;
            throw new qelImgException(__FILE__, __LINE__, 18, 0, true, fileName, error, std::strerror(error));
        }
        auto attach = [this]() { jpeg_stdio_src(m_cinfo, m_file); };
        run(attach, "qelImgJPEGDecoder->()jpeg_stdio_src()", 0);
        readHeader();
    } catch (...) {
        release();
        throw;
    }
}

qelImgJPEGDecoder::qelImgJPEGDecoder(const unsigned char* data, unsigned int length)
{
    openMemory(data, length, "qelImgJPEGDecoder->()jpeg_create_decompress(2)");
}

qelImgJPEGDecoder::qelImgJPEGDecoder(qelImgInfo*, const unsigned char* data, unsigned int length)
{
    openMemory(data, length, "qelImgJPEGDecoder->()jpeg_create_decompress(3)");
}

void qelImgJPEGDecoder::openMemory(const unsigned char* data, unsigned int length, const char* label)
{
    trace(kClass, "qelImgJPEGDecoder");
    trace(kClass, "initialize");
    initialize();
    if (!data || length == 0 || length > INT_MAX)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    setSourceKind(SOURCE_MEMORY);
    m_data = data;
    m_length = length;
    try {
        create(label);
        qelImgJPEGBufferSrc::qelImg_buffer_src_setup(m_cinfo, data, static_cast<int>(length));
        readHeader();
    } catch (...) {
        release();
        throw;
    }
}

qelImgJPEGDecoder::~qelImgJPEGDecoder()
{
    trace(kClass, "~qelImgJPEGDecoder");
    release();
}

void qelImgJPEGDecoder::create(const char* label)
{
    m_cinfo = static_cast<jpeg_decompress_struct*>(std::calloc(1, sizeof(jpeg_decompress_struct)));
    if (!m_cinfo) {
        if (qelImgLogger* log = logger())
            log->trace("%s: Memory allocation failure", "qelImgJPEGDecoder::create()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    m_cinfo->err = qelImgErrorHandler::qelImgJPEGErrorMgr(&m_error);
    auto call = [this]() { jpeg_create_decompress(m_cinfo); };
    run(call, label, 0);
    m_cinfo->mem->max_memory_to_use = kMaxLibraryMemory;
}

void qelImgJPEGDecoder::release()
{
    if (m_cinfo) {
        // Destroying never fails; nothing may stay pending from here.
        jpeg_destroy_decompress(m_cinfo);
        std::free(m_cinfo);
        m_cinfo = nullptr;
    }
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void qelImgJPEGDecoder::raiseReadError()
{
    m_cinfo->err->msg_code = 1006;
    (*m_cinfo->err->emit_message)(reinterpret_cast<j_common_ptr>(m_cinfo), -1);
}

void qelImgJPEGDecoder::setPageNumber(int)
{
    trace(kClass, "setPageNumber");
    m_pageNumber = 0;
}

void qelImgJPEGDecoder::initialize()
{
    m_cinfo = nullptr;
    m_file = nullptr;
    m_ended = false;
    std::memset(&m_error, 0, sizeof m_error);
}

void qelImgJPEGDecoder::finalize()
{
    trace(kClass, "finalize");
    if (!m_cinfo)
        return;
    if (m_cinfo->output_scanline < m_cinfo->output_height) {
        if (qelImgLogger* log = logger())
            log->warning("%s", "JPEGDecoder. JPEG input buffer is not completely read.");
        auto call = [this]() { jpeg_abort_decompress(m_cinfo); };
        run(call, "qelImgJPEGDecoder->()jpeg_abort_decompress()", 0);
    } else {
        auto call = [this]() { jpeg_finish_decompress(m_cinfo); };
        run(call, "qelImgJPEGDecoder->()jpeg_finish_decompress()", 0);
    }
    auto destroy = [this]() { jpeg_destroy_decompress(m_cinfo); };
    run(destroy, "qelImgJPEGDecoder->()jpeg_destroy_decompress()", 0);
    std::free(m_cinfo);
    m_cinfo = nullptr;
    if (getSourceKind() == SOURCE_FILE && m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void qelImgJPEGDecoder::readHeader()
{
    trace(kClass, "readHeader");
    if (!m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 27, 0, true);
    int rc = 0;
    auto header = [this, &rc]() { rc = jpeg_read_header(m_cinfo, TRUE); };
    run(header, "~qelImgJPEGDecoder->()jpeg_read_header()", 0);
    auto start = [this, &rc]() { rc = jpeg_start_decompress(m_cinfo); };
    run(start, "~qelImgJPEGDecoder->()jpeg_start_decompress()", 0);

    std::unique_ptr<qelImgInfo> info(new qelImgInfo());
    info->type = 2;
    info->bitsPerPixel = getDecodeBPP();
    info->bitsPerSample = 8;
    info->compression = 9;
    info->height = static_cast<int32_t>(m_cinfo->image_height);
    info->width = static_cast<int32_t>(m_cinfo->image_width);
    info->samplesPerPixel = m_cinfo->num_components;
    const float fallback = qelImgProcessor::getDefaultResolution();
    switch (m_cinfo->density_unit) {
    case 2:
        info->xResolution = static_cast<int32_t>(m_cinfo->X_density / 0.39370078);
        info->yResolution = static_cast<int32_t>(m_cinfo->Y_density / 0.39370078);
        break;
    case 1:
        info->xResolution = m_cinfo->X_density;
        info->yResolution = m_cinfo->Y_density;
        break;
    default:
        if (qelImgLogger* log = logger())
            log->warning("%s", "Unknown JPEG resolution unit. Resolution unit \"inch\" is used.");
        info->xResolution = static_cast<int32_t>(fallback);
        info->yResolution = static_cast<int32_t>(fallback);
        break;
    }
    if (info->xResolution <= 0) {
        info->xResolution = static_cast<int32_t>(fallback);
        info->yResolution = static_cast<int32_t>(fallback);
    }
    info->photometric = 1;
    if (info->bitsPerPixel == 32)
        info->photometric = m_cinfo->saw_Adobe_marker ? 1 : 0;
    delete[] m_palette;
    m_palette = nullptr;
    m_paletteCount = 0;
    if (info->bitsPerPixel == 8) {
        m_palette = qelImgDIBUtils::createGrayPalette(256, true);
        m_paletteCount = 256;
        info->colorCount = 256;
    }
    delete m_info;
    m_info = info.release();
    m_pageNumber = 0;
    printInfo();
    if (m_cinfo->saw_Adobe_marker) {
        if (qelImgLogger* log = logger())
            log->info("%s", "\t\tCreated By         : Adobe Photoshop");
    }
}

int qelImgJPEGDecoder::getDecodeBPP()
{
    if (!m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 27, 0, true);
    const int components = m_cinfo->output_components > 0 ? m_cinfo->output_components : m_cinfo->num_components;
    int bpp = 0;
    switch (components) {
    case 1: bpp = 8; break;
    case 3: bpp = 24; break;
    case 4: bpp = 32; break;
    default: throw new qelImgException(__FILE__, __LINE__, 16, 0, true, components, "JPEG");
    }
    if (qelImgLogger* log = logger())
        log->trace("\t\tDecode BPP=>%d", bpp);
    return bpp;
}

int qelImgJPEGDecoder::getScanLineSize()
{
    if (!m_cinfo)
        return -1;
    return static_cast<int>(m_cinfo->output_width) * m_cinfo->output_components;
}

void qelImgJPEGDecoder::checkSupportedFormat()
{
    trace(kClass, "checkSupportedFormat");
    const int bpp = getDecodeBPP();
    if (bpp != 8 && bpp != 24 && bpp != 32)
        throw new qelImgException(__FILE__, __LINE__, 52, 0, true, bpp, "JPEG");
}

void qelImgJPEGDecoder::decode(qelImgParamValue* params)
{
    trace(kClass, "decode");
    if (!m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 27, 0, true);
    if (m_dib) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "Image is already decoded");
        return;
    }
    if (params)
        m_params = params;
    checkSupportedFormat();
    qelImgInfo* info = getInfo();
    std::unique_ptr<qelImgDIBHeader> header(
        createDIBHeader(info->width, info->height, getDecodeBPP(), info->xResolution, info->yResolution));
    createDIB(header.get());
    const size_t rowSize = static_cast<size_t>(getScanLineSize());
    std::vector<unsigned char> row(rowSize);
    const size_t pitch = static_cast<size_t>(
        qelImgDIBUtils::getAlignedWidth(m_dib->header->biWidth, m_dib->header->biBitCount) *
        m_dib->header->biBitCount / 8);
    const size_t copy = rowSize < pitch ? rowSize : pitch;
    const size_t rows = m_dib->header->biHeight > 0 ? static_cast<size_t>(m_dib->header->biHeight) : 0;
    while (readNextLine(row.data()) > 0) {
        const size_t at = m_cinfo->output_scanline - 1;
        if (at < rows)
            std::memcpy(m_dib->bits + pitch * at, row.data(), copy);
    }
    qelImgLogger* log = logger();
    if (log && log->getLevel() >= 3 && qelImgProcessor::getTempDirectory()) {
        const std::string path = std::string(qelImgProcessor::getTempDirectory()) + "jpegdecode.dib";
        qelImgDIBUtils::writeDIB(path.c_str(), m_dib);
    }
}

int qelImgJPEGDecoder::readNextLine(unsigned char* row)
{
    if (qelImgLogger* log = logger())
        log->trace("\t\tqelImgJPEGDecoder::readNextLine.LineNr=>%d", m_cinfo ? static_cast<int>(m_cinfo->output_scanline) : -1);
    if (!row || !m_cinfo)
        return -1;
    if (m_ended || m_cinfo->output_scanline >= m_cinfo->output_height)
        return 0;
    JDIMENSION got = 0;
    m_error.pendingCode = 0;
    auto call = [this, row, &got]() {
        JSAMPROW rows[] = {row};
        got = jpeg_read_scanlines(m_cinfo, rows, 1);
    };
    try {
        run(call, "qelImgJPEGDecoder->()jpeg_read_scanlines", 0);
    } catch (qelImgException* e) {
        if (m_error.pendingCode != JWRN_JPEG_EOF)
            throw;
        // A stream that ends early keeps the rows read so far.
        if (qelImgLogger* log = logger())
            log->warning("%s", e->getMessageText());
        delete e;
        m_ended = true;
        return 0;
    }
    if (got == 1)
        return 1;
    if (qelImgLogger* log = logger())
        log->trace("%s", "\t\tError occured while reading jpeg input buffer.");
    raiseReadError();
    return -1;
}

int qelImgJPEGDecoder::getWidthFromData()
{
    trace(kClass, "getWidthFromData");
    if (!m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 27, 0, true);
    const int size = getScanLineSize();
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[size > 0 ? size : 1]());
    if (!row) {
        if (qelImgLogger* log = logger())
            log->trace("%s: Memory allocation failure", "qelImgJPEGDecoder::getWidthFromData()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    const int rc = readNextLine(row.get());
    if (rc == 0 && m_ended)
        return 0;
    if (rc != 1) {
        if (!qelImgErrorHandler::getPendingError()) {
            if (qelImgLogger* log = logger())
                log->trace("%s", "\t\tError occured while reading jpeg input buffer.");
            raiseReadError();
        }
        qelImgErrorHandler::checkJPEGError(kClass, "qelImgJPEGDecoder->()jpeg_read_scanlines", rc);
    }
    return static_cast<int>(m_cinfo->image_width);
}

void qelImgJPEGDecoder::getEncodedData(unsigned char** data, unsigned int* length)
{
    trace(kClass, "getEncodedData");
    *data = nullptr;
    *length = 0;
    if (getSourceKind() == SOURCE_MEMORY) {
        if (!m_cinfo)
            throw new qelImgException(__FILE__, __LINE__, 27, 0, true);
        *data = new unsigned char[m_length];
        std::memcpy(*data, m_data, m_length);
        *length = m_length;
    } else if (getSourceKind() == SOURCE_FILE) {
        if (qelImgUtils::readFile(getFileName(), data, length) != 1) {
            *data = nullptr;
            *length = 0;
        }
    }
}

void qelImgJPEGDecoder::getEncodedBandData(qelImageStrips*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedBandData()", "JPEG Decoder");
}

void qelImgJPEGDecoder::getEncodedTileData(int, unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedTileData", kClass);
}

int qelImgJPEGDecoder::decodeTileImage(qelImgParamValue*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "decodeTileImage", kClass);
}

bool qelImgJPEGDecoder::hasJPEGSignature(const unsigned char* data, unsigned int length)
{
    return data && length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}
