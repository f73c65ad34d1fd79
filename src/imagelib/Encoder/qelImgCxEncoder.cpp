#include "qelImgCxEncoder.h"

#include "CxImage.h"
#include "CxMemFile.h"
#include "qelImgCxDecoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
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

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
const char* const kClass = "qelImgCxEncoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

void trace(const char* operation)
{
    if (qelImgLogger* log = logger())
        log->trace("\t%s::%s()", kClass, operation);
}

struct CxBuffer
{
    uint8_t* data = nullptr;
    ~CxBuffer() { CxImage::FreeMemory(data); }
};
}

qelImgCxEncoder::qelImgCxEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgCxEncoder");
}

qelImgCxEncoder::qelImgCxEncoder(qelImgIOStream* stream, int targetFormat)
    : qelImgEncoder(stream), m_targetFormat(targetFormat)
{
    trace("qelImgCxEncoder");
}

void qelImgCxEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (m_initialized)
        return;
    if (info) {
        m_params = params;
        m_info = info;
        if (m_stream)
            m_stream->open();
        m_initialized = true;
    }
    if (qelImgLogger* log = logger(); log && m_info) {
        log->trace("\t\tWidth=>%d", m_info->width);
        log->trace("\t\tHeight=>%d", m_info->height);
        log->trace("\t\tBits/Pixel=>%d", m_info->bitsPerPixel);
    }
}

int qelImgCxEncoder::writeLine(unsigned char*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "writeLine()", kClass);
}

int qelImgCxEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!dib)
        return 0;
    m_dib = dib;
    std::unique_ptr<qelImgDIBDecoder> wrapper(
        new qelImgDIBDecoder(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib))));
    return encode(wrapper.get());
}

int qelImgCxEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        return 0;
    if (!m_initialized)
        initialize(m_params, decoder->getInfo());
    if (!m_initialized) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "\t\tqelImgCxEncoder::encode(1) Error: Cx encoder not initialized\n");
        return 0;
    }
    qelImgDIB* dib = m_dib;
    if (!dib) {
        // Without an earlier bitmap the decoder's decoded page is encoded.
        if (!decoder->getDIBBuffer())
            decoder->decode(m_params);
        dib = decoder->getDIBBuffer();
    }
    if (!dib || !dib->buffer || !dib->header)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);

    // The codec reads rows top down from a negated height, and 24-bit pixels
    // swapped on request; both are made in a copy, the caller's bitmap stays.
    const int size = qelImgDIBUtils::getDIBSize(dib);
    std::vector<uint8_t> copy(dib->buffer, dib->buffer + size);
    auto* header = reinterpret_cast<qelImgDIBHeader*>(copy.data());
    const int64_t height = header->biHeight;
    header->biHeight = static_cast<int32_t>(-height);
    if (header->biBitCount == 24 && m_params && m_params[QELIMG_PARAM_SWAP_RGB].getInt() == 1) {
        const size_t offset = static_cast<size_t>(dib->bits - dib->buffer);
        const uint32_t available = static_cast<uint32_t>(copy.size() - std::min(copy.size(), offset));
        const uint32_t bytes = std::min(header->biSizeImage, available);
        qelImgDIBUtils::swapRGBPixels(copy.data() + offset, static_cast<int>(bytes / 3));
    }
    CxMemFile file(copy.data(), copy.size());
    CxImage image(&file, QELIMG_DIB_FORMAT);
    if (!image.IsValid())
        throw new qelImgException(__FILE__, __LINE__, 17, 0, true,
                                  *image.GetLastError() ? image.GetLastError() : "(null)");
    CxBuffer out;
    int32_t length = 0;
    if (!image.Encode(out.data, length, static_cast<uint32_t>(qelImgCxDecoder::toCxFormat(m_targetFormat))))
        throw new qelImgException(__FILE__, __LINE__, 17, 0, true,
                                  *image.GetLastError() ? image.GetLastError() : "(null)");
    if (m_stream && length > 0)
        m_stream->write(out.data, static_cast<unsigned int>(length));
    return 0;
}

void qelImgCxEncoder::finalize()
{
    trace("finalize");
    if (m_stream)
        m_stream->close();
    if (!m_initialized)
        if (qelImgLogger* log = logger())
            log->trace("%s", "\t\tqelImgCxEncoder::finalize() Error: Cx encoder not initialized\n");
}
