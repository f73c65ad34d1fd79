#ifndef QEL_AFP_BEGIN_DATA_MAP_H
#define QEL_AFP_BEGIN_DATA_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Data Map (X'D3A8CA'): name, line format byte (0x00 traditional
// line data, 0x01 record line data, 0xFF not given) and triplets.
class BeginDataMap : public StructuredField
{
public:
    enum : uint8_t { FORMAT_TRADITIONAL = 0x00, FORMAT_RECORD = 0x01, FORMAT_NONE = 0xFF };

    BeginDataMap();
    explicit BeginDataMap(const char* name);
    ~BeginDataMap() override;

    void setFlag(uint8_t format) { m_format = format; }
    uint8_t getFlag() const { return m_format; }

    // Eight blanks stand for a missing name. Each write builds its own
    // bytes, so writing twice gives the same bytes twice.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    uint8_t m_format = FORMAT_NONE;
};

} // namespace afp
} // namespace qel

#endif
