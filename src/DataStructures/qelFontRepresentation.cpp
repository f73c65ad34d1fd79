#include "qelFontRepresentation.h"

#include "qelCharMetrics.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelFontMetrics.h"
#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelImageHandle.h"
#include "qelIni.h"
#include "qelLorbane.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

qelFontRepresentation::~qelFontRepresentation()
{
    delete m_metrics;
    delete m_fileName;
    delete m_name;
    delete[] m_widthTable;
    delete m_defaultCharName;
    delete m_spaceCharName;
    delete m_typefaceName;
    delete[] m_fontData;
    delete m_rasterImage;
}

const char* qelFontRepresentation::getName() const { return qelFontText::get(m_name); }
void qelFontRepresentation::setName(const char* name) { qelFontText::set(m_name, name); }
const char* qelFontRepresentation::getFileName() const { return qelFontText::get(m_fileName); }
void qelFontRepresentation::setFileName(const char* name) { qelFontText::set(m_fileName, name); }
const char* qelFontRepresentation::getDefaultCharName() const { return qelFontText::get(m_defaultCharName); }
void qelFontRepresentation::setDefaultCharName(const char* name) { qelFontText::set(m_defaultCharName, name); }
const char* qelFontRepresentation::getSpaceCharName() const { return qelFontText::get(m_spaceCharName); }
void qelFontRepresentation::setSpaceCharName(const char* name) { qelFontText::set(m_spaceCharName, name); }
const char* qelFontRepresentation::getTypefaceName() const { return qelFontText::get(m_typefaceName); }
void qelFontRepresentation::setTypefaceName(const char* name) { qelFontText::set(m_typefaceName, name); }

void qelFontRepresentation::setMetrics(qelFontMetrics* metrics)
{
    if (metrics != m_metrics)
        delete m_metrics;
    m_metrics = metrics;
}

void qelFontRepresentation::setWidthTable(uint16_t* table)
{
    if (table != m_widthTable)
        delete[] m_widthTable;
    m_widthTable = table;
}

int qelFontRepresentation::writeFile(const char*)
{
    return -1;
}

std::string qelFontRepresentation::composeStyleName(const char* start) const
{
    std::string text = start ? start : "";
    if (text.size() > 511)
        text.resize(511);
    for (char& c : text)
        if (c == ' ')
            c = '-';
    std::string suffix;
    const struct {
        bool on;
        const char* word;
    } words[] = {{m_bold, "Bold"},
                 {m_italic, "Italic"},
                 {m_underline, "Underline"},
                 {m_strikeover, "StrikeOver"},
                 {m_hollow, "Hollow"}};
    for (const auto& w : words)
        if (w.on && text.find(w.word) == std::string::npos)
            suffix += w.word;
    if (!suffix.empty())
        text += "-" + suffix;
    return text;
}

char* qelFontRepresentation::writeStyleName(const std::string& name, char* buffer, int size)
{
    if (!buffer || size < 1)
        return buffer;
    const size_t n = name.size() < static_cast<size_t>(size) ? name.size() : static_cast<size_t>(size) - 1;
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return buffer;
}

char* qelFontRepresentation::getStyleName(char* buffer, int size) const
{
    const char* start = getTypefaceName();
    if (!start || !*start)
        start = getName();
    return writeStyleName(composeStyleName(start), buffer, size);
}

uint16_t* qelFontRepresentation::getWidths(int first, int last) const
{
    const long count = static_cast<long>(last) - first + 1;
    if (count <= 0 || !m_widthTable || first < m_firstChar || last > m_lastChar)
        return nullptr;
    uint16_t* widths = new uint16_t[count];
    std::memcpy(widths, m_widthTable + (first - m_firstChar), static_cast<size_t>(count) * sizeof(uint16_t));
    return widths;
}

void qelFontRepresentation::appendFontData(const uint8_t* bytes, int32_t length)
{
    if (!bytes || length <= 0)
        return;
    uint8_t* grown = new uint8_t[static_cast<size_t>(m_fontDataLength) + length]();
    if (m_fontData)
        std::memcpy(grown, m_fontData, static_cast<size_t>(m_fontDataLength));
    std::memcpy(grown + m_fontDataLength, bytes, static_cast<size_t>(length));
    delete[] m_fontData;
    m_fontData = grown;
    m_fontDataLength += length;
}

// --- raster glyph strip -----------------------------------------------------

namespace {

void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

const long kInfoHeaderSize = 40;
const long kPaletteSize = 8;
// Largest strip made; a font claiming more is treated as damaged.
const long long kMaxStripBytes = 256LL * 1024 * 1024;

} // namespace

void qelFontRepresentation::buildGlyphBitmap()
{
    if (m_rasterImage || !m_metrics)
        return;
    qelCharMetrics** entries = m_metrics->getCharMetricsList();
    const int32_t n = m_metrics->getCharMetricsCount();
    if (!entries || n <= 0)
        return;
    const long long boxHeight = m_metrics->getMaxCharBoxHeight();
    long long width = m_metrics->getMaxCharBoxWidth();
    if (width <= 0 || boxHeight <= 0)
        return;
    width = (width + 31) / 32 * 32;
    const long long stride = width / 8;
    const long long rows = boxHeight * n;
    const long long imageSize = stride * rows;
    if (rows > 0x7FFFFFFF || imageSize > kMaxStripBytes) {
        const char* name = getName();
        throw new qelException(__FILE__, __LINE__, qelMsg::E038, 0, true, name ? name : "(null)", ENOMEM,
                               "glyph strip too large");
    }

    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    const bool devTest = ini && ini->isDevTest();
    std::vector<uint8_t> dib(static_cast<size_t>(kInfoHeaderSize + kPaletteSize + imageSize), 0);
    uint8_t* h = dib.data();
    put32(h, 40);
    put32(h + 4, static_cast<uint32_t>(width));
    put32(h + 8, static_cast<uint32_t>(devTest ? rows : -rows));
    put16(h + 12, 1);
    put16(h + 14, 1);
    put32(h + 16, 0);
    put32(h + 20, static_cast<uint32_t>(imageSize));
    put32(h + 24, 0);
    put32(h + 28, 0);
    put32(h + 32, 2);
    put32(h + 36, 2);
    uint8_t* palette = h + kInfoHeaderSize;
    std::memset(palette, 0xFF, 4); // entry 0 white, entry 1 black
    uint8_t* pels = palette + kPaletteSize;

    for (int32_t j = 0; j < n; ++j) {
        qelCharMetrics* entry = entries[j];
        if (!entry)
            continue;
        entry->setPatternIndex(j);
        const qelFontGlyph* glyph = entry->getGlyph();
        if (!glyph || !glyph->getRaster() || glyph->getHeight() == 0 || glyph->getWidth() == 0)
            continue;
        const long long rowBytes = (glyph->getWidth() + 7) / 8;
        const long long copyBytes = rowBytes < stride ? rowBytes : stride;
        long long glyphRows = glyph->getHeight() < boxHeight ? glyph->getHeight() : boxHeight;
        const long long available = glyph->getRasterLength() / rowBytes;
        if (glyphRows > available)
            glyphRows = available;
        for (long long r = 0; r < glyphRows; ++r)
            std::memcpy(pels + (j * boxHeight + r) * stride, glyph->getRaster() + r * rowBytes,
                        static_cast<size_t>(copyBytes));
    }

    // No GDI on this platform: the gd module makes every strip.
    m_rasterImage = qelLorbane::createGlyphStrip(static_cast<int>(width), static_cast<int>(rows), 1, 2, palette, pels,
                                                 static_cast<long>(imageSize), -1, false);

    if (devTest) {
        const char* temp = ini->getTempPath();
        const char* name = getName();
        std::string path = std::string(temp ? temp : "") + (name ? name : "(null)") + ".dib";
        qelUtils::writeFile(path.c_str(), dib.data(), static_cast<long>(dib.size()));
    }
}

// --- font file sniffing -------------------------------------------------------

namespace {

// Reads the first n bytes: 0, the system error number, or -1 for a file
// that ends first.
int readHead(const char* path, uint8_t* buffer, size_t n)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return errno ? errno : -1;
    const size_t got = std::fread(buffer, 1, n, f);
    int result = 0;
    if (got < n)
        result = std::ferror(f) ? (errno ? errno : -1) : -1;
    std::fclose(f);
    return result;
}

} // namespace

int qelFontRepresentation::detectFontType(const char* path, int* type)
{
    int dummy = 0;
    int& t = type ? *type : dummy;
    t = TYPE_AFP_CODEPAGE;
    const long size = path ? qelUtils::getFileSize(path) : 0;
    if (size >= 8) {
        uint8_t head[8];
        const int rc = readHead(path, head, sizeof head);
        if (rc != 0)
            return rc;
        const unsigned tables = (head[4] << 8) | head[5];
        if (head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0 && tables >= 8 && tables <= 64) {
            t = TYPE_TRUETYPE;
            return 0;
        }
    }
    t = TYPE_AFP_CODEPAGE;
    if (size <= 0)
        return -2;
    if (size < 250)
        return 0;
    uint8_t head[250];
    const int rc = readHead(path, head, sizeof head);
    if (rc != 0)
        return rc;
    const unsigned version = head[0] | (head[1] << 8);
    const long driverInfo = head[139] | (head[140] << 8) | (static_cast<long>(head[141]) << 16);
    if ((version == 0x0100 || version == 0x0200) && driverInfo <= size
        && std::memcmp(head + 199, "PostScript", 10) == 0)
        t = TYPE_PFM;
    else if (std::memcmp(head, "%!PS", 4) == 0 || (head[0] == 0x80 && head[1] == 0x01 && std::memcmp(head + 6, "%!PS", 4) == 0))
        t = TYPE_PFB;
    return 0;
}

const char* qelFontRepresentation::fontTypeName(int code)
{
    static const char* const names[] = {"AFP",      "TYPE1",    "PFM(TYPE1 Metric)", "PFB(TYPE1 Data)",
                                        "TYPE3",    "TrueType", "OpenType",          "AFP Characterset"};
    return code >= 0 && code < 8 ? names[code] : "Unhandled font type";
}

const char* qelFontRepresentation::fontTypeText(int code)
{
    static const char* const texts[] = {"AFP",      "Unhandled font type", "PFM(TYPE1 Metric)", "PFB(TYPE1 Data)",
                                        "TYPE3",    "TrueType",            "OpenType",          "AFP Characterset",
                                        "AFP CodePage"};
    return code >= 0 && code < 9 ? texts[code] : "Unhandled font type";
}

uint32_t qelFontRepresentation::swap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

uint16_t qelFontRepresentation::swap16(uint16_t v)
{
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

bool qelFontRepresentation::isBigEndianHost()
{
    return false;
}

char* qelFontRepresentation::convertLineEnds(char* buffer, int length)
{
    if (!buffer)
        return nullptr;
    for (int i = 0; i < length; ++i)
        if (buffer[i] == '\r')
            buffer[i] = '\n';
    return buffer;
}
