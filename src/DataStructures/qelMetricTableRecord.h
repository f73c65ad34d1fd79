#ifndef QEL_METRIC_TABLE_RECORD_H
#define QEL_METRIC_TABLE_RECORD_H

#include "qelCharacterWidthTable.h"
#include "qelCodePointGCGIDTable.h"

#include <memory>
#include <string>

// The tables one character set (widths per rotation 0, 90, 180, 270) or
// one code page (GCGIDs by code point) handed to the font metric cache,
// which owns the record and its tables.
struct qelMetricTableRecord
{
    std::string name;
    std::unique_ptr<qelCharacterWidthTable> widths[4];
    std::unique_ptr<qelCodePointGCGIDTable> gcgids;
};

#endif
