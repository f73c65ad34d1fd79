#include "qelSDKTypes.h"

namespace
{
qelSDKDocumentReader g_documentReader = nullptr;
}

extern "C" qelSDKDocumentReader lorbane_SetReaderCallback(qelSDKDocumentReader reader)
{
    qelSDKDocumentReader previous = g_documentReader;
    g_documentReader = reader;
    return previous;
}

qelSDKDocumentRecord* callDocumentReader(const char* documentId)
{
    if (!g_documentReader)
        return nullptr;
    return g_documentReader(documentId);
}
