#ifndef QEL_LIB_LOG_H
#define QEL_LIB_LOG_H

#include <cstdarg>

namespace qel
{

class LoggerComposition;

// The library's log. Every function returns -1 for a null format or text
// and while the library has no logger composition (before
// afp::initializeLibrary, after afp::finalizeLibrary); otherwise what the
// composition's level operation returns. Formatting happens only when a
// registered logger writes the level. User text goes through "%s".
int logFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
int logError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int logWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
int logInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
int logDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

int logFatalText(const char* text);
int logErrorText(const char* text);
int logWarningText(const char* text);
int logInfoText(const char* text);
int logDebugText(const char* text);

// Formats into the shared 2048-byte buffer only and returns it (null for a
// null format).
const char* formatLogMessage(va_list arguments, const char* format);

// The composition the log functions use (set and cleared by the library's
// start and end).
void setLogComposition(LoggerComposition* composition);
LoggerComposition* getLogComposition();

} // namespace qel

#endif
