#ifndef QEL_IMG_LOG_STREAM_H
#define QEL_IMG_LOG_STREAM_H

#include "qelImgLogger.h"
#include "qelLogStream.h"

// Trace sink of the image library writing into the program log. Its level
// follows the log's mask: INFO 1, else WARN 2, else DEBUG 3, else 0.
class qelImgLogStream : public qelImgLogger
{
public:
    enum : unsigned int { MASK_INFO = QEL_LOG_INFO, MASK_WARN = QEL_LOG_WARN, MASK_DEBUG = QEL_LOG_DEBUG };

    // The log is borrowed.
    explicit qelImgLogStream(qelLogStream* log);
    // The text verbatim.
    void print(const char* text) override;

    static int levelFor(unsigned int mask);

private:
    qelLogStream* m_log;
};

#endif
