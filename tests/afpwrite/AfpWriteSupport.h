#ifndef AFP_WRITE_SUPPORT_H
#define AFP_WRITE_SUPPORT_H

#include "FieldDump.h"
#include "FieldText.h"
#include "ScratchTest.h"

#include "qel/afp/AfpLibrary.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Logger.h"
#include "qel/afp/Writable.h"
#include "qelBufferStream.h"

#include <cctype>
#include <string>

namespace afpwrite
{

using namespace lrbtest;

// A logger that keeps what it prints.
class RecordingLogger : public qel::Logger
{
public:
    explicit RecordingLogger(int kind = KIND_FILE, uint16_t mask = 0x1F) : m_kind(kind) { setLevel(mask); }
    int print(const char* text) override
    {
        lines += text;
        return 0;
    }
    int getKind() override { return m_kind; }
    std::string lines;

private:
    int m_kind;
};

// A data stream over memory and the bytes written into it.
class MemoryOutput
{
public:
    MemoryOutput() : m_stream(new qelBufferStream(1024)), m_data(m_stream) { m_data.open(); }
    qel::DataStream* stream() { return &m_data; }
    Bytes bytes() const
    {
        const unsigned char* data = m_stream->getData();
        const int n = m_stream->getSize();
        return n > 0 && data ? Bytes(data, data + n) : Bytes();
    }

private:
    qelBufferStream* m_stream; // owned by m_data
    qel::DataStream m_data;
};

// What a writable writes with the control flags, and its result.
inline Bytes written(qel::Writable& w, uint16_t flags = 0, int* rc = nullptr)
{
    MemoryOutput out;
    const int result = w.write(out.stream(), flags, nullptr);
    if (rc)
        *rc = result;
    return out.bytes();
}

inline Bytes fromHex(const std::string& hex)
{
    Bytes out;
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string toHex(const Bytes& bytes)
{
    std::string out;
    char hex[3];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        out += hex;
    }
    return out;
}

// The library started for each test (no logger registered) and ended
// after it; message output captured, scratch folder.
class LibraryTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        qel::afp::initializeLibrary();
    }
    void TearDown() override
    {
        qel::afp::finalizeLibrary();
        ScratchTest::TearDown();
    }
    // Registers a recording file logger with all levels.
    RecordingLogger& record()
    {
        qel::DataPool::getInstance()->addLogger(&m_logger);
        return m_logger;
    }
    RecordingLogger m_logger;
};

} // namespace afpwrite

#endif
