#include "qelImgLogger.h"

#include "qelMessageOutput.h"

#include <cstdio>
#include <cstring>

void qelImgLogger::print(const char* text)
{
    qelMessageOutput::write(text);
}

void qelImgLogger::printLine(const char* prefix, const char* format, va_list args)
{
    char line[1024];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
#pragma GCC diagnostic pop
    size_t length = n < 0 ? 0 : std::strlen(line);
    line[length] = '\n';
    line[length + 1] = '\0';
    if (!prefix) {
        print(line);
        return;
    }
    char prefixed[1024];
    std::snprintf(prefixed, sizeof prefixed, "%s%s", prefix, line);
    size_t total = std::strlen(prefixed);
    if (prefixed[total - 1] != '\n')
        prefixed[total - 1] = '\n';
    print(prefixed);
}

void qelImgLogger::trace(const char* format, ...)
{
    if (m_level < 3)
        return;
    va_list args;
    va_start(args, format);
    printLine(nullptr, format, args);
    va_end(args);
}

void qelImgLogger::warning(const char* format, ...)
{
    if (m_level < 2)
        return;
    va_list args;
    va_start(args, format);
    printLine("Warning! ", format, args);
    va_end(args);
}

void qelImgLogger::info(const char* format, ...)
{
    if (m_level < 1)
        return;
    va_list args;
    va_start(args, format);
    printLine(nullptr, format, args);
    va_end(args);
}

void qelImgLogger::error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    printLine(nullptr, format, args);
    va_end(args);
}
