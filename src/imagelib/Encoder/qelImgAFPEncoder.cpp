#include "qelImgAFPEncoder.h"

#include "qelImgVisitor.h"

qelImgAFPEncoder::~qelImgAFPEncoder() { delete m_visitor; }

void qelImgAFPEncoder::setVisitor(qelImgVisitor* visitor)
{
    if (visitor == m_visitor)
        return;
    delete m_visitor;
    m_visitor = visitor;
}
