#include "qel/afp/AfpRUATriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

RUATriplet::RUATriplet(uint8_t frequency) : m_frequency(frequency)
{
    setLength(3);
}

RUATriplet::~RUATriplet() = default;

uint8_t RUATriplet::evaluateLength()
{
    setLength(3);
    return 3;
}

int RUATriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::RUATriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_frequency);
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
