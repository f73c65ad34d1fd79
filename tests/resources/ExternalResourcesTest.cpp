// External resource files named by options, through the C interface: a
// resource group file found beside the input, on ResPath or by its path,
// whose resources are filed at process level; a missing one; a document
// index file; the default medium map of an external form definition.
#include "ResourceMessages.h"
#include "lorbane.h"
#include "CApiRun.h"
#include "FieldText.h"
#include "ScratchTest.h"
#include "qelAFPDocumentIndexParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelIOStream.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelRes.h"
#include "qelResGroupParser.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

using lrbtest::convertFile;
using lrbtest::chars::ebcdic;
using lrbtest::chars::field;
using lrbtest::chars::name8;
using lrbtest::OptionPairs;
using lrbtest::squeezed;

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// FOP's Helvetica in code page T1V10500 as local font 1; an area of the
// given size at 240 units per inch.
std::string environment(unsigned width, unsigned height)
{
    const std::string mapping = std::string("\x00\x22\x0C\x02\x86\x00", 6) + name8("C0H200B0") +
                                std::string("\x0C\x02\x85\x00", 4) + name8("T1V10500") +
                                std::string("\x04\x26\x00\x00\x04\x24\x05\x01", 8);
    std::string size("\x00\x00\x09\x60\x09\x60\x00", 7);
    size += static_cast<char>(width >> 8);
    size += static_cast<char>(width & 0xFF);
    size += '\0';
    size += static_cast<char>(height >> 8);
    size += static_cast<char>(height & 0xFF);
    size += std::string(2, '\0');
    return field(0xA8C9) + field(0xAB8A, mapping) + field(0xA6AF, size + std::string(1, '\0')) +
           field(0xB19B, size) + field(0xA9C9);
}

// Text in font 1 at (50, y).
std::string text(const std::string& words, unsigned y = 100)
{
    const std::string body = ebcdic(words);
    std::string data("\x2B\xD3\x04\xD3", 4);
    data += static_cast<char>(y >> 8);
    data += static_cast<char>(y & 0xFF);
    data += std::string("\x04\xC7\x00\x32\x03\xF1\x01", 7);
    data += static_cast<char>(body.size() + 2);
    data += '\xDA';
    return field(0xA89B) + field(0xEE9B, data + body) + field(0xA99B);
}

std::string overlay(const std::string& name, const std::string& words)
{
    return field(0xA8DF, name8(name)) + environment(800, 400) + text(words) + field(0xA9DF, name8(name));
}

// A page segment holding one image object without picture data.
std::string pageSegment(const std::string& name)
{
    // Image data descriptor: ten inches, 720 points per unit base, 1 x 1.
    static const char kIdd[] = {0x00, 0x02, char(0xD0), 0x02, char(0xD0), 0x00, 0x01, 0x00, 0x01};
    return field(0xA85F, name8(name)) + field(0xA8FB) + field(0xA8C7) + field(0xA6FB, std::string(kIdd, 9)) +
           field(0xA9C7) + field(0xA9FB) + field(0xA95F, name8(name));
}

// One medium map whose copies carry one medium overlay.
std::string formDefinition(const std::string& name, const std::string& map, const std::string& overlayName)
{
    const std::string copies("\x00\x01\x00\x01\x00\x01", 6);
    const std::string controls("\x01\xFF\xF4\x01\xF2\x01", 6);
    const std::string mediumOverlay = std::string("\x0C\x00\x00\x00\x01\x00\x00\x00", 8) + name8(overlayName);
    return field(0xA8CD, name8(name)) + field(0xA8CC, name8(map)) + field(0xA288, copies) +
           field(0xA788, controls) + field(0xB1DF, mediumOverlay) + field(0xA9CC, name8(map)) +
           field(0xA9CD, name8(name));
}

std::string resourceGroup(const std::string& resources)
{
    return field(0xA8C6, name8("G1")) + resources + field(0xA9C6, name8("G1"));
}

// One document with one page: its text, and optionally an overlay
// included at (0, 200) and a page segment.
std::string printFile(const std::string& overlayName, const std::string& segmentName)
{
    std::string page = field(0xA8AF, name8("P1")) + environment(1984, 2806) + text("PAGE TEXT", 1000);
    if (!overlayName.empty())
        page += field(0xAFD8, name8(overlayName) + std::string("\x00\x00\x00\x00\x00\xC8\x00\x00", 8));
    if (!segmentName.empty())
        page += field(0xAF5F, name8(segmentName) + std::string("\x00\x00\x64\x00\x00\x64", 6));
    page += field(0xA9AF, name8("P1"));
    return field(0xA8A8, name8("DOC1")) + page + field(0xA9A8, name8("DOC1"));
}

struct Conversion
{
    int rc = 0;
    std::string messages;
    std::string text;
    std::string log;
};

class ExternalResourcesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\n";
        for (const char* sub : {"in", "out", "log", "res", "other", "ovl", "fdef"})
            ::mkdir((m_dir + sub).c_str(), 0755);
    }
    void TearDown() override
    {
        m_folder.reset();
    }

    // Converts in/print.afp to text with the given extra options.
    Conversion convert(const std::string& print, const OptionPairs& extra)
    {
        writeAll(m_dir + "in/print.afp", print);
        OptionPairs all = {{"IniFilePath", m_dir},    {"OutputFilePath", m_dir + "out/"},
                                    {"LogPath", m_dir + "log/"}, {"OutputFormat", "ASCII"},
                                    {"QuietMode", "off"},      {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}};
        all.insert(all.end(), extra.begin(), extra.end());
        FILE* messages = std::tmpfile();
        qelMessageOutput::set(messages);
        Conversion run;
        run.rc = convertFile(all, m_dir + "in/print.afp");
        qelMessageOutput::set(nullptr);
        run.messages = lrbtest::streamText(messages);
        std::fclose(messages);
        run.text = squeezed(lrbtest::readText(m_dir + "out/print.txt"));
        std::remove((m_dir + "out/print.txt").c_str());
        // The log of this run; the folder is emptied for the next one.
        if (DIR* dir = ::opendir((m_dir + "log").c_str())) {
            while (dirent* entry = ::readdir(dir)) {
                const std::string file = m_dir + "log/" + entry->d_name;
                if (entry->d_name[0] == '.')
                    continue;
                run.log += lrbtest::readText(file);
                std::remove(file.c_str());
            }
            ::closedir(dir);
        }
        return run;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
};

} // namespace

TEST_F(ExternalResourcesTest, ResourceGroupFileSuppliesProcessLevelResources)
{
    const std::string group =
        resourceGroup(overlay("O1GRP", "GROUP OVERLAY TEXT") + pageSegment("S1GRP"));
    const struct
    {
        const char* label;
        std::string file;   // where the group file lies
        std::string option; // the ResourceGroupFilename value
        OptionPairs extra;
    } cases[] = {
        {"beside the input", m_dir + "in/GROUP.RES", "GROUP.RES", {}},
        {"on ResPath", m_dir + "res/GROUP.RES", "GROUP.RES", {{"ResPath", m_dir + "res/"}}},
        {"by path", m_dir + "other/GROUP.RES", m_dir + "other/GROUP.RES", {}},
        {"by path with backslashes", m_dir + "other/GROUP.RES", m_dir + "other\\GROUP.RES", {}},
    };
    for (const auto& c : cases) {
        writeAll(c.file, group);
        OptionPairs options = {{"ResourceGroupFilename", c.option}, {"LoggingLevel", "OLY,PSEG"}};
        options.insert(options.end(), c.extra.begin(), c.extra.end());
        const Conversion run = convert(printFile("O1GRP", "S1GRP"), options);
        std::remove(c.file.c_str());

        // The segment's image is read: nothing is skipped.
        EXPECT_EQ(run.rc, 0) << c.label << "\n" << run.messages;
        // The messages name the file as given, with forward slashes.
        std::string named = c.option;
        for (char& ch : named)
            if (ch == '\\')
                ch = '/';
        const std::string opening = "\nOpening External Resource file " + named + "\n";
        const std::string closing = "\nClosing External Resource file " + named + "\n";
        const size_t open = run.messages.find(opening);
        ASSERT_NE(open, std::string::npos) << c.label << "\n" << run.messages;
        EXPECT_LT(open, run.messages.find(closing)) << c.label;
        EXPECT_LT(run.messages.find(closing), run.messages.find("Parsing Page 1")) << c.label << "\n" << run.messages;
        // Nothing is looked for elsewhere.
        EXPECT_EQ(lrbtest::withoutFontLookups(run.messages).find("E058"), std::string::npos) << c.label << "\n" << run.messages;
        EXPECT_EQ(run.messages.find("Loading resource file"), std::string::npos) << c.label << "\n" << run.messages;
        // The print file is read after the group file.
        EXPECT_NE(run.text.find("PAGE TEXT"), std::string::npos) << c.label << "\n" << run.text;
        EXPECT_NE(run.text.find("GROUP OVERLAY TEXT"), std::string::npos) << c.label << "\n" << run.text;

        // The group's listing has the two resources at process level only.
        const size_t spool = run.log.find("List of Spool Level Global Resources at the end of resource group:");
        const size_t process = run.log.find("List of Process Level Global Resources at the end of resource group:");
        ASSERT_NE(spool, std::string::npos) << c.label << "\n" << run.log;
        ASSERT_LT(spool, process) << c.label;
        const std::string spoolPart = run.log.substr(spool, process - spool);
        const std::string processPart = run.log.substr(process);
        for (const char* name : {"O1GRP", "S1GRP"}) {
            EXPECT_EQ(spoolPart.find(name), std::string::npos) << c.label << " " << name << "\n" << run.log;
            EXPECT_NE(processPart.find(name), std::string::npos) << c.label << " " << name << "\n" << run.log;
        }
    }
}

TEST_F(ExternalResourcesTest, MissingExternalFilesEndTheInputWithE004)
{
    const struct
    {
        const char* option;
        const char* label;
    } cases[] = {{"ResourceGroupFilename", "Resource"}, {"DocumentIndexFilename", "Document Index"}};
    for (const auto& c : cases) {
        // Neither beside the input, on ResPath nor in the working directory.
        const Conversion run = convert(printFile("", ""), {{c.option, "NOFILE.RES"}, {"ResPath", m_dir + "res/"}});
        EXPECT_EQ(run.rc, -4) << c.option << "\n" << run.messages;
        EXPECT_NE(run.messages.find(std::string("E004: ") + c.label + " File NOFILE.RES not Found."),
                  std::string::npos)
            << c.option << "\n" << run.messages;
        EXPECT_EQ(run.messages.find("Parsing Page 1"), std::string::npos) << c.option;
    }
}

TEST_F(ExternalResourcesTest, DocumentIndexFileIsReadBeforeThePrintFile)
{
    // Begin Document Index, an Index Element naming page group G1 with its
    // byte offset, a Tag Logical Element that joins it, End Document Index.
    const std::string element = std::string("\x0C\x02\x0D\x00", 4) + name8("G1") + std::string("\x06\x2D\x00\x00\x00\x00", 6);
    const std::string attribute = std::string("\x0C\x02\x0B\x00", 4) + name8("ACCOUNT") +
                                  std::string("\x0C\x36\x00\x00", 4) + name8("4711");
    writeAll(m_dir + "in/INDEX.IDX", field(0xA8A7, name8("IDX1")) + field(0xB2A7, element) +
                                         field(0xA090, attribute) + field(0xA9A7, name8("IDX1")));
    const Conversion run = convert(printFile("", ""), {{"DocumentIndexFilename", "INDEX.IDX"}});
    EXPECT_EQ(run.rc, 0) << run.messages;
    const size_t open = run.messages.find("\nOpening External Document Index file INDEX.IDX\n");
    ASSERT_NE(open, std::string::npos) << run.messages;
    EXPECT_LT(open, run.messages.find("\nClosing External Document Index file INDEX.IDX\n"));
    EXPECT_EQ(run.messages.find("Unexpected"), std::string::npos) << run.messages;
    EXPECT_NE(run.text.find("PAGE TEXT"), std::string::npos) << run.text;
}

// Without Invoke Medium Map the pages go under the first medium map of a
// form definition read before the print file: its medium overlay shows.
TEST_F(ExternalResourcesTest, FirstMediumMapOfAnExternalFormDefinitionIsTheDefault)
{
    writeAll(m_dir + "ovl/O1MED.OLY", overlay("O1MED", "MEDIUM OVERLAY TEXT"));
    const std::string form = formDefinition("F1EXT", "M1", "O1MED");
    writeAll(m_dir + "fdef/F1EXT.FDF", form);
    writeAll(m_dir + "in/FORMS.RES", resourceGroup(form));
    const struct
    {
        const char* label;
        OptionPairs options;
    } cases[] = {
        {"form definition file", {{"FormdefFilename", "F1EXT"}, {"FormDefPath", m_dir + "fdef"}}},
        {"resource group file", {{"ResourceGroupFilename", "FORMS.RES"}}},
        {"none", {}},
    };
    for (const auto& c : cases) {
        OptionPairs options = c.options;
        options.emplace_back("OverlayPath", m_dir + "ovl");
        const Conversion run = convert(printFile("", ""), options);
        EXPECT_EQ(run.rc, 0) << c.label << "\n" << run.messages;
        EXPECT_NE(run.text.find("PAGE TEXT"), std::string::npos) << c.label << "\n" << run.text;
        const bool withForm = !c.options.empty();
        EXPECT_EQ(run.text.find("MEDIUM OVERLAY TEXT") != std::string::npos, withForm)
            << c.label << "\n" << run.text << run.messages;
    }
}

// Group and index files read while the print file is the current input:
// the print file keeps its place and the group's resources go to the
// process level.
class ExternalFileReaderTest : public lrbtest::ScratchTest
{
};

TEST_F(ExternalFileReaderTest, PrintFileKeepsItsPlaceWhileGroupAndIndexFilesAreRead)
{
    const std::string group = m_dir + "/GROUP.RES";
    const std::string index = m_dir + "/INDEX.IDX";
    writeAll(group, resourceGroup(overlay("O1GRP", "GROUP OVERLAY TEXT")));
    writeAll(index, field(0xA8A7, name8("IDX1")) + field(0xA9A7, name8("IDX1")));
    const std::string print = printFile("O1GRP", "");
    qelIOStream input;
    input.attachBuffer(reinterpret_cast<const unsigned char*>(print.data()), static_cast<int>(print.size()));
    input.setSpoolInput(true);
    qelIOStream::setCurrent(&input);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    // No copy of the group's resources in a cache folder.
    pool->getIni()->setResourceGroup("0");
    EXPECT_EQ(input.readSFI()->getId(), 0xA8A8);

    pool->getResGroupParser()->parseFile(group.c_str());
    EXPECT_EQ(qelIOStream::getCurrent(), &input);
    EXPECT_TRUE(input.isSpoolInput());
    EXPECT_EQ(input.readSFI()->getId(), 0xA8AF);

    EXPECT_EQ(pool->getDocumentIndexParser()->parseFile(index.c_str()), 0);
    EXPECT_EQ(qelIOStream::getCurrent(), &input);
    EXPECT_EQ(input.readSFI()->getId(), 0xA8C9);
    qelIOStream::setCurrent(nullptr);

    qelGlobalRes* resources = pool->getGlobalRes();
    EXPECT_EQ(resources->getList(qelGlobalRes::LEVEL_PROCESS, "O1GRP", qelRes::TYPE_OVERLAY - 1)->getCount(), 1);
    EXPECT_EQ(resources->getList(qelGlobalRes::LEVEL_SPOOL, "O1GRP", qelRes::TYPE_OVERLAY - 1)->getCount(), 0);
    EXPECT_EQ(resources->countProcessResources(), 1);
    EXPECT_EQ(resources->getProcessResourceCount(), 1);
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}
