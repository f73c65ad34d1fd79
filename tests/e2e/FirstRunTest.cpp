// The README's first-run sequence, run as a new user pastes it: in an empty
// folder outside the clone, with LORBANE naming the clone; the demonstration
// program of this build stands in for the release build's.
#include "ScratchTest.h"
#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

using lrbtest::readText;
using lrbtest::shellQuote;

const std::string kReleaseDemo = "\"$LORBANE/build/release/demo/lorbane-demo\"";

// The indented lines between the README's two marker comments.
std::string firstRunSequence()
{
    std::istringstream in(readText(std::string(LORBANE_SOURCE_DIR) + "/README.md"));
    std::string sequence;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("<!-- first-run sequence", 0) == 0)
            inside = true;
        else if (line.rfind("<!-- end of the first-run sequence", 0) == 0)
            break;
        else if (inside && line.rfind("    ", 0) == 0)
            sequence += line.substr(4) + "\n";
    }
    return sequence;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class FirstRun : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_demo = lrbtest::demoProgram();
        if (m_demo.empty())
            GTEST_SKIP() << "the demonstration program is not built";
        m_sequence = firstRunSequence();
        const size_t at = m_sequence.find(kReleaseDemo);
        ASSERT_NE(at, std::string::npos) << m_sequence;
        m_sequence.replace(at, kReleaseDemo.size(), shellQuote(m_demo));
    }

    // Runs `sequence` in the scratch folder; its exit status, all it printed
    // in `printed`.
    int run(const std::string& sequence, std::string& printed)
    {
        const std::string command = "cd " + shellQuote(m_dir) + " && LORBANE=" + shellQuote(LORBANE_SOURCE_DIR) +
                                    " bash -e -c " + shellQuote(sequence) + " >run.log 2>&1";
        const int status = std::system(command.c_str());
        printed = readText(m_dir + "/run.log");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string m_demo;
    std::string m_sequence;
};

TEST_F(FirstRun, SequenceConvertsTheSampleWithoutAWarning)
{
    std::string printed;
    ASSERT_EQ(run(m_sequence, printed), 0) << printed;
    EXPECT_FALSE(contains(printed, "Warning")) << printed;
    EXPECT_FALSE(contains(printed, "Error")) << printed;
    for (const char* output : {"out/fop-hello.txt", "out/fop-hello.pdf", "out/colour/fop-hello.pdf"})
        EXPECT_FALSE(readText(m_dir + "/" + output).empty()) << output << "\n" << printed;
    EXPECT_TRUE(contains(lrbtest::squeezed(readText(m_dir + "/out/fop-hello.txt")), "Hello AFP world."));
}

// Each set-up step the README explains, left out: what it says happens then.
TEST_F(FirstRun, EachSetUpStepPreventsWhatTheReadmeSays)
{
    struct Case
    {
        const char* step;
        const char* replacement;
        const char* printed;
    };
    const Case cases[] = {
        {"cp -R \"$LORBANE/data\" .\n", "", "Unable to open file ./data/gcgid2unicode.def"},
        {"mkdir -p out/colour log extfont\n", "mkdir -p log extfont\n", "E103: Invalid Output path (./out/)."},
        {"mkdir -p out/colour log extfont\n", "mkdir -p out/colour log\n",
         "Warning! Invalid ext font Path ./extfont/, Using default (extfont)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printed);
        std::string sequence = m_sequence;
        const size_t at = sequence.find(c.step);
        ASSERT_NE(at, std::string::npos) << sequence;
        sequence.replace(at, std::string(c.step).size(), c.replacement);
        std::string printed;
        run("set +e\n" + sequence, printed);
        EXPECT_TRUE(contains(printed, c.printed)) << printed;
        ASSERT_TRUE(m_folder->clear());
    }
}

} // namespace
