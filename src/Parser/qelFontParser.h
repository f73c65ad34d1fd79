#ifndef QEL_FONT_PARSER_H
#define QEL_FONT_PARSER_H

#include "qelParser.h"

#include <cstdint>

class qelFontRepresentation;
class qelIOStream;
class qelString;

// Base of the font file parsers: quiet flag, the name of the font being
// parsed (for messages) and whether metrics and widths are read.
class qelFontParser : public virtual qelParser
{
public:
    qelFontParser() = default;
    ~qelFontParser() override;

    int getParserType() override { return 36; }
    // A new representation handed to the caller, or null.
    virtual qelFontRepresentation* parse(const char* fileName) = 0;
    virtual qelFontRepresentation* parseStream(qelIOStream* stream) = 0;

    void setQuietMode(bool on) { m_quiet = on ? 1 : 0; }
    bool isQuietMode() const { return m_quiet != 0; }
    void setLogger(qelLogStream* log) { m_log = log; }
    void setResourceName(const char* name);
    const char* getResourceName() const;
    void setConvert(bool on) { m_convert = on; }
    bool isConvert() const { return m_convert; }

protected:
    int32_t m_quiet = 0;
    qelString* m_resourceName = nullptr;
    bool m_convert = true;
};

#endif
