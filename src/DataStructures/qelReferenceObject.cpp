#include "qelReferenceObject.h"

#include "qelGlobalDSPool.h"
#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelVisitor.h"

namespace
{
qelLogStream* logAll()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->isExactly(QEL_LOG_ALL) ? log : nullptr;
}
}

qelReferenceObject::~qelReferenceObject()
{
    delete[] m_preparedData;
    delete m_preparedFormat;
}

void qelReferenceObject::write(qelVisitor* visitor)
{
    if (!visitor || !m_referenced || m_referenced->kind() != KIND_IMAGE)
        return;
    if (getSuppressed()) {
        if (qelLogStream* log = logAll())
            log->print("\n @(%.2f,%.2f) Reference Object is Skipped!", static_cast<double>(getX()),
                       static_cast<double>(getY()));
        return;
    }
    auto* image = static_cast<qelImageObject*>(m_referenced);
    const auto width = static_cast<int32_t>(static_cast<uint16_t>(static_cast<int32_t>(m_presentationWidth)));
    const auto height = static_cast<int32_t>(static_cast<uint16_t>(static_cast<int32_t>(m_presentationHeight)));
    image->setAreaSize(width, height);
    image->setPresentationSize(width, height);
    image->setAreaOrigin(getOriginOffset());
    image->setIAxisOrientation(getIAxisOrientation());
    image->setBAxisOrientation(getBAxisOrientation());
    image->setResolution(getResolution());
    image->setPlacement(getPlacement());

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const uint16_t rotation = getIAxisOrientation();
    const bool rotate = ini && ini->isAutoRotateImage() && rotation != 0 && rotation != 360;
    if (!(m_targetWidth > 0 || m_targetHeight > 0 || rotate)) {
        image->write(visitor);
        return;
    }
    image->setTargetSize(m_targetWidth, m_targetHeight);
    const bool lending = m_preparedData != nullptr;
    if (lending)
        image->lendPrepared(m_preparedData, m_preparedLength, m_preparedFormat);
    else
        image->lendPrepared(nullptr, 0, nullptr);
    // Whatever the write ends with, the image keeps nothing of ours, and
    // what it prepared the first time becomes ours.
    auto takeBack = [&]() {
        if (!lending) {
            m_preparedData = image->getEncodedData();
            m_preparedLength = m_preparedData ? image->getEncodedLength() : 0;
            if (image->getFormatInfo() != m_preparedFormat) {
                delete m_preparedFormat;
                m_preparedFormat = image->getFormatInfo();
            }
            m_presentationWidth = static_cast<float>(image->getPresentationWidth());
            m_presentationHeight = static_cast<float>(image->getPresentationHeight());
        }
        image->detachPrepared();
    };
    try {
        image->write(visitor);
    } catch (...) {
        takeBack();
        throw;
    }
    takeBack();
}

void qelReferenceObject::computeBoundingBox()
{
    if (hasBoundingBox())
        return;
    const qelPoint origin = getAreaOrigin();
    const float x = origin.x;
    const float y = origin.y;
    const float w = m_presentationWidth;
    const float h = m_presentationHeight;
    qelPoint topLeft{x, y};
    qelPoint bottomRight{x + w, y + h};
    switch (getIAxisOrientation()) {
    case 90: topLeft = qelPoint{x - h, y}; bottomRight = qelPoint{x, y + w}; break;
    case 180: topLeft = qelPoint{x - w, y - h}; bottomRight = qelPoint{x, y}; break;
    case 270: topLeft = qelPoint{x, y - w}; bottomRight = qelPoint{x + h, y}; break;
    default: break;
    }
    setBoundingBox(topLeft, bottomRight);
    if (qelLogStream* log = logAll())
        log->print("\n\t@(%.2f,%.2f)>Reference(Image)< Rot=%d, TL=(%.2f,%.2f), BR=(%.2f,%.2f), RF=%s",
                   static_cast<double>(x), static_cast<double>(y), getIAxisOrientation(),
                   static_cast<double>(topLeft.x), static_cast<double>(topLeft.y), static_cast<double>(bottomRight.x),
                   static_cast<double>(bottomRight.y), getRasterize() ? "Y" : "N");
}
