#include "qelGDImageHandle.h"

qelGDImageHandle::~qelGDImageHandle()
{
    if (m_image)
        gdImageDestroy(m_image);
}

void qelGDImageHandle::setImage(gdImagePtr image)
{
    if (m_image && m_image != image)
        gdImageDestroy(m_image);
    m_image = image;
}
