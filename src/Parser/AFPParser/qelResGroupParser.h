#ifndef QEL_RES_GROUP_PARSER_H
#define QEL_RES_GROUP_PARSER_H

#include "qelAFPParser.h"

#include <string>

class qelIOStream;
class qelRes;

// Reads a resource group (Begin to End Resource Group), inline or from a
// file of its own, and files every resource in it in the global resource
// list: at spool level when read from the print file, else at process
// level. Inline resources can be copied into a cache directory.
class qelResGroupParser : public qelAFPParser
{
public:
    qelResGroupParser();
    ~qelResGroupParser() override;

    int getParserType() override { return 6; }

    // Reads the group whose Begin Resource Group was just read; nothing
    // without a field.
    void parse(qelParser* caller, qelSFIBlock* begin);
    // Reads the group file (or the current input when path is null).
    void parseFile(const char* path);

    bool isReadingFont() const { return m_readingFont; }
    void setReadingFont(bool on) { m_readingFont = on; }
    void setDumpDirectory(const char* directory) { m_dumpDirectory = directory ? directory : ""; }
    const std::string& getDumpDirectory() const { return m_dumpDirectory; }
    // Ends the dumps of an input: closes the dump stream and forgets the
    // directory, whose path is returned (empty when there is none).
    std::string releaseDumpDirectory();

    // A file name for a resource name that stays inside the dump directory:
    // path separators and ".." replaced, "RESOURCE" for an empty name.
    static std::string safeDumpName(const std::string& name);

private:
    void beginResourceGroup();
    void endResourceGroup();
    void parseResource(qelSFIBlock* begin);
    void parseResource(int type);
    void beginResource();
    void endResource();
    void chkAndCreateResDumper();
    int dumpResource(int type);
    int closeDumpFile();
    void parseImageResource();
    void registerResource(qelRes* resource, bool named);
    void skipUnsupported(int type);
    // The name bytes without moving the read position.
    std::string peekName();

    int m_resourceType = 0;
    std::string m_resourceName;
    bool m_readingFont = false;
    qelIOStream* m_dumpStream = nullptr;
    std::string m_dumpDirectory;
    std::string m_dumpFile;
};

#endif
