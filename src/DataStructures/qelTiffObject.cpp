#include "qelTiffObject.h"

#include "qelString.h"
#include "qelVisitor.h"

qelTiffObject::~qelTiffObject()
{
    delete m_fileName;
}

void qelTiffObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeTiffObject(this);
}

const char* qelTiffObject::getFileName() const
{
    return m_fileName ? m_fileName->getBuffer() : nullptr;
}

void qelTiffObject::setFileName(const char* name)
{
    delete m_fileName;
    m_fileName = name ? new qelString(name) : nullptr;
}
