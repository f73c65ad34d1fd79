// AFP made by an independent producer, converted to text end to end and
// compared word by word with the text of the producer's own PDF.
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "lorbane.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Row = std::vector<std::string>;
using Page = std::vector<Row>;

std::string fixture(const std::string& name)
{
    return std::string(LORBANE_TEST_DATA) + "/fop/" + name;
}

using lrbtest::commandOutput;
using lrbtest::haveCommand;
using lrbtest::readText;
using lrbtest::shellQuote;

// Our text holds one byte per character, the Windows-1252 value the code
// page files give.
std::string toUtf8(const std::string& text)
{
    iconv_t cd = ::iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string in = text;
    std::string out(in.size() * 4 + 16, '\0');
    char* source = &in[0];
    size_t sourceLeft = in.size();
    char* target = &out[0];
    size_t targetLeft = out.size();
    while (sourceLeft > 0) {
        if (::iconv(cd, &source, &sourceLeft, &target, &targetLeft) != static_cast<size_t>(-1))
            break;
        // A byte without a character (0x81, 0x8D, ...) becomes '?'.
        *target++ = '?';
        --targetLeft;
        ++source;
        --sourceLeft;
    }
    ::iconv_close(cd);
    out.resize(out.size() - targetLeft);
    return out;
}

// The words of a line, without the euro sign that the producer could only
// write as a substitute character in the AFP.
Row words(const std::string& line)
{
    Row row;
    std::istringstream in(line);
    std::string word;
    while (in >> word) {
        for (size_t at = word.find("\xE2\x82\xAC"); at != std::string::npos; at = word.find("\xE2\x82\xAC"))
            word.erase(at, 3);
        if (!word.empty())
            row.push_back(word);
    }
    return row;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        result.push_back(line);
    return result;
}

// Pages of our text, closed by "- Page n - " lines; the numbers of the
// marks in marks.
std::vector<Page> ourPages(const std::string& text, std::vector<int>& marks)
{
    static const std::regex mark("^- Page ([0-9]+) - $");
    std::vector<Page> pages(1);
    for (const std::string& line : lines(toUtf8(text))) {
        std::smatch m;
        if (std::regex_match(line, m, mark)) {
            marks.push_back(std::atoi(m[1].str().c_str()));
            pages.emplace_back();
            continue;
        }
        Row row = words(line);
        if (!row.empty())
            pages.back().push_back(row);
    }
    if (pages.back().empty())
        pages.pop_back();
    return pages;
}

// Pages of the reference PDF's text, split at form feeds.
std::vector<Page> referencePages(const std::string& pdf)
{
    std::string text = commandOutput("pdftotext -layout " + shellQuote(pdf) + " - 2>/dev/null");
    std::vector<Page> pages(1);
    for (char& c : text)
        if (c == '\f')
            c = '\x01';
    for (const std::string& line : lines(text)) {
        std::string rest = line;
        size_t feed;
        while ((feed = rest.find('\x01')) != std::string::npos) {
            Row row = words(rest.substr(0, feed));
            if (!row.empty())
                pages.back().push_back(row);
            pages.emplace_back();
            rest = rest.substr(feed + 1);
        }
        Row row = words(rest);
        if (!row.empty())
            pages.back().push_back(row);
    }
    while (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

std::string join(const Row& row)
{
    std::string text;
    for (const std::string& word : row)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

// Our text holds the reference's pages, repeated times, row by row, with
// the page marks counting each repetition's pages from 1.
void expectSameRows(const std::string& ours, const std::string& pdf, int repeated = 1)
{
    std::vector<Page> reference = referencePages(pdf);
    ASSERT_FALSE(reference.empty()) << pdf;
    std::vector<int> marks;
    std::vector<Page> pages = ourPages(ours, marks);
    std::vector<int> expectedMarks;
    std::vector<Page> expected;
    for (int r = 0; r < repeated; ++r) {
        for (size_t p = 0; p < reference.size(); ++p) {
            expectedMarks.push_back(static_cast<int>(p + 1));
            expected.push_back(reference[p]);
        }
    }
    EXPECT_EQ(marks, expectedMarks);
    ASSERT_EQ(pages.size(), expected.size()) << toUtf8(ours);
    for (size_t p = 0; p < pages.size(); ++p) {
        std::vector<std::string> have, want;
        for (const Row& row : pages[p])
            have.push_back(join(row));
        for (const Row& row : expected[p])
            want.push_back(join(row));
        EXPECT_EQ(have, want) << "page " << p + 1;
    }
}

std::string listOne(const std::string& directory, const std::string& suffix)
{
    std::string found;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                found = found.empty() ? directory + "/" + name : "(more than one)";
        }
        ::closedir(dir);
    }
    return found;
}

class TextEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveCommand("pdftotext"))
            GTEST_SKIP() << "pdftotext is not installed";
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        // The demonstration program's INI with the project's data folder.
        std::ofstream(m_dir + "/lorbane.ini") << readText(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), (m_dir + "/data").c_str()), 0);
        ASSERT_EQ(::mkdir((m_dir + "/out").c_str(), 0755), 0);
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    }

    void TearDown() override
    {
        if (m_dir.empty())
            return;
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        ASSERT_EQ(::chdir(m_oldDir), 0);
        m_folder.reset();
    }

    std::string messages() { return lrbtest::streamText(m_out); }

    // lorbane_File with text output into out/; the result code.
    int convertFile(const std::string& input)
    {
        std::string iniPath = m_dir + "/";
        qelSDKNameValue format = {const_cast<char*>("OutputFormat"), const_cast<char*>("ASCII"), nullptr};
        qelSDKNameValue path = {const_cast<char*>("OutputFilePath"), const_cast<char*>("out/"), &format};
        qelSDKNameValue ini = {const_cast<char*>("IniFilePath"), &iniPath[0], &path};
        EXPECT_EQ(lorbane_SetOptions(&ini), 0);
        EXPECT_EQ(lorbane_File_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(&ini), 0);
        std::string name = input;
        qelSDKNameList files = {&name[0], nullptr};
        int rc = lorbane_File(&files);
        lorbane_File_Term();
        return rc;
    }

    // Runs the demonstration program in the scratch folder; its exit status.
    int runDemo(const std::string& arguments)
    {
        std::string command = shellQuote(m_demo) + " " + arguments + " >demo.log 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : -1000;
    }

    bool needDemo()
    {
        m_demo = lrbtest::demoProgram();
        return !m_demo.empty();
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    std::string m_demo;
    char m_oldDir[PATH_MAX] = {};
    FILE* m_out = nullptr;
};

TEST_F(TextEndToEnd, FileConversionGivesTheRowsOfTheProducersPdf)
{
    for (const char* name : {"fop-hello", "fop-rich", "fop-images-native"}) {
        SCOPED_TRACE(name);
        std::string before = messages();
        int rc = convertFile(fixture(std::string(name) + ".afp"));
        std::string said = messages().substr(before.size());
        // Images and containers leave no text; skipping them may give 2.
        if (std::string(name) == "fop-hello")
            EXPECT_EQ(rc, 0) << said;
        else
            EXPECT_TRUE(rc == 0 || rc == 2) << rc << said;
        EXPECT_EQ(rc == 2, said.find("I002") != std::string::npos) << said;
        std::string text = readText(m_dir + "/out/" + name + ".txt");
        ASSERT_FALSE(text.empty()) << said;
        expectSameRows(text, fixture(std::string(name) + ".ref.pdf"));
    }
}

TEST_F(TextEndToEnd, DocumentIndexListsThePageGroupWithItsTaggedElements)
{
    if (!needDemo())
        GTEST_SKIP() << "the demonstration program is not built";
    ASSERT_EQ(::mkdir((m_dir + "/idx").c_str(), 0755), 0);
    int rc = runDemo("lorbane -ASCII -doc_index -op:out/ -xp:idx/ " + shellQuote(fixture("fop-rich.afp")));
    EXPECT_TRUE(rc == 0 || rc == 2) << rc << readText("demo.log");
    std::string index = listOne(m_dir + "/idx", ".xml");
    ASSERT_FALSE(index.empty()) << readText("demo.log");
    ASSERT_NE(index, "(more than one)");
    std::string xml = readText(index);
    EXPECT_NE(xml.find("<!DOCTYPE Index SYSTEM \"Index.dtd\" >"), std::string::npos) << xml;
    static const std::regex group("<PageGroupIndex PageGroup=\"PGP00001\">([\\s\\S]*?)</PageGroupIndex>");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(xml, m, group)) << xml;
    std::string entries = m[1].str();
    for (auto pair : {std::make_pair("CustomerNo", "000123"), std::make_pair("InvoiceDate", "2026-12-10")}) {
        std::regex data(std::string("<Data>\\s*<Name>") + pair.first + "</Name>\\s*<Value>" + pair.second +
                        "</Value>\\s*</Data>");
        EXPECT_TRUE(std::regex_search(entries, data)) << pair.first << "\n" << xml;
    }
    // The text of the document beside its index.
    std::string text = listOne(m_dir + "/out", ".txt");
    ASSERT_FALSE(text.empty());
    expectSameRows(readText(text), fixture("fop-rich.ref.pdf"));
}

// The writer's document file is a link to /dev/full: the interface goes on,
// the demonstration program ends with -8 and leaves no partial file.
TEST_F(TextEndToEnd, LorbaneMemEndsWithMinus8WhenTheWriterCannotWrite)
{
    if (!needDemo())
        GTEST_SKIP() << "the demonstration program is not built";
    const std::string target = m_dir + "/out/fop-hello_000001.txt";
    ASSERT_EQ(::symlink("/dev/full", target.c_str()), 0);
    EXPECT_EQ(-8, runDemo("lorbanemem -ASCII -op:out/ " + shellQuote(fixture("fop-hello.afp"))));
    EXPECT_NE(readText("demo.log").find("Error! While writing the output file out/fop-hello_000001.txt (rc=28, "),
              std::string::npos)
        << readText("demo.log");
    struct stat st;
    EXPECT_NE(0, ::lstat(target.c_str(), &st)) << "left behind";
}

TEST_F(TextEndToEnd, DemoCommandsGiveTheTextOfTheFileCommand)
{
    if (!needDemo())
        GTEST_SKIP() << "the demonstration program is not built";
    const std::string hello = shellQuote(fixture("fop-hello.afp"));
    const std::string pdf = fixture("fop-hello.ref.pdf");
    {
        SCOPED_TRACE("lorbane");
        ASSERT_EQ(::mkdir("cmd", 0755), 0);
        EXPECT_EQ(runDemo("lorbane -ASCII -op:cmd/ " + hello), 0) << readText("demo.log");
        expectSameRows(readText("cmd/fop-hello.txt"), pdf);
    }
    {
        SCOPED_TRACE("lorbanemem");
        ASSERT_EQ(::mkdir("mem", 0755), 0);
        EXPECT_EQ(runDemo("lorbanemem -ASCII -op:mem/ " + hello), 0) << readText("demo.log");
        std::string written = listOne("mem", ".txt");
        ASSERT_FALSE(written.empty()) << readText("demo.log");
        ASSERT_NE(written, "(more than one)");
        expectSameRows(readText(written), pdf);
    }
    {
        SCOPED_TRACE("merge");
        EXPECT_EQ(runDemo("merge -ASCII -doc_merge -of:out/merged.txt " + hello + " " + hello), 0) << readText("demo.log");
        expectSameRows(readText("out/merged.txt"), pdf, 2);
    }
    {
        SCOPED_TRACE("mergemem");
        ASSERT_EQ(::mkdir("pdf", 0755), 0);
        EXPECT_EQ(runDemo("mergemem -ASCII -doc_merge " + hello + " " + hello), 0) << readText("demo.log");
        expectSameRows(readText("pdf/merge.ASCII"), pdf, 2);
    }
}

} // namespace
