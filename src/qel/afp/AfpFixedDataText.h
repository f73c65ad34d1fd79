#ifndef QEL_AFP_FIXED_DATA_TEXT_H
#define QEL_AFP_FIXED_DATA_TEXT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Fixed Data Text (X'D3EEEC'): the text, held as the field's data bytes.
// A write translates the held text to EBCDIC in place, so a field is
// written once.
class FixedDataText : public StructuredField
{
public:
    enum { MAX_TEXT = 32743 };

    FixedDataText() = default;
    ~FixedDataText() override;

    // -2 without text (tested before control flag bit 0).
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
