#include "qelGlobalDSPool.h"

#include "qelIni.h"
#include "qelLogStream.h"
#include "qelPageCoordinateTransformer.h"

#include <new>

namespace {
qelGlobalDSPool* g_pool = nullptr;
unsigned char g_poolExists = 0;

// Deletes a member after emptying its place, so that nothing reached during
// the deletion sees a dangling member.
template <typename T>
void dropMember(T*& member)
{
    T* old = member;
    member = nullptr;
    delete old;
}
}

qelGlobalDSPool* qelGlobalDSPool::getInstance()
{
    if (!g_pool)
        g_pool = new (std::nothrow) qelGlobalDSPool();
    return g_pool;
}

bool qelGlobalDSPool::exists()
{
    return g_poolExists != 0;
}

qelGlobalDSPool::qelGlobalDSPool()
{
    g_poolExists = 1;
}

qelGlobalDSPool::~qelGlobalDSPool()
{
    dropMember(m_ini);
    dropMember(m_logStream);
    dropMember(m_pageCoordinateTransformer);
    delete[] m_pageOffset;
    m_pageOffset = nullptr;
    g_poolExists = 0;
    if (g_pool == this)
        g_pool = nullptr;
}

qelIni* qelGlobalDSPool::getIni()
{
    if (!m_ini) {
        qelIni* ini = new (std::nothrow) qelIni();
        if (!ini)
            return nullptr;
        m_ini = ini;
        m_ini->addDefaultColorTable();
    }
    return m_ini;
}

qelLogStream* qelGlobalDSPool::getLogStream()
{
    if (!m_logStream)
        m_logStream = new (std::nothrow) qelLogStream();
    return m_logStream;
}

qelPageCoordinateTransformer* qelGlobalDSPool::getPageCoordinateTransformer()
{
    if (!m_pageCoordinateTransformer)
        m_pageCoordinateTransformer = new (std::nothrow) qelPageCoordinateTransformer();
    return m_pageCoordinateTransformer;
}

int32_t* qelGlobalDSPool::getPageOffset()
{
    if (!m_pageOffset)
        m_pageOffset = new (std::nothrow) int32_t[2]{0, 0};
    return m_pageOffset;
}

bool qelGlobalDSPool::hasObject(int kind) const
{
    switch (kind) {
    case QEL_POOL_INI:
        return m_ini != nullptr;
    case QEL_POOL_LOG_STREAM:
        return m_logStream != nullptr;
    case QEL_POOL_PAGE_OFFSET:
        return m_pageOffset != nullptr;
    case QEL_POOL_PAGE_COORDINATE_TRANSFORMER:
        return m_pageCoordinateTransformer != nullptr;
    default:
        // Kinds whose members are not held yet, and numbers naming no member.
        return false;
    }
}

void qelGlobalDSPool::resetObject(int kind)
{
    switch (kind) {
    case QEL_POOL_INI:
        dropMember(m_ini);
        break;
    case QEL_POOL_LOG_STREAM:
        dropMember(m_logStream);
        break;
    case QEL_POOL_PAGE_OFFSET:
        delete[] m_pageOffset;
        m_pageOffset = nullptr;
        break;
    case QEL_POOL_PAGE_COORDINATE_TRANSFORMER:
        dropMember(m_pageCoordinateTransformer);
        break;
    default:
        break;
    }
}
