#include "qelImgDIBUtils.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgDIBUtils", operation);
}

// The bitmap module's grey cuts the fraction off.
unsigned char grayOf(int r, int g, int b)
{
    return static_cast<unsigned char>(0.3 * r + 0.59 * g + 0.11 * b);
}

void setEntry(unsigned char* entry, int r, int g, int b)
{
    entry[0] = static_cast<unsigned char>(b);
    entry[1] = static_cast<unsigned char>(g);
    entry[2] = static_cast<unsigned char>(r);
    entry[3] = 0;
}

// C, M, Y, K of standard entry i.
void standardEntry(int i, int* c, int* m, int* y, int* k)
{
    *c = i & 8 ? 255 : 0;
    *m = i & 4 ? 255 : 0;
    *y = i & 2 ? 255 : 0;
    *k = i & 1 ? 255 : 0;
}

bool hasTable(int bitsPerPixel) { return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8; }
}

int qelImgDIBUtils::getColorCount(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int qelImgDIBUtils::getAlignedWidth(int width, int bitsPerPixel)
{
    // 64 bits: widths come from inputs.
    const int64_t bits = static_cast<int64_t>(width) * bitsPerPixel;
    if ((bitsPerPixel == 1 || bitsPerPixel == 4) && bits % 8 != 0) {
        const int64_t aligned = ((bits / 8) * 8 + 8) / bitsPerPixel;
        return aligned > INT32_MAX ? INT32_MAX : static_cast<int>(aligned);
    }
    return width;
}

int qelImgDIBUtils::getRowBytes(int width, int bitsPerPixel)
{
    return bitsPerPixel * getAlignedWidth(width, bitsPerPixel) / 8;
}

int qelImgDIBUtils::getDIBSize(const qelImgDIB* dib)
{
    if (!dib || !dib->header)
        return 0;
    return static_cast<int>(dib->header->biSize + dib->header->biSizeImage) +
           4 * getColorCount(dib->header->biBitCount);
}

int qelImgDIBUtils::getDIBFileSize(int bitsPerPixel, int width, int height)
{
    return height * getRowBytes(width, bitsPerPixel) + 40 + 4 * getColorCount(bitsPerPixel);
}

int qelImgDIBUtils::fitDepth(int bitsPerPixel, int maxBits)
{
    static const int kDepths[] = {1, 4, 8, 24, 32, 48};
    for (int depth : kDepths)
        if (bitsPerPixel <= depth)
            return depth <= maxBits ? depth : 0;
    return 0;
}

int64_t qelImgDIBUtils::getImageBytes(int width, int height, int bitsPerPixel)
{
    const int64_t w = width < 0 ? 0 : width;
    const int64_t h = height < 0 ? 0 : height;
    return (w * bitsPerPixel + 7) / 8 * h;
}

int32_t qelImgDIBUtils::pixelsPerMetre(int dpi)
{
    const double ppm = dpi / 0.0254;
    const auto whole = static_cast<int64_t>(ppm);
    const int64_t rounded = ppm - static_cast<double>(whole) >= 0.5 ? whole + 1 : whole;
    return rounded > INT32_MAX ? INT32_MAX : rounded < INT32_MIN ? INT32_MIN : static_cast<int32_t>(rounded);
}

void qelImgDIBUtils::traceHeaderRequest(int width, int height, int bitsPerPixel, int xDpi)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger()) {
        logger->trace("\t\tWidth=>%d", width);
        logger->trace("\t\tHeight=>%d", height);
        logger->trace("\t\tBPP=>%d", bitsPerPixel);
        logger->trace("\t\tResolution=>%d", xDpi);
    }
}

void qelImgDIBUtils::fillDIBHeader(qelImgDIBHeader* header, int width, int height, int bits, int xDpi, int yDpi)
{
    const int64_t imageSize = getImageBytes(width, height, bits);
    const int colors = getColorCount(bits);
    if (qelImgLogger* logger = qelImgProcessor::getLogger()) {
        logger->trace("\t\tColorCount=>%d", colors);
        logger->trace("\t\tScanlineSize=>%lld", static_cast<long long>(getImageBytes(width, 1, bits)));
        logger->trace("\t\tDIBImageSize=>%lld", static_cast<long long>(imageSize + 4 * colors + 40));
    }
    header->biSize = 40;
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<uint16_t>(bits);
    header->biCompression = 0;
    header->biSizeImage = imageSize <= UINT32_MAX ? static_cast<uint32_t>(imageSize) : 0;
    header->biXPelsPerMeter = pixelsPerMetre(xDpi);
    header->biYPelsPerMeter = pixelsPerMetre(yDpi);
}

qelImgDIBHeader* qelImgDIBUtils::createDIBHeader(int width, int height, int bitsPerPixel, int xDpi, int yDpi)
{
    trace("createDIBHeader");
    traceHeaderRequest(width, height, bitsPerPixel, xDpi);
    int bits = fitDepth(bitsPerPixel, 24);
    if (!bits) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->warning("\t\tqelImgDecoder::createDIBHeader() Invalid BitsPerPixel:%d. BitsPerPixel set as 4.",
                            bitsPerPixel);
        bits = 4;
    }
    auto* header = new qelImgDIBHeader();
    fillDIBHeader(header, width, height, bits, xDpi, yDpi);
    header->biClrUsed = static_cast<uint32_t>(getColorCount(bits));
    return header;
}

qelImgDIB* qelImgDIBUtils::createDIB(const qelImgDIBHeader* header, int colorCount, const unsigned char* colorTable,
                                     int blackFirst)
{
    trace("createDIB");
    const int bits = header->biBitCount;
    const size_t tableBytes = 4 * static_cast<size_t>(getColorCount(bits));
    const size_t size = header->biSize + tableBytes + header->biSizeImage;
    auto* block = new (std::nothrow) unsigned char[size];
    if (!block) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("%s: Memory allocation failure", "qelImgDIBUtils::createDIB()");
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    }
    std::memset(block, 0, size);
    std::memcpy(block, header, header->biSize < sizeof *header ? header->biSize : sizeof *header);
    qelImgDIB* dib = new qelImgDIB();
    dib->attach(block);
    if (bits == 1) {
        // Pixels stay 0: every pixel shows entry 0.
        std::memset(dib->palette + (blackFirst == 1 ? 4 : 0), 0xFF, 4);
        return dib;
    }
    if ((bits == 4 || bits == 8) && colorCount > 0 && colorTable) {
        const size_t entries = static_cast<size_t>(colorCount) < tableBytes / 4 ? colorCount : tableBytes / 4;
        std::memcpy(dib->palette, colorTable, 4 * entries);
    }
    std::memset(dib->bits, 0xFF, header->biSizeImage);
    return dib;
}

qelImgDIB* qelImgDIBUtils::createDIBFromData(int width, int height, int bitsPerPixel, int xDpi, int yDpi,
                                             int colorCount, const unsigned char* colorTable, int blackFirst)
{
    trace("createDIBFromData");
    qelImgDIBHeader* header = createDIBHeader(width, height, bitsPerPixel, xDpi, yDpi);
    qelImgDIB* dib = nullptr;
    try {
        dib = createDIB(header, colorCount, colorTable, blackFirst);
    } catch (...) {
        delete header;
        throw;
    }
    delete header;
    return dib;
}

qelImgDIB* qelImgDIBUtils::attachDIB(unsigned char* block)
{
    trace("attachDIB");
    if (!block)
        return nullptr;
    qelImgDIB* dib = new qelImgDIB();
    dib->attach(block);
    return dib;
}

qelImgDIB* qelImgDIBUtils::copyDIB(const qelImgDIB* dib)
{
    trace("copyDIB");
    if (!dib || !dib->buffer)
        return nullptr;
    const size_t size = static_cast<size_t>(getDIBSize(dib));
    auto* block = new unsigned char[size];
    std::memcpy(block, dib->buffer, size);
    qelImgDIB* copy = new qelImgDIB();
    copy->attach(block);
    return copy;
}

int qelImgDIBUtils::writeDIB(const char* path, const qelImgDIB* dib)
{
    trace("writeDIB");
    if (!path || !dib || !dib->buffer)
        return -1;
    return qelImgUtils::writeFile(path, dib->buffer, static_cast<unsigned int>(getDIBSize(dib)));
}

int qelImgDIBUtils::getPixel(const qelImgDIB* dib, int x, int y)
{
    if (!dib || !dib->bits || !dib->header)
        return 0;
    const qelImgDIBHeader* h = dib->header;
    if (!hasTable(h->biBitCount) || x < 0 || y < 0 || x >= h->biWidth || y >= h->biHeight)
        return 0;
    const size_t offset = static_cast<size_t>(y) * getRowBytes(h->biWidth, h->biBitCount);
    return getRowPixel(dib->bits + offset, x, h->biBitCount);
}

void qelImgDIBUtils::setPixel(qelImgDIB* dib, int x, int y, int value)
{
    if (!dib || !dib->bits || !dib->header)
        return;
    const qelImgDIBHeader* h = dib->header;
    if (!hasTable(h->biBitCount) || x < 0 || y < 0 || x >= h->biWidth || y >= h->biHeight)
        return;
    const size_t offset = static_cast<size_t>(y) * getRowBytes(h->biWidth, h->biBitCount);
    setRowPixel(dib->bits + offset, x, h->biBitCount, value);
}

int qelImgDIBUtils::getRowPixel(const unsigned char* row, int n, int bitsPerPixel)
{
    if (!row || n < 0)
        return 0;
    switch (bitsPerPixel) {
    case 1:
        return row[n / 8] >> (7 - n % 8) & 1;
    case 4:
        return n % 2 == 0 ? row[n / 2] >> 4 : row[n / 2] & 0x0F;
    case 8:
        return row[n];
    default:
        return 0;
    }
}

void qelImgDIBUtils::setRowPixel(unsigned char* row, int n, int bitsPerPixel, int value)
{
    if (!row || n < 0)
        return;
    switch (bitsPerPixel) {
    case 1: {
        const unsigned char mask = static_cast<unsigned char>(0x80 >> n % 8);
        row[n / 8] = static_cast<unsigned char>(value & 1 ? row[n / 8] | mask : row[n / 8] & ~mask);
        break;
    }
    case 4:
        if (n % 2 == 0)
            row[n / 2] = static_cast<unsigned char>((row[n / 2] & 0x0F) | (value & 0x0F) << 4);
        else
            row[n / 2] = static_cast<unsigned char>((row[n / 2] & 0xF0) | (value & 0x0F));
        break;
    case 8:
        row[n] = static_cast<unsigned char>(value);
        break;
    default:
        break;
    }
}

void qelImgDIBUtils::swapRGBPixels(unsigned char* data, int count)
{
    for (int i = 0; data && i < count; ++i)
        std::swap(data[3 * i], data[3 * i + 2]);
}

void qelImgDIBUtils::swapPaletteRB(unsigned char* table, int count)
{
    for (int i = 0; table && i < count; ++i)
        std::swap(table[4 * i], table[4 * i + 2]);
}

bool qelImgDIBUtils::isGrayPalette(const unsigned char* table, int count)
{
    for (int i = 0; table && i < count; ++i) {
        const unsigned char* e = table + 4 * i;
        if (e[0] != e[1] || e[1] != e[2])
            return false;
    }
    return true;
}

int qelImgDIBUtils::findPaletteIndex(const qelImgDIB* dib, int rgb)
{
    if (!dib || !dib->header || !dib->palette || !hasTable(dib->header->biBitCount))
        return -1;
    const int count = getColorCount(dib->header->biBitCount);
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = dib->palette + 4 * i;
        if (e[2] == (rgb & 0xFF) && e[1] == (rgb >> 8 & 0xFF) && e[0] == (rgb >> 16 & 0xFF))
            return i;
    }
    return 0;
}

unsigned char* qelImgDIBUtils::createGrayPalette(int count, bool ascending)
{
    if (count <= 0)
        return nullptr;
    // One entry is grey 0 (255 descending).
    const int step = count > 1 ? 255 / (count - 1) : 0;
    auto* table = new unsigned char[4 * static_cast<size_t>(count)];
    for (int i = 0; i < count; ++i) {
        const int g = ascending ? i * step : 255 - i * step;
        setEntry(table + 4 * i, g, g, g);
    }
    return table;
}

unsigned char* qelImgDIBUtils::createGrayPaletteFromPalette(int count, const unsigned char* table)
{
    if (!table || count <= 0)
        return nullptr;
    auto* gray = new unsigned char[4 * static_cast<size_t>(count)];
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = table + 4 * i;
        const unsigned char g = grayOf(e[2], e[1], e[0]);
        setEntry(gray + 4 * i, g, g, g);
    }
    return gray;
}

unsigned char* qelImgDIBUtils::createStandardPalette()
{
    auto* table = new unsigned char[64];
    for (int i = 0; i < 16; ++i) {
        int c, m, y, k;
        standardEntry(i, &c, &m, &y, &k);
        unsigned char* e = table + 4 * i;
        e[0] = static_cast<unsigned char>(c);
        e[1] = static_cast<unsigned char>(m);
        e[2] = static_cast<unsigned char>(y);
        e[3] = static_cast<unsigned char>(k);
    }
    return table;
}

unsigned char* qelImgDIBUtils::createCMYKPalette()
{
    auto* table = new unsigned char[64];
    for (int i = 0; i < 16; ++i) {
        int c, m, y, k, r, g, b;
        standardEntry(i, &c, &m, &y, &k);
        qelImgUtils::cmykToRgb(c, m, y, k, &r, &g, &b);
        setEntry(table + 4 * i, r, g, b);
    }
    return table;
}

unsigned char* qelImgDIBUtils::createCMYKGrayPalette()
{
    auto* table = new unsigned char[64];
    for (int i = 0; i < 16; ++i) {
        int c, m, y, k, g;
        standardEntry(i, &c, &m, &y, &k);
        qelImgUtils::cmykToGray(c, m, y, k, &g);
        setEntry(table + 4 * i, g, g, g);
    }
    return table;
}

void qelImgDIBUtils::cmykToRGBPixels(const unsigned char* cmyk, unsigned char* rgb, int count)
{
    if (!cmyk || !rgb)
        return;
    for (int i = 0; i < count; ++i) {
        const unsigned char* p = cmyk + 4 * i;
        int r, g, b;
        qelImgUtils::cmykToRgb(p[0], p[1], p[2], p[3], &r, &g, &b);
        rgb[3 * i] = static_cast<unsigned char>(r);
        rgb[3 * i + 1] = static_cast<unsigned char>(g);
        rgb[3 * i + 2] = static_cast<unsigned char>(b);
    }
}

int qelImgDIBUtils::expandRowToRGB(const unsigned char* row, int bitsPerPixel, int count, const unsigned char* table,
                                   unsigned char* out)
{
    if (!row || !table || !out || !hasTable(bitsPerPixel))
        return 1;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = table + 4 * getRowPixel(row, i, bitsPerPixel);
        out[3 * i] = e[2];
        out[3 * i + 1] = e[1];
        out[3 * i + 2] = e[0];
    }
    return 1;
}
