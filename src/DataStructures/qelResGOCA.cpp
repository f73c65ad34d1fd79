#include "qelResGOCA.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelPageCoordinateTransformer.h"
#include "qelResPSEG.h"

namespace
{
const int kPlacementGraphics = 4;
}

qelResGOCA::qelResGOCA()
{
    qelRes::setType(TYPE_GOCA);
    setMediaKind(KIND_GOCA);
}

qelResGOCA::qelResGOCA(const char* name) : qelResGOCA()
{
    qelRes::setName(name);
}

bool qelResGOCA::isDrawnFor(int outputFormat)
{
    return outputFormat == QEL_OUT_JPEG || outputFormat == QEL_OUT_PDF || outputFormat == QEL_OUT_TIFF ||
           outputFormat == QEL_OUT_PDFA;
}

void qelResGOCA::addParsedObject(qelGraphicObject* object)
{
    if (!object)
        return;
    object->setAreaOrigin(getIncludeX(), getIncludeY());
    qelPtocaMedia::addParsedObject(object);
}

qelList* qelResGOCA::takeObjects()
{
    qelList* objects = getObjectList();
    if (objects)
        objects->stopOwningItems();
    return objects;
}

int qelResGOCA::display(qelVisitor* visitor, float x, float y)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini || !isDrawnFor(ini->getOutputFormat())) {
        qelLogStream* log = pool ? pool->getLogStream() : nullptr;
        if (log && log->anyOf(QEL_LOG_LEVEL2))
            log->printLine("Warning! GOCA not yet supported for TIFF/JPEG output in %s V%s.%s.%d.%d\n",
                           ini && ini->isSDK() ? "Lorbane SDK" : "Lorbane", "", "", 0, 32);
        return 0;
    }
    qelList* objects = getObjectList();
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n && visitor; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object) {
            qelResPSEG::warn("Warning! Cannot display null goca object.", true);
            continue;
        }
        object->setPlacement(kPlacementGraphics);
        object->writeIncluded(visitor, this, qelPoint{x, y});
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
