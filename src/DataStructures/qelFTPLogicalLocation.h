#ifndef QEL_FTP_LOGICAL_LOCATION_H
#define QEL_FTP_LOGICAL_LOCATION_H

#include "qelLogicalLocation.h"

#include <string>
#include <vector>

// A location on an FTP server: host, port, login, start directory and the
// commands sent after connecting.
class qelFTPLogicalLocation : public qelLogicalLocation
{
public:
    qelFTPLogicalLocation();
    ~qelFTPLogicalLocation() override;

    int getKind() const override { return QEL_LOCATION_FTP; }
    char* describe() override;

    // Both drop surrounding double quotes; nothing left gives an empty text.
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
    // Null until a command was added.
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

#endif
