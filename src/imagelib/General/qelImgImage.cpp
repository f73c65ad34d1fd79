#include "qelImgImage.h"

#include "qelImgInfo.h"
#include "qelString.h"

qelImgImage::qelImgImage(const char* name) : m_name(name ? new qelString(name) : nullptr) {}

qelImgImage::~qelImgImage()
{
    delete m_name;
    delete m_info;
}

const char* qelImgImage::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelImgImage::setInfo(const qelImgInfo* info)
{
    delete m_info;
    m_info = info ? new qelImgInfo(*info) : nullptr;
}
