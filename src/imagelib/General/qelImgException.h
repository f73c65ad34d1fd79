#ifndef QEL_IMG_EXCEPTION_H
#define QEL_IMG_EXCEPTION_H

#include <cstdarg>

class qelString;

// Error object of the image library, made with new and thrown as a pointer;
// the catcher deletes it. The message is the table text of the id filled
// with the throw's arguments.
class qelImgException
{
public:
    enum Kind { KIND_ERROR = 0, KIND_WARNING = 1, KIND_TRACE = 2 };
    enum { MESSAGE_COUNT = 66 };

    // log is an int: the last named parameter before "..." must not be promoted.
    qelImgException(const char* file, int line, int id, int value, int log, ...);
    // The kind also chooses the level at which the text is logged.
    qelImgException(const char* file, int line, Kind kind, int id, int value, int log, ...);
    ~qelImgException();
    qelImgException(const qelImgException&) = delete;
    qelImgException& operator=(const qelImgException&) = delete;

    // The text in the form of the message mode at the first call; later
    // calls answer the same text.
    const char* getMessageText();

    int getErrorCode() const { return m_id; }
    void setErrorCode(int id) { m_id = id; }
    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    int getLine() const { return m_line; }
    void setLine(int line) { m_line = line; }
    int getValue() const { return m_value; }
    void setValue(int value) { m_value = value; }

    // Null when none. The setter keeps the base name of the path.
    const char* getFileName() const;
    void setFileName(const char* path);
    const char* getMessage() const;
    // Null only frees the old text.
    void setMessage(const char* text);
    // Nothing for a null text.
    void appendMessage(const char* text);
    const char* getExtraText() const;
    void setExtraText(const char* text);

    // The table text of id; ids outside the table answer row 2.
    static const char* getMessageTemplate(int id);

private:
    void build(const char* file, int line, int kind, int id, int value, bool log, va_list args);
    void logText();

    int m_value = 0;
    int m_kind = KIND_ERROR;
    int m_line = 0;
    int m_id = 0;
    qelString* m_file = nullptr;
    qelString* m_extraText = nullptr;
    qelString* m_message = nullptr;
    char m_text[1024] = {};
};

#endif
