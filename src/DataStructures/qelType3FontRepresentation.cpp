#include "qelType3FontRepresentation.h"

#include "qelString.h"

qelType3FontRepresentation::~qelType3FontRepresentation()
{
    freeCharProcs();
    delete m_differences;
    delete[] m_fontBBox;
}

void qelType3FontRepresentation::setDifferences(qelString* text)
{
    if (text == m_differences)
        return;
    delete m_differences;
    m_differences = text;
}

void qelType3FontRepresentation::freeCharProc(qelType3CharProc* proc)
{
    if (!proc)
        return;
    delete[] proc->name;
    delete[] proc->content;
    delete proc;
}

void qelType3FontRepresentation::freeCharProcs()
{
    for (int32_t i = 0; m_procs && i < m_procArraySize; ++i)
        freeCharProc(m_procs[i]);
    delete[] m_procs;
    m_procs = nullptr;
    m_procArraySize = 0;
}

void qelType3FontRepresentation::setCharProcs(qelType3CharProc** procs, int32_t size)
{
    if (procs == m_procs)
        return;
    freeCharProcs();
    m_procs = procs;
    m_procArraySize = procs && size > 0 ? size : 0;
}

void qelType3FontRepresentation::setFontBBox(double* box)
{
    if (box == m_fontBBox)
        return;
    delete[] m_fontBBox;
    m_fontBBox = box;
}
