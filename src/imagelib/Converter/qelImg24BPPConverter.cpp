#include "qelImg24BPPConverter.h"

#include "qelImgConverterSupport.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecoder.h"
#include "qelImgEncoder.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

#include <new>
#include <vector>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImg24BPPConverter", operation);
}

void notSupported(int bits)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t\t %d Bits/Pixel to 24 Bits/Pixel Conversion Not Yet Supported!\n", bits);
}
}

int qelImg24BPPConverter::convert(qelImgDecoder* decoder, qelImgEncoder* encoder, qelImgParamValue* params)
{
    trace("convert( qelImgDecoder*, qelImgEncoder*, qelImgParamValue[])");
    if (!decoder || !encoder)
        return -1;
    if (params)
        m_params = params;
    const int size = decoder->getScanLineSize();
    if (size <= 0)
        return -1;
    std::vector<unsigned char> row;
    try {
        row.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw "Unable to allocate raster line buffer 24 bit conversion";
    }
    const int bits = decoder->getInfo()->bitsPerPixel;
    if (bits == 24) {
        while (decoder->readNextLine(row.data()) == 1)
            encoder->writeLine(row.data(), size);
    } else if (bits == 48) {
        std::vector<unsigned char> half;
        try {
            half.resize(static_cast<size_t>(size / 2) + 1);
        } catch (const std::bad_alloc&) {
            throw "Unable to allocate raster line buffer for 24 bit conversion";
        }
        while (decoder->readNextLine(row.data()) == 1) {
            for (int p = 0; 6 * p + 5 < size; ++p) {
                half[3 * p] = row[6 * p + 1];
                half[3 * p + 1] = row[6 * p + 3];
                half[3 * p + 2] = row[6 * p + 5];
            }
            encoder->writeLine(half.data(), size / 2);
        }
    } else {
        notSupported(bits);
    }
    return 1;
}

qelImgDIB* qelImg24BPPConverter::convert(qelImgDIB* dib, qelImgParamValue* params)
{
    trace("convert(qelImgDIB*, qelImgParamValue[] )");
    if (!dib || !dib->buffer)
        return nullptr;
    const int bits = dib->header->biBitCount;
    if (bits != 24 && bits != 48) {
        notSupported(bits);
        return nullptr;
    }
    return qelImgConvertDIBRows(this, dib, params, 24, false, "24bpp.dib");
}
