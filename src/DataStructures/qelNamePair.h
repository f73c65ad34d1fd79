#ifndef QEL_NAME_PAIR_H
#define QEL_NAME_PAIR_H

#include <cstring>

// Two owned texts (new[]); either may be null.
struct qelNamePair
{
    qelNamePair(const char* a, const char* b) : first(copy(a)), second(copy(b)) {}
    ~qelNamePair()
    {
        delete[] first;
        delete[] second;
    }
    qelNamePair(const qelNamePair&) = delete;
    qelNamePair& operator=(const qelNamePair&) = delete;

    static char* copy(const char* text)
    {
        if (!text)
            return nullptr;
        const size_t n = std::strlen(text);
        char* c = new char[n + 1];
        std::memcpy(c, text, n + 1);
        return c;
    }

    char* first;
    char* second;
};

#endif
