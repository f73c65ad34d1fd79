// Texts written by the PDF visitor: font choice, text state, positions and
// orientations, score lines, and the font descriptors of substitute fonts.
#include "PdfVisitorSupport.h"
#include "ScratchTest.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelCodePage.h"
#include "qelMappingDef.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelHashIdMap.h"
#include "qelIPSFontRepresentation.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelResourceAliasName.h"
#include "qelTTFRepresentation.h"
#include "qelTextObject.h"
#include "qelType1PFMRepresentation.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <memory>
#include <regex>

using namespace pdfvtest;
using lrbtest::raised;
using lrbtest::Raised;

namespace {

// A coded font carried by the text itself (no page font mapping), with a
// family name, style and height in tenths of a point.
std::unique_ptr<qelAFPFont> makeFont(const char* family, bool bold, bool italic, int height = 100)
{
    auto font = std::make_unique<qelAFPFont>("C0TEST00", "T1V10500");
    font->setFontName(family);
    font->setBold(bold);
    font->setItalic(italic);
    font->setHeight(height);
    return font;
}

std::unique_ptr<qelTextObject> makeText(qelAFPFont* font, const char* display, float x, float y, uint16_t iAxis = 0,
                                        uint16_t bAxis = 90)
{
    auto text = std::make_unique<qelTextObject>(qelPoint{}, nullptr, reinterpret_cast<const unsigned char*>(display),
                                                display, static_cast<uint16_t>(std::strlen(display)), iAxis, bAxis, 0);
    text->setPosition(x, y);
    text->setResolution(240);
    text->setAbsoluteInlineFlag(1);
    text->setAbsoluteBaselineFlag(1);
    text->setWordSpacing(65535.0f);
    text->setCharacterSpacing(65535.0f);
    text->setFont(font);
    return text;
}

// Text objects of a content stream, BT to ET.
std::vector<std::string> textObjects(const std::string& content)
{
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = content.find("BT\n", at)) != std::string::npos) {
        const size_t end = content.find("ET\n", at);
        if (end == std::string::npos)
            break;
        out.push_back(content.substr(at, end + 3 - at));
        at = end + 3;
    }
    return out;
}

class TextTest : public PdfVisitorTest
{
protected:
    TestPage page{1, 1975, 2806, 240};
};

} // namespace

TEST(StandardFontTable, FamiliesAndStyles)
{
    struct Case
    {
        const char* family;
        const char* weight;
        bool italic;
        const char* expected;
    } cases[] = {
        {"Times", "BOLD", true, "Times-BoldItalic"},   {"times-roman", "MEDIUM", false, "Times-Roman"},
        {"Helvetica", "bold", false, "Helvetica-Bold"}, {"Courier", "MEDIUM", true, "Courier-Oblique"},
        {"Symbol", "BOLD", false, ""},                  {"ZapfChancery-MediumItalic", "MEDIUM", false, "ZapfChancery-MediumItalic"},
        {"Unknown", "MEDIUM", false, ""},               {"", "MEDIUM", false, ""},
        {"Arial", "BOLD", true, "Arial-BoldItalic"},
        // Names that carry their style keep it.
        {"Times-Bold", "BOLD", false, "Times-Bold"},    {"Times-Bold", "MEDIUM", true, "Times-BoldItalic"},
        {"Helvetica-Oblique", "MEDIUM", true, "Helvetica-Oblique"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lookupStandardFontName(c.family, c.weight, c.italic), c.expected) << c.family;
}

TEST_F(TextTest, SubstituteFontsByFamilyAndStyleWithHelveticaFallback)
{
    if (!toolAvailable("pdffonts"))
        GTEST_SKIP() << "pdffonts missing";
    auto times = makeFont("Times", true, true, 120);
    auto symbol = makeFont("Symbol", true, false);
    auto t1 = makeText(times.get(), "Bold italic", 240, 240);
    auto t2 = makeText(symbol.get(), "Fallback", 240, 480);
    // Same character set name, another family: a font of its own.
    auto courier = makeFont("Courier", false, false);
    auto t3 = makeText(courier.get(), "Fixed", 240, 720);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(t1.get());
        v.writeTextObject(t2.get());
        v.writeTextObject(t3.get());
    });
    const std::string fonts = run("pdffonts " + pdf).output;
    EXPECT_NE(fonts.find("Courier "), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("Times-BoldItalic"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("Helvetica-Bold"), std::string::npos) << fonts;
    const std::string content = contentOf(pdf);
    EXPECT_NE(content.find(" 12.000 Tf"), std::string::npos);
    EXPECT_NE(content.find("(Bold italic) Tj"), std::string::npos);
    EXPECT_NE(content.find("(Fallback) Tj"), std::string::npos);
}

TEST_F(TextTest, SpacingIsSetInsideTheTextObjectAndResetBeforeItsEnd)
{
    auto font = makeFont("Helvetica", false, false);
    auto spaced = makeText(font.get(), "a b", 240, 240);
    spaced->setCharacterSpacing(24.0f); // 7.2 points at 240 units per inch
    spaced->setWordSpacing(60.0f);      // 18 points for a blank
    auto noBlank = makeText(font.get(), "ab", 240, 480);
    noBlank->setWordSpacing(60.0f);
    auto unset = makeText(font.get(), "a b", 240, 720);
    unset->setCharacterSpacing(0.0f);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(spaced.get());
        v.writeTextObject(noBlank.get());
        v.writeTextObject(unset.get());
    });
    const std::vector<std::string> objects = textObjects(contentOf(pdf));
    ASSERT_EQ(objects.size(), 3u);
    // Helvetica's space is 0.278 em: 18 - 2.78 at 10 points.
    EXPECT_NE(objects[0].find("7.200 Tc"), std::string::npos) << objects[0];
    EXPECT_NE(objects[0].find("15.220 Tw"), std::string::npos) << objects[0];
    EXPECT_LT(objects[0].find(") Tj"), objects[0].find("0.000 Tw"));
    EXPECT_LT(objects[0].find(") Tj"), objects[0].find("0.000 Tc"));
    EXPECT_EQ(objects[1].find("Tw"), std::string::npos) << objects[1];
    EXPECT_EQ(objects[2].find("Tc"), std::string::npos) << objects[2];
    EXPECT_EQ(objects[2].find("Tw"), std::string::npos) << objects[2];
}

TEST_F(TextTest, OrientationsTurnTheTextMatrix)
{
    auto font = makeFont("Helvetica", false, false);
    struct Case
    {
        uint16_t iAxis, bAxis;
        const char* matrix;
    } cases[] = {{0, 90, "1.0000 0.0000 -0.0000 1.0000"},
                 {90, 180, "-0.0000 -1.0000 1.0000 -0.0000"},
                 {180, 270, "-1.0000 -0.0000 0.0000 -1.0000"},
                 {270, 0, "0.0000 1.0000 -1.0000 0.0000"}};
    std::vector<std::unique_ptr<qelTextObject>> texts;
    for (const Case& c : cases)
        texts.push_back(makeText(font.get(), "Turn", 960, 960, c.iAxis, c.bAxis));
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        for (auto& t : texts)
            v.writeTextObject(t.get());
    });
    const std::vector<std::string> objects = textObjects(contentOf(pdf));
    ASSERT_EQ(objects.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        std::regex tm(R"((\S+) (\S+) (\S+) (\S+) \S+ \S+ Tm)");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(objects[i], m, tm)) << objects[i];
        // Compare signs and magnitudes without caring for a negative zero.
        auto norm = [](std::string s) { return s == "-0.0000" ? std::string("0.0000") : s; };
        std::string got = norm(m[1]) + " " + norm(m[2]) + " " + norm(m[3]) + " " + norm(m[4]);
        std::string want;
        std::istringstream in(cases[i].matrix);
        for (std::string part; in >> part;)
            want += (want.empty() ? "" : " ") + norm(part);
        EXPECT_EQ(got, want) << "I-axis " << cases[i].iAxis;
    }
}

TEST_F(TextTest, RemovedTextMovesOnAndKeepsItsUnderscore)
{
    auto font = makeFont("Helvetica", false, false);
    auto removed = makeText(font.get(), "Gone", 240, 240);
    removed->setRemoved(1);
    removed->setUnderline(1);
    auto over = makeText(font.get(), "Struck", 240, 480);
    over->setOverstrike(1);
    qelPoint afterRemoved{};
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(removed.get());
        afterRemoved = v.getTransformer()->getPosition();
        v.writeTextObject(over.get());
    });
    const std::string content = contentOf(pdf);
    EXPECT_EQ(content.find("(Gone) Tj"), std::string::npos);
    EXPECT_NE(content.find("(Struck) Tj"), std::string::npos);
    // "Gone" in 10-point Helvetica is 24.46 points = 81.53 units wide.
    EXPECT_NEAR(afterRemoved.x, 240.0f + 81.53f, 0.1f);
    // Underscore 0.5 points wide at 1 point below the baseline (7.5 % of
    // the size plus half the line); overstrike at half the size above it.
    std::regex stroke(R"(([\d.]+) w\n([\d.]+) ([\d.]+) m\n([\d.]+) ([\d.]+) l\nS)");
    std::vector<std::smatch> lines;
    for (auto it = std::sregex_iterator(content.begin(), content.end(), stroke); it != std::sregex_iterator(); ++it)
        lines.push_back(*it);
    ASSERT_EQ(lines.size(), 2u) << content;
    const float baseline1 = 2806.0f - 240.0f, baseline2 = 2806.0f - 480.0f; // page units from the bottom
    EXPECT_NEAR(std::stof(lines[0][1]), 0.5f, 0.001f);
    EXPECT_NEAR(std::stof(lines[0][3]), (baseline1 - 3.33f) * 0.3f, 0.05f);
    EXPECT_NEAR(std::stof(lines[0][4]) - std::stof(lines[0][2]), 24.46f, 0.05f);
    EXPECT_NEAR(std::stof(lines[1][3]), (baseline2 + 16.67f) * 0.3f, 0.05f);
}

TEST_F(TextTest, SpacesOfAZeroWidthGlyphArePlacedByTheIncrement)
{
    // A font whose space glyph has no width: no horizontal scaling can widen
    // it, so the run after the spaces starts one increment per space later.
    std::vector<uint16_t> widths(256, 500);
    widths[0x40] = 0;
    auto font = makeFont("Helvetica", false, false);
    const unsigned char codes[] = {0xC1, 0x40, 0x40, 0xC2};
    auto text = makeText(font.get(), "A  B", 240, 240);
    text->setCodePointText(codes);
    text->setWordSpacing(48.0f); // 14.4 points per space
    float endX = 0;
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.computeTextPosition(text.get());
        text->setAngle(0, false);
        opdf_beginText(v.getDocContext());
        ASSERT_EQ(0, opdf_setFontUsingStream(v.getDocContext(), 0, "ZW", "Helvetica", nullptr, 10.0f, 0, 255,
                                             widths.data(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1));
        v.writeVSpaceTextUsingAFPFont(text.get(), font.get());
        opdf_endText(v.getDocContext());
        endX = v.getTransformer()->getX();
    });
    const std::string content = contentOf(pdf);
    EXPECT_EQ(content.find("inf"), std::string::npos);
    EXPECT_EQ(content.find("Tz"), std::string::npos);
    // A (5 points) + 2 x 14.4 + B (5 points) = 38.8 points = 129.33 units.
    EXPECT_NEAR(endX, 240.0f + 129.33f, 0.1f);
    std::regex tm(R"(\S+ \S+ \S+ \S+ ([\d.]+) [\d.]+ Tm\n<c2> Tj)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(content, m, tm)) << content;
    EXPECT_NEAR(std::stof(m[1]), 72.0f + 5.0f + 28.8f, 0.01f);
}

TEST_F(TextTest, SpacesAreWidenedToTheIncrementByScaling)
{
    std::vector<uint16_t> widths(256, 500);
    widths[0x40] = 250;
    auto font = makeFont("Helvetica", false, false);
    const unsigned char codes[] = {0xC1, 0x40, 0x40, 0xC2};
    auto text = makeText(font.get(), "A  B", 240, 240);
    text->setCodePointText(codes);
    text->setWordSpacing(30.0f); // 9 points: 360 % of a 2.5-point space
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.computeTextPosition(text.get());
        text->setAngle(0, false);
        opdf_beginText(v.getDocContext());
        ASSERT_EQ(0, opdf_setFontUsingStream(v.getDocContext(), 0, "SP", "Helvetica", nullptr, 10.0f, 0, 255,
                                             widths.data(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1));
        v.writeVSpaceTextUsingAFPFont(text.get(), font.get());
        opdf_endText(v.getDocContext());
    });
    const std::string content = contentOf(pdf);
    const size_t scaled = content.find("360.00 Tz");
    ASSERT_NE(scaled, std::string::npos) << content;
    const size_t spaces = content.find("(@@) Tj");
    ASSERT_NE(spaces, std::string::npos) << content;
    EXPECT_LT(scaled, spaces);
    EXPECT_LT(spaces, content.find("100.00 Tz"));
}

TEST_F(TextTest, TrueTypeDescriptorTakesTheFontTables)
{
    const char* file = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    if (!fileExists(file))
        GTEST_SKIP() << file << " missing";
    qelPDFVisitor v;
    std::unique_ptr<qelFontRepresentation> rep(v.loadExternalFont(file, 5, true));
    ASSERT_TRUE(rep);
    PDFFontDescriptor d;
    std::memset(&d, 0, sizeof d);
    v.fillFontDescriptor(rep.get(), &d);
    // 2048 units per em: hhea 1854 / -434, OS/2 version 3 with cap height
    // 1409 and x height 1082, head box -1114 -621 2666 2007; weight 400.
    EXPECT_EQ(d.Ascent, 905);
    EXPECT_EQ(d.Descent, -212);
    EXPECT_EQ(d.CapHeight, 688);
    EXPECT_EQ(d.XHeight, 528);
    EXPECT_EQ(d.FontBBox[0], -544);
    EXPECT_EQ(d.FontBBox[1], -303);
    EXPECT_EQ(d.FontBBox[2], 1302);
    EXPECT_EQ(d.FontBBox[3], 980);
    EXPECT_EQ(d.StemV, 50 + 6 * 6);
    EXPECT_EQ(d.StemH, -1);
}

TEST_F(TextTest, PFMDescriptorWritesTheDescenderBelowTheBaseline)
{
    qelType1PFMRepresentation pfm;
    uint8_t* header = new uint8_t[qelType1PFMRepresentation::HEADER_SIZE]();
    header[74] = 0xD0; // ascent 720
    header[75] = 0x02;
    pfm.setHeader(header);
    uint8_t* ext = new uint8_t[qelType1PFMRepresentation::EXT_METRICS_SIZE]();
    ext[14] = 0xBC; // cap height 700
    ext[15] = 0x02;
    ext[20] = 0xD2; // descender 210, stored positive
    ext[22] = 0x9C; // slant -100: -10 degrees
    ext[23] = 0xFF;
    pfm.setExtTextMetrics(ext);
    qelPDFVisitor v;
    PDFFontDescriptor d;
    std::memset(&d, 0, sizeof d);
    v.fillFontDescriptor(&pfm, &d);
    EXPECT_EQ(d.Ascent, 720);
    EXPECT_EQ(d.CapHeight, 700);
    EXPECT_EQ(d.Descent, -210);
    EXPECT_FLOAT_EQ(d.ItalicAngle, -10.0f);
}

TEST_F(TextTest, ExternalSubstituteFontsAreReferencedOrEmbedded)
{
    const char* dir = "/usr/share/fonts/truetype/dejavu/";
    if (!fileExists(std::string(dir) + "DejaVuSans.ttf") || !toolAvailable("pdffonts"))
        GTEST_SKIP() << "DejaVuSans or pdffonts missing";
    ini()->setExtFontPath(dir);
    auto referenced = makeFont("DejaVuSans", false, false);
    auto embedded = makeFont("DejaVuSans", false, false);
    embedded->setCharacterSetName("C0EMBED0");
    auto t1 = makeText(referenced.get(), "Referenced", 240, 240);
    auto t2 = makeText(embedded.get(), "Embedded", 240, 480);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(t1.get());
        v.computeTextPosition(t2.get());
        t2->setAngle(0, false);
        v.writeTextUsingSub(t2.get(), 2);
    });
    EXPECT_EQ(run("qpdf --check " + pdf).status, 0);
    const std::string fonts = run("pdffonts " + pdf).output;
    EXPECT_NE(fonts.find("DejaVuSans                           TrueType          WinAnsi          no"), std::string::npos)
        << fonts;
    EXPECT_NE(fonts.find("TrueType          WinAnsi          yes"), std::string::npos) << fonts;
    EXPECT_EQ(run("pdftotext " + pdf + " - | tr -s ' \\n\\f' ' '").output, "Referenced Embedded ");
}

TEST_F(TextTest, SymbolicSubstituteNamesNoBaseEncoding)
{
    const char* dir = "/usr/share/fonts/truetype/dejavu/";
    if (!fileExists(std::string(dir) + "DejaVuSans.ttf"))
        GTEST_SKIP() << "DejaVuSans missing";
    ini()->setExtFontPath(dir);
    auto font = makeFont("DejaVuSans", false, false);
    font->setEncoding("SYMBOL");
    auto text = makeText(font.get(), "abc", 240, 240);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) { v.writeTextObject(text.get()); });
    const std::string content = contentOf(pdf);
    EXPECT_EQ(content.find("/Symbol"), std::string::npos);
    EXPECT_EQ(content.find("/BaseEncoding"), std::string::npos);
    EXPECT_NE(content.find("/BaseFont /DejaVuSans"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(content, m, std::regex(R"(/Flags (\d+))"))) << content;
    EXPECT_EQ(m[1], "4");
}

TEST_F(TextTest, WidthFactorScalesTheTextUntilAFontWithout)
{
    auto narrow = makeFont("Helvetica", false, false);
    auto plain = makeFont("Courier", false, false);
    qelMappedRes m1(1, 3, "C0TEST00");
    m1.setFont(narrow.get());
    auto* info = new qelMappedFontInfo;
    info->setHorizontalScale(0.8f);
    m1.setFontInfo(info);
    qelMappedRes m2(2, 3, "C0TEST01");
    m2.setFont(plain.get());
    auto t1 = makeText(nullptr, "Narrow", 240, 240);
    t1->setFontMapping(&m1);
    auto t2 = makeText(nullptr, "Plain", 240, 480);
    t2->setFontMapping(&m2);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(t1.get());
        v.writeTextObject(t2.get());
    });
    const std::string content = contentOf(pdf);
    const size_t narrowed = content.find("80.00 Tz");
    const size_t back = content.find("100.00 Tz");
    ASSERT_NE(narrowed, std::string::npos) << content;
    ASSERT_NE(back, std::string::npos) << content;
    EXPECT_LT(narrowed, content.find("(Narrow) Tj"));
    EXPECT_LT(content.find("(Narrow) Tj"), back);
    EXPECT_LT(back, content.find("(Plain) Tj"));
}

TEST_F(TextTest, DefaultFontIsSelectedOnce)
{
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        opdf_beginText(v.getDocContext());
        v.setDefPDFFont();
        v.setDefPDFFont();
        opdf_endText(v.getDocContext());
    });
    const std::string content = contentOf(pdf);
    const size_t first = content.find(" 10.000 Tf");
    ASSERT_NE(first, std::string::npos) << content;
    EXPECT_EQ(content.find(" Tf", first + 10), std::string::npos) << content;
}

TEST_F(TextTest, RasterFontWithoutUsageRecordIsE095)
{
    auto font = makeFont("Helvetica", false, false);
    static_cast<qelIPSFontRepresentation*>(font->getRepresentation())->setPatternTechnology(5);
    auto text = makeText(font.get(), "Raster", 240, 240);
    int id = 0;
    runPage(page, [&](qelPDFVisitor& v) {
        try {
            v.setType3Font(text.get(), font.get());
        } catch (qelException* e) {
            id = e->getId();
            delete e;
        }
    });
    EXPECT_EQ(id, 95);
}

TEST_F(TextTest, TextsAndTheirFontsAreLogged)
{
    const std::string path = tempPath(".log");
    m_files.push_back(path);
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevel("ALL");
    log->open(path.c_str());
    ASSERT_NE(nullptr, log->getFile());
    auto font = makeFont("Times", false, false);
    auto shown = makeText(font.get(), "Shown", 240, 240);
    auto removed = makeText(font.get(), "Hidden", 240, 480);
    removed->setRemoved(1);
    runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(shown.get());
        v.writeTextObject(removed.get());
    });
    log->close();
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(">Shown< "), std::string::npos) << text.str();
    EXPECT_NE(text.str().find(">Hidden< Removed"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("==>"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("-->UsedFont=Times-Roman"), std::string::npos) << text.str();
}

TEST_F(TextTest, OutlineAFPFontIsEmbeddedAsType1WithItsGlyphNames)
{
    const char* pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
    if (!fileExists(pfb) || !toolAvailable("pdffonts"))
        GTEST_SKIP() << "NimbusSans-Regular.pfb or pdffonts missing";
    std::ifstream in(pfb, std::ios::binary);
    const std::vector<char> program((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // An outline character set: relative metrics, two characters, the
    // Type 1 program, used by a text in code page T1V10500.
    qelAFPFont font("C0OUTL00", "T1V10500");
    font.setHeight(120);
    auto* rep = static_cast<qelIPSFontRepresentation*>(font.getRepresentation());
    rep->setPatternTechnology(qelIPSFontRepresentation::TECH_TYPE1_OUTLINE);
    rep->setRelativeMetric(true);
    rep->appendFontData(reinterpret_cast<const uint8_t*>(program.data()), static_cast<int32_t>(program.size()));
    auto* metrics = new qelAFPFontMetrics;
    metrics->setMaxAscenderHeight(0, 718);
    metrics->setMaxDescenderDepth(0, 207);
    metrics->setCapMHeight(0, 718);
    auto** list = new qelCharMetrics*[2];
    const char* gcgids[2] = {"LA020000", "LB020000"};
    const char* names[2] = {"A", "B"};
    for (int i = 0; i < 2; ++i) {
        auto* cm = new qelAFPCharMetrics;
        cm->setGlyphName(gcgids[i]);
        cm->setFontSpecificName(names[i]);
        cm->setCharIncrement(0, 667);
        list[i] = cm;
    }
    metrics->setCharMetricsList(list, 2);
    rep->setMetrics(metrics);
    auto* record = new qelPDFFontFileEntry(nullptr);
    std::memcpy(record->codePageName, "T1V10500", sizeof record->codePageName);
    for (int i = 0; i < 2; ++i) {
        const int code = 0xC1 + i;
        record->state[code] = qelPDFFontFileEntry::USED;
        record->glyphName[code] = new char[9];
        std::strcpy(record->glyphName[code], gcgids[i]);
        record->charMetrics[code] = metrics->findCharMetrics(gcgids[i]);
    }
    record->firstCode = 0xC1;
    record->lastCode = 0xC2;
    record->usedCount = 2;
    font.addCodePointUsage(record);

    qelMappedRes mapping(1, 3, "C0OUTL00");
    mapping.setFont(&font);
    mapping.setCodePageName("T1V10500");
    const unsigned char codes[] = {0xC1, 0xC2};
    auto text = makeText(nullptr, "AB", 240, 240);
    text->setCodePointText(codes);
    text->setFontMapping(&mapping);
    text->setFont(&font);

    float endX = 0;
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.computeTextPosition(text.get());
        text->setAngle(0, false);
        v.writeTextUsingAFPFont(text.get());
        endX = v.getTransformer()->getX();
    });
    EXPECT_EQ(run("qpdf --check " + pdf).status, 0);
    const std::string fonts = run("pdffonts " + pdf).output;
    EXPECT_NE(fonts.find("Type 1            Custom           yes"), std::string::npos) << fonts;
    EXPECT_EQ(run("pdftotext " + pdf + " - | tr -d ' \\n\\f'").output, "AB");
    const std::string content = contentOf(pdf);
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(/Differences \[\s*193\s*/A\s*/B\s*\])"))) << content;
    EXPECT_NE(content.find("/BaseFont /C0OUTL00"), std::string::npos) << content;
    EXPECT_NE(content.find(" 12.000 Tf"), std::string::npos);
    // Two characters of 0.667 em at 12 points: 16.008 points = 53.36 units.
    EXPECT_NEAR(endX, 240.0f + 53.36f, 0.05f);
}

TEST_F(TextTest, SameLocalIdOfAnotherObjectGroupSelectsItsOwnFont)
{
    // A page and its overlay both map local id 1, to different fonts.
    auto pageFont = makeFont("Times", false, false);
    auto overlayFont = makeFont("Courier", false, false);
    overlayFont->setCharacterSetName("C0OVERL0");
    qelMappedRes m1(1, 3, "C0TEST00");
    m1.setFont(pageFont.get());
    qelMappedRes m2(1, 3, "C0OVERL0");
    m2.setFont(overlayFont.get());
    auto t1 = makeText(nullptr, "Page", 240, 240);
    t1->setFontMapping(&m1);
    auto t2 = makeText(nullptr, "Overlay", 240, 480);
    t2->setFontMapping(&m2);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.writeTextObject(t1.get());
        v.writeTextObject(t2.get());
    });
    const std::string content = contentOf(pdf);
    EXPECT_NE(content.find("/BaseFont /Times-Roman"), std::string::npos) << content;
    EXPECT_NE(content.find("/BaseFont /Courier"), std::string::npos) << content;
}

TEST_F(TextTest, RasterFontIsWrittenAsAType3Font)
{
    // Rendering mode 0 (no rendering entry), a found raster character set
    // with used codes: its text is drawn with a Type 3 font made of it, with
    // no substitute font and no warning.
    qelGlobalDSPool::getInstance()->setMappingDef(new qelMappingDef());
    ini()->setQuietMode(false);
    auto font = makeFont("Helvetica", false, false, 120);
    font->setCharacterSetFound(true);
    auto* rep = static_cast<qelIPSFontRepresentation*>(font->getRepresentation());
    rep->setPatternTechnology(5);
    rep->setFontResolutionY(240);
    rep->setResolution(240);
    auto* metrics = new qelAFPFontMetrics;
    metrics->setMaxAscenderHeight(0, 20);
    metrics->setMaxDescenderDepth(0, 0);
    metrics->setMaxCharIncrement(0, 100);
    auto* glyph = new qelFontGlyph;
    glyph->setWidth(8);
    glyph->setHeight(20);
    const std::vector<uint8_t> raster(20, 0xFF);
    glyph->setRaster(raster.data(), 20);
    auto* cm = new qelAFPCharMetrics;
    cm->setGlyphName("LA020000");
    cm->setCharIncrement(0, 40);
    cm->setAscenderHeight(0, 20);
    cm->setGlyph(glyph);
    metrics->setGlyphList(new qelFontGlyph*[1]{glyph}, 1);
    metrics->setCharMetricsList(new qelCharMetrics*[1]{cm}, 1);
    rep->setMetrics(metrics);
    qelCodePage codePage;
    codePage.setName("T1V10500");
    qelMappedRes mapping(1, 3, "C0TEST00");
    mapping.setFont(font.get());
    mapping.setCodePage(&codePage);
    mapping.setCodePageName("T1V10500");
    auto* record = new qelPDFFontFileEntry(nullptr);
    std::memcpy(record->codePageName, "T1V10500", sizeof record->codePageName);
    record->firstCode = record->lastCode = 0xC1;
    record->state[0xC1] = qelPDFFontFileEntry::USED;
    record->glyphName[0xC1] = new char[9];
    std::strcpy(record->glyphName[0xC1], "LA020000");
    record->charMetrics[0xC1] = cm;
    record->usedCount = 1;
    font->addCodePointUsage(record);
    const unsigned char codes[] = {0xC1};
    auto text = makeText(nullptr, "A", 240, 240);
    text->setCodePointText(codes);
    text->setFontMapping(&mapping);
    text->setFont(font.get());
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) { v.writeTextObject(text.get()); });
    EXPECT_EQ(run("qpdf --check " + pdf).status, 0);
    const std::string content = contentOf(pdf);
    EXPECT_NE(content.find("/Subtype /Type3"), std::string::npos) << content;
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(/Differences \[\s*193\s*/LA020000\s*\])"))) << content;
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(/Widths \[\s*1000\s*\])"))) << content;
    EXPECT_NE(content.find("/LA020000 "), std::string::npos) << content;
    EXPECT_EQ(content.find("/BaseFont /Helvetica"), std::string::npos) << content;
    std::fflush(m_messages);
    std::rewind(m_messages);
    std::string messages;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, m_messages))
        messages += buffer;
    EXPECT_EQ(messages.find("cannot be embedded"), std::string::npos) << messages;
}

TEST_F(TextTest, UnderscoresLieBelowTheBaselineInEveryOrientation)
{
    auto font = makeFont("Helvetica", false, false);
    // Offset of 1 point (0.75 + 0.25) from the text start, away from the
    // glyphs: below for upright text, turned with the text otherwise.
    struct Case
    {
        uint16_t iAxis, bAxis;
        float dx, dy;
    } cases[] = {{0, 90, 0, -1}, {90, 180, -1, 0}, {180, 270, 0, 1}, {270, 0, 1, 0}};
    for (const Case& c : cases) {
        auto text = makeText(font.get(), "Under", 960, 960, c.iAxis, c.bAxis);
        text->setUnderline(1);
        const std::string pdf = runPage(page, [&](qelPDFVisitor& v) { v.writeTextObject(text.get()); });
        const std::string content = contentOf(pdf);
        std::smatch tm, line;
        ASSERT_TRUE(std::regex_search(content, tm, std::regex(R"(\S+ \S+ \S+ \S+ (\S+) (\S+) Tm)"))) << content;
        ASSERT_TRUE(std::regex_search(content, line, std::regex(R"((\S+) (\S+) m\n\S+ \S+ l\nS)"))) << content;
        EXPECT_NEAR(std::stof(line[1]) - std::stof(tm[1]), c.dx, 0.01f) << "I-axis " << c.iAxis;
        EXPECT_NEAR(std::stof(line[2]) - std::stof(tm[2]), c.dy, 0.01f) << "I-axis " << c.iAxis;
    }
}

TEST_F(TextTest, MeasuredWidthIsInPageUnits)
{
    auto font = makeFont("Helvetica", false, false, 200);
    auto text = makeText(font.get(), "Gone", 240, 240);
    float width = 0;
    runPage(page, [&](qelPDFVisitor& v) {
        opdf_beginText(v.getDocContext());
        width = v.measureTextWidth(text.get());
        opdf_endText(v.getDocContext());
    });
    // 2.446 em at 20 points: 48.92 points = 163.07 units of 240 per inch.
    EXPECT_NEAR(width, 163.07f, 0.05f);
    qelPDFVisitor closed;
    EXPECT_EQ(closed.measureTextWidth(text.get()), -1.0f);
}

// A font mapped by its own name (aliases, but no representation name to
// look up) records the codes of its texts on itself.
TEST_F(TextTest, AliasedFontWithoutRepresentationNameRecordsItsCodes)
{
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(name ? "empty name" : "no name");
        auto font = makeFont("Helvetica", false, false);
        font->addAliasName("Helv");
        font->getRepresentation()->setName(name);
        auto text = makeText(font.get(), "bab", 240, 240);
        text->bindCodePoints();
        const qelPDFFontFileEntry* record = font->findGlyphName("ALLCDEPG");
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->firstCode, 'a');
        EXPECT_EQ(record->lastCode, 'b');
    }
}

namespace {

// An MFM record with widths for T1V10500: code point c has the width
// c + 100 at rotation 0 and c + 200 at rotation 90.
std::unique_ptr<qelMFMFile> mfmRecord()
{
    auto mfm = std::make_unique<qelMFMFile>();
    mfm->setVersion("MFM 1.1");
    mfm->setHeader(new uint8_t[qelMFMFile::kHeaderSize]());
    mfm->addCodePage("T1V10500");
    auto* set = new qelMFMWidthSet;
    for (int r = 0; r < 2; ++r) {
        set->widths[r] = new uint16_t[qelMFMWidthSet::kWidths]();
        for (int c = 0; c < qelMFMWidthSet::kWidths; ++c)
            set->widths[r][c] = static_cast<uint16_t>(c + 100 * (r + 1));
    }
    mfm->addWidthSet(set);
    return mfm;
}

} // namespace

TEST_F(TextTest, MetricsFileFontTakesItsWidthsFromTheMfmRecord)
{
    // 240 pels and 12 points: d = 25.
    auto font = makeFont("Helvetica", false, false, 120);
    font->setMetricsFromFile(true);
    auto* rep = static_cast<qelIPSFontRepresentation*>(font->getRepresentation());
    rep->setResolution(240);
    auto mfm = mfmRecord();
    font->setMetricsRecord(mfm.get());
    qelCodePage codePage;
    codePage.setName("T1V10500");
    qelMappedRes mapping(1, 3, "C0TEST00");
    mapping.setFont(font.get());
    mapping.setCodePage(&codePage);
    auto* record = new qelPDFFontFileEntry(nullptr);
    std::memcpy(record->codePageName, "T1V10500", sizeof record->codePageName);
    record->firstCode = 0xC1;
    record->lastCode = 0xC2;
    record->usedCount = 2;
    font->addCodePointUsage(record);
    auto text = makeText(nullptr, "AB", 240, 240);
    text->setFontMapping(&mapping);
    text->setFont(font.get());
    auto* aliases = qelGlobalDSPool::getInstance()->getHashIdMap();
    auto* alias = new qelCodePageAliasName;
    alias->setName("MYCP");
    alias->setHashId("T1V10500");
    aliases->addAlias(alias);

    struct Case
    {
        const char* what;
        const char* encodingRecord;
        bool qelnop;
        uint16_t rotation;
        int base;
        const char* failure;
    } cases[] = {
        {"rotation 0", "T1V10500", false, 0, 100, nullptr},
        {"rotation 90", "T1V10500", false, 90, 200, nullptr},
        {"name known by its hash id", "MYCP", true, 0, 100, nullptr},
        {"hash id without QELNOP", "MYCP", false, 0, 0, "MFM doesn't exist for MYCP code page combination"},
        {"code page the record lacks", "T1V10999", false, 0, 0, "MFM doesn't exist for T1V10999 code page combination"},
    };
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        for (const Case& c : cases) {
            mapping.setCodePageName(c.encodingRecord);
            ini()->setQELNOP(c.qelnop);
            text->setCharacterRotation(c.rotation);
            v.fontState(record) = qelPDFVisitor::FontRecordState();
            v.fontState(record).embedding = 1;
            const Raised r = raised([&] { v.prepareGlyphWidths(text.get(), font.get(), record); });
            if (c.failure) {
                EXPECT_EQ(r.id, qelMsg::E114) << c.what;
                EXPECT_NE(r.message.find(c.failure), std::string::npos) << c.what << ": " << r.message;
                continue;
            }
            EXPECT_EQ(r.id, -1) << c.what << ": " << r.message;
            const std::vector<uint16_t> expected = {static_cast<uint16_t>((0xC1 + c.base) * 25),
                                                    static_cast<uint16_t>((0xC2 + c.base) * 25)};
            EXPECT_EQ(v.findFontState(record)->widths, expected) << c.what;
        }
        // A standard font shown for the MFM font takes the record's widths.
        mapping.setCodePageName("T1V10500");
        text->setCharacterRotation(0);
        v.fontState(record) = qelPDFVisitor::FontRecordState();
        v.fontState(record).state = 3;
        v.fontState(record).baseFont = "Helvetica";
        v.setStandardFont(text.get(), font.get(), record);
    });
    const std::string content = contentOf(pdf);
    EXPECT_NE(content.find("/FirstChar 193"), std::string::npos) << content;
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(/Widths \[\s*7325\s+7350\s*\])"))) << content;
}

TEST_F(TextTest, CidKeyedCharacterSetTakesTheSubstituteRoute)
{
    qelGlobalDSPool::getInstance()->setMappingDef(new qelMappingDef());
    const std::string path = tempPath(".log");
    m_files.push_back(path);
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevel("ALL");
    log->open(path.c_str());
    auto font = makeFont("Helvetica", false, false);
    font->setCharacterSetFound(true);
    static_cast<qelIPSFontRepresentation*>(font->getRepresentation())->setPatternTechnology(0x1E);
    qelCodePage codePage;
    codePage.setName("T1V10500");
    qelMappedRes mapping(1, 3, "C0TEST00");
    mapping.setFont(font.get());
    mapping.setCodePage(&codePage);
    mapping.setCodePageName("T1V10500");
    auto* record = new qelPDFFontFileEntry(nullptr);
    std::memcpy(record->codePageName, "T1V10500", sizeof record->codePageName);
    record->firstCode = record->lastCode = 0xD9;
    record->state[0xD9] = qelPDFFontFileEntry::USED;
    record->usedCount = 1;
    font->addCodePointUsage(record);
    auto text = makeText(nullptr, "Outline", 240, 240);
    text->setFontMapping(&mapping);
    text->setFont(font.get());
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) { v.writeTextObject(text.get()); });
    log->close();
    const std::string content = contentOf(pdf);
    EXPECT_NE(content.find("(Outline) Tj"), std::string::npos) << content;
    EXPECT_NE(content.find("/BaseFont /Helvetica"), std::string::npos) << content;
    EXPECT_EQ(content.find("/Type3"), std::string::npos);
    std::ifstream in(path, std::ios::binary);
    std::stringstream logged;
    logged << in.rdbuf();
    EXPECT_NE(logged.str().find("CS=C0TEST00, CP=T1V10500, Text=>Outline< Warning! Rasterization not done. Font is "
                                "not a Raster font."),
              std::string::npos)
        << logged.str();
}
