#include "qelCODE39BarcodeSymbol.h"

#include "qelBarcodeObject.h"
#include "qelCODE39BarcodeImplementor.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"

#include <cstring>

qelCODE39BarcodeSymbol::qelCODE39BarcodeSymbol() = default;

qelCODE39BarcodeSymbol::~qelCODE39BarcodeSymbol() = default;

void qelCODE39BarcodeSymbol::draw(qelBarcodeObject* object)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelCODE39BarcodeImplementor* encoder = pool ? pool->getCode39Implementor() : nullptr;
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
    const float resolution = object->getResolution();
    if (ini && ini->getBarcodeWidth() > 0.0f)
        width = static_cast<float>(getPatternLength()) * ini->getBarcodeWidth() * resolution;
    if (ini && ini->getBarcodeHeight() > 0.0f)
        height = resolution * ini->getBarcodeHeight();
    setWidth(width);
    setHeight(height);
}
