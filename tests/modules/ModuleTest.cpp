// Heavy libraries come from modules loaded on first need: a plain
// conversion maps none of them, and a missing module is a coded error
// naming it.
#include "ScratchTest.h"

#include "lorbane.h"
#include "qelAFPCharMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelFTPStream.h"
#include "qelFontMetrics.h"
#include "qelFtpClient.h"
#include "qelLorbane.h"
#include "qelImgProcessor.h"
#include "qelModuleLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using lrbtest::raised;
using lrbtest::readText;
using lrbtest::ScratchTest;

const char* const kHeavy = "libgd|libcurl|libcairo|libpoppler|libperl";

bool haveModules()
{
    return ::access(qelModuleLoader::getFolder().c_str(), F_OK) == 0;
}

// Exit status of a shell command, -1000 when it did not end normally.
int shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

// Names of the shared objects a run loaded, from LD_DEBUG=files output
// files whose names begin with `prefix`.
std::set<std::string> loadedObjects(const std::string& folder, const std::string& prefix)
{
    std::set<std::string> names;
    static const std::regex file("file=([^ ;]+)");
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string text = readText(folder + "/" + name);
            for (std::sregex_iterator m(text.begin(), text.end(), file), end; m != end; ++m)
                names.insert((*m)[1]);
        }
        ::closedir(dir);
    }
    return names;
}

// A font whose one entry has no glyph: a strip of 32 x 1 white pels.
qelFontMetrics* blankMetrics()
{
    auto* m = new qelFontMetrics;
    m->setMaxCharBoxWidth(8);
    m->setMaxCharBoxHeight(1);
    m->setCharMetricsList(new qelCharMetrics*[1]{new qelAFPCharMetrics}, 1);
    return m;
}

} // namespace

TEST(ModuleLoader, FailuresNameTheModuleFile)
{
    ASSERT_TRUE(haveModules()) << qelModuleLoader::getFolder();
    const std::string tag = std::to_string(::getpid());
    const std::string notElf = "broken" + tag;
    const std::string noRegistration = "plain" + tag;
    const std::string folder = qelModuleLoader::getFolder();
    std::ofstream(folder + qelModuleLoader::getFileName(notElf.c_str())) << "not a shared object";
    ASSERT_EQ(shell("cp /lib/x86_64-linux-gnu/libuuid.so.1 '" + folder +
                    qelModuleLoader::getFileName(noRegistration.c_str()) + "'"),
              0);
    const struct
    {
        std::string name;
        const char* reason;
    } cases[] = {
        {"absent" + tag, "cannot open shared object file"},
        {notElf, "file too short|invalid ELF header"},
        {noRegistration, "no qelRegisterModule"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = qelModuleLoader::getFileName(c.name.c_str());
        EXPECT_EQ(file, "lorbane-" + c.name + ".so");
        std::string reason;
        EXPECT_FALSE(qelModuleLoader::load(c.name.c_str(), reason));
        EXPECT_EQ(reason.compare(0, 8 + file.size(), "module " + file + ":"), 0) << reason;
        EXPECT_TRUE(std::regex_search(reason, std::regex(c.reason))) << reason;
        const auto r = raised([&] { qelModuleLoader::require(c.name.c_str()); });
        EXPECT_EQ(r.id, 12);
        EXPECT_EQ(r.message, "E012: Lorbane is not built for module " + file + ".");
    }
    std::remove((folder + qelModuleLoader::getFileName(notElf.c_str())).c_str());
    std::remove((folder + qelModuleLoader::getFileName(noRegistration.c_str())).c_str());
}

TEST(ModuleLoader, ClearedChoicesAreRegisteredAgainOnTheNextNeed)
{
    for (int round = 0; round < 2; ++round) {
        qelLorbane::clearChoices();
        std::string reason;
        std::unique_ptr<qelFtpClient> client(qelLorbane::createFtpClient(reason));
        ASSERT_NE(client, nullptr) << reason;
        EXPECT_FALSE(client->isConnected());
        EXPECT_TRUE(std::regex_match(qelLorbane::getComponentVersion("gd", "GD Library"),
                                     std::regex(R"(\d+\.\d+\.\d+)")));
        EXPECT_EQ(qelLorbane::getComponentVersion("gd", "No Such Library"), "");
    }
    qelLorbane::clearChoices();
    EXPECT_NE(std::string(getVersionAll()).find("\nGD Library"), std::string::npos);
}

class DemoRun : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        std::ofstream(m_dir + "/lorbane.ini") << readText(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), (m_dir + "/data").c_str()), 0);
        for (const char* sub : {"/out", "/log", "/extfont", "/ld"})
            ASSERT_EQ(::mkdir((m_dir + sub).c_str(), 0755), 0);
    }

    // Runs the demonstration program in the scratch folder with the given
    // environment; its exit status, its output in demo.log.
    int runDemo(const std::string& environment, const std::string& arguments)
    {
        return shell("cd '" + m_dir + "' && " + environment + " '" LORBANE_DEMO "' " + arguments +
                     " >demo.log 2>&1");
    }
};

TEST_F(DemoRun, PlainConversionsMapNoHeavyLibrary)
{
    const std::string input = std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp";
    const struct
    {
        const char* label;
        std::string arguments;
        const char* output;
        bool heavy;
    } cases[] = {
        {"text", "lorbane -ASCII -op:out/ " + input, "out/fop-hello.txt", false},
        {"pdf", "lorbane -PDF -op:out/ " + input, "out/fop-hello.pdf", false},
        {"version", "-v", nullptr, false},
        // The listing asks the gd module for its version.
        {"listing", "-vall", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string prefix = std::string(c.label) + ".";
        const int rc = runDemo("LD_DEBUG=files LD_DEBUG_OUTPUT=ld/" + std::string(c.label), c.arguments);
        EXPECT_EQ(rc, 0) << readText(m_dir + "/demo.log");
        if (c.output) {
            EXPECT_EQ(::access((m_dir + "/" + c.output).c_str(), F_OK), 0) << readText(m_dir + "/demo.log");
        }
        const std::set<std::string> objects = loadedObjects(m_dir + "/ld", prefix);
        EXPECT_GT(objects.size(), 3u);
        std::string heavy;
        for (const std::string& name : objects)
            if (std::regex_search(name, std::regex(kHeavy)))
                heavy += name + " ";
        EXPECT_EQ(!heavy.empty(), c.heavy) << heavy;
    }
}

TEST_F(DemoRun, ListingShowsTheImageLibraryWithItsLibraries)
{
    ASSERT_EQ(runDemo("", "-vall"), 0);
    const std::string listing = readText(m_dir + "/demo.log");
    char* versions = qelImgProcessor::getLibraryVersions();
    const std::string libraries = versions;
    delete[] versions;
    const std::string image = "\nOrvo Image Library                  : V1.14\n";
    ASSERT_EQ(std::count(libraries.begin(), libraries.end(), '\n'), 4);
    EXPECT_NE(listing.find(image + libraries), std::string::npos) << listing;
    EXPECT_NE(libraries.find("    TIFF Library"), std::string::npos);
    EXPECT_EQ(listing.find("\nTIFF Library"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("\nJPEG Library"), std::string::npos) << listing;
}

// A copy of liblorbane.so in a folder without modules: this program runs
// again over it (LD_LIBRARY_PATH comes before the build's run path) with
// the WithoutModules tests, which stand aside while the modules are there.
TEST_F(DemoRun, LibraryWithoutModulesEndsWithCodedErrors)
{
    const std::string folder = qelModuleLoader::getFolder();
    const std::string library = folder.substr(0, folder.size() - std::strlen("lorbane-modules/")) + "liblorbane.so";
    ASSERT_EQ(shell("cp '" + library + "' '" + m_dir + "/'"), 0);
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const int rc = shell("LD_LIBRARY_PATH='" + m_dir + "' '" + self +
                         "' --gtest_filter='WithoutModules.*' >'" + m_dir + "/child.log' 2>&1");
    const std::string log = readText(m_dir + "/child.log");
    EXPECT_EQ(rc, 0) << log;
    EXPECT_NE(log.find("[  PASSED  ] 3 tests."), std::string::npos) << log;
    EXPECT_EQ(log.find("SKIPPED"), std::string::npos) << log;

    // The demonstration program over the copy: the listing leaves gd out.
    EXPECT_EQ(runDemo("LD_LIBRARY_PATH='" + m_dir + "'", "-vall"), 0);
    const std::string listing = readText(m_dir + "/demo.log");
    EXPECT_NE(listing.find("\nPNG Library"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("GD Library"), std::string::npos) << listing;
}

class WithoutModules : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        if (haveModules())
            GTEST_SKIP() << "runs over a copy of liblorbane.so without modules";
    }
};

TEST_F(WithoutModules, FtpLocationIsE190NamingTheModule)
{
    const auto r = raised([] { qelFTPStream stream("127.0.0.1", "u", "secret", 21); });
    EXPECT_EQ(r.id, 190);
    EXPECT_EQ(r.message.rfind("E190: Internet Connection failed. Reason: module lorbane-ftp.so: ", 0), 0u)
        << r.message;
}

TEST_F(WithoutModules, GlyphStripIsE012NamingTheModule)
{
    qelAFPFontRepresentation rep;
    rep.setMetrics(blankMetrics());
    const auto r = raised([&] { rep.buildGlyphBitmap(); });
    EXPECT_EQ(r.id, 12);
    EXPECT_EQ(r.message, "E012: Lorbane is not built for module lorbane-gd.so.");
    EXPECT_EQ(rep.getRasterImage(), nullptr);
}

TEST_F(WithoutModules, ListingLeavesTheModulesComponentsOut)
{
    const std::string listing = getVersionAll();
    EXPECT_NE(listing.find("\nPNG Library"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("GD Library"), std::string::npos) << listing;
}
