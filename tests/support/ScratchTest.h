#ifndef SCRATCH_TEST_H
#define SCRATCH_TEST_H

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace lrbtest {

using Bytes = std::vector<unsigned char>;

// Id and kind of the qelException a call raises; id -1 when none.
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

// Everything written to `file` so far (message captures in a tmpfile()).
inline std::string streamText(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    return text;
}

// Text output with every run of blanks made one: the text grid may widen
// the gaps between words.
inline std::string squeezed(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ')
            out += c;
    return out;
}

// A file's bytes as text; empty when it cannot be read.
inline std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Captures the message output; a fresh pool and a scratch folder per test.
class ScratchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        char pattern[] = "/tmp/lorbane-test-XXXXXX";
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

    std::string output() { return streamText(m_out); }

    std::string writeFile(const std::string& name, const Bytes& bytes)
    {
        std::string path = m_dir + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    FILE* m_out = nullptr;
    std::string m_dir;
};

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace lrbtest

#endif
