// Graphics objects inside page segments and resource groups reach the GOCA
// parser; their objects end up in the segment or in a filed resource.
#include "GocaTestSupport.h"

#include "qelDocumentParser.h"
#include "qelGlobalRes.h"
#include "qelLineObject.h"
#include "qelPSEGParser.h"
#include "qelResGroupParser.h"
#include "qelResPSEG.h"

using namespace gocatest;

namespace {

// "G1LINES " and "G1OTHER " in EBCDIC.
const Bytes kLines = {0xC7, 0xF1, 0xD3, 0xC9, 0xD5, 0xC5, 0xE2, 0x40};
const Bytes kOther = {0xC7, 0xF1, 0xD6, 0xE3, 0xC8, 0xC5, 0xD9, 0x40};

// A graphics object named by its Begin Graphics with two lines.
Bytes graphics(const Bytes& name)
{
    Bytes out = field(0xA8BB, name);
    append(out, field(0xA6BB, {0xF6, 0x12, 0x50, 0, 0, 0, 0x09, 0x60, 0x09, 0x60, 0x09, 0x60, 0, 0, 0x03, 0xE8, 0, 0,
                               0x03, 0x20}));
    append(out, field(0xEEBB, {0xC1, 12, 0, 0, 0, 0, 0, 100, 0, 0, 0, 100, 0, 100}));
    append(out, field(0xA9BB, name));
    return out;
}

class HandOverTest : public GocaTest
{
protected:
    void SetUp() override
    {
        GocaTest::SetUp();
        qelDocumentParser::resetIgnoredObjectCount();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelDocumentParser::resetIgnoredObjectCount();
        GocaTest::TearDown();
    }
    void read(const Bytes& bytes)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->setSpoolInput(true);
        qelIOStream::setCurrent(m_input.get());
    }
};

int lineCount(const std::vector<qelGraphicObject*>& objects)
{
    int n = 0;
    for (qelGraphicObject* o : objects)
        n += o && o->kind() == qelGraphicObject::KIND_LINE ? 1 : 0;
    return n;
}

} // namespace

TEST_F(HandOverTest, PageSegmentTakesTheGraphicsObjects)
{
    Bytes bytes = field(0xA85F, {});
    append(bytes, graphics(kLines));
    append(bytes, graphics(kOther));
    append(bytes, field(0xA95F, {}));
    read(bytes);
    qelPSEGParser parser;
    std::unique_ptr<qelRes> res(parser.parse("S1SEG", 0, nullptr));
    ASSERT_NE(res, nullptr);
    auto* segment = static_cast<qelResPSEG*>(res.get());
    std::vector<qelGraphicObject*> all = children(segment->getObjectList());
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(lineCount(all), 4);
    EXPECT_FLOAT_EQ(static_cast<qelLineObject*>(all[1])->getEndPoint().y, 700.0f);
    // Nothing was skipped, and the segment ended where it should.
    EXPECT_EQ(output().find("skipped"), std::string::npos) << output();
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(HandOverTest, ResourceGroupFilesGraphicsResources)
{
    Bytes bytes = field(0xA8C6, {});
    // Begin Resource of type X'03' naming the object.
    Bytes begin = kOther;
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0x03, 0, 0, 0, 0, 0, 0, 0});
    append(bytes, field(0xA8CE, begin));
    append(bytes, graphics(kLines));
    append(bytes, field(0xA9CE, {}));
    // A graphics object directly in the group, named by itself.
    append(bytes, graphics(kLines));
    append(bytes, field(0xA9C6, {}));
    read(bytes);
    qelResGroupParser parser;
    parser.parseFile(nullptr);

    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    qelList* spool = resources->getList(0, "G1LINES", qelRes::TYPE_GOCA - 1);
    ASSERT_NE(spool, nullptr);
    std::vector<std::string> names;
    for (qelListNode* n = spool->getHead(); n; n = n->next) {
        auto* res = static_cast<qelResGOCA*>(n->item);
        names.emplace_back(res->getName() ? res->getName() : "");
        EXPECT_EQ(res->getFound(), 1);
        EXPECT_EQ(lineCount(objects(res)), 2) << names.back();
    }
    EXPECT_EQ(names, std::vector<std::string>({"G1OTHER", "G1LINES"}));
    EXPECT_EQ(resources->getList(1, "G1LINES", qelRes::TYPE_GOCA - 1)->getCount(), 0);
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}
