#include "FtpTestServer.h"
#include "ScratchTest.h"

#include "qelAFPParser.h"
#include "qelException.h"
#include "qelFTPStream.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelResParser.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using ftptest::FtpServerTest;
using ftptest::FtpTestServer;

namespace {

struct Raised
{
    int id = -1;
    int kind = -1;
    std::string message;
};

Raised raised(const std::function<void()>& call)
{
    Raised r;
    try {
        call();
    } catch (qelException* e) {
        r.id = e->getId();
        r.kind = e->getKind();
        r.message = e->getMessage();
        delete e;
    }
    return r;
}

std::string pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// One field without X'5A': length, X'D3', id, flags, reserved, data.
std::string field(int id, size_t dataCount)
{
    size_t length = 8 + dataCount;
    std::string out;
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(length & 0xFF);
    out += '\xD3';
    out += static_cast<char>(id >> 8);
    out += static_cast<char>(id & 0xFF);
    out += std::string(3, '\0');
    out += std::string(dataCount, 'x');
    return out;
}

// A resource parser of the given kind that takes files beginning with a
// Begin Font; it only finds and loads them.
class FontFileParser : public qelAFPParser, public qelResParser
{
public:
    explicit FontFileParser(int kind) : qelAFPParser(false), m_kind(kind) {}
    qelRes* parse(const char* name, int mode, const char* fileName) override
    {
        prepareSearch(m_kind, mode);
        setResourceName(name);
        setFileName(fileName ? fileName : name);
        qelResParser::loadResourceFile();
        m_firstId = readNextSF()->getId();
        closeResourceFile();
        return nullptr;
    }
    bool isResourceBegin(int id) const override { return id == 0xA889; }

    int m_kind;
    int m_firstId = 0;
};

const std::string kLarge = pattern(70000);

class FtpTest : public FtpServerTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!startServer())
            return;
        s_server->writeFile("res/ONE.DAT", "first file");
        s_server->writeFile("res/TWO.DAT", kLarge);
        s_server->writeFile("res/EMPTY.DAT", "");
        s_server->writeFile("res/FF.DAT", std::string("\xFF\x01\x02", 3));
        // A damaged introducer; the next X'D3' is the first byte of the
        // second window, its field begins in the first.
        std::string spool = field(0xA8A8, 32000 - 8);
        spool += std::string(32766 - spool.size(), '\0');
        spool += field(0xA8AF, 20);
        spool += field(0xA9AF, 0);
        s_server->writeFile("res/SPOOL.AFP", spool);
        for (const char* font : {"res/C1H200A0", "res/C0H300A0"})
            s_server->writeFile(font, std::string("\x5A", 1) + field(0xA889, 0));
    }

    void SetUp() override
    {
        FtpServerTest::SetUp();
        if (setUpStopped())
            return;
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
    }

    void TearDown() override
    {
        qelUtils::releaseGlobals();
        if (m_out) {
            qelMessageOutput::set(nullptr);
            std::fclose(m_out);
        }
        if (!m_logPath.empty())
            std::remove(m_logPath.c_str());
    }

    std::string output() { return lrbtest::streamText(m_out); }

    static qelGlobalDSPool* pool() { return qelGlobalDSPool::getInstance(); }

    qelFTPLogicalLocation* addLocation(const char* name, const char* user, const char* password,
                                       const char* startDir = "/res", std::vector<const char*> commands = {})
    {
        auto* location = new qelFTPLogicalLocation;
        location->setName(name);
        location->setHostName("127.0.0.1");
        location->setPort(static_cast<unsigned short>(s_server->port()));
        location->setUserName(user);
        location->setPassword(password);
        location->setStartDir(startDir);
        for (const char* command : commands)
            location->addInitialCommand(command);
        pool()->getIni()->addLogicalLocation(location);
        return location;
    }

    // Client traces go to a log file from here on.
    void traceToLog()
    {
        char path[] = "/tmp/lorbane-ftplog-XXXXXX";
        int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        ::close(fd);
        m_logPath = path;
        qelLogStream* log = pool()->getLogStream();
        log->setLevelMask(0x80);
        log->open(path);
        ASSERT_NE(log->getFile(), nullptr);
    }

    std::string logText()
    {
        pool()->getLogStream()->close();
        std::ifstream in(m_logPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Opens a remote file on the reader and reads up to limit bytes (all
    // of them when limit is negative); the end must come as I001.
    static std::string readRemote(qelIOStream* reader, const char* name, long limit = -1)
    {
        reader->setRemoteFileName(name);
        reader->reopen();
        std::string bytes;
        Raised end = raised([&] {
            while (limit < 0 || static_cast<long>(bytes.size()) < limit)
                bytes += static_cast<char>(reader->readByte());
        });
        if (limit < 0) {
            EXPECT_EQ(end.id, 1) << name;
            EXPECT_EQ(end.kind, QEL_MSG_INFO) << name;
        }
        return bytes;
    }

    FILE* m_out = nullptr;
    std::string m_logPath;
};

TEST_F(FtpTest, FilesOfALocationComeOverOneConnection)
{
    addLocation("RES", "u", FtpTestServer::password());
    int before = s_server->connections();

    qelIOStream* reader = pool()->openResourceStream("res");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(pool()->openResourceStream("Res"), reader);
    EXPECT_STREQ(reader->getName(), "RES");
    EXPECT_EQ(reader->getStream()->getType(), QEL_STREAM_FTP);

    // A file left after its first bytes, a missing one, then whole files.
    EXPECT_EQ(readRemote(reader, "TWO.DAT", 100), kLarge.substr(0, 100));
    Raised missing = raised([&] { readRemote(reader, "NOPE.DAT"); });
    EXPECT_EQ(missing.id, 192);
    EXPECT_EQ(missing.kind, QEL_MSG_ERROR);
    reader->closeStream();
    EXPECT_EQ(readRemote(reader, "ONE.DAT"), "first file");
    EXPECT_EQ(reader->getStream()->getSize(), 10);
    EXPECT_EQ(readRemote(reader, "TWO.DAT"), kLarge);
    EXPECT_EQ(reader->getPosition(), 70000);
    reader->closeStream();

    EXPECT_EQ(s_server->connections() - before, 1);
    // The missing file is silent.
    EXPECT_EQ(output(), "");
}

TEST_F(FtpTest, RefusedLoginIsE191WithTheReplyOnlyWhenTraced)
{
    for (bool traced : {true, false}) {
        qelUtils::releaseGlobals();
        addLocation("BAD", "u", "wrong");
        if (traced)
            traceToLog();
        Raised r = raised([&] { pool()->openResourceStream("bad"); });
        EXPECT_EQ(r.id, 191);
        std::string reason = traced ? "InternetConnect()=>Host:127.0.0.1 Port:" + std::to_string(s_server->port()) +
                                          " UserName:u ErrorCode:67 \nErrorMsg:\n530 Authentication failed."
                                    : "";
        EXPECT_EQ(r.message, "E191: FTP Connection failed. Reason: " + reason) << traced;
        // Nothing is kept for the location.
        EXPECT_EQ(pool()->openLocationStream(nullptr), nullptr);
    }
    EXPECT_EQ(pool()->openResourceStream("NoSuchLocation"), nullptr);
}

TEST_F(FtpTest, FirstByteCheck)
{
    addLocation("RES", "u", FtpTestServer::password());
    qelIOStream* reader = pool()->openResourceStream("RES");
    ASSERT_NE(reader, nullptr);

    // An empty file ends at the first-byte check.
    reader->setRemoteFileName("EMPTY.DAT");
    Raised empty = raised([&] { reader->reopen(); });
    EXPECT_EQ(empty.id, 1);
    EXPECT_EQ(empty.kind, QEL_MSG_INFO);
    reader->closeStream();

    // X'FF' is data like any other byte.
    EXPECT_EQ(readRemote(reader, "FF.DAT"), std::string("\xFF\x01\x02", 3));
    EXPECT_FALSE(reader->hasCarriageControl());
}

TEST_F(FtpTest, UntoldSizeIsReadToTheEnd)
{
    addLocation("NOSIZE", "nosize", FtpTestServer::password());
    qelIOStream* reader = pool()->openResourceStream("NOSIZE");
    ASSERT_NE(reader, nullptr);
    reader->setRemoteFileName("TWO.DAT");
    reader->reopen();
    EXPECT_EQ(reader->getStream()->getSize(), -1);
    reader->closeStream();
    EXPECT_EQ(readRemote(reader, "TWO.DAT"), kLarge);
    EXPECT_EQ(reader->getStream()->getSize(), -1);
}

TEST_F(FtpTest, SeekWithinReach)
{
    addLocation("RES", "u", FtpTestServer::password());
    qelIOStream* reader = pool()->openResourceStream("RES");
    ASSERT_NE(reader, nullptr);
    reader->setRemoteFileName("TWO.DAT");
    reader->reopen();
    qelStream* stream = reader->getStream();
    std::vector<unsigned char> skipped(32770);
    stream->getChars(skipped.data(), static_cast<int>(skipped.size()));

    struct Case
    {
        int target;
        int id;
    };
    const Case cases[] = {
        {32769, -1},  // in the window
        {32764, -1},  // in the last bytes of the window before
        {32768 - qelFTPStream::LOOK_BEHIND, -1},
        {32768 - qelFTPStream::LOOK_BEHIND - 1, 37},
        {100, 37},
        {65600, -1},  // ahead: read on
        {65599, -1},
    };
    for (const Case& c : cases) {
        Raised r = raised([&] { stream->seek(c.target); });
        EXPECT_EQ(r.id, c.id) << c.target;
        if (c.id < 0) {
            EXPECT_EQ(stream->getPosition(), c.target);
            EXPECT_EQ(stream->getChar(), static_cast<unsigned char>(kLarge[static_cast<size_t>(c.target)]))
                << c.target;
        }
    }
}

TEST_F(FtpTest, ResynchronisesAcrossTheWindowEdge)
{
    addLocation("RES", "u", FtpTestServer::password());
    qelIOStream* reader = pool()->openResourceStream("RES");
    ASSERT_NE(reader, nullptr);
    reader->setRemoteFileName("SPOOL.AFP");
    reader->reopen();
    qelAFPParser parser;
    std::vector<int> ids;
    Raised end = raised([&] {
        for (;;)
            ids.push_back(parser.readNextSF(reader)->getId());
    });
    EXPECT_EQ(end.id, 1);
    EXPECT_EQ(ids, (std::vector<int>{0xA8A8, 0xA8AF, 0xA9AF}));
}

TEST_F(FtpTest, DirectoryCommandsAndTraces)
{
    traceToLog();
    addLocation("RES", "u", FtpTestServer::password(), "/res", {"NOOP", "BOGUS"});
    qelIOStream* reader = pool()->openResourceStream("RES");
    ASSERT_NE(reader, nullptr);
    auto* stream = static_cast<qelFTPStream*>(reader->getStream());

    char dir[5];
    stream->getAttribute(QEL_ATTR_DIRECTORY, dir, sizeof dir);
    EXPECT_STREQ(dir, "/res");
    char small[3];
    stream->getAttribute(QEL_ATTR_HOST_NAME, small, sizeof small);
    EXPECT_STREQ(small, "12");
    char description[64];
    reader->setRemoteFileName("ONE.DAT");
    EXPECT_STREQ(reader->describe(description, sizeof description), "Host Name=127.0.0.1 File Name=ONE.DAT");

    EXPECT_EQ(stream->setCurrentDirectory("/nowhere"), -1);
    EXPECT_EQ(stream->getCurrentDirectory(), "/res");
    EXPECT_EQ(stream->setCurrentDirectory(nullptr), -1);
    EXPECT_EQ(output(), "Warning! null path.");
    EXPECT_EQ(stream->command("NOOP"), 1);
    EXPECT_EQ(stream->command(nullptr), -1);

    EXPECT_EQ(readRemote(reader, "ONE.DAT"), "first file");
    std::string log = logText();
    const char* lines[] = {
        "InternetOpen()=>ErrorCode:0 ",
        "InternetConnect()=>Host:127.0.0.1 Port:",
        "FtpSetCurrentDirectory()=>Host:127.0.0.1 Dir:/res ErrorCode:0 ",
        "FtpCommand()=>Host:127.0.0.1 Command:NOOP, ErrorCode:0 ",
        "FtpCommand()=>Host:127.0.0.1 Command:BOGUS, ErrorCode:21 \nErrorMsg:\n500 Command \"BOGUS\" not understood.",
        "FtpSetCurrentDirectory()=>Host:127.0.0.1 Dir:/nowhere ErrorCode:21 \nErrorMsg:\n550 ",
        "FtpGetCurrentDirectory()=>Host:127.0.0.1 CurrentDir:/res, ErrorCode:0 ",
        "FtpOpenFile()=>Host:127.0.0.1 FileName:ONE.DAT, ErrorCode:0 ",
        "FtpGetFileSize()=>Host:127.0.0.1 FileName:ONE.DAT, FileSize:10 ErrorCode:0 ",
        "InternetReadFile()=>Host:127.0.0.1 FileName:ONE.DAT BytesRead:10 ErrorCode:0 ",
        "InternetReadFile()=>Host:127.0.0.1 FileName:ONE.DAT BytesRead:0 ErrorCode:0 ",
    };
    for (const char* line : lines)
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(FtpTest, NoTracesWithoutTheLogBit)
{
    traceToLog();
    pool()->getLogStream()->setLevelMask(0x10F);
    addLocation("RES", "u", FtpTestServer::password());
    qelIOStream* reader = pool()->openResourceStream("RES");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(readRemote(reader, "ONE.DAT"), "first file");
    EXPECT_EQ(logText().find("()=>"), std::string::npos);
}

TEST_F(FtpTest, FontNamesOnALocationTryTheVariantOfTheirSecondCharacter)
{
    addLocation("RES", "u", FtpTestServer::password());
    pool()->getIni()->setAFPFontPath("@RES");
    const struct
    {
        int kind;
        const char* name;
        bool found;
    } cases[] = {
        {5, "C0H200A0", true},   // character set: C1H200A0 next
        {7, "c0h200a0", true},   // coded font, upper case on the server
        {6, "C0H200A0", false},  // code pages have no variant
        {5, "C1H200A0", true},
        {5, "C7H300A0", true},   // C0H300A0 next
        {5, "CZH200A0", false},  // nor do names with Z there
    };
    for (const auto& c : cases) {
        FontFileParser parser(c.kind);
        Raised r = raised([&] { parser.parse(c.name, qelResParser::MODE_LIBRARY, nullptr); });
        EXPECT_EQ(r.id, c.found ? -1 : 58) << c.kind << " " << c.name;
        EXPECT_EQ(parser.m_firstId, c.found ? 0xA889 : 0) << c.kind << " " << c.name;
    }
    // The names that are not there were asked for silently.
    std::string text = output();
    EXPECT_EQ(text.find("E192"), std::string::npos) << text;
}

TEST_F(FtpTest, ConnectionEndedByTheServerIsMadeAgainWithItsDirectory)
{
    addLocation("DROP", "drop", FtpTestServer::password(), "/res", {"NOOP"});
    qelIOStream* reader = pool()->openResourceStream("DROP");
    ASSERT_NE(reader, nullptr);
    int before = s_server->connections();
    // The server ends the connection after each file.
    EXPECT_EQ(readRemote(reader, "ONE.DAT"), "first file");
    reader->closeStream();
    EXPECT_EQ(readRemote(reader, "TWO.DAT"), kLarge);
    reader->closeStream();
    auto* stream = static_cast<qelFTPStream*>(reader->getStream());
    EXPECT_EQ(stream->getCurrentDirectory(), "/res");
    EXPECT_EQ(s_server->connections() - before, 2);
}

} // namespace
