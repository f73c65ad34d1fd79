// The kernel's use of the object library: the component listing and the
// library's end with every run.
#include "AfpWriteSupport.h"

#include "CApiRun.h"
#include "lorbane.h"
#include "qel/afp/Log.h"
#include "qel/afp/OutputProfile.h"

using namespace afpwrite;

namespace
{

class KernelTest : public ScratchTest
{
};

TEST_F(KernelTest, ListingNamesTheLibraryAfterTheImageLibrary)
{
    const std::string listing = getVersionAll();
    char line[128];
    std::snprintf(line, sizeof line, "\n%-36s: V%s\n", "Orvo AFP Library", "1.1");
    const size_t at = listing.find(line);
    ASSERT_NE(at, std::string::npos) << listing;
    EXPECT_LT(listing.find("\nOrvo Image Library"), at);
    EXPECT_LT(listing.find("\nPNG Library"), at);
    const size_t gd = listing.find("\nGD Library");
    if (gd != std::string::npos) {
        EXPECT_LT(at, gd);
    }
    EXPECT_LT(at, listing.find("\nFreetype Library"));
}

TEST_F(KernelTest, RunEndsTheLibrary)
{
    qel::afp::initializeLibrary();
    qel::DataPool::getInstance()->getOutputProfile()->setLevel(4);
    const std::string out = m_dir + "/";
    writeFile("lorbane.ini", Bytes{'[', 'S', 'e', 't', 't', 'i', 'n', 'g', 's', ']', '\n'});
    const int rc = convertFile({{"IniFilePath", out}, {"OutputFilePath", out}, {"LogPath", out}, {"OutputFormat", "ASCII"},
                                {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}},
                               LORBANE_TEST_DATA "/fop/fop-hello.afp");
    EXPECT_EQ(rc, 0) << output();
    // The pool of the run is gone with its settings; the log is silent.
    EXPECT_EQ(qel::getLogComposition(), nullptr);
    EXPECT_EQ(qel::logError("e"), -1);
    EXPECT_EQ(qel::DataPool::getInstance()->getOutputProfile()->getLevel(), 0);
    qel::DataPool::releaseInstance();
}

} // namespace
