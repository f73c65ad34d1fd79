#ifndef QEL_MESSAGE_OUTPUT_H
#define QEL_MESSAGE_OUTPUT_H

#include <cstdarg>
#include <cstdio>

// The process-wide message output: standard error unless redirected (tests,
// or the C interface's message file). Every console text goes through here.
class qelMessageOutput
{
public:
    static FILE* get();
    // Null restores standard error. The caller keeps ownership of the file.
    static void set(FILE* file);

    static void printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void vprintf(const char* format, va_list args);
    // Writes the text unformatted.
    static void write(const char* text);
    static void flush();
};

#endif
