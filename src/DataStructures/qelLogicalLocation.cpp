#include "qelLogicalLocation.h"

#include <cstring>

qelLogicalLocation::qelLogicalLocation() = default;

qelLogicalLocation::~qelLogicalLocation()
{
    delete[] m_description;
    delete[] m_name;
    delete[] m_userName;
    delete[] m_password;
}

void qelLogicalLocation::replaceText(char*& field, const char* text)
{
    char* copy = nullptr;
    if (text) {
        size_t n = std::strlen(text);
        copy = new char[n + 1];
        std::memcpy(copy, text, n + 1);
    }
    delete[] field;
    field = copy;
}

void qelLogicalLocation::appendPart(std::string& out, const char* label, const char* value)
{
    if (value) {
        out += label;
        out += value;
    }
}

void qelLogicalLocation::setUserName(const char* name) { replaceText(m_userName, name); }
void qelLogicalLocation::setPassword(const char* password) { replaceText(m_password, password); }
const char* qelLogicalLocation::getUserName() const { return m_userName; }
const char* qelLogicalLocation::getPassword() const { return m_password; }
void qelLogicalLocation::setName(const char* name) { replaceText(m_name, name); }
const char* qelLogicalLocation::getName() const { return m_name; }
void qelLogicalLocation::setDescription(const char* text) { replaceText(m_description, text); }

const char* qelLogicalLocation::getDescription()
{
    if (!m_description)
        delete[] describe();
    return m_description;
}

char* qelLogicalLocation::storeDescription(const std::string& text)
{
    setDescription(text.c_str());
    char* copy = nullptr;
    replaceText(copy, (text + "\r\n").c_str());
    return copy;
}
