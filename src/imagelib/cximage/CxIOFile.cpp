#include "CxIOFile.h"

CxIOFile::~CxIOFile()
{
    Close();
}

bool CxIOFile::Open(const char* name, const char* mode)
{
    if (m_file || !name || !mode)
        return false;
    m_file = std::fopen(name, mode);
    m_owned = m_file != nullptr;
    return m_owned;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count)
{
    return m_file && buffer ? std::fread(buffer, size, count, m_file) : 0;
}

size_t CxIOFile::Write(const void* buffer, size_t size, size_t count)
{
    return m_file && buffer ? std::fwrite(buffer, size, count, m_file) : 0;
}

bool CxIOFile::Seek(int64_t offset, int origin)
{
    return m_file && fseeko(m_file, static_cast<off_t>(offset), origin) == 0;
}

int64_t CxIOFile::Tell()
{
    return m_file ? static_cast<int64_t>(ftello(m_file)) : -1;
}

int64_t CxIOFile::Size()
{
    if (!m_file)
        return -1;
    const off_t at = ftello(m_file);
    if (at < 0 || fseeko(m_file, 0, SEEK_END) != 0)
        return -1;
    const off_t size = ftello(m_file);
    fseeko(m_file, at, SEEK_SET);
    return static_cast<int64_t>(size);
}

bool CxIOFile::Eof()
{
    return !m_file || std::feof(m_file) != 0;
}

bool CxIOFile::Close()
{
    bool ok = true;
    if (m_file && m_owned)
        ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    m_owned = false;
    return ok;
}
