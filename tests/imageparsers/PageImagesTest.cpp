#include "ImageParserTestSupport.h"

#include "qelPageParser.h"
#include "qelPtocaPage.h"

using namespace imagetest;

namespace {

class PageImagesTest : public ImageParserTest
{
};

} // namespace

// Images of a page become its objects: an IM image placed by the page, and
// the image colour the page takes back from the IM parser.
TEST_F(PageImagesTest, ImagesBecomeObjectsOfThePage)
{
    const Bytes iid = cat({word(0), word(0x0960), word(0x0960), word(0), word(0), word(0), {0, 0}, word(2400),
                           word(2400), word(8), word(1), word(0), word(0), word(0x2D00), word(0), word(0), word(1),
                           word(2)});
    Bytes input = field(0xA8AF, name8("P1"));
    append(input, field(0xA87B, name8("IM1")));
    append(input, field(0xA67B, iid));
    append(input, field(0xEE7B, {0xFF}));
    append(input, field(0xA97B, name8("IM1")));
    append(input, field(0xA8FB, name8("IMG1")));
    append(input, field(0xEEFB, {1, 2, 3}));
    append(input, field(0xA9FB, name8("IMG1")));
    append(input, field(0xA9AF, name8("P1")));
    setInput(input);
    qelPageParser* pages = qelGlobalDSPool::getInstance()->getPageParser();
    std::unique_ptr<qelPtocaPage> page(pages->readPage(pages->readNextSF()));
    ASSERT_TRUE(page);
    qelList* objects = page->getObjectList();
    ASSERT_NE(objects, nullptr);
    std::vector<qelImageObject*> images;
    for (qelListNode* n = objects->getHead(); n; n = n->next)
        if (static_cast<qelGraphicObject*>(n->item)->kind() == qelGraphicObject::KIND_IMAGE)
            images.push_back(static_cast<qelImageObject*>(n->item));
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0]->getKind(), qelImageObject::IMAGE_IM);
    EXPECT_EQ(images[0]->getPlacement(), 1);
    EXPECT_EQ(images[0]->getCellCount(), 1);
    EXPECT_EQ(images[1]->getKind(), qelImageObject::IMAGE_IOCA);
    // Data the image library cannot read keep the image and the page: the
    // E013 is written, not raised.
    EXPECT_EQ(images[1]->getDataLength(), 3);
    EXPECT_EQ(page->getMaxBitsPerPixel(), 1);
    EXPECT_NE(output().find("E013"), std::string::npos) << output();
    EXPECT_EQ(pages->getColorValue(), 2);
    EXPECT_EQ(pages->getColorValueKind(), 5u);
    EXPECT_EQ(output().find("Unsupported object"), std::string::npos) << output();
}
