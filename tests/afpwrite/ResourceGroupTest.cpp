// Resource groups: lists, lookup, write order, and group files that the
// reader core's resource group parser loads.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpResource.h"
#include "qel/afp/AfpResourceGroup.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/FileObject.h"
#include "qel/afp/Log.h"
#include "qelFileStream.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelRes.h"
#include "qelResGroupParser.h"

#include <memory>

using namespace afpwrite;
using Group = qel::afp::ResourceGroup;

namespace
{

// Resource files as the resource tests build them: a form definition with
// one medium map, an overlay with text, a page segment.
Bytes formDefinition(const std::string& name)
{
    return cat({field(0xA8CD, name8(name)), field(0xA8CC, name8("M1")),
                field(0xA288, {0x00, 0x01, 0x00, 0x01, 0x00, 0x01}),
                field(0xA788, {0x01, 0xFF, 0xF4, 0x01, 0xF2, 0x01}), field(0xA9CC, name8("M1")),
                field(0xA9CD, name8(name))});
}

Bytes overlay(const std::string& name)
{
    const Bytes size = {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x03, 0x20, 0, 0x01, 0x90};
    Bytes text = {0x2B, 0xD3, 0x04, 0xD3, 0x00, 0x64, 0x04, 0xC7, 0x00, 0x32};
    const Bytes words = ebcdic("OVERLAY TEXT");
    text.push_back(static_cast<unsigned char>(words.size() + 2));
    text.push_back(0xDA);
    append(text, words);
    return cat({field(0xA8DF, name8(name)), field(0xA8C9, {}), field(0xA6AF, cat({size, {0, 0, 0}})),
                field(0xB19B, cat({size, {0, 0}})), field(0xA9C9, {}), field(0xA89B, {}), field(0xEE9B, text),
                field(0xA99B, {}), field(0xA9DF, name8(name))});
}

Bytes pageSegment(const std::string& name)
{
    return cat({field(0xA85F, name8(name)), field(0xA8FB, name8("IMG1")), field(0xA9FB, name8("IMG1")),
                field(0xA95F, name8(name))});
}

Bytes without5A(const Bytes& fields)
{
    Bytes out;
    const FieldDump dump = dumpFields(fields);
    for (const DumpedField& f : dump.fields) {
        Bytes one = field(f.id, f.data);
        out.insert(out.end(), one.begin() + 1, one.end());
    }
    return out;
}

// Identifier and data of every field, whatever their framing.
std::vector<std::pair<int, Bytes>> contents(const FieldDump& dump)
{
    std::vector<std::pair<int, Bytes>> out;
    for (const DumpedField& f : dump.fields)
        out.emplace_back(f.id, f.data);
    return out;
}

qel::afp::Resource* fileResource(const char* name, const std::string& path)
{
    auto* resource = new qel::afp::Resource();
    resource->setName(name);
    resource->add(new qel::FileObject(path.c_str(), false));
    return resource;
}

class ResourceGroupTest : public LibraryTest
{
protected:
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        LibraryTest::TearDown();
    }

    // A group over its own file stream.
    std::unique_ptr<Group> fileGroup(const std::string& path)
    {
        auto* stream = new qelFileStream();
        stream->setName(path.c_str());
        auto group = std::make_unique<Group>(new qel::DataStream(stream));
        group->setName("G1");
        EXPECT_EQ(group->open(), 0);
        return group;
    }

    std::string golden(const std::string& name)
    {
        return readText(std::string(LORBANE_TEST_DATA) + "/afpwrite/" + name);
    }
};

TEST_F(ResourceGroupTest, AddsOncePerTypeAndFindsByExactName)
{
    Group group;
    auto* s1 = new qel::afp::Resource(3);
    s1->setName("S1");
    group.addResource(s1, Group::PAGE_SEGMENT, true);
    group.addResource(s1, Group::PAGE_SEGMENT, true);
    EXPECT_EQ(s1->getReferenceCount(), 1);
    group.addResource(s1, Group::OVERLAY, false);
    EXPECT_EQ(s1->getReferenceCount(), 2);
    int id = -1;
    EXPECT_TRUE(group.findResource("S1", Group::PAGE_SEGMENT, &id));
    EXPECT_EQ(id, 3);
    id = -1;
    EXPECT_FALSE(group.findResource("s1", Group::PAGE_SEGMENT, &id));
    EXPECT_EQ(id, -1);
    EXPECT_FALSE(group.findResource("S1", Group::CODE_PAGE, &id));
    EXPECT_FALSE(group.findResource("S1", 7, &id));
    EXPECT_FALSE(group.findResource(nullptr, Group::OVERLAY, &id));
    // The envelope fields are not resources.
    auto* other = new qel::afp::Resource();
    group.addResource(other, 9, true);
    EXPECT_EQ(other->getReferenceCount(), 0);
    delete other;
}

TEST_F(ResourceGroupTest, WritesTheListsInTheirOrder)
{
    Group group;
    EXPECT_EQ(group.write(nullptr, 0, nullptr), -1);
    MemoryOutput none;
    EXPECT_EQ(group.write(none.stream(), 1, nullptr), -2);
    EXPECT_TRUE(none.bytes().empty());
    const std::pair<const char*, int> added[] = {
        {"F1", Group::FORM_MAP}, {"S1", Group::PAGE_SEGMENT}, {"O1", Group::OVERLAY},
        {"C1", Group::CODE_PAGE}, {"X1", Group::CODED_FONT}, {"H1", Group::CHARACTER_SET}};
    for (const auto& a : added) {
        auto* r = new qel::afp::Resource();
        r->setName(a.first);
        // Content: a No Operation field named after the resource.
        auto* nop = new qel::afp::StructuredField();
        Bytes bytes = field(0xEEEE, ebcdic(a.first));
        nop->setData(bytes.data() + 1, static_cast<int>(bytes.size() - 1));
        r->addStructuredField(nop, qel::afp::Resource::ADD_AT_TAIL);
        group.addResource(r, a.second, true);
    }
    MemoryOutput out;
    EXPECT_EQ(group.write(out.stream(), 1, nullptr), 0);
    const FieldDump dump = dumpFields(out.bytes());
    EXPECT_TRUE(dump.problems.empty());
    std::string order;
    for (const DumpedField& f : dump.fields) {
        if (f.id == 0xEEEE)
            order += std::string(f.data.begin(), f.data.end()) + " ";
        else if (f.id == 0xA8CE)
            order += "[" + toHex(Bytes(f.data.begin() + 12, f.data.begin() + 13)) + " ";
        else if (f.id == 0xA9CE)
            order += "] ";
    }
    EXPECT_EQ(order, "[FE " + chars::ebcdic("F1") + " ] [FC " + chars::ebcdic("O1") + " ] [FB " +
                         chars::ebcdic("S1") + " ] [42 " + chars::ebcdic("X1") + " ] [40 " + chars::ebcdic("H1") +
                         " ] [41 " + chars::ebcdic("C1") + " ] ");
    EXPECT_EQ(dump.fields.front().id, 0xA8C6);
    EXPECT_EQ(dump.fields.back().id, 0xA9C6);
    // Written again: the group and its resources are kept.
    MemoryOutput again;
    EXPECT_EQ(group.write(again.stream(), 0, nullptr), 0);
    EXPECT_EQ(dumpFields(again.bytes()).fields.size(), dump.fields.size());
}

TEST_F(ResourceGroupTest, GroupFileLoadsAtProcessLevel)
{
    const std::string form = writeFile("F1.res", formDefinition("F1TEST"));
    const std::string oly = writeFile("O1.res", overlay("O1GRP"));
    const std::string seg = writeFile("S1.res", pageSegment("S1GRP"));
    for (uint16_t flags : {uint16_t(1), uint16_t(0)}) {
        const std::string path = m_dir + "/group" + std::to_string(flags) + ".rgp";
        {
            std::unique_ptr<Group> group = fileGroup(path);
            group->addResource(fileResource("F1TEST", form), Group::FORM_MAP, true);
            group->addResource(fileResource("S1GRP", seg), Group::PAGE_SEGMENT, true);
            group->addResource(fileResource("O1GRP", oly), Group::OVERLAY, true);
            EXPECT_EQ(group->write(nullptr, flags, nullptr), 0);
            group->close();
        }
        const FieldDump dump = dumpFields(readFile(path));
        EXPECT_TRUE(dump.problems.empty()) << dump.problems.front();
        for (const DumpedField& f : dump.fields)
            EXPECT_EQ(f.with5A, flags == 1) << std::hex << f.id;
        if (flags == 1) {
            EXPECT_EQ(dump.text(), golden("resource-group.dump"));
        }

        delete qelGlobalDSPool::getInstance();
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        pool->getIni()->setResourceGroup("0");
        pool->getResGroupParser()->parseFile(path.c_str());
        qelGlobalRes* resources = pool->getGlobalRes();
        const struct
        {
            const char* name;
            int type;
        } expected[] = {{"F1TEST", qelRes::TYPE_FORM_MAP}, {"O1GRP", qelRes::TYPE_OVERLAY},
                        {"S1GRP", qelRes::TYPE_PAGE_SEGMENT}};
        for (const auto& e : expected) {
            qelList* process = resources->getList(1, e.name, e.type - 1);
            ASSERT_NE(process, nullptr) << e.name;
            EXPECT_NE(resources->findInList(e.name, e.type, process), nullptr) << flags << " " << e.name;
            qelList* spool = resources->getList(0, e.name, e.type - 1);
            EXPECT_EQ(spool ? resources->findInList(e.name, e.type, spool) : nullptr, nullptr) << e.name;
        }
    }
}

TEST_F(ResourceGroupTest, FileObjectFramesEachFieldByTheFlags)
{
    const Bytes with = overlay("O1");
    const Bytes bare = without5A(with);
    ASSERT_NE(bare[0], 0x5A);
    const auto expected = contents(dumpFields(with));
    struct Case
    {
        const char* what;
        Bytes file;
        uint16_t flags;
    } cases[] = {
        {"no X'5A' into flag 1", bare, 1},
        {"X'5A' into flag 0", with, 0},
        {"X'5A' into flag 1", with, 1},
        {"no X'5A' into flag 0", bare, 0},
    };
    for (const Case& c : cases) {
        const std::string path = writeFile("file.res", c.file);
        qel::FileObject object(path.c_str(), false);
        const Bytes out = written(object, c.flags);
        const FieldDump dump = dumpFields(out);
        EXPECT_TRUE(dump.problems.empty()) << c.what;
        EXPECT_EQ(contents(dump), expected) << c.what;
        for (const DumpedField& f : dump.fields)
            EXPECT_EQ(f.with5A, c.flags == 1) << c.what;
        EXPECT_EQ(out.size(), bare.size() + (c.flags ? expected.size() : 0)) << c.what;
    }
}

TEST_F(ResourceGroupTest, BytesThatFormNoFieldAreDroppedWithAWarning)
{
    RecordingLogger& log = record();
    const Bytes one = field(0xA8DF, name8("O1"));
    const Bytes two = field(0xA9DF, name8("O1"));
    // Garbage between the fields and a cut field at the end.
    const Bytes file = cat({one, {0x01, 0x02, 0x03, 0x40, 0x40}, two, {0x5A, 0x00, 0x20, 0xD3, 0xA8}});
    const std::string path = writeFile("damaged.res", file);
    qel::FileObject object(path.c_str(), false);
    int rc = -5;
    const Bytes out = written(object, 1, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, cat({one, two}));
    EXPECT_NE(log.lines.find("Dropped 5 bytes that form no structured field in file " + path), std::string::npos)
        << log.lines;
    EXPECT_NE(log.lines.find("Dropped 5 bytes"), log.lines.rfind("Dropped 5 bytes"));
}

TEST_F(ResourceGroupTest, LargeResourceIsCopiedAcrossReadBlocks)
{
    // Fields of 1000 bytes cross the copy's 4096-byte reads.
    Bytes file;
    for (int i = 0; i < 20; ++i)
        append(file, field(0xEEEE, Bytes(992, static_cast<unsigned char>(i))));
    const std::string path = writeFile("large.res", without5A(file));
    qel::FileObject object(path.c_str(), false);
    EXPECT_EQ(written(object, 1), file);
}

// A resource writes its fields, head insertions first, whatever they
// return, and finalizes itself first.
TEST_F(ResourceGroupTest, ResourceWritesItsFieldsInListOrder)
{
    struct Finalizing : qel::afp::Resource
    {
        int finalize() override
        {
            ++finalized;
            return 0;
        }
        int finalized = 0;
    } resource;
    MemoryOutput none;
    EXPECT_EQ(resource.write(none.stream(), 0, nullptr), -1);
    auto nop = [](const char* text) {
        auto* f = new qel::afp::StructuredField();
        Bytes bytes = field(0xEEEE, ebcdic(text));
        f->setData(bytes.data() + 1, static_cast<int>(bytes.size() - 1));
        return f;
    };
    resource.addStructuredField(nop("B"), qel::afp::Resource::ADD_AT_TAIL);
    resource.addStructuredField(nop("A"), qel::afp::Resource::ADD_AT_HEAD);
    resource.addStructuredField(nop("C"), qel::afp::Resource::ADD_AT_TAIL);
    // A field without data fails; the resource still answers 0.
    resource.addStructuredField(new qel::afp::StructuredField(), qel::afp::Resource::ADD_AT_TAIL);
    resource.addStructuredField(nullptr, qel::afp::Resource::ADD_AT_TAIL);
    MemoryOutput out;
    EXPECT_EQ(resource.write(out.stream(), 1, nullptr), 0);
    EXPECT_EQ(resource.finalized, 1);
    std::string texts;
    for (const DumpedField& f : dumpFields(out.bytes()).fields)
        texts += std::string(f.data.begin(), f.data.end());
    EXPECT_EQ(texts, chars::ebcdic("ABC"));
    EXPECT_EQ(resource.write(nullptr, 1, nullptr), -1);
}

} // namespace
