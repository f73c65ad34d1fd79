// Colour conversions and colour table lookups of qelUtils.
#include "qelUtils.h"

#include "qelColorEntry.h"
#include "qelColorTable.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelPoolAccess.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <strings.h>

namespace
{
uint32_t packRGB(unsigned char r, unsigned char g, unsigned char b)
{
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

unsigned char red(uint32_t rgb) { return static_cast<unsigned char>(rgb); }
unsigned char green(uint32_t rgb) { return static_cast<unsigned char>(rgb >> 8); }
unsigned char blue(uint32_t rgb) { return static_cast<unsigned char>(rgb >> 16); }

using qelPoolAccess::options;

// The slots over the options object's colour list; null without table.
std::unique_ptr<qelColorTable> currentTable()
{
    qelIni* ini = options();
    return std::unique_ptr<qelColorTable>(ini ? qelColorTable::create(*ini) : nullptr);
}

struct qelOCAColor
{
    unsigned int number;
    const char* name;
    unsigned char r, g, b;
};

// Built-in colours of the OCA numbers and the names that override them.
const qelOCAColor kOCAColors[] = {
    {1, "Blue", 0, 0, 255},       {2, "Red", 255, 0, 0},          {3, "Pink", 255, 0, 255},
    {4, "Green", 0, 255, 0},      {5, "Cyan", 0, 255, 255},       {6, "Yellow", 255, 255, 0},
    {7, "White", 255, 255, 255},  {8, "Black", 0, 0, 0},          {9, "DarkBlue", 0, 0, 170},
    {10, "Orange", 255, 128, 0},  {11, "Purple", 170, 0, 170},    {12, "DarkGreen", 0, 146, 0},
    {13, "DarkCyan", 0, 146, 170}, {14, "Mustard", 196, 160, 2},  {15, "Gray", 131, 131, 131},
    {16, "Brown", 144, 48, 0},    {0xFF08, "Medium", 255, 255, 255},
};

// OCA number of a colour list name; -1 when the name decides nothing.
int ocaNumberOfName(const char* name)
{
    static const struct
    {
        const char* name;
        int number;
    } names[] = {
        {"Default", 0},    {"Blue", 1},       {"Red", 2},        {"Pink", 3},     {"Magenta", 3},
        {"Green", 4},      {"Cyan", 5},       {"Yellow", 6},     {"White", 7},    {"Black", 8},
        {"DarkBlue", 9},   {"Orange", 10},    {"Purple", 11},    {"DarkGreen", 12}, {"DarkCyan", 13},
        {"Mustard", 14},   {"Gray", 15},      {"Brown", 16},     {"Medium", 0xFF08},
    };
    if (!name)
        return -1;
    for (const auto& n : names) {
        if (strcasecmp(n.name, name) == 0)
            return n.number;
    }
    return -1;
}
}

uint32_t qelUtils::cmykToRGB(uint32_t cmyk)
{
    unsigned char r, g, b;
    cmykToRGB(static_cast<unsigned char>(cmyk >> 24), static_cast<unsigned char>(cmyk >> 16),
              static_cast<unsigned char>(cmyk >> 8), static_cast<unsigned char>(cmyk), &r, &g, &b);
    return packRGB(r, g, b);
}

void qelUtils::cmykToRGB(unsigned char c, unsigned char m, unsigned char y, unsigned char k, unsigned char* r,
                         unsigned char* g, unsigned char* b)
{
    const double kf = k / 255.0;
    auto channel = [kf](unsigned char ink) {
        return static_cast<unsigned char>(std::lround(255.0 * (1.0 - (ink / 255.0 * (1.0 - kf) + kf))));
    };
    if (r)
        *r = channel(c);
    if (g)
        *g = channel(m);
    if (b)
        *b = channel(y);
}

int qelUtils::rgbToGray(uint32_t rgb)
{
    return rgbToGray(red(rgb), green(rgb), blue(rgb));
}

int qelUtils::rgbToGray(unsigned char r, unsigned char g, unsigned char b)
{
    return static_cast<int>(std::lround(0.3 * r + 0.59 * g + 0.11 * b));
}

int qelUtils::rgbToInkLevel(uint32_t cmyk)
{
    const double c = static_cast<unsigned char>(cmyk >> 24);
    const double m = static_cast<unsigned char>(cmyk >> 16);
    const double y = static_cast<unsigned char>(cmyk >> 8);
    return static_cast<int>(std::lround(255.0 - std::min(255.0, 0.299 * c + 0.587 * m + 0.114 * y)));
}

uint32_t qelUtils::applyIntensity(uint32_t rgb, int percent)
{
    const unsigned char p = static_cast<unsigned char>(percent);
    if (p < 1 || p > 100)
        return rgb;
    auto lighten = [p](unsigned char v) {
        const double c = v / 255.0;
        return static_cast<unsigned char>((c + (1.0 - c) * (100 - p) / 100.0) * 255.0);
    };
    return packRGB(lighten(red(rgb)), lighten(green(rgb)), lighten(blue(rgb)));
}

uint32_t qelUtils::labToRGB(double l, double a, double b)
{
    const double fy = (l + 16.0) / 116.0;
    const double fx = a / 500.0 + fy;
    const double fz = fy - b / 200.0;
    auto inverse = [](double f) { return f >= 6.0 / 29.0 ? f * f * f : (f - 16.0 / 116.0) / 7.787; };
    const double x = 95.047 * inverse(fx) / 100.0;
    const double y = 100.0 * inverse(fy) / 100.0;
    const double z = 108.883 * inverse(fz) / 100.0;
    const double linear[3] = {3.2406 * x - 1.5372 * y - 0.4986 * z, -0.9689 * x + 1.8758 * y + 0.0415 * z,
                              0.0557 * x - 0.2040 * y + 1.0570 * z};
    unsigned char out[3];
    for (int i = 0; i < 3; ++i) {
        const double v = linear[i];
        double s = v > 0.0031308 ? 1.055 * std::pow(v, 1.0 / 2.4) - 0.055 : 12.92 * v;
        s = std::min(255.0, std::max(0.0, s * 255.0));
        out[i] = static_cast<unsigned char>(s);
    }
    return packRGB(out[0], out[1], out[2]);
}

int qelUtils::labToGray(double l, double a, double b)
{
    const uint32_t rgb = labToRGB(l, a, b);
    return static_cast<int>(std::lround(0.299 * red(rgb) + 0.587 * green(rgb) + 0.114 * blue(rgb)));
}

bool qelUtils::isWhiteColor(int type, uint32_t value)
{
    switch (type) {
    case 1: return value == 0xFFFFFF;
    case 2: return value == 0;
    case 5: return value == 7;
    default: return false;
    }
}

qelColorEntry* qelUtils::findNearestColor(unsigned char r, unsigned char g, unsigned char b, double* distance)
{
    std::unique_ptr<qelColorTable> table = currentTable();
    return table ? table->findNearestColor(r, g, b, distance) : nullptr;
}

bool qelUtils::isMappedColor(int type, uint32_t color, bool withTolerance)
{
    if (type == 5)
        return true;
    if (type != 1 && type != 2)
        return false;
    std::unique_ptr<qelColorTable> table = currentTable();
    if (!table)
        return false;
    if (type == 1)
        return table->findRGB(red(color), green(color), blue(color), withTolerance) != nullptr;
    return table->findCMYK(static_cast<unsigned char>(color >> 24), static_cast<unsigned char>(color >> 16),
                           static_cast<unsigned char>(color >> 8), static_cast<unsigned char>(color),
                           withTolerance) != nullptr;
}

uint32_t qelUtils::getOCAColorRGB(unsigned int number)
{
    unsigned int n = (number >= 0xFF01 && number <= 0xFF06) ? number - 0xFF00 : number;
    const char* name = "Default";
    uint32_t fixed = 0;
    for (const qelOCAColor& color : kOCAColors) {
        if (color.number == n) {
            name = color.name;
            fixed = packRGB(color.r, color.g, color.b);
            break;
        }
    }
    qelIni* ini = options();
    if (const qelColorEntry* entry = ini ? ini->findColorTableEntry(name) : nullptr)
        return packRGB(entry->getRed(), entry->getGreen(), entry->getBlue());
    return fixed;
}

bool qelUtils::getOCAColorId(uint32_t color, int type, int* number)
{
    if (type == 5) {
        if (number)
            *number = static_cast<int>(color);
        return true;
    }
    if (type != 1)
        return false;
    const unsigned char r = red(color), g = green(color), b = blue(color);

    // Colour list entries of that value decide by their names; entries with
    // names that carry no OCA number are passed over.
    if (qelIni* ini = options()) {
        for (int i = 0; i < ini->getColorTableEntryCount(); ++i) {
            const qelColorEntry* entry = ini->getColorTableEntry(i);
            if (!entry || entry->getRed() != r || entry->getGreen() != g || entry->getBlue() != b)
                continue;
            int n = ocaNumberOfName(entry->getName());
            if (n < 0)
                continue;
            if (number)
                *number = n;
            return true;
        }
    }

    static const struct
    {
        unsigned char r, g, b;
        int number;
    } fixed[] = {
        {0, 0, 0, 0},        {0, 0, 170, 9},      {0, 0, 255, 1},       {0, 146, 0, 12},
        {0, 146, 170, 13},   {0, 255, 0, 4},      {0, 255, 255, 5},     {131, 131, 131, 15},
        {144, 48, 0, 16},    {170, 0, 170, 11},   {196, 160, 2, 14},    {255, 0, 0, 2},
        {255, 0, 255, 3},    {255, 128, 0, 10},   {255, 255, 0, 6},     {255, 255, 255, 7},
    };
    for (const auto& f : fixed) {
        if (f.r == r && f.g == g && f.b == b) {
            if (number)
                *number = f.number;
            return true;
        }
    }
    return false;
}
