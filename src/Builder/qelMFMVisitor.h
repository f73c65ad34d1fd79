#ifndef QEL_MFM_VISITOR_H
#define QEL_MFM_VISITOR_H

#include <cstdio>

class qelMFMFile;
class qelString;

// Writes an MFM metrics record to the file of its character set.
class qelMFMVisitor
{
public:
    qelMFMVisitor() = default;
    ~qelMFMVisitor();
    qelMFMVisitor(const qelMFMVisitor&) = delete;
    qelMFMVisitor& operator=(const qelMFMVisitor&) = delete;

    // 0, or -1 no name, -2 no path, -3 the file does not open.
    int openFile(const char* characterSetName);
    // 0 after writing, or -1 no record, -2 no header, -3 entry count below
    // 1, -4 no width sets, -5 the file does not open, -6 no names of the
    // version. A failed write throws E075 and leaves no file behind.
    int writeFont(qelMFMFile* record);
    // 0, or -1 when nothing was open.
    int close();

private:
    // Closes, deletes the partial file and throws E075.
    [[noreturn]] void failWrite(int error);

    unsigned char m_open = 0;
    FILE* m_file = nullptr;
    qelString* m_path = nullptr;
};

#endif
