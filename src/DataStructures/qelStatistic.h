#ifndef QEL_STATISTIC_H
#define QEL_STATISTIC_H

#include "qelProcessInfo.h"

// The run statistic: documents and input pages of the whole run with their
// rates per minute. The counters are process-wide: the per-input counters
// (which also number output sub-directories) start again at every input,
// while the run totals keep what the earlier inputs of the run counted.
class qelStatistic : public qelProcessInfo
{
public:
    qelStatistic();

    // Opens stat_YYYYMMDD_HHMMSS.txt in OutputFilePath (E102 on failure),
    // writes header and counts, and closes it.
    void write();

    // Run start: run totals and per-input counters to 0.
    static void resetRunCounters();
    // Input set-up: adds the per-input counters to the run totals and sets
    // them to 0.
    static void resetCounters();
    static void countDocument();
    static void countPage();
    // Per-input counters.
    static int getDocumentCount();
    static int getPageCount();
    // Whole run so far, the current input included.
    static int getRunDocumentCount();
    static int getRunPageCount();
};

#endif
