#include "qelException.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelMessages.h"
#include "qelString.h"

#include <climits>
#include <cstdio>

namespace {
// Size of the formatting area of a message.
constexpr int kWorkSize = 2048;
// Log levels 1 to 5, FONT, PDFINFO, INWARN and OUTWARN.
constexpr unsigned int kExceptionLogMask = QEL_LOG_LOGGING | QEL_LOG_LEVEL5 | QEL_LOG_INWARN | QEL_LOG_OUTWARN;

qelString* newString(const char* text)
{
    return new qelString(text ? text : "");
}

// Copies the base name of a path (after the last '/' or '\').
qelString* baseName(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\')
            base = p + 1;
    }
    return newString(base);
}

const char* const* tableOfKind(int kind, int* rows)
{
    switch (kind) {
    case QEL_MSG_ERROR:
        *rows = QEL_ERROR_MSG_COUNT;
        return achErrorMsg;
    case QEL_MSG_WARNING:
        *rows = QEL_WARNING_MSG_COUNT;
        return achWarningMsg;
    case QEL_MSG_INFO:
        *rows = QEL_INFO_MSG_COUNT;
        return achInfoMsg;
    default:
        *rows = 0;
        return nullptr;
    }
}
}

qelException::qelException(const char* file, int line, int id, int value, int log, ...)
{
    va_list args;
    va_start(args, log);
    try {
        build(file, line, QEL_MSG_ERROR, id, value, log, PRINT_ALWAYS, args);
    } catch (...) {
        va_end(args);
        release();
        throw;
    }
    va_end(args);
}

qelException::qelException(const char* file, int line, qelMessageKind kind, int id, int value, int log,
                           ...)
{
    va_list args;
    va_start(args, log);
    try {
        build(file, line, kind, id, value, log, PRINT_KIND, args);
    } catch (...) {
        va_end(args);
        release();
        throw;
    }
    va_end(args);
}

qelException* qelException::report(const char* file, int line, qelMessageKind kind, int id, bool log,
                                   bool print, int value, ...)
{
    qelException* e = new qelException();
    va_list args;
    va_start(args, value);
    try {
        e->build(file, line, kind, id, value, log, print ? PRINT_KIND : PRINT_NEVER, args);
    } catch (...) {
        va_end(args);
        delete e;
        throw;
    }
    va_end(args);
    return e;
}

qelException::~qelException()
{
    release();
}

void qelException::release()
{
    delete m_file;
    delete m_message;
    delete m_fullText;
    m_file = m_message = m_fullText = nullptr;
}

void qelException::build(const char* file, int line, int kind, int id, int value, bool log,
                         PrintRule rule, va_list args)
{
    if (file)
        setFile(file);
    m_line = line;
    m_value = value;
    m_kind = kind;

    char work[kWorkSize];
    work[0] = '\0';
    if (id < 0) {
        long long n = -static_cast<long long>(id);
        m_id = n > INT_MAX ? INT_MAX : static_cast<int>(n);
        if (n < QEL_RESULT_MSG_COUNT) {
            m_message = newString(achResultMsg[n]);
        } else {
            std::snprintf(work, sizeof work, achErrorMsg[qelMsg::E017], m_id);
            m_message = newString(work);
        }
    } else {
        int rows = 0;
        const char* const* table = tableOfKind(kind, &rows);
        // An unknown kind leaves the message empty.
        if (table && id < rows)
            std::vsnprintf(work, sizeof work, table[id], args);
        else if (table)
            std::snprintf(work, sizeof work, achErrorMsg[qelMsg::E017], id);
        m_message = newString(work);
        m_id = id;
    }

    bool print = rule == PRINT_ALWAYS
                 || (rule == PRINT_KIND && !(kind == QEL_MSG_INFO && (m_id == 0 || m_id == 1)));
    if (print)
        qelMessageOutput::write(getText());

    if (log) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelLogStream* logStream = pool ? pool->getLogStream() : nullptr;
        if (logStream && logStream->anyOf(kExceptionLogMask)) {
            try {
                logStream->printLine("%s", getText());
            } catch (qelException* failure) {
                // The write failure has been reported by its own exception.
                delete failure;
            }
        }
    }
}

const char* qelException::getText()
{
    if (m_fullText)
        return m_fullText->getBuffer();

    qelString* text = new qelString();
    try {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (ini && ini->getExceptionLoggingLevel() == 2) {
            char number[32];
            std::snprintf(number, sizeof number, "%02d", m_line);
            text->append("Exception occurred: File:");
            text->append(getFile());
            text->append(" Line:");
            text->append(number);
            text->append(" Msg:");
        }
        text->append(getMessage());
        text->append("\r\n");
    } catch (...) {
        delete text;
        throw;
    }
    m_fullText = text;
    return m_fullText->getBuffer();
}

const char* qelException::getMessage() const
{
    const char* text = m_message ? m_message->getBuffer() : nullptr;
    return text ? text : "";
}

void qelException::setMessage(const char* text)
{
    qelString* copy = text ? new qelString(text) : nullptr;
    delete m_message;
    m_message = copy;
}

void qelException::appendMessage(const char* text)
{
    if (!text)
        return;
    if (!m_message)
        m_message = new qelString();
    m_message->append(text);
}

const char* qelException::getFile() const
{
    const char* text = m_file ? m_file->getBuffer() : nullptr;
    return text ? text : "";
}

void qelException::setFile(const char* path)
{
    if (!path)
        return;
    qelString* copy = baseName(path);
    delete m_file;
    m_file = copy;
}

const char* qelException::getKindText(int kind, int id)
{
    int rows = 0;
    const char* const* table = tableOfKind(kind, &rows);
    if (!table)
        return "";
    if (id < 0 || id >= rows)
        return achErrorMsg[qelMsg::E017];
    return table[id];
}

const char* qelException::getResultText(int n)
{
    if (n < 0 || n >= QEL_RESULT_MSG_COUNT)
        return achErrorMsg[qelMsg::E017];
    return achResultMsg[n];
}
