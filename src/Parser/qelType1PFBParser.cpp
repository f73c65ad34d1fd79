#include "qelType1PFBParser.h"

#include "qelException.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelType1PFBRepresentation.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace {

bool isEndOfData(const qelException* e)
{
    return e->getKind() == QEL_MSG_INFO && (e->getId() == qelMsg::I001 || e->getId() == qelMsg::I199);
}

} // namespace

qelType1PFBParser::~qelType1PFBParser()
{
    if (m_ownsStream)
        delete m_stream;
}

void qelType1PFBParser::fail(const char* reason)
{
    throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, getResourceName() ? getResourceName() : "",
                           reason);
}

void qelType1PFBParser::warning(const char* format, ...)
{
    if (!m_log)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->print("%s", text);
}

qelFontRepresentation* qelType1PFBParser::parse(const char* fileName)
{
    if (!fileName)
        return nullptr;
    if (!getResourceName())
        setResourceName(fileName);
    std::unique_ptr<qelIOStream> stream(new qelIOStream(fileName));
    stream->reopen();
    m_stream = stream.get();
    m_ownsStream = true;
    qelFontRepresentation* result = nullptr;
    try {
        result = parseStream(stream.get());
    } catch (...) {
        stream->closeStream();
        m_stream = nullptr;
        m_ownsStream = false;
        throw;
    }
    stream->closeStream();
    m_stream = nullptr;
    m_ownsStream = false;
    return result;
}

uint8_t* qelType1PFBParser::readSegment(int expectedType, int section, uint32_t* length)
{
    const char* name = getResourceName() ? getResourceName() : "";
    const int marker = m_stream->readByte();
    const int type = m_stream->readByte();
    if (marker != 128)
        warning("\n==>CS=%s Warning! Bad magic number: %d (128 expected) in section %d while parsing PFB content.",
                name, marker, section);
    else if (type != expectedType)
        warning("\n==>CS=%s Warning! Unexpected type: %d (%d expected) in section %d while parsing PFB content.",
                name, type, expectedType, section);
    uint8_t raw[4];
    m_stream->getChars(raw, 4);
    const uint32_t n = raw[0] | (raw[1] << 8) | (raw[2] << 16) | (static_cast<uint32_t>(raw[3]) << 24);
    // The length must be there in full before anything is allocated.
    if (static_cast<int64_t>(n) > static_cast<int64_t>(m_stream->getBytesLeft())) {
        char reason[96];
        std::snprintf(reason, sizeof reason, "Invalid PFB segment length %u in section %d", n, section);
        fail(reason);
    }
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[n ? n : 1]);
    if (n)
        m_stream->getChars(bytes.get(), static_cast<int>(n));
    *length = n;
    return bytes.release();
}

qelFontRepresentation* qelType1PFBParser::parseStream(qelIOStream* stream)
{
    if (!stream)
        return nullptr;
    if (!m_ownsStream)
        m_stream = stream;
    std::unique_ptr<qelType1PFBRepresentation> rep(new qelType1PFBRepresentation());
    static const struct
    {
        int type;
        int section;
    } kSegments[3] = {{1, 1}, {2, 1}, {1, 2}};
    int section = 1;
    try {
        for (int i = 0; i < 3; ++i) {
            section = kSegments[i].section;
            uint32_t length = 0;
            std::unique_ptr<uint8_t[]> bytes(readSegment(kSegments[i].type, kSegments[i].section, &length));
            if (kSegments[i].type == 1)
                qelFontRepresentation::convertLineEnds(reinterpret_cast<char*>(bytes.get()),
                                                       static_cast<int>(length));
            if (i == 0)
                rep->setClearTextSegment(bytes.get(), length);
            else if (i == 1)
                rep->setBinarySegment(bytes.get(), length);
            else
                rep->setTrailerSegment(bytes.get(), length);
        }
    } catch (qelException* e) {
        if (!m_ownsStream)
            m_stream = nullptr;
        // A program cut short is damaged, not a regular end of the input.
        if (!isEndOfData(e))
            throw;
        char reason[96];
        std::snprintf(reason, sizeof reason, "Unexpected end of PFB data in section %d", section);
        delete e;
        fail(reason);
    }
    if (!m_ownsStream)
        m_stream = nullptr;
    return rep.release();
}
