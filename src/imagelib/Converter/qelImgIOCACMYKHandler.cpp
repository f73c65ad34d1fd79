#include "qelImgIOCACMYKHandler.h"

#include "oiocaInternal.h"
#include "qelImgAFPIOCAEncoder.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBEncoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgFlateEncoder.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgConverterSupport.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace
{
const char* const kClass = "qelImgIOCACMYKHandler";

void trace(const char* operation)
{
    if (qelImgLogger* log = qelImgProcessor::getLogger())
        log->trace("\t%s::%s()", kClass, operation);
}

// Debug files go to the temporary directory at trace level 3.
std::string debugPath(const char* name)
{
    qelImgLogger* log = qelImgProcessor::getLogger();
    const char* dir = qelImgProcessor::getTempDirectory();
    if (!log || log->getLevel() != 3 || !dir)
        return std::string();
    return std::string(dir) + name;
}

void dumpBytes(const char* name, const unsigned char* data, size_t length, const char* mode = "wb")
{
    const std::string path = debugPath(name);
    if (path.empty() || !data)
        return;
    if (FILE* f = std::fopen(path.c_str(), mode)) {
        std::fwrite(data, 1, length, f);
        std::fclose(f);
    }
}

const char* const kPlaneLetters[4] = {"c", "m", "y", "k"};

qelImgEncoder* createEncoder(int encodeType, qelImgIOStream* stream)
{
    switch (encodeType) {
    case QELIMG_ENCODE_JPEG: return new qelImgJPEGEncoder(stream);
    case QELIMG_ENCODE_IOCA_G3MH:
    case QELIMG_ENCODE_IOCA_G3MR:
    case QELIMG_ENCODE_IOCA_G4:
    case QELIMG_ENCODE_IOCA_JPEG: return new qelImgAFPIOCAEncoder(stream);
    case QELIMG_ENCODE_FLATE: return new qelImgFlateEncoder(stream);
    default: return new qelImgDIBEncoder(stream);
    }
}
}

qelImgIOCACMYKHandler::qelImgIOCACMYKHandler(qelImgIOStream* stream) : m_stream(stream)
{
    trace("qelImgIOCACMYKHandler");
}

qelImgIOCACMYKHandler::~qelImgIOCACMYKHandler()
{
    release();
    m_info = nullptr;
}

void qelImgIOCACMYKHandler::setSource(qelImgInfo* info, unsigned char* c, unsigned int cLength, unsigned char* m,
                                      unsigned int mLength, unsigned char* y, unsigned int yLength, unsigned char* k,
                                      unsigned int kLength)
{
    trace("setSource");
    release();
    m_info = info;
    m_planes[0] = c;
    m_lengths[0] = cLength;
    m_planes[1] = m;
    m_lengths[1] = mLength;
    m_planes[2] = y;
    m_lengths[2] = yLength;
    m_planes[3] = k;
    m_lengths[3] = kLength;
}

void qelImgIOCACMYKHandler::release()
{
    for (int i = 0; i < PLANES; ++i) {
        delete m_decoders[i];
        m_decoders[i] = nullptr;
        if (m_own[i]) {
            delete[] m_planes[i];
            m_planes[i] = nullptr;
            m_lengths[i] = 0;
            m_own[i] = false;
        }
    }
    m_ownsPlanes = false;
}

void qelImgIOCACMYKHandler::setOwnPlane(int i, unsigned char* data, unsigned int length)
{
    if (m_own[i])
        delete[] m_planes[i];
    m_planes[i] = data;
    m_lengths[i] = length;
    m_own[i] = true;
    m_ownsPlanes = true;
}

void qelImgIOCACMYKHandler::failRow(const char* what)
{
    release();
    throw new qelImgException(__FILE__, __LINE__, 51, 0, true, what);
}

void qelImgIOCACMYKHandler::createDecoders(qelImgParamValue* params)
{
    const bool fourBit = m_info->bitsPerPixel == 4;
    const int planeBits = fourBit ? 1 : 8;
    for (int i = 0; i < PLANES; ++i)
        if (!m_planes[i] || m_lengths[i] == 0)
            return;
    qelImgInfo plane = *m_info;
    plane.bitsPerPixel = planeBits;
    plane.bitsPerSample = planeBits;
    plane.samplesPerPixel = 1;
    plane.bandCount = 1;
    plane.colorCount = 0;
    switch (m_info->compression) {
    case QELIMG_COMP_NONE:
        for (int i = 0; i < PLANES; ++i)
            m_decoders[i] = new qelImgRawDataDecoder(&plane, m_planes[i], static_cast<int>(m_lengths[i]), nullptr);
        break;
    case QELIMG_COMP_G4:
    case QELIMG_COMP_LZW:
        if (params) {
            plane.xResolution = params[QELIMG_PARAM_X_RESOLUTION].getInt();
            plane.yResolution = params[QELIMG_PARAM_Y_RESOLUTION].getInt();
        }
        for (int i = 0; i < PLANES; ++i) {
            const std::string debug = debugPath((std::string(kPlaneLetters[i]) + ".tif").c_str());
            if (!debug.empty()) {
                unsigned char* header = nullptr;
                int headerLength = 0;
                qelImgTIFFProcessor::createTIFFHeader(
                    plane.width, plane.height, plane.bitsPerSample,
                    m_info->compression == QELIMG_COMP_G4 ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW,
                    plane.photometric, plane.fillOrder, 1, plane.xResolution, plane.yResolution,
                    static_cast<int>(m_lengths[i]), &header, &headerLength, nullptr);
                std::unique_ptr<unsigned char[]> owned(header);
                if (FILE* f = std::fopen(debug.c_str(), "wb")) {
                    std::fwrite(header, 1, static_cast<size_t>(headerLength), f);
                    std::fwrite(m_planes[i], 1, m_lengths[i], f);
                    std::fclose(f);
                }
            }
            m_decoders[i] = new qelImgTIFFDecoder(&plane, m_planes[i], m_lengths[i], nullptr);
        }
        break;
    case QELIMG_COMP_IBM_MMR: {
        static const char* const names[PLANES] = {"Cyan", "Magenta", "Yellow", "Black"};
        const bool ignore = params && params[QELIMG_PARAM_IGNORE_DECOMP_ERROR].getInt() == 1;
        const int width = m_info->width, height = m_info->height;
        if (width <= 0 || height <= 0)
            return;
        const int64_t rowBytes = (static_cast<int64_t>(width) + 7) / 8;
        const int64_t size = rowBytes * height;
        // Four planes together stay within one bitmap's limit.
        if (size > qelImgDecoder::MAX_BUFFER_BYTES / PLANES)
            throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
        for (int i = 0; i < PLANES; ++i) {
            auto* bits = new (std::nothrow) unsigned char[static_cast<size_t>(size) + 1]();
            if (!bits)
                throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
            uint64_t bytes = 0;
            int32_t rows = 0;
            const int rc = qelIBMMMRDecoder_decompressIBMMMR(m_planes[i], m_lengths[i], "IBMMMR", width, height, 1,
                                                             bits, &bytes, ignore ? 1 : 0, &rows);
            int kept = height;
            if (rc != 1) {
                if (!(ignore && rows > 0 && rows < height)) {
                    delete[] bits;
                    failRow("CMYK");
                }
                kept = rows;
            }
            if (qelImgLogger* log = qelImgProcessor::getLogger())
                log->trace("\t\t%s plane: %d rows", names[i], kept);
            setOwnPlane(i, bits, static_cast<unsigned int>(rowBytes * kept));
            if (!debugPath(names[i]).empty()) {
                std::unique_ptr<qelImgDIB> dib(
                    qelImgDIBUtils::createDIBFromData(width, kept, 1, m_info->xResolution, m_info->yResolution, 0,
                                                      nullptr, 0));
                std::memcpy(dib->bits, bits, std::min<size_t>(dib->header->biSizeImage, m_lengths[i]));
                qelImgDIBUtils::writeDIB((debugPath(names[i]) + ".dib").c_str(), dib.get());
            }
            qelImgInfo decoded = plane;
            decoded.compression = QELIMG_COMP_NONE;
            decoded.height = kept;
            m_decoders[i] = new qelImgRawDataDecoder(&decoded, m_planes[i], static_cast<int>(m_lengths[i]), nullptr);
        }
        break;
    }
    case QELIMG_COMP_JPEG:
        for (int i = 0; i < PLANES; ++i) {
            dumpBytes((std::string(kPlaneLetters[i]) + ".jpeg").c_str(), m_planes[i], m_lengths[i]);
            m_decoders[i] = new qelImgJPEGDecoder(m_planes[i], m_lengths[i]);
        }
        break;
    default: break;
    }
}

unsigned char* qelImgIOCACMYKHandler::convertToJPEG(qelImgDecoder* decoder, qelImgParamValue* params,
                                                    unsigned int* length)
{
    trace("convertToJPEG");
    qelImgInfo* info = decoder->getInfo();
    qelImgBufferIOStream stream("convertToJPEG", 2);
    qelImgJPEGEncoder encoder(&stream);
    encoder.initialize(params, info);
    const int scan = decoder->getScanLineSize();
    if (scan <= 0 || info->width <= 0)
        failRow("CMYK-1");
    std::vector<unsigned char> row(static_cast<size_t>(scan) + 1);
    for (int y = 0; y < info->height; ++y) {
        if (!qelImgReadPlaneRow(decoder, row.data())) {
            encoder.finalize();
            failRow("CMYK-1");
        }
        encoder.writeLine(row.data(), scan);
    }
    encoder.finalize();
    char* data = nullptr;
    unsigned int size = 0;
    stream.getBuffer(&data, &size, false);
    *length = size;
    return reinterpret_cast<unsigned char*>(data);
}

void qelImgIOCACMYKHandler::reencodePlanesAsJPEG(qelImgParamValue* params)
{
    trace("reencodePlanesAsJPEG");
    qelImgParamValue& space = params[QELIMG_PARAM_COLOR_SPACE];
    const int saved = space.getInt();
    space.setInt(0);
    try {
        for (int i = 0; i < PLANES; ++i) {
            unsigned int length = 0;
            unsigned char* jpeg = convertToJPEG(m_decoders[i], params, &length);
            m_decoders[i]->finalize();
            delete m_decoders[i];
            m_decoders[i] = nullptr;
            if (!jpeg || length == 0) {
                delete[] jpeg;
                failRow("CMYK-1");
            }
            setOwnPlane(i, jpeg, length);
            dumpBytes((std::string(kPlaneLetters[i]) + "r.jpeg").c_str(), jpeg, length);
            m_decoders[i] = new qelImgJPEGDecoder(m_planes[i], m_lengths[i]);
        }
    } catch (...) {
        space.setInt(saved);
        throw;
    }
    space.setInt(saved);
}

void qelImgIOCACMYKHandler::convertLine(int width, int bitsPerPixel, int colorSpace, const unsigned char* c,
                                        const unsigned char* m, const unsigned char* y, const unsigned char* k,
                                        unsigned char* out)
{
    for (int x = 0; x < width; ++x) {
        if (bitsPerPixel == 4) {
            const int value = qelImgDIBUtils::getRowPixel(c, x, 1) * 8 + qelImgDIBUtils::getRowPixel(m, x, 1) * 4 +
                              qelImgDIBUtils::getRowPixel(y, x, 1) * 2 + qelImgDIBUtils::getRowPixel(k, x, 1);
            qelImgDIBUtils::setRowPixel(out, x, 4, value);
            continue;
        }
        switch (colorSpace) {
        case 0: {
            int gray = 0;
            qelImgUtils::cmykToGray(c[x], m[x], y[x], k[x], &gray);
            out[x] = static_cast<unsigned char>(gray);
            break;
        }
        case 1:
        case 3: {
            int r = 0, g = 0, b = 0;
            qelImgUtils::cmykToRgb(c[x], m[x], y[x], k[x], &r, &g, &b);
            out[3 * x] = static_cast<unsigned char>(r);
            out[3 * x + 1] = static_cast<unsigned char>(g);
            out[3 * x + 2] = static_cast<unsigned char>(b);
            break;
        }
        default:
            out[4 * x] = c[x];
            out[4 * x + 1] = m[x];
            out[4 * x + 2] = y[x];
            out[4 * x + 3] = k[x];
            break;
        }
    }
}

void qelImgIOCACMYKHandler::convert(int encodeType, qelImgParamValue* params)
{
    trace("convert");
    if (!params)
        throw new qelImgException(__FILE__, __LINE__, 28, 0, true);
    if (!m_info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    const int colorSpace = params[QELIMG_PARAM_COLOR_SPACE].getInt();
    if (colorSpace > 3 || colorSpace < 0)
        throw new qelImgException(__FILE__, __LINE__, 29, 0, true, "CMYK", qelImgColorSpaceName(colorSpace));
    try {
        createDecoders(params);
        for (int i = 0; i < PLANES; ++i)
            if (!m_decoders[i]) {
                release();
                return;
            }
        const bool fourBit = m_info->bitsPerPixel == 4;
        if (!fourBit && params[QELIMG_PARAM_JPEG_QUALITY].getInt() < 100)
            reencodePlanesAsJPEG(params);

        qelImgInfo* k = m_decoders[3]->getInfo();
        const int width = k->width, height = k->height;
        // Every row buffer is sized by its own plane; planes of another
        // width would be read past their rows.
        const int64_t need = fourBit ? (static_cast<int64_t>(width) + 7) / 8 : width;
        std::vector<unsigned char> rows[PLANES];
        for (int i = 0; i < PLANES; ++i) {
            qelImgInfo* info = m_decoders[i]->getInfo();
            const int scan = m_decoders[i]->getScanLineSize();
            if (info->width != width || scan < need || width <= 0)
                failRow("CMYK");
            rows[i].assign(static_cast<size_t>(scan) + 1, 0);
        }

        qelImgInfo output = *m_info;
        output.width = width;
        output.height = height;
        output.samplesPerPixel = 1;
        output.bandCount = 1;
        output.compression = QELIMG_COMP_NONE;
        int64_t rowBytes;
        if (fourBit) {
            output.bitsPerPixel = 4;
            rowBytes = static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(width, 4)) * 4 / 8;
        } else if (colorSpace == 1 || colorSpace == 3) {
            output.bitsPerPixel = 24;
            output.samplesPerPixel = 3;
            rowBytes = static_cast<int64_t>(width) * 3;
        } else if (colorSpace == 2) {
            output.bitsPerPixel = 32;
            output.samplesPerPixel = 4;
            rowBytes = static_cast<int64_t>(width) * 4;
        } else {
            output.bitsPerPixel = 8;
            rowBytes = width;
        }
        output.bitsPerSample = fourBit ? 1 : 8;
        output.photometric = params[QELIMG_PARAM_PHOTOMETRIC].getInt();

        std::unique_ptr<qelImgEncoder> encoder(createEncoder(encodeType, m_stream));
        encoder->initialize(params, &output);
        if (encoder->typeId() == qelImgEncoder::TYPE_AFP_IOCA)
            encoder->setEncodeType(encodeType);
        if (encoder->typeId() == qelImgEncoder::TYPE_DIB) {
            static_cast<qelImgDIBEncoder*>(encoder.get())->writeHeader();
            std::unique_ptr<unsigned char[]> table;
            int count = 0;
            if (fourBit) {
                table.reset(colorSpace == 1 ? qelImgDIBUtils::createCMYKPalette()
                                            : qelImgDIBUtils::createCMYKGrayPalette());
                count = 16;
            } else if (output.bitsPerPixel == 8) {
                // White is 255 in the grey rows: an ascending ramp.
                table.reset(qelImgDIBUtils::createGrayPalette(256, true));
                count = 256;
            }
            if (table)
                encoder->writeColorTable(table.get(), count);
        }
        std::vector<unsigned char> out(static_cast<size_t>(rowBytes) + 1);
        for (int y = 0; y < height; ++y) {
            for (int i = 0; i < PLANES; ++i) {
                if (!qelImgReadPlaneRow(m_decoders[i], rows[i].data()))
                    failRow("CMYK");
                dumpBytes((std::string(kPlaneLetters[i]) + ".raw").c_str(), rows[i].data(), rows[i].size() - 1,
                          y == 0 ? "wb" : "ab");
            }
            std::memset(out.data(), 0, out.size());
            convertLine(width, m_info->bitsPerPixel, colorSpace, rows[0].data(), rows[1].data(), rows[2].data(),
                        rows[3].data(), out.data());
            encoder->writeLine(out.data(), static_cast<int>(rowBytes));
        }
        for (int i = 0; i < PLANES; ++i)
            m_decoders[i]->finalize();
        encoder->finalize();
    } catch (...) {
        release();
        throw;
    }
    release();
}
