#include "ScratchFolder.h"
#include "../afp/AfpTestSupport.h"

#include "lorbane.h"
#include "qelDocument.h"
#include "qelFORMDEF.h"
#include "qelFormDefParser.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMediumMap.h"
#include "qelModcaParser.h"
#include "qelPage.h"
#include "qelPtocaPage.h"
#include "qelResourceReference.h"

#include <sys/stat.h>

#include <climits>
#include <memory>

using namespace afptest;

namespace
{

Bytes mapMediumOverlay(int id, const char* name)
{
    return field(0xB1DF, cat({{0x0C, 0x00, 0x00, 0x00}, {static_cast<unsigned char>(id), 0x00, 0x00, 0x00},
                              ebcdic(name)}));
}

// Ten-inch bases, 1440 units per inch; environment group page position
// (720, 1440); M1 2-up simplex with positions (0, 0) and (0, 1200); M2
// duplex whose second copy subgroup prints constant forms.
Bytes formDefinition()
{
    const Bytes mdd = field(0xA688, cat({{0x00, 0x00, 0x38, 0x40, 0x38, 0x40}, offset3(12240), offset3(15840), {0}}));
    return cat({
        field(0xA8CD, ebcdic("F1TEST  ")),
        field(0xA8C4, {}),
        mdd,
        field(0xACAF, cat({offset3(720), offset3(1440)})),
        field(0xA9C4, {}),
        field(0xA8CC, ebcdic("M1      ")),
        field(0xA288, {0x00, 0x01, 0x00, 0x01, 0x00, 0x01}),
        field(0xA788, {0x01, 0xFF, 0xF4, 0x01, 0xFC, 0x02, 0xF2, 0x01}),
        mapMediumOverlay(1, "O1MEDIUM"),
        field(0xB1AF, cat({{0x01, 0x0A}, offset3(0), offset3(0), {0, 0, 0}, {0x0A}, offset3(0), offset3(1200),
                           {0, 0, 0}})),
        field(0xA9CC, {}),
        field(0xA8CC, ebcdic("M2      ")),
        field(0xA288, {0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00, 0x02}),
        field(0xA788, {0x01, 0xFF, 0xF4, 0x02}),
        field(0xA788, {0x02, 0xFF, 0xF4, 0x02, 0xF9, 0x01, 0xF2, 0x01}),
        mapMediumOverlay(1, "O2BACK  "),
        field(0xA9CC, {}),
        field(0xA9CD, {}),
    });
}

Bytes page(const char* name)
{
    return cat({field(0xA8AF, ebcdic(name)), field(0xA9AF, ebcdic(name))});
}

// Pages 1-3 under M1, page 4 under M2.
Bytes printFile()
{
    return cat({field(0xA8A8, ebcdic("DOC1    ")), field(0xABCC, ebcdic("M1      ")), page("P1      "),
                page("P2      "), page("P3      "), field(0xABCC, ebcdic("M2      ")), page("P4      "),
                field(0xA9A8, ebcdic("DOC1    "))});
}

class MediumMapSelectionTest : public AfpTest
{
protected:
    void SetUp() override
    {
        AfpTest::SetUp();
        ini()->setQuietMode(false);
        ini()->setDocumentGrouping(false);
    }
    void TearDown() override
    {
        m_document.reset();
        AfpTest::TearDown();
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // Parses the print file with the pool's document parser; the pages of
    // its first document in order.
    std::vector<qelPage*> parse(const Bytes& bytes)
    {
        const std::string path = writeFile("print.afp", bytes);
        qelModcaParser* parser = qelGlobalDSPool::getInstance()->getModcaParser();
        parser->setInputKind(QEL_INPUT_FILE);
        parser->setInputFileName(path.c_str());
        m_document.reset(parser->parseFirst(nullptr));
        m_pages.clear();
        if (!m_document)
            return m_pages;
        m_document->write(nullptr);
        for (qelPage* p = m_document->getFirstPage(); p; p = m_document->getNextPage())
            m_pages.push_back(p);
        return m_pages;
    }
    static std::vector<std::string> overlayNames(qelPage* page)
    {
        std::vector<std::string> names;
        qelList* list = page->kind() == 1 ? static_cast<qelPtocaPage*>(page)->getMediumOverlays() : nullptr;
        for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
            const char* name = static_cast<qelResourceReference*>(n->item)->getName();
            names.push_back(name ? name : "");
        }
        return names;
    }

    std::unique_ptr<qelDocument> m_document;
    std::vector<qelPage*> m_pages;
};

// The form definition named by a [FORMDEF] entry is loaded from FormDefPath
// when IMM asks for one of its maps.
TEST_F(MediumMapSelectionTest, InvokedMapsComeFromTheFormDefinitionOfTheirEntry)
{
    writeFile("F1TEST.FDF", formDefinition());
    ini()->setFormDefPath(m_dir.c_str());
    ini()->addFormdefEntry("F1TEST=M1,M2,");
    std::vector<qelPage*> pages = parse(printFile());
    ASSERT_EQ(pages.size(), 5u) << output();
    EXPECT_EQ(output().find("E058: Resource (F1TEST)"), std::string::npos) << output();
    EXPECT_EQ(output().find("E058: Resource (M"), std::string::npos) << output();
    EXPECT_NE(output().find("Loading resource file " + m_dir + "/F1TEST.FDF"), std::string::npos);

    // 2-up simplex: positions 0, 1, 0; (0, 1200) at 1440 units per inch is
    // (0, 200) at the page's 240.
    const int expectedY[] = {0, 200, 0};
    for (int i = 0; i < 3; ++i) {
        auto* p = static_cast<qelPtocaPage*>(pages[i]);
        EXPECT_STREQ(p->getMediumMapName(), "M1") << i;
        EXPECT_EQ(p->getResolution(), 240) << i;
        EXPECT_EQ(static_cast<int32_t>(p->getPageOffsetX()), 0) << i;
        EXPECT_EQ(static_cast<int32_t>(p->getPageOffsetY()), expectedY[i]) << i;
        EXPECT_EQ(overlayNames(p), std::vector<std::string>{"O1MEDIUM"}) << i;
        EXPECT_FALSE(p->isConstantBack());
    }
    // Duplex with constant forms: page 4 and its generated back side.
    EXPECT_STREQ(pages[3]->getMediumMapName(), "M2");
    EXPECT_FALSE(pages[3]->isConstantBack());
    EXPECT_TRUE(overlayNames(pages[3]).empty());
    EXPECT_TRUE(pages[4]->isConstantBack());
    EXPECT_STREQ(pages[4]->getMediumMapName(), "M2");
    EXPECT_EQ(overlayNames(pages[4]), std::vector<std::string>{"O2BACK"});

    qelMediumMap* m1 = qelGlobalDSPool::getInstance()->getModcaParser()->getCurrentMediumMap();
    ASSERT_NE(m1, nullptr);
    EXPECT_STREQ(m1->getName(), "M2");
    EXPECT_STREQ(m1->getFormDefName(), "F1TEST");
}

// A form map in the print file's resource group: its maps are filed at
// spool level with their form definition and selected by IMM.
TEST_F(MediumMapSelectionTest, FormMapOfAnInlineResourceGroup)
{
    ini()->setResourceGroup("0");
    // Begin Resource with a Resource Object Type triplet of a form map.
    const Bytes begin = field(0xA8CE, cat({ebcdic("F1TEST  "), {0x00, 0x00, 0x0A, 0x21, 0xFE, 0, 0, 0, 0, 0, 0, 0}}));
    const Bytes group =
        cat({field(0xA8C6, {}), begin, formDefinition(), field(0xA9CE, {}), field(0xA9C6, {})});
    std::vector<qelPage*> pages = parse(cat({group, printFile()}));
    ASSERT_EQ(pages.size(), 5u) << output();
    EXPECT_EQ(output().find("E058: Resource (M"), std::string::npos) << output();
    EXPECT_EQ(output().find("Loading resource file"), std::string::npos) << output();
    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    auto* m1 = static_cast<qelMediumMap*>(resources->findResource("M1", qelRes::TYPE_MEDIUM_MAP));
    ASSERT_NE(m1, nullptr);
    EXPECT_EQ(m1->getInline(), 1);
    EXPECT_EQ(static_cast<qelRes*>(m1->getFormDefinition()), resources->findResource("F1TEST", qelRes::TYPE_FORM_MAP));
    EXPECT_NE(m1->getFormDefinition(), nullptr);
    EXPECT_EQ(static_cast<int32_t>(static_cast<qelPtocaPage*>(pages[1])->getPageOffsetY()), 200);
    EXPECT_TRUE(pages[4]->isConstantBack());
}

// Pages without a medium map take the page position of the form
// definition's environment group; a form map read while the document
// parser exists makes its first map the current one.
TEST_F(MediumMapSelectionTest, EnvironmentGroupDefaultsAndTheDefaultMap)
{
    writeFile("F1TEST.FDF", formDefinition());
    ini()->setFormDefPath(m_dir.c_str());
    qelModcaParser* document = qelGlobalDSPool::getInstance()->getModcaParser();
    std::unique_ptr<qelRes> form(
        qelGlobalDSPool::getInstance()->getFormDefParser()->parse("F1TEST", 1, nullptr));
    ASSERT_NE(form, nullptr);
    qelMediumMap* current = document->getCurrentMediumMap();
    ASSERT_NE(current, nullptr);
    EXPECT_STREQ(current->getName(), "M1");
    EXPECT_STREQ(document->getMediumMapName(), "M1");
    auto* mmc = static_cast<qelMediumMap::MMC*>(current->getMMCs()->getHead()->item);
    ASSERT_NE(mmc->overlayNames, nullptr);
    EXPECT_EQ(mmc->overlayNames->getCount(), 1);
    // Only the first map of the form map has its overlays resolved now.
    auto* m2 = static_cast<qelMediumMap*>(
        qelGlobalDSPool::getInstance()->getGlobalRes()->findResource("M2", qelRes::TYPE_MEDIUM_MAP));
    ASSERT_NE(m2, nullptr);
    EXPECT_EQ(static_cast<qelMediumMap::MMC*>(m2->getMMCs()->getTail()->item)->overlayNames, nullptr);

    // A new input starts without a medium map: (720, 1440) at 1440 units
    // per inch is (120, 240) at 240.
    std::vector<qelPage*> pages = parse(cat({field(0xA8A8, {}), page("P1      "), field(0xA9A8, {})}));
    ASSERT_EQ(pages.size(), 1u);
    auto* p = static_cast<qelPtocaPage*>(pages[0]);
    EXPECT_EQ(static_cast<int32_t>(p->getPageOffsetX()), 120);
    EXPECT_EQ(static_cast<int32_t>(p->getPageOffsetY()), 240);
}

// The form definition named by FormdefFilename is read before the print
// file, through the C interface; the IMMs then find its maps filed and load
// nothing more.
class FormdefFilenameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        m_out = std::tmpfile();
        const Bytes ini = readFile(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
        std::ofstream(m_dir + "/lorbane.ini", std::ios::binary)
            .write(reinterpret_cast<const char*>(ini.data()), static_cast<std::streamsize>(ini.size()));
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), (m_dir + "/data").c_str()), 0);
        ASSERT_EQ(::mkdir((m_dir + "/out").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((m_dir + "/forms").c_str(), 0755), 0);
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        ASSERT_EQ(::chdir(m_oldDir), 0);
        m_folder.reset();
    }
    std::string messages() { return lrbtest::streamText(m_out); }
    int convert(const std::string& input, const char* formdef)
    {
        std::string iniPath = m_dir + "/";
        std::string formPath = m_dir + "/forms";
        qelSDKNameValue quiet = {const_cast<char*>("QuietMode"), const_cast<char*>("off"), nullptr};
        qelSDKNameValue name = {const_cast<char*>("FormdefFilename"), const_cast<char*>(formdef), &quiet};
        qelSDKNameValue path = {const_cast<char*>("FormDefPath"), &formPath[0], &name};
        qelSDKNameValue format = {const_cast<char*>("OutputFormat"), const_cast<char*>("ASCII"), &path};
        qelSDKNameValue output = {const_cast<char*>("OutputFilePath"), const_cast<char*>("out/"), &format};
        qelSDKNameValue ini = {const_cast<char*>("IniFilePath"), &iniPath[0], &output};
        EXPECT_EQ(lorbane_SetOptions(&ini), 0);
        EXPECT_EQ(lorbane_File_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(&ini), 0);
        qelMessageOutput::set(m_out);
        std::string file = input;
        qelSDKNameList files = {&file[0], nullptr};
        const int rc = lorbane_File(&files);
        lorbane_File_Term();
        return rc;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    FILE* m_out = nullptr;
    char m_oldDir[PATH_MAX] = {};
};

TEST_F(FormdefFilenameTest, FormDefinitionFileIsReadBeforeThePrintFile)
{
    const Bytes form = formDefinition();
    std::ofstream(m_dir + "/forms/F1TEST.FDF", std::ios::binary)
        .write(reinterpret_cast<const char*>(form.data()), static_cast<std::streamsize>(form.size()));
    const Bytes print = printFile();
    std::ofstream(m_dir + "/print.afp", std::ios::binary)
        .write(reinterpret_cast<const char*>(print.data()), static_cast<std::streamsize>(print.size()));

    EXPECT_EQ(convert(m_dir + "/print.afp", "F1TEST"), 0) << messages();
    const std::string loaded = "Loading resource file " + m_dir + "/forms/F1TEST.FDF";
    std::string text = messages();
    const size_t first = text.find(loaded);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(loaded, first + 1), std::string::npos) << text;
    EXPECT_LT(first, text.find("Parsing Page 1"));
    EXPECT_EQ(text.find("E058: Resource (M"), std::string::npos) << text;

    convert(m_dir + "/print.afp", "F1NONE");
    text = messages();
    EXPECT_NE(text.find("E058: Resource (F1NONE) not found"), std::string::npos) << text;
    EXPECT_NE(text.find("E058: Resource (M1) not found"), std::string::npos) << text;
}

} // namespace
