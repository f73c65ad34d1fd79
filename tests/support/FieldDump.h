#ifndef FIELD_DUMP_H
#define FIELD_DUMP_H

// The structured fields of a byte sequence as the reader core reads them
// (qelIOStream::readSFI returns every field, No Operation fields and
// unknown ones included), one text line per field.
#include "qelAFPParser.h"
#include "qelException.h"
#include "qelIOStream.h"
#include "qelMessageIds.h"
#include "qelSFIBlock.h"

#include <cstdio>
#include <string>
#include <vector>

namespace lrbtest
{

struct DumpedField
{
    int offset = 0;
    bool with5A = false;
    int id = 0; // the two bytes after X'D3'
    int length = 0;
    std::vector<unsigned char> data;
};

struct FieldDump
{
    std::vector<DumpedField> fields;
    // The texts of what the reader raised other than the end of the data
    // (W060, W062 and the like).
    std::vector<std::string> problems;

    // "offset 5A|-- D3xxxx name length data" per field.
    std::string text() const
    {
        std::string out;
        for (const DumpedField& f : fields) {
            char head[160];
            std::snprintf(head, sizeof head, "%08X %s D3%04X %-36s %04X ", static_cast<unsigned>(f.offset),
                          f.with5A ? "5A" : "--", static_cast<unsigned>(f.id),
                          qelAFPParser::getSFTypeName(f.id), static_cast<unsigned>(f.length));
            out += head;
            for (unsigned char b : f.data) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", b);
                out += hex;
            }
            out += "\n";
        }
        return out;
    }
};

inline FieldDump dumpFields(const std::vector<unsigned char>& bytes)
{
    FieldDump dump;
    if (bytes.empty())
        return dump;
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.rewind();
    for (;;) {
        try {
            qelSFIBlock* f = input.readSFI();
            DumpedField d;
            d.offset = f->getOffset();
            d.with5A = f->hasCarriageControl();
            d.id = f->getId();
            d.length = f->getLength();
            const int n = f->getDataSize();
            if (n > 0)
                d.data.assign(f->getData(), f->getData() + n);
            dump.fields.push_back(d);
        } catch (qelException* e) {
            const bool end = e->getKind() == QEL_MSG_INFO;
            const bool unknownField = e->getKind() == QEL_MSG_WARNING && e->getId() == qelMsg::W060;
            if (!end)
                dump.problems.emplace_back(e->getText());
            delete e;
            // An unknown field has been read whole; anything else ends it.
            if (!unknownField)
                break;
        }
    }
    return dump;
}

} // namespace lrbtest

#endif
