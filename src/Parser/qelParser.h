#ifndef QEL_PARSER_H
#define QEL_PARSER_H

class qelLogStream;

// Base of every input parser: the log it writes to, an optional resource
// file loader and the parser's type code.
class qelParser
{
public:
    qelParser() = default;
    virtual ~qelParser();
    qelParser(const qelParser&) = delete;
    qelParser& operator=(const qelParser&) = delete;

    // Opens the resource file a resource parser was asked for; 0 elsewhere.
    virtual int loadResourceFile() = 0;
    virtual int getParserType() = 0;

    qelLogStream* getLog() const { return m_log; }

protected:
    // The pool's log stream; not owned.
    qelLogStream* m_log = nullptr;
};

#endif
