#include "qelCurlFtpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <memory>

namespace {

// How long a transfer may go without any reply or data.
const int kIdleLimitSeconds = 60;
const long kConnectTimeoutSeconds = 30;
const long kResponseTimeoutSeconds = 60;
// One poll round.
const int kPollMs = 200;
// Bytes held for the reader before the transfer is paused.
const size_t kHoldLimit = 256 * 1024;
// A file closed before its end is read to its end and dropped when at
// most this much follows, keeping the connection; more ends the transfer.
const int64_t kDrainLimit = 1024 * 1024;

CURLM* multiOf(void* handle)
{
    return static_cast<CURLM*>(handle);
}

CURL* easyOf(void* handle)
{
    return static_cast<CURL*>(handle);
}

bool globalReady()
{
    static bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool hasLineBreak(const char* text)
{
    return std::strpbrk(text, "\r\n") != nullptr;
}

struct SlistFree
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

class Deadline
{
public:
    Deadline() { restart(); }
    void restart() { m_end = std::chrono::steady_clock::now() + std::chrono::seconds(kIdleLimitSeconds); }
    bool passed() const { return std::chrono::steady_clock::now() >= m_end; }

private:
    std::chrono::steady_clock::time_point m_end;
};

} // namespace

qelCurlFtpClient::qelCurlFtpClient() = default;

qelCurlFtpClient::~qelCurlFtpClient()
{
    closeSession();
}

void qelCurlFtpClient::fail(int code)
{
    m_lastError = code;
}

bool qelCurlFtpClient::openSession()
{
    m_lastResponse.clear();
    if (!globalReady()) {
        fail(CURLE_FAILED_INIT);
        return false;
    }
    CURLM* multi = curl_multi_init();
    if (!multi) {
        fail(CURLE_OUT_OF_MEMORY);
        return false;
    }
    closeSession();
    m_multi = multi;
    m_lastError = 0;
    return true;
}

void qelCurlFtpClient::closeSession()
{
    closeConnection();
    if (m_multi) {
        // Ends the cached control connection (QUIT).
        curl_multi_cleanup(multiOf(m_multi));
        m_multi = nullptr;
    }
}

void qelCurlFtpClient::closeConnection()
{
    closeFile();
    finishTransfer();
    if (m_easy) {
        curl_easy_cleanup(easyOf(m_easy));
        m_easy = nullptr;
    }
    // A cached connection left behind by the handle goes with it.
    if (m_multi) {
        curl_multi_cleanup(multiOf(m_multi));
        m_multi = curl_multi_init();
    }
}

std::string qelCurlFtpClient::url(const char* path) const
{
    std::string result = m_base;
    if (!path)
        return result;
    // Each part escaped, the separators kept.
    const char* p = path;
    for (;;) {
        const char* slash = std::strchr(p, '/');
        size_t n = slash ? static_cast<size_t>(slash - p) : std::strlen(p);
        if (n > 0) {
            char* part = curl_easy_escape(easyOf(m_easy), p, static_cast<int>(n));
            if (part) {
                result += part;
                curl_free(part);
            }
        }
        if (!slash)
            break;
        result += '/';
        p = slash + 1;
    }
    return result;
}

bool qelCurlFtpClient::connect(const char* host, unsigned short port, const char* user, const char* password)
{
    m_lastResponse.clear();
    if (!m_multi) {
        fail(CURLE_FAILED_INIT);
        return false;
    }
    closeConnection();
    if (!m_multi) {
        fail(CURLE_OUT_OF_MEMORY);
        return false;
    }
    if (!host || !*host || std::strpbrk(host, "/@?# \t\r\n")) {
        fail(CURLE_URL_MALFORMAT);
        return false;
    }
    CURL* easy = curl_easy_init();
    if (!easy) {
        fail(CURLE_OUT_OF_MEMORY);
        return false;
    }
    m_easy = easy;
    m_state.clear();
    bool bracket = std::strchr(host, ':') && host[0] != '[';
    m_base = std::string("ftp://") + (bracket ? "[" : "") + host + (bracket ? "]" : "") + ":" +
             std::to_string(port) + "/";
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    if (user)
        curl_easy_setopt(easy, CURLOPT_USERNAME, user);
    curl_easy_setopt(easy, CURLOPT_PASSWORD, password ? password : "");
    // Names go to the server as given, relative to its current directory.
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &qelCurlFtpClient::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &qelCurlFtpClient::onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);

    // The library connects lazily: a transfer without data logs in now.
    curl_easy_setopt(easy, CURLOPT_URL, m_base.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    if (!runToEnd()) {
        int code = m_lastError;
        curl_easy_cleanup(easy);
        m_easy = nullptr;
        fail(code);
        return false;
    }
    return true;
}

size_t qelCurlFtpClient::onHeader(char* data, size_t size, size_t count, void* self)
{
    size_t n = size * count;
    auto* client = static_cast<qelCurlFtpClient*>(self);
    client->m_progress = true;
    client->takeResponseLine(std::string(data, n));
    return n;
}

// Server replies are collected whole; a multi-line reply ends with its
// code followed by a blank. Other header lines are not replies.
void qelCurlFtpClient::takeResponseLine(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    auto codeOf = [](const std::string& text) {
        if (text.size() < 3 || !std::isdigit(static_cast<unsigned char>(text[0])) ||
            !std::isdigit(static_cast<unsigned char>(text[1])) || !std::isdigit(static_cast<unsigned char>(text[2])))
            return 0;
        if (text.size() > 3 && text[3] != ' ' && text[3] != '-')
            return 0;
        return (text[0] - '0') * 100 + (text[1] - '0') * 10 + (text[2] - '0');
    };
    int code = codeOf(line);
    if (m_partialCode) {
        m_partial += '\n';
        m_partial += line;
        if (code == m_partialCode && (line.size() == 3 || line[3] == ' ')) {
            m_replies.push_back(m_partial);
            m_partial.clear();
            m_partialCode = 0;
        }
        return;
    }
    if (!code)
        return;
    if (line.size() > 3 && line[3] == '-') {
        m_partialCode = code;
        m_partial = line;
        return;
    }
    m_replies.push_back(line);
}

size_t qelCurlFtpClient::onData(char* data, size_t size, size_t count, void* self)
{
    size_t n = size * count;
    auto* client = static_cast<qelCurlFtpClient*>(self);
    client->m_progress = true;
    if (client->m_draining) {
        client->m_drained += static_cast<int64_t>(n);
        return client->m_drained > kDrainLimit ? 0 : n;
    }
    if (client->buffered() >= kHoldLimit) {
        client->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::vector<unsigned char>& buffer = client->m_data;
    if (client->m_dataStart > 0 && client->m_dataStart >= buffer.size() / 2) {
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(client->m_dataStart));
        client->m_dataStart = 0;
    }
    buffer.insert(buffer.end(), data, data + n);
    return n;
}

void qelCurlFtpClient::beginTransfer()
{
    m_replies.clear();
    m_partial.clear();
    m_partialCode = 0;
    m_transferDone = false;
    m_transferResult = CURLE_OK;
    m_paused = false;
    CURLMcode added = curl_multi_add_handle(multiOf(m_multi), easyOf(m_easy));
    m_transferActive = added == CURLM_OK;
    if (!m_transferActive) {
        m_transferDone = true;
        m_transferResult = CURLE_FAILED_INIT;
    }
}

void qelCurlFtpClient::finishTransfer()
{
    if (m_transferActive && m_multi && m_easy)
        curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
    m_transferActive = false;
    m_paused = false;
    m_lastResponse = m_replies.empty() ? std::string() : m_replies.back();
}

bool qelCurlFtpClient::pump(int waitMs)
{
    m_progress = false;
    if (m_transferDone)
        return true;
    int running = 0;
    if (curl_multi_perform(multiOf(m_multi), &running) != CURLM_OK) {
        m_transferDone = true;
        m_transferResult = CURLE_FAILED_INIT;
        return true;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multiOf(m_multi), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
            m_transferDone = true;
            m_transferResult = message->data.result;
        }
    }
    if (m_transferDone || m_progress)
        return true;
    curl_multi_poll(multiOf(m_multi), nullptr, 0, waitMs, nullptr);
    return false;
}

bool qelCurlFtpClient::runToEnd()
{
    beginTransfer();
    Deadline idle;
    while (!m_transferDone) {
        if (pump(kPollMs))
            idle.restart();
        else if (idle.passed()) {
            m_transferDone = true;
            m_transferResult = CURLE_OPERATION_TIMEDOUT;
        }
    }
    finishTransfer();
    if (m_transferResult != CURLE_OK) {
        fail(m_transferResult);
        return false;
    }
    m_lastError = 0;
    return true;
}

// Commands run before a transfer without data; their failures do not end
// the transfer (and so keep the connection): each is judged by its reply.
bool qelCurlFtpClient::quote(const std::vector<std::string>& commands)
{
    m_lastResponse.clear();
    if (!m_easy) {
        fail(CURLE_FAILED_INIT);
        return false;
    }
    if (m_fileOpen) {
        fail(CURLE_AGAIN);
        return false;
    }
    std::unique_ptr<curl_slist, SlistFree> list;
    for (const std::string& command : commands) {
        if (hasLineBreak(command.c_str())) {
            fail(CURLE_BAD_FUNCTION_ARGUMENT);
            return false;
        }
        curl_slist* grown = curl_slist_append(list.get(), ("*" + command).c_str());
        if (!grown) {
            fail(CURLE_OUT_OF_MEMORY);
            return false;
        }
        list.release();
        list.reset(grown);
    }
    CURL* easy = easyOf(m_easy);
    curl_easy_setopt(easy, CURLOPT_URL, m_base.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_QUOTE, list.get());
    bool done = runToEnd();
    curl_easy_setopt(easy, CURLOPT_QUOTE, static_cast<curl_slist*>(nullptr));
    if (!done)
        return false;
    if (m_replies.size() < commands.size()) {
        fail(CURLE_QUOTE_ERROR);
        return false;
    }
    for (size_t i = m_replies.size() - commands.size(); i < m_replies.size(); ++i) {
        if (m_replies[i].empty() || m_replies[i][0] >= '4') {
            m_lastResponse = m_replies[i];
            fail(CURLE_QUOTE_ERROR);
            return false;
        }
    }
    return true;
}

// The server may end a connection (after a while without use, say), and
// the library then logs in again on its own: the new connection gets the
// directory changes and commands of the old one before it is used.
bool qelCurlFtpClient::restoreState()
{
    if (!m_easy || m_fileOpen) {
        fail(m_easy ? CURLE_AGAIN : CURLE_FAILED_INIT);
        return false;
    }
    // An ended connection shows at its next command; the library drops it
    // then, and the second try runs on a new one.
    if (!quote({"NOOP"}) && !quote({"NOOP"}))
        return false;
    long connects = 0;
    if (curl_easy_getinfo(easyOf(m_easy), CURLINFO_NUM_CONNECTS, &connects) != CURLE_OK || connects == 0 ||
        m_state.empty())
        return true;
    return quote(m_state);
}

bool qelCurlFtpClient::setCurrentDirectory(const char* path)
{
    if (!path) {
        fail(CURLE_BAD_FUNCTION_ARGUMENT);
        return false;
    }
    const std::string command = std::string("CWD ") + path;
    if (!restoreState() || !quote({command}))
        return false;
    m_state.push_back(command);
    return true;
}

bool qelCurlFtpClient::getCurrentDirectory(std::string& directory)
{
    directory.clear();
    if (!restoreState() || !quote({"PWD"}))
        return false;
    // 257 "name" with a quote inside the name doubled.
    const std::string& reply = m_replies.back();
    size_t open = reply.find('"');
    if (reply.compare(0, 3, "257") != 0 || open == std::string::npos) {
        fail(CURLE_QUOTE_ERROR);
        return false;
    }
    for (size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 < reply.size() && reply[i + 1] == '"') {
                directory += '"';
                ++i;
                continue;
            }
            return true;
        }
        directory += reply[i];
    }
    directory.clear();
    fail(CURLE_QUOTE_ERROR);
    return false;
}

bool qelCurlFtpClient::command(const char* text)
{
    if (!text) {
        fail(CURLE_BAD_FUNCTION_ARGUMENT);
        return false;
    }
    if (!restoreState() || !quote({text}))
        return false;
    m_state.emplace_back(text);
    return true;
}

bool qelCurlFtpClient::openFile(const char* name, int64_t& size)
{
    size = -1;
    m_lastResponse.clear();
    if (!m_easy) {
        fail(CURLE_FAILED_INIT);
        return false;
    }
    if (!name || !*name || hasLineBreak(name)) {
        fail(CURLE_URL_MALFORMAT);
        return false;
    }
    closeFile();
    if (!restoreState())
        return false;
    std::string target = url(name);
    CURL* easy = easyOf(m_easy);
    curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    m_data.clear();
    m_dataStart = 0;
    m_draining = false;
    m_drained = 0;
    beginTransfer();
    // Open once the first bytes came or the (maybe empty) file ended.
    Deadline idle;
    while (!m_transferDone && buffered() == 0 && !m_paused) {
        if (pump(kPollMs))
            idle.restart();
        else if (idle.passed()) {
            m_transferDone = true;
            m_transferResult = CURLE_OPERATION_TIMEDOUT;
        }
    }
    if (m_transferDone && m_transferResult != CURLE_OK) {
        finishTransfer();
        fail(m_transferResult);
        return false;
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK || length < 0)
        length = -1;
    size = static_cast<int64_t>(length);
    m_lastResponse = m_replies.empty() ? std::string() : m_replies.back();
    m_fileOpen = true;
    m_lastError = 0;
    return true;
}

bool qelCurlFtpClient::read(unsigned char* buffer, int count, int& got)
{
    got = 0;
    if (!m_fileOpen || !buffer || count < 0) {
        fail(CURLE_BAD_FUNCTION_ARGUMENT);
        return false;
    }
    Deadline idle;
    while (buffered() < static_cast<size_t>(count) && !m_transferDone) {
        if (m_paused) {
            m_paused = false;
            curl_easy_pause(easyOf(m_easy), CURLPAUSE_CONT);
            idle.restart();
            continue;
        }
        if (pump(kPollMs))
            idle.restart();
        else if (idle.passed()) {
            m_transferDone = true;
            m_transferResult = CURLE_OPERATION_TIMEDOUT;
        }
    }
    size_t n = std::min(buffered(), static_cast<size_t>(count));
    if (n > 0) {
        std::memcpy(buffer, m_data.data() + m_dataStart, n);
        m_dataStart += n;
        got = static_cast<int>(n);
    } else if (m_transferResult != CURLE_OK) {
        m_lastResponse = m_replies.empty() ? std::string() : m_replies.back();
        fail(m_transferResult);
        return false;
    }
    m_lastError = 0;
    return true;
}

bool qelCurlFtpClient::closeFile()
{
    if (!m_fileOpen)
        return true;
    if (!m_transferDone) {
        // Reading on to the end keeps the connection for the next file.
        m_draining = true;
        m_drained = 0;
        m_data.clear();
        m_dataStart = 0;
        Deadline idle;
        while (!m_transferDone && m_drained <= kDrainLimit) {
            if (m_paused) {
                m_paused = false;
                curl_easy_pause(easyOf(m_easy), CURLPAUSE_CONT);
            }
            if (pump(kPollMs))
                idle.restart();
            else if (idle.passed())
                break;
        }
        m_draining = false;
    }
    finishTransfer();
    m_fileOpen = false;
    m_data.clear();
    m_dataStart = 0;
    m_lastError = 0;
    return true;
}
