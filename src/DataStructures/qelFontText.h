#ifndef QEL_FONT_TEXT_H
#define QEL_FONT_TEXT_H

class qelString;

// Helpers for the owned qelString fields of the font classes: a field is
// null when unset, and a setter frees the old string and keeps a copy.
class qelFontText
{
public:
    // The text of a field, null when unset.
    static const char* get(const qelString* field);
    // Replaces the field with a copy of the text; null clears it.
    static void set(qelString*& field, const char* text);
    // As set, but an empty text clears the field too.
    static void setNonEmpty(qelString*& field, const char* text);
    // A new[] copy of a text, null for null.
    static char* copy(const char* text);
};

#endif
