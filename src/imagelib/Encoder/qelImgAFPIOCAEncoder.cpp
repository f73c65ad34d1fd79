#include "qelImgAFPIOCAEncoder.h"

#include "qelImgAFPIOCAImage.h"
#include "qelImgAFPVisitor.h"
#include "qelImgBufferIOStream.h"
#include "qelImgCCITTEncoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <new>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgAFPIOCAEncoder", operation);
}

void say(const char* text)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("%s", text);
}

int alignTo8(int width) { return width % 8 == 0 ? width : width + (8 - width % 8); }

// The bytes written to a memory stream, in a new[] block.
struct Taken
{
    std::unique_ptr<char[]> data;
    int length = 0;
};

Taken take(qelImgBufferIOStream* stream)
{
    Taken t;
    char* data = nullptr;
    unsigned int size = 0;
    stream->getBuffer(&data, &size, false);
    t.data.reset(data);
    if (size > INT_MAX)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    t.length = static_cast<int>(size);
    return t;
}
} // namespace

qelImgAFPIOCAEncoder::qelImgAFPIOCAEncoder(qelImgIOStream* stream) : qelImgAFPEncoder(stream)
{
    trace("qelImgAFPIOCAEncoder");
}

qelImgAFPIOCAEncoder::~qelImgAFPIOCAEncoder()
{
    delete m_image;
    dropInner();
}

void qelImgAFPIOCAEncoder::dropInner()
{
    delete m_inner;
    m_inner = nullptr;
    delete m_innerStream;
    m_innerStream = nullptr;
    delete m_innerInfo;
    m_innerInfo = nullptr;
}

int qelImgAFPIOCAEncoder::xResolution() const
{
    const int p = m_params ? m_params[QELIMG_PARAM_X_RESOLUTION].getInt() : 0;
    return p > 0 ? p : (m_outputInfo ? m_outputInfo->xResolution : 0);
}

int qelImgAFPIOCAEncoder::yResolution() const
{
    const int p = m_params ? m_params[QELIMG_PARAM_Y_RESOLUTION].getInt() : 0;
    return p > 0 ? p : (m_outputInfo ? m_outputInfo->yResolution : 0);
}

void qelImgAFPIOCAEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (!info)
        return;
    m_params = params;
    m_info = info;
    delete m_outputInfo;
    m_outputInfo = new (std::nothrow) qelImgInfo(*info);
    if (!m_outputInfo)
        throw "Unable to allocate output image info";
    if (params) {
        if (params[QELIMG_PARAM_OUTPUT_WIDTH].getInt() > 0)
            m_outputInfo->width = params[QELIMG_PARAM_OUTPUT_WIDTH].getInt();
        if (params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt() > 0)
            m_outputInfo->height = params[QELIMG_PARAM_OUTPUT_HEIGHT].getInt();
    }
    const int bits = info->bitsPerPixel;
    if (bits != 1 && bits != 8 && bits != 24)
        throw new qelImgException(__FILE__, __LINE__, 45, 0, true, bits, "AFP IOCA");
    m_initialized = true;
}

bool qelImgAFPIOCAEncoder::functionSet10() const
{
    switch (m_encodeType) {
    case QELIMG_ENCODE_IOCA_G3MH:
    case QELIMG_ENCODE_IOCA_G3MR:
    case QELIMG_ENCODE_IOCA_G4: return true;
    case QELIMG_ENCODE_IOCA_JPEG: return false;
    default: return !m_info || m_info->bitsPerPixel == 1;
    }
}

void qelImgAFPIOCAEncoder::initializeLineMode(qelImgParamValue* params, qelImgInfo* info, bool lineMode)
{
    trace("initializeLineMode");
    if (!info)
        return;
    m_lineMode = lineMode;
    initialize(params, info);
    if (!m_lineMode)
        return;
    if (functionSet10())
        initializeForFS10();
    else
        initializeForFS11();
}

void qelImgAFPIOCAEncoder::initializeForFS10()
{
    trace("initializeForFS10");
    dropInner();
    try {
        const int aligned = alignTo8(m_outputInfo->width);
        if (qelImgLogger* logger = qelImgProcessor::getLogger()) {
            if (aligned == m_outputInfo->width)
                logger->trace("Image width(%d) is byte aligned already, Using as Aligned width(%d)",
                              m_outputInfo->width, aligned);
            else
                logger->trace("Image width(%d), Aligned width(%d)", m_outputInfo->width, aligned);
        }
        m_innerStream = new (std::nothrow) qelImgBufferIOStream("CCITT", 2);
        if (!m_innerStream)
            throw "Unable to allocate output stream for encoding image FS 10";
        m_innerStream->open();
        auto* ccitt = new (std::nothrow) qelImgCCITTEncoder(m_innerStream);
        if (!ccitt)
            throw "Unable to allocate CCITT encoder for encoding image FS 10";
        ccitt->setEncodeType(QELIMG_ENCODE_CCITT_G4);
        m_inner = ccitt;
        m_innerInfo = new (std::nothrow) qelImgInfo(*m_outputInfo);
        if (!m_innerInfo)
            throw "Unable to allocate image info for encoding image FS 10";
        m_innerInfo->width = aligned;
        m_outputInfo->width = aligned;
        ccitt->initialize(m_params, m_innerInfo);
        if (m_info->photometric == 1)
            ccitt->setInvert(1);
    } catch (...) {
        // Only this encoder's objects go; the library state stays.
        dropInner();
        throw;
    }
}

void qelImgAFPIOCAEncoder::initializeForFS11()
{
    trace("initializeForFS11");
    dropInner();
    try {
        m_innerStream = new (std::nothrow) qelImgBufferIOStream("encode", 2);
        if (!m_innerStream)
            throw "Unable to allocate output stream for encoding image FS 11";
        m_innerStream->open();
        m_inner = new (std::nothrow) qelImgJPEGEncoder(m_innerStream);
        if (!m_inner)
            throw "Unable to allocate JPEG encoder for encoding image FS 11";
        m_inner->initialize(m_params, m_outputInfo);
    } catch (...) {
        dropInner();
        throw;
    }
}

int qelImgAFPIOCAEncoder::writeLine(unsigned char* row, int length)
{
    if (!m_lineMode || !m_inner)
        return 0;
    return m_inner->writeLine(row, length);
}

int qelImgAFPIOCAEncoder::writeColorTable(unsigned char* palette, int count)
{
    if (!m_lineMode || !m_inner)
        return 0;
    return m_inner->writeColorTable(palette, count);
}

int qelImgAFPIOCAEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_info || !m_outputInfo)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    if (functionSet10())
        encodeAsFS10(decoder);
    else
        encodeAsFS11(decoder);
    return 0;
}

int qelImgAFPIOCAEncoder::encode(qelImgDIB* dib)
{
    trace("encode");
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    std::unique_ptr<qelImgDIBDecoder> wrapper(
        new qelImgDIBDecoder(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib))));
    return encode(wrapper.get());
}

void qelImgAFPIOCAEncoder::setIOCAImage(int width, int height, int fillOrder, int bits, int compression,
                                        int recording, const unsigned char* data, int length)
{
    auto* image = new qelImgAFPIOCAImage();
    image->setPosition(0, 0);
    image->setSize(width, height);
    image->setFillOrder(fillOrder);
    image->setBitsPerPixel(bits);
    image->setCompression(compression);
    image->setRecordingAlgorithm(recording);
    image->setResolution(xResolution(), yResolution());
    image->setImageData(data, length);
    delete m_image;
    m_image = image;
}

void qelImgAFPIOCAEncoder::encodeAsFS10(qelImgDecoder* decoder)
{
    trace("encodeAsFS10");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_info || !m_outputInfo)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    const int compression = m_outputInfo->compression;
    const int byteAlign = m_params ? m_params[QELIMG_PARAM_BYTE_ALIGN].getInt() : 0;
    decoder->setParameters(m_params);
    const bool ccitt = compression == QELIMG_COMP_G3_1D || compression == QELIMG_COMP_G3_2D ||
                       compression == QELIMG_COMP_G4;
    const bool sameSize = m_outputInfo->width == m_info->width && m_outputInfo->height == m_info->height;
    if (ccitt && m_info->photometric == 1)
        say("Data can not be passed through as is. Source Image photometric is \"Black is zero\" where as IOCA "
            "photometric should be \"white is zero\" ");
    const bool passable = sameSize && ccitt && m_info->photometric == 0;
    int width = m_outputInfo->width;
    const bool aligned = width % 8 == 0;

    if (passable && (aligned || byteAlign == 0)) {
        say("Getting encoded data from source image");
        unsigned char* raw = nullptr;
        unsigned int length = 0;
        decoder->getEncodedData(&raw, &length);
        std::unique_ptr<unsigned char[]> data(raw);
        if (!data || length == 0 || length > INT_MAX)
            throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
        int recording = 1;
        if (!aligned)
            recording = compression == QELIMG_COMP_G4 ? 4 : (m_info->dataPadded ? 1 : 4);
        m_outputInfo->fillOrder = m_info->fillOrder;
        m_outputInfo->compression = compression;
        m_outputInfo->xResolution = xResolution();
        m_outputInfo->yResolution = yResolution();
        setIOCAImage(width, m_outputInfo->height, m_info->fillOrder, m_outputInfo->bitsPerPixel, compression,
                     recording, data.get(), static_cast<int>(length));
        return;
    }

    if (!aligned) {
        width = alignTo8(width);
        if (qelImgLogger* logger = qelImgProcessor::getLogger()) {
            logger->trace("Image width is not multiple of 8. Modified image width:%d", width);
            logger->trace("%s", "Byte align image data");
        }
    }
    std::unique_ptr<qelImgBufferIOStream> stream(new (std::nothrow) qelImgBufferIOStream("CCITT", 2));
    if (!stream)
        throw "Unable to allocate output stream for encoding image FS 10";
    stream->open();
    std::unique_ptr<qelImgCCITTEncoder> encoder(new (std::nothrow) qelImgCCITTEncoder(stream.get()));
    if (!encoder)
        throw "Unable to allocate CCITT encoder for encoding image FS 10";
    encoder->setEncodeType(QELIMG_ENCODE_CCITT_G4);
    std::unique_ptr<qelImgInfo> info(new (std::nothrow) qelImgInfo(*m_outputInfo));
    if (!info)
        throw "Unable to allocate image info for encoding image FS 10";
    info->width = width;
    encoder->initialize(m_params, info.get());
    if (decoder->getInfo()->photometric == 1)
        encoder->setInvert(1);
    encoder->encode(decoder);
    encoder->finalize();
    Taken bytes = take(stream.get());
    encoder.reset();
    m_outputInfo->width = width;
    m_outputInfo->fillOrder = 1;
    m_outputInfo->compression = QELIMG_COMP_G4;
    m_outputInfo->xResolution = xResolution();
    m_outputInfo->yResolution = yResolution();
    setIOCAImage(width, m_outputInfo->height, 1, m_outputInfo->bitsPerPixel, QELIMG_COMP_G4, 1,
                 reinterpret_cast<const unsigned char*>(bytes.data.get()), bytes.length);
}

void qelImgAFPIOCAEncoder::encodeAsFS11(qelImgDecoder* decoder)
{
    trace("encodeAsFS11");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_info || !m_outputInfo)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    std::unique_ptr<qelImgBufferIOStream> stream(new (std::nothrow) qelImgBufferIOStream("encode", 2));
    if (!stream)
        throw "Unable to allocate output stream for encoding image FS 11";
    stream->open();
    std::unique_ptr<qelImgJPEGEncoder> encoder(new (std::nothrow) qelImgJPEGEncoder(stream.get()));
    if (!encoder)
        throw "Unable to allocate JPEG encoder for encoding image FS 11";
    encoder->initialize(m_params, m_outputInfo);
    encoder->encode(decoder);
    encoder->finalize();
    Taken bytes = take(stream.get());
    encoder.reset();
    const bool grey = m_params && m_params[QELIMG_PARAM_COLOR_SPACE].getInt() == 0;
    m_outputInfo->compression = QELIMG_COMP_JPEG;
    m_outputInfo->bitsPerPixel = grey ? 8 : 24;
    m_outputInfo->xResolution = xResolution();
    m_outputInfo->yResolution = yResolution();
    setIOCAImage(m_outputInfo->width, m_outputInfo->height, m_outputInfo->fillOrder, m_outputInfo->bitsPerPixel,
                 QELIMG_COMP_JPEG, 1, reinterpret_cast<const unsigned char*>(bytes.data.get()), bytes.length);
}

void qelImgAFPIOCAEncoder::finalize()
{
    trace("finalize");
    if (m_lineMode && m_inner && m_innerStream) {
        const int kind = m_inner->typeId();
        m_inner->finalize();
        Taken bytes = take(m_innerStream);
        if (kind == TYPE_JPEG) {
            const bool grey = m_params && m_params[QELIMG_PARAM_COLOR_SPACE].getInt() == 0;
            m_outputInfo->compression = QELIMG_COMP_JPEG;
            m_outputInfo->bitsPerPixel = grey ? 8 : 24;
        } else {
            m_outputInfo->fillOrder = 1;
            m_outputInfo->compression = QELIMG_COMP_G4;
        }
        m_outputInfo->xResolution = xResolution();
        m_outputInfo->yResolution = yResolution();
        setIOCAImage(m_outputInfo->width, m_outputInfo->height, m_outputInfo->fillOrder, m_outputInfo->bitsPerPixel,
                     m_outputInfo->compression, 1, reinterpret_cast<const unsigned char*>(bytes.data.get()),
                     bytes.length);
        dropInner();
    }
    auto* visitor = new (std::nothrow) qelImgAFPVisitor(m_stream, m_params);
    if (!visitor) {
        say("Unable to allocate AFP visitor to generate IOCA image");
        return;
    }
    setVisitor(visitor);
    if (!m_stream)
        return;
    m_stream->open();
    say("Writing IOCA");
    if (m_image) {
        try {
            m_image->accept(visitor);
        } catch (...) {
            m_stream->close();
            throw;
        }
    }
    m_stream->close();
}
