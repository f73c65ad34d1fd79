#ifndef QEL_SP_CSV_INDEX_IMPLEMENTOR_H
#define QEL_SP_CSV_INDEX_IMPLEMENTOR_H

#include "qelCSVIndexImplementor.h"

// The CSV index for output written one file per page: every line starts
// from the unfilled template and carries its page file.
class qelSPCSVIndexImplementor : public qelCSVIndexImplementor
{
protected:
    void writeDocumentEntry(const char* outputFileName) override;
    void writePageEntry(const char* name, int level, qelList* entries, const char* pageFileName) override;
};

#endif
