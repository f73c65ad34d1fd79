#include "qelIndex.h"

#include "qelString.h"

namespace
{
void replaceText(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

void replaceBytes(qelString*& field, const unsigned char* bytes, int length)
{
    delete field;
    field = nullptr;
    if (!bytes || length <= 0)
        return;
    field = new qelString();
    field->appendBytes(bytes, length);
}

const char* textOf(const qelString* s)
{
    return s ? s->getBuffer() : nullptr;
}
}

qelIndex::~qelIndex()
{
    delete m_processElementName;
    delete m_name;
    delete m_value;
    delete m_objectName;
    delete m_ebcdicName;
    delete m_ebcdicValue;
    m_set = nullptr;
    m_node = nullptr;
    m_previousNode = nullptr;
}

void qelIndex::setName(const char* text) { replaceText(m_name, text); }
void qelIndex::setValue(const char* text) { replaceText(m_value, text); }
void qelIndex::setObjectName(const char* text) { replaceText(m_objectName, text); }
void qelIndex::setProcessElementName(const char* text) { replaceText(m_processElementName, text); }
void qelIndex::setEBCDICName(const unsigned char* bytes, int length) { replaceBytes(m_ebcdicName, bytes, length); }
void qelIndex::setEBCDICValue(const unsigned char* bytes, int length) { replaceBytes(m_ebcdicValue, bytes, length); }

const char* qelIndex::getName() const { return textOf(m_name); }
const char* qelIndex::getValue() const { return textOf(m_value); }
const char* qelIndex::getObjectName() const { return textOf(m_objectName); }
const char* qelIndex::getProcessElementName() const { return textOf(m_processElementName); }

const unsigned char* qelIndex::getEBCDICName() const
{
    return m_ebcdicName ? reinterpret_cast<const unsigned char*>(m_ebcdicName->getBuffer()) : nullptr;
}

int qelIndex::getEBCDICNameLength() const { return m_ebcdicName ? m_ebcdicName->getLength() : 0; }

const unsigned char* qelIndex::getEBCDICValue() const
{
    return m_ebcdicValue ? reinterpret_cast<const unsigned char*>(m_ebcdicValue->getBuffer()) : nullptr;
}

int qelIndex::getEBCDICValueLength() const { return m_ebcdicValue ? m_ebcdicValue->getLength() : 0; }
