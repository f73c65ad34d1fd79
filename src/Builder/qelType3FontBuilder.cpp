#include "qelType3FontBuilder.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelIPSFontRepresentation.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelString.h"
#include "qelType3FontRepresentation.h"
#include "qelUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <strings.h>
#include <vector>

namespace
{
// Numbers of the procedures: six decimals and a point whatever the locale.
void appendf(std::vector<uint8_t>& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::vector<uint8_t>& out, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    for (int i = 0; i < n && i < static_cast<int>(sizeof text) - 1; ++i)
        out.push_back(static_cast<uint8_t>(text[i] == ',' ? '.' : text[i]));
}

void appendText(std::vector<uint8_t>& out, const char* text)
{
    out.insert(out.end(), text, text + std::strlen(text));
}

char* copyText(const char* text)
{
    const size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

qelType3CharProc* makeProc(const std::string& name, const std::vector<uint8_t>& content)
{
    std::unique_ptr<qelType3CharProc> proc(new qelType3CharProc);
    proc->name = copyText(name.c_str());
    proc->content = new uint8_t[content.size() ? content.size() : 1];
    if (!content.empty())
        std::memcpy(proc->content, content.data(), content.size());
    proc->length = static_cast<int32_t>(content.size());
    return proc.release();
}

struct ProcArray
{
    qelType3CharProc** procs = nullptr;
    int32_t size = 0;
    ~ProcArray()
    {
        for (int32_t i = 0; procs && i < size; ++i)
            qelType3FontRepresentation::freeCharProc(procs[i]);
        delete[] procs;
    }
};
}

std::string qelType3FontBuilder::pdfName(const char* name)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name ? name : ""); *p; ++p) {
        if (*p > 0x20 && *p < 0x7F && !std::strchr("()<>[]{}/%#", *p)) {
            out += static_cast<char>(*p);
        } else {
            out += '#';
            out += hex[*p >> 4];
            out += hex[*p & 0xF];
        }
    }
    return out;
}

bool qelType3FontBuilder::logs(unsigned int bits) const
{
    return getLogStream() && getLogStream()->anyOf(bits);
}

bool qelType3FontBuilder::logsAll() const { return getLogStream() && getLogStream()->isExactly(QEL_LOG_ALL); }

void qelType3FontBuilder::addDifference(int code, const char* name)
{
    if (m_lastCode < 0 || code != m_lastCode + 1)
        m_differences += " " + std::to_string(code);
    m_differences += " /";
    m_differences += pdfName(name);
    m_lastCode = code;
}

qelRepresentation* qelType3FontBuilder::build(qelRepresentation* input)
{
    if (!input)
        throw new qelException(__FILE__, __LINE__, qelMsg::E008, 0, true);
    qelFontRepresentation* base = dynamic_cast<qelFontRepresentation*>(input);
    const qelIPSFontRepresentation* source = dynamic_cast<const qelIPSFontRepresentation*>(input);
    if (!base || input->getType() != qelFontRepresentation::TYPE_AFP || !source) {
        const char* name = base ? base->getName() : nullptr;
        fail(name ? name : "(null)", "Invalid input font representation");
    }
    const char* cs = charSetNameOf(source);
    m_differences.clear();
    m_lastCode = -1;
    char** gcgids = source->getGCGIDArray();
    const int32_t gcgidCount = source->getGCGIDCount();
    m_metrics = dynamic_cast<const qelAFPFontMetrics*>(source->getMetrics());
    const int first = source->getFirstChar();
    const int last = source->getLastChar();
    if (!gcgids)
        fail(cs, "GCGID array is empty");
    if (gcgidCount <= 0)
        fail(cs, "GCGID array count is zero or negative");
    if (!m_metrics)
        fail(cs, "Font metrics is null");
    if (last < first)
        failf(cs, "Code point of last character (%d) is less than the code point of first character (%d)", last,
              first);
    // The glyph name array holds one entry per single-byte code.
    if (first < 0 || last > 255)
        failf(cs, "Code range (%d to %d) lies outside 0 to 255", first, last);

    const bool relative = source->isRelativeMetric();
    int r = source->getFontResolutionY();
    if (r == 0 && !relative)
        r = source->getUnitsPerUnitBase();
    const float s = static_cast<float>(source->getHeight()) / 10.0f;
    if (r <= 0)
        failf(cs, "Invalid resolution (%d)", r);
    if (!(s > 0.0f))
        failf(cs, "Invalid size (%d)", static_cast<int>(s));

    // Every code fits, and so do the count entries the PDF writer reads.
    ProcArray array;
    array.size = std::max<int32_t>(last - first + 1, gcgidCount);
    array.procs = new qelType3CharProc*[array.size]();
    std::unique_ptr<uint16_t[]> widths(new uint16_t[last - first + 1]());

    const float m = 72000.0f / (static_cast<float>(r) * s);
    m_metricScale = relative ? 1.0f : m;
    m_patternScale = relative ? m : 1.0f;

    const bool uniformASpace = m_metrics->isUniformASpace(0);
    const int minASpace = m_metrics->getMinASpace(0);
    const int maxIncrement = m_metrics->getMaxCharIncrement(0);
    const bool uniformIncrement = m_metrics->isUniformCharIncrement(0);
    const char* spaceName = source->getSpaceCharName();
    const char* defaultName = source->getDefaultCharName();
    std::set<std::string> named;
    int32_t k = 0;

    for (int c = first; c <= last; ++c) {
        const char* g = gcgids[c];
        const qelAFPCharMetrics* e = nullptr;
        const bool space = c == source->getSpaceCodePoint() && g;
        if (space)
            e = m_metrics->findCharMetrics("SP010000");
        if (!g)
            continue;
        if (!e) {
            e = m_metrics->findCharMetrics(g);
            if (!e) {
                if (logs(QEL_LOG_LEVEL2))
                    getLogStream()->print("Warning! CS=%s, Metrics not found for character (GCGID=%s)", cs, g);
                if (spaceName && strcasecmp(spaceName, g) != 0 && (e = m_metrics->findCharMetrics(spaceName))) {
                    if (logs(QEL_LOG_LEVEL2))
                        getLogStream()->print("Using space character (GCGID=%s) metrics", spaceName);
                } else if (defaultName && strcasecmp(defaultName, g) != 0
                           && (e = m_metrics->findCharMetrics(defaultName))) {
                    if (logs(QEL_LOG_LEVEL2))
                        getLogStream()->print("Using default character (GCGID=%s) metrics", defaultName);
                } else {
                    failf(cs,
                          "Type3 generation: CS=%s, Metrics not found for character (GCCID=%s). Also for space "
                          "(GCGID=%s) and default (GCGID=%s) characters",
                          cs, g, spaceName ? spaceName : "(null)", defaultName ? defaultName : "(null)");
                }
            }
        }
        int w = 0;
        qelType3CharProc* proc = nullptr;
        if (space) {
            w = qelUtils::roundHalfDown(static_cast<double>(m_metrics->getSpaceCharIncrement(0)) * m_metricScale);
            if (w == 0)
                w = qelUtils::roundHalfDown(static_cast<double>(e->getCharIncrement(0)) * m_metricScale);
            if (named.insert("QELSPACE").second)
                proc = buildSpaceProc(source, w);
            addSpaceDifference(c);
        } else {
            int i = e->getCharIncrement(0);
            if (uniformIncrement && maxIncrement >= 0) {
                i = maxIncrement;
            } else if (maxIncrement >= 0 && i > maxIncrement) {
                if (logs(QEL_LOG_LEVEL2))
                    getLogStream()->print("\n==>CS=%s, Font Index(FNI) Character Increment is greater than Maximum "
                                          "Character Increment given in Font Orientation(FNO). Using FNO value. "
                                          "GCGID=%s, FNIValue=%df, FNOValue=%d",
                                          cs, g, i, maxIncrement);
                i = maxIncrement;
            }
            w = qelUtils::roundHalfDown(static_cast<double>(i) * m_metricScale);
            const char* glyph = e->getGlyphName() ? e->getGlyphName() : "";
            // One procedure per name: a later code of the same name keeps
            // its width and Differences entry and draws the first one's.
            if (named.insert(pdfName(glyph)).second)
                proc = buildGlyphProc(source, e, uniformASpace, minASpace, w, s);
            addDifference(c, glyph);
        }
        array.procs[k++] = proc;
        widths[c - first] = static_cast<uint16_t>(w < 0 ? 0 : w > 65535 ? 65535 : w);
    }

    std::unique_ptr<qelType3FontRepresentation> result(new qelType3FontRepresentation);
    result->setDifferences(new qelString(m_differences.c_str()));
    result->setCharProcs(array.procs, array.size);
    array.procs = nullptr;
    array.size = 0;
    result->setWidthTable(widths.release());
    result->setCharProcCount(k);
    result->setGCGIDCount(k);
    result->setComplete(true);
    return result.release();
}

qelType3CharProc* qelType3FontBuilder::buildSpaceProc(const qelIPSFontRepresentation* source, int width)
{
    if (width < 0)
        failf(charSetNameOf(source), "Type3 font creation failed. Space character increment is less then zero (%d)",
              width);
    std::vector<uint8_t> content;
    appendf(content, "%d 0 1 1 1 1 d1\n", width);
    appendText(content, "q\n1 0 0 1 0 0 cm\nBI\n/BPC 1\n/IM true\n/D [1 0]\n/W 1\n/H 1\nID ");
    content.push_back(0);
    appendText(content, "EI\nQ");
    return makeProc("QELSPACE", content);
}

qelType3CharProc* qelType3FontBuilder::buildGlyphProc(const qelIPSFontRepresentation* source,
                                                      const qelAFPCharMetrics* e, bool uniformASpace,
                                                      int minASpace, int width, float size)
{
    const char* cs = charSetNameOf(source);
    const char* name = e->getGlyphName() ? e->getGlyphName() : "";
    const qelFontGlyph* glyph = e->getGlyph();
    if (!glyph)
        failf(cs, "Type3 font creation failed. Character glyph is missing for GCGID (%s)", name);
    const int pw = glyph->getWidth();
    const int ph = glyph->getHeight();
    const int64_t patternLength = static_cast<int64_t>(ph) * ((pw + 7) / 8);
    if (glyph->getRasterLength() < patternLength || (patternLength > 0 && !glyph->getRaster())) {
        const int have = glyph->getRasterLength();
        const int want = static_cast<int>(patternLength);
        if (logsAll())
            getLogStream()->print("\n==>CS=%s, Warning! Pattern data length (%d) for GCCID %s is less than expected "
                                  "data length (%d)",
                                  cs, have, name, want);
        if (!getQuietMode())
            qelMessageOutput::printf("==>CS=%s, Warning! Pattern data length (%d) for GCCID %s is less than expected "
                                     "data length (%d)\n",
                                     cs, have, name, want);
        failf(cs, "Type3 font creation failed. Pattern data length (%d) for GCCID %s is less than expected data "
                  "length (%d)",
              have, name, want);
    }

    const bool relative = source->isRelativeMetric();
    const int16_t fontAscender = m_metrics->getMaxAscenderHeight(0);
    const int16_t fontDescender = m_metrics->getMaxDescenderDepth(0);
    float A = e->getASpace(0);
    const float C = e->getCSpace(0);
    float asc = e->getAscenderHeight(0);
    if (asc == 0.0f && fontAscender != qelAFPFontMetrics::UNSET16)
        asc = fontAscender;
    float desc = e->getDescenderDepth(0);
    if (desc == 0.0f && fontDescender != qelAFPFontMetrics::UNSET16)
        desc = fontDescender;
    const float v = relative ? m_patternScale : 1.0f;
    float W = static_cast<float>(pw) * v;

    const float a = static_cast<float>(minASpace);
    bool replace = false;
    if (uniformASpace) {
        A = a;
    } else if (A < 0.0f) {
        if (m_metrics->hasKerning(0))
            replace = (minASpace > 0 && static_cast<int>(std::fabs(A)) > minASpace) || (minASpace <= 0 && a > A);
        else
            replace = minASpace < 0 && a > A;
    }
    if (replace) {
        if (logsAll())
            getLogStream()->print("\n==>CS=%s, Font Index(FNI) ASpace is less than Minimum ASpace given in Font "
                                  "Orientation (FNO). Using FNO value. GCGID=%s, FNIValue=%0.2f, FNOValue=%d",
                                  cs, name, static_cast<double>(A), minASpace);
        A = a;
    }
    if (W == 0.0f) {
        W = C;
        if (logsAll())
            getLogStream()->print("\n==>CS=%s, Warning! Type3 Font conversion: BSpace is zero for GCCID %s. Using "
                                  "CSpace value",
                                  cs, name);
        if (C == 0.0f) {
            W = 1.0f;
            if (logsAll())
                getLogStream()->print("\n==>CS=%s, Warning! Type3 Font conversion: BSpace is zero for GCCID %s. Using "
                                      "a value of 1",
                                      cs, name);
        }
    }
    float H = static_cast<float>(ph);
    if (relative)
        H = static_cast<float>(ph) * m_patternScale;
    float y = 0.0f;
    if (!relative && desc == 0.0f) {
        y = asc >= 0.0f ? asc - H : asc;
    } else if (asc >= 0.0f) {
        y = asc - H;
        desc = H - asc;
    } else {
        y = desc >= 0.0f ? -desc : -asc;
    }
    if (H == 0.0f)
        H = 1.0f;
    (void)size;

    const double M = m_metricScale;
    std::vector<uint8_t> content;
    appendf(content, "%d 0 %f %f %f %f d1\n", width, M * A, -(M * desc), M * W + M * A, M * asc);
    appendText(content, "q\n");
    appendf(content, "%f 0 0 %f %f %f cm\n", M * W, M * H, M * A, M * y);
    // A glyph without pels draws one blank pel: an image needs a size.
    const bool empty = patternLength == 0;
    appendf(content, "BI\n/BPC 1\n/IM true\n/D [1 0]\n/W %d\n/H %d\nID ", empty ? 1 : pw, empty ? 1 : ph);
    if (empty)
        content.push_back(0);
    else
        content.insert(content.end(), glyph->getRaster(), glyph->getRaster() + patternLength);
    appendText(content, "EI\nQ");
    return makeProc(pdfName(name), content);
}
