#include "ScratchFolder.h"

#include "qelAFPFont.h"
#include "qelASCIIVisitor.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSFontRepresentation.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelTextObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class TextFontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_log = m_folder->file("run.log");
    }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        m_folder.reset();
    }
    static qelLogStream* log() { return qelGlobalDSPool::getInstance()->getLogStream(); }
    void openLog()
    {
        log()->setLevel("FONT");
        log()->open(m_log.c_str());
        ASSERT_NE(nullptr, log()->getFile());
    }
    std::string logText()
    {
        log()->close();
        std::ifstream in(m_log, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    FILE* m_messages = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_log;
};

// A raster character set bound with its code page to a text "Hi".
struct Binding
{
    qelAFPFont font{"C0H20000", "T1V10500"};
    qelCodePage codePage{"T1V10500", nullptr};
    qelMappedRes mapping{1, 3, "X0H20000"};
    qelTextObject text;
    qelPDFFontFileEntry* record = new qelPDFFontFileEntry("T1V10500");

    Binding()
    {
        font.setCharacterSetFound(true);
        font.getIPSRepresentation()->setPatternTechnology(qelIPSFontRepresentation::TECH_RASTER);
        font.addCodePointUsage(record);
        record->usedCount = 2;
        mapping.setFont(&font);
        mapping.setCodePage(&codePage);
        mapping.setCodePageName("T1V10500");
        text.setFontMapping(&mapping);
        text.setText("Hi");
    }
};

TEST_F(TextFontTest, RasterRenderingDecision)
{
    struct Case
    {
        const char* what;
        std::function<void(Binding&)> change;
        bool expected;
        const char* logged;
    };
    const Case cases[] = {
        {"raster font with codes seen", [](Binding&) {}, true, nullptr},
        {"no codes seen", [](Binding& b) { b.record->usedCount = 0; }, false,
         "\n==>CS=C0H20000, CP=T1V10500, Text=>Hi< Warning! Rasterization not done, font is subsituted. GCCID "
         "information for characters not available."},
        {"empty text needs no codes",
         [](Binding& b) {
             b.record->usedCount = 0;
             b.text.setText("");
         },
         true, nullptr},
        {"Type 3 font of the PDF output", [](Binding& b) { b.record->pdfFontKind = 4; }, true, nullptr},
        {"kind 6", [](Binding& b) { b.record->pdfFontKind = 6; }, true, nullptr},
        {"marked by object logging", [](Binding& b) { b.record->pdfFontKind = 9; }, false, nullptr},
        {"outline font without its program",
         [](Binding& b) {
             b.font.getIPSRepresentation()->setPatternTechnology(qelIPSFontRepresentation::TECH_TYPE1_OUTLINE);
         },
         false,
         "\n==>CS=C0H20000, CP=T1V10500, Text=>Hi< Warning! Rasterization not done. Outline Font Data not found."},
        {"outline font with its program",
         [](Binding& b) {
             b.font.getIPSRepresentation()->setPatternTechnology(qelIPSFontRepresentation::TECH_TYPE1_OUTLINE);
             const uint8_t program[] = {0x80, 0x01};
             b.font.getRepresentation()->appendFontData(program, 2);
         },
         true, nullptr},
        {"CID outline font",
         [](Binding& b) {
             b.font.getIPSRepresentation()->setPatternTechnology(qelIPSFontRepresentation::TECH_CID_OUTLINE);
         },
         false, "\n==>CS=C0H20000, CP=T1V10500, Text=>Hi< Warning! Rasterization not done. Font is not a Raster font."},
        {"character set not found",
         [](Binding& b) {
             b.font.setCharacterSetFound(false);
             b.font.addCodePointUsage(new qelPDFFontFileEntry("ALLCDEPG"));
         },
         false,
         "\n==>CS=C0H20000, CP=T1V10500, Text=>Hi< Warning! Rasterization not done, font is subsituted. Character Set "
         "C0H20000 not found."},
        {"code page not found",
         [](Binding& b) {
             b.mapping.setCodePage(nullptr);
             b.font.addCodePointUsage(new qelPDFFontFileEntry("ALLCDEPG"));
         },
         false, "Warning! Rasterization not done, font is subsituted. Code page T1V10500 not found."},
        {"DEFAULT character set", [](Binding& b) { b.font.setCharacterSetName("default"); }, false, nullptr},
        {"coded font without its character set resource", [](Binding& b) { b.font.setCodedFontName("X0H20000"); },
         false, nullptr},
    };
    for (const Case& c : cases) {
        openLog();
        Binding b;
        c.change(b);
        qelASCIIVisitor v;
        EXPECT_EQ(c.expected, v.resolveTextFont(&b.text, &b.font)) << c.what;
        const std::string text = logText();
        if (c.logged)
            EXPECT_NE(std::string::npos, text.find(c.logged)) << c.what << "\n" << text;
        else
            EXPECT_EQ(std::string::npos, text.find("Warning!")) << c.what << "\n" << text;
    }
    qelASCIIVisitor v;
    EXPECT_FALSE(v.resolveTextFont(nullptr, nullptr));
}

TEST_F(TextFontTest, CodedFontUsesItsCharacterSetResource)
{
    openLog();
    Binding b;
    auto* charSet = new qelAFPFont("C0H20000", "T1V10500");
    charSet->setCharacterSetFound(true);
    charSet->getIPSRepresentation()->setPatternTechnology(qelIPSFontRepresentation::TECH_RASTER);
    auto* record = new qelPDFFontFileEntry("T1V10500");
    record->usedCount = 1;
    charSet->addCodePointUsage(record);
    qelGlobalDSPool::getInstance()->getGlobalRes()->addResource(charSet);

    b.font.setCodedFontName("X0H20000");
    qelASCIIVisitor v;
    b.font.setCodedFontFound(false);
    EXPECT_FALSE(v.resolveTextFont(&b.text, &b.font));
    b.font.setCodedFontFound(true);
    EXPECT_TRUE(v.resolveTextFont(&b.text, &b.font));
    EXPECT_NE(std::string::npos,
              logText().find("\n==>CF=X0H20000, CS=C0H20000, CP=T1V10500, Text=>Hi< Warning! Rasterization not done, "
                             "font is subsituted. Coded Font X0H20000 not found."));
}

TEST_F(TextFontTest, MissingUsageRecordThrows)
{
    Binding b;
    qelAFPFont other("C0H20001", "T1V10037");
    other.setCharacterSetFound(true);
    qelASCIIVisitor v;
    try {
        v.resolveTextFont(&b.text, &other);
        ADD_FAILURE() << "no E095";
    } catch (qelException* e) {
        EXPECT_EQ(95, e->getId());
        delete e;
    }
}

TEST_F(TextFontTest, TextAdvancesFromWidths)
{
    std::vector<uint16_t> widths(256, 0);
    widths[0x40] = 50;
    widths[0xC1] = 100;
    struct Case
    {
        const char* what;
        std::vector<unsigned char> text;
        float space, spacing, factor;
        std::vector<float> advances;
        float total;
    };
    const Case cases[] = {
        {"widths times factor", {0xC1, 0xC1}, 0, 0, 2, {200, 200}, 400},
        {"spaces without increment take the 0x40 width", {0x40, 0x40, 0x40}, 0, 0, 1, {50, 50, 50}, 150},
        {"space increment", {0xC1, 0x40, 0xC1}, 30, 0, 1, {100, 30, 100}, 230},
        {"unknown code takes the 0x40 width", {0xC2}, 0, 0, 1, {50}, 50},
        {"character spacing except after the last", {0xC1, 0xC1}, 0, 5, 1, {105, 100}, 205},
    };
    for (const Case& c : cases) {
        std::vector<float> out(c.text.size());
        const float total = computeTextAdvances(c.text.data(), static_cast<int>(c.text.size()), widths.data(), c.space,
                                                c.spacing, c.factor, out.data());
        EXPECT_FLOAT_EQ(c.total, total) << c.what;
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_FLOAT_EQ(c.advances[i], out[i]) << c.what << " byte " << i;
    }
}

TEST_F(TextFontTest, MeasuringAndMappingNeedFontMetric)
{
    // The option is accepted and ignored, so the metrics paths stay off.
    qelGlobalDSPool::getInstance()->getIni()->setAttribute("FontMetric", "on");
    Binding b;
    std::vector<uint16_t> widths(256, 10);
    qelMFMFile record;
    record.setHeader(new uint8_t[qelMFMFile::kHeaderSize]());
    float* out = nullptr;
    qelASCIIVisitor v;
    EXPECT_FLOAT_EQ(-1.0f, v.computeTextExtent(&b.text, widths.data(), &record, &out, 0));
    EXPECT_EQ(nullptr, out);
    b.font.setMetricsRecord(&record);
    v.mapTextFont(&b.font, &b.mapping);
    EXPECT_EQ(nullptr, v.getMappedFontRecord());
}

} // namespace
