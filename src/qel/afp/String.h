#ifndef QEL_LIB_STRING_H
#define QEL_LIB_STRING_H

#include "qel/afp/Object.h"

namespace qel
{

// Text search of the library.
class String : public Object
{
public:
    String() = default;
    ~String() override;

    // First occurrence of pattern in text (compared in lower case unless
    // caseSensitive), as a position in text; null when there is none, for
    // a null or empty text and a null pattern. An empty pattern is found
    // at the start.
    static const char* find(const char* text, const char* pattern, bool caseSensitive);
};

} // namespace qel

#endif
