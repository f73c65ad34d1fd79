#include "AFPFieldWalk.h"
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgAFPIOCAImage.h"
#include "qelImgAFPOly.h"
#include "qelImgAFPVisitor.h"
#include "qelImgBufferIOStream.h"
#include "qelImgFileIOStream.h"
#include "qelImgParamValue.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

Bytes taken(qelImgIOStream& s)
{
    char* data = nullptr;
    unsigned int size = 0;
    s.getBuffer(&data, &size, false);
    Bytes b(data, data + size);
    delete[] data;
    return b;
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

class ImgAFPVisitor : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        out.open();
        params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
        params[QELIMG_PARAM_CREATOR].setText("Lorbane test");
    }

    std::unique_ptr<qelImgAFPIOCAImage> image(int compression, int bits, int length)
    {
        std::unique_ptr<qelImgAFPIOCAImage> i(new qelImgAFPIOCAImage());
        i->setCompression(compression);
        i->setBitsPerPixel(bits);
        i->setSize(300, 150);
        i->setResolution(300, 200);
        Bytes data(static_cast<size_t>(length));
        for (size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<unsigned char>(k * 7);
        i->setImageData(data.data(), length);
        return i;
    }

    qelImgParamValue params[QELIMG_PARAM_COUNT] = {};
    qelImgBufferIOStream out{"out", 2};
};

TEST_F(ImgAFPVisitor, ImageDataGoesInPiecesOf8000WithTheirFieldLengths)
{
    auto g4 = image(3, 1, 20000);
    qelImgAFPVisitor v(&out, params);
    EXPECT_EQ(v.writeIOCAImage(g4.get()), 1);
    const auto fields = walk(taken(out));
    ASSERT_EQ(fields.size(), 10u);
    const unsigned ids[] = {0xD3A8FB, 0xD3A8C7, 0xD3A66B, 0xD3AC6B, 0xD3A6FB, 0xD3A9C7,
                            0xD3EEFB, 0xD3EEFB, 0xD3EEFB, 0xD3A9FB};
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(fields[i].id, ids[i]) << i;
    // Lengths 8036, 8012 and 4016: bodies 8028, 8004, 4008.
    EXPECT_EQ(fields[6].body.size(), 8028u);
    EXPECT_EQ(fields[7].body.size(), 8004u);
    EXPECT_EQ(fields[8].body.size(), 4008u);
    // Function set 10, resolutions x 10 in every descriptor and in Image Size.
    EXPECT_EQ(fields[4].body.back(), 10);
    const Bytes res = {0x0B, 0xB8, 0x07, 0xD0};
    EXPECT_EQ(Bytes(fields[2].body.begin() + 7, fields[2].body.begin() + 11), res);
    EXPECT_EQ(Bytes(fields[4].body.begin() + 1, fields[4].body.begin() + 5), res);
    const Bytes& first = fields[6].body;
    EXPECT_EQ(Bytes(first.begin() + 8, first.begin() + 12), res);
    EXPECT_EQ(Bytes(first.begin() + 16, first.begin() + 24), (Bytes{0x95, 0x03, 0x82, 0x01, 0x00, 0x96, 0x01, 0x01}));
    EXPECT_EQ(Bytes(first.begin() + 24, first.begin() + 28), (Bytes{0xFE, 0x92, 0x1F, 0x40}));
    EXPECT_EQ(Bytes(fields[7].body.begin(), fields[7].body.begin() + 4), (Bytes{0xFE, 0x92, 0x1F, 0x40}));
    EXPECT_EQ(Bytes(fields[8].body.begin(), fields[8].body.begin() + 4), (Bytes{0xFE, 0x92, 0x0F, 0xA0}));
    EXPECT_EQ(Bytes(fields[8].body.end() - 4, fields[8].body.end()), (Bytes{0x93, 0x00, 0x71, 0x00}));
}

TEST_F(ImgAFPVisitor, JpegSegmentCarriesTheAlgorithmAndTheIDEStructure)
{
    struct Case
    {
        int bits;
        int colorSpace;
        Bytes ide; // empty: none
        int functionSet;
    } cases[] = {
        {24, 0, {0x9B, 0x08, 0x00, 0x12, 0x00, 0x00, 0x00, 0x08, 0x08, 0x08}, 11},
        {8, 0, {0x9B, 0x08, 0x00, 0x12, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00}, 11},
        {24, 1, {0x9B, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x08, 0x08}, 11},
        {32, 2, {}, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        qelImgBufferIOStream s("jpeg", 2);
        s.open();
        params[QELIMG_PARAM_COLOR_SPACE].setInt(c.colorSpace);
        auto jpeg = image(9, c.bits, 100);
        qelImgAFPVisitor v(&s, params);
        v.writeIOCAImage(jpeg.get());
        const auto fields = walk(taken(s));
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_EQ(fields[4].body.back(), c.functionSet);
        const Bytes& ipd = fields[6].body;
        EXPECT_EQ(ipd.size(), 100 + 4 + 36 + c.ide.size() + 4);
        EXPECT_EQ(Bytes(ipd.begin() + 24, ipd.begin() + 36),
                  (Bytes{0x9F, 0x0A, 0x10, 0x00, 0x83, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00}));
        EXPECT_EQ(Bytes(ipd.begin() + 36, ipd.begin() + 36 + static_cast<long>(c.ide.size())), c.ide);
    }
}

TEST_F(ImgAFPVisitor, WithoutWrapperOnlyTheSegmentAndWithoutIntroducerNo5A)
{
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(0);
    auto g4 = image(3, 1, 10);
    qelImgAFPVisitor v(&out, params);
    EXPECT_EQ(v.writeIOCAImage(g4.get()), 0);
    const Bytes bare = taken(out);
    ASSERT_EQ(bare.size(), 24u + 4 + 10 + 4);
    EXPECT_EQ(bare[0], 0x70);

    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
    qelImgBufferIOStream plain("plain", 2);
    plain.open();
    qelImgAFPVisitor none(&plain, params, 0);
    EXPECT_EQ(none.writeIOCAImage(g4.get()), 1);
    const Bytes b = taken(plain);
    // Seven fields of the object, no X'5A' before any.
    EXPECT_EQ(b.size(), 8u + 8 + 28 + 32 + 21 + 8 + (8 + bare.size()) + 8);
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[2], 0xD3);
}

TEST_F(ImgAFPVisitor, CompressionCodesOfTheRecord)
{
    // 0 writes uncompressed; codes without an IOCA value are refused before any byte.
    auto none = image(0, 1, 10);
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(0);
    qelImgAFPVisitor v(&out, params);
    v.writeIOCAImage(none.get());
    const Bytes b = taken(out);
    EXPECT_EQ(b[18], 0x03);
    for (int code : {4, 5, 10, -1}) {
        SCOPED_TRACE(code);
        qelImgBufferIOStream s("s", 2);
        s.open();
        qelImgAFPVisitor w(&s, params);
        auto bad = image(code, 1, 10);
        EXPECT_EQ(thrown([&] { w.writeIOCAImage(bad.get()); }).message,
                  "OIL050: " + std::to_string(code) + " compression is not supported");
        EXPECT_TRUE(taken(s).empty());
    }
}

TEST_F(ImgAFPVisitor, FailuresNameTheField)
{
    struct Case
    {
        const char* name;
        int width;
        int resolution;
        bool wrapper;
        const char* message;
    } cases[] = {
        {"width beyond 2 bytes", 70000, 300, true, "OIL047: Error while writing Begin Image Object SFI"},
        {"resolution x 10 beyond 2 bytes", 300, 7000, true, "OIL047: Error while writing Begin Image Object SFI"},
        {"bare width beyond 2 bytes", 70000, 300, false, "OIL047: Error while writing Begin Segment SFI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qelImgBufferIOStream s("s", 2);
        s.open();
        params[QELIMG_PARAM_IOCA_WRAPPER].setInt(c.wrapper ? 1 : 0);
        auto i = image(3, 1, 10);
        i->setSize(c.width, 10);
        i->setResolution(c.resolution, c.resolution);
        qelImgAFPVisitor v(&s, params);
        EXPECT_EQ(thrown([&] { v.writeIOCAImage(i.get()); }).message, c.message);
        EXPECT_TRUE(taken(s).empty());
    }
    // A stream that takes nothing.
    qelImgBufferIOStream closed("closed", 2);
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
    qelImgAFPVisitor v(&closed, params);
    auto i = image(3, 1, 10);
    EXPECT_EQ(thrown([&] { v.writeIOCAImage(i.get()); }).id, 47);
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(0);
    EXPECT_EQ(thrown([&] { v.writeIOCAImage(i.get()); }).message, "OIL047: Error while writing Begin Segment SFI");
    // No data.
    qelImgAFPIOCAImage empty;
    qelImgAFPVisitor w(&out, params);
    EXPECT_EQ(thrown([&] { w.writeIOCAImage(&empty); }).message, "OIL048: Image data is null");
}

TEST_F(ImgAFPVisitor, CommentsInEbcdicThenAscii)
{
    const std::string path = m_dir + "/c:\\out.oly";
    qelImgFileIOStream file(path.c_str(), 2);
    ASSERT_EQ(file.open(), 1);
    qelImgAFPVisitor v(&file, params);
    v.setInputName("a\\b.tif");
    v.setPageIndex(2);
    EXPECT_EQ(v.writeComment(), 1);
    file.close();
    const auto fields = walk(lrbtest::readFile(path));
    ASSERT_EQ(fields.size(), 6u);
    const std::string t = "TIFF:a/b.tif, Page:3, OLY:" + m_dir + "/c:/out.oly";
    char* today = qelImgUtils::getCurrentDate();
    const std::string d = std::string("Creation Date: ") + today;
    delete[] today;
    const std::string texts[] = {"Lorbane test", d, t};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fields[static_cast<size_t>(i)].id, 0xD3EEEEu);
        std::unique_ptr<unsigned char[]> e(qelImgUtils::toEBCDIC(texts[i].c_str()));
        EXPECT_EQ(fields[static_cast<size_t>(i)].body, Bytes(e.get(), e.get() + texts[i].size()));
        EXPECT_EQ(text(fields[static_cast<size_t>(i) + 3].body), texts[i]);
    }

    // No third text on a memory stream without name or page: four fields, result 0.
    qelImgAFPVisitor m(&out, params);
    EXPECT_EQ(m.writeComment(), 0);
    EXPECT_EQ(walk(taken(out)).size(), 4u);

    params[QELIMG_PARAM_CREATOR].setText("");
    qelImgBufferIOStream s("s", 2);
    s.open();
    qelImgAFPVisitor e(&s, params);
    EXPECT_EQ(thrown([&] { e.writeComment(); }).message, "OIL047: Error while writing Version NOP SFI");
    EXPECT_TRUE(taken(s).empty());
    qelImgAFPVisitor noParams(&s, nullptr);
    EXPECT_EQ(thrown([&] { noParams.writeComment(); }).id, 47);
}

TEST_F(ImgAFPVisitor, OverlayAroundObjectDataOrTheImage)
{
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
    qelImgAFPOly overlay;
    overlay.setName("QEL");
    overlay.setResolution(300);
    overlay.setSize(300, 150);
    overlay.setImage(image(3, 1, 10).release());
    qelImgAFPVisitor v(&out, params);
    EXPECT_EQ(overlay.accept(&v), 1);
    auto fields = walk(taken(out));
    ASSERT_EQ(fields.size(), 1u + 4 + 3 + 8 + 1);
    EXPECT_EQ(fields[0].id, 0xD3A8DFu);
    EXPECT_EQ(fields[0].body, (Bytes{0xD8, 0xC5, 0xD3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(fields[5].id, 0xD3A8C9u);
    EXPECT_EQ(fields[6].id, 0xD3A6AFu);
    EXPECT_EQ(Bytes(fields[6].body.begin() + 2, fields[6].body.begin() + 6), (Bytes{0x0B, 0xB8, 0x0B, 0xB8}));
    EXPECT_EQ(fields[8].id, 0xD3A8FBu);
    EXPECT_EQ(fields.back().id, 0xD3A9DFu);

    // Object data are written as they stand.
    const Bytes object = {0x01, 0x02, 0x03};
    overlay.getImage()->setObjectData(object.data(), 3);
    qelImgBufferIOStream s("s", 2);
    s.open();
    qelImgAFPVisitor w(&s, params, 0);
    overlay.accept(&w);
    const Bytes b = taken(s);
    ASSERT_GT(b.size(), 11u);
    EXPECT_EQ(Bytes(b.end() - 11, b.end()), (Bytes{0x01, 0x02, 0x03, 0x00, 0x08, 0xD3, 0xA9, 0xDF, 0, 0, 0}));
}

} // namespace
