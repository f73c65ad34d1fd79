#ifndef QEL_RES_OBJECT_CONTAINER_H
#define QEL_RES_OBJECT_CONTAINER_H

#include "qelRes.h"

class qelGraphicObject;
class qelList;

// Object container resource (type 8): the container object read from the
// resource, drawn at the include position.
class qelResObjectContainer : public qelRes
{
public:
    explicit qelResObjectContainer(const char* name);
    ~qelResObjectContainer() override;

    char* describe() override { return listingLine(1024); }
    // Draws the objects at the include position.
    int display(qelVisitor* visitor, float x, float y) override;
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Appends to the owned object list, created on first use; an image
    // raises the largest bits per pixel.
    void addObject(qelGraphicObject* object);
    qelList* getObjects() const { return m_objects; }
    qelList* getObjectList() const { return m_objects; }
    int getMaxBitsPerPixel() const { return m_maxBitsPerPixel; }
    // Keeps the larger of the value and the current one and returns it.
    int raiseMaxBitsPerPixel(int bits);
    bool isFixed() const { return m_fixed; }

private:
    bool m_fixed = false;
    qelList* m_objects = nullptr;
    int m_maxBitsPerPixel = 1;
};

#endif
