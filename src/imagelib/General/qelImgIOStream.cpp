#include "qelImgIOStream.h"

#include "qelString.h"

qelImgIOStream::qelImgIOStream(const char* name, int mode)
    : m_name(name ? new qelString(name) : nullptr), m_mode(mode)
{
}

qelImgIOStream::~qelImgIOStream()
{
    delete m_name;
}

const char* qelImgIOStream::getFileName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}
