// Several inputs in one call of the C interface, where state carried from one
// input to the next would show: each output of a call over three inputs must
// equal the output of that input's own call, and a merge of the three must
// hold their pages in order.
#include "CApiRun.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "lorbane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using lrbtest::commandOutput;
using lrbtest::readText;
using lrbtest::shellQuote;

// An inline resource group with images and graphics first, then plain text
// pages, then page groups with index tags.
const std::vector<std::string> kNames = {"fop-rich", "fop-hello", "fop-tle"};

struct Format
{
    const char* option;
    const char* extension;
};

const Format kFormats[] = {{"ASCII", "txt"}, {"PDF", "pdf"}};

std::string fixture(const std::string& name)
{
    return std::string(LORBANE_TEST_DATA) + "/fop/" + name + ".afp";
}

class SeveralInputs : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        // DevTest leaves the creation date and the file identifier out of
        // the PDF, so outputs of different calls compare equal.
        std::string ini = "[Settings]\nCpPath=" + std::string(LORBANE_SOURCE_DIR) + "/data/\nDevTest=on\n";
        writeFile("lorbane.ini", lrbtest::Bytes(ini.begin(), ini.end()));
        for (const char* folder : {"several", "single", "merged"})
            ASSERT_EQ(::mkdir((m_dir + "/" + folder).c_str(), 0755), 0);
    }

    lrbtest::OptionPairs options(const Format& format, const std::string& folder)
    {
        return {{"IniFilePath", m_dir + "/"}, {"OutputFilePath", m_dir + "/" + folder + "/"},
                {"LogPath", m_dir + "/"},     {"TempPath", m_dir + "/"},
                {"ExtFontPath", m_dir + "/"}, {"OutputFormat", format.option},
                {"QuietMode", "on"}};
    }

    std::string outputPath(const std::string& folder, const std::string& name, const Format& format)
    {
        return m_dir + "/" + folder + "/" + name + "." + format.extension;
    }

    // The merge command's call: the inputs as document ids, one output file.
    int merge(const Format& format, const std::string& output)
    {
        lrbtest::OptionPairs pairs = options(format, "merged");
        pairs.emplace_back("FileCreationMode", "doc_merge");
        lrbtest::OptionChain chain(pairs);
        std::vector<std::string> inputs;
        for (const std::string& name : kNames)
            inputs.push_back(fixture(name));
        lrbtest::NameList ids(inputs);
        EXPECT_EQ(lorbane_SetOptions(chain.head()), 0);
        EXPECT_EQ(lorbane_Reader_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(chain.head()), 0);
        const int rc = lorbane_File_Reader(ids.first(), output.c_str());
        lorbane_Reader_Term();
        return rc;
    }

    // Every input converted on its own into single/; the codes returned.
    std::vector<int> convertEachAlone(const Format& format)
    {
        std::vector<int> codes;
        for (const std::string& name : kNames)
            codes.push_back(lrbtest::convertFile(options(format, "single"), fixture(name)));
        return codes;
    }
};

// The pages of a PDF: the text of each and its size.
std::vector<std::string> pdfPages(const std::string& pdf)
{
    const std::string quoted = shellQuote(pdf);
    const int count = std::atoi(commandOutput("qpdf --show-npages " + quoted + " 2>/dev/null").c_str());
    std::vector<std::string> pages;
    for (int page = 1; page <= count; ++page) {
        const std::string range = " -f " + std::to_string(page) + " -l " + std::to_string(page) + " ";
        std::string size = commandOutput("pdfinfo" + range + quoted + " 2>/dev/null | grep '^Page.*size:'");
        size = size.substr(size.find(':'));
        pages.push_back(size + commandOutput("pdftotext -layout" + range + quoted + " - 2>/dev/null"));
    }
    return pages;
}

TEST_F(SeveralInputs, EachOutputEqualsTheOutputOfItsOwnCall)
{
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.option);
        std::vector<std::string> inputs;
        for (const std::string& name : kNames)
            inputs.push_back(fixture(name));
        // The images of the first input are skipped: 2, as on its own.
        EXPECT_EQ(lrbtest::convertFiles(options(format, "several"), inputs), 2) << output();
        EXPECT_EQ(convertEachAlone(format), (std::vector<int>{2, 0, 0})) << output();
        for (const std::string& name : kNames) {
            SCOPED_TRACE(name);
            const std::string alone = readText(outputPath("single", name, format));
            ASSERT_FALSE(alone.empty());
            EXPECT_TRUE(alone == readText(outputPath("several", name, format)));
        }
    }
}

TEST_F(SeveralInputs, MergeHoldsThePagesOfEachInputInOrder)
{
    for (const char* tool : {"qpdf", "pdfinfo", "pdftotext"})
        if (!lrbtest::haveCommand(tool))
            GTEST_SKIP() << tool << " is not installed";
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.option);
        const std::string merged = m_dir + "/merged/all." + format.extension;
        EXPECT_EQ(merge(format, merged), 2) << output();
        convertEachAlone(format);
        if (format.extension == std::string("txt")) {
            std::string expected;
            for (const std::string& name : kNames)
                expected += readText(outputPath("single", name, format));
            EXPECT_EQ(readText(merged), expected);
            continue;
        }
        EXPECT_EQ(commandOutput("qpdf --check " + shellQuote(merged) + " >/dev/null 2>&1; echo $?"), "0\n");
        std::vector<std::string> expected;
        for (const std::string& name : kNames) {
            std::vector<std::string> pages = pdfPages(outputPath("single", name, format));
            ASSERT_FALSE(pages.empty()) << name;
            expected.insert(expected.end(), pages.begin(), pages.end());
        }
        const std::vector<std::string> pages = pdfPages(merged);
        ASSERT_EQ(pages.size(), expected.size());
        for (size_t page = 0; page < pages.size(); ++page)
            EXPECT_EQ(pages[page], expected[page]) << "page " << page + 1;
    }
}

} // namespace
