#include "qelImg1BPPConverter.h"

#include "qelImgConverterSupport.h"
#include "qelImgDIB.h"
#include "qelImgDecoder.h"
#include "qelImgEncoder.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"

#include <cstring>
#include <vector>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImg1BPPConverter", operation);
}

const unsigned char kCluster[8][8] = {
    {18, 27, 26, 23, 13, 4, 5, 8},   {20, 28, 31, 25, 11, 3, 0, 6},  {19, 29, 30, 24, 12, 2, 1, 7},
    {16, 22, 21, 17, 15, 9, 10, 14}, {13, 4, 5, 8, 18, 27, 26, 23},  {11, 3, 0, 6, 20, 28, 31, 25},
    {12, 2, 1, 7, 19, 29, 30, 24},   {15, 9, 10, 14, 16, 22, 21, 17},
};

// Rows of the decoder and the output row of one ordered dither pass.
template <typename Threshold>
int ordered(qelImgDecoder* decoder, qelImgEncoder* encoder, Threshold set)
{
    const qelImgInfo* info = decoder->getInfo();
    const int width = info->width;
    const int height = info->height;
    const int outBytes = (width + 7) / 8;
    const int inBytes = decoder->getScanLineSize();
    std::vector<unsigned char> in(static_cast<size_t>(inBytes > width ? inBytes : width) + 1);
    std::vector<unsigned char> out(static_cast<size_t>(outBytes) + 1);
    for (int y = 0; y < height; ++y) {
        if (decoder->readNextLine(in.data()) != 1)
            return -1;
        std::memset(out.data(), 0, out.size());
        for (int x = 0; x < width; ++x)
            if (set(in[x], x, y))
                out[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
        encoder->writeLine(out.data(), outBytes);
    }
    return 0;
}
}

int qelImg1BPPConverter::convert(qelImgDecoder* decoder, qelImgEncoder* encoder, qelImgParamValue* params)
{
    trace("convert(2)");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!encoder)
        return 0;
    if (params)
        m_params = params;
    const int bits = decoder->getInfo()->bitsPerPixel;
    if (bits != 8)
        throw new qelImgException(__FILE__, __LINE__, 34, 0, true, bits);
    const int method = m_params ? m_params[24].getInt() : 1;
    if (method == 2)
        return fsDither(decoder, encoder);
    if (method == 3)
        return bayerOrderedDither(decoder, encoder);
    return orderedDither(decoder, encoder);
}

qelImgDIB* qelImg1BPPConverter::convert(qelImgDIB* dib, qelImgParamValue* params)
{
    trace("convert");
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    return qelImgConvertDIBRows(this, dib, params, 1, true, "mono.dib");
}

int qelImg1BPPConverter::fsDither(qelImgDecoder* decoder, qelImgEncoder* encoder)
{
    trace("fsDither");
    const int threshold = m_params ? m_params[25].getInt() : 128;
    const qelImgInfo* info = decoder->getInfo();
    const int width = info->width;
    const int height = info->height;
    if (width <= 0 || height <= 0)
        return 0;
    const int outBytes = (width + 7) / 8;
    const int inBytes = decoder->getScanLineSize();
    std::vector<unsigned char> raw(static_cast<size_t>(inBytes > width ? inBytes : width) + 1);
    std::vector<int> current(static_cast<size_t>(width) + 1), next(static_cast<size_t>(width) + 1);
    std::vector<unsigned char> out(static_cast<size_t>(outBytes) + 1);
    if (decoder->readNextLine(raw.data()) != 1)
        return -1;
    for (int x = 0; x < width; ++x)
        current[x] = raw[x];
    for (int i = 0; i < height; ++i) {
        const bool more = i + 1 < height;
        if (more) {
            if (decoder->readNextLine(raw.data()) != 1)
                return -1;
            for (int x = 0; x < width; ++x)
                next[x] = raw[x];
        }
        std::memset(out.data(), 0, out.size());
        for (int x = 0; x < width; ++x) {
            int v = current[x] < 0 ? 0 : current[x] > 255 ? 255 : current[x];
            int e = v;
            if (v > threshold) {
                out[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
                e = v - 255;
            }
            // Each share truncates toward zero on its own.
            if (x < width - 1)
                current[x + 1] += e * 7 / 16;
            if (more) {
                if (x > 0)
                    next[x - 1] += e * 3 / 16;
                next[x] += e * 5 / 16;
                if (x < width - 1)
                    next[x + 1] += e / 16;
            }
        }
        encoder->writeLine(out.data(), outBytes);
        current.swap(next);
    }
    return 0;
}

int qelImg1BPPConverter::bayerOrderedDither(qelImgDecoder* decoder, qelImgEncoder* encoder)
{
    trace("bayerOrderedDither");
    int table[4][4];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            int v = 0, xx = x, yy = y;
            for (int step = 0; step < 2; ++step) {
                v = 4 * v + 2 * ((xx ^ yy) % 2) + (xx % 2);
                xx /= 2;
                yy /= 2;
            }
            table[y][x] = 16 * v;
        }
    return ordered(decoder, encoder, [&](int grey, int x, int y) { return grey > table[y & 3][x & 3]; });
}

int qelImg1BPPConverter::orderedDither(qelImgDecoder* decoder, qelImgEncoder* encoder)
{
    return ordered(decoder, encoder, [](int grey, int x, int y) { return grey >= 4 * kCluster[y & 7][x & 7]; });
}
