#include "qelAFPCPBuilder.h"

#include "qel/afp/AfpResCodePage.h"
#include "qelAFPCPRepresentation.h"
#include "qelCodePage.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace
{
struct IndexEntry
{
    const qelCodePageChar* entry;
    int codePoint;
    const char* text; // glyph name, else character name
};
} // namespace

qelRepresentation* qelAFPCPBuilder::build(qelRepresentation*) { return nullptr; }

qelAFPCPRepresentation* qelAFPCPBuilder::buildCodePage(const qelCodePage* codePage)
{
    if (!codePage)
        return nullptr;
    const char* name = codePage->getName() ? codePage->getName() : "(null)";
    std::unique_ptr<qel::afp::ResCodePage> resource(new (std::nothrow) qel::afp::ResCodePage(name));
    if (!resource)
        throw "Error while allocating memory for CodePage resource";
    resource->initialize();

    // A single-byte code page: code points 0 to 255; entries without a
    // text have nothing to index.
    std::vector<IndexEntry> entries;
    for (int cp = 0; cp < 256; ++cp) {
        const qelCodePageChar* e = codePage->getEntry(cp);
        if (!e)
            continue;
        const char* text = e->glyphName && *e->glyphName ? e->glyphName : e->name;
        if (text && *text)
            entries.push_back({e, cp, text});
    }
    // Bit 0x80 of the use flags asks for the index in code point order.
    if (codePage->isSortIndexOnBuild() && !(codePage->getUseFlags() & 0x80))
        std::stable_sort(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
            return std::strcmp(a.text, b.text) < 0;
        });

    resource->setDescriptorDetails(name, 0, 0, 0x6100);
    // The code page's own default character where the index holds it, so
    // that a code point outside the code page prints that one.
    const char* defaultName = codePage->getDefaultGCGID();
    const char* defaultChar = nullptr;
    const char* first = nullptr;
    for (const IndexEntry& e : entries) {
        if (resource->addCodePageIndexEntry(e.text, 0, static_cast<uint8_t>(e.codePoint)) != 0)
            break;
        if (!first)
            first = e.text;
        if (!defaultChar && defaultName
            && (std::strcmp(e.text, defaultName) == 0 || (e.entry->name && std::strcmp(e.entry->name, defaultName) == 0)))
            defaultChar = e.text;
    }
    resource->setControlDetails(defaultChar ? defaultChar : first, 0, 0,
                                static_cast<uint8_t>(codePage->getSpaceCodePoint() & 0xFF), codePage->getUseFlags(),
                                10);

    std::unique_ptr<qelAFPCPRepresentation> result(new qelAFPCPRepresentation);
    result->setResource(resource.release());
    return result.release();
}
