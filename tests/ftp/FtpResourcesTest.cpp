// Conversions whose resources come from FTP locations give what the same
// resources in local directories give.
#include "CApiRun.h"
#include "FieldText.h"
#include "FontLibrary.h"
#include "FtpTestServer.h"
#include "ScratchTest.h"

#include "lorbane.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

using ftptest::FtpServerTest;
using ftptest::FtpTestServer;

namespace {

using lrbtest::readText;
using lrbtest::chars::field;
using lrbtest::chars::name8;
using lrbtest::squeezed;

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A page segment holding one image object without picture data.
std::string pageSegment(const std::string& name)
{
    // Image data descriptor: ten inches, 720 points per unit base, 1 x 1.
    static const char kIdd[] = {0x00, 0x02, char(0xD0), 0x02, char(0xD0), 0x00, 0x01, 0x00, 0x01};
    return field(0xA85F, name8(name)) + field(0xA8FB) + field(0xA8C7) + field(0xA6FB, std::string(kIdd, 9)) +
           field(0xA9C7) + field(0xA9FB) + field(0xA95F, name8(name));
}

// Fields put in front of the n-th appearance (from 1) of a field id.
struct Insert
{
    unsigned before;
    int occurrence;
    std::string bytes;
};

// The FOP hello document with extra fields put in.
std::string helloWith(const std::vector<Insert>& inserts)
{
    const std::string in = readText(std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp");
    std::string out;
    std::vector<std::pair<unsigned, int>> seen;
    size_t at = 0;
    while (at + 3 <= in.size()) {
        size_t length = (static_cast<unsigned char>(in[at + 1]) << 8) | static_cast<unsigned char>(in[at + 2]);
        if (in[at] != '\x5A' || at + 1 + length > in.size() || length < 8)
            break;
        unsigned id = (static_cast<unsigned char>(in[at + 3]) << 16) | (static_cast<unsigned char>(in[at + 4]) << 8) |
                      static_cast<unsigned char>(in[at + 5]);
        int count = 0;
        for (auto& s : seen)
            if (s.first == id)
                count = ++s.second;
        if (count == 0)
            seen.emplace_back(id, count = 1);
        for (const Insert& insert : inserts)
            if (insert.before == id && insert.occurrence == count)
                out += insert.bytes;
        out.append(in, at, 1 + length);
        at += 1 + length;
    }
    return out;
}

// Include Page Segment at a position.
std::string includeSegment(const std::string& name)
{
    return field(0xAF5F, name8(name) + std::string("\x00\x00\x64\x00\x00\x64", 6));
}

const unsigned kEndPage = 0xD3A9AF;

// FOP's Helvetica in code page T1V10500 as local font 1; an area of
// 800 x 400 units at 240 per inch.
std::string environment()
{
    const std::string mapping = std::string("\x00\x22\x0C\x02\x86\x00", 6) + name8("C0H200B0") +
                                std::string("\x0C\x02\x85\x00", 4) + name8("T1V10500") +
                                std::string("\x04\x26\x00\x00\x04\x24\x05\x01", 8);
    const std::string size("\x00\x00\x09\x60\x09\x60\x00\x03\x20\x00\x01\x90\x00\x00", 14);
    return field(0xA8C9) + field(0xAB8A, mapping) + field(0xA6AF, size + std::string(1, '\0')) +
           field(0xB19B, size) + field(0xA9C9);
}

// Text in font 1 at (50, 100); upper-case letters, digits and blanks.
std::string text(const std::string& words)
{
    std::string body = words;
    qelUtils::asciiToEbcdic(reinterpret_cast<unsigned char*>(&body[0]), static_cast<int>(body.size()));
    std::string data("\x2B\xD3\x04\xD3\x00\x64\x04\xC7\x00\x32\x03\xF1\x01", 13);
    data += static_cast<char>(body.size() + 2);
    data += '\xDA';
    return field(0xA89B) + field(0xEE9B, data + body) + field(0xA99B);
}

// A form definition with one medium map whose copies carry one medium
// overlay.
std::string formDefinition(const std::string& name, const std::string& map, const std::string& overlayName)
{
    const std::string copies("\x00\x01\x00\x01\x00\x01", 6);
    const std::string controls("\x01\xFF\xF4\x01\xF2\x01", 6);
    const std::string mediumOverlay = std::string("\x0C\x00\x00\x00\x01\x00\x00\x00", 8) + name8(overlayName);
    return field(0xA8CD, name8(name)) + field(0xA8CC, name8(map)) + field(0xA288, copies) +
           field(0xA788, controls) + field(0xB1DF, mediumOverlay) + field(0xA9CC, name8(map)) +
           field(0xA9CD, name8(name));
}

// An overlay with a text and, when named, a page segment.
std::string overlay(const std::string& name, const std::string& words, const std::string& segment)
{
    std::string body = environment() + text(words);
    if (!segment.empty())
        body += includeSegment(segment);
    return field(0xA8DF, name8(name)) + body + field(0xA9DF, name8(name));
}


// Conversions of one AFP input to text through the C interface, resources
// in local directories or on the local FTP server, which the INI file
// describes as the locations RES (all resources), PART (some of them),
// NOSIZE (RES without file sizes) and BAD (a wrong password).
class FtpResourcesTest : public FtpServerTest
{
protected:
    struct Run
    {
        int rc = 0;
        std::string text;
        std::string messages;
        int connections = 0;
    };
    using Options = std::vector<std::pair<std::string, std::string>>;

    void SetUp() override
    {
        FtpServerTest::SetUp();
        if (setUpStopped())
            return;
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        for (const char* sub : {"pseg", "ovl", "fdef", "none"})
            ::mkdir((m_dir + sub).c_str(), 0755);
        const std::string host = "127.0.0.1:" + std::to_string(s_server->port());
        auto section = [&host](const char* name, const char* user, const char* password, const char* dir) {
            return std::string("[") + name + "]\nType=FTP\nHostName=" + host + "\nUserName=" + user +
                   "\nPassword=" + password + "\nStartDir=" + dir + "\n";
        };
        writeAll(m_dir + "lorbane.ini", "[Settings]\n" + section("RES", "u", FtpTestServer::password(), "/res") +
                                            section("PART", "u", FtpTestServer::password(), "/part") +
                                            section("NOSIZE", "nosize", FtpTestServer::password(), "/res") +
                                            section("BAD", "u", "wrong", "/res"));
    }

    void TearDown() override
    {
        m_folder.reset();
    }

    // A resource in the local directory (with an extension) and on the
    // server locations (upper-case name without extension) as listed.
    void addResource(const std::string& localPath, const std::string& name, const std::string& bytes,
                     std::vector<const char*> remoteDirs)
    {
        writeAll(m_dir + localPath, bytes);
        for (const char* dir : remoteDirs)
            s_server->writeFile(std::string(dir) + "/" + name, bytes);
    }

    // Converts the input with the given option pairs into its own output
    // directory.
    Run convert(const std::string& label, const std::string& input, const Options& extra)
    {
        const std::string out = m_dir + "out-" + label + "/";
        ::mkdir(out.c_str(), 0755);
        writeAll(m_dir + "in.afp", input);
        std::vector<std::pair<std::string, std::string>> all = {
            {"IniFilePath", m_dir},   {"OutputFilePath", out}, {"LogPath", out},
            {"OutputFormat", "ASCII"}, {"QuietMode", "off"},   {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}};
        all.insert(all.end(), extra.begin(), extra.end());
        SCOPED_TRACE(label);
        FILE* messages = std::tmpfile();
        qelMessageOutput::set(messages);
        const int before = s_server->connections();
        Run run;
        run.rc = lrbtest::convertFile(all, m_dir + "in.afp");
        run.connections = s_server->connections() - before;
        qelMessageOutput::set(nullptr);
        run.messages = lrbtest::streamText(messages);
        std::fclose(messages);
        run.text = readText(out + "in.txt");
        return run;
    }

    // The messages without the lines that name where a resource came from,
    // the ones about the resource path and the run times.
    static std::string withoutSources(const std::string& messages)
    {
        std::string out;
        size_t at = 0;
        while (at < messages.size()) {
            size_t end = messages.find('\n', at);
            end = end == std::string::npos ? messages.size() : end + 1;
            std::string line = messages.substr(at, end - at);
            bool keep = true;
            for (const char* start :
                 {"Loading resource file ", "Warning! No ", "Warning! Invalid resource path", "Lorbane Started at",
                  "Lorbane Finished at"})
                keep = keep && line.compare(0, std::strlen(start), start) != 0;
            if (keep)
                out += line;
            at = end;
        }
        return out;
    }

    std::string remoteSource(const char* location, const char* dir, const char* name) const
    {
        return std::string("Loading resource file @") + location + " //127.0.0.1:" +
               std::to_string(s_server->port()) + dir + name + "\n";
    }

    // A run with resources from the server: the local run's result, text
    // and messages, the given source lines, all files over one connection.
    void expectLikeLocal(const Run& local, const char* label, const std::string& input, const Options& options,
                         const std::vector<std::string>& sources)
    {
        const Run run = convert(label, input, options);
        EXPECT_EQ(run.rc, local.rc) << label;
        EXPECT_EQ(run.text, local.text) << label;
        EXPECT_EQ(withoutSources(run.messages), withoutSources(local.messages)) << label;
        for (const std::string& source : sources)
            EXPECT_NE(run.messages.find(source), std::string::npos) << label << ": " << source << "\n" << run.messages;
        EXPECT_EQ(run.messages.find("E192"), std::string::npos) << label;
        EXPECT_EQ(run.connections, 1) << label;
    }

    // The source lines of files from RES.
    std::vector<std::string> fromRes(std::initializer_list<const char*> names) const
    {
        std::vector<std::string> lines;
        for (const char* name : names)
            lines.push_back(remoteSource("RES", "/res", name));
        return lines;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
};

TEST_F(FtpResourcesTest, PageSegmentsFromTheServerConvertLikeLocalOnes)
{
    addResource("pseg/S1SEG.PSG", "S1SEG", pageSegment("S1SEG"), {"res", "part"});
    addResource("pseg/S1TWO.PSG", "S1TWO", pageSegment("S1TWO"), {"res"});
    const std::string input =
        helloWith({{kEndPage, 1, includeSegment("S1SEG")}, {kEndPage, 2, includeSegment("S1TWO")}});

    const Run local = convert("local", input, {{"PageSegmentPath", m_dir + "pseg"}});
    EXPECT_EQ(local.rc, 0) << local.messages;
    EXPECT_NE(squeezed(local.text).find("Hello AFP world."), std::string::npos) << local.text;
    EXPECT_NE(local.messages.find("Loading resource file " + m_dir + "pseg/S1TWO.PSG\n"), std::string::npos)
        << local.messages;
    EXPECT_EQ(local.connections, 0);

    expectLikeLocal(local, "path", input, {{"PageSegmentPath", "@RES"}}, fromRes({"S1SEG", "S1TWO"}));
    expectLikeLocal(local, "respath", input, {{"ResPath", "@res"}},
                    {remoteSource("res", "/res", "S1SEG"), remoteSource("res", "/res", "S1TWO")});
    expectLikeLocal(local, "nosize", input, {{"PageSegmentPath", "@NOSIZE"}},
                    {remoteSource("NOSIZE", "/res", "S1SEG"), remoteSource("NOSIZE", "/res", "S1TWO")});
    // S1TWO is not at PART: the search goes on silently to the directory.
    expectLikeLocal(local, "mixed", input, {{"PageSegmentPath", "@PART," + m_dir + "pseg"}},
                    {remoteSource("PART", "/part", "S1SEG"), "Loading resource file " + m_dir + "pseg/S1TWO.PSG\n"});

    // Missing and empty files fail as local ones do; the missing remote
    // file is silent.
    addResource("none/S1EMPTY.PSG", "S1EMPTY", "", {"res"});
    const struct
    {
        const char* name;
        std::string localMessage;
        std::string remoteMessage;
    } failures[] = {
        {"S1NONE", "E058: Resource (S1NONE) not found", "E058: Resource (S1NONE) not found"},
        {"S1EMPTY", "E072: File (" + m_dir + "none/S1EMPTY.PSG) is empty.", "E072: File (@RES/S1EMPTY) is empty."},
    };
    for (const auto& f : failures) {
        const std::string failing = helloWith({{kEndPage, 1, includeSegment(f.name)}});
        const Run here = convert(std::string("local-") + f.name, failing, {{"PageSegmentPath", m_dir + "none"}});
        const Run remote = convert(std::string("remote-") + f.name, failing, {{"PageSegmentPath", "@RES"}});
        EXPECT_NE(here.messages.find(f.localMessage), std::string::npos) << here.messages;
        EXPECT_NE(remote.messages.find(f.remoteMessage), std::string::npos) << remote.messages;
        EXPECT_EQ(remote.messages.find("E192"), std::string::npos) << f.name;
        EXPECT_EQ(remote.rc, here.rc) << f.name;
        EXPECT_EQ(remote.text, here.text) << f.name;
        EXPECT_NE(squeezed(remote.text).find("Hello AFP world."), std::string::npos) << f.name;
    }
}

TEST_F(FtpResourcesTest, OverlayAndSegmentsOfAFopInputComeFromTheServer)
{
    // FOP's page includes the overlay O1OVL001 and the segment S1SEG001;
    // the overlay includes S1INNER.
    addResource("ovl/O1OVL001.OLY", "O1OVL001", overlay("O1OVL001", "OVERLAY TEXT LINE", "S1INNER"), {"res"});
    addResource("pseg/S1SEG001.PSG", "S1SEG001", pageSegment("S1SEG001"), {"res"});
    addResource("pseg/S1INNER.PSG", "S1INNER", pageSegment("S1INNER"), {"res"});
    const std::string input = readText(std::string(LORBANE_TEST_DATA) + "/fop/fop-overlay.afp");

    const Run local =
        convert("local", input, {{"OverlayPath", m_dir + "ovl"}, {"PageSegmentPath", m_dir + "pseg"}});
    EXPECT_EQ(local.rc, 0) << local.messages;
    EXPECT_NE(squeezed(local.text).find("Page text above the overlay"), std::string::npos) << local.text;
    EXPECT_NE(squeezed(local.text).find("OVERLAY TEXT LINE"), std::string::npos) << local.text;
    EXPECT_NE(local.messages.find("Loading resource file " + m_dir + "pseg/S1INNER.PSG\n"), std::string::npos)
        << local.messages;

    const std::vector<std::string> sources = fromRes({"O1OVL001", "S1SEG001", "S1INNER"});
    expectLikeLocal(local, "paths", input, {{"OverlayPath", "@RES"}, {"PageSegmentPath", "@RES"}}, sources);
    expectLikeLocal(local, "respath", input, {{"ResPath", "@RES"}}, sources);
}

TEST_F(FtpResourcesTest, RefusedLoginEndsTheSearchWithE191)
{
    addResource("pseg/S1SEG.PSG", "S1SEG", pageSegment("S1SEG"), {"res"});
    const std::string input = helloWith({{kEndPage, 1, includeSegment("S1SEG")}});
    // The server's reply is the reason only while the client traces.
    const struct
    {
        const char* level;
        std::string reason;
    } cases[] = {
        {"1", ""},
        {"8", "InternetConnect()=>Host:127.0.0.1 Port:" + std::to_string(s_server->port()) +
                  " UserName:u ErrorCode:67 \nErrorMsg:\n530 Authentication failed."},
    };
    for (const auto& c : cases) {
        const Run run = convert(std::string("bad-") + c.level, input,
                                {{"PageSegmentPath", "@BAD," + m_dir + "pseg"}, {"LoggingLevel", c.level}});
        EXPECT_NE(run.messages.find("E191: FTP Connection failed. Reason: " + c.reason + "\r\n"), std::string::npos)
            << c.level << "\n" << run.messages;
        EXPECT_EQ(run.messages.find("E192"), std::string::npos) << c.level;
        EXPECT_EQ(run.messages.find("Loading resource file"), std::string::npos) << c.level;
        EXPECT_NE(squeezed(run.text).find("Hello AFP world."), std::string::npos) << c.level;
    }
}

TEST_F(FtpResourcesTest, FormDefinitionWithItsMediumOverlayComesFromTheServer)
{
    addResource("fdef/F1FTP.FDF", "F1FTP", formDefinition("F1FTP", "M1", "O1MED"), {"res"});
    addResource("ovl/O1MED.OLY", "O1MED", overlay("O1MED", "MEDIUM OVERLAY TEXT", ""), {"res"});
    addResource("pseg/S1SEG.PSG", "S1SEG", pageSegment("S1SEG"), {"res"});
    // The hello document invokes the medium map M1 and includes a segment.
    const std::string input = helloWith({{0xD3A8AD, 1, field(0xABCC, name8("M1"))},
                                         {kEndPage, 1, includeSegment("S1SEG")}});

    const Run local = convert("local", input,
                              {{"FormdefFilename", "F1FTP"},
                               {"FormDefPath", m_dir + "fdef"},
                               {"OverlayPath", m_dir + "ovl"},
                               {"PageSegmentPath", m_dir + "pseg"}});
    EXPECT_EQ(local.rc, 0) << local.messages;
    EXPECT_NE(local.messages.find("Loading resource file " + m_dir + "fdef/F1FTP.FDF\n"), std::string::npos)
        << local.messages;
    // On both pages.
    const size_t first = squeezed(local.text).find("MEDIUM OVERLAY TEXT");
    ASSERT_NE(first, std::string::npos) << local.text;
    EXPECT_NE(squeezed(local.text).find("MEDIUM OVERLAY TEXT", first + 1), std::string::npos) << local.text;

    const std::vector<std::string> sources = fromRes({"F1FTP", "O1MED", "S1SEG"});
    expectLikeLocal(local, "paths", input,
                    {{"FormdefFilename", "F1FTP"},
                     {"FormDefPath", "@RES"},
                     {"OverlayPath", "@RES"},
                     {"PageSegmentPath", "@RES"}},
                    sources);
    expectLikeLocal(local, "respath", input, {{"FormdefFilename", "F1FTP"}, {"ResPath", "@RES"}}, sources);
}

} // namespace

TEST_F(FtpResourcesTest, FontLibraryFromTheServerConvertsLikeTheLocalOne)
{
    ::mkdir((m_dir + "fonts").c_str(), 0755);
    const std::string dataDir = std::string(LORBANE_SOURCE_DIR) + "/data";
    for (const lrbtest::foca::LibraryMember& m : lrbtest::foca::fopLibrary(dataDir))
        addResource("fonts/" + m.file, m.name, std::string(m.bytes.begin(), m.bytes.end()), {"res"});
    const std::string input = readText(std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp");
    const Run local = convert("local", input, {{"AFPFontPath", m_dir + "fonts"}});
    EXPECT_EQ(local.rc, 0) << local.messages;
    EXPECT_NE(squeezed(local.text).find("Hello AFP world."), std::string::npos) << local.text;
    EXPECT_NE(local.messages.find("Loading resource file " + m_dir + "fonts/C0H200D0.CHS\n"), std::string::npos)
        << local.messages;
    EXPECT_EQ(local.messages.find("E058"), std::string::npos) << local.messages;
    expectLikeLocal(local, "fonts", input, {{"AFPFontPath", "@RES"}},
                    fromRes({"C0H200D0", "C0H200B0", "C0N40000", "C0420090", "T1V10500"}));
}
