/*
 * Lorbane C interface.
 *
 * Calling order for one conversion: lorbane_SetOptions (optional: INI
 * location, INI file name, profile name), the family's initialise function,
 * lorbane_ApplyOptions, the conversion function, the family's terminate
 * function. Every conversion call releases the process state when it ends,
 * so run the whole order for each conversion.
 *
 * Results: 0 success; 2 success with unsupported objects of the input
 * ignored; minus the message id of an error (for example -12 for E012 "not
 * built for", also when the configured output cannot be served, such as
 * TIFF with FormatType HUFFMAN; -209 for a null file list); -100 allocation
 * failure; -2 any other failure. The error handler receives the same number
 * and the message text. No function lets a C++ exception escape.
 *
 * Buffers handed to the caller (output data) come from the C heap and are
 * released with free(). Records returned by the document reader are
 * allocated by the reader on the C heap and released by the interface.
 */
#ifndef LORBANE_H
#define LORBANE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Handed to the error handler; the text is valid during the call only. */
typedef struct qelSDKError qelSDKError;
struct qelSDKError
{
    int32_t errorNumber;
    char* errorMessage;
};

/* One entry of a chained name/value list (options, index and attribute
   lists). */
typedef struct qelSDKNameValue qelSDKNameValue;
struct qelSDKNameValue
{
    char* name;
    char* value;
    qelSDKNameValue* next;
};

/* One entry of a chained user data list. */
typedef struct qelSDKUserData qelSDKUserData;
struct qelSDKUserData
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKUserData* next;
};

/* One entry of a chained list of names (input files, document ids). */
typedef struct qelSDKNameList qelSDKNameList;
struct qelSDKNameList
{
    char* name;
    qelSDKNameList* next;
};

/* A document as the document reader returns it. The record, its data and
   the nodes of its index and user data lists are allocated on the C heap
   and belong to the interface once returned; the texts and bytes the nodes
   point to stay the reader's until the document has been converted. */
typedef struct qelSDKDocumentRecord qelSDKDocumentRecord;
struct qelSDKDocumentRecord
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKNameValue* indexList;
    qelSDKUserData* userDataList;
    qelSDKNameValue* attributeList;
};

/* A finished output document as the document writer receives it; valid
   during the writer call only. */
typedef struct qelSDKOutputRecord qelSDKOutputRecord;
struct qelSDKOutputRecord
{
    char* name;
    void* data;
    uint32_t length;
    qelSDKNameValue* indexList;
    qelSDKUserData* userDataList;
    qelSDKNameValue* attributeList;
};

typedef int (*qelSDKErrorHandler)(qelSDKError* error);
typedef qelSDKDocumentRecord* (*qelSDKDocumentReader)(const char* documentId);
typedef int (*qelSDKDocumentWriter)(qelSDKOutputRecord* record);

/* ---- options */
int lorbane_SetOptions(qelSDKNameValue* options);
int lorbane_ApplyOptions(qelSDKNameValue* options);
void setIniPath(const char* directory);

/* ---- initialise and terminate, one pair per family */
int lorbane_File_Init(void);
int lorbane_File_Term(void);
int lorbane_Mem_Init(void);
int lorbane_Mem_Term(void);
int lorbane_Mem_Writer_Init(void);
int lorbane_Mem_Writer_Term(void);
int lorbane_Reader_Init(void);
int lorbane_Reader_Term(void);

/* ---- callbacks: each setter returns the previous one (null: none) */
qelSDKErrorHandler lorbane_SetErrorHandler(qelSDKErrorHandler handler);
qelSDKDocumentReader lorbane_SetReaderCallback(qelSDKDocumentReader reader);
qelSDKDocumentWriter lorbane_SetWriterCallback(qelSDKDocumentWriter writer);

/* ---- conversions */
int lorbane_File(qelSDKNameList* files);
int lorbane_Mem(void* buffer, int size, void** outBuffer, int* outSize);
int lorbane_Mem_Writer(const char* inputFile);
int lorbane_File_Reader(qelSDKNameList* documentIds, const char* outputFile);
int lorbane_Mem_Reader(qelSDKNameList* documentIds, void** outBuffer, int* outSize);

/* ---- versions */
const char* lorbane_GetVersion(void);
const char* getVersionAll(void);

#ifdef __cplusplus
}
#endif

#endif
