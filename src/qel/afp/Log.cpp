#include "qel/afp/Log.h"

#include "qel/afp/Logger.h"
#include "qel/afp/LoggerComposition.h"
#include "qelMessageOutput.h"

#include <cstdio>

namespace qel
{

namespace
{

constexpr int kBufferSize = 2048;
char g_buffer[kBufferSize];
LoggerComposition* g_composition = nullptr;

using LevelOp = int (LoggerComposition::*)(const char*);

int text(uint16_t, LevelOp op, const char* message)
{
    if (!message || !g_composition)
        return -1;
    return (g_composition->*op)(message);
}

int formatted(uint16_t level, LevelOp op, const char* format, va_list arguments)
{
    if (!format || !g_composition)
        return -1;
    if (!g_composition->wants(level))
        return g_composition->silentResult();
    return (g_composition->*op)(formatLogMessage(arguments, format));
}

} // namespace

void setLogComposition(LoggerComposition* composition)
{
    g_composition = composition;
}

LoggerComposition* getLogComposition()
{
    return g_composition;
}

const char* formatLogMessage(va_list arguments, const char* format)
{
    if (!format)
        return nullptr;
    g_buffer[0] = '\0';
    const int needed = std::vsnprintf(g_buffer, kBufferSize, format, arguments);
    if (needed >= kBufferSize)
        qelMessageOutput::printf("Warning! Number of bytes to log exceeds buffer size (%d). Copied only (%ld) bytes\n",
                                 kBufferSize, static_cast<long>(kBufferSize));
    return g_buffer;
}

#define QEL_LOG_FORMATTED(name, level, op)                                                                             \
    int name(const char* format, ...)                                                                                  \
    {                                                                                                                  \
        va_list arguments;                                                                                             \
        va_start(arguments, format);                                                                                   \
        const int rc = formatted(level, op, format, arguments);                                                        \
        va_end(arguments);                                                                                             \
        return rc;                                                                                                     \
    }

QEL_LOG_FORMATTED(logFatal, Logger::FATAL, &LoggerComposition::fatal)
QEL_LOG_FORMATTED(logError, Logger::ERROR, &LoggerComposition::error)
QEL_LOG_FORMATTED(logWarning, Logger::WARNING, &LoggerComposition::warning)
QEL_LOG_FORMATTED(logInfo, Logger::INFO, &LoggerComposition::info)
QEL_LOG_FORMATTED(logDebug, Logger::DEBUG, &LoggerComposition::debug)

#undef QEL_LOG_FORMATTED

int logFatalText(const char* message)
{
    return text(Logger::FATAL, &LoggerComposition::fatal, message);
}

int logErrorText(const char* message)
{
    return text(Logger::ERROR, &LoggerComposition::error, message);
}

int logWarningText(const char* message)
{
    return text(Logger::WARNING, &LoggerComposition::warning, message);
}

int logInfoText(const char* message)
{
    return text(Logger::INFO, &LoggerComposition::info, message);
}

int logDebugText(const char* message)
{
    return text(Logger::DEBUG, &LoggerComposition::debug, message);
}

} // namespace qel
