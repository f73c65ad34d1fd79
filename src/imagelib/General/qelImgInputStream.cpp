#include "qelImgInputStream.h"

#include "qelString.h"

qelImgInputStream::qelImgInputStream(const char* name) : m_name(name ? new qelString(name) : nullptr) {}

qelImgInputStream::~qelImgInputStream()
{
    delete m_name;
}

const char* qelImgInputStream::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}
