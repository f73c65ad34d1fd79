#ifndef QEL_FTP_STREAM_H
#define QEL_FTP_STREAM_H

#include "qelStream.h"

#include <cstdint>
#include <memory>
#include <string>

class qelFtpClient;
class qelLogStream;

// Byte stream over the remote files of an FTP location. The stream logs in
// when it is created and keeps that connection while it opens and reads one
// remote file after the other; a file is read in windows of 32768 bytes.
// Every client call writes a trace line to the log when its mask has 0x80.
class qelFTPStream : public qelStream
{
public:
    enum { WINDOW_SIZE = 32768, LOOK_BEHIND = 16 };

    // Connects and logs in at once: E190 or E191 when that fails.
    qelFTPStream(const char* host, const char* user, const char* password, unsigned short port);
    ~qelFTPStream() override;

    int getType() override { return QEL_STREAM_FTP; }
    int getChar() override;
    // Moves within the current window and the last bytes of the one before
    // it (E037 further back); a target ahead is reached by reading on.
    void seek(int position) override;
    // -1 while the server did not tell the size of the file.
    int getSize() override;
    const char* getName() override { return m_name; }
    void setName(const char* text) override;
    void checkBeginning() override;
    // Opens the remote file named by attribute 13 (E192, logged, not
    // printed, when it cannot be opened) and starts at its first byte.
    void open() override;
    // Connects again.
    int computeSize() override;
    void close() override;
    void setMode(unsigned char flag) override { m_mode = flag; }
    unsigned char getMode() override { return m_mode; }
    void write(const unsigned char*, int) override {}
    void flushData() override {}
    void readAll() override {}
    void setData(const unsigned char*, int) override {}
    void reservedA() override {}
    // 12 changes the remote directory, 13 names the remote file, 16 sends
    // a raw command.
    void setAttribute(int kind, const char* text) override;
    int reservedB() override { return 0; }
    // 12 the server's current directory, 13 the remote file name, 17 the
    // host name.
    int getAttribute(int kind, char* text, int size) override;

    // Reads the next window of the remote file; I001 at its end.
    void fillBuffer();
    bool isSizeUnknown() const { return m_unknownSize != 0; }

    // Client operations. connect raises E190/E191; openFile E192; the
    // others report by their result.
    int connect();
    void disconnect();
    int openFile();
    int closeFile();
    // -1 for a null path or a refusal.
    int setCurrentDirectory(const char* path);
    // Empty when the server did not tell.
    std::string getCurrentDirectory();
    // 1 accepted, 0 refused, -1 for a null text or without a connection.
    int command(const char* text);
    void setFileName(const char* name);
    // Null while none is set.
    const char* getFileName() const { return m_hasFileName ? m_fileName.c_str() : nullptr; }
    int64_t getFileSize() const { return m_fileSize; }
    const char* getHostName() const { return m_host.c_str(); }

protected:
    int copyAvailable(unsigned char* dst, int n) override;

private:
    static qelLogStream* traceLog();
    // Writes one trace line and returns it as the reason of an error; the
    // server's reply follows a failed call. Empty without the log bit.
    std::string trace(bool failed, const char* format, ...) __attribute__((format(printf, 3, 4)));
    int errorCode(bool ok) const;
    const char* nameOr(const char* fallback) const { return m_name ? m_name : fallback; }
    const char* fileNameOr(const char* fallback) const { return m_hasFileName ? m_fileName.c_str() : fallback; }
    // Moves the position by count bytes (the length follows it while the
    // size is unknown).
    void advance(int count);
    void setPositionTo(int position);
    void dropWindow();

    std::unique_ptr<qelFtpClient> m_client;
    unsigned char m_unknownSize = 0;
    // The window: up to LOOK_BEHIND bytes kept from the one before, then
    // the bytes of the last read. m_windowBase is the file offset of its
    // first byte.
    std::unique_ptr<unsigned char[]> m_window;
    int m_windowLength = 0;
    int m_windowPos = 0;
    int m_windowBase = 0;

    std::string m_host;
    std::string m_user;
    std::string m_password;
    unsigned short m_port = 21;
    std::string m_fileName;
    bool m_hasFileName = false;
    int64_t m_fileSize = 0;
};

#endif
