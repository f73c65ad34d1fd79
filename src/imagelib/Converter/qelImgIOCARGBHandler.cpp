#include "qelImgIOCARGBHandler.h"

#include "qelImgDIBEncoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgConverterSupport.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <cstring>
#include <memory>
#include <vector>

namespace
{
const char* const kClass = "qelImgIOCARGBHandler";

void trace(const char* operation)
{
    if (qelImgLogger* log = qelImgProcessor::getLogger())
        log->trace("\t%s::%s()", kClass, operation);
}
}

qelImgIOCARGBHandler::qelImgIOCARGBHandler(qelImgIOStream* stream) : m_stream(stream)
{
    trace("qelImgIOCARGBHandler");
}

void qelImgIOCARGBHandler::setSource(qelImgInfo* info, unsigned char* r, unsigned int rLength, unsigned char* g,
                                     unsigned int gLength, unsigned char* b, unsigned int bLength)
{
    trace("setSource");
    m_info = info;
    m_planes[0] = r;
    m_lengths[0] = rLength;
    m_planes[1] = g;
    m_lengths[1] = gLength;
    m_planes[2] = b;
    m_lengths[2] = bLength;
}

void qelImgIOCARGBHandler::release()
{
    m_stream = nullptr;
    m_info = nullptr;
    for (int i = 0; i < 3; ++i) {
        m_planes[i] = nullptr;
        m_lengths[i] = 0;
    }
}

void qelImgIOCARGBHandler::convertLine(int width, int colorSpace, const unsigned char* r, const unsigned char* g,
                                       const unsigned char* b, unsigned char* out)
{
    for (int x = 0; x < width; ++x) {
        if (colorSpace == 0) {
            // The fraction is cut off.
            out[x] = static_cast<unsigned char>(0.3 * r[x] + 0.59 * g[x] + 0.11 * b[x]);
        } else {
            out[3 * x] = r[x];
            out[3 * x + 1] = g[x];
            out[3 * x + 2] = b[x];
        }
    }
}

void qelImgIOCARGBHandler::convert(int encodeType, qelImgParamValue* params)
{
    trace("convert");
    if (!params)
        throw new qelImgException(__FILE__, __LINE__, 28, 0, true);
    if (!m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    const int colorSpace = params[QELIMG_PARAM_COLOR_SPACE].getInt();
    if (colorSpace != 0 && colorSpace != 1)
        throw new qelImgException(__FILE__, __LINE__, 29, 0, true, "RGB", qelImgColorSpaceName(colorSpace));
    for (int i = 0; i < 3; ++i)
        if (!m_planes[i] || m_lengths[i] == 0)
            throw new qelImgException(__FILE__, __LINE__, 31, 0, true);
    const int compression = m_info->compression;
    if (compression != QELIMG_COMP_JPEG && compression != QELIMG_COMP_NONE)
        throw new qelImgException(__FILE__, __LINE__, 26, 0, true, qelImgUtils::getCompressionName(compression),
                                  kClass);
    std::unique_ptr<qelImgDecoder> decoders[3];
    qelImgInfo plane = *m_info;
    plane.bitsPerPixel = 8;
    plane.bitsPerSample = 8;
    plane.samplesPerPixel = 1;
    plane.bandCount = 1;
    plane.colorCount = 0;
    for (int i = 0; i < 3; ++i) {
        if (compression == QELIMG_COMP_JPEG)
            decoders[i].reset(new qelImgJPEGDecoder(m_planes[i], m_lengths[i]));
        else
            decoders[i].reset(new qelImgRawDataDecoder(&plane, m_planes[i], static_cast<int>(m_lengths[i]), nullptr));
    }
    qelImgInfo* red = decoders[0]->getInfo();
    const int width = red->width, height = red->height;
    // Planes of another width or depth would be read past their rows.
    std::vector<unsigned char> rows[3];
    for (int i = 0; i < 3; ++i) {
        const int scan = decoders[i]->getScanLineSize();
        if (width <= 0 || decoders[i]->getInfo()->width != width || scan < width)
            throw new qelImgException(__FILE__, __LINE__, 51, 0, true, "RGB");
        rows[i].assign(static_cast<size_t>(scan) + 1, 0);
    }
    qelImgInfo output = *m_info;
    output.width = width;
    output.height = height;
    output.bandCount = 1;
    output.compression = QELIMG_COMP_NONE;
    output.bitsPerPixel = colorSpace == 1 ? 24 : 8;
    output.samplesPerPixel = colorSpace == 1 ? 3 : 1;
    output.bitsPerSample = 8;
    const int64_t rowBytes = colorSpace == 1 ? static_cast<int64_t>(width) * 3 : width;
    std::unique_ptr<qelImgEncoder> encoder;
    if (encodeType == QELIMG_ENCODE_JPEG)
        encoder.reset(new qelImgJPEGEncoder(m_stream));
    else
        encoder.reset(new qelImgDIBEncoder(m_stream));
    encoder->initialize(params, &output);
    if (encoder->typeId() == qelImgEncoder::TYPE_DIB) {
        static_cast<qelImgDIBEncoder*>(encoder.get())->writeHeader();
        if (output.bitsPerPixel == 8) {
            std::unique_ptr<unsigned char[]> table(qelImgDIBUtils::createGrayPalette(256, true));
            encoder->writeColorTable(table.get(), 256);
        }
    }
    std::vector<unsigned char> out(static_cast<size_t>(rowBytes) + 1);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < 3; ++i)
            if (!qelImgReadPlaneRow(decoders[i].get(), rows[i].data()))
                throw new qelImgException(__FILE__, __LINE__, 51, 0, true, "RGB");
        convertLine(width, colorSpace, rows[0].data(), rows[1].data(), rows[2].data(), out.data());
        encoder->writeLine(out.data(), static_cast<int>(rowBytes));
    }
    for (auto& d : decoders)
        d->finalize();
    encoder->finalize();
}
