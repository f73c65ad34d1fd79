#include "qelImgLogStream.h"

#include "qelLogStream.h"

qelImgLogStream::qelImgLogStream(qelLogStream* log)
    : qelImgLogger(levelFor(log ? log->m_levelMask : 0)), m_log(log)
{
}

int qelImgLogStream::levelFor(unsigned int mask)
{
    if (mask & MASK_INFO)
        return 1;
    if (mask & MASK_WARN)
        return 2;
    if (mask & MASK_DEBUG)
        return 3;
    return 0;
}

void qelImgLogStream::print(const char* text)
{
    if (m_log && text)
        m_log->print("%s", text);
}
