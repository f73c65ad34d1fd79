// Drawn size and corner of images by mapping option and orientation.
#include "PdfVisitorSupport.h"

#include "qelImageObject.h"
#include "qelImgInfo.h"

namespace {

using pdfvtest::PdfVisitorTest;
using pdfvtest::TestPage;

class ImagePlacementTest : public PdfVisitorTest
{
};

TEST_F(ImagePlacementTest, DrawnSizeByMappingOption)
{
    struct Case
    {
        const char* label;
        uint8_t mapping;
        int width, height, xRes, yRes;
        int32_t presWidth, presHeight;
        float drawnWidth, drawnHeight;
    };
    const Case cases[] = {
        // 300 x 300 pels at 300 dpi scaled into 2 x 2 inches
        {"SF exact", 0x20, 300, 300, 300, 300, 480, 480, 144.0f, 144.0f},
        // fitted keeping the aspect ratio into a wider space
        {"SF fitted", 0x20, 300, 150, 300, 300, 480, 480, 144.0f, 72.0f},
        // unequal resolutions keep the aspect ratio in every mode
        {"PT 204x98", 0x10, 204, 98, 204, 98, 480, 480, 72.0f, 72.0f},
        {"RT 204x98", 0x50, 204, 98, 204, 98, 480, 480, 72.0f, 72.0f},
        {"SL", 0x60, 300, 300, 300, 300, 480, 240, 144.0f, 72.0f},
        {"Unhandled", 0x77, 300, 300, 300, 300, 240, 480, 72.0f, 144.0f},
    };
    TestPage page(1, 2000, 2000, 240);
    runPage(page, [&](qelPDFVisitor& v) {
        qelPageCoordinateTransformer* t = qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
        for (const Case& c : cases) {
            qelImageObject image;
            image.setResolution(240);
            image.setPresentationSize(c.presWidth, c.presHeight);
            image.setMappingOption(c.mapping);
            image.setAbsolutePosition(240, 480);
            qelImgInfo info;
            info.width = c.width;
            info.height = c.height;
            info.xResolution = c.xRes;
            info.yResolution = c.yRes;
            t->setPosition(10, 20);
            const qelPDFVisitor::ImagePlacement p = v.computeImagePlacement(&image, info);
            EXPECT_NEAR(c.drawnWidth, p.width, 0.01f) << c.label;
            EXPECT_NEAR(c.drawnHeight, p.height, 0.01f) << c.label;
            EXPECT_FLOAT_EQ(360.0f, image.getAngle()) << c.label;
        }
    });
}

// The corner that lands on the PDF image origin after the rotation: for 0
// degrees its lower left (page y grows upwards), and so on round the turns;
// any other orientation is placed at (0, 0).
TEST_F(ImagePlacementTest, CornerByOrientation)
{
    TestPage page(1, 2000, 2000, 240);
    runPage(page, [&](qelPDFVisitor& v) {
        qelPageCoordinateTransformer* t = qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
        struct Case
        {
            int orientation;
            float dx, dy; // from the transformed position, page units
        };
        // 240 x 120 pels at 240 dpi (R 240) in an exact presentation space.
        const Case cases[] = {{0, 0, -120}, {90, -120, 0}, {180, 0, 120}, {270, 120, 0}};
        for (const Case& c : cases) {
            qelImageObject image;
            image.setResolution(240);
            image.setIAxisOrientation(static_cast<uint16_t>(c.orientation));
            image.setPresentationSize(240, 120);
            image.setMappingOption(0x20);
            image.setAbsolutePosition(480, 480);
            qelImgInfo info;
            info.width = 240;
            info.height = 120;
            info.xResolution = 240;
            info.yResolution = 240;
            t->setOrientation(0, 90);
            const qelPoint origin = t->transform(480, 480);
            const qelPDFVisitor::ImagePlacement p = v.computeImagePlacement(&image, info);
            EXPECT_NEAR(origin.x + c.dx, p.x, 0.01f) << c.orientation;
            EXPECT_NEAR(origin.y + c.dy, p.y, 0.01f) << c.orientation;
            EXPECT_FLOAT_EQ(static_cast<float>((360 - c.orientation) % 360 == 0 ? 360 : 360 - c.orientation),
                            image.getAngle());
            // the transformer is back at the object's position
            EXPECT_NEAR(origin.x, t->getX(), 0.01f);
            EXPECT_NEAR(origin.y, t->getY(), 0.01f);
        }
        qelImageObject turned;
        turned.setResolution(240);
        turned.setIAxisOrientation(45);
        turned.setPresentationSize(240, 120);
        turned.setAbsolutePosition(480, 480);
        qelImgInfo info;
        info.width = 240;
        info.height = 120;
        const qelPDFVisitor::ImagePlacement p = v.computeImagePlacement(&turned, info);
        EXPECT_EQ(0.0f, p.x);
        EXPECT_EQ(0.0f, p.y);
    });
}

} // namespace
