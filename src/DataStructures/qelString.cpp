#include "qelString.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

namespace {

const char* const kWhiteSpace = " \t\n\v\f\r";

char* allocateText(size_t bytes, const char* failure)
{
    char* p = new (std::nothrow) char[bytes]();
    if (!p)
        throw failure;
    return p;
}

// True when p points into [buffer, buffer + bytes].
bool pointsInto(const void* p, const char* buffer, int bytes)
{
    if (!p || !buffer)
        return false;
    auto a = reinterpret_cast<std::uintptr_t>(p);
    auto b = reinterpret_cast<std::uintptr_t>(buffer);
    return a >= b && a <= b + static_cast<std::uintptr_t>(bytes);
}

enum class LengthModifier { None, HH, H, L, LL, J, Z, T };

// Accepts a format with exactly one integer conversion (plus any "%%") and
// formats the 32-bit value with it, widened to what the length modifier
// names: signed conversions see the value as a signed 32-bit number.
void formatNumber(char* out, size_t outSize, const char* format, unsigned int value)
{
    out[0] = '\0';
    if (!format)
        return;
    int conversions = 0;
    LengthModifier mod = LengthModifier::None;
    char conv = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        const char* q = p + 1;
        q += std::strspn(q, "-+ #0");
        while (std::isdigit(static_cast<unsigned char>(*q)))
            ++q;
        if (*q == '.') {
            ++q;
            while (std::isdigit(static_cast<unsigned char>(*q)))
                ++q;
        }
        LengthModifier m = LengthModifier::None;
        if (q[0] == 'h' && q[1] == 'h') {
            m = LengthModifier::HH;
            q += 2;
        } else if (q[0] == 'l' && q[1] == 'l') {
            m = LengthModifier::LL;
            q += 2;
        } else if (*q == 'h' || *q == 'l' || *q == 'j' || *q == 'z' || *q == 't') {
            m = *q == 'h' ? LengthModifier::H
                : *q == 'l' ? LengthModifier::L
                : *q == 'j' ? LengthModifier::J
                : *q == 'z' ? LengthModifier::Z
                            : LengthModifier::T;
            ++q;
        }
        bool integer = *q && std::strchr("diouxX", *q);
        bool character = *q == 'c' && m == LengthModifier::None;
        if (!integer && !character)
            return;
        ++conversions;
        mod = m;
        conv = *q;
        p = q;
    }
    if (conversions != 1)
        return;

    const bool isSigned = conv == 'd' || conv == 'i';
    const int s = static_cast<int>(value);
    int n = 0;
    switch (mod) {
    case LengthModifier::None:
    case LengthModifier::HH:
    case LengthModifier::H:
        n = isSigned ? std::snprintf(out, outSize, format, s) : std::snprintf(out, outSize, format, value);
        break;
    case LengthModifier::L:
        n = isSigned ? std::snprintf(out, outSize, format, static_cast<long>(s))
                     : std::snprintf(out, outSize, format, static_cast<unsigned long>(value));
        break;
    case LengthModifier::LL:
        n = isSigned ? std::snprintf(out, outSize, format, static_cast<long long>(s))
                     : std::snprintf(out, outSize, format, static_cast<unsigned long long>(value));
        break;
    case LengthModifier::J:
        n = isSigned ? std::snprintf(out, outSize, format, static_cast<intmax_t>(s))
                     : std::snprintf(out, outSize, format, static_cast<uintmax_t>(value));
        break;
    case LengthModifier::Z:
    case LengthModifier::T:
        n = isSigned ? std::snprintf(out, outSize, format, static_cast<ptrdiff_t>(s))
                     : std::snprintf(out, outSize, format, static_cast<size_t>(value));
        break;
    }
    if (n < 0)
        out[0] = '\0';
}

} // namespace

// --- construction ------------------------------------------------------------

qelString::qelString()
{
    resize(0);
}

qelString::qelString(const char* text)
{
    if (!text)
        return;
    int len = safeLength(text);
    resize(len);
    std::memcpy(m_buffer, text, static_cast<size_t>(len));
    m_length = len;
}

qelString::qelString(const char* text, int n)
{
    if (!text)
        return;
    if (n <= 0) {
        int len = safeLength(text);
        resize(len);
        std::memcpy(m_buffer, text, static_cast<size_t>(len));
    } else {
        resize(n);
        std::memcpy(m_buffer, text, strnlen(text, static_cast<size_t>(n)));
    }
    recomputeLength();
}

qelString::qelString(int n)
{
    resize(n);
}

qelString::qelString(const qelString* other)
{
    if (!other || !other->m_buffer)
        return;
    resize(other->m_size);
    std::memcpy(m_buffer, other->m_buffer, static_cast<size_t>(other->m_size));
    recomputeLength();
}

qelString::qelString(const qelString& other) : qelString(&other) {}

qelString::~qelString()
{
    delete[] m_buffer;
}

// --- growth -------------------------------------------------------------------

void qelString::resize(int n)
{
    if (n < 0)
        throw "Negative value passed to resize string memory";
    const size_t bytes = static_cast<size_t>(n) + 1;
    if (!m_buffer) {
        m_buffer = allocateText(bytes, "Unable to allocate string at resize");
        m_size = n;
        return;
    }
    if (n == m_size)
        return;
    if (n > m_size) {
        char* p = allocateText(bytes, "Unable to extend string at resize");
        std::memcpy(p, m_buffer, static_cast<size_t>(m_size) + 1);
        delete[] m_buffer;
        m_buffer = p;
    } else {
        char* p = allocateText(bytes, "Unable to shrink string at resize");
        std::memcpy(p, m_buffer, static_cast<size_t>(n));
        delete[] m_buffer;
        m_buffer = p;
        if (m_length > n)
            m_length = n;
    }
    m_size = n;
}

void qelString::grow(long long by)
{
    long long target = static_cast<long long>(m_size) + by;
    if (target > INT_MAX)
        throw "Unable to extend string at resize";
    resize(static_cast<int>(target));
}

void qelString::recomputeLength()
{
    m_length = m_buffer ? static_cast<int>(std::strlen(m_buffer)) : 0;
}

// --- assignment and appends ------------------------------------------------------
// Arguments may point into this holder's own buffer, which a resize frees:
// such arguments are copied first.

void qelString::assign(const char* text)
{
    if (!text)
        return;
    std::string keep;
    if (pointsInto(text, m_buffer, m_size)) {
        keep = text;
        text = keep.c_str();
    }
    int len = safeLength(text);
    resize(len);
    std::memcpy(m_buffer, text, static_cast<size_t>(len) + 1);
    m_length = len;
}

void qelString::assignN(const char* text, int n)
{
    if (!m_buffer || !text)
        return;
    if (n <= 0) {
        assign(text);
        return;
    }
    std::string keep;
    if (pointsInto(text, m_buffer, m_size)) {
        keep.assign(text, strnlen(text, static_cast<size_t>(n)));
        text = keep.c_str();
    }
    grow(n);
    copyN(m_buffer, text, n);
    recomputeLength();
}

void qelString::assignString(const qelString* other)
{
    if (other)
        assignN(other->m_buffer, 0);
}

void qelString::append(const char* text)
{
    appendN(text, 0);
}

void qelString::appendN(const char* text, int n)
{
    if (!text)
        return;
    std::string keep;
    if (pointsInto(text, m_buffer, m_size)) {
        keep = text;
        text = keep.c_str();
    }
    grow(n > 0 ? n : safeLength(text));
    concatN(m_buffer, text, n);
    recomputeLength();
}

void qelString::appendString(const qelString* other)
{
    if (!other)
        return;
    std::string keep(other->m_buffer ? other->m_buffer : "");
    grow(other->m_size);
    std::strcat(m_buffer, keep.c_str());
    recomputeLength();
}

void qelString::appendChar(char c)
{
    grow(1);
    m_buffer[m_length] = c;
    m_buffer[m_size] = '\0';
    recomputeLength();
}

void qelString::appendBytes(const void* bytes, int n)
{
    if (!bytes || n <= 0)
        return;
    std::string keep;
    if (pointsInto(bytes, m_buffer, m_size)) {
        keep.assign(static_cast<const char*>(bytes), static_cast<size_t>(n));
        bytes = keep.data();
    }
    long long needed = static_cast<long long>(m_length) + n;
    if (needed > INT_MAX)
        throw "Unable to extend string at resize";
    if (!m_buffer || m_size < needed)
        resize(static_cast<int>(needed));
    std::memcpy(m_buffer + m_length, bytes, static_cast<size_t>(n));
    m_length += n;
}

void qelString::appendNumber(unsigned int value, const char* format)
{
    char work[256];
    formatNumber(work, sizeof work, format, value);
    append(work);
}

void qelString::prepend(const char* text)
{
    if (!text)
        return;
    std::string keep;
    if (pointsInto(text, m_buffer, m_size)) {
        keep = text;
        text = keep.c_str();
    }
    int len = safeLength(text);
    grow(len);
    std::memmove(m_buffer + len, m_buffer, std::strlen(m_buffer) + 1);
    std::memcpy(m_buffer, text, static_cast<size_t>(len));
    recomputeLength();
}

void qelString::clear()
{
    resize(0);
    m_length = 0;
}

void qelString::toLower()
{
    toLowerCase(m_buffer);
}

void qelString::toUpper()
{
    toUpperCase(m_buffer);
}

// --- queries on the content -------------------------------------------------------

char* qelString::findPattern(const char* pattern, bool exact) const
{
    return find(m_buffer, pattern, exact);
}

char* qelString::findString(const qelString* other) const
{
    return other ? find(m_buffer, other->m_buffer, true) : nullptr;
}

bool qelString::hasAFPExtension() const
{
    return isAFPFileName(m_buffer);
}

char* qelString::replaceFirst(const char* pattern, const char* replacement)
{
    if (!pattern || !replacement)
        return nullptr;
    std::unique_ptr<char[]> result(replace(m_buffer, pattern, replacement));
    assign(result.get());
    return m_buffer;
}

bool qelString::equalsIgnoreCase(const qelString* other) const
{
    return other && compare(m_buffer, other->m_buffer, true, 0);
}

bool qelString::equalsIgnoreCaseN(const char* text, int n) const
{
    return compare(m_buffer, text, true, n);
}

bool qelString::isEmpty() const
{
    return m_buffer && m_buffer[0] == '\0';
}

char* qelString::findLastSlash() const
{
    return m_buffer ? std::strrchr(m_buffer, '/') : nullptr;
}

void qelString::trimBuffer()
{
    trim(m_buffer);
    recomputeLength();
}

char* qelString::copyBuffer() const
{
    return m_buffer ? extractString(m_buffer, 0, m_size) : nullptr;
}

char* qelString::extractPrefix(int n) const
{
    return m_buffer ? extractString(m_buffer, 0, n) : nullptr;
}

// --- helpers on C strings ------------------------------------------------------------

int qelString::safeLength(const char* text)
{
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

char* qelString::copyN(char* dst, const char* src, int n)
{
    if (!dst || !src)
        return nullptr;
    if (n > 0) {
        std::strncpy(dst, src, static_cast<size_t>(n));
        dst[n] = '\0';
    } else {
        std::strcpy(dst, src);
    }
    return dst;
}

char* qelString::concatN(char* dst, const char* src, int n)
{
    if (!dst || !src)
        return nullptr;
    if (n > 0)
        std::strncat(dst, src, static_cast<size_t>(n));
    else
        std::strcat(dst, src);
    return dst;
}

void* qelString::copyAt(void* buffer, int offset, const void* src, int n)
{
    if (!buffer || !src)
        return nullptr;
    if (n > 0 && offset >= 0)
        std::memcpy(static_cast<char*>(buffer) + offset, src, static_cast<size_t>(n));
    return buffer;
}

bool qelString::compare(const char* a, const char* b, bool ignoreCase, int n)
{
    if (!a || !b)
        return false;
    if (n > 0)
        return ignoreCase ? strncasecmp(a, b, static_cast<size_t>(n)) == 0
                          : std::strncmp(a, b, static_cast<size_t>(n)) == 0;
    return ignoreCase ? strcasecmp(a, b) == 0 : std::strcmp(a, b) == 0;
}

char* qelString::find(const char* text, const char* pattern, bool exact)
{
    if (!text || !pattern || !*text)
        return nullptr;
    if (!*pattern)
        return const_cast<char*>(text);
    if (std::strlen(text) < std::strlen(pattern))
        return nullptr;
    if (exact)
        return const_cast<char*>(std::strstr(text, pattern));
    std::string t(text), p(pattern);
    for (char& c : t)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : p)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t at = t.find(p);
    return at == std::string::npos ? nullptr : const_cast<char*>(text) + at;
}

int qelString::findChar(const char* text, char c)
{
    if (!text || !*text)
        return -1;
    const char* p = std::strchr(text, c);
    return p ? static_cast<int>(p - text) : -1;
}

char* qelString::findCharPtr(const char* text, char c, bool first)
{
    if (!text)
        return nullptr;
    return const_cast<char*>(first ? std::strchr(text, c) : std::strrchr(text, c));
}

int qelString::findLastDot(const char* text)
{
    if (!text)
        return -1;
    const char* p = std::strrchr(text, '.');
    return p ? static_cast<int>(p - text) : -1;
}

char* qelString::findXMLSpecial(const char* text)
{
    return text ? const_cast<char*>(std::strpbrk(text, "&<>'\"")) : nullptr;
}

char* qelString::trimLeft(char* text)
{
    if (!text)
        return nullptr;
    size_t lead = std::strspn(text, kWhiteSpace);
    if (lead > 0)
        std::memmove(text, text + lead, std::strlen(text + lead) + 1);
    return text;
}

char* qelString::trimRight(char* text)
{
    if (!text)
        return nullptr;
    size_t len = std::strlen(text);
    while (len > 0 && std::strchr(kWhiteSpace, text[len - 1]))
        --len;
    text[len] = '\0';
    return text;
}

char* qelString::trim(char* text)
{
    return trimRight(trimLeft(text));
}

char* qelString::toLowerCase(char* text)
{
    if (!text)
        return nullptr;
    for (char* p = text; *p; ++p)
        if (std::isupper(static_cast<unsigned char>(*p)))
            *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return text;
}

char* qelString::toUpperCase(char* text)
{
    if (!text)
        return nullptr;
    for (char* p = text; *p; ++p)
        if (std::islower(static_cast<unsigned char>(*p)))
            *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    return text;
}

int qelString::toInt(const char* text)
{
    if (!text)
        return 0;
    // atoi without its undefined overflow: clamp to the int range.
    long v = std::strtol(text, nullptr, 10);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

bool qelString::isHexString(const char* text)
{
    if (!text)
        return false;
    for (const char* p = text; *p; ++p)
        if (!std::isxdigit(static_cast<unsigned char>(*p)))
            return false;
    return true;
}

bool qelString::isNotdef(const char* text)
{
    return text && std::strncmp(text, ".notdef", 7) == 0;
}

bool qelString::isAFPFileName(const char* text)
{
    if (!text)
        return false;
    size_t len = std::strlen(text);
    return len > 3 && strcasecmp(text + len - 4, ".afp") == 0;
}

char* qelString::extractString(const char* text, int start, int end)
{
    if (!text || start < 0 || end < 0 || end < start)
        return nullptr;
    // A start beyond the text gives the empty text; the copy never reaches
    // past the terminator.
    size_t len = std::strlen(text);
    size_t from = static_cast<size_t>(start);
    size_t count = 0;
    if (from < len) {
        count = static_cast<size_t>(end) - from + 1;
        if (count > len - from)
            count = len - from;
    }
    char* out = allocateText(count + 1, "Unable to allocate string at extractString");
    std::memcpy(out, text + (from < len ? from : len), count);
    out[count] = '\0';
    return out;
}

char* qelString::extractFrom(const char* text, int start)
{
    if (!text)
        return nullptr;
    return extractString(text, start, safeLength(text));
}

char* qelString::replace(const char* text, const char* pattern, const char* replacement)
{
    if (!text || !pattern || !replacement)
        return nullptr;
    const size_t len = std::strlen(text);
    const char* match = *text ? find(text, pattern, true) : nullptr;
    if (!match) {
        char* copy = allocateText(len + 1, "Unable to allocate string at extractString");
        std::memcpy(copy, text, len);
        return copy;
    }
    const size_t before = static_cast<size_t>(match - text);
    const size_t plen = std::strlen(pattern);
    const size_t rlen = std::strlen(replacement);
    const size_t after = len - before - plen;
    char* out = allocateText(before + rlen + after + 1, "Unable to allocate string at extractString");
    std::memcpy(out, text, before);
    std::memcpy(out + before, replacement, rlen);
    std::memcpy(out + before + rlen, match + plen, after);
    return out;
}

namespace {

// Allocates an array of `count` texts and fills it by calling `each` with a
// callback that copies one piece; frees everything when an allocation fails.
template <class Walk>
char** collectPieces(int count, Walk walk, const char* failure)
{
    char** array = new (std::nothrow) char*[static_cast<size_t>(count)]();
    if (!array)
        throw failure;
    int filled = 0;
    bool failed = false;
    walk([&](const char* piece, size_t len) {
        if (failed || filled >= count)
            return;
        char* s = new (std::nothrow) char[len + 1];
        if (!s) {
            failed = true;
            return;
        }
        std::memcpy(s, piece, len);
        s[len] = '\0';
        array[filled++] = s;
    });
    if (failed) {
        for (int i = 0; i < filled; ++i)
            delete[] array[i];
        delete[] array;
        throw failure;
    }
    return array;
}

} // namespace

int qelString::tokenizeToArray(const char* text, const char* delimiters, char*** out)
{
    if (!text || !delimiters || !out || !*text)
        return 0;
    auto walk = [&](auto&& visit) {
        const char* p = text;
        for (;;) {
            p += std::strspn(p, delimiters);
            if (!*p)
                break;
            size_t len = std::strcspn(p, delimiters);
            visit(p, len);
            p += len;
        }
    };
    int count = 0;
    walk([&](const char*, size_t) { ++count; });
    if (count == 0)
        return 0;
    *out = collectPieces(count, walk, "Unable to allocate tokens at tokenizeToArray");
    return count;
}

int qelString::splTokenizeArray(const char* text, const char* separator, char*** out)
{
    // An empty separator would never advance.
    if (!text || !separator || !out || !*text || !*separator)
        return 0;
    const size_t seplen = std::strlen(separator);
    auto walk = [&](auto&& visit) {
        const char* p = text;
        while (const char* m = std::strstr(p, separator)) {
            if (m > p)
                visit(p, static_cast<size_t>(m - p));
            const char* e = m + seplen;
            while (*e && *e == separator[0])
                ++e;
            visit(m, static_cast<size_t>(e - m));
            p = e;
        }
        if (*p)
            visit(p, std::strlen(p));
    };
    int count = 0;
    walk([&](const char*, size_t) { ++count; });
    if (count == 0)
        return 0;
    *out = collectPieces(count, walk, "Unable to allocate tokens at splTokenizeArray");
    return count;
}

bool qelString::matchWildcard(const char* text, const char* pattern)
{
    if (!text)
        return false;
    if (pattern && strcasecmp(pattern, text) == 0)
        return true;
    if (!*text || !pattern || !*pattern)
        return false;

    const char* p = pattern;
    const char* t = text;
    const char* starPattern = nullptr; // pattern position after the latest '*'
    const char* starText = nullptr;    // text position the current attempt started at
    for (;;) {
        if (*p == '*') {
            if (p[1] == '\0')
                return true;
            starPattern = ++p;
            starText = t;
            continue;
        }
        if (*p == '\0') {
            if (*t == '\0')
                return true;
            if (!starPattern)
                return false;
            t = ++starText;
            p = starPattern;
            continue;
        }
        if (*t == '\0')
            return false;
        if (*p == '?' || *p == *t
            || std::tolower(static_cast<unsigned char>(*p)) == std::tolower(static_cast<unsigned char>(*t))) {
            ++p;
            ++t;
            continue;
        }
        if (!starPattern)
            return false;
        t = ++starText;
        p = starPattern;
    }
}
