#include "qelResPSEG.h"

#include "qelGraphicObject.h"
#include "qelList.h"

namespace
{
const int kPlacementPageSegment = 3;
}

qelResPSEG::qelResPSEG(const char* name)
{
    setType(TYPE_PAGE_SEGMENT);
    setName(name);
}

qelResPSEG::~qelResPSEG()
{
    qelList::destroy(m_objects);
}

void qelResPSEG::addObject(qelGraphicObject* object)
{
    if (!object)
        return;
    if (!m_objects)
        m_objects = new qelList(&qelList::deleteAs<qelGraphicObject>);
    m_objects->append(object);
}

int qelResPSEG::display(qelVisitor* visitor, float x, float y)
{
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n && visitor; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementPageSegment);
        if (object->kind() != qelGraphicObject::KIND_REFERENCE_LIST)
            object->setAreaOrigin(x, y);
        object->setInclude(this);
        object->write(visitor);
        object->setInclude(nullptr);
    }
    return 0;
}

int qelResPSEG::fixAbsPosition()
{
    if (getPositionsFixed())
        return 0;
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementPageSegment);
        object->fixAbsPosition();
    }
    setPositionsFixed();
    return 0;
}
