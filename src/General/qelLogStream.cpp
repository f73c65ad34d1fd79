#include "qelLogStream.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {
constexpr int kWorkSize = 2048;
// Blanks in front of the text of a plain entry; offset entries and dump
// lines reach the same column.
const char kTextColumn[] = "                      "; // 22
const char kOffsetPad[] = "         ";               // 9
constexpr int kMaxDumpText = 2046;

struct SFName
{
    unsigned short id;
    const char* abbreviation;
    const char* name;
};

// Names of the structured fields for the dump lines; the first row with an
// identifier wins.
const SFName kSFNames[] = {
    {0xA8A8, "BDT", "Begin Document"},
    {0xA9A8, "EDT", "End Document"},
    {0xA8C6, "BRG", "Begin Resource Group"},
    {0xA9C6, "ERG", "End Resource Group"},
    {0xA8CE, "BR", "Begin Resource"},
    {0xA9CE, "ER", "End Resource"},
    {0xA8AF, "BPG", "Begin Page"},
    {0xA9AF, "EPG", "End Page"},
    {0xA8C9, "BAG", "Begin Active Environment Group"},
    {0xA9C9, "EAG", "End Active Environment Group"},
    {0xA8FB, "BIM", "Begin Image Object"},
    {0xA9FB, "EIM", "End Image Object"},
    {0xA8C7, "BOG", "Begin Object Enviroment Group"},
    {0xA9C7, "EOG", "End Object Enviroment Group"},
    {0xA6AF, "PGD", "Page Descriptor"},
    {0xA66B, "OBD", "Object Area Descriptor"},
    {0xAC6B, "OBP", "Object Area Position"},
    {0xA6FB, "IDD", "Image Data Descriptor"},
    {0xEEFB, "IPD", "Image Picture Data"},
    {0xEEEE, "NOP", "No Operation"},
    {0xA8CD, "BFM", "Begin Form Map"},
    {0xA9CD, "EFM", "End Form Map"},
    {0xA8C4, "BDG", "Begin Document Environment Group"},
    {0xA9C4, "EDG", "End Document Environment Group"},
    {0xB1DF, "MMO", "Map Medium Overlay"},
    {0xABEA, "MSU", "Map Suppression"},
    {0xB1AF, "PGP", "Page Position Format 2"},
    {0xA688, "MDD", "Medium Descriptor"},
    {0xA8CC, "BMM", "Begin Medium Map"},
    {0xA9CC, "EMM", "End Medium Map"},
    {0xABD8, "MPO", "Map Page Overlay"},
    {0xA288, "MCC", "Medium Copy Count"},
    {0xA788, "MMC", "Medium Modification Control"},
    {0xA7AF, "PMC", "Page Modification Control"},
    {0xACAF, "PGP", "Page Position"},
    {0xA8C5, "BFG", "Begin Form Environment Group"},
    {0xA9C5, "EFG", "End Form Environment Group"},
    {0xA6C5, "FGD", "Form Environment Group Descriptor"},
    {0xA8A7, "BDI", "Begin Document Index"},
    {0xA9A7, "EDI", "End Document Index"},
    {0xB2A7, "IEL", "Index Element"},
    {0xA8AD, "BNG", "Begin Named Page Group"},
    {0xA9AD, "ENG", "End Named Page Group"},
    {0xA87B, "BII", "Begin IM IMAGE Object"},
    {0xA97B, "EII", "End IM IMAGE Object"},
    {0xA67B, "", "IM Image Object Descriptor"},
    {0xA77B, "", "IM Image Object Control"},
    {0xAC7B, "", "IM Image Object Position"},
    {0xEE7B, "", "IM Image Object Data"},
    {0xA89B, "BPT", "Begin Presentation Text"},
    {0xA99B, "EPT", "End Presentation Text"},
    {0xA69B, "PTD", "Presentation Text Descriptor"},
    {0xA79B, "CTC", "Composed Text Control"},
    {0xEE9B, "PTD", "Presentation Text Data"},
    {0xAB8A, "MCF", "Map Coded Font"},
    {0xB19B, "PTD", "Presentation Text Descriptor : 2"},
    {0xABD8, "MPO", "Map Page Overlay"},
    {0xAFD8, "IPO", "Include Page Overlay"},
    {0xABFB, "MIO", "Map Image Object"},
    {0xA090, "APE", "Attribute Process Element"},
    {0xABCC, "IMM", "Invoke Medium Map"},
    {0xB18A, "MCF-1", "Map Coded Font"},
    {0xA8DF, "BMO", "Begin Overlay"},
    {0xA9DF, "EMO", "End Overlay"},
    {0xAF5F, "IPS", "Include Page Segment"},
    {0xB15F, "MPS", "Page Segment Migration"},
    {0xA85F, "BPS", "Begin Page Segment"},
    {0xA95F, "EPS", "End Page Segment"},
};

struct LevelKeyword
{
    const char* keyword;
    bool replaces;
    unsigned int bits;
};

// Searched in this order in the upper-cased list with ',' appended. WARN and
// INFO carry a leading comma, so they never count as the first entry.
const LevelKeyword kLevelKeywords[] = {
    {"0,", true, 0},
    {"1,", false, QEL_LOG_LEVEL1},
    {"2,", false, QEL_LOG_LEVEL2},
    {"3,", false, QEL_LOG_LEVEL3},
    {"4,", false, QEL_LOG_LEVEL4},
    {"FONT", false, QEL_LOG_FONT},
    {"ALL", true, QEL_LOG_ALL},
    {"ASCII", false, QEL_LOG_ASCII},
    {"LOGGING", true, QEL_LOG_LOGGING},
    {"5,", false, QEL_LOG_LEVEL5},
    {"6,", false, QEL_LOG_LEVEL6},
    {"7,", false, QEL_LOG_LEVEL7},
    {"8,", false, QEL_LOG_LEVEL8},
    {"PDFINFO,", false, QEL_LOG_PDFINFO},
    {"PDFDATA,", false, QEL_LOG_PDFDATA},
    {"RES,", false, QEL_LOG_RES},
    {"OLY,", false, QEL_LOG_OLY},
    {"PSEG,", false, QEL_LOG_PSEG},
    {"FNTR,", false, QEL_LOG_FNTR},
    {"CDP,", false, QEL_LOG_CDP},
    {"MMAP,", false, QEL_LOG_MMAP},
    {"FDEF,", false, QEL_LOG_FDEF},
    {"IOB,", false, QEL_LOG_IOB},
    {"DEBUG,", false, QEL_LOG_DEBUG},
    {",WARN,", false, QEL_LOG_WARN},
    {",INFO,", false, QEL_LOG_INFO},
    {"INWARN,", false, QEL_LOG_INWARN},
    {"OUTWARN,", false, QEL_LOG_OUTWARN},
};

using qelPoolAccess::options;
using qelPoolAccess::quiet;

const char* bufferOf(const qelString* text)
{
    return text ? text->getBuffer() : nullptr;
}

// Replaces an owned text by a copy of the argument; null clears.
void replaceText(qelString*& field, const char* text)
{
    qelString* copy = text ? new qelString(text) : nullptr;
    delete field;
    field = copy;
}

// Length of the part of a cut format that ends with a whole conversion, so
// that no conversion is left open at the cut.
size_t completeFormatLength(const std::string& format)
{
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            ++i;
            continue;
        }
        size_t start = i++;
        while (i < format.size() && std::strchr("-+ #0123456789.*hlLqjzt'", format[i]))
            ++i;
        if (i >= format.size())
            return start;
        ++i; // the conversion character
    }
    return format.size();
}
}

qelLogStream::qelLogStream()
{
    if (qelIni* ini = options()) {
        setLevel(ini->getLoggingLevel());
        setLogPath(ini->getLogPath());
        m_flush = ini->hasSwitch("FlushLog") ? 1 : 0;
        m_inputFormat = ini->getInputFormat();
    }
}

qelLogStream::~qelLogStream()
{
    close();
    delete m_indent;
    delete m_fileName;
    delete m_logPath;
    delete m_fullPath;
}

void qelLogStream::setLevel(const char* list)
{
    m_levelMask = 0;
    if (!list)
        return;
    std::string text(list);
    text += ',';
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    unsigned int mask = 0;
    for (const LevelKeyword& level : kLevelKeywords) {
        if (text.find(level.keyword) == std::string::npos)
            continue;
        if (level.replaces)
            mask = level.bits;
        else
            mask |= level.bits;
    }
    m_levelMask = mask;
}

void qelLogStream::setLogPath(const char* directory)
{
    replaceText(m_logPath, directory);
}

void qelLogStream::setLogFileName(const char* name)
{
    replaceText(m_fileName, name);
}

void qelLogStream::setFullPath(const char* path)
{
    replaceText(m_fullPath, path);
}

const char* qelLogStream::getFullPath() const
{
    return bufferOf(m_fullPath);
}

const char* qelLogStream::getIndent() const
{
    const char* indent = bufferOf(m_indent);
    return indent ? indent : "";
}

void qelLogStream::deleteIndent()
{
    delete m_indent;
    m_indent = nullptr;
    m_indentDepth = 0;
}

char* qelLogStream::copyToBuffer(const char* text)
{
    m_buffer[0] = '\0';
    if (text) {
        std::strncpy(m_buffer, text, sizeof m_buffer - 1);
        m_buffer[sizeof m_buffer - 1] = '\0';
    }
    return m_buffer;
}

void qelLogStream::open(const char* name)
{
    if (!name || m_levelMask == 0)
        return;
    if (m_file)
        closeFile();

    setFullPath(nullptr);
    if (!std::strchr(name, '/')) {
        setLogFileName(name);
        const char* directory = bufferOf(m_logPath);
        if (directory && *directory) {
            std::string path(directory);
            if (path.back() != '/')
                path += '/';
            path += name;
            setFullPath(path.c_str());
        }
    } else {
        setFullPath(name);
    }

    const char* path = getFullPath();
    if (path)
        m_file = qelUtils::openFile(path, 'w');
    if (m_file || quiet())
        return;
    if (path)
        qelMessageOutput::printf("Not able to open log file - %s\n", path);
    else
        qelMessageOutput::write("Not able to open log file with null path\n");
}

void qelLogStream::close()
{
    // The file is forgotten first: nothing reached while closing writes here.
    FILE* file = m_file;
    m_file = nullptr;
    if (file)
        std::fclose(file);
}

void qelLogStream::closeFile()
{
    close();
    setFullPath(nullptr);
    setLogFileName(nullptr);
}

void qelLogStream::buildIndent(int depth)
{
    if (depth == m_indentDepth && m_indent)
        return;
    std::string blanks(depth > 0 ? static_cast<size_t>(depth) * 2 : 0, ' ');
    replaceText(m_indent, blanks.c_str());
    m_indentDepth = depth;
}

void qelLogStream::vformat(const char* format, va_list args)
{
    std::string cut;
    if (std::strlen(format) > static_cast<size_t>(kWorkSize)) {
        cut.assign(format, kWorkSize - 1);
        cut.resize(completeFormatLength(cut));
        format = cut.c_str();
        if (!quiet())
            qelMessageOutput::printf(
                "Warning! Number of bytes to log exceeds Buffer size. Copied only (%d) bytes\n", kWorkSize);
        char warning[160];
        std::snprintf(warning, sizeof warning,
                      "Warning! Number of bytes to log exceeds Buffer size. Copied only (%d) bytes\n",
                      kWorkSize);
        writeRaw(warning);
    }

    int n = std::vsnprintf(m_buffer, sizeof m_buffer, format, args);
    if (n < 0)
        m_buffer[0] = '\0';
    if (n >= kWorkSize && !quiet())
        qelMessageOutput::printf(
            "Warning! Number of bytes to log exceeds Buffer size. Copied only (%ld) bytes\n",
            static_cast<long>(kWorkSize));
}

void qelLogStream::writeRaw(const char* text)
{
    size_t length = std::strlen(text);
    bool failed = length > 0 && std::fwrite(text, 1, length, m_file) != length;
    if (!failed && m_flush)
        failed = std::fflush(m_file) != 0;
    if (failed) {
        const char* path = getFullPath();
        throw new qelException(__FILE__, __LINE__, qelMsg::E069, 0, false, path ? path : "NULL");
    }
}

void qelLogStream::printLine(const char* format, ...)
{
    if (!enabled() || !format)
        return;
    va_list args;
    va_start(args, format);
    try {
        vformat(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    writeRaw("\r\n");
    writeRaw(kTextColumn);
    writeRaw(getIndent());
    writeRaw(m_buffer);
}

void qelLogStream::print(const char* format, ...)
{
    if (!enabled() || !format)
        return;
    va_list args;
    va_start(args, format);
    try {
        vformat(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    writeRaw(m_buffer);
}

void qelLogStream::printAtOffset(unsigned long long offset, const char* format, ...)
{
    if (!enabled() || !format)
        return;
    va_list args;
    va_start(args, format);
    try {
        vformat(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    char head[48];
    std::snprintf(head, sizeof head, "\r\n0x%08llx : ", offset);
    writeRaw(head);
    writeRaw(kOffsetPad);
    writeRaw(getIndent());
    writeRaw(m_buffer);
}

void qelLogStream::logStructuredField(int depth, unsigned long long offset, unsigned short identifier,
                                      const char* abbreviation, const char* name, const char* text)
{
    if (!enabled())
        return;
    if (depth != m_indentDepth)
        buildIndent(depth);
    print("%s0x%08llX : D3 %02X %02X %s%s %s", "\r\n", offset, (identifier >> 8) & 0xFFu,
          identifier & 0xFFu, getIndent(), abbreviation ? abbreviation : "", name ? name : "");
    if (!text)
        return;
    std::string shown(text);
    if (shown.size() > static_cast<size_t>(kMaxDumpText))
        shown.resize(kMaxDumpText);
    print(" %s", shown.c_str());
}

void qelLogStream::logSFI(int depth, unsigned long long offset, unsigned short identifier, const char* text)
{
    if (!enabled())
        return;
    for (const SFName& row : kSFNames) {
        if (row.id == identifier) {
            logStructuredField(depth, offset, identifier, row.abbreviation, row.name, text);
            return;
        }
    }
    if (!quiet())
        qelMessageOutput::printf("Warning! Unexpected SFType ID : 0x%x\n", static_cast<unsigned>(identifier));
    printLine("Warning! Unexpected SFType ID : 0x%x==>%s", static_cast<unsigned>(identifier), text ? text : "");
}

void qelLogStream::write(const char* text)
{
    if (!enabled() || !text)
        return;
    writeRaw(text);
}

// --- font lines -----------------------------------------------------------------

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelGlobalRes.h"
#include "qelIPSFontRepresentation.h"
#include "qelIPSFontResource.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelOutputFontRecord.h"
#include "qelTextObject.h"
#include "FileGlyphCollection.h"

#include <strings.h>

namespace {
enum { OUT_AFP = 1, OUT_PDF = 32, OUT_PDFA = 512 };

const char* orNull(const char* text)
{
    return text ? text : "(null)";
}

bool isDefaultName(const char* name)
{
    return name && strcasecmp(name, "DEFAULT") == 0;
}

int representationType(const qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    return rep ? rep->getType() : 10;
}

std::string weightLetters(bool bold, bool light, bool italic)
{
    std::string letters;
    if (bold)
        letters += 'B';
    if (light)
        letters += 'L';
    if (italic)
        letters += 'I';
    return letters.empty() ? std::string("M") : letters;
}

std::string weightOf(const qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    if (!rep)
        return "M";
    return weightLetters(rep->isBold(), rep->isLight(), rep->isItalic());
}

int heightOf(const qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    return rep ? rep->getHeight() : -1;
}

// The font the global resource list keeps under a name, found only.
qelAFPFont* findGlobalFont(const char* name)
{
    if (!name)
        return nullptr;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* res = pool ? pool->getGlobalRes() : nullptr;
    return res ? dynamic_cast<qelAFPFont*>(res->findResource(name, 3)) : nullptr;
}

// The file that holds the program of a font taken from PDF input.
const char* usedFontFile(const qelAFPFont* font)
{
    const qelIPSFontResource* resource = font ? font->getIPSFontResource() : nullptr;
    const auto* collection =
        resource ? dynamic_cast<const de::orvo::ips::FileGlyphCollection*>(resource->getGlyphCollection()) : nullptr;
    return collection ? collection->getFileName() : nullptr;
}

bool hasPDFFont(const qelAFPFont* font)
{
    return font && (representationType(font) == qelFontRepresentation::TYPE_PDF || font->getIPSFontResource());
}

// "CF=%s, " or "CF=%s(*), " for a coded font that names itself.
void codedFontPiece(qelLogStream& log, const qelAFPFont* font)
{
    const char* cf = font->getCodedFontName();
    if (!cf || font->getScriptCreated())
        return;
    if (!isDefaultName(cf) && !font->isFilledFromMappingDef())
        log.print("CF=%s(*), ", cf);
    else
        log.print("CF=%s, ", cf);
}
}

void qelLogStream::traceFont(const char* line) const
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x1))
        qelMessageOutput::write(line);
}

void qelLogStream::logUndefinedFont()
{
    print("CS=%s, TF=%s, CP=%s", "Undefined", "Undefined", "Undefined");
}

void qelLogStream::logSize(int tenths, const char* format)
{
    if (tenths == -1) {
        print(format, 10.0);
        print("(D)");
        return;
    }
    print(format, tenths == 0 ? 0.1 : tenths / 10.0);
}

void qelLogStream::logCodePageOrigin(qelMappedRes* mapping)
{
    // The model keeps no origin kind with a text's code page: a named code
    // page counts as the page definition's.
    if (!mapping || !mapping->getCodePageName()) {
        print(", ACP=PG-DEF:%s", "500.cp");
        return;
    }
    print(", ACP=PG-DEF:%s", mapping->getCodePageName());
}

void qelLogStream::logInputText(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                                const char* usedFont, const char* typeface, const char* fontName,
                                const qelOutputFontRecord* record)
{
    if (!enabled())
        return;
    print("\n-->");
    logFont(text, mapping, font, size, usedFont, typeface, fontName, record);
}

void qelLogStream::logOutputText(qelTextObject* text, qelAFPFont* font)
{
    if (!enabled())
        return;
    struct Flag
    {
        unsigned char& flag;
        explicit Flag(unsigned char& f) : flag(f) { flag = 1; }
        ~Flag() { flag = 0; }
    } on(m_outputText);
    print("\n==>");
    logTextObject(text, font);
}

void qelLogStream::logFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                           const char* usedFont, const char* typeface, const char* fontName,
                           const qelOutputFontRecord* record)
{
    if (!enabled())
        return;
    qelIni* ini = options();
    switch (ini ? ini->getOutputFormat() : 0) {
    case 1:
        logZUZOvoputFont(text, font, record);
        break;
    case 4:
    case 16:
    case 64:
    case 128:
    case 1024:
    case 2048:
        logRasterOutputFont(text, mapping, font, size, usedFont, typeface, fontName, record);
        break;
    case 32:
    case 512:
        logPDFOutputFont(text, mapping, font, size, usedFont, typeface, fontName, record);
        break;
    default:
        break;
    }
}

void qelLogStream::logTextObject(qelTextObject* text, qelAFPFont* font)
{
    if (!enabled() || !font || !font->getRepresentation())
        return;
    switch (representationType(font)) {
    case 0:
    case 7:
    case 8:
        logAFPInputFont(text, text ? text->getFontMapping() : nullptr, font);
        break;
    default:
        logOutputFontDetails(text, font);
        break;
    }
}

void qelLogStream::logZUZOvoputFont(qelTextObject* text, qelAFPFont* font, const qelOutputFontRecord* record)
{
    if (!enabled())
        return;
    traceFont("[qelLogStream]: (Begin): logZUZOvoputFont\n");
    if (!font) {
        logUndefinedFont();
    } else if (text) {
        qelAFPFont* source = font;
        const qelPhysicalFont* physical = font->findPhysicalFont(static_cast<float>(font->getSize()));
        const char* cs = physical ? physical->characterSetName : font->getCharacterSetName();
        const char* cp = physical ? physical->codePageName : font->getCodePageName();
        const int origin = physical ? physical->source : 0;
        const char* typeface = font->getRepresentation() ? font->getRepresentation()->getTypefaceName() : nullptr;
        if (hasPDFFont(font) && record && record->sourceKind == qelOutputFontRecord::SOURCE_PDF_INPUT) {
            print("UsedFont=%s", orNull(usedFontFile(font)));
            if (typeface)
                print(", TF=%s", typeface);
            else
                print(", TF= ");
            print(", W=%s", weightOf(font).c_str());
            logSize(heightOf(font), ", S=%.2f");
            print(", RI");
        } else if (representationType(font) == qelFontRepresentation::TYPE_TYPE3) {
            const char* own = font->getCharacterSetName();
            print("CS=%s, ", orNull(own));
            if (typeface)
                print("TF=%s", typeface);
            else
                print("TF= ");
            print(", W=%s", weightOf(font).c_str());
            logSize(heightOf(font), ", S=%.2f");
            if (own)
                print(", RF");
        } else {
            if (font->getScriptCreated() && cs) {
                if (qelAFPFont* named = findGlobalFont(cs)) {
                    source = named;
                    cs = named->getCharacterSetName() ? named->getCharacterSetName() : cs;
                    cp = named->getCodePageName() ? named->getCodePageName() : cp;
                    if (named->getRepresentation() && named->getRepresentation()->getTypefaceName())
                        typeface = named->getRepresentation()->getTypefaceName();
                }
            }
            codedFontPiece(*this, font);
            const char* cf = font->getCodedFontName();
            if (cs && physical) {
                if ((!cf || !isDefaultName(cf)) && !source->getCharacterSetFound())
                    print("CS=%s(*), ", cs);
                else if (origin == 1)
                    print("CS=%s(MD-DEF), ", cs);
                else if (origin == 2)
                    print("CS=%s(PG-DEF), ", cs);
                else
                    print("CS=%s, ", cs);
            }
            if (const char* fgid = source->getFGID())
                print("FGID=%s, ", fgid);
            if (typeface)
                print("TF=%s", typeface);
            else
                print("TF= ");
            print(", W=%s", weightOf(source).c_str());
            logSize(heightOf(source), ", S=%.2f");
            print((cs && cs[0] && (cs[1] == 'Z' || cs[1] == 'z')) ? ", OF" : ", RF");
        }
        if (cp) {
            print(source->getCodePageFound() ? ", CP=%s" : ", CP=%s(*)", cp);
            logCodePageOrigin(text->getFontMapping());
        }
    }
    traceFont("[qelLogStream]: (End): logZUZOvoputFont\n");
}

void qelLogStream::logAFPInputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font)
{
    if (!enabled())
        return;
    traceFont("[qelLogStream]: (Begin): logAFPInputFont\n");
    if (!font) {
        logUndefinedFont();
        traceFont("[qelLogStream]: (End): logAFPInputFont\n");
        return;
    }
    if (!text) {
        traceFont("[qelLogStream]: (End): logAFPInputFont\n");
        return;
    }
    if (const char* cf = font->getCodedFontName()) {
        if (qelAFPFont* named = findGlobalFont(cf))
            font = named;
    }
    const int type = representationType(font);
    const char* cs = font->getCharacterSetName();
    if (type == 0) {
        codedFontPiece(*this, font);
        if (cs && !isDefaultName(cs) && !font->getCharacterSetFound())
            print("CS=%s(*), ", cs);
        else if (cs)
            print("CS=%s, ", cs);
    } else if (type == 7 && cs) {
        print("CS=%s, ", cs);
    }
    if (type != qelFontRepresentation::TYPE_TYPE3) {
        if (const char* fgid = font->getFGID()) {
            print("FGID=%s, ", fgid);
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
            const char* cpName = mapping ? mapping->getCodePageName() : nullptr;
            const char* mapped = (md && cpName) ? md->findGCSGIDByText(cpName, fgid) : nullptr;
            if (mapped)
                print("CS=%s, ", mapped);
        }
    }
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* typeface = rep ? rep->getTypefaceName() : nullptr;
    if (typeface)
        print("TF=%s", typeface);
    else
        print("TF= ");
    print(", W=%s", weightOf(font).c_str());
    logSize(heightOf(font), ", S=%.2f");

    const qelIPSFontRepresentation* ips = font->getIPSRepresentation();
    if (ips && ips->getPatternTechnology() == 30)
        print(", OF(CID Font)");
    else if ((ips && ips->isOutlineFont()) || (cs && cs[0] && (cs[1] == 'Z' || cs[1] == 'z')))
        print(", OF");
    else if (type == 0 || type == 7)
        print(", RF");
    else if (font->getScriptCreated() && !font->getCodedFontName() && !cs)
        print(", SF");
    else if (type == 2 || type == 3 || type == 5 || type == 6 || type == 9)
        print(", OF");
    else
        print(", InvalidFontType");

    const char* cp = font->getCodePageName();
    if (!cp && mapping)
        cp = mapping->getCodePageName();
    if (font->getCodePageFound() && cp) {
        if (m_outputText) {
            print(", CP=%s", cp);
        } else {
            const char* encoding = mapping ? mapping->getCodePageEncoding() : nullptr;
            if (!encoding)
                encoding = font->getEncoding();
            print(", ENC=%s", orNull(encoding));
        }
    } else if (cp && !isDefaultName(cp)) {
        print(", CP=%s(*)", cp);
    } else if (cp && !m_outputText) {
        print(", CP=%s", cp);
    }
    traceFont("[qelLogStream]: (End): logAFPInputFont\n");
}

void qelLogStream::logRasterOutputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                                       const char* usedFont, const char* typeface, const char* fontName,
                                       const qelOutputFontRecord* record)
{
    logOutputFontLine(text, mapping, font, size, usedFont, typeface, fontName, record, true);
}

void qelLogStream::logPDFOutputFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                                    const char* usedFont, const char* typeface, const char* fontName,
                                    const qelOutputFontRecord* record)
{
    logOutputFontLine(text, mapping, font, size, usedFont, typeface, fontName, record, false);
}

void qelLogStream::logOutputFontLine(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, int size,
                                     const char* usedFont, const char* typeface, const char* fontName,
                                     const qelOutputFontRecord* record, bool raster)
{
    if (!enabled())
        return;
    const qelOutputFontRecord none;
    const qelOutputFontRecord& r = record ? *record : none;
    if (!font || r.sourceKind == qelOutputFontRecord::SOURCE_INI_DEFAULT) {
        qelIni* ini = options();
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
        const qelCodePageEntry* entry = md ? md->findCodePage(ini ? ini->getCodePage() : nullptr, true) : nullptr;
        std::string file = entry ? entry->fileName : "";
        file += ".cp";
        print("UsedFont=%s, TF=%s(D), W=%s, S=%.2f, %s,  ACP=%s:%s, ENC=%s", orNull(usedFont), orNull(typeface), "M",
              size / 10.0, orNull(fontName), "INI", file.c_str(), raster ? "pcCodePageNameTmp" : "Ansi");
        return;
    }

    std::string mark;
    bool defaultMark = false;
    if (raster && hasPDFFont(font)) {
        switch (font->getKind()) {
        case 3: mark = "T1"; break;
        case 4: mark = "T1C"; break;
        case 5: mark = "Type3"; break;
        case 6: mark = "TT"; break;
        case 9: mark = "CID-TT"; break;
        case 10: mark = "CID-T1"; break;
        case 11: mark = "CID-T1C"; break;
        case 12:
        case 13: mark = "CID-OT"; break;
        default: break;
        }
    } else {
        switch (r.sourceKind) {
        case 1:
            mark = "SF";
            defaultMark = true;
            break;
        case 4:
        case 5: mark = "RF"; break;
        case 6: mark = r.embedding != qelOutputFontRecord::EMBED_NONE ? "T1" : "OF"; break;
        case 7: mark = "TT"; break;
        case 8: mark = "OT"; break;
        case 9: mark = "RI"; break;
        default: mark = "SF"; break;
        }
    }

    std::string used;
    if (mark == "SF") {
        used = r.typefaceName;
    } else if (mark == "RF" || mark == "OF") {
        const char* name = font->getKind() == 5 ? font->getTypefaceName() : font->getCharacterSetName();
        used = name ? name : "";
    } else {
        used = r.usedFontName.empty() ? r.typefaceName : r.usedFontName;
    }
    const bool placed = r.embedding != qelOutputFontRecord::EMBED_NONE;
    std::string weight;
    if (placed)
        weight = font->getKind() == 1 ? std::string("M") : weightLetters(r.bold, r.light, r.italic);
    else
        weight = weightOf(font);
    print("UsedFont=%s, TF=%s%s, W=%s, ", used.c_str(), r.typefaceName.c_str(), defaultMark ? "(D)" : "",
          weight.c_str());
    logSize(size, "S=%.2f");
    print(", %s", mark.c_str());

    const int kind = font->getKind();
    if (r.embedding == qelOutputFontRecord::EMBED_REFERENCED) {
        if (kind != 1 && kind != 3)
            print(", Ref");
    } else if (r.embedding == qelOutputFontRecord::EMBED_EMBEDDED) {
        print(", Emb");
    } else if (raster && mark != "RF") {
        print(", RF");
    }
    if (kind == 5)
        return;

    if (text && text->getCodePage())
        print(",CP=%s", orNull(font->getCodePageName()));
    else if (!(hasPDFFont(font) && r.encodingMode == 1))
        logCodePageOrigin(mapping);

    const char* encoding = nullptr;
    if (r.embedding == qelOutputFontRecord::EMBED_REFERENCED && (kind == 1 || kind == 3))
        encoding = mapping ? mapping->getCodePageEncoding() : nullptr;
    else if (placed || hasPDFFont(font))
        encoding = font->getEncoding();
    else
        encoding = font->getCodePageName();
    print(", ENC=%s", orNull(encoding));
}

void qelLogStream::logOutputFontDetails(qelTextObject* text, qelAFPFont* font)
{
    if (!enabled() || !font)
        return;
    const int type = representationType(font);
    const char* typeface = nullptr;
    if (type == 0 || type == 9)
        typeface = font->getRepresentation()->getTypefaceName();
    else if (font->getRepresentation())
        typeface = font->getRepresentation()->getName();
    print("TF=%s, ", typeface ? typeface : "");
    print("W=%s, ", weightOf(font).c_str());
    const int size = text ? text->getFontHeight() : -10;
    if (size == -10)
        print("S=10.00(D)");
    else
        print("S=%.2f", size == 0 ? 1.0 : size / 10.0);
    switch (font->getKind()) {
    case 3: print(", Type1"); break;
    case 5: print(", Type3"); break;
    case 6: print(", TrueType"); break;
    case 7: print(", OpenType"); break;
    case 9: print(", TrueType(CID)"); break;
    case 10: print(", Type1(CID)"); break;
    case 11: print(", Type1C(CID)"); break;
    case 12: print(", OpenType(TrueType-CID)"); break;
    case 13: print(", OpenType(Type1-CID)"); break;
    default: break;
    }
    if (m_outputText && font->getKind() != 5 && font->getEncoding())
        print(", ENC=%s", font->getEncoding());
    if (font->isEmbedded())
        print(", Emb");
}
