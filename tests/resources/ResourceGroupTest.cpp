#include "FieldText.h"
#include "ScratchTest.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelImageObject.h"
#include "qelRes.h"
#include "qelResObjectContainer.h"
#include "qelResGroupParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

using lrbtest::field;

// "S1SEG   " and "S1OTHER " in EBCDIC.
const std::vector<unsigned char> kSeg = {0xE2, 0xF1, 0xE2, 0xC5, 0xC7, 0x40, 0x40, 0x40};
const std::vector<unsigned char> kOther = {0xE2, 0xF1, 0xD6, 0xE3, 0xC8, 0xC5, 0xD9, 0x40};

std::vector<unsigned char> beginResource(const std::vector<unsigned char>& name, unsigned char type)
{
    std::vector<unsigned char> data = name;
    data.insert(data.end(), {0x00, 0x00, 0x0A, 0x21, type, 0, 0, 0, 0, 0, 0, 0});
    return field(0xA8CE, data);
}

class ResourceGroupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_capture = std::tmpfile();
        qelMessageOutput::set(m_capture);
        qelDocumentParser::resetIgnoredObjectCount();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_capture);
        delete qelGlobalDSPool::getInstance();
        qelDocumentParser::resetIgnoredObjectCount();
    }
    std::string output() { return lrbtest::streamText(m_capture); }
    FILE* m_capture = nullptr;
};

TEST_F(ResourceGroupTest, InlineGroupRegistersSegmentsAndImages)
{
    std::vector<unsigned char> bytes;
    auto add = [&bytes](const std::vector<unsigned char>& f) { bytes.insert(bytes.end(), f.begin(), f.end()); };
    add(field(0xA8C6, {}));
    // A segment takes the name it was asked for by the Begin Resource.
    add(beginResource(kOther, 0xFB));
    add(field(0xA85F, kSeg));
    add(field(0xA95F, kSeg));
    add(field(0xA9CE, {}));
    // An image resource: a container holding the image, its name the alias.
    add(beginResource(kOther, 0x06));
    add(field(0xA8FB, lrbtest::name8("IMG1")));
    add(field(0xEEFB, {0x70, 0x00}));
    add(field(0xA9FB, {}));
    add(field(0xA9CE, {}));
    // A segment directly in the group, named by its own begin field.
    add(field(0xA85F, kSeg));
    add(field(0xA95F, kSeg));
    add(field(0xA9C6, {}));
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.setSpoolInput(true);
    qelIOStream::setCurrent(&input);
    qelResGroupParser parser;
    parser.parseFile(nullptr);
    qelIOStream::setCurrent(nullptr);

    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    qelList* spool = resources->getList(0, "S1SEG", qelRes::TYPE_PAGE_SEGMENT - 1);
    ASSERT_NE(spool, nullptr);
    std::vector<std::string> names;
    std::vector<std::string> aliases;
    for (qelListNode* n = spool->getHead(); n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        names.emplace_back(res->getName() ? res->getName() : "");
        aliases.emplace_back(res->getAliasName() ? res->getAliasName() : "");
    }
    EXPECT_EQ(names, std::vector<std::string>({"S1OTHER", "S1SEG"}));
    EXPECT_EQ(aliases, std::vector<std::string>({"", ""}));
    EXPECT_EQ(resources->getList(1, "S1SEG", qelRes::TYPE_PAGE_SEGMENT - 1)->getCount(), 0);
    const std::string text = output();
    EXPECT_EQ(text.find("Unsupported object"), std::string::npos) << text;
    qelList* containers = resources->getList(0, "S1OTHER", qelRes::TYPE_OBJECT_CONTAINER - 1);
    ASSERT_NE(containers, nullptr);
    ASSERT_EQ(containers->getCount(), 1);
    auto* container = static_cast<qelResObjectContainer*>(containers->getHead()->item);
    EXPECT_STREQ(container->getName(), "S1OTHER");
    EXPECT_STREQ(container->getAliasName(), "IMG1");
    EXPECT_EQ(container->getInline(), 1);
    ASSERT_NE(container->getObjects(), nullptr);
    ASSERT_EQ(container->getObjects()->getCount(), 1);
    auto* image = static_cast<qelImageObject*>(container->getObjects()->getHead()->item);
    EXPECT_EQ(image->getKind(), qelImageObject::IMAGE_IOCA);
    EXPECT_EQ(image->getDataLength(), 2);
}

TEST_F(ResourceGroupTest, DumpNamesStayInsideTheDirectory)
{
    const struct
    {
        const char* name;
        const char* file;
    } cases[] = {{"../../ab", "______ab"}, {"a/b\\c", "a_b_c"}, {"", "RESOURCE"}, {"S1SEG", "S1SEG"}, {"a.b", "a.b"}};
    for (const auto& c : cases)
        EXPECT_EQ(qelResGroupParser::safeDumpName(c.name), c.file) << c.name;
}

} // namespace
