#ifndef QEL_STRING_H
#define QEL_STRING_H

// Growable text holder, also used as a byte buffer, plus the static helpers
// on NUL-terminated C strings used throughout the engine.
//
// Sizes are exact: every growth is to exactly the size asked for, and the
// text appends grow the size by the appended length even when the buffer had
// room. Allocation failures and negative sizes throw a plain `const char*`.
// Functions returning a new text allocate it with new[]; the caller frees it.
class qelString
{
public:
    // Empty holder: size 0, a buffer holding only the terminator.
    qelString();
    // Copy of a C text; a null text gives a holder without buffer.
    explicit qelString(const char* text);
    // The first n characters of the text (size n); n <= 0 takes the whole text.
    qelString(const char* text, int n);
    // n + 1 zero bytes, length 0.
    explicit qelString(int n);
    // Copy of another holder; a null holder gives a holder without buffer.
    explicit qelString(const qelString* other);
    qelString(const qelString& other);
    qelString& operator=(const qelString&) = delete;
    ~qelString();

    void resize(int n);
    char* getBuffer() const { return m_buffer; }
    int getSize() const { return m_size; }
    int getLength() const { return m_length; }

    void assign(const char* text);
    void assignN(const char* text, int n);
    void assignString(const qelString* other);

    void append(const char* text);
    void appendN(const char* text, int n);
    void appendString(const qelString* other);
    void appendChar(char c);
    void appendBytes(const void* bytes, int n);
    // Formats one 32-bit number with a printf format holding a single
    // integer conversion (any length modifier).
    void appendNumber(unsigned int value, const char* format);
    void prepend(const char* text);

    void clear();
    void toLower();
    void toUpper();

    char* findPattern(const char* pattern, bool exact) const;
    char* findString(const qelString* other) const;
    bool hasAFPExtension() const;
    char* replaceFirst(const char* pattern, const char* replacement);
    bool equalsIgnoreCase(const qelString* other) const;
    bool equalsIgnoreCaseN(const char* text, int n) const;
    bool isEmpty() const;
    char* findLastSlash() const;
    void trimBuffer();
    char* copyBuffer() const;
    char* extractPrefix(int n) const;

    // --- helpers on C strings ------------------------------------------------
    static int safeLength(const char* text);
    static char* copyN(char* dst, const char* src, int n);
    static char* concatN(char* dst, const char* src, int n);
    static void* copyAt(void* buffer, int offset, const void* src, int n);
    static bool compare(const char* a, const char* b, bool ignoreCase, int n);
    static char* find(const char* text, const char* pattern, bool exact);
    static int findChar(const char* text, char c);
    static char* findCharPtr(const char* text, char c, bool first);
    static int findLastDot(const char* text);
    static char* findXMLSpecial(const char* text);
    static char* trimLeft(char* text);
    static char* trimRight(char* text);
    static char* trim(char* text);
    static char* toLowerCase(char* text);
    static char* toUpperCase(char* text);
    static int toInt(const char* text);
    static bool isHexString(const char* text);
    static bool isNotdef(const char* text);
    static bool isAFPFileName(const char* text);
    static char* extractString(const char* text, int start, int end);
    static char* extractFrom(const char* text, int start);
    static char* replace(const char* text, const char* pattern, const char* replacement);
    // Both tokenisers store a new array of new strings through `out` and
    // return its length; with no token they return 0 and leave `out` alone.
    static int tokenizeToArray(const char* text, const char* delimiters, char*** out);
    static int splTokenizeArray(const char* text, const char* separator, char*** out);
    static bool matchWildcard(const char* text, const char* pattern);

private:
    void recomputeLength();
    void grow(long long by);

    int m_size = 0;
    char* m_buffer = nullptr;
    int m_length = 0;
};

#endif
