#ifndef QEL_IPS_LPD_PAGE_H
#define QEL_IPS_LPD_PAGE_H

#include "qelIPSPage.h"

// A page of line data formatted by a page definition.
class qelIPSLPDPage : public qelIPSPage
{
public:
    qelIPSLPDPage() { setMediaKind(KIND_LINE_DATA_PAGE); }

    int inputKind() const override { return 2; }
    int32_t getLongestRecord() const { return m_longestRecord; }
    // Raises the longest record to the length when it is longer.
    void noteRecordLength(int32_t length)
    {
        if (length > m_longestRecord)
            m_longestRecord = length;
    }

private:
    int32_t m_longestRecord = 0;
};

#endif
