#ifndef QEL_IMG_LOGGER_H
#define QEL_IMG_LOGGER_H

#include <cstdarg>

// Trace sink of the image library. Levels: 0 errors only, 1 adds
// information, 2 adds warnings, 3 adds trace lines. Each formatter ends the
// line with "\n" (a line holds at most 1023 characters) and hands it to print.
class qelImgLogger
{
public:
    qelImgLogger() = default;
    explicit qelImgLogger(int level) : m_level(level) {}
    virtual ~qelImgLogger() = default;

    // Base: the text unchanged to the message output.
    virtual void print(const char* text);

    void setLevel(int level) { m_level = level; }
    int getLevel() const { return m_level; }

    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void info(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void error(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    void printLine(const char* prefix, const char* format, va_list args);

    int m_level = 0;
};

#endif
