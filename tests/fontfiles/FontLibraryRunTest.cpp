// FOP's print file converted by the demonstration program with its fonts
// and code page taken from a font library, from a resource group file and
// from a group spliced in front of the document.
#include "FontLibrary.h"
#include "ScratchTest.h"
#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace lrbtest;
using namespace lrbtest::foca;

namespace
{

std::string dataDir() { return std::string(LORBANE_SOURCE_DIR) + "/data"; }
std::string fopHello() { return std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp"; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class FontLibraryRunTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_demo = demoProgram();
        if (m_demo.empty())
            GTEST_SKIP() << "the demonstration program is not built";
        m_ini = readText(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
        std::ofstream(m_dir + "/lorbane.ini") << m_ini;
        ASSERT_EQ(::symlink(dataDir().c_str(), (m_dir + "/data").c_str()), 0);
        for (const char* folder : {"/pdf", "/log", "/lib"})
            ASSERT_EQ(::mkdir((m_dir + folder).c_str(), 0755), 0);
        writeFile("fop-hello.afp", lrbtest::readFile(fopHello()));
        writeFopLibrary(m_dir + "/lib", dataDir());
    }

    // Runs the demonstration program in the scratch folder; its exit status,
    // all it printed in `printed`.
    int demo(const std::string& arguments, std::string& printed)
    {
        const std::string command =
            "cd " + shellQuote(m_dir) + " && " + shellQuote(m_demo) + " lorbane " + arguments + " >demo.log 2>&1";
        const int status = std::system(command.c_str());
        printed = readText(m_dir + "/demo.log");
        return WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : -1000;
    }
    std::string text(const char* input) { return readText(m_dir + "/pdf/" + input + ".txt"); }
    std::string log(const char* input) { return readText(m_dir + "/log/" + input + ".log"); }

    // The text of fop-hello without any font resource.
    std::string plainText()
    {
        std::string printed;
        EXPECT_EQ(demo("-ASCII fop-hello.afp", printed), 0) << printed;
        const std::string plain = text("fop-hello");
        EXPECT_TRUE(contains(squeezed(plain), "Hello AFP world.")) << plain;
        return plain;
    }

    std::string m_demo;
    std::string m_ini;
};

} // namespace

TEST_F(FontLibraryRunTest, LibraryFontsAreLoadedAndTheTextKept)
{
    const std::string plain = plainText();
    std::string printed;
    ASSERT_EQ(demo("-ASCII -rp:lib/ -l -ll:FNTR,CDP fop-hello.afp", printed), 0) << printed;
    for (const char* file : {"C0H200D0.CHS", "C0H200B0.CHS", "C0N40000.CHS", "C0420090.CHS", "T1V10500.CDP"})
        EXPECT_TRUE(contains(printed, std::string("Loading resource file ./lib/") + file)) << file << "\n" << printed;
    EXPECT_FALSE(contains(printed, "E058")) << printed;
    EXPECT_FALSE(contains(printed, "Error")) << printed;
    EXPECT_EQ(text("fop-hello"), plain);
    const std::string logged = log("fop-hello.afp");
    for (const char* name : {"C0H200D0(*)", "T1V10500(*)"})
        EXPECT_FALSE(contains(logged, name)) << logged;
}

TEST_F(FontLibraryRunTest, DamagedCharacterSetFallsBackToTheMappers)
{
    const std::string plain = plainText();
    CharacterSet cs = libraryCharacterSet(fopFonts()[0], dataDir() + "/500.cp");
    cs.rasterDataCount = 100;
    writeBytes(m_dir + "/lib/C0H200D0.CHS", build(cs));
    std::string printed;
    ASSERT_EQ(demo("-ASCII -rp:lib/ fop-hello.afp", printed), 0) << printed;
    EXPECT_TRUE(contains(printed, "W093")) << printed;
    EXPECT_TRUE(contains(printed, "Loading resource file ./lib/C0N40000.CHS")) << printed;
    EXPECT_EQ(text("fop-hello"), plain);
}

TEST_F(FontLibraryRunTest, GroupsInlineAndFromTheIniFile)
{
    const std::string plain = plainText();
    std::vector<GroupMember> members;
    for (const LibraryMember& m : fopLibrary(dataDir()))
        members.push_back({m.name, m.type, m.bytes});

    // In front of the document: spool-level resources, nothing ignored.
    writeFile("spliced.afp", spliceBeforeDocument(lrbtest::readFile(fopHello()), buildGroup(members, true)));
    std::string printed;
    ASSERT_EQ(demo("-ASCII -l -ll:FNTR,CDP spliced.afp", printed), 0) << printed;
    EXPECT_FALSE(contains(printed, "I002")) << printed;
    EXPECT_FALSE(contains(printed, "Loading resource file")) << printed;
    EXPECT_EQ(text("spliced"), plain);
    const std::string logged = log("spliced.afp");
    const size_t spool = logged.find("List of Spool Level Global Resources at the end of the Spool:");
    ASSERT_NE(spool, std::string::npos) << logged;
    for (const char* name : {"C0H200D0", "C0H200B0", "C0N40000", "C0420090", "T1V10500"}) {
        const size_t at = logged.find(std::string(name) + "     Yes", spool);
        EXPECT_NE(at, std::string::npos) << name << "\n" << logged;
        EXPECT_FALSE(contains(logged, std::string(name) + "(*)")) << name;
    }

    // A group file named in the INI file, without Begin Resource fields.
    writeFile("fonts.grp", buildGroup(members, false));
    std::ofstream(m_dir + "/lorbane.ini") << m_ini << "\nResourceGroupFilename=fonts.grp\n";
    ASSERT_EQ(demo("-ASCII fop-hello.afp", printed), 0) << printed;
    EXPECT_TRUE(contains(printed, "Opening External Resource file fonts.grp")) << printed;
    EXPECT_FALSE(contains(printed, "Loading resource file")) << printed;
    EXPECT_FALSE(contains(printed, "I002")) << printed;
    EXPECT_EQ(text("fop-hello"), plain);
}

TEST_F(FontLibraryRunTest, PdfWithLibraryFontsPassesTheChecker)
{
    if (!haveCommand("qpdf") || !haveCommand("pdftotext"))
        GTEST_SKIP() << "qpdf or pdftotext is not installed";
    std::string printed;
    ASSERT_EQ(demo("-PDF -rp:lib/ fop-hello.afp", printed), 0) << printed;
    EXPECT_TRUE(contains(printed, "Loading resource file ./lib/C0H200D0.CHS")) << printed;
    const std::string pdf = m_dir + "/pdf/fop-hello.pdf";
    const CommandResult check = run("qpdf --check " + shellQuote(pdf));
    EXPECT_EQ(check.status, 0) << check.output;
    // In content order: the layout mode may set a word of the raster fonts'
    // Type 3 text apart from its line.
    const std::string words = squeezed(commandOutput("pdftotext -raw " + shellQuote(pdf) + " -"));
    for (const char* part : {"Hello AFP world.", "Invoice 4711.", "Courier in a box"})
        EXPECT_TRUE(contains(words, part)) << part << "\n" << words;
}

// Two inputs in one run share the pool's font parsers and resource lists:
// the second input loads the library fonts again after the first input's
// lists were cleared, and both texts equal a run of their own.
TEST_F(FontLibraryRunTest, SecondInputOfARunLoadsTheLibraryFontsAgain)
{
    const std::string plain = plainText();
    writeFile("second.afp", lrbtest::readFile(fopHello()));
    std::string printed;
    ASSERT_EQ(demo("-ASCII -rp:lib/ fop-hello.afp second.afp", printed), 0) << printed;
    const std::string loading = "Loading resource file ./lib/C0H200D0.CHS";
    const size_t first = printed.find(loading);
    ASSERT_NE(first, std::string::npos) << printed;
    EXPECT_NE(printed.find(loading, first + loading.size()), std::string::npos) << printed;
    EXPECT_FALSE(contains(printed, "E058")) << printed;
    EXPECT_FALSE(contains(printed, "Error")) << printed;
    EXPECT_EQ(text("fop-hello"), plain);
    EXPECT_EQ(text("second"), plain);
}
