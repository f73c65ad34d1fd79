#include "qel/afp/AfpMappedFontEntry.h"

#include <cstdlib>

namespace qel
{
namespace afp
{

void MappedFontEntry::freeNames()
{
    std::free(codedFontName);
    std::free(characterSetName);
    std::free(codePageName);
    std::free(fontName);
    codedFontName = nullptr;
    characterSetName = nullptr;
    codePageName = nullptr;
    fontName = nullptr;
}

} // namespace afp
} // namespace qel
