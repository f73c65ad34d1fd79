#include "ScratchFolder.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string text(char* owned)
{
    std::unique_ptr<char[]> holder(owned);
    return holder ? std::string(holder.get()) : std::string("<null>");
}
}

TEST(OptionUtils, IsNumber)
{
    struct Row
    {
        const char* text;
        bool expected;
    } rows[] = {
        {"12", true}, {"-3.5", true}, {"-", true}, {".", true}, {"1.2.3", false},
        {"", false}, {nullptr, false}, {"+1", false}, {"1e3", false}, {" 1", false}, {"--1", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(qelUtils::isNumber(row.text), row.expected) << (row.text ? row.text : "<null>");
}

TEST(OptionUtils, FieldsAndQuotes)
{
    EXPECT_EQ(text(qelUtils::getField("a,,c", 1, ',')), "a");
    EXPECT_EQ(text(qelUtils::getField("a,,c", 2, ',')), "<null>");
    EXPECT_EQ(text(qelUtils::getField("a,,c", 3, ',')), "c");
    EXPECT_EQ(text(qelUtils::getField("a,,c", 4, ',')), "<null>");
    EXPECT_EQ(text(qelUtils::getField("a,b\n", 2, ',')), "b\n");
    EXPECT_EQ(text(qelUtils::getField(";a,b", 1, ',')), "<null>");
    EXPECT_EQ(text(qelUtils::getField("a|b", 2, '|')), "b");
    EXPECT_EQ(text(qelUtils::getField("a", 0, ',')), "<null>");

    EXPECT_EQ(text(qelUtils::stripQuotes("\"x\"")), "x");
    EXPECT_EQ(text(qelUtils::stripQuotes("\"x")), "x");
    EXPECT_EQ(text(qelUtils::stripQuotes("\"")), "");
    EXPECT_EQ(text(qelUtils::stripQuotes("")), "<null>");

    char* old = new char[4]{'o', 'l', 'd', 0};
    char* value = qelUtils::replaceValue(old, "\"abc\"", 2);
    EXPECT_STREQ(value, "abc");
    value[3] = 'd'; // the extra room is usable
    value[4] = '\0';
    EXPECT_STREQ(value, "abcd");
    EXPECT_EQ(text(qelUtils::replaceValue(value, "", 0)), "");
    EXPECT_EQ(qelUtils::replaceValue(nullptr, nullptr, 0), nullptr);
}

TEST(OptionUtils, PaperSizes)
{
    float w = -1, h = -1;
    EXPECT_TRUE(qelUtils::getPaperSize("a4", &w, &h));
    EXPECT_FLOAT_EQ(w, 8.27f);
    EXPECT_FLOAT_EQ(h, 11.69f);
    EXPECT_TRUE(qelUtils::getPaperSize("B3", &w, &h));
    EXPECT_FLOAT_EQ(w, 12.87f);
    EXPECT_TRUE(qelUtils::getPaperSize("LEDGER", &w, &h));
    EXPECT_FLOAT_EQ(h, 17.0f);
    EXPECT_FALSE(qelUtils::getPaperSize("A11", &w, &h));
    EXPECT_EQ(w, 0.0f);
    EXPECT_EQ(h, 0.0f);
    EXPECT_FALSE(qelUtils::getPaperSize(nullptr, &w, &h));
}

TEST(OptionUtils, TempDirectorySkipsUnusableCandidates)
{
    const char* saved[] = {std::getenv("TMP"), std::getenv("TEMP")};
    std::string keep[2] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};

    const lrbtest::ScratchFolder folder;
    const std::string& dir = folder.path();

    setenv("TMP", "/no/such/directory", 1);
    setenv("TEMP", dir.c_str(), 1);
    EXPECT_EQ(text(qelUtils::getTempDirectory()), dir + "/");
    setenv("TEMP", (dir + "/").c_str(), 1);
    EXPECT_EQ(text(qelUtils::getTempDirectory()), dir + "/");

    for (int i = 0; i < 2; ++i) {
        const char* name = i == 0 ? "TMP" : "TEMP";
        if (saved[i])
            setenv(name, keep[i].c_str(), 1);
        else
            unsetenv(name);
    }
}
