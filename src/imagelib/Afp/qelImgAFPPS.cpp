#include "qelImgAFPPS.h"

#include "qelImgAFPIOCAImage.h"

qelImgAFPPS::~qelImgAFPPS() { delete m_image; }

void qelImgAFPPS::setImage(qelImgAFPIOCAImage* image)
{
    if (image == m_image)
        return;
    delete m_image;
    m_image = image;
}
