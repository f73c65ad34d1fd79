#include "qelType1PFBBuilder.h"

#include "qelAFPCharMetrics.h"
#include "qelIOStream.h"
#include "qelIPSFontRepresentation.h"
#include "qelType1PFBParser.h"
#include "qelType1PFBRepresentation.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <strings.h>

namespace
{
const size_t kMaxLine = 1024;

bool startsWith(const std::string& line, const char* prefix)
{
    return strncasecmp(line.c_str(), prefix, std::strlen(prefix)) == 0;
}

// The line's words up to the first two.
std::string word(const std::string& line, size_t& at)
{
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at])))
        ++at;
    const size_t start = at;
    while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at])))
        ++at;
    return line.substr(start, at - start);
}

// The line that closes an Encoding array: "def" or "readonly def".
bool closesArray(const std::string& line)
{
    size_t at = 0;
    const std::string first = word(line, at);
    if (first == "def")
        return true;
    return first == "readonly" && word(line, at) == "def";
}

// Text for a PostScript string: parentheses and backslashes escaped.
std::string psString(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '(' || *p == ')' || *p == '\\')
            out += '\\';
        out += *p;
    }
    return out;
}

// Only the characters a PostScript name may hold.
std::string psName(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if (*p > 0x20 && *p < 0x7F && !std::strchr("()<>[]{}/%", *p))
            out += static_cast<char>(*p);
    return out;
}
}

qelType1PFBRepresentation* qelType1PFBBuilder::parseFontProgram(const qelIPSFontRepresentation* source)
{
    qelType1PFBParser parser;
    const char* cs = source->getCharacterSetName();
    parser.setResourceName(cs ? cs : "(null)");
    parser.setQuietMode(getQuietMode() != 0);
    parser.setLogger(getLogStream());
    const uint8_t* program = source->getFontData();
    const int32_t length = program ? source->getFontDataLength() : 0;
    if (length <= 0)
        fail(cs ? cs : "(null)", "Font program is missing");
    qelIOStream stream(program, length);
    qelFontRepresentation* parsed = parser.parseStream(&stream);
    qelType1PFBRepresentation* font = dynamic_cast<qelType1PFBRepresentation*>(parsed);
    if (!font) {
        delete parsed;
        fail(cs ? cs : "(null)", "Font program is not a PFB program");
    }
    return font;
}

std::string qelType1PFBBuilder::buildEncoding(const qelIPSFontRepresentation* source)
{
    const char* cs = charSetNameOf(source);
    if (!source->getMetrics())
        fail(cs, "Font Metrics is NULL");
    char** gcgids = source->getGCGIDArray();
    if (!gcgids)
        fail(cs, "GCGID Array is empty");
    if (source->getGCGIDCount() <= 0)
        fail(cs, "GCGID array count is empty");
    const int first = source->getFirstChar();
    const int last = source->getLastChar();
    if (last < first)
        fail(cs, "Code point of last character is less than the code point of first character");
    // The glyph name array holds one entry per single-byte code.
    if (first < 0 || last > 255)
        failf(cs, "Code range (%d to %d) lies outside 0 to 255", first, last);
    std::string out = "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put } for\n";
    for (int c = first; c <= last; ++c) {
        if (!gcgids[c])
            continue;
        const qelAFPCharMetrics* e = metricsWithFallback(
            source, gcgids[c], "==>CS=%s, Warning! Type1 PFB Font conversion:Char Metrics is not found for GCCID %s.");
        const char* specific = e->getFontSpecificName();
        const std::string name = psName(specific ? specific : "");
        if (!name.empty())
            out += "dup " + std::to_string(c) + " /" + name + " put\n";
    }
    out += "def\n";
    return out;
}

std::string qelType1PFBBuilder::rewriteClearText(const qelIPSFontRepresentation* source,
                                                 const qelType1PFBRepresentation* font, const std::string& encoding)
{
    const char* name = getFontName();
    const std::string text(reinterpret_cast<const char*>(font->getClearTextSegment()), font->getClearTextLength());
    std::string out;
    bool skipping = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        if (end - at > kMaxLine)
            end = at + kMaxLine;
        const std::string line = text.substr(at, end - at);
        at = end;
        if (skipping) {
            if (closesArray(line)) {
                out += encoding;
                skipping = false;
            }
        } else if (startsWith(line, "/FullName")) {
            out += "/FullName (" + psString(name) + ") readonly def\n";
        } else if (startsWith(line, "/FamilyName")) {
            out += "/FamilyName (" + psString(name) + ") readonly def\n";
        } else if (startsWith(line, "/FontName")) {
            out += "/FontName /" + psName(name) + " def\n";
        } else if (startsWith(line, "/Encoding 256 array")) {
            skipping = true;
        } else if (startsWith(line, "/Encoding")) {
            out += encoding;
        } else {
            out += line;
        }
    }
    if (skipping)
        fail(charSetNameOf(source), "Encoding array of the font program does not end");
    return out;
}

qelRepresentation* qelType1PFBBuilder::build(qelRepresentation* input)
{
    qelFontRepresentation* base = dynamic_cast<qelFontRepresentation*>(input);
    const qelIPSFontRepresentation* source = dynamic_cast<const qelIPSFontRepresentation*>(input);
    if (!input)
        fail("(null)", "Input font representation is null");
    if (!base || input->getType() != qelFontRepresentation::TYPE_AFP || !source)
        fail(base && base->getName() ? base->getName() : "(null)", "Invalid input font representation");
    if (!getFontName())
        fail(charSetNameOf(source), "Font name is null");
    std::unique_ptr<qelType1PFBRepresentation> parsed(parseFontProgram(source));
    const std::string encoding = buildEncoding(source);
    const std::string clear = rewriteClearText(source, parsed.get(), encoding);
    std::unique_ptr<qelType1PFBRepresentation> result(new qelType1PFBRepresentation);
    result->setClearTextSegment(reinterpret_cast<const uint8_t*>(clear.data()), static_cast<uint32_t>(clear.size()));
    result->setBinarySegment(parsed->getBinarySegment(), parsed->getBinaryLength());
    result->setTrailerSegment(parsed->getTrailerSegment(), parsed->getTrailerLength());
    return result.release();
}
