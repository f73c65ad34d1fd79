#ifndef QEL_SDK_OUTPUT_RECORD_H
#define QEL_SDK_OUTPUT_RECORD_H

#include "qelSDKTypes.h"

#include <cstdint>

extern "C" {

// A finished output document as the document writer receives it. Valid
// during the writer call only; the kernel frees the record, the list nodes
// and the attribute values afterwards (not the texts and bytes the index and
// user data nodes point to, which belong to the document).
struct qelSDKOutputRecord
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKNameValue* indexList;
    qelSDKUserData* userDataList;
    qelSDKNameValue* attributeList;
};

typedef int (*qelSDKDocumentWriter)(qelSDKOutputRecord* record);
}

#endif
