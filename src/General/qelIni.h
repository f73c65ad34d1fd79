#ifndef QEL_INI_H
#define QEL_INI_H

// Interim options object: only what the core services read. The full
// options object replaces this file.
class qelIni
{
public:
    qelIni();
    ~qelIni();
    qelIni(const qelIni&) = delete;
    qelIni& operator=(const qelIni&) = delete;

    void addDefaultColorTable();

    bool isQuietMode() const { return m_quietMode != 0; }
    void setQuietMode(bool on) { m_quietMode = on ? 1 : 0; }

    unsigned short getExceptionLoggingLevel() const { return m_exceptionLoggingLevel; }
    void setExceptionLoggingLevel(unsigned short level) { m_exceptionLoggingLevel = level; }

    const char* getLoggingLevel() const { return m_loggingLevel; }
    void setLoggingLevel(const char* value);

    const char* getLogPath() const { return m_logPath; }
    void setLogPath(const char* value);

    // Named switch of the PKEY list ("FlushLog", ...).
    bool hasSwitch(const char* name) const;
    void setPKEY(const char* value);

private:
    unsigned char m_quietMode = 0;
    unsigned short m_exceptionLoggingLevel = 1;
    char* m_loggingLevel = nullptr;
    char* m_logPath = nullptr;
    char* m_pkey = nullptr;
};

#endif
