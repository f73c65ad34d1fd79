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
    const int size = 256;
    char* text = new char[size]();
    std::snprintf(text, size, "Type:%s Name:%s  Alias Name:%s", getTypeShortName(m_type, getName()),
                  getName() ? getName() : "(null)", getAliasName() ? getAliasName() : "(null)");
    return text;
}

char* qelRes::listingLine(int size) const
{
    std::string name = getName() ? getName() : "NULL";
    if (!m_found)
        name += "(*)";
    char* text = new char[size]();
    std::snprintf(text, size, "\r\n%-7s%-13s%-8s", "", name.c_str(), m_inline == 1 ? "Yes" : "No");
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
