#ifndef QEL_SDK_KERNEL_H
#define QEL_SDK_KERNEL_H

#include "qelSDKTypes.h"

#include <cstdint>

class qelException;
class qelInputFileList;

// The frame of the C interface: process-wide state, callbacks, option
// passes, initialise and terminate, format check and versions. The
// lorbane_* functions themselves are declared in lorbane.h.
namespace qelSDK
{
enum Family { FAMILY_FILE = 0, FAMILY_MEM = 1, FAMILY_WRITER = 2, FAMILY_READER = 3 };

bool isInitialised(Family family);
// The family's initialise function.
int initialise(Family family);

// Current document id text: the input being converted.
void setCurrentDocumentId(const char* id);
const char* getCurrentDocumentId();
// The input file list cursor of the running conversion; owned.
void setInputFileList(qelInputFileList* list);
const char* getIniDirectory();

// Start and end time of the running call, seconds since the epoch.
void setStartTime(int64_t seconds);
int64_t getStartTime();
void setEndTime(int64_t seconds);
int64_t getEndTime();

// Puts the built-in output engines into the kernel's registry (once per
// process; later registrations replace them).
void registerBuiltInEngines();

// Releases the interface state of a call (document id, INI directory,
// file list cursor, error handler) and the whole pool.
void releaseGlobals();
} // namespace qelSDK

// The error handler gets minus the exception's id and its message.
void reportError(qelException* exception);
// The same for a bare id and text; nothing for a null text.
void reportErrorText(int id, const char* text);
// Installs the default error handler and passes the record to it.
int useDefaultErrorHandler(qelSDKError* error);
int defaultErrorHandler(qelSDKError* error);
// Reads the INI file into the options object of the pool.
int loadIniFile();
// 0, -1 input format refused, -2 output format refused, -3 no options.
int16_t checkFormats();

qelSDKDocumentRecord* defaultDocumentReader(const char* documentId);
int defaultDocumentWriter(qelSDKOutputRecord* record);

#endif
