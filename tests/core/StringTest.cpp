#include "qelString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Text = std::unique_ptr<char[]>;

std::string str(const char* p)
{
    return p ? std::string(p) : std::string("<null>");
}

// Takes ownership of a token array and returns its entries.
std::vector<std::string> takeTokens(char** tokens, int count)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        out.emplace_back(tokens[i]);
        delete[] tokens[i];
    }
    delete[] tokens;
    return out;
}

std::string thrownText(void (*f)(qelString&), qelString& s)
{
    try {
        f(s);
    } catch (const char* text) {
        return text;
    }
    return "";
}

} // namespace

// --- holder ------------------------------------------------------------------

TEST(String, ConstructorsSetSizeBufferAndLength)
{
    qelString empty;
    EXPECT_EQ(empty.getSize(), 0);
    ASSERT_NE(empty.getBuffer(), nullptr);
    EXPECT_TRUE(empty.isEmpty());

    qelString fromNull(static_cast<const char*>(nullptr));
    EXPECT_EQ(fromNull.getBuffer(), nullptr);
    EXPECT_EQ(fromNull.getSize(), 0);
    EXPECT_FALSE(fromNull.isEmpty());

    qelString text("hello");
    EXPECT_EQ(text.getSize(), 5);
    EXPECT_EQ(text.getLength(), 5);
    EXPECT_STREQ(text.getBuffer(), "hello");

    struct PrefixCase { const char* text; int n; int size; const char* content; };
    const PrefixCase prefixes[] = {
        {"abcdef", 3, 3, "abc"},
        {"ab", 5, 5, "ab"},     // shorter text: size as asked
        {"abcdef", 0, 6, "abcdef"},
        {"abcdef", -2, 6, "abcdef"},
    };
    for (const auto& c : prefixes) {
        qelString s(c.text, c.n);
        EXPECT_EQ(s.getSize(), c.size) << c.text << " " << c.n;
        EXPECT_STREQ(s.getBuffer(), c.content);
        EXPECT_EQ(s.getLength(), static_cast<int>(std::strlen(c.content)));
    }

    qelString sized(4);
    EXPECT_EQ(sized.getSize(), 4);
    EXPECT_EQ(sized.getLength(), 0);
    EXPECT_EQ(std::memcmp(sized.getBuffer(), "\0\0\0\0\0", 5), 0);

    qelString copy(&text);
    EXPECT_STREQ(copy.getBuffer(), "hello");
    EXPECT_NE(copy.getBuffer(), text.getBuffer());
    qelString nullCopy(static_cast<const qelString*>(nullptr));
    EXPECT_EQ(nullCopy.getBuffer(), nullptr);
}

TEST(String, ResizeIsExactAndThrowsPlainTexts)
{
    qelString s("abcdef");
    s.resize(6);
    EXPECT_STREQ(s.getBuffer(), "abcdef");
    s.resize(3);
    EXPECT_EQ(s.getSize(), 3);
    EXPECT_STREQ(s.getBuffer(), "abc");
    s.resize(8);
    EXPECT_EQ(s.getSize(), 8);
    EXPECT_STREQ(s.getBuffer(), "abc");

    EXPECT_EQ(thrownText([](qelString& x) { x.resize(-1); }, s),
              "Negative value passed to resize string memory");
    EXPECT_EQ(s.getSize(), 8); // unchanged after the failure
    EXPECT_STREQ(s.getBuffer(), "abc");

    s.clear();
    EXPECT_EQ(s.getSize(), 0);
    EXPECT_STREQ(s.getBuffer(), "");
}

TEST(String, TextAppendsGrowTheSizeByTheAppendedLength)
{
    qelString s(10);
    s.append("x");
    s.append("abc");
    EXPECT_EQ(s.getSize(), 14);
    EXPECT_EQ(s.getLength(), 4);

    qelString t(10);
    t.assign("x");          // assign sizes to the text
    EXPECT_EQ(t.getSize(), 1);
    qelString u(10);
    u.appendChar('x');
    EXPECT_EQ(u.getSize(), 11);
    u.append("abc");
    EXPECT_EQ(u.getSize(), 14);
    EXPECT_STREQ(u.getBuffer(), "xabc");

    // A holder of size 10 holding "x", then "abc": size 13, length 4.
    qelString v("x", 10);
    ASSERT_EQ(v.getSize(), 10);
    v.append("abc");
    EXPECT_EQ(v.getSize(), 13);
    EXPECT_EQ(v.getLength(), 4);
    EXPECT_STREQ(v.getBuffer(), "xabc");
}

TEST(String, AppendVariants)
{
    struct Case { const char* name; void (*op)(qelString&); int size; const char* content; };
    const Case cases[] = {
        {"appendN cut", [](qelString& s) { s.appendN("cdef", 2); }, 4, "abcd"},
        {"appendN longer than text", [](qelString& s) { s.appendN("c", 3); }, 5, "abc"},
        {"appendN whole", [](qelString& s) { s.appendN("cde", 0); }, 5, "abcde"},
        {"append null", [](qelString& s) { s.append(nullptr); }, 2, "ab"},
        {"prepend", [](qelString& s) { s.prepend("xy"); }, 4, "xyab"},
        {"prepend null", [](qelString& s) { s.prepend(nullptr); }, 2, "ab"},
        {"appendChar", [](qelString& s) { s.appendChar('c'); }, 3, "abc"},
        {"appendNumber %d", [](qelString& s) { s.appendNumber(42, "-%d"); }, 5, "ab-42"},
        {"appendNumber null format", [](qelString& s) { s.appendNumber(7, nullptr); }, 2, "ab"},
        {"assignN grows", [](qelString& s) { s.assignN("xyz", 2); }, 4, "xy"},
        {"assignN whole", [](qelString& s) { s.assignN("wxyz", 0); }, 4, "wxyz"},
        {"replaceFirst", [](qelString& s) { s.replaceFirst("b", "BB"); }, 3, "aBB"},
        {"replaceFirst null", [](qelString& s) { EXPECT_EQ(s.replaceFirst(nullptr, "x"), nullptr); }, 2, "ab"},
        {"self append", [](qelString& s) { s.append(s.getBuffer()); }, 4, "abab"},
        {"self prepend", [](qelString& s) { s.prepend(s.getBuffer() + 1); }, 3, "bab"},
        {"self appendString", [](qelString& s) { s.appendString(&s); }, 4, "abab"},
    };
    for (const auto& c : cases) {
        qelString s("ab");
        c.op(s);
        EXPECT_EQ(s.getSize(), c.size) << c.name;
        EXPECT_STREQ(s.getBuffer(), c.content) << c.name;
        EXPECT_EQ(s.getLength(), static_cast<int>(std::strlen(c.content))) << c.name;
    }

    qelString other("xyz");
    qelString s("a");
    s.appendString(&other);
    EXPECT_EQ(s.getSize(), 4);
    EXPECT_STREQ(s.getBuffer(), "axyz");
    s.assignString(&other);
    EXPECT_STREQ(s.getBuffer(), "xyz");

    qelString noBuffer(static_cast<const char*>(nullptr));
    noBuffer.assignN("abc", 2); // needs an existing buffer
    EXPECT_EQ(noBuffer.getBuffer(), nullptr);
    noBuffer.append("abc");
    EXPECT_STREQ(noBuffer.getBuffer(), "abc");
}

TEST(String, AppendNumberWidensByTheLengthModifier)
{
    struct Case { unsigned int value; const char* format; const char* expected; };
    const Case cases[] = {
        {0xFFFFFFFFu, "%ld", "-1"},
        {0xFFFFFFFFu, "%lu", "4294967295"},
        {0x80000000u, "%lx", "80000000"},
        {0xFFFFFFFFu, "%d", "-1"},
        {300, "%08X", "0000012C"},
        {5, "%lld", "5"},
        {65, "%c", "A"},
        {5, "100%% %u", "100% 5"},
        {5, "%s", ""},        // not a number conversion
        {5, "%d %d", ""},     // more than one conversion
        {5, "%*d", ""},
    };
    for (const auto& c : cases) {
        qelString s;
        s.appendNumber(c.value, c.format);
        EXPECT_STREQ(s.getBuffer(), c.expected) << c.format;
    }
}

TEST(String, AppendBytesKeepsSizeEqualToTheBytesHeld)
{
    qelString s;
    const unsigned char chunk1[] = {0x5A, 0x00, 0x10};
    const unsigned char chunk2[] = {0x00, 0xFF};
    s.appendBytes(chunk1, 3);
    s.appendBytes(chunk2, 2);
    s.appendBytes(nullptr, 4);
    s.appendBytes(chunk1, -1);
    EXPECT_EQ(s.getSize(), 5);
    EXPECT_EQ(s.getLength(), 5);
    const unsigned char expected[] = {0x5A, 0x00, 0x10, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(s.getBuffer(), expected, 5), 0);

    // Room left in a sized holder is used without growing.
    qelString room(8);
    room.appendBytes("abc", 3);
    EXPECT_EQ(room.getSize(), 8);
    EXPECT_EQ(room.getLength(), 3);
}

TEST(String, ContentQueries)
{
    qelString s("Dir/Sub/FILE.Afp");
    EXPECT_TRUE(s.hasAFPExtension());
    EXPECT_STREQ(s.findLastSlash(), "/FILE.Afp");
    EXPECT_STREQ(s.findPattern("file", false), "FILE.Afp");
    EXPECT_EQ(s.findPattern("file", true), nullptr);
    qelString sub("Sub");
    EXPECT_STREQ(s.findString(&sub), "Sub/FILE.Afp");

    qelString a("Courier"), b("COURIER");
    EXPECT_TRUE(a.equalsIgnoreCase(&b));
    EXPECT_FALSE(a.equalsIgnoreCase(nullptr));
    EXPECT_TRUE(a.equalsIgnoreCaseN("cOURxx", 4));
    EXPECT_FALSE(a.equalsIgnoreCaseN("cOURxx", 5));

    a.toUpper();
    EXPECT_STREQ(a.getBuffer(), "COURIER");
    a.toLower();
    EXPECT_STREQ(a.getBuffer(), "courier");

    qelString padded("  a b \t");
    padded.trimBuffer();
    EXPECT_STREQ(padded.getBuffer(), "a b");

    Text copy(s.copyBuffer());
    EXPECT_STREQ(copy.get(), "Dir/Sub/FILE.Afp");
    Text prefix(s.extractPrefix(2));
    EXPECT_STREQ(prefix.get(), "Dir");
    qelString noBuffer(static_cast<const char*>(nullptr));
    EXPECT_EQ(noBuffer.copyBuffer(), nullptr);
}

// --- helpers on C strings ------------------------------------------------------

TEST(StringHelpers, CopyConcatCompare)
{
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_STREQ(qelString::copyN(buf, "abcdef", 3), "abc");
    EXPECT_STREQ(qelString::copyN(buf, "abcdef", 0), "abcdef");
    EXPECT_STREQ(qelString::concatN(buf, "ghij", 2), "abcdefgh");
    EXPECT_STREQ(qelString::concatN(buf, "ij", 0), "abcdefghij");
    EXPECT_EQ(qelString::copyN(buf, nullptr, 2), nullptr);
    EXPECT_EQ(qelString::safeLength(nullptr), 0);
    EXPECT_EQ(qelString::safeLength("abc"), 3);

    char raw[4] = {'a', 'b', 'c', 'd'};
    qelString::copyAt(raw, 1, "\0Z", 2);
    EXPECT_EQ(std::memcmp(raw, "a\0Zd", 4), 0);

    struct Case { const char* a; const char* b; bool ignoreCase; int n; bool equal; };
    const Case cases[] = {
        {"Abc", "abc", true, 0, true},
        {"Abc", "abc", false, 0, false},
        {"Abcx", "abcy", true, 3, true},
        {"Abcx", "Abcy", false, 3, true},
        {"Abcx", "Abcy", false, 0, false},
        {nullptr, "a", true, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelString::compare(c.a, c.b, c.ignoreCase, c.n), c.equal) << str(c.a) << "/" << c.b;
}

TEST(StringHelpers, Find)
{
    const char* hello = "Hello";
    EXPECT_EQ(qelString::find(hello, "LL", false), hello + 2);
    EXPECT_EQ(qelString::find(hello, "LL", true), nullptr);
    EXPECT_EQ(qelString::find(hello, "ll", true), hello + 2);
    EXPECT_EQ(qelString::find(hello, "", true), hello);
    EXPECT_EQ(qelString::find(hello, "Hello!", false), nullptr);
    EXPECT_EQ(qelString::find("", "", true), nullptr);
    EXPECT_EQ(qelString::find(nullptr, "a", true), nullptr);

    EXPECT_EQ(qelString::findChar("abcb", 'b'), 1);
    EXPECT_EQ(qelString::findChar("abc", 'z'), -1);
    EXPECT_EQ(qelString::findChar("abc", '\0'), 3);
    EXPECT_EQ(qelString::findChar("", 'a'), -1);
    const char* abcb = "abcb";
    EXPECT_EQ(qelString::findCharPtr(abcb, 'b', true), abcb + 1);
    EXPECT_EQ(qelString::findCharPtr(abcb, 'b', false), abcb + 3);
    EXPECT_EQ(qelString::findLastDot("a.b.c"), 3);
    EXPECT_EQ(qelString::findLastDot(""), -1);
    EXPECT_STREQ(qelString::findXMLSpecial("a b'c<d"), "'c<d");
    EXPECT_EQ(qelString::findXMLSpecial("plain"), nullptr);
}

TEST(StringHelpers, TrimAndCase)
{
    struct Case { const char* in; const char* left; const char* right; const char* both; };
    const Case cases[] = {
        {"   ", "", "", ""},
        {"  a b  ", "a b  ", "  a b", "a b"},
        {"\t\r\n\v\fx\f", "x\f", "\t\r\n\v\fx", "x"},
        {"", "", "", ""},
        {"ab", "ab", "ab", "ab"},
    };
    for (const auto& c : cases) {
        std::string l(c.in), r(c.in), b(c.in);
        EXPECT_STREQ(qelString::trimLeft(l.data()), c.left);
        EXPECT_STREQ(qelString::trimRight(r.data()), c.right);
        EXPECT_STREQ(qelString::trim(b.data()), c.both);
    }
    std::string t("aB1z");
    EXPECT_STREQ(qelString::toUpperCase(t.data()), "AB1Z");
    EXPECT_STREQ(qelString::toLowerCase(t.data()), "ab1z");
    EXPECT_EQ(qelString::trim(nullptr), nullptr);
}

TEST(StringHelpers, Predicates)
{
    EXPECT_EQ(qelString::toInt("  -42x"), -42);
    EXPECT_EQ(qelString::toInt(nullptr), 0);
    EXPECT_TRUE(qelString::isHexString("09afAF"));
    EXPECT_TRUE(qelString::isHexString(""));
    EXPECT_FALSE(qelString::isHexString("0g"));
    EXPECT_FALSE(qelString::isHexString(nullptr));
    EXPECT_TRUE(qelString::isNotdef(".notdef"));
    EXPECT_TRUE(qelString::isNotdef(".notdef.alt"));
    EXPECT_FALSE(qelString::isNotdef("notdef"));

    struct Case { const char* name; bool afp; };
    const Case names[] = {{"DOC.AFP", true}, {".afp", true}, {"afp", false}, {"x.afpx", false}, {nullptr, false}};
    for (const auto& c : names)
        EXPECT_EQ(qelString::isAFPFileName(c.name), c.afp) << str(c.name);
}

TEST(StringHelpers, ExtractString)
{
    struct Case { const char* text; int start; int end; const char* expected; };
    const Case cases[] = {
        {"abcdef", 2, 4, "cde"},
        {"abcdef", 2, 1, nullptr},
        {"abcdef", -1, 3, nullptr},
        {"abcdef", 4, 100, "ef"},
        {"abcdef", 6, 8, ""},
        {"abc", 10, 20, ""}, // start beyond the text: empty, nothing read past the end
        {"abc", 5, 0x7FFFFFFF, ""},
        {nullptr, 0, 1, nullptr},
    };
    for (const auto& c : cases) {
        Text got(qelString::extractString(c.text, c.start, c.end));
        EXPECT_EQ(str(got.get()), str(c.expected)) << str(c.text) << " " << c.start << ".." << c.end;
    }
    Text from(qelString::extractFrom("abcdef", 3));
    EXPECT_STREQ(from.get(), "def");
    Text beyond(qelString::extractFrom("abc", 9)); // end (the length) before start
    EXPECT_EQ(beyond.get(), nullptr);
}

TEST(StringHelpers, Replace)
{
    struct Case { const char* text; const char* pattern; const char* replacement; const char* expected; };
    const Case cases[] = {
        {"a-b-c", "-", "+", "a+b-c"},
        {"a-b-c", "x", "+", "a-b-c"},
        {"abc", "", "X", "Xabc"},
        {"abc", "abc", "", ""},
        {"ab", "abc", "X", "ab"},
        {"", "", "X", ""},
        {"abc", nullptr, "X", nullptr},
    };
    for (const auto& c : cases) {
        Text got(qelString::replace(c.text, c.pattern, c.replacement));
        EXPECT_EQ(str(got.get()), str(c.expected)) << c.text << " / " << str(c.pattern);
    }
}

TEST(StringHelpers, Tokenisers)
{
    struct Case {
        bool separatorKeeping;
        const char* text;
        const char* delimiter;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {false, ",a,,b,", ",", {"a", "b"}},
        {false, "a b;c", " ;", {"a", "b", "c"}},
        {false, "abc", ",", {"abc"}},
        {false, ",,,", ",", {}},
        {false, "", ",", {}},
        {false, "abc", nullptr, {}},
        {true, "a,,,b", ",", {"a", ",,,", "b"}},
        {true, ",a", ",", {",", "a"}},
        {true, "xabaay", "ab", {"x", "abaa", "y"}},
        {true, "a,", ",", {"a", ","}},
        {true, "abc", "-", {"abc"}},
        {true, "abc", "", {}},
        {true, "", ",", {}},
    };
    for (const auto& c : cases) {
        char** sentinel = reinterpret_cast<char**>(&sentinel);
        char** tokens = sentinel;
        int n = c.separatorKeeping ? qelString::splTokenizeArray(c.text, c.delimiter, &tokens)
                                   : qelString::tokenizeToArray(c.text, c.delimiter, &tokens);
        ASSERT_EQ(n, static_cast<int>(c.expected.size())) << c.text;
        if (n == 0) {
            EXPECT_EQ(tokens, sentinel) << "out argument touched for " << c.text;
            continue;
        }
        EXPECT_EQ(takeTokens(tokens, n), c.expected) << c.text;
    }
}

TEST(StringHelpers, MatchWildcard)
{
    struct Case { const char* text; const char* pattern; bool match; };
    const Case cases[] = {
        {"T1DABASE", "t1*", true},
        {"Courier", "c*r", true},
        {"Courier", "C?URIER", true},
        {"Courier", "*", true},
        {"", "*", false},
        {"", "", true},
        {"abc", "a*b", false},
        {"aba", "*a", true},
        {"abcbd", "a*b?", true},
        {"abcbdx", "a*b?", false},
        {"mississippi", "*sip*", true},
        {"mississippi", "m*iss*ppi", true},
        {"abc", "abcd", false},
        {"abc", "ab", false},
        {"abc", "a**c", true},
        {"abc", nullptr, false},
        {nullptr, "*", false},
        {"abc", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelString::matchWildcard(c.text, c.pattern), c.match) << str(c.text) << " ~ " << str(c.pattern);
}
