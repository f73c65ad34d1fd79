#include "ScratchFolder.h"
#include "qelAFPFont.h"
#include "qelASCIIVisitor.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFontRepresentation.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelTextObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The first bytes of a TrueType file, of a PFM file of a Type 1 font and
// of a font program.
std::string trueType()
{
    std::string s("\x00\x01\x00\x00\x00\x0a", 6);
    return s + std::string(20, '\0');
}
std::string pfm()
{
    std::string s(300, '\0');
    s[0] = 0x00;
    s[1] = 0x01;
    s[2] = static_cast<char>(300 & 0xFF);
    s[3] = static_cast<char>(300 >> 8);
    s[139] = static_cast<char>(250);
    std::memcpy(&s[199], "PostScript", 10);
    return s;
}
std::string pfb()
{
    static const char head[] = "\x80\x01\x10\x00\x00\x00%!PS-AdobeFont-1.0: X\n";
    return std::string(head, sizeof head - 1) + std::string(300, ' ');
}

class FontResolveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
    }
    void TearDown() override
    {
        for (const std::string& f : m_files)
            std::remove(f.c_str());
        m_folder.reset();
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
    }
    void file(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir + name, std::ios::binary) << bytes;
        m_files.push_back(m_dir + name);
    }
    static std::unique_ptr<qelList> list(const std::vector<const char*>& texts)
    {
        std::unique_ptr<qelList> l(new qelList([](void* text) { delete[] static_cast<char*>(text); }));
        for (const char* t : texts)
            l->append(qelNamePair::copy(t));
        return l;
    }
    std::string found(int rc, const char* path) const
    {
        if (rc != 1)
            return "-";
        std::string p(path);
        return p.substr(p.rfind('/') + 1);
    }

    FILE* m_messages = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    std::vector<std::string> m_files;
};

TEST_F(FontResolveTest, FileSearchInOneDirectory)
{
    file("Arial.ttf", trueType());
    file("Arial.pfm", pfm());
    file("Times.pfm", pfm());
    file("TIMES.pfb", pfb());
    file("Helv.pfm", pfm());
    file("HelvR.pfb", pfb());
    file("Empty.ttf", "");
    file("Text.ttf", std::string(400, 'x'));

    struct Case
    {
        const char* what;
        const char* name;
        bool needMetrics, needProgram;
        const char* metrics;
        const char* program;
        int type;
    };
    const Case cases[] = {
        // Arial.pfm is listed before Arial.ttf.
        {"metrics only takes the first PFM", "Arial", true, false, "Arial.pfm", "Arial.pfm", 2},
        {"a TrueType file serves both", "Arial", true, true, "Arial.ttf", "Arial.ttf", 5},
        // The type is that of the file that completed the pair.
        {"pair of equal base names ignoring case", "Times", true, true, "Times.pfm", "TIMES.pfb", 2},
        {"no pair of different base names", "Helv", true, true, "-", "-", 0},
        {"program only", "TIMES", false, true, "TIMES.pfb", "TIMES.pfb", 3},
        {"empty and unknown files are skipped", "Empty", true, false, "-", "-", 0},
        {"not a font", "Text", true, true, "-", "-", 0},
        {"trimmed name", " \tArial ", true, true, "Arial.ttf", "Arial.ttf", 5},
        {"nothing matches", "Courier", true, true, "-", "-", 0},
    };
    for (const Case& c : cases) {
        char metrics[512] = "old";
        char program[512] = "old";
        int type = 0;
        const int rc = findFontFileInDirectory(m_dir.c_str(), c.name, nullptr, metrics, program, c.needMetrics,
                                               c.needProgram, &type, nullptr, nullptr);
        EXPECT_EQ(c.metrics, found(rc, metrics)) << c.what;
        EXPECT_EQ(c.program, found(rc, program)) << c.what;
        if (rc == 1) {
            EXPECT_EQ(c.type, type) << c.what;
        } else {
            EXPECT_STREQ("", metrics) << c.what;
            EXPECT_STREQ("", program) << c.what;
        }
    }
}

TEST_F(FontResolveTest, SuffixesAreTriedInOrderWithoutThePlainName)
{
    auto boldItalic = list({"bi", "-BoldItalic", "-BoldOblique"});
    char metrics[512];
    char program[512];
    int type = 0;
    file("Sans.ttf", trueType());
    EXPECT_EQ(-1, findFontFileWithSuffixes(m_dir.c_str(), "Sans", boldItalic.get(), metrics, program, true, true,
                                           &type, nullptr, nullptr));
    file("Sans-BoldOblique.ttf", trueType());
    EXPECT_EQ("Sans-BoldOblique.ttf", found(findFontFileWithSuffixes(m_dir.c_str(), "Sans", boldItalic.get(), metrics,
                                                                     program, true, true, &type, nullptr, nullptr),
                                            program));
    file("Sans-BoldItalic.ttf", trueType());
    file("Sansbi.ttf", trueType());
    EXPECT_EQ("Sansbi.ttf", found(findFontFileWithSuffixes(m_dir.c_str(), "Sans", boldItalic.get(), metrics, program,
                                                           true, true, &type, nullptr, nullptr),
                                  program));
    EXPECT_EQ("Sans.ttf", found(findFontFileWithSuffixes(m_dir.c_str(), "Sans", nullptr, metrics, program, true, true,
                                                         &type, nullptr, nullptr),
                                program));
}

TEST_F(FontResolveTest, ExternalSearchFallsBackToAliases)
{
    qelGlobalDSPool::getInstance()->getIni()->setAttribute("ExtFontPath", m_dir.c_str());
    file("Liberation.ttf", trueType());
    std::unique_ptr<qelList> aliases(new qelList(&qelList::deleteAs<qelNamePair>));
    aliases->append(new qelNamePair("Missing", nullptr));
    aliases->append(new qelNamePair("Liberation", nullptr));
    qelASCIIVisitor v;
    char metrics[512];
    char program[512];
    int type = 0;
    EXPECT_EQ("Liberation.ttf", found(v.findExternalFontFile(nullptr, "Arial", false, false, aliases.get(), metrics,
                                                             program, true, &type, false),
                                      program));
    EXPECT_EQ(5, type);
    EXPECT_EQ(-1, v.findExternalFontFile(nullptr, "Arial", false, false, nullptr, metrics, program, true, &type, false));
    EXPECT_EQ(-1, v.findExternalFontFile(nullptr, "Liberation", false, false, nullptr, metrics, nullptr, true, &type,
                                         false));
}

TEST_F(FontResolveTest, LoadsOnlyParsableTypes)
{
    qelASCIIVisitor v;
    const char* dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    std::unique_ptr<qelFontRepresentation> rep(v.loadExternalFont(dejavu, 5, false));
    if (::access(dejavu, R_OK) == 0) {
        ASSERT_NE(nullptr, rep);
        EXPECT_EQ(qelFontRepresentation::TYPE_TRUETYPE, rep->getType());
    }
    EXPECT_EQ(nullptr, v.loadExternalFont(dejavu, 3, false));
    file("Broken.ttf", trueType());
    EXPECT_EQ(nullptr, v.loadExternalFont((m_dir + "Broken.ttf").c_str(), 5, true));
    file("Broken.pfm", "\x00\x01");
    EXPECT_EQ(nullptr, v.loadExternalFont((m_dir + "Broken.pfm").c_str(), 1, true));
}

TEST_F(FontResolveTest, CodePointUsageRecordOfAText)
{
    qelAFPFont font("C0H20000", "T1V10500");
    qelCodePage codePage("T1V10500", nullptr);
    qelMappedRes mapping(1, 3, "X0H20000");
    mapping.setFont(&font);
    mapping.setCodePage(&codePage);
    qelTextObject text;
    text.setFontMapping(&mapping);
    qelASCIIVisitor v;

    EXPECT_EQ(nullptr, v.resolveCodePage(&text, &font, false));
    EXPECT_EQ(nullptr, v.resolveCodePage(nullptr, &font, true));
    try {
        v.resolveCodePage(&text, &font, true);
        ADD_FAILURE() << "no E095";
    } catch (qelException* e) {
        EXPECT_EQ(95, e->getId());
        EXPECT_NE(nullptr, std::strstr(e->getMessage(), "CharacterSet: C0H20000 CodePage: ALLCDEPG"));
        delete e;
    }
    // Keyed by the code page once the character set was found.
    auto* any = new qelPDFFontFileEntry("ALLCDEPG");
    auto* named = new qelPDFFontFileEntry("t1v10500");
    font.addCodePointUsage(any);
    font.addCodePointUsage(named);
    EXPECT_EQ(any, v.resolveCodePage(&text, &font, true));
    font.setCharacterSetFound(true);
    EXPECT_EQ(named, v.resolveCodePage(&text, &font, true));
}

TEST_F(FontResolveTest, TextVisibilityAndEmptiness)
{
    qelASCIIVisitor v;
    struct Case
    {
        uint8_t suppressed, removed;
        int expected;
    };
    const Case cases[] = {{0, 0, 1}, {1, 0, -1}, {0, 1, -2}, {1, 1, -3}};
    for (const Case& c : cases) {
        qelTextObject t;
        t.setSuppressed(c.suppressed);
        t.setRemoved(c.removed);
        EXPECT_EQ(c.expected, v.getTextVisibility(&t));
    }
    EXPECT_EQ(0, v.getTextVisibility(nullptr));
    qelTextObject t;
    EXPECT_TRUE(v.isTextEmpty(nullptr, "a", 1));
    EXPECT_TRUE(v.isTextEmpty(&t, "a", 0));
    EXPECT_TRUE(v.isTextEmpty(&t, nullptr, 3));
    EXPECT_FALSE(v.isTextEmpty(&t, "a", 1));
}

} // namespace
