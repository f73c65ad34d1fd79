#include "PropertyTag.h"

#include "qelString.h"

namespace de { namespace orvo { namespace ips { namespace metainfo {

PropertyTag::~PropertyTag()
{
    delete m_propertyName;
    delete m_value;
}

void PropertyTag::setName(const char* name)
{
    delete m_propertyName;
    m_propertyName = name ? new qelString(name) : nullptr;
}

const char* PropertyTag::getName() const
{
    return m_propertyName ? m_propertyName->getBuffer() : nullptr;
}

void PropertyTag::setValue(const char* value)
{
    delete m_value;
    m_value = value ? new qelString(value) : nullptr;
}

const char* PropertyTag::getValue() const
{
    return m_value ? m_value->getBuffer() : nullptr;
}

}}}}
