#ifndef QEL_POOL_ACCESS_H
#define QEL_POOL_ACCESS_H

#include "qelGlobalDSPool.h"
#include "qelIni.h"

class qelLogStream;

// Shortcuts to the process-wide pool's options and log stream for code
// that may run without a pool: null (or not quiet) when there is none.
namespace qelPoolAccess
{

inline qelIni* options()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getIni() : nullptr;
}

inline qelLogStream* logStream()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getLogStream() : nullptr;
}

// Quiet mode switched on in the options.
inline bool quiet()
{
    qelIni* ini = options();
    return ini && ini->isQuietMode();
}

} // namespace qelPoolAccess

#endif
