#include "qel/afp/AfpISTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

ISTriplet::ISTriplet(int type, int identifier) : m_type(type), m_identifier(identifier)
{
    setLength(5);
}

ISTriplet::~ISTriplet() = default;

uint8_t ISTriplet::evaluateLength()
{
    setLength(5);
    return 5;
}

int ISTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ISTriplet::write");
    std::vector<unsigned char> bytes = start();
    const unsigned char type = (m_type == 1 || m_type == 3) ? static_cast<unsigned char>(m_type) : 0x00;
    bytes.push_back(type);
    unsigned char identifier = 0x00;
    if (m_identifier == 0)
        identifier = 0x09;
    else if (m_identifier == 1 || m_identifier == 2)
        identifier = 0x0C;
    bytes.push_back(identifier);
    bytes.push_back(0x00);
    logInfoText("Modca Interchange Set Triplet");
    logInfo("ISType: 0x%02X", type);
    logInfo("IS Identifier: 0x%02X%02X ", identifier, 0);
    return writeBytes(dataStream, bytes, "Stream = (NULL)");
}

} // namespace afp
} // namespace qel
