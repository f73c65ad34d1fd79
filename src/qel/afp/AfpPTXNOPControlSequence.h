#ifndef QEL_AFP_PTXNOP_CONTROL_SEQUENCE_H
#define QEL_AFP_PTXNOP_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// No Operation (X'F9'): up to 253 bytes, translated to EBCDIC when
// written. An empty unchained one closes every text field.
class PTXNOPControlSequence : public ControlSequence
{
public:
    enum { MAX_DATA = 253 };

    PTXNOPControlSequence() : ControlSequence(2) {}
    PTXNOPControlSequence(const unsigned char* data, int length);
    ~PTXNOPControlSequence() override;

    uint8_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return PTXNOP; }

    // Keeps min(length, 253) bytes; null data or 0 changes nothing.
    void setData(const unsigned char* data, int length);
    const unsigned char* getData() const { return m_data; }
    int getDataLength() const { return m_dataLength; }

private:
    unsigned char m_data[MAX_DATA] = {};
    int m_dataLength = 0;
};

} // namespace afp
} // namespace qel

#endif
