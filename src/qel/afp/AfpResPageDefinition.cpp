#include "qel/afp/AfpResPageDefinition.h"

#include "qel/afp/AfpBeginPageMap.h"
#include "qel/afp/AfpConditionalProcessingControl.h"
#include "qel/afp/AfpDataMap.h"
#include "qel/afp/AfpEndPageMap.h"
#include "qel/afp/Log.h"

#include <new>
#include <strings.h>

namespace qel
{
namespace afp
{

ResPageDefinition::ResPageDefinition() = default;

ResPageDefinition::~ResPageDefinition()
{
    m_cursor = nullptr;
    delete m_dataMaps;
    delete m_controls;
}

int ResPageDefinition::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ResPageDefinition::write");
    return -1;
}

int ResPageDefinition::initialize()
{
    setInitialized(true);
    return 0;
}

int ResPageDefinition::finalize()
{
    if (!isInitialized())
        initialize();
    setInitialized(false);
    return 0;
}

void ResPageDefinition::addDataMap(DataMap* dataMap)
{
    if (!dataMap)
        return;
    if (!m_dataMaps) {
        m_dataMaps = new (std::nothrow) DLinkedList<DataMap>(true);
        if (!m_dataMaps)
            throw "Memory allocation for qel::afp::addDataMap::pLstDataMap failed";
    }
    m_dataMaps->append(dataMap);
}

void ResPageDefinition::addConditionalProcessing(ConditionalProcessingControl* control)
{
    if (!control)
        return;
    if (!m_controls) {
        m_controls = new (std::nothrow) DLinkedList<ConditionalProcessingControl>(true);
        if (!m_controls)
            throw "Memory allocation for qel::afp::addConditionalProcessing::pLstConditionalProcessing failed";
    }
    m_controls->append(control);
}

void ResPageDefinition::addBeginPageMap(BeginPageMap* field)
{
    addStructuredField(field, ADD_AT_TAIL);
}

void ResPageDefinition::addEndPageMap(EndPageMap* field)
{
    addStructuredField(field, ADD_AT_TAIL);
}

DataMap* ResPageDefinition::findDataMap(const char* name) const
{
    if (!name || !m_dataMaps)
        return nullptr;
    for (DNode<DataMap>* node = m_dataMaps->getFirst(); node; node = node->getNext()) {
        DataMap* map = node->getData();
        const char* own = map ? map->getName() : nullptr;
        if (own && strcasecmp(own, name) == 0)
            return map;
    }
    return nullptr;
}

DataMap* ResPageDefinition::getFirstDataMap()
{
    m_cursor = m_dataMaps ? m_dataMaps->getFirst() : nullptr;
    return m_cursor ? m_cursor->getData() : nullptr;
}

DataMap* ResPageDefinition::getNextDataMap()
{
    if (!m_dataMaps)
        return nullptr;
    m_cursor = m_cursor ? m_cursor->getNext() : m_dataMaps->getFirst();
    return m_cursor ? m_cursor->getData() : nullptr;
}

ConditionalProcessingControl* ResPageDefinition::findConditionalProcessingControl(int id) const
{
    if (!m_controls)
        return nullptr;
    const uint16_t wanted = static_cast<uint16_t>(id & 0xFFFF);
    for (DNode<ConditionalProcessingControl>* node = m_controls->getFirst(); node; node = node->getNext())
        if (node->getData() && node->getData()->getId() == wanted)
            return node->getData();
    return nullptr;
}

void ResPageDefinition::resetConditionalProcessing()
{
    if (!m_controls)
        return;
    for (DNode<ConditionalProcessingControl>* node = m_controls->getFirst(); node; node = node->getNext())
        if (node->getData())
            node->getData()->resetPreviousText();
}

} // namespace afp
} // namespace qel
