#ifndef QEL_FTP_CLIENT_H
#define QEL_FTP_CLIENT_H

#include <cstdint>
#include <string>
#include <vector>

// FTP client over libcurl. A session holds the one control connection of
// the client; every transfer (commands, directory changes, files) runs over
// it, so a location logs in once and reads all its files on that
// connection. When the server ends it, the next call logs in again and
// repeats the accepted directory changes and commands first. Remote names are taken relative to the server's current
// directory. Every call returns false on failure and leaves lastError and
// lastResponse describing it; nothing is thrown.
class qelFtpClient
{
public:
    qelFtpClient();
    ~qelFtpClient();
    qelFtpClient(const qelFtpClient&) = delete;
    qelFtpClient& operator=(const qelFtpClient&) = delete;

    // A new session; an old one is closed first, with its connection.
    bool openSession();
    // Closes the connection and the session.
    void closeSession();
    bool hasSession() const { return m_multi != nullptr; }

    // Connects and logs in at once; an old connection is closed first.
    bool connect(const char* host, unsigned short port, const char* user, const char* password);
    // Closes the open file and the connection; the session stays.
    void closeConnection();
    bool isConnected() const { return m_easy != nullptr; }

    bool setCurrentDirectory(const char* path);
    bool getCurrentDirectory(std::string& directory);
    // Sends a raw command; true when the server accepted it.
    bool command(const char* text);

    // Starts reading a remote file; size is -1 when the server cannot tell.
    bool openFile(const char* name, int64_t& size);
    // Waits for count bytes or the end of the file; got 0 means the end.
    bool read(unsigned char* buffer, int count, int& got);
    bool closeFile();
    bool hasOpenFile() const { return m_fileOpen; }

    // Code of the last failed call (0 after a success).
    int lastError() const { return m_lastError; }
    // The server's last reply, lines joined by '\n' (empty when none came).
    const std::string& lastResponse() const { return m_lastResponse; }

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onData(char* data, size_t size, size_t count, void* self);
    void takeResponseLine(std::string line);
    void beginTransfer();
    // Runs a transfer without data to its end.
    bool runToEnd();
    // Runs the transfer until something happens or the wait ends.
    bool pump(int waitMs);
    bool quote(const std::vector<std::string>& commands);
    // Gives a connection the library made anew the state of the old one.
    bool restoreState();
    void finishTransfer();
    std::string url(const char* path) const;
    void fail(int code);
    size_t buffered() const { return m_data.size() - m_dataStart; }

    void* m_multi = nullptr;
    void* m_easy = nullptr;
    std::string m_base;
    bool m_fileOpen = false;
    bool m_transferActive = false;
    bool m_transferDone = false;
    int m_transferResult = 0;
    bool m_paused = false;
    // Bytes received and not yet read; once the file is being closed,
    // received bytes are dropped and counted.
    std::vector<unsigned char> m_data;
    size_t m_dataStart = 0;
    bool m_draining = false;
    int64_t m_drained = 0;
    bool m_progress = false;
    // Directory changes and commands the server accepted, in order.
    std::vector<std::string> m_state;
    std::vector<std::string> m_replies;
    std::string m_partial;
    int m_partialCode = 0;
    int m_lastError = 0;
    std::string m_lastResponse;
};

#endif
