#ifndef QEL_FONT_RES_PARSER_H
#define QEL_FONT_RES_PARSER_H

#include "qelAFPParser.h"
#include "qelException.h"
#include "qelResParser.h"

#include <memory>

// The steps the character set, coded font and code page parsers share: the
// search set-up of their kind with the level-5 field log flag, and the read
// of one resource from a library file (mode 1) or the current input.
class qelFontResParser : public qelAFPParser, public qelResParser
{
protected:
    // Search set-up of the kind with the parse's mode; reads the log flag.
    void prepareFontSearch(int kind);
    // Runs read() on the resource's input: the library file in mode 1,
    // else the current input, which is current again afterwards on every
    // path. Coded errors are written and dropped and give null; other
    // throws are passed on.
    template <class Read>
    qelRes* readResource(Read read)
    {
        std::unique_ptr<qelRes> resource;
        bool opened = false;
        try {
            if (m_mode == MODE_LIBRARY) {
                qelResParser::loadResourceFile();
                opened = true;
            }
            resource.reset(read());
        } catch (qelException* e) {
            dropParseError(e);
            resource.reset();
        } catch (...) {
            resource.reset();
            endRead(opened);
            throw;
        }
        endRead(opened);
        m_resource = resource.get();
        return resource.release();
    }
    // End of every read; closes the library file when one was opened.
    virtual void endRead(bool opened);

    bool m_log = false;
};

#endif
