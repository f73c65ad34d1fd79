#include "CapturedOutput.h"
#include "qelChunkList.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLinkedList.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Items that count how many of them are alive, deleted through a base pointer.
struct Item
{
    static int alive;
    explicit Item(int v) : value(v) { ++alive; }
    virtual ~Item() { --alive; }
    int value;
};
int Item::alive = 0;

struct NamedItem : Item
{
    NamedItem(int v, const char* n) : Item(v), name(new char[std::strlen(n) + 1])
    {
        std::strcpy(name, n);
    }
    ~NamedItem() override { delete[] name; }
    char* name;
};

std::vector<int> values(const qelList& list)
{
    std::vector<int> out;
    for (qelListNode* n = list.getHead(); n; n = n->next)
        out.push_back(static_cast<Item*>(n->item)->value);
    return out;
}

std::vector<int> values(const qelLinkedList& list)
{
    std::vector<int> out;
    for (qelLinkedListNode* n = list.getHead(); n; n = qelLinkedList::getNext(n))
        out.push_back(static_cast<Item*>(qelLinkedList::getItem(n))->value);
    return out;
}

// Walks backwards from the tail, so broken previous links show up.
std::vector<int> valuesBackwards(const qelLinkedList& list)
{
    std::vector<int> out;
    for (qelLinkedListNode* n = list.getTail(); n; n = list.previous(n))
        out.insert(out.begin(), static_cast<Item*>(n->item)->value);
    return out;
}

class ListTest : public ::testing::Test
{
protected:
    void SetUp() override { Item::alive = 0; }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        EXPECT_EQ(Item::alive, 0) << "items leaked or deleted twice";
    }
};

} // namespace

TEST_F(ListTest, AppendIgnoresNullAndOwningListDeletesThroughVirtualDestructor)
{
    auto* list = new qelList(&qelList::deleteAs<Item>);
    list->append(nullptr);
    EXPECT_EQ(list->getCount(), 0);
    EXPECT_EQ(list->getHead(), nullptr);
    list->append(new Item(1));
    list->append(new NamedItem(2, "two")); // its name is freed by its own destructor
    list->append(nullptr);
    EXPECT_EQ(list->getCount(), 2);
    EXPECT_EQ(values(*list), (std::vector<int>{1, 2}));
    qelList::destroy(list);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(Item::alive, 0);
}

TEST_F(ListTest, ClearingANonOwningListLeavesItemsAlive)
{
    Item a(1), b(2);
    qelList list;
    list.append(&a);
    list.append(&b);
    list.clear();
    EXPECT_EQ(list.getCount(), 0);
    EXPECT_EQ(list.getHead(), nullptr);
    EXPECT_EQ(list.getTail(), nullptr);
    EXPECT_EQ(Item::alive, 2);

    qelLinkedList linked;
    linked.append(&a);
    linked.remove(linked.getHead());
    linked.append(&b);
    linked.clear();
    EXPECT_EQ(Item::alive, 2);
}

TEST_F(ListTest, RemoveAtByIndex)
{
    struct Case { int index; std::vector<int> left; };
    const Case cases[] = {
        {0, {2, 3}},
        {1, {1, 3}},
        {2, {1, 2}},
        {3, {1, 2}},    // index == count: the last node
        {4, {1, 2, 3}}, // beyond: nothing
        {-1, {1, 2, 3}},
    };
    for (const auto& c : cases) {
        qelList list(&qelList::deleteAs<Item>);
        for (int v = 1; v <= 3; ++v)
            list.append(new Item(v));
        list.removeAt(c.index);
        EXPECT_EQ(values(list), c.left) << "index " << c.index;
        EXPECT_EQ(list.getCount(), static_cast<int>(c.left.size()));
        EXPECT_EQ(Item::alive, static_cast<int>(c.left.size())) << "removed item not deleted";
        // The tail must still be right: a new item lands at the end.
        list.append(new Item(9));
        std::vector<int> expected = c.left;
        expected.push_back(9);
        EXPECT_EQ(values(list), expected) << "index " << c.index;
    }

    qelList single(&qelList::deleteAs<Item>);
    single.append(new Item(1));
    single.removeAt(0);
    EXPECT_EQ(single.getHead(), nullptr);
    EXPECT_EQ(single.getTail(), nullptr);
    single.append(new Item(2));
    EXPECT_EQ(values(single), (std::vector<int>{2}));
}

TEST_F(ListTest, RemovingFromAnEmptyListWarns)
{
    char logPath[] = "/tmp/lorbane_list_XXXXXX";
    int fd = mkstemp(logPath);
    ASSERT_GE(fd, 0);
    close(fd);

    struct Case { bool quiet; const char* level; int index; bool console; bool logged; };
    const Case cases[] = {
        {false, "2", 0, true, true},
        {true, "2", 0, false, true},
        {false, "1", 0, true, false},
        {false, "2", 1, false, false}, // index beyond count: silently nothing
    };
    for (const auto& c : cases) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        ASSERT_NE(pool, nullptr);
        pool->getIni()->setQuietMode(c.quiet);
        qelLogStream* log = pool->getLogStream();
        log->setLevel(c.level);
        log->open(logPath);
        ASSERT_NE(log->getFile(), nullptr);

        FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        qelMessageOutput::set(out);
        qelList list;
        list.removeAt(c.index);
        qelMessageOutput::set(nullptr);
        std::string console = lrbtest::streamText(out);
        std::fclose(out);
        delete pool; // closes the log

        std::ifstream in(logPath, std::ios::binary);
        std::stringstream logged;
        logged << in.rdbuf();

        const std::string warning = "Warning! No element to delete from the list!";
        EXPECT_EQ(console, c.console ? warning + "\n" : "") << c.level << " quiet " << c.quiet;
        if (c.logged)
            EXPECT_EQ(logged.str(), "\r\n" + std::string(22, ' ') + warning) << c.level;
        else
            EXPECT_EQ(logged.str(), "") << c.level;
    }
    std::remove(logPath);
}

TEST_F(ListTest, LinkedListRemoveKeepsLinksConsistent)
{
    struct Case { const char* name; std::vector<int> removeValues; std::vector<int> left; };
    const Case cases[] = {
        {"last of two", {2}, {1}},
        {"head", {1}, {2, 3}},
        {"middle", {2}, {1, 3}},
        {"tail", {3}, {1, 2}},
        {"all", {1, 2, 3}, {}},
    };
    for (const auto& c : cases) {
        qelLinkedList list(&qelLinkedList::deleteAs<Item>);
        const int n = c.name == std::string("last of two") ? 2 : 3;
        for (int v = 1; v <= n; ++v)
            list.append(new Item(v));
        // Remove while walking, fetching the next node first.
        for (qelLinkedListNode* node = list.getHead(); node;) {
            qelLinkedListNode* after = list.next(node);
            int v = static_cast<Item*>(node->item)->value;
            for (int r : c.removeValues)
                if (r == v)
                    list.remove(node);
            node = after;
        }
        EXPECT_EQ(values(list), c.left) << c.name;
        EXPECT_EQ(valuesBackwards(list), c.left) << c.name;
        EXPECT_EQ(list.count(), static_cast<int>(c.left.size())) << c.name;
        EXPECT_EQ(Item::alive, static_cast<int>(c.left.size())) << c.name;
        if (!c.left.empty()) {
            EXPECT_EQ(list.getHead()->previous, nullptr) << c.name;
            EXPECT_EQ(list.getTail()->next, nullptr) << c.name;
        } else {
            EXPECT_EQ(list.getTail(), nullptr) << c.name;
        }

        // A following append links the new node behind the tail.
        list.append(new Item(7));
        std::vector<int> expected = c.left;
        expected.push_back(7);
        EXPECT_EQ(values(list), expected) << c.name;
        EXPECT_EQ(valuesBackwards(list), expected) << c.name;
    }
}

TEST_F(ListTest, LinkedListNodesAndInit)
{
    qelLinkedList list;
    EXPECT_EQ(list.next(nullptr), nullptr);
    auto* node = new qelLinkedListNode(new Item(1));
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(node->previous, nullptr);
    list.appendNode(node);
    list.appendNode(nullptr);
    list.append(nullptr);
    list.append(new Item(2));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.previous(list.getTail()), node);
    EXPECT_EQ(list.nextNode(node), list.getTail());

    // init empties the list (not owning: delete the items here) and sets ownership.
    std::vector<Item*> items;
    for (qelLinkedListNode* n = list.getHead(); n; n = n->next)
        items.push_back(static_cast<Item*>(n->item));
    list.init(&qelLinkedList::deleteAs<Item>);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.getHead(), nullptr);
    for (Item* i : items)
        delete i;
    list.append(new Item(3));
    EXPECT_TRUE(list.ownsItems());
    list.remove(nullptr);
    EXPECT_EQ(list.count(), 1);
}

TEST_F(ListTest, ChunkListJoinsWritesAndKeepsTheTotalOverClear)
{
    auto chunk = [](const char* text) {
        size_t n = std::strlen(text);
        auto* data = new unsigned char[n];
        std::memcpy(data, text, n);
        return data;
    };
    qelChunkList chunks;
    chunks.append(chunk("abc"), 3);
    chunks.append(nullptr, 5);
    chunks.append(chunk("de"), 2);
    EXPECT_EQ(chunks.getTotalLength(), 5u);
    EXPECT_EQ(chunks.getCount(), 2);

    unsigned char* joined = chunks.join();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(joined), 5), "abcde");
    delete[] joined;

    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(chunks.writeTo(f));
    EXPECT_EQ(lrbtest::streamText(f), "abcde");
    std::fclose(f);
    EXPECT_FALSE(chunks.writeTo(nullptr));

    // After clear the total still counts the bytes that went elsewhere.
    chunks.clear();
    EXPECT_EQ(chunks.getHead(), nullptr);
    EXPECT_EQ(chunks.getTotalLength(), 5u);
    EXPECT_EQ(chunks.getCount(), 2);
    chunks.append(chunk("xy"), 2);
    EXPECT_EQ(chunks.getTotalLength(), 7u);

    // Joining then never reads or writes beyond what is held.
    joined = chunks.join();
    EXPECT_EQ(std::memcmp(joined, "xy\0\0\0\0\0", 7), 0);
    delete[] joined;
}
