#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgBufferIOStream.h"
#include "qelImgBufferStream.h"
#include "qelImgFileIOStream.h"
#include "qelImgTIFFStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace imgtest;

namespace {

TEST(ImgBufferIOStream, GrowsAndKeepsASpareByte)
{
    qelImgBufferIOStream s("Memory Stream", 2);
    s.open();
    std::vector<char> data(10240, 'a');
    EXPECT_EQ(s.write(data.data(), 10240), 10240);
    EXPECT_EQ(s.getCapacity(), 20480u);
    char* copy = nullptr;
    unsigned int size = 0;
    EXPECT_EQ(s.getBuffer(&copy, &size, true), 10240);
    EXPECT_EQ(size, 10240u);
    std::free(copy);

    qelImgBufferIOStream gap("g", 2);
    gap.open();
    EXPECT_EQ(gap.getBuffer(&copy, &size, false), 0);
    EXPECT_EQ(copy, nullptr);
    gap.write("12345", 5);
    gap.seek(100);
    gap.write("x", 1);
    EXPECT_EQ(gap.getSize(), 101);
    EXPECT_EQ(gap.getBuffer(&copy, &size, false), 101);
    EXPECT_EQ(std::vector<char>(copy + 5, copy + 100), std::vector<char>(95, 0));
    delete[] copy;
    gap.seek(200);
    EXPECT_EQ(gap.getChar(), -1);
}

// A stream opened again (an encoder reused for the next image) holds only
// what is written after that; before, the old size outlived the old block.
TEST(ImgBufferIOStream, ReopenStartsEmpty)
{
    qelImgBufferIOStream s("Memory Stream", 2);
    s.open();
    std::vector<char> first(20000, 'a');
    ASSERT_EQ(s.write(first.data(), 20000), 20000);
    s.close();

    s.open();
    EXPECT_EQ(s.tell(), 0);
    EXPECT_EQ(s.getSize(), 0);
    EXPECT_EQ(s.getChar(), -1);
    char* copy = nullptr;
    unsigned int size = 0;
    EXPECT_EQ(s.getBuffer(&copy, &size, true), 0);
    EXPECT_EQ(copy, nullptr);

    EXPECT_EQ(s.write("xyz", 3), 3);
    ASSERT_EQ(s.getBuffer(&copy, &size, true), 3);
    EXPECT_EQ(std::string(copy, size), "xyz");
    std::free(copy);
}

TEST(ImgTIFFStream, JoinsHeaderAndData)
{
    std::vector<unsigned char> header(194), data(1000);
    for (size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<unsigned char>(i);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7);
    qelImgTIFFStream s("t", 0, header.data(), 194, data.data(), 1000);
    EXPECT_EQ(s.getSize(), 1194);
    std::vector<unsigned char> out(300);
    s.seek(100);
    EXPECT_EQ(s.read(out.data(), 300), 300);
    EXPECT_EQ(out[93], header[193]);
    EXPECT_EQ(out[94], data[0]);
    EXPECT_EQ(out[299], data[205]);
    s.seek(1190);
    EXPECT_EQ(s.read(out.data(), 300), 4);
}

TEST(ImgBufferStream, RefusesShortReads)
{
    const unsigned char bytes[] = {0x12, 0x34, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    qelImgBufferStream s("b", bytes, sizeof bytes);
    EXPECT_EQ(s.getWord(), 0x1234);
    unsigned char out[10];
    EXPECT_EQ(s.read(out, 10), -1);
    EXPECT_EQ(s.getPosition(), 2u);
    EXPECT_EQ(s.read(out, 9), 9);
    EXPECT_EQ(s.getChar(), -1);
    EXPECT_EQ(s.getWord(), -1);
}

class ImgFileIOStream : public lrbtest::ScratchTest
{
};

TEST_F(ImgFileIOStream, OpenFailures)
{
    qelImgFileIOStream unnamed("", 2);
    EXPECT_EQ(thrown([&] { unnamed.open(); }).id, 8);
    qelImgFileIOStream missing((m_dir + "/no/such.tif").c_str(), 2);
    Thrown t = thrown([&] { missing.open(); });
    EXPECT_EQ(t.id, 18);
    EXPECT_NE(t.message.find("No such file or directory"), std::string::npos) << t.message;
    qelImgFileIOStream file((m_dir + "/f.bin").c_str(), 0);
    EXPECT_EQ(file.write("x", 1), -1);
    EXPECT_EQ(file.open(), 1);
    EXPECT_EQ(file.write("abc", 3), 3);
    EXPECT_EQ(file.getSize(), 3);
    file.seek(0);
    EXPECT_EQ(file.getChar(), 'a');
}

} // namespace
