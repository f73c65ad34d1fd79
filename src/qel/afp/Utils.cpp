#include "qel/afp/Utils.h"

#include "qel/afp/Log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qel
{

Utils::Utils() = default;
Utils::~Utils() = default;

char* Utils::setMutator(char* old, const char* source, int length)
{
    logDebugText("qel::Utils::setMutator");
    if (length < 0) {
        logDebugText("\tLength=(null)");
        return nullptr;
    }
    std::free(old);
    if (!source) {
        logDebugText("\tSrc=(null)");
        return nullptr;
    }
    // A source shorter than length is copied up to its terminator.
    const size_t n = length > 0 ? strnlen(source, static_cast<size_t>(length)) : std::strlen(source);
    char* copy = static_cast<char*>(std::calloc(n + 1, 1));
    if (!copy)
        throw "Memory allocation for qel::Utils::setMutator failed";
    std::memcpy(copy, source, n);
    return copy;
}

bool Utils::deleteFile(const char* path)
{
    return path && std::remove(path) == 0;
}

} // namespace qel
