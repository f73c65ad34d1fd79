#include "qelImgJPEGEncoder.h"

#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgJPEGStreamDest.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
const char* const kClass = "qelImgJPEGEncoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

void trace(const char* operation)
{
    if (qelImgLogger* log = logger())
        log->trace("\t%s::%s()", kClass, operation);
}

qelImgException* compressionFailed(const char* file, int line, const char* format, int value)
{
    char text[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, value);
#pragma GCC diagnostic pop
    return new qelImgException(file, line, 25, 0, true, text);
}

uint16_t density(int value)
{
    return static_cast<uint16_t>(std::clamp(value, 0, 65535));
}
}

qelImgJPEGEncoder::qelImgJPEGEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgJPEGEncoder");
    std::memset(&m_error, 0, sizeof m_error);
}

qelImgJPEGEncoder::~qelImgJPEGEncoder()
{
    release();
}

template <class Call>
void qelImgJPEGEncoder::run(Call& call, const char* label)
{
    const int jumped = qelImgJPEGShim_run(
        &m_error, [](void* p) { (*static_cast<Call*>(p))(); }, &call);
    qelImgErrorHandler::checkJPEGError(kClass, label, -1);
    if (jumped)
        throw new qelImgException(__FILE__, __LINE__, 44, 0, true, label);
}

void qelImgJPEGEncoder::release()
{
    if (m_cinfo) {
        jpeg_destroy_compress(m_cinfo);
        std::free(m_cinfo);
        m_cinfo = nullptr;
    }
    m_initialized = false;
}

void qelImgJPEGEncoder::checkBitsPerPixel(int bits)
{
    const bool asRGB = m_params && m_params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].getInt() == 1;
    const int effective = asRGB ? 24 : bits;
    const int space = m_params ? m_params[QELIMG_PARAM_COLOR_SPACE].getInt() : 0;
    if (bits == 1 && !asRGB)
        throw new qelImgException(__FILE__, __LINE__, 25, 0, true,
                                  "One bit per pixel image can not be compressed using jpeg ");
    if (space == 2 && effective != 32)
        throw compressionFailed(__FILE__, __LINE__, "Invalid bits per pixel (%d) given for CMYK colorSpace", bits);
    if (space == 1 && effective != 24)
        throw compressionFailed(__FILE__, __LINE__, "Invalid bits per pixel (%d) given for RGB colorSpace", bits);
    if (space == 0 && bits != 8 && bits != 24 && bits != 32)
        throw compressionFailed(__FILE__, __LINE__, "Invalid bits per pixel (%d) given for Gray Scale colorSpace",
                                bits);
}

void qelImgJPEGEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (m_initialized || !info)
        return;
    m_params = params;
    m_info = info;
    checkBitsPerPixel(info->bitsPerPixel);
    const bool asRGB = m_params && m_params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].getInt() == 1;
    startCompress(info->width, info->height, asRGB ? 24 : info->bitsPerPixel);
}

void qelImgJPEGEncoder::startCompress(int width, int height, int bits)
{
    if (qelImgLogger* log = logger()) {
        log->trace("\t\tWidth=>%d", width);
        log->trace("\t\tHeight=>%d", height);
        log->trace("\t\tBits/Pixel=>%d", bits);
    }
    if (!m_stream)
        return;
    m_stream->open();
    m_cinfo = static_cast<jpeg_compress_struct*>(std::calloc(1, sizeof(jpeg_compress_struct)));
    if (!m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    m_cinfo->err = qelImgErrorHandler::qelImgJPEGErrorMgr(&m_error);
    try {
        auto create = [this]() { jpeg_create_compress(m_cinfo); };
        run(create, "initialize()->jpeg_create_compress()");
        qelImgIOStream* stream = m_stream;
        auto dest = [this, stream]() { qelImgJPEGStreamDest::qelImg_stream_destmgr_setup(m_cinfo, stream); };
        run(dest, "initialize()->jpeg_create_compress()");
        setProperties(width, height, bits);
        auto start = [this]() { jpeg_start_compress(m_cinfo, TRUE); };
        run(start, "initialize()->jpeg_start_compress()");
    } catch (...) {
        release();
        throw;
    }
    m_lineCounter = 0;
    m_initialized = true;
}

void qelImgJPEGEncoder::setProperties(int width, int height, int bits)
{
    if (!m_params)
        throw new qelImgException(__FILE__, __LINE__, 28, 0, true);
    const int outWidth = m_params[QELIMG_PARAM_OUTPUT_WIDTH].getInt();
    const int outHeight = m_params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt();
    m_cinfo->image_width = static_cast<JDIMENSION>(outWidth > 0 ? outWidth : width);
    m_cinfo->image_height = static_cast<JDIMENSION>(outHeight > 0 ? outHeight : height);
    if (bits == 24) {
        m_cinfo->input_components = 3;
        m_cinfo->in_color_space = JCS_RGB;
    } else if (bits == 32) {
        m_cinfo->input_components = 4;
        m_cinfo->in_color_space = JCS_CMYK;
    } else {
        m_cinfo->input_components = 1;
        m_cinfo->in_color_space = JCS_GRAYSCALE;
    }
    auto defaults = [this]() { jpeg_set_defaults(m_cinfo); };
    run(defaults, "setProperties()->jpeg_set_defaults()");
    J_COLOR_SPACE space;
    switch (m_params[QELIMG_PARAM_COLOR_SPACE].getInt()) {
    case 1: space = JCS_RGB; break;
    case 2: space = JCS_CMYK; break;
    case 3: space = JCS_YCbCr; break;
    default: space = JCS_GRAYSCALE;
    }
    auto colour = [this, space]() { jpeg_set_colorspace(m_cinfo, space); };
    run(colour, "setProperties()->jpeg_set_colorspace()");
    const int quality = m_params[QELIMG_PARAM_JPEG_QUALITY].getInt();
    auto setQuality = [this, quality]() { jpeg_set_quality(m_cinfo, quality, TRUE); };
    run(setQuality, "setProperties()->jpeg_set_quality ()");
    m_cinfo->density_unit = 1;
    m_cinfo->X_density = density(m_params[QELIMG_PARAM_X_RESOLUTION].getInt());
    m_cinfo->Y_density = density(m_params[QELIMG_PARAM_Y_RESOLUTION].getInt());
}

int qelImgJPEGEncoder::writeLine(unsigned char* row, int)
{
    if (!m_initialized || !m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "JPEG");
    JDIMENSION written = 0;
    auto write = [this, row, &written]() {
        JSAMPROW rows[1] = {row};
        written = jpeg_write_scanlines(m_cinfo, rows, 1);
    };
    run(write, "writeLine()->jpeg_write_scanlines()");
    if (written != 1) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "\t\tqelImgJPEGEncoder::writeLine() Error occured while writing JPEG data\n");
        m_cinfo->err->msg_code = 1004;
        (*m_cinfo->err->emit_message)(reinterpret_cast<j_common_ptr>(m_cinfo), -1);
        qelImgErrorHandler::checkJPEGError(kClass, "writeLine()->jpeg_write_scanlines()", -1);
        return 0;
    }
    ++m_lineCounter;
    return 0;
}

int qelImgJPEGEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_initialized)
        initialize(m_params, decoder->getInfo());
    if (!m_initialized)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "JPEG");
    decoder->setParameters(m_params);
    if (!m_info) {
        // Only this encoder's objects go; the library stays as it is.
        cleanup();
        throw new qelImgException(__FILE__, __LINE__, 44, 0, true, "Image Info is NULL.Encode failed");
    }
    try {
        const int outHeight = m_params ? m_params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt() : 0;
        const int rows = outHeight > 0 ? outHeight : m_info->height;
        // Room for a whole compressor row, also when the decoder's rows are shorter.
        const int64_t need = static_cast<int64_t>(m_cinfo->image_width) * m_cinfo->input_components;
        const int64_t size = std::max<int64_t>(decoder->getScanLineSize(), need);
        std::vector<unsigned char> row(static_cast<size_t>(std::max<int64_t>(size, 1)));
        while (m_lineCounter < rows && decoder->readNextLine(row.data()) == 1)
            writeLine(row.data(), static_cast<int>(size));
    } catch (...) {
        try {
            cleanup();
        } catch (qelImgException* e) {
            delete e;
            release();
        }
        throw;
    }
    return 0;
}

int qelImgJPEGEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!dib)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    std::unique_ptr<qelImgDIBDecoder> wrapper(
        new qelImgDIBDecoder(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib))));
    return encode(wrapper.get());
}

void qelImgJPEGEncoder::finalize()
{
    trace("finalize");
    if (!m_initialized || !m_cinfo)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "JPEG");
    const int height = static_cast<int>(m_cinfo->image_height);
    const int written = m_lineCounter;
    try {
        if (written < height) {
            if (qelImgLogger* log = logger())
                log->trace("Image height=>%d. Only %d lines are process and written to output.", height, written);
            auto abort = [this]() { jpeg_abort_compress(m_cinfo); };
            run(abort, "cleanup->()jpeg_abort_compress()");
        } else {
            auto finish = [this]() { jpeg_finish_compress(m_cinfo); };
            run(finish, "finalize()->jpeg_finish_compress()");
        }
        auto destroy = [this]() { jpeg_destroy_compress(m_cinfo); };
        run(destroy, "finalize()->jpeg_destroy_compress()");
    } catch (...) {
        release();
        if (m_stream)
            m_stream->close();
        throw;
    }
    std::free(m_cinfo);
    m_cinfo = nullptr;
    m_initialized = false;
    if (m_stream)
        m_stream->close();
    // An abandoned stream is a failure, not a JPEG.
    if (written < height) {
        char text[128];
        std::snprintf(text, sizeof text, "Only %d of %d lines were written", written, height);
        throw new qelImgException(__FILE__, __LINE__, 25, 0, true, text);
    }
}

void qelImgJPEGEncoder::cleanup()
{
    trace("cleanup");
    if (!m_initialized || !m_cinfo)
        return;
    try {
        auto abort = [this]() { jpeg_abort_compress(m_cinfo); };
        run(abort, "cleanup->()jpeg_abort_compress()");
        auto destroy = [this]() { jpeg_destroy_compress(m_cinfo); };
        run(destroy, "cleanup->()jpeg_destroy_compress()");
    } catch (...) {
        release();
        throw;
    }
    std::free(m_cinfo);
    m_cinfo = nullptr;
    m_initialized = false;
}
