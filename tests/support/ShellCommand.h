#ifndef SHELL_COMMAND_H
#define SHELL_COMMAND_H

#include <cstdio>
#include <cstdlib>
#include <string>

namespace lrbtest {

// `text` as one word of a shell command.
inline std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline bool haveCommand(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// What `command` writes to standard output.
inline std::string commandOutput(const std::string& command)
{
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    ::pclose(pipe);
    return text;
}

} // namespace lrbtest

#endif
