#ifndef QEL_SDK_LRB_FILE_H
#define QEL_SDK_LRB_FILE_H

// File conversion of the C interface (lorbane_File): its per-input loops.
namespace qelSDK
{
// Run set-up, the file loop or standard input, run end; the loop result.
int convertFiles();
// The loop over the options object's input files (wildcards expanded);
// E023 when none is left.
int convertFileList();
int convertStdin();
} // namespace qelSDK

#endif
