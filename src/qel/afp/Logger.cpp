#include "qel/afp/Logger.h"

namespace qel
{

Logger::~Logger() = default;

int Logger::line(uint16_t bit, const char* prefix, const char* text)
{
    if (!text || isDisabled(bit))
        return -1;
    int rc = print(prefix);
    if (rc < 0)
        return rc;
    rc = print(text);
    if (rc < 0)
        return rc;
    return print("\r\n");
}

int Logger::fatal(const char* text)
{
    return line(FATAL, "[ZUZovo] FATAL   : ", text);
}

int Logger::error(const char* text)
{
    return line(ERROR, "[ZUZovo] ERROR   : ", text);
}

int Logger::warning(const char* text)
{
    return line(WARNING, "[ZUZovo] WARNING : ", text);
}

int Logger::info(const char* text)
{
    return line(INFO, "[ZUZovo] INFO    : ", text);
}

int Logger::debug(const char* text)
{
    return line(DEBUG, "[ZUZovo] DEBUG   : ", text);
}

} // namespace qel
