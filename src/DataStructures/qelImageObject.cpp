#include "qelImageObject.h"

#include "qelGlobalDSPool.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelVisitor.h"

#include <cstring>

qelImageObject::~qelImageObject()
{
    delete[] m_encodedData;
    delete m_formatInfo;
}

void qelImageObject::write(qelVisitor* visitor)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const bool trace = ini && ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::write("[ImageObject]: (Begin): write\n");
    if (visitor)
        visitor->writeImageObject(this);
    if (trace)
        qelMessageOutput::write("[ImageObject]: (End): write\n");
}

void qelImageObject::setEncodedData(const unsigned char* bytes, int32_t length)
{
    delete[] m_encodedData;
    m_encodedData = nullptr;
    m_encodedLength = 0;
    if (!bytes || length <= 0)
        return;
    m_encodedData = new unsigned char[static_cast<size_t>(length)];
    std::memcpy(m_encodedData, bytes, static_cast<size_t>(length));
    m_encodedLength = length;
}

void qelImageObject::setFormatInfo(const qelImgInfo* info)
{
    delete m_formatInfo;
    m_formatInfo = info ? new qelImgInfo(*info) : nullptr;
    if (m_formatInfo && m_formatInfo->bitsPerPixel == 1) {
        m_formatInfo->bitsPerSample = 1;
        m_formatInfo->samplesPerPixel = 1;
    }
}

void qelImageObject::lendPrepared(unsigned char* data, int32_t length, qelImgInfo* info)
{
    if (data != m_encodedData)
        delete[] m_encodedData;
    if (info != m_formatInfo)
        delete m_formatInfo;
    m_encodedData = data;
    m_encodedLength = data ? length : 0;
    m_formatInfo = info;
}

void qelImageObject::detachPrepared()
{
    m_encodedData = nullptr;
    m_encodedLength = 0;
    m_formatInfo = nullptr;
}
