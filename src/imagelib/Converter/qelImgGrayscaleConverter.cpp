#include "qelImgGrayscaleConverter.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
int dpiOf(int32_t pelsPerMetre)
{
    return static_cast<int>(pelsPerMetre / 39.37 + 0.5);
}
}

qelImgDIB* qelImgGrayscaleConverter::convert(qelImgDIB* dib)
{
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (logger)
        logger->trace("\t%s::%s()", "qelImgGrayscaleConverter", "convert");
    if (!dib || !dib->buffer)
        throw new qelImgException(__FILE__, __LINE__, 6, 0, true);
    const qelImgDIBHeader* h = dib->header;
    const int bits = h->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        throw new qelImgException(__FILE__, __LINE__, 33, 0, true, bits);

    bool keepIndexes = false;
    bool fillGrey = true;
    if (m_params) {
        keepIndexes = m_params[32].getByte() == 1;
        fillGrey = m_params[35].getInt() == 1;
    }
    const int width = h->biWidth;
    const int height = h->biHeight;
    const int sourceColors = qelImgDIBUtils::getColorCount(bits);
    // Grey of every source entry; 1-, 4- and 8-bit pixels are looked up here.
    std::unique_ptr<unsigned char[]> greys;
    if (dib->palette && sourceColors > 0)
        greys.reset(qelImgDIBUtils::createGrayPaletteFromPalette(sourceColors, dib->palette));

    // Indexes are kept only for 8-bit sources asked to; their table is the
    // greys of the source entries. Everywhere else the pixels are grey
    // levels and the table is the ascending ramp that shows them as such.
    const bool indexes = bits == 8 && ((keepIndexes && greys) || !fillGrey);
    std::unique_ptr<unsigned char[]> ramp;
    const unsigned char* table;
    if (indexes && greys) {
        table = greys.get();
    } else {
        ramp.reset(qelImgDIBUtils::createGrayPalette(256, true));
        table = ramp.get();
    }
    qelImgDIB* out = qelImgDIBUtils::createDIBFromData(width, height, 8, dpiOf(h->biXPelsPerMeter),
                                                       dpiOf(h->biYPelsPerMeter), 256, table, 0);
    const int srcRow = qelImgDIBUtils::getRowBytes(width, bits);
    const int dstRow = qelImgDIBUtils::getRowBytes(width, 8);
    for (int y = 0; y < height; ++y) {
        const unsigned char* s = dib->bits + static_cast<size_t>(y) * srcRow;
        unsigned char* d = out->bits + static_cast<size_t>(y) * dstRow;
        if (bits == 24) {
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = s + 3 * x;
                d[x] = static_cast<unsigned char>(0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2]);
            }
        } else if (indexes) {
            std::memcpy(d, s, static_cast<size_t>(dstRow));
        } else {
            for (int x = 0; x < width; ++x) {
                const int index = qelImgDIBUtils::getRowPixel(s, x, bits);
                // Without a table an index is taken as its own grey level.
                d[x] = greys ? greys[4 * index] : static_cast<unsigned char>(bits == 8 ? index : index * 255 / ((1 << bits) - 1));
            }
        }
    }
    if (logger && logger->getLevel() == 3) {
        const char* dir = qelImgProcessor::getTempDirectory();
        if (dir && *dir) {
            const std::string path = std::string(dir) + "grayscale.dib";
            qelImgDIBUtils::writeDIB(path.c_str(), out);
        }
    }
    return out;
}
