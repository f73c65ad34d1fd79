#include "qel/afp/AfpROTTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

namespace
{

const char* kindLine(uint8_t type)
{
    switch (type) {
    case 0x03: return "Graphics Object: %d";
    case 0x05: return "Bar Code Object: %d";
    case 0x06: return "Image Object: %d";
    case 0x40: return "Font Character Set Object: %d";
    case 0x41: return "Code Page Object: %d";
    case 0x42: return "Coded Font Object: %d";
    case 0x92: return "Object Container Object: %d";
    case 0xA8: return "Document Object: %d";
    case 0xFB: return "Page Segment Object: %d";
    case 0xFC: return "Overlay Object: %d";
    case 0xFD: return "Page Definition Object: %d";
    case 0xFE: return "Form Definition Object: %d";
    default: return "Invalid Object Type: %d";
    }
}

} // namespace

ROTTriplet::ROTTriplet(uint8_t objectType) : m_objectType(objectType)
{
    setLength(10);
}

ROTTriplet::~ROTTriplet() = default;

uint8_t ROTTriplet::evaluateLength()
{
    setLength(10);
    return 10;
}

int ROTTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ROTTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_objectType);
    bytes.insert(bytes.end(), 7, 0x00);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    logInfo(kindLine(m_objectType), m_objectType);
#pragma GCC diagnostic pop
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
