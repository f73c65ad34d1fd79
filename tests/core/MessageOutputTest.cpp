#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(MessageOutput, DefaultsToStandardErrorAndCanBeRedirected)
{
    EXPECT_EQ(qelMessageOutput::get(), stderr);
    FILE* tmp = std::tmpfile();
    ASSERT_NE(tmp, nullptr);
    qelMessageOutput::set(tmp);
    qelMessageOutput::printf("%s-%d", "x", 7);
    qelMessageOutput::write("%s%n");
    qelMessageOutput::set(nullptr);
    EXPECT_EQ(qelMessageOutput::get(), stderr);

    std::rewind(tmp);
    char buf[64] = {};
    size_t n = std::fread(buf, 1, sizeof buf - 1, tmp);
    std::fclose(tmp);
    EXPECT_EQ(std::string(buf, n), "x-7%s%n");
}
