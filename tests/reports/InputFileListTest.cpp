#include "ReportTestSupport.h"

#include "qelInputFileList.h"
#include "qelList.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class InputFileListTest : public reporttest::ReportTest
{
protected:
    void touch(const std::string& name) { std::ofstream(m_dir + "/" + name) << "x"; }
    void makeDir(const std::string& name) { ::mkdir((m_dir + "/" + name).c_str(), 0755); }

    static qelList* paths(const std::vector<std::string>& texts)
    {
        qelList* list = qelInputFileList::createList();
        for (const std::string& text : texts) {
            char* copy = new char[text.size() + 1];
            std::memcpy(copy, text.c_str(), text.size() + 1);
            list->append(copy);
        }
        return list;
    }

    static std::vector<std::string> entries(qelInputFileList& files)
    {
        std::vector<std::string> result;
        for (const char* name = files.first(); name; name = files.next())
            result.push_back(name);
        return result;
    }

    // Runs in the test directory, so that relative paths resolve there.
    struct InDirectory
    {
        explicit InDirectory(const std::string& dir)
        {
            EXPECT_NE(::getcwd(old, sizeof old), nullptr);
            EXPECT_EQ(::chdir(dir.c_str()), 0);
        }
        ~InDirectory() { EXPECT_EQ(::chdir(old), 0); }
        char old[4096] = {};
    };
};

TEST_F(InputFileListTest, WildcardsExpandToFilesInOrder)
{
    makeDir("in");
    makeDir("in/x.afp");
    touch("in/b.afp");
    touch("in/A.AFP");
    touch("in/c.txt");
    touch("f.afp");
    InDirectory here(m_dir);

    using Names = std::vector<std::string>;
    struct Case
    {
        Names paths;
        Names expected;
    } cases[] = {
        {{"in/*.afp", "missing.afp"}, {"in/A.AFP", "in/b.afp"}},
        {{"in\\*.AFP"}, {"in/A.AFP", "in/b.afp"}},
        {{"f.afp", "in/c.*"}, {"./f.afp", "in/c.txt"}},
        {{"in/c.txt", "in/b.afp", "in/c.txt"}, {"in/c.txt", "in/b.afp", "in/c.txt"}},
        {{"in/x.afp", "nothing*"}, {}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        qelInputFileList files(paths(c.paths));
        EXPECT_EQ(entries(files), c.expected);
        if (c.expected.empty()) {
            EXPECT_EQ(files.getList(), nullptr);
        }
    }
}

TEST_F(InputFileListTest, CursorWalksOnceAndStopsAtTheEnd)
{
    touch("a.afp");
    qelInputFileList files(paths({m_dir + "/a.afp"}));
    EXPECT_EQ(files.next(), nullptr); // before first()
    ASSERT_NE(files.first(), nullptr);
    EXPECT_EQ(std::string(files.first()), m_dir + "/a.afp");
    EXPECT_EQ(files.next(), nullptr);
    EXPECT_EQ(files.next(), nullptr);

    qelInputFileList none(nullptr);
    EXPECT_EQ(none.first(), nullptr);
    EXPECT_EQ(none.next(), nullptr);

    // A list that does not own its texts is taken over all the same.
    auto* borrowed = new qelList();
    char* text = new char[2];
    std::strcpy(text, "?");
    borrowed->append(text);
    qelInputFileList taken(borrowed);
    EXPECT_EQ(taken.first(), nullptr);
}

TEST_F(InputFileListTest, FindFirstFileGivesFilesAndDirectories)
{
    makeDir("in");
    makeDir("in/x.afp");
    touch("in/b.afp");
    touch("f.afp");
    InDirectory here(m_dir);
    struct Case
    {
        const char* path;
        const char* expected;
    } cases[] = {
        {"f.afp", "f.afp"},
        {"F.AFP", "f.afp"},
        {"in\\*.afp", "in/b.afp"},
        {"in/x.*", "in/x.afp"},
        {"in/none*", nullptr},
        {"missing/*", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::unique_ptr<char[]> found(qelUtils::findFirstFile(c.path));
        if (c.expected) {
            EXPECT_STREQ(found.get(), c.expected) << c.path;
        } else {
            EXPECT_EQ(found, nullptr) << (c.path ? c.path : "(null)");
        }
    }
}

} // namespace
