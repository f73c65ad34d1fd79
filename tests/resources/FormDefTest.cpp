#include "../afp/AfpTestSupport.h"

#include "qelDocument.h"
#include "qelFORMDEF.h"
#include "qelFormDefParser.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMediumMap.h"
#include "qelModcaParser.h"
#include "qelPage.h"
#include "qelPtocaPage.h"
#include "qelSFIBlock.h"

#include <memory>

using namespace afptest;

namespace
{

// Medium Descriptor: ten-inch bases, 1440 units per inch, extents.
Bytes mediumDescriptor(int xExtent, int yExtent)
{
    return field(0xA688, cat({{0x00, 0x00, 0x38, 0x40, 0x38, 0x40}, offset3(xExtent), offset3(yExtent), {0x00}}));
}

// Page Position format 2 with one group of 10 bytes per offset pair.
Bytes pagePositions2(std::initializer_list<std::pair<int, int>> positions)
{
    Bytes data = {0x01};
    for (const auto& p : positions)
        append(data, cat({{0x0A}, offset3(p.first), offset3(p.second), {0x00, 0x00, 0x00}}));
    return field(0xB1AF, data);
}

// Map Medium Overlay of one overlay.
Bytes mapMediumOverlay(int id, const char* name)
{
    return field(0xB1DF, cat({{0x0C, 0x00, 0x00, 0x00}, {static_cast<unsigned char>(id), 0x00, 0x00, 0x00},
                              ebcdic(name)}));
}

// Map Page Overlay group: length, Fully Qualified Name, Resource Local Id.
Bytes mapPageOverlay(bool withLocalId)
{
    Bytes group = cat({{0x0C, 0x02, 0x84, 0x00}, ebcdic("O1PAGE  ")});
    if (withLocalId)
        append(group, {0x04, 0x24, 0x02, 0x01});
    const int length = 2 + static_cast<int>(group.size());
    return field(0xABD8, cat({{0x00, static_cast<unsigned char>(length)}, group}));
}

// Page Modification Control with one Resource Object Include of an overlay.
Bytes pageModificationControl(int id)
{
    return field(0xA7AF, cat({{static_cast<unsigned char>(id), 0x00, 0x13, 0x6C, 0xDF}, ebcdic("O1PMC   "),
                              offset3(10), offset3(20), {0x00, 0x00}}));
}

// The form definition of most tests: an environment group with MDD, PGP
// and MSU; M1 2-up simplex with two page positions, PMC, MPO and an
// overlay; M2 duplex whose second copy subgroup prints constant forms.
Bytes formDefinition()
{
    return cat({
        field(0xA8CD, ebcdic("F1TEST  ")),
        field(0xA8C4, ebcdic("DEG1    ")),
        mediumDescriptor(12240, 15840),
        field(0xACAF, cat({offset3(100), offset3(200)})),
        field(0xABEA, cat({ebcdic("SUPP1   "), {0x00, 0x01}})),
        field(0xA9C4, ebcdic("DEG1    ")),

        field(0xA8CC, ebcdic("M1      ")),
        field(0xA288, {0x00, 0x01, 0x00, 0x01, 0x00, 0x01}),
        field(0xA788, {0x01, 0xFF, 0xF4, 0x01, 0xFC, 0x02, 0xF2, 0x01}),
        mapMediumOverlay(1, "O1MEDIUM"),
        pagePositions2({{0, 0}, {0, 1200}}),
        pageModificationControl(5),
        mapPageOverlay(true),
        field(0xA9CC, ebcdic("M1      ")),

        field(0xA8CC, ebcdic("M2      ")),
        field(0xA288, {0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00, 0x02}),
        field(0xA788, {0x01, 0xFF, 0xF4, 0x02}),
        field(0xA788, {0x02, 0xFF, 0xF4, 0x02, 0xF9, 0x01, 0xF2, 0x01}),
        mapMediumOverlay(1, "O2BACK  "),
        field(0xA9CC, ebcdic("M2      ")),
        field(0xA9CD, ebcdic("F1TEST  ")),
    });
}

class FormDefTest : public AfpTest
{
protected:
    void SetUp() override
    {
        AfpTest::SetUp();
        ini()->setQuietMode(false);
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        AfpTest::TearDown();
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    static qelGlobalRes* resources() { return qelGlobalDSPool::getInstance()->getGlobalRes(); }
    static qelFormDefParser* formParser()
    {
        return dynamic_cast<qelFormDefParser*>(qelGlobalDSPool::getInstance()->getFormDefParser());
    }
    static qelMediumMap* map(const char* name)
    {
        return static_cast<qelMediumMap*>(resources()->findResource(name, qelRes::TYPE_MEDIUM_MAP));
    }
    // A form definition file in the scratch folder, on FormDefPath.
    void installForm(const std::string& file, const Bytes& bytes)
    {
        writeFile(file, bytes);
        ini()->setFormDefPath(m_dir.c_str());
    }
    template <class T> static std::vector<T*> items(qelList* list)
    {
        std::vector<T*> out;
        for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
            out.push_back(static_cast<T*>(n->item));
        return out;
    }
};

TEST_F(FormDefTest, FileOnThePathIsReadIntoRegisteredMediumMaps)
{
    installForm("F1TEST.FDF", formDefinition());
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    std::unique_ptr<qelRes> form(formParser()->parse("F1TEST", 1, nullptr));
    ASSERT_NE(form, nullptr) << output();
    EXPECT_EQ(qelIOStream::getCurrent(), &before);
    EXPECT_EQ(form->getType(), static_cast<uint32_t>(qelRes::TYPE_FORM_MAP));
    EXPECT_STREQ(form->getName(), "F1TEST");
    EXPECT_EQ(std::string(form->getFileName()), m_dir + "/F1TEST.FDF");
    EXPECT_NE(output().find("Loading resource file " + m_dir + "/F1TEST.FDF"), std::string::npos);

    // Defaults of the environment group.
    qelFormDefParser* parser = formParser();
    int32_t x = 0, y = 0;
    parser->getDefaultPagePosition(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
    EXPECT_EQ(parser->getDefaultXUnitBase(), 0);
    EXPECT_EQ(parser->getDefaultXUnitsPerBase(), 14400);
    EXPECT_EQ(parser->getDefaultXExtent(), 12240);
    EXPECT_EQ(parser->getDefaultYExtent(), 15840);

    qelMediumMap* m1 = map("M1");
    qelMediumMap* m2 = map("M2");
    ASSERT_NE(m1, nullptr);
    ASSERT_NE(m2, nullptr);
    for (qelMediumMap* m : {m1, m2}) {
        EXPECT_EQ(m->getFound(), 1);
        EXPECT_EQ(m->getInline(), 0);
        EXPECT_EQ(m->getFormDefinition(), form.get());
        EXPECT_STREQ(m->getFormDefName(), "F1TEST");
        EXPECT_EQ(m->getXUnits(), 14400);
        EXPECT_EQ(m->getXExtent(), 12240);
        EXPECT_EQ(std::string(m->getFileName()), m_dir + "/F1TEST.FDF");
    }
    // Process level: the file is not the print file.
    EXPECT_EQ(resources()->findInList("M1", qelRes::TYPE_MEDIUM_MAP,
                                      resources()->getList(qelGlobalRes::LEVEL_PROCESS, "M1", 4)),
              m1);

    auto subgroups = items<qelMediumMap::CopySubgroup>(m1->getCopySubgroups());
    ASSERT_EQ(subgroups.size(), 1u);
    EXPECT_EQ(subgroups[0]->mmcId, 1);
    auto mmcs = items<qelMediumMap::MMC>(m1->getMMCs());
    ASSERT_EQ(mmcs.size(), 1u);
    EXPECT_EQ(mmcs[0]->duplex, 1);
    EXPECT_EQ(mmcs[0]->nUp, 2);
    EXPECT_EQ(mmcs[0]->overlayCount, 1);
    EXPECT_STREQ(m1->getMappedResourceName(1), "O1MEDIUM");
    auto positions = items<qelMediumMap::PagePosition>(m1->getPagePositions());
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[1]->yOffset, 1200);
    EXPECT_EQ(positions[1]->pmcId, 0xFF);
    EXPECT_EQ(positions[1]->flags, 0);
    auto pmcs = items<qelMediumMap::PMC>(m1->getPMCs());
    ASSERT_EQ(pmcs.size(), 1u);
    EXPECT_EQ(pmcs[0]->id, 5);
    ASSERT_NE(pmcs[0]->includes, nullptr);
    EXPECT_EQ(pmcs[0]->includes->getCount(), 1);
    // The last Page Position read gives the offset; M2 has none of its own.
    EXPECT_EQ(m1->getYOffset(), 1200);
    EXPECT_EQ(m2->getYOffset(), 1200);
    EXPECT_EQ(items<qelMediumMap::MMC>(m2->getMMCs()).size(), 2u);
}

// A medium map without a Page Position keeps the offsets of the last one
// read in the form map; a Medium Descriptor inside a map changes only it.
TEST_F(FormDefTest, MapsInheritTheLastPagePosition)
{
    const Bytes pgp = field(0xACAF, cat({offset3(0x00FF38), offset3(100)}));
    const struct
    {
        const char* what;
        Bytes environment;
        int32_t x, y;
    } cases[] = {
        {"position of the environment group", cat({field(0xA8C4, {}), pgp, field(0xA9C4, {})}), -200, 100},
        {"no position at all", Bytes(), 0, 0},
    };
    for (const auto& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        Bytes form = cat({field(0xA8CD, {}), c.environment, field(0xA8CC, ebcdic("NOPOS   ")),
                          mediumDescriptor(100, 200), field(0xA9CC, {}), field(0xA9CD, {})});
        qelIOStream input(form.data(), static_cast<int>(form.size()));
        qelIOStream::setCurrent(&input);
        std::unique_ptr<qelRes> res(formParser()->parse("F", 0, nullptr));
        qelIOStream::setCurrent(nullptr);
        ASSERT_NE(map("NOPOS"), nullptr) << c.what;
        EXPECT_EQ(map("NOPOS")->getXOffset(), c.x) << c.what;
        EXPECT_EQ(map("NOPOS")->getYOffset(), c.y) << c.what;
        EXPECT_EQ(map("NOPOS")->getXExtent(), 100) << c.what;
        EXPECT_EQ(formParser()->getDefaultXExtent(), 0) << c.what;
        EXPECT_EQ(formParser()->getDefaultXUnitBase(), 0xFF) << c.what;
    }
}

TEST_F(FormDefTest, MissingFileGivesE058AndNull)
{
    ini()->setFormDefPath(m_dir.c_str());
    EXPECT_EQ(formParser()->parse("F1NONE", 1, nullptr), nullptr);
    EXPECT_NE(output().find("E058: Resource (F1NONE) not found"), std::string::npos);
}

TEST_F(FormDefTest, FirstFieldNotAFormMapGivesAnEmptyFormDefinition)
{
    installForm("F1ODD.FDF", cat({field(0xA8CC, ebcdic("M9      ")), field(0xA9CC, ebcdic("M9      "))}));
    ini()->setAttribute("FormdefExt", "FDF");
    std::unique_ptr<qelRes> form(formParser()->parse("F1ODD", 1, nullptr));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(map("M9"), nullptr);
    EXPECT_NE(output().find("Warning! Unexpected SFType ID : 0xa8cc"), std::string::npos) << output();
}

TEST_F(FormDefTest, ThreeByteOffsets)
{
    const struct
    {
        int bytes;
        int32_t value;
    } cases[] = {
        {0x00FF38, -200}, {0x000064, 100}, {0xFFFF38, -200}, {0xFF0064, 100},
        {0x010000, 65536}, {0x7FFFFF, 8388607}, {0x800000, -8388608}, {0xFE0000, -131072},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelFormDefParser::offsetOf3Bytes(static_cast<uint8_t>(c.bytes >> 16),
                                                   static_cast<uint8_t>(c.bytes >> 8), static_cast<uint8_t>(c.bytes)),
                  c.value)
            << std::hex << c.bytes;
}

// Medium Modification Control edge cases, one medium map each.
TEST_F(FormDefTest, MediumModificationControlKeywords)
{
    const struct
    {
        const char* what;
        Bytes data;
        int overlays;
        int suppressions;
        int duplex;
        const char* message;
    } cases[] = {
        {"nine overlay ids keep eight",
         {0x01, 0xFF, 0xF2, 1, 0xF2, 2, 0xF2, 3, 0xF2, 4, 0xF2, 5, 0xF2, 6, 0xF2, 7, 0xF2, 8, 0xF2, 9}, 8, 0, 1,
         "Medium Overlay exceeds the maximum limit \n"},
        {"reserved byte not X'FF'", {0x01, 0x00, 0xF4, 0x03}, 0, 0, 3, "Warning! Reserved Byte should be 0xFF\n"},
        {"unknown keyword takes its parameter", {0x01, 0xFF, 0x77, 0xF4, 0xF4, 0x02}, 0, 0, 2,
         "Warning! Unexpected Keyword 0x77 \n"},
        {"suppression ids 1 to 127 only", {0x01, 0xFF, 0xF3, 0x80, 0xF3, 0x7F, 0xF3, 0x00}, 0, 1, 1, nullptr},
        {"illegal duplex value is kept", {0x01, 0xFF, 0xF4, 0x07}, 0, 0, 7, nullptr},
    };
    for (const auto& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        std::fflush(m_out);
        const long before = std::ftell(m_out);
        Bytes form = cat({field(0xA8CD, ebcdic("F1MMC   ")), field(0xA8CC, ebcdic("MMC1    ")), field(0xA788, c.data),
                          field(0xA9CC, {}), field(0xA9CD, {})});
        qelIOStream input(form.data(), static_cast<int>(form.size()));
        qelIOStream::setCurrent(&input);
        std::unique_ptr<qelRes> res(formParser()->parse("F1MMC", 0, nullptr));
        qelIOStream::setCurrent(nullptr);
        ASSERT_NE(res, nullptr) << c.what;
        qelMediumMap* m = map("MMC1");
        ASSERT_NE(m, nullptr) << c.what;
        auto mmcs = items<qelMediumMap::MMC>(m->getMMCs());
        ASSERT_EQ(mmcs.size(), 1u) << c.what;
        EXPECT_EQ(mmcs[0]->overlayCount, c.overlays) << c.what;
        EXPECT_EQ(mmcs[0]->suppressionCount, c.suppressions) << c.what;
        EXPECT_EQ(mmcs[0]->duplex, c.duplex) << c.what;
        const std::string text = output().substr(static_cast<size_t>(before));
        if (c.message) {
            EXPECT_NE(text.find(c.message), std::string::npos) << c.what << ": " << text;
            EXPECT_EQ(text.find("Unexpected Keyword 0x2"), std::string::npos) << c.what;
        }
    }
}

TEST_F(FormDefTest, MediumMapTextsInTheLog)
{
    Bytes form = cat({
        field(0xA8CD, ebcdic("F1LOG   ")),
        field(0xA8CC, ebcdic("LOG1    ")),
        field(0xA688, cat({{0x00, 0x00, 0x38, 0x40, 0x38, 0x40}, offset3(31681), offset3(0xFFFF), {0x00}})),
        field(0xA788, {0x01, 0xFF, 0x90, 0x01, 0xF9, 0x01, 0xF9, 0x00, 0xB5, 0x03, 0xF4, 0x01}),
        field(0xB1AF, {0x01, 0x0A, 0, 0, 0, 0, 0, 0, 0x10, 0x00, 0x09}),
        mapMediumOverlay(0, "O0      "),
        field(0xA9CC, {}),
        field(0xA9CD, {}),
    });
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(0x10F);
    const std::string logPath = m_dir + "/form.log";
    log->open(logPath.c_str());
    ASSERT_NE(log->getFile(), nullptr);
    qelIOStream input(form.data(), static_cast<int>(form.size()));
    qelIOStream::setCurrent(&input);
    std::unique_ptr<qelRes> res(formParser()->parse("F1LOG", 0, nullptr));
    qelIOStream::setCurrent(nullptr);
    log->closeFile();
    ASSERT_NE(res, nullptr);
    const std::string text = [&] {
        Bytes b = readFile(logPath);
        return std::string(b.begin(), b.end());
    }();
    for (const char* expected : {
             "Medium extent for X axis: 31681 (Invalid value, should be within 1 to 31680)",
             "Medium extent for Y axis: 65535 (Presentation process default)",
             "Keyword:0x90, Media Destination Selctor(High-Order): 0x1",
             "Keyword:(0x0xF9, Constant Forms Control): 0x1 ( Present Only Medium Overlay data )",
             "Keyword:(0xF9, Constant Forms Control): 0x0 ( Present both Variable and Medium Overlay data )",
             "Keyword:0xB5, Presentation Sub System setup ID(LSB)",
             "Keyword:0xF4, Duplex Control ID: 0x1  ( Simplex )",
             "Warning! Illegal Value for The page Orientation: 0x1000",
             "Warning! Overlay local id is out of range (at 0x",
             "Med Oly ID 0x0 mapped to external medium overlay O0",
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    // The overlay with id 0 is still mapped; the bad orientation reads as 0.
    qelMediumMap* m = map("LOG1");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->getMappedResourceName(0), "O0");
    auto positions = items<qelMediumMap::PagePosition>(m->getPagePositions());
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0]->orientation, 0);
    EXPECT_EQ(positions[0]->sheetSide, 9);
    // The message output gets the offset of the field as a long.
    EXPECT_NE(output().find("Warning! Overlay local id is out of range (at 0x"), std::string::npos);
}

TEST_F(FormDefTest, PagePositionGroupLengths)
{
    const struct
    {
        Bytes group;
        size_t positions;
        int flags;
        int pmc;
    } cases[] = {
        {{0x0A, 0, 0, 1, 0, 0, 2, 0x2D, 0x00, 0x01}, 1, 0, 0xFF},
        {{0x0B, 0, 0, 1, 0, 0, 2, 0x2D, 0x00, 0x01, 0x40}, 1, 0x40, 0xFF},
        {{0x0C, 0, 0, 1, 0, 0, 2, 0x2D, 0x00, 0x01, 0x00, 0x81}, 1, 0, 0x81},
        {{0x09, 0, 0, 1, 0, 0, 2, 0x2D, 0x00}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        Bytes data = {0x01};
        append(data, c.group);
        Bytes form = cat({field(0xA8CD, {}), field(0xA8CC, ebcdic("PGP2    ")), field(0xB1AF, data), field(0xA9CC, {}),
                          field(0xA9CD, {})});
        qelIOStream input(form.data(), static_cast<int>(form.size()));
        qelIOStream::setCurrent(&input);
        std::unique_ptr<qelRes> res(formParser()->parse("F", 0, nullptr));
        qelIOStream::setCurrent(nullptr);
        qelMediumMap* m = map("PGP2");
        ASSERT_NE(m, nullptr);
        auto positions = items<qelMediumMap::PagePosition>(m->getPagePositions());
        ASSERT_EQ(positions.size(), c.positions) << int(c.group[0]);
        if (c.positions) {
            EXPECT_EQ(positions[0]->xOffset, 1);
            EXPECT_EQ(positions[0]->yOffset, 2);
            EXPECT_EQ(positions[0]->orientation, 90);
            EXPECT_EQ(positions[0]->flags, c.flags);
            EXPECT_EQ(positions[0]->pmcId, c.pmc);
        } else {
            EXPECT_NE(output().find("Warning! Invalid repeating group length page format 2 (RGLength): 0x09\n"),
                      std::string::npos);
        }
    }
}

TEST_F(FormDefTest, MapMediumOverlayInTheEnvironmentGroupIsIgnored)
{
    Bytes form = cat({field(0xA8CD, {}), field(0xA8C4, {}), mapMediumOverlay(1, "O1DEG   "), field(0xA9C4, {}),
                      field(0xA8CC, ebcdic("AFTER   ")), field(0xA9CC, {}), field(0xA9CD, {})});
    qelIOStream input(form.data(), static_cast<int>(form.size()));
    qelIOStream::setCurrent(&input);
    std::unique_ptr<qelRes> res(formParser()->parse("F", 0, nullptr));
    qelIOStream::setCurrent(nullptr);
    ASSERT_NE(res, nullptr);
    ASSERT_NE(map("AFTER"), nullptr);
    EXPECT_EQ(map("AFTER")->getMappedResources()->getCount(), 0);
    EXPECT_NE(output().find("Warning! Map Medium Overlay outside a medium map ignored"), std::string::npos);
}

// A parse that fails after a medium map was registered: the map stays and
// no longer points at the discarded form definition.
TEST_F(FormDefTest, MapsOfAFailedParseStayWithoutTheirFormDefinition)
{
    const Bytes head = cat({field(0xA8CD, {}), field(0xA8CC, ebcdic("KEPT    ")), field(0xA9CC, {}),
                            field(0xA8CC, ebcdic("BROKEN  "))});
    const struct
    {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"missing mandatory triplet", cat({head, mapPageOverlay(false), field(0xA9CC, {}), field(0xA9CD, {})}),
         "E009"},
        {"file ends inside the form map", head, "I001"},
    };
    for (const auto& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        ini()->setQuietMode(false);
        installForm("F1BAD.FDF", c.bytes);
        EXPECT_EQ(formParser()->parse("F1BAD", 1, nullptr), nullptr) << c.what;
        ASSERT_NE(map("KEPT"), nullptr) << c.what;
        EXPECT_EQ(map("KEPT")->getFormDefinition(), nullptr) << c.what;
        EXPECT_EQ(map("BROKEN"), nullptr) << c.what;
        EXPECT_NE(output().find(c.message), std::string::npos) << c.what;
        EXPECT_EQ(qelIOStream::getCurrent(), nullptr) << c.what;
        // Still listed and selectable.
        std::unique_ptr<char[]> listing(map("KEPT")->describe());
        EXPECT_NE(listing, nullptr);
        EXPECT_EQ(qelGlobalDSPool::getInstance()->getModcaParser()->selectMediumMap("KEPT"), map("KEPT")) << c.what;
        // The document parser takes its input stream with it.
        qelUtils::releaseGlobals();
    }
}

// An inline form map cut short by the end of the input is an error for the
// caller, not the end of the print file.
TEST_F(FormDefTest, InlineFormMapCutShortIsAnError)
{
    Bytes rest = cat({field(0xA8CC, ebcdic("CUT1    ")), field(0xA9CC, {})});
    Bytes begin = field(0xA8CD, {});
    qelIOStream input(rest.data(), static_cast<int>(rest.size()));
    qelIOStream::setCurrent(&input);
    qelIOStream beginInput(begin.data(), static_cast<int>(begin.size()));
    qelAFPParser reader(false);
    qelSFIBlock* field = reader.readNextSF(&beginInput);
    Raised r = raised([&] { formParser()->parse(field); });
    qelIOStream::setCurrent(nullptr);
    EXPECT_TRUE(r.id == 1 || r.id == 199) << r.id;
    EXPECT_EQ(r.kind, QEL_MSG_ERROR);
    ASSERT_NE(map("CUT1"), nullptr);
}

TEST_F(FormDefTest, InlineFormMapHasNoFormDefinition)
{
    installForm("F1TEST.FDF", formDefinition());
    std::unique_ptr<qelRes> earlier(formParser()->parse("F1TEST", 1, nullptr));
    ASSERT_NE(earlier, nullptr);

    Bytes rest = cat({field(0xA8CC, ebcdic("INL1    ")), field(0xA9CC, {}), field(0xA9CD, {})});
    Bytes begin = field(0xA8CD, ebcdic("F1INL   "));
    qelIOStream input(rest.data(), static_cast<int>(rest.size()));
    input.setSpoolInput(true);
    qelIOStream::setCurrent(&input);
    qelIOStream beginInput(begin.data(), static_cast<int>(begin.size()));
    qelAFPParser reader(false);
    formParser()->parse(reader.readNextSF(&beginInput));
    qelIOStream::setCurrent(nullptr);
    ASSERT_NE(map("INL1"), nullptr);
    EXPECT_EQ(map("INL1")->getFormDefinition(), nullptr);
    // Read from the print file: spool level.
    EXPECT_EQ(map("INL1")->getInline(), 1);
}

} // namespace
