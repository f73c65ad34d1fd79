#ifndef QEL_SDK_CHECK_OUT_H
#define QEL_SDK_CHECK_OUT_H

#include "qelSDKTypes.h"

// Reader conversions of the C interface (lorbane_File_Reader,
// lorbane_Mem_Reader): documents fetched through the document reader.
namespace qelSDK
{
// One check-out input over the whole id list; the loop result.
int convertCheckoutList(qelSDKNameList* documentIds);
// One input per delivered document; the loop result.
int convertReaderDocuments(qelSDKNameList* documentIds);
// Frees a record the reader returned, with its list nodes and data.
void releaseDocumentRecord(qelSDKDocumentRecord* record);
} // namespace qelSDK

#endif
