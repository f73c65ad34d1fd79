#ifndef QEL_SYSTEM_SERVICES_H
#define QEL_SYSTEM_SERVICES_H

#include <string>

// Process-level system services: error texts, the file viewer, UUIDs.
namespace qelSystemServices
{
// The system's text for an error number; false for an unknown number.
bool errorText(int code, std::string& text);

// Result codes of opening a file in its viewer: above 32 is success;
// the others name the reason.
enum {
    VIEWER_OUT_OF_RESOURCES = 0, VIEWER_FILE_NOT_FOUND = 2, VIEWER_PATH_NOT_FOUND = 3,
    VIEWER_ACCESS_DENIED = 5, VIEWER_OUT_OF_MEMORY = 8, VIEWER_NO_ASSOCIATION = 31,
    VIEWER_ASSOCIATION_INCOMPLETE = 27, VIEWER_OK = 42
};
// Runs "xdg-open path" (found on PATH) and waits for its answer. The path
// is passed as it is.
int openInViewer(const char* path);

// A fresh random UUID in its 36-character lower-case form.
bool createUUID(std::string& text);
}

#endif
