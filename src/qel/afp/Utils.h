#ifndef QEL_LIB_UTILS_H
#define QEL_LIB_UTILS_H

namespace qel
{

// Static helpers of the library.
class Utils
{
public:
    Utils();
    ~Utils();

    // Frees old (unless the length is negative) and returns a malloc'ed
    // copy of length bytes of source, or of the whole string for length 0;
    // null for a null source or a negative length.
    static char* setMutator(char* old, const char* source, int length);
    static bool deleteFile(const char* path);
};

} // namespace qel

#endif
