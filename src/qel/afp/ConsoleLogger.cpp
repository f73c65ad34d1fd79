#include "qel/afp/ConsoleLogger.h"

#include "qelMessageOutput.h"

namespace qel
{

ConsoleLogger::~ConsoleLogger() = default;

int ConsoleLogger::print(const char* text)
{
    if (!text)
        return -1;
    qelMessageOutput::write(text);
    return 0;
}

} // namespace qel
