#ifndef QEL_AFP_TRIPLET_H
#define QEL_AFP_TRIPLET_H

#include "qel/afp/AfpSelfIdentifyingParameter.h"

#include <vector>

namespace qel
{
namespace afp
{

// Base of every triplet: length byte, id byte, data. Triplets never write
// X'5A' and ignore the control flags. A triplet is complete before it is
// added to a container (which evaluates its length once); its write uses
// the stored length.
class Triplet : public SelfIdentifyingParameter
{
public:
    Triplet() = default;
    ~Triplet() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    uint8_t evaluateLength() override { return getLength(); }
    virtual uint8_t getId() = 0;

protected:
    // Writes the bytes in one data-stream write; -1 after logging
    // nullText for a null stream or a stored length of 0.
    int writeBytes(DataStream* dataStream, const std::vector<unsigned char>& bytes, const char* nullText);
    // Length and id bytes of a triplet of the stored length.
    std::vector<unsigned char> start();
};

// Big-endian helpers of the writers.
inline void put16(std::vector<unsigned char>& to, unsigned int value)
{
    to.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
    to.push_back(static_cast<unsigned char>(value & 0xFF));
}

inline void put32(std::vector<unsigned char>& to, uint32_t value)
{
    put16(to, value >> 16);
    put16(to, value & 0xFFFF);
}

} // namespace afp
} // namespace qel

#endif
