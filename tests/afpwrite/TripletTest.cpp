// Triplets and triplet repeating groups: their bytes, and what the reader
// core's triplet reader makes of them.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpBeginDocument.h"
#include "qel/afp/AfpBeginResource.h"
#include "qel/afp/AfpCGCSGIDTriplet.h"
#include "qel/afp/AfpColorSpecificationTriplet.h"
#include "qel/afp/AfpERLITriplet.h"
#include "qel/afp/AfpFDSTriplet.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpISTriplet.h"
#include "qel/afp/AfpMDTriplet.h"
#include "qel/afp/AfpPCCTriplet.h"
#include "qel/afp/AfpPOCPTriplet.h"
#include "qel/afp/AfpRLITriplet.h"
#include "qel/afp/AfpROITriplet.h"
#include "qel/afp/AfpROTTriplet.h"
#include "qel/afp/AfpRUATriplet.h"
#include "qel/afp/AfpTripletRepeatingGroup.h"
#include "qel/afp/OutputProfile.h"
#include "qelList.h"
#include "qelResourceObjectInclude.h"
#include "qelSFIBlock.h"
#include "qelTripletParser.h"

#include <functional>
#include <memory>

using namespace afpwrite;

namespace
{

class TripletTest : public LibraryTest
{
protected:
    void setLevel(int level) { qel::DataPool::getInstance()->getOutputProfile()->setLevel(level); }
};

// The bytes of a triplet after it has been evaluated as a container does.
Bytes tripletBytes(qel::afp::Triplet& t, int* rc = nullptr)
{
    t.evaluateLength();
    return written(t, 1, rc);
}

struct Case
{
    const char* what;
    std::function<qel::afp::Triplet*()> make;
    int level;
    std::string hex; // empty: nothing written, -1
};

TEST_F(TripletTest, Bytes)
{
    const Case cases[] = {
        {"FQN X'8E'", [] { return new qel::afp::FQNTriplet(0x8E, "C0H200B0"); }, 2,
         "0C028E00 C3F0C8F2F0F0C2F0"},
        {"FQN without a name", [] { return new qel::afp::FQNTriplet(0x8E, nullptr); }, 2, "04028E00"},
        {"FQN untranslated",
         [] {
             auto* t = new qel::afp::FQNTriplet(0x0B, "AB");
             t->setTranslateToEBCDIC(0);
             return t;
         },
         2, "06020B00 4142"},
        {"ROI with orientation",
         [] {
             auto* t = new qel::afp::ROITriplet();
             t->setObjectType(0x5F);
             t->setResourceName("S1");
             t->setXOffset(100);
             t->setYOffset(-100);
             t->setOrientation(0x2D00);
             return t;
         },
         2, "136C5F E2F1000000000000 000064 FFFF9C 2D00"},
        {"ROI without orientation",
         [] {
             auto* t = new qel::afp::ROITriplet();
             t->setObjectType(0xDF);
             t->setResourceName("OVERLAY12");
             return t;
         },
         2, "116CDF D6E5C5D9D3C1E8F1 000000 000000"},
        {"RLI", [] { return new qel::afp::RLITriplet(5, 1); }, 2, "04240501"},
        {"ERLI",
         [] {
             auto* t = new qel::afp::ERLITriplet();
             t->setLocalId(0x01020304);
             return t;
         },
         2, "07223001020304"},
        {"RUA", [] { return new qel::afp::RUATriplet(0xFF); }, 2, "0347FF"},
        {"POCP", [] { return new qel::afp::POCPTriplet(2); }, 2, "04460200"},
        {"MD",
         [] {
             auto* t = new qel::afp::MDTriplet();
             t->setTextOrientation(0x2D00);
             t->setLeftMargin(1);
             t->setTopMargin(2);
             t->setRightMargin(3);
             t->setBottomMargin(4);
             return t;
         },
         2, "0E7F 00002D00 0001000200030004"},
        {"PCC",
         [] {
             auto* t = new qel::afp::PCCTriplet();
             t->setInitialPageNumber(0x0102);
             t->setCountControl(3);
             t->setCountFlags(0x80);
             return t;
         },
         2, "077C 0102 00 03 80"},
        {"colour RGB", [] { return new qel::afp::ColorSpecificationTriplet(1, 0x00332211); }, 2,
         "104E0001000000000808080011223300"},
        {"colour CMYK", [] { return new qel::afp::ColorSpecificationTriplet(4, 0x11223344); }, 2,
         "104E0004000000000808080811223344"},
        {"colour highlight", [] { return new qel::afp::ColorSpecificationTriplet(6, 1); }, 2, ""},
        {"FDS at MO:DCA-P", [] { return new qel::afp::FDSTriplet(240, 240, 0x80, 5, 5); }, 2, "091F050500F000F080"},
        {"FDS at IS/2", [] { return new qel::afp::FDSTriplet(240, 240, 0x80, 5, 5); }, 4,
         "141F050500F000F080 00000000000000000000 00"},
        {"FDS with usage X'40'",
         [] {
             auto* t = new qel::afp::FDSTriplet();
             t->setUsageFlag40(true);
             return t;
         },
         2, "141F050500000000 00 00000000000000000000 40"},
        {"ROT page segment", [] { return new qel::afp::ROTTriplet(0xFB); }, 2, "0A21FB00000000000000"},
        {"CGCSGID with a CCSID", [] { return new qel::afp::CGCSGIDTriplet(0, 0, 1208); }, 2, "0601000004B8"},
        {"CGCSGID empty", [] { return new qel::afp::CGCSGIDTriplet(); }, 2, "0601FFFF0000"},
        {"CGCSGID with GCSGID", [] { return new qel::afp::CGCSGIDTriplet(1146, 500, 0); }, 2, "0601047A01F4"},
        {"IS default", [] { return new qel::afp::ISTriplet(); }, 2, "0518000000"},
        {"IS/2", [] { return new qel::afp::ISTriplet(1, 1); }, 2, "0518010C00"},
        {"IS/1", [] { return new qel::afp::ISTriplet(1, 0); }, 2, "0518010900"},
    };
    for (const Case& c : cases) {
        setLevel(c.level);
        std::unique_ptr<qel::afp::Triplet> t(c.make());
        int rc = 5;
        const Bytes out = tripletBytes(*t, &rc);
        EXPECT_EQ(toHex(out), toHex(fromHex(c.hex))) << c.what;
        EXPECT_EQ(rc, c.hex.empty() ? -1 : 0) << c.what;
        // The stored length is the length written.
        if (!c.hex.empty()) {
            EXPECT_EQ(t->getLength(), out.size()) << c.what;
        }
        EXPECT_EQ(t->write(nullptr, 0, nullptr), -1) << c.what;
    }
}

TEST_F(TripletTest, LongNamesAreCut)
{
    qel::afp::FQNTriplet fqn(0x01, std::string(300, 'A').c_str());
    EXPECT_EQ(fqn.evaluateLength(), 254);
    const Bytes out = tripletBytes(fqn);
    ASSERT_EQ(out.size(), 254u);
    EXPECT_EQ(out[0], 254);
    EXPECT_EQ(Bytes(out.begin() + 4, out.end()), Bytes(250, 0xC1));
}

TEST_F(TripletTest, CgcsgidThirdFormMakesTheGcsgidFFFF)
{
    qel::afp::CGCSGIDTriplet t(0, 500, 0);
    const Bytes first = tripletBytes(t);
    EXPECT_EQ(t.getGCSGID(), 0xFFFF);
    EXPECT_EQ(tripletBytes(t), first);
}

TEST_F(TripletTest, FdsDesignFlagsByLevel)
{
    struct Level
    {
        int level;
        uint8_t flags;
    } levels[] = {{0, 0x81}, {2, 0x81}, {3, 0x80}, {4, 0x80}};
    for (const Level& l : levels) {
        setLevel(l.level);
        qel::afp::FDSTriplet italic(100, 100, true, false, false, false, false, false, 5, 5);
        EXPECT_EQ(italic.getDesignFlags(), l.flags) << l.level;
    }
    setLevel(2);
    qel::afp::FDSTriplet none(100, 100, false, false, false, false, false, false, 5, 5);
    EXPECT_EQ(none.getDesignFlags(), 0);
}

TEST_F(TripletTest, RepeatingGroup)
{
    qel::afp::TripletRepeatingGroup empty;
    int rc = 0;
    EXPECT_TRUE(written(empty, 0, &rc).empty());
    EXPECT_EQ(rc, -1);
    qel::afp::TripletRepeatingGroup group;
    group.addTriplet(new qel::afp::RLITriplet(5, 7));
    group.addTriplet(nullptr);
    EXPECT_EQ(toHex(written(group, 1, &rc)), "000604240507");
    EXPECT_EQ(rc, 0);
    // Triplets on their own line; one after another keep their values.
    qel::afp::POCPTriplet a;
    a.setLevel(3);
    qel::afp::POCPTriplet b;
    MemoryOutput out;
    a.write(out.stream(), 0, nullptr);
    b.write(out.stream(), 0, nullptr);
    EXPECT_EQ(toHex(out.bytes()), "0446000304460000");
}

// A Page Modification Control field carrying the triplets, read by the
// reader core's triplet reader.
TEST_F(TripletTest, ResourceObjectIncludesReadBack)
{
    struct Include
    {
        uint8_t type;
        const char* name;
        int16_t x;
        int16_t y;
        uint16_t orientation;
    } includes[] = {
        {0x5F, "S1", 100, -100, 0x2D00},
        {0xDF, "O1OVLY", -32768, 32767, 0x0000},
        {0xDF, "O2", 7, 9, 0x8700},
    };
    Bytes data;
    for (const Include& i : includes) {
        qel::afp::ROITriplet t;
        t.setObjectType(i.type);
        t.setResourceName(i.name);
        t.setXOffset(i.x);
        t.setYOffset(i.y);
        t.setOrientation(i.orientation);
        append(data, tripletBytes(t));
    }
    const Bytes bytes = field(0xA7AF, data);
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.rewind();
    qelSFIBlock* f = input.readSFI();
    qelTripletParser reader;
    uint32_t mandatory = 0;
    uint32_t optional = 1u << 24;
    reader.parse(&mandatory, &optional, f);
    qelList* list = reader.getResourceObjectIncludes();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->getCount(), 3);
    qelListNode* n = list->getHead();
    for (const Include& i : includes) {
        auto* entry = static_cast<qelResourceObjectInclude*>(n->item);
        EXPECT_EQ(entry->objectType, i.type) << i.name;
        EXPECT_STREQ(entry->name, i.name);
        EXPECT_EQ(entry->xOffset, i.x) << i.name;
        EXPECT_EQ(entry->yOffset, i.y) << i.name;
        EXPECT_EQ(entry->orientation, i.orientation) << i.name;
        n = n->next;
    }
}

// The triplets of the fields that add their own, read by the reader
// core's triplet reader after the fields' fixed bytes.
TEST_F(TripletTest, WriteTimeTripletsReadBack)
{
    setLevel(4);
    qel::afp::BeginDocument document("QUARTERLYREPORT");
    document.setCPGID(500);
    qel::afp::BeginResource resource("S1", 0xFB);
    struct Case
    {
        const char* what;
        qel::Writable* field;
        uint32_t mandatory;
        uint32_t optional;
    } cases[] = {
        {"Begin Document", &document, 0,
         QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_INTERCHANGE_SET},
        {"Begin Resource", &resource, 1u << 26, 0},
    };
    for (const Case& c : cases) {
        const Bytes bytes = written(*c.field, 1);
        qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
        input.rewind();
        qelSFIBlock* f = input.readSFI();
        f->skip(10);
        qelTripletParser reader;
        uint32_t mandatory = c.mandatory;
        uint32_t optional = c.optional;
        EXPECT_EQ(raisedId([&] { reader.parse(&mandatory, &optional, f); }), -1) << c.what;
        EXPECT_EQ(mandatory, 0u) << c.what;
        EXPECT_EQ(f->getRemainingLength(), 0) << c.what;
        if (c.field == &document) {
            EXPECT_EQ(reader.getGCSGID(), 0xFFFF);
            EXPECT_EQ(reader.getCPGID(), 500);
        }
    }
    EXPECT_EQ(output().find("Warning"), std::string::npos) << output();
}

} // namespace
