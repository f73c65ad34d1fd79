#include "qel/afp/Text.h"

#include "qel/afp/Log.h"
#include "qelString.h"

#include <cstring>

namespace qel
{

Text::Text(const unsigned char* bytes, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute,
           bool xRelative, bool yRelative)
    : Drawable(x, y, xAbsolute, yAbsolute, xRelative, yRelative)
{
    if (bytes && length > 0) {
        m_text = new unsigned char[length];
        std::memcpy(m_text, bytes, length);
        m_length = length;
    }
}

Text::Text(const char* text, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative)
    : Drawable(x, y, xAbsolute, yAbsolute, xRelative, yRelative)
{
    if (text) {
        const size_t n = std::strlen(text);
        m_text = new unsigned char[n + 1];
        std::memcpy(m_text, text, n + 1);
        m_length = static_cast<uint16_t>(n > 0xFFFF ? 0xFFFF : n);
    }
}

Text::~Text()
{
    delete[] m_text;
    delete m_logText;
}

int Text::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::Text::Write");
    return 0;
}

void Text::setText_1(const char* text)
{
    logDebugText("qel::Text::setText_1");
    delete[] m_text;
    m_text = nullptr;
    if (!text) {
        logDebugText("\tpcTextPar=(null)");
        return;
    }
    const size_t n = std::strlen(text);
    m_text = new unsigned char[n + 1];
    std::memcpy(m_text, text, n + 1);
}

void Text::setText_2(const unsigned char* bytes, uint16_t length)
{
    logDebugText("qel::Text::setText_2");
    delete[] m_text;
    m_text = nullptr;
    if (!bytes || length == 0) {
        logDebugText("\tpcTextPar=(null)");
        return;
    }
    m_text = new unsigned char[length + 1];
    std::memcpy(m_text, bytes, length);
    m_text[length] = 0;
}

void Text::setLogText(const char* text)
{
    delete m_logText;
    m_logText = (text && *text) ? new qelString(text) : nullptr;
}

const char* Text::getLogText() const
{
    return m_logText ? m_logText->getBuffer() : nullptr;
}

} // namespace qel
