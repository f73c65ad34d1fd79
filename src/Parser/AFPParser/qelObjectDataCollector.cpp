#include "qelObjectDataCollector.h"

#include "qelChunkList.h"
#include "qelException.h"
#include "qelMessageIds.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstring>
#include <memory>

void qelObjectDataCollector::start(const char* tempPath, const std::string& name, uint64_t limit)
{
    drop();
    m_active = true;
    m_tempPath = tempPath ? tempPath : "";
    m_name = name;
    m_limit = limit;
}

void qelObjectDataCollector::fail(const char* reason)
{
    const std::string name = m_spillName;
    const std::string why = reason;
    drop();
    throw new qelException(m_source, __LINE__, qelMsg::E098, 0, 1, name.c_str(), why.c_str());
}

void qelObjectDataCollector::openSpill()
{
    m_spillName = m_tempPath + m_name;
    m_file = qelUtils::createNewFile(m_spillName);
    if (!m_file)
        fail(std::strerror(errno));
    if (m_chunks) {
        if (!m_chunks->writeTo(m_file))
            fail("write failed");
        delete m_chunks;
        m_chunks = nullptr;
    }
}

void qelObjectDataCollector::add(unsigned char* data, uint32_t length)
{
    std::unique_ptr<unsigned char[]> owned(data);
    if (!m_active)
        start(nullptr, std::string(), UINT64_MAX);
    if (static_cast<uint64_t>(m_length) + length > UINT32_MAX)
        fail("data too long");
    if (!m_file) {
        if (static_cast<uint64_t>(m_length) + length <= m_limit) {
            if (!m_chunks)
                m_chunks = new qelChunkList();
            m_chunks->append(owned.release(), length);
            m_length += length;
            return;
        }
        openSpill();
    }
    if (length > 0 && std::fwrite(owned.get(), 1, length, m_file) != length)
        fail("write failed");
    m_length += length;
}

unsigned char* qelObjectDataCollector::take(uint32_t& length)
{
    std::unique_ptr<unsigned char[]> data;
    if (m_file) {
        data.reset(new unsigned char[static_cast<size_t>(m_length) + 1]);
        std::rewind(m_file);
        const size_t got = std::fread(data.get(), 1, m_length, m_file);
        if (got != m_length)
            std::memset(data.get() + got, 0, m_length - got);
    } else if (m_chunks && m_length > 0) {
        data.reset(m_chunks->join());
    }
    if (!data)
        data.reset(new unsigned char[1]());
    length = m_length;
    drop();
    return data.release();
}

void qelObjectDataCollector::drop()
{
    delete m_chunks;
    m_chunks = nullptr;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        qelUtils::deleteFile(m_spillName.c_str());
    }
    m_spillName.clear();
    m_length = 0;
    m_active = false;
}
