#include "StreamTestSupport.h"

#include "qelBufferStream.h"
#include "qelFileStream.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace streamtest;

namespace {

const int I001 = 1;
const int I199 = 199;

Bytes textBytes(const char* text)
{
    return Bytes(text, text + std::strlen(text));
}

int openDescriptors()
{
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    while (dir && ::readdir(dir))
        ++count;
    if (dir)
        ::closedir(dir);
    return count;
}

class ByteStreamTest : public StreamTest
{
};

} // namespace

TEST_F(ByteStreamTest, TextReaders)
{
    enum Reader { ASCII, UPTO_CR, UPTO_LF, UPTO_CRLF };
    struct Case
    {
        const char* input;
        Reader reader;
        int n;
        int result;
        Bytes expected; // buffer prefix after the read
    };
    const Case cases[] = {
        {"AB\nC\r\nD", UPTO_CRLF, 10, 5, {'A', 'B', '\n', 'C', 0}},
        {"AB\nC\r\nD", UPTO_LF, 10, 3, {'A', 'B', 0}},
        {"A\rB\n", ASCII, 10, 4, {'A', 0, 'B', 0}},
        {"AB\rC", UPTO_CR, 10, 3, {'A', 'B', 0}},
        // Only its own terminator ends a reader; only the plain reader blanks a CR.
        {"A\nB\rC", UPTO_CR, 10, 4, {'A', '\n', 'B', 0}},
        {"A\rB\nC", UPTO_LF, 10, 4, {'A', '\r', 'B', 0}},
        {"A\rB", ASCII, 3, 3, {'A', 0, 'B', 'x'}},
        // A full buffer stays unterminated.
        {"ABCDEF", UPTO_LF, 3, 3, {'A', 'B', 'C', 'x'}},
        {"AB\rCD", UPTO_CRLF, 3, 3, {'A', 'B', '\r', 'x'}},
        {"AB", UPTO_LF, 0, -1, {'x'}},
        {"AB", ASCII, -2, -1, {'x'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        Bytes in = textBytes(c.input);
        qelBufferStream stream(in.data(), static_cast<int>(in.size()), false);
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        int result = 0;
        switch (c.reader) {
        case ASCII: result = stream.getASCIIChars(buffer, c.n); break;
        case UPTO_CR: result = stream.getASCIICharsUptoCR(buffer, c.n); break;
        case UPTO_LF: result = stream.getASCIICharsUptoLF(buffer, c.n); break;
        case UPTO_CRLF: result = stream.getASCIICharsUptoCRLF(buffer, c.n); break;
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Bytes(buffer, buffer + c.expected.size()), c.expected);
    }

    qelBufferStream stream(reinterpret_cast<const unsigned char*>("AB"), 2, false);
    EXPECT_EQ(stream.getASCIICharsUptoCRLF(nullptr, 4), -1);
    EXPECT_EQ(output(), "Warning! Buffer is NULL at qelStream::getASCIICharsUptoCRLF");
    EXPECT_EQ(stream.getPosition(), 0);
    // The end of the input inside a read is raised; the bytes stay.
    char buffer[8] = {};
    EXPECT_EQ(raised([&] { stream.getASCIICharsUptoLF(buffer, 8); }).id, I199);
    EXPECT_EQ(std::string(buffer, 2), "AB");
}

TEST_F(ByteStreamTest, TextReadersNameThemselvesForAMissingBuffer)
{
    qelBufferStream stream(reinterpret_cast<const unsigned char*>("AB"), 2, false);
    EXPECT_EQ(stream.getASCIIChars(nullptr, 4), -1);
    EXPECT_EQ(stream.getASCIICharsUptoCR(nullptr, 4), -1);
    EXPECT_EQ(stream.getASCIICharsUptoLF(nullptr, 4), -1);
    EXPECT_EQ(stream.getASCIICharsUptoCRLF(nullptr, 4), -1);
    // A read of nothing warns of nothing.
    EXPECT_EQ(stream.getASCIICharsUptoLF(nullptr, 0), -1);
    EXPECT_EQ(output(), "Warning! Buffer is NULL at qelStream::getASCIIChars"
                        "Warning! Buffer is NULL at qelStream::getASCIICharsUptoCR"
                        "Warning! Buffer is NULL at qelStream::getASCIICharsUptoLF"
                        "Warning! Buffer is NULL at qelStream::getASCIICharsUptoCRLF");
    EXPECT_EQ(stream.getPosition(), 0);
}

TEST_F(ByteStreamTest, BufferReadsAndRaisesI199AtTheEnd)
{
    Bytes data = {0x5A, 0x00, 0x10, 0xD3, 0x12, 0x34, 0x56};
    qelBufferStream stream(data.data(), static_cast<int>(data.size()), false);
    stream.checkBeginning();
    EXPECT_TRUE(stream.hasCarriageControl());
    EXPECT_EQ(stream.getChar(), 0x5A);
    EXPECT_EQ(stream.readUInt16(), 0x0010u);
    EXPECT_EQ(stream.readUInt32(), 0xD3123456u);
    EXPECT_TRUE(stream.isAtEnd());
    Raised end = raised([&] { stream.getChar(); });
    EXPECT_EQ(end.id, I199);
    EXPECT_EQ(end.kind, QEL_MSG_INFO);
    stream.seek(-3);
    EXPECT_EQ(stream.getPosition(), 0);
    stream.seek(100);
    EXPECT_EQ(raised([&] { stream.getChar(); }).id, I199);
    EXPECT_EQ(stream.getBytesLeft(), 0);

    qelBufferStream empty(nullptr, 0, false);
    EXPECT_EQ(raised([&] { empty.checkBeginning(); }).id, 61);
}

TEST_F(ByteStreamTest, BufferNameIsAddressAndLength)
{
    Bytes data(300, 1);
    qelBufferStream stream(data.data(), static_cast<int>(data.size()), false);
    char expected[64];
    std::snprintf(expected, sizeof expected, "0x%x:%ld",
                  static_cast<unsigned int>(reinterpret_cast<uintptr_t>(stream.getData())), 300L);
    ASSERT_NE(stream.getName(), nullptr);
    EXPECT_STREQ(stream.getName(), expected);
    EXPECT_LE(std::strlen(stream.getName()), 29u);
}

TEST_F(ByteStreamTest, BufferWriteGrowth)
{
    qelBufferStream stream(1024);
    unsigned char ten[10];
    std::memset(ten, 7, sizeof ten);
    stream.write(ten, 10);
    EXPECT_EQ(stream.getCapacity(), 1024);
    while (stream.getPosition() + 10 < 1024)
        stream.write(ten, 10);
    EXPECT_EQ(stream.getCapacity(), 1024);
    stream.write(ten, 10);
    EXPECT_EQ(stream.getCapacity(), 2048);
    EXPECT_EQ(stream.getSize(), stream.getPosition());

    qelBufferStream big(nullptr, 0, false);
    Bytes block(5000, 3);
    big.write(block.data(), 5000);
    EXPECT_EQ(big.getCapacity(), 5000);
    EXPECT_EQ(big.getSize(), 5000);

    // A write far beyond the capacity grows to hold it; the gap reads 0.
    qelBufferStream far(nullptr, 0, false);
    far.write(ten, 10);
    far.seek(100000);
    far.write(ten, 10);
    EXPECT_GE(far.getCapacity(), 100010);
    EXPECT_EQ(far.getSize(), 100010);
    EXPECT_EQ(far.getData()[50000], 0);
    EXPECT_EQ(far.getData()[100009], 7);

    // A write in the middle cuts the length there.
    far.seek(5);
    far.write(ten, 2);
    EXPECT_EQ(far.getSize(), 7);
}

TEST_F(ByteStreamTest, AdoptedBufferIsCopiedBeforeAWriteAndNeverReleased)
{
    unsigned char caller[4] = {1, 2, 3, 4};
    {
        qelBufferStream stream(caller, 4, true);
        EXPECT_TRUE(stream.isAdopted());
        EXPECT_EQ(stream.getData(), caller);
        stream.seek(2);
        unsigned char more[3] = {9, 9, 9};
        stream.write(more, 3);
        EXPECT_NE(stream.getData(), caller);
        EXPECT_EQ(Bytes(stream.getData(), stream.getData() + 5), (Bytes{1, 2, 9, 9, 9}));
        EXPECT_EQ(Bytes(caller, caller + 4), (Bytes{1, 2, 3, 4}));

        stream.setBuffer(caller, 4, true);
        stream.setBuffer(caller, 3, false);
        EXPECT_FALSE(stream.isAdopted());
        EXPECT_NE(stream.getData(), caller);
        EXPECT_EQ(stream.getSize(), 3);
    }
    // The stack buffer was never released (ASan would report it).
    EXPECT_EQ(caller[0], 1);
}

TEST_F(ByteStreamTest, FileBeginningAndEmptyFile)
{
    struct Case
    {
        Bytes content;
        int raisedId;
        bool carriageControl;
        int firstByte;
    };
    const Case cases[] = {
        {{}, 72, false, -1},
        {{0x5A, 0x00, 0x08}, -1, true, 0x5A},
        {{0xFF, 0xD8, 0xFF, 0xE0}, -1, false, 0xFF},
        {{0x00, 0x10, 0xD3}, -1, false, 0x00},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        std::string path = writeFile("f" + std::to_string(index++), c.content);
        qelFileStream stream(path.c_str());
        EXPECT_EQ(stream.getSize(), static_cast<int>(c.content.size()));
        stream.open();
        Raised r = raised([&] { stream.checkBeginning(); });
        EXPECT_EQ(r.id, c.raisedId);
        if (c.raisedId == 72) {
            EXPECT_NE(r.message.find(path), std::string::npos);
        }
        EXPECT_EQ(stream.hasCarriageControl(), c.carriageControl);
        if (c.firstByte >= 0) {
            EXPECT_EQ(stream.getChar(), c.firstByte);
        }
    }
}

TEST_F(ByteStreamTest, FileWindowRefillAndEnd)
{
    Bytes content(4097);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 7);
    std::string path = writeFile("w.bin", content);
    qelFileStream stream(path.c_str());
    stream.open();
    stream.checkBeginning();
    for (int i = 0; i < 4097; ++i)
        ASSERT_EQ(stream.getChar(), content[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(stream.getPosition(), 4097);
    Raised end = raised([&] { stream.getChar(); });
    EXPECT_EQ(end.id, I001);
    EXPECT_EQ(end.kind, QEL_MSG_INFO);
    EXPECT_EQ(output().find("I001"), std::string::npos);

    // Seeking refills the window; a negative position means the start.
    stream.seek(-5);
    EXPECT_EQ(stream.getPosition(), 0);
    EXPECT_EQ(stream.getChar(), content[0]);
    stream.seek(4095);
    EXPECT_EQ(stream.getChar(), content[4095]);
    EXPECT_EQ(stream.getChar(), content[4096]);

    // Bulk reads see the same bytes across window borders.
    stream.seek(10);
    Bytes bulk(4087);
    stream.getChars(bulk.data(), static_cast<int>(bulk.size()));
    EXPECT_EQ(bulk, Bytes(content.begin() + 10, content.end()));
    EXPECT_EQ(stream.getPosition(), 4097);
}

TEST_F(ByteStreamTest, FileOperationsWithoutAFile)
{
    std::string path = writeFile("x.bin", {1, 2, 3});
    qelFileStream stream(path.c_str());
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"getChar", [&] { stream.getChar(); }},
        {"seek", [&] { stream.seek(0); }},
        {"readAll", [&] { stream.readAll(); }},
        {"write", [&] { stream.write(reinterpret_cast<const unsigned char*>("a"), 1); }},
        {"flushData", [&] { stream.flushData(); }},
    };
    for (const auto& call : calls)
        EXPECT_EQ(raised(call.second).id, 158) << call.first;
    EXPECT_EQ(raised([&] { stream.checkBeginning(); }).id, 61);

    qelFileStream missing((m_dir + "/none").c_str());
    EXPECT_EQ(missing.getSize(), 0);
    Raised r = raised([&] { missing.open(); });
    EXPECT_EQ(r.id, 98);
    EXPECT_NE(r.message.find("No such file"), std::string::npos);
}

TEST_F(ByteStreamTest, ReadAllTakesTheRestOfTheFile)
{
    std::string path = writeFile("all.bin", {1, 2, 3, 4, 5});
    qelFileStream stream(path.c_str());
    stream.open();
    stream.readAll();
    ASSERT_NE(stream.getData(), nullptr);
    EXPECT_EQ(Bytes(stream.getData(), stream.getData() + 5), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(raised([&] { stream.readAll(); }).id, I001);
}

TEST_F(ByteStreamTest, StandardNamesInAnotherCaseAreOrdinaryFilesAndGetClosed)
{
    // Run where a file named STDIN can be created.
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    writeFile("STDIN", {0x41, 0x42});
    int before = openDescriptors();
    {
        qelFileStream stream("STDIN");
        stream.open();
        stream.checkBeginning();
        EXPECT_EQ(stream.getChar(), 0x41);
        EXPECT_EQ(openDescriptors(), before + 1);
        stream.close();
        EXPECT_FALSE(stream.isOpen());
        EXPECT_EQ(openDescriptors(), before);
    }
    {
        qelFileStream stream("stdin");
        stream.open();
        stream.close();
        // Standard input stays open and the stream keeps its open flag.
        EXPECT_TRUE(stream.isOpen());
        EXPECT_NE(::fcntl(0, F_GETFD), -1);
    }
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(ByteStreamTest, WriteStreamComposesPathAndCreatesSubDirectories)
{
    qelFileStream stream;
    stream.setName("doc");
    stream.setAttribute(QEL_ATTR_DIRECTORY, (m_dir + "/out").c_str());
    stream.setAttribute(QEL_ATTR_SUB_DIRECTORY, "a/b");
    stream.setAttribute(QEL_ATTR_EXTENSION, "afp");
    stream.setAttribute(QEL_ATTR_HOST_NAME, "ignored");
    // Without the output directory the sub-directories cannot be made.
    Raised r = raised([&] { stream.open(); });
    EXPECT_EQ(r.id, 98);
    EXPECT_NE(r.message.find("Unable to make output sub directories"), std::string::npos);

    ASSERT_EQ(::mkdir((m_dir + "/out").c_str(), 0755), 0);
    qelFileStream writer;
    writer.setName("doc");
    writer.setDirectory((m_dir + "/out/").c_str());
    writer.setSubDirectory("a/b");
    writer.setExtension("afp");
    writer.open();
    EXPECT_STREQ(writer.getName(), (m_dir + "/out/a/b/doc.afp").c_str());
    writer.write(reinterpret_cast<const unsigned char*>("xyz"), 3);
    const unsigned char tail[2] = {'!', '?'};
    writer.setData(tail, 2);
    writer.flushData();
    writer.close();
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(readFile(m_dir + "/out/a/b/doc.afp"), (Bytes{'!', '?', 'z'}));
}

TEST_F(ByteStreamTest, FailedCloseOfAWriteStreamIsAnError)
{
    qelFileStream stream;
    stream.setName("/dev/full");
    stream.open();
    Bytes data(100, 1);
    stream.write(data.data(), 100);
    Raised r = raised([&] { stream.close(); });
    EXPECT_EQ(r.id, 75);
    EXPECT_EQ(r.kind, QEL_MSG_ERROR);
    EXPECT_NE(r.message.find("/dev/full"), std::string::npos);
    EXPECT_FALSE(stream.isOpen());
}

TEST_F(ByteStreamTest, FilesOf2GiBAreRefused)
{
    std::string path = m_dir + "/huge.bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(::ftruncate(::fileno(file), 2147483648LL), 0);
    std::fclose(file);
    Raised r = raised([&] { qelFileStream stream(path.c_str()); });
    EXPECT_EQ(r.id, 98);
    EXPECT_NE(r.message.find("huge.bin"), std::string::npos);

    // One byte less still fits.
    ASSERT_EQ(::truncate(path.c_str(), 2147483647LL), 0);
    qelFileStream stream(path.c_str());
    EXPECT_EQ(stream.getSize(), 2147483647);
}
