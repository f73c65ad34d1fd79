#include "qel/afp/AfpResourceGroup.h"

#include "qel/afp/AfpBeginResource.h"
#include "qel/afp/AfpBeginResourceGroup.h"
#include "qel/afp/AfpEndResource.h"
#include "qel/afp/AfpEndResourceGroup.h"
#include "qel/afp/AfpResource.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/Resource.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace qel
{
namespace afp
{

namespace
{

void writeList(DLinkedList<WritableContext>* list, DataStream* stream, uint16_t controlFlags)
{
    if (!list)
        return;
    for (DNode<WritableContext>* node = list->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            context->getWritable()->write(stream, controlFlags, context->getLastWritten());
    }
}

// Enters writable at the tail of list with one reference.
void enter(DLinkedList<WritableContext>* list, Writable* writable, bool resource)
{
    WritableContext* context = WritableContext::holding(writable);
    if (resource)
        context->setResource(true);
    list->append(context);
    writable->addReference(1);
}

} // namespace

ResourceGroup::ResourceGroup() = default;

ResourceGroup::ResourceGroup(DataStream* stream) : m_stream(stream)
{
}

ResourceGroup::~ResourceGroup()
{
    delete m_formMaps;
    delete m_overlays;
    delete m_pageSegments;
    delete m_codedFonts;
    delete m_codePages;
    delete m_characterSets;
    std::free(m_name);
    delete m_stream;
}

void ResourceGroup::setName(const char* name)
{
    logDebugText("qel::afp::ResourceGroup::setName");
    if (!name)
        logDebugText("\tName = (NULL)");
    else
        logDebug("\tName = %s", name);
    m_name = Utils::setMutator(m_name, name, 0);
}

int ResourceGroup::open()
{
    logDebugText("qel::afp::ResourceGroup::open");
    if (!m_stream) {
        logDebugText("\tStream=(null)");
        return -1;
    }
    m_stream->open();
    logDebugText("\tStream = open");
    return 0;
}

void ResourceGroup::close()
{
    if (m_stream)
        m_stream->close();
    logDebugText("qel::afp::ResourceGroup::close \t  Stream =  closed");
}

int ResourceGroup::initialize()
{
    if (isInitialized())
        return 0;
    logDebug("qel::afp::ResourceGroup::initialize  : %s", m_name ? m_name : "");
    m_state |= 1;
    return 0;
}

int ResourceGroup::finalize()
{
    if (isFinalized())
        return 0;
    logDebug("qel::afp::ResourceGroup::finalize: %s", m_name ? m_name : "");
    if (!isInitialized())
        initialize();
    m_state |= 2;
    return 0;
}

uint8_t ResourceGroup::objectTypeOf(int type)
{
    switch (type) {
    case PAGE_SEGMENT: return 0xFB;
    case CODED_FONT: return 0x42;
    case CODE_PAGE: return 0x41;
    case CHARACTER_SET: return 0x40;
    case FORM_MAP: return 0xFE;
    case OVERLAY: return 0xFC;
    default: return 0;
    }
}

DLinkedList<WritableContext>*& ResourceGroup::listOf(int type)
{
    switch (type) {
    case PAGE_SEGMENT: return m_pageSegments;
    case CODED_FONT: return m_codedFonts;
    case CODE_PAGE: return m_codePages;
    case CHARACTER_SET: return m_characterSets;
    case FORM_MAP: return m_formMaps;
    default: return m_overlays;
    }
}

bool ResourceGroup::findResource(const char* name, int type, int* localId)
{
    if (!name || type < PAGE_SEGMENT || type > OVERLAY)
        return false;
    DLinkedList<WritableContext>* list = listOf(type);
    if (!list)
        return false;
    for (DNode<WritableContext>* node = list->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (!context || !context->isResource())
            continue;
        auto* resource = dynamic_cast<qel::Resource*>(context->getWritable());
        if (!resource || !resource->getName() || std::strcmp(resource->getName(), name) != 0)
            continue;
        if (localId) {
            auto* afpResource = dynamic_cast<afp::Resource*>(resource);
            *localId = afpResource ? afpResource->getLocalId() : 0;
        }
        return true;
    }
    return false;
}

void ResourceGroup::addResource(qel::Resource* resource, int type, bool withEnvelope)
{
    logDebugText("qel::afp::ResourceGroup::addResource");
    if (!resource) {
        logDebugText("\tResource=(null)");
        return;
    }
    const char* name = resource->getName();
    int localId = 0;
    if (name && findResource(name, type, &localId)) {
        logDebug("\tResource \"%s\" already added", name);
        return;
    }
    if (type < PAGE_SEGMENT || type > OVERLAY)
        return;
    static const char* const kListTexts[] = {
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstPageSegment failed",
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstCodedFont failed",
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstCodePage failed",
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstCharacterSet failed",
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstFormMap failed",
        "Memory allocation for qel::afp::ResourceGroup::addResource::pLstOverlay failed",
    };
    DLinkedList<WritableContext>*& list = listOf(type);
    if (!list) {
        list = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!list)
            throw kListTexts[type - 1];
    }
    if (withEnvelope)
        addBeginResource(list, name, objectTypeOf(type));
    enter(list, resource, true);
    if (withEnvelope)
        addEndResource(list, name);
}

void ResourceGroup::addBeginResource(DLinkedList<WritableContext>* list, const char* name, uint8_t objectType)
{
    logDebugText("qel::afp::ResourceGroup::addBeginResource");
    if (!list || !name)
        return;
    enter(list, new BeginResource(name, objectType), false);
}

void ResourceGroup::addEndResource(DLinkedList<WritableContext>* list, const char* name)
{
    logDebugText("qel::afp::ResourceGroup::addEndResource");
    if (!list)
        return;
    enter(list, new EndResource(name), false);
}

int ResourceGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    DataStream* target = m_stream ? m_stream : dataStream;
    if (!target)
        return -1;
    if (!m_formMaps && !m_overlays && !m_pageSegments && !m_codedFonts && !m_codePages && !m_characterSets)
        return -2;
    {
        std::unique_ptr<BeginResourceGroup> begin(new BeginResourceGroup(m_name));
        begin->write(target, controlFlags, nullptr);
    }
    writeList(m_formMaps, target, controlFlags);
    writeList(m_overlays, target, controlFlags);
    writeList(m_pageSegments, target, controlFlags);
    writeList(m_codedFonts, target, controlFlags);
    writeList(m_characterSets, target, controlFlags);
    writeList(m_codePages, target, controlFlags);
    std::unique_ptr<EndResourceGroup> end(new EndResourceGroup(m_name));
    end->write(target, controlFlags, nullptr);
    return 0;
}

} // namespace afp
} // namespace qel
