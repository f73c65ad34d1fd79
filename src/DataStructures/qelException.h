#ifndef QEL_EXCEPTION_H
#define QEL_EXCEPTION_H

#include "qelMessageIds.h"

#include <cstdarg>

class qelString;

// Fixed to int: a kind read from elsewhere may lie outside these values.
enum qelMessageKind : int
{
    QEL_MSG_ERROR = 0,
    QEL_MSG_WARNING = 1,
    QEL_MSG_INFO = 2
};

// The program's error object, thrown by pointer and deleted by the catcher.
// Creating one formats the table text of its id with the trailing printf
// arguments and reports it: to the message output and, when asked, to the
// program log. A negative id names an image library result; the others are
// named in qelMsg (qelMessageIds.h).
class qelException
{
public:
    // `log` is an int, not a bool: the last named parameter before the
    // variable arguments must not be one that promotion changes.
    // Error (kind 0); always printed.
    qelException(const char* file, int line, int id, int value, int log, ...);
    // Any kind; printed except the information messages I000 and I001.
    qelException(const char* file, int line, qelMessageKind kind, int id, int value, int log, ...);
    // Printed only when `print` is set (and then as the kind constructor does).
    static qelException* report(const char* file, int line, qelMessageKind kind, int id, bool log,
                                bool print, int value, ...);
    ~qelException();

    qelException(const qelException&) = delete;
    qelException& operator=(const qelException&) = delete;

    // The printed form: the message and CR LF, with the source position in
    // front when ExceptionLoggingLevel is 2. Built on the first call and kept.
    const char* getText();

    int getId() const { return m_id; }
    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    int getValue() const { return m_value; }
    int getLine() const { return m_line; }

    // The message ("" when there is none).
    const char* getMessage() const;
    void setMessage(const char* text);
    void appendMessage(const char* text);

    // Base name of the raiser's source file ("" when none was given).
    const char* getFile() const;
    void setFile(const char* path);

    // Table text of a kind and an id; E017 for an id beyond its table, the
    // empty text for an unknown kind.
    static const char* getKindText(int kind, int id);
    const char* getKindText(int id) const { return getKindText(m_kind, id); }
    // Image library result text for n >= 0; E017 beyond the table.
    static const char* getResultText(int n);

private:
    enum PrintRule
    {
        PRINT_ALWAYS,
        PRINT_KIND,
        PRINT_NEVER
    };

    qelException() = default;
    void build(const char* file, int line, int kind, int id, int value, bool log, PrintRule rule,
               va_list args);
    void release();

    int m_value = 0;
    int m_kind = 0;
    int m_line = 0;
    int m_id = 0;
    qelString* m_file = nullptr;
    qelString* m_message = nullptr;
    qelString* m_fullText = nullptr;
};

#endif
