#include "qelImgDIBEncoder.h"

#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{
const char* const kClass = "qelImgDIBEncoder";

void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", kClass, operation);
}
}

qelImgDIBEncoder::qelImgDIBEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgDIBEncoder");
}

qelImgDIBHeader* qelImgDIBEncoder::createDIBHeader(int width, int height, int bitsPerPixel, int xDpi, int yDpi)
{
    trace("createDIBHeader");
    qelImgDIBUtils::traceHeaderRequest(width, height, bitsPerPixel, xDpi);
    int bits = qelImgDIBUtils::fitDepth(bitsPerPixel, 32);
    if (!bits) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->warning("\t\tqelImgDIBEncoder::createDIBHeader() Invalid BitsPerPixel:%d. BitsPerPixel set as 4.",
                            bitsPerPixel);
        bits = 4;
    }
    auto* header = new qelImgDIBHeader();
    qelImgDIBUtils::fillDIBHeader(header, width, height, bits, xDpi, yDpi);
    return header;
}

void qelImgDIBEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (!info)
        return;
    m_info = info;
    m_params = params;
    if (m_stream) {
        if (m_stream->getStreamType() == qelImgIOStream::TYPE_MEMORY) {
            const int size = qelImgDIBUtils::getDIBFileSize(info->bitsPerPixel, info->width, info->height);
            if (size > 0)
                static_cast<qelImgBufferIOStream*>(m_stream)->setInitialSize(static_cast<unsigned int>(size));
        }
        m_stream->open();
    }
    m_initialized = true;
}

void qelImgDIBEncoder::finalize()
{
    trace("finalize");
    if (!m_stream)
        return;
    m_stream->close();
    qelImgLogger* logger = qelImgProcessor::getLogger();
    const char* dir = qelImgProcessor::getTempDirectory();
    if (logger && logger->getLevel() >= 3 && dir) {
        const char* name = m_stream->getFileName();
        const std::string path = std::string(dir) + (name && *name ? name : "noname") + ".dib";
        char* data = nullptr;
        unsigned int size = 0;
        m_stream->getBuffer(&data, &size, false);
        if (data) {
            if (FILE* f = std::fopen(path.c_str(), "wb")) {
                std::fwrite(data, 1, size, f);
                std::fclose(f);
            }
            delete[] data;
        }
    }
}

int qelImgDIBEncoder::writeLine(unsigned char* row, int length)
{
    if (m_stream && row && length > 0)
        m_stream->write(row, static_cast<unsigned int>(length));
    return 0;
}

int qelImgDIBEncoder::writeColorTable(unsigned char* palette, int count)
{
    if (count > 0 && m_stream && palette)
        m_stream->write(palette, 4 * static_cast<unsigned int>(count));
    return 0;
}

void qelImgDIBEncoder::writeHeader()
{
    trace("writeHeader");
    if (!m_info || !m_stream)
        return;
    const int x = m_params ? m_params[QELIMG_PARAM_X_RESOLUTION].getInt() : m_info->xResolution;
    const int y = m_params ? m_params[QELIMG_PARAM_Y_RESOLUTION].getInt() : m_info->yResolution;
    std::unique_ptr<qelImgDIBHeader> header(createDIBHeader(m_info->width, m_info->height, m_info->bitsPerPixel, x, y));
    m_stream->write(header.get(), sizeof(qelImgDIBHeader));
}

int qelImgDIBEncoder::writeMonoColorTable()
{
    if (!m_info || !m_stream)
        return -1;
    if (m_info->bitsPerPixel != 1)
        return 0;
    static const unsigned char table[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    m_stream->write(table, sizeof table);
    return 0;
}

void qelImgDIBEncoder::writeBlock(const qelImgDIB* dib)
{
    const int size = qelImgDIBUtils::getDIBSize(dib);
    const int written = m_stream->write(dib->buffer, static_cast<unsigned int>(size));
    if (written < size)
        throw new qelImgException(__FILE__, __LINE__, 39, 0, true, "");
}

int qelImgDIBEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!m_stream)
        return 0;
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    writeBlock(dib);
    return 0;
}

int qelImgDIBEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!m_stream || !decoder)
        return 0;
    if (!decoder->getDIBBuffer())
        decoder->decode(m_params);
    qelImgDIB* dib = decoder->getDIBBuffer();
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    writeBlock(dib);
    return 0;
}
