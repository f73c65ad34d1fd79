#ifndef QEL_CODE_PAGE_BUILDER_H
#define QEL_CODE_PAGE_BUILDER_H

#include "qelBuilder.h"

#include <cstdint>

class qelLogStream;

// Base of the builders that make a code page.
class qelCodePageBuilder : public qelBuilder
{
public:
    qelCodePageBuilder() = default;

    void setLogStream(qelLogStream* log) { m_log = log; }
    qelLogStream* getLogStream() const { return m_log; }
    void setQuietMode(int32_t quiet) { m_quiet = quiet; }
    int32_t getQuietMode() const { return m_quiet; }

private:
    qelLogStream* m_log = nullptr;
    int32_t m_quiet = 0;
};

#endif
