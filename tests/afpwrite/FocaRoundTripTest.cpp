// Character sets and code pages written by the object library and read
// back by the font resource readers.
#include "AfpWriteSupport.h"
#include "FocaBuilder.h"
#include "FontLibrary.h"
#include "ShellCommand.h"

#include "qel/afp/AfpFontControl.h"
#include "qel/afp/AfpResourceGroup.h"
#include "qel/afp/AfpResCharacterSet.h"
#include "qel/afp/AfpResCodePage.h"
#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontParser.h"
#include "qelAFPFontRepresentation.h"
#include "qelCodePage.h"
#include "qelCodePageParser.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelFileStream.h"
#include "qelGlobalRes.h"
#include "qelList.h"
#include "qelRes.h"
#include "qelResGroupParser.h"


#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>
#include <string>

using namespace afpwrite;
using namespace lrbtest::foca;

namespace
{

class FocaRoundTripTest : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        delete qelGlobalDSPool::getInstance();
        LibraryTest::TearDown();
    }
    void read(const Bytes& bytes)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

// What the character set builder does with drawn characters: in
// ascending order of their names, metrics for 0 degrees only.
std::unique_ptr<qel::afp::ResCharacterSet> writeSet(const CharacterSet& drawn)
{
    auto cs = std::make_unique<qel::afp::ResCharacterSet>(drawn.name.c_str(), 2);
    cs->initialize();
    cs->addFontDescriptor(drawn.typeface.c_str(), 5, 5, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 2308, nullptr,
                          nullptr);
    cs->addFontControl(0, 240, 240, 0, 0, 1, 1, 0, 0, 240, 240);
    std::vector<Character> sorted = drawn.characters;
    std::sort(sorted.begin(), sorted.end(), [](const Character& a, const Character& b) { return a.gcgid < b.gcgid; });
    uint16_t maxWidth = 0;
    uint16_t maxHeight = 0;
    for (const Character& c : sorted) {
        const qel::afp::CharacterMetricsRecord m{c.gcgid.c_str(),
                                                 static_cast<int16_t>(c.aSpace),
                                                 static_cast<int16_t>(c.bSpace),
                                                 static_cast<int16_t>(c.cSpace),
                                                 static_cast<int16_t>(c.increment),
                                                 static_cast<int16_t>(c.ascender),
                                                 static_cast<int16_t>(c.descender),
                                                 static_cast<int16_t>(c.baseline)};
        EXPECT_EQ(cs->addCharacter(&m, nullptr, nullptr, nullptr, c.pattern.data(),
                                   static_cast<uint16_t>(c.pattern.size()), static_cast<uint16_t>(c.width),
                                   static_cast<uint16_t>(c.height)),
                  0);
        maxWidth = std::max<uint16_t>(maxWidth, static_cast<uint16_t>(c.width));
        maxHeight = std::max<uint16_t>(maxHeight, static_cast<uint16_t>(c.height));
    }
    cs->getFontControl()->setMaxCharacterBoxWidth(maxWidth);
    cs->getFontControl()->setMaxCharacterBoxHeight(maxHeight);
    cs->addFontOrientation(maxHeight, 40, 20, maxHeight, 0, 40, 20, 20, 48, 0, 0x0000);
    cs->addFontPosition(20, 30, 30, 8, 2, -4, 0);
    return cs;
}

TEST_F(FocaRoundTripTest, DrawnCharacterSetReadsBackTheSame)
{
    const CharacterSet drawn = rasterSet(type1Font("NimbusSans-Regular"), "Hgy", 10, "C0TRIP10");
    auto cs = writeSet(drawn);
    const Bytes bytes = written(*cs, 1);
    qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
    stream.rewind();
    qelAFPFontParser parser;
    parser.setResourceName("C0TRIP10");
    std::unique_ptr<qelAFPFontRepresentation> rep;
    try {
        rep.reset(static_cast<qelAFPFontRepresentation*>(parser.parseStream(&stream)));
    } catch (qelException* e) {
        ADD_FAILURE() << e->getMessage();
        delete e;
    }
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->getResolution(), 240);
    qelFontMetrics* metrics = rep->getMetrics();
    ASSERT_TRUE(metrics);
    ASSERT_EQ(metrics->getCharMetricsCount(), 3);
    // The characters in the order written: by name.
    std::vector<Character> sorted = drawn.characters;
    std::sort(sorted.begin(), sorted.end(), [](const Character& a, const Character& b) { return a.gcgid < b.gcgid; });
    for (int i = 0; i < 3; ++i) {
        const Character& c = sorted[static_cast<size_t>(i)];
        auto* m = static_cast<qelAFPCharMetrics*>(metrics->getCharMetricsList()[i]);
        ASSERT_TRUE(m);
        EXPECT_STREQ(m->getGlyphName(), c.gcgid.c_str());
        EXPECT_EQ(m->getCharIncrement(0), c.increment) << c.gcgid;
        EXPECT_EQ(m->getASpace(0), c.aSpace) << c.gcgid;
        EXPECT_EQ(m->getBSpace(0), c.bSpace) << c.gcgid;
        EXPECT_EQ(m->getCSpace(0), c.cSpace) << c.gcgid;
        EXPECT_EQ(m->getAscenderHeight(0), c.ascender) << c.gcgid;
        EXPECT_EQ(m->getDescenderDepth(0), c.descender) << c.gcgid;
        EXPECT_EQ(m->getBaselineOffset(0), c.baseline) << c.gcgid;
        const qelFontGlyph* g = m->getGlyph();
        ASSERT_TRUE(g) << c.gcgid;
        EXPECT_EQ(g->getWidth(), static_cast<int>(c.width));
        EXPECT_EQ(g->getHeight(), static_cast<int>(c.height));
        ASSERT_EQ(g->getRasterLength(), static_cast<int>(c.pattern.size()));
        EXPECT_EQ(Bytes(g->getRaster(), g->getRaster() + g->getRasterLength()), c.pattern) << c.gcgid;
    }
    qelIOStream::setCurrent(nullptr);
}

TEST_F(FocaRoundTripTest, CodePageFromTheShippedTableReadsBackTheSame)
{
    const std::vector<CodePoint> points = codePointsOf(std::string(LORBANE_SOURCE_DIR) + "/data/500.cp");
    ASSERT_GT(points.size(), 180u);
    qel::afp::ResCodePage cp("T1V10500");
    cp.initialize();
    cp.setDescriptorDetails("T1V10500", 0, 0, 0x6100);
    for (const CodePoint& p : points)
        ASSERT_EQ(cp.addCodePageIndexEntry(p.gcgid.c_str(), 0, static_cast<uint8_t>(p.codePoint)), 0);
    cp.setControlDetails(points.front().gcgid.c_str(), 0, 0, 0x40, 0x00, 10);
    read(written(cp, 1));
    qelCodePageParser parser;
    std::unique_ptr<qelCodePage> page(static_cast<qelCodePage*>(parser.parse("T1V10500", 0, nullptr)));
    ASSERT_TRUE(page);
    for (const CodePoint& p : points)
        EXPECT_STREQ(page->getCharName(static_cast<int>(p.codePoint)), p.gcgid.c_str()) << p.codePoint;
    EXPECT_EQ(page->getSpaceCodePoint(), 0x40);
    EXPECT_STREQ(page->getSpaceCharName(), "SP010000");
    EXPECT_STREQ(page->getDefaultGCGID(), points.front().gcgid.c_str());
    EXPECT_EQ(page->getUseFlags(), 0x00);
}

// The names filed in the process-level list of a resource type.
std::vector<std::string> filedAtProcessLevel(int type, const char* name)
{
    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    std::vector<std::string> out;
    qelList* list = resources->getList(1, name, type - 1);
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        out.emplace_back(std::string(res->getName() ? res->getName() : "") + (res->getFound() ? "" : "(*)"));
    }
    return out;
}

// Two small characters of fixed patterns.
CharacterSet fixedSet()
{
    CharacterSet cs;
    cs.name = "C0GRP010";
    for (const char* name : {"LA020000", "LB020000"}) {
        Character c;
        c.gcgid = name;
        c.width = 8;
        c.height = 3;
        c.pattern = {0x18, name[1] == 'A' ? uint8_t(0x24) : uint8_t(0x3C), 0x42};
        c.increment = 10;
        c.aSpace = 1;
        c.bSpace = 8;
        c.cSpace = 1;
        c.ascender = 3;
        c.descender = 0;
        c.baseline = 3;
        cs.characters.push_back(c);
    }
    return cs;
}

TEST_F(FocaRoundTripTest, ResourceGroupCarriesBothAndRegistersThem)
{
    const std::string path = m_dir + "/fonts.rgp";
    {
        auto* stream = new qelFileStream();
        stream->setName(path.c_str());
        qel::afp::ResourceGroup group(new qel::DataStream(stream));
        group.setName("G1FONTS");
        ASSERT_EQ(group.open(), 0);
        group.addResource(writeSet(fixedSet()).release(), qel::afp::ResourceGroup::CHARACTER_SET, true);
        auto* cp = new qel::afp::ResCodePage("T1GRP010");
        cp->initialize();
        cp->setDescriptorDetails("T1GRP010", 0, 500, 0x6100);
        cp->addCodePageIndexEntry("SP010000", 0, 0x40);
        cp->addCodePageIndexEntry("LA020000", 0, 0xC1);
        cp->addCodePageIndexEntry("LB020000", 0, 0xC2);
        cp->setControlDetails("SP010000", 0, 0, 0x40, 0, 10);
        group.addResource(cp, qel::afp::ResourceGroup::CODE_PAGE, true);
        EXPECT_EQ(group.write(nullptr, 1, nullptr), 0);
        group.close();
    }
    const FieldDump dump = dumpFields(lrbtest::readFile(path));
    EXPECT_TRUE(dump.problems.empty()) << dump.problems.front();
    const std::string goldenPath = std::string(LORBANE_TEST_DATA) + "/afpwrite/foca-resource-group.dump";
    EXPECT_EQ(dump.text(), readText(goldenPath));

    delete qelGlobalDSPool::getInstance();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni()->setResourceGroup("0");
    pool->getResGroupParser()->parseFile(path.c_str());
    EXPECT_EQ(filedAtProcessLevel(qelRes::TYPE_FONT, "C0GRP010"), std::vector<std::string>({"C0GRP010"}));
    EXPECT_EQ(filedAtProcessLevel(qelRes::TYPE_CODE_PAGE, "T1GRP010"), std::vector<std::string>({"T1GRP010"}));
    auto* page = static_cast<qelCodePage*>(pool->getGlobalRes()->findResource("T1GRP010", qelRes::TYPE_CODE_PAGE));
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->getCharName(0xC2), "LB020000");
    pool->getResGroupParser()->releaseDumpDirectory();
}

// The code page as the code page builder makes it: ascending code points,
// the first name as default character, the space at X'40'.
Bytes codePageOf(const std::vector<CodePoint>& points, const char* name)
{
    qel::afp::ResCodePage cp(name);
    cp.initialize();
    cp.setDescriptorDetails(name, 0, 0, 0x6100);
    for (const CodePoint& p : points)
        cp.addCodePageIndexEntry(p.gcgid.c_str(), 0, static_cast<uint8_t>(p.codePoint));
    cp.setControlDetails(points.front().gcgid.c_str(), 0, 0, 0x40, 0, 10);
    return written(cp, 1);
}

// FOP's print file converted by the demonstration program with a font
// library whose character sets and code page the object library wrote.
TEST_F(FocaRoundTripTest, WrittenLibraryServesTheDemonstrationProgram)
{
    const std::string demo = demoProgram();
    if (demo.empty())
        GTEST_SKIP() << "the demonstration program is not built";
    const std::string dataDir = std::string(LORBANE_SOURCE_DIR) + "/data";
    std::ofstream(m_dir + "/lorbane.ini") << readText(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
    ASSERT_EQ(::symlink(dataDir.c_str(), (m_dir + "/data").c_str()), 0);
    for (const char* folder : {"/pdf", "/log", "/lib"})
        ASSERT_EQ(::mkdir((m_dir + folder).c_str(), 0755), 0);
    writeFile("fop-hello.afp", lrbtest::readFile(std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp"));
    auto run = [&](const std::string& arguments) {
        const std::string command =
            "cd " + shellQuote(m_dir) + " && " + shellQuote(demo) + " lorbane " + arguments + " >demo.log 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readText(m_dir + "/demo.log");
        return readText(m_dir + "/demo.log");
    };
    // The text without any font resource.
    run("-ASCII fop-hello.afp");
    const std::string plain = readText(m_dir + "/pdf/fop-hello.txt");
    ASSERT_NE(squeezed(plain).find("Hello AFP world."), std::string::npos) << plain;

    const std::string cpFile = dataDir + "/500.cp";
    for (const LibraryFont& font : fopFonts())
        writeBytes(m_dir + "/lib/" + font.name + ".CHS", written(*writeSet(libraryCharacterSet(font, cpFile)), 1));
    writeBytes(m_dir + "/lib/T1V10500.CDP", codePageOf(codePointsOf(cpFile), "T1V10500"));

    const std::string printed = run("-ASCII -rp:lib/ -l -ll:FNTR,CDP fop-hello.afp");
    for (const char* file : {"C0H200D0.CHS", "T1V10500.CDP"})
        EXPECT_NE(printed.find(std::string("Loading resource file ./lib/") + file), std::string::npos)
            << file << "\n" << printed;
    EXPECT_EQ(printed.find("E058"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Error"), std::string::npos) << printed;
    EXPECT_EQ(readText(m_dir + "/pdf/fop-hello.txt"), plain);
    const std::string logged = readText(m_dir + "/log/fop-hello.afp.log");
    for (const char* name : {"C0H200D0(*)", "T1V10500(*)"})
        EXPECT_EQ(logged.find(name), std::string::npos) << logged;
}

} // namespace
