#ifndef QEL_AFP_ACTIVE_ENVIRONMENT_GROUP_H
#define QEL_AFP_ACTIVE_ENVIRONMENT_GROUP_H

#include "qel/afp/AfpMappedFontEntry.h"
#include "qel/afp/DLinkedList.h"
#include "qel/afp/EnvironmentGroup.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>

namespace qel
{

class ResFont;

namespace afp
{

class MapCodedFont;
class MapCodedFont1;
class PageDescriptor;
class PresentationTextDescriptor;
class StructuredField;

// The active environment group of a page: on output its font and overlay
// tables become a Map Coded Font and a Map Page Overlay between the Begin
// and End fields; on input it holds the fields a reader gave it and
// answers which coded font a local id maps.
class ActiveEnvironmentGroup : public EnvironmentGroup
{
public:
    enum { MAX_FONTS = 254, MAX_OVERLAYS = 254 };

    ActiveEnvironmentGroup();
    // The Page Descriptor's six values, then the Presentation Text
    // Descriptor's; both are held, not yet in the field list.
    ActiveEnvironmentGroup(uint8_t pgdXUnitBase, uint8_t pgdYUnitBase, uint16_t pgdXUnitsPerUnitBase,
                           uint16_t pgdYUnitsPerUnitBase, uint16_t pgdXSize, uint16_t pgdYSize,
                           uint8_t ptdXUnitBase, uint8_t ptdYUnitBase, uint16_t ptdXUnitsPerUnitBase,
                           uint16_t ptdYUnitsPerUnitBase, uint16_t ptdXSize, uint16_t ptdYSize);
    ~ActiveEnvironmentGroup() override;

    // Mode 2 appends, any other inserts at the head; one reference.
    void addStructuredField(StructuredField* field, int mode);
    void addBeginActiveEnvironmentGroup(StructuredField* field);
    void addEndActiveEnvironmentGroup(StructuredField* field);
    void addPageDescriptor(PageDescriptor* field);
    void addPresentationTextDescriptor(PresentationTextDescriptor* field);
    void addMapCodedFont1(MapCodedFont1* field);
    PageDescriptor* getPageDescriptor() const { return m_pageDescriptor; }
    PresentationTextDescriptor* getPresentationTextDescriptor() const { return m_textDescriptor; }
    void setPresentationTextPresent(uint8_t present) { m_textPresent = present; }
    uint8_t isPresentationTextPresent() const { return m_textPresent; }
    DLinkedList<WritableContext>* getFields() const { return m_fields; }
    MapCodedFont* getMapCodedFont() const { return m_mapCodedFont; }

    // The font table entry of the font, found or newly filled; null for a
    // null font and, with all 254 entries used, for a font no entry
    // equals.
    MappedFontEntry* generateFontLocalId(ResFont* font);
    // The overlay slot (0 to 253) taken for the include's name; -1 for a
    // null include, an empty name or a full table.
    int generateOlyLocalId(StructuredField* include);
    // The eight-character character set name of a font without AFP names
    // (malloc'ed; null for a null name or a height not above 0).
    static char* buildName(const char* fontName, float height, bool bold, bool italic);

    // A new record (caller deletes it) naming the coded font mapped to the
    // local id by the first Map Coded Font format 1 that maps it; its
    // names belong to the map field. Null when none maps it.
    MappedFontEntry* getMappedResource(int localId) const;
    // The same for the lowest mapped local id of the first such field.
    MappedFontEntry* getFirstMappedRes() const;

    const MappedFontEntry* getFontEntry(int index) const;
    const char* getOverlayName(int slot) const;

    // BAG, the fields added before, MCF, MPO, PGD, PTD, EAG: adds these
    // fields at each call, so a group is written once.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    DLinkedList<WritableContext>* fields();
    void buildMapCodedFont();
    void buildMapPageOverlay();
    static bool matches(const MappedFontEntry& entry, ResFont* font);
    static bool sameFont(const MappedFontEntry& entry, ResFont* font);
    MappedFontEntry* fill(int index, ResFont* font);

    PageDescriptor* m_pageDescriptor = nullptr;
    PresentationTextDescriptor* m_textDescriptor = nullptr;
    MapCodedFont* m_mapCodedFont = nullptr;
    DLinkedList<MapCodedFont1>* m_mcf1 = nullptr;
    DLinkedList<WritableContext>* m_fields = nullptr;
    uint8_t m_textPresent = 1;
    MappedFontEntry m_fonts[MAX_FONTS];
    char* m_overlays[MAX_OVERLAYS] = {};
};

} // namespace afp
} // namespace qel

#endif
