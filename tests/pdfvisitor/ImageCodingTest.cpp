// Kind, flags and compression the PDF visitor gives image data, the
// pass-through decision and the image masks.
#include "qelException.h"
#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelImgTypes.h"
#include "qelMessageIds.h"
#include "qelPDFVisitor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

qelImgInfo makeInfo(int compression, int bits, int photometric, int strips = 1)
{
    qelImgInfo info;
    info.type = QELIMG_IMAGETYPE_TIFF;
    info.compression = compression;
    info.bitsPerPixel = bits;
    info.photometric = photometric;
    info.stripCount = strips;
    info.width = 16;
    info.height = 8;
    return info;
}

// The message id of what f throws, or -1 when it does not throw.
template <class F> int thrownId(F f)
{
    try {
        f();
    } catch (qelException* e) {
        const int id = e->getId();
        delete e;
        return id;
    }
    return -1;
}

} // namespace

// 1-bit data must show black exactly where the source is black: the invert
// flag depends on the form the data is placed in (samples as given, or the
// CCITT meaning) and on which bit value is black.
TEST(PdfImageCoding, BilevelPolarityByPlacedForm)
{
    struct Case
    {
        int compression;
        bool encFlate;
        int photometric;
        int kind;
        unsigned flags;
        int placedCompression;
    };
    const Case cases[] = {
        // raw samples under Flate: as given
        {QELIMG_COMP_NONE, true, 0, PDF_IMAGE_RAW, 7, 8},
        {QELIMG_COMP_NONE, true, 1, PDF_IMAGE_RAW, 3, 8},
        // raw samples without a filter keep the CCITT meaning
        {QELIMG_COMP_NONE, false, 0, PDF_IMAGE_RAW, 3, -1},
        {QELIMG_COMP_NONE, false, 1, PDF_IMAGE_RAW, 7, -1},
        {QELIMG_COMP_G4, false, 0, PDF_IMAGE_G4, 3, -1},
        {QELIMG_COMP_G4, true, 1, PDF_IMAGE_G4, 7, -1},
        {QELIMG_COMP_G3_1D, false, 1, PDF_IMAGE_G3, 7, -1},
        {QELIMG_COMP_G3_2D, false, 0, PDF_IMAGE_G3_2D, 3, -1},
        // LZW and Deflate: as given
        {QELIMG_COMP_LZW, false, 0, PDF_IMAGE_LZW, 7, -1},
        {QELIMG_COMP_LZW, false, 1, PDF_IMAGE_LZW, 3, -1},
        {28, false, 0, PDF_IMAGE_FLATE, 7, -1},
        {28, true, 1, PDF_IMAGE_FLATE, 3, -1},
    };
    for (const Case& c : cases) {
        const qelImgInfo info = makeInfo(c.compression, 1, c.photometric);
        const qelPDFVisitor::ImageCoding got = qelPDFVisitor::getImageKindAndFlags(info, c.encFlate);
        const std::string label = "compression " + std::to_string(c.compression) + " ENC_FLATE " +
                                  std::to_string(c.encFlate) + " photometric " + std::to_string(c.photometric);
        EXPECT_EQ(c.kind, got.kind) << label;
        EXPECT_EQ(c.flags, got.flags) << label;
        EXPECT_EQ(c.placedCompression, got.compression) << label;
    }
}

TEST(PdfImageCoding, MultiBitCodings)
{
    struct Case
    {
        int compression;
        int bits;
        int photometric;
        int kind;
        unsigned flags;
    };
    const Case cases[] = {
        {QELIMG_COMP_NONE, 8, 0, PDF_IMAGE_RAW, 1},  {QELIMG_COMP_NONE, 8, 1, PDF_IMAGE_RAW, 5},
        {QELIMG_COMP_JPEG, 24, 2, PDF_IMAGE_JPEG, 1}, {QELIMG_COMP_LZW, 8, 1, PDF_IMAGE_LZW, 1},
        {QELIMG_COMP_IBM_MMR, 1, 0, PDF_IMAGE_G4, 3}, {QELIMG_COMP_IOCA_RL4, 1, 1, PDF_IMAGE_G4, 3},
        {28, 8, 1, PDF_IMAGE_FLATE, 3},
    };
    for (const Case& c : cases) {
        const qelImgInfo info = makeInfo(c.compression, c.bits, c.photometric);
        const qelPDFVisitor::ImageCoding got = qelPDFVisitor::getImageKindAndFlags(info, true);
        EXPECT_EQ(c.kind, got.kind) << c.compression;
        EXPECT_EQ(c.flags, got.flags) << c.compression;
        EXPECT_EQ(-1, got.compression) << c.compression;
    }
}

TEST(PdfImageCoding, UnplaceableCodingsThrowE018)
{
    for (int compression : {6, 7, 8, 10, 12, 13, 20, 37}) {
        const qelImgInfo info = makeInfo(compression, 8, 1);
        EXPECT_EQ(qelMsg::E018, thrownId([&] { qelPDFVisitor::getImageKindAndFlags(info, false); }))
            << compression;
    }
}

TEST(PdfImageCoding, PassThroughDecision)
{
    struct Case
    {
        int compression;
        int bits;
        int strips;
        bool encFlate;
        bool color;
        bool qualityGiven;
        int expected; // 1 passes, 0 re-encoded, else the message id thrown
    };
    const Case cases[] = {
        {QELIMG_COMP_NONE, 1, 1, true, true, false, 1},
        {QELIMG_COMP_NONE, 1, 1, false, true, false, 0},
        {QELIMG_COMP_NONE, 8, 1, true, true, false, 0},
        {QELIMG_COMP_G3_1D, 1, 1, false, false, false, 1},
        {QELIMG_COMP_G4, 1, 3, false, false, true, 1},
        {QELIMG_COMP_JPEG, 24, 1, false, true, false, 1},
        {QELIMG_COMP_JPEG, 24, 1, false, true, true, 0},
        {QELIMG_COMP_JPEG, 24, 1, false, false, false, 0},
        {QELIMG_COMP_OLD_JPEG, 32, 1, false, true, false, 1},
        {QELIMG_COMP_JPEG, 16, 1, false, true, false, qelMsg::E019},
        {QELIMG_COMP_LZW, 8, 1, false, true, false, 1},
        {QELIMG_COMP_LZW, 8, 2, false, true, false, 0},
        {QELIMG_COMP_LZW, 8, 1, false, false, false, 0},
        {QELIMG_COMP_PACKBITS, 1, 1, true, true, false, 0},
        {25, 8, 1, false, true, false, 0},
        {QELIMG_COMP_IBM_MMR, 1, 1, false, true, false, qelMsg::E018},
        {QELIMG_COMP_PNG, 8, 1, false, true, false, qelMsg::E018},
        {QELIMG_COMP_UNKNOWN, 8, 1, false, true, false, qelMsg::E018},
    };
    for (const Case& c : cases) {
        const qelImgInfo info = makeInfo(c.compression, c.bits, 1, c.strips);
        int got = -1;
        const int id = thrownId([&] {
            got = qelPDFVisitor::isImageTypeSupported(info, c.encFlate, c.color, c.qualityGiven) ? 1 : 0;
        });
        EXPECT_EQ(c.expected, id == -1 ? got : id) << "compression " << c.compression << " bits " << c.bits;
    }
}

TEST(PdfImageCoding, ImageMaskOnlyForOneBitData)
{
    qelImageObject image;
    const unsigned char bits[16] = {0xF0};
    qelImgInfo info = makeInfo(QELIMG_COMP_NONE, 1, 0);
    info.xResolution = 240;

    EXPECT_EQ(nullptr, qelPDFVisitor::makeImageMask(nullptr, &info, bits, 16));
    EXPECT_EQ(nullptr, qelPDFVisitor::makeImageMask(&image, nullptr, bits, 16));
    EXPECT_EQ(nullptr, qelPDFVisitor::makeImageMask(&image, &info, nullptr, 16));
    EXPECT_EQ(nullptr, qelPDFVisitor::makeImageMask(&image, &info, bits, 0));
    qelImgInfo grey = info;
    grey.bitsPerPixel = 8;
    EXPECT_EQ(nullptr, qelPDFVisitor::makeImageMask(&image, &grey, bits, 16));

    const auto mask = qelPDFVisitor::makeImageMask(&image, &info, bits, 16);
    ASSERT_NE(nullptr, mask);
    EXPECT_EQ(16u, mask->width);
    EXPECT_EQ(8u, mask->height);
    EXPECT_EQ(1, mask->bitsPerComponent);
    EXPECT_EQ(1, mask->components);
    EXPECT_FLOAT_EQ(240.0f, mask->resolution);
    EXPECT_EQ(bits, mask->data);
    EXPECT_EQ(16u, mask->length);
    EXPECT_EQ(PDF_IMAGE_RAW, mask->kind);
    EXPECT_EQ(3u, mask->flags);

    qelImgInfo g4 = makeInfo(QELIMG_COMP_G4, 1, 1);
    const auto g4mask = qelPDFVisitor::makeImageMask(&image, &g4, bits, 16);
    ASSERT_NE(nullptr, g4mask);
    EXPECT_EQ(PDF_IMAGE_G4, g4mask->kind);
    EXPECT_EQ(7u, g4mask->flags);
    EXPECT_EQ(QELIMG_COMP_G4, g4mask->reserved);
}
