#ifndef QEL_AFP_TRN_CONTROL_SEQUENCE_H
#define QEL_AFP_TRN_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// Transparent Data (X'DB'): up to 253 text bytes, translated to EBCDIC when
// written only when translate is on and the bytes are not data-encoded.
class TRNControlSequence : public ControlSequence
{
public:
    enum { MAX_DATA = 253 };

    TRNControlSequence() : ControlSequence(2) {}
    // The first min(length, 253) bytes; both flags off.
    TRNControlSequence(const unsigned char* data, int length);
    ~TRNControlSequence() override;

    uint8_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return TRN; }

    // Null data or a length of 0 changes nothing.
    void setData(const unsigned char* data, int length);
    const unsigned char* getData() const { return m_data; }
    int getDataLength() const { return m_dataLength; }
    void setTranslate(uint8_t on) { m_translate = on; }
    void setDataEncoded(uint8_t on) { m_dataEncoded = on; }
    uint8_t isTranslate() const { return m_translate; }
    uint8_t isDataEncoded() const { return m_dataEncoded; }

private:
    unsigned char m_data[MAX_DATA] = {};
    int m_dataLength = 0;
    uint8_t m_translate = 0;
    uint8_t m_dataEncoded = 0;
};

} // namespace afp
} // namespace qel

#endif
