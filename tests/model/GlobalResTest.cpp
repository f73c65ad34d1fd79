#include "qelAFPFont.h"
#include "qelCharSetAliasName.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFORMDEF.h"
#include "qelAFPFontRepresentation.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelHashIdMap.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelResOverlay.h"
#include "qelResParser.h"
#include "qelResourceAliasName.h"
#include "qelTextObject.h"
#include "qelUtils.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// A resource parser that finds only the names it is given.
class FakeParser : public qelResParser
{
public:
    std::vector<std::string> known;
    std::vector<std::string> asked;
    std::vector<std::string> fileNames;
    qelRes* parse(const char* name, int mode, const char* fileName) override
    {
        asked.push_back(name);
        fileNames.push_back(fileName ? fileName : "");
        if (mode != MODE_LIBRARY)
            return nullptr;
        for (const std::string& k : known)
            if (k == name)
                return new qelResOverlay(name);
        return nullptr;
    }
    void setResourceName(const char*) override {}
    void setFileName(const char*) override {}
    char* findResourceFile() override { return nullptr; }
};

class GlobalResTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pool = qelGlobalDSPool::getInstance();
        ini = pool->getIni();
        ini->setQuietMode(true);
        res = pool->getGlobalRes();
    }
    void TearDown() override { qelUtils::releaseGlobals(); }

    qelAFPFont* font(const char* name, bool spool)
    {
        auto* f = new qelAFPFont();
        f->qelRes::setName(name);
        f->setFound(1);
        f->setInline(spool ? 1 : 0);
        f->setMapped(true);
        res->addResource(f);
        return f;
    }
    FakeParser* installOverlayParser()
    {
        auto* p = new FakeParser();
        pool->setResourceParser(QEL_POOL_OVERLAY_PARSER, p);
        return p;
    }

    qelGlobalDSPool* pool = nullptr;
    qelIni* ini = nullptr;
    qelGlobalRes* res = nullptr;
};

TEST_F(GlobalResTest, FontLookupPrefersLevelThenExactName)
{
    qelAFPFont* other = font("C1H200B0", false);
    EXPECT_EQ(res->getResource("C0H200B0", 3), other);

    qelAFPFont* exact = font("C0H200B0", false);
    EXPECT_EQ(res->getResource("C0H200B0", 3), exact);

    // A spool-level pattern match comes before a process-level exact name.
    qelAFPFont* inlined = font("C2H200B0", true);
    EXPECT_EQ(res->getResource("C0H200B0", 3), inlined);

    // Of several pattern matches the last one filed wins.
    qelAFPFont* later = font("X1GT10", false);
    qelAFPFont* last = font("X2GT10", false);
    (void)later;
    EXPECT_EQ(res->getResource("X0GT10", 3), last);
}

TEST_F(GlobalResTest, TextOfAnAliasedFontBindsToTheFiledFont)
{
    auto aliased = [] {
        auto* f = new qelAFPFont();
        f->addAliasName("Helv");
        auto* rep = new qelAFPFontRepresentation();
        rep->setRequestedName("C0TARGET");
        f->setRepresentation(rep);
        return f;
    };
    auto bind = [](qelAFPFont* f) {
        qelTextObject text;
        text.setText("ab");
        text.setFont(f);
        text.bindCodePoints();
    };

    // Nothing filed under the representation's name: nothing is bound.
    std::unique_ptr<qelAFPFont> alone(aliased());
    bind(alone.get());
    EXPECT_EQ(alone->findGlyphName("ALLCDEPG"), nullptr);

    qelAFPFont* target = font("C0TARGET", true);
    std::unique_ptr<qelAFPFont> withAlias(aliased());
    bind(withAlias.get());
    EXPECT_EQ(withAlias->findGlyphName("ALLCDEPG"), nullptr);
    EXPECT_NE(target->findGlyphName("ALLCDEPG"), nullptr);
}

TEST_F(GlobalResTest, FontNamesOfNoKnownFormAreNeitherFiledNorFound)
{
    auto* f = new qelAFPFont();
    f->qelRes::setName("T1V10500");
    res->addResource(f);
    EXPECT_EQ(res->getList(1, "T1V10500", 2), nullptr);
    EXPECT_EQ(res->getResource("T1V10500", 3), nullptr);
    delete f;
    EXPECT_NE(res->getList(1, "1234.5", 2), nullptr);
    EXPECT_EQ(res->getList(1, "1234.5", 2), res->getList(1, "default", 2));
}

TEST_F(GlobalResTest, MissingResourceUnderStrictGivesE084)
{
    FakeParser* parser = installOverlayParser();
    ini->setStrict(true);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            res->getResource("O1MISS", 1);
            ADD_FAILURE() << "no exception";
        } catch (qelException* e) {
            EXPECT_EQ(e->getId(), 84);
            EXPECT_EQ(std::string(e->getText()).rfind("E084: Required Resource (O1MISS) of Type (Overlay) not Found", 0),
                      0u);
            delete e;
        }
    }
    EXPECT_EQ(parser->asked.size(), 2u);
    EXPECT_EQ(res->findResource("O1MISS", 1), nullptr);
}

TEST_F(GlobalResTest, MissingResourceWithoutStrictIsAPlaceholder)
{
    FakeParser* parser = installOverlayParser();
    parser->known.push_back("O1HERE");
    ini->setQELNOP(true);
    pool->getHashIdMap()->addAlias([] {
        auto* a = new qelOverlayAliasName();
        a->setName("O1MISS");
        a->setHashId("O1HASHED");
        return a;
    }());

    qelRes* missing = res->getResource("O1MISS", 1);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->getFound(), 0);
    EXPECT_STREQ(missing->getFileName(), "O1HASHED");
    EXPECT_EQ(parser->fileNames.back(), "O1HASHED");
    EXPECT_EQ(res->getResource("O1MISS", 1), missing);
    EXPECT_EQ(parser->asked.size(), 1u);

    qelRes* here = res->getResource("O1HERE", 1);
    ASSERT_NE(here, nullptr);
    EXPECT_EQ(here->getFound(), 1);
    EXPECT_EQ(here->getInline(), 0);
    EXPECT_EQ(res->findResource("O1HERE", 1), here);

    ini->setStrict(true);
    EXPECT_THROW(
        {
            try {
                res->getResource("O1MISS", 1);
            } catch (qelException* e) {
                delete e;
                throw 1;
            }
        },
        int);
}

TEST_F(GlobalResTest, DefaultCodePageIsFiledOnceAndNotMissing)
{
    ini->setStrict(true);
    qelRes* first = res->getResource("DEFAULT", 4);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getFound(), 0);
    EXPECT_STREQ(first->getFileName(), "DEFAULT");
    EXPECT_EQ(res->getResource("default", 4), first);
    // No mapping definition: the built-in table's DEFAULT row, filed once.
    qelRes* font = res->getResource("DEFAULT", 3);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->getFound(), 0);
    EXPECT_STREQ(font->getFileName(), "DEFAULT");
    EXPECT_EQ(res->getResource("DEFAULT", 3), font);
}

TEST_F(GlobalResTest, MediumMapOfAFiledFormMapIsNotLoadedAgain)
{
    ini->setStrict(true);
    ini->addFormdefEntry("F1FORM=M1MAP,M2MAP,");
    auto* form = new qelFORMDEF("F1FORM");
    form->setFound(1);
    res->addResource(form);
    auto* parser = new FakeParser();
    pool->setResourceParser(QEL_POOL_FORM_DEF_PARSER, parser);
    EXPECT_EQ(res->getResource("M1MAP", 5), nullptr);
    EXPECT_TRUE(parser->asked.empty());
}

TEST_F(GlobalResTest, ScriptFontsGetTheirLocalIds)
{
    std::vector<qelAFPFont*> fonts;
    for (const char* name : {"C0A", "C0B", "C0C"}) {
        auto* f = new qelAFPFont();
        f->qelRes::setName(name);
        res->addScriptFont(f);
        fonts.push_back(f);
    }
    EXPECT_EQ(fonts[0]->getLocalId(), 501);
    EXPECT_EQ(fonts[2]->getLocalId(), 503);
    auto* early = new qelAFPFont();
    early->qelRes::setName("X0EARLY");
    res->addProcessScriptFont(early);
    EXPECT_EQ(early->getLocalId(), 1001);
    EXPECT_EQ(res->findProcessScriptFont("X1EARLY", 3), early);
    EXPECT_EQ(res->findScriptFont("C0B", 3), fonts[1]);

    fonts[1]->incrementUseCount();
    res->releaseUnusedScriptFonts();
    EXPECT_EQ(res->findScriptFont("C0A", 3), nullptr);
    EXPECT_EQ(res->findScriptFont("C0B", 3), fonts[1]);
    fonts[1]->decrementUseCount();
    res->releaseUnusedScriptFonts();
    EXPECT_EQ(res->findScriptFont("C0B", 3), nullptr);
}

TEST_F(GlobalResTest, ListingMarksPlaceholders)
{
    lrbtest::ScratchFolder dir;
    const std::string path = dir.file("res.log");
    qelLogStream* log = pool->getLogStream();
    log->setLevelMask(0x40000 | 0x80000);
    log->open(path.c_str());
    res->getResource("DEFAULT", 4);
    res->listResources(1);
    log->setLevelMask(0xFFFF);
    res->listResources(1);
    log->closeFile();

    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    const size_t cfnt = s.find("CFNT:None");
    const size_t xfnt = s.find("XFNT:None");
    EXPECT_NE(cfnt, std::string::npos);
    EXPECT_NE(xfnt, std::string::npos);
    EXPECT_LT(cfnt, xfnt);
    EXPECT_NE(s.find("DEFAULT(*)"), std::string::npos);
    EXPECT_NE(s.find("CDP:"), std::string::npos);
}
}
