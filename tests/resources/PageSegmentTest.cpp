#include "FieldText.h"
#include "ScratchTest.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelPSEGParser.h"
#include "qelResPSEG.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using lrbtest::field;

// "S1SEG   " in EBCDIC.
const std::vector<unsigned char> kName = {0xE2, 0xF1, 0xE2, 0xC5, 0xC7, 0x40, 0x40, 0x40};

std::vector<unsigned char> segment(bool named)
{
    std::vector<unsigned char> out;
    auto add = [&out](const std::vector<unsigned char>& f) { out.insert(out.end(), f.begin(), f.end()); };
    add(field(0xA85F, named ? kName : std::vector<unsigned char>()));
    add(field(0xA8FB, {})); // IOCA image without picture data
    add(field(0xA8C7, {}));
    add(field(0xA6FB, {0x00, 0x02, 0xD0, 0x02, 0xD0, 0x00, 0x01, 0x00, 0x01}));
    add(field(0xA9C7, {}));
    add(field(0xA9FB, {}));
    add(field(0xA87B, {})); // IM image of one byte
    add(field(0xEE7B, {0x80}));
    add(field(0xA97B, {}));
    add(field(0xA95F, named ? kName : std::vector<unsigned char>()));
    return out;
}

class PageSegmentTest : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        qelDocumentParser::resetIgnoredObjectCount();
    }
    void TearDown() override
    {
        ScratchTest::TearDown();
        qelDocumentParser::resetIgnoredObjectCount();
    }
};

TEST_F(PageSegmentTest, FileOnPathIsLoadedWithItsImages)
{
    const std::vector<unsigned char> bytes = segment(true);
    std::ofstream(m_dir + "/S1SEG.PSG", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    qelGlobalDSPool::getInstance()->getIni()->setPageSegmentPath(m_dir.c_str());
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    qelPSEGParser parser;
    std::unique_ptr<qelRes> res(parser.parse("S1SEG", 1, nullptr));
    ASSERT_NE(res, nullptr);
    EXPECT_STREQ(res->getName(), "S1SEG");
    EXPECT_EQ(qelIOStream::getCurrent(), &before);
    const std::string text = output();
    EXPECT_EQ(text.find("Unsupported object"), std::string::npos) << text;
    EXPECT_EQ(text.find("Unexpected"), std::string::npos) << text;
    qelList* objects = static_cast<qelResPSEG*>(res.get())->getObjects();
    ASSERT_NE(objects, nullptr);
    std::vector<int> kinds;
    for (qelListNode* n = objects->getHead(); n; n = n->next)
        kinds.push_back(static_cast<qelImageObject*>(n->item)->getKind());
    EXPECT_EQ(kinds, (std::vector<int>{qelImageObject::IMAGE_IOCA, qelImageObject::IMAGE_IM}));
    EXPECT_EQ(text.find("E058"), std::string::npos);
    qelIOStream::setCurrent(nullptr);
}

TEST_F(PageSegmentTest, MissingFileGivesNullAfterMessage)
{
    qelGlobalDSPool::getInstance()->getIni()->setPageSegmentPath(m_dir.c_str());
    qelPSEGParser parser;
    EXPECT_EQ(parser.parse("S1NONE", 1, nullptr), nullptr);
    EXPECT_NE(output().find("E058: Resource (S1NONE) not found"), std::string::npos);
}

TEST_F(PageSegmentTest, InlineSegmentWithoutNameKeepsAskedName)
{
    const std::vector<unsigned char> bytes = segment(false);
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    qelIOStream::setCurrent(&input);
    qelPSEGParser parser;
    std::unique_ptr<qelRes> res(parser.parse("ASKED", 0, nullptr));
    ASSERT_NE(res, nullptr);
    EXPECT_STREQ(res->getName(), "ASKED");
    EXPECT_EQ(qelIOStream::getCurrent(), &input);
    qelIOStream::setCurrent(nullptr);
}

} // namespace
