// The object library's frame: references, writable lists, data stream,
// pool, profile, log functions and the library's start and end.
#include "AfpWriteSupport.h"

#include "qel/afp/ConsoleLogger.h"
#include "qel/afp/DLinkedList.h"
#include "qel/afp/FileLogger.h"
#include "qel/afp/Log.h"
#include "qel/afp/LoggerComposition.h"
#include "qel/afp/OutputProfile.h"
#include "qel/afp/Utils.h"
#include "qel/afp/WritableContext.h"

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace afpwrite;

namespace
{

// Counts its deletions.
class Counted : public qel::Writable
{
public:
    explicit Counted(int* deleted) : m_deleted(deleted) {}
    ~Counted() override { ++*m_deleted; }

private:
    int* m_deleted;
};

using List = qel::DLinkedList<qel::WritableContext>;

// The tags of the writables in list order (their addresses' indices).
std::vector<int> order(const List& list, const std::vector<qel::Writable*>& items)
{
    std::vector<int> out;
    for (auto* n = list.getFirst(); n; n = n->getNext()) {
        qel::Writable* w = n->getData() ? n->getData()->getWritable() : nullptr;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == w)
                out.push_back(static_cast<int>(i));
    }
    // The backward links agree with the forward ones.
    std::vector<int> back;
    auto* tail = list.getFirst();
    while (tail && tail->getNext())
        tail = tail->getNext();
    for (auto* n = tail; n; n = n->getPrevious())
        for (size_t i = 0; i < items.size(); ++i)
            if (n->getData() && items[i] == n->getData()->getWritable())
                back.insert(back.begin(), static_cast<int>(i));
    EXPECT_EQ(out, back);
    return out;
}

qel::WritableContext* holding(qel::Writable* w)
{
    qel::WritableContext* c = qel::WritableContext::holding(w);
    w->addReference(1);
    return c;
}

class FrameTest : public LibraryTest
{
};

TEST_F(FrameTest, ObjectInTwoListsIsDeletedByTheSecondRelease)
{
    int deleted = 0;
    auto* shared = new Counted(&deleted);
    auto first = std::make_unique<List>(true);
    auto second = std::make_unique<List>(true);
    first->append(holding(shared));
    second->append(holding(shared));
    EXPECT_EQ(shared->getReferenceCount(), 2);
    first.reset();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(shared->getReferenceCount(), 1);
    second.reset();
    EXPECT_EQ(deleted, 1);
}

TEST_F(FrameTest, InsertAtPlacesNodesByIndex)
{
    struct Case
    {
        int before; // nodes already in the list
        int position;
        std::vector<int> expected; // the new node is tag 9
    } cases[] = {
        {0, 0, {9}},          {0, 5, {9}},          {1, 1, {0, 9}},    {1, 0, {9, 0}},
        {2, 2, {0, 1, 9}},    {3, 1, {0, 9, 1, 2}}, {3, 2, {0, 1, 9, 2}}, {3, 7, {0, 1, 2, 9}},
    };
    for (const Case& c : cases) {
        int deleted = 0;
        std::vector<qel::Writable*> items;
        for (int i = 0; i < 10; ++i)
            items.push_back(new Counted(&deleted));
        {
            List list(true);
            for (int i = 0; i < c.before; ++i)
                list.append(holding(items[i]));
            list.insertAt(holding(items[9]), c.position);
            EXPECT_EQ(order(list, items), c.expected) << c.before << " at " << c.position;
            EXPECT_EQ(list.getCount(), c.before + 1);
        }
        for (int i = 0; i < 10; ++i)
            if (i >= c.before && i != 9)
                delete items[i];
        EXPECT_EQ(deleted, 10);
    }
}

TEST_F(FrameTest, InsertAtNegativePositionThrowsALastingText)
{
    List list(true);
    const char* text = nullptr;
    try {
        list.insertAt(nullptr, -3);
    } catch (const char* t) {
        text = t;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Warning! Invalid element position (-3) to delete");
    EXPECT_EQ(list.getCount(), 0);
}

TEST_F(FrameTest, RemoveRelinksAndAppendFollowsTheNewTail)
{
    int deleted = 0;
    std::vector<qel::Writable*> items;
    for (int i = 0; i < 4; ++i)
        items.push_back(new Counted(&deleted));
    List list(true);
    for (int i = 0; i < 3; ++i)
        list.append(holding(items[i]));
    auto* last = list.getFirst()->getNext()->getNext();
    list.remove(last);
    EXPECT_EQ(deleted, 1);
    list.append(holding(items[3]));
    EXPECT_EQ(order(list, items), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(list.getCount(), 3);
    list.remove(list.getFirst());
    EXPECT_EQ(order(list, items), (std::vector<int>{1, 3}));
    list.remove(list.getFirst());
    list.remove(list.getFirst());
    EXPECT_EQ(list.getFirst(), nullptr);
    EXPECT_EQ(list.getCount(), 0);
    int more = 0;
    auto* again = new Counted(&more);
    list.append(holding(again));
    EXPECT_EQ(list.getCount(), 1);
    EXPECT_EQ(list.getFirst()->getData()->getWritable(), again);
    list.remove(nullptr);
    EXPECT_EQ(list.getCount(), 1);
}

TEST_F(FrameTest, GetNextOnAnEmptyListIsNull)
{
    List empty(true);
    List other(true);
    int deleted = 0;
    other.append(holding(new Counted(&deleted)));
    EXPECT_EQ(empty.getNext(other.getFirst()), nullptr);
    EXPECT_EQ(other.getNext(nullptr), nullptr);
    // A null context is linked and skipped by walkers.
    other.insertAt(nullptr, 0);
    EXPECT_EQ(other.getCount(), 2);
    EXPECT_EQ(other.getFirst()->getData(), nullptr);
}

TEST_F(FrameTest, DataStreamFailuresAreReturnsWithTheirLines)
{
    RecordingLogger& log = record();
    MemoryOutput out;
    const unsigned char byte = 0x5A;
    EXPECT_EQ(out.stream()->write(&byte, 0), -1);
    EXPECT_EQ(out.stream()->write(nullptr, 1), -1);
    EXPECT_NE(log.lines.find("[ZUZovo] DEBUG   : \tStream or Buffer = (null)\r\n"), std::string::npos) << log.lines;
    EXPECT_EQ(out.stream()->write(&byte, 1), 0);
    EXPECT_EQ(out.bytes(), Bytes{0x5A});
    qel::DataStream none;
    EXPECT_EQ(none.open(), -1);
    EXPECT_EQ(none.write(&byte, 1), -1);
    none.close();
    EXPECT_NE(log.lines.find("\tStream=(null)"), std::string::npos);
}

TEST_F(FrameTest, LogFunctionsFollowTheLibraryAndTheMasks)
{
    // Started, but no logger registered: nothing to write, no file logger.
    EXPECT_EQ(qel::logInfo("x %d", 1), 0);
    RecordingLogger console(qel::Logger::KIND_CONSOLE, qel::Logger::WARNING);
    qel::DataPool::getInstance()->addLogger(&console);
    // No file logger: the composition returns 0.
    EXPECT_EQ(qel::logWarning("w %s", "1"), 0);
    EXPECT_EQ(console.lines, "[ZUZovo] WARNING : w 1\r\n");
    RecordingLogger& file = record();
    file.setLevel(qel::Logger::ERROR);
    // The file logger lacks the bit: -1, though the console wrote.
    EXPECT_EQ(qel::logWarning("w %s", "2"), -1);
    EXPECT_EQ(qel::logError("e"), 0);
    EXPECT_EQ(file.lines, "[ZUZovo] ERROR   : e\r\n");
    EXPECT_EQ(qel::logDebugText(nullptr), -1);
    EXPECT_EQ(qel::logDebug(nullptr), -1);
    // Text passes unformatted.
    file.setLevel(qel::Logger::INFO);
    EXPECT_EQ(qel::logInfoText("100% %s"), 0);
    EXPECT_NE(file.lines.find("[ZUZovo] INFO    : 100% %s\r\n"), std::string::npos);

    qel::afp::finalizeLibrary();
    const std::string before = file.lines;
    EXPECT_EQ(qel::logError("e"), -1);
    EXPECT_EQ(qel::logFatalText("f"), -1);
    EXPECT_EQ(qel::logInfo("i"), -1);
    EXPECT_EQ(file.lines, before);
    // A new start: a new composition without loggers.
    qel::afp::initializeLibrary();
    EXPECT_EQ(qel::DataPool::getInstance()->getLoggerComposition()->getFileLogger(), nullptr);
    EXPECT_EQ(qel::logError("e"), 0);
    EXPECT_EQ(file.lines, before);
}

TEST_F(FrameTest, OverlongMessageIsCutWithAWarning)
{
    RecordingLogger& log = record();
    const std::string text(3000, 'x');
    EXPECT_EQ(qel::logInfo("%s", text.c_str()), 0);
    const std::string prefix = "[ZUZovo] INFO    : ";
    EXPECT_EQ(log.lines, prefix + std::string(2047, 'x') + "\r\n");
    EXPECT_NE(output().find("Warning! Number of bytes to log exceeds buffer size (2048). Copied only (2048) bytes\n"),
              std::string::npos)
        << output();
    // Not formatted when no logger writes the level: no warning either.
    log.setLevel(qel::Logger::ERROR);
    m_capture.reset(new CapturedOutput());
    EXPECT_EQ(qel::logInfo("%s", text.c_str()), -1);
    EXPECT_EQ(output(), "");
}

TEST_F(FrameTest, LoggerMaskAndComposition)
{
    RecordingLogger errors(qel::Logger::KIND_FILE, qel::Logger::ERROR);
    EXPECT_GE(errors.error("bad"), 0);
    EXPECT_EQ(errors.info("i"), -1);
    EXPECT_EQ(errors.debug("d"), -1);
    EXPECT_EQ(errors.error(nullptr), -1);
    EXPECT_EQ(errors.lines, "[ZUZovo] ERROR   : bad\r\n");
    EXPECT_TRUE(errors.isDisabled(qel::Logger::INFO | qel::Logger::DEBUG));
    EXPECT_FALSE(errors.isDisabled(qel::Logger::INFO | qel::Logger::ERROR));

    // Console first, then file; the file logger's result.
    struct Sequenced : RecordingLogger
    {
        Sequenced(int kind, std::string* all, int result) : RecordingLogger(kind), m_all(all), m_result(result) {}
        int print(const char* text) override
        {
            *m_all += getKind() == KIND_CONSOLE ? "C:" : "F:";
            *m_all += text;
            return m_result;
        }
        std::string* m_all;
        int m_result;
    };
    std::string all;
    Sequenced console(qel::Logger::KIND_CONSOLE, &all, 0);
    Sequenced file(qel::Logger::KIND_FILE, &all, 7);
    qel::LoggerComposition composition;
    EXPECT_EQ(composition.warning("none"), 0);
    composition.setConsoleLogger(&console);
    EXPECT_EQ(composition.fatal("x"), 0);
    composition.setFileLogger(&file);
    all.clear();
    EXPECT_EQ(composition.debug("t"), 7);
    EXPECT_EQ(all, "C:[ZUZovo] DEBUG   : C:tC:\r\nF:[ZUZovo] DEBUG   : F:tF:\r\n");
}

TEST_F(FrameTest, ConsoleAndFileLoggersWriteTheirOutputs)
{
    qel::ConsoleLogger console;
    console.setLevel(qel::Logger::WARNING);
    EXPECT_EQ(console.getKind(), 1);
    console.warning("to the console");
    EXPECT_EQ(output(), "[ZUZovo] WARNING : to the console\r\n");

    const std::string path = m_dir + "/lib.log";
    {
        qel::FileLogger file(path.c_str());
        EXPECT_EQ(file.getKind(), 2);
        file.setLevel(qel::Logger::INFO);
        file.info("into the file");
        EXPECT_STREQ(file.getFileName(), path.c_str());
    }
    EXPECT_EQ(readText(path), "[ZUZovo] INFO    : into the file\r\n");
    qel::FileLogger none;
    none.setLevel(qel::Logger::INFO);
    EXPECT_EQ(none.info("lost"), -1);
}

TEST_F(FrameTest, PoolTakesLoggersByKindAndReplacesMembers)
{
    qel::DataPool* pool = qel::DataPool::getInstance();
    RecordingLogger console(qel::Logger::KIND_CONSOLE);
    RecordingLogger file(qel::Logger::KIND_FILE);
    RecordingLogger other(5);
    pool->addLogger(&console);
    pool->addLogger(&file);
    pool->addLogger(&other);
    pool->addLogger(nullptr);
    EXPECT_EQ(pool->getLoggerComposition()->getConsoleLogger(), &console);
    EXPECT_EQ(pool->getLoggerComposition()->getFileLogger(), &file);
    // A composition set by hand is the log's from then on.
    auto* replacement = new qel::LoggerComposition();
    pool->setLoggerComposition(replacement);
    EXPECT_EQ(qel::getLogComposition(), replacement);
    EXPECT_EQ(qel::logError("e"), 0);
    EXPECT_EQ(file.lines, "");
    pool->setTranslationTable(nullptr);
    EXPECT_NE(pool->getTranslationTable(), nullptr);
}

TEST_F(FrameTest, FreshProfileDefaults)
{
    qel::OutputProfile profile;
    EXPECT_EQ(profile.getLevel(), 0);
    EXPECT_TRUE(profile.areNamedColorsAllowed());
    EXPECT_FALSE(profile.isStrictCompliance());
    EXPECT_FALSE(profile.isExtendedTextColorAllowed());
    EXPECT_FALSE(profile.isProcessColorAllowed());
    // A released pool starts over with a fresh profile.
    qel::DataPool::getInstance()->getOutputProfile()->setLevel(4);
    qel::DataPool::releaseInstance();
    EXPECT_EQ(qel::DataPool::getInstance()->getOutputProfile()->getLevel(), 0);
}

TEST_F(FrameTest, SetMutatorCopies)
{
    struct Case
    {
        const char* source;
        int length;
        const char* expected; // null: null result
    } cases[] = {
        {"ABCDEF", 3, "ABC"}, {"ABCDEF", 0, "ABCDEF"}, {"AB", 5, "AB"}, {nullptr, 0, nullptr}, {"ABC", -1, nullptr},
    };
    for (const Case& c : cases) {
        char* old = c.length < 0 ? nullptr : static_cast<char*>(std::malloc(4));
        char* got = qel::Utils::setMutator(old, c.source, c.length);
        if (c.expected) {
            EXPECT_STREQ(got, c.expected);
        } else {
            EXPECT_EQ(got, nullptr);
        }
        std::free(got);
    }
    EXPECT_FALSE(qel::Utils::deleteFile(nullptr));
    EXPECT_FALSE(qel::Utils::deleteFile((m_dir + "/missing").c_str()));
}

TEST_F(FrameTest, LibraryVersion)
{
    EXPECT_STREQ(qel::afp::getLibraryVersion(), "Orvo AFP Library V1.1");
}

} // namespace
