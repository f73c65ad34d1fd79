#ifndef AFP_TEST_SUPPORT_H
#define AFP_TEST_SUPPORT_H

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace afptest {

using Bytes = std::vector<unsigned char>;

struct Raised
{
    int id = -1;
    int kind = -1;
    std::string message;
};

inline Raised raised(const std::function<void()>& call)
{
    Raised r;
    try {
        call();
    } catch (qelException* e) {
        r.id = e->getId();
        r.kind = e->getKind();
        r.message = e->getMessage();
        delete e;
    }
    return r;
}

inline void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes ebcdic(const char* text)
{
    Bytes bytes(text, text + std::strlen(text));
    if (!bytes.empty())
        qelUtils::asciiToEbcdic(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

// A structured field with its X'5A' introducer.
inline Bytes field(int id, const Bytes& data)
{
    int length = 8 + static_cast<int>(data.size());
    Bytes bytes = {0x5A,
                   static_cast<unsigned char>(length >> 8),
                   static_cast<unsigned char>(length & 0xFF),
                   0xD3,
                   static_cast<unsigned char>(id >> 8),
                   static_cast<unsigned char>(id & 0xFF),
                   0x00,
                   0x00,
                   0x00};
    append(bytes, data);
    return bytes;
}

inline std::string hex(size_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%zx", value);
    return text;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Captures the message output; a fresh pool and a scratch folder per test.
class AfpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        char pattern[] = "/tmp/lorbane-afp-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        qelUtils::releaseGlobals();
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    std::string output()
    {
        std::fflush(m_out);
        std::string text;
        std::rewind(m_out);
        int c;
        while ((c = std::fgetc(m_out)) != EOF)
            text += static_cast<char>(c);
        return text;
    }

    FILE* m_out = nullptr;
    std::string m_dir;
};

} // namespace afptest

#endif
