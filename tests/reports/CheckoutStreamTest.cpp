#include "CApiRun.h"
#include "FieldText.h"
#include "ReportTestSupport.h"

#include "qelCheckoutStream.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLorbane.h"
#include "qelMessageIds.h"
#include "qelSFIBlock.h"
#include "qelSDKTypes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using reporttest::raisedId;

namespace {

// What the test reader delivers per id; ids not in the map give no record.
struct Document
{
    std::string bytes;
    std::vector<std::pair<std::string, std::string>> index;
    int userData = 0;
};

std::map<std::string, Document> g_documents;
std::vector<std::string> g_requested;

// Texts the index nodes point to: they stay the reader's.
std::vector<std::unique_ptr<std::string>> g_texts;

char* keep(const std::string& text)
{
    g_texts.push_back(std::make_unique<std::string>(text));
    return &(*g_texts.back())[0];
}

// Allocates like a caller of the C interface: everything on the C heap.
qelSDKDocumentRecord* testReader(const char* id)
{
    g_requested.push_back(id ? id : "(null)");
    auto found = g_documents.find(id ? id : "");
    if (found == g_documents.end())
        return nullptr;
    const Document& doc = found->second;
    auto* record = static_cast<qelSDKDocumentRecord*>(std::calloc(1, sizeof(qelSDKDocumentRecord)));
    if (!doc.bytes.empty()) {
        record->data = std::malloc(doc.bytes.size());
        std::memcpy(record->data, doc.bytes.data(), doc.bytes.size());
        record->length = static_cast<uint32_t>(doc.bytes.size());
    }
    qelSDKNameValue** tail = &record->indexList;
    for (const auto& entry : doc.index) {
        auto* node = static_cast<qelSDKNameValue*>(std::calloc(1, sizeof(qelSDKNameValue)));
        node->name = keep(entry.first);
        node->value = keep(entry.second);
        *tail = node;
        tail = &node->next;
    }
    for (int i = 0; i < doc.userData; ++i) {
        auto* node = static_cast<qelSDKUserData*>(std::calloc(1, sizeof(qelSDKUserData)));
        node->name = keep("ud");
        node->next = record->userDataList;
        record->userDataList = node;
    }
    return record;
}

// A caller's id list.
using IdList = lrbtest::NameList;

class CheckoutStreamTest : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        g_documents.clear();
        g_requested.clear();
        m_previous = lorbane_SetReaderCallback(&testReader);
    }
    void TearDown() override
    {
        lorbane_SetReaderCallback(m_previous);
        g_texts.clear();
        ReportTest::TearDown();
    }

    // Every byte up to the end, and the id that ended the reading.
    static std::string readAll(qelStream& stream, int* endId)
    {
        std::string bytes;
        *endId = raisedId([&] {
            for (int guard = 0; guard < 1000; ++guard)
                bytes += static_cast<char>(stream.getChar());
        });
        return bytes;
    }

    qelSDKDocumentReader m_previous = nullptr;
};

const char* const kMissing = "Warning! Unable to retrieve document data for ID: b\n";

TEST_F(CheckoutStreamTest, DocumentsAreReadBackToBackAndMissingOnesAreSkipped)
{
    g_documents["a"] = {"AAA", {}, 0};
    g_documents["c"] = {"CC", {}, 0};
    g_documents["empty"] = {"", {{"k", "v"}}, 1};

    struct Case
    {
        std::vector<std::string> ids;
        std::string bytes;
        int warnings;
    } cases[] = {
        {{"a", "b", "c"}, "AAACC", 1},
        // A document without data in the middle must not end the input.
        {{"a", "empty", "c"}, "AAACC", 0},
        {{"a", "c", "empty"}, "AAACC", 0},
        {{"b"}, "", 1},
        {{}, "", 0},
    };
    for (const Case& c : cases) {
        std::string before = output();
        IdList ids(c.ids);
        qelCheckoutStream stream(ids.first());
        stream.setAttribute(QEL_ATTR_QUIET, "off");
        int endId = 0;
        EXPECT_EQ(readAll(stream, &endId), c.bytes);
        EXPECT_EQ(endId, 199);
        // Reading on after the end keeps raising the end.
        EXPECT_EQ(raisedId([&] { stream.getChar(); }), 199);
        std::string printed = output().substr(before.size());
        size_t count = 0;
        for (size_t at = printed.find(kMissing); at != std::string::npos; at = printed.find(kMissing, at + 1))
            ++count;
        EXPECT_EQ(count, static_cast<size_t>(c.warnings)) << printed;
        EXPECT_EQ(stream.getSize(), 0);
    }
}

TEST_F(CheckoutStreamTest, QuietAndLogSwitchesSteerTheWarning)
{
    struct Case
    {
        const char* quiet;
        const char* log;
        bool printed;
        bool logged;
    } cases[] = {
        {"ON", "off", false, false},
        {"off", "On", true, true},
        {nullptr, nullptr, true, false},
        {"yes", "1", true, false},
    };
    for (const Case& c : cases) {
        qelUtils::releaseGlobals();
        openLog("ALL");
        std::string before = output();
        IdList ids({"b"});
        qelCheckoutStream stream(ids.first());
        stream.setAttribute(QEL_ATTR_QUIET, c.quiet);
        stream.setAttribute(QEL_ATTR_LOG, c.log);
        EXPECT_EQ(raisedId([&] { stream.getChar(); }), 199);
        std::string printed = output().substr(before.size());
        EXPECT_EQ(printed.find("ID: b") != std::string::npos, c.printed) << printed;
        EXPECT_EQ(logText().find("ID: b") != std::string::npos, c.logged);
        qelUtils::releaseGlobals();
    }
}

TEST_F(CheckoutStreamTest, AttributesFollowTheCurrentDocument)
{
    g_documents["a"] = {"A", {{"Account", "42"}, {"Name", "x"}}, 2};
    g_documents["c"] = {"C", {}, 0};
    IdList ids({"a", "c"});
    qelCheckoutStream stream(ids.first());

    EXPECT_EQ(stream.getAttributes(), nullptr);
    stream.open();
    ASSERT_NE(stream.getAttributes(), nullptr);
    qelList* list = *stream.getAttributes();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->getCount(), 2);
    auto* first = static_cast<qelSDKNameValue*>(list->getHead()->item);
    EXPECT_STREQ(first->name, "Account");
    EXPECT_STREQ(first->value, "42");

    EXPECT_EQ(stream.getChar(), 'A');
    EXPECT_EQ(stream.getChar(), 'C');
    ASSERT_NE(*stream.getAttributes(), nullptr);
    EXPECT_EQ((*stream.getAttributes())->getCount(), 0);

    EXPECT_EQ(raisedId([&] { stream.getChar(); }), 199);
    ASSERT_NE(stream.getAttributes(), nullptr);
    EXPECT_EQ(*stream.getAttributes(), nullptr);
}

TEST_F(CheckoutStreamTest, ReaderSeesEachDocumentFromItsStart)
{
    // Two documents, the first opening with the X'5A' carriage control.
    g_documents["a"] = {std::string("\x5A\x00\x08", 3), {}, 0};
    g_documents["c"] = {"xyz", {}, 0};
    IdList ids({"a", "c"});
    auto* stream = new qelCheckoutStream(ids.first());
    stream->setAttribute(QEL_ATTR_QUIET, "on");
    qelIOStream reader;
    reader.attachStream(stream);
    EXPECT_TRUE(reader.hasCarriageControl());
    EXPECT_EQ(g_requested, std::vector<std::string>{"a"});

    EXPECT_EQ(reader.readByte(), 0x5A);
    EXPECT_EQ(reader.readUInt16(), 0x0008u);
    EXPECT_EQ(stream->getPosition(), 3);
    EXPECT_EQ(reader.readByte(), 'x');
    // Positions restart with each document; the flag follows the new one.
    EXPECT_EQ(stream->getPosition(), 1);
    EXPECT_FALSE(stream->hasCarriageControl());
    EXPECT_STRNE(stream->getName(), nullptr);
    EXPECT_EQ(raisedId([&] { reader.skip(3); }), 199);
    reader.close();
}

// One document as three structured fields, with or without X'5A' framing.
std::string threeFields(bool framed)
{
    std::string bytes;
    for (int id : {0xA8A8, 0xEEEE, 0xA9A8}) {
        const std::string field = lrbtest::chars::field(id, lrbtest::chars::name8("DOC"));
        bytes += framed ? field : field.substr(1);
    }
    return bytes;
}

// The fields a reader takes from a check-out input, "5A" or "--" and the id
// for each, and the id of what ended the reading.
std::string readFields(const std::vector<std::string>& names, int* endId)
{
    IdList ids(names);
    auto* stream = new qelCheckoutStream(ids.first());
    stream->setAttribute(QEL_ATTR_QUIET, "on");
    qelIOStream reader;
    std::string fields;
    *endId = raisedId([&] {
        reader.attachStream(stream);
        for (int guard = 0; guard < 100; ++guard) {
            qelSFIBlock* field = reader.readSFI();
            char text[16];
            std::snprintf(text, sizeof text, "%s%04X ", field->hasCarriageControl() ? "5A" : "--",
                          static_cast<unsigned>(field->getId()));
            fields += text;
        }
    });
    reader.close();
    return fields;
}

TEST_F(CheckoutStreamTest, EachDocumentIsReadWithItsOwnFraming)
{
    g_documents["framed"] = {threeFields(true), {}, 0};
    g_documents["plain"] = {threeFields(false), {}, 0};
    g_documents["empty"] = {"", {}, 0};
    // Files often end in a line end or X'1A', which frame no field.
    g_documents["framed-crlf"] = {threeFields(true) + "\r\n", {}, 0};
    g_documents["framed-1a"] = {threeFields(true) + "\x40\x40\x1A", {}, 0};
    g_documents["plain-crlf"] = {threeFields(false) + "\r\n", {}, 0};
    // Framed, then a field without its X'5A': damaged.
    g_documents["broken"] = {threeFields(true).substr(0, 17) + threeFields(false).substr(16), {}, 0};
    const std::string withFlag = "5AA8A8 5AEEEE 5AA9A8 ";
    const std::string without = "--A8A8 --EEEE --A9A8 ";

    struct Case
    {
        std::vector<std::string> ids;
        std::string fields;
        int endId;
    } cases[] = {
        {{"framed", "plain"}, withFlag + without, 199},
        {{"plain", "framed"}, without + withFlag, 199},
        {{"plain", "empty", "framed", "missing", "plain"}, without + withFlag + without, 199},
        {{"framed", "framed", "plain", "plain"}, withFlag + withFlag + without + without, 199},
        {{"framed-crlf", "plain"}, withFlag + without, 199},
        {{"framed-1a", "plain-crlf", "framed"}, withFlag + without + withFlag, 199},
        {{"plain-crlf", "framed-crlf"}, without + withFlag, 199},
        // A document that really lacks an introducer still fails as alone.
        {{"plain", "broken"}, without + "5AA8A8 ", qelMsg::E074},
        {{"broken", "framed"}, "5AA8A8 ", qelMsg::E074},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ids.front() + ", " + c.ids.back());
        int endId = 0;
        EXPECT_EQ(readFields(c.ids, &endId), c.fields);
        EXPECT_EQ(endId, c.endId);
    }
}

TEST_F(CheckoutStreamTest, FormatSampleStaysWithinItsDocument)
{
    const std::string tiny = threeFields(true);
    ASSERT_LT(tiny.size(), 80u);
    g_documents["tiny"] = {tiny, {}, 0};
    g_documents["plain"] = {threeFields(false), {}, 0};
    g_documents["empty"] = {"", {}, 0};
    g_documents["junk"] = {"junk", {}, 0};

    struct Case
    {
        std::vector<std::string> ids;
        int format;
    } cases[] = {
        {{"tiny", "plain"}, QEL_IN_AFP},
        {{"plain", "tiny"}, QEL_IN_AFP},
        {{"empty", "tiny", "plain"}, QEL_IN_AFP},
        {{"missing", "tiny"}, QEL_IN_AFP},
        // The first document decides, not the bytes that follow it.
        {{"junk", "tiny"}, 0},
        {{"empty"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ids.front() + ", " + c.ids.back());
        std::string all;
        for (const std::string& id : c.ids)
            if (g_documents.count(id))
                all += g_documents[id].bytes;
        IdList ids(c.ids);
        qelCheckoutStream stream(ids.first());
        stream.setAttribute(QEL_ATTR_QUIET, "on");
        EXPECT_EQ(detectStreamFormat(&stream), c.format);
        // Nothing was consumed: every document is still read whole.
        int endId = 0;
        EXPECT_EQ(readAll(stream, &endId), all);
        EXPECT_EQ(endId, 199);
    }
}

} // namespace
