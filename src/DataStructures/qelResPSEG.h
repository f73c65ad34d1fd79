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
    // Draws the objects at the include position; nothing before
    // fixAbsPosition.
    int display(qelVisitor* visitor, float x, float y) override;
    // Gives the objects without a resolution of their own the segment's and
    // fixes their positions, once.
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Appends to the owned object list, created on first use; an image
    // raises the largest bits per pixel.
    void addObject(qelGraphicObject* object);
    // Takes over every non-null object of the list; its caller has made the
    // list non-owning.
    void addObjects(const qelList* list);
    qelList* getObjectList() const { return m_objects; }
    qelList* getObjects() const { return m_objects; }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }
    int getMaxBitsPerPixel() const { return m_maxBitsPerPixel; }
    // Keeps the larger of the value and the current one and returns it.
    int raiseMaxBitsPerPixel(int bits);

    // Bits per pixel of an image object (1 when unknown); 0 for other
    // objects.
    static int bitsPerPixelOf(const qelGraphicObject* object);
    // A warning in the log (warning bit) and, unless quiet, on the message
    // output followed by a line end when newline is set.
    static void warn(const char* text, bool newline);

private:
    qelList* m_objects = nullptr;
    uint16_t m_resolution = 240;
    int m_maxBitsPerPixel = 1;
};

#endif
