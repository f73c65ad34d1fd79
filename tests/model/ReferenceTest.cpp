#include "PageKindTraceVisitor.h"
#include "qelBarcodeSymbol.h"
#include "qelGlobalDSPool.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelList.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPtocaPage.h"
#include "qelReferenceObject.h"
#include "qelReferenceObjectList.h"
#include "qelResObjectContainer.h"
#include "qelResOverlay.h"
#include "qelResPSEG.h"
#include "qelResourceReference.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace
{
class ReferenceTest : public ::testing::Test
{
protected:
    void SetUp() override { qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true); }
    void TearDown() override { qelUtils::releaseGlobals(); }

    static qelResourceReference* include(qelRes* res, float x, float y, uint16_t rotation = 0)
    {
        auto* ref = new qelResourceReference(res->getName(), static_cast<int>(res->getType()), x, y);
        ref->setResource(res);
        ref->setXAxisRotation(rotation);
        return ref;
    }
};

TEST_F(ReferenceTest, OverlayIncludedTwiceIsDrawnAtBothPositionsAndFixedOnce)
{
    qelResOverlay overlay("O1TWICE");
    auto* first = new qelLineObject();
    auto* atOrigin = new qelLineObject();
    overlay.addParsedObject(first);
    overlay.addParsedObject(atOrigin);
    qelPtocaPage page;
    page.addResourceReference(include(&overlay, 10, 20));
    page.addResourceReference(include(&overlay, 300, 400));
    PageKindTraceVisitor v;
    page.write(&v);
    ASSERT_EQ(v.lineOrigins.size(), 4u);
    const float expected[4][2] = {{10, 20}, {10, 20}, {300, 400}, {300, 400}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.lineOrigins[i].x, expected[i][0]) << i;
        EXPECT_EQ(v.lineOrigins[i].y, expected[i][1]) << i;
    }
    EXPECT_TRUE(overlay.getPositionsFixed());
    // The placement fields are given back after each include.
    EXPECT_EQ(overlay.getIncludingMedia(), nullptr);
    EXPECT_EQ(first->getInclude(), nullptr);
}

TEST_F(ReferenceTest, VisitorThatRefersToTheOverlayGetsItsResourcesNotItsDrawing)
{
    qelResOverlay overlay("O1REF");
    overlay.addParsedObject(new qelLineObject());
    overlay.addMappedResource(new qelMappedRes(1, 3, "X0GT10"));
    overlay.addMappedResource(new qelMappedRes(2, 3, "C0H200B0"));
    qelResPSEG segment("S1SEG");
    overlay.addResourceReference(include(&segment, 0, 0));
    qelPtocaPage page;
    page.addResourceReference(include(&overlay, 5, 5));
    PageKindTraceVisitor v;
    v.referenceAnswer = 1;
    page.write(&v);
    auto count = [&](const char* name) { return std::count(v.calls.begin(), v.calls.end(), std::string(name)); };
    EXPECT_EQ(count("useFontResource"), 2);
    EXPECT_EQ(count("declareResource"), 2); // the page's include and the overlay's own
    EXPECT_EQ(count("writeLineObject"), 0);
}

TEST_F(ReferenceTest, ListMembersAreMovedToTheIncludePositionAndGivenBack)
{
    qelGlobalDSPool::getInstance()->getPageCoordinateTransformer()->setResolution(300);
    qelResOverlay overlay("O1LIST");
    overlay.setResolution(240);
    auto* offset = new qelLineObject();
    offset->setResolution(240);
    offset->setAreaOrigin(100, 0);
    auto* atZero = new qelLineObject();
    atZero->setResolution(240);
    overlay.addParsedObject(offset);
    overlay.addParsedObject(atZero);

    qelResourceReference ref("O1LIST", 1, 50, 60);
    ref.setResource(&overlay);
    qelReferenceObjectList list;
    ref.setReferenceList(&list);
    PageKindTraceVisitor v;
    ref.write(&v);
    EXPECT_EQ(list.getMembers(), overlay.getObjectList());
    EXPECT_EQ(list.getPlacement(), 2);
    EXPECT_TRUE(v.lineOrigins.empty()); // the list draws when the page reaches it

    list.write(&v);
    ASSERT_EQ(v.lineOrigins.size(), 2u);
    EXPECT_FLOAT_EQ(v.lineOrigins[0].x, 175.0f);
    EXPECT_FLOAT_EQ(v.lineOrigins[0].y, 60.0f);
    EXPECT_FLOAT_EQ(v.lineOrigins[1].x, 50.0f);
    EXPECT_FLOAT_EQ(v.lineOrigins[1].y, 60.0f);
    EXPECT_FLOAT_EQ(offset->getAreaOrigin().x, 100.0f);
    EXPECT_EQ(offset->getPlacement(), 0);
    EXPECT_EQ(offset->getInclude(), nullptr);
}

TEST_F(ReferenceTest, CyclicOverlayIncludesAreSkippedWithAWarning)
{
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(false);
    qelResOverlay a("O1CYCA");
    qelResOverlay b("O1CYCB");
    a.addParsedObject(new qelLineObject());
    b.addParsedObject(new qelLineObject());
    a.addResourceReference(include(&b, 1, 1));
    b.addResourceReference(include(&a, 2, 2));
    qelResOverlay self("O1SELF");
    self.addResourceReference(include(&self, 0, 0));

    qelPtocaPage page;
    page.addResourceReference(include(&a, 0, 0));
    page.addResourceReference(include(&self, 0, 0));
    PageKindTraceVisitor v;
    FILE* out = std::tmpfile();
    qelMessageOutput::set(out);
    page.write(&v);
    qelMessageOutput::set(nullptr);
    std::rewind(out);
    char text[1024] = {0};
    const size_t n = std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    const std::string messages(text, n);
    EXPECT_NE(messages.find("Warning! Cyclic include of resource O1CYCA ignored"), std::string::npos) << messages;
    EXPECT_NE(messages.find("Warning! Cyclic include of resource O1SELF ignored"), std::string::npos) << messages;
    EXPECT_EQ(std::count(v.calls.begin(), v.calls.end(), std::string("writeLineObject")), 2);
    EXPECT_TRUE(page.isWritten());
}

TEST_F(ReferenceTest, ReferenceObjectKeepsThePreparedImageAndLendsIt)
{
    qelGlobalDSPool::getInstance()->getIni()->setAutoRotateImage(true);
    qelImageObject image;
    qelReferenceObject ref(&image);
    ref.setIAxisOrientation(90);
    ref.setPresentationSize(70000, 40);
    int prepared = 0;
    PageKindTraceVisitor v;
    v.onImage = [&](qelImageObject* img) {
        if (img->getEncodedData())
            return;
        // The output prepares the image once.
        ++prepared;
        const unsigned char bytes[3] = {1, 2, 3};
        img->setEncodedData(bytes, 3);
        qelImgInfo info;
        info.width = 40;
        img->setFormatInfo(&info);
        img->setPresentationSize(40, 70000 - 65536);
    };
    ref.write(&v);
    ref.write(&v);
    EXPECT_EQ(prepared, 1);
    ASSERT_EQ(v.imageData.size(), 2u);
    EXPECT_EQ(v.imageData[0], nullptr);
    EXPECT_EQ(v.imageData[1], ref.getPreparedData());
    EXPECT_EQ(ref.getPreparedLength(), 3);
    ASSERT_NE(ref.getPreparedFormat(), nullptr);
    EXPECT_EQ(ref.getPreparedFormat()->width, 40);
    EXPECT_EQ(image.getEncodedData(), nullptr);
    EXPECT_EQ(image.getFormatInfo(), nullptr);

    // Without a target size or rotation the image is written as it is.
    qelReferenceObject plain(&image);
    plain.write(&v);
    EXPECT_EQ(plain.getPreparedData(), nullptr);
    EXPECT_EQ(v.calls.back(), "writeImageObject");
}

TEST_F(ReferenceTest, ReferenceObjectBoundingBoxFollowsTheRotation)
{
    const struct {
        uint16_t rotation;
        float tl[2];
        float br[2];
    } cases[] = {
        {0, {100, 200}, {130, 210}}, {90, {90, 200}, {100, 230}},
        {180, {70, 190}, {100, 200}}, {270, {100, 170}, {110, 200}},
    };
    for (const auto& c : cases) {
        qelReferenceObject ref;
        ref.setAreaOrigin(100, 200);
        ref.setPresentationSize(30, 10);
        ref.setIAxisOrientation(c.rotation);
        const qelBoundingBox* box = ref.getBoundingBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->topLeftX, c.tl[0]) << c.rotation;
        EXPECT_EQ(box->topLeftY, c.tl[1]) << c.rotation;
        EXPECT_EQ(box->bottomRightX, c.br[0]) << c.rotation;
        EXPECT_EQ(box->bottomRightY, c.br[1]) << c.rotation;
    }
}

TEST_F(ReferenceTest, OverlayListingLine)
{
    qelResOverlay overlay("O1LIST");
    overlay.setFound(1);
    auto* font = new qelMappedRes(1, 3, "X0GT10");
    font->setResource(&overlay);
    overlay.addMappedResource(font);
    auto* segment = new qelResourceReference("S1SEG", 2, 10, 20);
    overlay.addResourceReference(segment);
    std::unique_ptr<char[]> text(overlay.describe());
    const std::string line(text.get());
    EXPECT_NE(line.find("Mapped Resources={Type=CFNT Id=1 CDF=X0GT10 Bounded=Yes} "), std::string::npos) << line;
    EXPECT_NE(line.find("Medium Included Resources=None"), std::string::npos) << line;
    EXPECT_NE(line.find("Included Resources= {Type=PSEG Name=S1SEG    Position=(10.00  ,20.00  ) }"),
              std::string::npos)
        << line;
}

TEST_F(ReferenceTest, BarcodePositionThroughItsInclude)
{
    struct Case {
        const char* label;
        int resourceType;
        uint16_t rotation;
        uint8_t refCSys;
        float own[2];
        float include[2];
        float expected[2];
    };
    const Case cases[] = {
        {"segment 90", 2, 90, 0, {100, 50}, {1000, 2000}, {950, 2100}},
        {"segment no RefCSys", 2, 90, 255, {100, 50}, {1000, 2000}, {100, 50}},
        {"segment 45", 2, 45, 0, {100, 50}, {1000, 2000}, {100, 50}},
        {"overlay 1440", 1, 0, 255, {1440, 2880}, {0, 0}, {240, 480}},
        {"overlay 45", 1, 45, 255, {1440, 2880}, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<qelRes> resource;
        if (c.resourceType == 1) {
            auto* overlay = new qelResOverlay("O1BC");
            overlay->setResolution(1440);
            resource.reset(overlay);
        } else {
            resource.reset(new qelResPSEG("S1BC"));
        }
        qelPtocaPage page;
        resource->setIncludingMedia(&page);
        resource->setIncludePosition(c.include[0], c.include[1]);
        resource->setIncludeRotation(c.rotation);
        qelBarcodeObject barcode;
        barcode.setBarcodeType(qelBarcodeObject::TYPE_DATA_MATRIX);
        barcode.addData(new qelBarcodeSymbol());
        barcode.setPosition(c.own[0], c.own[1]);
        barcode.setReferenceCoordinateSystem(c.refCSys);
        barcode.setInclude(resource.get());
        PageKindTraceVisitor v;
        barcode.write(&v);
        ASSERT_EQ(v.barcodePositions.size(), 1u) << c.label;
        EXPECT_FLOAT_EQ(v.barcodePositions[0].x, c.expected[0]) << c.label;
        EXPECT_FLOAT_EQ(v.barcodePositions[0].y, c.expected[1]) << c.label;
        // Absolute placement ignores the include.
        barcode.setPlacement(1);
        barcode.write(&v);
        EXPECT_FLOAT_EQ(v.barcodePositions[1].x, c.own[0]) << c.label;
        barcode.setInclude(nullptr);
        resource->setIncludingMedia(nullptr);
    }
}

TEST_F(ReferenceTest, BarcodeFontBindingAndTypes)
{
    qelBarcodeObject barcode;
    barcode.bindFonts();
    EXPECT_TRUE(barcode.areFontsBound());
    barcode.addMappedFont(new qelMappedRes(1, 3, "T1V10500"));
    barcode.bindFonts();
    ASSERT_NE(barcode.findMappedFont(1), nullptr);
    EXPECT_EQ(barcode.findMappedFont(1)->getResource(), nullptr);
    EXPECT_EQ(barcode.findMappedFont(2), nullptr);
    const struct {
        uint32_t type;
        int hri;
    } cases[] = {{1, 255}, {17, 255}, {3, 3}, {23, 3}, {24, -1}, {28, -1}, {0x111, 255}};
    for (const auto& c : cases) {
        barcode.setBarcodeType(c.type);
        EXPECT_EQ(barcode.getHRIFontType(), c.hri) << c.type;
    }
}
}

namespace
{
TEST_F(ReferenceTest, IncludeParametersReachTheFirstObjectOfEveryResourceKind)
{
    auto segment = std::make_unique<qelResPSEG>("S1SEG");
    auto container = std::make_unique<qelResObjectContainer>("O1CONT");
    qelRes* resources[] = {segment.get(), container.get()};
    segment->addObject(new qelLineObject());
    container->addObject(new qelLineObject());
    for (qelRes* res : resources) {
        std::unique_ptr<qelResourceReference> ref(include(res, 0, 0, 90));
        ref->setResolution(1440);
        ref->applyToResource();
        qelList* objects = qelResourceReference::getObjectListOf(res);
        ASSERT_NE(objects, nullptr) << res->getName();
        auto* first = static_cast<qelGraphicObject*>(objects->getHead()->item);
        EXPECT_EQ(first->getResolution(), 1440) << res->getName();
        EXPECT_EQ(first->getIAxisOrientation(), 90) << res->getName();
    }
}
} // namespace
