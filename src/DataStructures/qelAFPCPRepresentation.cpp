#include "qelAFPCPRepresentation.h"

#include "qel/afp/AfpResCodePage.h"

qelAFPCPRepresentation::~qelAFPCPRepresentation() { delete m_resource; }

void qelAFPCPRepresentation::setResource(qel::afp::ResCodePage* resource)
{
    if (resource == m_resource)
        return;
    delete m_resource;
    m_resource = resource;
}
