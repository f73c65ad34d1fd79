#include "FontModelFixture.h"

#include "qelAFPFont.h"
#include "qelException.h"
#include "qelFontHandle.h"
#include "qelFontMapper.h"
#include "qelList.h"
#include "qelNamePair.h"
#include "qelPDFFontRepresentation.h"

#include <cstring>
#include <memory>

namespace {

class TrueTypeRepresentation : public qelFontRepresentation
{
public:
    int getType() const override { return TYPE_TRUETYPE; }
};

class RecordingMapper : public qelFileFontMapper
{
public:
    qelAFPFont* mapCharacterSet(const char*, const char*) override { return nullptr; }
    qelAFPFont* mapCodedFont(const char*) override { return nullptr; }
    void mapFont(qelAFPFont* font, int target) override
    {
        mapped = font;
        this->target = target;
        fontName = font->getFontName() ? font->getFontName() : "";
    }
    qelAFPFont* mapped = nullptr;
    int target = -1;
    std::string fontName;
};

std::string describe(qelAFPFont& font)
{
    std::unique_ptr<char[]> text(font.describe());
    return text.get();
}

} // namespace

TEST_F(FontModelTest, NewFontsStartWithAnAFPRepresentation)
{
    qelAFPFont font;
    EXPECT_EQ(font.getType(), 3u);
    ASSERT_NE(font.getRepresentation(), nullptr);
    EXPECT_EQ(font.getRepresentation()->getType(), qelFontRepresentation::TYPE_AFP);
    EXPECT_EQ(font.getHeight(), -1);
    EXPECT_EQ(font.getWidth(), -1);
    EXPECT_STREQ(font.getEncoding(), "ANSI");
    EXPECT_EQ(font.getSize(), 100);
    EXPECT_EQ(font.getKind(), 0);

    qelAFPFont charSet("C0H20000", "T1V10500");
    EXPECT_STREQ(charSet.getName(), "C0H20000");
    EXPECT_STREQ(charSet.getCharacterSetName(), "C0H20000");
    EXPECT_STREQ(charSet.getCodePageName(), "T1V10500");
    qelAFPFont coded("X0GT10");
    EXPECT_STREQ(coded.getName(), "X0GT10");
    EXPECT_STREQ(coded.getCodedFontName(), "X0GT10");
    qelAFPFont pdf(new qelPDFFontRepresentation);
    EXPECT_EQ(pdf.getRepresentation()->getType(), qelFontRepresentation::TYPE_PDF);

    font.setHeight(120);
    EXPECT_EQ(font.getSize(), 120);
}

TEST_F(FontModelTest, IPSPropertiesOnOtherRepresentations)
{
    qelAFPFont font;
    font.setFGID("2308");
    font.setCharacterRotation(90);
    EXPECT_STREQ(font.getFGID(), "2308");
    EXPECT_EQ(font.getRotation(), 90);

    font.setRepresentation(new TrueTypeRepresentation);
    EXPECT_EQ(font.getFGID(), nullptr);
    EXPECT_EQ(font.getRotation(), 0);
    EXPECT_EQ(font.setOutlineFont(true), qelFontRepresentation::TYPE_TRUETYPE);
    EXPECT_FALSE(font.isOutlineFont());
    font.setFontName("Arial");
    EXPECT_STREQ(font.getFontName(), "Arial");
    EXPECT_STREQ(font.getRepresentation()->getName(), "Arial");

    font.setRepresentation(nullptr);
    try {
        font.getHeight();
        ADD_FAILURE() << "no E008";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 8);
        delete e;
    }
    font.setBold(true); // setters make a representation
    EXPECT_TRUE(font.isBold());
}

TEST_F(FontModelTest, PhysicalFontsByWholeSize)
{
    qelAFPFont font;
    EXPECT_EQ(font.findPhysicalFont(10.0f), nullptr);
    font.setPhysicalFont(10.2f, "X0A", "C0A", "T1A", "file", "", nullptr, nullptr, 7, 1);
    font.setPhysicalFont(12.0f, "X0B", "C0B", "T1B", nullptr, nullptr, nullptr, nullptr, 0);
    qelPhysicalFont* ten = font.findPhysicalFont(10.7f);
    ASSERT_NE(ten, nullptr);
    EXPECT_STREQ(ten->characterSetName, "C0A");
    EXPECT_EQ(ten->nameA, nullptr); // empty texts are kept as none
    EXPECT_EQ(ten->value, 7);
    EXPECT_EQ(ten->source, 1);

    font.setPhysicalFont(10.9f, "X0C", nullptr, "T1C", nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(font.getPhysicalFonts()->getCount(), 2);
    EXPECT_EQ(font.findPhysicalFont(10.0f), ten);
    EXPECT_STREQ(ten->codedFontName, "X0C");
    EXPECT_EQ(ten->characterSetName, nullptr);
    EXPECT_EQ(ten->fourthName, nullptr);
    EXPECT_EQ(font.findPhysicalFont(11.0f), nullptr);

    font.setKind(qelAFPFont::KIND_TYPE3);
    EXPECT_EQ(font.findPhysicalFont(99.0f), ten);
}

TEST_F(FontModelTest, TemporaryFilesGoWithTheFont)
{
    const std::string pfm = writeFile("a.pfm", {1});
    const std::string pfb = writeFile("a.pfb", {1});
    const std::string bar = writeFile("|b.pfb", {1});
    const std::string plainB = writeFile("b.pfb", {1});
    {
        qelAFPFont font;
        font.addTemporaryFiles((pfm + "|" + pfb).c_str());
        font.addTemporaryFiles(nullptr);
        font.addTemporaryFiles("|b.pfb");
    }
    EXPECT_FALSE(exists(pfm));
    EXPECT_FALSE(exists(pfb));
    EXPECT_TRUE(exists(plainB)); // "|b.pfb" is one name, not "b.pfb"
}

TEST_F(FontModelTest, ListingLines)
{
    qelAFPFont charSet("C0H20000", nullptr);
    charSet.setFound(1);
    charSet.setFontName("Helvetica");
    charSet.addAliasName("\"A\"");
    const std::string plain = describe(charSet);
    EXPECT_EQ(plain.find("CHS="), std::string::npos);
    EXPECT_NE(plain.find("C0H20000"), std::string::npos);
    EXPECT_NE(plain.find("AliasNameList=(Helvetica=A)\r\n"), std::string::npos);
    EXPECT_NE(plain.find("TypeFaceName=NULL\r\n"), std::string::npos);
    EXPECT_EQ(plain.find("Handle List"), std::string::npos);

    qelAFPFont coded("X0GT10");
    coded.setCodePageName("T1V10500");
    coded.setCharacterSetName("C0GT10");
    coded.setCodePageFound(true);
    coded.setFontName("Gothic");
    qelList pairs(&qelList::deleteAs<qelNamePair>);
    pairs.append(new qelNamePair("A", "B"));
    pairs.append(new qelNamePair("C", nullptr));
    coded.setAliasNames(&pairs);
    ini->setAttribute("OutputFormat", "TIFF");
    auto* handle = new qelFontHandle;
    handle->height = 10;
    handle->setFaceName("Gothic");
    handle->setCodePageName("T1V10500");
    coded.addFontHandle(handle);
    const std::string text = describe(coded);
    EXPECT_EQ(text.rfind("\r\n       X0GT10(*)    No      CHS=C0GT10 (Found=No)\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("CDP=T1V10500 (Found=Yes)"), std::string::npos);
    EXPECT_NE(text.find("AliasNameList=(Gothic=A:B,C)\r\n"), std::string::npos);
    EXPECT_NE(text.find("Handle List={Underline=False Height=10 Width=0 Rotation=0 CharRotation=0 "
                        "TypeFaceName=Gothic CDP=T1V10500} "),
              std::string::npos);

    // Many handles do not overflow the listing.
    for (int i = 0; i < 200; ++i) {
        auto* h = new qelFontHandle;
        h->setFaceName(std::string(300, 'T').c_str());
        coded.addFontHandle(h);
    }
    EXPECT_GT(describe(coded).size(), 200u * 300u);
}

TEST_F(FontModelTest, FontHandlesMatchTheRepresentation)
{
    qelAFPFont font;
    font.setHeight(100);
    font.setWidth(50);
    font.setCharacterRotation(90);
    auto* h = new qelFontHandle;
    h->height = 100;
    h->width = 50;
    h->rotation = 180;
    h->characterRotation = 90;
    h->setFaceName("Arial");
    h->setCodePageName("T1V10500");
    font.addFontHandle(nullptr);
    font.addFontHandle(h);
    EXPECT_EQ(font.findFontHandle(180, false, "t1v10500", "ARIAL"), h);
    EXPECT_EQ(font.findFontHandle(180, true, "T1V10500", "Arial"), nullptr);
    EXPECT_EQ(font.findFontHandle(0, false, "T1V10500", "Arial"), nullptr);
    EXPECT_EQ(font.findFontHandle(180, false, nullptr, "Arial"), nullptr);
    font.setHeight(110);
    EXPECT_EQ(font.findFontHandle(180, false, "T1V10500", "Arial"), nullptr);
}

TEST_F(FontModelTest, CodePointUsageRecordsByCodePageName)
{
    qelAFPFont font;
    EXPECT_EQ(font.findCodePointUsage("T1V10500"), nullptr);
    font.addCodePointUsage(nullptr);
    ASSERT_NE(font.getCodePointUsages(), nullptr);
    auto* record = new qelPDFFontFileEntry("T1V10500X");
    font.addCodePointUsage(record);
    EXPECT_STREQ(record->codePageName, "T1V10500");
    EXPECT_EQ(font.findCodePointUsage("t1v10500"), record);
    EXPECT_EQ(font.findCodePointUsage("T1V10037"), nullptr);
}

TEST_F(FontModelTest, DefaultFontNamesByOutputFormat)
{
    const struct {
        const char* format;
        const char* name;
        const char* expected;
    } cases[] = {
        {"PDF", "C0N20000", "Times-Roman"},     {"PDFA", "C0N20000", "Times New Roman"},
        {"TIFF", "C0N20000", "Times New Roman"}, {"PDF", "C0420000", "Courier"},
        {"PDFA", "C0420000", "Courier"},         {"TIFF", "C0420000", "Courier New"},
    };
    for (const auto& c : cases) {
        ini->setAttribute("OutputFormat", c.format);
        qelAFPFont font(c.name, "T1V10500");
        qelAFPFont::applyDefaultFontNames(&font);
        EXPECT_STREQ(font.getFontName(), c.expected) << c.format << " " << c.name;
        EXPECT_EQ(font.getSize(), 100);
    }

    qelAFPFont coded("DEFAULT");
    coded.setCharacterSetName("C0N20000");
    qelAFPFont::applyDefaultFontNames(&coded);
    EXPECT_EQ(coded.getFontName(), nullptr);

    qelAFPFont pdf(new qelPDFFontRepresentation);
    pdf.setCharacterSetName("C0N20000");
    qelAFPFont::applyDefaultFontNames(&pdf);
    EXPECT_EQ(pdf.getFontName(), nullptr);
}

TEST_F(FontModelTest, RenamingMapsForRasterOutput)
{
    qelAFPFont font;
    font.setName("Arial"); // the pool's mapper, nothing loaded: only the name
    EXPECT_STREQ(font.getFontName(), "Arial");
    auto* mapper = new RecordingMapper;
    qelGlobalDSPool::getInstance()->setFileFontMapper(mapper);
    font.setName("Verdana");
    EXPECT_EQ(mapper->mapped, &font);
    EXPECT_EQ(mapper->target, qelFileFontMapper::TARGET_RASTER);
    EXPECT_EQ(mapper->fontName, "Verdana");
}
