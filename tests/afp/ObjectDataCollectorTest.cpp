// Image and container data in memory up to the limit, beyond it in a file
// of their own that goes with the collection.
#include "ScratchFolder.h"
#include "qelException.h"
#include "qelMessageIds.h"
#include "qelObjectDataCollector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

unsigned char* bytes(uint32_t length, unsigned char first)
{
    auto* data = new unsigned char[length ? length : 1];
    for (uint32_t i = 0; i < length; ++i)
        data[i] = static_cast<unsigned char>(first + i);
    return data;
}

size_t fileCount(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

TEST(ObjectDataCollectorTest, LimitKeepsDataInMemoryOneByteMoreSpills)
{
    const lrbtest::ScratchFolder folder;
    const std::string dir = folder.path() + "/";
    for (uint32_t extra : {0u, 1u}) {
        qelObjectDataCollector collector(__FILE__);
        collector.start(dir.c_str(), "IMG00001", 100);
        collector.add(bytes(60, 0), 60);
        collector.add(bytes(40 + extra, 60), 40 + extra);
        EXPECT_EQ(collector.spilled(), extra == 1) << extra;
        EXPECT_EQ(fileCount(folder.path()), extra) << extra;
        uint32_t length = 0;
        std::unique_ptr<unsigned char[]> data(collector.take(length));
        ASSERT_EQ(length, 100 + extra);
        for (uint32_t i = 0; i < length; ++i)
            ASSERT_EQ(data[i], static_cast<unsigned char>(i)) << i;
        EXPECT_EQ(fileCount(folder.path()), 0u) << "spill file left behind";
        EXPECT_FALSE(collector.active());
    }
}

TEST(ObjectDataCollectorTest, SpillFileIsNewAndGoesOnEveryExit)
{
    const lrbtest::ScratchFolder folder;
    const std::string dir = folder.path() + "/";
    // A file of the same name (another conversion's) is left alone.
    std::ofstream(dir + "IMG00001") << "other";
    {
        qelObjectDataCollector first(__FILE__), second(__FILE__);
        first.start(dir.c_str(), "IMG00001", 0);
        second.start(dir.c_str(), "IMG00001", 0);
        first.add(bytes(10, 1), 10);
        second.add(bytes(10, 2), 10);
        EXPECT_NE(first.spillName(), dir + "IMG00001");
        EXPECT_NE(first.spillName(), second.spillName());
        EXPECT_EQ(fileCount(folder.path()), 3u);
        uint32_t length = 0;
        std::unique_ptr<unsigned char[]> data(second.take(length));
        ASSERT_EQ(length, 10u);
        EXPECT_EQ(data[0], 2);
        first.start(dir.c_str(), "IMG00002", 0); // a new start drops the old file
        EXPECT_EQ(fileCount(folder.path()), 1u);
        first.add(bytes(5, 0), 5);
        EXPECT_EQ(fileCount(folder.path()), 2u);
    } // destroyed while collecting
    EXPECT_EQ(fileCount(folder.path()), 1u);
    std::string other;
    std::ifstream(dir + "IMG00001") >> other;
    EXPECT_EQ(other, "other");
}

TEST(ObjectDataCollectorTest, UnwritableFolderRaisesE098AndDropsData)
{
    qelObjectDataCollector collector(__FILE__);
    collector.start("/nonexistent-folder/", "IMG00001", 4);
    collector.add(bytes(4, 0), 4);
    try {
        collector.add(bytes(1, 0), 1);
        ADD_FAILURE() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), qelMsg::E098);
        delete e;
    }
    EXPECT_FALSE(collector.active());
    uint32_t length = 7;
    std::unique_ptr<unsigned char[]> data(collector.take(length));
    EXPECT_EQ(length, 0u);
}

} // namespace
