#include "qelAFPFontParser.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelResGroupParser.h"
#include "qelResParser.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Field identifiers after the class byte X'D3'.
enum : int {
    kBeginFont = 0xA889,
    kFontDescriptor = 0xA689,
    kFontControl = 0xA789,
    kFontPatternsMap = 0xA289,
    kFontOrientation = 0xAE89,
    kFontPosition = 0xAC89,
    kFontIndex = 0x8C89,
    kEndFont = 0xA989,
    kFontNameMap = 0xAB89,
    kFontPatterns = 0xEE89
};

const int kFNMGroup = 8;
const int kFNOGroup = 26;
const int kFNPGroup = 22;
// The shortest Font Index group: GCGID and increment.
const int kFNIShortestGroup = 10;
const int kFNNShortestGroup = 12;
// Fixed limits of what a character set may make the reader hold.
const size_t kMaxNameMap = size_t(16) << 20;
const int64_t kMaxFontProgram = int64_t(64) << 20;

const int kDegrees[5] = {0, 90, 180, 270, 0};

const char* const kWeightNames[10] = {"",     "Ultralight", "Extralight", "Light",     "Semilight",
                                      "Medium (normal)", "Semibold", "Bold", "Extrabold", "Ultrabold"};
const char* const kWidthNames[10] = {"",        "Ultracondensed", "Extracondensed", "Condensed",   "Semicondensed",
                                     "Normal (medium)", "Semiexpanded", "Expanded", "Extraexpanded", "Ultraexpanded"};

// Random access to the data of one field: a value is there only when all
// its bytes are.
struct FieldData
{
    const uint8_t* bytes = nullptr;
    int size = 0;

    explicit FieldData(qelSFIBlock* field)
    {
        const int n = field ? field->getDataSize() : 0;
        if (n > 0 && field->getData()) {
            bytes = field->getData();
            size = n;
        }
    }
    bool has(int64_t at, int64_t length) const { return at >= 0 && length >= 0 && at + length <= size; }
    unsigned u8(int at) const { return bytes[at]; }
    unsigned u16(int at) const { return (static_cast<unsigned>(bytes[at]) << 8) | bytes[at + 1]; }
    int s16(int at) const { return static_cast<int16_t>(u16(at)); }
    uint32_t u32(int at) const
    {
        return (static_cast<uint32_t>(bytes[at]) << 24) | (static_cast<uint32_t>(bytes[at + 1]) << 16)
               | (static_cast<uint32_t>(bytes[at + 2]) << 8) | bytes[at + 3];
    }
    // EBCDIC text in ASCII, trimmed on both sides.
    std::string name(int at, int length) const
    {
        std::unique_ptr<char[]> text(new char[static_cast<size_t>(length) + 1]);
        std::memcpy(text.get(), bytes + at, static_cast<size_t>(length));
        qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(text.get()), length);
        text[length] = 0;
        return std::string(qelString::trim(text.get()));
    }
};

int rotationIndex(unsigned word)
{
    switch (word) {
    case 0x0000:
        return 0;
    case 0x2D00:
        return 1;
    case 0x5A00:
        return 2;
    case 0x8700:
        return 3;
    default:
        return 4;
    }
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

qelAFPFontParser::qelAFPFontParser() : qelAFPParser(false)
{
    m_triplets.setInFontResource(true);
}

qelAFPFontParser::~qelAFPFontParser()
{
    delete m_representation;
    clear();
}

const char* qelAFPFontParser::resourceName() const
{
    return getResourceName() ? getResourceName() : "";
}

void qelAFPFontParser::line(const char* format, ...)
{
    if (!logOn())
        return;
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelAFPFontParser::consoleWarning(const char* format, ...)
{
    if (m_quiet)
        return;
    va_list args;
    va_start(args, format);
    char text[2048];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qelMessageOutput::printf("%s", text);
}

void qelAFPFontParser::fieldLine(const char* abbreviation, const char* title, const char* text)
{
    if (logOn() && m_currentSF)
        m_log->logStructuredField(1, static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), abbreviation, title, text);
}

void qelAFPFontParser::logByteRows(const uint8_t* bytes, int n)
{
    for (int i = 0; i < n; ++i) {
        if (i % 40 == 0)
            m_log->printLine("%02X ", bytes[i]);
        else
            m_log->print("%02X ", bytes[i]);
    }
}

bool qelAFPFontParser::seekData(int offset)
{
    qelSFIBlock* f = m_currentSF;
    if (!f || f->getDataSize() <= offset)
        return false;
    const int position = f->getPosition();
    if (position > offset)
        return false;
    f->skip(offset - position);
    return true;
}

void qelAFPFontParser::readTriplets(uint32_t optional)
{
    uint32_t mandatory = 0;
    m_triplets.parse(&mandatory, &optional, m_currentSF);
}

qelFontRepresentation* qelAFPFontParser::parseStream(qelIOStream* stream)
{
    m_logFlag = m_log && m_log->anyOf(QEL_LOG_LEVEL5);
    if (!stream) {
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
            m_log->printLine("Error! NULL IOSteam passed to qelAFPFontParser::parse() for resource %s",
                             getResourceName() ? getResourceName() : "NULL");
        return nullptr;
    }
    qelIOStream::setCurrent(stream);
    try {
        parseCharacterSet(stream);
    } catch (qelException* e) {
        delete m_representation;
        m_representation = nullptr;
        m_metrics = nullptr;
        clear();
        // A character set cut short is damaged, not the regular end of an input.
        qelResParser::makeEndOfDataError(e);
        throw;
    } catch (...) {
        delete m_representation;
        m_representation = nullptr;
        m_metrics = nullptr;
        clear();
        throw;
    }
    clear();
    qelAFPFontRepresentation* result = m_representation;
    m_representation = nullptr;
    m_metrics = nullptr;
    return result;
}

void qelAFPFontParser::reset()
{
    delete m_representation;
    m_representation = nullptr;
    m_metrics = nullptr;
    clear();
    m_rasterDataCount = 0;
    m_bytesConsumed = 0;
    m_alignment = -1;
    m_fnmGroupLength = 0;
    m_fnnGroupLength = 0;
    m_fniGroupLength = 0;
    m_fnnNameCount = 0;
    m_orientationCount = 0;
    for (int32_t& o : m_orientations)
        o = 4;
    m_nextPattern = 0;
    m_glyphCapacity = 0;
    m_dumpFile.clear();
}

void qelAFPFontParser::clear()
{
    std::vector<int64_t>().swap(m_patternOffsets);
    std::vector<uint8_t>().swap(m_carried);
    std::vector<uint8_t>().swap(m_nameMap);
    m_nameMapTooLarge = false;
}

void qelAFPFontParser::parseCharacterSet(qelIOStream* input)
{
    reset();
    qelSFIBlock* field = readNextSF(input);
    if (field->getId() != kBeginFont) {
        reportUnexpectedSF(field->getId());
        return;
    }
    m_representation = new qelAFPFontRepresentation();
    m_metrics = new qelAFPFontMetrics();
    m_representation->setMetrics(m_metrics);
    m_representation->setRequestedName(getResourceName());
    parseBeginFont();

    int fontIndexes = 0;
    int fontPatterns = 0;
    bool collectingNames = false;
    for (bool ended = false; !ended;) {
        // The end of the input here ends the parse.
        field = readNextSF(input);
        const int id = field->getId();
        try {
            if (collectingNames && id != kFontNameMap) {
                collectingNames = false;
                parseFontNameMap();
            }
            switch (id) {
            case kFontIndex:
                parseFontIndex(fontIndexes++);
                break;
            case kFontPatternsMap:
                parseFontPatternsMap();
                break;
            case kFontDescriptor:
                parseFontDescriptor();
                break;
            case kFontControl:
                parseFontControl();
                break;
            case kEndFont:
                parseEndFont();
                ended = true;
                break;
            case kFontNameMap:
                parseFontNameMapHeader();
                collectingNames = true;
                break;
            case kFontPosition:
                parseFontPosition();
                break;
            case kFontOrientation:
                parseFontOrientation();
                break;
            case kFontPatterns:
                parseFontPatterns(fontPatterns++);
                break;
            default:
                reportUnexpectedSF(id);
                break;
            }
        } catch (qelException* e) {
            // Only a handler's own end of data is dropped.
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
    for (int i = fontIndexes; i < m_orientationCount; ++i)
        line("Warning! Character metrics missing for %d\260 rotation", kDegrees[m_orientations[i]]);
    dumpType1Program();
}

void qelAFPFontParser::processNOP(qelNOPRecord** out)
{
    if (out)
        *out = nullptr;
    if (!m_currentSF)
        return;
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), "NOP", "No Operation", "");
    FieldData d(m_currentSF);
    if (d.size == 0 || !m_log || m_log->noneOf(QEL_LOG_LEVEL4))
        return;
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(d.size) + 1]);
    if (!text)
        throw "Unable to allocate NOP value at qelAFPFontParser";
    logByteRows(d.bytes, d.size);
    std::memcpy(text.get(), d.bytes, static_cast<size_t>(d.size));
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(text.get()), d.size);
    text[d.size] = 0;
    m_log->printLine("%s", qelString::trim(text.get()));
}

void qelAFPFontParser::parseBeginFont()
{
    FieldData d(m_currentSF);
    const std::string name = d.has(0, 8) ? d.name(0, 8) : std::string();
    fieldLine("BFN", "Begin Font", name.c_str());
    if (!name.empty())
        m_representation->setResourceName(name.c_str());
    if (seekData(8)) {
        struct MaskGuard
        {
            qelTripletParser& reader;
            ~MaskGuard() { reader.setLogMask(QEL_LOG_LEVEL2); }
        } guard{m_triplets};
        m_triplets.setLogMask(QEL_LOG_LEVEL5);
        readTriplets(QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_CHECKSUM | QEL_TRIPLET_ORIGIN_IDENTIFIER
                     | QEL_TRIPLET_COMMENT);
    }
    m_representation->setCharacterSetName(getResourceName());
    m_representation->applyFamilyDefaults(getResourceName());
    if (m_representation->getFontName())
        m_representation->setTypefaceName(m_representation->getFontName());
}

void qelAFPFontParser::parseEndFont()
{
    FieldData d(m_currentSF);
    const std::string name = d.has(0, 8) ? d.name(0, 8) : std::string();
    fieldLine("EFN", "End Font", name.c_str());
}

void qelAFPFontParser::parseFontDescriptor()
{
    qelAFPFontRepresentation* rep = m_representation;
    FieldData d(m_currentSF);
    fieldLine("FND", "Font Descriptor");
    if (d.has(0, 32)) {
        const std::string typeface = d.name(0, 32);
        rep->setTypefaceName(typeface.c_str());
        rep->setTypefaceDescription(typeface.c_str());
        rep->setFontName(typeface.c_str());
        line("Typeface Name : %s", typeface.c_str());
    }
    const unsigned weight = d.has(32, 1) ? d.u8(32) : 0;
    if (weight >= 1 && weight <= 9) {
        rep->setWeightClassName(kWeightNames[weight]);
        rep->applyWeightClass(weight <= 4 ? "Light" : weight == 5 ? "Medium (normal)" : "Bold");
        line("Weight Class (0x%x): %s", weight, kWeightNames[weight]);
    } else {
        line("Warning! Illegal Weightclass Value : 0x%x ", weight);
    }
    const unsigned width = d.has(33, 1) ? d.u8(33) : 0;
    if (width >= 1 && width <= 9) {
        rep->setWidthClassName(kWidthNames[width]);
        line("Width Class (0x%x): %s", width, kWidthNames[width]);
    } else {
        line("Warning! Illegal Widthclass Value : 0x%x", width);
    }
    if (d.has(34, 2))
        line("Maximum Vertical Size %d", d.u16(34));
    if (d.has(36, 2)) {
        const unsigned nominal = d.u16(36);
        rep->setNominalVerticalSize(static_cast<uint16_t>(nominal));
        if (nominal != 0)
            rep->setHeight(static_cast<int32_t>(nominal));
        line("Nominal Vertical Size %d", nominal);
    }
    if (d.has(38, 2))
        line("Minimum Vertical Size %d", d.u16(38));
    if (d.has(40, 2))
        line("Maximum Horizontal Size %d", d.u16(40));
    if (d.has(42, 2)) {
        rep->setNominalHorizontalSize(static_cast<uint16_t>(d.u16(42)));
        line("Nominal Horizontal Size %d", d.u16(42));
    }
    if (d.has(44, 2))
        line("Minimum Horizontal Size %d", d.u16(44));
    if (d.has(46, 1))
        line("Design General Class 0x%x", d.u8(46));
    if (d.has(47, 1))
        line("Design Subclass 0x%x", d.u8(47));
    if (d.has(48, 1))
        line("Design Specific Group 0x%x", d.u8(48));
    if (d.has(64, 2)) {
        const unsigned flags = d.u16(64);
        line("Font Design Flags %d", flags);
        rep->setItalic((flags & 0x8000) != 0);
        rep->setUnderline((flags & 0x4000) != 0);
        rep->setHollow((flags & 0x1000) != 0);
        rep->setStrikeover((flags & 0x0800) != 0);
        if (flags & 0x8000)
            line("Italic Set");
        if (flags & 0x4000)
            line("UnderLine Set");
        if (flags & 0x1000)
            line("Hollow Set");
        if (flags & 0x0800)
            line("Overstruck Set");
    }
    if (d.has(76, 2)) {
        const unsigned gcsgid = d.u16(76);
        if (gcsgid >= 1 && gcsgid <= 0xFFFE)
            line("Graphic Character Set GID (%d): Registered GCSGID", gcsgid);
        else
            line("Graphic Character Set GID (%d): No information is given", gcsgid);
    }
    const unsigned fgid = d.has(78, 2) ? d.u16(78) : 0;
    if (fgid >= 1 && fgid <= 0xFFFE) {
        rep->setFGIDNumber(static_cast<uint16_t>(fgid));
        rep->setFGID(std::to_string(fgid).c_str());
        line("Font Typeface GID (FGID) (%d): Registered FGID", fgid);
    } else {
        rep->setFGIDNumber(0);
        std::unique_ptr<char[]> generated(qelUtils::generateResourceName(true));
        rep->setFGID(generated.get());
        line("Font Typeface GID (FGID) (%d): No information is given", fgid);
    }
    if (seekData(80)) {
        readTriplets(QEL_TRIPLET_FULLY_QUALIFIED_NAME);
        // Nobody takes the names the descriptor's triplets give.
        m_triplets.takeFullyQualifiedName();
        m_triplets.takeAlternateName();
    }
}

void qelAFPFontParser::parseFontControl()
{
    qelAFPFontRepresentation* rep = m_representation;
    FieldData d(m_currentSF);
    fieldLine("FNC", "Font Control");
    if (d.has(0, 1))
        line("Retired Parameter 0x%x", d.u8(0));
    if (d.has(1, 1)) {
        const unsigned technology = d.u8(1);
        switch (technology) {
        case 0x05:
            rep->setPatternTechnology(0x05);
            rep->setOutlineFont(false);
            line("Pattern Technology Identifier (0x%x): Laser Matrix N-bit Wide", technology);
            break;
        case 0x1E:
            rep->setPatternTechnology(0x1E);
            rep->setOutlineFont(true);
            line("Pattern Technology Identifier (0x%x): CID Keyed font (Type 0)", technology);
            break;
        case 0x1F:
            rep->setPatternTechnology(0x1F);
            rep->setOutlineFont(true);
            line("Pattern Technology Identifier (0x%x): PFB (Type 1)", technology);
            break;
        default:
            rep->setPatternTechnology(0);
            line("Warning! Illegal Pattern Technology Identifier : 0x%x", technology);
            break;
        }
    }
    if (d.has(2, 1) && d.u8(2) != 0)
        line("Warning! Illegal Reserved Byte: 0x%x", d.u8(2));
    if (d.has(3, 1)) {
        const unsigned flags = d.u8(3);
        line("Font Use Flags 0x%x", flags);
        if (flags & 0x80) {
            rep->setMICR(true);
            line("Printing Type : Magnetic Ink Character Recognition");
        }
        if (flags & 0x40) {
            rep->setExtensionFont(true);
            line("Font Resource Type : Extension Font");
        }
        if (flags & 0x02) {
            rep->setUniformRasterPattern(true);
            line("Raster Pattern is Uniform");
        }
    }
    const unsigned xBase = d.has(4, 1) ? d.u8(4) : 0;
    if (xBase == 0)
        line("X Unitbase ( 0x%x ) = 10 Inches", xBase);
    else if (xBase == 2)
        line("X Unitbase ( 0x%x ) = Relative", xBase);
    else
        line("Warning! Illegal X Unitbase Value : 0x%x", xBase);
    const unsigned yBase = d.has(5, 1) ? d.u8(5) : 0;
    if (yBase == 0)
        line("Y Unitbase ( 0x%x ) = 10 Inches", yBase);
    else if (yBase == 2)
        line("Y Unitbase ( 0x%x ) = Relative", yBase);
    else
        line("Warning! Illegal Y Unitbase : 0x%x", yBase);
    if (xBase == 2 && yBase == 2)
        rep->setRelativeMetric(true);

    const unsigned xUnits = d.has(6, 2) ? d.u16(6) : 0;
    if (d.has(6, 2)) {
        switch (xUnits) {
        case 1000:
            line("Font Units per Unit Base X-value ( 0x%x ) = 1000 Relative", xUnits);
            break;
        case 2400:
        case 3000:
        case 6000:
            line("Font Units per Unit Base X-value ( 0x%x ) = %u Pel Fixed", xUnits, xUnits / 10);
            break;
        default:
            line("Warning! Illegal Font X Unit Value : 0x%x", xUnits);
            break;
        }
    }
    if (d.has(8, 2)) {
        const unsigned yUnits = d.u16(8);
        switch (yUnits) {
        case 1000:
            rep->setUnitsPerUnitBase(1000);
            line("Font Units per Unit Base Y-value ( 0x%x ) = 1000 Relative", yUnits);
            break;
        case 2400:
        case 3000:
        case 6000:
            // Only a square unit gives a resolution.
            if (xUnits == yUnits) {
                rep->setResolution(static_cast<int32_t>(yUnits / 10));
                rep->setUnitsPerUnitBase(static_cast<int32_t>(yUnits / 10));
            }
            line("Font Units per Unit Base Y-value ( 0x%x ) = %u Pel Fixed", yUnits, yUnits / 10);
            break;
        default:
            rep->setUnitsPerUnitBase(static_cast<int32_t>(xUnits));
            line("Warning! Illegal Font Y Unit Value : 0x%x", yUnits);
            break;
        }
    }
    if (d.has(10, 2)) {
        m_metrics->setMaxCharBoxWidth(static_cast<int32_t>(d.u16(10)) + 1);
        line("Maximum Character Box Width %d", d.u16(10));
    }
    if (d.has(12, 2)) {
        m_metrics->setMaxCharBoxHeight(static_cast<int32_t>(d.u16(12)) + 1);
        line("Maximum Character Box Height %d", d.u16(12));
    }
    if (rep->getNominalVerticalSize() == 0) {
        const int32_t resolution = rep->getResolution();
        const float size = resolution == 0
                               ? 0.0f
                               : static_cast<float>(m_metrics->getMaxCharBoxHeight()) * 720.0f
                                     / static_cast<float>(resolution);
        rep->setNominalVerticalSize(static_cast<uint16_t>(static_cast<int32_t>(size)));
    }
    if (d.has(14, 1))
        line("FNO Repeating Group Length 0x%x", d.u8(14));
    if (d.has(15, 1)) {
        m_fniGroupLength = static_cast<uint8_t>(d.u8(15));
        line("FNI Repeating Group Length 0x%x", d.u8(15));
    }
    if (d.has(16, 1)) {
        const unsigned code = d.u8(16);
        switch (code) {
        case 0:
            m_alignment = 1;
            line("Pattern Data Alignment Code (0x%x): 1 Byte Alignment", code);
            break;
        case 2:
            m_alignment = 4;
            line("Pattern Data Alignment Code (0x%x): 4 Byte Alignment", code);
            break;
        case 3:
            m_alignment = 8;
            line("Pattern Data Alignment Code (0x%x): 8 Byte Alignment", code);
            break;
        default:
            m_alignment = -1;
            line("Warning! Illegal Pattern Data Alignment Code : 0x%x", code);
            break;
        }
    }
    if (d.has(17, 3)) {
        m_rasterDataCount = static_cast<int32_t>(d.u8(17) * 65536u + d.u16(18));
        line("Raster Pattern Data Count %d", m_rasterDataCount);
    }
    if (d.has(20, 1))
        line("FNP Repeating Group Length 0x%x", d.u8(20));
    const unsigned fnm = d.has(21, 1) ? d.u8(21) : 0;
    m_fnmGroupLength = static_cast<uint8_t>(fnm);
    if (fnm == 0)
        line("FNM Repeating Group Length (0x%x): No Raster Data", fnm);
    else if (fnm == 8)
        line("FNM Repeating Group Length (0x%x): Raster Data", fnm);
    else
        line("Warning! Illegal FNM Repeating Group Length : 0x%x", fnm);

    // From here on a field cut short ends the reading without a word.
    if (!d.has(22, 1))
        return;
    line("Font Resolution X unit Base =10 Inches");
    if (!d.has(23, 1))
        return;
    line("Font Resolution Y unit Base =10 Inches");
    if (!d.has(24, 2))
        return;
    const unsigned xResolution = d.u16(24);
    if (xResolution == 0)
        line("Font resolution X-value (%d): No Value Provided", xResolution);
    else if (xResolution == 2400 || xResolution == 3000 || xResolution == 6000)
        line("Font resolution X-value (%d): %u Pel", xResolution, xResolution / 10);
    else
        line("Warning! Illegal Value for Font resolution X-value : 0x%x", xResolution);
    if (!d.has(26, 2))
        return;
    const unsigned yResolution = d.u16(26);
    if (yResolution == 0) {
        rep->setFontResolutionY(0);
        line("Font resolution Y-value (%d): No Value Provided", yResolution);
    } else if (yResolution == 2400 || yResolution == 3000 || yResolution == 6000) {
        if (xResolution == yResolution) {
            rep->setResolution(static_cast<int32_t>(yResolution / 10));
            rep->setFontResolutionY(static_cast<int32_t>(yResolution / 10));
        }
        line("Font resolution Y-value (%d): %u Pel", yResolution, yResolution / 10);
    } else {
        rep->setFontResolutionY(static_cast<int32_t>(xResolution));
        line("Warning! Illegal Value for Font resolution Y-value : 0x%x", yResolution);
    }
    if (!d.has(28, 4))
        return;
    line("Outline Pattern Data Count 0x%x", d.u32(28));
    if (!d.has(32, 3) || !d.has(35, 1))
        return;
    m_fnnGroupLength = static_cast<uint8_t>(d.u8(35));
    line("FNN Repeating Group Length 0x%x", d.u8(35));
    if (!d.has(36, 4))
        return;
    line("FNN Data Count 0x%x", d.u32(36));
    if (!d.has(40, 2))
        return;
    m_fnnNameCount = static_cast<uint16_t>(d.u16(40));
    line("FNN Name Count %d", d.u16(40));
    if (seekData(42))
        readTriplets(QEL_TRIPLET_EXTENSION_FONT);
}

void qelAFPFontParser::parseFontPatternsMap()
{
    FieldData d(m_currentSF);
    fieldLine("FNM", "Font Patterns Map");
    const bool raster = m_fnmGroupLength != 0 && m_representation->getPatternTechnology() == 0x05;
    const int32_t entries = raster ? d.size / m_fnmGroupLength : 0;
    // A later Font Patterns Map continues the list: the glyphs already made
    // stay where character metrics point at them.
    const int32_t before = m_metrics->getGlyphCount();
    // The list grows by doubling, so that many maps cost linear time.
    std::unique_ptr<qelFontGlyph*[]> grown;
    qelFontGlyph** list = m_metrics->getGlyphList();
    if (entries > 0) {
        const int64_t needed = static_cast<int64_t>(before) + entries;
        if (!list || needed > m_glyphCapacity) {
            const int64_t capacity = std::max<int64_t>(needed, 2 * static_cast<int64_t>(m_glyphCapacity));
            grown.reset(new qelFontGlyph*[static_cast<size_t>(capacity)]());
            for (int32_t i = 0; i < before; ++i)
                grown[i] = list[i];
            list = grown.get();
            m_glyphCapacity = capacity;
        }
        m_patternOffsets.resize(static_cast<size_t>(needed), 0);
    }
    line("============================================");
    line("Index  CharBoxWd  CharBoxHt  PatDOset");
    line("============================================");
    unsigned width = 0;
    unsigned height = 0;
    uint32_t offset = 0;
    unsigned largestWidth = 0;
    unsigned largestHeight = 0;
    bool anyGroup = false;
    int32_t group = 0;
    for (int at = 0; d.size - at >= 2; at += kFNMGroup, ++group) {
        if (d.has(at, 2))
            width = d.u16(at);
        if (d.has(at + 2, 2))
            height = d.u16(at + 2);
        if (d.has(at + 4, 4))
            offset = d.u32(at + 4);
        anyGroup = true;
        largestWidth = std::max(largestWidth, width);
        largestHeight = std::max(largestHeight, height);
        line("% 5d  % 9d  % 9d  % 6d (0x%0X)", before + group, width + 1, height + 1, static_cast<int>(offset),
             offset);
        if (group < entries) {
            qelFontGlyph* glyph = new qelFontGlyph();
            glyph->setWidth(static_cast<uint16_t>(width + 1));
            glyph->setHeight(static_cast<uint16_t>(height + 1));
            list[before + group] = glyph;
            m_patternOffsets[static_cast<size_t>(before + group)] = offset;
        } else {
            consoleWarning("Warning! Font patterns map for resource %s contains more characters than expected: 0x%x\n",
                           resourceName(), static_cast<unsigned>(group));
            line("Warning! Font patterns map contains more characters than expected: 0x%x\n",
                 static_cast<unsigned>(group));
        }
    }
    for (int32_t i = 0; i < before; ++i) {
        if (qelFontGlyph* g = m_metrics->getGlyph(i)) {
            anyGroup = true;
            largestWidth = std::max<unsigned>(largestWidth, g->getWidth() - 1u);
            largestHeight = std::max<unsigned>(largestHeight, g->getHeight() - 1u);
        }
    }
    if (anyGroup) {
        const int32_t w = static_cast<int32_t>(largestWidth) + 1;
        const int32_t h = static_cast<int32_t>(largestHeight) + 1;
        if (w != m_metrics->getMaxCharBoxWidth() || h != m_metrics->getMaxCharBoxHeight()) {
            const char* format = "Warning! Glyph box maximum boundary mismatch (FNC: W=<%d> H=<%d>, FNP: W=<%d> "
                                 "H=<%d>), using maximum value evaluated from actual glyph data (FNP) \n";
            consoleWarning(format, m_metrics->getMaxCharBoxWidth(), m_metrics->getMaxCharBoxHeight(), w, h);
            line(format, m_metrics->getMaxCharBoxWidth(), m_metrics->getMaxCharBoxHeight(), w, h);
            m_metrics->setMaxCharBoxWidth(w);
            m_metrics->setMaxCharBoxHeight(h);
        }
    }
    if (grown) {
        // The old array goes, its glyphs move into the new one.
        m_metrics->setGlyphCount(0);
        m_metrics->setGlyphList(grown.release(), before + entries);
    } else if (entries > 0) {
        m_metrics->setGlyphList(list, before + entries);
    }
}

void qelAFPFontParser::parseFontOrientation()
{
    FieldData d(m_currentSF);
    fieldLine("FNO", "Font Orientation");
    qelAFPFontRepresentation* rep = m_representation;
    // Values a short group lacks are those of the group before.
    static const struct
    {
        int offset;
        int size;
    } kFields[14] = {{0, 2},  {2, 2},  {4, 2},  {6, 2},  {8, 2},  {10, 2}, {12, 1},
                     {13, 1}, {14, 2}, {16, 2}, {18, 2}, {20, 2}, {22, 2}, {24, 2}};
    unsigned v[14] = {};
    bool named[4] = {false, false, false, false};
    for (int at = 0; at < d.size; at += kFNOGroup) {
        for (int k = 0; k < 14; ++k) {
            const int field = at + kFields[k].offset;
            if (d.has(field, kFields[k].size))
                v[k] = kFields[k].size == 1 ? d.u8(field) : d.u16(field);
        }
        if (v[0] != 0)
            line("Warning! Illegal Reserved Bytes %d", v[0]);
        const int rotation = rotationIndex(v[1]);
        if (rotation < 4) {
            named[rotation] = true;
            if (m_orientationCount < 4)
                m_orientations[m_orientationCount++] = rotation;
            m_metrics->addOrientation(rotation);
            line("Character Rotation (%d): %d\260 degrees", v[1], kDegrees[rotation]);
        } else {
            line("Warning! Illegal Character Rotation : 0x%x", v[1]);
        }
        line("Maximum Baseline Offset %d", v[2]);
        m_metrics->setMaxCharIncrement(rotation, static_cast<int16_t>(v[3]));
        line("Maximum Character Increment %d", v[3]);
        m_metrics->setSpaceCharIncrement(rotation, static_cast<uint16_t>(v[4]));
        line("Space Character Increment %d", v[4]);
        line("Maximum Baseline Extent %d", v[5]);
        const unsigned flags = v[6];
        line("Orientation Control Flags 0x%x", flags);
        if (flags & 0x08) {
            rep->setKerning(true);
            m_metrics->setKerning(rotation, true);
            line("\tFont Contains Kerning Data");
        }
        if (flags & 0x04) {
            rep->setUniformASpace(true);
            m_metrics->setUniformASpace(rotation, true);
            line("\tFont have Uniform A-Space Value");
        }
        if (flags & 0x02) {
            rep->setUniformBaselineOffset(true);
            line("\tFont have Uniform Baseline Offset Value");
        }
        if (flags & 0x01) {
            rep->setUniformCharIncrement(true);
            rep->setFixedPitch(true);
            m_metrics->setUniformCharIncrement(rotation, true);
            line("\tFont have Uniform Character Increment Value");
        }
        if (v[7] != 0)
            line("Warning! Illegal Reserved Byte 0x%x", v[7]);
        line("Em-Space Increment %d", v[8]);
        if (v[9] != 0)
            line("Warning! Illegal Reserved Bytes %d", v[9]);
        rep->setFigureSpaceIncrement(static_cast<int32_t>(v[10]));
        line("Figure Space Increment %d", v[10]);
        line("Nominal Character Increment %d", v[11]);
        m_metrics->setDefaultBaselineIncrement(rotation, static_cast<uint16_t>(v[12]));
        line("Default Baseline increment %d", v[12]);
        const unsigned minASpace = v[13];
        const int16_t aSpace = static_cast<int16_t>(minASpace);
        m_metrics->setMinASpace(rotation, aSpace);
        line("Minimum A-Space %d\n", aSpace);
    }
    for (int r = 0; r < 4; ++r)
        if (!named[r])
            line("Warning! Font Orientation missing for %d\260 rotation", kDegrees[r]);
}

void qelAFPFontParser::parseFontPosition()
{
    FieldData d(m_currentSF);
    fieldLine("FNP", "Font Position");
    unsigned reserved = 0, xHeight = 0, capM = 0, ascender = 0, descender = 0, retired = 0, reserved2 = 0,
             underscoreWidth = 0, fraction = 0, underscorePosition = 0;
    int group = 0;
    for (int at = 0; at < d.size; at += kFNPGroup, ++group) {
        auto take16 = [&](int offset, unsigned& value) {
            if (d.has(at + offset, 2))
                value = d.u16(at + offset);
        };
        auto take8 = [&](int offset, unsigned& value) {
            if (d.has(at + offset, 1))
                value = d.u8(at + offset);
        };
        take16(0, reserved);
        take16(2, xHeight);
        take16(4, capM);
        take16(6, ascender);
        take16(8, descender);
        take8(15, retired);
        take8(16, reserved2);
        take16(17, underscoreWidth);
        take8(19, fraction);
        take16(20, underscorePosition);
        if (reserved != 0)
            line("Warning! illegal Reserved Bytes %d", reserved);
        line("Max Lower Case Height %d", xHeight);
        line("Cap-M Height %d", capM);
        line("Maximum Ascender Height %d", ascender);
        line("Maximum Descender Depth %d", descender);
        line("Retired Parameter 0x%x", retired);
        if (reserved2 != 0)
            line("Warning! Illegal Reserved Bytes 0x%x", reserved2);
        line("Underscore Width (units) 0x%x", underscoreWidth);
        line("Underscore Width (fraction) %d", fraction);
        const int16_t position = static_cast<int16_t>(underscorePosition);
        line("Underscore Position %d\n", position);
        if (group >= 4)
            continue;
        const int rotation = group < m_orientationCount ? m_orientations[group] : 4;
        m_metrics->setLowercaseHeight(rotation, static_cast<int16_t>(xHeight));
        m_metrics->setCapMHeight(rotation, static_cast<int16_t>(capM));
        m_metrics->setMaxAscenderHeight(rotation, static_cast<int16_t>(ascender));
        m_metrics->setMaxDescenderDepth(rotation, static_cast<int16_t>(descender));
        m_metrics->setUnderscoreWidth(rotation, static_cast<int16_t>(underscoreWidth));
        m_metrics->setUnderscorePosition(rotation, position);
        m_representation->setUnderscorePosition(static_cast<uint16_t>(position));
    }
}

void qelAFPFontParser::parseFontIndex(int ordinal)
{
    FieldData d(m_currentSF);
    fieldLine("FNI", "Font Index");
    const int groupLength = m_fniGroupLength;
    if (groupLength < kFNIShortestGroup) {
        // Such groups cannot be read (a length of 0 would never end).
        line("Warning! Illegal FNI Repeating Group Length : 0x%x", static_cast<unsigned>(groupLength));
        return;
    }
    bool fills = false;
    if (!m_metrics->getCharMetricsList()) {
        const int32_t count = d.size / groupLength;
        m_metrics->setCharMetricsList(new qelCharMetrics*[static_cast<size_t>(count)](), count);
        fills = true;
    }
    const char* rule = "=============================================================================================";
    line("%s", rule);
    line("Conventions :");
    line("GCGID       : Global Character Global IDentifier");
    line("CharInc     : Character Increment");
    line("AscendHt    : Ascender Height");
    line("DescendDp   : Descender Depth");
    line("FNMCnt      : Font Patterns Map Index");
    line("BaseOset    : Baseline offset");
    line("%s", rule);
    line("GCGID     CharInc  AscendHt  DescendDp  FNMCnt  ASpace  BSpace  CSpace  ABCSpaceSum  BaseOset");
    line("%s", rule);
    const int rotation = ordinal >= 0 && ordinal < 4 ? m_orientations[ordinal] : 4;
    bool mismatch = false, noAscender = false, noDescender = false, r1 = false, r2 = false;
    int32_t slot = 0;
    for (int at = 0; d.size - at >= groupLength; at += groupLength, ++slot) {
        const std::string gcgid = d.name(at, 8);
        const unsigned increment = d.u16(at + 8);
        auto field = [&](int offset) -> unsigned { return offset + 2 <= groupLength ? d.u16(at + offset) : 0u; };
        const int ascender = static_cast<int16_t>(field(10));
        const int descender = static_cast<int16_t>(field(12));
        const unsigned reserved1 = field(14);
        const unsigned fnmIndex = field(16);
        const int aSpace = static_cast<int16_t>(field(18));
        const unsigned bSpace = field(20);
        const int cSpace = static_cast<int16_t>(field(22));
        const unsigned reserved2 = field(24);
        const int baseline = static_cast<int16_t>(field(26));
        const int sum = aSpace + static_cast<int>(bSpace) + cSpace;
        std::string suffix;
        if (static_cast<int>(increment) != sum) {
            suffix += " *";
            mismatch = true;
        }
        if (ascender == 0) {
            suffix += " A";
            noAscender = true;
        }
        if (descender == 0) {
            suffix += " D";
            noDescender = true;
        }
        char text[32];
        if (reserved1 != 0) {
            std::snprintf(text, sizeof text, " R1(0x%04X)", reserved1);
            suffix += text;
            r1 = true;
        }
        if (reserved2 != 0) {
            std::snprintf(text, sizeof text, " R2(0x%04X)", reserved2);
            suffix += text;
            r2 = true;
        }
        line("%s  % 7d  % 8d  % 9d  % 6d  % 6d  % 6d  % 6d  % 11d  % 8d%s", gcgid.c_str(), increment, ascender,
             descender, fnmIndex, aSpace, bSpace, cSpace, sum, baseline, suffix.c_str());
        if (!fills || slot >= m_metrics->getCharMetricsCount())
            continue;
        qelCharMetrics*& entry = m_metrics->getCharMetricsList()[slot];
        if (!entry)
            entry = new qelAFPCharMetrics();
        auto* metrics = static_cast<qelAFPCharMetrics*>(entry);
        if (rotation < 4) {
            metrics->setGlyphName(rotation, gcgid.c_str());
            metrics->setCharIncrement(rotation, static_cast<uint16_t>(increment));
            metrics->setAscenderHeight(rotation, static_cast<int16_t>(ascender));
            metrics->setDescenderDepth(rotation, static_cast<int16_t>(descender));
            metrics->setASpace(rotation, static_cast<int16_t>(aSpace));
            metrics->setBSpace(rotation, static_cast<uint16_t>(bSpace));
            metrics->setCSpace(rotation, static_cast<int16_t>(cSpace));
            metrics->setBaselineOffset(rotation, static_cast<int16_t>(baseline));
        }
        if (!metrics->getGlyph()) {
            metrics->setCodePoint(static_cast<int32_t>(fnmIndex));
            metrics->setGlyph(m_metrics->getGlyph(static_cast<int32_t>(fnmIndex)));
        }
    }
    if (!m_log)
        return;
    if (mismatch)
        line("'*' => Warning! Mismatch between character increment and sum of A, B and C spaces");
    if (noAscender)
        m_log->printLine("'A' => Warning! Invalid Ascender Height value, using Maximum Ascender Height given in Font "
                         "Position SFI");
    if (noDescender)
        m_log->printLine("'D' => Warning! Invalid Descender Depth value, using Maximum Descender Depth given in Font "
                         "Position SFI");
    if (r1)
        m_log->printLine("'R1' => Warning! Invalid reserved bytes (14-15)");
    if (r2)
        m_log->printLine("'R2' => Warning! Invalid reserved bytes (24-25)");
}

void qelAFPFontParser::parseFontNameMapHeader()
{
    FieldData d(m_currentSF);
    fieldLine("FNN", "Font Name Map");
    line("Available Bytes:%d", d.size);
    if (d.size == 0)
        return;
    if (m_nameMap.size() + static_cast<size_t>(d.size) > kMaxNameMap) {
        if (!m_nameMapTooLarge)
            consoleWarning("Warning! Font Name Map Data for resource %s exceeds %zu bytes; the rest is ignored\n",
                           resourceName(), kMaxNameMap);
        m_nameMapTooLarge = true;
        return;
    }
    m_nameMap.insert(m_nameMap.end(), d.bytes, d.bytes + d.size);
}

void qelAFPFontParser::parseFontNameMap()
{
    std::vector<uint8_t> block;
    block.swap(m_nameMap);
    m_nameMapTooLarge = false;
    if (block.empty()) {
        line("FNN Data is null");
        consoleWarning("Warning! Font Name Map Data for resource %s is null\n", resourceName());
        return;
    }
    const int64_t size = static_cast<int64_t>(block.size());
    const unsigned first = block[0];
    const unsigned second = size > 1 ? block[1] : 0;
    static const char* const kFirst[6] = {"",
                                          "ISO Registered EBCDIC Glyph ID",
                                          "IBM Registered EBCDIC GCGID",
                                          "Font Specific ASCII Character Name",
                                          "Font Specific Binary Glyph Index",
                                          "CMap Binary Code Point"};
    static const char* const kSecond[6] = {"",
                                           "ISO Registered EBCDIC Glyph ID",
                                           "IBM Registered EBCDIC GCGID",
                                           "Font Specific (Adobe)ASCII Character Name",
                                           "Font Specific (Adobe CID)Binary Glyph Index",
                                           "CMap Binary Code Point"};
    const bool firstValid = first >= 1 && first <= 5;
    const bool secondValid = second >= 1 && second <= 5;
    if (firstValid)
        line("Graphic Character ID Type (0x%x) of First Repeating Group : %s", first, kFirst[first]);
    else
        line("Warning! Illegal Graphic Character ID Type of First Repeating Group : 0x%x", first);
    if (secondValid)
        line("Graphic Character ID Type (0x%x) of Second Repeating Group : %s", second, kSecond[second]);
    else
        line("Warning! Illegal Graphic Character ID Type of Second Repeating Group : 0x%x", second);
    if (!firstValid || !secondValid)
        return;
    qelCharMetrics** list = m_metrics->getCharMetricsList();
    const int32_t count = m_metrics->getCharMetricsCount();
    if (!list || count <= 0) {
        line("Warning! Character Metrics object array is null");
        consoleWarning("Warning! Character Metrics object array is null for resource %s\n", resourceName());
    }
    line("Mapping between GCGID Name and Tech.Specific Name");
    line("-------------------------------------------------");
    const int groupLength = m_fnnGroupLength;
    if (groupLength < kFNNShortestGroup)
        return;
    int64_t at = 2;
    uint32_t nameOffset = 0;
    for (int i = 0; i < m_fnnNameCount && at < size; ++i, at += groupLength) {
        std::string gcgid;
        if (at + 8 <= size) {
            char text[9] = {};
            std::memcpy(text, &block[static_cast<size_t>(at)], 8);
            qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(text), 8);
            gcgid = qelString::trim(text);
        }
        if (at + 12 <= size) {
            const uint8_t* p = &block[static_cast<size_t>(at + 8)];
            nameOffset = (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16)
                         | (static_cast<uint32_t>(p[2]) << 8) | p[3];
        }
        // The entry must lie wholly inside the block.
        std::string name;
        bool named = false;
        unsigned entryLength = 0;
        if (static_cast<int64_t>(nameOffset) < size) {
            entryLength = block[nameOffset];
            if (entryLength >= 1 && static_cast<int64_t>(nameOffset) + entryLength <= size) {
                name.assign(reinterpret_cast<const char*>(&block[nameOffset + 1]), entryLength - 1);
                named = true;
            }
        }
        line("GCGID:>%-8s< Offset:%04d Length:%02d Name:>%s<", gcgid.c_str(), static_cast<int>(nameOffset),
             entryLength, name.c_str());
        // The name belongs to the character the group names: the entry at
        // the same position when it is that character, else the one with
        // that GCGID.
        qelAFPCharMetrics* entry = nullptr;
        if (list && i < count && list[i] && list[i]->getGlyphName() && gcgid == list[i]->getGlyphName())
            entry = static_cast<qelAFPCharMetrics*>(list[i]);
        else if (!gcgid.empty())
            entry = m_metrics->findCharMetrics(gcgid.c_str());
        if (!entry) {
            consoleWarning("Warning! Character Metrics Object is null for character %s for resource %s\n",
                           gcgid.c_str(), resourceName());
            line("Warning! Character Metrics Object is null for character %s for resource %s ", gcgid.c_str(),
                 resourceName());
            continue;
        }
        entry->setFontSpecificName(named ? name.c_str() : nullptr);
    }
}

void qelAFPFontParser::parseFontPatterns(int ordinal)
{
    fieldLine("FNG", "Font Patterns");
    if (m_fnmGroupLength == kFNMGroup) {
        extractRasterPatterns();
    } else if (m_fnmGroupLength == 0) {
        const int technology = m_representation->getPatternTechnology();
        if (technology == 0x1F || technology == 0x1E)
            parseOutlineObject(ordinal);
        else
            line("Invalid Pattern Technology Id:%d", technology);
    }
}

const char* qelAFPFontParser::gcgidOfPattern(int32_t index) const
{
    qelCharMetrics* entry = m_metrics->findCharMetricsByCode(index);
    return entry && entry->getGlyphName() ? entry->getGlyphName() : "(null)";
}

int64_t qelAFPFontParser::patternLength(int32_t index) const
{
    const int64_t start = m_patternOffsets[static_cast<size_t>(index)] * m_alignment;
    if (static_cast<size_t>(index) + 1 < m_patternOffsets.size())
        return m_patternOffsets[static_cast<size_t>(index) + 1] * m_alignment - start;
    return static_cast<int64_t>(m_rasterDataCount) - start;
}

void qelAFPFontParser::insufficientPattern(int32_t index, int64_t available, int64_t required)
{
    const int have = static_cast<int>(std::min<int64_t>(available, INT32_MAX));
    const int need = static_cast<int>(std::min<int64_t>(required, INT32_MAX));
    line("Warning! Pattern data length (%d) for FNM index %d is less than expected data length(%d)", have, index,
         need);
    consoleWarning("Warning! Pattern data length(%d) for FNM index %d is less than expected data length(%d) for "
                   "resource %s\n",
                   have, index, need, resourceName());
    throw new qelException(__FILE__, __LINE__, QEL_MSG_WARNING, qelMsg::W093, 0, true, gcgidOfPattern(index),
                           resourceName(), have, need);
}

void qelAFPFontParser::extractRasterPatterns()
{
    FieldData d(m_currentSF);
    const int64_t b = d.size;
    if (b == 0) {
        line("Warning! Pattern data is null");
        consoleWarning("Warning! Pattern data for resource %s is null\n", resourceName());
        return;
    }
    if (m_patternOffsets.empty()) {
        line("Warning! Pattern offset information not available");
        consoleWarning("Warning! Pattern offset information not available for resource %s\n", resourceName());
        return;
    }
    if (m_alignment <= 0) {
        line("Warning! Illegal Pattern Data Alignment Code: %d", m_alignment);
        consoleWarning("Warning! Illegal Pattern Data Alignment Code: %d for resource %s\n", m_alignment,
                       resourceName());
        return;
    }
    qelFontGlyph** glyphs = m_metrics->getGlyphList();
    const int32_t count = std::min<int32_t>(m_metrics->getGlyphCount(), static_cast<int32_t>(m_patternOffsets.size()));
    if (!glyphs || count <= 0) {
        line("Warning! Glyph information(FontPatternsMap) is null");
        consoleWarning("Warning! Glyph information(FontPatternsMap) is null for resource %s\n", resourceName());
        return;
    }
    line("Pattern Data Length: %d", d.size);
    const char* rule = "==============================================================================";
    line("%s", rule);
    line("Conventions :");
    line("GCGID       : Global Character Global IDentifier");
    line("CharBoxWd   : Character box width");
    line("CharBoxHt   : Character box height");
    line("FNMCnt      : Font Patterns Map Index");
    line("PatDOset    : Pattern data offset");
    line("PatDLen     : Pattern data length");
    line("AvlBytes    : Available bytes");
    line("BytesRead   : Bytes Read");
    line("%s", rule);
    line("GCGID     CharBoxWd  CharBoxHt  FNMCnt  PatDOset  PatDLen  AvlBytes  BytesRead");
    line("%s", rule);
    const char* row = "%s  % 9d  % 9d  % 6d  % 8d  % 7d  % 8d  % 9d";
    int64_t r = b;
    int32_t i = m_nextPattern;
    for (; i < count; ++i) {
        if (r <= 0) {
            line("No of patterns read:%d", i);
            break;
        }
        const int64_t length = patternLength(i);
        int64_t n = length;
        int64_t p = 0;
        if (!m_carried.empty()) {
            n -= static_cast<int64_t>(m_carried.size());
        } else {
            p = m_patternOffsets[static_cast<size_t>(i)] * m_alignment - m_bytesConsumed;
            if (p < 0) {
                line("Trying to read from invalid data offset(%d) within Font Patterns", static_cast<int>(p));
                break;
            }
        }
        qelFontGlyph* glyph = glyphs[i];
        if (!glyph) {
            consoleWarning("Warning! Glyph information is null for FNM Index:%d\n", i);
            line("Warning! Glyph information for resource %s is null for FNM Index:%d", resourceName(), i);
            break;
        }
        const int64_t required = static_cast<int64_t>((glyph->getWidth() + 7) / 8) * glyph->getHeight();
        if (p > b) {
            line("Warning! Pattern offset is greater than available bytes in pattern data buffer. Index:%d, "
                 "Offset:%ld, Total bytes:%ld, Available bytes:%ld",
                 i, static_cast<long>(p), static_cast<long>(b), static_cast<long>(r));
            consoleWarning("Warning! Pattern offset is greater than available bytes in pattern data buffer. "
                           "ResName:%s, Index:%d, Offset:%ld, Total bytes:%ld, Available bytes:%ld",
                           resourceName(), i, static_cast<long>(p), static_cast<long>(b), static_cast<long>(r));
            break;
        }
        // Falling offsets or a count below the last offset leave no bytes.
        if (n < 0)
            insufficientPattern(i, 0, required);
        const unsigned offset = static_cast<unsigned>(m_patternOffsets[static_cast<size_t>(i)]);
        if (p + n > b) {
            // The pattern goes on in the next field: keep what this one has.
            line(row, gcgidOfPattern(i), glyph->getWidth(), glyph->getHeight(), i, static_cast<int>(offset),
                 static_cast<int>(length), static_cast<int>(r), static_cast<int>(r));
            m_carried.insert(m_carried.end(), d.bytes + p, d.bytes + b);
            break;
        }
        line(row, gcgidOfPattern(i), glyph->getWidth(), glyph->getHeight(), i, static_cast<int>(offset),
             static_cast<int>(length), static_cast<int>(r), static_cast<int>(n));
        std::vector<uint8_t> bytes;
        bytes.swap(m_carried);
        bytes.insert(bytes.end(), d.bytes + p, d.bytes + p + n);
        if (static_cast<int64_t>(bytes.size()) < required)
            insufficientPattern(i, static_cast<int64_t>(bytes.size()), required);
        glyph->setRaster(bytes.data(), static_cast<int32_t>(bytes.size()));
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
            logBitmap(gcgidOfPattern(i), glyph->getWidth(), glyph->getHeight(), glyph->getRaster(),
                      glyph->getRasterLength());
        r -= n;
    }
    m_bytesConsumed += b;
    m_nextPattern = i;
}

void qelAFPFontParser::logBitmap(const char* gcgid, int width, int height, const uint8_t* data, int length)
{
    (void)gcgid;
    (void)height;
    if (!m_log)
        return;
    m_log->printLine("%s", "");
    if (!data || length <= 0) {
        m_log->printLine("Bitmap data is null");
        return;
    }
    logByteRows(data, length);
    m_log->printLine("%s", "");
    const int rowBytes = (width + 7) / 8;
    if (rowBytes <= 0)
        return;
    std::string row;
    for (int start = 0; start + rowBytes <= length; start += rowBytes) {
        row.clear();
        for (int x = 0; x < width; ++x)
            row += (data[start + x / 8] & (0x80 >> (x % 8))) ? '\xDB' : '.';
        m_log->printLine("%s", row.c_str());
    }
}

void qelAFPFontParser::parseOutlineObject(int ordinal)
{
    FieldData d(m_currentSF);
    int at = 0;
    if (ordinal == 0) {
        if (d.has(at, 4)) {
            const uint32_t total = d.u32(at);
            line("Total Length of the Outline Font Object: 0x%x(%d)", total, static_cast<int>(total));
            at += 4;
        }
        if (d.has(at, 4)) {
            line("Checksum value for the Technology Specific Object Data: 0x%x", d.u32(at));
            at += 4;
        }
        unsigned identifierLength = 0;
        if (d.has(at, 2)) {
            identifierLength = d.u16(at);
            at += 2;
            line("Technology specific object identifier length 0x%x", identifierLength);
            line("Technology specific object identifier :");
        }
        if (!d.has(at, identifierLength))
            return;
        if (identifierLength >= 3) {
            const int n = static_cast<int>(identifierLength) - 2;
            if (m_log && m_log->anyOf(QEL_LOG_LEVEL4)) {
                logByteRows(d.bytes + at, n);
                m_log->printLine("%s", std::string(reinterpret_cast<const char*>(d.bytes + at), n).c_str());
            }
            at += n;
        }
        if (m_representation->getPatternTechnology() == 0x1E && d.has(at, 2)) {
            const unsigned descriptorLength = d.u16(at);
            at += 2;
            line("Technology specific Object Descriptor Length:%d", descriptorLength);
            line("Technology specific Object Descriptor :");
            // A length below 2 describes nothing.
            if (descriptorLength >= 2 && d.has(at, descriptorLength - 2)) {
                const int n = static_cast<int>(descriptorLength) - 2;
                if (m_log && m_log->anyOf(QEL_LOG_LEVEL4))
                    logByteRows(d.bytes + at, n);
                at += n;
            }
        }
    }
    const int left = d.size - at;
    line("Length of Technology Specific Data:0x%x(%d)", static_cast<unsigned>(left), left);
    if (left <= 0)
        return;
    if (static_cast<int64_t>(m_representation->getFontDataLength()) + left > kMaxFontProgram) {
        char reason[96];
        std::snprintf(reason, sizeof reason, "Font program longer than %lld bytes",
                      static_cast<long long>(kMaxFontProgram));
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, resourceName(), reason);
    }
    m_representation->appendFontData(d.bytes + at, left);
}

void qelAFPFontParser::dumpType1Program()
{
    qelAFPFontRepresentation* rep = m_representation;
    if (!m_log || !m_log->isExactly(QEL_LOG_ALL) || rep->getPatternTechnology() != 0x1F || !rep->getFontData()
        || rep->getFontDataLength() <= 0)
        return;
    qelIni* ini = qelPoolAccess::options();
    const char* temp = ini && ini->getTempPath() ? ini->getTempPath() : "";
    const char* name = rep->getName() ? rep->getName() : rep->getFontName();
    // The name comes from the input: it must not leave the folder nor
    // replace another dump.
    const std::string base = std::string(temp) + qelResGroupParser::safeDumpName(name ? name : "");
    std::string path = base + ".pfb";
    for (int n = 1; fileExists(path); ++n)
        path = base + "_" + std::to_string(n) + ".pfb";
    if (qelUtils::writeFile(path.c_str(), rep->getFontData(), rep->getFontDataLength()) > 0)
        m_dumpFile = path;
}
