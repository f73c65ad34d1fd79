#include "qelResGOCA.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelList.h"
#include "qelPageCoordinateTransformer.h"

namespace
{
const int kPlacementGraphics = 4;
}

int qelResGOCA::display(qelVisitor* visitor, float x, float y)
{
    qelList* objects = getObjectList();
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n && visitor; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementGraphics);
        if (object->kind() != qelGraphicObject::KIND_REFERENCE_LIST)
            object->setAreaOrigin(x, y);
        object->setInclude(this);
        object->write(visitor);
        object->setInclude(nullptr);
    }
    return 0;
}

int qelResGOCA::fixAbsPosition()
{
    if (getPositionsFixed())
        return 0;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr) {
        t->setAxisMode(2);
        t->setPageSize(static_cast<uint16_t>(getWidth()), static_cast<uint16_t>(getHeight()));
        t->setResolution(getResolution());
    }
    qelList* objects = getObjectList();
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementGraphics);
        object->fixAbsPosition();
    }
    setPositionsFixed();
    return 0;
}
