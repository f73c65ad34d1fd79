#include "qelImgLogStream.h"

#include "qelLogStream.h"

namespace
{
// The image library's bits the log takes.
unsigned int imageBits(const qelLogStream* log)
{
    const unsigned int image[] = {qelImgLogStream::MASK_INFO, qelImgLogStream::MASK_WARN, qelImgLogStream::MASK_DEBUG};
    unsigned int bits = 0;
    for (unsigned int bit : image) {
        if (log && log->anyOf(bit))
            bits |= bit;
    }
    return bits;
}
}

qelImgLogStream::qelImgLogStream(qelLogStream* log)
    : qelImgLogger(levelFor(imageBits(log))), m_log(log)
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
