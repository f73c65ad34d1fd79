#include "qel/afp/Error.h"

#include "qel/afp/Log.h"
#include "qelString.h"

#include <cstdarg>
#include <cstdio>

namespace qel
{

namespace
{

const char* const kMessages[] = {
    "E000: Undefined Message",
    "E001: Error while writing file \"%s\"",
    "E002: Error while adding text/line to Page as PTOCA object. Msg: \"%s\"",
};

} // namespace

const char* Error::getMessageText(int id)
{
    if (id < 0 || id > 2)
        id = 0;
    return kMessages[id];
}

Error::Error(const char*, int, int id, ...) : m_id(id)
{
    char text[2048];
    va_list arguments;
    va_start(arguments, id);
    std::vsnprintf(text, sizeof text, getMessageText(id), arguments);
    va_end(arguments);
    setMessage(text);
    logError("%s", text);
}

Error::~Error()
{
    delete m_message;
}

const char* Error::getMessage() const
{
    return m_message ? m_message->getBuffer() : nullptr;
}

void Error::setMessage(const char* text)
{
    delete m_message;
    m_message = text ? new qelString(text) : nullptr;
}

} // namespace qel
