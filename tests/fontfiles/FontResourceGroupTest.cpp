// Font character sets, code pages and coded fonts in resource groups: the
// level they are filed at and the dump of each resource.
#include "FontLibrary.h"
#include "ScratchTest.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelRes.h"
#include "qelResGroupParser.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

using namespace lrbtest;
using namespace lrbtest::foca;

namespace
{

std::string dataDir() { return std::string(LORBANE_SOURCE_DIR) + "/data"; }

// The names filed in one list of the global resource list.
std::vector<std::string> filed(int level, int type, const char* name)
{
    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    std::vector<std::string> out;
    qelList* list = resources->getList(level, name, type - 1);
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        out.emplace_back(std::string(res->getName() ? res->getName() : "") + (res->getFound() ? "" : "(*)"));
    }
    return out;
}

class FontResourceGroupTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        qelDocumentParser::resetIgnoredObjectCount();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
        for (const LibraryMember& m : fopLibrary(dataDir()))
            m_members.push_back({m.name, m.type, m.bytes});
        CodedFontPart part{"C0H200D0", "T1V10500", 280};
        m_members.push_back({"X0H200D0", RES_CODEDFONT, buildCodedFont("X0H200D0", {part})});
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        qelGlobalDSPool::getInstance()->getResGroupParser()->releaseDumpDirectory();
        ScratchTest::TearDown();
        qelDocumentParser::resetIgnoredObjectCount();
    }
    // Reads the group from the current input as the kernel does.
    void readGroup(const Bytes& group, bool spool)
    {
        qelIOStream input(group.data(), static_cast<int>(group.size()));
        input.setSpoolInput(spool);
        input.rewind();
        qelIOStream::setCurrent(&input);
        qelGlobalDSPool::getInstance()->getResGroupParser()->parseFile(nullptr);
        qelIOStream::setCurrent(nullptr);
    }

    std::vector<GroupMember> m_members;
};

} // namespace

TEST_F(FontResourceGroupTest, InlineGroupsFileAtSpoolLevelGroupFilesAtProcessLevel)
{
    const std::vector<std::string> sets = {"C0H200D0", "C0H200B0", "C0N40000", "C0420090"};
    for (bool wrapped : {true, false}) {
        for (bool spool : {true, false}) {
            readGroup(buildGroup(m_members, wrapped), spool);
            const int level = spool ? 0 : 1;
            EXPECT_EQ(filed(level, qelRes::TYPE_FONT, "C0H200D0"), sets) << wrapped << spool;
            EXPECT_EQ(filed(level, qelRes::TYPE_FONT, "X0H200D0"), std::vector<std::string>({"X0H200D0"}));
            EXPECT_EQ(filed(level, qelRes::TYPE_CODE_PAGE, "T1V10500"), std::vector<std::string>({"T1V10500"}));
            EXPECT_TRUE(filed(1 - level, qelRes::TYPE_FONT, "C0H200D0").empty());
            qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
            auto* page = static_cast<qelCodePage*>(resources->findResource("T1V10500", qelRes::TYPE_CODE_PAGE));
            ASSERT_NE(page, nullptr);
            EXPECT_STREQ(page->getCharName(0xC1), "LA020000");
            auto* coded = static_cast<qelAFPFont*>(resources->findResource("X0H200D0", qelRes::TYPE_FONT));
            ASSERT_NE(coded, nullptr);
            EXPECT_STREQ(coded->getCharacterSetName(), "C0H200D0");
            EXPECT_EQ(coded->getInline(), spool ? 1 : 0);
            resources->clearAll();
        }
    }
    // Read, not skipped.
    EXPECT_EQ(output().find("skipped"), std::string::npos) << output();
}

TEST_F(FontResourceGroupTest, DumpHoldsEachFontResourceOnce)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setResourceGroup("1");
    for (bool wrapped : {true, false}) {
        // A folder of its own for each run.
        const std::string temp = m_dir + (wrapped ? "/wrapped" : "/direct");
        ASSERT_EQ(::mkdir(temp.c_str(), 0755), 0);
        ini->setTempPath((temp + "/").c_str());
        readGroup(buildGroup(m_members, wrapped), true);
        const std::string dump = qelGlobalDSPool::getInstance()->getResGroupParser()->getDumpDirectory();
        ASSERT_FALSE(dump.empty());
        const struct
        {
            const char* file;
            size_t member;
        } cases[] = {{"C0H200D0.chs", 0}, {"C0420090.chs", 3}, {"T1V10500.cdp", 4}, {"X0H200D0.cdf", 5}};
        for (const auto& c : cases) {
            const Bytes written = lrbtest::readFile(dump + "/" + c.file);
            EXPECT_TRUE(written == m_members[c.member].bytes) << c.file << " " << wrapped << " " << written.size()
                                                               << " " << m_members[c.member].bytes.size();
        }
        qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
        qelRes* set = resources->findResource("C0H200D0", qelRes::TYPE_FONT);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(std::string(set->getFileName()), dump + "/C0H200D0.chs");
        resources->clearAll();
        qelGlobalDSPool::getInstance()->getResGroupParser()->releaseDumpDirectory();
    }
}

TEST_F(FontResourceGroupTest, DamagedFontInAGroupLeavesTheOthers)
{
    // A character set cut inside its patterns: no font for it, the fields
    // left of it reported, the resources after it filed.
    CharacterSet cs = rasterSet(type1Font("NimbusSans-Regular"), "AB", 10, "C0BROKEN");
    cs.rasterDataCount = 5;
    std::vector<GroupMember> members = {{"C0BROKEN", RES_CHARSET, build(cs)}};
    members.insert(members.end(), m_members.begin() + 4, m_members.end());
    readGroup(buildGroup(members, true), true);
    EXPECT_TRUE(filed(0, qelRes::TYPE_FONT, "C0BROKEN").empty());
    EXPECT_EQ(filed(0, qelRes::TYPE_CODE_PAGE, "T1V10500"), std::vector<std::string>({"T1V10500"}));
    EXPECT_NE(output().find("W093"), std::string::npos) << output();
}

TEST_F(FontResourceGroupTest, ResourceListLoadsFromTheLibraryThroughThePoolsParsers)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setCpPath((dataDir() + "/").c_str());
    ini->setAFPFontPath(m_dir.c_str());
    writeFile("C0H200D0.CHS", m_members[0].bytes);
    // The library's code page names X'C1' otherwise than the shipped file.
    CodePage cp;
    cp.codePoints = {{"LB020000", 0xC1, 0}, {"SP010000", 0x40, 0}};
    writeFile("T1V10500.CDP", build(cp));

    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    qelRes* font = resources->getResource("C0H200D0", qelRes::TYPE_FONT);
    ASSERT_NE(font, nullptr) << output();
    EXPECT_EQ(font->getFound(), 1);
    EXPECT_EQ(std::string(font->getFileName()), m_dir + "/C0H200D0.CHS");
    EXPECT_EQ(filed(1, qelRes::TYPE_FONT, "C0H200D0"), std::vector<std::string>({"C0H200D0"}));

    auto* page = static_cast<qelCodePage*>(resources->getResource("T1V10500", qelRes::TYPE_CODE_PAGE));
    ASSERT_NE(page, nullptr) << output();
    EXPECT_EQ(page->getFound(), 1);
    EXPECT_TRUE(page->isLoaded());
    // The names from the library, the Unicode values from the file.
    EXPECT_STREQ(page->getCharName(0xC1), "LB020000");
    ASSERT_NE(page->getEntry(0xC1), nullptr);
    EXPECT_EQ(page->getEntry(0xC1)->unicode, 0x41);
    EXPECT_EQ(output().find("E058"), std::string::npos) << output();
}
