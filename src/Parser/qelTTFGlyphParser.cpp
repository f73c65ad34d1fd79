#include "qelTTFGlyphParser.h"

#include "qelIOStream.h"
#include "qelTTFRepresentation.h"
#include "qelTTFUtils.h"

qelTTFGlyphSet::qelTTFGlyphSet() : m_position(65536, -1)
{
    add(0);
}

int qelTTFGlyphSet::add(uint16_t glyph)
{
    if (m_position[glyph] >= 0)
        return m_position[glyph];
    if (size() >= MAX_GLYPHS)
        qelTTFUtils::fail("Too many glyphs.");
    m_position[glyph] = size();
    m_glyphs.push_back(glyph);
    m_advances.push_back(0);
    return m_position[glyph];
}

uint16_t qelTTFGlyphSet::advanceOf(uint16_t glyph) const
{
    const int32_t i = m_position[glyph];
    return i < 0 ? 0 : m_advances[static_cast<size_t>(i)];
}

qelTTFGlyphParser::qelTTFGlyphParser(qelIOStream* stream, const qelTTFTableDirectory* directory)
    : m_stream(stream), m_directory(directory)
{
}

namespace {
// Advance of every glyph from a long-metrics table; the entries past the
// long ones repeat the last advance.
std::vector<uint16_t> readMetrics(qelIOStream* stream, unsigned glyphs, unsigned longMetrics)
{
    std::vector<uint16_t> advances(glyphs, 0);
    uint16_t last = 0;
    for (unsigned i = 0; i < glyphs; ++i) {
        if (i < longMetrics)
            last = static_cast<uint16_t>(stream->readUInt16());
        stream->readShort(); // side bearing
        advances[i] = last;
    }
    return advances;
}

uint16_t readU16(const std::vector<uint8_t>& data, size_t at)
{
    return static_cast<uint16_t>((data[at] << 8) | data[at + 1]);
}
} // namespace

int qelTTFGlyphParser::readGlyphs(qelTTFGlyphSet* set, const qelTTFHeadTable* head, const qelTTFHheaTable* hhea,
                                  const qelTTFMaxpTable* maxp, const qelTTFOS2Table*, const qelTTFVheaTable* vhea)
{
    if (!set || !head || !hhea || !maxp)
        qelTTFUtils::fail("Table %s not found", !head ? "head" : !hhea ? "hhea" : "maxp");
    if (hhea->metricDataFormat != 0)
        qelTTFUtils::fail("Unknown metricDataFormat.");
    set->setUnitsPerEm(head->unitsPerEm);
    const unsigned numGlyphs = maxp->numGlyphs;

    qelTTFUtils::seekTable(m_stream, m_directory, "hmtx");
    const std::vector<uint16_t> advances = readMetrics(m_stream, numGlyphs, hhea->numberOfHMetrics);
    if (qelTTFUtils::getTableOffset(m_directory, "vmtx") != 0) {
        qelTTFUtils::seekTable(m_stream, m_directory, "vmtx");
        readMetrics(m_stream, numGlyphs, vhea ? vhea->numOfLongVerMetrics : 0);
    }

    qelTTFUtils::seekTable(m_stream, m_directory, "loca");
    std::vector<uint32_t> loca(numGlyphs + 1u, 0);
    if (head->indexToLocFormat == 0) {
        for (auto& v : loca)
            v = m_stream->readUInt16() * 2u;
    } else if (head->indexToLocFormat == 1) {
        for (auto& v : loca)
            v = m_stream->readUInt32();
    } else {
        qelTTFUtils::fail("Unknown IndexToLocFormat.");
    }

    const int64_t glyf = qelTTFUtils::seekTable(m_stream, m_directory, "glyf");
    const int64_t inputSize = qelTTFUtils::inputSize(m_stream);
    std::vector<uint8_t> data;
    for (int i = 0; i < set->size(); ++i) {
        const uint16_t gid = set->glyphAt(i);
        if (gid >= numGlyphs)
            qelTTFUtils::fail("Invalid glyph index (gid %u)", static_cast<unsigned>(gid));
        set->setAdvance(i, advances[gid]);
        if (loca[gid + 1u] == loca[gid])
            continue;
        // Offsets running backwards or past the input are damaged data.
        const int64_t start = glyf + loca[gid];
        const int64_t length = static_cast<int64_t>(loca[gid + 1u]) - loca[gid];
        if (length < 10 || start + length > inputSize)
            qelTTFUtils::fail("Invalid TrueType glyph data (gid %u).", static_cast<unsigned>(gid));
        m_stream->seek(static_cast<int>(start));
        data.resize(static_cast<size_t>(length));
        m_stream->getChars(data.data(), static_cast<int>(length));
        const int16_t contours = static_cast<int16_t>(readU16(data, 0));
        if (contours >= 0)
            continue;
        size_t at = 10;
        unsigned flags = 0;
        do {
            if (at + 4 > data.size())
                qelTTFUtils::fail("Invalid TrueType glyph data (gid %u): %u bytes", static_cast<unsigned>(gid),
                                  static_cast<unsigned>(length));
            flags = readU16(data, at);
            const uint16_t component = readU16(data, at + 2);
            if (component >= numGlyphs)
                qelTTFUtils::fail("Invalid gid (%u > %u) in composite glyph %u.", static_cast<unsigned>(component),
                                  numGlyphs, static_cast<unsigned>(gid));
            set->add(component);
            at += 4;
            at += (flags & 0x0001) ? 4 : 2;
            if (flags & 0x0008)
                at += 2;
            else if (flags & 0x0040)
                at += 4;
            else if (flags & 0x0080)
                at += 8;
        } while (flags & 0x0020);
    }
    return 0;
}
