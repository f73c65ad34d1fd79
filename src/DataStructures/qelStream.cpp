#include "qelStream.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMessageOutput.h"

#include <memory>

qelStream::qelStream() = default;

qelStream::~qelStream()
{
    delete[] m_name;
    delete[] m_attributes;
}

unsigned char* qelStream::getData()
{
    return nullptr;
}

void qelStream::setData(const unsigned char*, int) {}

void qelStream::seek(int position)
{
    m_position = position;
}

int qelStream::getSize()
{
    return m_length;
}

bool qelStream::isAtEnd()
{
    bool atEnd = m_length == 0 || m_position >= m_length;
    m_atEnd = atEnd ? 1 : 0;
    return atEnd;
}

int qelStream::getBytesLeft() const
{
    int left = m_length - m_position;
    return left < 0 ? 0 : left;
}

void qelStream::setAttributeList(qelList* list)
{
    if (!m_attributes)
        m_attributes = new qelList*[1];
    m_attributes[0] = list;
}

int qelStream::copyAvailable(unsigned char*, int)
{
    return 0;
}

bool qelStream::isQuiet()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    return ini && ini->isQuietMode();
}

void qelStream::getChars(unsigned char* buffer, int n)
{
    if (n < 1)
        return;
    if (!buffer) {
        qelMessageOutput::write("Warning! Buffer is NULL at qelStream::getChars\n");
        return;
    }
    int done = 0;
    while (done < n) {
        int got = copyAvailable(buffer + done, n - done);
        if (got > 0) {
            done += got;
            continue;
        }
        buffer[done++] = static_cast<unsigned char>(getChar());
    }
}

unsigned char* qelStream::readBytes(int n)
{
    if (n < 1)
        return nullptr;
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[n]);
    getChars(bytes.get(), n);
    return bytes.release();
}

void qelStream::skip(int n)
{
    unsigned char scratch[512];
    while (n > 0) {
        int step = n < static_cast<int>(sizeof scratch) ? n : static_cast<int>(sizeof scratch);
        getChars(scratch, step);
        n -= step;
    }
}

unsigned int qelStream::readUInt16()
{
    unsigned int hi = static_cast<unsigned int>(getChar());
    unsigned int lo = static_cast<unsigned int>(getChar());
    return (hi << 8) | lo;
}

uint32_t qelStream::readUInt32()
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uint32_t>(getChar());
    return value;
}

// Text readers. A LF or CR terminator is stored as 0 in its place; the
// buffer stays unterminated when n bytes came without one.
namespace
{
// False, after a warning naming the reader when the buffer is missing, when
// nothing can be read.
bool canRead(const char* buffer, int n, const char* nullWarning)
{
    if (n <= 0)
        return false;
    if (!buffer) {
        qelMessageOutput::write(nullWarning);
        return false;
    }
    return true;
}

// Reads until the terminator (stored as 0 and counted) or n bytes; a CR is
// stored as 0 too when crAsZero.
int readUpTo(qelStream& stream, char* buffer, int n, int terminator, bool crAsZero, const char* nullWarning)
{
    if (!canRead(buffer, n, nullWarning))
        return -1;
    for (int i = 0; i < n; ++i) {
        int c = stream.getChar();
        if (c == terminator) {
            buffer[i] = 0;
            return i + 1;
        }
        buffer[i] = crAsZero && c == 0x0D ? 0 : static_cast<char>(c);
    }
    return n;
}
} // namespace

int qelStream::getASCIIChars(char* buffer, int n)
{
    return readUpTo(*this, buffer, n, 0x0A, true, "Warning! Buffer is NULL at qelStream::getASCIIChars");
}

int qelStream::getASCIICharsUptoCR(char* buffer, int n)
{
    return readUpTo(*this, buffer, n, 0x0D, false, "Warning! Buffer is NULL at qelStream::getASCIICharsUptoCR");
}

int qelStream::getASCIICharsUptoLF(char* buffer, int n)
{
    return readUpTo(*this, buffer, n, 0x0A, false, "Warning! Buffer is NULL at qelStream::getASCIICharsUptoLF");
}

// Only CR LF ends the read: the CR becomes the terminator and the result is
// the index of the LF.
int qelStream::getASCIICharsUptoCRLF(char* buffer, int n)
{
    if (!canRead(buffer, n, "Warning! Buffer is NULL at qelStream::getASCIICharsUptoCRLF"))
        return -1;
    bool afterCR = false;
    for (int i = 0; i < n; ++i) {
        int c = getChar();
        if (c == 0x0A && afterCR) {
            buffer[i - 1] = 0;
            return i;
        }
        buffer[i] = static_cast<char>(c);
        afterCR = c == 0x0D;
    }
    return n;
}
