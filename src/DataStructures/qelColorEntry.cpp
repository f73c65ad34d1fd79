#include "qelColorEntry.h"

#include <cmath>
#include <cstring>
#include <strings.h>

qelColorEntry::qelColorEntry() = default;

qelColorEntry::~qelColorEntry()
{
    delete[] m_name;
}

void qelColorEntry::setName(const char* name)
{
    delete[] m_name;
    m_name = nullptr;
    if (name) {
        size_t n = std::strlen(name);
        m_name = new char[n + 1];
        std::memcpy(m_name, name, n + 1);
    }
}

unsigned int qelColorEntry::getValue() const
{
    return (static_cast<unsigned int>(m_value[0]) << 24) | (static_cast<unsigned int>(m_value[1]) << 16) |
           (static_cast<unsigned int>(m_value[2]) << 8) | m_value[3];
}

void qelColorEntry::setValue(unsigned int value)
{
    m_value[0] = static_cast<unsigned char>(value >> 24);
    m_value[1] = static_cast<unsigned char>(value >> 16);
    m_value[2] = static_cast<unsigned char>(value >> 8);
    m_value[3] = static_cast<unsigned char>(value);
}

void qelColorEntry::setRGB(unsigned char r, unsigned char g, unsigned char b)
{
    m_value[0] = 0;
    m_value[1] = r;
    m_value[2] = g;
    m_value[3] = b;
}

void qelColorEntry::setTolerance(unsigned int tolerance)
{
    m_tolerance = tolerance;
    int first;
    if (m_type == TYPE_RGB)
        first = 1;
    else if (m_type == TYPE_CMYK)
        first = 0;
    else
        return;
    long t = static_cast<long>(tolerance > 255 ? 255 : tolerance);
    for (int i = first; i < 4; ++i) {
        long low = m_value[i] - t;
        long high = m_value[i] + t;
        m_minimum[i] = static_cast<unsigned char>(low < 0 ? 0 : low);
        m_maximum[i] = static_cast<unsigned char>(high > 255 ? 255 : high);
    }
}

void qelColorEntry::clear()
{
    delete[] m_name;
    m_name = nullptr;
    m_type = 0;
    std::memset(m_value, 0, sizeof m_value);
    std::memset(m_maximum, 0, sizeof m_maximum);
    std::memset(m_minimum, 0, sizeof m_minimum);
    m_grayUpper = 0;
    m_grayLower = 0;
    m_tolerance = 0;
}

int qelColorEntry::getOCAColor() const
{
    static const struct
    {
        const char* name;
        int number;
    } names[] = {
        {"red", 2},        {"green", 4},     {"blue", 1},       {"cyan", 5},     {"magenta", 3},
        {"yellow", 6},     {"black", 8},     {"white", 7},      {"darkgreen", 12}, {"darkblue", 9},
        {"darkcyan", 13},  {"orange", 10},   {"purple", 11},    {"mustard", 14}, {"gray", 15},
        {"brown", 16},     {"medium", 0xFF08},
    };
    if (!m_name)
        return 0;
    for (const auto& entry : names) {
        if (strcasecmp(entry.name, m_name) == 0)
            return entry.number;
    }
    return 0;
}

bool qelColorEntry::matchesRGB(unsigned char r, unsigned char g, unsigned char b, bool withTolerance) const
{
    if (m_type != TYPE_RGB)
        return false;
    const unsigned char rgb[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        unsigned char v = rgb[i];
        if (withTolerance ? (v < m_minimum[i + 1] || v > m_maximum[i + 1]) : v != m_value[i + 1])
            return false;
    }
    return true;
}

bool qelColorEntry::matchesCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                                bool withTolerance) const
{
    if (m_type == TYPE_RGB) {
        // Converted to RGB and always compared against the ranges.
        double kf = k / 255.0;
        const unsigned char inks[3] = {c, m, y};
        unsigned char rgb[3];
        for (int i = 0; i < 3; ++i)
            rgb[i] = static_cast<unsigned char>(std::lround(255.0 * (1.0 - (inks[i] / 255.0 * (1.0 - kf) + kf))));
        return matchesRGB(rgb[0], rgb[1], rgb[2], true);
    }
    if (m_type != TYPE_CMYK)
        return false;
    const unsigned char cmyk[4] = {c, m, y, k};
    for (int i = 0; i < 4; ++i) {
        unsigned char v = cmyk[i];
        if (withTolerance ? (v < m_minimum[i] || v > m_maximum[i]) : v != m_value[i])
            return false;
    }
    return true;
}
