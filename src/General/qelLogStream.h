#ifndef QEL_LOG_STREAM_H
#define QEL_LOG_STREAM_H

#include <cstdarg>
#include <cstdio>

class qelAFPFont;
class qelMappedRes;
class qelString;
class qelTextObject;
struct qelOutputFontRecord;

// Bits of the level mask: one per LoggingLevel keyword, and the keyword sets.
enum qelLogBit : unsigned int
{
    QEL_LOG_LEVEL1 = 0x1,
    QEL_LOG_LEVEL2 = 0x2,
    QEL_LOG_LEVEL3 = 0x4,
    QEL_LOG_LEVEL4 = 0x8,
    QEL_LOG_FONT = 0x10,
    QEL_LOG_LEVEL5 = 0x20,
    QEL_LOG_LEVEL6 = 0x40,
    QEL_LOG_LEVEL8 = 0x80,
    QEL_LOG_PDFINFO = 0x100,
    QEL_LOG_PDFDATA = 0x200,
    QEL_LOG_ASCII = 0x400,
    QEL_LOG_LEVEL7 = 0x800,
    QEL_LOG_OLY = 0x10000,
    QEL_LOG_PSEG = 0x20000,
    QEL_LOG_FNTR = 0x40000,
    QEL_LOG_CDP = 0x80000,
    QEL_LOG_MMAP = 0x100000,
    QEL_LOG_FDEF = 0x200000,
    QEL_LOG_IOB = 0x400000,
    QEL_LOG_RES = 0xFF0000,
    QEL_LOG_INFO = 0x1000000,
    QEL_LOG_WARN = 0x2000000,
    QEL_LOG_DEBUG = 0x4000000,
    QEL_LOG_INWARN = 0x8000000,
    QEL_LOG_OUTWARN = 0x10000000,
    QEL_LOG_ALL = 0x800EFFF,
    QEL_LOG_LOGGING = 0x11F,
    // Levels 1 to 4 and PDFINFO: the general entries.
    QEL_LOG_GENERAL = QEL_LOG_LEVEL1 | QEL_LOG_LEVEL2 | QEL_LOG_LEVEL3 | QEL_LOG_LEVEL4 | QEL_LOG_PDFINFO,
    // The resource lists OLY to IOB.
    QEL_LOG_RESOURCE_LISTS = QEL_LOG_OLY | QEL_LOG_PSEG | QEL_LOG_FNTR | QEL_LOG_CDP | QEL_LOG_MMAP | QEL_LOG_FDEF
                             | QEL_LOG_IOB,
    // Any bit: the log is on.
    QEL_LOG_ANY = 0xFFFFFFFFu
};

// The program log: a plain text file without time stamps. Call sites ask the
// level queries before they write; the entry operations do nothing while the
// mask is 0 or no file is open. Every entry begins with CR LF and its text
// starts in column 22.
class qelLogStream
{
public:
    // Level mask from LoggingLevel, directory from LogPath and the flush
    // switch FlushLog of the options; no file open.
    qelLogStream();
    ~qelLogStream();
    qelLogStream(const qelLogStream&) = delete;
    qelLogStream& operator=(const qelLogStream&) = delete;

    // Rebuilds the mask from a comma list of level keywords; null gives 0.
    void setLevel(const char* list);
    void setLevelMask(unsigned int mask) { m_levelMask = mask; }
    // Level queries: is one of the bits set, are all of them, is none of
    // them, is the mask exactly this one.
    bool anyOf(unsigned int bits) const { return (m_levelMask & bits) != 0; }
    bool allOf(unsigned int bits) const { return (m_levelMask & bits) == bits; }
    bool noneOf(unsigned int bits) const { return (m_levelMask & bits) == 0; }
    bool isExactly(unsigned int mask) const { return m_levelMask == mask; }
    void setLogPath(const char* directory);
    void setLogFileName(const char* name);
    void setFullPath(const char* path);

    // Opens the log: a name without '/' in the log directory, a name with
    // '/' as it stands. Nothing for a null name or a zero mask.
    void open(const char* name);
    // Closes the file and forgets the full path and the file name.
    void closeFile();
    // Closes the file alone.
    void close();

    FILE* getFile() const { return m_file; }
    const char* getFullPath() const;
    // The current indent ("" when there is none).
    const char* getIndent() const;
    void deleteIndent();
    // Copies a text into the work buffer (cut to fit) and returns the buffer.
    char* copyToBuffer(const char* text);

    // CR LF, 22 blanks, the indent and the formatted text.
    void printLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The formatted text, continuing the current entry.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // CR LF, the offset, 9 blanks, the indent and the formatted text.
    void printAtOffset(unsigned long long offset, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // One structured-field dump line, indented by depth.
    void logStructuredField(int depth, unsigned long long offset, unsigned short identifier,
                            const char* abbreviation, const char* name, const char* text);
    // The dump line with abbreviation and name from the name table.
    void logSFI(int depth, unsigned long long offset, unsigned short identifier, const char* text);
    // The text unformatted.
    void write(const char* text);

    // --- font lines; each continues the current entry ---
    // "\n-->" and the output font line of the run's output format.
    void logInputText(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                      const char* usedFont, const char* typeface, const char* fontName,
                      const qelOutputFontRecord* record);
    // "\n==>" and the text's own font.
    void logOutputText(qelTextObject* text, qelAFPFont* font);
    // The output font line chosen by the output format (nothing for formats
    // without font lines).
    void logFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size, const char* usedFont,
                 const char* typeface, const char* fontName, const qelOutputFontRecord* record);
    // The input font line of an AFP font, the output font details otherwise.
    void logTextObject(qelTextObject* text, qelAFPFont* font);
    void logAFPInputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font);
    void logZUZOvoputFont(qelTextObject* text, qelAFPFont* font, const qelOutputFontRecord* record);
    void logRasterOutputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                             const char* usedFont, const char* typeface, const char* fontName,
                             const qelOutputFontRecord* record);
    void logPDFOutputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                          const char* usedFont, const char* typeface, const char* fontName,
                          const qelOutputFontRecord* record);
    void logOutputFontDetails(qelTextObject* text, qelAFPFont* font);

private:
    bool enabled() const { return m_levelMask != 0 && m_file != nullptr; }
    void vformat(const char* format, va_list args);
    void writeRaw(const char* text);
    void buildIndent(int depth);
    void logOutputFontLine(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                           const char* usedFont, const char* typeface, const char* fontName,
                           const qelOutputFontRecord* record, bool raster);
    void logUndefinedFont();
    void logCodePageOrigin(qelMappedRes* mapping);
    void logSize(int tenths, const char* format);
    void traceFont(const char* line) const;

    // Which kinds of entries are written.
    unsigned int m_levelMask = 0;
    unsigned char m_outputText = 0;
    unsigned char m_flush = 0;
    int m_inputFormat = 0;
    qelString* m_indent = nullptr;
    int m_indentDepth = 0;
    FILE* m_file = nullptr;
    qelString* m_fileName = nullptr;
    qelString* m_logPath = nullptr;
    qelString* m_fullPath = nullptr;
    char m_buffer[2048] = {};
};

#endif
