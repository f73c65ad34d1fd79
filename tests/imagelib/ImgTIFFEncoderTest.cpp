#include "ImgTestSupport.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgTIFFEncoder.h"
#include "qelImgTypes.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace imgtest;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Encodes the bitmaps as pages of one TIFF file; answers its path.
std::string writeTIFF(int type, const std::vector<qelImgDIB*>& pages, qelImgParamValue* params)
{
    qelImgBufferIOStream out("out", 2);
    out.open();
    qelImgTIFFEncoder encoder(&out);
    encoder.setEncodeType(type);
    qelImgInfo info;
    encoder.initialize(params, &info);
    for (qelImgDIB* dib : pages)
        encoder.encode(dib);
    encoder.finalize();
    char* data = nullptr;
    unsigned int size = 0;
    out.getBuffer(&data, &size, false);
    std::unique_ptr<char[]> owned(data);
    char path[] = "/tmp/qeltiffXXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, data, size), static_cast<ssize_t>(size));
    close(fd);
    return path;
}

struct Params
{
    Params()
    {
        std::memset(slots, 0, sizeof slots);
        slots[QELIMG_PARAM_SOFTWARE].setText("lorbane test");
        slots[QELIMG_PARAM_KEYWORDS].setText("k1");
        slots[QELIMG_PARAM_SUBJECT].setText("s1");
        slots[QELIMG_PARAM_TITLE].setText("t1");
        slots[QELIMG_PARAM_AUTHOR].setText("a1");
    }
    qelImgParamValue slots[36];
};

TEST(ImgTIFFEncoder, TwoPagesWithTagsAndOwnResolutions)
{
    std::vector<unsigned char> table(1024);
    for (int i = 0; i < 256; ++i)
        table[4 * i + 2] = static_cast<unsigned char>(i);
    DIBPtr pal(qelImgDIBUtils::createDIBFromData(16, 4, 8, 300, 200, 256, table.data(), 0));
    std::memset(pal->bits, 5, pal->header->biSizeImage);
    DIBPtr rgb(qelImgDIBUtils::createDIBFromData(8, 8, 24, 204, 98, 0, nullptr, 0));
    Params p;
    const std::string path = writeTIFF(QELIMG_ENCODE_TIFF_LZW, {pal.get(), rgb.get()}, p.slots);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(tif);
    EXPECT_EQ(TIFFNumberOfDirectories(tif), 2);
    const float want[2][2] = {{300, 200}, {204, 98}};
    for (int d = 0; d < 2; ++d) {
        ASSERT_TRUE(TIFFSetDirectory(tif, static_cast<tdir_t>(d)));
        float x = 0, y = 0;
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
        EXPECT_FLOAT_EQ(x, want[d][0]);
        EXPECT_FLOAT_EQ(y, want[d][1]);
        EXPECT_EQ(TIFFNumberOfStrips(tif), 1u);
    }
    TIFFClose(tif);
    const std::string info = run("tiffinfo -c " + path + " 2>&1");
    EXPECT_NE(info.find("Color Map"), std::string::npos);
    EXPECT_NE(info.find("LZW"), std::string::npos);
    const std::string dump = run("tiffdump " + path + " 2>&1");
    for (const char* text : {"Keywords=k1", "Subject=s1", "Title=t1", "Author=a1"})
        EXPECT_NE(dump.find(text), std::string::npos) << text;
    EXPECT_NE(run("tiffcp -c none " + path + " " + path + ".out 2>&1 && echo ok").find("ok"), std::string::npos);
    std::remove((path + ".out").c_str());
    std::remove(path.c_str());
}

TEST(ImgTIFFEncoder, BlackIsZeroAndFaxPages)
{
    // An 8-bit grey page as G3 2D: dithered to 1 bit even with method 0.
    std::vector<unsigned char> table(1024);
    for (int i = 0; i < 256; ++i)
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<unsigned char>(i);
    DIBPtr grey(qelImgDIBUtils::createDIBFromData(16, 8, 8, 300, 300, 256, table.data(), 0));
    std::memset(grey->bits, 255, grey->header->biSizeImage);
    Params p;
    const std::string path = writeTIFF(QELIMG_ENCODE_TIFF_G3_2D, {grey.get()}, p.slots);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(tif);
    uint16_t bits = 0, compression = 0;
    uint32_t options = 0;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
    EXPECT_EQ(bits, 1);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX3);
    EXPECT_EQ(options, 1u);
    TIFFClose(tif);
    EXPECT_NE(run("tiffcp -c none " + path + " " + path + ".out 2>&1 && echo ok").find("ok"), std::string::npos);
    std::remove((path + ".out").c_str());
    std::remove(path.c_str());
}

} // namespace
