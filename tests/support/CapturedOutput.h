#ifndef CAPTURED_OUTPUT_H
#define CAPTURED_OUTPUT_H

#include "qelMessageOutput.h"

#include <cstdio>
#include <string>

namespace lrbtest {

// Everything written to `file` so far.
inline std::string streamText(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

// The message output, written to a scratch file while this lives.
class CapturedOutput
{
public:
    CapturedOutput() : m_file(std::tmpfile()) { qelMessageOutput::set(m_file); }
    ~CapturedOutput()
    {
        qelMessageOutput::set(nullptr);
        if (m_file)
            std::fclose(m_file);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    FILE* file() const { return m_file; }
    std::string text() const { return streamText(m_file); }

private:
    FILE* m_file;
};

} // namespace lrbtest

#endif
