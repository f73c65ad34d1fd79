#include "qelResOverlay.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPoolAccess.h"
#include "qelResPSEG.h"
#include "qelResourceReference.h"
#include "qelVisitor.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace
{
const int kPlacementOverlay = 2;

using qelPoolAccess::options;

void trace(const char* format, const char* name)
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x1))
        qelMessageOutput::printf(format, name ? name : "");
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

const char* objectTypeName(int type)
{
    switch (type) {
    case 4: return "EPS";
    case 5: return "TIF";
    case 8:
    case 9: return "DIB";
    case 10: return "PCX";
    case 12: return "GIF";
    case 13: return "JPG";
    case 17: return "PCL";
    case 29: return "jp2";
    case 30: return "PNG";
    case 31: return "BMP";
    default: return "Unknown";
    }
}

// Short type form of the listing; font names do not matter here.
const char* shortType(int type)
{
    switch (type) {
    case 1: return "OLY";
    case 2: return "PSEG";
    case 3: return "CFNT";
    case 4: return "CDP";
    case 5: return "MMAP";
    case 6: return "FDEF";
    case 7: return "GOCA";
    case 8: return "IOB";
    default: return "None";
    }
}

std::string referenceGroups(const qelList* references)
{
    std::string text;
    for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        text += format(" {Type=%-4s ", shortType(ref->getType()));
        text += format("Name=%-8s ", ref->getName() ? ref->getName() : "");
        text += format("Position=(%-7.2f,%-7.2f)", static_cast<double>(ref->getX()), static_cast<double>(ref->getY()));
        if (ref->getType() == qelRes::TYPE_OBJECT_CONTAINER)
            text += format(" ObjectType=%-4s }", objectTypeName(ref->getObjectType()));
        else
            text += " }";
    }
    return text;
}
}

qelResOverlay::qelResOverlay(const char* name)
{
    qelRes::setType(TYPE_OVERLAY);
    qelRes::setName(name);
    setMediaKind(KIND_OVERLAY);
}

qelResOverlay::~qelResOverlay() = default;

char* qelResOverlay::describe()
{
    const char* name = qelRes::getName();
    std::unique_ptr<char[]> head(listingLine(static_cast<int>((name ? std::strlen(name) : 4) + 64)));
    std::string text = head.get();

    const qelList* mapped = getMappedResources();
    text += format("Mapped Resources=%s", mapped && mapped->getHead() ? "" : "None");
    for (qelListNode* n = mapped ? mapped->getHead() : nullptr; n; n = n->next) {
        auto* entry = static_cast<qelMappedRes*>(n->item);
        text += format("{Type=%s ", shortType(entry->getKind()));
        text += format("Id=%d ", entry->getLocalId());
        if (entry->getKind() == TYPE_FONT) {
            const char* fontName = entry->getName();
            if (fontName && (fontName[0] == 'X' || fontName[0] == 'x')) {
                text += format("CDF=%s ", fontName);
            } else if (fontName) {
                text += format("CHS=%s ", fontName);
                text += format("CDP=%s ", entry->getCodePageName() ? entry->getCodePageName() : "NULL");
            } else {
                text += "Name=NULL";
            }
            if (const qelMappedFontInfo* info = entry->getFontInfo()) {
                if (info->getVerticalSize() > 0)
                    text += format("FontHeight=%d ", info->getVerticalSize());
                if (info->getHorizontalSize() > 0)
                    text += format("FontWidth=%d ", info->getHorizontalSize());
            }
        } else {
            text += format("Name=%s ", entry->getName() ? entry->getName() : "NULL");
        }
        text += format("Bounded=%s} ", entry->getResource() ? "Yes" : "No");
    }
    const qelList* medium = getMediumOverlays();
    text += format("\r\n%28sMedium Included Resources=%s", "", medium && medium->getHead() ? "" : "None");
    text += referenceGroups(medium);
    const qelList* references = getResourceReferences();
    text += format("\r\n%28sIncluded Resources=%s", "", references && references->getHead() ? "" : "None");
    text += referenceGroups(references);
    text += "\r\n";

    char* result = new char[text.size() + 1];
    std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}

bool qelResOverlay::enter()
{
    if (!m_inProgress)
        return true;
    const char* name = qelRes::getName() ? qelRes::getName() : "";
    qelIni* ini = options();
    if (!(ini && ini->isQuietMode()))
        qelMessageOutput::printf("Warning! Cyclic include of resource %s ignored\n", name);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("Warning! Cyclic include of resource %s ignored", name);
    return false;
}

namespace
{
struct InProgress {
    bool& flag;
    explicit InProgress(bool& f) : flag(f) { flag = true; }
    ~InProgress() { flag = false; }
};
}

int qelResOverlay::fixAbsPosition()
{
    if (getPositionsFixed() || !enter())
        return 0;
    InProgress busy(m_inProgress);
    qelList* references = getResourceReferences();
    for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        qelRes* res = ref->getResource();
        if (!res)
            continue;
        if (res->getType() == TYPE_PAGE_SEGMENT)
            if (auto* segment = dynamic_cast<qelResPSEG*>(res))
                segment->setResolution(getResolution());
        res->fixAbsPosition();
    }
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
        object->setPlacement(kPlacementOverlay);
        object->fixAbsPosition();
    }
    setPositionsFixed();
    return 0;
}

void qelResOverlay::writeReferences(qelVisitor* visitor)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr;
    const uint16_t savedResolution = t ? t->getResolution() : 0;
    qelList* references = getResourceReferences();
    for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        qelRes* res = ref->getResource();
        if (!res)
            continue;
        switch (res->getType()) {
        case TYPE_PAGE_SEGMENT:
            if (auto* segment = dynamic_cast<qelResPSEG*>(res))
                segment->setResolution(getResolution());
            res->fixAbsPosition();
            break;
        case TYPE_GOCA:
        case TYPE_OBJECT_CONTAINER:
            res->fixAbsPosition();
            break;
        default:
            break;
        }
        ref->setIncludingMedia(this);
        ref->write(visitor);
        ref->setIncludingMedia(nullptr);
    }
    if (t)
        t->setResolution(savedResolution);
}

int qelResOverlay::display(qelVisitor* visitor, float x, float y)
{
    trace("[ResOverlay]: (Begin): write(%s)\n", qelRes::getName());
    qelList* objects = getObjectList();
    qelList* references = getResourceReferences();
    if (!objects && !references)
        return 0;
    if (!enter())
        return 0;
    InProgress busy(m_inProgress);
    writeReferences(visitor);
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(kPlacementOverlay);
        if (object->kind() != qelGraphicObject::KIND_REFERENCE_LIST) {
            object->setAreaOrigin(x, y);
            object->setInclude(this);
        }
        object->write(visitor);
        object->setInclude(nullptr);
    }
    trace("[ResOverlay]: (End): write(%s)\n", qelRes::getName());
    return 0;
}

void qelResOverlay::writeIncludedResources(qelVisitor* visitor)
{
    if (!enter())
        return;
    InProgress busy(m_inProgress);
    writeReferences(visitor);
}

int qelResOverlay::writeObjectReference(qelVisitor* visitor)
{
    trace("[ResOverlay]: (Begin): writeObjectReference(%s)\n", qelRes::getName());
    if (visitor) {
        qelList* mapped = getMappedResources();
        for (qelListNode* n = mapped ? mapped->getHead() : nullptr; n; n = n->next)
            visitor->useFontResource(static_cast<qelMappedRes*>(n->item));
        qelList* references = getResourceReferences();
        for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next)
            visitor->declareResource(static_cast<qelResourceReference*>(n->item));
    }
    trace("[ResOverlay]: (End): writeObjectReference(%s)\n", qelRes::getName());
    return 0;
}
