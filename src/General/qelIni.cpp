#include "qelIni.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {
char* copyText(const char* value)
{
    if (!value)
        return nullptr;
    size_t n = std::strlen(value);
    char* copy = new char[n + 1];
    std::memcpy(copy, value, n + 1);
    return copy;
}
}

qelIni::qelIni() = default;

qelIni::~qelIni()
{
    delete[] m_loggingLevel;
    delete[] m_logPath;
    delete[] m_pkey;
}

void qelIni::addDefaultColorTable() {}

void qelIni::setLoggingLevel(const char* value)
{
    delete[] m_loggingLevel;
    m_loggingLevel = copyText(value);
}

void qelIni::setLogPath(const char* value)
{
    delete[] m_logPath;
    m_logPath = copyText(value);
}

void qelIni::setPKEY(const char* value)
{
    delete[] m_pkey;
    m_pkey = copyText(value);
}

bool qelIni::hasSwitch(const char* name) const
{
    if (!name || !m_pkey)
        return false;
    size_t n = std::strlen(name);
    for (const char* p = m_pkey; *p; ++p) {
        if (strncasecmp(p, name, n) == 0)
            return true;
    }
    return false;
}
