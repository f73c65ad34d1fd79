#include "qel/afp/DataStream.h"

#include "qel/afp/Log.h"
#include "qelStream.h"

namespace qel
{

DataStream::~DataStream()
{
    delete m_stream;
}

int DataStream::open()
{
    logDebugText("qel::DataStream::open");
    if (!m_stream) {
        logDebugText("\tStream=(null)");
        return -1;
    }
    m_stream->open();
    logDebugText("\tStream = open");
    return 0;
}

void DataStream::close()
{
    if (m_stream)
        m_stream->close();
    logDebugText("qel::DataStream::close \t  Stream =  closed");
}

int DataStream::write(const void* bytes, int length)
{
    if (!m_stream || !bytes || length <= 0) {
        logDebugText("qel::DataStream::write");
        logDebugText("\tStream or Buffer = (null)");
        return -1;
    }
    m_stream->write(static_cast<const unsigned char*>(bytes), length);
    return 0;
}

} // namespace qel
