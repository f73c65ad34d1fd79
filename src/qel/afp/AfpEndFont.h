#ifndef QEL_AFP_END_FONT_H
#define QEL_AFP_END_FONT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Font (X'D3A989'): the font's name.
class EndFont : public StructuredField
{
public:
    explicit EndFont(const char* name = nullptr);
    ~EndFont() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
