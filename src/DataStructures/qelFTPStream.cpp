#include "qelFTPStream.h"

#include "qelException.h"
#include "qelFtpClient.h"
#include "qelGlobalDSPool.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

const int kIntMax = std::numeric_limits<int>::max();
// Trace lines are cut to this many bytes with the terminator, the server's
// reply in them to its own limit.
const size_t kTraceArea = 1024;
const size_t kReplyArea = 512;

const char* textOr(const std::string& text)
{
    return text.c_str();
}

} // namespace

qelFTPStream::qelFTPStream(const char* host, const char* user, const char* password, unsigned short port)
{
    // The client comes from the FTP module: E190 with the reason when it
    // cannot be loaded.
    std::string reason;
    m_client.reset(qelLorbane::createFtpClient(reason));
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E190, 0, true, reason.c_str());
    m_host = host ? host : "";
    m_user = user ? user : "";
    m_password = password ? password : "";
    m_port = port;
    connect();
    m_atEnd = 1;
    m_mode = 0;
}

qelFTPStream::~qelFTPStream()
{
    dropWindow();
    disconnect();
}

qelLogStream* qelFTPStream::traceLog()
{
    // A stream that outlives the pool writes no trace and makes no new pool.
    if (!qelGlobalDSPool::exists())
        return nullptr;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(QEL_LOG_LEVEL8) ? log : nullptr;
}

std::string qelFTPStream::trace(bool failed, const char* format, ...)
{
    qelLogStream* log = traceLog();
    if (!log)
        return std::string();
    char area[kTraceArea];
    va_list args;
    va_start(args, format);
    std::vsnprintf(area, sizeof area, format, args);
    va_end(args);
    std::string line = area;
    if (failed && m_client) {
        std::string reply = m_client->lastResponse().substr(0, kReplyArea - 1);
        if (!reply.empty())
            line += "\nErrorMsg:\n" + reply;
    }
    if (line.size() > kTraceArea - 1)
        line.resize(kTraceArea - 1);
    log->printLine("%s", line.c_str());
    return line;
}

int qelFTPStream::errorCode(bool ok) const
{
    return ok || !m_client ? 0 : m_client->lastError();
}

int qelFTPStream::connect()
{
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    bool hadSession = m_client->hasSession();
    bool hadConnection = m_client->isConnected();
    // A new session replaces the old one, and its connection with it.
    bool ok = m_client->openSession();
    std::string reason = trace(!ok, "InternetOpen()=>ErrorCode:%d ", errorCode(ok));
    if (!ok)
        throw new qelException(__FILE__, __LINE__, qelMsg::E190, 0, true, reason.c_str());
    if (hadSession)
        trace(false, "InternetCloseHandle()=>For Session ErrorCode:%d ", 0);

    ok = m_client->connect(m_host.c_str(), m_port, m_user.c_str(), m_password.c_str());
    reason = trace(!ok, "InternetConnect()=>Host:%s Port:%d UserName:%s ErrorCode:%d ", textOr(m_host),
                   static_cast<int>(m_port), textOr(m_user), errorCode(ok));
    if (!ok)
        throw new qelException(__FILE__, __LINE__, qelMsg::E191, 0, true, reason.c_str());
    if (hadConnection)
        trace(false, "InternetCloseHandle()=>For Connection, Host:%s Port:%d UserName:%s ErrorCode:%d ",
              textOr(m_host), static_cast<int>(m_port), textOr(m_user), 0);
    return 0;
}

void qelFTPStream::disconnect()
{
    if (!m_client)
        return;
    if (m_client->hasOpenFile())
        closeFile();
    bool hadConnection = m_client->isConnected();
    bool hadSession = m_client->hasSession();
    m_client->closeSession();
    if (hadConnection)
        trace(false, "InternetCloseHandle()=>For Connection, Host:%s Port:%d UserName:%s ErrorCode:%d ",
              textOr(m_host), static_cast<int>(m_port), textOr(m_user), 0);
    if (hadSession)
        trace(false, "InternetCloseHandle()=>For Session ErrorCode:%d ", 0);
}

void qelFTPStream::setFileName(const char* name)
{
    m_hasFileName = name != nullptr;
    m_fileName = name ? name : "";
}

int qelFTPStream::openFile()
{
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    if (!m_client->isConnected())
        return 0;
    int64_t size = -1;
    bool ok = m_client->openFile(getFileName(), size);
    std::string reason = trace(!ok, "FtpOpenFile()=>Host:%s FileName:%s, ErrorCode:%d ", textOr(m_host),
                               fileNameOr("(null)"), errorCode(ok));
    if (!ok) {
        // The file is not at this location: logged, not printed.
        throw qelException::report(__FILE__, __LINE__, QEL_MSG_ERROR, qelMsg::E192, true, false, 0,
                                   fileNameOr("(null)"), reason.c_str());
    }
    trace(false, "FtpGetFileSize()=>Host:%s FileName:%s, FileSize:%d ErrorCode:%d ", textOr(m_host),
          fileNameOr("(null)"), static_cast<int>(size), 0);
    m_fileSize = size;
    return 0;
}

int qelFTPStream::closeFile()
{
    if (!m_client || !m_client->hasOpenFile())
        return 0;
    bool ok = m_client->closeFile();
    trace(!ok, "InternetCloseHandle()=>Host:%s FileName:%s, ErrorCode:%d ", textOr(m_host), fileNameOr("(null)"),
          errorCode(ok));
    return ok ? 0 : -1;
}

int qelFTPStream::setCurrentDirectory(const char* path)
{
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    if (!path) {
        qelMessageOutput::write("Warning! null path.");
        return -1;
    }
    bool ok = m_client->setCurrentDirectory(path);
    trace(!ok, "FtpSetCurrentDirectory()=>Host:%s Dir:%s ErrorCode:%d ", textOr(m_host), path, errorCode(ok));
    return ok ? 0 : -1;
}

std::string qelFTPStream::getCurrentDirectory()
{
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    std::string directory;
    bool ok = m_client->getCurrentDirectory(directory);
    if (!ok)
        directory.clear();
    trace(!ok, "FtpGetCurrentDirectory()=>Host:%s CurrentDir:%s, ErrorCode:%d ", textOr(m_host), directory.c_str(),
          errorCode(ok));
    return directory;
}

int qelFTPStream::command(const char* text)
{
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    if (!text || !m_client->isConnected())
        return -1;
    bool ok = m_client->command(text);
    trace(!ok, "FtpCommand()=>Host:%s Command:%s, ErrorCode:%d ", textOr(m_host), text, errorCode(ok));
    return ok ? 1 : 0;
}

void qelFTPStream::dropWindow()
{
    m_window.reset();
    m_windowLength = 0;
    m_windowPos = 0;
    m_windowBase = 0;
}

void qelFTPStream::setPositionTo(int position)
{
    m_position = position;
    if (m_unknownSize) {
        // The length stays one window ahead of the position.
        m_length = position > kIntMax - WINDOW_SIZE ? kIntMax : position + WINDOW_SIZE;
    }
}

void qelFTPStream::advance(int count)
{
    if (m_position > kIntMax - count)
        throw new qelException(__FILE__, __LINE__, qelMsg::E193, 0, true, fileNameOr("(null)"),
                               "File of 2 GiB or more is not supported");
    setPositionTo(m_position + count);
}

void qelFTPStream::fillBuffer()
{
    if (!m_window) {
        m_window.reset(new (std::nothrow) unsigned char[LOOK_BEHIND + WINDOW_SIZE]);
        if (!m_window)
            throw "Memory allocation for FTP read buffer failed";
        m_windowLength = 0;
        m_windowPos = 0;
    }
    if (!m_client)
        throw new qelException(__FILE__, __LINE__, qelMsg::E198, 0, true);
    // The last bytes of the window stay in front of the new ones, so that a
    // step back over the window's edge finds them.
    int keep = m_windowLength < LOOK_BEHIND ? m_windowLength : LOOK_BEHIND;
    if (keep > 0)
        std::memmove(m_window.get(), m_window.get() + m_windowLength - keep, static_cast<size_t>(keep));
    m_windowBase += m_windowLength - keep;
    m_windowLength = keep;
    m_windowPos = keep;

    int got = 0;
    bool ok = m_client->read(m_window.get() + keep, WINDOW_SIZE, got);
    std::string reason = trace(!ok, "InternetReadFile()=>Host:%s FileName:%s BytesRead:%d ErrorCode:%d ",
                               textOr(m_host), fileNameOr("(null)"), got, errorCode(ok));
    if (!ok)
        throw new qelException(__FILE__, __LINE__, qelMsg::E193, 0, true, fileNameOr("(null)"), reason.c_str());
    if (got <= 0)
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I001, 1, true, nameOr("(null)"));
    m_windowLength = keep + got;
}

int qelFTPStream::getChar()
{
    if (!m_window || m_windowPos >= m_windowLength)
        fillBuffer();
    advance(1);
    return m_window[m_windowPos++];
}

int qelFTPStream::copyAvailable(unsigned char* dst, int n)
{
    if (!m_window)
        return 0;
    int left = m_windowLength - m_windowPos;
    int count = n < left ? n : left;
    if (count <= 0)
        return 0;
    advance(count);
    std::memcpy(dst, m_window.get() + m_windowPos, static_cast<size_t>(count));
    m_windowPos += count;
    return count;
}

void qelFTPStream::seek(int position)
{
    if (position < 0)
        position = 0;
    if (!m_window) {
        // Nothing read yet: the start is here, anything ahead is read to.
        if (position == m_position)
            return;
        if (position < m_position)
            throw new qelException(__FILE__, __LINE__, qelMsg::E037, 0, true, nameOr("(null)"));
    } else if (position >= m_windowBase && position <= m_windowBase + m_windowLength) {
        m_windowPos = position - m_windowBase;
        setPositionTo(position);
        return;
    } else if (position < m_windowBase) {
        throw new qelException(__FILE__, __LINE__, qelMsg::E037, 0, true, nameOr("(null)"));
    }
    while (m_position < position) {
        if (!m_window || m_windowPos >= m_windowLength)
            fillBuffer();
        int step = m_windowLength - m_windowPos;
        if (step > position - m_position)
            step = position - m_position;
        advance(step);
        m_windowPos += step;
    }
}

int qelFTPStream::getSize()
{
    return m_unknownSize ? -1 : m_length;
}

void qelFTPStream::setName(const char* text)
{
    delete[] m_name;
    m_name = nullptr;
    if (text) {
        size_t n = std::strlen(text);
        m_name = new char[n + 1];
        std::memcpy(m_name, text, n + 1);
    }
}

void qelFTPStream::checkBeginning()
{
    // An empty file ends here with I001.
    int first = getChar();
    if (first == 0x5A)
        m_carriageControl = 1;
    m_windowPos -= 1;
    setPositionTo(m_position - 1);
}

void qelFTPStream::open()
{
    dropWindow();
    m_unknownSize = 0;
    m_carriageControl = 0;
    m_position = 0;
    m_length = 0;
    openFile();
    // Sizes beyond 32 bits are read like an untold size.
    if (m_fileSize < 0 || m_fileSize > kIntMax) {
        m_unknownSize = 1;
        setPositionTo(0);
    } else {
        m_length = static_cast<int>(m_fileSize);
    }
    m_open = 1;
}

int qelFTPStream::computeSize()
{
    int result = connect();
    m_atEnd = 1;
    m_mode = 0;
    return result;
}

void qelFTPStream::close()
{
    closeFile();
    m_open = 0;
    dropWindow();
}

void qelFTPStream::setAttribute(int kind, const char* text)
{
    switch (kind) {
    case QEL_ATTR_DIRECTORY:
        setCurrentDirectory(text);
        break;
    case QEL_ATTR_REMOTE_FILE_NAME:
        setFileName(text);
        break;
    case QEL_ATTR_COMMAND:
        if (text)
            command(text);
        break;
    default:
        break;
    }
}

int qelFTPStream::getAttribute(int kind, char* text, int size)
{
    if (!text || size <= 0)
        return 0;
    std::string value;
    switch (kind) {
    case QEL_ATTR_DIRECTORY:
        value = getCurrentDirectory();
        break;
    case QEL_ATTR_REMOTE_FILE_NAME:
        value = m_fileName;
        break;
    case QEL_ATTR_HOST_NAME:
        value = m_host;
        break;
    default:
        return 0;
    }
    std::snprintf(text, static_cast<size_t>(size), "%s", value.c_str());
    return 0;
}
