#include "AfpTestSupport.h"

#include "qelAFPParser.h"
#include "qelCharSetAliasName.h"
#include "qelDocumentParser.h"
#include "qelHashIdMap.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelNOP.h"
#include "qelNOPList.h"
#include "qelNOPRecord.h"
#include "qelNamePair.h"
#include "qelRes.h"
#include "qelResourceAliasName.h"
#include "qelSFIBlock.h"

#include <cstring>
#include <fstream>
#include <sstream>

using namespace afptest;

namespace {

// Counts the No Operation fields the read loop hands over.
class CountingParser : public qelAFPParser
{
public:
    void processNOP(qelNOPRecord** out) override
    {
        ++nops;
        qelAFPParser::processNOP(out);
    }
    int nops = 0;
};

// Keeps every No Operation text the way the document reader does.
// The document parser base with no input format of its own.
class PlainDocumentParser : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

class AliasParser : public qelAFPParser
{
public:
    void processNOP(qelNOPRecord**) override
    {
        qelNOPRecord* record = nullptr;
        qelAFPParser::processNOP(&record);
        std::unique_ptr<qelNOPRecord> owned(record);
        defineAliasName(record);
    }
};

class ReadLoopTest : public AfpTest
{
};

TEST_F(ReadLoopTest, NameTableSpellings)
{
    struct Case
    {
        int id;
        const char* name;
    } cases[] = {
        {0xA8AF, "Begin Page"},
        {0xA7CA, "Condtional Processing Control"},
        {0x75, "Push And Set Character shear"},
        {0x37, "Set Markercell"},
        {0x8C89, "Font Index FNI"},
        {0xB19B, "Presentation Text Descriptor2"},
        {0xFEF0, "Character String Extended"},
        {0xFFFF, "Bad SF Type"},
        {0xEEEE, "No Operation"},
        {0x1234, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(qelAFPParser::getSFTypeName(c.id), c.name) << std::hex << c.id;
}

// One dump line per field of a real file, NOP fields included.
TEST_F(ReadLoopTest, LogsOneLinePerFieldOfFopFile)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool->getLogStream();
    log->setLevel("1");
    log->setLogPath((m_dir + "/").c_str());
    log->open("read.log");
    qelIOStream input;
    input.openFile(LORBANE_TEST_DATA "/fop/fop-hello.afp", false);
    CountingParser parser;
    int fields = 0;
    bool ended = false;
    while (!ended) {
        try {
            qelSFIBlock* field = parser.readNextSF(&input);
            log->logStructuredField(parser.getLevel(), static_cast<unsigned int>(field->getOffset()),
                                    static_cast<unsigned short>(field->getId()), "",
                                    qelAFPParser::getSFTypeName(field->getId()), nullptr);
            ++fields;
        } catch (qelException* e) {
            EXPECT_EQ(e->getId(), 1);
            delete e;
            ended = true;
        }
    }
    log->closeFile();
    std::ifstream in(m_dir + "/read.log", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int lines = 0;
    for (size_t at = text.find("\r\n0x"); at != std::string::npos; at = text.find("\r\n0x", at + 1))
        ++lines;
    EXPECT_GT(fields, 5);
    EXPECT_EQ(lines, fields + parser.nops);
    EXPECT_EQ(text.find("\r\n0x00000000 : D3 A8 A8 "), 0u);
    EXPECT_NE(text.find("End Document"), std::string::npos);
}

TEST_F(ReadLoopTest, NopFieldsNeverReachTheCaller)
{
    Bytes input = field(0xEEEE, ebcdic("ONE"));
    append(input, field(0xEEEE, {}));
    append(input, field(0xA8AF, {}));
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    CountingParser parser;
    qelSFIBlock* got = parser.readNextSF(&stream);
    EXPECT_EQ(got->getId(), 0xA8AF);
    EXPECT_EQ(parser.nops, 2);
}

// A field without X'D3', then garbage, then a good field.
TEST_F(ReadLoopTest, ResynchronisesAtTheNextIntroducer)
{
    Bytes input = field(0xA8A8, {});
    size_t damaged = input.size();
    append(input, {0x5A, 0x00, 0x10, 0x00, 0x11});
    for (int i = 0; i < 10; ++i)
        input.push_back(static_cast<unsigned char>(0x20 + i));
    size_t good = input.size();
    append(input, field(0xA8AF, {0x01, 0x02}));
    append(input, field(0xA9AF, {}));
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    qelAFPParser parser;
    EXPECT_EQ(parser.readNextSF(&stream)->getId(), 0xA8A8);
    qelSFIBlock* page = parser.readNextSF(&stream);
    EXPECT_EQ(page->getId(), 0xA8AF);
    EXPECT_EQ(page->getOffset(), static_cast<int>(good));
    EXPECT_EQ(page->getRemainingLength(), 2);
    EXPECT_TRUE(stream.hasCarriageControl());
    qelSFIBlock* end = parser.readNextSF(&stream);
    EXPECT_EQ(end->getId(), 0xA9AF);
    EXPECT_EQ(end->getOffset(), static_cast<int>(good + 11));
    (void)damaged;
}

TEST_F(ReadLoopTest, DamageEndingTheSearch)
{
    struct Case
    {
        const char* what;
        Bytes tail;
        int id;
    };
    Bytes noD3(5000, 0x41);
    Bytes d3AtLimit(4095, 0x41);
    d3AtLimit.push_back(0xD3);
    append(d3AtLimit, {0xA8, 0xAF, 0x00, 0x00, 0x00});
    Case cases[] = {
        // 5,000 bytes without X'D3'.
        {"no D3", noD3, 76},
        // Nothing left after the bad class byte: the W062 itself.
        {"at end", {}, 62},
    };
    for (const Case& c : cases) {
        Bytes input = field(0xA8A8, {});
        size_t start = input.size();
        append(input, {0x5A, 0x00, 0x10, 0x00});
        append(input, c.tail);
        qelIOStream stream(input.data(), static_cast<int>(input.size()));
        stream.rewind();
        qelAFPParser parser;
        parser.readNextSF(&stream);
        Raised r = raised([&] { parser.readNextSF(&stream); });
        EXPECT_EQ(r.id, c.id) << c.what;
        if (c.id == 76) {
            EXPECT_NE(r.message.find("Name=BufferStream  Offset=0x" + hex(start + 4)), std::string::npos)
                << r.message;
        }
    }
    // A X'D3' as the 4,096th byte searched is still found; no X'5A' before
    // it, so reading goes on at its length field (two 'A's), which the
    // introducer rule then refuses with E074.
    Bytes input = field(0xA8A8, {});
    append(input, {0x5A, 0x00, 0x10, 0x00});
    append(input, d3AtLimit);
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    qelAFPParser parser;
    parser.readNextSF(&stream);
    EXPECT_EQ(raised([&] { parser.readNextSF(&stream); }).id, 74);
}

TEST_F(ReadLoopTest, UnknownFieldsAreDroppedAndCounted)
{
    qelDocumentParser::resetIgnoredObjectCount();
    Bytes input = field(0x1111, {0x01});
    append(input, field(0xA8AF, {}));
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    qelAFPParser parser;
    EXPECT_EQ(parser.readNextSF(&stream)->getId(), 0xA8AF);
    PlainDocumentParser documents;
    EXPECT_EQ(documents.getIgnoredObjectCount(), 0) << "a new document parser starts a new count";
    qelDocumentParser::countIgnoredObject();
    EXPECT_EQ(documents.getIgnoredObjectCount(), 1);
}

TEST_F(ReadLoopTest, NopTextsDefineAliasesOrStayRecords)
{
    struct Case
    {
        bool qelnop;
        const char* text;
        int type;            // 0: no alias
        const char* alias;
        const char* hashId;
        int flag;
        bool keptAsNop;
    } cases[] = {
        {true, "QEL,M:F1ABC=FHASH001", qelRes::TYPE_FORM_MAP, "F1ABC", "FHASH001", 1, false},
        {true, "QEL,M:C0FONT#CX1,T1CP,X0CF", qelRes::TYPE_FONT, "C0FONT", "CX1", 0, false},
        {false, "QEL,M:F1ABC=FHASH001", 0, nullptr, nullptr, 0, true},
        // No usable separator: stays a record.
        {true, "QEL,M:F1ABC", 0, nullptr, nullptr, 0, true},
        {true, "QEL,M:=F1ABC", 0, nullptr, nullptr, 0, true},
        // An unknown class letter defines nothing at all.
        {true, "QEL,M:Q1ABC=QHASH", 0, nullptr, nullptr, 0, false},
        {true, "JUST A COMMENT", 0, nullptr, nullptr, 0, true},
    };
    for (const Case& c : cases) {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_out);
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        pool->getIni()->setQELNOP(c.qelnop);
        Bytes input = field(0xEEEE, ebcdic(c.text));
        append(input, field(0xA8AF, {}));
        qelIOStream stream(input.data(), static_cast<int>(input.size()));
        stream.rewind();
        AliasParser parser;
        EXPECT_EQ(parser.readNextSF(&stream)->getId(), 0xA8AF);
        qelList* nops = pool->getNOPList()->getList();
        int nopCount = nops ? nops->getCount() : 0;
        EXPECT_EQ(nopCount, c.keptAsNop ? 1 : 0) << c.text;
        if (c.keptAsNop && nopCount == 1) {
            auto* nop = static_cast<qelNOP*>(nops->getHead()->item);
            EXPECT_STREQ(nop->getValue(), c.text);
            ASSERT_NE(nop->getEBCDICValue(), nullptr);
            EXPECT_EQ(nop->getEBCDICValue()[0], ebcdic(c.text)[0]);
        }
        if (c.type == 0)
            continue;
        qelResourceAliasName* alias = pool->getHashIdMap()->findHashId(c.alias, c.type);
        ASSERT_NE(alias, nullptr) << c.text;
        EXPECT_STREQ(alias->getName(), c.alias);
        EXPECT_STREQ(alias->getHashId(), c.hashId);
        EXPECT_EQ(alias->getSeparatorFlag(), c.flag);
        if (auto* charSet = dynamic_cast<qelCharSetAliasName*>(alias)) {
            ASSERT_NE(charSet->getNamePairs(), nullptr);
            auto* pair = static_cast<qelNamePair*>(charSet->getNamePairs()->getHead()->item);
            EXPECT_STREQ(pair->first, "T1CP");
            EXPECT_STREQ(pair->second, "X0CF");
        }
    }
}

TEST_F(ReadLoopTest, RawCopyHoldsEveryFieldWithItsIntroducer)
{
    Bytes input = field(0xEEEE, ebcdic("N"));
    append(input, field(0xA8AF, {0x01, 0x02, 0x03}));
    std::string path = m_dir + "/copy.afp";
    qelIOStream copy;
    copy.openFile(path.c_str(), true);
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    stream.setLinkedStream(&copy);
    qelAFPParser parser;
    parser.readNextSF(&stream);
    copy.close();
    EXPECT_EQ(readFile(path), input);
    EXPECT_EQ(qelAFPParser::writeRawSF(nullptr, parser.getCurrentSF()), -1);
}

TEST_F(ReadLoopTest, UnexpectedFieldIsReportedAndConsumed)
{
    Bytes input = field(0xA090, ebcdic("DATA"));
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    qelAFPParser parser;
    qelSFIBlock* f = parser.readNextSF(&stream);
    parser.reportUnexpectedSF(f->getId());
    EXPECT_EQ(f->getRemainingLength(), 0);
    EXPECT_NE(output().find("Warning! Unexpected SFType ID : 0xa090\n"), std::string::npos);
}

} // namespace

// Input that does not begin with X'5A': the introducer found by the first
// resynchronisation holds for the fields after it.
TEST_F(ReadLoopTest, IntroducerFoundLaterHoldsForTheFollowingFields)
{
    Bytes input = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
    size_t first = input.size();
    append(input, field(0xA8A8, {}));
    append(input, field(0xA8AF, {0x01, 0x02}));
    append(input, field(0xA9AF, {}));
    append(input, field(0xA9A8, {}));
    qelIOStream stream(input.data(), static_cast<int>(input.size()));
    stream.rewind();
    EXPECT_FALSE(stream.hasCarriageControl());
    qelAFPParser parser;
    const int ids[] = {0xA8A8, 0xA8AF, 0xA9AF, 0xA9A8};
    size_t offset = first;
    for (int id : ids) {
        qelSFIBlock* got = parser.readNextSF(&stream);
        EXPECT_EQ(got->getId(), id);
        EXPECT_EQ(got->getOffset(), static_cast<int>(offset)) << std::hex << id;
        offset += 9 + (id == 0xA8AF ? 2 : 0);
    }
    std::string text = output();
    size_t count = 0;
    for (size_t at = text.find("W062"); at != std::string::npos; at = text.find("W062", at + 1))
        ++count;
    EXPECT_EQ(count, 1u) << text;
}
