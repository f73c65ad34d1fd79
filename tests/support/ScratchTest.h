#ifndef SCRATCH_TEST_H
#define SCRATCH_TEST_H

#include "CapturedOutput.h"
#include "ScratchFolder.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
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

inline int raisedId(const std::function<void()>& call)
{
    return raised(call).id;
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
        m_capture.reset(new CapturedOutput());
        m_out = m_capture->file();
        m_folder.reset(new ScratchFolder());
        m_dir = m_folder->path();
    }
    void TearDown() override
    {
        m_capture.reset();
        qelUtils::releaseGlobals();
        m_folder.reset();
    }

    std::string output() { return m_capture->text(); }

    std::string writeFile(const std::string& name, const Bytes& bytes)
    {
        std::string path = m_dir + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::unique_ptr<CapturedOutput> m_capture;
    std::unique_ptr<ScratchFolder> m_folder;
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
