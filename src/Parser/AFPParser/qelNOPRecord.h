#ifndef QEL_NOP_RECORD_H
#define QEL_NOP_RECORD_H

// The data of one No Operation field: the raw EBCDIC bytes (one spare byte)
// and their ASCII text. Owns both buffers.
struct qelNOPRecord
{
    qelNOPRecord() = default;
    ~qelNOPRecord()
    {
        delete[] raw;
        delete[] text;
    }
    qelNOPRecord(const qelNOPRecord&) = delete;
    qelNOPRecord& operator=(const qelNOPRecord&) = delete;

    int length = 0;
    unsigned char* raw = nullptr;
    char* text = nullptr;
};

#endif
