#ifndef QEL_AFP_SELF_IDENTIFYING_PARAMETER_H
#define QEL_AFP_SELF_IDENTIFYING_PARAMETER_H

#include "qel/afp/Writable.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// A parameter that carries its own length byte: triplets, control
// sequences, control instructions.
class SelfIdentifyingParameter : public Writable
{
public:
    SelfIdentifyingParameter() = default;
    ~SelfIdentifyingParameter() override;

    // Computes the length from the current values, stores and returns it.
    virtual uint8_t evaluateLength() = 0;

    uint8_t getLength() const { return m_length; }
    void setLength(uint8_t length) { m_length = length; }

private:
    uint8_t m_length = 255;
};

} // namespace afp
} // namespace qel

#endif
