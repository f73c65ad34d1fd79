#include "qelGlobalDSPool.h"
#include "qelString.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace
{
using Text = std::unique_ptr<char[]>;

std::string str(const Text& t)
{
    return t ? std::string(t.get()) : std::string("<null>");
}

class TextUtilsTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
};
}

TEST_F(TextUtilsTest, ValueFields)
{
    const struct
    {
        const char* line;
        int n;
        const char* expected;
    } cases[] = {
        {"Key=a,,c", 1, "a"},   {"Key=a,,c", 2, ""},      {"Key=a,,c", 3, "c"},  {"Key=a,,c", 4, "<null>"},
        {"Key=,b", 1, "<null>"}, {"Key=,b", 2, "b"},      {"Key=a", 2, "<null>"}, {"Key=a,", 2, "<null>"},
        {"Key=", 1, "<null>"},  {"Key a", 1, "<null>"},   {";Key=a", 1, "<null>"}, {"", 1, "<null>"},
        {"Key=a", 0, "<null>"}, {"K=x=y,z", 1, "x=y"},     {"K=a, b ,c", 2, " b "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(Text(qelUtils::getValueField(c.line, c.n, ','))), c.expected) << c.line << " " << c.n;
    EXPECT_EQ(qelUtils::getValueField(nullptr, 1, ','), nullptr);
}

TEST_F(TextUtilsTest, PlainFields)
{
    const struct
    {
        const char* text;
        int n;
        const char* expected;
    } cases[] = {
        {"a,,c", 1, "a"}, {"a,,c", 2, "<null>"}, {"a,,c", 3, "c"}, {"a,b", 3, "<null>"},
        {"a,b\r\n", 2, "b\r\n"}, {";a,b", 1, "<null>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(Text(qelUtils::getField(c.text, c.n, ','))), c.expected) << c.text << " " << c.n;
}

TEST_F(TextUtilsTest, Keys)
{
    char line[] = "  Name = x ";
    EXPECT_EQ(str(Text(qelUtils::getKey(line))), "Name ");
    EXPECT_STREQ(line, "Name = x");
    char again[] = "  Name = x ";
    EXPECT_TRUE(qelUtils::isKey(again, "name"));
    char other[] = "Names=1";
    EXPECT_FALSE(qelUtils::isKey(other, "name"));
    for (const char* text : {"", "   ", "; Name=x", "Name x"}) {
        std::string copy(text);
        EXPECT_EQ(qelUtils::getKey(&copy[0]), nullptr) << text;
        EXPECT_FALSE(qelUtils::isKey(&copy[0], "Name")) << text;
    }
}

TEST_F(TextUtilsTest, Numbers)
{
    const struct
    {
        const char* text;
        int value;
    } hex[] = {{"FF", 255}, {"ff", 255}, {"10000", 0}, {"12345", 0x2345}, {"1G", 16}, {"", 0}};
    for (const auto& c : hex)
        EXPECT_EQ(qelUtils::hexToInt(c.text), c.value) << c.text;
    EXPECT_EQ(qelUtils::hexToInt(nullptr), 0);

    const struct
    {
        double x;
        int rounded;
    } rounding[] = {{2.5, 2}, {2.6, 3}, {-2.5, -3}, {-2.4, -2}, {0.5, 0}, {-0.5, -1}, {3.0, 3}};
    for (const auto& c : rounding)
        EXPECT_EQ(qelUtils::roundHalfDown(c.x), c.rounded) << c.x;

    float w = 1, h = 1;
    EXPECT_TRUE(qelUtils::getPaperSize("b3", &w, &h));
    EXPECT_FLOAT_EQ(w, 12.87f);
    EXPECT_FLOAT_EQ(h, 19.67f);
}

TEST_F(TextUtilsTest, SetBits)
{
    const struct
    {
        unsigned char target;
        int destPos;
        unsigned char value;
        int sourcePos;
        int count;
        unsigned char expected;
    } cases[] = {
        {0x00, 0, 0xFF, 0, 1, 0x80},  // MSB is position 0
        {0x00, 7, 0x80, 0, 1, 0x01},
        {0xFF, 2, 0x00, 0, 3, 0xC7},  // other bits stay
        {0x00, 4, 0x0F, 4, 4, 0x0F},
        {0x00, 0, 0x0A, 4, 4, 0xA0},
        {0x55, 0, 0xAA, 0, 8, 0xAA},
        {0x00, 6, 0xFF, 0, 4, 0x03},  // bits past the byte are dropped
    };
    for (const auto& c : cases) {
        unsigned char t = c.target;
        qelUtils::setBits(&t, c.destPos, c.value, c.sourcePos, c.count);
        EXPECT_EQ(t, c.expected) << c.destPos << "/" << c.sourcePos << "/" << c.count;
    }
}

TEST_F(TextUtilsTest, Ebcdic)
{
    const unsigned char* toAscii = qelUtils::getEbcdicToAsciiTable();
    const unsigned char* toEbcdic = qelUtils::getAsciiToEbcdicTable();
    const struct
    {
        unsigned char ebcdic, ascii;
    } toAsciiCases[] = {
        {0xC1, 'A'}, {0x81, 'a'}, {0xF0, '0'}, {0x40, ' '}, {0x4A, '['}, {0x5A, ']'}, {0x4F, '!'},
        {0xBB, '|'}, {0x5F, '^'}, {0xE0, '\\'}, {0x41, 0xA0}, {0x27, 0xB7}, {0xB3, 0x00}, {0xFF, ' '},
        {0x00, ' '}, {0x15, ' '}, {0x3F, ' '}, {0xA1, '~'},
    };
    for (const auto& c : toAsciiCases)
        EXPECT_EQ(toAscii[c.ebcdic], c.ascii) << std::hex << int(c.ebcdic);
    const struct
    {
        unsigned char ascii, ebcdic;
    } toEbcdicCases[] = {
        {'A', 0xC1}, {'a', 0x81}, {'0', 0xF0}, {' ', 0x40}, {'[', 0xAD}, {']', 0xBD}, {'!', 0x5A},
        {'|', 0x4F}, {'^', 0x5F}, {'\n', 0x15}, {'\r', 0x0D}, {0x00, 0x00}, {0x7F, 0x07},
        {0x80, 0xFF}, {0xE9, 0xFF},
    };
    for (const auto& c : toEbcdicCases)
        EXPECT_EQ(toEbcdic[c.ascii], c.ebcdic) << std::hex << int(c.ascii);

    // Printable ASCII comes back unchanged except where the two code pages
    // place a character differently.
    for (int c = 0x20; c < 0x7F; ++c) {
        if (std::strchr("![]|", c))
            EXPECT_NE(toAscii[toEbcdic[c]], c) << char(c);
        else
            EXPECT_EQ(toAscii[toEbcdic[c]], c) << char(c);
    }

    unsigned char text[] = {0xC8, 0x85, 0x93, 0x93, 0x96};
    EXPECT_EQ(qelUtils::ebcdicToAscii(text, 5), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text), 5), "Hello");
    EXPECT_EQ(qelUtils::asciiToEbcdic(text, 5), 5);
    EXPECT_EQ(text[0], 0xC8);
    EXPECT_EQ(qelUtils::ebcdicToAscii(nullptr, 5), -1);
    EXPECT_EQ(qelUtils::asciiToEbcdic(text, 0), 0);
    EXPECT_EQ(qelUtils::asciiToEbcdic(text, -3), -3);
    EXPECT_EQ(text[0], 0xC8);
    EXPECT_EQ(qelUtils::ebcdicToAsciiChar(0), 0);
    EXPECT_EQ(qelUtils::ebcdicToAsciiChar(0xC1), 'A');
}

TEST_F(TextUtilsTest, PathPieces)
{
    EXPECT_EQ(str(Text(qelUtils::getDirectory("a/b/c.txt"))), "a/b/");
    EXPECT_EQ(qelUtils::getDirectory("c.txt"), nullptr);
    EXPECT_EQ(str(Text(qelUtils::getBaseName("a/b/c.d.txt", false))), "c.d");
    EXPECT_EQ(str(Text(qelUtils::getBaseName("a/b/c.d.txt", true))), "c.d.txt");
    EXPECT_EQ(str(Text(qelUtils::getBaseName("a.b/c", false))), "c");
    EXPECT_STREQ(qelUtils::getExtension("a/b.pdf"), "pdf");
    EXPECT_EQ(qelUtils::getExtension("a/b."), nullptr);
    EXPECT_EQ(qelUtils::getExtension("ab"), nullptr);

    const struct
    {
        const char* path;
        bool absolute;
    } absolute[] = {
        {"/abs/dir", true}, {"/", true},  {"//server/share", true}, {"\\\\server\\share", true},
        {"c:/x", true},     {"C:", true}, {"rel/dir", false},       {"./x", false},
        {"\\x", false},     {"", false},
    };
    for (const auto& c : absolute)
        EXPECT_EQ(qelUtils::isAbsolutePath(c.path), c.absolute) << c.path;

    char path[16] = "dir";
    qelUtils::appendSlashC(path);
    qelUtils::appendSlashC(path);
    EXPECT_STREQ(path, "dir/");
    qelString holder("a\\b");
    qelUtils::appendSlash(&holder);
    qelUtils::toForwardSlashes(holder.getBuffer());
    EXPECT_STREQ(holder.getBuffer(), "a/b/");
    qelUtils::appendSlash(&holder);
    EXPECT_STREQ(holder.getBuffer(), "a/b/");

    EXPECT_TRUE(qelUtils::isLogicalLocationName("@ftp"));
    EXPECT_FALSE(qelUtils::isLogicalLocationName("ftp"));
    EXPECT_FALSE(qelUtils::isKnownLogicalLocation("@nowhere"));
}

TEST_F(TextUtilsTest, Substrings)
{
    // One byte in front, so that a start before the text is a valid pointer.
    static const char buffer[] = "_abcdef";
    const char* text = buffer + 1;
    EXPECT_EQ(str(Text(qelUtils::substring(text, 1, 3))), "bcd");
    EXPECT_EQ(str(Text(qelUtils::substring(text, 2, 2))), "c");
    EXPECT_EQ(qelUtils::substring(text, 3, 2), nullptr);
    EXPECT_EQ(qelUtils::substring(text, -1, 2), nullptr);
    EXPECT_EQ(qelUtils::substring(text, 2, 6), nullptr);  // past the end
    EXPECT_EQ(str(Text(qelUtils::substringByPointers(text, text + 2, text + 4))), "cde");
    EXPECT_EQ(str(Text(qelUtils::substringByPointers(text, text + 4, nullptr))), "ef");
    EXPECT_EQ(qelUtils::substringByPointers(text, text - 1, nullptr), nullptr);
    EXPECT_EQ(qelUtils::substringByPointers(text, text, text + 6), nullptr);

    char blanks[] = " \t\r\n x y \v\f ";
    EXPECT_STREQ(qelUtils::trim(blanks), "x y");
    char left[] = "  x ";
    EXPECT_STREQ(qelUtils::trimLeft(left), "x ");
    char right[] = "  x ";
    EXPECT_STREQ(qelUtils::trimRight(right), "  x");

    char replace[] = "a.b.c";
    EXPECT_STREQ(qelUtils::replaceChar(replace, '.', '_'), "a_b_c");

    EXPECT_EQ(str(Text(qelUtils::latin1ToUTF8("caf\xE9", 0))), "caf\xC3\xA9");
    EXPECT_EQ(str(Text(qelUtils::latin1ToUTF8("\xFF\x41xyz", 2))), "\xC3\xBF" "A");
}

TEST_F(TextUtilsTest, SystemErrorText)
{
    EXPECT_EQ(str(Text(qelUtils::getSystemErrorText(2))), "No such file or directory");
    EXPECT_EQ(str(Text(qelUtils::getSystemErrorText(987654))), "Unknown Error Code: 987654 \n");
}
