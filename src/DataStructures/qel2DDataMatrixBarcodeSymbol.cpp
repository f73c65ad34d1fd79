#include "qel2DDataMatrixBarcodeSymbol.h"

#include "qel2DDataMatrixBarcodeImplementor.h"
#include "qelBarcodeObject.h"
#include "qelGlobalDSPool.h"
#include "qelString.h"

qel2DDataMatrixBarcodeSymbol::qel2DDataMatrixBarcodeSymbol() = default;

qel2DDataMatrixBarcodeSymbol::~qel2DDataMatrixBarcodeSymbol()
{
    delete m_imageName;
}

void qel2DDataMatrixBarcodeSymbol::setImageName(const char* name)
{
    delete m_imageName;
    m_imageName = name ? new qelString(name) : nullptr;
}

const char* qel2DDataMatrixBarcodeSymbol::getImageName() const
{
    return m_imageName ? m_imageName->getBuffer() : nullptr;
}

void qel2DDataMatrixBarcodeSymbol::draw(qelBarcodeObject* object)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qel2DDataMatrixBarcodeImplementor* encoder = pool ? pool->getDataMatrixImplementor() : nullptr;
    if (!encoder || !object)
        return;
    unsigned char* bitmap = nullptr;
    int length = 0;
    int checkValue = 0;
    float width = 0.0f;
    float height = 0.0f;
    if (encoder->encode(object, this, &bitmap, &length, &checkValue, &width, &height) < 0)
        return;
    setPattern(bitmap, length);
    delete[] bitmap;
    setWidth(width);
    setHeight(height);
}
