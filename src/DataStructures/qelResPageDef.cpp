#include "qelResPageDef.h"

#include "qel/afp/AfpResPageDefinition.h"

qelResPageDef::~qelResPageDef()
{
    delete m_definition;
}

void qelResPageDef::setPageDefinition(qel::afp::ResPageDefinition* definition)
{
    if (definition == m_definition)
        return;
    delete m_definition;
    m_definition = definition;
}

qel::afp::DataMap* qelResPageDef::findDataMap(const char* name) const
{
    return m_definition ? m_definition->findDataMap(name) : nullptr;
}

qel::afp::DataMap* qelResPageDef::getFirstDataMap()
{
    return m_definition ? m_definition->getFirstDataMap() : nullptr;
}

qel::afp::DataMap* qelResPageDef::getNextDataMap()
{
    return m_definition ? m_definition->getNextDataMap() : nullptr;
}

qel::afp::ConditionalProcessingControl* qelResPageDef::findConditionalProcessingControl(int id) const
{
    return m_definition ? m_definition->findConditionalProcessingControl(id) : nullptr;
}

void qelResPageDef::resetConditionalProcessing()
{
    if (m_definition)
        m_definition->resetConditionalProcessing();
}
