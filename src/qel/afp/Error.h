#ifndef QEL_LIB_ERROR_H
#define QEL_LIB_ERROR_H

#include <cstdint>

class qelString;

namespace qel
{

// The library's exception, thrown as a pointer: an id of the library's
// message table and its formatted text.
class Error
{
public:
    enum { E000 = 0, E001 = 1, E002 = 2 };

    // Formats the table text of id with the arguments (id 0's text for
    // unknown ids, at most 2047 characters) and logs it at ERROR level.
    Error(const char* sourceFile, int line, int id, ...);
    ~Error();
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;

    int getId() const { return m_id; }
    const char* getMessage() const;
    // Replaces the text; null clears it.
    void setMessage(const char* text);
    static const char* getMessageText(int id);

private:
    int32_t m_id;
    qelString* m_message = nullptr;
};

} // namespace qel

#endif
