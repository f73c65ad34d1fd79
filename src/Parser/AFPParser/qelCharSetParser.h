#ifndef QEL_CHAR_SET_PARSER_H
#define QEL_CHAR_SET_PARSER_H

#include "qelFontResParser.h"

class qelAFPFont;

// Reads one AFP font character set (Begin to End Font) from a file of its
// own or from the current input into a new qelAFPFont, through the
// character set reader. One instance per process.
class qelCharSetParser : public qelFontResParser
{
public:
    qelCharSetParser();
    ~qelCharSetParser() override;

    // The new font (the caller owns it), or null; errors are written and
    // dropped, thrown texts passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    bool isResourceBegin(int id) const override { return id == 0xA889; }
    int getLevel() override { return 1; }
    int getParserType() override { return 5; }
    // The search set-up of the font resource kinds, with this mode.
    virtual void initSearchPaths();

    // Width tables per listed rotation from the character metrics of an
    // AFP representation (at most 1024 entries), kept by the font and
    // handed to the font metric cache; nothing without such metrics.
    static void buildWidthTables(qelAFPFont* font);

private:
    qelAFPFont* parseCharacterSet();

};

#endif
