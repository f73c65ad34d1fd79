#ifndef QEL_FONT_BUILDER_H
#define QEL_FONT_BUILDER_H

#include "qelBuilder.h"

#include <cstdint>

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

private:
    qelLogStream* m_log = nullptr;
    int32_t m_quiet = 0;
    qelString* m_fontName = nullptr;
};

#endif
