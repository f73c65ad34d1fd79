#ifndef QEL_IMG_LOG_STREAM_H
#define QEL_IMG_LOG_STREAM_H

#include "qelImgLogger.h"

class qelLogStream;

// Trace sink of the image library writing into the program log. Its level
// follows the log's mask: INFO 1, else WARN 2, else DEBUG 3, else 0.
class qelImgLogStream : public qelImgLogger
{
public:
    enum : unsigned int { MASK_INFO = 0x1000000, MASK_WARN = 0x2000000, MASK_DEBUG = 0x4000000 };

    // The log is borrowed.
    explicit qelImgLogStream(qelLogStream* log);
    // The text verbatim.
    void print(const char* text) override;

    static int levelFor(unsigned int mask);

private:
    qelLogStream* m_log;
};

#endif
