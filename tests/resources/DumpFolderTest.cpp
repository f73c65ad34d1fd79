// The folder of dumped inline resources: released with its input and made
// again by the next one.
#include "../afp/AfpTestSupport.h"
#include "ScratchTest.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelResGroupParser.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace afptest;

namespace
{

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class DumpFolderTest : public lrbtest::ScratchTest
{
};

TEST_F(DumpFolderTest, ReleasedFolderGoesAndTheNextGroupMakesItAgain)
{
    // A group holding one page segment.
    Bytes begin = ebcdic("S1SEG001");
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0xFB, 0, 0, 0, 0, 0, 0, 0});
    Bytes group = field(0xA8C6, {});
    append(group, field(0xA8CE, begin));
    append(group, field(0xA85F, ebcdic("S1SEG001")));
    append(group, field(0xA95F, ebcdic("S1SEG001")));
    append(group, field(0xA9CE, {}));
    append(group, field(0xA9C6, {}));
    const std::string path = writeFile("group.afp", group);
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setResourceGroup("1");
    ini->setTempPath((m_dir + "/").c_str());
    qelResGroupParser* groups = qelGlobalDSPool::getInstance()->getResGroupParser();

    for (int run = 0; run < 2; ++run) {
        groups->parseFile(path.c_str());
        const std::string directory = groups->getDumpDirectory();
        ASSERT_FALSE(directory.empty()) << run << output();
        EXPECT_TRUE(isDirectory(directory)) << run;
        EXPECT_EQ(groups->releaseDumpDirectory(), directory) << run;
        EXPECT_TRUE(groups->getDumpDirectory().empty()) << run;
        EXPECT_EQ(qelUtils::deleteDirectory(directory.c_str()), 0) << run;
        EXPECT_FALSE(isDirectory(directory)) << run;
        EXPECT_TRUE(groups->releaseDumpDirectory().empty()) << run;
    }
}

} // namespace
