#ifndef QEL_AFP_END_CODE_PAGE_H
#define QEL_AFP_END_CODE_PAGE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Code Page (X'D3A987'): the code page's name.
class EndCodePage : public StructuredField
{
public:
    explicit EndCodePage(const char* name = nullptr);
    ~EndCodePage() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
