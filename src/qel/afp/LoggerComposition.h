#ifndef QEL_LIB_LOGGER_COMPOSITION_H
#define QEL_LIB_LOGGER_COMPOSITION_H

#include "qel/afp/Object.h"

#include <cstdint>

namespace qel
{

class Logger;

// One console and one file logger, neither owned. Each level goes to the
// console logger, then to the file logger; the result is the file
// logger's (0 without one).
class LoggerComposition : public Object
{
public:
    LoggerComposition() = default;
    ~LoggerComposition() override;

    void setConsoleLogger(Logger* logger) { m_console = logger; }
    void setFileLogger(Logger* logger) { m_file = logger; }
    Logger* getConsoleLogger() const { return m_console; }
    Logger* getFileLogger() const { return m_file; }

    int fatal(const char* text);
    int error(const char* text);
    int warning(const char* text);
    int info(const char* text);
    int debug(const char* text);

    // True when a logger would write a line of the level.
    bool wants(uint16_t level) const;
    // What a level operation returns when no logger writes (0 or -1).
    int silentResult() const;

private:
    Logger* m_console = nullptr;
    Logger* m_file = nullptr;
};

} // namespace qel

#endif
