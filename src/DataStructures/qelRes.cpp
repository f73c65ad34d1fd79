#include "qelRes.h"

#include "qelString.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void replace(qelString*& holder, const char* text)
{
    delete holder;
    holder = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* holder)
{
    return holder ? holder->getBuffer() : nullptr;
}

bool startsWith(const char* name, char upper)
{
    return name && (name[0] == upper || name[0] == upper + ('a' - 'A'));
}

}

qelRes::qelRes() = default;

qelRes::~qelRes()
{
    delete m_name;
    delete m_aliasName;
    delete m_fileName;
    delete m_libraryName;
}

const char* qelRes::getTypeShortName(uint32_t type, const char* name)
{
    switch (type) {
    case TYPE_OVERLAY:
        return "OLY";
    case TYPE_PAGE_SEGMENT:
        return "PSEG";
    case TYPE_FONT:
        if (!name || startsWith(name, 'C'))
            return "CFNT";
        if (startsWith(name, 'X'))
            return "XFNT";
        return qelString::compare(name, "DEFAULT", true, 0) ? "CFNT" : "Unknown Type";
    case TYPE_CODE_PAGE:
        return "CDP";
    case TYPE_MEDIUM_MAP:
        return "MMAP";
    case TYPE_FORM_MAP:
        return "FDEF";
    case TYPE_GOCA:
        return "GOCA";
    case TYPE_OBJECT_CONTAINER:
        return "IOB";
    default:
        return "None";
    }
}

char* qelRes::describe()
{
    // Names come from the input: the text grows to hold them.
    const char* type = getTypeShortName(m_type, getName());
    const char* name = getName() ? getName() : "(null)";
    const char* alias = getAliasName() ? getAliasName() : "(null)";
    const char* format = "Type:%s Name:%s  Alias Name:%s";
    int needed = std::snprintf(nullptr, 0, format, type, name, alias) + 1;
    int size = needed > 256 ? needed : 256;
    char* text = new char[size]();
    std::snprintf(text, size, format, type, name, alias);
    return text;
}

char* qelRes::listingLine(int size) const
{
    std::string name = getName() ? getName() : "NULL";
    if (!m_found)
        name += "(*)";
    const char* format = "\r\n%-7s%-13s%-8s";
    const char* inlineText = m_inline == 1 ? "Yes" : "No";
    int needed = std::snprintf(nullptr, 0, format, "", name.c_str(), inlineText) + 1;
    if (needed > size)
        size = needed;
    char* text = new char[size]();
    std::snprintf(text, size, format, "", name.c_str(), inlineText);
    return text;
}

void qelRes::setName(const char* text)
{
    replace(m_name, text);
}

void qelRes::setAliasName(const char* text)
{
    replace(m_aliasName, text);
}

void qelRes::setFileName(const char* text)
{
    replace(m_fileName, text);
}

void qelRes::setLibraryName(const char* text)
{
    replace(m_libraryName, text);
}

const char* qelRes::getName() const
{
    return textOf(m_name);
}

const char* qelRes::getAliasName() const
{
    return textOf(m_aliasName);
}

const char* qelRes::getFileName() const
{
    return textOf(m_fileName);
}

const char* qelRes::getLibraryName() const
{
    return textOf(m_libraryName);
}
