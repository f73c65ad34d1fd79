#include "qel/afp/AfpLibrary.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

int initializeLibrary()
{
    setLogComposition(DataPool::getInstance()->getLoggerComposition());
    return 0;
}

int finalizeLibrary()
{
    DataPool::releaseInstance();
    setLogComposition(nullptr);
    return 0;
}

const char* getLibraryVersion()
{
    return "Orvo AFP Library V1.1";
}

} // namespace afp
} // namespace qel
