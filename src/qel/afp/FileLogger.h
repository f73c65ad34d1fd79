#ifndef QEL_LIB_FILE_LOGGER_H
#define QEL_LIB_FILE_LOGGER_H

#include "qel/afp/Logger.h"

#include <cstdio>

namespace qel
{

// Logger into a C stream: one it opened itself (owned, closed with the
// logger) or one it was given.
class FileLogger : public Logger
{
public:
    FileLogger() = default;
    // Opens path for writing, replacing its content.
    explicit FileLogger(const char* path);
    explicit FileLogger(FILE* file) : m_file(file) {}
    ~FileLogger() override;

    int print(const char* text) override;
    int getKind() override { return KIND_FILE; }

    // Not owned.
    void setFile(FILE* file);
    // Copies the name; the file is not reopened.
    void setFileName(const char* name);
    FILE* getFile() const { return m_file; }
    const char* getFileName() const { return m_fileName; }

private:
    void closeOwned();

    char* m_fileName = nullptr;
    FILE* m_file = nullptr;
    unsigned char m_ownsFile = 0;
};

} // namespace qel

#endif
