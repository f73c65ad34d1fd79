#include "ImageParserTestSupport.h"

#include "ObjectFieldData.h"
#include "qelGlobalRes.h"
#include "qelRes.h"
#include "qelResGroupParser.h"
#include "qelResObjectContainer.h"

using namespace imagetest;

namespace {

class FopImagesTest : public ImageParserTest
{
};

} // namespace

// The image resources of the FOP sample: each a spool-level container
// holding the IOCA image of its Begin Image.
TEST_F(FopImagesTest, ImageResourcesOfTheGroupHoldTheirImages)
{
    const std::string path = std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp";
    const Bytes file = lrbtest::readFile(path);
    ASSERT_FALSE(file.empty());
    setInput(file);
    m_input->setSpoolInput(true);
    qelResGroupParser groups;
    groups.parseFile(nullptr);

    const struct
    {
        const char* name;
        const char* alias;
        int areaWidth, areaHeight;
        int width, height;
        size_t dataLength;
    } expected[] = {{"RES00001", "IMG00001", 473, 284, 200, 120, 72045},
                    {"RES00002", "IMG00002", 189, 189, 64, 64, 4135}};
    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    int n = 0;
    for (const auto& e : expected) {
        ++n;
        SCOPED_TRACE(e.name);
        qelList* list = resources->getList(0, e.name, qelRes::TYPE_OBJECT_CONTAINER - 1);
        ASSERT_NE(list, nullptr);
        qelResObjectContainer* container = nullptr;
        for (qelListNode* node = list->getHead(); node; node = node->next) {
            auto* res = static_cast<qelResObjectContainer*>(node->item);
            if (std::string(res->getName()) == e.name)
                container = res;
        }
        ASSERT_NE(container, nullptr);
        EXPECT_STREQ(container->getAliasName(), e.alias);
        EXPECT_EQ(container->getFound(), 1);
        EXPECT_EQ(container->getInline(), 1);
        ASSERT_NE(container->getObjects(), nullptr);
        ASSERT_EQ(container->getObjects()->getCount(), 1);
        auto* image = static_cast<qelImageObject*>(container->getObjects()->getHead()->item);
        EXPECT_EQ(image->getKind(), qelImageObject::IMAGE_IOCA);
        EXPECT_EQ(image->getResolution(), 240);
        EXPECT_EQ(image->getAreaWidth(), e.areaWidth);
        EXPECT_EQ(image->getAreaHeight(), e.areaHeight);
        EXPECT_EQ(image->getUnitBase(), 0);
        EXPECT_EQ(image->getXResolution(), 720);
        EXPECT_EQ(image->getYResolution(), 720);
        EXPECT_EQ(image->getXSize(), e.width);
        EXPECT_EQ(image->getYSize(), e.height);
        EXPECT_EQ(image->getFunctionSetId(), 11);
        EXPECT_EQ(image->getMappingOption(), 0x60);
        const Bytes joined = lrbtest::objectFieldData(path, {0xA8FB, 0xEEFB, 0xA9FB}, n);
        ASSERT_EQ(joined.size(), e.dataLength);
        ASSERT_EQ(image->getDataLength(), static_cast<int32_t>(e.dataLength));
        EXPECT_TRUE(Bytes(image->getData(), image->getData() + image->getDataLength()) == joined);
    }
}
