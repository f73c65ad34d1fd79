#include "qel/afp/FileLogger.h"

#include "qel/afp/Utils.h"

#include <cstdlib>

namespace qel
{

FileLogger::FileLogger(const char* path)
{
    m_fileName = Utils::setMutator(nullptr, path, 0);
    if (path) {
        m_file = std::fopen(path, "wb");
        m_ownsFile = m_file ? 1 : 0;
    }
}

FileLogger::~FileLogger()
{
    closeOwned();
    std::free(m_fileName);
}

void FileLogger::closeOwned()
{
    if (m_file && m_ownsFile)
        std::fclose(m_file);
    m_file = nullptr;
    m_ownsFile = 0;
}

int FileLogger::print(const char* text)
{
    if (!m_file || !text)
        return -1;
    return std::fputs(text, m_file) < 0 ? -1 : 0;
}

void FileLogger::setFile(FILE* file)
{
    closeOwned();
    m_file = file;
}

void FileLogger::setFileName(const char* name)
{
    m_fileName = Utils::setMutator(m_fileName, name, 0);
}

} // namespace qel
