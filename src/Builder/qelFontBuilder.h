#ifndef QEL_FONT_BUILDER_H
#define QEL_FONT_BUILDER_H

#include "qelBuilder.h"

#include <cstdint>

class qelAFPCharMetrics;
class qelFontRepresentation;
class qelLogStream;
class qelString;

// Base of the builders that make a font: log, quiet flag and the name of
// the font to create.
class qelFontBuilder : public qelBuilder
{
public:
    qelFontBuilder() = default;
    ~qelFontBuilder() override;

    void setLogStream(qelLogStream* log) { m_log = log; }
    qelLogStream* getLogStream() const { return m_log; }
    void setQuietMode(int32_t quiet) { m_quiet = quiet; }
    int32_t getQuietMode() const { return m_quiet; }
    // Keeps a copy; null clears.
    void setFontName(const char* name);
    // Null when unset.
    const char* getFontName() const;

protected:
    // Throws E114 with the character set name and the reason.
    [[noreturn]] static void fail(const char* charSetName, const char* reason);
    [[noreturn]] static void failf(const char* charSetName, const char* format, ...)
        __attribute__((format(printf, 2, 3)));
    // Character set name of an AFP source, "(null)" without one.
    static const char* charSetNameOf(const qelFontRepresentation* source);
    // Metrics of a glyph name, else those of the space character, else those
    // of the default character of the source's code page; `message` opens
    // the warning text that each fallback sentence extends. The text is
    // logged (bit 0x2) when a substitute is used; E114 with it when none is.
    const qelAFPCharMetrics* metricsWithFallback(const qelFontRepresentation* source, const char* glyphName,
                                                 const char* message) const;

private:
    qelLogStream* m_log = nullptr;
    int32_t m_quiet = 0;
    qelString* m_fontName = nullptr;
};

#endif
