#ifndef QEL_RES_PARSER_H
#define QEL_RES_PARSER_H

class qelRes;

// A parser of resources that can live in files of their own. Minimal form:
// the interface the document model calls; the resource parsers implement it.
class qelResParser
{
public:
    // Load from a resource library.
    enum { MODE_LIBRARY = 1 };

    virtual ~qelResParser() = default;
    // The new resource (found set), or null when it cannot be found. With
    // mode 1 the file name is the name the library holds the resource under.
    virtual qelRes* parse(const char* name, int mode, const char* fileName) = 0;
    virtual void setResourceName(const char* name) = 0;
    virtual void setFileName(const char* name) = 0;
    // The path of the resource file as a new text (new[]), or null.
    virtual char* findResourceFile() = 0;
};

// The parser of font character sets.
class qelCharSetParser : public qelResParser
{
public:
    // Sets the font search paths on first use.
    virtual void initSearchPaths() = 0;
};

#endif
