#ifndef QEL_AFP_PRESENTATION_TEXT_DATA_H
#define QEL_AFP_PRESENTATION_TEXT_DATA_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class ControlSequence;

// Presentation Text Data (X'D3EE9B'): the escape sequence X'2BD3' and a
// chain of control sequences. Its length starts at 10 and grows by every
// sequence added; the write closes the chain with an empty unchained No
// Operation, so a field is written once.
class PresentationTextData : public StructuredField
{
public:
    enum { HEAD_LENGTH = 10, MAX_LENGTH = 8192 };

    PresentationTextData();
    ~PresentationTextData() override;

    // Null is ignored; one reference.
    void addControlSequence(ControlSequence* sequence);
    DLinkedList<WritableContext>* getControlSequences() const { return m_sequences; }

    // -1 and nothing written without a stream or without sequences.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    DLinkedList<WritableContext>* m_sequences = nullptr;
};

} // namespace afp
} // namespace qel

#endif
