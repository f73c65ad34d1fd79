#include "FieldText.h"
#include "ScratchTest.h"
#include "qelAFPParser.h"
#include "qelBufferStream.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelResParser.h"
#include "qelSFIBlock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

using lrbtest::field;

const std::vector<unsigned char> kBeginFont = field(0xA889, {});
const std::vector<unsigned char> kBeginOverlay = field(0xA8DF, {});

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A resource parser of the given kind that accepts Begin Font files and
// returns no resource.
class TestParser : public qelAFPParser, public qelResParser
{
public:
    explicit TestParser(int kind) : qelAFPParser(false), m_kind(kind) {}
    qelRes* parse(const char* name, int mode, const char* fileName) override
    {
        prepareSearch(m_kind, mode);
        setResourceName(name);
        setFileName(fileName ? fileName : getResourceName().c_str());
        if (mode == MODE_LIBRARY)
            qelResParser::loadResourceFile();
        try {
            qelSFIBlock* sf = readNextSF();
            m_firstId = sf ? sf->getId() : 0;
        } catch (...) {
            if (m_found)
                closeResourceFile();
            throw;
        }
        if (m_found)
            closeResourceFile();
        return nullptr;
    }
    bool isResourceBegin(int id) const override { return id == 0xA889; }
    int m_kind;
    int m_firstId = 0;
};

// A remote location whose files are held in memory.
class TestRemoteStream : public qelBufferStream
{
public:
    TestRemoteStream(const char* label, std::map<std::string, std::vector<unsigned char>> files)
        : qelBufferStream(16), m_files(std::move(files)), m_label(label)
    {
    }
    int getType() override { return QEL_STREAM_FTP; }
    const char* getName() override { return m_label.c_str(); }
    // Named after its location for good.
    void setName(const char*) override {}
    void setAttribute(int kind, const char* text) override
    {
        if (kind == QEL_ATTR_REMOTE_FILE_NAME) {
            m_remote = text ? text : "";
            m_asked.push_back(m_remote);
        }
    }
    void open() override
    {
        if (m_remote.empty()) {
            qelBufferStream::open();
            return;
        }
        auto it = m_files.find(m_remote);
        if (it == m_files.end())
            throw new qelException(__FILE__, __LINE__, 192 /* E192 */, 0, false, m_remote.c_str(), "absent");
        setBuffer(it->second.data(), static_cast<int>(it->second.size()), false);
        qelBufferStream::open();
    }
    std::map<std::string, std::vector<unsigned char>> m_files;
    const std::string m_label;
    std::string m_remote;
    std::vector<std::string> m_asked;
};

class TestLocation : public qelLogicalLocation
{
public:
    int getKind() const override { return 9; }
    char* describe() override
    {
        char* text = new char[3];
        std::snprintf(text, 3, "\r\n");
        return text;
    }
};

class ResourceSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        m_capture = std::tmpfile();
        qelMessageOutput::set(m_capture);
        ini()->setResPath(nullptr);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_capture);
        delete qelGlobalDSPool::getInstance();
        m_folder.reset();
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    std::string sub(const std::string& name)
    {
        const std::string path = m_dir + "/" + name;
        mkdir(path.c_str(), 0700);
        return path;
    }
    std::string output() { return lrbtest::streamText(m_capture); }
    TestRemoteStream* addLocation(const char* name, std::map<std::string, std::vector<unsigned char>> files)
    {
        auto* location = new TestLocation();
        location->setName(name);
        ini()->addLogicalLocation(location);
        auto* remote = new TestRemoteStream(name, std::move(files));
        auto* reader = new qelIOStream();
        reader->attachStream(remote);
        qelGlobalDSPool::getInstance()->addResourceStream(reader);
        return remote;
    }
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    FILE* m_capture = nullptr;
};

TEST_F(ResourceSearchTest, SecondCharacterVariantInDirectory)
{
    const std::string fonts = sub("fonts");
    writeFile(fonts + "/C1H200A0", kBeginFont);
    ini()->setAFPFontPath(fonts.c_str());
    TestParser parser(5);
    parser.parse("C0H200A0", 1, nullptr);
    EXPECT_EQ(parser.m_firstId, 0xA889);
    EXPECT_EQ(parser.getFileName(), fonts + "/C1H200A0");
    EXPECT_NE(output().find("Loading resource file " + fonts + "/C1H200A0"), std::string::npos);
}

TEST_F(ResourceSearchTest, VariantOnlyForFontKindsAndNotAfterZ)
{
    const std::string fonts = sub("fonts");
    writeFile(fonts + "/C1H200A0", kBeginFont);
    writeFile(fonts + "/CAZ", kBeginFont);
    ini()->setAFPFontPath(fonts.c_str());
    const struct
    {
        int kind;
        const char* name;
        bool found;
    } cases[] = {{5, "C0H200A0", true}, {7, "C0H200A0", true}, {6, "C0H200A0", false}, {5, "CZZ", false}};
    for (const auto& c : cases) {
        TestParser parser(c.kind);
        bool found = true;
        try {
            parser.parse(c.name, 1, nullptr);
        } catch (qelException* e) {
            EXPECT_EQ(e->getId(), 58);
            found = false;
            delete e;
        }
        EXPECT_EQ(found, c.found) << c.kind << " " << c.name;
    }
}

TEST_F(ResourceSearchTest, StarCandidatesNeedExactNameAndBeginField)
{
    const std::string dir = sub("ovl");
    writeFile(dir + "/O1ABCD.OLY", kBeginFont);
    writeFile(dir + "/O1ABC.TXT", kBeginOverlay);
    writeFile(dir + "/O1ABC.OLY", kBeginFont);
    ini()->setAFPFontPath(dir.c_str());
    TestParser parser(6);
    parser.parse("O1ABC", 1, nullptr);
    EXPECT_EQ(parser.getFileName(), dir + "/O1ABC.OLY");

    std::remove((dir + "/O1ABC.OLY").c_str());
    writeFile(dir + "/O1ABC", kBeginFont);
    parser.parse("O1ABC", 1, nullptr);
    EXPECT_EQ(parser.getFileName(), dir + "/O1ABC");
}

TEST_F(ResourceSearchTest, LogicalLocationVariantsAndUpperCase)
{
    TestRemoteStream* remote = addLocation("REMOTE", {{"C1H200A0", kBeginFont}, {"C0H300A0", kBeginFont}});
    ini()->setAFPFontPath("@remote");
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    const struct
    {
        const char* name;
        const char* asked;
    } cases[] = {{"C0H200A0", "C1H200A0"}, {"c2h300a0", "C0H300A0"}};
    for (const auto& c : cases) {
        TestParser parser(5);
        remote->m_asked.clear();
        parser.parse(c.name, 1, nullptr);
        EXPECT_EQ(parser.m_firstId, 0xA889) << c.name;
        ASSERT_FALSE(remote->m_asked.empty());
        EXPECT_EQ(remote->m_asked.back(), c.asked);
        // The location's reader stays with the pool; the old input is back.
        EXPECT_EQ(qelIOStream::getCurrent(), &before);
    }
    qelIOStream::setCurrent(nullptr);
}

TEST_F(ResourceSearchTest, MissingFileGivesE058AndKeepsInput)
{
    const std::string dir = sub("empty");
    ini()->setOverlayPath(dir.c_str());
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    TestParser parser(1);
    try {
        parser.parse("NOTHERE", 1, nullptr);
        FAIL() << "no error";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 58);
        EXPECT_EQ(e->getKind(), QEL_MSG_ERROR);
        delete e;
    }
    EXPECT_EQ(qelIOStream::getCurrent(), &before);
    qelIOStream::setCurrent(nullptr);
}

TEST_F(ResourceSearchTest, InvalidPathsAreDroppedAndResourcePathTakesOver)
{
    const std::string good = sub("good");
    const std::string res = sub("res");
    writeFile(res + "/O1X", kBeginFont);
    ini()->setOverlayPath((m_dir + "/missing," + good).c_str());
    TestParser parser(1);
    EXPECT_THROW(
        try { parser.parse("O1X", 1, nullptr); } catch (qelException* e) {
            delete e;
            throw 1;
        },
        int);
    EXPECT_NE(output().find("Warning! Overlay path (" + m_dir + "/missing/) is not valid\n"), std::string::npos);
    EXPECT_EQ(ini()->getOverlayPathList(), std::vector<std::string>({good + "/"}));

    // No valid entry: the option is cleared; the resource path is still searched.
    ini()->setResPath(res.c_str());
    TestParser other(1);
    ini()->setOverlayPath((m_dir + "/gone").c_str());
    other.parse("O1X", 1, nullptr);
    EXPECT_TRUE(ini()->getOverlayPathList().empty());
    EXPECT_EQ(other.getFileName(), res + "/O1X");
}

TEST_F(ResourceSearchTest, TruncatedResourceEndIsAnError)
{
    const struct
    {
        int kind;
        int id;
        int expected;
    } cases[] = {{QEL_MSG_INFO, 1, QEL_MSG_ERROR},
                 {QEL_MSG_INFO, 199, QEL_MSG_ERROR},
                 {QEL_MSG_WARNING, 16, QEL_MSG_WARNING}};
    for (const auto& c : cases) {
        qelException* e = new qelException(__FILE__, __LINE__, static_cast<qelMessageKind>(c.kind), c.id, 0, false);
        qelResParser::makeEndOfDataError(e);
        EXPECT_EQ(e->getKind(), c.expected) << c.id;
        delete e;
    }
}

} // namespace
