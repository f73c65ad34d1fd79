#ifndef QEL_REFERENCE_OBJECT_LIST_H
#define QEL_REFERENCE_OBJECT_LIST_H

#include "qelGraphicObject.h"

class qelList;

// Stands in a media's object list for the contents of an included resource:
// while it is filled, its members are the resource's object list (not
// owned), `include` the resource, `areaOrigin` the include position,
// `resolution` the resource's and `placement` the list's code (2 overlay,
// 3 page segment, 4 graphics object, 5 object container).
class qelReferenceObjectList : public qelGraphicObject
{
public:
    qelReferenceObjectList() = default;
    // Drops the members without freeing them.
    ~qelReferenceObjectList() override = default;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_REFERENCE_LIST; }

    qelList* getMembers() const { return m_members; }
    void setMembers(qelList* members) { m_members = members; }
    uint16_t getRotation() const { return m_rotation; }
    void setRotation(uint16_t r) { m_rotation = r; }
    // Forgets members, rotation, position, resource and placement.
    void reset();

private:
    qelList* m_members = nullptr;
    uint16_t m_rotation = 0;
    bool m_writing = false;
};

#endif
