#ifndef QEL_SDK_CHECK_IN_H
#define QEL_SDK_CHECK_IN_H

// Writer conversion of the C interface (lorbane_Mem_Writer): every finished
// output document goes to the document writer.
namespace qelSDK
{
// The file loop over the options object's input files.
int convertWriterFile();
} // namespace qelSDK

#endif
