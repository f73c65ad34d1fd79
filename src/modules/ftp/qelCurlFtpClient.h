#ifndef QEL_CURL_FTP_CLIENT_H
#define QEL_CURL_FTP_CLIENT_H

#include "qelFtpClient.h"

#include <cstdint>
#include <string>
#include <vector>

// FTP client over libcurl, one connection per location.
class qelCurlFtpClient : public qelFtpClient
{
public:
    qelCurlFtpClient();
    ~qelCurlFtpClient() override;
    qelCurlFtpClient(const qelCurlFtpClient&) = delete;
    qelCurlFtpClient& operator=(const qelCurlFtpClient&) = delete;

    bool openSession() override;
    void closeSession() override;
    bool hasSession() const override { return m_multi != nullptr; }

    bool connect(const char* host, unsigned short port, const char* user, const char* password) override;
    void closeConnection() override;
    bool isConnected() const override { return m_easy != nullptr; }

    bool setCurrentDirectory(const char* path) override;
    bool getCurrentDirectory(std::string& directory) override;
    bool command(const char* text) override;

    bool openFile(const char* name, int64_t& size) override;
    bool read(unsigned char* buffer, int count, int& got) override;
    bool closeFile() override;
    bool hasOpenFile() const override { return m_fileOpen; }

    int lastError() const override { return m_lastError; }
    const std::string& lastResponse() const override { return m_lastResponse; }

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
