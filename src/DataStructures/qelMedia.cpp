#include "qelMedia.h"

#include "qelAnnotationObject.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelContainerObject.h"
#include "qelFontMapper.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelPoolAccess.h"
#include "qelCharSetParser.h"
#include "qelRes.h"
#include "qelReferenceObjectList.h"
#include "qelResObjectContainer.h"
#include "qelResPSEG.h"
#include "qelResourceReference.h"
#include "qelTripletParser.h"
#include "qelString.h"
#include "qelTextObject.h"
#include "qelUtils.h"

#include <algorithm>
#include <initializer_list>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kOutputAscii = 2;

using qelPoolAccess::options;

qelLogStream* logIf(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(bits) ? log : nullptr;
}

using qelPoolAccess::quiet;

bool asciiOutput()
{
    qelIni* ini = options();
    return ini && ini->getOutputFormat() == kOutputAscii;
}

qelGlobalRes* globalRes()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getGlobalRes() : nullptr;
}

bool startsWith(const char* name, char upper)
{
    return name && (name[0] == upper || name[0] == upper + ('a' - 'A'));
}

qelMedia* mediaOf(qelRes* res)
{
    if (!res || (res->getType() != qelRes::TYPE_OVERLAY && res->getType() != qelRes::TYPE_GOCA))
        return nullptr;
    return dynamic_cast<qelMedia*>(res);
}

void deleteList(qelList*& list)
{
    qelList::destroy(list);
}

// Leaves the items to their real owner.
void dropList(qelList*& list)
{
    list = nullptr;
}

const char* kindLabel(int kind)
{
    switch (kind) {
    case 0: return "Text";
    case 1: return "Line";
    case 2: return "Image";
    case 3: return "Cell";
    case 4: return "Tiff";
    case 5: return "PIM";
    case 6: return "AFP";
    case 7: return "Object Container";
    case 9: return "Area";
    case 10: return "Box";
    case 11: return "Curved Line";
    case 12: return "Full Arc";
    case 13: return "Partial Arc";
    case 14: return "Fillet";
    case 15: return "Marker";
    default: return "";
    }
}

}

qelMedia::qelMedia(uint32_t width, uint32_t height) : m_width(width), m_height(height)
{
}

qelMedia::~qelMedia()
{
    deleteList(m_objects);
    deleteList(m_objectsBelow);
    deleteList(m_objectsAbove);
    if (m_sharedLists) {
        dropList(m_addedIncludes);
        dropList(m_mappedResources);
    } else {
        deleteList(m_addedIncludes);
        deleteList(m_mappedResources);
    }
    deleteList(m_resourceReferences);
    deleteList(m_mediumOverlays);
}

void qelMedia::destroyBody()
{
    deleteList(m_objects);
    deleteList(m_objectsBelow);
    deleteList(m_objectsAbove);
    if (m_sharedLists) {
        dropList(m_addedIncludes);
        dropList(m_mappedResources);
    } else {
        deleteList(m_addedIncludes);
        deleteList(m_mappedResources);
    }
    deleteList(m_resourceReferences);
    deleteList(m_mediumOverlays);
    m_textCursor = m_lineCursor = m_imageCursor = m_vectorCursor = nullptr;
    m_mediumOverlayCursor = m_overlayCursor = m_pageSegmentCursor = nullptr;
    m_currentFontMapping = nullptr;
}

bool qelMedia::isBound() const
{
    const uint8_t all = BOUND_FONTS | BOUND_REFERENCES | BOUND_MEDIUM_OVERLAYS;
    return (m_bindState & all) == all;
}

void qelMedia::addParsedObject(qelGraphicObject* object)
{
    if (!object)
        return;
    if (!m_objects)
        m_objects = new qelList(&qelList::deleteAs<qelGraphicObject>);
    m_objects->append(object);
    const int kind = object->kind();
    if (kind >= 0 && kind < 16 && kind != 8)
        ++m_objectCounters[kind];
}

void qelMedia::addObject(qelGraphicObject* object, bool below)
{
    if (!object)
        return;
    qelList*& list = below ? m_objectsBelow : m_objectsAbove;
    if (!list)
        list = new qelList(&qelList::deleteAs<qelGraphicObject>);
    list->append(object);
    const int kind = object->kind();
    if (kind >= 0 && kind < 16 && kind != 8)
        ++m_objectCounters[kind];
    if (kind == qelGraphicObject::KIND_TEXT)
        static_cast<qelTextObject*>(object)->setTextIndex(m_objectCounters[0]);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->isExactly(QEL_LOG_ALL)) {
        const char* name = "";
        if (kind == qelGraphicObject::KIND_TEXT)
            name = static_cast<qelTextObject*>(object)->getText() ? static_cast<qelTextObject*>(object)->getText() : "";
        else if (kind == qelGraphicObject::KIND_LINE)
            name = "Line";
        log->printLine("%s object is added %s the page: Name:%s, Pos:(%0.2f, %0.2f)", kindLabel(kind),
                       below ? "below" : "above", name, static_cast<double>(object->getX()),
                       static_cast<double>(object->getY()));
    }
}

qelMappedRes* qelMedia::findFontMapping(qelRes* resource)
{
    if (!resource || !m_mappedResources)
        return nullptr;
    for (qelListNode* n = m_mappedResources->getHead(); n; n = n->next) {
        auto* m = static_cast<qelMappedRes*>(n->item);
        if (m->getKind() == static_cast<int32_t>(resource->getType()) && m->getResource() == resource)
            return m;
    }
    return nullptr;
}

void qelMedia::bind()
{
    bindSteps({BOUND_FONTS, BOUND_REFERENCES, BOUND_TEXT, BOUND_ADDED});
}

void qelMedia::bindAFPSteps()
{
    bindSteps({BOUND_FONTS, BOUND_TEXT, BOUND_REFERENCES, BOUND_MEDIUM_OVERLAYS, BOUND_ADDED});
}

void qelMedia::bindSteps(std::initializer_list<uint8_t> steps)
{
    if (m_binding)
        return;
    m_binding = true;
    try {
        for (uint8_t step : steps) {
            if (m_bindState & step)
                continue;
            switch (step) {
            case BOUND_FONTS:
                resolveFonts();
                break;
            case BOUND_TEXT:
                bindText();
                break;
            case BOUND_REFERENCES:
                bindResourceReferences();
                break;
            case BOUND_MEDIUM_OVERLAYS:
                bindMediumOverlays();
                break;
            case BOUND_ADDED:
                bindAddedObjects();
                break;
            }
        }
    } catch (...) {
        m_binding = false;
        throw;
    }
    m_binding = false;
}

void qelMedia::selectFont(uint8_t localId)
{
    if (!m_mappedResources)
        return;
    for (qelListNode* n = m_mappedResources->getHead(); n; n = n->next) {
        auto* m = static_cast<qelMappedRes*>(n->item);
        if (m->getLocalId() == localId) {
            m_currentFontMapping = m;
            return;
        }
    }
}

void qelMedia::addMappedResource(qelMappedRes* mapped)
{
    if (!mapped)
        return;
    if (!m_mappedResources)
        m_mappedResources = new qelList(&qelList::deleteAs<qelMappedRes>);
    m_mappedResources->append(mapped);
}

void qelMedia::addResourceReference(qelResourceReference* reference)
{
    if (!reference)
        return;
    if (!m_resourceReferences)
        m_resourceReferences = new qelList(&qelList::deleteAs<qelResourceReference>);
    m_resourceReferences->append(reference);
}

void qelMedia::addIncludedResource(qelResourceReference* reference)
{
    if (!reference)
        return;
    addResourceReference(reference);
    auto* list = new qelReferenceObjectList();
    addParsedObject(list);
    reference->setReferenceList(list);
}

void qelMedia::addMediumOverlay(const unsigned char* record)
{
    if (!record || record[0] != 0xDF)
        return;
    char name[9] = {0};
    std::memcpy(name, record + 1, 8);
    const auto x = static_cast<int16_t>((record[10] << 8) | record[11]);
    const auto y = static_cast<int16_t>((record[12] << 8) | record[13]);
    if (!m_mediumOverlays)
        m_mediumOverlays = new qelList(&qelList::deleteAs<qelResourceReference>);
    m_mediumOverlays->append(new qelResourceReference(name, qelRes::TYPE_OVERLAY, x, y));
}

void qelMedia::addMediumOverlays(const qelList* names)
{
    if (!names)
        return;
    if (!m_mediumOverlays)
        m_mediumOverlays = new qelList(&qelList::deleteAs<qelResourceReference>);
    for (qelListNode* n = names->getHead(); n; n = n->next)
        m_mediumOverlays->append(new qelResourceReference(static_cast<const char*>(n->item), qelRes::TYPE_OVERLAY,
                                                          0.0f, 0.0f));
}

void qelMedia::addIncludedObject(int type, const char* name, float x, float y, uint16_t resolution, int32_t width,
                                 int32_t height, int rotation, bool below)
{
    (void)below;
    if (!name)
        return;
    int yRotation = rotation + 90;
    if (yRotation >= 360)
        yRotation -= 360;
    int refType = 0;
    switch (type) {
    case 0x5F:
        refType = qelRes::TYPE_PAGE_SEGMENT;
        break;
    case 0xBB:
        refType = qelRes::TYPE_GOCA;
        break;
    case 0xDF:
        refType = qelRes::TYPE_OVERLAY;
        break;
    case 0x92:
        refType = qelRes::TYPE_OBJECT_CONTAINER;
        break;
    case 0xEB:
    case 0xFB:
        return;
    default:
        if (!quiet())
            qelMessageOutput::printf("Error! Invalid include object type (%d), Ignoring ...\n", type);
        if (qelLogStream* log = logIf(QEL_LOG_GENERAL))
            log->printLine("Error! Invalid include object type (%d), Ignoring ...", type);
        return;
    }
    std::string refName(name);
    int objectType = 0;
    if (refType == qelRes::TYPE_OBJECT_CONTAINER) {
        const size_t slash = refName.find_last_of("/\\");
        if (slash != std::string::npos)
            refName = refName.substr(slash + 1);
        std::string ext;
        const size_t dot = refName.find_last_of('.');
        if (dot != std::string::npos) {
            ext = refName.substr(dot + 1);
            refName = refName.substr(0, dot);
        }
        static const struct { const char* ext; int type; } kTypes[] = {
            {"eps", 4}, {"tiff", 5}, {"tif", 5}, {"win dib", 8}, {"os/2 dib", 9}, {"pcx", 10}, {"gif", 12},
            {"jpeg", 13}, {"pcl", 17}, {"png", 30}, {"bmp", 31}, {"jp2", 29}, {"jpx", 29}};
        for (const auto& t : kTypes)
            if (qelString::compare(ext.c_str(), t.ext, true, 0))
                objectType = t.type;
    }
    auto* ref = new qelResourceReference(refName.c_str(), refType, x, y);
    ref->setResolution(resolution);
    ref->setXAxisRotation(static_cast<uint16_t>(rotation));
    ref->setYAxisRotation(static_cast<uint16_t>(yRotation));
    ref->setObjectArea(width, height);
    if (refType == qelRes::TYPE_OBJECT_CONTAINER) {
        ref->setObjectType(objectType);
        ref->setMappingOption(0x60);
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelLogStream* log = pool ? pool->getLogStream() : nullptr;
        if (log && log->isExactly(QEL_LOG_ALL))
            log->printLine("Image Added %s the page: Name:%s, Pos:(%0.2f, %0.2f)", below ? "below" : "above",
                           refName.c_str(), static_cast<double>(x), static_cast<double>(y));
    }
    if (!m_addedIncludes)
        m_addedIncludes = new qelList(&qelList::deleteAs<qelResourceReference>);
    m_addedIncludes->append(ref);
}

void qelMedia::addAnnotation(float x, float y, uint16_t width, uint16_t height, const char* url, float borderWidth,
                             uint32_t color, int32_t flags)
{
    auto* annotation = new qelAnnotationObject(x, y, width, height, url, borderWidth, color, flags);
    annotation->setResolution(m_resolution);
    addParsedObject(annotation);
}

void qelMedia::addParsedObjects(const qelList* list)
{
    if (!list)
        return;
    for (qelListNode* n = list->getHead(); n; n = n->next)
        addParsedObject(static_cast<qelGraphicObject*>(n->item));
}

bool qelMedia::isEmpty() const
{
    const int refs = m_resourceReferences ? m_resourceReferences->getCount() : 0;
    const int objects = m_objects ? m_objects->getCount() : 0;
    const int medium = m_mediumOverlays ? m_mediumOverlays->getCount() : 0;
    if (refs == 0 && medium == 0 && objects == 0)
        return true;
    if (medium > 0 && objects > 0)
        return false;
    if (refs > 0 || objects > 1)
        return false;
    // One object: only a small image would count as empty; images are not
    // measured here, so any single object keeps the page.
    return objects == 0;
}

bool qelMedia::isOverlayFound(const char* name) const
{
    if (!name)
        return false;
    for (const qelList* list : {m_mediumOverlays, m_resourceReferences}) {
        for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
            qelRes* res = static_cast<qelResourceReference*>(n->item)->getResource();
            if (res && res->getType() == qelRes::TYPE_OVERLAY && qelString::compare(res->getName(), name, true, 0))
                return true;
        }
    }
    return false;
}

qelGraphicObject* qelMedia::firstOfKind(int kind, qelListNode*& cursor, bool restart)
{
    qelListNode* n = restart ? (m_objects ? m_objects->getHead() : nullptr) : (cursor ? cursor->next : nullptr);
    if (!restart && !cursor) {
        return nullptr;
    }
    for (; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (object && object->kind() == kind && !object->getRemoved()) {
            cursor = n;
            return object;
        }
    }
    cursor = nullptr;
    return nullptr;
}

qelTextObject* qelMedia::getFirstText()
{
    return static_cast<qelTextObject*>(firstOfKind(qelGraphicObject::KIND_TEXT, m_textCursor, true));
}

qelTextObject* qelMedia::getNextText()
{
    return static_cast<qelTextObject*>(firstOfKind(qelGraphicObject::KIND_TEXT, m_textCursor, false));
}

qelGraphicObject* qelMedia::getFirstLine()
{
    return firstOfKind(qelGraphicObject::KIND_LINE, m_lineCursor, true);
}

qelGraphicObject* qelMedia::getNextLine()
{
    return firstOfKind(qelGraphicObject::KIND_LINE, m_lineCursor, false);
}

qelGraphicObject* qelMedia::getFirstImage()
{
    return firstOfKind(qelGraphicObject::KIND_IMAGE, m_imageCursor, true);
}

qelGraphicObject* qelMedia::getNextImage()
{
    return firstOfKind(qelGraphicObject::KIND_IMAGE, m_imageCursor, false);
}

qelGraphicObject* qelMedia::getFirstVector()
{
    return firstOfKind(qelGraphicObject::KIND_AREA, m_vectorCursor, true);
}

qelGraphicObject* qelMedia::getNextVector()
{
    return firstOfKind(qelGraphicObject::KIND_AREA, m_vectorCursor, false);
}

namespace {
qelRes* includedFrom(qelListNode* n, int type, qelListNode** cursor)
{
    for (; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        if (ref->getType() == qelRes::TYPE_OBJECT_CONTAINER)
            ref->applyToResource();
        qelRes* res = ref->getResource();
        if (res && static_cast<int>(res->getType()) == type) {
            *cursor = n;
            res->setIncludePosition(ref->getX(), ref->getY());
            res->setIncludeRotation(ref->getXAxisRotation());
            return res;
        }
    }
    return nullptr;
}
}

qelRes* qelMedia::getFirstIncludedResource(int type, qelListNode** cursor, qelList* list)
{
    if (!type || !list || !cursor)
        return nullptr;
    return includedFrom(list->getHead(), type, cursor);
}

qelRes* qelMedia::getNextIncludedResource(int type, qelListNode** cursor, qelList* list)
{
    if (!type || !list || !cursor || !*cursor)
        return nullptr;
    return includedFrom((*cursor)->next, type, cursor);
}

int qelMedia::addOverlayId(int32_t id)
{
    if (m_overlayIdCount >= MAX_MODIFICATION_IDS)
        return -1;
    m_overlayIds[m_overlayIdCount++] = id;
    return 1;
}

void qelMedia::addSuppressionId(int32_t id)
{
    if (m_suppressionIdCount >= MAX_MODIFICATION_IDS) {
        if (qelLogStream* log = logIf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Text suppression id list exceeds Maximum Limit");
        return;
    }
    m_suppressionIds[m_suppressionIdCount++] = id;
}

void qelMedia::mergeCharSize(int32_t width, int32_t height)
{
    if (width == 0)
        width = 100;
    if (height == 0)
        height = 100;
    if (width > 0)
        m_smallestCharWidth = std::min(m_smallestCharWidth, width);
    if (height > 0)
        m_smallestCharHeight = std::min(m_smallestCharHeight, height);
}

void qelMedia::mergeMediaCharSize(const qelMedia* other)
{
    if (other)
        mergeCharSize(other->m_smallestCharWidth, other->m_smallestCharHeight);
}

bool qelMedia::bindIncludedMedia(qelRes* resource)
{
    qelMedia* media = mediaOf(resource);
    if (!media)
        return true;
    if (media == this || media->isBinding()) {
        if (!quiet())
            qelMessageOutput::printf("Warning! Cyclic include of resource %s ignored\n",
                                     resource->getName() ? resource->getName() : "");
        if (qelLogStream* log = logIf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Cyclic include of resource %s ignored",
                           resource->getName() ? resource->getName() : "");
        return false;
    }
    if (!media->isBound())
        media->bind();
    if (asciiOutput())
        mergeMediaCharSize(media);
    m_maxBitsPerPixel = std::max(m_maxBitsPerPixel, media->m_maxBitsPerPixel);
    return true;
}

void qelMedia::bindResourceReferences()
{
    if (m_resourceReferences)
        bindIncludedResources(m_resourceReferences, false);
    m_bindState |= BOUND_REFERENCES;
}

void qelMedia::bindIncludedResources(qelList* list, bool added)
{
    qelGlobalRes* registry = globalRes();
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        if (ref->getResource() && ref->getResource()->getType() == qelRes::TYPE_OBJECT_CONTAINER)
            ref->applyToResource();
        qelRes* res = ref->getResource();
        if (!res && registry) {
            // The container reader takes the object type from the shared
            // triplet reader: nothing may read triplets in between.
            if (ref->getType() == qelRes::TYPE_OBJECT_CONTAINER) {
                qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
                if (qelTripletParser* triplets = pool ? pool->getTripletParser() : nullptr)
                    triplets->setObjectTypeCode(ref->getObjectType());
            }
            res = registry->getResource(ref->getName(), ref->getType());
            if (!res)
                continue;
            // A resource that includes this media again stays unbound.
            if (!bindIncludedMedia(res))
                continue;
            ref->setResource(res);
            if (added)
                ref->setUsedByAddedInclude(true);
        } else if (res && !bindIncludedMedia(res)) {
            continue;
        }
        if (!res)
            continue;
        if (res->getType() == qelRes::TYPE_PAGE_SEGMENT) {
            if (auto* segment = dynamic_cast<qelResPSEG*>(res))
                m_maxBitsPerPixel = std::max<int32_t>(m_maxBitsPerPixel, segment->getMaxBitsPerPixel());
        } else if (res->getType() == qelRes::TYPE_OBJECT_CONTAINER) {
            if (auto* container = dynamic_cast<qelResObjectContainer*>(res)) {
                m_maxBitsPerPixel = std::max<int32_t>(m_maxBitsPerPixel, container->getMaxBitsPerPixel());
                qelList* objects = container->getObjectList();
                auto* first = objects && objects->getHead()
                                  ? static_cast<qelGraphicObject*>(objects->getHead()->item)
                                  : nullptr;
                if (added && first && first->kind() == qelGraphicObject::KIND_CONTAINER)
                    ref->setObjectType(static_cast<qelContainerObject*>(first)->getType());
            }
        }
    }
}

void qelMedia::bindMediumOverlays()
{
    qelGlobalRes* registry = globalRes();
    for (qelListNode* n = m_mediumOverlays ? m_mediumOverlays->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        if (ref->getResource() || !registry)
            continue;
        qelRes* res = registry->getResource(ref->getName(), ref->getType());
        if (!res)
            continue;
        qelMedia* media = mediaOf(res);
        if (media && !bindIncludedMedia(res))
            continue;
        ref->setResource(res);
        if (media && res->getType() == qelRes::TYPE_OVERLAY && media->m_resolution) {
            const double scale = static_cast<double>(m_resolution) / media->m_resolution;
            m_mediumOverlayWidth = std::max(m_mediumOverlayWidth, static_cast<int32_t>(media->m_width * scale));
            m_mediumOverlayHeight = std::max(m_mediumOverlayHeight, static_cast<int32_t>(media->m_height * scale));
        }
    }
    m_bindState |= BOUND_MEDIUM_OVERLAYS;
}

void qelMedia::resolveFonts()
{
    qelGlobalRes* registry = globalRes();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    for (qelListNode* n = m_mappedResources ? m_mappedResources->getHead() : nullptr; n && registry; n = n->next) {
        auto* entry = static_cast<qelMappedRes*>(n->item);
        if (entry->getResource())
            continue;
        const char* name = entry->getName();
        qelRes* res = nullptr;
        if (entry->getKind() == qelRes::TYPE_FONT) {
            if (startsWith(name, 'X')) {
                res = registry->getResource(name, qelRes::TYPE_FONT);
                entry->setCodedFont(1);
            } else if (startsWith(name, 'C')) {
                qelMappedFontInfo* info = entry->getFontInfo();
                const char* codePageName = info ? info->getCodePageName() : nullptr;
                qelFontWithCodePage pair;
                bool fileFound = true;
                if (entry->getDerivedName()) {
                    qelCharSetParser* parser = pool ? pool->getCharSetParser() : nullptr;
                    char* file = nullptr;
                    if (parser) {
                        parser->initSearchPaths();
                        parser->setResourceName(name);
                        parser->setFileName(name);
                        file = parser->findResourceFile();
                    }
                    fileFound = file != nullptr;
                    delete[] file;
                }
                registry->loadFontWithCodePage(name, codePageName, &pair);
                if (entry->getDerivedName() && pair.font) {
                    qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
                    const qelCodedFontEntry* def = (!fileFound && md) ? md->findCodedFont("DEFAULT", true) : nullptr;
                    if (def)
                        pair.font->setHeight(def->getHeight());
                    if (qelString::compare(pair.font->getFGID(), "DEFAULT", true, 0) && info)
                        pair.font->setFGID(info->getFGID());
                }
                entry->setCodePageName(codePageName);
                if (pair.codePage) {
                    entry->setCodePage(pair.codePage);
                    entry->setCodePageFound(pair.codePage->getFound());
                }
                res = pair.font;
            }
        } else {
            res = registry->getResource(name, entry->getKind());
        }
        if (!res)
            continue;

        if (qelMedia* media = mediaOf(res)) {
            if (!bindIncludedMedia(res))
                continue;
            (void)media;
        }
        entry->setResource(res);
        if (res->getType() == qelRes::TYPE_FONT) {
            auto* font = static_cast<qelAFPFont*>(res);
            qelMappedFontInfo* info = entry->getFontInfo();
            const int verticalSize = info ? info->getVerticalSize() : 0;
            auto markOutline = [&](qelAFPFont* f) {
                const qelIPSFontRepresentation* ips = f->getIPSRepresentation();
                if (!f->getFound() && !(ips && ips->isOutlineFont()) && verticalSize != 0)
                    f->setOutlineFont(true);
            };
            markOutline(font);
            if (entry->isCodedFont()) {
                qelFontWithCodePage pair;
                registry->loadFontWithCodePage(font->getCharacterSetName(), font->getCodePageName(), &pair);
                qelAFPFont* charSet = pair.font;
                if (charSet && charSet != font && !qelString::compare(charSet->getName(), "DEFAULT", true, 0)) {
                    markOutline(charSet);
                    font->setFound(charSet->getFound());
                    // A character set read from a resource is one found.
                    if (charSet->getFound())
                        font->setCharacterSetFound(true);
                    font->setTypefaceName(charSet->getTypefaceName());
                    font->setFontName(charSet->getFontName());
                    qelList pairs(&qelList::deleteAs<qelNamePair>);
                    for (const auto& p : charSet->getAliasNames())
                        pairs.append(new qelNamePair(p.first.c_str(), p.second.c_str()));
                    font->setAliasNames(&pairs);
                    if (!font->isOutlineFont()) {
                        font->setHeight(charSet->getHeight());
                        font->setWidth(charSet->getWidth());
                        font->setCharacterRotation(charSet->getCharacterRotation());
                    }
                    font->setNominalSize(charSet->getNominalSize());
                    font->setBold(charSet->isBold());
                    font->setLight(charSet->isLight());
                    font->setHollow(charSet->isHollow());
                    font->setItalic(charSet->isItalic());
                    font->setUnderline(charSet->isUnderline());
                    font->setStrikeover(charSet->isStrikeover());
                    if (!font->isOutlineFont() && charSet->isOutlineFont())
                        font->setOutlineFont(true);
                    font->setFGID(charSet->getFGID());
                    font->setMetricsFromFile(charSet->isMetricsFromFile());
                    font->setPhysicalFont(static_cast<float>(charSet->getHeight()), font->getName(),
                                          charSet->getName(), font->getCodePageName(), charSet->getFileName(),
                                          pair.codePage ? pair.codePage->getFileName() : nullptr, font->getFileName(),
                                          pair.codePage, 0);
                }
                entry->setCodePage(pair.codePage);
                font->setCodePage(pair.codePage);
                font->setCodePageFound(pair.codePage && pair.codePage->getFound());
            } else {
                if (font->getFound())
                    font->setCharacterSetFound(true);
                font->setPhysicalFont(static_cast<float>(font->getHeight()), font->getCodedFontName(), font->getName(),
                                      font->getCodePageName(), font->getFileName(), nullptr, nullptr,
                                      entry->getCodePage(), 0);
            }
            if (asciiOutput())
                mergeCharSize(font->getWidth(), font->getHeight());
        }
    }
    m_bindState |= BOUND_FONTS;
}

qelAFPFont* qelMedia::defaultFont(const char* failureText)
{
    if (!m_defaultFont) {
        qelGlobalRes* registry = globalRes();
        qelRes* res = registry ? registry->getResource("DEFAULT", qelRes::TYPE_FONT) : nullptr;
        if (res && res->getType() == qelRes::TYPE_FONT)
            m_defaultFont = static_cast<qelAFPFont*>(res);
    }
    if (!m_defaultFont)
        throw failureText;
    return m_defaultFont;
}

void qelMedia::bindText()
{
    bindMediaText();
}

void qelMedia::bindMediaText()
{
    if (!m_objects || m_objects->getCount() == 0) {
        m_bindState |= BOUND_TEXT;
        return;
    }
    qelIni* ini = options();
    const int input = ini ? ini->getInputFormat() : 0;
    const bool numbering = input == 512 || input == 4;
    uint8_t running = 0;
    qelAFPFont* lastNumbered = nullptr;
    // Characters of every byte in the code page last used, and one buffer
    // for the texts' characters.
    const qelCodePage* mapped = nullptr;
    char charOf[256];
    std::vector<char> plain;

    for (qelListNode* n = m_objects->getHead(); n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        m_furthestInline = std::max(m_furthestInline,
                                    static_cast<int32_t>(object->getX() + static_cast<float>(object->getRelativeInline())));
        m_furthestBaseline = std::max(m_furthestBaseline,
                                      static_cast<int32_t>(object->getY() + static_cast<float>(object->getRelativeBaseline())));
        if (object->kind() != qelGraphicObject::KIND_TEXT)
            continue;
        auto* text = static_cast<qelTextObject*>(object);
        qelMappedRes* mapping = text->getFontMapping();
        qelAFPFont* font = text->getFont();
        if (!font && mapping)
            font = mapping->getFont();
        if (!font)
            font = defaultFont("Unable to allocate default font while binding text objects with used fonts");
        text->setFont(font);

        const qelIPSFontRepresentation* ips = font->getIPSRepresentation();
        if (font->getCodedFontName() && ips && font->isOutlineFont() && text->getFontHeight() < 1) {
            text->setFontWidth(font->getWidth());
            text->setFontHeight(ips->getHeight());
            text->setCharacterRotation(static_cast<uint16_t>(font->getCharacterRotation()));
        }

        if (numbering && (text->getLocalFontId() == 0 || text->getLocalFontId() == 255) && font != lastNumbered) {
            ++running;
            text->setLocalFontId(running);
            lastNumbered = font;
        }

        const uint16_t length = text->getTextLength();
        const unsigned char* bytes = text->getCodePointText();
        if (!bytes)
            continue;
        qelCodePage* codePage = mapping && mapping->getCodePage() ? mapping->getCodePage() : text->getCodePage();
        plain.assign(length + 1u, '\0');
        if (codePage && codePage->hasByteTable()) {
            if (codePage != mapped) {
                // A code point without entry gets the code page's stand-in
                // character, so that the text is not cut at it.
                const char* def = codePage->getDefaultEntry();
                const char substitute = def && *def ? *def : '?';
                for (int b = 0; b < 256; ++b) {
                    const char* entry = codePage->getByteEntry(b);
                    charOf[b] = entry && *entry ? *entry : substitute;
                }
                mapped = codePage;
            }
            for (uint16_t i = 0; i < length; ++i)
                plain[i] = charOf[bytes[i]];
        } else {
            std::memcpy(plain.data(), bytes, length);
            qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(plain.data()), length);
        }
        text->setText(plain.data());
        text->bindCodePoints();
    }
    m_bindState |= BOUND_TEXT;
}

void qelMedia::bindAddedObjects()
{
    if (!m_addedIncludes && !m_objectsAbove && !m_objectsBelow) {
        m_bindState |= BOUND_ADDED;
        return;
    }
    bindIncludedResources(m_addedIncludes, true);
    m_bindState |= BOUND_ADDED;
    bindAddedTexts(m_objectsAbove);
    bindAddedTexts(m_objectsBelow);
}

void qelMedia::bindAddedTexts(qelList* list)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* registry = globalRes();
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object || object->kind() != qelGraphicObject::KIND_TEXT)
            continue;
        auto* text = static_cast<qelTextObject*>(object);
        if (text->getTextLength() == 0 || !text->getText())
            continue;
        qelAFPFont* font = text->getFont();
        if (font && !font->isMapped()) {
            qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
            qelFileFontMapper* mapper = pool ? pool->getFileFontMapper() : nullptr;
            if (md && md->isLoaded() && mapper) {
                mapper->mapFont(font, qelFileFontMapper::TARGET_RASTER);
                font->setMapped(true);
            }
        }
        qelCodePage* codePage = nullptr;
        if (font && font->getScriptCreated() && font->getCodePageName()) {
            codePage = font->getCodePage();
        } else if (font) {
            if (qelMappedRes* mapping = findFontMapping(font)) {
                text->setFontMapping(mapping);
                codePage = mapping->getCodePage();
            }
        }
        if (!codePage)
            codePage = text->getCodePage();
        (void)registry;

        const uint16_t length = text->getTextLength();
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[length + 1]());
        if (text->getTextFromScript() && !text->getCodePointsFromScript()) {
            std::memcpy(buffer.get(), text->getText(), std::min<size_t>(length, std::strlen(text->getText())));
            if (codePage)
                codePage->translateToCodePage(buffer.get(), buffer.get(), length);
            else
                qelUtils::asciiToEbcdic(buffer.get(), length);
            text->setCodePointText(buffer.get());
        } else if (text->getCodePointText()) {
            std::memcpy(buffer.get(), text->getCodePointText(), length);
            if (codePage)
                codePage->translateFromCodePage(buffer.get(), buffer.get(), length);
            else
                qelUtils::ebcdicToAscii(buffer.get(), length);
            text->setText(reinterpret_cast<char*>(buffer.get()));
        }
        text->bindCodePoints();
    }
}
