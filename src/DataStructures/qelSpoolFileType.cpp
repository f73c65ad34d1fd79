#include "qelSpoolFileType.h"

#include <cstring>

qelSpoolFileType::qelSpoolFileType() = default;

qelSpoolFileType::~qelSpoolFileType()
{
    clear();
}

void qelSpoolFileType::setName(const char* name)
{
    char* copy = nullptr;
    if (name) {
        size_t n = std::strlen(name);
        copy = new char[n + 1];
        std::memcpy(copy, name, n + 1);
    }
    delete[] m_name;
    m_name = copy;
}

void qelSpoolFileType::clear()
{
    delete[] m_name;
    m_name = nullptr;
}
