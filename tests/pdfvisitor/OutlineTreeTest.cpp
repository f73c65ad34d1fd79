// The bookmark tree of the PDF visitor: merging by name, index values and
// the outline calls it makes.
#include "qelBookmarkNode.h"
#include "qelIndex.h"
#include "qelIndexSet.h"
#include "qelList.h"
#include "qelPDFOutlineTree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "name@page[children]" of a node list.
std::string shape(const qelList* list)
{
    std::string out;
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        const auto* node = static_cast<const qelBookmarkNode*>(n->item);
        if (!out.empty())
            out += ' ';
        out += (node->getName() ? node->getName() : "-") + std::string("@") + std::to_string(node->getValue());
        if (node->getChildren())
            out += "[" + shape(node->getChildren()) + "]";
    }
    return out;
}

qelList* bookmarks(std::initializer_list<std::pair<const char*, std::initializer_list<const char*>>> nodes)
{
    auto* list = new qelList(&qelList::deleteAs<qelBookmarkNode>);
    for (const auto& n : nodes) {
        auto* node = new qelBookmarkNode(n.first, 99);
        for (const char* c : n.second)
            node->addChild(new qelBookmarkNode(c, 98));
        list->append(node);
    }
    return list;
}

TEST(OutlineTree, MergeByExactTopLevelName)
{
    qelPDFOutlineTree tree(nullptr);
    EXPECT_EQ(nullptr, tree.findEntry("Invoices"));
    tree.merge(bookmarks({{"Invoices", {"A"}}, {"Letters", {}}}), 1);
    tree.merge(bookmarks({{"Invoices", {"B", "C"}}, {"invoices", {"D"}}}), 4);
    tree.merge(bookmarks({{nullptr, {"E"}}}), 0);
    EXPECT_EQ("Invoices@1[A@1 B@4 C@4] Letters@1 invoices@4[D@4] -@0[E@0]", shape(tree.getRoot()));
    EXPECT_NE(nullptr, tree.findEntry("Invoices"));
    EXPECT_EQ(nullptr, tree.findEntry("INVOICES"));
    EXPECT_EQ(nullptr, tree.findEntry(nullptr));
}

TEST(OutlineTree, IndexValuesAddOnceInARow)
{
    qelPDFOutlineTree tree(nullptr);
    qelIndexSet set("group", 1);
    struct Value {
        const char* name;
        const char* value;
    };
    for (const Value& v : {Value{"Customer", "ACME"}, Value{"Customer", "acme"}, Value{"Region", nullptr}}) {
        auto* entry = new qelIndex();
        entry->setName(v.name);
        entry->setValue(v.value);
        set.addIndex(entry, false);
    }
    tree.addIndexBookmarks(&set, 2);
    tree.addIndexBookmarks(&set, 2);
    tree.addIndexBookmarks(&set, 3);
    EXPECT_EQ("Customer@2[ACME@2 ACME@3] Region@2", shape(tree.getRoot()));
}

// An unnamed node's children go below the outline written last at its
// level, or to the top level before any.
TEST(OutlineTree, WritesNamedNodesAndPassesOnChildrenOfUnnamedOnes)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    ASSERT_EQ(0, opdf_init(ctx));
    for (int p = 1; p <= 2; ++p)
        ASSERT_EQ(0, opdf_pageInit(ctx, p, 0, "0 0 612 792", "0 0 612 792"));
    qelPDFOutlineTree tree(ctx);
    tree.merge(bookmarks({{nullptr, {"X", "Y"}}, {"A", {"A1"}}, {nullptr, {"Z"}}, {"B", {}}}), 7);
    // Pages beyond the last written one point to it.
    tree.writeOutlines(tree.getRoot(), nullptr, 2);
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    unsigned length = 0;
    const unsigned char* bytes = opdf_getMemoryOutput(ctx, &length);
    const std::string pdf(reinterpret_cast<const char*>(bytes), length);
    // X, Y, A and B at the top level; A is closed with A1 and Z below it.
    EXPECT_NE(pdf.find("/Type /Outlines\n/Count 4\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Title (A)\n/Next"), std::string::npos);
    EXPECT_NE(pdf.find("/Title (Y)\n/Next"), std::string::npos);
    EXPECT_NE(pdf.find("/Count -2\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/Dest [0 0 R"), std::string::npos);
    EXPECT_EQ(pdf.find("/Title ()"), std::string::npos);
    opdf_close(ctx);
}

} // namespace
