#include "BarcodeImage.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
GreyImage blank(int width, int height)
{
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, 255);
    return image;
}

void fillColumns(GreyImage& image, int x0, int count)
{
    for (int y = 0; y < image.height; ++y)
        std::memset(&image.pixels[static_cast<size_t>(y) * image.width + x0], 0, static_cast<size_t>(count));
}

std::string runCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}
}

GreyImage renderCode39(const std::string& pattern, int narrow, int wide, int quietModules, int height)
{
    int bars = 0;
    for (char c : pattern)
        bars += c == 'W' ? wide : narrow;
    const int quiet = quietModules * narrow;
    GreyImage image = blank(bars + 2 * quiet, height);
    int x = quiet;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const int w = pattern[i] == 'W' ? wide : narrow;
        if (i % 2 == 0)
            fillColumns(image, x, w);
        x += w;
    }
    return image;
}

GreyImage renderCode128(const std::string& pattern, int module, int quietModules, int height)
{
    const int quiet = quietModules * module;
    GreyImage image = blank(static_cast<int>(pattern.size()) * module + 2 * quiet, height);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == 'b')
            fillColumns(image, quiet + static_cast<int>(i) * module, module);
    }
    return image;
}

GreyImage renderBitmap(const unsigned char* bits, int width, int height, int quiet)
{
    GreyImage image = blank(width + 2 * quiet, height + 2 * quiet);
    const int rowBytes = width / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bits[y * rowBytes + x / 8] & (0x80 >> (x % 8)))
                image.pixels[static_cast<size_t>(y + quiet) * image.width + x + quiet] = 0;
        }
    }
    return image;
}

bool writePng(const GreyImage& image, const std::string& path)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_GRAY;
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), image.width, nullptr);
    png_image_free(&png);
    return ok != 0;
}

std::string decodeLinear(const std::string& path)
{
    return runCommand("zbarimg -q --raw '" + path + "' 2>/dev/null");
}

std::string decodeDataMatrix(const std::string& path)
{
    return runCommand("dmtxread -N1 -m 20000 '" + path + "' 2>/dev/null");
}

std::string tempImagePath(const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    std::string base = dir && *dir ? dir : "/tmp";
    return base + "/lorbane-barcode-" + std::to_string(getpid()) + "-" + name + ".png";
}
