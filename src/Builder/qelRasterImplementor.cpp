#include "qelRasterImplementor.h"

#include "qelGlobalDSPool.h"
#include "qelImgDIB.h"

#include <cstring>

qelRasterImplementor::qelRasterImplementor(qelVisitor* owner) : m_owner(owner)
{
    m_options = qelGlobalDSPool::getInstance()->getIni();
}

qelRasterImplementor::~qelRasterImplementor()
{
    m_owner = nullptr;
    m_options = nullptr;
    delete[] m_outputFileName;
    delete m_pageDIB;
}

void qelRasterImplementor::setOutputFileName(const char* path)
{
    delete[] m_outputFileName;
    m_outputFileName = nullptr;
    if (path) {
        const size_t n = std::strlen(path);
        m_outputFileName = new char[n + 1];
        std::memcpy(m_outputFileName, path, n + 1);
    }
}
