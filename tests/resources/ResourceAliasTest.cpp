// A resource that a resource group files under its own name is also found
// by the Begin Resource name it keeps as alias, which is how pages include
// it; a resource of that very name is preferred.
#include "CapturedOutput.h"
#include "ScratchFolder.h"
#include "FieldText.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelResGroupParser.h"
#include "qelResPSEG.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

using lrbtest::Bytes;
using lrbtest::field;

// "O1ABC   " and "O1XYZ   " in EBCDIC.
const Bytes kAbc = {0xD6, 0xF1, 0xC1, 0xC2, 0xC3, 0x40, 0x40, 0x40};
const Bytes kXyz = {0xD6, 0xF1, 0xE7, 0xE8, 0xE9, 0x40, 0x40, 0x40};

class ResourceAliasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        m_capture = std::tmpfile();
        qelMessageOutput::set(m_capture);
        qelDocumentParser::resetIgnoredObjectCount();
        qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setResourceGroup("0");
        ini->setOverlayPath(m_dir.c_str());
        ini->setPageSegmentPath(m_dir.c_str());
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        qelMessageOutput::set(nullptr);
        std::fclose(m_capture);
        delete qelGlobalDSPool::getInstance();
        qelDocumentParser::resetIgnoredObjectCount();
        m_folder.reset();
    }
    std::string output() { return lrbtest::streamText(m_capture); }
    static qelGlobalRes* resources() { return qelGlobalDSPool::getInstance()->getGlobalRes(); }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    FILE* m_capture = nullptr;
};

TEST_F(ResourceAliasTest, GroupOverlayIsFoundByItsBeginResourceName)
{
    // Begin Resource O1ABC of type overlay holding the overlay O1XYZ.
    Bytes bytes = field(0xA8C6, {});
    Bytes begin = kAbc;
    begin.insert(begin.end(), {0x00, 0x00, 0x0A, 0x21, 0xFC, 0, 0, 0, 0, 0, 0, 0});
    for (const Bytes& f : {field(0xA8CE, begin), field(0xA8DF, kXyz), field(0xA9DF, kXyz), field(0xA9CE, kAbc),
                           field(0xA9C6, {})})
        bytes.insert(bytes.end(), f.begin(), f.end());
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.setSpoolInput(true);
    qelIOStream::setCurrent(&input);
    qelResGroupParser parser;
    parser.parseFile(nullptr);
    qelIOStream::setCurrent(nullptr);

    qelRes* filed = resources()->findResource("O1XYZ", qelRes::TYPE_OVERLAY);
    ASSERT_NE(filed, nullptr) << output();
    ASSERT_STREQ(filed->getAliasName(), "O1ABC");
    EXPECT_EQ(resources()->findResource("o1abc", qelRes::TYPE_OVERLAY), filed);
    // The page's lookup takes the group's overlay and searches no file.
    qelRes* included = resources()->getResource("O1ABC", qelRes::TYPE_OVERLAY);
    EXPECT_EQ(included, filed);
    EXPECT_EQ(included->getFound(), 1);
    const std::string text = output();
    EXPECT_EQ(text.find("E058"), std::string::npos) << text;
    EXPECT_EQ(resources()->getList(1, "O1ABC", qelRes::TYPE_OVERLAY - 1)->getCount(), 0);
}

TEST_F(ResourceAliasTest, NameComesBeforeAliasAndLevelsKeepTheirOrder)
{
    // Filed in this order at each level: (name, alias, inline).
    const struct
    {
        const char* name;
        const char* alias;
        int inlineFlag;
    } filed[] = {{"S1XYZ", "S1ABC", 1}, {"S1ABC", nullptr, 1}, {"S1OLD", "S1NEW", 1}, {"S1NEW", nullptr, 0},
                 {"S1LIB", "S1FAR", 0}};
    for (const auto& f : filed) {
        auto* segment = new qelResPSEG(f.name);
        segment->setAliasName(f.alias);
        segment->setInline(static_cast<uint8_t>(f.inlineFlag));
        segment->setFound(1);
        resources()->addResource(segment);
    }
    const struct
    {
        const char* wanted;
        const char* found; // null: none
    } cases[] = {
        {"S1ABC", "S1ABC"}, // a resource of that name before another's alias
        {"S1NEW", "S1OLD"}, // the spool level's alias before the process level's name
        {"S1FAR", "S1LIB"}, // an alias at the process level
        {"S1XYZ", "S1XYZ"},
        {"S1NONE", nullptr},
    };
    for (const auto& c : cases) {
        qelRes* res = resources()->findResource(c.wanted, qelRes::TYPE_PAGE_SEGMENT);
        if (!c.found) {
            EXPECT_EQ(res, nullptr) << c.wanted;
            continue;
        }
        ASSERT_NE(res, nullptr) << c.wanted;
        EXPECT_STREQ(res->getName(), c.found) << c.wanted;
    }
    // Another type's alias is not found.
    EXPECT_EQ(resources()->findResource("S1ABC", qelRes::TYPE_OVERLAY), nullptr);
}

} // namespace
