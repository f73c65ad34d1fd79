#ifndef QEL_FONT_CONVERTER_H
#define QEL_FONT_CONVERTER_H

#include "qelConverter.h"

class qelFontBuilder;
class qelString;

// Converts a font representation through the builder of the target type;
// each conversion creates and deletes its own builder.
class qelFontConverter : public qelConverter
{
public:
    qelFontConverter() = default;
    ~qelFontConverter() override;

    // The new representation (the caller owns it); null when no builder
    // serves the target type.
    qelRepresentation* convert(qelRepresentation* source, int targetType) override;
    // Keeps a copy; null clears.
    void setFontName(const char* name);
    const char* getFontName() const;
    // A new builder for a target type, or null.
    static qelFontBuilder* createBuilder(int targetType);

private:
    qelFontBuilder* m_builder = nullptr;
    qelString* m_fontName = nullptr;
};

#endif
