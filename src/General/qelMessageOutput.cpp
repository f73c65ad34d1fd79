#include "qelMessageOutput.h"

namespace {
FILE* g_output = nullptr;
}

FILE* qelMessageOutput::get()
{
    return g_output ? g_output : stderr;
}

void qelMessageOutput::set(FILE* file)
{
    g_output = file;
}

void qelMessageOutput::printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
}

void qelMessageOutput::vprintf(const char* format, va_list args)
{
    if (!format)
        return;
    std::vfprintf(get(), format, args);
}

void qelMessageOutput::write(const char* text)
{
    if (text)
        std::fputs(text, get());
}

void qelMessageOutput::flush()
{
    std::fflush(get());
}
