#include "KernelTestSupport.h"

#include "qelCSVIndexImplementor.h"
#include "qelDocumentIndex.h"
#include "qelIndex.h"
#include "qelIndexElement.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelSPCSVIndexImplementor.h"
#include "qelSPXMLIndexImplementor.h"
#include "qelXMLIndexImplementor.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>

using namespace kerneltest;

namespace {

qelIndex* entry(const char* name, const char* value)
{
    auto* e = new qelIndex();
    e->setName(name);
    e->setValue(value);
    return e;
}

std::vector<std::string> names(qelIndexSet& set)
{
    std::vector<std::string> out;
    for (qelIndex* e = set.getFirstIndex(); e; e = set.getNextIndex())
        out.push_back(e->getName() ? e->getName() : "<null>");
    return out;
}

} // namespace

TEST(IndexSet, UniqueAddsKeepOneEntryPerNameAndValue)
{
    struct Case {
        bool unique;
        const char* secondName;
        int count;
    } cases[] = {
        {true, "Account", 1},
        {false, "Account", 2},
        {true, "Other", 2},
        {true, nullptr, 2}, // an absent name differs from a present one
    };
    for (const Case& c : cases) {
        qelIndexSet set("G1", 1);
        set.addIndex(entry("Account", "4711"), c.unique);
        set.addIndex(entry(c.secondName, "4711"), c.unique);
        EXPECT_EQ(set.getEntryCount(), c.count) << c.unique << " " << (c.secondName ? c.secondName : "-");
    }
    qelIndexSet set("G1", 1);
    set.addIndex(entry(nullptr, "v"), true);
    set.addIndex(entry(nullptr, "v"), true);
    EXPECT_EQ(set.getEntryCount(), 1);
    EXPECT_EQ(set.addIndex(nullptr, false), -1);
}

TEST(IndexSet, EntriesTakeTheSetAndItsLevel)
{
    qelIndexSet set("P1", 0);
    qelIndex* e = entry("a", "1");
    e->setLevel(1);
    set.addIndex(e, false);
    EXPECT_EQ(e->getIndexSet(), &set);
    EXPECT_EQ(e->getLevel(), 0);
}

TEST(IndexSet, RemovingDuringIterationContinuesWithTheNextEntry)
{
    qelIndexSet set("G", 1);
    for (const char* n : {"a", "b", "c"})
        set.addIndex(entry(n, "v"), false);

    // Remove the first, then the middle one of what is left.
    qelIndex* first = set.getFirstIndex();
    set.removeIndex(first->getPreviousNode(), first->getNode());
    qelIndex* next = set.getNextIndex();
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->getName(), "b");
    set.removeIndex(next->getPreviousNode(), next->getNode());
    next = set.getNextIndex();
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->getName(), "c");
    EXPECT_EQ(names(set), std::vector<std::string>{"c"});
    set.addIndex(entry("d", "v"), false);
    EXPECT_EQ(names(set), (std::vector<std::string>{"c", "d"}));
}

TEST(IndexSet, ElementGivesNameLevelAndOffset)
{
    auto* element = new qelIndexElement();
    element->setName("PAGE7");
    element->setLevel(0);
    element->setByteOffset(1234);
    element->setByteOffset(0xFFFFFFFFu); // outside the document: not stored
    qelIndexSet set(element);
    EXPECT_STREQ(set.getName(), "PAGE7");
    EXPECT_EQ(set.getLevel(), 0);
    EXPECT_EQ(set.getByteOffset(), 1234);
    set.setIndexElement(nullptr);
    EXPECT_EQ(set.getName(), nullptr);
    EXPECT_EQ(set.getLevel(), 1);
    EXPECT_EQ(set.getByteOffset(), 0);
}

TEST(IndexEntry, EbcdicBytesAreCopiedOrLeftEmpty)
{
    qelIndex e;
    const unsigned char bytes[] = {0xC1, 0x00, 0xC2};
    e.setEBCDICValue(bytes, 3);
    ASSERT_EQ(e.getEBCDICValueLength(), 3);
    EXPECT_EQ(std::memcmp(e.getEBCDICValue(), bytes, 3), 0);
    e.setEBCDICValue(bytes, 0);
    EXPECT_EQ(e.getEBCDICValue(), nullptr);
    EXPECT_EQ(e.getEBCDICValueLength(), 0);
}

// Index files written from documents built in memory.
class IndexFile : public KernelTest
{
protected:
    // A document whose pages carry the given entries (page name, name,
    // value); pages without entries get none. Written once so that its
    // pages are in page-id order.
    std::unique_ptr<qelDocument> makeDocument(const std::vector<std::string>& pageNames,
                                              const std::vector<std::vector<std::string>>& entries)
    {
        auto document = std::make_unique<qelDocument>();
        document->setName("DOC1");
        for (const std::string& name : pageNames) {
            auto* page = new FakePage(name.empty() ? nullptr : name.c_str());
            for (const auto& e : entries)
                if (e[0] == name)
                    page->addIndexChecked(entry(e[1].c_str(), e[2].c_str()));
            document->addPage(page, 0);
        }
        FakeEngine engine;
        document->write(&engine);
        qelDocument::setCurrentPageNumber(0);
        return document;
    }

    void addGroupSet(const char* name, const char* key, const char* value)
    {
        auto* set = new qelIndexSet(name, 1);
        set->addIndex(entry(key, value), false);
        qelGlobalDSPool::getInstance()->getIndexList()->addPageIndex(set);
    }

    std::string write(qelIndexImplementor& implementor, qelDocument* document, const std::string& output)
    {
        implementor.addDocument(document);
        implementor.writeIndexFile(output.c_str());
        delete implementor.createDocumentIndex();
        return implementor.getIndexFileName() ? readText(implementor.getIndexFileName()) : std::string("<none>");
    }

    EngineLog m_log;
};

TEST_F(IndexFile, XmlHasGroupAndPageElementsWithEscapedTexts)
{
    FakeEngine::log = &m_log;
    const std::string idx = m_dir + "idx/";
    ASSERT_EQ(qelUtils::makeDirectory(idx.c_str()), 0);
    ini->setIndexPath(idx.c_str());
    ini->setAttribute("IndexFormat", "xml");
    ini->setMemoryOutputStream(false);
    writeBytes(m_dir + "DOC1.pdf", std::string(100, 'x'));
    addGroupSet("G<1>", "Kind", "Group");
    auto document = makeDocument({"P\"1", "P2"}, {{"P\"1", "Account", "a<b & \"c\""}, {"P2", "Name", "O'Neil"}});
    qelXMLIndexImplementor xml;
    std::string text = write(xml, document.get(), m_dir + "DOC1.pdf");
    EXPECT_STREQ(xml.getIndexFileName(), (idx + "DOC1.xml").c_str());
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
        "<!DOCTYPE Index SYSTEM \"Index.dtd\" >\r\n"
        "<Index Doctype=\"PDF\" DocName=\"" + m_dir + "DOC1.pdf\" PageCount=\"2\" Size=\"100\">\r\n"
        "\t<PageGroupIndex PageGroup=\"G&lt;1&gt;\">\r\n"
        "\t\t<Data>\r\n\t\t\t<Name>Kind</Name>\r\n\t\t\t<Value>Group</Value>\r\n\t\t</Data>\r\n"
        "\t</PageGroupIndex>\r\n"
        "\t<PageIndex Page=\"P&quot;1\">\r\n"
        "\t\t<Data>\r\n\t\t\t<Name>Account</Name>\r\n\t\t\t<Value>a&lt;b &amp; &quot;c&quot;</Value>\r\n\t\t</Data>\r\n"
        "\t</PageIndex>\r\n"
        "\t<PageIndex Page=\"P2\">\r\n"
        "\t\t<Data>\r\n\t\t\t<Name>Name</Name>\r\n\t\t\t<Value>O&apos;Neil</Value>\r\n\t\t</Data>\r\n"
        "\t</PageIndex>\r\n"
        "</Index>\r\n";
    EXPECT_EQ(text, expected);
}

TEST_F(IndexFile, NoSetsNoFile)
{
    FakeEngine::log = &m_log;
    ini->setIndexPath(m_dir.c_str());
    auto document = makeDocument({"P1"}, {});
    qelXMLIndexImplementor xml;
    EXPECT_EQ(write(xml, document.get(), m_dir + "DOC1.pdf"), "<none>");
}

TEST_F(IndexFile, CsvLineOfAPageEntry)
{
    FakeEngine::log = &m_log;
    ini->setIndexPath(m_dir.c_str());
    ini->setAttribute("IndexFormat", "csv");
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    writeBytes("out.pdf", std::string(12345, 'x'));
    auto document = makeDocument({"P1", "P2"}, {{"P1", "Account", "4711"}});
    qelCSVIndexImplementor csv;
    std::string text = write(csv, document.get(), "out.pdf");
    EXPECT_EQ(text, "PAGE_GROUP_NAME,PAGE_NAME,PAGE_COUNT,FILE_NAME,FILE_TYPE,INDEX,FILE_SIZE\r\n"
                    ",P1,2,out.pdf,PDF,Account=4711,12345\r\n");
    ASSERT_EQ(::chdir("/"), 0);
}

TEST_F(IndexFile, CsvPlaceholdersWithoutValueAreRemoved)
{
    FakeEngine::log = &m_log;
    ini->setIndexPath(m_dir.c_str());
    ini->setAttribute("IndexFormat", "csv");
    ini->setAttribute("IndexRecord", "PAGE_NAME;FILE_NAME;INDEX;INDEX");
    // A page set without name after one with a name: the line is its own,
    // not the one before.
    auto document = makeDocument({"P1", ""}, {{"P1", "a", "1"}, {"", "b", "2"}});
    {
        qelCSVIndexImplementor csv;
        std::string text = write(csv, document.get(), m_dir + "o.pdf");
        EXPECT_EQ(text, "PAGE_NAME;FILE_NAME;INDEX;INDEX\r\nP1;" + m_dir + "o.pdf;a=1;INDEX\r\n;" + m_dir +
                            "o.pdf;b=2;INDEX\r\n");
    }
    {
        qelSPCSVIndexImplementor csv;
        ini->setAttribute("OutputFilePath", m_dir.c_str());
        std::string text = write(csv, document.get(), m_dir + "o.pdf");
        EXPECT_EQ(text, "PAGE_NAME;FILE_NAME;INDEX;INDEX\r\nP1;" + std::string(ini->getOutputFilePath()) +
                            "P1;a=1;INDEX\r\n;;b=2;INDEX\r\n");
    }
}

// Index files on a full disk: the index file is a link to /dev/full.
TEST_F(IndexFile, WriteErrorsThrowE075AndLeaveNoFile)
{
    FakeEngine::log = &m_log;
    ini->setIndexPath(m_dir.c_str());
    const struct {
        const char* format;
        int entries;
    } cases[] = {{"xml", 1}, {"xml", 2000}, {"csv", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.entries));
        ini->setAttribute("IndexFormat", c.format);
        const std::string path = m_dir + "DOC1." + c.format;
        ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
        std::vector<std::vector<std::string>> entries;
        for (int i = 0; i < c.entries; ++i)
            entries.push_back({"P1", "Account", std::to_string(i)});
        auto document = makeDocument({"P1"}, entries);
        std::unique_ptr<qelIndexImplementor> implementor;
        if (std::string(c.format) == "xml")
            implementor = std::make_unique<qelXMLIndexImplementor>();
        else
            implementor = std::make_unique<qelCSVIndexImplementor>();
        const lrbtest::Raised r = lrbtest::raised([&]() { write(*implementor, document.get(), m_dir + "DOC1.pdf"); });
        EXPECT_EQ(75, r.id);
        EXPECT_NE(std::string::npos, r.message.find(path + ", ErrorMsg: " + std::strerror(ENOSPC))) << r.message;
        struct stat st;
        EXPECT_NE(0, ::lstat(path.c_str(), &st)) << "left behind";
    }
}

TEST_F(IndexFile, PerPageXmlNamesEachPageFile)
{
    FakeEngine::log = &m_log;
    ini->setIndexPath(m_dir.c_str());
    ini->setAttribute("IndexFormat", "xml");
    const std::string out = ini->getOutputFilePath();
    writeBytes(out + "P2", "1234");
    addGroupSet("G1", "k", "v");
    // Page names from the input never point outside the output directory.
    auto document = makeDocument({"../P1", "P2", ""}, {{"../P1", "a", "1"}, {"P2", "b", "2"}, {"", "c", "3"}});
    qelSPXMLIndexImplementor xml;
    std::string text = write(xml, document.get(), m_dir + "o.pdf");
    EXPECT_NE(text.find("<Index Doctype=\"PDF\" PageCount=\"3\" >"), std::string::npos) << text;
    EXPECT_NE(text.find("<PageGroupIndex PageGroup=\"G1\">"), std::string::npos);
    EXPECT_NE(text.find("<PageIndex Page=\"../P1\" Name=\"" + out + "___P1\" Size=\"0\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<PageIndex Page=\"P2\" Name=\"" + out + "P2\" Size=\"4\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<PageIndex Page=\"\" Name=\"\" Size=\"0\">"), std::string::npos) << text;
}

TEST(SafeFileName, NamesFromTheInput)
{
    struct Case {
        const char* name;
        bool keep;
        const char* expected;
    } cases[] = {
        {"DOC1", false, "DOC1"},
        {"a/b\\c", false, "a_b_c"},
        {"../../etc/passwd", false, "______etc_passwd"},
        {"x..y.pdf", false, "x__y.pdf"},
        {"dir/sub\\doc.pdf", true, "dir/sub/doc.pdf"},
        {"/abs//doc", true, "abs/doc"},
        {"../up/doc", true, "__/up/doc"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<char[]> safe(qelUtils::toSafeFileName(c.name, c.keep));
        EXPECT_STREQ(safe.get(), c.expected) << c.name;
    }
    EXPECT_EQ(qelUtils::toSafeFileName(nullptr, false), nullptr);
}
