#ifndef RESOURCE_MESSAGES_H
#define RESOURCE_MESSAGES_H

#include <string>

namespace lrbtest {

// The messages without the E058 lines of character sets, coded fonts and
// code pages (names beginning with C, X or T) that an input names but no
// font library of the test holds; the fonts then come from the mappers.
inline std::string withoutFontLookups(const std::string& messages)
{
    std::string out;
    size_t at = 0;
    while (at < messages.size()) {
        size_t end = messages.find('\n', at);
        end = end == std::string::npos ? messages.size() : end + 1;
        const std::string line = messages.substr(at, end - at);
        const std::string start = "E058: Resource (";
        const bool font = line.compare(0, start.size(), start) == 0 && line.size() > start.size() &&
                          std::string("CcXxTt").find(line[start.size()]) != std::string::npos;
        if (!font)
            out += line;
        at = end;
    }
    return out;
}

} // namespace lrbtest

#endif
