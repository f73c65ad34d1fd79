#include "qelAFPParser.h"
#include "qelGlobalDSPool.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Reads colour specifications from a field of its own.
class ColorReader : public qelAFPParser
{
public:
    ColorReader() : qelAFPParser(false)
    {
        m_colorValue = 0x777;
        m_log = qelGlobalDSPool::getInstance()->getLogStream();
    }
    ~ColorReader() override { delete m_currentSF; }
    void setField(const std::vector<uint8_t>& bytes)
    {
        delete m_currentSF;
        m_currentSF = new qelSFIBlock();
        auto* copy = new unsigned char[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        m_currentSF->setData(copy, static_cast<int>(bytes.size()));
    }
    int fieldLeft() { return m_currentSF->getRemainingLength(); }
};

// Reserved byte, space, 4 reserved bytes, 4 component sizes.
std::vector<uint8_t> header(uint8_t space, uint8_t bits, uint8_t bits1 = 0)
{
    return {0, space, 0, 0, 0, 0, bits1 ? bits1 : bits, bits, bits, bits};
}

TEST(ColorSpecificationTest, SpacesMasksAndShortSequences)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> field;
        uint8_t sequence; // bytes of the control sequence
        int32_t value;
        int32_t space;
        uint32_t kind;
        int fieldLeft;
    } cases[] = {
        {"RGB 8 bits", [] { auto b = header(1, 8); b.insert(b.end(), {0x12, 0x34, 0x56}); return b; }(), 13,
         0x563412, 1, 1, 0},
        {"RGB 4 bits masked", [] { auto b = header(1, 4); b.insert(b.end(), {0x12, 0x34, 0x56}); return b; }(), 13,
         0x060402, 1, 1, 0},
        {"CMYK", [] { auto b = header(4, 8); b.insert(b.end(), {0x11, 0x22, 0x33, 0x44}); return b; }(), 14,
         0x11223344, 2, 2, 0},
        {"highlight 16 bits", [] { auto b = header(6, 8, 16); b.insert(b.end(), {0x12, 0x34, 50, 60}); return b; }(),
         14, 0x1234, 3, 3, 0},
        {"standard OCA 8 bits", [] { auto b = header(0x40, 8); b.insert(b.end(), {0x00, 0x08}); return b; }(), 12, 0,
         5, 5, 0},
        {"CIELAB keeps the value", [] { auto b = header(8, 8); b.insert(b.end(), {1, 2, 3}); return b; }(), 13, 0x777,
         4, 5, 0},
        {"illegal space", header(2, 8), 10, 0x777, 5, 5, 0},
        {"colour bytes cut short", [] { auto b = header(1, 8); b.insert(b.end(), {0x12}); return b; }(), 11, 0x777, 1,
         5, 0},
        // A sequence shorter than its header: nothing is read past it.
        {"sequence of 4 bytes", [] { auto b = header(1, 8); b.insert(b.end(), {0x12, 0x34, 0x56}); return b; }(), 4,
         0x777, 1, 5, 9},
    };
    for (const Case& c : cases) {
        ColorReader reader;
        reader.setField(c.field);
        uint8_t remaining = c.sequence;
        reader.readColorSpecification(&remaining);
        EXPECT_EQ(reader.getColorValue(), c.value) << c.what;
        EXPECT_EQ(reader.getColorSpace(), c.space) << c.what;
        EXPECT_EQ(reader.getColorValueKind(), c.kind) << c.what;
        EXPECT_EQ(remaining, 0) << c.what;
        EXPECT_EQ(reader.fieldLeft(), c.fieldLeft) << c.what;
    }
}

TEST(ColorSpecificationTest, ImageColoursAreNamedInTheLog)
{
    char name[] = "/tmp/colorlogXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(0x02);
    log->open(name);
    {
        ColorReader reader;
        for (int v : {0xFF07, 0x0007, 0x0010})
            reader.logImageColor(v);
    }
    qelUtils::releaseGlobals();
    std::string text;
    if (FILE* f = std::fopen(name, "rb")) {
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    unlink(name);
    const size_t def = text.find("Color of the Image : Presentation-process default");
    const size_t invalid = text.find("Error! Invalid color value In Image object descriptor");
    const size_t brown = text.find("Color of the Image : Brown");
    EXPECT_NE(def, std::string::npos) << text;
    EXPECT_NE(invalid, std::string::npos) << text;
    EXPECT_NE(brown, std::string::npos) << text;
    EXPECT_LT(def, invalid);
    EXPECT_LT(invalid, brown);
}

} // namespace
