#ifndef QEL_MFM_PARSER_H
#define QEL_MFM_PARSER_H

#include "qelParser.h"

#include <cstdio>

class qelMFMFile;
class qelString;

// Reads an MFM metrics file into a record.
class qelMFMParser : public qelParser
{
public:
    qelMFMParser();
    ~qelMFMParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 3; }

    // 0, or -1 no name, -2 no path, -3 no file found, -4 the file does not
    // open. Tries the name with its second character "0" and "1".
    int openFile(const char* characterSetName);
    // A new record, or null for no name, DEFAULT, no file, an entry count
    // below 1 or a file shorter than its entries. Throws E073 on a read
    // error.
    qelMFMFile* parse(const char* characterSetName);
    // 0, or -1 when nothing was open.
    int close();

private:
    // Closes, frees the record and throws E073.
    [[noreturn]] void failRead(qelMFMFile* record, int error);

    unsigned char m_open = 0;
    FILE* m_file = nullptr;
    qelString* m_path = nullptr;
};

#endif
