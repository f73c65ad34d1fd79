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

const std::string kE017 =
    "Message id %d define into ErrorCode enum structure, but Error message missing within achErrorMsg[]. "
    "Check code.";

std::string e017(int id)
{
    char text[256];
    std::snprintf(text, sizeof text, ("E017: " + kE017).c_str(), id);
    return text;
}

class ExceptionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_output = std::tmpfile();
        ASSERT_NE(m_output, nullptr);
        qelMessageOutput::set(m_output);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_output);
        qelUtils::releaseGlobals();
    }
    std::string printed() { return readAll(m_output); }

    FILE* m_output = nullptr;
};

using Make = std::function<qelException*()>;

struct ConstructionCase
{
    const char* name;
    Make make;
    int id;
    int kind;
    std::string message;
    bool printed;
};

} // namespace

TEST_F(ExceptionTest, ConstructionFormatsStoresAndPrints)
{
    const ConstructionCase cases[] = {
        {"error with argument", [] { return new qelException("a.cpp", 1, 69, 7, false, "NULL"); }, 69, 0,
         "E069: Error while writing NULL file", true},
        {"information I000 never printed",
         [] { return new qelException("a.cpp", 1, QEL_MSG_INFO, 0, 0, false); }, 0, 2, "I000: Process completed.",
         false},
        {"information I001 never printed",
         [] { return new qelException("a.cpp", 1, QEL_MSG_INFO, 1, 0, false, "in.afp"); }, 1, 2,
         "I001: End of spool in.afp.", false},
        {"information I002 printed", [] { return new qelException("a.cpp", 1, QEL_MSG_INFO, 2, 0, false); }, 2, 2,
         "I002: Process completed. Unsupported objects occurred in input spool are ignored.", true},
        {"warning printed", [] { return new qelException("a.cpp", 1, QEL_MSG_WARNING, 16, 0, false, "Key"); }, 16,
         1, "W016: Missing mandatory value: Key.", true},
        {"report without print flag",
         [] { return qelException::report("a.cpp", 1, QEL_MSG_ERROR, 192, false, false, 0, "f", "r"); }, 192, 0,
         "E192: Unable to open FTP file f. Reason: r.", false},
        {"report with print flag",
         [] { return qelException::report("a.cpp", 1, QEL_MSG_WARNING, 154, false, true, 0, "p"); }, 154, 1,
         "W154: Invalid Index Path (p)", true},
        {"report keeps I001 silent",
         [] { return qelException::report("a.cpp", 1, QEL_MSG_INFO, 1, false, true, 0, "s"); }, 1, 2,
         "I001: End of spool s.", false},
        {"error id beyond table", [] { return new qelException("a.cpp", 1, 300, 0, false); }, 300, 0, e017(300),
         true},
        {"warning id beyond table", [] { return new qelException("a.cpp", 1, QEL_MSG_WARNING, 155, 0, false); },
         155, 1, e017(155), true},
        {"information id beyond table",
         [] { return new qelException("a.cpp", 1, QEL_MSG_INFO, 200, 0, false); }, 200, 2, e017(200), true},
        {"image library result", [] { return new qelException("a.cpp", 1, -32, 0, false); }, 32, 0,
         "RM32: not recognized as a .tiff tiled image", true},
        {"image library result unformatted", [] { return new qelException("a.cpp", 1, -33, 0, false, 5); }, 33, 0,
         "RM33: not supported in this version", true},
        {"last image library result", [] { return new qelException("a.cpp", 1, -38, 0, false); }, 38, 0,
         "RM38: Image library exception error", true},
        {"image library id beyond table", [] { return new qelException("a.cpp", 1, -50, 0, false); }, 50, 0,
         e017(50), true},
        {"unknown kind",
         [] { return new qelException("a.cpp", 1, static_cast<qelMessageKind>(5), 3, 0, false); }, 3, 5, "",
         true},
        {"argument with conversions kept",
         [] { return new qelException("a.cpp", 1, 13, 0, false, "%s%n%x"); }, 13, 0, "E013: %s%n%x", true},
    };

    for (const ConstructionCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::rewind(m_output);
        ASSERT_EQ(0, ftruncate(fileno(m_output), 0));
        std::unique_ptr<qelException> e(c.make());
        EXPECT_EQ(e->getId(), c.id);
        EXPECT_EQ(e->getKind(), c.kind);
        EXPECT_EQ(e->getLine(), 1);
        EXPECT_STREQ(e->getFile(), "a.cpp");
        EXPECT_EQ(std::string(e->getMessage()), c.message);
        EXPECT_EQ(std::string(e->getText()), c.message + "\r\n");
        EXPECT_EQ(printed(), c.printed ? c.message + "\r\n" : "");
    }
}

TEST_F(ExceptionTest, StoresTheBaseNameOfTheSourcePath)
{
    const struct
    {
        const char* path;
        const char* base;
    } cases[] = {
        {"Parser\\AFPParser\\pages.src", "pages.src"},
        {"/src/General/qelLogStream.cpp", "qelLogStream.cpp"},
        {"mixed/dir\\name.cpp", "name.cpp"},
        {"plain.cpp", "plain.cpp"},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<qelException> e(qelException::report(c.path, 3, QEL_MSG_ERROR, 1, false, false, 0));
        EXPECT_STREQ(e->getFile(), c.base) << (c.path ? c.path : "(null)");
    }
}

TEST_F(ExceptionTest, LevelTwoPrefixesTheSourcePosition)
{
    qelGlobalDSPool::getInstance()->getIni()->setExceptionLoggingLevel(2);
    std::unique_ptr<qelException> e(new qelException("Parser\\pages.src", 7, 1, 0, false));
    const std::string expected = "Exception occurred: File:pages.src Line:07 Msg:E001: Unknown error.\r\n";
    EXPECT_EQ(std::string(e->getText()), expected);
    EXPECT_EQ(printed(), expected);
}

TEST_F(ExceptionTest, TextIsBuiltOnceWhileTheMessageCanChange)
{
    std::unique_ptr<qelException> e(qelException::report("a.cpp", 1, QEL_MSG_ERROR, 13, false, false, 9, "x"));
    EXPECT_EQ(e->getValue(), 9);
    e->appendMessage(" more");
    e->appendMessage(nullptr);
    EXPECT_STREQ(e->getMessage(), "E013: x more");
    EXPECT_STREQ(e->getText(), "E013: x more\r\n");
    e->setMessage("other");
    EXPECT_STREQ(e->getMessage(), "other");
    EXPECT_STREQ(e->getText(), "E013: x more\r\n");
    e->setMessage(nullptr);
    EXPECT_STREQ(e->getMessage(), "");
    e->setKind(1);
    EXPECT_EQ(e->getKind(), 1);
}

TEST_F(ExceptionTest, OverlongMessageIsBounded)
{
    std::string argument(5000, 'x');
    std::unique_ptr<qelException> e(new qelException("a.cpp", 1, 13, 0, false, argument.c_str()));
    EXPECT_EQ(std::string(e->getMessage()), "E013: " + std::string(2047 - 6, 'x'));
}

TEST_F(ExceptionTest, LogsOnlyWhenTheMaskHasAnExceptionLevel)
{
    const lrbtest::ScratchFolder folder;
    const std::string& dir = folder.path();
    const struct
    {
        const char* level;
        bool log;
        bool logged;
    } cases[] = {
        {"INFO,INFO", true, false},   // 0x1000000 only
        {"OUTWARN", true, true},      // 0x10000000
        {"1", true, true},
        {"PDFINFO", true, true},
        {"DEBUG", true, false},
        {"1", false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevel(c.level);
        std::string path = dir + "/e" + std::to_string(n++) + ".log";
        log->open(path.c_str());
        ASSERT_NE(log->getFile(), nullptr);
        delete new qelException("a.cpp", 1, 13, 0, c.log, "%s%n");
        log->closeFile();
        std::string expected = c.logged ? "\r\n" + std::string(22, ' ') + "E013: %s%n\r\n" : "";
        EXPECT_EQ(readFile(path), expected);
        std::remove(path.c_str());
    }
}
