#include "qelResourceAliasName.h"

#include "qelString.h"

qelResourceAliasName::~qelResourceAliasName()
{
    delete m_name;
    delete m_hashId;
}

void qelResourceAliasName::setName(const char* text)
{
    delete m_name;
    m_name = text ? new qelString(text) : nullptr;
}

void qelResourceAliasName::setHashId(const char* text)
{
    delete m_hashId;
    m_hashId = text ? new qelString(text) : nullptr;
}

const char* qelResourceAliasName::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

const char* qelResourceAliasName::getHashId() const
{
    return m_hashId ? m_hashId->getBuffer() : nullptr;
}
