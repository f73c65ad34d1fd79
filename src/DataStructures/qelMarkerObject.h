#ifndef QEL_MARKER_OBJECT_H
#define QEL_MARKER_OBJECT_H

#include "qelGraphicObject.h"

// A GOCA marker symbol at the object's position.
class qelMarkerObject : public qelGraphicObject
{
public:
    qelMarkerObject(qelPoint position, uint8_t markerSet, uint8_t markerSymbol, uint8_t markerPrecision,
                    uint32_t colorValue, int32_t mix, int32_t backgroundMix);

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_MARKER; }

    uint8_t getMarkerSet() const { return m_markerSet; }
    void setMarkerSet(uint8_t v) { m_markerSet = v; }
    uint8_t getMarkerSymbol() const { return m_markerSymbol; }
    void setMarkerSymbol(uint8_t v) { m_markerSymbol = v; }
    uint8_t getMarkerPrecision() const { return m_markerPrecision; }
    void setMarkerPrecision(uint8_t v) { m_markerPrecision = v; }

private:
    uint8_t m_markerSet = 0;
    uint8_t m_markerSymbol = 0;
    uint8_t m_markerPrecision = 0;
};

#endif
