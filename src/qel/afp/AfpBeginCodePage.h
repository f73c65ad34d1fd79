#ifndef QEL_AFP_BEGIN_CODE_PAGE_H
#define QEL_AFP_BEGIN_CODE_PAGE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Code Page (X'D3A887'): the code page's name, then its triplets.
class BeginCodePage : public StructuredField
{
public:
    explicit BeginCodePage(const char* name = nullptr);
    ~BeginCodePage() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
