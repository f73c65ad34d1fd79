#include "StreamTestSupport.h"

#include "qelBufferStream.h"
#include "qelFileStream.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"

#include <climits>
#include <cstring>
#include <dirent.h>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

using namespace streamtest;

namespace {

const int I001 = 1;
const int I199 = 199;

struct Field
{
    int offset;
    int length;
    int id;
};

bool operator==(const Field& a, const Field& b)
{
    return a.offset == b.offset && a.length == b.length && a.id == b.id;
}

std::ostream& operator<<(std::ostream& out, const Field& f)
{
    return out << "{" << f.offset << ", " << f.length << ", 0x" << std::hex << f.id << std::dec << "}";
}

// One field: optional X'5A', introducer, extension, data.
Bytes field(int id, int dataCount, bool with5A, int flags = 0, Bytes extension = {})
{
    Bytes out;
    if (with5A)
        out.push_back(0x5A);
    int length = 8 + dataCount + (extension.empty() ? 0 : static_cast<int>(extension.size()));
    out.push_back(static_cast<unsigned char>(length >> 8));
    out.push_back(static_cast<unsigned char>(length));
    out.push_back(0xD3);
    out.push_back(static_cast<unsigned char>(id >> 8));
    out.push_back(static_cast<unsigned char>(id));
    out.push_back(static_cast<unsigned char>(flags));
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), extension.begin(), extension.end());
    for (int i = 0; i < dataCount; ++i)
        out.push_back(static_cast<unsigned char>(0x30 + i));
    return out;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Every field of a well-formed AFP byte string, found without the reader.
std::vector<Field> walk(const Bytes& data)
{
    std::vector<Field> fields;
    size_t pos = 0;
    bool with5A = !data.empty() && data[0] == 0x5A;
    while (pos < data.size()) {
        size_t start = pos;
        if (with5A) {
            EXPECT_EQ(data[pos], 0x5A) << "at " << pos;
            ++pos;
        }
        if (pos + 8 > data.size()) {
            ADD_FAILURE() << "short field at " << start;
            break;
        }
        int length = (data[pos] << 8) | data[pos + 1];
        EXPECT_EQ(data[pos + 2], 0xD3);
        fields.push_back({static_cast<int>(start), length, (data[pos + 3] << 8) | data[pos + 4]});
        pos += static_cast<size_t>(length);
    }
    return fields;
}

// Reads fields until the end of the input; returns them and the end id.
std::vector<Field> readAll(qelIOStream& reader, int* endId, std::vector<int>* reports = nullptr)
{
    std::vector<Field> fields;
    for (int guard = 0; guard < 1000000; ++guard) {
        try {
            qelSFIBlock* block = reader.readSFI();
            fields.push_back({block->getOffset(), block->getLength(), block->getId()});
        } catch (qelException* e) {
            int id = e->getId();
            int kind = e->getKind();
            delete e;
            if (kind == QEL_MSG_INFO && (id == I001 || id == I199)) {
                *endId = id;
                return fields;
            }
            if (!reports) {
                *endId = id;
                return fields;
            }
            reports->push_back(kind * 1000 + id);
            if (kind == QEL_MSG_ERROR && id != 74) {
                *endId = id;
                return fields;
            }
        }
    }
    ADD_FAILURE() << "reader did not reach the end";
    return fields;
}

std::vector<std::string> fopFiles()
{
    std::vector<std::string> files;
    std::string dir = std::string(LORBANE_TEST_DATA) + "/fop";
    DIR* d = ::opendir(dir.c_str());
    while (d) {
        dirent* e = ::readdir(d);
        if (!e)
            break;
        std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".afp") == 0)
            files.push_back(dir + "/" + name);
    }
    if (d)
        ::closedir(d);
    return files;
}

class StructuredFieldTest : public StreamTest
{
};

} // namespace

TEST_F(StructuredFieldTest, OffsetsWithAndWithoutCarriageControl)
{
    for (bool with5A : {false, true}) {
        SCOPED_TRACE(with5A);
        Bytes data = join({field(0xA8A8, 8, with5A), field(0xA9A8, 0, with5A)});
        qelIOStream reader;
        reader.attachBuffer(data.data(), static_cast<int>(data.size()));
        EXPECT_EQ(reader.hasCarriageControl(), with5A);
        qelSFIBlock* block = reader.readSFI();
        EXPECT_EQ(block->getLength(), 16);
        EXPECT_EQ(block->getId(), 0xA8A8);
        EXPECT_EQ(block->getDataSize(), 8);
        EXPECT_EQ(block->getOffset(), 0);
        EXPECT_EQ(block->hasCarriageControl(), with5A);
        EXPECT_EQ(std::memcmp(block->getData(), "01234567", 8), 0);
        block = reader.readSFI();
        EXPECT_EQ(block->getOffset(), with5A ? 17 : 16);
        EXPECT_EQ(block->getDataSize(), 0);
        EXPECT_EQ(raised([&] { reader.readSFI(); }).id, I199);
    }
}

TEST_F(StructuredFieldTest, ExtensionLengths)
{
    struct Case
    {
        const char* what;
        Bytes input;
        int extensionSize;
        int dataSize;
        int flags;
    };
    auto raw = [](int length, int flags, Bytes rest) {
        Bytes out = {static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length), 0xD3, 0xA8,
                     0xA8, static_cast<unsigned char>(flags), 0, 0};
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    };
    const Bytes next = field(0xA9A8, 2, false);
    const Case cases[] = {
        {"20 with 5", raw(20, 0x80, {5, 1, 2, 3, 4, 9, 9, 9, 9, 9, 9, 9}), 4, 7, 0x80},
        {"10 with 9", raw(10, 0x80, {9, 1}), 1, 0, 0x80},
        {"8 with flag", raw(8, 0x80, {}), 0, 0, 0x80},
        {"12 with 0", raw(12, 0x88, {0, 7, 7, 7}), 0, 3, 0x88},
        {"no flag", raw(12, 0x08, {1, 2, 3, 4}), 0, 4, 0x08},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes data = join({c.input, next});
        qelIOStream reader;
        reader.attachBuffer(data.data(), static_cast<int>(data.size()));
        qelSFIBlock* block = reader.readSFI();
        EXPECT_EQ(block->getExtensionSize(), c.extensionSize);
        EXPECT_EQ(block->getDataSize(), c.dataSize);
        EXPECT_EQ(block->getFlags(), c.flags);
        // The next field is intact.
        block = reader.readSFI();
        EXPECT_EQ(block->getId(), 0xA9A8);
        EXPECT_EQ(block->getExtensionSize(), 0);
        EXPECT_EQ(block->getDataSize(), 2);
    }
}

TEST_F(StructuredFieldTest, BadIntroducersAreReported)
{
    struct Case
    {
        const char* what;
        Bytes input;
        int kind;
        int id;
        const char* text;
    };
    const Case cases[] = {
        {"unknown id", {0x00, 0x08, 0xD3, 0xFF, 0xFF, 0, 0, 0}, QEL_MSG_WARNING, 60, "SF ID=X'D3FFFF'."},
        {"class 5B", {0x00, 0x08, 0x5B, 0xA8, 0xA8, 0, 0, 0}, QEL_MSG_WARNING, 62, "Name=BufferStream"},
        {"lone CR", {0x5A, 0x00, 0x08, 0xD3, 0xA8, 0xA8, 0, 0, 0, 0x0D, 0x41, 0x5A}, QEL_MSG_ERROR, 74,
         "Offset=0xc."},
        {"no 5A", {0x5A, 0x00, 0x08, 0xD3, 0xA8, 0xA8, 0, 0, 0, 0x41}, QEL_MSG_ERROR, 74, "Offset=0xc."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qelIOStream reader;
        reader.attachBuffer(c.input.data(), static_cast<int>(c.input.size()));
        Raised r = raised([&] {
            for (;;)
                reader.readSFI();
        });
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.id, c.id);
        EXPECT_NE(r.message.find(c.text), std::string::npos) << r.message;
    }
}

TEST_F(StructuredFieldTest, LeadingBytesWarnOncePerInput)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    std::string logPath = m_dir + "/run.log";
    pool->getLogStream()->setLevel("2");
    pool->getLogStream()->open(logPath.c_str());
    struct Case
    {
        Bytes lead;
        bool quiet;
        const char* out;
        const char* log;
    };
    const Case cases[] = {
        {{0x40, 0x40, 0x0D, 0x0A}, false, "Warning! This file has a carriage return and space information\n",
         "Warning! This file has carriage return & spaces information"},
        {{0x40, 0x0D, 0x0A, 0x1A}, true, "", "Warning! This file has carriage return & spaces information"},
        {{0x40}, false, "Warning! This file has space information\n", "Warning! This file has space information"},
        {{0x0D, 0x0A, 0x1A}, false, "Warning! This file has carriage return information\n",
         "Warning! This file has carriage return information"},
        {{0x1A}, false, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        pool->getIni()->setQuietMode(c.quiet);
        std::rewind(m_out);
        ASSERT_EQ(::ftruncate(::fileno(m_out), 0), 0);
        long logBefore = static_cast<long>(readFile(logPath).size());
        // The first byte of the input selects carriage-control mode.
        Bytes data = join({field(0xA8A8, 1, true), c.lead, field(0xA9A8, 0, true), c.lead, field(0xA9A8, 0, true)});
        qelIOStream reader;
        reader.attachBuffer(data.data(), static_cast<int>(data.size()));
        int lead = static_cast<int>(c.lead.size());
        EXPECT_EQ(reader.readSFI()->getOffset(), 0);
        EXPECT_EQ(reader.readSFI()->getOffset(), 10);
        EXPECT_EQ(reader.readSFI()->getOffset(), 10 + lead + 9);
        std::fflush(pool->getLogStream()->getFile());
        Bytes log = readFile(logPath);
        std::string added(log.begin() + logBefore, log.end());
        EXPECT_EQ(output(), c.out);
        if (c.log) {
            size_t at = added.find(c.log);
            EXPECT_NE(at, std::string::npos) << added;
            EXPECT_EQ(added.find(c.log, at + 1), std::string::npos);
        } else {
            EXPECT_EQ(added, "");
        }
    }
    pool->getIni()->setQuietMode(false);
}

TEST_F(StructuredFieldTest, PushbackReturnsTheSameRecord)
{
    Bytes data = join({field(0xA8A8, 3, false), field(0xA9A8, 0, false)});
    qelIOStream reader(data.data(), static_cast<int>(data.size()));
    reader.rewind();
    qelSFIBlock* first = reader.readSFI();
    reader.setPushback(true);
    EXPECT_EQ(reader.readSFI(), first);
    EXPECT_EQ(first->getId(), 0xA8A8);
    EXPECT_EQ(reader.getPosition(), 11);
    EXPECT_EQ(reader.readSFI()->getId(), 0xA9A8);
}

TEST_F(StructuredFieldTest, ResourceFileModeFromTheExtension)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setAttribute("PageSegExt", "psg");
    ini->setAttribute("CodePageExt", "cdp");
    ini->setAttribute("PagedefExt", "pde");
    const std::pair<const char*, bool> cases[] = {
        {"x.PSG", true}, {"dir.v1/y.cdp", true}, {"x.", false}, {"x", false}, {"x.pde", false}, {"x.afp", false},
    };
    for (const auto& c : cases) {
        qelIOStream reader(c.first);
        EXPECT_EQ(reader.isResourceFile(), c.second) << c.first;
        EXPECT_EQ(reader.getStream()->getMode() != 0, c.second) << c.first;
    }
}

TEST_F(StructuredFieldTest, DescribeIsBounded)
{
    std::string longName = m_dir + "/" + std::string(600, 'n') .substr(0, 200) + ".afp";
    qelIOStream reader(longName.c_str());
    char text[32];
    std::memset(text, 'x', sizeof text);
    reader.describe(text, sizeof text);
    EXPECT_EQ(std::strlen(text), sizeof text - 1);
    EXPECT_EQ(std::string(text, 9), "Filename=");

    qelIOStream none;
    EXPECT_STREQ(none.describe(text, sizeof text), "");
    EXPECT_EQ(raised([&] { none.readSFI(); }).id, 59);
    EXPECT_EQ(raised([&] { none.getName(); }).id, 99);
    EXPECT_EQ(raised([&] { none.rewind(); }).id, 99);
}

TEST_F(StructuredFieldTest, OffsetCounterDoesNotWrap)
{
    Bytes data = join({field(0xA8A8, 8, false), field(0xA9A8, 0, false)});
    qelIOStream reader;
    reader.attachBuffer(data.data(), static_cast<int>(data.size()));
    reader.setOffset(INT_MAX - 10);
    EXPECT_EQ(reader.readSFI()->getOffset(), INT_MAX - 10);
    Raised r = raised([&] { reader.readSFI(); });
    EXPECT_EQ(r.id, 73);
    EXPECT_EQ(r.kind, QEL_MSG_ERROR);
}

TEST_F(StructuredFieldTest, FopFilesMatchAnIndependentWalk)
{
    std::vector<std::string> files = fopFiles();
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        Bytes bytes = readFile(path);
        std::vector<Field> expected = walk(bytes);
        ASSERT_GT(expected.size(), 3u);

        qelIOStream fromFile;
        fromFile.openFile(path.c_str(), false);
        int endId = 0;
        EXPECT_EQ(readAll(fromFile, &endId), expected);
        EXPECT_EQ(endId, I001);

        qelIOStream fromMemory;
        fromMemory.attachBuffer(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(readAll(fromMemory, &endId), expected);
        EXPECT_EQ(endId, I199);
    }
}

TEST_F(StructuredFieldTest, StandardInputPipeGivesTheSameFields)
{
    int saved = ::dup(0);
    ASSERT_GE(saved, 0);
    auto readThroughPipe = [&](const Bytes& bytes, int* endId, int* raisedId) {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        std::thread writer([&] {
            size_t done = 0;
            while (done < bytes.size()) {
                ssize_t n = ::write(fds[1], bytes.data() + done, bytes.size() - done);
                if (n <= 0)
                    break;
                done += static_cast<size_t>(n);
            }
            ::close(fds[1]);
        });
        ::dup2(fds[0], 0);
        ::close(fds[0]);
        std::clearerr(stdin);
        std::vector<Field> fields;
        *raisedId = raised([&] {
            qelIOStream reader;
            reader.openFile("stdin", false);
            fields = readAll(reader, endId);
        }).id;
        writer.join();
        // Drain what the reader left, then give back the real input.
        ::dup2(saved, 0);
        std::clearerr(stdin);
        return fields;
    };
    for (const std::string& path : fopFiles()) {
        SCOPED_TRACE(path);
        Bytes bytes = readFile(path);
        int endId = 0;
        int raisedId = 0;
        EXPECT_EQ(readThroughPipe(bytes, &endId, &raisedId), walk(bytes));
        EXPECT_EQ(raisedId, -1);
        EXPECT_EQ(endId, I001);
    }
    int endId = 0;
    int raisedId = 0;
    readThroughPipe({}, &endId, &raisedId);
    EXPECT_EQ(raisedId, 72);
    ::close(saved);
}

TEST_F(StructuredFieldTest, DamagedInputsEndWithACode)
{
    Bytes good = readFile(std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp");
    ASSERT_GT(good.size(), 100u);
    std::vector<Bytes> inputs;
    for (size_t cut : {size_t(1), size_t(2), size_t(9), size_t(50), good.size() / 2, good.size() - 1})
        inputs.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
    Bytes oversized = good;
    oversized[1] = 0xFF;
    oversized[2] = 0xFF;
    inputs.push_back(oversized);
    inputs.push_back({0x5A, 0x00, 0x07, 0xD3, 0xA8, 0xA8, 0x80, 0, 0, 0x5A, 0x00, 0x00, 0xD3, 0xEE, 0xEE, 0x80, 1, 2});
    std::mt19937 random(7);
    for (int i = 0; i < 40; ++i) {
        Bytes noise(static_cast<size_t>(random() % 600));
        for (unsigned char& b : noise)
            b = static_cast<unsigned char>(random());
        if (i % 2 == 0 && !noise.empty())
            noise[0] = 0x5A;
        inputs.push_back(noise);
    }
    const std::set<int> allowed = {2000 + I001, 2000 + I199, 1060, 1062, 74, 72, 73, 61};
    int index = 0;
    for (const Bytes& input : inputs) {
        SCOPED_TRACE(index);
        std::string path = writeFile("d" + std::to_string(index++), input);
        for (bool fromFile : {true, false}) {
            std::vector<int> reports;
            int endId = 0;
            int rewindId = raised([&] {
                qelIOStream reader;
                if (fromFile)
                    reader.openFile(path.c_str(), false);
                else
                    reader.attachBuffer(input.data(), static_cast<int>(input.size()));
                readAll(reader, &endId, &reports);
            }).id;
            if (rewindId >= 0) {
                EXPECT_TRUE(rewindId == 72 || rewindId == 61) << rewindId;
                continue;
            }
            EXPECT_TRUE(endId == I001 || endId == I199 || endId == 73) << endId;
            for (int r : reports)
                EXPECT_TRUE(allowed.count(r)) << r;
        }
    }
}
