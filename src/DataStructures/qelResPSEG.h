#ifndef QEL_RES_PSEG_H
#define QEL_RES_PSEG_H

#include "qelRes.h"

#include <cstdint>

class qelGraphicObject;
class qelList;

// Page segment resource (type 2): objects placed relative to the include
// position, in the segment's own units.
class qelResPSEG : public qelRes
{
public:
    explicit qelResPSEG(const char* name);
    ~qelResPSEG() override;

    char* describe() override { return listingLine(256); }
    // Draws the objects at the include position.
    int display(qelVisitor* visitor, float x, float y) override;
    // Fixes the objects' positions once.
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Appends to the owned object list, created on first use.
    void addObject(qelGraphicObject* object);
    qelList* getObjectList() const { return m_objects; }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }

private:
    qelList* m_objects = nullptr;
    uint16_t m_resolution = 240;
};

#endif
