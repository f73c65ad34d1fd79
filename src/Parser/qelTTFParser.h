#ifndef QEL_TTF_PARSER_H
#define QEL_TTF_PARSER_H

#include "qelFontParser.h"

#include <cstdint>

class qelTTFRepresentation;
struct qelTTFHeadTable;
struct qelTTFHheaTable;
struct qelTTFMaxpTable;
struct qelTTFOS2Table;
struct qelTTFPostTable;
struct qelTTFTableDirectory;
struct qelTTFVheaTable;

// Reads a TrueType or OpenType file into a qelTTFRepresentation: names,
// style flags, the OS/2, head and post tables and, with the convert flag,
// hhea, maxp, vhea and the widths of codes 0..255 of the Macintosh Roman
// character map. Errors are E120; a damaged file never reads out of bounds.
class qelTTFParser : public qelFontParser
{
public:
    qelTTFParser() = default;
    ~qelTTFParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 38; }
    qelFontRepresentation* parse(const char* fileName) override;
    qelFontRepresentation* parseStream(qelIOStream* stream) override;

    // Length of the name copied (and terminated) into the buffer, 0 when no
    // record matches. languageID 0xFFFF matches every language. Windows
    // names are decoded from UTF-16: to ASCII for the PostScript name (ID
    // 6), to Latin-1 with '?' for other characters otherwise.
    int getValueFromNameTable(char* buffer, int bufferSize, uint16_t platformID, uint16_t encodingID,
                              uint16_t languageID, uint16_t nameID);
    int getNameString(char* buffer, int bufferSize, uint16_t nameID);
    qelTTFRepresentation* readFont();

    qelTTFTableDirectory* readTableDirectory();
    qelTTFOS2Table* readOS2Table();
    qelTTFHeadTable* readHeadTable();
    qelTTFMaxpTable* readMaxpTable();
    qelTTFHheaTable* readHheaTable();
    qelTTFVheaTable* readVheaTable();
    qelTTFPostTable* readPostTable();
    void buildWidthTable();

private:
    bool logAll() const;
    bool logWarnings() const;
    void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void logDirectory() const;
    void logOS2(const qelTTFOS2Table* t) const;
    void logHead(const qelTTFHeadTable* t) const;
    void logPost(const qelTTFPostTable* t) const;

    qelTTFRepresentation* m_representation = nullptr;
    qelTTFTableDirectory* m_directory = nullptr;
    qelIOStream* m_stream = nullptr;
};

#endif
