#ifndef QEL_AFP_DOCUMENT_INDEX_PARSER_H
#define QEL_AFP_DOCUMENT_INDEX_PARSER_H

#include "qelAFPParser.h"

#include <string>

class qelSFIBlock;

// Reads a document index (Begin to End Document Index) into index sets of
// the process-wide index list: one set per Index Element, with the values
// of the Tag Logical Elements that name it or follow it.
class qelAFPDocumentIndexParser : public qelAFPParser
{
public:
    qelAFPDocumentIndexParser() = default;

    int getParserType() override { return 7; }

    // Makes the file the current input (null keeps the current input),
    // reads its first field and parses; the result of parse.
    int parseFile(const char* path);
    // From the current field on: 0 once a Begin Document Index was read,
    // -1 otherwise.
    int parse();
    int parse(qelSFIBlock* field);

    void beginDocumentIndex();
    void endDocumentIndex();
    void indexElement();
    void tagLogicalElement();
};

#endif
