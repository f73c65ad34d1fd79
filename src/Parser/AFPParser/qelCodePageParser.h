#ifndef QEL_CODE_PAGE_PARSER_H
#define QEL_CODE_PAGE_PARSER_H

#include "qelFontResParser.h"

#include <memory>
#include <string>

class qelCodePage;
struct qelCodePointGCGIDTable;

// Reads one AFP code page resource (Begin to End Code Page) from a file of
// its own or from the current input into a new qelCodePage: names, CPGID,
// default and space characters, use flags and one entry per code point.
// One instance per process.
class qelCodePageParser : public qelFontResParser
{
public:
    qelCodePageParser();
    ~qelCodePageParser() override;

    // The new code page (the caller owns it), or null; errors are written
    // and dropped, thrown texts passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override
    {
        return parseResource(name, mode, fileName);
    }
    qelRes* parseResource(const char* name, int mode, const char* fileName);
    bool isResourceBegin(int id) const override { return id == 0xA887; }
    int getLevel() override { return 1; }
    int getParserType() override { return 5; }
    // The search set-up of the font resource kinds, with this mode.
    void resolveResourcePath();

    // The GCGID table of the code points read by the Code Page Index fields
    // (one table per code page, filled by every index field), built only
    // with the font metric switch; the caller owns it.
    static qelCodePointGCGIDTable* newGCGIDTable();
    static void fillGCGIDTable(qelCodePointGCGIDTable* table, int codePoint, const char* gcgid);

private:
    qelCodePage* parseCodePage();
    void beginCodePage(qelCodePage* codePage);
    void codePageDescriptor(qelCodePage* codePage);
    void codePageControl(qelCodePage* codePage);
    void codePageIndex(qelCodePage* codePage);
    void endCodePage();
    void endRead(bool opened) override;

    std::unique_ptr<qelCodePointGCGIDTable> m_gcgidTable;
};

#endif
