#include "qelImgCCITTEncoder.h"

#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTIFFIOStreamProcessor.h"
#include "qelImgTypes.h"

#include <memory>
#include <new>
#include <vector>

namespace
{
const char* const kClass = "qelImgCCITTEncoder";
const char* const kArtist = "Coded by the Lorbane image library";

void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", kClass, operation);
}

// Puts the TIFF handlers back however the block is left.
struct HandlerScope
{
    HandlerScope() { qelImgErrorHandler::installTIFFHandlers(); }
    ~HandlerScope() { qelImgErrorHandler::restoreTIFFHandlers(); }
};

void check(const char* step, int rc)
{
    if (qelImgErrorHandler::getPendingError())
        qelImgErrorHandler::checkTIFFError(kClass, step, rc);
}
}

qelImgCCITTEncoder::qelImgCCITTEncoder()
{
    m_encodeType = QELIMG_ENCODE_CCITT_G4;
}

qelImgCCITTEncoder::qelImgCCITTEncoder(qelImgIOStream* stream) : qelImgEncoder(stream)
{
    trace("qelImgCCITTEncoder");
    m_encodeType = QELIMG_ENCODE_CCITT_G4;
}

qelImgCCITTEncoder::~qelImgCCITTEncoder()
{
    closeHandle();
    delete m_work;
}

void qelImgCCITTEncoder::closeHandle()
{
    if (m_tiff) {
        TIFFClose(m_tiff);
        m_tiff = nullptr;
    }
}

void qelImgCCITTEncoder::checkBitsPerPixel(int bits)
{
    if (bits != 1)
        throw new qelImgException(__FILE__, __LINE__, 45, 0, true, bits, "CCITT");
}

void qelImgCCITTEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    if (!info)
        return;
    m_params = params;
    m_info = info;
    checkBitsPerPixel(info->bitsPerPixel);
    initialize(info->width, info->height, info->bitsPerPixel);
}

void qelImgCCITTEncoder::initialize(int width, int height, int)
{
    trace("initialize");
    HandlerScope handlers;
    closeHandle();
    delete m_work;
    m_work = new qelImgBufferIOStream("CCITTEncoder", 2);
    m_work->open();
    m_tiff = qelImgTIFFIOStreamProcessor::openTIFFIOStreamToWrite(m_work);
    check("qelImgCCITTEncoder::initialize()->TIFFClientOpen(openTIFFIOStreamToWrite)", 0);
    if (!m_tiff)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    const float dpi = static_cast<float>(m_params ? m_params[QELIMG_PARAM_X_RESOLUTION].getInt() : 300);
    const char* step = "initialize()->TIFFSetField()";
    check(step, TIFFSetField(m_tiff, TIFFTAG_SOFTWARE, "Lorbane"));
    check(step, TIFFSetField(m_tiff, TIFFTAG_ARTIST, kArtist));
    check(step, TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)));
    check(step, TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)));
    check(step, TIFFSetField(m_tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT));
    check(step, TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, 1));
    check(step, TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, 1));
    check(step, TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH));
    check(step, TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, dpi));
    check(step, TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, dpi));
    check(step, TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG));
    check(step, TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE));
    check(step, TIFFSetField(m_tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB));
    check(step, TIFFSetField(m_tiff, TIFFTAG_COMPRESSION,
                             m_encodeType == QELIMG_ENCODE_CCITT_G3 ? COMPRESSION_CCITTFAX3 : COMPRESSION_CCITTFAX4));
    check(step, TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height)));
    m_lineCounter = 0;
    m_initialized = true;
}

int qelImgCCITTEncoder::writeLine(unsigned char* row, int)
{
    trace("writeLine");
    if (!m_tiff)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    const int rc = TIFFWriteScanline(m_tiff, row, static_cast<uint32_t>(m_lineCounter++), 0);
    check("writeLine()->TIFFWriteScanline()", rc);
    return 0;
}

int qelImgCCITTEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_initialized)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "CCITT");
    if (!m_tiff)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    const int size = decoder->getScanLineSize();
    std::vector<unsigned char> row(size > 0 ? static_cast<size_t>(size) : 1);
    m_lineCounter = 0;
    HandlerScope handlers;
    decoder->setParameters(m_params);
    const int height = m_info ? m_info->height : 0;
    for (int y = 0; y < height && decoder->readNextLine(row.data()) == 1; ++y) {
        if (m_invert)
            for (unsigned char& b : row)
                b = static_cast<unsigned char>(~b);
        writeLine(row.data(), size);
    }
    return 0;
}

int qelImgCCITTEncoder::encode(qelImgDIB* dib)
{
    HandlerScope handlers;
    trace("encode");
    if (!dib || !dib->header)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    if (!m_initialized)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "CCITT");
    if (!m_tiff)
        throw new qelImgException(__FILE__, __LINE__, 46, 0, true);
    const tmsize_t rc = TIFFWriteEncodedStrip(m_tiff, 0, dib->bits, static_cast<tmsize_t>(dib->header->biSizeImage));
    check("encode()->TIFFWriteEncodedStrip()", static_cast<int>(rc));
    return 0;
}

void qelImgCCITTEncoder::finalize()
{
    trace("finalize");
    if (!m_tiff)
        return;
    if (!m_initialized)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "CCITT");
    HandlerScope handlers;
    try {
        check("finalize()->TIFFWriteDirectory()", TIFFWriteDirectory(m_tiff));
        check("finalize()->TIFFFlush()", TIFFFlush(m_tiff));
        check("finalize()->TIFFSetDirectory()", TIFFSetDirectory(m_tiff, 0));
        const tmsize_t size = TIFFRawStripSize(m_tiff, 0);
        check("finalize()->TIFFRawStripSize()", static_cast<int>(size));
        if (size <= 0 || size > qelImgDecoder::MAX_BUFFER_BYTES)
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, 1);
        std::unique_ptr<unsigned char[]> strip(new (std::nothrow) unsigned char[static_cast<size_t>(size)]);
        if (!strip) {
            if (qelImgLogger* log = qelImgProcessor::getLogger())
                log->trace("%s: Memory allocation failure", "qelImgCCITTEncoder::finalize()");
            throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
        }
        const tmsize_t got = TIFFReadRawStrip(m_tiff, 0, strip.get(), size);
        check("finalize()->TIFFReadRawStrip()", static_cast<int>(got));
        if (got < size)
            throw new qelImgException(__FILE__, __LINE__, 43, 0, true, 1);
        TIFF* tiff = m_tiff;
        m_tiff = nullptr;
        TIFFClose(tiff);
        check("finalize()->TIFFClose()", -1);
        if (m_stream) {
            m_stream->open();
            m_stream->write(strip.get(), static_cast<unsigned int>(size));
            m_stream->close();
        }
    } catch (...) {
        closeHandle();
        throw;
    }
}
