#include "ScratchFolder.h"
#include "CapturedOutput.h"
#include "qelColorEntry.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelIniParser.h"
#include "qelLRBIniParser.h"
#include "qelList.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using lrbtest::CapturedOutput;

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

std::string text(const char* value)
{
    return value ? value : "<null>";
}

// Each test writes its INI file into a directory of its own and points the
// options object at it.
class IniReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setIniFilePath(m_dir.c_str());
        ini->setIniFilename("test.ini");
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        m_folder.reset();
    }

    void write(const std::string& content, const char* name = "test.ini")
    {
        std::ofstream file(m_dir / name, std::ios::binary);
        file << content;
    }
    // Runs parse and returns the id of the exception it passed on, or 0.
    int parse()
    {
        qelLRBIniParser parser;
        try {
            parser.parse();
        } catch (qelException* e) {
            int id = e->getId();
            delete e;
            return id;
        }
        return 0;
    }
    int parseSection(const char* name)
    {
        qelLRBIniParser parser;
        try {
            return parser.parseSection(name);
        } catch (qelException* e) {
            int id = e->getId();
            delete e;
            return -id;
        }
    }
    std::string get(const char* key) { return text(ini->getAttribute(key)); }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    fs::path m_dir;
    qelIni* ini = nullptr;
};

} // namespace

TEST_F(IniReaderTest, SampleFileFillsSettingsColoursLocationsAndProfile)
{
    write("; sample\n"
          "[settings]\n"
          "LogPath=C:\\temp\n"
          "Title = My = Title\n"
          "no equals sign here\n"
          "\n"
          "[AFPColorTable]\n"
          "Red=200,0,0\n"
          "Light=230,230,230,30,220\n"
          "Odd=1,2\n"
          "Green=10, 100, 50\n"
          "[FORMDEF]\n"
          "F1A=x\n"
          "  \n"
          "[Host1]\n"
          "Type=FTP\n"
          "HostName=server:2121\n"
          "UserName=u\n"
          "Password=p,ignored\n"
          "StartDir=/in\n"
          "InitCommands=SITE A;SITE B\n"
          "[Profile1]\n"
          "Keywords=profile words\n"
          "[Spool]\n"
          "Def=x\n");
    CapturedOutput out;
    ASSERT_EQ(parse(), 0);
    EXPECT_TRUE(ini->isLoadedSection(0x1));
    EXPECT_TRUE(ini->isLoadedSection(0x2));
    EXPECT_TRUE(ini->isLoadedSection(0x8));
    EXPECT_EQ(get("LogPath"), "C:\\temp");
    EXPECT_EQ(get("Title"), "My = Title");

    qelColorEntry* red = ini->findColorTableEntry("Red");
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->getRed(), 200);
    EXPECT_EQ(red->getGreen(), 0);
    EXPECT_EQ(red->getBlue(), 0);
    EXPECT_EQ(red->getGrayLower(), 20);
    EXPECT_EQ(red->getGrayUpper(), 235);
    qelColorEntry* light = ini->findColorTableEntry("light");
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->getGrayLower(), 30);
    EXPECT_EQ(light->getGrayUpper(), 220);
    EXPECT_EQ(ini->findColorTableEntry("Odd"), nullptr);
    // Words are not trimmed: a blank before a number makes it 0.
    qelColorEntry* green = ini->findColorTableEntry("Green");
    EXPECT_EQ(green->getRed(), 10);
    EXPECT_EQ(green->getGreen(), 0);
    EXPECT_EQ(green->getBlue(), 0);

    std::unique_ptr<char[]> formdef(ini->findFormdefEntry("F1A"));
    EXPECT_STREQ(formdef.get(), "F1A=x,");

    auto* host = dynamic_cast<qelFTPLogicalLocation*>(ini->findLogicalLocation("Host1"));
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(host->getHostName(), "server");
    EXPECT_EQ(host->getPort(), 2121);
    EXPECT_STREQ(host->getUserName(), "u");
    EXPECT_STREQ(host->getPassword(), "p");
    EXPECT_STREQ(host->getStartDir(), "/in");
    ASSERT_NE(host->getInitialCommands(), nullptr);
    EXPECT_EQ(*host->getInitialCommands(), (std::vector<std::string>{"SITE A", "SITE B"}));

    // Profiles are read only on request.
    EXPECT_EQ(get("Keywords"), "AFP LPD PDF TIFF");
    EXPECT_EQ(out.text(), "");
    ASSERT_EQ(parseSection("PROFILE1"), 0);
    EXPECT_EQ(get("Keywords"), "profile words");
}

TEST_F(IniReaderTest, LogicalLocationSections)
{
    struct Row
    {
        const char* body;
        bool kept;
        int port;
        const char* message;
    };
    const Row rows[] = {
        {"Type=FTP\nHostName=h\nUserName=u\n", true, 21, ""},
        {"Type = ftp , x\nHostName=h:99999\nUserName=u\n", true, 21, ""},
        {"Type=FTP\nHostName=h:21x\nUserName=u\n", true, 21, ""},
        {"Type=FTP\nHostName=server:2121\n", false, 0, ""},
        {"Type=FTP\nUserName=u\n", false, 0, ""},
        {"Type=DIR\nHostName=h\nUserName=u\n", false, 0, "Warning! Invalid type (DIR) under logical location Loc\n"},
        {"Type=\nHostName=h\nUserName=u\n", false, 0, "Warning! Invalid type () under logical location Loc\n"},
    };
    for (const Row& row : rows) {
        qelUtils::releaseGlobals();
        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setIniFilePath(m_dir.c_str());
        ini->setIniFilename("test.ini");
        write(std::string("[Settings]\n[Loc]\n") + row.body);
        CapturedOutput out;
        ASSERT_EQ(parse(), 0) << row.body;
        auto* location = dynamic_cast<qelFTPLogicalLocation*>(ini->findLogicalLocation("loc"));
        EXPECT_EQ(location != nullptr, row.kept) << row.body;
        if (location) {
            EXPECT_EQ(location->getPort(), row.port) << row.body;
        }
        EXPECT_EQ(out.text(), row.message) << row.body;
    }
}

TEST_F(IniReaderTest, SectionsInOddPlaces)
{
    // A repeated section is passed over; an empty last section warns.
    write("[Settings]\nKeywords=first\n[FORMDEF]\nA=1\n[Settings]\nKeywords=second\n[formdef]\nB=2\n[Empty]\n");
    {
        CapturedOutput out;
        ASSERT_EQ(parse(), 0);
        EXPECT_EQ(out.text(), "Warning! Empty entry under section (Empty) to process\n");
    }
    EXPECT_EQ(get("Keywords"), "first");
    EXPECT_EQ(ini->findFormdefEntry("B"), nullptr);

    // No [Settings]: E105 after the whole file, earlier sections applied.
    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setIniFilePath(m_dir.c_str());
    ini->setIniFilename("test.ini");
    write("[AFPColorTable]\nRed=1,2,3\n[Other]\n[FORMDEF]\nX=1\n");
    CapturedOutput out;
    EXPECT_EQ(parse(), 105);
    EXPECT_TRUE(contains(out.text(), "E105: [Settings] section not found in the INI file (test.ini)."));
    EXPECT_TRUE(contains(out.text(), "Warning! Empty entry under section (Other) to process\n"));
    EXPECT_TRUE(contains(out.text(), "Warning! Unable to read INI file test.ini\n"));
    EXPECT_EQ(ini->findColorTableEntry("Red")->getRed(), 1);
    std::unique_ptr<char[]> entry(ini->findFormdefEntry("X"));
    EXPECT_STREQ(entry.get(), "X=1,");
}

TEST_F(IniReaderTest, MissingFileAndMissingProfile)
{
    ini->setIniFilename("absent.ini");
    {
        CapturedOutput out;
        EXPECT_EQ(parse(), 104);
        const std::string printed = out.text();
        EXPECT_TRUE(contains(printed, "Invalid ini file name (absent.ini) or path (" + m_dir.string() +
                                          "/), Searching ini on default path (.)\n"));
        EXPECT_TRUE(contains(printed, "E104: INI file (absent.ini) not found in path list (" + m_dir.string() +
                                          "/,.)"));
    }

    ini->setIniFilename("test.ini");
    write("[Settings]\n");
    ini->setAttribute("DevTest", "on", false);
    CapturedOutput out;
    EXPECT_EQ(parseSection("Nope"), -105);
    EXPECT_TRUE(contains(out.text(), "Parsing Section: Nope\n"));
    EXPECT_TRUE(contains(out.text(), "E105: [Nope] section not found in the INI file (test.ini)."));
    qelLRBIniParser parser;
    EXPECT_EQ(parser.parseSection(nullptr), -1);
}

TEST_F(IniReaderTest, DamagedInputGivesWarningsNotCrashes)
{
    // A long line is cut with a warning; its tail is never a line of its own.
    std::string content = "[Settings]\nKeywords=" + std::string(1014, 'k') + "Title=hijack\n";
    content += "Subject=ok\n";
    content += std::string("Creator=a\0b\n", 12);
    content += "\x01\xff\xfe=\x80\n==\n=\n[\n[]\n[x\n";
    content += std::string(20000, 'z');
    write(content);
    CapturedOutput out;
    ASSERT_EQ(parse(), 0);
    EXPECT_TRUE(contains(out.text(), "Warning! Line longer than 1023 characters in INI file test.ini"));
    EXPECT_EQ(get("Keywords").size(), 1023u - std::string("Keywords=").size());
    EXPECT_EQ(get("Subject"), "ok");
    EXPECT_EQ(get("Creator"), "a");
    EXPECT_NE(get("Title"), "hijack");
}

TEST_F(IniReaderTest, ReaderPathsValuesAndFields)
{
    struct NameRow
    {
        const char* path;
        const char* name;
        const char* expectedPath;
        const char* expectedName;
    };
    const NameRow names[] = {
        {"conf", "a.ini", "conf/", "a.ini"},
        {"conf/", "sub\\b.ini", "sub/", "b.ini"},
        {"", "c.ini", "./", "c.ini"},
        {nullptr, "/etc/d.ini", "/etc/", "d.ini"},
    };
    for (const NameRow& row : names) {
        qelIniParser parser;
        parser.setPath(row.path);
        parser.setFileName(row.name);
        EXPECT_EQ(text(parser.getPath()), row.expectedPath) << text(row.path) << " " << row.name;
        EXPECT_EQ(text(parser.getFileName()), row.expectedName);
    }

    write("[Def1]\n; comment\nother=1\nbody=a, b ,,c,,\nsingle= v1 , v2\nempty=\n[Next]\nlater=1\n");
    qelIniParser parser;
    EXPECT_EQ(parser.getParserType(), 1);
    EXPECT_EQ(parser.getValue("Def1", "body"), nullptr); // not open yet
    ASSERT_EQ(parser.openFile(), 0);

    std::unique_ptr<qelList> fields(parser.getValues("def1", "BODY"));
    ASSERT_NE(fields, nullptr);
    std::vector<std::string> got;
    for (qelListNode* node = fields->getHead(); node; node = node->next)
        got.emplace_back(static_cast<const char*>(node->item));
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "", "c"}));

    std::unique_ptr<char[]> single(parser.getValue("Def1", "single"));
    EXPECT_STREQ(single.get(), "v1");
    EXPECT_EQ(parser.getValue("Def1", "empty"), nullptr);
    // Keys of the next section are not part of this one.
    EXPECT_EQ(parser.getValue("Def1", "later"), nullptr);
    {
        CapturedOutput out;
        EXPECT_EQ(parser.getValues("Missing", "body"), nullptr);
        EXPECT_TRUE(contains(out.text(), "E105: [Missing] section not found"));
    }
    parser.closeFile();

    EXPECT_TRUE(qelIniParser::hasWhiteSpace("a b"));
    EXPECT_TRUE(qelIniParser::hasWhiteSpace("a\tb"));
    EXPECT_FALSE(qelIniParser::hasWhiteSpace("ab"));
    EXPECT_FALSE(qelIniParser::hasWhiteSpace(nullptr));
}
