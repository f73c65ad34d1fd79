#ifndef QEL_FTP_CLIENT_H
#define QEL_FTP_CLIENT_H

#include <cstdint>
#include <string>

// FTP client of an FTP location. A session holds the one control
// connection of the client; every transfer (commands, directory changes,
// files) runs over it, so a location logs in once and reads all its files
// on that connection. When the server ends it, the next call logs in again
// and repeats the accepted directory changes and commands first. Remote
// names are taken relative to the server's current directory. Every call
// returns false on failure and leaves lastError and lastResponse describing
// it; nothing is thrown. The client comes from the FTP module
// (qelLorbane::createFtpClient).
class qelFtpClient
{
public:
    virtual ~qelFtpClient() = default;

    // A new session; an old one is closed first, with its connection.
    virtual bool openSession() = 0;
    // Closes the connection and the session.
    virtual void closeSession() = 0;
    virtual bool hasSession() const = 0;

    // Connects and logs in at once; an old connection is closed first.
    virtual bool connect(const char* host, unsigned short port, const char* user, const char* password) = 0;
    // Closes the open file and the connection; the session stays.
    virtual void closeConnection() = 0;
    virtual bool isConnected() const = 0;

    virtual bool setCurrentDirectory(const char* path) = 0;
    virtual bool getCurrentDirectory(std::string& directory) = 0;
    // Sends a raw command; true when the server accepted it.
    virtual bool command(const char* text) = 0;

    // Starts reading a remote file; size is -1 when the server cannot tell.
    virtual bool openFile(const char* name, int64_t& size) = 0;
    // Waits for count bytes or the end of the file; got 0 means the end.
    virtual bool read(unsigned char* buffer, int count, int& got) = 0;
    virtual bool closeFile() = 0;
    virtual bool hasOpenFile() const = 0;

    // Code of the last failed call (0 after a success).
    virtual int lastError() const = 0;
    // The server's last reply, lines joined by '\n' (empty when none came).
    virtual const std::string& lastResponse() const = 0;
};

#endif
