#include "qelImgCxDecoder.h"

#include "CxIOFile.h"
#include "CxImage.h"
#include "CxMemFile.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
const char* const kClass = "qelImgCxDecoder";

qelImgLogger* logger() { return qelImgProcessor::getLogger(); }

qelImgException* cxError(const char* file, int line, const char* text)
{
    return new qelImgException(file, line, 17, 0, true, text && *text ? text : "(null)");
}
}

int qelImgCxDecoder::toCxFormat(int imageType)
{
    switch (imageType) {
    case QELIMG_IMAGETYPE_BMP: return CXIMAGE_FORMAT_BMP;
    case QELIMG_IMAGETYPE_PNG: return CXIMAGE_FORMAT_PNG;
    case QELIMG_IMAGETYPE_PCX: return CXIMAGE_FORMAT_PCX;
    case QELIMG_IMAGETYPE_GIF: return CXIMAGE_FORMAT_GIF;
    default: return CXIMAGE_FORMAT_UNKNOWN;
    }
}

int qelImgCxDecoder::fromCxFormat(int cxType)
{
    switch (cxType) {
    case CXIMAGE_FORMAT_BMP: return QELIMG_IMAGETYPE_BMP;
    case CXIMAGE_FORMAT_GIF: return QELIMG_IMAGETYPE_GIF;
    case CXIMAGE_FORMAT_PNG: return QELIMG_IMAGETYPE_PNG;
    case CXIMAGE_FORMAT_PCX: return QELIMG_IMAGETYPE_PCX;
    default: return QELIMG_IMAGETYPE_UNKNOWN;
    }
}

void qelImgCxDecoder::getCxImageVersion(char* buffer)
{
    if (buffer)
        std::sprintf(buffer, "%.5f", CxImage::GetVersionNumber());
}

qelImgCxDecoder::qelImgCxDecoder(const char* fileName, int imageType) : qelImgDecoder(fileName)
{
    trace(kClass, "qelImgCxDecoder");
    if (!fileName || !*fileName)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    auto file = std::make_unique<CxIOFile>();
    if (!file->Open(fileName, "rb")) {
        const int error = errno;
        throw new qelImgException(__FILE__, __LINE__, 18, 0, true, fileName, error, std::strerror(error));
    }
    m_file = file.release();
    m_sourceKind = SOURCE_FILE;
    open(imageType);
}

qelImgCxDecoder::qelImgCxDecoder(unsigned char* data, unsigned int length, int imageType)
{
    trace(kClass, "qelImgCxDecoder");
    if (!data || length == 0)
        throw new qelImgException(__FILE__, __LINE__, 12, 0, true);
    m_file = new CxMemFile(data, length);
    m_sourceKind = SOURCE_MEMORY;
    open(imageType);
}

qelImgCxDecoder::qelImgCxDecoder(qelImgInfo*, unsigned char*, unsigned int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true,
                              "qelImgCxDecoder(qelImgInfo *pmImgInfoPar, qelByte *pbDataPar, int iLengthPar)",
                              kClass);
}

void qelImgCxDecoder::open(int imageType)
{
    try {
        m_image = new CxImage(m_file, static_cast<uint32_t>(toCxFormat(imageType)));
        if (!m_image->IsValid())
            throw cxError(__FILE__, __LINE__, m_image->GetLastError());
        m_pageNumber = 0;
        m_pageCount = m_image->GetNumFrames();
        m_currentLine = -1;
        readHeader();
    } catch (...) {
        release();
        throw;
    }
}

void qelImgCxDecoder::release()
{
    delete m_alphaImage;
    m_alphaImage = nullptr;
    delete m_image;
    m_image = nullptr;
    delete m_file;
    m_file = nullptr;
}

qelImgCxDecoder::~qelImgCxDecoder()
{
    trace(kClass, "~qelImgCxDecoder");
    release();
}

void qelImgCxDecoder::setPageNumber(int page)
{
    trace(kClass, "setPageNumber");
    dropPage();
    delete m_maskInfo;
    m_maskInfo = nullptr;
    m_pageNumber = page;
    readHeader();
    m_currentLine = -1;
}

bool qelImgCxDecoder::selectFrame()
{
    if (m_image->GetFrame() == m_pageNumber && m_image->IsValid())
        return true;
    delete m_alphaImage;
    m_alphaImage = nullptr;
    delete m_maskInfo;
    m_maskInfo = nullptr;
    m_image->SetFrame(m_pageNumber);
    return m_image->Decode(m_file, CXIMAGE_FORMAT_UNKNOWN);
}

bool qelImgCxDecoder::doesPageExist(int page)
{
    return page == 0 || (m_image && m_image->IsValid() && page < m_pageCount);
}

void qelImgCxDecoder::fillInfo(qelImgInfo& info, CxImage& image)
{
    info.type = fromCxFormat(static_cast<int>(image.GetType()));
    const int depth = static_cast<int>(image.GetBpp());
    info.bitsPerPixel = depth;
    if (depth < 8) {
        info.bitsPerSample = depth;
        info.samplesPerPixel = 1;
    } else {
        info.samplesPerPixel = depth / 8;
        info.bitsPerSample = depth / info.samplesPerPixel;
    }
    switch (info.type) {
    case QELIMG_IMAGETYPE_GIF: {
        const uint32_t option = image.GetCodecOption(CXIMAGE_FORMAT_GIF);
        info.compression = option == 0 ? QELIMG_COMP_LZW : option == 2 ? QELIMG_COMP_RLE8 : QELIMG_COMP_NONE;
        break;
    }
    case QELIMG_IMAGETYPE_BMP:
    case QELIMG_IMAGETYPE_PNG:
    case QELIMG_IMAGETYPE_PCX: info.compression = QELIMG_COMP_NONE; break;
    default: info.compression = 19;
    }
    info.fillOrder = 1;
    info.width = static_cast<int32_t>(image.GetWidth());
    info.height = static_cast<int32_t>(image.GetHeight());
    info.xResolution = image.GetXDPI();
    info.yResolution = image.GetYDPI();
    if (info.xResolution < 1) {
        info.xResolution = static_cast<int32_t>(qelImgProcessor::getDefaultResolution());
        info.yResolution = info.xResolution;
    }
    info.colorCount = static_cast<int32_t>(image.GetNumColors());
}

void qelImgCxDecoder::readHeader()
{
    trace(kClass, "readHeader");
    if (!m_image)
        return;
    try {
        if (!selectFrame())
            throw cxError(__FILE__, __LINE__, m_image->GetLastError());
        auto info = std::make_unique<qelImgInfo>();
        fillInfo(*info, *m_image);
        delete m_info;
        m_info = info.release();
        delete[] m_palette;
        m_palette = nullptr;
        m_paletteCount = 0;
        const RGBQUAD* table = m_image->GetPalette();
        if (m_info->colorCount > 0 && table) {
            m_palette = new unsigned char[4 * static_cast<size_t>(m_info->colorCount)];
            for (int i = 0; i < m_info->colorCount; ++i) {
                m_palette[4 * i] = table[i].rgbBlue;
                m_palette[4 * i + 1] = table[i].rgbGreen;
                m_palette[4 * i + 2] = table[i].rgbRed;
                m_palette[4 * i + 3] = 0;
            }
            m_paletteCount = m_info->colorCount;
        }
        m_info->photometric = getPhotometric();
        if (m_image->IsTransparent()) {
            m_info->transparent = 1;
            m_info->transparencyKind = 1;
            m_info->transparentColorIndex = m_image->GetTransIndex();
            const RGBQUAD c = m_image->GetTransColor();
            m_info->transparentColor[0] = c.rgbBlue;
            m_info->transparentColor[1] = c.rgbGreen;
            m_info->transparentColor[2] = c.rgbRed;
            m_info->transparentColor[3] = c.rgbReserved;
        } else if (m_image->AlphaIsValid() || m_alphaImage) {
            m_info->transparent = 1;
            m_info->transparencyKind = 2;
            buildAlphaMask();
        }
        printInfo();
    } catch (qelImgException*) {
        finalize();
        throw;
    }
}

void qelImgCxDecoder::buildAlphaMask()
{
    if (!m_alphaImage) {
        auto alpha = std::make_unique<CxImage>();
        if (!m_image->AlphaSplit(alpha.get()))
            throw cxError(__FILE__, __LINE__, "Unable to allocate memory to fetch transparency mask image\n");
        m_alphaImage = alpha.release();
    }
    auto mask = std::make_unique<qelImgInfo>();
    fillInfo(*mask, *m_alphaImage);
    const int depth = mask->bitsPerPixel;
    int photometric = depth == 4 || depth == 8 ? 3 : depth == 24 ? 2 : 0;
    const RGBQUAD* table = m_alphaImage->GetPalette();
    if (!table || m_alphaImage->GetNumColors() == 0)
        photometric = 0;
    else if (table[0].rgbBlue == 0)
        photometric = 1;
    mask->photometric = photometric;
    delete m_maskInfo;
    m_maskInfo = mask.release();
}

int qelImgCxDecoder::getPhotometric()
{
    if (!m_info)
        return 0;
    const int depth = m_info->bitsPerPixel;
    if (depth == 24)
        return 2;
    if (!m_palette || m_info->colorCount <= 0)
        return 0;
    if (depth == 4 || depth == 8)
        return 3;
    if (depth == 1)
        return m_palette[0] == 0 && m_palette[1] == 0 && m_palette[2] == 0 ? 1 : 0;
    return 0;
}

int qelImgCxDecoder::getDecodeBPP()
{
    if (!m_info)
        return -1;
    const int depth = m_info->bitsPerPixel;
    if (depth == 1 || depth == 4 || depth == 8)
        return depth;
    if (depth == 16 || depth == 24 || depth == 32)
        return 24;
    return 1;
}

int qelImgCxDecoder::getScanLineSize()
{
    if (!m_info)
        return -1;
    const int bpp = getDecodeBPP();
    return static_cast<int>(
        static_cast<int64_t>(qelImgDIBUtils::getAlignedWidth(m_info->width, bpp)) * bpp / 8);
}

void qelImgCxDecoder::checkSupportedFormat()
{
    const int depth = m_info ? m_info->bitsPerPixel : 0;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        throw new qelImgException(__FILE__, __LINE__, 52, 0, true, depth,
                                  qelImgUtils::getImageTypeName(m_info ? m_info->type : 14));
}

void qelImgCxDecoder::decode(qelImgParamValue* params)
{
    trace(kClass, "decode");
    if (m_dib) {
        if (qelImgLogger* log = logger())
            log->trace("%s", "Image is already decoded");
        return;
    }
    if (!m_image)
        return;
    try {
        getInfo();
        checkSupportedFormat();
        m_params = params;
        if (!selectFrame())
            return;
        const int bpp = getDecodeBPP();
        std::unique_ptr<qelImgDIBHeader> header(
            createDIBHeader(m_info->width, m_info->height, bpp, m_info->xResolution, m_info->yResolution));
        createDIB(header.get());
        if (bpp == 1 && m_palette && m_paletteCount >= 2 && m_dib->palette)
            std::memcpy(m_dib->palette, m_palette, 8);
        const size_t rowBytes =
            static_cast<size_t>(qelImgDIBUtils::getAlignedWidth(m_info->width, bpp)) * static_cast<size_t>(bpp) / 8;
        const uint32_t height = m_image->GetHeight();
        const size_t copy = rowBytes < m_image->GetEffWidth() ? rowBytes : m_image->GetEffWidth();
        for (uint32_t y = 0; y < height; ++y) {
            unsigned char* out = m_dib->bits + static_cast<size_t>(y) * rowBytes;
            std::memcpy(out, m_image->GetBits(height - 1 - y), copy);
            if (bpp == 24)
                qelImgDIBUtils::swapRGBPixels(out, m_info->width);
        }
    } catch (qelImgException*) {
        finalize();
        throw;
    }
}

int qelImgCxDecoder::readNextLine(unsigned char* row)
{
    if (!m_info || !row)
        return -1;
    if (!m_dib) {
        decode(m_params);
        if (!m_dib)
            return -1;
    }
    if (m_currentLine + 1 >= m_info->height)
        return 0;
    if (qelImgLogger* log = logger())
        log->trace("\tqelImgCxDecoder::readNextLine.LineNr=>%d", m_currentLine + 1);
    const size_t size = static_cast<size_t>(getScanLineSize());
    std::memcpy(row, m_dib->bits + static_cast<size_t>(m_currentLine + 1) * size, size);
    ++m_currentLine;
    return 1;
}

void qelImgCxDecoder::getEncodedData(unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedData()", kClass);
}

void qelImgCxDecoder::getEncodedBandData(qelImageStrips*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedBandData()", kClass);
}

void qelImgCxDecoder::getEncodedTileData(int, unsigned char**, unsigned int*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getEncodedTileData()", kClass);
}

int qelImgCxDecoder::decodeTileImage(qelImgParamValue*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "decodeTileImage()", kClass);
}
