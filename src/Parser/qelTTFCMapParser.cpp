#include "qelTTFCMapParser.h"

#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelTTFUtils.h"

#include <algorithm>
#include <memory>

qelTTFCMapParser::qelTTFCMapParser(qelIOStream* stream, const qelTTFTableDirectory* directory, qelLogStream* log)
    : m_stream(stream), m_directory(directory), m_log(log)
{
}

void qelTTFCMapParser::warn(const char* text)
{
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->printLine("%s", text);
}

void qelTTFCMapParser::freeSubtable(qelTTFCMapSubtable* subtable)
{
    delete subtable;
}

qelTTFCMapSubtable* qelTTFCMapParser::findSubtable(uint16_t platformID, uint16_t encodingID)
{
    const int64_t base = qelTTFUtils::seekTable(m_stream, m_directory, "cmap");
    m_stream->readUInt16(); // version
    const unsigned count = m_stream->readUInt16();
    int64_t position = -1;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned platform = m_stream->readUInt16();
        const unsigned encoding = m_stream->readUInt16();
        const uint32_t offset = m_stream->readUInt32();
        if (platform == platformID && encoding == encodingID) {
            position = base + offset;
            break;
        }
    }
    if (position < 0)
        return nullptr;
    const int64_t size = qelTTFUtils::inputSize(m_stream);
    if (position >= size)
        qelTTFUtils::fail("Invalid CMAP Sub Table");
    m_stream->seek(static_cast<int>(position));

    std::unique_ptr<qelTTFCMapSubtable> sub(new qelTTFCMapSubtable());
    sub->platformID = platformID;
    sub->encodingID = encodingID;
    sub->format = static_cast<uint16_t>(m_stream->readUInt16());
    uint32_t length = 0;
    if (sub->format > 6) {
        if (m_stream->readUInt16() != 0) {
            warn("Warning! Unrecognized cmap subtable format.");
            return nullptr;
        }
        length = m_stream->readUInt32();
        sub->language = m_stream->readUInt32();
    } else {
        length = m_stream->readUInt16();
        sub->language = m_stream->readUInt16();
    }
    // What the subtable may hold can never exceed what the input holds.
    const int64_t available = size - position;

    switch (sub->format) {
    case 0:
        if (length < 256)
            qelTTFUtils::fail("Invalid CMAP Table");
        sub->byteGlyphs.resize(256);
        m_stream->getChars(sub->byteGlyphs.data(), 256);
        break;
    case 2: {
        if (length < 512 || length > available)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        sub->subHeaderKeys.resize(256);
        unsigned largest = 0;
        for (auto& key : sub->subHeaderKeys) {
            key = static_cast<uint16_t>(m_stream->readUInt16() / 8);
            largest = std::max<unsigned>(largest, key);
        }
        const int64_t headers = static_cast<int64_t>(largest) + 1;
        const int64_t rest = static_cast<int64_t>(length) - 518 - 8 * headers;
        if (rest < 0)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        sub->subHeaders.resize(static_cast<size_t>(headers));
        for (int64_t j = 0; j < headers; ++j) {
            qelTTFCMapSubHeader& h = sub->subHeaders[static_cast<size_t>(j)];
            h.firstCode = static_cast<uint16_t>(m_stream->readUInt16());
            h.entryCount = static_cast<uint16_t>(m_stream->readUInt16());
            h.idDelta = static_cast<int16_t>(m_stream->readShort());
            h.idRangeOffset = static_cast<int32_t>(m_stream->readUInt16());
            if (h.idRangeOffset != 0)
                h.idRangeOffset -= static_cast<int32_t>((headers - j - 1) * 8 + 2);
        }
        sub->glyphIds.resize(static_cast<size_t>(rest / 2));
        for (auto& g : sub->glyphIds)
            g = static_cast<uint16_t>(m_stream->readUInt16());
        break;
    }
    case 4: {
        if (length < 8)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        const unsigned segCountX2 = m_stream->readUInt16();
        m_stream->readUInt16(); // searchRange
        m_stream->readUInt16(); // entrySelector
        m_stream->readUInt16(); // rangeShift
        const int64_t n = segCountX2 / 2;
        const int64_t rest = static_cast<int64_t>(length) - 16 - 8 * n;
        if (rest < 0 || length > available)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        const size_t segments = static_cast<size_t>(n);
        sub->endCode.resize(segments);
        sub->startCode.resize(segments);
        sub->idDelta.resize(segments);
        sub->idRangeOffset.resize(segments);
        for (auto& v : sub->endCode)
            v = static_cast<uint16_t>(m_stream->readUInt16());
        m_stream->readUInt16(); // reservedPad
        for (auto& v : sub->startCode)
            v = static_cast<uint16_t>(m_stream->readUInt16());
        for (auto& v : sub->idDelta)
            v = static_cast<int16_t>(m_stream->readShort());
        for (auto& v : sub->idRangeOffset)
            v = static_cast<uint16_t>(m_stream->readUInt16());
        sub->glyphIds.resize(static_cast<size_t>(rest / 2));
        for (auto& g : sub->glyphIds)
            g = static_cast<uint16_t>(m_stream->readUInt16());
        break;
    }
    case 6: {
        if (length < 4)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        sub->firstCode = static_cast<uint16_t>(m_stream->readUInt16());
        const unsigned count6 = m_stream->readUInt16();
        if (static_cast<int64_t>(count6) * 2 > available)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        sub->glyphIds.resize(count6);
        for (auto& g : sub->glyphIds)
            g = static_cast<uint16_t>(m_stream->readUInt16());
        break;
    }
    case 12: {
        if (length < 4)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        const uint32_t groups = m_stream->readUInt32();
        // 16 header bytes, then 12 bytes a group.
        const int64_t needed = 16 + static_cast<int64_t>(groups) * 12;
        if (needed > length || needed > available)
            qelTTFUtils::fail("Invalid CMAP Sub Table");
        sub->groups.resize(groups);
        for (auto& g : sub->groups) {
            g.startCharCode = m_stream->readUInt32();
            g.endCharCode = m_stream->readUInt32();
            g.startGlyphID = m_stream->readUInt32();
        }
        break;
    }
    default:
        warn("Warning! Unrecognized TrueType cmap format.");
        return nullptr;
    }
    return sub.release();
}

uint16_t qelTTFCMapParser::lookup(const qelTTFCMapSubtable* sub, uint32_t code)
{
    if (!sub)
        qelTTFUtils::fail("CMAP Table is null");
    if (sub->format <= 6 && code > 0xFFFF) {
        warn("Warning! Four bytes charcode not supported in TrueType cmap format 0...6.");
        return 0;
    }
    switch (sub->format) {
    case 0:
        return code > 255 || sub->byteGlyphs.size() < 256 ? 0 : sub->byteGlyphs[code];
    case 2: {
        const uint32_t high = code / 256;
        if (high >= sub->subHeaderKeys.size())
            return 0;
        const unsigned key = sub->subHeaderKeys[high];
        if (key >= sub->subHeaders.size())
            return 0;
        const qelTTFCMapSubHeader& h = sub->subHeaders[key];
        const uint32_t b = code % 256;
        if (b < h.firstCode || b >= static_cast<uint32_t>(h.firstCode) + h.entryCount)
            return 0;
        const int64_t index = h.idRangeOffset / 2 + static_cast<int64_t>(b) - h.firstCode;
        if (index < 0 || index >= static_cast<int64_t>(sub->glyphIds.size()))
            return 0;
        const uint16_t g = sub->glyphIds[static_cast<size_t>(index)];
        return g == 0 ? 0 : static_cast<uint16_t>((g + h.idDelta) & 0xFFFF);
    }
    case 4: {
        const int64_t n = static_cast<int64_t>(sub->endCode.size());
        for (int64_t i = n - 1; i >= 0 && sub->endCode[static_cast<size_t>(i)] >= code; --i) {
            const size_t s = static_cast<size_t>(i);
            if (sub->startCode[s] > code)
                continue;
            if (sub->idRangeOffset[s] == 0)
                return static_cast<uint16_t>((code + sub->idDelta[s]) & 0xFFFF);
            const int64_t index = sub->idRangeOffset[s] / 2 + (static_cast<int64_t>(code) - sub->startCode[s]) - (n - i);
            if (index < 0 || index >= static_cast<int64_t>(sub->glyphIds.size()))
                return 0;
            const uint16_t g = sub->glyphIds[static_cast<size_t>(index)];
            return g == 0 ? 0 : static_cast<uint16_t>((g + sub->idDelta[s]) & 0xFFFF);
        }
        return 0;
    }
    case 6: {
        const uint32_t d = (code - sub->firstCode) & 0xFFFF;
        return d < sub->glyphIds.size() ? sub->glyphIds[d] : 0;
    }
    case 12:
        for (size_t i = sub->groups.size(); i > 0 && sub->groups[i - 1].endCharCode >= code; --i) {
            const qelTTFCMapGroup& g = sub->groups[i - 1];
            if (g.startCharCode <= code)
                return static_cast<uint16_t>((code + g.startGlyphID - g.startCharCode) & 0xFFFF);
        }
        return 0;
    default:
        qelTTFUtils::fail("Unrecognized TrueType cmap subtable format");
    }
}
