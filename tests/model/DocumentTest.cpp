#include "RecordingVisitor.h"
#include "metainfo/ContentTag.h"

#include "qelBookmarkNode.h"
#include "qelDocument.h"
#include "qelList.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelLinkedList.h"
#include "CapturedOutput.h"
#include "qelMessageOutput.h"
#include "qelNOP.h"
#include "qelPage.h"
#include "qelPtocaMedia.h"
#include "qelUserData.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
// An AFP-like page: writes its parse id into the visitor's call list.
class DocPage : public qelPage, public qelPtocaMedia
{
public:
    DocPage(int parseId, const char* name)
    {
        setParseId(parseId);
        qelPage::setName(name);
    }
    void write(qelVisitor* visitor) override
    {
        static_cast<RecordingVisitor*>(visitor)->calls.push_back("page" + std::to_string(getParseId()));
        setWritten(true);
    }
    int kind() const override { return 1; }
    const char* getName() const override { return qelPage::getName(); }
};

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
        qelDocument::setCurrentPageNumber(0);
    }
    void TearDown() override { qelUtils::releaseGlobals(); }
};

std::string capture(const std::function<void()>& body)
{
    lrbtest::CapturedOutput output;
    body();
    return output.text();
}

TEST_F(DocumentTest, PagesAreWrittenInIdOrderWithGapsCounted)
{
    qelDocument doc("D1", 2);
    doc.addPage(new DocPage(10, "A"), 0);
    doc.addPage(new DocPage(11, "B"), 0);
    doc.addPage(new DocPage(12, "C"), 5);
    RecordingVisitor v;
    doc.write(&v);
    EXPECT_EQ(v.calls, (std::vector<std::string>{"page10", "page11", "page12"}));
    EXPECT_EQ(v.getDocumentPageCount(), 5);
    EXPECT_EQ(qelDocument::getCurrentPageNumber(), 5);
    EXPECT_EQ(doc.getPageCount(), 3);
    EXPECT_EQ(doc.getFirstPageNumber(), 10u);
    EXPECT_EQ(doc.getLastPageNumber(), 12u);

    std::vector<qelPage*> slots;
    for (qelPage* p = doc.getFirstPage(); slots.size() < 5; p = doc.getNextPage())
        slots.push_back(p);
    EXPECT_NE(slots[0], nullptr);
    EXPECT_EQ(slots[2], nullptr);
    EXPECT_EQ(slots[3], nullptr);
    EXPECT_NE(slots[4], nullptr);
    EXPECT_EQ(doc.getNextPage(), nullptr);
}

TEST_F(DocumentTest, AutomaticIdsSkipTakenOnesAndDuplicatesAreRefused)
{
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(false);
    qelDocument doc("D2", 2);
    auto* third = new DocPage(3, "P3");
    doc.addPage(new DocPage(1, "P1"), 1);
    doc.addPage(new DocPage(2, "P2"), 2);
    doc.addPage(third, 0);
    EXPECT_EQ(third->getId(), 3);
    auto* dup = new DocPage(4, "P4");
    const std::string out = capture([&] { doc.addPage(dup, 3); });
    delete dup;
    EXPECT_NE(out.find("Warning! Duplicate page (4,P4), unable to add it to document (0,D2) ... Skipping\n"),
              std::string::npos);
    EXPECT_EQ(doc.getPageCount(), 3);
}

TEST_F(DocumentTest, ReferencedPagesAreWrittenButNotOwned)
{
    DocPage shared(7, "S");
    shared.setScope();
    {
        qelDocument onlyShared("D3", 2);
        onlyShared.addPage(&shared, 1);
        RecordingVisitor v;
        onlyShared.write(&v);
        EXPECT_TRUE(v.calls.empty());
        EXPECT_EQ(onlyShared.getPageCount(), 0);
    }
    qelDocument doc("D4", 2);
    doc.addPage(&shared, 1);
    doc.addPage(new DocPage(8, "O"), 2);
    RecordingVisitor v;
    doc.write(&v);
    EXPECT_EQ(v.calls, (std::vector<std::string>{"page7", "page8"}));
    EXPECT_EQ(doc.getPageCount(), 1);
}

TEST_F(DocumentTest, DocumentRecordsGoBeforeTheFirstPageWritten)
{
    struct Case {
        std::vector<int> ids;
        int alreadyWritten; // index into ids, -1 for none
        std::vector<std::string> expected;
        uint32_t first;
    };
    const Case cases[] = {
        {{1, 2}, -1, {"writeNOP", "writeNOP", "page101", "page102"}, 101},
        {{2, 3}, -1, {"writeNOP", "writeNOP", "page102", "page103"}, 102},
        {{1, 2}, 0, {"writeNOP", "writeNOP", "page102"}, 102},
    };
    for (const Case& c : cases) {
        qelDocument doc("D", 2);
        doc.addNOP(new qelNOP("first"));
        doc.addNOP(new qelNOP("second"));
        for (size_t i = 0; i < c.ids.size(); ++i) {
            auto* page = new DocPage(100 + c.ids[i], "P");
            if (static_cast<int>(i) == c.alreadyWritten)
                page->setWritten(true);
            doc.addPage(page, c.ids[i]);
        }
        RecordingVisitor v;
        doc.write(&v);
        EXPECT_EQ(v.calls, c.expected) << c.ids[0];
        EXPECT_EQ(doc.getFirstPageNumber(), c.first);
    }
}

TEST_F(DocumentTest, AnUnboundAfpPageIsBoundBeforeWriting)
{
    qelDocument doc("D5", 2);
    auto* page = new DocPage(1, "P");
    doc.addPage(page, 0);
    EXPECT_FALSE(page->isBound());
    RecordingVisitor v;
    doc.write(&v);
    EXPECT_TRUE(page->isBound());
}

TEST_F(DocumentTest, MetaInformation)
{
    qelDocument doc("D6", 2);
    doc.addProperty(7, "2024-01-01");
    doc.addProperty(14, "ignored");
    EXPECT_STREQ(doc.getProperty("ModDate"), "2024-01-01");
    EXPECT_EQ(doc.getProperty("ModificationDate"), nullptr);
    EXPECT_EQ(doc.getProperty(nullptr), nullptr);
    EXPECT_EQ(doc.getProperty("title"), nullptr);

    auto* data = new qelUserData();
    data->setId("Key");
    EXPECT_EQ(doc.addUserData(data), 1);
    EXPECT_EQ(doc.addUserData(nullptr), -1);
    EXPECT_EQ(doc.getUserData("KEY"), data);
    EXPECT_EQ(doc.getUserData("other"), nullptr);
    qelUserDataNode* chain = doc.collectUserData();
    ASSERT_NE(chain, nullptr);
    EXPECT_STREQ(chain->id, "Key");
    EXPECT_EQ(chain->next, nullptr);
    std::free(chain);

    doc.addBookmark("Chapter", "One");
    doc.addBookmark("Chapter", "one");
    doc.addBookmark("Chapter", "Two");
    ASSERT_EQ(doc.getBookmarkTree()->getCount(), 1);
    auto* node = static_cast<qelBookmarkNode*>(doc.getBookmarkTree()->getHead()->item);
    EXPECT_EQ(node->getChildren()->getCount(), 2);
}

TEST_F(DocumentTest, EachDocumentOwnsItsBookmarkList)
{
    using de::orvo::ips::metainfo::ContentTag;
    auto tag = [](const char* name) {
        auto* t = new ContentTag();
        t->setName(name);
        return t;
    };
    qelGlobalRes* shared = qelGlobalDSPool::getInstance()->getGlobalRes();
    qelDocument first;
    ContentTag* a = tag("A");
    first.addBookmarkN(a);
    EXPECT_NE(shared->getBookmarks(), nullptr);

    // A later document's list becomes the shared one; the first still walks
    // its own.
    auto second = std::make_unique<qelDocument>();
    ContentTag* b = tag("B");
    second->addBookmarkN(b);
    EXPECT_EQ(first.getFirstBookmark(), a);
    EXPECT_EQ(first.getNextBookmark(), nullptr);
    EXPECT_EQ(second->getFirstBookmark(), b);
    qelLinkedList* secondList = shared->getBookmarks();
    ASSERT_NE(secondList, nullptr);
    EXPECT_EQ(qelLinkedList::getItem(secondList->getHead()), b);

    // Deleting the document that made it clears the shared list.
    second.reset();
    EXPECT_EQ(shared->getBookmarks(), nullptr);
    EXPECT_EQ(first.getFirstBookmark(), a);

    // Detaching hands the list over and clears the shared list.
    qelDocument third;
    third.addBookmarkN(tag("C"));
    std::unique_ptr<qelLinkedList> detached(third.detachBookmarks());
    ASSERT_NE(detached, nullptr);
    EXPECT_STREQ(static_cast<ContentTag*>(qelLinkedList::getItem(detached->getHead()))->getName(), "C");
    EXPECT_EQ(shared->getBookmarks(), nullptr);
    EXPECT_EQ(third.getFirstBookmark(), nullptr);
    EXPECT_EQ(third.detachBookmarks(), nullptr);

    // The end of an input forgets the shared list without deleting it.
    qelDocument fourth;
    ContentTag* d = tag("D");
    fourth.addBookmarkN(d);
    shared->clearAll();
    EXPECT_EQ(shared->getBookmarks(), nullptr);
    EXPECT_EQ(fourth.getFirstBookmark(), d);
}

TEST_F(DocumentTest, InvalidTypeKeepsTheOldOneAndWarns)
{
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(false);
    qelDocument doc;
    const std::string out = capture([&] { doc.setType(65); });
    EXPECT_EQ(doc.getType(), 0);
    EXPECT_EQ(out, "Warning! Invalid Document Type A\n");
    doc.setType(3);
    EXPECT_EQ(doc.getType(), 3);
}
}
