#include "qelReferenceObjectList.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelRes.h"
#include "qelVisitor.h"

#include <string>

namespace
{
const int kWriteFlags = 256;

void warn(const char* text)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("%s", text);
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!(ini && ini->isQuietMode())) {
        qelMessageOutput::write(text);
        qelMessageOutput::write("\n");
    }
}

float scaleTo(uint16_t target, uint16_t source)
{
    return source ? static_cast<float>(target) / static_cast<float>(source) : 1.0f;
}
}

void qelReferenceObjectList::reset()
{
    m_members = nullptr;
    m_rotation = 0;
    setAreaOrigin(0.0f, 0.0f);
    setInclude(nullptr);
    setPlacement(0);
}

void qelReferenceObjectList::write(qelVisitor* visitor)
{
    if (!m_members || !visitor)
        return;
    qelRes* resource = getInclude();
    if (m_writing) {
        // The resource's contents lead back to this list.
        std::string text = "Warning! Cyclic include of resource ";
        text += resource && resource->getName() ? resource->getName() : "";
        text += " ignored";
        warn(text.c_str());
        return;
    }
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(m_writing);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelPageCoordinateTransformer* transformer = pool ? pool->getPageCoordinateTransformer() : nullptr;
    const uint16_t pageResolution = transformer ? transformer->getResolution() : 240;
    const qelPoint origin = getAreaOrigin();

    visitor->setWriteFlags(kWriteFlags);
    for (qelListNode* n = m_members->getHead(); n; n = n->next) {
        auto* member = static_cast<qelGraphicObject*>(n->item);
        if (!member) {
            warn("Warning! Cannot Display Null Object.");
            continue;
        }
        member->setPlacement(getPlacement());
        const qelPoint p = member->getAreaOrigin();
        qelPoint placed = origin;
        if (member->kind() == KIND_REFERENCE_LIST) {
            const float f = scaleTo(pageResolution, getResolution());
            placed = qelPoint{origin.x + p.x * f, origin.y + p.y * f};
        } else if (p.x != 0.0f || p.y != 0.0f) {
            const float f = scaleTo(pageResolution, member->getResolution());
            placed = qelPoint{origin.x + p.x * f, origin.y + p.y * f};
        }
        member->setAreaOrigin(placed);
        member->setInclude(resource);
        if (resource) {
            resource->setIncludeRotation(m_rotation);
            resource->setIncludePosition(origin.x, origin.y);
        }
        member->write(visitor);
        if (resource)
            resource->setIncludeRotation(0);
        member->setInclude(nullptr);
        member->setPlacement(0);
        member->setAreaOrigin(p);
    }
    visitor->setWriteFlags(kWriteFlags);
}
