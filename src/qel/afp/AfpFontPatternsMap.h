#ifndef QEL_AFP_FONT_PATTERNS_MAP_H
#define QEL_AFP_FONT_PATTERNS_MAP_H

#include "qel/afp/AfpFontGroupField.h"

namespace qel
{
namespace afp
{

// Font Patterns Map (X'D3A289'): one 8-byte group per character, in the order added.
class FontPatternsMap : public FontGroupField
{
public:
    FontPatternsMap()
        : FontGroupField("qel::afp::FontPatternsMap", 0xD3A289,
                         "Memory allocation for qel::afp::FontPatternsMap::addRepeatingGroup::pLstWritableContext failed",
                         "Memory allocation for qel::afp::FontPatternsMap::write::pbyHeaderTmp failed")
    {
    }
};

} // namespace afp
} // namespace qel

#endif
