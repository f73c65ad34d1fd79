#include "qelSFIBlock.h"

#include "qelBufferStream.h"
#include "qelException.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

namespace {

// Bit sets over the byte values of valid type and category codes.
struct CodeSet
{
    bool bits[256] = {};
    CodeSet(std::initializer_list<unsigned char> codes)
    {
        for (unsigned char c : codes)
            bits[c] = true;
    }
};

const CodeSet kTypes{0xAA, 0x8C, 0xA0, 0xA2, 0xA6, 0xA7, 0xA8, 0xA9, 0xAB,
                     0xAC, 0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB4, 0xEE};
const CodeSet kCategories{0xCA, 0xE3, 0xE7, 0x5F, 0x6B, 0x77, 0x7B, 0x87, 0x89, 0x88, 0x8A, 0x90,
                          0x92, 0x9B, 0xA7, 0xA8, 0xAD, 0xAF, 0xBB, 0xC3, 0xC4, 0xC5, 0xCB, 0xCE,
                          0xC6, 0xC7, 0xC9, 0xCC, 0xCD, 0xD8, 0xDF, 0xEA, 0xEB, 0xEE, 0xFB, 0xEC};

} // namespace

qelSFIBlock::qelSFIBlock() = default;

qelSFIBlock::~qelSFIBlock()
{
    clear();
}

bool qelSFIBlock::isValidId(int id)
{
    if (id < 0 || id > 0xFFFF)
        return false;
    return kTypes.bits[(id >> 8) & 0xFF] && kCategories.bits[id & 0xFF];
}

unsigned char* qelSFIBlock::getData()
{
    return m_data ? m_data->getData() : nullptr;
}

int qelSFIBlock::getDataSize()
{
    return m_data ? m_data->getSize() : 0;
}

unsigned char* qelSFIBlock::getExtension()
{
    return m_extension ? m_extension->getData() : nullptr;
}

unsigned char qelSFIBlock::getExtensionSize()
{
    return m_extension ? static_cast<unsigned char>(m_extension->getSize()) : 0;
}

void qelSFIBlock::fill(qelBufferStream*& stream, const unsigned char* bytes, int count)
{
    if (!stream)
        stream = new qelBufferStream(nullptr, 0, false);
    stream->seek(0);
    stream->write(bytes, bytes ? count : 0);
    stream->seek(0);
}

void qelSFIBlock::setData(unsigned char* bytes, int count)
{
    std::unique_ptr<unsigned char[]> owned(bytes);
    fill(m_data, bytes, count & 0xFFFF);
}

void qelSFIBlock::setExtension(unsigned char* bytes, int count)
{
    std::unique_ptr<unsigned char[]> owned(bytes);
    fill(m_extension, bytes, count & 0xFF);
}

void qelSFIBlock::reset()
{
    m_length = 0;
    m_id = 0;
    m_flags = 0;
    m_reserved = 0;
    m_carriageControl = 0;
}

void qelSFIBlock::clear()
{
    delete m_extension;
    m_extension = nullptr;
    delete m_data;
    m_data = nullptr;
    delete m_triplet;
    m_triplet = nullptr;
}

void qelSFIBlock::setTripletStream(qelBufferStream* stream)
{
    if (stream != m_triplet)
        delete m_triplet;
    m_triplet = stream;
}

qelBufferStream* qelSFIBlock::dataStream()
{
    if (!m_data)
        throw new qelException(__FILE__, __LINE__, qelMsg::E063, 0, true);
    return m_data;
}

int qelSFIBlock::getRemainingLength()
{
    return dataStream()->getBytesLeft();
}

int qelSFIBlock::readByte()
{
    return dataStream()->getChar();
}

unsigned int qelSFIBlock::readUShort()
{
    return dataStream()->readUInt16();
}

int qelSFIBlock::readShort()
{
    return static_cast<int16_t>(dataStream()->readUInt16());
}

void qelSFIBlock::readBytes(unsigned char* buffer, int n)
{
    dataStream()->getChars(buffer, n);
}

unsigned char* qelSFIBlock::readNewBytes(int n)
{
    return dataStream()->readBytes(n);
}

void qelSFIBlock::skip(int n)
{
    dataStream()->skip(n);
}

int qelSFIBlock::getPosition()
{
    return dataStream()->getPosition();
}
