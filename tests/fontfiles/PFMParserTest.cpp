#include "qelException.h"
#include "qelFontMetrics.h"
#include "qelGlobalDSPool.h"
#include "qelMessageOutput.h"
#include "qelType1PFMParser.h"
#include "qelType1PFMRepresentation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, unsigned v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A PFM file: header, extended metrics at 147, driver information at 199,
// widths after it.
struct PFM
{
    Bytes bytes = Bytes(147 + 52, 0);
    PFM(int first = 32, int last = 126, const char* driverText = "Helvetica-Bold rest of text")
    {
        put16(bytes, 0, 0x100);
        put16(bytes, 117, 30);
        put32(bytes, 119, 147);
        put32(bytes, 139, 199);
        bytes[95] = static_cast<uint8_t>(first);
        bytes[96] = static_cast<uint8_t>(last);
        put16(bytes, 83, 400);
        put16(bytes, 74, 700);
        for (size_t i = 0; i <= std::strlen(driverText); ++i)
            bytes.push_back(static_cast<uint8_t>(driverText[i]));
        put32(bytes, 123, static_cast<uint32_t>(bytes.size()));
        for (int c = first; c <= last; ++c) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(2);
        }
        put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    }
};

class PFMParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        m_path = ::testing::TempDir() + "pfmtest_" + std::to_string(::getpid()) + ".pfm";
    }
    void TearDown() override
    {
        std::remove(m_path.c_str());
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        delete qelGlobalDSPool::getInstance();
    }

    std::unique_ptr<qelType1PFMRepresentation> parse(const Bytes& bytes, bool convert = true, int* error = nullptr)
    {
        std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
        return parsePath(m_path.c_str(), convert, error);
    }
    std::unique_ptr<qelType1PFMRepresentation> parsePath(const char* path, bool convert = true, int* error = nullptr)
    {
        qelType1PFMParser parser;
        parser.setConvert(convert);
        try {
            return std::unique_ptr<qelType1PFMRepresentation>(
                static_cast<qelType1PFMRepresentation*>(parser.parse(path)));
        } catch (qelException* e) {
            if (error)
                *error = e->getId();
            delete e;
        }
        return nullptr;
    }

    FILE* m_messages = nullptr;
    std::string m_path;
};

TEST_F(PFMParserTest, FixtureWithCodes32To255)
{
    auto rep = parsePath(LORBANE_TEST_DATA "/fonts/C059-Roman.pfm");
    ASSERT_TRUE(rep);
    EXPECT_EQ(qelFontRepresentation::TYPE_PFM, rep->getType());
    EXPECT_STREQ("C059-Roman", rep->getFontName());
    EXPECT_EQ(32, rep->getFirstChar());
    EXPECT_EQ(255, rep->getLastChar());
    uint16_t* widths = rep->getWidths(32, 255);
    ASSERT_TRUE(widths);
    EXPECT_EQ(278, widths[0]);
    EXPECT_EQ(722, widths['A' - 32]);
    delete[] widths;
    EXPECT_EQ(80, rep->getStemWidth());
    EXPECT_FALSE(rep->isFixedPitch());
    EXPECT_EQ(-211, rep->getMetrics()->getMinY());
}

TEST_F(PFMParserTest, NameStyleAndBoxValues)
{
    struct Case
    {
        const char* what;
        void (*change)(Bytes&);
        bool fixed, italic, light, bold;
        int slant, minX;
    };
    const Case cases[] = {
        {"plain", [](Bytes&) {}, true, false, false, false, 0, -20},
        {"proportional", [](Bytes& b) { b[90] = 0x31; put16(b, 91, 500); put16(b, 93, 900); }, false, false, false,
         false, 0, -100},
        {"equal widths are fixed", [](Bytes& b) { b[90] = 0x31; put16(b, 91, 600); put16(b, 93, 600); }, true, false,
         false, false, 0, -20},
        {"slant negated, italic", [](Bytes& b) { b[80] = 1; put16(b, 147 + 22, 120); }, true, true, false, false,
         -120, -20},
        {"small slant still italic", [](Bytes& b) { b[80] = 1; put16(b, 147 + 22, 5); }, true, true, false, false,
         -5, -20},
        {"slant without italic byte", [](Bytes& b) { put16(b, 147 + 22, 120); }, true, false, false, false, -120,
         -20},
        {"weight 300", [](Bytes& b) { put16(b, 83, 300); }, true, false, true, false, 0, -20},
        {"weight 900", [](Bytes& b) { put16(b, 83, 900); }, true, false, false, true, 0, -20},
        {"weight 1000", [](Bytes& b) { put16(b, 83, 1000); }, true, false, false, false, 0, -20},
    };
    for (const Case& c : cases) {
        PFM pfm;
        c.change(pfm.bytes);
        put16(pfm.bytes, 147 + 20, 210);
        auto rep = parse(pfm.bytes);
        ASSERT_TRUE(rep) << c.what;
        EXPECT_STREQ("Helvetica-Bold", rep->getFontName()) << c.what;
        EXPECT_EQ(c.fixed, rep->isFixedPitch()) << c.what;
        EXPECT_EQ(c.italic, rep->isItalic()) << c.what;
        EXPECT_EQ(c.light, rep->isLight()) << c.what;
        EXPECT_EQ(c.bold, rep->isBold()) << c.what;
        EXPECT_EQ(c.slant, static_cast<int16_t>(rep->getExtTextMetrics()[22] | (rep->getExtTextMetrics()[23] << 8)))
            << c.what;
        EXPECT_EQ(c.minX, rep->getMetrics()->getMinX()) << c.what;
        EXPECT_EQ(-215, rep->getMetrics()->getMinY()) << c.what;
        EXPECT_EQ(705, rep->getMetrics()->getMaxCharBoxHeight()) << c.what;
    }
}

TEST_F(PFMParserTest, InvalidFilesGiveE119)
{
    struct Case
    {
        const char* what;
        void (*change)(Bytes&);
        bool convert;
        int error; // 0: accepted
    };
    const Case cases[] = {
        {"size fields 24, driver info 199", [](Bytes& b) { put16(b, 117, 24); }, true, 119},
        {"size fields 24, driver info 600",
         [](Bytes& b) {
             put16(b, 117, 24);
             b.resize(700, 0);
             std::memcpy(&b[600], "Moved", 6);
             put32(b, 139, 600);
         },
         true, 0},
        {"extended metrics past the end", [](Bytes& b) { put32(b, 119, static_cast<uint32_t>(b.size()) - 10); },
         true, 119},
        {"driver info past the end", [](Bytes& b) { put32(b, 139, 0x7FFFFFF0); }, true, 119},
        {"extent table past the end", [](Bytes& b) { put32(b, 123, static_cast<uint32_t>(b.size()) - 4); }, true,
         119},
        {"extent table unchecked without convert", [](Bytes& b) { put32(b, 123, 0xFFFFFFF0u); }, false, 0},
        {"last below first", [](Bytes& b) { b[96] = 10; }, true, 119},
    };
    for (const Case& c : cases) {
        PFM pfm;
        c.change(pfm.bytes);
        int error = 0;
        auto rep = parse(pfm.bytes, c.convert, &error);
        EXPECT_EQ(c.error, error) << c.what;
        EXPECT_EQ(c.error == 0, rep != nullptr) << c.what;
    }
    int error = 0;
    EXPECT_FALSE(parsePath("/nonexistent/dir/x.pfm", true, &error));
    EXPECT_EQ(98, error);
    qelType1PFMParser parser;
    EXPECT_EQ(nullptr, parser.parse(nullptr));
}

TEST_F(PFMParserTest, WithoutConvertNoWidthTable)
{
    auto rep = parse(PFM().bytes, false);
    ASSERT_TRUE(rep);
    EXPECT_FALSE(rep->getWidthTable());
    EXPECT_EQ(-1, rep->getFirstChar());
}

TEST_F(PFMParserTest, WriteFileLayoutAndReadBack)
{
    auto rep = parsePath(LORBANE_TEST_DATA "/fonts/C059-Roman.pfm");
    ASSERT_TRUE(rep);
    EXPECT_EQ(-1, rep->writeFile(m_path.c_str())); // no strings record yet
    EXPECT_NE(0, ::access(m_path.c_str(), F_OK));
    auto* strings = new qelType1PFMStrings();
    std::strcpy(strings->deviceName, "PostScript");
    strings->faceName = new char[8];
    std::strcpy(strings->faceName, "FaceNam");
    strings->postScriptName = new char[8];
    std::strcpy(strings->postScriptName, "PSNameX");
    rep->setStrings(strings);
    EXPECT_EQ(0, rep->writeFile(m_path.c_str()));
    std::ifstream in(m_path, std::ios::binary);
    Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(147u + 52 + 11 + 8 + 8 + 448, written.size());
    EXPECT_EQ(0, std::memcmp(&written[199], "PostScript\0FaceNam\0PSNameX\0", 27));
    EXPECT_EQ(0, std::memcmp(written.data(), rep->getHeader(), 147));
    EXPECT_EQ(278, written[226] | (written[227] << 8));
    EXPECT_EQ(-1, rep->writeFile(nullptr));
}

} // namespace
