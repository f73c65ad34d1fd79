#include "qelAFPFont.h"

#include "qelException.h"
#include "qelList.h"
#include "qelNamePair.h"

#include <cstdio>
#include <cstring>

char* qelAFPFont::describe()
{
    char* line = listingLine(512);
    const size_t used = std::strlen(line);
    const char* charSet = getCharacterSetName();
    std::snprintf(line + used, 512 - used, "CHS=%s (Found=%s)", charSet ? charSet : (getName() ? getName() : ""),
                  getFound() ? "Yes" : "No");
    return line;
}

void qelAFPFont::checkRepresentation() const
{
    if (!m_representation)
        throw new qelException(__FILE__, __LINE__, 8 /* E008 */, 0, true);
}

void qelAFPFont::setAliasNames(const qelList* pairs)
{
    m_aliasNames.clear();
    if (!pairs)
        return;
    for (qelListNode* n = pairs->getHead(); n; n = n->next) {
        const auto* pair = static_cast<const qelNamePair*>(n->item);
        m_aliasNames.emplace_back(pair->first ? pair->first : "", pair->second ? pair->second : "");
    }
}

qelPhysicalFont* qelAFPFont::findPhysicalFont(float size)
{
    const int wanted = static_cast<int>(size);
    for (auto& h : m_physicalFonts)
        if (static_cast<int>(h->entry.size) == wanted)
            return &h->entry;
    return nullptr;
}

void qelAFPFont::setPhysicalFont(float size, const char* codedFontName, const char* characterSetName,
                                 const char* codePageName, const char* characterSetFile, const char* codePageFile,
                                 const char* codedFontFile, qelCodePage* codePage, int flags)
{
    PhysicalFontHolder* holder = nullptr;
    for (auto& h : m_physicalFonts)
        if (static_cast<int>(h->entry.size) == static_cast<int>(size))
            holder = h.get();
    if (!holder) {
        m_physicalFonts.emplace_back(new PhysicalFontHolder);
        holder = m_physicalFonts.back().get();
    }
    const char* texts[6] = {codedFontName, characterSetName, codePageName, characterSetFile, codePageFile,
                            codedFontFile};
    for (int i = 0; i < 6; ++i)
        holder->names[i] = texts[i] ? texts[i] : "";
    auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    holder->entry.size = size;
    holder->entry.codedFontName = orNull(holder->names[0]);
    holder->entry.characterSetName = orNull(holder->names[1]);
    holder->entry.codePageName = orNull(holder->names[2]);
    holder->entry.codePage = codePage;
    holder->flags = flags;
}
