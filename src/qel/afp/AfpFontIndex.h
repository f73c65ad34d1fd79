#ifndef QEL_AFP_FONT_INDEX_H
#define QEL_AFP_FONT_INDEX_H

#include "qel/afp/AfpFontGroupField.h"

namespace qel
{
namespace afp
{

// Font Index (X'D38C89'): 28-byte groups, one per character of one rotation, in the order added.
class FontIndex : public FontGroupField
{
public:
    FontIndex()
        : FontGroupField("qel::afp::FontIndex", 0xD38C89,
                         "Memory allocation for qel::afp::FontIndex::addRepeatingGroup::pLstWritableContext failed",
                         "Memory allocation for qel::afp::FontIndex::write::pbyHeaderTmp failed")
    {
    }
};

} // namespace afp
} // namespace qel

#endif
