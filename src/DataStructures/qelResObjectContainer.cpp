#include "qelResObjectContainer.h"

#include "qelGraphicObject.h"
#include "qelList.h"
#include "qelResPSEG.h"

namespace
{
const int kPlacementObjectContainer = 5;
}

qelResObjectContainer::qelResObjectContainer(const char* name)
{
    setType(TYPE_OBJECT_CONTAINER);
    setName(name);
}

qelResObjectContainer::~qelResObjectContainer()
{
    qelList::destroy(m_objects);
}

int qelResObjectContainer::raiseMaxBitsPerPixel(int bits)
{
    if (bits > m_maxBitsPerPixel)
        m_maxBitsPerPixel = bits;
    return m_maxBitsPerPixel;
}

void qelResObjectContainer::addObject(qelGraphicObject* object)
{
    if (!object)
        return;
    if (!m_objects)
        m_objects = new qelList(&qelList::deleteAs<qelGraphicObject>);
    m_objects->append(object);
    raiseMaxBitsPerPixel(qelResPSEG::bitsPerPixelOf(object));
}

int qelResObjectContainer::display(qelVisitor* visitor, float x, float y)
{
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n && visitor; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object) {
            qelResPSEG::warn("Warning! Cannot Display Null Object.", true);
            continue;
        }
        object->setPlacement(kPlacementObjectContainer);
        if (object->kind() != qelGraphicObject::KIND_REFERENCE_LIST)
            object->setAreaOrigin(x, y);
        object->setInclude(this);
        object->write(visitor);
        object->setInclude(nullptr);
    }
    return 0;
}

int qelResObjectContainer::fixAbsPosition()
{
    // Fixed once, like the other resources: a second include must not
    // move the objects again.
    if (m_fixed)
        return 0;
    m_fixed = true;
    setPositionsFixed();
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementObjectContainer);
        object->fixAbsPosition();
    }
    return 0;
}
