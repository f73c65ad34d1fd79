#ifndef QEL_LIB_DATA_STREAM_H
#define QEL_LIB_DATA_STREAM_H

#include "qel/afp/Object.h"

class qelStream;

namespace qel
{

// The library's byte output over an owned qelStream. Without a stream
// every operation fails with -1.
class DataStream : public Object
{
public:
    DataStream() = default;
    explicit DataStream(qelStream* stream) : m_stream(stream) {}
    ~DataStream() override;

    int open();
    void close();
    // 0 when the bytes went to the stream (a failing file write is raised
    // by the stream); -1 without stream or bytes, or for length <= 0.
    int write(const void* bytes, int length);

    qelStream* getStream() const { return m_stream; }

private:
    qelStream* m_stream = nullptr;
};

} // namespace qel

#endif
