#include "qel/afp/AfpSECControlSequence.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/OutputProfile.h"

namespace qel
{
namespace afp
{

namespace
{

bool refusedAtIS2()
{
    const OutputProfile* profile = DataPool::getInstance()->getOutputProfile();
    return profile->getLevel() == OutputProfile::LEVEL_IS2 && !profile->isExtendedTextColorAllowed();
}

} // namespace

SECControlSequence::~SECControlSequence() = default;

uint8_t SECControlSequence::lengthOfSpace() const
{
    switch (m_colorSpace) {
    case SPACE_RGB:
    case SPACE_CMYK: return 16;
    case SPACE_HIGHLIGHT: return 14;
    case SPACE_CIELAB: return 15;
    default: return 0;
    }
}

uint8_t SECControlSequence::evaluateLength()
{
    if (refusedAtIS2())
        return 0;
    setLength(lengthOfSpace());
    return getLength();
}

int SECControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::SECControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2)
        return writeModcaIS2(dataStream);
    return writeModcaP(dataStream);
}

int SECControlSequence::writeModcaIS2(DataStream* dataStream)
{
    if (refusedAtIS2())
        return 0;
    return writeModcaP(dataStream);
}

int SECControlSequence::writeModcaP(DataStream* dataStream)
{
    const uint8_t length = lengthOfSpace();
    if (length == 0)
        return -1;
    setLength(length);
    const uint32_t v = static_cast<uint32_t>(m_value);
    std::vector<unsigned char> bytes = head(0x81);
    bytes.push_back(0x00);
    bytes.push_back(static_cast<unsigned char>(m_colorSpace));
    bytes.insert(bytes.end(), 4, 0x00);
    unsigned char sizes[4] = {8, 8, 8, 0};
    const char* spaceName = "";
    switch (m_colorSpace) {
    case SPACE_RGB:
        spaceName = "RGB";
        break;
    case SPACE_CMYK:
        spaceName = "CMYK";
        sizes[3] = 8;
        break;
    case SPACE_HIGHLIGHT:
        sizes[0] = 16;
        sizes[1] = 0;
        sizes[2] = 0;
        break;
    default: break;
    }
    bytes.insert(bytes.end(), sizes, sizes + 4);
    switch (m_colorSpace) {
    case SPACE_RGB:
        // Red is the low byte of the value and the first colour byte.
        bytes.push_back(static_cast<unsigned char>(v & 0xFF));
        bytes.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
        bytes.push_back(static_cast<unsigned char>((v >> 16) & 0xFF));
        bytes.push_back(0x00);
        break;
    case SPACE_CMYK:
        put16(bytes, v >> 16);
        put16(bytes, v & 0xFFFF);
        break;
    case SPACE_HIGHLIGHT:
        put16(bytes, v & 0xFFFF);
        break;
    default:
        bytes.push_back(static_cast<unsigned char>((v >> 16) & 0xFF));
        bytes.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
        bytes.push_back(static_cast<unsigned char>(v & 0xFF));
        break;
    }
    logInfoText("Set Extended Text Color");
    logInfo("Color Space: %s", spaceName);
    for (int i = 0; i < 4; ++i)
        logInfo("No. of bits in Component %d: 0x%02X", i + 1, sizes[i]);
    logInfo("Color value: 0x%08X", v);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
