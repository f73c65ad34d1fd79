#include "qelImgVisitor.h"

#include "qelString.h"

qelImgVisitor::~qelImgVisitor() { delete m_inputName; }

void qelImgVisitor::setInputName(const char* name)
{
    delete m_inputName;
    m_inputName = name ? new qelString(name) : nullptr;
}

const char* qelImgVisitor::getInputName() const { return m_inputName ? m_inputName->getBuffer() : nullptr; }
