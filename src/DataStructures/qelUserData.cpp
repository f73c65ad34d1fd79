#include "qelUserData.h"

#include "qelString.h"

#include <cstring>
#include <new>

qelUserData::~qelUserData()
{
    delete m_id;
    delete[] m_data;
}

void qelUserData::setId(const char* id)
{
    delete m_id;
    m_id = id ? new qelString(id) : nullptr;
}

const char* qelUserData::getId() const
{
    return m_id ? m_id->getBuffer() : nullptr;
}

void qelUserData::setData(const unsigned char* data, int32_t length)
{
    delete[] m_data;
    m_data = nullptr;
    m_length = 0;
    if (!data || length <= 0)
        return;
    m_data = new (std::nothrow) unsigned char[length];
    if (!m_data)
        throw "Error while allocating memory to store user data";
    std::memcpy(m_data, data, static_cast<size_t>(length));
    m_length = length;
}
