#include "qelImgAFPOly.h"

#include "qelImgVisitor.h"
#include "qelString.h"

qelImgAFPOly::~qelImgAFPOly() { delete m_name; }

int qelImgAFPOly::accept(qelImgVisitor* visitor) { return visitor ? visitor->writeOverlay(this) : -1; }

void qelImgAFPOly::setName(const char* name)
{
    delete m_name;
    m_name = name ? new qelString(name) : nullptr;
}

const char* qelImgAFPOly::getName() const { return m_name ? m_name->getBuffer() : nullptr; }
