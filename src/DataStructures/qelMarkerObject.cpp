#include "qelMarkerObject.h"

#include "qelVisitor.h"

qelMarkerObject::qelMarkerObject(qelPoint position, uint8_t markerSet, uint8_t markerSymbol,
                                 uint8_t markerPrecision, uint32_t colorValue, int32_t mix, int32_t backgroundMix)
    : m_markerSet(markerSet), m_markerSymbol(markerSymbol), m_markerPrecision(markerPrecision)
{
    setPosition(position);
    setColorValue(colorValue);
    setForegroundMix(mix);
    setBackgroundMix(backgroundMix);
}

void qelMarkerObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeMarkerObject(this);
}
