#ifndef QEL_TYPE1_PFB_PARSER_H
#define QEL_TYPE1_PFB_PARSER_H

#include "qelFontParser.h"

#include <cstdint>

// Reads a Type 1 font program in the PFB segment format (text, binary,
// text) into a qelType1PFBRepresentation. A wrong segment marker or type is
// only a warning; a segment length beyond the bytes left, or an input that
// ends early, is E114.
class qelType1PFBParser : public qelFontParser
{
public:
    qelType1PFBParser() = default;
    ~qelType1PFBParser() override;

    int loadResourceFile() override { return 1; }
    int getParserType() override { return 40; }
    // Opens the file, parses it and closes it again.
    qelFontRepresentation* parse(const char* fileName) override;
    // Parses from the stream and leaves it open; null without a stream.
    qelFontRepresentation* parseStream(qelIOStream* stream) override;

private:
    [[noreturn]] void fail(const char* reason);
    void warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    uint8_t* readSegment(int expectedType, int section, uint32_t* length);

    qelIOStream* m_stream = nullptr;
    // Set while parsing a file the parser opened itself.
    bool m_ownsStream = false;
};

#endif
