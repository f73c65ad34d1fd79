#include "qelCODE128BarcodeSymbol.h"

#include "qelBarcodeObject.h"
#include "qelCODE128BarcodeImplementor.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"

#include <cstring>

qelCODE128BarcodeSymbol::qelCODE128BarcodeSymbol() = default;

qelCODE128BarcodeSymbol::~qelCODE128BarcodeSymbol() = default;

void qelCODE128BarcodeSymbol::draw(qelBarcodeObject* object)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelCODE128BarcodeImplementor* encoder = pool ? pool->getCode128Implementor() : nullptr;
    if (!encoder || !object)
        return;
    unsigned char* pattern = nullptr;
    int patternLength = 0;
    int checkValue = 0;
    float width = 0.0f;
    float height = 0.0f;
    if (encoder->encode(object, this, &pattern, &patternLength, &checkValue, &width, &height) < 0)
        return;
    setCheckValue(checkValue);
    setPattern(pattern, static_cast<int>(std::strlen(reinterpret_cast<char*>(pattern))));
    delete[] pattern;

    qelIni* ini = pool->getIni();
    const double resolution = object->getResolution();
    const double modules = getPatternLength();
    if (ini && ini->getBarcodeWidth() > 0.0f)
        width = static_cast<float>(modules * ini->getBarcodeWidth() * resolution);
    else if (object->getModuleWidth() != 255)
        width = static_cast<float>(object->getModuleWidth() * modules / 1000.0 * resolution);
    if (ini && ini->getBarcodeHeight() > 0.0f)
        height = static_cast<float>(resolution * ini->getBarcodeHeight());
    else if (object->getElementHeight() != 0xFFFF)
        height = static_cast<float>(object->getElementHeight());
    setWidth(width);
    setHeight(height);
}
