#include "CapturedOutput.h"
#include "../afp/AfpTestSupport.h"

#include "qelAFPObject.h"
#include "qelDocument.h"
#include "qelIndex.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelList.h"
#include "qelMappingDef.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelMediumMap.h"
#include "qelModcaParser.h"
#include "qelPage.h"
#include "qelPtocaPage.h"
#include "qelResParser.h"
#include "NullVisitor.h"

#include <memory>

using namespace afptest;

namespace {

const std::string kDataDir = std::string(LORBANE_SOURCE_DIR) + "/data/";

class ModcaParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qelUtils::releaseGlobals();
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        ini()->setQuietMode(false);
        loadMappingDef();
    }
    // AFP input runs with the shipped font mapping definition loaded: text
    // without a library font falls back to its DEFAULT font.
    static void loadMappingDef()
    {
        ini()->setCpPath(kDataDir.c_str());
        auto* definition = new qelMappingDef();
        qelGlobalDSPool::getInstance()->setMappingDef(definition);
        ASSERT_EQ(definition->load(), 1);
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        qelUtils::resetEbcdicTables();
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    std::string output() { return lrbtest::streamText(m_out); }
    // Writes the bytes to a temporary file and returns its path.
    std::string writeFile(const Bytes& bytes)
    {
        char name[] = "/tmp/modcaXXXXXX";
        int fd = mkstemp(name);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
        m_files.push_back(name);
        return name;
    }
    static qelModcaParser* parserFor(const std::string& path)
    {
        qelModcaParser* parser = qelGlobalDSPool::getInstance()->getModcaParser();
        parser->setInputKind(QEL_INPUT_FILE);
        parser->setInputFileName(path.c_str());
        return parser;
    }
    struct Call
    {
        int state;
        int pages;
        std::string firstPage;
    };
    static qelPage* firstPage(qelDocument* doc)
    {
        // Writing without a visitor lays out the page table.
        doc->write(nullptr);
        return doc->getFirstPage();
    }
    static std::vector<Call> runAll(qelModcaParser* parser)
    {
        std::vector<Call> calls;
        std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
        while (doc) {
            qelPage* first = firstPage(doc.get());
            calls.push_back({parser->getParseState(), doc->getPageCount(),
                             first && first->getName() ? first->getName() : ""});
            doc.reset(parser->parseNext(nullptr));
        }
        return calls;
    }

    FILE* m_out = nullptr;
    std::vector<std::string> m_files;

public:
    ~ModcaParserTest() override
    {
        for (const std::string& f : m_files)
            unlink(f.c_str());
    }
};

// A form map loader whose library holds nothing.
class NoFormMaps : public qelResParser
{
public:
    qelRes* parse(const char*, int, const char*) override { return nullptr; }
    void setResourceName(const char*) override {}
    void setFileName(const char*) override {}
    char* findResourceFile() override { return nullptr; }
};

const std::string kHello = std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp";
const std::string kRich = std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp";
// Two page groups (pages 1-2 tagged Customer=ACME 42, page 3 Customer=OTHER
// 7); every page tagged PageTag=P1.
const std::string kTagged = std::string(LORBANE_TEST_DATA) + "/fop/fop-tle.afp";

// "name=value" of every entry of a set.
std::vector<std::string> entriesOf(qelIndexSet* set)
{
    std::vector<std::string> texts;
    for (qelIndex* e = set ? set->getFirstIndex() : nullptr; e; e = set->getNextIndex())
        texts.push_back(std::string(e->getName() ? e->getName() : "") + "=" + (e->getValue() ? e->getValue() : ""));
    return texts;
}

Bytes readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(ModcaParserTest, PageWiseDeliveryOfTheProducedFiles)
{
    struct Case
    {
        const std::string* file;
        std::vector<Call> expected;
    } cases[] = {
        {&kHello, {{2, 1, "PGN00001"}, {2, 1, "PGN00002"}, {8, 0, ""}, {32, 0, ""}}},
        {&kRich, {{2, 1, ""}, {8, 0, ""}, {32, 0, ""}}},
    };
    for (const Case& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        loadMappingDef();
        std::vector<Call> calls = runAll(parserFor(*c.file));
        ASSERT_EQ(calls.size(), c.expected.size()) << *c.file;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].state, c.expected[i].state) << *c.file << " call " << i;
            EXPECT_EQ(calls[i].pages, c.expected[i].pages) << *c.file << " call " << i;
            if (!c.expected[i].firstPage.empty()) {
                EXPECT_EQ(calls[i].firstPage, c.expected[i].firstPage);
            }
        }
    }
    EXPECT_NE(output().find("End of File - " + kRich), std::string::npos);
}

// Records where the images of the pages are drawn.
class ImagePositions : public lrbtest::NullVisitor
{
public:
    bool isDocumentOpen() override { return true; }
    int writeResourceReference(qelResourceReference*, bool) override { return 2; }
    void writeImageObject(qelImageObject* image) override { positions.push_back(image->getAbsolutePosition()); }
    std::vector<qelPoint> positions;
};

// The page includes the two image resources of the spool; they are drawn
// at the include positions.
TEST_F(ModcaParserTest, PageIncludesDrawTheImageResources)
{
    qelModcaParser* parser = parserFor(kRich);
    ImagePositions visitor;
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    ASSERT_TRUE(doc) << output();
    while (doc) {
        doc->write(&visitor);
        doc.reset(parser->parseNext(nullptr));
    }
    ASSERT_EQ(visitor.positions.size(), 2u) << output();
    EXPECT_FLOAT_EQ(visitor.positions[0].x, 402.0f);
    EXPECT_FLOAT_EQ(visitor.positions[0].y, 548.0f);
    EXPECT_FLOAT_EQ(visitor.positions[1].x, 402.0f);
    EXPECT_FLOAT_EQ(visitor.positions[1].y, 850.0f);
}

TEST_F(ModcaParserTest, WholeDocumentWithoutPageWiseDelivery)
{
    ini()->setDocumentGrouping(false);
    std::vector<Call> calls = runAll(parserFor(kHello));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].state, 8);
    EXPECT_EQ(calls[0].pages, 2);
    EXPECT_EQ(calls[1].state, 32);
}

TEST_F(ModcaParserTest, EndOfInputInsideAContainerNamesIt)
{
    Bytes hello = readAll(kHello);
    Bytes cut(hello.begin(), hello.begin() + 0x100);
    Bytes resourceOnly = field(0xA8C6, {});
    append(resourceOnly, field(0xA9C6, {}));
    Bytes pageOnly = field(0xA8AF, {});
    Bytes pageClosed = pageOnly;
    append(pageClosed, field(0xA9AF, {}));
    struct Case
    {
        const char* what;
        Bytes input;
        int id;
    } cases[] = {
        {"cut inside page 1", cut, 6},
        {"only a resource group", resourceOnly, 10},
        {"page without end", pageOnly, 14},
        {"page without document", pageClosed, -1},
    };
    for (const Case& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        loadMappingDef();
        qelModcaParser* parser = parserFor(writeFile(c.input));
        Raised r = raised([&] { runAll(parser); });
        EXPECT_EQ(r.id, c.id) << c.what;
    }
}

TEST_F(ModcaParserTest, InvokedMediumMapIsAPlaceholderOrMissingUnderStrict)
{
    Bytes input = field(0xA8A8, ebcdic("DOC1    "));
    append(input, field(0xABCC, ebcdic("MMAP0001")));
    append(input, field(0xA8AF, ebcdic("P1      ")));
    append(input, field(0xA9AF, ebcdic("P1      ")));
    append(input, field(0xA9A8, ebcdic("DOC1    ")));
    const std::string path = writeFile(input);

    qelGlobalDSPool::getInstance()->setResourceParser(QEL_POOL_FORM_DEF_PARSER, new NoFormMaps());
    qelModcaParser* parser = parserFor(path);
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    ASSERT_TRUE(doc);
    ASSERT_NE(parser->getCurrentMediumMap(), nullptr);
    EXPECT_STREQ(parser->getCurrentMediumMap()->getName(), "MMAP0001");
    EXPECT_EQ(parser->getCurrentMediumMap()->getFound(), 0);
    ASSERT_NE(firstPage(doc.get()), nullptr);
    EXPECT_STREQ(firstPage(doc.get())->getMediumMapName(), "MMAP0001");

    qelUtils::releaseGlobals();
    qelMessageOutput::set(m_out);
    loadMappingDef();
    ini()->setStrict(true);
    qelGlobalDSPool::getInstance()->setResourceParser(QEL_POOL_FORM_DEF_PARSER, new NoFormMaps());
    parser = parserFor(path);
    Raised r = raised([&] { runAll(parser); });
    EXPECT_EQ(r.id, 84);
}

TEST_F(ModcaParserTest, ImageInAPageIsReadNotCounted)
{
    Bytes input = field(0xA8A8, {});
    append(input, field(0xA8AF, ebcdic("P1      ")));
    append(input, field(0xA8FB, {}));     // IOCA image
    append(input, field(0xA8C7, {}));
    append(input, field(0xA9C7, {}));
    append(input, field(0xA9FB, {}));
    append(input, field(0xA89B, {}));     // text: passed over quietly
    append(input, field(0xA99B, {}));
    append(input, field(0xA9AF, {}));
    append(input, field(0xA9A8, {}));
    qelModcaParser* parser = parserFor(writeFile(input));
    std::vector<Call> calls = runAll(parser);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].pages, 1);
    EXPECT_EQ(parser->getIgnoredObjectCount(), 0);
    EXPECT_EQ(output().find("Unsupported object"), std::string::npos) << output();
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(ModcaParserTest, GraphicsKeptRawForAfpOutput)
{
    // Sum of the length fields of the graphics object's kept fields.
    const int kept[] = {0xA8BB, 0xA9BB, 0xA66B, 0xA6BB, 0xA8C7, 0xA9C7, 0xAB8A, 0xABBB, 0xABC3, 0xAC6B, 0xEEBB};
    Bytes rich = readAll(kRich);
    int expected = 0;
    bool inside = false;
    for (size_t at = 0; at + 9 <= rich.size();) {
        const int length = (rich[at + 1] << 8) | rich[at + 2];
        const int id = (rich[at + 4] << 8) | rich[at + 5];
        if (id == 0xA8BB)
            inside = true;
        if (inside)
            for (int k : kept)
                if (k == id)
                    expected += length;
        if (id == 0xA9BB)
            inside = false;
        at += 1 + static_cast<size_t>(length);
    }
    ASSERT_GT(expected, 0);

    ini()->setOutputFormat("AFP");
    qelModcaParser* parser = parserFor(kRich);
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    ASSERT_TRUE(doc);
    auto* page = dynamic_cast<qelPtocaPage*>(firstPage(doc.get()));
    ASSERT_NE(page, nullptr);
    int objects = 0;
    int total = 0;
    for (qelListNode* n = page->getObjectList() ? page->getObjectList()->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (object->kind() == qelGraphicObject::KIND_AFP) {
            ++objects;
            total = static_cast<qelAFPObject*>(object)->getTotalLength();
        }
    }
    EXPECT_EQ(objects, 1);
    EXPECT_EQ(total, expected);
}

TEST_F(ModcaParserTest, GraphicsOfAPageBecomeItsObjectsOutsideAFPOutput)
{
    ini()->setOutputFormat("PDF");
    qelModcaParser* parser = parserFor(kRich);
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    ASSERT_TRUE(doc);
    auto* page = dynamic_cast<qelPtocaPage*>(firstPage(doc.get()));
    ASSERT_NE(page, nullptr);
    int boxes = 0, arcs = 0, kept = 0;
    for (qelListNode* n = page->getObjectList() ? page->getObjectList()->getHead() : nullptr; n; n = n->next) {
        switch (static_cast<qelGraphicObject*>(n->item)->kind()) {
        case qelGraphicObject::KIND_BOX: ++boxes; break;
        case qelGraphicObject::KIND_FULL_ARC: ++arcs; break;
        case qelGraphicObject::KIND_AFP: ++kept; break;
        default: break;
        }
    }
    EXPECT_GE(boxes, 1);
    EXPECT_EQ(arcs, 1);
    EXPECT_EQ(kept, 0);
}

} // namespace

TEST_F(ModcaParserTest, TaggedPageGroupsAndPagesGiveTheirIndexEntries)
{
    qelModcaParser* parser = parserFor(kTagged);
    std::vector<std::string> pages;
    std::vector<std::vector<std::string>> pageEntries;
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    while (doc) {
        if (qelPage* page = firstPage(doc.get())) {
            pages.push_back(page->getName() ? page->getName() : "");
            std::vector<std::string> texts;
            for (qelIndex* e = page->getFirstIndex(); e; e = page->getNextIndex())
                texts.push_back(std::string(e->getName()) + "=" + e->getValue());
            pageEntries.push_back(texts);
        }
        doc.reset(parser->parseNext(nullptr));
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"PGN00001", "PGN00002", "PGN00003"}));
    for (const auto& texts : pageEntries)
        EXPECT_EQ(texts, std::vector<std::string>{"PageTag=P1"});

    qelIndexList* list = qelGlobalDSPool::getInstance()->getIndexList();
    ASSERT_NE(list, nullptr);
    qelList* groups = list->getPageIndexes();
    EXPECT_EQ(entriesOf(list->findIndex("PGP00001", 1, groups)), std::vector<std::string>{"Customer=ACME 42"});
    EXPECT_EQ(entriesOf(list->findIndex("PGP00002", 1, groups)), std::vector<std::string>{"Customer=OTHER 7"});
}

TEST_F(ModcaParserTest, DocumentIndexModeGivesOneDocumentPerPageGroup)
{
    ini()->setFileCreationMode("DOC_INDEX");
    qelModcaParser* parser = parserFor(kTagged);
    std::vector<int> pageCounts;
    std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
    while (doc) {
        firstPage(doc.get());
        if (doc->getPageCount() > 0)
            pageCounts.push_back(doc->getPageCount());
        doc.reset(parser->parseNext(nullptr));
    }
    EXPECT_EQ(pageCounts, (std::vector<int>{2, 1}));
}

TEST_F(ModcaParserTest, NamesOfFullyQualifiedNameTripletsAreFreedOnce)
{
    // Fully Qualified Name triplet (type X'01', character name).
    auto named = [](const char* name, const char* fullName) {
        Bytes data = ebcdic(name);
        const Bytes text = ebcdic(fullName);
        append(data, Bytes{static_cast<uint8_t>(4 + text.size()), 0x02, 0x01, 0x00});
        append(data, text);
        return data;
    };
    Bytes input = field(0xA8A8, named("DOC1    ", "DOCUMENT-ONE"));
    append(input, field(0xA8AD, named("GRP1    ", "GROUP-ONE")));
    append(input, field(0xA8AF, named("P1      ", "PAGE-ONE")));
    append(input, field(0xA9AF, named("P1      ", "PAGE-ONE")));
    append(input, field(0xA9AD, named("GRP1    ", "GROUP-ONE")));
    append(input, field(0xA9A8, named("DOC1    ", "DOCUMENT-ONE")));
    qelModcaParser* parser = parserFor(writeFile(input));
    std::vector<Call> calls = runAll(parser);
    bool pageNamed = false;
    for (const Call& c : calls)
        pageNamed = pageNamed || c.firstPage == "PAGE-ONE";
    EXPECT_TRUE(pageNamed);
    // The pool's triplet reader is reset here; it must not free the names
    // the parser already took.
    qelUtils::releaseGlobals();
}
