#include "qelFontText.h"

#include "qelString.h"

#include <cstring>

const char* qelFontText::get(const qelString* field)
{
    return field ? field->getBuffer() : nullptr;
}

void qelFontText::set(qelString*& field, const char* text)
{
    qelString* fresh = text ? new qelString(text) : nullptr;
    delete field;
    field = fresh;
}

void qelFontText::setNonEmpty(qelString*& field, const char* text)
{
    set(field, text && *text ? text : nullptr);
}

char* qelFontText::copy(const char* text)
{
    if (!text)
        return nullptr;
    const size_t n = std::strlen(text);
    char* c = new char[n + 1];
    std::memcpy(c, text, n + 1);
    return c;
}
