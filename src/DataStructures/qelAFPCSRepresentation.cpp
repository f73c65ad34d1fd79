#include "qelAFPCSRepresentation.h"

#include "qel/afp/AfpResCharacterSet.h"

qelAFPCSRepresentation::~qelAFPCSRepresentation() { delete m_resource; }

void qelAFPCSRepresentation::setResource(qel::afp::ResCharacterSet* resource)
{
    if (resource == m_resource)
        return;
    delete m_resource;
    m_resource = resource;
}
