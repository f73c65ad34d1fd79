#ifndef QEL_AFP_BEGIN_FONT_H
#define QEL_AFP_BEGIN_FONT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Font (X'D3A889'): the font's name, then its triplets.
class BeginFont : public StructuredField
{
public:
    explicit BeginFont(const char* name = nullptr);
    ~BeginFont() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
