// The readers of a page definition's environment groups and triplets:
// hand-built triplets and fields, and what the object library writes read
// back into library objects.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpColorSpecificationTriplet.h"
#include "qel/afp/AfpERLITriplet.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpLineDescriptor.h"
#include "qel/afp/AfpMCF1RepeatingGroup.h"
#include "qel/afp/AfpMDTriplet.h"
#include "qel/afp/AfpMapCodedFont1.h"
#include "qel/afp/AfpMappedFontEntry.h"
#include "qel/afp/AfpPCCTriplet.h"
#include "qel/afp/AfpPOCPTriplet.h"
#include "qel/afp/AfpPageDescriptor.h"
#include "qel/afp/AfpRLITriplet.h"
#include "qel/afp/AfpROITriplet.h"
#include "qel/afp/AfpRUATriplet.h"
#include "qel/afp/AfpStructuredField.h"

#include "qelAFPAEGParser.h"
#include "qelAFPTripletParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"

#include <memory>
#include <string>
#include <vector>

using namespace afpwrite;

namespace
{

using TripletPtr = std::unique_ptr<qel::afp::Triplet>;

class PageDefinitionReaderTest : public LibraryTest
{
protected:
    // Every triplet nextTriplet gives for the field data, null as id 0,
    // until the field's data is used up.
    std::vector<TripletPtr> readAll(const Bytes& data)
    {
        Bytes bytes = field(0xA6E7, data);
        qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
        input.rewind();
        qelSFIBlock* sf = input.readSFI();
        std::vector<TripletPtr> out;
        while (sf->getRemainingLength() > 0)
            out.emplace_back(m_triplets.nextTriplet(sf));
        return out;
    }
    qelAFPTripletParser m_triplets;
};

template <class T> T* as(const TripletPtr& p)
{
    return dynamic_cast<T*>(p.get());
}

Bytes roi(int length, const std::string& name, int x, int y, int orientation)
{
    Bytes t = {static_cast<unsigned char>(length), 0x6C, 0x5F};
    append(t, name8(name));
    append(t, offset3(x));
    append(t, offset3(y));
    if (length >= 19) {
        t.push_back(static_cast<unsigned char>(orientation >> 8));
        t.push_back(static_cast<unsigned char>(orientation & 0xFF));
    }
    while (t.size() < static_cast<size_t>(length))
        t.push_back(0xEE);
    return t;
}

Bytes fqn(int type, int format, const std::string& name)
{
    Bytes t = {static_cast<unsigned char>(4 + name.size()), 0x02, static_cast<unsigned char>(type),
               static_cast<unsigned char>(format)};
    append(t, ebcdic(name));
    return t;
}

TEST_F(PageDefinitionReaderTest, ResourceObjectIncludes)
{
    struct Case
    {
        const char* what;
        Bytes bytes;
        int x;
        int y;
        int orientation;
    } cases[] = {
        {"19 bytes", roi(19, "S1", 0x000064, 0xFFFF9C, 0x2D00), 100, -100, 0x2D00},
        {"17 bytes: orientation 0", roi(17, "S1", 0x000064, 0xFFFF9C, 0), 100, -100, 0},
        {"high byte 00 with the sign bit", roi(19, "S1", 0x00FF38, 0x00000A, 0x5A00), -200, 10, 0x5A00},
        {"24-bit values clamped", roi(19, "S1", 0x012345, 0xFE0000, 0x8700), 32767, -32768, 0x8700},
        {"21 bytes", roi(21, "S1", 0x000001, 0x000002, 0x0000), 1, 2, 0},
    };
    for (const Case& c : cases) {
        std::vector<TripletPtr> read = readAll(cat({c.bytes, fqn(0x01, 0x00, "AFTER")}));
        ASSERT_EQ(read.size(), 2u) << c.what;
        auto* include = as<qel::afp::ROITriplet>(read[0]);
        ASSERT_NE(include, nullptr) << c.what;
        EXPECT_STREQ(include->getResourceName(), "S1") << c.what;
        EXPECT_EQ(include->getObjectType(), 0x5F) << c.what;
        EXPECT_EQ(include->getXOffset(), c.x) << c.what;
        EXPECT_EQ(include->getYOffset(), c.y) << c.what;
        EXPECT_EQ(include->getOrientation(), c.orientation) << c.what;
        auto* name = as<qel::afp::FQNTriplet>(read[1]);
        ASSERT_NE(name, nullptr) << c.what;
        EXPECT_STREQ(name->getName(), "AFTER") << c.what;
    }
    // Too short for both offsets: nothing, and the next triplet still reads.
    std::vector<TripletPtr> read = readAll(cat({{0x0E, 0x6C, 0x5F}, name8("S1"), {0, 0, 1}, fqn(1, 0, "N")}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], nullptr);
    EXPECT_NE(as<qel::afp::FQNTriplet>(read[1]), nullptr);
}

TEST_F(PageDefinitionReaderTest, TripletEdgeCases)
{
    const Bytes rgb = {0x10, 0x4E, 0x00, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x12, 0x34, 0x56, 0x00};
    const Bytes cmyk = {0x10, 0x4E, 0x00, 0x04, 0, 0, 0, 0, 8, 8, 8, 8, 0x11, 0x22, 0x33, 0x44};
    const Bytes shortRgb = {0x0E, 0x4E, 0x00, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x12, 0x34};
    const Bytes rli = {0x04, 0x24, 0x05, 0x07};
    struct Case
    {
        const char* what;
        Bytes data;
        std::vector<int> ids; // per call of nextTriplet; 0 for null
    } cases[] = {
        {"length byte 1 ends the triplets", cat({{0x01, 0x24, 0x05}, rli}), {0}},
        {"colour specification is read and the next triplet too", cat({rgb, rli}), {0x4E, 0x24}},
        {"too short for its colour: skipped", cat({shortRgb, rli}), {0, 0x24}},
        {"resource local id of length 3", cat({{0x03, 0x24, 0x05}, rli}), {0, 0x24}},
        {"known but not built", cat({{0x04, 0x4B, 0x00, 0x00}, rli}), {0, 0x24}},
        {"unknown id", cat({{0x03, 0xF7, 0x00}, rli}), {0, 0x24}},
        {"a longer triplet's rest is passed over", cat({{0x06, 0x24, 0x05, 0x07, 0x24, 0x05}, rli}), {0x24, 0x24}},
        {"length beyond the field", {0x40, 0x47, 0xFF}, {0x47}},
        {"page count control", {0x07, 0x7C, 0x00, 0x05, 0x00, 0x03, 0x80}, {0x7C}},
        {"page count control too short", {0x06, 0x7C, 0x00, 0x05, 0x00, 0x03}, {0}},
        {"margin definition too short", {0x0D, 0x7F, 0, 0, 0, 0, 0, 1, 0, 2, 0, 3, 0}, {0}},
        {"extended resource local id too short", {0x06, 0x22, 0x30, 0, 0, 1}, {0}},
        {"overlay conditional processing", {0x03, 0x46, 0x01}, {0x46}},
    };
    for (const Case& c : cases) {
        std::vector<TripletPtr> read = readAll(c.data);
        std::vector<int> ids;
        for (const TripletPtr& t : read)
            ids.push_back(t ? t->getId() : 0);
        if (c.ids.size() < ids.size() && c.ids == std::vector<int>{0})
            ids.resize(1); // the reader's caller stops at the first null
        EXPECT_EQ(ids, c.ids) << c.what;
    }
    std::vector<TripletPtr> read = readAll(cat({rgb, cmyk}));
    auto* red = as<qel::afp::ColorSpecificationTriplet>(read[0]);
    auto* ink = as<qel::afp::ColorSpecificationTriplet>(read[1]);
    ASSERT_TRUE(red && ink);
    EXPECT_EQ(red->getColorSpace(), 1);
    EXPECT_EQ(red->getValue(), 0x563412u);
    EXPECT_EQ(ink->getColorSpace(), 4);
    EXPECT_EQ(ink->getValue(), 0x11223344u);
    // An OID name is translated from EBCDIC all the same.
    read = readAll(fqn(0x01, 0x10, "OIDNAME"));
    ASSERT_NE(as<qel::afp::FQNTriplet>(read[0]), nullptr);
    EXPECT_STREQ(as<qel::afp::FQNTriplet>(read[0])->getName(), "OIDNAME");
    EXPECT_EQ(m_triplets.nextTriplet(nullptr), nullptr);
    EXPECT_EQ(m_triplets.getParserType(), 5);
}

TEST_F(PageDefinitionReaderTest, WarningsNeedLogBit2AndGoOutUnlessQuiet)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    const std::string warning = "Warning! Invalid triplet to process Id=0xF7 (247)\n";
    struct Case
    {
        unsigned int mask;
        bool quiet;
        bool shown;
    } cases[] = {{0x0, false, false}, {0x1, false, false}, {0x2, false, true}, {0x2, true, false}};
    for (const Case& c : cases) {
        pool->getLogStream()->setLevelMask(c.mask);
        pool->getIni()->setQuietMode(c.quiet);
        const size_t before = output().size();
        EXPECT_EQ(readAll({0x03, 0xF7, 0x00}).size(), 1u);
        const std::string said = output().substr(before);
        EXPECT_EQ(said.find(warning) != std::string::npos, c.shown) << c.mask << " " << c.quiet << ": " << said;
    }
}

TEST_F(PageDefinitionReaderTest, WrittenLineDescriptorTripletsReadBack)
{
    qel::afp::LineDescriptor written;
    auto* first = new qel::afp::ROITriplet();
    first->setObjectType(0x5F);
    first->setResourceName("S1SEG");
    first->setXOffset(120);
    first->setYOffset(-340);
    first->setOrientation(0x2D00);
    written.addTriplet(first);
    auto* second = new qel::afp::ROITriplet();
    second->setObjectType(0xDF);
    second->setResourceName("O1OVLY01");
    second->setXOffset(7);
    second->setYOffset(8);
    written.addTriplet(second);
    written.addTriplet(new qel::afp::ColorSpecificationTriplet(1, 0x00563412));
    written.addTriplet(new qel::afp::FQNTriplet(0x84, "TABLEREF"));
    auto* pcc = new qel::afp::PCCTriplet();
    pcc->setInitialPageNumber(12);
    pcc->setCountControl(3);
    pcc->setCountFlags(0x80);
    written.addTriplet(pcc);
    auto* md = new qel::afp::MDTriplet();
    md->setTextOrientation(0x5A000000);
    md->setLeftMargin(1);
    md->setTopMargin(2);
    md->setRightMargin(3);
    md->setBottomMargin(4);
    written.addTriplet(md);

    Bytes bytes = afpwrite::written(written, 1);
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.rewind();
    qelSFIBlock* sf = input.readSFI();
    ASSERT_EQ(sf->getId(), 0xA6E7);
    sf->skip(40);
    qel::afp::LineDescriptor read;
    while (qel::afp::Triplet* t = m_triplets.nextTriplet(sf))
        read.addTriplet(t);
    EXPECT_EQ(sf->getRemainingLength(), 0);
    // The include written without orientation reads with orientation 0,
    // so it would be written back two bytes longer.
    EXPECT_EQ(read.getTriplets()->getCount(), 6);
    EXPECT_EQ(read.getLength(), written.getLength() + 2);

    auto* pccRead = dynamic_cast<qel::afp::PCCTriplet*>(read.getFirstTriplet(0x7C));
    ASSERT_NE(pccRead, nullptr);
    EXPECT_EQ(pccRead->getInitialPageNumber(), 12);
    EXPECT_EQ(pccRead->getCountControl(), 3);
    EXPECT_EQ(pccRead->getCountFlags(), 0x80);
    auto* mdRead = dynamic_cast<qel::afp::MDTriplet*>(read.getFirstTriplet(0x7F));
    ASSERT_NE(mdRead, nullptr);
    EXPECT_EQ(mdRead->getTextOrientation(), 0x5A000000u);
    EXPECT_EQ(mdRead->getLeftMargin() * 1000 + mdRead->getTopMargin() * 100 + mdRead->getRightMargin() * 10 +
                  mdRead->getBottomMargin(),
              1234);
    auto* fqnRead = dynamic_cast<qel::afp::FQNTriplet*>(read.getFirstTriplet(0x02));
    ASSERT_NE(fqnRead, nullptr);
    EXPECT_EQ(fqnRead->getType(), 0x84);
    EXPECT_STREQ(fqnRead->getName(), "TABLEREF");

    for (qel::afp::LineDescriptor* d : {&written, &read}) {
        int space = 0;
        int value = 0;
        EXPECT_EQ(d->getColor(&space, &value), 0x563412);
        EXPECT_EQ(space, 1);
        struct Include
        {
            std::string name;
            short x, y, orientation;
            char type;
        };
        std::vector<Include> includes(3);
        char* name = nullptr;
        d->getFirstResourceObjectInclude(&name, &includes[0].x, &includes[0].y, &includes[0].orientation,
                                         &includes[0].type);
        includes[0].name = name ? name : "(null)";
        for (int k = 1; k < 3; ++k) {
            d->getNextResourceObjectInclude(&name, &includes[k].x, &includes[k].y, &includes[k].orientation,
                                            &includes[k].type);
            includes[k].name = name ? name : "(null)";
        }
        const bool isRead = d == &read;
        EXPECT_EQ(includes[0].name, "S1SEG") << isRead;
        EXPECT_EQ(includes[0].x, 120) << isRead;
        EXPECT_EQ(includes[0].y, -340) << isRead;
        EXPECT_EQ(includes[0].orientation, 0x2D00) << isRead;
        EXPECT_EQ(static_cast<unsigned char>(includes[0].type), 0x5F) << isRead;
        EXPECT_EQ(includes[1].name, "O1OVLY01") << isRead;
        EXPECT_EQ(static_cast<unsigned char>(includes[1].type), 0xDF) << isRead;
        EXPECT_EQ(includes[1].x, 7) << isRead;
        EXPECT_EQ(includes[2].name, "(null)") << isRead;
    }
}

// Reads an environment group from bytes through the reader; null when it
// gave none.
std::unique_ptr<qel::afp::ActiveEnvironmentGroup> readGroup(const Bytes& bytes, qelAFPTripletParser& triplets)
{
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.rewind();
    qelIOStream::setCurrent(&input);
    qelAFPAEGParser parser;
    std::unique_ptr<qel::afp::ActiveEnvironmentGroup> group;
    try {
        group.reset(parser.parse(parser.readNextSF(), &triplets));
    } catch (qelException* e) {
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    return group;
}

// The Map Coded Font format 1 fields of a group, in field order.
std::vector<qel::afp::MapCodedFont1*> mapFields(const qel::afp::ActiveEnvironmentGroup& group)
{
    std::vector<qel::afp::MapCodedFont1*> out;
    qel::DLinkedList<qel::WritableContext>* fields = group.getFields();
    for (qel::DNode<qel::WritableContext>* n = fields ? fields->getFirst() : nullptr; n; n = n->getNext())
        if (auto* mcf = dynamic_cast<qel::afp::MapCodedFont1*>(n->getData()->getWritable()))
            out.push_back(mcf);
    return out;
}

TEST_F(PageDefinitionReaderTest, WrittenEnvironmentGroupReadsBack)
{
    qel::afp::ActiveEnvironmentGroup written(0, 0, 2400, 2400, 1984, 2806, 0, 0, 1440, 1440, 1000, 2000);
    auto* plain = new qel::afp::MapCodedFont1();
    plain->setRepeatingGroupLength(28);
    plain->addRepeatingGroup(1, 0, "X0COURIE", "C0420000", "T1V10500", -1);
    plain->addRepeatingGroup(2, 0, nullptr, "C0H200A0", "T1000850", -1);
    written.addMapCodedFont1(plain);
    auto* rotated = new qel::afp::MapCodedFont1();
    rotated->setRepeatingGroupLength(30);
    rotated->addRepeatingGroup(3, 1, "X0TIMES", "C0T05500", "T1001140", 0x2D00);
    written.addMapCodedFont1(rotated);
    const Bytes bytes = afpwrite::written(written, 1);

    std::unique_ptr<qel::afp::ActiveEnvironmentGroup> read = readGroup(bytes, m_triplets);
    ASSERT_NE(read, nullptr);
    qel::afp::PageDescriptor* pgd = read->getPageDescriptor();
    ASSERT_NE(pgd, nullptr);
    EXPECT_EQ(toHex(afpwrite::written(*pgd, 1)), toHex(afpwrite::written(*written.getPageDescriptor(), 1)));
    const struct
    {
        int id;
        const char* codedFont;
        const char* characterSet;
        const char* codePage;
        int rotation;
        int groupLength;
    } expected[] = {{1, "X0COURIE", "C0420000", "T1V10500", 0, 28},
                    {2, nullptr, "C0H200A0", "T1000850", 0, 28},
                    {3, "X0TIMES", "C0T05500", "T1001140", 0x2D00, 30}};
    for (const auto& e : expected) {
        std::unique_ptr<qel::afp::MappedFontEntry> entry(read->getMappedResource(e.id));
        ASSERT_NE(entry, nullptr) << e.id;
        EXPECT_EQ(entry->localId, e.id);
        EXPECT_STREQ(entry->codedFontName, e.codedFont) << e.id;
        EXPECT_STREQ(entry->characterSetName, e.characterSet) << e.id;
        EXPECT_STREQ(entry->codePageName, e.codePage) << e.id;
        EXPECT_EQ(entry->characterRotation, e.rotation) << e.id;
        std::unique_ptr<qel::afp::MappedFontEntry> original(written.getMappedResource(e.id));
        ASSERT_NE(original, nullptr);
        EXPECT_STREQ(entry->characterSetName, original->characterSetName);
    }
    EXPECT_EQ(read->getMappedResource(4), nullptr);
    const std::vector<qel::afp::MapCodedFont1*> maps = mapFields(*read);
    ASSERT_EQ(maps.size(), 2u);
    for (const auto& e : expected) {
        qel::afp::MCF1RepeatingGroup* g = maps[e.groupLength == 28 ? 0 : 1]->getRepeatingGroup(e.id);
        ASSERT_NE(g, nullptr) << e.id;
        EXPECT_EQ(g->getGroupLength(), e.groupLength) << e.id;
    }
}

TEST_F(PageDefinitionReaderTest, HandBuiltEnvironmentGroups)
{
    auto mcf = [](int length, const Bytes& groups) {
        return field(0xB18A, cat({{static_cast<unsigned char>(length), 0, 0, 0}, groups}));
    };
    auto group = [](int id, int rotationBytes) {
        Bytes g = {static_cast<unsigned char>(id), 0, 0, 0};
        append(g, name8("X0F" + std::to_string(id)));
        append(g, name8("T1CP"));
        append(g, name8("C0CS"));
        if (rotationBytes)
            append(g, {0x5A, 0x00});
        return g;
    };
    const Bytes pgdData = cat({{0x00, 0x00, 0x09, 0x60, 0x09, 0x60, 0x00, 0x07, 0xC0, 0x00, 0x0A, 0xF6, 0, 0, 0},
                               fqn(0x01, 0x00, "PGDNAME"),
                               {0x08, 0x4B, 0x00, 0x00, 0x09, 0x60, 0x09, 0x60}});
    const Bytes bytes = cat({field(0xA8C9, name8("AEG1")), field(0xA6AF, pgdData), mcf(28, group(1, 0)),
                             mcf(30, group(2, 2)), mcf(29, group(5, 0)), field(0xA79B, Bytes(10, 0)),
                             field(0xABD8, {0x00, 0x06, 0x04, 0x24, 0x02, 0x01}), field(0xA9C9, name8("AEG1"))});
    std::unique_ptr<qel::afp::ActiveEnvironmentGroup> read = readGroup(bytes, m_triplets);
    ASSERT_NE(read, nullptr);
    qel::afp::PageDescriptor* pgd = read->getPageDescriptor();
    ASSERT_NE(pgd, nullptr);
    ASSERT_NE(pgd->getTriplets(), nullptr);
    EXPECT_EQ(pgd->getTriplets()->getCount(), 1);
    std::unique_ptr<qel::afp::MappedFontEntry> one(read->getMappedResource(1));
    ASSERT_NE(one, nullptr);
    EXPECT_STREQ(one->codePageName, "T1CP");
    EXPECT_STREQ(one->characterSetName, "C0CS");
    std::unique_ptr<qel::afp::MappedFontEntry> two(read->getMappedResource(2));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->characterRotation, 0x5A00);
    EXPECT_EQ(read->getMappedResource(5), nullptr);
    // Groups of 28 bytes pass no rotation, of 30 the one read, of 29 none.
    const std::vector<qel::afp::MapCodedFont1*> maps = mapFields(*read);
    ASSERT_EQ(maps.size(), 3u);
    ASSERT_NE(maps[0]->getRepeatingGroup(1), nullptr);
    EXPECT_EQ(maps[0]->getRepeatingGroup(1)->getGroupLength(), 28);
    EXPECT_EQ(maps[1]->getRepeatingGroup(2)->getGroupLength(), 30);
    EXPECT_EQ(maps[2]->getRepeatingGroupLength(), 29);
    EXPECT_EQ(maps[2]->getFirstRepeatingGroup(), nullptr);
    // Without its End field the input ends in an error and nothing is
    // given back; missing arguments give null.
    EXPECT_EQ(readGroup(Bytes(bytes.begin(), bytes.end() - 17), m_triplets), nullptr);
    qelAFPAEGParser parser;
    EXPECT_EQ(parser.parse(nullptr, &m_triplets), nullptr);
    EXPECT_EQ(parser.getParserType(), 5);
}

} // namespace
