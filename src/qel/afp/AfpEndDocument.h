#ifndef QEL_AFP_END_DOCUMENT_H
#define QEL_AFP_END_DOCUMENT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Document (X'D3A9A8'): the template with the name.
class EndDocument : public StructuredField
{
public:
    EndDocument();
    explicit EndDocument(const char* name);
    ~EndDocument() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
