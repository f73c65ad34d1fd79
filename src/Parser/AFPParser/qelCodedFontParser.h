#ifndef QEL_CODED_FONT_PARSER_H
#define QEL_CODED_FONT_PARSER_H

#include "qelFontResParser.h"

class qelAFPFont;

// Reads one AFP coded font (Begin to End Coded Font) from a file of its own
// or from the current input into a new qelAFPFont that names its character
// set, its code page and, when given, its size. One instance per process.
class qelCodedFontParser : public qelFontResParser
{
public:
    qelCodedFontParser();
    ~qelCodedFontParser() override;

    // The new font (the caller owns it), or null; errors are written and
    // dropped, thrown texts passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override
    {
        return parseResource(name, mode, fileName);
    }
    qelRes* parseResource(const char* name, int mode, const char* fileName);
    bool isResourceBegin(int id) const override { return id == 0xA88A; }
    int getLevel() override { return 1; }
    int getParserType() override { return 5; }
    // The search set-up of the font resource kinds, with this mode.
    void resolveResourcePath();

private:
    qelAFPFont* parseCodedFont();
    void beginCodedFont(qelAFPFont* font);
    void codedFontControl();
    void codedFontIndex(qelAFPFont* font);
    void endCodedFont();

};

#endif
