#include "ScratchFolder.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMFMCache.h"
#include "qelMFMFile.h"
#include "qelMFMParser.h"
#include "qelMFMVisitor.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
class MFMTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        m_output = std::tmpfile();
        qelMessageOutput::set(m_output);
        qelGlobalDSPool::getInstance()->getIni()->setMFMFontPath(m_dir.c_str());
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        if (m_output)
            std::fclose(m_output);
        qelUtils::releaseGlobals();
        m_folder.reset();
    }

    // A record with the given tag and code pages; widths derived from the
    // code page number, rotation and index.
    static qelMFMFile* makeRecord(const char* name, const char* tag, int codePages)
    {
        auto* record = new qelMFMFile();
        record->setName(name);
        record->setVersion(tag);
        auto* header = new uint8_t[qelMFMFile::kHeaderSize]();
        std::strcpy(reinterpret_cast<char*>(header) + 156, name);
        record->setHeader(header);
        for (int c = 0; c < codePages; ++c) {
            record->addCodePage(("T1CP000" + std::to_string(c)).c_str());
            auto* set = new qelMFMWidthSet();
            for (int r = 0; r < 4; ++r) {
                set->widths[r] = new uint16_t[qelMFMWidthSet::kWidths];
                for (int i = 0; i < qelMFMWidthSet::kWidths; ++i)
                    set->widths[r][i] = static_cast<uint16_t>(c * 10000 + r * 1024 + i);
            }
            record->addWidthSet(set);
        }
        return record;
    }

    long fileSize(const std::string& name) const
    {
        struct stat info;
        return stat((m_dir + name).c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
    }

    void writeBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(m_dir + name, std::ios::binary);
        out << bytes;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    std::FILE* m_output = nullptr;
};

TEST_F(MFMTest, WrittenFilesReadBackEqual)
{
    struct Case
    {
        const char* tag;
        int nameSize;
    } cases[] = {{"QEL V1.1", 64}, {"QEL V1.0", 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        std::unique_ptr<qelMFMFile> record(makeRecord("C0H200A0", c.tag, 2));
        EXPECT_EQ(record->getEntryCount(), 2);
        qelMFMVisitor writer;
        ASSERT_EQ(writer.writeFont(record.get()), 0);
        EXPECT_EQ(fileSize("C0H200A0.mfm"), 16 + 312 + 2 * c.nameSize + 2 * 8192);

        qelMFMParser reader;
        std::unique_ptr<qelMFMFile> back(reader.parse("C0H200A0"));
        ASSERT_NE(back, nullptr);
        EXPECT_STREQ(back->getVersionTag(), c.tag);
        EXPECT_EQ(back->getVersion(), record->getVersion());
        EXPECT_EQ(std::memcmp(back->getHeader(), record->getHeader(), qelMFMFile::kHeaderSize), 0);
        EXPECT_TRUE(back->hasCodePage("t1cp0001"));
        EXPECT_FALSE(back->hasCodePage("T1CP0002"));
        for (const char* cp : {"T1CP0000", "T1CP0001"}) {
            const qelMFMWidthSet* want = record->findWidths(cp);
            const qelMFMWidthSet* got = back->findWidths(cp);
            ASSERT_NE(got, nullptr);
            for (int r = 0; r < 4; ++r)
                EXPECT_EQ(std::memcmp(got->widths[r], want->widths[r], 2048), 0);
        }
    }
}

TEST_F(MFMTest, WriterRefusesIncompleteRecords)
{
    qelMFMVisitor writer;
    EXPECT_EQ(writer.writeFont(nullptr), -1);
    qelMFMFile noHeader;
    noHeader.setName("C0A");
    EXPECT_EQ(writer.writeFont(&noHeader), -2);
    std::unique_ptr<qelMFMFile> empty(makeRecord("C0A", "QEL V1.1", 0));
    EXPECT_EQ(writer.writeFont(empty.get()), -3);
    std::unique_ptr<qelMFMFile> noNames(makeRecord("C0A", "QEL V1.1", 1));
    noNames->setCodePageNames(nullptr);
    EXPECT_EQ(writer.writeFont(noNames.get()), -6);
    EXPECT_EQ(fileSize("C0A.mfm"), -1);
    EXPECT_EQ(writer.close(), -1);
}

// A failed write leaves no partial file and reports E075.
TEST_F(MFMTest, WriteFailureThrowsAndRemovesTheFile)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(symlink("/dev/full", (m_dir + "C0FULL.mfm").c_str()), 0);
    std::unique_ptr<qelMFMFile> record(makeRecord("C0FULL", "QEL V1.1", 1));
    qelMFMVisitor writer;
    int id = 0;
    try {
        writer.writeFont(record.get());
    } catch (qelException* e) {
        id = e->getId();
        delete e;
    }
    EXPECT_EQ(id, 75);
    struct stat info;
    EXPECT_NE(lstat((m_dir + "C0FULL.mfm").c_str(), &info), 0);
}

TEST_F(MFMTest, QuestionMarkNamesUseTheDensityVariants)
{
    std::unique_ptr<qelMFMFile> record(makeRecord("C?H200A0", "QEL V1.1", 1));
    ASSERT_EQ(qelMFMVisitor().writeFont(record.get()), 0);
    EXPECT_GT(fileSize("C0H200A0.mfm"), 0);
    EXPECT_STREQ(record->getName(), "C?H200A0");
    std::unique_ptr<qelMFMFile> back(qelMFMParser().parse("C?H200A0"));
    ASSERT_NE(back, nullptr);

    // Only the "1" variant on disk: the reader takes it for either name.
    ASSERT_EQ(std::rename((m_dir + "C0H200A0.mfm").c_str(), (m_dir + "C1H200A0.mfm").c_str()), 0);
    for (const char* name : {"C?H200A0", "C0H200A0"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<qelMFMFile> other(qelMFMParser().parse(name));
        EXPECT_NE(other, nullptr);
    }
    EXPECT_EQ(qelMFMParser().openFile("C0NOFILE"), -3);
    EXPECT_EQ(qelMFMParser().openFile(nullptr), -1);
}

TEST_F(MFMTest, ReaderRefusesFilesWithoutTheirEntries)
{
    std::unique_ptr<qelMFMFile> record(makeRecord("C0GOOD", "QEL V1.1", 2));
    ASSERT_EQ(qelMFMVisitor().writeFont(record.get()), 0);
    std::ifstream in(m_dir + "C0GOOD.mfm", std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto withCount = [&](int32_t count) {
        std::string bytes = good;
        std::memcpy(&bytes[16 + qelMFMFile::kEntryCountOffset], &count, 4);
        return bytes;
    };
    struct Case
    {
        const char* what;
        std::string bytes;
    } cases[] = {{"count 0", withCount(0)},
                 {"count -1", withCount(-1)},
                 {"count 3", withCount(3)},
                 {"huge count", withCount(0x7FFFFFFF)},
                 {"cut width set", good.substr(0, good.size() - 100)},
                 {"cut header", good.substr(0, 100)},
                 {"empty", std::string()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes("C0BAD.mfm", c.bytes);
        EXPECT_EQ(qelMFMParser().parse("C0BAD"), nullptr);
    }
    EXPECT_EQ(qelMFMParser().parse("DEFAULT"), nullptr);
}

TEST_F(MFMTest, DefaultCodePageHasNoWidths)
{
    std::unique_ptr<qelMFMFile> record(makeRecord("C0H200A0", "QEL V1.1", 1));
    record->addCodePage("DEFAULT");
    EXPECT_EQ(record->findWidths("DEFAULT"), nullptr);
    EXPECT_NE(record->findWidths("t1cp0000"), nullptr);
    qelMFMCache cache;
    cache.addFile(record.release());
    EXPECT_FALSE(cache.hasMetrics("C0H200A0", "DEFAULT"));
    EXPECT_TRUE(cache.hasMetrics("c0h200a0", "T1CP0000"));
    EXPECT_FALSE(cache.hasMetrics("C0H200A0", nullptr));
}

TEST_F(MFMTest, CacheReadsAFileOnce)
{
    std::unique_ptr<qelMFMFile> record(makeRecord("C0H200A0", "QEL V1.1", 1));
    ASSERT_EQ(qelMFMVisitor().writeFont(record.get()), 0);
    qelMFMCache* cache = qelGlobalDSPool::getInstance()->getFontMetricCache();
    ASSERT_NE(cache, nullptr);
    qelMFMFile* first = cache->getMetricsFile("C0H200A0");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isRegistered());
    std::remove((m_dir + "C0H200A0.mfm").c_str());
    EXPECT_EQ(cache->getMetricsFile("c0h200a0"), first);
    EXPECT_EQ(cache->getMetricsFile("DEFAULT"), nullptr);
    EXPECT_EQ(cache->getMetricsFile("C0NOFILE"), nullptr);
    cache->addFile(first); // already registered: not listed twice
    EXPECT_EQ(cache->getFiles()->getCount(), 1);
}

TEST_F(MFMTest, VersionTags)
{
    struct Case
    {
        const char* tag;
        float version;
        const char* kept;
    } cases[] = {{"  QEL V1.0  ", 1.0f, "QEL V1.0"},
                 {"QEL V1.1", 1.1f, "QEL V1.1"},
                 {"QEL V2.0", 0.0f, "QEL V2.0"},
                 {"0123456789ABCDEF1.1", 0.0f, "0123456789ABCDE"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        qelMFMFile record;
        record.setVersion(c.tag);
        EXPECT_EQ(record.getVersion(), c.version);
        EXPECT_STREQ(record.getVersionTag(), c.kept);
    }
}
}
