#ifndef QEL_LIB_CONSOLE_LOGGER_H
#define QEL_LIB_CONSOLE_LOGGER_H

#include "qel/afp/Logger.h"

namespace qel
{

// Logger on the program's message output.
class ConsoleLogger : public Logger
{
public:
    ConsoleLogger() = default;
    ~ConsoleLogger() override;

    int print(const char* text) override;
    int getKind() override { return KIND_CONSOLE; }
};

} // namespace qel

#endif
