// Rasters, fixture files and rendering for the PDF writer's image tests.
#pragma once

#include "OpdfTestSupport.h"

#include <cmath>
#include <tiffio.h>

extern "C" {
#include "opdfImages.h"
}

namespace opdftest {

// Pixels, top row first, `channels` bytes each.
struct Raster {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> pixels;

    const unsigned char* at(int x, int y) const
    {
        return &pixels[((size_t)y * width + x) * channels];
    }
};

struct Difference {
    int max = 0;
    double mean = 0;
};

// Channel difference of two RGB rasters of one size; max 999 when they do not match.
inline Difference compareRGB(const Raster& a, const Raster& b)
{
    Difference d;
    if (a.width != b.width || a.height != b.height || a.channels != 3 || b.channels != 3 ||
        a.pixels.size() != b.pixels.size()) {
        d.max = 999;
        return d;
    }
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); i++) {
        int v = std::abs((int)a.pixels[i] - (int)b.pixels[i]);
        d.max = std::max(d.max, v);
        sum += v;
    }
    d.mean = a.pixels.empty() ? 0 : sum / (double)a.pixels.size();
    return d;
}

// Binary PGM (P5) or PPM (P6) with maxval 255.
inline Raster readPNM(const std::string& path)
{
    Raster r;
    std::string bytes = readFile(path);
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.width >> r.height >> maxval;
    in.get();
    if ((magic != "P5" && magic != "P6") || maxval != 255)
        return Raster{};
    r.channels = magic == "P6" ? 3 : 1;
    size_t n = (size_t)r.width * r.height * r.channels;
    size_t at = (size_t)in.tellg();
    if (bytes.size() < at + n)
        return Raster{};
    r.pixels.assign(bytes.begin() + (long)at, bytes.begin() + (long)(at + n));
    return r;
}

inline void writePNM(const std::string& path, const Raster& r)
{
    std::string head = std::string(r.channels == 3 ? "P6" : "P5") + "\n" +
                       std::to_string(r.width) + " " + std::to_string(r.height) + "\n255\n";
    writeFile(path, head + std::string(r.pixels.begin(), r.pixels.end()));
}

// The whole file as libtiff's RGBA reader sees it, as RGB (alpha dropped).
inline Raster tiffRGBA(const std::string& path, int directory = 0)
{
    Raster r;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return r;
    if (directory > 0)
        TIFFSetDirectory(tif, (tdir_t)directory);
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster((size_t)w * h);
    if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        r.width = (int)w;
        r.height = (int)h;
        r.channels = 3;
        r.pixels.resize((size_t)w * h * 3);
        for (size_t i = 0; i < raster.size(); i++) {
            r.pixels[3 * i] = (unsigned char)TIFFGetR(raster[i]);
            r.pixels[3 * i + 1] = (unsigned char)TIFFGetG(raster[i]);
            r.pixels[3 * i + 2] = (unsigned char)TIFFGetB(raster[i]);
        }
    }
    TIFFClose(tif);
    return r;
}

// An uncompressed one-strip TIFF of the given samples, written with libtiff.
struct TiffLayout {
    int width, height;
    int samples;
    int bits;
    int photometric;
    int extraSamples = 0; // unassociated alpha samples at the end
    std::vector<uint16_t> colorMap; // 3 x 2^bits for palette files
};

inline bool writeTiff(const std::string& path, const TiffLayout& l, const std::vector<unsigned char>& rows)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)l.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)l.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, (uint16_t)l.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, (uint16_t)l.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, (uint16_t)l.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)l.height);
    if (l.extraSamples) {
        std::vector<uint16_t> kinds((size_t)l.extraSamples, EXTRASAMPLE_UNASSALPHA);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, (uint16_t)l.extraSamples, kinds.data());
    }
    if (!l.colorMap.empty()) {
        size_t n = l.colorMap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, l.colorMap.data(), l.colorMap.data() + n,
                     l.colorMap.data() + 2 * n);
    }
    bool ok = TIFFWriteEncodedStrip(tif, 0, (void*)rows.data(), (tmsize_t)rows.size()) >= 0;
    TIFFClose(tif);
    return ok;
}

// Raw bytes of one strip of a TIFF file.
inline std::string rawStrip(const std::string& path, uint32_t strip = 0)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return "";
    tmsize_t n = TIFFRawStripSize(tif, strip);
    std::string bytes(n > 0 ? (size_t)n : 0, '\0');
    if (n > 0 && TIFFReadRawStrip(tif, strip, &bytes[0], n) != n)
        bytes.clear();
    TIFFClose(tif);
    return bytes;
}

// Smooth colours with flat blocks, for lossy and lossless checks alike.
inline unsigned char sampleAt(int x, int y, int c, int w, int h)
{
    if (x >= w / 4 && x < w / 2 && y >= h / 4 && y < h / 2)
        return c == 0 ? 200 : c == 1 ? 40 : 60;
    int v = c == 0 ? x * 255 / std::max(1, w - 1)
          : c == 1 ? y * 255 / std::max(1, h - 1)
                   : (x + y) * 255 / std::max(1, w + h - 2);
    return (unsigned char)v;
}

// 1-bit rows (most significant bit first): a disc and a bar set.
inline std::vector<unsigned char> bilevelRows(int w, int h)
{
    const int stride = (w + 7) / 8;
    std::vector<unsigned char> rows((size_t)stride * h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int dx = x - w / 3, dy = y - h / 2;
            bool on = dx * dx + dy * dy < (h / 3) * (h / 3) || (x > 2 * w / 3 && (y / 4) % 2 == 0);
            if (on)
                rows[(size_t)y * stride + x / 8] |= (unsigned char)(0x80 >> (x % 8));
        }
    return rows;
}

inline bool bitAt(const std::vector<unsigned char>& rows, int w, int x, int y)
{
    return rows[(size_t)y * ((w + 7) / 8) + x / 8] & (0x80 >> (x % 8));
}

// Renders a page (at 72 dpi: a pixel per point) into an RGB raster.
inline Raster renderPage(const std::string& pdf, const std::string& stem, int page = 1, int dpi = 72)
{
    CommandResult r = run("pdftoppm -r " + std::to_string(dpi) + " -aa no -aaVector no -f " + std::to_string(page) +
                          " -l " + std::to_string(page) + " -singlefile '" + pdf + "' '" +
                          stem + "'");
    if (r.status != 0)
        return Raster{};
    return readPNM(stem + ".ppm");
}

// One pixel per point, taken from the centres of a 4 x 4 rendering: Splash
// box-filters images drawn at exactly one device pixel per sample, which
// smears their edges at 72 dpi.
inline Raster renderPoints(const std::string& pdf, const std::string& stem, int page = 1)
{
    Raster big = renderPage(pdf, stem, page, 288);
    Raster r{big.width / 4, big.height / 4, big.channels, {}};
    for (int y = 0; y < r.height; y++)
        for (int x = 0; x < r.width; x++) {
            const unsigned char* p = big.at(4 * x + 2, 4 * y + 2);
            r.pixels.insert(r.pixels.end(), p, p + big.channels);
        }
    return r;
}

inline std::string qpdfCheck(const std::string& path)
{
    CommandResult check = run("qpdf --check '" + path + "'");
    if (check.status != 0 || check.output.find("No syntax or stream encoding errors") == std::string::npos ||
        check.output.find("WARNING") != std::string::npos)
        return check.output.empty() ? "qpdf failed" : check.output;
    return "";
}

inline bool imageToolsAvailable()
{
    return toolAvailable("qpdf") && toolAvailable("pdftoppm") && toolAvailable("pdfimages");
}

// The image XObject dictionaries of a file, in file order.
inline std::vector<std::string> imageDictionaries(const std::string& pdf)
{
    std::vector<std::string> out;
    size_t p = 0;
    while ((p = pdf.find("/Subtype /Image\n", p)) != std::string::npos) {
        size_t b = pdf.rfind(" 0 obj\n", p);
        b = b == std::string::npos ? 0 : pdf.rfind('\n', b) + 1;
        size_t e = pdf.find(">>\nstream", p);
        out.push_back(pdf.substr(b, e == std::string::npos ? std::string::npos : e - b));
        p += 16;
    }
    return out;
}

} // namespace opdftest
