#include "qelIndexElement.h"

#include "qelString.h"

namespace
{
void replaceText(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}
}

qelIndexElement::~qelIndexElement()
{
    delete m_pageName;
    delete m_name;
    delete m_groupName;
}

void qelIndexElement::setPageName(const char* text) { replaceText(m_pageName, text); }
void qelIndexElement::setName(const char* text) { replaceText(m_name, text); }
void qelIndexElement::setGroupName(const char* text) { replaceText(m_groupName, text); }
const char* qelIndexElement::getPageName() const { return m_pageName ? m_pageName->getBuffer() : nullptr; }
const char* qelIndexElement::getName() const { return m_name ? m_name->getBuffer() : nullptr; }
const char* qelIndexElement::getGroupName() const { return m_groupName ? m_groupName->getBuffer() : nullptr; }
