#include "qelResPSEG.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"

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

int qelResPSEG::bitsPerPixelOf(const qelGraphicObject* object)
{
    if (!object || object->kind() != qelGraphicObject::KIND_IMAGE)
        return 0;
    const qelImgInfo* info = static_cast<const qelImageObject*>(object)->getFormatInfo();
    return info ? info->bitsPerPixel : 1;
}

void qelResPSEG::warn(const char* text, bool newline)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("%s", text);
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!(ini && ini->isQuietMode())) {
        qelMessageOutput::write(text);
        if (newline)
            qelMessageOutput::write("\n");
    }
}

int qelResPSEG::raiseMaxBitsPerPixel(int bits)
{
    if (bits > m_maxBitsPerPixel)
        m_maxBitsPerPixel = bits;
    return m_maxBitsPerPixel;
}

void qelResPSEG::addObject(qelGraphicObject* object)
{
    if (!object)
        return;
    if (!m_objects)
        m_objects = new qelList(&qelList::deleteAs<qelGraphicObject>);
    m_objects->append(object);
    raiseMaxBitsPerPixel(bitsPerPixelOf(object));
}

void qelResPSEG::addObjects(const qelList* list)
{
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        addObject(static_cast<qelGraphicObject*>(n->item));
}

int qelResPSEG::display(qelVisitor* visitor, float x, float y)
{
    if (!getPositionsFixed()) {
        warn("Warning! fixAbsPosition() not called. Not able to display PSEG.", false);
        return 0;
    }
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n && visitor; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object) {
            warn("Warning! Cannot Display Null Object.", true);
            continue;
        }
        object->setPlacement(kPlacementPageSegment);
        object->writeIncluded(visitor, this, qelPoint{x, y});
    }
    return 0;
}

int qelResPSEG::fixAbsPosition()
{
    if (getPositionsFixed())
        return 0;
    // The objects' positions count from the segment's top left, whatever
    // axis mode the output has set; the caller gets its mode back.
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr;
    const int savedMode = t ? t->getAxisMode() : 0;
    if (t)
        t->setAxisMode(2);
    for (qelListNode* n = m_objects ? m_objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementPageSegment);
        // A graphics object keeps the units its descriptor gave it; objects
        // without units of their own take the segment's.
        if (object->getResolution() == 0)
            object->setResolution(m_resolution);
        object->fixAbsPosition();
    }
    if (t)
        t->setAxisMode(savedMode);
    setPositionsFixed();
    return 0;
}
