#include "qel/afp/AfpControlSequence.h"

#include "qel/afp/DataStream.h"

namespace qel
{
namespace afp
{

ControlSequence::~ControlSequence() = default;

int ControlSequence::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    return 0;
}

std::vector<unsigned char> ControlSequence::head(uint8_t chainedType) const
{
    return {getLength(), static_cast<unsigned char>(m_chained ? chainedType : chainedType - 1)};
}

int ControlSequence::send(DataStream* dataStream, const std::vector<unsigned char>& bytes)
{
    if (!dataStream)
        return -1;
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
