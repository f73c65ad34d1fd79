// Fixed-point numbers of the PDF writer against the C library's printf in the
// C locale: rounding edges, negatives, large magnitudes and random values.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

#include <cfloat>
#include <cmath>
#include <random>

using namespace opdftest;

namespace {

std::string ours(const char* format, int prec, double v)
{
    char buf[OPDF_FIXED_MAX + 32];
    int n = _opdf_format(buf, sizeof buf, format, prec, v);
    EXPECT_EQ((int)strlen(buf), n) << format << " " << v;
    return buf;
}

// printf's text, with the sign of a value that rounds to zero dropped as the
// writer does.
std::string reference(const char* format, int prec, double v)
{
    char buf[OPDF_FIXED_MAX + 32];
    snprintf(buf, sizeof buf, format, prec, v);
    std::string s = buf;
    if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos)
        s.erase(0, 1);
    return s;
}

void expectAllPrecisions(double v)
{
    for (int prec = 0; prec <= 9; prec++)
        ASSERT_EQ(reference("%.*f", prec, v), ours("%.*f", prec, v))
            << "value " << std::hexfloat << v << std::defaultfloat << " (" << v << "), "
            << prec << " decimals";
}

TEST(NumberFormat, EdgesMatchPrintf)
{
    const double edges[] = {
        0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, -0.125, 0.0625, -0.03125, 1.0005, 2.675,
        -2.675, 0.045, 1e-10, -1e-10, 0.00005, -0.00005, 0.99995, 9.99995, -9.99995,
        999999.99995, 0.49999999999999994, 4503599627370495.5, 4503599627370496.5,
        9007199254740991.0, 9007199254740993.0, 1e15 + 0.5, 900719925.47409915, 1e20, -1e20,
        1.5e300, FLT_MAX, -FLT_MAX, DBL_MAX, DBL_MIN, -DBL_MIN, 5e-324, 123456789.123456789,
        595.2755737304688, 841.8897705078125, -0.0049999999999999996, 0.0050000000000000001};
    for (double v : edges)
        expectAllPrecisions(v);
}

TEST(NumberFormat, HalfwayAndNearHalfwayValuesMatchPrintf)
{
    // Exact binary halves of every decimal place in reach, and their neighbours.
    for (int m = 1; m <= 14; m++)
        for (int n = -300; n <= 300; n += 1) {
            const double v = std::ldexp((double)(2 * n + 1), -m) * 37;
            expectAllPrecisions(v);
            expectAllPrecisions(std::nextafter(v, HUGE_VAL));
            expectAllPrecisions(std::nextafter(v, -HUGE_VAL));
        }
    // Decimal halves, which are not exact in binary.
    std::mt19937_64 rng(7);
    for (int i = 0; i < 3000; i++) {
        const int prec = (int)(rng() % 10);
        char text[64];
        snprintf(text, sizeof text, "%s%llu.%0*llu5", i % 2 ? "-" : "",
                 (unsigned long long)(rng() % 100000), prec,
                 (unsigned long long)(rng() % (unsigned long long)std::pow(10.0, prec)));
        const double v = strtod(text, nullptr);
        expectAllPrecisions(v);
        expectAllPrecisions(std::nextafter(v, HUGE_VAL));
        expectAllPrecisions(std::nextafter(v, -HUGE_VAL));
    }
}

TEST(NumberFormat, RandomValuesMatchPrintf)
{
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> exponent(-12, 18);
    for (int i = 0; i < 20000; i++) {
        const double magnitude = std::pow(10.0, exponent(rng));
        const double v = (i % 2 ? -1 : 1) * magnitude * (double)(rng() % 1000000) / 1e6;
        expectAllPrecisions(v);
        // Operators take floats.
        expectAllPrecisions((double)(float)v);
    }
}

TEST(NumberFormat, NonFiniteValuesAreWrittenAsZero)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{NAN, "0.000"}, {-NAN, "0.000"}, {HUGE_VAL, "0.000"}, {-HUGE_VAL, "0.000"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, ours("%.*f", 3, c.value)) << c.value;
}

TEST(NumberFormat, FlagsAndWidthsMatchPrintf)
{
    const char* formats[] = {"%*.3f|", "%-12.*f|", "%+.*f", "% .*f", "%012.*f"};
    const double values[] = {0, 1.25, -1.25, 123.456789, -7.5e-3, 1e17};
    for (const char* f : formats)
        for (double v : values) {
            const int arg = f[1] == '*' ? 14 : 4;
            EXPECT_EQ(reference(f, arg, v), ours(f, arg, v)) << f << " " << v;
        }
}

} // namespace
