#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgErrorHandler.h"
#include "qelImgTIFF.h"
#include "qelImgTIFFProcessor.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;

namespace {

class ImgTIFFGlue : public lrbtest::ScratchTest
{
protected:
    void TearDown() override
    {
        qelImgProcessor::releaseLibraryResources();
        lrbtest::ScratchTest::TearDown();
    }

    std::string run(const std::string& command)
    {
        std::string text;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[512];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        if (pipe)
            ::pclose(pipe);
        return text;
    }
};

uint32_t u32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

TEST_F(ImgTIFFGlue, RawHeaderReadsWithTiffinfo)
{
    unsigned char* header = nullptr;
    int length = 0;
    qelImgTIFFProcessor::createTIFFHeader(100, 50, 8, 1, 1, 1, 1, 300, 300, 5000, &header, &length, nullptr);
    std::unique_ptr<unsigned char[]> owned(header);
    ASSERT_EQ(length, 194);
    lrbtest::Bytes file(header, header + length);
    file.resize(194 + 5000, 0x80);
    std::string info = run("tiffinfo '" + writeFile("raw.tif", file) + "' 2>&1");
    EXPECT_NE(info.find("Image Width: 100 Image Length: 50"), std::string::npos) << info;
    EXPECT_NE(info.find("Bits/Sample: 8"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 300, 300"), std::string::npos) << info;

    std::vector<unsigned char> table(256 * 4);
    for (int i = 0; i < 256; ++i)
        table[4 * i + 2] = static_cast<unsigned char>(i);
    qelImgTIFFProcessor::createTIFFHeader(100, 50, 8, 1, 3, 1, 1, 300, 300, 5000, &header, &length, table.data());
    std::unique_ptr<unsigned char[]> mapped(header);
    EXPECT_EQ(length, 1742);
    EXPECT_EQ(header[206 + 2 * 255] | header[207 + 2 * 255] << 8, 255 * 256);
    qelImgTIFFProcessor::createTIFFHeader(10, 5, 1, 1, 1, 1, 1, 300, 300, 7, &header, &length, table.data());
    std::unique_ptr<unsigned char[]> bilevel(header);
    EXPECT_EQ(length, 194);
}

TEST_F(ImgTIFFGlue, WideImagesKeepTheirWidth)
{
    unsigned char* header = nullptr;
    int length = 0;
    qelImgTIFFProcessor::createTIFFHeader(70000, 2, 1, 1, 0, 1, 1, 300, 300, 17500, &header, &length, nullptr);
    std::unique_ptr<unsigned char[]> owned(header);
    lrbtest::Bytes file(header, header + length);
    file.resize(static_cast<size_t>(length) + 17500, 0);
    TIFF* tif = qelImgTIFFProcessor::openTIFFMemoryToRead(file.data(), static_cast<int>(file.size()));
    ASSERT_NE(tif, nullptr);
    uint32_t width = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    EXPECT_EQ(width, 70000u);
    TIFFClose(tif);
}

TEST_F(ImgTIFFGlue, G3HeaderOptions)
{
    struct { unsigned char twoD, fill; uint32_t options; } cases[] = {{1, 1, 5}, {0, 0, 0}, {1, 0, 1}};
    for (const auto& c : cases) {
        unsigned char* header = nullptr;
        int length = 0;
        qelImgTIFFProcessor::createG3TIFFHeader(1728, 10, 1, c.twoD, c.fill, 0, 1, 1, 200, 200, 99, &header, &length);
        std::unique_ptr<unsigned char[]> owned(header);
        ASSERT_EQ(length, 206);
        EXPECT_EQ(u32(header + 10 + 13 * 12 + 8), c.options);
        EXPECT_EQ(u32(header + 10 + 7 * 12 + 8), 206u);
    }
}

TEST_F(ImgTIFFGlue, ContextTableHas256Slots)
{
    unsigned char* header = nullptr;
    int length = 0;
    qelImgTIFFProcessor::createTIFFHeader(8, 1, 1, 1, 0, 1, 1, 300, 300, 1, &header, &length, nullptr);
    lrbtest::Bytes file(header, header + length);
    delete[] header;
    file.push_back(0);
    std::vector<TIFF*> handles;
    for (int i = 0; i < 256; ++i) {
        handles.push_back(qelImgTIFFProcessor::openTIFFMemoryToRead(file.data(), static_cast<int>(file.size())));
        ASSERT_NE(handles.back(), nullptr) << i;
    }
    EXPECT_EQ(TIFFFileno(handles[0]), -1);
    EXPECT_EQ(TIFFFileno(handles[5]), -6);
    Thrown t = thrown([&] { qelImgTIFFProcessor::openTIFFMemoryToRead(file.data(), static_cast<int>(file.size())); });
    EXPECT_EQ(t.id, 63);
    EXPECT_EQ(t.message, "OIL063: Could not create new TIFF Buffer Context for an image. Maximum TIFF Buffer "
                         "Context limit reached");
    TIFFClose(handles[5]);
    TIFF* again = qelImgTIFFProcessor::openTIFFMemoryToRead(file.data(), static_cast<int>(file.size()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TIFFFileno(again), -6);
    handles[5] = again;
    for (TIFF* tif : handles)
        TIFFClose(tif);
    EXPECT_EQ(qelImgTIFFProcessor::getContext(0), nullptr);
}

TEST_F(ImgTIFFGlue, ErrorGlueKeepsTheFirstError)
{
    qelImgErrorHandler::reset();
    qelImgErrorHandler::installTIFFHandlers();
    const unsigned char junk[] = {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F};
    TIFF* tif = qelImgTIFFProcessor::openTIFFMemoryToRead(junk, sizeof junk);
    EXPECT_EQ(tif, nullptr);
    ASSERT_NE(qelImgErrorHandler::getPendingError(), nullptr);
    std::string first = qelImgErrorHandler::getPendingError()->getMessage();
    TIFFErrorExt(nullptr, "second", "%s", "later error");
    Thrown t = thrown([] { qelImgErrorHandler::checkTIFFError("qelTest", "open()->TIFFClientOpen()", 0); });
    EXPECT_EQ(t.id, 20);
    EXPECT_EQ(t.message, first + "(Lib: LibTIFF, Function: open()->TIFFClientOpen(), Class: qelTest)");
    EXPECT_EQ(t.message.rfind("OIL020: TIFF Library Error: \nFile Name: ", 0), 0u) << t.message;
    EXPECT_NE(t.message.find(".\n(Lib: "), std::string::npos) << t.message;

    qelImgErrorHandler::setPendingError(new qelImgException("a.cpp", 1, 20, 0, false, "x"));
    t = thrown([] { qelImgErrorHandler::checkJPEGError("C", "f()", -1); });
    EXPECT_EQ(t.message, "OIL020: TIFF Library Error: x(Lib: LibJPEG, Function: f(), Class: C, rc=-1)");
    EXPECT_EQ(thrown([] { qelImgErrorHandler::checkTIFFError("C", "f()", 0); }).id, -1);

    LoggerScope scope(2);
    qelImgErrorHandler::installTIFFHandlers();
    TIFFWarning("mod", "%s", "100% sure");
    qelImgErrorHandler::restoreTIFFHandlers();
    EXPECT_NE(scope.logger.lines.find("Warning! \nFile Name: mod\nLibTiffMsg: 100% sure.\n"), std::string::npos)
        << scope.logger.lines;
}

TEST_F(ImgTIFFGlue, PageStoreJoinsPages)
{
    for (int mode : {0, 1}) {
        qelImgProcessor::initializeLibrary();
        qelImgProcessor::setTempDirectory(m_dir.c_str());
        qelImgProcessor::setTempFileMode(mode);
        std::vector<unsigned char> a(100, 1), b(200, 2);
        {
            qelImgTIFF store("t");
            EXPECT_EQ(store.addPage(nullptr, 5), -1);
            EXPECT_EQ(store.addPage(a.data(), 100), 1);
            EXPECT_EQ(store.addPage(b.data(), 200), 1);
            unsigned char* data = nullptr;
            unsigned int size = 0;
            ASSERT_EQ(store.getData(&data, &size), 1);
            std::unique_ptr<unsigned char[]> owned(data);
            EXPECT_EQ(size, 300u);
            EXPECT_EQ(data[99], 1);
            EXPECT_EQ(data[100], 2);
            EXPECT_EQ(run("ls '" + m_dir + "' | wc -l"), mode ? "2\n" : "0\n");
        }
        EXPECT_EQ(run("ls '" + m_dir + "' | wc -l"), "0\n");
        qelImgProcessor::setTempFileMode(0);
        qelImgProcessor::finalizeLibrary();
    }
}

} // namespace
