// External resource files of the input start-up with a parser that is not
// the document parser of the pool: the document index file sets the
// kernel's flag only when it holds an index, and a reader registered for a
// kind takes the located file in place of the built-in one.
#include "FieldText.h"
#include "KernelTestSupport.h"

#include "qelSDKKernel.h"

using namespace kerneltest;

namespace
{

using lrbtest::chars::field;

std::vector<std::string> g_readPaths;

int recordReader(qelLorbane*, int kind, const char* path, qelDocumentParser*)
{
    g_readPaths.push_back(std::to_string(kind) + ":" + path);
    return 0;
}

} // namespace

TEST_F(KernelTest, DocumentIndexFileSetsTheLoadedFlagWhenItHoldsAnIndex)
{
    const struct
    {
        const char* label;
        std::string bytes;
        bool loaded;
    } cases[] = {
        {"index", field(0xA8A7) + field(0xA9A7), true},
        {"begin without end", field(0xA8A7), true},
        {"no index", field(0xEEEE, "NOTE"), false},
    };
    ini->setQuietMode(false);
    qelIni::setCurrent(ini);
    qelIni::addInputFile(input.c_str());
    startKernel();
    startRun();
    qelLorbane* kernel = qelLorbane::getInstance();
    for (const auto& c : cases) {
        writeBytes(m_dir + "INDEX.IDX", c.bytes);
        ini->setAttribute("DocumentIndexFilename", "INDEX.IDX");
        ASSERT_EQ(kernel->openFileInput(input.c_str()), 0) << c.label;
        EXPECT_EQ(kernel->isDocumentIndexLoaded(), c.loaded) << c.label;
        endInput();
    }
    endRun();
    const std::string text = messages();
    EXPECT_NE(text.find("\nOpening External Document Index file INDEX.IDX\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nClosing External Document Index file INDEX.IDX\n"), std::string::npos) << text;
}

TEST_F(KernelTest, RegisteredReaderTakesTheLocatedFile)
{
    g_readPaths.clear();
    qelLorbane::registerExternalReader(0, &recordReader);
    writeBytes(m_dir + "GROUP.RES", "not read by the group parser");
    ini->setAttribute("ResourceGroupFilename", "GROUP.RES");
    convert({input});
    EXPECT_EQ(g_readPaths, std::vector<std::string>({"0:" + m_dir + "GROUP.RES"})) << messages();
}
