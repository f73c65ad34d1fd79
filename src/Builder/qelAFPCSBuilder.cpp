#include "qelAFPCSBuilder.h"

#include "qel/afp/AfpCharacterMetricsRecord.h"
#include "qel/afp/AfpFontControl.h"
#include "qel/afp/AfpResCharacterSet.h"
#include "qelAFPCSRepresentation.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelLogStream.h"
#include "qelType3CharMetrics.h"
#include "qelType3FontMetrics.h"
#include "qelUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
// The Font Control carries resolutions times ten in 16 bits.
const int kMaxResolution = 6553;

// Recorded values reach 16-bit fields: beyond them they stay at the
// nearest end, and a value that is no number counts as 0.
int16_t toInt16(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::min(32767.0, std::max(-32768.0, v));
    return static_cast<int16_t>(v);
}

int16_t rounded16(double v)
{
    if (std::isnan(v))
        return 0;
    return toInt16(qelUtils::roundHalfDown(std::min(32767.0, std::max(-32768.0, v))));
}

uint16_t roundedU16(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<uint16_t>(qelUtils::roundHalfDown(std::min(65535.0, std::max(0.0, v))));
}

struct Entry
{
    const qelType3CharMetrics* metrics;
    const char* name; // character identifier, else glyph name
};

const char* nonEmpty(const char* text) { return text && *text ? text : nullptr; }
} // namespace

bool qelAFPCSBuilder::logsAll() const { return getLogStream() && getLogStream()->isExactly(QEL_LOG_ALL); }

void qelAFPCSBuilder::failBuild(const char* format, ...) const
{
    char reason[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    throw new qelException(__FILE__, __LINE__, qelMsg::E040, 0, true, "TYPE3", "AFP Characterset", m_fontName,
                           reason);
}

qelRepresentation* qelAFPCSBuilder::build(qelRepresentation* input)
{
    if (!input)
        return nullptr;
    const qelFontRepresentation* source = dynamic_cast<const qelFontRepresentation*>(input);
    if (input->getType() != qelFontRepresentation::TYPE_TYPE3 || !source)
        throw new qelException(__FILE__, __LINE__, qelMsg::E039, 0, true,
                               qelFontRepresentation::fontTypeText(input->getType()), "AFP Characterset");

    m_maxCharIncrement = 0;
    m_maxAscender = -32767;
    m_maxDescender = -32767;
    m_minASpace = 32767;
    m_maxBaselineOffset = 0;
    m_fontName = source->getName() ? source->getName() : "(null)";

    const qelType3FontMetrics* metrics = dynamic_cast<const qelType3FontMetrics*>(source->getMetrics());
    if (!metrics)
        failBuild("Font metrics is null");
    if (source->getLastChar() < source->getFirstChar())
        failBuild("Code point of last character (%d) is less than the code point of first character (%d)",
                  source->getLastChar(), source->getFirstChar());
    const int r = source->getResolution();
    if (r < 1 || r > kMaxResolution)
        failBuild("Invalid resolution (%d)", r);

    const char* name = source->getFileName() ? source->getFileName() : "(null)";
    std::unique_ptr<qel::afp::ResCharacterSet> resource(new qel::afp::ResCharacterSet(name, 2));
    if (logsAll())
        getLogStream()->print("\nAFP Characterset Resource: %s", name);
    resource->initialize();

    addDescriptor(source, metrics, resource.get());
    addControl(source, metrics, resource.get());
    addCharacters(source, metrics, resource.get());
    addOrientation(source, metrics, resource.get());
    addPosition(source, metrics, resource.get());

    std::unique_ptr<qelAFPCSRepresentation> result(new qelAFPCSRepresentation);
    result->setResource(resource.release());
    return result.release();
}

void qelAFPCSBuilder::addDescriptor(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                                    qel::afp::ResCharacterSet* resource)
{
    const double height = source->getHeight();
    const uint16_t h = roundedU16(height);
    uint16_t w = 0;
    if (source->isUniformCharIncrement()) {
        const auto* first = dynamic_cast<const qelType3CharMetrics*>(metrics->findCharMetricsByCode(0));
        w = first ? roundedU16(first->getCharIncrement()) : 0;
    } else {
        w = roundedU16(height * 20 / 30);
    }
    const char* typeface = source->getTypefaceName() ? source->getTypefaceName() : "";
    resource->addFontDescriptor(typeface, 5, 5, h, h, h, w, w, w, 0, 0, 0, 0, 0, 0, nullptr, nullptr);
    if (logsAll())
        getLogStream()->print("\nFontDescriptor=> Height:%d points, Width:%d points", h, w);
}

void qelAFPCSBuilder::addControl(const qelFontRepresentation* source, const qelType3FontMetrics*,
                                 qel::afp::ResCharacterSet* resource)
{
    const uint16_t r = static_cast<uint16_t>(source->getResolution());
    resource->addFontControl(0, r, r, 0, 0, 0, 0, 0, 0, r, r);
    if (logsAll())
        getLogStream()->print("\nFontControl=> Flags: %02X Resolution: %d Metrics: Fixed MaxHeight: %d MaxWidth: %d "
                              "Alignment: 1 byte Shape resolution: %d",
                              0, r, 0, 0, r);
}

void qelAFPCSBuilder::addCharacters(const qelFontRepresentation*, const qelType3FontMetrics* metrics,
                                    qel::afp::ResCharacterSet* resource)
{
    qelCharMetrics** list = metrics->getCharMetricsList();
    const int32_t count = metrics->getCharMetricsCount();
    if (!list || count <= 0)
        failBuild("Character Metrics information not available");
    if (!metrics->getGlyphList() || metrics->getGlyphCount() <= 0)
        failBuild("Character Glyphs information not available");

    std::vector<Entry> entries;
    for (int32_t i = 0; i < count; ++i) {
        const auto* m = dynamic_cast<const qelType3CharMetrics*>(list[i]);
        if (!m)
            continue;
        const char* name = nonEmpty(m->getCharId()) ? m->getCharId() : nonEmpty(m->getGlyphName());
        if (!name) {
            if (getLogStream() && getLogStream()->anyOf(QEL_LOG_LEVEL2))
                getLogStream()->print("\nWarning! Font %s: character at code point %d has neither character "
                                      "identifier nor glyph name. It is left out of the AFP Characterset",
                                      m_fontName, m->getCodePoint());
            continue;
        }
        entries.push_back({m, name});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return std::strcmp(a.name, b.name) < 0; });
    if (logsAll())
        getLogStream()->print("\nFontIndex");

    const char* lastAdded = nullptr;
    uint16_t boxWidth = 0;
    uint16_t boxHeight = 0;
    uint16_t firstWidth = 0;
    uint16_t firstHeight = 0;
    bool uniform = true;
    for (const Entry& e : entries) {
        const qelType3CharMetrics* m = e.metrics;
        const qelFontGlyph* glyph = metrics->getGlyph(m->getCodePoint());
        if (!glyph)
            continue;
        if (lastAdded && std::strcmp(e.name, lastAdded) == 0)
            continue;

        const int16_t inc = rounded16(m->getCharIncrement());
        const int16_t as = rounded16(m->getASpace());
        const int16_t bs = rounded16(m->getBSpace());
        const int16_t cs = rounded16(m->getCSpace());
        const int16_t ah = rounded16(m->getAscenderHeight());
        const int16_t dd = rounded16(m->getDescenderDepth());
        const int16_t blOffset = ah >= 1 ? ah : ah == 0 ? toInt16(-dd) : std::max<int16_t>(ah, toInt16(-dd));

        // A glyph without pels is written as one blank pel: the map holds
        // sizes less one.
        static const uint8_t blank[1] = {0};
        uint16_t gw = glyph->getWidth();
        uint16_t gh = glyph->getHeight();
        const uint8_t* pattern = glyph->getRaster();
        int64_t length = static_cast<int64_t>(gh) * ((gw + 7) / 8);
        if (gw == 0 || gh == 0) {
            gw = gh = 1;
            pattern = blank;
            length = 1;
        } else if (length > 0xFFFF) {
            failBuild("Pattern of character %s (%dx%d pels) is too large", e.name, gw, gh);
        } else if (!pattern || glyph->getRasterLength() < length) {
            failBuild("Pattern data length (%d) of character %s is less than expected data length (%d)",
                      pattern ? glyph->getRasterLength() : 0, e.name, static_cast<int>(length));
        }

        const qel::afp::CharacterMetricsRecord record{e.name, as, bs, cs, inc, ah, dd, blOffset};
        if (resource->addCharacter(&record, nullptr, nullptr, nullptr, pattern, static_cast<uint16_t>(length), gw,
                                   gh)
            != 0)
            failBuild("Character %s cannot be added to the AFP Characterset", e.name);
        if (logsAll())
            getLogStream()->print("\nGCGID:%s CharInc:%d AS:%d BS:%d CS:%d AH:%d DD:%d BLOffset:%d GW:%d GH:%d", e.name,
                                  inc, as, bs, cs, ah, dd, blOffset, gw, gh);

        m_maxCharIncrement = std::max(m_maxCharIncrement, static_cast<uint16_t>(inc));
        m_maxAscender = std::max(m_maxAscender, ah);
        m_maxDescender = std::max(m_maxDescender, dd);
        m_maxBaselineOffset = std::max(m_maxBaselineOffset, blOffset);
        m_minASpace = std::min(m_minASpace, as);
        boxWidth = std::max(boxWidth, gw);
        boxHeight = std::max(boxHeight, gh);
        if (!lastAdded) {
            firstWidth = gw;
            firstHeight = gh;
        } else if (gw != firstWidth || gh != firstHeight) {
            uniform = false;
        }
        lastAdded = e.name;
    }

    qel::afp::FontControl* control = resource->getFontControl();
    if (control) {
        if (uniform && lastAdded)
            control->setFlags(static_cast<uint8_t>(control->getFlags() | 0x02));
        control->setMaxCharacterBoxWidth(boxWidth);
        control->setMaxCharacterBoxHeight(boxHeight);
    }
}

void qelAFPCSBuilder::addOrientation(const qelFontRepresentation* source, const qelType3FontMetrics* metrics,
                                     qel::afp::ResCharacterSet* resource)
{
    int extent = m_maxBaselineOffset;
    if (m_maxBaselineOffset > 0 && m_maxDescender > 0)
        extent = m_maxBaselineOffset + m_maxDescender;
    else if (m_maxDescender > 0)
        extent = m_maxDescender;
    const int16_t maxExtent = toInt16(extent);
    // One and a half times the size, in pels.
    const double size = source->getHeight() / 10.0;
    const int16_t baselineIncrement = rounded16(source->getResolution() / (72.0 / (1.5 * size)));
    const int16_t spaceIncrement = toInt16(std::trunc(static_cast<double>(metrics->getSpaceIncrement())));
    const int16_t maxIncrement = static_cast<int16_t>(m_maxCharIncrement);
    resource->addFontOrientation(m_maxBaselineOffset, maxIncrement, spaceIncrement, maxExtent, 0, 0, 0, 0,
                                 baselineIncrement, m_minASpace, 0);
    if (logsAll())
        getLogStream()->print("\nFontOrientation=> MaxBLOffset:%d, MaxCharInc:%d, SpaceCharInc:%d, MaxBLExt=%d, "
                              "OrientationFlags=%d, EmSpaceInc=%d, FigureSpaceInc=%d, DefBLInc=%d, MinASpace=%d",
                              m_maxBaselineOffset, maxIncrement, spaceIncrement, maxExtent, 0, 0, 0,
                              baselineIncrement, m_minASpace);
}

void qelAFPCSBuilder::addPosition(const qelFontRepresentation*, const qelType3FontMetrics*,
                                  qel::afp::ResCharacterSet* resource)
{
    resource->addFontPosition(0, 0, m_maxAscender, m_maxDescender, 0, 0, 0);
    if (logsAll())
        getLogStream()->print("\nFontPosition=> XHeight:%d, CapMHeight:%d MaxAsecender:%d, MaxDescender=%d", 0, 0,
                              m_maxAscender, m_maxDescender);
}
