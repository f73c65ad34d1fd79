#include "qelResourceReference.h"

#include "qelContainerObject.h"
#include "qelGlobalDSPool.h"
#include "qelImageObject.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelReferenceObjectList.h"
#include "qelRes.h"
#include "qelResOverlay.h"
#include "qelResObjectContainer.h"
#include "qelResPSEG.h"
#include "qelVisitor.h"

#include <cstring>

namespace
{
const int kWriteFlags = 256;

using qelPoolAccess::options;

qelLogStream* logIf(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(bits) ? log : nullptr;
}
}

qelResourceReference::qelResourceReference(const char* name, int type, float x, float y)
    : m_x(x), m_y(y), m_type(type)
{
    setName(name);
}

qelResourceReference::qelResourceReference(float x, float y, qelRes* container) : m_x(x), m_y(y)
{
    if (!container) {
        if (qelLogStream* log = logIf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Include Resource cannot be empty.");
        qelIni* ini = options();
        if (!(ini && ini->isQuietMode()))
            qelMessageOutput::write("Warning! Include Resource cannot be empty.\n");
        return;
    }
    m_directContainer = 1;
    m_resource = container;
}

void qelResourceReference::setName(const char* text)
{
    m_hasName = text != nullptr;
    m_name = text ? text : "";
}

uint64_t qelResourceReference::getPositionBits() const
{
    uint32_t x = 0;
    uint32_t y = 0;
    std::memcpy(&x, &m_x, sizeof x);
    std::memcpy(&y, &m_y, sizeof y);
    return static_cast<uint64_t>(y) << 32 | x;
}

void qelResourceReference::setPositionBits(uint64_t bits)
{
    const auto x = static_cast<uint32_t>(bits);
    const auto y = static_cast<uint32_t>(bits >> 32);
    std::memcpy(&m_x, &x, sizeof x);
    std::memcpy(&m_y, &y, sizeof y);
}

bool qelResourceReference::isContainerReference() const
{
    return m_directContainer || m_type == qelRes::TYPE_OBJECT_CONTAINER ||
           (m_resource && m_resource->getType() == qelRes::TYPE_OBJECT_CONTAINER);
}

qelRes* qelResourceReference::getResource()
{
    if (m_resource && isContainerReference())
        applyToResource();
    return m_resource;
}

qelList* qelResourceReference::getObjectListOf(qelRes* resource)
{
    if (!resource)
        return nullptr;
    switch (resource->getType()) {
    case qelRes::TYPE_OVERLAY:
    case qelRes::TYPE_GOCA: {
        auto* media = dynamic_cast<qelMedia*>(resource);
        return media ? media->getObjectList() : nullptr;
    }
    case qelRes::TYPE_PAGE_SEGMENT: {
        auto* segment = dynamic_cast<qelResPSEG*>(resource);
        return segment ? segment->getObjectList() : nullptr;
    }
    case qelRes::TYPE_OBJECT_CONTAINER: {
        auto* container = dynamic_cast<qelResObjectContainer*>(resource);
        return container ? container->getObjectList() : nullptr;
    }
    default:
        return nullptr;
    }
}

void qelResourceReference::applyToResource()
{
    qelList* objects = getObjectListOf(m_resource);
    qelListNode* first = objects ? objects->getHead() : nullptr;
    auto* object = first ? static_cast<qelGraphicObject*>(first->item) : nullptr;
    if (!object)
        return;
    if (m_resolution != 0)
        object->setResolution(m_resolution);
    if (object->kind() == qelGraphicObject::KIND_CONTAINER) {
        auto* container = static_cast<qelContainerObject*>(object);
        if (m_objectType != 0)
            container->setType(m_objectType);
        if (m_width != 0 && m_height != 0)
            container->setAreaSize(getObjectAreaWidth(), getObjectAreaHeight());
        if (m_mappingOption != 0xFF)
            container->setMappingOption(m_mappingOption);
        // The offsets are signed 16-bit values.
        const int32_t x = static_cast<int16_t>(m_xContentOffset), y = static_cast<int16_t>(m_yContentOffset);
        container->setContentOffset(x, y);
        container->setContentOrigin(x, y);
        container->setReferenceSystem(m_referenceCoordinateSystem);
        container->setXUnitBase(m_xUnitBase);
        container->setYUnitBase(m_yUnitBase);
        container->setXUnitsPerBase(m_xUnitsPerBase);
        container->setYUnitsPerBase(m_yUnitsPerBase);
        container->setCreatedByScript(m_resource->getScriptCreated());
    } else if (object->kind() == qelGraphicObject::KIND_IMAGE) {
        auto* image = static_cast<qelImageObject*>(object);
        if (m_mappingOption != 0xFF)
            image->setMappingOption(m_mappingOption);
        image->setReferenceSystem(m_referenceCoordinateSystem);
    }
    if (m_positionGiven == 1)
        object->setAreaOrigin(m_x, m_y);
    object->setIAxisOrientation(m_xAxisRotation);
    object->setBAxisOrientation(m_yAxisRotation);
    object->setAngle(static_cast<float>(m_xAxisRotation), false);
}

void qelResourceReference::write(qelVisitor* visitor, bool mediumOverlay)
{
    if (mediumOverlay)
        writeMedium(visitor);
    else
        write(visitor);
}

void qelResourceReference::write(qelVisitor* visitor)
{
    writeWith(visitor, false);
}

void qelResourceReference::writeMedium(qelVisitor* visitor)
{
    writeWith(visitor, true);
}

void qelResourceReference::writeWith(qelVisitor* visitor, bool medium)
{
    if (!visitor)
        return;
    const int answer = visitor->writeResourceReference(this, medium);
    qelRes* resource = getResource();
    if (answer != 2) {
        visitor->declareResource(this);
        if (resource)
            resource->writeObjectReference(visitor);
        return;
    }
    if (!resource)
        return;
    visitor->setWriteFlags(kWriteFlags);
    if (!medium && m_referenceList) {
        resource->setIncludingMedia(m_includingMedia);
        fillList(resource, m_referenceList, visitor);
        return;
    }
    resource->setIncludingMedia(m_includingMedia);
    resource->setIncludePosition(m_x, m_y);
    resource->setIncludeRotation(m_xAxisRotation);
    resource->display(visitor, m_x, m_y);
    resource->setIncludingMedia(nullptr);
    resource->setIncludePosition(0.0f, 0.0f);
    resource->setIncludeRotation(0);
}

void qelResourceReference::fillList(qelRes* resource, qelReferenceObjectList* list, qelVisitor* visitor)
{
    list->setInclude(resource);
    list->setAreaOrigin(m_x, m_y);
    list->setRotation(m_xAxisRotation);
    switch (resource->getType()) {
    case qelRes::TYPE_OVERLAY: {
        auto* overlay = dynamic_cast<qelResOverlay*>(resource);
        if (!overlay)
            return;
        overlay->writeIncludedResources(visitor);
        list->setMembers(overlay->getObjectList());
        list->setResolution(overlay->getResolution());
        list->setPlacement(2);
        break;
    }
    case qelRes::TYPE_GOCA: {
        auto* media = dynamic_cast<qelMedia*>(resource);
        if (!media)
            return;
        list->setMembers(media->getObjectList());
        list->setResolution(media->getResolution());
        list->setPlacement(4);
        break;
    }
    case qelRes::TYPE_PAGE_SEGMENT: {
        auto* segment = dynamic_cast<qelResPSEG*>(resource);
        if (!segment)
            return;
        list->setMembers(segment->getObjectList());
        list->setResolution(segment->getResolution());
        list->setPlacement(3);
        break;
    }
    case qelRes::TYPE_OBJECT_CONTAINER: {
        qelList* objects = getObjectListOf(resource);
        list->setMembers(objects);
        qelListNode* first = objects ? objects->getHead() : nullptr;
        if (first && first->item)
            list->setResolution(static_cast<qelGraphicObject*>(first->item)->getResolution());
        list->setPlacement(5);
        break;
    }
    default:
        break;
    }
}
