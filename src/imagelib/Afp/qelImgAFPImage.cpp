#include "qelImgAFPImage.h"

#include "qelImgVisitor.h"

#include <cstring>

qelImgAFPImage::~qelImgAFPImage()
{
    delete[] m_imageData;
    delete[] m_objectData;
}

int qelImgAFPImage::accept(qelImgVisitor* visitor) { return visitor ? visitor->writeImage(this) : -1; }

void qelImgAFPImage::copy(unsigned char*& target, int& targetLength, const unsigned char* data, int length)
{
    delete[] target;
    target = nullptr;
    targetLength = 0;
    if (!data || length <= 0)
        return;
    target = new unsigned char[static_cast<size_t>(length)];
    std::memcpy(target, data, static_cast<size_t>(length));
    targetLength = length;
}

void qelImgAFPImage::setImageData(const unsigned char* data, int length)
{
    copy(m_imageData, m_imageDataLength, data, length);
}

void qelImgAFPImage::setObjectData(const unsigned char* data, int length)
{
    copy(m_objectData, m_objectDataLength, data, length);
}
