#include "qelType1PFMBuilder.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelIPSFontRepresentation.h"
#include "qelType1PFMRepresentation.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
const int kHeader = qelType1PFMRepresentation::HEADER_SIZE;
const int kExt = qelType1PFMRepresentation::EXT_METRICS_SIZE;
const uint32_t kDevice = 199;
const uint32_t kFace = kDevice + 10 + 1;

void put16(uint8_t* at, int v)
{
    at[0] = static_cast<uint8_t>(v & 0xFF);
    at[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

void put32(uint8_t* at, uint32_t v)
{
    put16(at, static_cast<int>(v & 0xFFFF));
    put16(at + 2, static_cast<int>(v >> 16));
}

// Font values of orientation 0 read as 0 while unset.
int value(int16_t v) { return v == qelFontMetrics::UNSET16 ? 0 : v; }

char* copyText(const char* text)
{
    const size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

const qelAFPFontMetrics* metricsOf(const qelIPSFontRepresentation* source)
{
    return dynamic_cast<const qelAFPFontMetrics*>(source->getMetrics());
}
}

uint8_t* qelType1PFMBuilder::buildHeader(const qelIPSFontRepresentation* source)
{
    const qelAFPFontMetrics* m = metricsOf(source);
    if (!m)
        fail(charSetNameOf(source), "Font Metrics is NULL");
    std::unique_ptr<uint8_t[]> h(new uint8_t[kHeader]());
    put16(h.get() + 0, 0x0100);
    char notice[60] = {};
    std::snprintf(notice, sizeof notice, "Made from AFP character set %s", charSetNameOf(source));
    std::memcpy(h.get() + 6, notice, std::strlen(notice));
    put16(h.get() + 66, 0x0081);
    put16(h.get() + 68, 10);
    put16(h.get() + 70, 300);
    put16(h.get() + 72, 300);
    const int ascent = value(m->getMaxAscenderHeight(0));
    put16(h.get() + 74, ascent);
    const int d = ascent - value(m->getMaxDescenderDepth(0));
    put16(h.get() + 76, d >= 1000 ? d - 1000 : 0);
    put16(h.get() + 78, 196);
    h[80] = source->isItalic() ? 1 : 0;
    h[81] = source->isUnderline() ? 1 : 0;
    h[82] = source->isStrikeover() ? 1 : 0;
    put16(h.get() + 83, source->isBold() ? 700 : 400);
    h[85] = 10;
    const int pixWidth = m->getMaxCharBoxWidth();
    put16(h.get() + 86, pixWidth);
    put16(h.get() + 88, m->getMaxCharBoxHeight());
    const char* face = source->getTypefaceName();
    uint8_t family = 0x20;
    if (source->isUniformCharIncrement() || m->isUniformCharIncrement(0))
        family = 0x30;
    else if (face && (std::strstr(face, "roman") || std::strstr(face, "serif")))
        family = 0x10;
    h[90] = family;
    put16(h.get() + 91, pixWidth);
    put16(h.get() + 93, pixWidth);
    h[95] = static_cast<uint8_t>(source->getFirstChar());
    h[96] = static_cast<uint8_t>(source->getLastChar());
    h[97] = static_cast<uint8_t>(source->getSpaceCodePoint());
    h[98] = static_cast<uint8_t>(source->getSpaceCodePoint());
    put32(h.get() + 101, kDevice);
    put32(h.get() + 105, kFace);
    put16(h.get() + 117, 30);
    put32(h.get() + 119, kHeader);
    return h.release();
}

uint8_t* qelType1PFMBuilder::buildExtTextMetrics(const qelIPSFontRepresentation* source)
{
    const qelAFPFontMetrics* m = metricsOf(source);
    if (!m)
        fail(charSetNameOf(source), "Font Metrics is NULL");
    const int values[kExt / 2] = {kExt,
                                  240,
                                  0,
                                  1000,
                                  3,
                                  1000,
                                  1000,
                                  value(m->getCapMHeight(0)),
                                  value(m->getLowercaseHeight(0)),
                                  0,
                                  0,
                                  source->isItalic() ? 175 : 0,
                                  -500,
                                  250,
                                  500,
                                  500,
                                  value(m->getUnderscorePosition(0)),
                                  value(m->getUnderscoreWidth(0)),
                                  50,
                                  100,
                                  25,
                                  25,
                                  405,
                                  50,
                                  0,
                                  0};
    uint8_t* ext = new uint8_t[kExt]();
    for (int i = 0; i < kExt / 2; ++i)
        put16(ext + 2 * i, values[i]);
    return ext;
}

qelType1PFMStrings* qelType1PFMBuilder::buildDriverInfo(const char* name)
{
    std::unique_ptr<qelType1PFMStrings> strings(new qelType1PFMStrings());
    std::memcpy(strings->deviceName, "PostScript", 10);
    strings->faceName = copyText(name);
    strings->postScriptName = copyText(name);
    return strings.release();
}

uint16_t* qelType1PFMBuilder::buildWidths(const qelIPSFontRepresentation* source, int32_t* count)
{
    const char* cs = charSetNameOf(source);
    if (!source->getMetrics())
        fail(cs, "Font Metrics is NULL");
    char** gcgids = source->getGCGIDArray();
    if (!gcgids)
        fail(cs, "GCGID Array is empty");
    const int first = source->getFirstChar();
    const int last = source->getLastChar();
    if (last < first)
        fail(cs, "Code point of last character is less than the code point of first character");
    // The glyph name array holds one entry per single-byte code.
    if (first < 0 || last > 255)
        failf(cs, "Code range (%d to %d) lies outside 0 to 255", first, last);
    const int32_t n = last - first + 1;
    std::unique_ptr<uint16_t[]> widths(new uint16_t[n]());
    for (int c = first; c <= last; ++c) {
        if (!gcgids[c])
            continue;
        const qelAFPCharMetrics* e = metricsWithFallback(
            source, gcgids[c], "==>CS=%s, Warning! Type1 Font conversion:Char Metrics is not found for GCCID %s.");
        widths[c - first] = e->getCharIncrement(0);
    }
    *count = n;
    return widths.release();
}

qelRepresentation* qelType1PFMBuilder::build(qelRepresentation* input)
{
    qelFontRepresentation* base = dynamic_cast<qelFontRepresentation*>(input);
    const qelIPSFontRepresentation* source = dynamic_cast<const qelIPSFontRepresentation*>(input);
    if (!input)
        fail("(null)", "Input font representation is null");
    if (!base || input->getType() != qelFontRepresentation::TYPE_AFP || !source)
        fail(base && base->getName() ? base->getName() : "(null)", "Invalid input font representation");
    const char* name = getFontName();
    if (!name)
        fail(charSetNameOf(source), "Font name is null");
    std::unique_ptr<uint8_t[]> header(buildHeader(source));
    std::unique_ptr<uint8_t[]> ext(buildExtTextMetrics(source));
    std::unique_ptr<qelType1PFMStrings, void (*)(qelType1PFMStrings*)> strings(buildDriverInfo(name),
                                                                             &qelType1PFMRepresentation::freeStrings);
    int32_t n = 0;
    std::unique_ptr<uint16_t[]> widths(buildWidths(source, &n));

    const uint32_t length = static_cast<uint32_t>(std::strlen(name));
    const uint32_t driverInfo = kFace + length + 1;
    const uint32_t extentTable = kFace + length + length + 2;
    put32(header.get() + 2, extentTable + 2 * static_cast<uint32_t>(n));
    put32(header.get() + 123, extentTable);
    put32(header.get() + 139, driverInfo);

    std::unique_ptr<qelType1PFMRepresentation> result(new qelType1PFMRepresentation);
    result->setFirstChar(source->getFirstChar());
    result->setLastChar(source->getLastChar());
    result->setFontName(name);
    result->setWidthTable(widths.release());
    result->setHeader(header.release());
    result->setExtTextMetrics(ext.release());
    result->setStrings(strings.release());
    return result.release();
}
