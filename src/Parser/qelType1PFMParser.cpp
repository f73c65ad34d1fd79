#include "qelType1PFMParser.h"

#include "qelException.h"
#include "qelFontMetrics.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelType1PFMRepresentation.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
unsigned u16At(const uint8_t* p, int at) { return p[at] | (p[at + 1] << 8); }
int s16At(const uint8_t* p, int at) { return static_cast<int16_t>(u16At(p, at)); }
uint32_t u32At(const uint8_t* p, int at)
{
    return p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
}

// Header fields (offsets in the file).
const int kSize = 2, kAscent = 74, kItalic = 80, kWeight = 83, kPitchAndFamily = 90, kAvgWidth = 91,
          kMaxWidth = 93, kFirstChar = 95, kLastChar = 96, kSizeFields = 117, kExtMetricsOffset = 119,
          kExtentTable = 123, kDriverInfo = 139;
// Extended metrics fields.
const int kLowerCaseDescent = 20, kSlant = 22;

struct FileCloser
{
    void operator()(FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};

[[noreturn]] void invalid(const char* fileName)
{
    throw new qelException(__FILE__, __LINE__, qelMsg::E119, 0, false, fileName);
}

// Reads n bytes at offset; false when the file does not hold them.
bool readAt(FILE* f, long offset, uint8_t* buffer, size_t n)
{
    return std::fseek(f, offset, SEEK_SET) == 0 && std::fread(buffer, 1, n, f) == n;
}
} // namespace

qelType1PFMParser::~qelType1PFMParser() = default;

qelFontRepresentation* qelType1PFMParser::parse(const char* fileName)
{
    const bool warnings = m_log && m_log->anyOf(QEL_LOG_LEVEL2);
    const bool all = m_log && m_log->isExactly(QEL_LOG_ALL);
    if (!fileName) {
        const char* text = "Error! NULL Filename parameter passed to qelType1PFMParser::parse()";
        if (warnings)
            m_log->printLine("%s", text);
        if (!m_quiet)
            qelMessageOutput::printf("%s\n", text);
        return nullptr;
    }
    setResourceName(fileName);
    std::unique_ptr<qelType1PFMRepresentation> rep(new qelType1PFMRepresentation());
    qelFontMetrics* metrics = new qelFontMetrics();
    rep->setMetrics(metrics);
    rep->setName(fileName);
    m_header = new uint8_t[qelType1PFMRepresentation::HEADER_SIZE]();
    rep->setHeader(m_header);
    m_extMetrics = new uint8_t[qelType1PFMRepresentation::EXT_METRICS_SIZE]();
    rep->setExtTextMetrics(m_extMetrics);

    std::unique_ptr<FILE, FileCloser> file(std::fopen(fileName, "rb"));
    if (!file) {
        m_header = m_extMetrics = nullptr;
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, false, fileName, std::strerror(errno));
    }
    FILE* f = file.get();
    if (all)
        m_log->print("\n\tParsing Type1 PFM File \"%s\"", fileName);

    long size = 0;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    std::rewind(f);
    // A short file leaves the missing header bytes zero.
    if (std::fread(m_header, 1, qelType1PFMRepresentation::HEADER_SIZE, f) == 0 && std::ferror(f))
        invalid(fileName);

    const uint8_t* h = m_header;
    const uint32_t driverInfo = u32At(h, kDriverInfo);
    if (u32At(h, kSize) != 0 && u16At(h, kSizeFields) != 30 && driverInfo >= 76 && driverInfo <= 511) {
        m_header = m_extMetrics = nullptr;
        invalid(fileName);
    }
    // Offsets must lie inside the file.
    const uint32_t extOffset = u32At(h, kExtMetricsOffset);
    if (static_cast<int64_t>(extOffset) + qelType1PFMRepresentation::EXT_METRICS_SIZE > size
        || static_cast<int64_t>(driverInfo) >= size) {
        m_header = m_extMetrics = nullptr;
        invalid(fileName);
    }
    if (!readAt(f, static_cast<long>(extOffset), m_extMetrics, qelType1PFMRepresentation::EXT_METRICS_SIZE)) {
        m_header = m_extMetrics = nullptr;
        invalid(fileName);
    }

    char info[257] = {};
    const size_t infoLength = static_cast<size_t>(std::min<int64_t>(256, size - driverInfo));
    if (!readAt(f, static_cast<long>(driverInfo), reinterpret_cast<uint8_t*>(info), infoLength)) {
        m_header = m_extMetrics = nullptr;
        invalid(fileName);
    }
    std::string psName;
    for (size_t i = 0; i < infoLength && info[i] && !std::isspace(static_cast<unsigned char>(info[i])); ++i)
        psName.push_back(info[i]);
    if (psName.size() > 63)
        psName.resize(63);

    const unsigned avgWidth = u16At(h, kAvgWidth);
    const unsigned maxWidth = u16At(h, kMaxWidth);
    int minX = -20;
    if ((h[kPitchAndFamily] & 1) && maxWidth != avgWidth) {
        rep->setFixedPitch(false);
        minX = -100;
    } else {
        rep->setFixedPitch(true);
    }
    metrics->setMinX(minX);
    metrics->setMinY(-5 - static_cast<int32_t>(u16At(m_extMetrics, kLowerCaseDescent)));
    metrics->setMaxCharBoxWidth(static_cast<int32_t>(maxWidth) + 10);
    metrics->setMaxCharBoxHeight(s16At(h, kAscent) + 5);
    rep->setStemWidth(80);

    int slant = s16At(m_extMetrics, kSlant);
    if (slant > 0) {
        slant = -slant;
        const uint16_t stored = static_cast<uint16_t>(static_cast<int16_t>(slant));
        m_extMetrics[kSlant] = static_cast<uint8_t>(stored & 0xFF);
        m_extMetrics[kSlant + 1] = static_cast<uint8_t>(stored >> 8);
    }
    if (h[kItalic] != 0 && static_cast<float>(slant) / 10.0f != 0.0f)
        rep->setItalic(true);
    const unsigned weight = u16At(h, kWeight);
    if (weight >= 100 && weight <= 300)
        rep->setLight(true);
    if (weight >= 600 && weight <= 900)
        rep->setBold(true);

    if (m_convert) {
        const int first = h[kFirstChar];
        const int last = h[kLastChar];
        const uint32_t extent = u32At(h, kExtentTable);
        const int n = last - first + 1;
        if (n <= 0 || static_cast<int64_t>(extent) + 2 * n > size) {
            m_header = m_extMetrics = nullptr;
            invalid(fileName);
        }
        std::unique_ptr<uint8_t[]> raw(new uint8_t[static_cast<size_t>(2 * n)]);
        if (!readAt(f, static_cast<long>(extent), raw.get(), static_cast<size_t>(2 * n))) {
            m_header = m_extMetrics = nullptr;
            invalid(fileName);
        }
        std::unique_ptr<uint16_t[]> widths(new uint16_t[static_cast<size_t>(n)]);
        for (int i = 0; i < n; ++i)
            widths[i] = static_cast<uint16_t>(u16At(raw.get(), 2 * i));
        rep->setFirstChar(first);
        rep->setLastChar(last);
        rep->setWidthTable(widths.release());
    }

    rep->setFontName(psName.c_str());
    if (all)
        m_log->print("\n\tPostScript Name \"%s\"", psName.c_str());
    m_header = m_extMetrics = nullptr;
    return rep.release();
}
