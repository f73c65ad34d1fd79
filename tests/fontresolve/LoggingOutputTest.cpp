#include "CApiRun.h"
#include "ScratchTest.h"
#include "lorbane.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using lrbtest::readText;

// Converts a FOP fixture into text once without and once with object
// logging; the outputs must not differ.
class LoggingOutputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        ASSERT_EQ(m_oldDir, ::getcwd(m_oldDir, sizeof m_oldDir));
        ASSERT_EQ(0, ::chdir(m_dir.c_str()));
        ASSERT_EQ(0, ::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), "data"));
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\nCpPath=data/\n";
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        ASSERT_EQ(0, ::chdir(m_oldDir));
        m_folder.reset();
    }

    // The text written for the input, with the given extra options.
    std::string convert(const std::string& input, const std::string& outDir,
                        std::vector<std::pair<std::string, std::string>> extra)
    {
        ::mkdir((m_dir + outDir).c_str(), 0755);
        std::vector<std::pair<std::string, std::string>> all = {{"IniFilePath", m_dir},
                                                                {"OutputFilePath", m_dir + outDir + "/"},
                                                                {"LogPath", m_dir + outDir + "/"},
                                                                {"OutputFormat", "ASCII"},
                                                                {"QuietMode", "on"}};
        all.insert(all.end(), extra.begin(), extra.end());
        const int rc = lrbtest::convertFile(all, input);
        EXPECT_TRUE(rc == 0 || rc == 2) << rc;
        return readText(m_dir + outDir + "/fop-rich.txt");
    }

    FILE* m_messages = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    char m_oldDir[4096] = {};
};

TEST_F(LoggingOutputTest, ObjectLoggingLeavesTheTextUnchanged)
{
    const std::string input = std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp";
    const std::string plain = convert(input, "plain", {});
    const std::string logged = convert(input, "logged", {{"Logging", "on"}, {"LoggingLevel", "ALL"}});
    ASSERT_NE(std::string::npos, plain.find("Statement")) << plain;
    EXPECT_EQ(plain, logged);
    struct stat st;
    ASSERT_EQ(0, ::stat((m_dir + "logged/fop-rich.afp.log").c_str(), &st));
    EXPECT_GT(st.st_size, 0);
}

} // namespace
