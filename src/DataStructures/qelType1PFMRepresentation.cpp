#include "qelType1PFMRepresentation.h"

#include "qelException.h"
#include "qelFontText.h"
#include "qelString.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

qelType1PFMRepresentation::~qelType1PFMRepresentation()
{
    delete m_fontName;
    delete m_fontFileName;
    delete[] m_header;
    delete[] m_extMetrics;
    freeStrings(m_strings);
}

void qelType1PFMRepresentation::setFontName(const char* name) { qelFontText::set(m_fontName, name); }
const char* qelType1PFMRepresentation::getFontName() const { return qelFontText::get(m_fontName); }
void qelType1PFMRepresentation::setFontFileName(const char* name) { qelFontText::set(m_fontFileName, name); }
const char* qelType1PFMRepresentation::getFontFileName() const { return qelFontText::get(m_fontFileName); }

void qelType1PFMRepresentation::setHeader(uint8_t* header)
{
    if (header == m_header)
        return;
    delete[] m_header;
    m_header = header;
}

void qelType1PFMRepresentation::setExtTextMetrics(uint8_t* metrics)
{
    if (metrics == m_extMetrics)
        return;
    delete[] m_extMetrics;
    m_extMetrics = metrics;
}

void qelType1PFMRepresentation::setStrings(qelType1PFMStrings* strings)
{
    if (strings == m_strings)
        return;
    freeStrings(m_strings);
    m_strings = strings;
}

void qelType1PFMRepresentation::freeStrings(qelType1PFMStrings* strings)
{
    if (!strings)
        return;
    delete[] strings->faceName;
    delete[] strings->postScriptName;
    delete strings;
}

namespace {
bool writeText(FILE* f, const char* text)
{
    const char* t = text ? text : "";
    return std::fwrite(t, 1, std::strlen(t) + 1, f) == std::strlen(t) + 1;
}
} // namespace

int qelType1PFMRepresentation::writeFile(const char* path)
{
    uint16_t* widths = getWidthTable();
    if (!path || !m_header || !m_extMetrics || !m_strings || !widths)
        return -1;
    FILE* f = std::fopen(path, "wb");
    if (!f)
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, true, path, std::strerror(errno));
    bool ok = std::fwrite(m_header, 1, HEADER_SIZE, f) == static_cast<size_t>(HEADER_SIZE)
              && std::fwrite(m_extMetrics, 1, EXT_METRICS_SIZE, f) == static_cast<size_t>(EXT_METRICS_SIZE);
    char device[sizeof m_strings->deviceName + 1] = {};
    std::memcpy(device, m_strings->deviceName, sizeof m_strings->deviceName);
    ok = ok && writeText(f, device) && writeText(f, m_strings->faceName)
         && writeText(f, m_strings->postScriptName);
    const long count = static_cast<long>(getLastChar()) - getFirstChar() + 1;
    for (long i = 0; ok && i < count; ++i) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(widths[i] & 0xFF), static_cast<uint8_t>(widths[i] >> 8)};
        ok = std::fwrite(bytes, 1, 2, f) == 2;
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok)
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, path, "");
    return 0;
}
