#ifndef QEL_SDK_UTILS_H
#define QEL_SDK_UTILS_H

#include <functional>
#include <string>

#include "qelSDKKernel.h"

class qelIni;

// Shared steps of the conversion functions of the C interface.
namespace qelSDK
{
// One conversion function: its family, API mode, the parts of the frame
// that are its own, and its completion lines.
struct Conversion
{
    Family family = FAMILY_FILE;
    unsigned short apiMode = 0;
    // An output that cannot be served ends the call before the argument
    // checks (else after the format and directory checks).
    bool servedCheckFirst = false;
    const char* startLine = nullptr;
    const char* endLine = nullptr;
    // Input file name carried by the error report (writer family).
    const char* reportInput = nullptr;
    std::function<void(qelIni*)> setOptions;
    // Argument checks; they throw.
    std::function<void(qelIni*)> checkArguments;
    // Starts the kernel and converts; the loop result.
    std::function<int()> convert;
    // After the process-level resource listing: endRun and the hand-over
    // of the output buffer, where the function has them.
    std::function<void()> finish;
};

// The frame every conversion function runs; never throws.
int runConversion(const Conversion& conversion);

// endRun for the running call, at most once.
void endRunOnce();

// Runs the body of one input; on a failure marks the kernel, ends the
// input and throws on (a failure of unknown kind as E001).
void runInput(const char* name, const std::function<void()>& body);
// Ignored unsupported objects of the kernel's current parser, 0 without.
int ignoredObjects();
bool isQuiet();

// The E100 and E002 branches of the catch-all error path: message output,
// log and error handler.
void reportAllocationFailure(const char* text);
void reportUnknownFailure();

// "%H:%M:%S" of a time in local time.
std::string formatClock(long long seconds);
// Whether a name taken from a document or a record may become a file name:
// relative, with no '..' part.
bool isSafeOutputName(const char* name);
// The text up to its last '.', unless that '.' is the first character.
std::string cutExtension(const std::string& name);
} // namespace qelSDK

#endif
