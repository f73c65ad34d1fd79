#ifndef QEL_INI_PARSER_H
#define QEL_INI_PARSER_H

#include <cstdio>
#include <string>

class qelList;
class qelString;

// Finds and opens an INI-style file, reads its lines, finds sections and
// reads single values. Lines hold at most 1023 characters.
class qelIniParser
{
public:
    enum { MAX_LINE = 1023 };

    // Directory and file name from the options object.
    qelIniParser();
    virtual ~qelIniParser();
    qelIniParser(const qelIniParser&) = delete;
    qelIniParser& operator=(const qelIniParser&) = delete;

    // Opens directory + file name, else the name in the current directory;
    // 0 when open. Throws E104 when neither opens.
    virtual int openFile();
    virtual int getParserType() const { return 1; }

    // Stores a copy ending with '/'; null clears.
    void setPath(const char* directory);
    // The part after the last '/' (backslashes count as '/') becomes the
    // file name, a directory part the directory.
    void setFileName(const char* name);
    const char* getPath() const;
    const char* getFileName() const;
    const char* getCurrentLine() const { return m_currentLine; }

    // The next line that does not begin with ';', trimmed; null at the end
    // of the file. Throws E068 on a read error.
    const char* readNextLine();
    // Positions the file after the section line. Throws E105 when the
    // section is missing; false when no file is open.
    bool gotoSection(const char* name);
    // The value of the section's key line up to the first ',', trimmed, as
    // a new text (delete[]); null when section, key or value is missing.
    char* getValue(const char* section, const char* key);
    // Every ','-separated field of the key line's value, trimmed, as a new
    // list owning new texts; null when section or key is missing.
    qelList* getValues(const char* section, const char* key);
    void closeFile();

    static bool hasWhiteSpace(const char* text);

protected:
    FILE* getFile() const { return m_file; }
    // Reads one line (without its end) into line; false at the end.
    bool readLine(std::string& line);
    // The value line of a key in the section, or false.
    bool findKeyLine(const char* section, const char* key, std::string& line);

private:
    FILE* m_file = nullptr;
    qelString* m_fileName = nullptr;
    qelString* m_directory = nullptr;
    char* m_currentLine = nullptr;
};

#endif
