#ifndef QEL_LOGICAL_LOCATION_H
#define QEL_LOGICAL_LOCATION_H

#include <string>
#include <vector>

enum qelLocationKind { QEL_LOCATION_FTP = 3, QEL_LOCATION_DIR = 4 };

// A named input location from the INI file, referred to as '@' + name.
class qelLogicalLocation
{
public:
    qelLogicalLocation();
    virtual ~qelLogicalLocation();
    qelLogicalLocation(const qelLogicalLocation&) = delete;
    qelLogicalLocation& operator=(const qelLogicalLocation&) = delete;

    // Setters store a copy; null clears. Getters return null when unset.
    virtual void setUserName(const char* name);
    virtual void setPassword(const char* password);
    virtual const char* getUserName() const;
    virtual const char* getPassword() const;
    virtual int getKind() const = 0;
    // A new text (the caller frees it with delete[]), ending with CR LF; the
    // same text without the line break becomes the stored description.
    virtual char* describe() = 0;

    void setName(const char* name);
    const char* getName() const;
    void setDescription(const char* text);
    // The stored description, built on first use.
    const char* getDescription();

protected:
    // Stores text as the description and returns a copy with CR LF.
    char* storeDescription(const std::string& text);

private:
    char* m_description = nullptr;
    char* m_name = nullptr;
    char* m_userName = nullptr;
    char* m_password = nullptr;
};

class qelFTPLogicalLocation : public qelLogicalLocation
{
public:
    qelFTPLogicalLocation();
    ~qelFTPLogicalLocation() override;

    int getKind() const override { return QEL_LOCATION_FTP; }
    char* describe() override;

    // Both drop surrounding double quotes.
    void setHostName(const char* host);
    void setStartDir(const char* dir);
    void setFileName(const char* name);
    void setPort(unsigned short port) { m_port = port; }
    // Appends a copy; null is ignored.
    void addInitialCommand(const char* command);

    const char* getHostName() const { return m_hostName; }
    const char* getStartDir() const { return m_startDir; }
    const char* getFileName() const { return m_fileName; }
    unsigned short getPort() const { return m_port; }
    const std::vector<std::string>* getInitialCommands() const
    {
        return m_hasCommands ? &m_initialCommands : nullptr;
    }

private:
    char* m_hostName = nullptr;
    char* m_startDir = nullptr;
    char* m_fileName = nullptr;
    unsigned short m_port = 21;
    bool m_hasCommands = false;
    std::vector<std::string> m_initialCommands;
};

class qelDIRLogicalLocation : public qelLogicalLocation
{
public:
    qelDIRLogicalLocation();
    ~qelDIRLogicalLocation() override;

    int getKind() const override { return QEL_LOCATION_DIR; }
    char* describe() override;

    void setFileCount(int count) { m_fileCount = count; }
    int getFileCount() const { return m_fileCount; }
    void setDirectoryName(const char* name);
    const char* getDirectoryName() const { return m_directoryName; }
    void setPathSuffixPattern(const char* pattern);
    const char* getPathSuffixPattern() const { return m_pathSuffixPattern; }

private:
    int m_fileCount = -1;
    char* m_directoryName = nullptr;
    char* m_pathSuffixPattern = nullptr;
};

#endif
