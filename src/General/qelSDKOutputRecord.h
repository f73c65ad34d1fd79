#ifndef QEL_SDK_OUTPUT_RECORD_H
#define QEL_SDK_OUTPUT_RECORD_H

// The output record the kernel hands to the document writer; defined with
// the other records of the C interface.
#include "qelSDKTypes.h"

#endif
