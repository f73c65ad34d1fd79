#ifndef QEL_LRB_INI_PARSER_H
#define QEL_LRB_INI_PARSER_H

#include "qelIniParser.h"

class qelIni;

// Reads the program's own INI file into the options object: [Settings],
// [FORMDEF], AFPColorTable and the logical location sections, and on
// request one profile section.
class qelLRBIniParser : public qelIniParser
{
public:
    // Works on the options object of the global pool.
    qelLRBIniParser();
    ~qelLRBIniParser() override;

    // -1 without options object, else 0. Throws E104, E105 or E068 after
    // reporting them.
    int parse();
    // Applies the keys of one section as [Settings] keys; -1 for a null
    // name or without options object, else 0. Throws E105 when missing.
    int parseSection(const char* name);

private:
    const char* readSettings();
    const char* readFormdef();
    const char* readColorTable();
    const char* readLocation(const std::string& section, const char* typeLine);
    const char* skipSection();
    void reportFailure();

    qelIni* m_ini = nullptr;
};

#endif
