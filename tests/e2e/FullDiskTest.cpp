// Outputs written to a full disk: the output file is a link to /dev/full.
// The run must fail with E075 and leave no partial file behind.
#include "CApiRun.h"
#include "ScratchTest.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FullDisk : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), "data"), 0);
        ASSERT_EQ(::mkdir("out", 0755), 0);
        const std::string ini = "[Settings]\nCpPath=data/\n";
        writeFile("lorbane.ini", lrbtest::Bytes(ini.begin(), ini.end()));
    }
    void TearDown() override
    {
        ASSERT_EQ(::chdir(m_oldDir), 0);
        lrbtest::ScratchTest::TearDown();
    }

    char m_oldDir[4096] = {};
};

TEST_F(FullDisk, OutputFailsWithE075AndLeavesNoFile)
{
    const struct {
        const char* format;
        const char* extension;
    } cases[] = {{"PDF", "pdf"}, {"ASCII", "txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string target = m_dir + "/out/fop-hello." + c.extension;
        ASSERT_EQ(::symlink("/dev/full", target.c_str()), 0);
        const int rc = lrbtest::convertFile({{"IniFilePath", m_dir + "/"},
                                             {"OutputFilePath", m_dir + "/out/"},
                                             {"LogPath", m_dir + "/"},
                                             {"OutputFormat", c.format},
                                             {"QuietMode", "on"}},
                                            std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp");
        EXPECT_EQ(-75, rc);
        const std::string text = output();
        EXPECT_NE(std::string::npos,
                  text.find("E075: Unable to write data into the stream: File " + target + ", ErrorMsg: No space left on device"))
            << text;
        struct stat st;
        EXPECT_NE(0, ::lstat(target.c_str(), &st)) << "left behind";
    }
}

} // namespace
