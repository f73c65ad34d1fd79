#ifndef QEL_AFP_CONTROL_SEQUENCE_H
#define QEL_AFP_CONTROL_SEQUENCE_H

#include "qel/afp/AfpSelfIdentifyingParameter.h"

#include <cstdint>
#include <vector>

namespace qel
{
namespace afp
{

// A PTOCA control sequence: length byte, function type, parameters. It is
// written chained (odd function type) unless switched off; no X'5A' ever
// precedes it. Its length is evaluated when a field takes it and does not
// change before it is written.
class ControlSequence : public SelfIdentifyingParameter
{
public:
    enum Kind {
        AMB = 0, AMI = 1, DBR = 4, DIR = 5, OVS = 7, PTXNOP = 8, RMB = 9, RMI = 10, SCFL = 13, SEC = 14, SIA = 16,
        STC = 17, STO = 18, SVI = 19, TRN = 21, USC = 22
    };

    explicit ControlSequence(uint8_t length) { setLength(length); }
    ~ControlSequence() override;

    // The base writes nothing.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    uint8_t evaluateLength() override { return getLength(); }
    virtual int getType() = 0;

    void setChained(uint8_t chained) { m_chained = chained; }
    uint8_t isChained() const { return m_chained; }

protected:
    // Length byte and function type (one less when unchained).
    std::vector<unsigned char> head(uint8_t chainedType) const;
    // One data-stream write of the bytes; -1 for a null stream.
    static int send(DataStream* dataStream, const std::vector<unsigned char>& bytes);
    static void put16(std::vector<unsigned char>& to, unsigned int value)
    {
        to.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
        to.push_back(static_cast<unsigned char>(value & 0xFF));
    }

private:
    uint8_t m_chained = 1;
};

} // namespace afp
} // namespace qel

#endif
