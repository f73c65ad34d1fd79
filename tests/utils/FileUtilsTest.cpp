#include "CapturedOutput.h"
#include "UtilsTestSupport.h"

#include "qelException.h"
#include "qelFileSystem.h"
#include "qelGlobalDSPool.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace
{
std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

using lrbtest::CapturedOutput;

// Sets an environment variable for the life of the object.
class EnvVar
{
public:
    EnvVar(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

class FileUtilsTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
    ScratchDir dir;
};
}

TEST_F(FileUtilsTest, DetectsInputFormats)
{
    const std::string bmp = "BM" + std::string(20, '\0');
    const struct
    {
        const char* name;
        std::string content;
        int format;
    } cases[] = {
        {"afp1", bytes({0x5A, 0x00, 0x10, 0xD3, 0xA8, 0xA8}), 1},
        {"afp2", bytes({0x00, 0x10, 0xD3, 0xA8, 0xA8, 0x00}), 1},
        {"zerolen", bytes({0x5A, 0x00, 0x00, 0xD3, 0xA8, 0xA8}), 0},
        {"nofollow", bytes({0x5A, 0x00, 0x10, 0xD3, 0x00, 0x00}), 0},
        {"pdf", "%PDF-1.4\n", 16},
        {"pdfgif", "%PDF-GIF8", 16},
        {"png", bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}), 1024},
        {"tiff", bytes({'I', 'I', 0x2A, 0x00, 8, 0, 0, 0}), 8},
        {"tiffmm", bytes({'M', 'M', 0x00, 0x2A, 0, 0, 0, 8}), 8},
        {"jpeg", bytes({0xFF, 0xD8, 0xFF, 0xE0}), 32},
        {"gif", "GIF89a", 64},
        {"bmp", bmp, 128},
        {"pcx", bytes({0x0A, 5, 1, 8}), 256},
        {"ioca", bytes({0x70, 0x00, 0x91, 0x01, 0xFF, 0x00}), 0},
        {"dib", bytes({40, 0, 0, 0}) + std::string(36, '\1'), 0},
        {"text", "hello world", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelUtils::detectInputFormat(dir.file(c.name, c.content).c_str()), c.format) << c.name;
}

TEST_F(FileUtilsTest, DetectionOfUnreadableInput)
{
    const std::string empty = dir.file("empty", "");
    {
        CapturedOutput out;
        EXPECT_EQ(qelUtils::detectInputFormat(empty.c_str()), 0);
        EXPECT_EQ(out.text(), "Warning! Unable to read header details from File " + empty + "\n");
    }
    {
        CapturedOutput out;
        EXPECT_EQ(qelUtils::detectInputFormat("STDIN"), 0);
        EXPECT_EQ(qelUtils::detectInputFormat(dir.path().c_str()), 0);
        EXPECT_EQ(qelUtils::detectInputFormat((dir.path() + "/missing").c_str()), 0);
        EXPECT_EQ(qelUtils::detectInputFormat(nullptr), 0);
        EXPECT_EQ(out.text(), "");
    }
    {
        qelGlobalDSPool::getInstance()->getIni()->setAttribute("QuietMode", "on");
        CapturedOutput out;
        EXPECT_EQ(qelUtils::detectInputFormat(empty.c_str()), 0);
        EXPECT_EQ(out.text(), "");
    }
}

TEST_F(FileUtilsTest, ImageSignatures)
{
    const struct
    {
        std::string data;
        int type;
    } cases[] = {
        {bytes({'I', 'I', 0x2A}), 14},                              // too short for TIFF
        {bytes({0x70, 0x04, 0, 0, 0, 0, 0x91, 0x01, 0xFF}), 4},     // IOCA after a 4-byte segment name
        {bytes({0x70, 0x04, 0, 0, 0, 0, 0x91, 0x01}), 14},          // cut before the last byte
        {bytes({0x70, 0x05, 0, 0, 0, 0, 0, 0x91, 0x01, 0xFF}), 14}, // name too long
        {bytes({40, 0, 0, 0}) + std::string(35, '\0'), 14},        // 39 bytes: no DIB
        {"BM" + std::string(11, '\0'), 14},                        // 13 bytes: no BMP
        {"IC" + std::string(12, '\0'), 6},
        {bytes({0x89, 'p', 'n', 'g', 0x0D, 0x0A, 0x1A, 0x0A}), 10},
        {bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}), 14},
        {"", 14},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelImgUtils::getImageTypeFromBuffer(reinterpret_cast<const unsigned char*>(c.data.data()),
                                                      static_cast<unsigned>(c.data.size())),
                  c.type)
            << c.data.size();
    EXPECT_EQ(qelImgUtils::getImageTypeFromBuffer(nullptr, 10), 14);

    const struct
    {
        int type;
        const char* name;
    } names[] = {{0, "TIFF UNCOMPRESSED"}, {1, "Unhandled"}, {4, "TIFF G4"}, {12, "CCITT G4"},
                 {13, "ICOA"}, {18, "Unhandled"}, {22, "ICOA G3MH"}, {30, "Flate"},
                 {31, "Unknown"}, {32, "Unhandled"}, {-1, "Unhandled"}};
    for (const auto& n : names)
        EXPECT_STREQ(qelImgUtils::getEncodeTypeName(n.type), n.name) << n.type;
}

TEST_F(FileUtilsTest, ReadWriteAndStatus)
{
    const std::string path = dir.path() + "/data.bin";
    const char data[] = "abc\0def";
    EXPECT_EQ(qelUtils::writeFile(path.c_str(), data, 7), 1);
    EXPECT_EQ(qelUtils::getFileSize(path.c_str()), 7);
    EXPECT_EQ(qelUtils::writeFile((dir.path() + "/no/such/file").c_str(), data, 7), -1);

    unsigned char* read = nullptr;
    long length = 0;
    EXPECT_EQ(qelUtils::readWholeFile((path + "/").c_str(), &read, &length), 1);
    ASSERT_EQ(length, 7);
    EXPECT_EQ(std::memcmp(read, data, 7), 0);
    delete[] read;

    read = nullptr;
    length = 0;
    const std::string empty = dir.file("empty", "");
    for (const std::string& bad : {empty, dir.path(), dir.path() + "/missing"}) {
        EXPECT_EQ(qelUtils::readWholeFile(bad.c_str(), &read, &length), -1) << bad;
        EXPECT_EQ(read, nullptr);
        EXPECT_EQ(length, 0);
    }

    EXPECT_TRUE(qelUtils::isRegularFile(path.c_str()));
    EXPECT_FALSE(qelUtils::isDirectory(path.c_str()));
    EXPECT_TRUE(qelUtils::isDirectory((dir.path() + "/").c_str()));
    std::string backslashed = dir.path() + "\\data.bin";
    EXPECT_TRUE(qelUtils::isRegularFile(backslashed.c_str()));
    EXPECT_TRUE(qelUtils::isWritable(path.c_str()));
    EXPECT_EQ(qelUtils::getFileMode((dir.path() + "/missing").c_str()), 0u);
    EXPECT_EQ(qelUtils::getFileSize(dir.path().c_str()), 0);
    EXPECT_TRUE(qelUtils::isRegularFileIn("data.bin", (dir.path() + "/").c_str()));
    EXPECT_FALSE(qelUtils::isRegularFileIn("data.bin", dir.path().c_str()));

    FILE* in = qelUtils::openFileIn(dir.path().c_str(), "data.bin");
    ASSERT_NE(in, nullptr);
    qelUtils::closeFile(in);
    EXPECT_EQ(qelUtils::openFileIn(nullptr, "data.bin"), nullptr);
}

TEST_F(FileUtilsTest, DirectoriesAndDeletion)
{
    const std::string sub = dir.path() + "/sub";
    EXPECT_EQ(qelUtils::makeDirectory(sub.c_str()), 0);
    EXPECT_EQ(qelUtils::makeDirectory(sub.c_str()), 0);
    EXPECT_EQ(qelUtils::makeDirectory((dir.path() + "/x/y").c_str()), -1);
    EXPECT_EQ(qelUtils::makeDirectory(nullptr), -1);

    dir.file("sub/a.txt", "a");
    dir.file("sub/B.DAT", "b");
    dir.file("sub/.hidden", "h");
    dir.file("sub/noext", "n");
    // Names beginning with '.' are passed over and keep the directory.
    EXPECT_EQ(qelUtils::deleteDirectory(sub.c_str()), ENOTEMPTY);
    EXPECT_FALSE(qelUtils::isRegularFile((sub + "/a.txt").c_str()));
    EXPECT_FALSE(qelUtils::isRegularFile((sub + "/noext").c_str()));
    EXPECT_TRUE(qelUtils::isRegularFile((sub + "/.hidden").c_str()));
    EXPECT_TRUE(qelUtils::deleteFile((sub + "/.hidden").c_str()));
    EXPECT_EQ(qelUtils::deleteDirectory((sub + "/").c_str()), 0);
    EXPECT_FALSE(qelUtils::isDirectory(sub.c_str()));

    // A sub-directory keeps its parent in place.
    const std::string outer = dir.path() + "/outer";
    ASSERT_EQ(qelUtils::makeDirectory(outer.c_str()), 0);
    ASSERT_EQ(qelUtils::makeDirectory((outer + "/inner").c_str()), 0);
    dir.file("outer/f", "f");
    EXPECT_EQ(qelUtils::deleteDirectory(outer.c_str()), 0);
    EXPECT_TRUE(qelUtils::isDirectory((outer + "/inner").c_str()));
    EXPECT_FALSE(qelUtils::isRegularFile((outer + "/f").c_str()));

    EXPECT_EQ(qelUtils::deleteDirectory((dir.path() + "/missing").c_str()), -1);
    EXPECT_EQ(qelUtils::deleteDirectory(nullptr), -1);
    EXPECT_FALSE(qelUtils::deleteFile((dir.path() + "/missing").c_str()));
    EXPECT_FALSE(qelUtils::deleteFile(nullptr));
}

TEST_F(FileUtilsTest, WildcardSearch)
{
    dir.file("b.TXT", "");
    dir.file("a.txt", "");
    dir.file("C.txt", "");
    dir.file("c.pdf", "");
    dir.file("txt", "");
    std::vector<qelFileSystem::Entry> entries;
    ASSERT_EQ(qelFileSystem::findFiles((dir.path() + "/*.txt").c_str(), entries), 0);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a.txt");
    EXPECT_EQ(entries[1].name, "b.TXT");
    EXPECT_EQ(entries[2].name, "C.txt"); // case-insensitive order
    EXPECT_NE(qelFileSystem::findFiles((dir.path() + "/missing/*.*").c_str(), entries), 0);

    const struct
    {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.*", "noext", true}, {"*.TXT", "a.txt", true}, {"a?c", "abc", true}, {"a?c", "ac", false},
        {"*b*", "abc", true},   {"*.pdf", "a.pdf.bak", false}, {"x*y*z", "xaybz", true}, {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelFileSystem::matchesWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST_F(FileUtilsTest, SectionsAndDataLines)
{
    const std::string longLine(127, 'x');
    const std::string path = dir.file("test.ini", "; comment\n\n  [Settings]  \nA=1\n;B=2\nC=3\n" + longLine
                                                      + "[Other]\n[other2]\n  [OTHER]\nD=4\n");
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char line[64];
    EXPECT_EQ(qelUtils::findSection("settings", file, path.c_str()), 1);
    EXPECT_STREQ(qelUtils::readDataLine(file, line, sizeof line), "A=1\n");
    EXPECT_STREQ(qelUtils::readDataLine(file, line, sizeof line), "C=3\n");
    // Lines are read in pieces of 127 characters: the tail of a long line
    // can stand as a section line of its own.
    EXPECT_EQ(qelUtils::findSection("Other", file, path.c_str()), 1);
    EXPECT_STREQ(qelUtils::readDataLine(file, line, sizeof line), "[other2]\n");
    EXPECT_EQ(qelUtils::findSection("Missing", file, path.c_str()), 0);
    EXPECT_EQ(qelUtils::findSection("", file, path.c_str()), 0);
    EXPECT_EQ(qelUtils::readDataLine(file, line, sizeof line), nullptr);
    EXPECT_STREQ(line, "");
    std::fclose(file);
}

TEST_F(FileUtilsTest, SectionReadErrors)
{
    // A stream opened for writing only cannot be read.
    FILE* file = std::fopen((dir.path() + "/w.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    CapturedOutput out;
    char line[16];
    try {
        qelUtils::findSection("Settings", file, "w.ini");
        ADD_FAILURE() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 68);
        delete e;
    }
    try {
        qelUtils::readDataLine(file, line, sizeof line);
        ADD_FAILURE() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 68);
        delete e;
    }
    std::fclose(file);
}

TEST_F(FileUtilsTest, TemporaryNames)
{
    const char* name = qelUtils::getTempName();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name).substr(0, 3), "lrb");
    EXPECT_EQ(std::strpbrk(name, "./\\"), nullptr);
    EXPECT_EQ(qelUtils::getTempName(), name);
    qelUtils::releaseGlobals();
    EXPECT_STREQ(qelUtils::getTempName(), name);

    const std::string writable = dir.path() + "/tmp";
    ASSERT_EQ(qelUtils::makeDirectory(writable.c_str()), 0);
    std::string backslashed = writable;
    backslashed.replace(backslashed.rfind('/'), 1, "\\");
    EnvVar tmp("TMP", (dir.path() + "/missing").c_str());
    EnvVar temp("TEMP", backslashed.c_str());
    std::unique_ptr<char[]> found(qelUtils::getTempDirectory());
    ASSERT_TRUE(found);
    EXPECT_EQ(std::string(found.get()), writable + "/");
}

TEST_F(FileUtilsTest, ViewerResults)
{
    // A stand-in viewer that answers with the exit code in its name's file.
    const std::string bin = dir.path() + "/bin";
    ASSERT_EQ(qelUtils::makeDirectory(bin.c_str()), 0);
    const std::string viewer = dir.file("bin/xdg-open", "#!/bin/sh\nread rc < \"$0.rc\"\nexit $rc\n");
    chmod(viewer.c_str(), 0755);
    const std::string output = dir.file("out.pdf", "%PDF-1.4\n");
    EnvVar path("PATH", bin.c_str());

    const struct
    {
        const char* rc;
        int code;
        const char* text;
    } cases[] = {
        {"0", 0, nullptr},
        {"2", 2, "The specified file was not found."},
        {"4", 31, "There is no application associated with the given file name extension."},
    };
    for (const auto& c : cases) {
        dir.file("bin/xdg-open.rc", c.rc);
        std::string given = output;
        CapturedOutput out;
        try {
            qelUtils::openWithAssociatedApplication(&given[0]);
            EXPECT_EQ(c.text, nullptr) << c.rc;
        } catch (qelException* e) {
            ASSERT_NE(c.text, nullptr) << c.rc;
            EXPECT_EQ(e->getId(), 44);
            EXPECT_EQ(e->getValue(), c.code);
            const std::string message = e->getMessage();
            EXPECT_NE(message.find(output), std::string::npos) << message;
            EXPECT_NE(message.find(c.text), std::string::npos) << message;
            delete e;
        }
        // The path is left as given and the finished output stays.
        EXPECT_EQ(given, output);
        EXPECT_TRUE(qelUtils::isRegularFile(output.c_str())) << c.rc;
    }

    EnvVar nowhere("PATH", (dir.path() + "/empty-bin").c_str());
    CapturedOutput out;
    try {
        qelUtils::openWithAssociatedApplication(output.c_str());
        ADD_FAILURE() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(e->getValue(), 31);
        delete e;
    }
    EXPECT_TRUE(qelUtils::isRegularFile(output.c_str()));
    qelUtils::openWithAssociatedApplication(nullptr);
}
