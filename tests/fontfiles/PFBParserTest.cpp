#include "FocaBuilder.h"
#include "ScratchFolder.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelType1PFBParser.h"
#include "qelType1PFBRepresentation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

using lrbtest::Bytes;

namespace {

// A PFB segment: marker, type and, except for the end, a little-endian
// length and the bytes.
Bytes segment(int marker, int type, const std::string& text)
{
    Bytes b = {static_cast<unsigned char>(marker), static_cast<unsigned char>(type)};
    const uint32_t n = static_cast<uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>((n >> (8 * i)) & 0xFF));
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

Bytes pfb(const std::string& clear, const std::string& binary, const std::string& trailer, int firstType = 1)
{
    return lrbtest::cat({segment(0x80, firstType, clear), segment(0x80, 2, binary), segment(0x80, 1, trailer),
                         Bytes{0x80, 0x03}});
}

std::string text(const uint8_t* bytes, uint32_t n) { return std::string(reinterpret_cast<const char*>(bytes), n); }

class PFBParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        log()->setLevel("2");
        log()->open(m_folder.file("run.log").c_str());
    }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
    }
    static qelLogStream* log() { return qelGlobalDSPool::getInstance()->getLogStream(); }
    std::string logText()
    {
        log()->close();
        std::ifstream in(m_folder.file("run.log"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The representation, or null with the message id and text.
    std::unique_ptr<qelType1PFBRepresentation> parse(const Bytes& bytes, std::string* error = nullptr)
    {
        qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
        qelType1PFBParser parser;
        parser.setResourceName("font.pfb");
        parser.setLogger(log());
        try {
            return std::unique_ptr<qelType1PFBRepresentation>(
                static_cast<qelType1PFBRepresentation*>(parser.parseStream(&stream)));
        } catch (qelException* e) {
            if (error)
                *error = std::to_string(e->getKind()) + ":" + std::to_string(e->getId()) + " " + e->getMessage();
            delete e;
        }
        return nullptr;
    }

    lrbtest::ScratchFolder m_folder;
    FILE* m_messages = nullptr;
};

TEST_F(PFBParserTest, TextSegmentsGetLineFeedsAndTheBinaryStaysAsItIs)
{
    auto rep = parse(pfb("%!PS\r\nclear\r\n", "\r\x01\x02\r", "trail\r\n"));
    ASSERT_TRUE(rep);
    EXPECT_EQ(3, rep->getType());
    EXPECT_EQ("%!PS\n\nclear\n\n", text(rep->getClearTextSegment(), rep->getClearTextLength()));
    EXPECT_EQ(std::string("\r\x01\x02\r", 4), text(rep->getBinarySegment(), rep->getBinaryLength()));
    EXPECT_EQ("trail\n\n", text(rep->getTrailerSegment(), rep->getTrailerLength()));
}

TEST_F(PFBParserTest, WrongMarkerOrTypeIsOnlyAWarning)
{
    auto rep = parse(pfb("clear", "bin", "trail", 2));
    ASSERT_TRUE(rep);
    EXPECT_EQ("clear", text(rep->getClearTextSegment(), rep->getClearTextLength()));
    Bytes badMarker = pfb("clear", "bin", "trail");
    badMarker[0] = 0x7F;
    ASSERT_TRUE(parse(badMarker));
    const std::string log = logText();
    EXPECT_NE(std::string::npos,
              log.find("==>CS=font.pfb Warning! Unexpected type: 2 (1 expected) in section 1 while parsing PFB "
                       "content."));
    EXPECT_NE(std::string::npos,
              log.find("==>CS=font.pfb Warning! Bad magic number: 127 (128 expected) in section 1 while parsing "
                       "PFB content."));
}

TEST_F(PFBParserTest, LengthsBeyondTheDataAndShortProgramsAreErrors)
{
    struct Case
    {
        const char* name;
        Bytes input;
        const char* reason;
    };
    Bytes huge = pfb("clear", "bin", "trail");
    // Binary segment length 0xFFFFFFF0.
    const size_t binaryLength = 6 + 5 + 2;
    huge[binaryLength] = 0xF0;
    huge[binaryLength + 1] = huge[binaryLength + 2] = huge[binaryLength + 3] = 0xFF;
    Bytes cut = pfb("clear", "bin", "trail");
    cut.resize(cut.size() - 4);
    const Case cases[] = {
        {"length beyond the data", huge, "Invalid PFB segment length 4294967280 in section 1"},
        {"trailer cut short", cut, "Invalid PFB segment length 5 in section 2"},
        {"no trailer", Bytes(cut.begin(), cut.begin() + 6 + 5 + 6 + 3), "Unexpected end of PFB data in section 2"},
        {"empty", Bytes(), "Unexpected end of PFB data in section 1"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(parse(c.input, &error)) << c.name;
        EXPECT_EQ(std::string("0:114 E114: Error while setting font. CharsetName: font.pfb Reason: ") + c.reason,
                  error)
            << c.name;
    }
}

TEST_F(PFBParserTest, WrittenFileParsesBackToTheSameSegments)
{
    const std::string source = lrbtest::foca::type1Font("NimbusSans-Regular");
    std::ifstream probe(source);
    if (!probe)
        GTEST_SKIP() << source << " missing";
    qelType1PFBParser parser;
    std::unique_ptr<qelType1PFBRepresentation> rep(static_cast<qelType1PFBRepresentation*>(parser.parse(source.c_str())));
    ASSERT_TRUE(rep);
    EXPECT_EQ(896u, rep->getClearTextLength());
    EXPECT_EQ(102573u, rep->getBinaryLength());
    EXPECT_EQ(532u, rep->getTrailerLength());
    const std::string copy = m_folder.file("copy.pfb");
    ASSERT_EQ(0, rep->writeFile(copy.c_str()));
    qelType1PFBParser again;
    std::unique_ptr<qelType1PFBRepresentation> back(static_cast<qelType1PFBRepresentation*>(again.parse(copy.c_str())));
    ASSERT_TRUE(back);
    EXPECT_EQ(text(rep->getClearTextSegment(), rep->getClearTextLength()),
              text(back->getClearTextSegment(), back->getClearTextLength()));
    EXPECT_EQ(text(rep->getBinarySegment(), rep->getBinaryLength()),
              text(back->getBinarySegment(), back->getBinaryLength()));
    EXPECT_EQ(text(rep->getTrailerSegment(), rep->getTrailerLength()),
              text(back->getTrailerSegment(), back->getTrailerLength()));
    // The file holds exactly the three segments and the end marker.
    const Bytes written = lrbtest::foca::readFile(copy);
    EXPECT_EQ(6u + 896 + 6 + 102573 + 6 + 532 + 2, written.size());
    EXPECT_EQ(0x03, written.back());
}

TEST_F(PFBParserTest, WritingWithoutEverySegmentLeavesTheFileAlone)
{
    const std::string path = m_folder.file("old.pfb");
    {
        std::ofstream out(path);
        out << "old";
    }
    qelType1PFBRepresentation rep;
    rep.setClearTextSegment(reinterpret_cast<const uint8_t*>("a"), 1);
    rep.setBinarySegment(reinterpret_cast<const uint8_t*>("b"), 1);
    EXPECT_EQ(-1, rep.writeFile(path.c_str()));
    EXPECT_EQ(-1, rep.writeFile(nullptr));
    const Bytes kept = lrbtest::foca::readFile(path);
    EXPECT_EQ("old", std::string(kept.begin(), kept.end()));
    // A segment set again from null is missing again.
    rep.setTrailerSegment(reinterpret_cast<const uint8_t*>(""), 0);
    rep.setBinarySegment(nullptr, 5);
    EXPECT_EQ(0u, rep.getBinaryLength());
    EXPECT_EQ(-1, rep.writeFile(path.c_str()));
    rep.setBinarySegment(reinterpret_cast<const uint8_t*>("b"), 1);
    EXPECT_EQ(0, rep.writeFile(path.c_str()));
    const Bytes written = lrbtest::foca::readFile(path);
    EXPECT_EQ((Bytes{0x80, 1, 1, 0, 0, 0, 'a', 0x80, 2, 1, 0, 0, 0, 'b', 0x80, 1, 0, 0, 0, 0, 0x80, 3}), written);
}

TEST_F(PFBParserTest, UnwritablePathIsE098)
{
    qelType1PFBRepresentation rep;
    const uint8_t byte = 'x';
    rep.setClearTextSegment(&byte, 1);
    rep.setBinarySegment(&byte, 1);
    rep.setTrailerSegment(&byte, 1);
    try {
        rep.writeFile(m_folder.file("missing/dir/x.pfb").c_str());
        ADD_FAILURE() << "no error";
    } catch (qelException* e) {
        EXPECT_EQ(98, e->getId());
        delete e;
    }
}

} // namespace
