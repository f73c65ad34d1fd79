#include "qelGDImplementor.h"

#include "qelContainerObject.h"
#include "qelVisitor.h"
#include "qelTextObject.h"
#include "qelPDFFontFileEntry.h"
#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelFontRepresentation.h"
#include "qelAFPCharMetrics.h"
#include "qelException.h"
#include "qelGDImageHandle.h"
#include "qelGDFontCache.h"
#include "qelGlobalDSPool.h"
#include "qelImageObject.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageIds.h"
#include "qelPageCoordinateTransformer.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kCreateFailed = "Unable to create GD image with color table.";
const int kFormatGIF = 4;
const int kFormatJPEG = 16;
const int kFormatPNG = 64;
// Longest line style installed; the dash tables are a few entries long.
const int kMaxStyle = 4096;
// Most samples of one fillet segment.
const int kMaxFilletPoints = 65536;

struct ImageDeleter {
    void operator()(gdImagePtr p) const
    {
        if (p)
            gdImageDestroy(p);
    }
};
using ImagePtr = std::unique_ptr<gdImage, ImageDeleter>;

std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* format, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

qelLogStream* logStream()
{
    return qelGlobalDSPool::getInstance()->getLogStream();
}

gdImagePtr newImageLike(gdImagePtr like, int width, int height)
{
    return gdImageTrueColor(like) ? gdImageCreateTrueColor(width, height) : gdImageCreate(width, height);
}

} // namespace

qelGDImplementor::qelGDImplementor(qelVisitor* owner) : qelRasterImplementor(owner) {}

qelGDImplementor::~qelGDImplementor()
{
    // Faces are reopened by the next text call of any implementor.
    qelGDFontCacheShutdown();
    qelGDFontCacheShutdownEx();
    if (m_image)
        gdImageDestroy(m_image);
    m_image = nullptr;
}

bool qelGDImplementor::supportsOutputType(int format)
{
    return format == kFormatGIF || format == kFormatJPEG || format == kFormatPNG;
}

int qelGDImplementor::checkOutputType(int format)
{
    return supportsOutputType(format) ? 0 : -1;
}

int qelGDImplementor::checkOutputFile(int format)
{
    const char* name = m_outputFileName ? m_outputFileName : "";
    // Append mode: a check never truncates a file.
    FILE* f = m_outputFileName ? std::fopen(m_outputFileName, "ab") : nullptr;
    if (!f) {
        const char* reason = m_outputFileName ? std::strerror(errno) : "no output file name";
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, true, name, reason);
    }
    std::fclose(f);
    return format == kFormatJPEG ? 0 : -1;
}

int qelGDImplementor::resizePage(int width, int height)
{
    if (!m_image || width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPagePixels)
        return 1;
    gdImagePtr target = newImageLike(m_image, width, height);
    if (target) {
        if (!gdImageTrueColor(m_image))
            gdImagePaletteCopy(target, m_image);
        gdImageCopyResampled(target, m_image, 0, 0, 0, 0, width, height, gdImageSX(m_image), gdImageSY(m_image));
        gdImageDestroy(m_image);
        m_image = target;
    }
    return 1;
}

void qelGDImplementor::reset()
{
    m_pageNumber = 0;
}

void qelGDImplementor::endDocument() {}

void qelGDImplementor::initializePage(int width, int height, int pageResolution, int outputResolution,
                                      int bgColorSpace, uint32_t bgColor, int bitsPerPixel, int colorFlag,
                                      int rotation, int pageNumber)
{
    m_pageWidth = width;
    m_pageHeight = height;
    m_pageResolution = pageResolution;
    m_outputResolution = outputResolution;
    m_rotation = rotation;
    m_pageNumber = pageNumber;
    m_fontFileName.clear();
    if (m_image) {
        gdImageDestroy(m_image);
        m_image = nullptr;
    }
    if (pageResolution <= 0 || outputResolution <= 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E028, 0, true, -1,
                               fmt("page resolution %d, output resolution %d", pageResolution,
                                                outputResolution)
                                   .c_str());
    m_scale = static_cast<float>(outputResolution) / static_cast<float>(pageResolution);
    const double w = static_cast<double>(static_cast<float>(width) / static_cast<float>(pageResolution)
                                         * static_cast<float>(outputResolution));
    const double h = static_cast<double>(static_cast<float>(height) / static_cast<float>(pageResolution)
                                         * static_cast<float>(outputResolution));
    const long long wp = std::isfinite(w) && std::fabs(w) < 1e9 ? qelUtils::roundHalfDown(w) : -1;
    const long long hp = std::isfinite(h) && std::fabs(h) < 1e9 ? qelUtils::roundHalfDown(h) : -1;
    // gd refuses some sizes; a forged page asks for gigabytes: both refused.
    if (wp <= 0 || hp <= 0 || wp * hp > kMaxPagePixels)
        throw new qelException(__FILE__, __LINE__, qelMsg::E028, 0, true, -1,
                               fmt("page bitmap of %lld x %lld pixels", wp, hp).c_str());
    qelIni* ini = m_options;
    float outW = 0.0f, outH = 0.0f;
    if (ini)
        ini->getOutputSize(&outW, &outH);
    const bool trueColor = colorFlag != 0 || (ini && ini->isColor() && bitsPerPixel > 8) || outW > 0.0f
        || outH > 0.0f;
    m_image = trueColor ? gdImageCreateTrueColor(static_cast<int>(wp), static_cast<int>(hp))
                        : gdImageCreate(static_cast<int>(wp), static_cast<int>(hp));
    if (!m_image)
        throw new qelException(__FILE__, __LINE__, qelMsg::E028, 0, true, -1,
                               fmt("page bitmap of %lld x %lld pixels", wp, hp).c_str());
    m_white = gdImageColorResolve(m_image, 255, 255, 255);
    m_black = gdImageColorResolve(m_image, 0, 0, 0);
    if (bgColorSpace != 0) {
        const int bg = resolveColor(bgColorSpace, bgColor);
        if (trueColor || bg != m_white)
            gdImageFilledRectangle(m_image, 0, 0, gdImageSX(m_image) - 1, gdImageSY(m_image) - 1, bg);
    } else if (trueColor) {
        gdImageFilledRectangle(m_image, 0, 0, gdImageSX(m_image) - 1, gdImageSY(m_image) - 1, m_white);
    }
}

void qelGDImplementor::writeDiagnostic(const char* baseName, int quality)
{
    if (!m_image || !m_options)
        return;
    const char* dir = m_options->getTempPath() ? m_options->getTempPath() : "";
    const std::string path = std::string(dir) + baseName;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        gdImageJpeg(m_image, f, quality);
        std::fclose(f);
    }
}

void qelGDImplementor::savePage()
{
    if (!m_image)
        return;
    const bool devTest = m_options && m_options->isDevTest();
    if (devTest)
        writeDiagnostic(fmt("gd_page_%03d.jpg", m_pageNumber).c_str(), m_options->getJPEGQuality());
    const int w = gdImageSX(m_image);
    const int h = gdImageSY(m_image);
    const bool trueColor = gdImageTrueColor(m_image) != 0;
    const size_t rowBytes = trueColor ? static_cast<size_t>(w) * 3 : static_cast<size_t>(w);
    std::vector<unsigned char> pixels;
    try {
        pixels.resize(rowBytes * static_cast<size_t>(h));
    } catch (const std::bad_alloc&) {
        throw "Unable to allocate page bitmap data";
    }
    for (int y = 0; y < h; ++y) {
        unsigned char* out = pixels.data() + rowBytes * static_cast<size_t>(y);
        for (int x = 0; x < w; ++x) {
            if (trueColor) {
                const int c = gdImageTrueColorPixel(m_image, x, y);
                *out++ = static_cast<unsigned char>(gdTrueColorGetRed(c));
                *out++ = static_cast<unsigned char>(gdTrueColorGetGreen(c));
                *out++ = static_cast<unsigned char>(gdTrueColorGetBlue(c));
            } else {
                *out++ = static_cast<unsigned char>(gdImagePalettePixel(m_image, x, y));
            }
        }
    }
    unsigned char table[256 * 4] = {};
    if (!trueColor) {
        const int used = gdImageColorsTotal(m_image);
        for (int i = 0; i < used && i < 256; ++i) {
            table[4 * i] = static_cast<unsigned char>(gdImageBlue(m_image, i));
            table[4 * i + 1] = static_cast<unsigned char>(gdImageGreen(m_image, i));
            table[4 * i + 2] = static_cast<unsigned char>(gdImageRed(m_image, i));
        }
    }
    try {
        qelImgDIB* dib = qelImgDIBUtils::createDIBFromData(w, h, trueColor ? 24 : 8, m_outputResolution,
                                                           m_outputResolution, trueColor ? 0 : 256,
                                                           trueColor ? nullptr : table, 0);
        if (!dib || !dib->bits) {
            delete dib;
            throw "Unable to allocate page bitmap data";
        }
        std::memcpy(dib->bits, pixels.data(), pixels.size());
        m_pageDIB = dib;
        if (devTest) {
            const char* dir = m_options->getTempPath() ? m_options->getTempPath() : "";
            qelImgDIBUtils::writeDIB(fmt("%sgd_page_%03d.bmp", dir, m_pageNumber).c_str(), dib);
        }
    } catch (qelImgException* e) {
        std::string text = e->getMessageText() ? e->getMessageText() : "";
        delete e;
        if (text.size() > 511)
            text.resize(511);
        auto* ex = new qelException(__FILE__, __LINE__, qelMsg::E013, 0, true, text.c_str());
        ex->setFile("Builder\\qelGDImplementor");
        throw ex;
    }
}

void qelGDImplementor::endPage()
{
    m_pageDIB = nullptr;
    if (m_image)
        gdImageDestroy(m_image);
    m_image = nullptr;
    m_rotation = -1;
}

void qelGDImplementor::release()
{
    if (m_image)
        gdImageDestroy(m_image);
    m_image = nullptr;
    delete m_pageDIB;
    m_pageDIB = nullptr;
    m_rotation = -1;
}

void qelGDImplementor::setOriginMode(qelPageCoordinateTransformer* transformer)
{
    if (transformer)
        transformer->setAxisMode(2);
}

int qelGDImplementor::resolveColor(int colorSpace, uint32_t color) const
{
    const uint32_t rgb = colorSpace == 2 ? qelUtils::cmykToRGB(color) : color;
    return gdImageColorResolve(m_image, static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                               static_cast<int>((rgb >> 16) & 0xFF));
}

void qelGDImplementor::reportColor(int gdColor, int* colorOut) const
{
    if (!colorOut || !m_image || gdColor < 0)
        return;
    qelLogStream* log = logStream();
    if (!log || !log->anyOf(0x10F))
        return;
    int r, g, b;
    if (gdImageTrueColor(m_image)) {
        r = gdTrueColorGetRed(gdColor);
        g = gdTrueColorGetGreen(gdColor);
        b = gdTrueColorGetBlue(gdColor);
    } else {
        r = gdImageRed(m_image, gdColor);
        g = gdImageGreen(m_image, gdColor);
        b = gdImageBlue(m_image, gdColor);
    }
    *colorOut = r | (g << 8) | (b << 16);
}

int qelGDImplementor::setDashPattern(int color, int lineType, const int* dashes, int dashCount)
{
    if (!dashes || dashCount < 1)
        return -1;
    if (lineType < 1 || lineType > 6 || (dashCount & 1) != 0)
        return 0;
    long long length = 0;
    for (int i = 0; i < dashCount; i += 2) {
        const int on = dashes[i], off = dashes[i + 1];
        if (on < 0 || off < 0)
            return 0;
        length += on ? static_cast<long long>(on) + off : 2LL * off;
    }
    if (length <= 0 || length > kMaxStyle)
        return 0;
    std::vector<int> style(static_cast<size_t>(length), gdTransparent);
    size_t pos = 0;
    for (int i = 0; i < dashCount; i += 2) {
        const int on = dashes[i], off = dashes[i + 1];
        const int coloured = on ? on : off;
        for (int k = 0; k < coloured; ++k)
            style[pos++] = color;
        pos += static_cast<size_t>(off);
    }
    qelLogStream* log = logStream();
    if (m_options && m_options->isDevTest() && log) {
        std::string entries, pattern;
        for (int i = 0; i < dashCount; ++i)
            entries += fmt("%d ", dashes[i]);
        for (int s : style)
            pattern += s == gdTransparent ? '0' : '1';
        log->print("\nDash Specification: %s", entries.c_str());
        log->print("\nColor Pattern     : %s ", pattern.c_str());
    }
    gdImageSetStyle(m_image, style.data(), static_cast<int>(style.size()));
    return 1;
}

int qelGDImplementor::prepareStroke(int colorSpace, uint32_t color, int lineType, const int* dashes, int dashCount,
                                    int* width)
{
    int c = resolveColor(colorSpace, color);
    const int r = setDashPattern(c, lineType, dashes, dashCount);
    if (r == 1) {
        c = gdStyled;
        *width = 1;
    } else if (r == -1) {
        if (qelLogStream* log = logStream())
            log->printLine("Warning! Unable to set line dash pattern, using default (SOLID) pattern");
    }
    return c;
}

void qelGDImplementor::drawLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, bool filled)
{
    if (!m_image)
        return;
    const int c = resolveColor(colorSpace, color);
    const int x1 = static_cast<int>(p1.x * m_scale), y1 = static_cast<int>(p1.y * m_scale);
    const int x2 = static_cast<int>(p2.x * m_scale), y2 = static_cast<int>(p2.y * m_scale);
    if (filled)
        gdImageFilledRectangle(m_image, x1, y1, x2, y2, c);
    else
        gdImageRectangle(m_image, x1, y1, x2, y2, c);
}

void qelGDImplementor::drawStyledLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, int* colorOut,
                                      float width, int lineType, const int* dashes, int dashCount)
{
    if (!m_image || lineType == 8)
        return;
    int w = qelUtils::roundHalfDown(static_cast<double>(m_scale * width));
    const int drawn = resolveColor(colorSpace, color);
    const int c = prepareStroke(colorSpace, color, lineType, dashes, dashCount, &w);
    if (w == 0)
        w = 1;
    w = std::abs(w);
    gdImageSetThickness(m_image, w);
    float x1 = p1.x * m_scale, y1 = p1.y * m_scale, x2 = p2.x * m_scale, y2 = p2.y * m_scale;
    // A thick line lies below or right of its nominal position.
    if (w / 2 >= 1) {
        if (y1 == y2) {
            y1 += static_cast<float>(w / 2);
            y2 += static_cast<float>(w / 2);
        } else if (x1 == x2) {
            x1 += static_cast<float>(w / 2);
            x2 += static_cast<float>(w / 2);
        }
    }
    gdImageLine(m_image, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2), c);
    gdImageSetThickness(m_image, 1);
    reportColor(drawn, colorOut);
}

void qelGDImplementor::roundedBox(int x1, int y1, int x2, int y2, int rx, int ry, int c)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    gdImageLine(m_image, x1 + rx, y1, x2 - rx, y1, c);
    gdImageArc(m_image, x2 - rx, y1 + ry, 2 * rx, 2 * ry, 270, 360, c);
    gdImageLine(m_image, x2, y1 + ry, x2, y2 - ry, c);
    gdImageArc(m_image, x2 - rx, y2 - ry, 2 * rx, 2 * ry, 0, 90, c);
    gdImageLine(m_image, x1 + rx, y2, x2 - rx, y2, c);
    gdImageArc(m_image, x1 + rx, y2 - ry, 2 * rx, 2 * ry, 90, 180, c);
    gdImageLine(m_image, x1, y1 + ry, x1, y2 - ry, c);
    gdImageArc(m_image, x1 + rx, y1 + ry, 2 * rx, 2 * ry, 180, 270, c);
}

void qelGDImplementor::drawBox(int colorSpace, uint32_t color, qelPoint p1, qelPoint p2, float width, int lineType,
                               float radiusAcross, float radiusDown, bool rounded, int* colorOut, const int* dashes,
                               int dashCount)
{
    if (!m_image)
        return;
    int w = qelUtils::roundHalfDown(static_cast<double>(m_scale * width));
    const int rx = qelUtils::roundHalfDown(static_cast<double>(m_scale * radiusAcross));
    const int ry = qelUtils::roundHalfDown(static_cast<double>(m_scale * radiusDown));
    const int drawn = resolveColor(colorSpace, color);
    const int c = prepareStroke(colorSpace, color, lineType, dashes, dashCount, &w);
    w = std::abs(w);
    gdImageSetThickness(m_image, w ? w : 1);
    const int x1 = static_cast<int>(p1.x * m_scale), y1 = static_cast<int>(p1.y * m_scale);
    const int x2 = static_cast<int>(p2.x * m_scale), y2 = static_cast<int>(p2.y * m_scale);
    if (rounded)
        roundedBox(x1, y1, x2, y2, rx, ry, c);
    else
        gdImageRectangle(m_image, x1, y1, x2, y2, c);
    gdImageSetThickness(m_image, 1);
    reportColor(drawn, colorOut);
}

void qelGDImplementor::drawFillet(int colorSpace, uint32_t color, qelPoint p0, qelPoint p1, qelPoint p2, qelPoint p3,
                                  int pointCount, float width, int lineType, const int* dashes, int dashCount,
                                  int* colorOut)
{
    if (!m_image || pointCount < 2)
        return;
    int w = std::abs(qelUtils::roundHalfDown(static_cast<double>(m_scale * width)));
    if (w == 0)
        w = 1;
    const int drawn = resolveColor(colorSpace, color);
    const int c = prepareStroke(colorSpace, color, lineType, dashes, dashCount, &w);
    gdImageSetThickness(m_image, w);
    const int n = pointCount > kMaxFilletPoints ? kMaxFilletPoints : pointCount;
    const float s = m_scale;
    int px = 0, py = 0;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n - 1);
        const float u = 1.0f - t;
        const float b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
        const int x = static_cast<int>(s * (b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x));
        const int y = static_cast<int>(s * (b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y));
        if (i > 0)
            gdImageLine(m_image, px, py, x, y, c);
        px = x;
        py = y;
    }
    gdImageSetThickness(m_image, 1);
    reportColor(drawn, colorOut);
}

void qelGDImplementor::drawFullArc(int colorSpace, uint32_t color, int lineType, qelPoint extent, qelPoint reference,
                                   qelPoint centre, float multiplier, float width, int* colorOut, const int* dashes,
                                   int dashCount)
{
    drawPartialArc(colorSpace, color, lineType, extent, reference, centre, 0.0, 360.0, multiplier, width, colorOut,
                   dashes, dashCount);
}

void qelGDImplementor::drawPartialArc(int colorSpace, uint32_t color, int lineType, qelPoint extent,
                                      qelPoint reference, qelPoint centre, double startAngle, double endAngle,
                                      float multiplier, float width, int* colorOut, const int* dashes,
                                      int dashCount)
{
    if (!m_image)
        return;
    int w = std::abs(qelUtils::roundHalfDown(static_cast<double>(m_scale * width)));
    if (w == 0)
        w = 1;
    const int drawn = resolveColor(colorSpace, color);
    const int c = prepareStroke(colorSpace, color, lineType, dashes, dashCount, &w);
    gdImageSetThickness(m_image, w);
    const double dw = static_cast<int>(2.0f * (m_scale * extent.x - m_scale * reference.x)) * multiplier;
    const double dh = static_cast<int>(2.0f * (m_scale * extent.y - m_scale * reference.y)) * multiplier;
    const bool sane = std::fabs(dw) < 1e8 && std::fabs(dh) < 1e8 && std::fabs(startAngle) < 1e8
        && std::fabs(endAngle) < 1e8;
    if (sane)
        gdImageArc(m_image, static_cast<int>(m_scale * centre.x), static_cast<int>(m_scale * centre.y),
                   static_cast<int>(dw), static_cast<int>(dh), static_cast<int>(startAngle),
                   static_cast<int>(endAngle), c);
    gdImageSetThickness(m_image, 1);
    reportColor(drawn, colorOut);
}

void qelGDImplementor::drawMarker(int colorSpace, uint32_t color, int symbol, qelPoint centre, float width,
                                  float height, int* colorOut)
{
    if (!m_image)
        return;
    const int w = qelUtils::roundHalfDown(static_cast<double>(m_scale * width));
    const int h = qelUtils::roundHalfDown(static_cast<double>(m_scale * height));
    const int c = resolveColor(colorSpace, color);
    gdImageSetThickness(m_image, 1);
    const int x = static_cast<int>(m_scale * centre.x), y = static_cast<int>(m_scale * centre.y);
    const int a = static_cast<int>(static_cast<float>(w) / 2.0f), b = static_cast<int>(static_cast<float>(h) / 2.0f);
    gdPoint diamond[4] = {{x, y - b}, {x + a, y}, {x, y + b}, {x - a, y}};
    switch (symbol) {
    case 1:
    case 5:
    case 6:
        gdImageLine(m_image, x - a, y - b, x + a, y + b, c);
        gdImageLine(m_image, x + a, y - b, x - a, y + b, c);
        if (symbol == 5)
            gdImageLine(m_image, x, y - b, x, y + b, c);
        if (symbol == 6) {
            gdImageLine(m_image, x, y - b, x, y + b, c);
            gdImageLine(m_image, x - a, y, x + a, y, c);
        }
        break;
    case 2:
        gdImageLine(m_image, x, y - b, x, y + b, c);
        gdImageLine(m_image, x - a, y, x + a, y, c);
        break;
    case 3:
        gdImagePolygon(m_image, diamond, 4, c);
        break;
    case 4:
        gdImageRectangle(m_image, x - a, y - b, x + a, y + b, c);
        break;
    case 7:
        gdImageFilledPolygon(m_image, diamond, 4, c);
        break;
    case 8:
        gdImageFilledRectangle(m_image, x - a, y - b, x + a, y + b, c);
        break;
    case 9:
        gdImageFilledArc(m_image, x, y, a, b, 0, 360, c, gdArc);
        break;
    case 10:
        gdImageArc(m_image, x, y, w, h, 0, 360, c);
        break;
    default:
        return;
    }
    reportColor(c, colorOut);
}

qelImageHandle* qelGDImplementor::createImageHandle(int width, int height, int bitsPerPel, int colors,
                                                    const uint8_t* palette, const uint8_t* rows, long size,
                                                    int transparentIndex, bool trueColor)
{
    if (!rows)
        return nullptr;
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPagePixels)
        throw kCreateFailed;
    const int bytesPerPel = bitsPerPel == 32 ? 4 : bitsPerPel == 24 ? 3 : 0;
    long long stride;
    switch (bitsPerPel) {
    case 1: stride = (static_cast<long long>(width) + 7) / 8; break;
    case 4: stride = (static_cast<long long>(width) + 1) / 2; break;
    case 8: stride = width; break;
    case 24:
    case 32: stride = static_cast<long long>(width) * bytesPerPel; break;
    default: throw kCreateFailed;
    }
    if (size < 0 || stride * height > size)
        return nullptr;
    if (bitsPerPel == 1 && (!palette || colors < 2))
        return nullptr;
    const bool tc = trueColor || bitsPerPel >= 24;
    gdImagePtr image = tc ? gdImageCreateTrueColor(width, height) : gdImageCreate(width, height);
    if (!image)
        throw kCreateFailed;
    auto handle = std::make_unique<qelGDImageHandle>();
    handle->setImage(image);

    // Colour table as gd colours of the image (palette entries or true colours).
    const int tableSize = bitsPerPel == 1 ? 2 : bitsPerPel == 4 ? 16 : bitsPerPel == 8 ? 256 : 0;
    const int given = palette ? (colors < tableSize ? (colors > 0 ? colors : 0) : tableSize) : 0;
    std::vector<int> table(static_cast<size_t>(tableSize), 0);
    for (int i = 0; i < tableSize; ++i) {
        int r, g, b;
        if (i < given) {
            r = palette[4 * i + 2];
            g = palette[4 * i + 1];
            b = palette[4 * i];
        } else if (bitsPerPel == 1) {
            r = g = b = i ? 0 : 255;
        } else {
            // Without a table: greys.
            r = g = b = bitsPerPel == 4 ? i * 17 : i;
        }
        if (tc) {
            table[static_cast<size_t>(i)] = gdTrueColor(r, g, b);
        } else if (i < given || !palette || bitsPerPel != 4) {
            table[static_cast<size_t>(i)] = gdImageColorAllocate(image, r, g, b);
            if (bitsPerPel == 1 && r == 255 && g == 255 && b == 255)
                gdImageColorTransparent(image, table[static_cast<size_t>(i)]);
        }
    }
    if (bitsPerPel == 1 && tc && !palette) {
        table[0] = 0xFFFFFF;
        table[1] = 0;
    }
    // A palette index means nothing on a true-colour image.
    if (transparentIndex >= 0 && !tc)
        gdImageColorTransparent(image, transparentIndex);

    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + stride * y;
        for (int x = 0; x < width; ++x) {
            int c;
            switch (bitsPerPel) {
            case 1: c = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
            case 4: c = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; break;
            case 8: c = row[x]; break;
            case 24: {
                const uint8_t* p = row + 3 * x;
                c = gdImageColorAllocate(image, p[0], p[1], p[2]);
                gdImageSetPixel(image, x, y, c);
                continue;
            }
            default: {
                const uint8_t* p = row + 4 * x;
                const uint32_t rgb = qelUtils::cmykToRGB(static_cast<uint32_t>(p[0]) << 24
                                                         | static_cast<uint32_t>(p[1]) << 16
                                                         | static_cast<uint32_t>(p[2]) << 8 | p[3]);
                gdImageSetPixel(image, x, y, gdTrueColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
                continue;
            }
            }
            gdImageSetPixel(image, x, y, tc ? table[static_cast<size_t>(c)] : c);
        }
    }
    return handle.release();
}

void qelGDImplementor::drawDIB(const qelImgDIB* dib, float x, float y)
{
    if (!m_image || !dib || !dib->header || !dib->bits)
        return;
    const qelImgDIBHeader* hd = dib->header;
    const int w = hd->biWidth;
    const int h = hd->biHeight < 0 ? -hd->biHeight : hd->biHeight;
    const int bits = hd->biBitCount;
    const long long stride = qelImgDIBUtils::getRowBytes(w, bits);
    std::unique_ptr<qelImageHandle> handle(createImageHandle(w, h, bits, qelImgDIBUtils::getColorCount(bits),
                                                             dib->palette, dib->bits, static_cast<long>(stride * h),
                                                             0, bits > 8));
    auto* gd = static_cast<qelGDImageHandle*>(handle.get());
    if (!gd || !gd->getImage())
        return;
    if (m_options && m_options->isDevTest()) {
        const char* dir = m_options->getTempPath() ? m_options->getTempPath() : "";
        const std::string path = fmt("%sft_%d_%d.jpeg", dir, static_cast<int>(x), static_cast<int>(y));
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            gdImageJpeg(gd->getImage(), f, 75);
            std::fclose(f);
        }
    }
    gdImageCopy(m_image, gd->getImage(), qelUtils::roundHalfDown(x), qelUtils::roundHalfDown(y), 0, 0, w, h);
}

void qelGDImplementor::drawObjectHandle(qelGDImageHandle* handle, float width, float height, float x, float y,
                                        int orientation)
{
    gdImagePtr src = handle ? handle->getImage() : nullptr;
    if (!src || !m_image)
        return;
    const int bx = qelUtils::roundHalfDown(static_cast<double>(x * m_scale));
    const int by = qelUtils::roundHalfDown(static_cast<double>(y * m_scale));
    const int bw = qelUtils::roundHalfDown(static_cast<double>(width * m_scale));
    const int bh = qelUtils::roundHalfDown(static_cast<double>(height * m_scale));
    const int sw = gdImageSX(src), sh = gdImageSY(src);
    if (orientation == 90 || orientation == 270) {
        ImagePtr turned(gdImageTrueColor(src) ? gdImageCreateTrueColor(sh, sw) : gdImageCreate(sh, sw));
        if (!turned)
            return;
        if (!gdImageTrueColor(src))
            gdImagePaletteCopy(turned.get(), src);
        gdImageCopyRotated(turned.get(), src, sh / 2.0, sw / 2.0, 0, 0, sw, sh, orientation);
        gdImageCopyResampled(m_image, turned.get(), bx, by, 0, 0, bh, bw, sh, sw);
    } else if (orientation == 180) {
        ImagePtr turned(gdImageCreateTrueColor(sw, sh));
        if (!turned)
            return;
        gdImageCopyRotated(turned.get(), src, sw / 2.0, sh / 2.0, 0, 0, sw, sh, 180);
        gdImageCopyResampled(m_image, turned.get(), bx, by, 0, 0, bw, bh, sw, sh);
    } else {
        gdImageCopyResampled(m_image, src, bx, by, 0, 0, bw, bh, sw, sh);
    }
}

qelImageHandle* qelGDImplementor::makeObjectHandle(const qelImgInfo* info, int colors, const uint8_t* palette,
                                                   const unsigned char* data, long length, int transparentIndex,
                                                   int orientation, const char* diagnosticName)
{
    const bool turned = orientation != 0 && orientation != 360;
    qelImageHandle* made = createImageHandle(info->width, info->height, info->bitsPerPixel, colors, palette, data,
                                             length, transparentIndex, turned);
    if (made && m_options && m_options->isDevTest()) {
        gdImagePtr saved = m_image;
        m_image = static_cast<qelGDImageHandle*>(made)->getImage();
        writeDiagnostic(diagnosticName, m_options->getJPEGQuality());
        m_image = saved;
    }
    return made;
}

void qelGDImplementor::drawImage(float width, float height, float x, float y, qelImageObject* image,
                                 int transparentIndex)
{
    if (!image || !m_image)
        return;
    const int orientation = static_cast<int16_t>(static_cast<int>(image->getAngle()));
    qelImageHandle* cached = image->getImageHandle();
    if (cached && cached->getHandleKind() != 0)
        return;
    if (!cached) {
        const qelImgInfo* info = image->getImageInfo();
        if (!info || !image->getData())
            return;
        cached = makeObjectHandle(info, info->colorCount, reinterpret_cast<const uint8_t*>(image->getColorTable()),
                                  image->getData(), image->getDataLength(), transparentIndex, orientation, "im.jpeg");
        if (!cached)
            return;
        image->setImageHandle(cached);
    }
    drawObjectHandle(static_cast<qelGDImageHandle*>(cached), width, height, x, y, orientation);
}

void qelGDImplementor::drawContainerImage(float width, float height, float x, float y,
                                          qelContainerObject* container, int transparentIndex)
{
    if (!container || !m_image)
        return;
    const int orientation = static_cast<int16_t>(static_cast<int>(container->getAngle()));
    qelImageHandle* cached = container->getImageHandle();
    if (cached && cached->getHandleKind() != 0)
        return;
    if (!cached) {
        // The bitmap the container was decoded to for raster output.
        const qelImgInfo* info = container->getConvertedInfo();
        if (!info || !container->getConvertedData())
            return;
        cached = makeObjectHandle(info, container->getPaletteCount(), container->getPalette(),
                                  container->getConvertedData(), container->getConvertedLength(), transparentIndex,
                                  orientation, "imContainer.jpeg");
        if (!cached)
            return;
        container->setImageHandle(cached);
    }
    drawObjectHandle(static_cast<qelGDImageHandle*>(cached), width, height, x, y, orientation);
}

void qelGDImplementor::trimImage(int x, int y, int width, int height)
{
    if (!m_image || x < 0 || y < 0 || x >= gdImageSX(m_image) || y >= gdImageSY(m_image) || width <= 0
        || height <= 0)
        return;
    const bool devTest = m_options && m_options->isDevTest();
    if (devTest)
        writeDiagnostic("beforetrimimage.jpeg", 75);
    if (x + static_cast<long long>(width) > gdImageSX(m_image))
        width = gdImageSX(m_image) - x;
    if (y + static_cast<long long>(height) > gdImageSY(m_image))
        height = gdImageSY(m_image) - y;
    gdImagePtr target = newImageLike(m_image, width, height);
    if (!target)
        return;
    if (!gdImageTrueColor(m_image))
        gdImagePaletteCopy(target, m_image);
    gdImageCopy(target, m_image, 0, 0, x, y, width, height);
    gdImageDestroy(m_image);
    m_image = target;
    if (devTest)
        writeDiagnostic("trimimage.jpeg", 75);
}

void qelGDImplementor::saveAsJPEG(const char* path)
{
    if (!path || !m_image)
        return;
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return;
    gdImageJpeg(m_image, f, m_options ? m_options->getJPEGQuality() : 75);
    std::fclose(f);
}

// --- text slots: filled by the text back end ----------------------------------------

namespace {

// Bit value 0 shows the grey (a, a, a), made transparent; bit value 1 the
// text colour.
void recolourStrip(gdImagePtr strip, int a, uint32_t rgb)
{
    gdImageColorDeallocate(strip, 0);
    gdImageColorDeallocate(strip, 1);
    const int bg = gdImageColorAllocate(strip, a, a, a);
    gdImageColorAllocate(strip, static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                         static_cast<int>((rgb >> 16) & 0xFF));
    const int exact = gdImageColorExact(strip, a, a, a);
    gdImageColorTransparent(strip, exact >= 0 ? exact : bg);
}

} // namespace

int qelGDImplementor::drawImageHandle(qelTextObject* text, uint32_t color, float x, float y, float width,
                                      float height, int srcX, int srcY, int srcWidth, int srcHeight,
                                      qelFontRepresentation* font, int* colorOut)
{
    if (!text || !font || !font->getRasterImage() || font->getRasterImage()->getHandleKind() != 0 || !m_image)
        return -1;
    gdImagePtr strip = static_cast<qelGDImageHandle*>(font->getRasterImage())->getImage();
    if (!strip || gdImageTrueColor(strip))
        return -1;
    const int dx = qelUtils::roundHalfDown(x * m_scale);
    const int dy = qelUtils::roundHalfDown(y * m_scale);
    const int dw = qelUtils::roundHalfDown(width * m_scale);
    const int dh = qelUtils::roundHalfDown(height * m_scale);
    const int space = text->getColorSpace();
    const bool white = (space == 1 && color == 0xFFFFFF) || (space == 2 && color == 0) || (space == 5 && color == 7);
    const uint32_t rgb = space == 2 ? qelUtils::cmykToRGB(color) : space == 5 ? qelUtils::getOCAColorRGB(color) : color;
    const int grey = white ? 0 : 255;
    const int orientation = text->getIAxisOrientation();
    if (orientation == 0 || orientation == 360) {
        const int oldTransparent = gdImageGetTransparent(strip);
        recolourStrip(strip, grey, rgb);
        gdImageCopyResampled(m_image, strip, dx, dy, srcX, srcY, dw, dh, srcWidth, srcHeight);
        if (white) {
            gdImageColorDeallocate(strip, 0);
            gdImageColorDeallocate(strip, 1);
            gdImageColorAllocate(strip, 255, 255, 255);
            gdImageColorAllocate(strip, 0, 0, 0);
            gdImageColorTransparent(strip, oldTransparent);
        }
        reportColor(resolveColor(1, rgb), colorOut);
        return 1;
    }
    int turn = (360 - static_cast<int>(text->getAngle())) % 360;
    if (turn < 0)
        turn += 360;
    if (turn % 90 != 0 || srcWidth <= 0 || srcHeight <= 0)
        return -1;
    const bool across = turn == 90 || turn == 270;
    const int tw = across ? srcHeight : srcWidth;
    const int th = across ? srcWidth : srcHeight;
    gdImagePtr turned = gdImageCreate(tw, th);
    if (!turned)
        return -1;
    for (int i = 0; i < 2 && i < gdImageColorsTotal(strip); ++i)
        gdImageColorAllocate(turned, gdImageRed(strip, i), gdImageGreen(strip, i), gdImageBlue(strip, i));
    const int oldTransparent = gdImageGetTransparent(strip);
    gdImageColorTransparent(strip, -1);
    gdImageCopyRotated(turned, strip, tw / 2.0, th / 2.0, srcX, srcY, srcWidth, srcHeight, turn);
    gdImageColorTransparent(strip, oldTransparent);
    recolourStrip(turned, grey, rgb);
    gdImageCopyResampled(m_image, turned, dx, dy, 0, 0, dw, dh, tw, th);
    gdImageDestroy(turned);
    reportColor(resolveColor(1, rgb), colorOut);
    return 1;
}

namespace {

// Text extra options of every text call: resolutions, no kerning, advances.
void textExtra(qelGDStringExtra& extra, int resolution)
{
    extra.flags = QEL_GDFT_RESOLUTION | QEL_GDFT_DISABLE_KERNING | QEL_GDFT_XSHOW;
    extra.hdpi = resolution;
    extra.vdpi = resolution;
}

double textPointSize(qelAFPFont* font)
{
    const int height = font->getHeight();
    return height == -1 ? 10.0 : height / 10.0;
}

double textAngle(const qelTextObject* text)
{
    const double rotation = text->getAngle();
    return rotation == 0.0 ? 0.0 : (360.0 - rotation) * 3.141592654 / 180.0;
}

} // namespace

qelPageCoordinateTransformer* qelGDImplementor::transformer() const
{
    return getOwner() ? getOwner()->getTransformer() : nullptr;
}

int qelGDImplementor::textColor(const qelTextObject* text, int* colorOut) const
{
    uint32_t rgb = text->getColorValue();
    if (text->getColorSpace() == 5)
        rgb = qelUtils::getOCAColorRGB(rgb);
    else if (text->getColorSpace() == 2)
        rgb = qelUtils::cmykToRGB(rgb);
    const int color = resolveColor(1, rgb);
    reportColor(color, colorOut);
    return color;
}

void qelGDImplementor::advancePen(const qelTextObject* text, double advance, double* x, double* y)
{
    switch (text->getIAxisOrientation()) {
    case 90: *y += advance; break;
    case 180: *x -= advance; break;
    case 270: *y -= advance; break;
    default: *x += advance; break;
    }
}

float qelGDImplementor::drawOutlineText(qelTextObject* text, qelAFPFont* font, int* colorOut)
{
    if (!text || !font || m_fontFileName.empty() || !m_image)
        return -1.0f;
    const int color = textColor(text, colorOut);
    const bool aliasOff = m_options && !m_options->isFontAliasing();
    const int resolution = m_options && m_options->getResolution() > 0 ? m_options->getResolution() : 1;
    qelPageCoordinateTransformer* t = transformer();
    const int x = t ? static_cast<int>(t->getX() * m_scale) : 0;
    const int y = t ? static_cast<int>(t->getY() * m_scale) : 0;
    const char* str = text->getText() ? text->getText() : "";
    std::unique_ptr<char[]> utf8(qelUtils::latin1ToUTF8(str, static_cast<int>(std::strlen(str))));
    if (!utf8 || !utf8[0])
        return 0.0f;
    qelGDStringExtra extra;
    textExtra(extra, resolution);
    int box[8] = {};
    const char* msg = qelGDImageStringFTEx(m_image, box, aliasOff ? -color : color, m_fontFileName.c_str(),
                                           textPointSize(font), textAngle(text), x, y, utf8.get(), &extra,
                                           m_options ? m_options->getTTFontInterpreter() : 0, aliasOff);
    delete[] extra.xshow;
    delete[] extra.fontpath;
    if (msg)
        return 0.0f;
    qelLogStream* log = logStream();
    if (m_options && m_options->isDevTest() && log && log->anyOf(2))
        log->print("%s=> LL=%i,%i LR=%i,%i UR=%i,%i UL=%i,%i \n", str, box[0], box[1], box[2], box[3], box[4],
                   box[5], box[6], box[7]);
    const double tres = t ? t->getResolution() : resolution;
    return static_cast<float>((box[2] - box[0]) * tres / resolution);
}

float qelGDImplementor::drawCIDText(qelTextObject*, qelAFPFont*, int, int*)
{
    return -1.0f;
}

float qelGDImplementor::drawText(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage,
                                 const uint8_t* codePoints, int length, uint8_t spaceCodePoint, int* colorOut,
                                 bool byteFont)
{
    if (!text || !font || !codePage || m_fontFileName.empty() || !m_image)
        return -1.0f;
    if (!codePoints || length <= 0)
        return 0.0f;
    const int outRes = m_outputResolution > 0 ? m_outputResolution : 1;
    double factor;
    if (font->isRelativeMetric()) {
        factor = font->getHeight() * static_cast<double>(outRes) / 720000.0;
    } else {
        if (font->getResolution() < 1) {
            const char* cs = font->getCharacterSetName();
            throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, cs ? cs : "",
                                   "Font Resolution is zero");
        }
        factor = static_cast<double>(outRes) / font->getResolution();
    }
    double varSpace = 0.0;
    const double vsi = text->getWordSpacing();
    if (vsi != 0.0 && vsi != 65535.0 && text->getResolution() > 0)
        varSpace = vsi * static_cast<double>(outRes) / text->getResolution();
    double spaceWidth = 0.0;
    const qelFontRepresentation* rep = font->getRepresentation();
    if (const auto* fm = rep ? dynamic_cast<const qelAFPFontMetrics*>(rep->getMetrics()) : nullptr) {
        const uint16_t v = fm->getSpaceCharIncrement(0);
        spaceWidth = v == qelAFPCharMetrics::UNSET_UNSIGNED ? 0.0 : v;
    }

    const int color = textColor(text, colorOut);
    const bool aliasOff = m_options && !m_options->isFontAliasing();
    const int hinting = m_options ? m_options->getTTFontInterpreter() : 0;
    const double size = textPointSize(font);
    const double angle = textAngle(text);
    qelPageCoordinateTransformer* t = transformer();
    double x = t ? t->getX() * m_scale : 0.0;
    double y = t ? t->getY() * m_scale : 0.0;
    const char* str = text->getText() ? text->getText() : "";
    const size_t strLen = std::strlen(str);
    const unsigned char* converted = text->getCodePointText();
    const int convertedLength = converted ? text->getTextLength() : 0;
    qelLogStream* log = logStream();

    auto increment = [&](uint8_t code) {
        const qelAFPCharMetrics* m = codePage->charMetrics[code];
        const uint16_t v = m ? m->getCharIncrement(0) : uint16_t(qelAFPCharMetrics::UNSET_UNSIGNED);
        if (!m || v == qelAFPCharMetrics::UNSET_UNSIGNED) {
            if (log && log->anyOf(QEL_LOG_FONT))
                log->print("\nText=>%s< Warning! Character metrics not found for code point: %d", str, code);
            return 0.0;
        }
        return v * factor;
    };

    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        const uint8_t code = codePoints[i];
        double advance;
        if (i < convertedLength && converted[i] == spaceCodePoint) {
            advance = varSpace != 0.0 ? varSpace : spaceWidth != 0.0 ? spaceWidth * factor : increment(code);
        } else {
            advance = increment(code);
            qelGDStringExtra extra;
            textExtra(extra, outRes);
            int box[8] = {};
            const char* msg;
            if (byteFont) {
                msg = qelGDImageStringFTBytes(m_image, box, aliasOff ? -color : color, m_fontFileName.c_str(), size,
                                              angle, static_cast<int>(x), static_cast<int>(y), &code, 1, &extra,
                                              hinting, aliasOff);
            } else {
                const char one[2] = {static_cast<char>(code), 0};
                std::unique_ptr<char[]> utf8(qelUtils::latin1ToUTF8(one, 1));
                msg = qelGDImageStringFTEx(m_image, box, aliasOff ? -color : color, m_fontFileName.c_str(), size,
                                           angle, static_cast<int>(x), static_cast<int>(y), utf8.get(), &extra,
                                           hinting, aliasOff);
            }
            delete[] extra.xshow;
            delete[] extra.fontpath;
            if (msg && log && log->anyOf(2))
                log->print("Warning! Error writing character \"%c\" of text \"%s\". Msg:%s",
                           static_cast<size_t>(i) < strLen ? str[i] : ' ', str, msg);
            if (advance == 0.0)
                advance = box[2] - box[0];
        }
        advancePen(text, advance, &x, &y);
        sum += advance;
    }
    const double tres = t ? t->getResolution() : outRes;
    return static_cast<float>(sum * tres / outRes);
}

bool qelGDImplementor::setFontFileName(const char* path)
{
    m_fontFileName = path ? path : "";
    return true;
}

uint8_t qelGDImplementor::selectTextFont(qelTextObject*, qelAFPFont*, qelPDFFontFileEntry*)
{
    return 0;
}

bool qelGDImplementor::selectGeneratedFont(qelTextObject*, qelAFPFont*, qelPDFFontFileEntry*)
{
    return false;
}

void qelGDImplementor::drawGlyphBitmap(float x, float y, int colorSpace, uint32_t color, FT_Bitmap_* bitmap)
{
    if (!m_image || !bitmap)
        return;
    const int fg = resolveColor(colorSpace == 2 ? 2 : 1, color);
    qelGDDrawBitmap(m_image, bitmap, fg, static_cast<int>(m_scale * x), static_cast<int>(m_scale * y));
}
