#ifndef QEL_RES_PARSER_H
#define QEL_RES_PARSER_H

#include <string>
#include <vector>

class qelAFPParser;
class qelException;
class qelIOStream;
class qelRes;

// A parser of resources that can live in files of their own: the names of
// the resource asked for, the search of its file in the path option of its
// kind, the resource path and the input's directory (directories and '@'
// logical locations), and the swap of the current input while the file is
// read. Combined with qelAFPParser by every resource parser.
class qelResParser
{
public:
    // Load from a resource library.
    enum { MODE_LIBRARY = 1 };

    qelResParser() = default;
    virtual ~qelResParser() = default;
    qelResParser(const qelResParser&) = delete;
    qelResParser& operator=(const qelResParser&) = delete;

    // The new resource (found set), or null when it cannot be found. With
    // mode 1 the file name is the name the library holds the resource under.
    virtual qelRes* parse(const char* name, int mode, const char* fileName) = 0;
    // True when the field id begins this parser's resource.
    virtual bool isResourceBegin(int id) const
    {
        (void)id;
        return false;
    }

    // Stored without surrounding blanks; null leaves it empty.
    virtual void setResourceName(const char* name);
    virtual void setFileName(const char* name);
    void setFileExtension(const char* extension);
    // Both names; the file name defaults to the resource name.
    void setNames(const char* name, const char* fileName);
    const std::string& getResourceName() const { return m_resourceName; }
    const std::string& getFileName() const { return m_fileName; }
    const std::string& getFileExtension() const { return m_fileExtension; }
    bool isFound() const { return m_found; }
    int getMode() const { return m_mode; }

    // The path of the resource file as a new text (new[]), or null.
    virtual char* findResourceFile();
    // Finds the file and makes it the current input; E058 when not found.
    void loadResourceFile();
    // Releases the resource input and makes the saved input current again.
    void closeResourceFile();

    // The entries that name an existing directory or a known logical
    // location ("@name"); warns about and drops the others. Empty when none
    // is left.
    static std::vector<std::string> validatePaths(const std::vector<std::string>& list,
                                                  const char* kindName);
    static bool isValidPath(const std::string& entry);

    // Search steps; each gives a new text (new[]) or null.
    char* findInPathList(const std::vector<std::string>& list, const char* fileName,
                         const char* extension);
    char* findWithVariants(const char* directory, const char* fileName, const char* extension);
    char* findInDirectory(const char* directory, const char* fileName, const char* extension);
    char* openLogicalLocation(const char* location, const char* fileName, const char* extension);

    // Turns an end-of-data information or warning (I001, I199) that ends a
    // resource file into an error, so that no caller takes a truncated
    // resource for a success; others are left alone.
    static void makeEndOfDataError(qelException* e);
    // Ends a parse that raised: an end of data becomes an error and is
    // written (it is not written by itself), and the exception is freed.
    static void dropParseError(qelException* e);

protected:
    // Step of every parse: stores the mode, sets the kind code (saving the
    // old one as the last kind), the extension and, in mode 1 on first use,
    // the search path list of the kind. Clears resource and names.
    void prepareSearch(int kind, int mode);
    // The structured-field side of this parser (null when it has none).
    virtual qelAFPParser* getFieldParser();

    bool m_found = false;
    int m_mode = 1;
    qelRes* m_resource = nullptr;
    qelIOStream* m_savedStream = nullptr;
    bool m_pathsPrepared = false;
    std::string m_resourceName;
    std::string m_fileExtension;
    // The options object's list for this kind, or null.
    const std::vector<std::string>* m_searchPaths = nullptr;
    std::string m_fileName;

private:
    char* findInLocalDirectory(const char* directory, const char* fileName, const char* extension);
    bool startsWithResource(const char* path);
    int kindCode();

    // The current input was made by loadResourceFile (deleted on close)
    // rather than taken from the pool's logical location readers.
    bool m_ownsStream = false;
};

#endif
