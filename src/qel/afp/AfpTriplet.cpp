#include "qel/afp/AfpTriplet.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

Triplet::~Triplet() = default;

int Triplet::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    return 0;
}

int Triplet::writeBytes(DataStream* dataStream, const std::vector<unsigned char>& bytes, const char* nullText)
{
    if (!dataStream || getLength() == 0 || bytes.empty()) {
        logDebugText(nullText);
        return -1;
    }
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

std::vector<unsigned char> Triplet::start()
{
    std::vector<unsigned char> bytes;
    bytes.reserve(getLength());
    bytes.push_back(getLength());
    bytes.push_back(getId());
    return bytes;
}

} // namespace afp
} // namespace qel
