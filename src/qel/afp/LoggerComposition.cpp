#include "qel/afp/LoggerComposition.h"

#include "qel/afp/Logger.h"

namespace qel
{

LoggerComposition::~LoggerComposition() = default;

namespace
{

template <class Op> int both(Logger* console, Logger* file, Op op)
{
    if (console)
        op(console);
    return file ? op(file) : 0;
}

} // namespace

int LoggerComposition::fatal(const char* text)
{
    return both(m_console, m_file, [text](Logger* l) { return l->fatal(text); });
}

int LoggerComposition::error(const char* text)
{
    return both(m_console, m_file, [text](Logger* l) { return l->error(text); });
}

int LoggerComposition::warning(const char* text)
{
    return both(m_console, m_file, [text](Logger* l) { return l->warning(text); });
}

int LoggerComposition::info(const char* text)
{
    return both(m_console, m_file, [text](Logger* l) { return l->info(text); });
}

int LoggerComposition::debug(const char* text)
{
    return both(m_console, m_file, [text](Logger* l) { return l->debug(text); });
}

bool LoggerComposition::wants(uint16_t level) const
{
    return (m_console && !m_console->isDisabled(level)) || (m_file && !m_file->isDisabled(level));
}

int LoggerComposition::silentResult() const
{
    return m_file ? -1 : 0;
}

} // namespace qel
