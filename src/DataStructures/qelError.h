#ifndef QEL_ERROR_H
#define QEL_ERROR_H

#include "qelProcessInfo.h"

// The error report that the C interface writes when an error reaches it.
class qelError : public qelProcessInfo
{
public:
    qelError();
    ~qelError() override;

    void setMessage(const char* text);
    void setErrorPath(const char* directory);
    const char* getMessage() const;
    const char* getErrorPath() const;

    // Opens error_YYYYMMDD_HHMMSS.txt, writes header, input file and
    // message, and closes it.
    void writeReport();

private:
    qelString* m_message = nullptr;
    qelString* m_errorPath = nullptr;
};

#endif
