#ifndef QEL_POOL_ACCESS_H
#define QEL_POOL_ACCESS_H

#include "qelGlobalDSPool.h"
#include "qelIni.h"

class qelLogStream;

// Shortcuts to the process-wide pool's options and log stream. Without a
// failure text they answer null (or not quiet) when there is no pool; with
// one they throw that text, which names the caller.
namespace qelPoolAccess
{

inline qelGlobalDSPool* pool(const char* failure)
{
    qelGlobalDSPool* instance = qelGlobalDSPool::getInstance();
    if (!instance)
        throw failure;
    return instance;
}

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

inline qelIni* options(const char* failure)
{
    qelIni* ini = pool(failure)->getIni();
    if (!ini)
        throw failure;
    return ini;
}

// Quiet mode switched on in the options.
inline bool quiet()
{
    qelIni* ini = options();
    return ini && ini->isQuietMode();
}

inline bool quiet(const char* failure)
{
    return options(failure)->isQuietMode();
}

} // namespace qelPoolAccess

#endif
