#include "qelTTFParser.h"

#include "qelException.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelTTFCMapParser.h"
#include "qelTTFGlyphParser.h"
#include "qelTTFRepresentation.h"
#include "qelTTFUtils.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
// Makes a stream the current input and restores the previous one.
class CurrentInputGuard
{
public:
    explicit CurrentInputGuard(qelIOStream* stream) : m_previous(qelIOStream::getCurrent())
    {
        qelIOStream::setCurrent(stream);
    }
    ~CurrentInputGuard() { qelIOStream::setCurrent(m_previous); }
    CurrentInputGuard(const CurrentInputGuard&) = delete;
    CurrentInputGuard& operator=(const CurrentInputGuard&) = delete;

private:
    qelIOStream* m_previous;
};

bool isEndOfData(const qelException* e)
{
    return e->getKind() == QEL_MSG_INFO && (e->getId() == qelMsg::I001 || e->getId() == qelMsg::I199);
}
} // namespace

qelTTFParser::~qelTTFParser()
{
    delete m_directory;
}

bool qelTTFParser::logAll() const
{
    return m_log && m_log->isExactly(QEL_LOG_ALL);
}

bool qelTTFParser::logWarnings() const
{
    return m_log && m_log->anyOf(QEL_LOG_LEVEL2);
}

void qelTTFParser::warn(const char* format, ...)
{
    if (!logWarnings())
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

qelFontRepresentation* qelTTFParser::parse(const char* fileName)
{
    if (!fileName) {
        const char* text = "Error! NULL Filename parameter passed to qelTTFParser::parse()";
        if (logWarnings())
            m_log->printLine("%s", text);
        if (!m_quiet)
            qelMessageOutput::printf("%s\n", text);
        return nullptr;
    }
    setResourceName(fileName);
    qelFontRepresentation* result = nullptr;
    {
        std::unique_ptr<qelIOStream> stream(new qelIOStream(fileName));
        CurrentInputGuard guard(stream.get());
        stream->reopen();
        if (logAll())
            m_log->print("\n\tParsing True Type File \"%s\"", fileName);
        try {
            result = parseStream(stream.get());
        } catch (...) {
            stream->closeStream();
            throw;
        }
        stream->closeStream();
    }
    if (logAll() && result) {
        auto* ttf = static_cast<qelTTFRepresentation*>(result);
        m_log->print("\n\tPostScript Name: \"%s\"", ttf->getFontName() ? ttf->getFontName() : "(null)");
        m_log->print("\n\tWindows Font Name: \"%s\"",
                     ttf->getWindowsFontName() ? ttf->getWindowsFontName() : "(null)");
    }
    return result;
}

qelFontRepresentation* qelTTFParser::parseStream(qelIOStream* stream)
{
    if (!stream) {
        char text[600];
        std::snprintf(text, sizeof text, "Error! NULL IOStream passed to qelTTFParser::parse(). Name:%s",
                      getResourceName() ? getResourceName() : "");
        if (logWarnings())
            m_log->printLine("%s", text);
        if (!m_quiet)
            qelMessageOutput::printf("%s\n", text);
        return nullptr;
    }
    qelIOStream::setCurrent(stream);
    m_stream = stream;
    qelTTFRepresentation* result = nullptr;
    try {
        result = readFont();
    } catch (qelException* e) {
        delete m_directory;
        m_directory = nullptr;
        delete m_representation;
        m_representation = nullptr;
        // The end of the data is only information for a stream; for a font
        // it means the file is damaged.
        if (!isEndOfData(e))
            throw;
        delete e;
        qelTTFUtils::fail("Unexpected end of data");
    } catch (...) {
        delete m_directory;
        m_directory = nullptr;
        delete m_representation;
        m_representation = nullptr;
        throw;
    }
    delete m_directory;
    m_directory = nullptr;
    m_representation = nullptr;
    return result;
}

qelTTFRepresentation* qelTTFParser::readFont()
{
    delete m_representation;
    m_representation = new qelTTFRepresentation();
    m_representation->setName(getResourceName());

    delete m_directory;
    m_directory = nullptr;
    m_directory = readTableDirectory();

    qelTTFOS2Table* os2 = readOS2Table();
    m_representation->setOS2Record(os2);
    if (os2->usWeightClass >= 100 && os2->usWeightClass <= 300)
        m_representation->setLight(true);
    if (os2->usWeightClass >= 600 && os2->usWeightClass <= 900)
        m_representation->setBold(true);
    if (os2->fsSelection & 0x0001)
        m_representation->setItalic(true);
    if (os2->fsSelection & 0x0020)
        m_representation->setBold(true);

    m_representation->setHeadTable(readHeadTable());

    qelTTFPostTable* post = readPostTable();
    m_representation->setPostTable(post);
    if (post->isFixedPitch != 0)
        m_representation->setFixedPitch(true);

    char name[256];
    if (getNameString(name, sizeof name, 6) == 0)
        qelTTFUtils::fail("PostScript name is not given");
    m_representation->setFontName(name);
    if (getNameString(name, sizeof name, 1) == 0)
        qelTTFUtils::fail("Windows font name is not given");
    m_representation->setWindowsFontName(name);

    if (m_convert) {
        m_representation->setHorizontalHeaderTable(readHheaTable());
        m_representation->setMaxProfileTable(readMaxpTable());
        if (qelTTFUtils::getTableOffset(m_directory, "vmtx") != 0)
            m_representation->setVerticalMetricsTable(readVheaTable());
        buildWidthTable();
    }
    qelTTFRepresentation* result = m_representation;
    m_representation = nullptr;
    return result;
}

// ---------------------------------------------------------------- tables

qelTTFTableDirectory* qelTTFParser::readTableDirectory()
{
    m_stream->seek(0);
    std::unique_ptr<qelTTFTableDirectory> dir(new qelTTFTableDirectory());
    dir->sfntVersion = m_stream->readUInt32();
    dir->numTables = static_cast<uint16_t>(m_stream->readUInt16());
    dir->searchRange = static_cast<uint16_t>(m_stream->readUInt16());
    dir->entrySelector = static_cast<uint16_t>(m_stream->readUInt16());
    dir->rangeShift = static_cast<uint16_t>(m_stream->readUInt16());
    if (static_cast<int64_t>(dir->numTables) * 16 > m_stream->getBytesLeft())
        qelTTFUtils::fail("Invalid table directory");
    dir->entries = new qelTTFTableEntry[dir->numTables]();
    for (int i = 0; i < dir->numTables; ++i) {
        qelTTFTableEntry& e = dir->entries[i];
        m_stream->getChars(reinterpret_cast<unsigned char*>(e.tag), 4);
        e.tag[4] = '\0';
        e.checkSum = m_stream->readUInt32();
        e.offset = m_stream->readUInt32();
        e.length = m_stream->readUInt32();
    }
    m_directory = dir.get();
    logDirectory();
    m_directory = nullptr;
    return dir.release();
}

void qelTTFParser::logDirectory() const
{
    if (!logAll() || !m_directory)
        return;
    m_log->print("\n\t\tTable Information");
    for (int i = 0; i < m_directory->numTables; ++i) {
        const qelTTFTableEntry& e = m_directory->entries[i];
        m_log->printLine("Nr=%02d. %4s - chksm= 0x%8X, offset= 0x%08X, len=0x%X (%d)", i, e.tag, e.checkSum,
                         e.offset, e.length, static_cast<int>(e.length));
    }
}

qelTTFOS2Table* qelTTFParser::readOS2Table()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "OS/2");
    std::unique_ptr<qelTTFOS2Table> t(new qelTTFOS2Table());
    auto u16 = [this]() { return static_cast<uint16_t>(m_stream->readUInt16()); };
    auto s16 = [this]() { return static_cast<int16_t>(m_stream->readShort()); };
    t->version = u16();
    t->xAvgCharWidth = s16();
    t->usWeightClass = u16();
    t->usWidthClass = u16();
    t->fsType = s16();
    t->ySubscriptXSize = s16();
    t->ySubscriptYSize = s16();
    t->ySubscriptXOffset = s16();
    t->ySubscriptYOffset = s16();
    t->ySuperscriptXSize = s16();
    t->ySuperscriptYSize = s16();
    t->ySuperscriptXOffset = s16();
    t->ySuperscriptYOffset = s16();
    t->yStrikeoutSize = s16();
    t->yStrikeoutPosition = s16();
    t->sFamilyClass = s16();
    m_stream->getChars(t->panose, 10);
    t->ulUnicodeRange1 = m_stream->readUInt32();
    t->ulUnicodeRange2 = m_stream->readUInt32();
    t->ulUnicodeRange3 = m_stream->readUInt32();
    t->ulUnicodeRange4 = m_stream->readUInt32();
    m_stream->getChars(t->achVendID, 4);
    t->fsSelection = u16();
    t->usFirstCharIndex = u16();
    t->usLastCharIndex = u16();
    t->sTypoAscender = s16();
    t->sTypoDescender = s16();
    t->sTypoLineGap = s16();
    t->usWinAscent = u16();
    t->usWinDescent = u16();
    t->ulCodePageRange1 = m_stream->readUInt32();
    t->ulCodePageRange2 = m_stream->readUInt32();
    // Versions 2 and later all carry these fields.
    if (t->version >= 2) {
        t->sxHeight = s16();
        t->sCapHeight = s16();
        t->usDefaultChar = u16();
        t->usBreakChar = u16();
        t->usMaxContext = u16();
    }
    logOS2(t.get());
    return t.release();
}

void qelTTFParser::logOS2(const qelTTFOS2Table* t) const
{
    if (!logAll())
        return;
    m_log->print("\n\t\tOS2 Table Information:");
    m_log->printLine("version:0x%04X xAvgCharWidth:%d usWeightClass:%d usWidthClass:%d fsType:%d ", t->version,
                     t->xAvgCharWidth, t->usWeightClass, t->usWidthClass, t->fsType);
    m_log->printLine("ySubscriptXSize:%d ySubscriptYSize:%d ySubscriptXOffset:%d ySubscriptYOffset:%d ",
                     t->ySubscriptXSize, t->ySubscriptYSize, t->ySubscriptXOffset, t->ySubscriptYOffset);
    m_log->printLine("ySuperscriptXSize:%d ySuperscriptYSize:%d ySuperscriptXOffset:%d ySuperscriptYOffset:%d ",
                     t->ySuperscriptXSize, t->ySuperscriptYSize, t->ySuperscriptXOffset, t->ySuperscriptYOffset);
    m_log->printLine("yStrikeoutSize:%d yStrikeoutPosition:%d sFamilyClass:%d ", t->yStrikeoutSize,
                     t->yStrikeoutPosition, t->sFamilyClass);
    m_log->print("\n\t\t\t\t\tpanose: ");
    for (uint8_t b : t->panose)
        m_log->print("%d ", b);
    m_log->printLine("ulUnicodeRange1:0x%08X ulUnicodeRange2:0x%08X ulUnicodeRange3:0x%08X ulUnicodeRange4:0x%08X ",
                     t->ulUnicodeRange1, t->ulUnicodeRange2, t->ulUnicodeRange3, t->ulUnicodeRange4);
    m_log->print("\n\t\t\tachVendID: ");
    for (uint8_t c : t->achVendID)
        m_log->print("%c ", c >= 32 && c < 127 ? c : '.');
    m_log->printLine("fsSelection:0x%04X usFirstCharIndex:%d usLastCharIndex:%d ", t->fsSelection,
                     t->usFirstCharIndex, t->usLastCharIndex);
    m_log->printLine("sTypoAscender:%d sTypoDescender:%d sTypoLineGap:%d usWinAscent:%d usWinDescent:%d ",
                     t->sTypoAscender, t->sTypoDescender, t->sTypoLineGap, t->usWinAscent, t->usWinDescent);
    m_log->printLine("ulCodePageRange1:0x%08X ulCodePageRange2:0x%08X ", t->ulCodePageRange1, t->ulCodePageRange2);
    m_log->printLine("sxHeight:%d sCapHeight:%d usDefaultChar:%d usBreakChar:%d usMaxContext:%d ", t->sxHeight,
                     t->sCapHeight, t->usDefaultChar, t->usBreakChar, t->usMaxContext);
}

qelTTFHeadTable* qelTTFParser::readHeadTable()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "head");
    std::unique_ptr<qelTTFHeadTable> t(new qelTTFHeadTable());
    t->version = m_stream->readUInt32();
    t->fontRevision = m_stream->readUInt32();
    t->checkSumAdjustment = m_stream->readUInt32();
    t->magicNumber = m_stream->readUInt32();
    t->flags = static_cast<uint16_t>(m_stream->readUInt16());
    t->unitsPerEm = static_cast<uint16_t>(m_stream->readUInt16());
    m_stream->getChars(t->created, 8);
    m_stream->getChars(t->modified, 8);
    int16_t* fields[] = {&t->xMin,     &t->yMin,          &t->xMax,
                         &t->yMax,     &t->macStyle,      &t->lowestRecPPEM,
                         &t->fontDirectionHint, &t->indexToLocFormat, &t->glyphDataFormat};
    for (int16_t* f : fields)
        *f = static_cast<int16_t>(m_stream->readShort());
    // Every metric of the font is divided by it.
    if (t->unitsPerEm == 0)
        qelTTFUtils::fail("Invalid unitsPerEm 0");
    logHead(t.get());
    return t.release();
}

void qelTTFParser::logHead(const qelTTFHeadTable* t) const
{
    if (!logAll())
        return;
    m_log->print("\n\t\tHead Table Information");
    m_log->printLine("version:0x%08X fontRevision:0x%08X checkSumAdjustment:0x%08X magicNumber:0x%08X ", t->version,
                     t->fontRevision, t->checkSumAdjustment, t->magicNumber);
    m_log->printLine("flags:0x%04X unitsPerEm:%d", t->flags, t->unitsPerEm);
    m_log->printLine("xMin:%d yMin:%d xMax:%d yMax:%d macStyle:%d lowestRecPPEM:%d ", t->xMin, t->yMin, t->xMax,
                     t->yMax, t->macStyle, t->lowestRecPPEM);
    m_log->printLine("fontDirectionHint:%d indexToLocFormat:%d glyphDataFormat:%d ", t->fontDirectionHint,
                     t->indexToLocFormat, t->glyphDataFormat);
}

qelTTFMaxpTable* qelTTFParser::readMaxpTable()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "maxp");
    std::unique_ptr<qelTTFMaxpTable> t(new qelTTFMaxpTable());
    t->version = m_stream->readUInt32();
    uint16_t* fields[] = {&t->numGlyphs,          &t->maxPoints,
                          &t->maxContours,        &t->maxCompositePoints,
                          &t->maxCompositeContours, &t->maxZones,
                          &t->maxTwilightPoints,  &t->maxStorage,
                          &t->maxFunctionDefs,    &t->maxInstructionDefs,
                          &t->maxStackElements,   &t->maxSizeOfInstructions,
                          &t->maxComponentElements, &t->maxComponentDepth};
    for (uint16_t* f : fields)
        *f = static_cast<uint16_t>(m_stream->readUInt16());
    return t.release();
}

qelTTFHheaTable* qelTTFParser::readHheaTable()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "hhea");
    std::unique_ptr<qelTTFHheaTable> t(new qelTTFHheaTable());
    t->version = m_stream->readUInt32();
    t->ascender = static_cast<int16_t>(m_stream->readShort());
    t->descender = static_cast<int16_t>(m_stream->readShort());
    t->lineGap = static_cast<int16_t>(m_stream->readShort());
    t->advanceWidthMax = static_cast<uint16_t>(m_stream->readUInt16());
    int16_t* fields[] = {&t->minLeftSideBearing, &t->minRightSideBearing, &t->xMaxExtent, &t->caretSlopeRise,
                         &t->caretSlopeRun,      &t->caretOffset,         &t->reserved[0], &t->reserved[1],
                         &t->reserved[2],        &t->reserved[3],         &t->metricDataFormat};
    for (int16_t* f : fields)
        *f = static_cast<int16_t>(m_stream->readShort());
    t->numberOfHMetrics = static_cast<uint16_t>(m_stream->readUInt16());
    return t.release();
}

qelTTFVheaTable* qelTTFParser::readVheaTable()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "vhea");
    std::unique_ptr<qelTTFVheaTable> t(new qelTTFVheaTable());
    t->version = m_stream->readUInt32();
    int16_t* fields[] = {&t->vertTypoAscender,  &t->vertTypoDescender,    &t->vertTypoLineGap, &t->advanceHeightMax,
                         &t->minTopSideBearing, &t->minBottomSideBearing, &t->yMaxExtent,      &t->caretSlopeRise,
                         &t->caretSlopeRun,     &t->caretOffset,          &t->reserved[0],     &t->reserved[1],
                         &t->reserved[2],       &t->reserved[3],          &t->metricDataFormat};
    for (int16_t* f : fields)
        *f = static_cast<int16_t>(m_stream->readShort());
    t->numOfLongVerMetrics = static_cast<uint16_t>(m_stream->readUInt16());
    return t.release();
}

qelTTFPostTable* qelTTFParser::readPostTable()
{
    qelTTFUtils::seekTable(m_stream, m_directory, "post");
    std::unique_ptr<qelTTFPostTable> t(new qelTTFPostTable());
    t->version = m_stream->readUInt32();
    const int32_t angle = static_cast<int32_t>(m_stream->readUInt32());
    t->italicAngle = angle / 65536; // C++ division truncates toward zero
    t->underlinePosition = static_cast<int16_t>(m_stream->readShort());
    t->underlineThickness = static_cast<int16_t>(m_stream->readShort());
    t->isFixedPitch = m_stream->readUInt32();
    t->minMemType42 = m_stream->readUInt32();
    t->maxMemType42 = m_stream->readUInt32();
    t->minMemType1 = m_stream->readUInt32();
    t->maxMemType1 = m_stream->readUInt32();
    switch (t->version) {
    case 0x00010000: case 0x00020000: case 0x00030000:
        break;
    case 0x00025000:
        warn("Warning! TrueType 'Post' version 2.5 found (deprecated)");
        break;
    default:
        warn("Error! Unknown Post Table Version: 0x%08X. File Name:%s", t->version,
             getResourceName() ? getResourceName() : "NULL");
        qelTTFUtils::fail("Unknown Post Table Version");
    }
    logPost(t.get());
    return t.release();
}

void qelTTFParser::logPost(const qelTTFPostTable* t) const
{
    if (!logAll())
        return;
    m_log->print("\n\t\tPost Table Information");
    m_log->printLine("version:0x%08X italicAngle: %d underlinePosition:%d underlineThickness:%d isFixedPitch:%u ",
                     t->version, t->italicAngle, t->underlinePosition, t->underlineThickness, t->isFixedPitch);
    m_log->printLine("minMemType42:%u maxMemType42:%u minMemType1:%u maxMemType1:%u ", t->minMemType42,
                     t->maxMemType42, t->minMemType1, t->maxMemType1);
}

// ----------------------------------------------------------------- names

namespace {
// UTF-16BE to one byte a character: ASCII only (others dropped) or
// Latin-1 with '?' for the rest.
std::string decodeUTF16(const std::vector<uint8_t>& raw, bool asciiOnly)
{
    std::string out;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const unsigned c = (static_cast<unsigned>(raw[i]) << 8) | raw[i + 1];
        if (c >= 0xDC00 && c < 0xE000)
            continue; // second half of a surrogate pair, already counted
        if (c == 0)
            continue;
        if (c < 0x80)
            out.push_back(static_cast<char>(c));
        else if (!asciiOnly)
            out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    }
    return out;
}
} // namespace

int qelTTFParser::getValueFromNameTable(char* buffer, int bufferSize, uint16_t platformID, uint16_t encodingID,
                                        uint16_t languageID, uint16_t nameID)
{
    if (!buffer || bufferSize < 1)
        return 0;
    buffer[0] = '\0';
    const int64_t base = qelTTFUtils::seekTable(m_stream, m_directory, "name");
    const int64_t size = qelTTFUtils::inputSize(m_stream);
    const unsigned format = m_stream->readUInt16();
    if (format != 0)
        warn("Warning! Expecting Zero. Unexpected value:%d.", static_cast<int>(format));
    const unsigned count = m_stream->readUInt16();
    const unsigned storage = m_stream->readUInt16();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned platform = m_stream->readUInt16();
        const unsigned encoding = m_stream->readUInt16();
        const unsigned language = m_stream->readUInt16();
        const unsigned id = m_stream->readUInt16();
        const unsigned length = m_stream->readUInt16();
        const unsigned offset = m_stream->readUInt16();
        if (platform != platformID || encoding != encodingID || id != nameID
            || (language != languageID && languageID != 0xFFFF))
            continue;
        const int64_t start = base + storage + offset;
        // A name whose text lies outside the file does not count.
        if (start + length > size)
            continue;
        std::vector<uint8_t> raw(length);
        m_stream->seek(static_cast<int>(start));
        if (length > 0)
            m_stream->getChars(raw.data(), static_cast<int>(length));
        std::string text = platform == 3 ? decodeUTF16(raw, nameID == 6) : std::string(raw.begin(), raw.end());
        if (text.size() > static_cast<size_t>(bufferSize - 1)) {
            warn("Warning! Buffer passed to  qelTTFParser::getValueFromNameTable() to store value of name id %d is "
                 "small, trucating to a length of %d",
                 nameID, bufferSize);
            text.resize(static_cast<size_t>(bufferSize - 1));
        }
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return static_cast<int>(text.size());
    }
    return 0;
}

int qelTTFParser::getNameString(char* buffer, int bufferSize, uint16_t nameID)
{
    int n = getValueFromNameTable(buffer, bufferSize, 1, 0, 0, nameID);
    if (n == 0)
        n = getValueFromNameTable(buffer, bufferSize, 3, 1, 1033, nameID);
    if (n == 0)
        n = getValueFromNameTable(buffer, bufferSize, 3, 5, 1042, nameID);
    if (n != 0)
        return n;
    warn("Warning! No valid %s name available", nameID == 6 ? "PostScript" : "Windows font");
    n = getValueFromNameTable(buffer, bufferSize, 1, 0, 0xFFFF, nameID);
    if (n == 0)
        n = getValueFromNameTable(buffer, bufferSize, 1, 0, 0, 1);
    return n;
}

// ---------------------------------------------------------------- widths

void qelTTFParser::buildWidthTable()
{
    qelTTFCMapParser cmap(m_stream, m_directory, m_log);
    std::unique_ptr<qelTTFCMapSubtable> sub(cmap.findSubtable(1, 0));
    if (!sub)
        qelTTFUtils::fail("Cannot read Mac-Roman TrueType cmap table");
    qelTTFGlyphSet set;
    uint16_t glyphs[256];
    for (unsigned code = 0; code < 256; ++code) {
        glyphs[code] = cmap.lookup(sub.get(), code);
        if (glyphs[code] != 0)
            set.add(glyphs[code]);
    }
    qelTTFGlyphParser pass(m_stream, m_directory);
    pass.readGlyphs(&set, m_representation->getHeadTable(), m_representation->getHorizontalHeaderTable(),
                    m_representation->getMaxProfileTable(), m_representation->getOS2Table(),
                    m_representation->getVerticalMetricsTable());
    const double units = set.getUnitsPerEm();
    if (units <= 0)
        qelTTFUtils::fail("Invalid unitsPerEm 0");
    std::unique_ptr<uint16_t[]> widths(new uint16_t[256]);
    for (unsigned code = 0; code < 256; ++code)
        widths[code] = static_cast<uint16_t>(std::floor(set.advanceOf(glyphs[code]) * 1000.0 / units + 0.5));
    m_representation->setFirstChar(0);
    m_representation->setLastChar(255);
    m_representation->setWidthTable(widths.release());
}
