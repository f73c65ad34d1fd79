// Several inputs in one call of the C interface, where state carried from one
// input to the next would show: each output of a call over three inputs must
// equal the output of that input's own call, and a merge of the three must
// hold their pages in order.
#include "CApiRun.h"
#include "FieldText.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "lorbane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <map>
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
    int merge(const Format& format, const std::string& output, std::vector<std::string> inputs = {})
    {
        lrbtest::OptionPairs pairs = options(format, "merged");
        pairs.emplace_back("FileCreationMode", "doc_merge");
        lrbtest::OptionChain chain(pairs);
        if (inputs.empty())
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

    // lorbane_Mem_Reader over `inputs`, merging; its output goes to `output`.
    int mergeInMemory(const std::vector<std::string>& inputs, const std::string& output)
    {
        lrbtest::OptionPairs pairs = options(kFormats[1], "merged");
        pairs.emplace_back("FileCreationMode", "doc_merge");
        lrbtest::OptionChain chain(pairs);
        lrbtest::NameList ids(inputs);
        EXPECT_EQ(lorbane_SetOptions(chain.head()), 0);
        EXPECT_EQ(lorbane_Reader_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(chain.head()), 0);
        void* buffer = nullptr;
        int size = 0;
        const int rc = lorbane_Mem_Reader(ids.first(), &buffer, &size);
        lorbane_Reader_Term();
        if (buffer && size > 0)
            writeFile(output.substr(m_dir.size() + 1), lrbtest::Bytes(static_cast<unsigned char*>(buffer),
                                                                     static_cast<unsigned char*>(buffer) + size));
        std::free(buffer);
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
        // The images of the first input are read: nothing is skipped.
        EXPECT_EQ(lrbtest::convertFiles(options(format, "several"), inputs), 0) << output();
        EXPECT_EQ(convertEachAlone(format), (std::vector<int>{0, 0, 0})) << output();
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
        EXPECT_EQ(merge(format, merged), 0) << output();
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

// The page count of a PDF; 0 when qpdf cannot read it.
int pageCount(const std::string& pdf)
{
    return std::atoi(commandOutput("qpdf --show-npages " + shellQuote(pdf) + " 2>/dev/null").c_str());
}

// The only PDF in a folder, or an empty text.
std::string onlyPdf(const std::string& folder)
{
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pdf") == 0)
                found.push_back(folder + "/" + name);
        }
        ::closedir(dir);
    }
    return found.size() == 1 ? found[0] : std::string();
}

// The fields of a print file without their X'5A' introducers.
lrbtest::Bytes withoutIntroducers(const lrbtest::Bytes& framed)
{
    lrbtest::Bytes plain;
    for (size_t at = 0; at + 3 <= framed.size() && framed[at] == 0x5A;) {
        const size_t length = (static_cast<size_t>(framed[at + 1]) << 8) | framed[at + 2];
        if (length < 8 || at + 1 + length > framed.size())
            break;
        plain.insert(plain.end(), framed.begin() + static_cast<long>(at + 1),
                     framed.begin() + static_cast<long>(at + 1 + length));
        at += 1 + length;
    }
    return plain;
}

// Pairs of documents read back to back as one input: the same document
// with and without X'5A' framing (the framed one also ending in a line end),
// and a first document shorter than the sample that detects the input
// format. Every merging call keeps the pages of both documents, with the
// result and page count of lorbane_File.
TEST_F(SeveralInputs, MergedPairsKeepThePagesOfBothDocuments)
{
    if (!lrbtest::haveCommand("qpdf"))
        GTEST_SKIP() << "qpdf is not installed";
    const lrbtest::Bytes hello = lrbtest::readFile(fixture("fop-hello"));
    ASSERT_EQ(hello.at(0), 0x5A);
    const std::string framed = writeFile("framed.afp", hello);
    const lrbtest::Bytes unframed = withoutIntroducers(hello);
    ASSERT_FALSE(unframed.empty());
    ASSERT_NE(unframed[0], 0x5A);
    const std::string plain = writeFile("plain.afp", unframed);
    const lrbtest::Bytes tiny = lrbtest::cat({lrbtest::field(0xA8A8, lrbtest::name8("TINY")),
                                              lrbtest::field(0xA8AF, lrbtest::name8("P1")),
                                              lrbtest::field(0xA9AF, lrbtest::name8("P1")),
                                              lrbtest::field(0xA9A8, lrbtest::name8("TINY"))});
    ASSERT_LT(tiny.size(), 80u);
    const std::string shortDoc = writeFile("short.afp", tiny);
    lrbtest::Bytes lineEnd = hello;
    lrbtest::append(lineEnd, {0x0D, 0x0A});
    const std::string framedLine = writeFile("framedline.afp", lineEnd);

    // The pages of each document converted alone.
    std::map<std::string, int> pagesAlone;
    for (const char* name : {"framed", "plain", "short", "framedline"}) {
        const std::string input = m_dir + "/" + name + ".afp";
        EXPECT_EQ(lrbtest::convertFile(options(kFormats[1], "single"), input), 0) << output();
        pagesAlone[input] = pageCount(outputPath("single", name, kFormats[1]));
    }
    EXPECT_EQ(pagesAlone[shortDoc], 1);
    EXPECT_EQ(pagesAlone[plain], pagesAlone[framed]);

    const std::vector<std::vector<std::string>> pairs = {
        {framed, plain}, {plain, framed}, {shortDoc, framed}, {framed, shortDoc}, {framedLine, plain}};
    const std::string demo = lrbtest::demoProgram();
    int number = 0;
    for (const std::vector<std::string>& inputs : pairs) {
        SCOPED_TRACE(inputs[0] + " then " + inputs[1]);
        const std::string tag = std::to_string(++number);
        const int pages = pagesAlone[inputs[0]] + pagesAlone[inputs[1]];
        ASSERT_GE(pages, 2);
        const std::string folder = m_dir + "/file" + tag;
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        lrbtest::OptionPairs fileOptions = options(kFormats[1], "file" + tag);
        fileOptions.emplace_back("FileCreationMode", "doc_merge");
        EXPECT_EQ(lrbtest::convertFiles(fileOptions, inputs), 0) << output();
        EXPECT_EQ(pageCount(onlyPdf(folder)), pages);

        const std::string reader = m_dir + "/merged/reader" + tag + ".pdf";
        EXPECT_EQ(merge(kFormats[1], reader, inputs), 0) << output();
        EXPECT_EQ(pageCount(reader), pages);
        const std::string memory = m_dir + "/merged/memory" + tag + ".pdf";
        EXPECT_EQ(mergeInMemory(inputs, memory), 0) << output();
        EXPECT_EQ(pageCount(memory), pages);

        // The demonstration program's merge and mergemem commands.
        if (demo.empty())
            continue;
        const std::string files = " " + shellQuote(inputs[0]) + " " + shellQuote(inputs[1]);
        const std::string run = "cd " + shellQuote(m_dir) + " && " + shellQuote(demo);
        EXPECT_EQ(commandOutput(run + " merge -PDF -doc_merge -of:merged/demo" + tag + ".pdf" + files +
                                " >demo.log 2>&1; echo $?"),
                  "0\n")
            << readText(m_dir + "/demo.log");
        EXPECT_EQ(pageCount(m_dir + "/merged/demo" + tag + ".pdf"), pages);
        const std::string memoryFolder = m_dir + "/pdf";
        ::mkdir(memoryFolder.c_str(), 0755);
        EXPECT_EQ(commandOutput(run + " mergemem -PDF -doc_merge" + files + " >demo.log 2>&1; echo $?"), "0\n")
            << readText(m_dir + "/demo.log");
        EXPECT_EQ(pageCount(memoryFolder + "/merge.PDF"), pages);
        ::remove((memoryFolder + "/merge.PDF").c_str());
    }
}

} // namespace
