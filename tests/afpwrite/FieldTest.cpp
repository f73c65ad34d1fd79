// Structured fields: the base, the template table, names, and the
// document, page group, medium map and resource framing fields.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpBeginDocument.h"
#include "qel/afp/AfpBeginDocumentEnvironmentGroup.h"
#include "qel/afp/AfpBeginPageGroup.h"
#include "qel/afp/AfpBeginResource.h"
#include "qel/afp/AfpBeginResourceGroup.h"
#include "qel/afp/AfpEndDocument.h"
#include "qel/afp/AfpEndDocumentEnvironmentGroup.h"
#include "qel/afp/AfpEndPageGroup.h"
#include "qel/afp/AfpEndResource.h"
#include "qel/afp/AfpEndResourceGroup.h"
#include "qel/afp/AfpFieldTemplate.h"
#include "qel/afp/AfpInvokeMediumMap.h"
#include "qel/afp/AfpROTTriplet.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/OutputProfile.h"

#include <functional>
#include <memory>
#include <set>

using namespace afpwrite;

namespace
{

class FieldTest : public LibraryTest
{
protected:
    void setLevel(int level) { qel::DataPool::getInstance()->getOutputProfile()->setLevel(level); }
};

TEST_F(FieldTest, BaseFieldWritesItsBytesWithOrWithout5A)
{
    qel::afp::StructuredField plain;
    Bytes bytes = field(0xA8AF);
    bytes.erase(bytes.begin());
    plain.setData(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(written(plain, 0), bytes);
    EXPECT_EQ(written(plain, 1), cat({{0x5A}, bytes}));
    // Length 0 and null bytes keep the earlier data.
    const unsigned char other = 0x11;
    plain.setData(&other, 0);
    plain.setData(nullptr, 4);
    EXPECT_EQ(plain.getDataLength(), 8);
    // Without data: the X'5A' goes out, then -1.
    qel::afp::StructuredField empty;
    int rc = 0;
    EXPECT_EQ(written(empty, 1, &rc), Bytes{0x5A});
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(empty.write(nullptr, 1, nullptr), -1);
}

TEST_F(FieldTest, TemplateTableRows)
{
    int count = 0;
    const qel::afp::FieldTemplate::Row* rows = qel::afp::FieldTemplate::rows(&count);
    EXPECT_EQ(count, 96);
    std::set<uint32_t> ids;
    int withoutWriter = 0;
    for (int i = 0; i < count; ++i) {
        const auto& row = rows[i];
        EXPECT_TRUE(ids.insert(row.id).second) << std::hex << row.id;
        const Bytes copy = qel::afp::FieldTemplate::copy(row);
        ASSERT_GE(copy.size(), 8u);
        EXPECT_EQ((copy[0] << 8) | copy[1], row.length) << std::hex << row.id;
        EXPECT_EQ(static_cast<uint32_t>((copy[2] << 16) | (copy[3] << 8) | copy[4]), row.id);
        EXPECT_EQ(copy[5] | copy[6] | copy[7], 0);
        // The Object Area Position's template holds the position id only;
        // its writer sends the repeating group.
        if (row.id != 0xD3AC6B) {
            EXPECT_EQ(copy.size(), row.length) << std::hex << row.id;
        }
        if (!row.writer)
            ++withoutWriter;
    }
    EXPECT_EQ(withoutWriter, 10);
    EXPECT_EQ(toHex(qel::afp::FieldTemplate::copy(0xD3A6AF)), "0017D3A6AF000000000038403840002E820041C6000000");
}

TEST_F(FieldTest, NamesArePaddedCutAndTranslated)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"AB", "C1C2404040404040"},
        {"ABCDEFGHIJ", "C1C2C3C4C5C6C7C8"},
        {nullptr, "4040404040404040"},
        {"", "4040404040404040"},
    };
    for (const Case& c : cases) {
        qel::afp::EndDocument field(c.name);
        const Bytes out = written(field);
        ASSERT_EQ(out.size(), 16u);
        EXPECT_EQ(toHex(Bytes(out.begin() + 8, out.end())), c.bytes) << (c.name ? c.name : "(null)");
    }
}

TEST_F(FieldTest, TripletsRaiseTheLengthEachTimeTheyAreAdded)
{
    qel::afp::BeginResource field("S1", 0xFB);
    auto* extra = new qel::afp::ROTTriplet(0x40);
    field.addTriplet(extra);
    field.addTriplet(extra);
    EXPECT_EQ(extra->getReferenceCount(), 2);
    const Bytes out = written(field);
    // 18 + 10 + 10 + the ROT of the write.
    EXPECT_EQ((out[0] << 8) | out[1], 48);
    EXPECT_EQ(out.size(), 48u);
    EXPECT_EQ(toHex(Bytes(out.begin() + 18, out.end())),
              "0A2140000000000000000A2140000000000000000A21FB00000000000000");
    // An unevaluated triplet counts with its evaluated length, not 255.
    qel::afp::EndDocument end("E");
    end.addTriplet(new qel::afp::ROTTriplet(0x03));
    EXPECT_EQ(end.getLength(), 26);
}

struct Expected
{
    const char* what;
    std::function<qel::Writable*()> make;
    int level;
    uint16_t flags;
    std::string hex;
    int rc;
};

TEST_F(FieldTest, FieldBytes)
{
    const Expected cases[] = {
        {"Begin Resource S1", [] { return new qel::afp::BeginResource("S1", 0xFB); }, 2, 1,
         "5A001CD3A8CE000000E2F1404040404040 0000 0A21FB00000000000000", 0},
        {"Begin Document INVOICES, MO:DCA-P",
         [] {
             auto* f = new qel::afp::BeginDocument("INVOICES");
             f->setCPGID(500);
             return f;
         },
         2, 1, "5A0018D3A8A8000000C9D5E5D6C9C3C5E20000 0601FFFF01F4", 0},
        {"Begin Document INVOICES, IS/2",
         [] {
             auto* f = new qel::afp::BeginDocument("INVOICES");
             f->setCPGID(500);
             return f;
         },
         4, 1, "5A001DD3A8A8000000C9D5E5D6C9C3C5E20000 0601FFFF01F4 0518010C00", 0},
        {"Begin Document QUARTERLYREPORT", [] { return new qel::afp::BeginDocument("QUARTERLYREPORT"); }, 2, 0,
         "002BD3A8A8000000D8E4C1D9E3C5D9D30000 0601FFFF0000 13020100 D8E4C1D9E3C5D9D3E8D9C5D7D6D9E3", 0},
        {"End Document", [] { return new qel::afp::EndDocument("DOC00001"); }, 2, 1,
         "5A0010D3A9A8000000C4D6C3F0F0F0F0F1", 0},
        {"BNG GRP1, X'5A'", [] { return new qel::afp::BeginPageGroup("GRP1"); }, 2, 1,
         "5A0010D3A8AD000000C7D9D7F140404040", 0},
        {"BNG GRP1", [] { return new qel::afp::BeginPageGroup("GRP1"); }, 2, 0,
         "0010D3A8AD000000C7D9D7F140404040", 0},
        {"BNG of twelve characters", [] { return new qel::afp::BeginPageGroup("GROUPNAME123"); }, 2, 0,
         "0010D3A8AD000000C7D9D6E4D7D5C1D4", 0},
        {"ENG without a name", [] { return new qel::afp::EndPageGroup(); }, 2, 0,
         "0010D3A9AD0000004040404040404040", 0},
        {"IMM", [] { return new qel::afp::InvokeMediumMap("PGROT090"); }, 2, 1,
         "5A0010D3ABCC000000D7C7D9D6E3F0F9F0", 0},
        {"IMM without a name", [] { return new qel::afp::InvokeMediumMap(); }, 2, 0,
         "0010D3ABCC0000000000000000000000", 0},
        {"BDG without values", [] { return new qel::afp::BeginDocumentEnvironmentGroup(); }, 2, 1,
         "5A0010D3A8C40000004040404040404040", -2},
        {"BDG with a CCSID",
         [] {
             auto* f = new qel::afp::BeginDocumentEnvironmentGroup("DEG1");
             f->setCCSID(1208);
             return f;
         },
         2, 0, "0016D3A8C4000000C4C5C7F140404040 0601000004B8", 0},
        {"EDG without a name", [] { return new qel::afp::EndDocumentEnvironmentGroup(); }, 2, 1,
         "5A0008D3A9C4000000", 0},
        {"EDG with a name", [] { return new qel::afp::EndDocumentEnvironmentGroup("DEG1"); }, 2, 0,
         "0010D3A9C4000000C4C5C7F140404040", 0},
        {"End Resource", [] { return new qel::afp::EndResource("S1"); }, 2, 0, "0010D3A9CE000000E2F1404040404040",
         0},
        {"BRG", [] { return new qel::afp::BeginResourceGroup("G1"); }, 2, 0, "0010D3A8C6000000C7F1404040404040", 0},
        {"ERG", [] { return new qel::afp::EndResourceGroup(); }, 2, 0, "0010D3A9C60000004040404040404040", 0},
    };
    for (const Expected& c : cases) {
        setLevel(c.level);
        std::unique_ptr<qel::Writable> w(c.make());
        int rc = 5;
        const Bytes out = written(*w, c.flags, &rc);
        EXPECT_EQ(toHex(out), toHex(fromHex(c.hex))) << c.what;
        EXPECT_EQ(rc, c.rc) << c.what;
        EXPECT_EQ(w->write(nullptr, c.flags, nullptr), -1) << c.what;
        // The reader core reads the field back whole.
        if (c.rc == 0) {
            const FieldDump dump = dumpFields(out);
            EXPECT_TRUE(dump.problems.empty()) << c.what << ": " << dump.problems.front();
            EXPECT_EQ(dump.fields.size(), 1u) << c.what;
        }
    }
}

TEST_F(FieldTest, FopPageGroupAndEndDocumentAreByteEqual)
{
    const FieldDump fop = dumpFields(readFile(LORBANE_TEST_DATA "/fop/fop-hello.afp"));
    ASSERT_TRUE(fop.problems.empty());
    struct Case
    {
        int id;
        std::unique_ptr<qel::Writable> field;
    } cases[3] = {
        {0xA8AD, std::make_unique<qel::afp::BeginPageGroup>("PGP00001")},
        {0xA9AD, std::make_unique<qel::afp::EndPageGroup>("PGP00001")},
        {0xA9A8, std::make_unique<qel::afp::EndDocument>("DOC00001")},
    };
    for (Case& c : cases) {
        const DumpedField* theirs = nullptr;
        for (const DumpedField& f : fop.fields)
            if (f.id == c.id)
                theirs = &f;
        ASSERT_NE(theirs, nullptr) << std::hex << c.id;
        const FieldDump ours = dumpFields(written(*c.field, theirs->with5A ? 1 : 0));
        ASSERT_EQ(ours.fields.size(), 1u);
        EXPECT_EQ(ours.fields[0].length, theirs->length);
        EXPECT_EQ(ours.fields[0].data, theirs->data) << std::hex << c.id;
    }
}

TEST_F(FieldTest, BeginDocumentAddsItsTripletsAtEachWrite)
{
    qel::afp::BeginDocument field("D1");
    written(field);
    EXPECT_EQ(field.getTriplets()->getCount(), 1);
    written(field);
    EXPECT_EQ(field.getTriplets()->getCount(), 2);
}

TEST_F(FieldTest, DocumentFramingFieldsMatchTheirGoldenDump)
{
    MemoryOutput out;
    qel::afp::BeginDocument bdt("DOC00001");
    bdt.setCPGID(500);
    qel::afp::InvokeMediumMap imm("PGROT000");
    qel::afp::BeginPageGroup bng("PGP00001");
    qel::afp::EndPageGroup eng("PGP00001");
    qel::afp::EndDocument edt("DOC00001");
    for (qel::Writable* w : std::initializer_list<qel::Writable*>{&bdt, &imm, &bng, &eng, &edt})
        EXPECT_EQ(w->write(out.stream(), 1, nullptr), 0);
    const FieldDump dump = dumpFields(out.bytes());
    EXPECT_TRUE(dump.problems.empty());
    EXPECT_EQ(dump.text(), readText(std::string(LORBANE_TEST_DATA) + "/afpwrite/document-framing.dump"));
}

} // namespace
