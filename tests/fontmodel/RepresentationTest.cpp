#include "FontModelFixture.h"

#include "qelAFPFontRepresentation.h"
#include "qelFontRepresentation.h"

#include <cstring>
#include <memory>

namespace {

class PlainRepresentation : public qelFontRepresentation
{
public:
    int getType() const override { return TYPE_TRUETYPE; }
};

std::string styleName(const qelFontRepresentation& r)
{
    char buffer[600];
    return r.getStyleName(buffer, sizeof buffer);
}

} // namespace

TEST_F(FontModelTest, StyleNamesAddOnlyMissingWords)
{
    const struct {
        const char* typeface;
        const char* name;
        bool bold, italic, underline, strikeover, hollow;
        const char* expected;
    } cases[] = {
        {"Times New Roman", nullptr, true, true, false, false, false, "Times-New-Roman-BoldItalic"},
        {"Courier Bold", nullptr, true, false, false, false, false, "Courier-Bold"},
        {"Courier bold", nullptr, true, false, false, false, false, "Courier-bold-Bold"},
        {nullptr, nullptr, false, true, false, false, false, "-Italic"},
        {"", "Fallback Name", false, false, true, true, true, "Fallback-Name-UnderlineStrikeOverHollow"},
        {"Arial", nullptr, false, false, false, false, false, "Arial"},
    };
    for (const auto& c : cases) {
        PlainRepresentation r;
        r.setTypefaceName(c.typeface);
        r.setName(c.name);
        r.setBold(c.bold);
        r.setItalic(c.italic);
        r.setUnderline(c.underline);
        r.setStrikeover(c.strikeover);
        r.setHollow(c.hollow);
        EXPECT_EQ(styleName(r), c.expected) << (c.typeface ? c.typeface : "(null)");
    }
}

TEST_F(FontModelTest, StyleNameNeverWritesPastTheBuffer)
{
    PlainRepresentation r;
    r.setTypefaceName(std::string(700, 'x').c_str());
    r.setBold(true);
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    r.getStyleName(buffer, 8);
    EXPECT_STREQ(buffer, "xxxxxxx");
    EXPECT_EQ(buffer[8], '#');
    EXPECT_EQ(r.getStyleName(nullptr, 10), nullptr);

    // The start text keeps at most 511 characters before the suffix.
    std::vector<char> big(1024);
    r.getStyleName(big.data(), static_cast<int>(big.size()));
    EXPECT_EQ(std::string(big.data()), std::string(511, 'x') + "-Bold");

    qelAFPFontRepresentation ips;
    ips.setFontName("Helvetica");
    ips.setTypefaceName("Helvetica Neue");
    ips.setTypefaceDescription("Helvetica Light");
    ips.setItalic(true);
    EXPECT_EQ(styleName(ips), "Helvetica-Light-Italic");
    ips.setTypefaceDescription(nullptr);
    EXPECT_EQ(styleName(ips), "Helvetica-Neue-Italic");
    ips.setTypefaceName(nullptr);
    EXPECT_EQ(styleName(ips), "Helvetica-Italic");
}

TEST_F(FontModelTest, WidthRangesInsideTheTableOnly)
{
    PlainRepresentation r;
    EXPECT_EQ(r.getWidths(65, 66), nullptr); // no table
    r.setFirstChar(65);
    r.setLastChar(69);
    r.setWidthTable(new uint16_t[5]{10, 11, 12, 13, 14});
    const struct {
        int first, last;
        std::vector<uint16_t> expected;
    } cases[] = {
        {65, 69, {10, 11, 12, 13, 14}}, {67, 68, {12, 13}}, {69, 69, {14}},
        {68, 67, {}},                   {64, 66, {}},       {66, 70, {}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<uint16_t[]> w(r.getWidths(c.first, c.last));
        if (c.expected.empty()) {
            EXPECT_EQ(w, nullptr) << c.first << ".." << c.last;
            continue;
        }
        ASSERT_NE(w, nullptr) << c.first << ".." << c.last;
        EXPECT_EQ(std::vector<uint16_t>(w.get(), w.get() + c.expected.size()), c.expected);
    }
}

TEST_F(FontModelTest, FontProgramGrowsByAppending)
{
    PlainRepresentation r;
    const uint8_t a[] = {1, 2, 3};
    const uint8_t b[] = {4, 5};
    r.appendFontData(nullptr, 3);
    r.appendFontData(a, 0);
    EXPECT_EQ(r.getFontData(), nullptr);
    r.appendFontData(a, 3);
    r.appendFontData(b, 2);
    ASSERT_EQ(r.getFontDataLength(), 5);
    EXPECT_EQ(std::vector<uint8_t>(r.getFontData(), r.getFontData() + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST_F(FontModelTest, TypeNamesAndTexts)
{
    EXPECT_STREQ(qelFontRepresentation::fontTypeName(1), "TYPE1");
    EXPECT_STREQ(qelFontRepresentation::fontTypeText(1), "Unhandled font type");
    EXPECT_STREQ(qelFontRepresentation::fontTypeName(8), "Unhandled font type");
    EXPECT_STREQ(qelFontRepresentation::fontTypeText(8), "AFP CodePage");
    for (int code : {9, -1, 10})
        EXPECT_STREQ(qelFontRepresentation::fontTypeText(code), "Unhandled font type");
    EXPECT_EQ(qelFontRepresentation::swap32(0x11223344u), 0x44332211u);
    EXPECT_EQ(qelFontRepresentation::swap16(0x1122), 0x2211);
    char text[] = "a\rb\r";
    EXPECT_STREQ(qelFontRepresentation::convertLineEnds(text, 4), "a\nb\n");
}

TEST_F(FontModelTest, FontFilesAreSniffedByTheirFirstBytes)
{
    auto sized = [](std::vector<unsigned char> head, size_t size) {
        head.resize(size, 0);
        return head;
    };
    std::vector<unsigned char> pfm(300, 0);
    pfm[0] = 0x00;
    pfm[1] = 0x01;
    pfm[139] = 0x10; // driver information at 0x10, inside the file
    std::memcpy(&pfm[199], "PostScript", 10);
    std::vector<unsigned char> pfmPastEnd = pfm;
    pfmPastEnd[141] = 0x01; // offset 0x10010 lies past the end
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        int result, type;
    } cases[] = {
        {"ps249", sized({'%', '!', 'P', 'S'}, 249), 0, 8},
        {"ps250", sized({'%', '!', 'P', 'S'}, 250), 0, 3},
        {"segmented", sized({0x80, 0x01, 0, 0, 0, 0, '%', '!', 'P', 'S'}, 400), 0, 3},
        {"tt7", sized({0, 1, 0, 0, 0, 7}, 400), 0, 8},
        {"tt8", sized({0, 1, 0, 0, 0, 8}, 20), 0, 5},
        {"tt64", sized({0, 1, 0, 0, 0, 64}, 400), 0, 5},
        {"tt65", sized({0, 1, 0, 0, 0, 65}, 400), 0, 8},
        {"otto", sized({'O', 'T', 'T', 'O', 0, 10}, 400), 0, 8},
        {"pfm", pfm, 0, 2},
        {"pfmPastEnd", pfmPastEnd, 0, 8},
        {"empty", {}, -2, 8},
    };
    for (const auto& c : cases) {
        int type = -7;
        EXPECT_EQ(qelFontRepresentation::detectFontType(writeFile(c.name, c.bytes).c_str(), &type), c.result)
            << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    int type = -7;
    EXPECT_EQ(qelFontRepresentation::detectFontType((scratch + "missing").c_str(), &type), -2);
    EXPECT_EQ(type, 8);
}
