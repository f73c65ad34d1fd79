#include "CapturedOutput.h"
#include "ScratchFolder.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::string readAll(FILE* file) { return lrbtest::streamText(file); }

std::string readFile(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return "<missing>";
    std::string text = readAll(file);
    std::fclose(file);
    return text;
}

const std::string kColumn(22, ' ');
const std::string kFormatWarning =
    "Warning! Number of bytes to log exceeds Buffer size. Copied only (2048) bytes\n";

class LogStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_output = std::tmpfile();
        ASSERT_NE(m_output, nullptr);
        qelMessageOutput::set(m_output);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_output);
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        m_folder.reset();
        qelUtils::releaseGlobals();
    }

    std::string printed() { return readAll(m_output); }
    void clearOutput()
    {
        std::rewind(m_output);
        ASSERT_EQ(0, ftruncate(fileno(m_output), 0));
    }
    std::string path(const std::string& name)
    {
        std::string full = std::string(m_dir) + "/" + name;
        m_files.push_back(full);
        return full;
    }
    // Writes through a log open on a fresh file and returns the file's text.
    std::string logged(const std::function<void(qelLogStream&)>& write)
    {
        qelLogStream log;
        log.setLevel("1");
        std::string file = path("entry" + std::to_string(m_files.size()) + ".log");
        log.open(file.c_str());
        EXPECT_NE(log.getFile(), nullptr);
        write(log);
        log.closeFile();
        return readFile(file);
    }

    FILE* m_output = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    std::vector<std::string> m_files;
};

} // namespace

TEST_F(LogStreamTest, LevelListGivesTheMask)
{
    const struct
    {
        const char* list;
        unsigned int mask;
    } cases[] = {
        {"3,FONT", 0x14},
        {"ALL,2", 0x800EFFF},
        {"ALL,LOGGING", 0x11F},
        {"1,WARN", 0x2000001},
        {"WARN", 0},
        {"inwarn", 0x8000000},
        {"pdfinfo,2", 0x102},
        {"2,INFO", 0x1000002},
        {"4,5,6,7,8", 0x8E8},
        {"RES,DEBUG", 0x4FF0000},
        {"oly,pseg,fntr,cdp,mmap,fdef,iob", 0x7F0000},
        {"ASCII,PDFDATA,OUTWARN", 0x10000600},
        {"0", 0},
        {"", 0},
        {nullptr, 0},
    };
    qelLogStream log;
    for (const auto& c : cases) {
        log.setLevel("1");
        log.setLevel(c.list);
        EXPECT_TRUE(log.isExactly(c.mask)) << (c.list ? c.list : "(null)");
    }
}

TEST_F(LogStreamTest, LevelQueriesTestTheBitsAsked)
{
    const struct
    {
        unsigned int mask;
        unsigned int bits;
        bool any;
        bool all;
        bool none;
    } cases[] = {
        {0x14, QEL_LOG_FONT, true, true, false},
        {0x14, QEL_LOG_LEVEL3 | QEL_LOG_FONT, true, true, false},
        {0x14, QEL_LOG_LEVEL2 | QEL_LOG_FONT, true, false, false},
        {0x14, QEL_LOG_GENERAL, true, false, false},
        {0x14, QEL_LOG_LEVEL1, false, false, true},
        {0x0, QEL_LOG_ANY, false, false, true},
        {0x1, QEL_LOG_ANY, true, false, false},
        {QEL_LOG_ALL, QEL_LOG_INWARN | QEL_LOG_LEVEL7, true, true, false},
        {QEL_LOG_ALL, QEL_LOG_OUTWARN, false, false, true},
        {0x7F0000, QEL_LOG_RES, true, false, false},
        {0x7F0000, QEL_LOG_RESOURCE_LISTS, true, true, false},
    };
    qelLogStream log;
    for (const auto& c : cases) {
        log.setLevelMask(c.mask);
        EXPECT_EQ(log.anyOf(c.bits), c.any) << std::hex << c.mask << " " << c.bits;
        EXPECT_EQ(log.allOf(c.bits), c.all) << std::hex << c.mask << " " << c.bits;
        EXPECT_EQ(log.noneOf(c.bits), c.none) << std::hex << c.mask << " " << c.bits;
        EXPECT_TRUE(log.isExactly(c.mask));
        EXPECT_FALSE(log.isExactly(c.mask ^ QEL_LOG_LEVEL2));
    }
    // The keyword sets are the masks their keywords give.
    log.setLevel("ALL");
    EXPECT_TRUE(log.isExactly(QEL_LOG_ALL));
    log.setLevel("LOGGING");
    EXPECT_TRUE(log.isExactly(QEL_LOG_LOGGING));
    log.setLevel("RES");
    EXPECT_TRUE(log.isExactly(QEL_LOG_RES));
    log.setLevel("1,2,3,4,PDFINFO");
    EXPECT_TRUE(log.isExactly(QEL_LOG_GENERAL));
}

TEST_F(LogStreamTest, TakesItsSettingsFromTheOptions)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setLoggingLevel("3,FONT");
    ini->setLogPath(m_dir.c_str());
    qelLogStream log;
    EXPECT_TRUE(log.isExactly(0x14u));
    log.open("fromOptions.log");
    path("fromOptions.log");
    EXPECT_EQ(std::string(log.getFullPath()), std::string(m_dir) + "/fromOptions.log");
    EXPECT_NE(log.getFile(), nullptr);
}

TEST_F(LogStreamTest, OpenJoinsDirectoryAndName)
{
    const std::string dir = m_dir;
    const struct
    {
        std::string logPath;
        std::string name;
        std::string full;
    } cases[] = {
        {dir + "/", "x.log", dir + "/x.log"},
        {dir, "y.log", dir + "/y.log"},
        {"/nowhere/", dir + "/z.log", dir + "/z.log"},
    };
    for (const auto& c : cases) {
        qelLogStream log;
        log.setLevel("2");
        log.setLogPath(c.logPath.c_str());
        log.open(c.name.c_str());
        path(c.full.substr(dir.size() + 1));
        ASSERT_NE(log.getFullPath(), nullptr);
        EXPECT_EQ(std::string(log.getFullPath()), c.full);
        EXPECT_NE(log.getFile(), nullptr);
        log.closeFile();
        EXPECT_EQ(log.getFullPath(), nullptr);
        EXPECT_EQ(readFile(c.full), "");
    }
    EXPECT_EQ(printed(), "");
}

TEST_F(LogStreamTest, OpenFailuresLeaveTheLogClosed)
{
    qelLogStream log;
    log.setLevel("2");
    log.setLogPath(nullptr);
    log.open("nodir.log");
    EXPECT_EQ(log.getFile(), nullptr);
    EXPECT_EQ(printed(), "Not able to open log file with null path\n");

    clearOutput();
    std::string missing = std::string(m_dir) + "/missing/x.log";
    log.open(missing.c_str());
    EXPECT_EQ(log.getFile(), nullptr);
    EXPECT_EQ(printed(), "Warning! Unable to open file " + missing + " : No such file or directory\n" +
                             "Not able to open log file - " + missing + "\n");
    log.printLine("dropped");

    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
    clearOutput();
    log.open(missing.c_str());
    EXPECT_EQ(printed(), "");
}

TEST_F(LogStreamTest, ZeroMaskWritesNothing)
{
    qelLogStream log;
    log.setLevel("0");
    log.open(path("never.log").c_str());
    EXPECT_EQ(log.getFile(), nullptr);

    std::string file = path("open.log");
    log.setLevel("1");
    log.open(file.c_str());
    log.setLevel("0");
    log.printLine("a");
    log.print("b");
    log.printAtOffset(1, "c");
    log.logSFI(0, 0, 0xA8AF, "d");
    log.write("e");
    log.closeFile();
    EXPECT_EQ(readFile(file), "");
}

TEST_F(LogStreamTest, EntriesLineUpInTheTextColumn)
{
    const struct
    {
        const char* name;
        std::function<void(qelLogStream&)> write;
        std::string expected;
    } cases[] = {
        {"plain entry", [](qelLogStream& l) { l.printLine("n=%d", 5); }, "\r\n" + kColumn + "n=5"},
        {"continued entry", [](qelLogStream& l) { l.printLine("a"); l.print("%s", "b"); },
         "\r\n" + kColumn + "ab"},
        {"offset entry", [](qelLogStream& l) { l.printAtOffset(0x1AB, "t"); },
         "\r\n0x000001ab : " + std::string(9, ' ') + "t"},
        {"dump line",
         [](qelLogStream& l) { l.logStructuredField(2, 0x10, 0xA8AF, "BPG", "Begin Page", nullptr); },
         "\r\n0x00000010 : D3 A8 AF     BPG Begin Page"},
        {"dump line with text",
         [](qelLogStream& l) { l.logStructuredField(0, 0xABCDEF12, 0xD3EE, "X", "Y", "more"); },
         "\r\n0xABCDEF12 : D3 D3 EE X Y more"},
        {"indent follows the dump depth",
         [](qelLogStream& l) {
             l.logStructuredField(1, 0, 0xA8A8, "BDT", "Begin Document", nullptr);
             l.printLine("p");
             l.printAtOffset(2, "o");
             l.deleteIndent();
             l.printLine("q");
         },
         "\r\n0x00000000 : D3 A8 A8   BDT Begin Document\r\n" + kColumn + "  p\r\n0x00000002 : " +
             std::string(9, ' ') + "  o\r\n" + kColumn + "q"},
        {"name table", [](qelLogStream& l) { l.logSFI(0, 0x20, 0xA8C7, nullptr); },
         "\r\n0x00000020 : D3 A8 C7 BOG Begin Object Enviroment Group"},
        {"row without abbreviation", [](qelLogStream& l) { l.logSFI(0, 0x20, 0xEE7B, "t"); },
         "\r\n0x00000020 : D3 EE 7B  IM Image Object Data t"},
        {"first row wins", [](qelLogStream& l) { l.logSFI(0, 0, 0xACAF, nullptr); },
         "\r\n0x00000000 : D3 AC AF PGP Page Position"},
        {"unknown identifier", [](qelLogStream& l) { l.logSFI(0, 0, 0x1234, "ctx"); },
         "\r\n" + kColumn + "Warning! Unexpected SFType ID : 0x1234==>ctx"},
        {"conversions kept", [](qelLogStream& l) { l.write("%s%n"); l.printLine("%s", "%s%n"); },
         "%s%n\r\n" + kColumn + "%s%n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(logged(c.write), c.expected);
    }
    EXPECT_EQ(printed(), "Warning! Unexpected SFType ID : 0x1234\n");
}

TEST_F(LogStreamTest, OverlongFormatIsCutWithOneWarning)
{
    std::string format(3000, 'a');
    std::string text = logged([&](qelLogStream& l) { l.printLine(format.c_str(), 0); });
    EXPECT_EQ(text, kFormatWarning + "\r\n" + kColumn + std::string(2047, 'a'));
    EXPECT_EQ(printed(), kFormatWarning);
}

TEST_F(LogStreamTest, CutFormatDropsAnOpenConversion)
{
    std::string format = std::string(2046, 'a') + "%s" + std::string(100, 'b');
    std::string text = logged([&](qelLogStream& l) { l.print(format.c_str(), "zz"); });
    EXPECT_EQ(text, kFormatWarning + std::string(2046, 'a'));
}

TEST_F(LogStreamTest, OverlongResultIsCutAndWarnedOnTheConsoleOnly)
{
    std::string argument(3000, 'r');
    std::string text = logged([&](qelLogStream& l) { l.printLine("%s", argument.c_str()); });
    EXPECT_EQ(text, "\r\n" + kColumn + std::string(2047, 'r'));
    EXPECT_EQ(printed(), kFormatWarning);

    clearOutput();
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
    logged([&](qelLogStream& l) { l.printLine("%s", argument.c_str()); });
    EXPECT_EQ(printed(), "");
}

TEST_F(LogStreamTest, DumpTextIsCut)
{
    std::string longText(3000, 't');
    std::string text = logged([&](qelLogStream& l) { l.logStructuredField(0, 0, 0xA8AF, "BPG", "Begin Page", longText.c_str()); });
    EXPECT_EQ(text, "\r\n0x00000000 : D3 A8 AF BPG Begin Page " + std::string(2046, 't'));
    EXPECT_EQ(printed(), "");
}

TEST_F(LogStreamTest, FailedWriteThrowsE069)
{
    qelLogStream log;
    log.setLevel("1");
    log.open("/dev/full");
    ASSERT_NE(log.getFile(), nullptr);
    std::string text(20000, 'w');
    try {
        log.write(text.c_str());
        log.closeFile();
        FAIL() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 69);
        EXPECT_STREQ(e->getMessage(), "E069: Error while writing /dev/full file");
        delete e;
    }
    EXPECT_EQ(printed(), "E069: Error while writing /dev/full file\r\n");
}

TEST_F(LogStreamTest, FilesOpenOnlyForReadOrWriteLetters)
{
    std::string file = path("letters.bin");
    const struct
    {
        char letter;
        bool opens;
    } cases[] = {{'w', true}, {'W', true}, {'r', true}, {'R', true}, {'a', false}, {'\0', false}};
    for (const auto& c : cases) {
        FILE* f = qelUtils::openFile(file.c_str(), c.letter);
        EXPECT_EQ(f != nullptr, c.opens) << c.letter;
        qelUtils::closeFile(f);
    }
    qelUtils::closeFile(nullptr);
    EXPECT_EQ(printed(), "");
}
