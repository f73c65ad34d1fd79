#include "qelImgFlateEncoder.h"

#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <new>

namespace
{
const char* const kClass = "qelImgFlateEncoder";

void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", kClass, operation);
}

unsigned int withMargin(uint64_t size)
{
    const uint64_t out = size + static_cast<uint64_t>(static_cast<double>(size) * 0.001 + 16);
    return out > UINT32_MAX ? UINT32_MAX : static_cast<unsigned int>(out);
}
}

qelImgFlateEncoder::qelImgFlateEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgFlateEncoder");
}

qelImgFlateEncoder::~qelImgFlateEncoder()
{
    release();
}

void qelImgFlateEncoder::release()
{
    if (m_zstream) {
        deflateEnd(m_zstream);
        delete m_zstream;
        m_zstream = nullptr;
    }
    delete[] m_output;
    m_output = nullptr;
}

void qelImgFlateEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (!info)
        return;
    m_params = params;
    m_info = info;
    if (m_stream)
        m_stream->open();
    m_initialized = true;
}

void qelImgFlateEncoder::flush(unsigned int bytes)
{
    if (bytes > 0 && m_stream)
        m_stream->write(m_output, bytes);
    m_zstream->next_out = m_output;
    m_zstream->avail_out = m_outputSize;
}

int qelImgFlateEncoder::writeLine(unsigned char* row, int length)
{
    if (!m_info)
        return -1;
    if (!m_zstream) {
        const int bits = m_info->bitsPerPixel;
        const uint64_t rowBytes =
            static_cast<uint64_t>(qelImgDIBUtils::getAlignedWidth(m_info->width, bits)) * static_cast<uint64_t>(bits) / 8;
        m_outputSize = withMargin(rowBytes);
        m_output = new (std::nothrow) unsigned char[m_outputSize];
        if (!m_output) {
            if (qelImgLogger* log = qelImgProcessor::getLogger())
                log->trace("%s: Memory allocation failure", "qelImgFlateEncoder::writeLine()");
            throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
        }
        m_zstream = new z_stream();
        int level = -1, method = 8, windowBits = 15, memLevel = 9, strategy = 0;
        if (m_params) {
            level = m_params[QELIMG_PARAM_ZLIB_LEVEL].getInt();
            method = m_params[QELIMG_PARAM_ZLIB_METHOD].getByte();
            windowBits = m_params[QELIMG_PARAM_ZLIB_WINDOW_BITS].getInt();
            memLevel = m_params[QELIMG_PARAM_ZLIB_MEM_LEVEL].getInt();
            strategy = m_params[QELIMG_PARAM_ZLIB_STRATEGY].getInt();
        }
        deflateInit2(m_zstream, level, method, windowBits, memLevel, strategy);
        m_zstream->next_in = nullptr;
        m_zstream->avail_in = 0;
        m_zstream->next_out = m_output;
        m_zstream->avail_out = m_outputSize;
    }
    m_zstream->next_in = row;
    m_zstream->avail_in = length > 0 && row ? static_cast<unsigned int>(length) : 0;
    for (;;) {
        const int rc = m_zstream->avail_in == 0 ? Z_OK : deflate(m_zstream, Z_NO_FLUSH);
        if (rc != Z_OK) {
            const char* message = m_zstream->msg ? m_zstream->msg : "";
            if (qelImgLogger* log = qelImgProcessor::getLogger())
                log->trace("\tqelImgFlateEncoder::writeLine() Error occured while writing line %d Msg:%s\n",
                           m_lineCounter, message);
            throw new qelImgException(__FILE__, __LINE__, 35, 0, true, message);
        }
        if (m_zstream->avail_out == 0)
            flush(m_outputSize);
        if (m_zstream->avail_in == 0) {
            ++m_lineCounter;
            return 1;
        }
    }
}

void qelImgFlateEncoder::finalize()
{
    trace("finalize");
    try {
        if (m_zstream) {
            m_zstream->next_in = nullptr;
            m_zstream->avail_in = 0;
            for (;;) {
                const int rc = deflate(m_zstream, Z_FINISH);
                if (rc < 0 || rc > 1)
                    throw new qelImgException(__FILE__, __LINE__, 35, 0, true,
                                              m_zstream->msg ? m_zstream->msg : "");
                flush(m_outputSize - m_zstream->avail_out);
                if (rc == Z_STREAM_END)
                    break;
            }
            release();
        }
    } catch (qelImgException*) {
        release();
        if (m_stream)
            m_stream->close();
        throw;
    }
    if (m_stream)
        m_stream->close();
}

int qelImgFlateEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!m_stream || !decoder)
        return 0;
    decoder->setParameters(m_params);
    unsigned char* raw = nullptr;
    unsigned int length = 0;
    decoder->getEncodedData(&raw, &length);
    std::unique_ptr<unsigned char[]> data(raw);
    uLongf size = withMargin(length);
    std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[size ? size : 1]);
    if (!out) {
        if (qelImgLogger* log = qelImgProcessor::getLogger())
            log->trace("%s: Memory allocation failure", "qelImgFlateEncoder::encode()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    const int rc = compress(out.get(), &size, data.get(), length);
    if (rc == Z_OK) {
        if (!m_initialized)
            m_stream->open();
        m_stream->write(out.get(), static_cast<unsigned int>(size));
        m_stream->close();
        return 0;
    }
    m_stream->close();
    char code[32];
    std::snprintf(code, sizeof code, "Error Code: %d", rc);
    throw new qelImgException(__FILE__, __LINE__, 60, 0, true, "Zlib Flate", code);
}

int qelImgFlateEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!dib)
        return 0;
    // The wrapper's header dump is not wanted in the trace.
    qelImgLogger* log = qelImgProcessor::getLogger();
    const int level = log ? log->getLevel() : 0;
    if (log)
        log->setLevel(0);
    std::unique_ptr<qelImgDIBDecoder> wrapper;
    try {
        wrapper.reset(new qelImgDIBDecoder(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib))));
    } catch (...) {
        if (log)
            log->setLevel(level);
        throw;
    }
    if (log)
        log->setLevel(level);
    return encode(wrapper.get());
}
