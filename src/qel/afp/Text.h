#ifndef QEL_LIB_TEXT_H
#define QEL_LIB_TEXT_H

#include "qel/afp/Drawable.h"

#include <cstdint>

class qelString;

namespace qel
{

class ResFont;

// Text bytes at a position, in a font (not owned).
class Text : public Drawable
{
public:
    Text() = default;
    // Exactly length bytes, no terminator added.
    Text(const unsigned char* bytes, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute,
         bool xRelative, bool yRelative);
    // A copy of the string; the length is its length.
    Text(const char* text, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative);
    ~Text() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // A copy of the string; the length stays.
    void setText_1(const char* text);
    // A terminated copy of length bytes; null or 0 leaves no text.
    void setText_2(const unsigned char* bytes, uint16_t length);
    void setLength(uint16_t length) { m_length = length; }
    void setFont(ResFont* font) { m_font = font; }
    const unsigned char* getText() const { return m_text; }
    uint16_t getLength() const { return m_length; }
    ResFont* getFont() const { return m_font; }
    // Null or empty clears it.
    void setLogText(const char* text);
    const char* getLogText() const;

private:
    unsigned char* m_text = nullptr;
    uint16_t m_length = 0;
    ResFont* m_font = nullptr;
    qelString* m_logText = nullptr;
};

} // namespace qel

#endif
