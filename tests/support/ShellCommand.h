#ifndef SHELL_COMMAND_H
#define SHELL_COMMAND_H

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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

struct CommandResult {
    int status;
    std::string output;
};

// Runs a shell command, capturing standard output and standard error together.
inline CommandResult run(const std::string& command)
{
    CommandResult result{-1, ""};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline bool toolAvailable(const char* tool)
{
    return run(std::string("command -v ") + tool + " >/dev/null").status == 0;
}

// The demonstration program of the build that holds the running test
// program; empty when it is not built.
inline std::string demoProgram()
{
    char self[PATH_MAX] = {};
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return std::string();
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/'));
    path = path.substr(0, path.rfind('/')) + "/demo/lorbane-demo";
    return ::access(path.c_str(), X_OK) == 0 ? path : std::string();
}

} // namespace lrbtest

#endif
