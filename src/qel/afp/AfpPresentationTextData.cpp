#include "qel/afp/AfpPresentationTextData.h"

#include "qel/afp/AfpControlSequence.h"
#include "qel/afp/AfpPTXNOPControlSequence.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>
#include <vector>

namespace qel
{
namespace afp
{

PresentationTextData::PresentationTextData()
{
    setLength(HEAD_LENGTH);
}

PresentationTextData::~PresentationTextData()
{
    delete m_sequences;
}

void PresentationTextData::addControlSequence(ControlSequence* sequence)
{
    if (!sequence) {
        logDebugText("\tControlSequence = (NULL)");
        return;
    }
    if (!m_sequences) {
        m_sequences = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_sequences)
            throw "Memory allocation for qel::afp::PresentationTextData::addControlSequence::pLstWritableContext "
                  "failed";
    }
    setLength(static_cast<uint16_t>(getLength() + sequence->evaluateLength()));
    m_sequences->append(WritableContext::holding(sequence));
    sequence->addReference(1);
}

int PresentationTextData::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::PresentationTextData::write");
    if (!dataStream || !m_sequences || m_sequences->getCount() == 0) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    auto* close = new PTXNOPControlSequence();
    close->setChained(0);
    addControlSequence(close);
    std::vector<unsigned char> bytes;
    try {
        bytes = {0x00, 0x00, 0xD3, 0xEE, 0x9B, 0x00, 0x00, 0x00, 0x2B, 0xD3};
    } catch (const std::bad_alloc&) {
        throw "Memory allocation for qel::afp::PresentationTextData::write::pbyHeaderTmp failed";
    }
    putLength(bytes, getLength());
    write5A(dataStream, controlFlags);
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    logInfoText("Presentation Text Data");
    for (DNode<WritableContext>* node = m_sequences->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
