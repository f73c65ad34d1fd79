#include "../fonts/FontTestSupport.h"

#include "qelAFPFont.h"
#include "qelFileFontMapper.h"
#include "qelGlobalRes.h"
#include "qelPhysicalFont.h"

#include <memory>
#include <string>
#include <vector>

namespace
{
using FileFontMapperTest = FontFilesTest;

const char* kDefinition = "[XFONT]\n"
                          "X0H20000 = C0H20000, T1V10500\n"
                          "[CHARSET]\n"
                          "C0H20000 = 2308, 100, 73,1,0\n"
                          "DEFAULT  = 2309, 120, 80\n"
                          "[FGID]\n"
                          "2308 = Helvetica, SWISS, BOLD,1\n"
                          "[PDFFONT]\n"
                          "Helvetica=Swiss721:swiss.ttf,\"Arial\"\n";

std::vector<std::string> aliases(const qelAFPFont& font)
{
    std::vector<std::string> out;
    for (const auto& a : font.getAliasNames())
        out.push_back(a.first);
    return out;
}

qelFileFontMapper* mapper()
{
    return qelGlobalDSPool::getInstance()->getFileFontMapper();
}

TEST_F(FileFontMapperTest, NothingWithoutALoadedDefinition)
{
    EXPECT_EQ(mapper()->mapCharacterSet("C0H20000", "T1V10500"), nullptr);
    EXPECT_EQ(mapper()->mapCodedFont("X0H20000"), nullptr);
    EXPECT_TRUE(qelGlobalDSPool::getInstance()->hasObject(QEL_POOL_MAPPING_DEF));
    qelAFPFont font("C0H20000", "T1V10500");
    font.setHeight(50);
    mapper()->mapFont(&font, qelFileFontMapper::TARGET_ALL);
    EXPECT_EQ(font.getHeight(), 50);
}

TEST_F(FileFontMapperTest, CharacterSetThroughEveryStep)
{
    ini()->setOutputFormat("PDF");
    installMappingDef(kDefinition);
    std::unique_ptr<qelAFPFont> font(mapper()->mapCharacterSet("C0H20000", "T1V10500"));
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->getName(), "C0H20000");
    EXPECT_EQ(font->getHeight(), 100);
    EXPECT_EQ(font->getSize(), 100);
    EXPECT_EQ(font->getWidth(), 73);
    EXPECT_TRUE(font->isStrikeover());
    EXPECT_STREQ(font->getFGID(), "2308");
    EXPECT_STREQ(font->getFamilyName(), "SWISS");
    EXPECT_TRUE(font->isBold());
    EXPECT_TRUE(font->isItalic());
    EXPECT_STREQ(font->getTypefaceName(), "Helvetica");
    EXPECT_STREQ(font->getFontName(), "Swiss721");
    EXPECT_EQ(aliases(*font), (std::vector<std::string>{"Swiss721", "Arial"}));
}

TEST_F(FileFontMapperTest, CodedFontNames)
{
    installMappingDef(kDefinition);
    std::unique_ptr<qelAFPFont> font(mapper()->mapCodedFont("X0H20000"));
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->getCharacterSetName(), "C0H20000");
    EXPECT_STREQ(font->getCodePageName(), "T1V10500");
    EXPECT_EQ(font->getHeight(), 100);

    EXPECT_EQ(mapper()->mapCodedFont("C0H20000"), nullptr);
    EXPECT_NE(output().find("Warning! Invalid Coded Font Name (C0H20000), using array font mapping.\n"),
              std::string::npos);
    EXPECT_EQ(mapper()->mapCodedFont("X0NOSUCH"), nullptr); // no [XFONT] entry, no DEFAULT one
}

TEST_F(FileFontMapperTest, DefaultCharacterSetEntryOnlyForFontsNotFromALibrary)
{
    installMappingDef(kDefinition);
    struct Case
    {
        bool fromLibrary;
        int height;
        int expected;
        bool warned;
    } cases[] = {{true, 0, 0, false}, {false, 0, 120, true}, {false, 90, 90, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fromLibrary) + " " + std::to_string(c.height));
        const long before = static_cast<long>(output().size());
        qelAFPFont font("C0ZZZZZZ", "T1V10500");
        font.setFound(c.fromLibrary ? 1 : 0);
        font.setHeight(c.height);
        mapper()->mapFont(&font, qelFileFontMapper::STEP_CHARSET);
        EXPECT_EQ(font.getHeight(), c.expected);
        const bool warned = output().find("Warning! Character set C0ZZZZZZ not found in mapping.def, using DEFAULT CS.",
                                          static_cast<size_t>(before))
                            != std::string::npos;
        EXPECT_EQ(warned, c.warned);
    }
}

TEST_F(FileFontMapperTest, CodedFontStepLeavesOtherNamesAlone)
{
    installMappingDef(kDefinition);
    qelAFPFont font("C0H20000");
    font.setCharacterSetName("C0OTHER0");
    mapper()->mapFont(&font, qelFileFontMapper::TARGET_CODED_FONTS);
    EXPECT_STREQ(font.getCharacterSetName(), "C0OTHER0");
    EXPECT_EQ(font.getCodePageName(), nullptr);

    qelAFPFont coded("X0H20000");
    mapper()->mapFont(&coded, qelFileFontMapper::TARGET_CODED_FONTS);
    EXPECT_STREQ(coded.getCharacterSetName(), "C0H20000");
}

TEST_F(FileFontMapperTest, StepErrorEndsTheRemainingSteps)
{
    installMappingDef(kDefinition);
    qelAFPFont font("C0H20000", "T1V10500");
    font.setRepresentation(nullptr);
    mapper()->mapFont(&font, qelFileFontMapper::TARGET_ALL); // E008 at the second step: swallowed
    EXPECT_EQ(font.getRepresentation(), nullptr);
}

TEST_F(FileFontMapperTest, AFPOutputFallsBackToBuiltInOutlineFonts)
{
    ini()->setOutputFormat("AFP");
    ini()->setCodedOutput(true);
    installMappingDef("[CHARSET]\nC0H20000 = 2308, 100, 73\n");
    struct Case
    {
        bool bold;
        bool italic;
        const char* charSet;
    } cases[] = {{false, false, "CZH200"}, {true, false, "CZH400"}, {false, true, "CZH300"}, {true, true, "CZH500"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charSet);
        qelAFPFont font("C0H20000", "T1V10500");
        font.setHeight(100);
        font.setBold(c.bold);
        font.setItalic(c.italic);
        font.setFontName("Helvetica");
        mapper()->mapFont(&font, qelFileFontMapper::TARGET_RASTER);
        qelPhysicalFont* physical = font.findPhysicalFont(100.0f);
        ASSERT_NE(physical, nullptr);
        EXPECT_STREQ(physical->characterSetName, c.charSet);
        EXPECT_STREQ(physical->codePageName, "T1001141");
        EXPECT_EQ(physical->source, qelPhysicalFont::SOURCE_BUILT_IN);
        EXPECT_TRUE(font.getCharacterSetFound());
        EXPECT_TRUE(font.getCodePageFound());
    }
}

// Renaming a font maps it for the raster outputs; the resource name stays.
TEST_F(FileFontMapperTest, RenamingMapsTheFont)
{
    ini()->setOutputFormat("PDF");
    installMappingDef(kDefinition);
    qelAFPFont font("C0H20000", "T1V10500");
    font.setName("Helvetica");
    EXPECT_STREQ(font.getName(), "C0H20000");
    EXPECT_STREQ(font.getFontName(), "Swiss721");
    EXPECT_EQ(aliases(font), (std::vector<std::string>{"Swiss721", "Arial"}));
}

// A font for an external font file keeps its resource name.
TEST_F(FileFontMapperTest, FontFromFileKeepsItsResourceName)
{
    ini()->setOutputFormat("PDF");
    installMappingDef(kDefinition);
    qelGlobalRes* res = qelGlobalDSPool::getInstance()->getGlobalRes();
    qelAFPFont* font = res->getFontFromFile("7", "Helvetica", "Helvetica", false, false, 100.0f);
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->getName(), "7");
    EXPECT_STREQ(font->getFontName(), "Swiss721");
    EXPECT_EQ(res->getFontFromFile("7", "Helvetica", "Helvetica", false, false, 100.0f), font);
}
}
