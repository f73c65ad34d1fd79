#ifndef QEL_SDK_TYPES_H
#define QEL_SDK_TYPES_H

#include <cstdint>

// Records exchanged with the caller of the C interface. Plain structures in a
// fixed field order; the caller allocates what it hands over on the C heap.
extern "C" {

// One entry of a chained name/value list (options, index and attribute lists).
struct qelSDKNameValue
{
    char* name;
    char* value;
    qelSDKNameValue* next;
};

// One entry of a chained user data list.
struct qelSDKUserData
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKUserData* next;
};

// One entry of a chained list of names (input files, document ids).
struct qelSDKNameList
{
    char* name;
    qelSDKNameList* next;
};

// A document as the document reader returns it. The record, its data and the
// nodes of its index and user data lists live on the C heap; the texts and
// bytes the nodes point to stay the reader's.
struct qelSDKDocumentRecord
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKNameValue* indexList;
    qelSDKUserData* userDataList;
    qelSDKNameValue* attributeList;
};

typedef qelSDKDocumentRecord* (*qelSDKDocumentReader)(const char* documentId);

// Installs the document reader and returns the previous one.
qelSDKDocumentReader lorbane_SetReaderCallback(qelSDKDocumentReader reader);
}

// Calls the installed document reader; null when none is installed or it
// has no document for the id.
qelSDKDocumentRecord* callDocumentReader(const char* documentId);

#endif
