#ifndef QEL_SDK_TYPES_H
#define QEL_SDK_TYPES_H

// Records and callback types of the C interface, as the public header
// gives them, and the dispatch the engine uses to reach the callbacks.
#include "lorbane.h"

// Calls the installed document reader, installing the default reader first
// when none is installed; null when it has no document for the id.
qelSDKDocumentRecord* callDocumentReader(const char* documentId);
// Calls the installed document writer, installing the default writer first
// when none is installed; -1 for a null record.
int callDocumentWriter(qelSDKOutputRecord* record);

#endif
