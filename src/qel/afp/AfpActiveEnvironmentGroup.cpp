#include "qel/afp/AfpActiveEnvironmentGroup.h"

#include "qel/afp/AfpFDSTriplet.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpFieldTemplate.h"
#include "qel/afp/AfpMCF1RepeatingGroup.h"
#include "qel/afp/AfpMapCodedFont.h"
#include "qel/afp/AfpMapCodedFont1.h"
#include "qel/afp/AfpMapPageOverlay.h"
#include "qel/afp/AfpPageDescriptor.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpRLITriplet.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/AfpTripletRepeatingGroup.h"
#include "qel/afp/Log.h"
#include "qel/afp/ResFont.h"
#include "qel/afp/String.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace qel
{
namespace afp
{

namespace
{

bool present(const char* name)
{
    return name != nullptr;
}

bool equal(const char* a, const char* b)
{
    return a && b && std::strcmp(a, b) == 0;
}

// Absent equals absent.
bool sameName(const char* a, const char* b)
{
    return (!a && !b) || equal(a, b);
}

bool isDefault(const char* name)
{
    return name && std::strcmp(name, "DEFAULT") == 0;
}

// A name of fewer than eight characters blank filled to eight; a longer
// one whole.
std::string padded(const char* name)
{
    std::string out(name ? name : "");
    if (out.size() < 8)
        out.append(8 - out.size(), ' ');
    return out;
}

// A field made of its eight-byte template alone.
StructuredField* templateField(uint32_t id)
{
    auto* field = new StructuredField();
    const std::vector<unsigned char> bytes = FieldTemplate::copy(id);
    field->setData(bytes.data(), static_cast<int>(bytes.size()));
    return field;
}

} // namespace

ActiveEnvironmentGroup::ActiveEnvironmentGroup() = default;

ActiveEnvironmentGroup::ActiveEnvironmentGroup(uint8_t pgdXUnitBase, uint8_t pgdYUnitBase,
                                               uint16_t pgdXUnitsPerUnitBase, uint16_t pgdYUnitsPerUnitBase,
                                               uint16_t pgdXSize, uint16_t pgdYSize, uint8_t ptdXUnitBase,
                                               uint8_t ptdYUnitBase, uint16_t ptdXUnitsPerUnitBase,
                                               uint16_t ptdYUnitsPerUnitBase, uint16_t ptdXSize, uint16_t ptdYSize)
{
    m_pageDescriptor = new PageDescriptor(pgdXUnitBase, pgdYUnitBase, pgdXUnitsPerUnitBase, pgdYUnitsPerUnitBase,
                                          pgdXSize, pgdYSize);
    m_textDescriptor = new PresentationTextDescriptor(ptdXUnitBase, ptdYUnitBase, ptdXUnitsPerUnitBase,
                                                      ptdYUnitsPerUnitBase, ptdXSize, ptdYSize);
}

ActiveEnvironmentGroup::~ActiveEnvironmentGroup()
{
    // A descriptor in the field list goes with the list.
    if (m_pageDescriptor && m_pageDescriptor->getReferenceCount() == 0)
        delete m_pageDescriptor;
    if (m_textDescriptor && m_textDescriptor->getReferenceCount() == 0)
        delete m_textDescriptor;
    delete m_fields;
    delete m_mcf1;
    for (MappedFontEntry& entry : m_fonts)
        entry.freeNames();
    for (char* name : m_overlays)
        std::free(name);
}

DLinkedList<WritableContext>* ActiveEnvironmentGroup::fields()
{
    if (!m_fields) {
        m_fields = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_fields)
            throw "Memory allocation for qel::afp::ActiveEnvironmentGroup::addStructuredField::pLstWritableContext "
                  "failed";
    }
    return m_fields;
}

void ActiveEnvironmentGroup::addStructuredField(StructuredField* field, int mode)
{
    logDebugText("qel::afp::ActiveEnvironmentGroup::addStructuredField");
    if (!field)
        return;
    DLinkedList<WritableContext>* list = fields();
    if (mode == 2)
        list->append(WritableContext::holding(field));
    else
        list->insertAt(WritableContext::holding(field), 0);
    field->addReference(1);
}

void ActiveEnvironmentGroup::addBeginActiveEnvironmentGroup(StructuredField* field)
{
    addStructuredField(field, 2);
}

void ActiveEnvironmentGroup::addEndActiveEnvironmentGroup(StructuredField* field)
{
    addStructuredField(field, 2);
}

void ActiveEnvironmentGroup::addPageDescriptor(PageDescriptor* field)
{
    if (!field)
        return;
    if (m_pageDescriptor && m_pageDescriptor != field && m_pageDescriptor->getReferenceCount() == 0)
        delete m_pageDescriptor;
    addStructuredField(field, 2);
    m_pageDescriptor = field;
}

void ActiveEnvironmentGroup::addPresentationTextDescriptor(PresentationTextDescriptor* field)
{
    if (!field)
        return;
    if (m_textDescriptor && m_textDescriptor != field && m_textDescriptor->getReferenceCount() == 0)
        delete m_textDescriptor;
    addStructuredField(field, 2);
    m_textDescriptor = field;
}

void ActiveEnvironmentGroup::addMapCodedFont1(MapCodedFont1* field)
{
    if (!field)
        return;
    addStructuredField(field, 2);
    if (!m_mcf1) {
        m_mcf1 = new (std::nothrow) DLinkedList<MapCodedFont1>(false);
        if (!m_mcf1)
            throw "Memory allocation for qel::afp::ActiveEnvironmentGroup::addStructuredField::pLstMCF1 failed";
    }
    m_mcf1->append(field);
}

bool ActiveEnvironmentGroup::matches(const MappedFontEntry& entry, ResFont* font)
{
    const char* cfn = font->getCodedFontName();
    const char* cs = font->getCharacterSetName();
    const char* cp = font->getCodePageName();
    if (!equal(font->getName(), entry.fontName))
        return false;
    bool names;
    if (present(cfn) && present(entry.codedFontName) && !isDefault(cfn) && equal(cfn, entry.codedFontName))
        names = true;
    else if (present(cs))
        names = !isDefault(cs) && equal(cs, entry.characterSetName) && present(cp) && !isDefault(cp) &&
                equal(cp, entry.codePageName);
    else
        names = !present(cfn) && !present(cp);
    if (!names)
        return false;
    if (font->getSize() != entry.size)
        return false;
    return (font->getWeight() == 2 ? 1 : 0) == entry.bold && (font->getItalic() ? 1 : 0) == entry.italic;
}

bool ActiveEnvironmentGroup::sameFont(const MappedFontEntry& entry, ResFont* font)
{
    return sameName(font->getName(), entry.fontName) && sameName(font->getCodedFontName(), entry.codedFontName) &&
           sameName(font->getCharacterSetName(), entry.characterSetName) &&
           sameName(font->getCodePageName(), entry.codePageName) && font->getSize() == entry.size &&
           (font->getWeight() == 2 ? 1 : 0) == entry.bold && (font->getItalic() ? 1 : 0) == entry.italic;
}

MappedFontEntry* ActiveEnvironmentGroup::fill(int index, ResFont* font)
{
    MappedFontEntry& entry = m_fonts[index];
    // An entry left without a font name is free and may be filled again.
    entry.freeNames();
    entry.localId = static_cast<uint8_t>(index + 1);
    entry.bold = font->getWeight() == 2 ? 1 : 0;
    entry.italic = font->getItalic() ? 1 : 0;
    entry.size = font->getSize();
    entry.characterRotation = font->getCharacterRotation();
    entry.font = font;
    entry.outline = 0;
    entry.fontName = Utils::setMutator(nullptr, font->getName(), 0);
    const char* cfn = font->getCodedFontName();
    const char* cs = font->getCharacterSetName();
    const char* cp = font->getCodePageName();
    if (cfn || cs || cp) {
        entry.codedFontName = Utils::setMutator(nullptr, cfn, 0);
        entry.characterSetName = Utils::setMutator(nullptr, cs, 0);
        entry.codePageName = Utils::setMutator(nullptr, cp, 0);
        font->setTranslateText(1);
    } else {
        entry.characterSetName = buildName(font->getName(), font->getSize(), entry.bold != 0, entry.italic != 0);
        if (entry.characterSetName)
            entry.characterSetName[0] = 'C';
        entry.codePageName = Utils::setMutator(nullptr, font->getINICodePageName(), 0);
        if (entry.characterSetName)
            font->setCharacterSetName(entry.characterSetName);
        if (entry.codePageName)
            font->setCodePageName(entry.codePageName);
    }
    const int type = font->getType();
    if (type == 2 || type == 3 || type == 4)
        entry.outline = 1;
    return &entry;
}

MappedFontEntry* ActiveEnvironmentGroup::generateFontLocalId(ResFont* font)
{
    logDebugText("qel::afp::ActiveEnvironmentGroup::generateFontLocalId");
    if (!font) {
        logDebugText("\tResFont = (NULL)");
        return nullptr;
    }
    int i = 0;
    for (; i < MAX_FONTS && m_fonts[i].fontName; ++i) {
        MappedFontEntry& entry = m_fonts[i];
        if (matches(entry, font)) {
            if (!font->getCodedFontName() && !font->getCharacterSetName() && !font->getCodePageName() &&
                entry.codedFontName)
                font->setCodedFontName(entry.codedFontName);
            logDebug("Local id = %d", entry.localId);
            return &entry;
        }
    }
    if (i == MAX_FONTS) {
        // Full: an entry of exactly this font serves, so fonts that the
        // rules above never match do not use up the table.
        for (MappedFontEntry& entry : m_fonts) {
            if (sameFont(entry, font)) {
                logDebug("Local id = %d", entry.localId);
                return &entry;
            }
        }
        logError("\tNo font local id left for font %s (all %d in use)", font->getName() ? font->getName() : "(null)",
                 MAX_FONTS);
        return nullptr;
    }
    MappedFontEntry* entry = fill(i, font);
    logDebug("Local id = %d", entry->localId);
    return entry;
}

int ActiveEnvironmentGroup::generateOlyLocalId(StructuredField* include)
{
    logDebugText("qel::afp::ActiveEnvironmentGroup::generateOlyLocalId");
    if (!include) {
        logDebugText("\tOverlay = (NULL)");
        return -1;
    }
    const char* name = include->getName();
    if (!name || !*name)
        return -1;
    for (int slot = 0; slot < MAX_OVERLAYS; ++slot) {
        if (!m_overlays[slot]) {
            m_overlays[slot] = Utils::setMutator(nullptr, name, 0);
            if (!m_overlays[slot])
                throw "Unable to allocate memory for Map Page Overaly Name";
            return slot;
        }
    }
    return -1;
}

char* ActiveEnvironmentGroup::buildName(const char* fontName, float height, bool bold, bool italic)
{
    logDebugText("qel::afp::ActiveEnvironmentGroup::buildName");
    if (!fontName || !(height > 0)) {
        logDebug("\tNull font name or invalid font height (%f)", static_cast<double>(height));
        return nullptr;
    }
    static const struct
    {
        const char* text;
        char code;
    } kTypefaces[] = {
        {"Courier", '4'},  {"Letter Gothic", '5'}, {"Gothic Text", '6'}, {"Prestige", '7'},
        {"Boldface", '8'}, {"OCR", '9'},           {"BookMaster", 'B'},  {"HELVETICA", 'H'},
        {"IBM Logo", 'I'}, {"Times New Roman", 'N'},
    };
    char name[9] = "C0H20000";
    for (const auto& typeface : kTypefaces) {
        if (String::find(fontName, typeface.text, true)) {
            name[2] = typeface.code;
            break;
        }
    }
    name[3] = static_cast<char>('2' + (bold ? 2 : 0) + (italic ? 1 : 0));
    const int h = height > 1000.0f ? 1000 : static_cast<int>(height);
    if (h < 6)
        name[6] = '6';
    else if (h <= 9)
        name[6] = static_cast<char>('0' + h);
    else if (h == 10)
        name[6] = '0';
    else if (h <= 36)
        name[6] = static_cast<char>(h + 54);
    else
        name[6] = 'Z';
    return Utils::setMutator(nullptr, name, 0);
}

MappedFontEntry* ActiveEnvironmentGroup::getMappedResource(int localId) const
{
    if (!m_mcf1)
        return nullptr;
    for (DNode<MapCodedFont1>* node = m_mcf1->getFirst(); node; node = node->getNext()) {
        MapCodedFont1* field = node->getData();
        MCF1RepeatingGroup* group = field ? field->getRepeatingGroup(localId) : nullptr;
        if (!group)
            continue;
        auto* answer = new MappedFontEntry();
        answer->localId = group->getLocalId();
        answer->codedFontName = const_cast<char*>(group->getCodedFontName());
        answer->characterSetName = const_cast<char*>(group->getCharacterSetName());
        answer->codePageName = const_cast<char*>(group->getCodePageName());
        answer->characterRotation = group->getRotation();
        return answer;
    }
    return nullptr;
}

MappedFontEntry* ActiveEnvironmentGroup::getFirstMappedRes() const
{
    if (!m_mcf1 || !m_mcf1->getFirst() || !m_mcf1->getFirst()->getData())
        return nullptr;
    MCF1RepeatingGroup* group = m_mcf1->getFirst()->getData()->getFirstRepeatingGroup();
    return group ? getMappedResource(group->getLocalId()) : nullptr;
}

const MappedFontEntry* ActiveEnvironmentGroup::getFontEntry(int index) const
{
    return index >= 0 && index < MAX_FONTS ? &m_fonts[index] : nullptr;
}

const char* ActiveEnvironmentGroup::getOverlayName(int slot) const
{
    return slot >= 0 && slot < MAX_OVERLAYS ? m_overlays[slot] : nullptr;
}

void ActiveEnvironmentGroup::buildMapCodedFont()
{
    if (m_fonts[0].localId == 0) {
        logDebugText("\tNone of the resource has been mapped");
        return;
    }
    auto* field = new (std::nothrow) MapCodedFont();
    if (!field)
        throw "Memory allocation for qel::afp::ActiveEnvironmentGroup::addMapCodedFont2::pmMapCodedFont failed";
    try {
        for (const MappedFontEntry& entry : m_fonts) {
            if (entry.localId == 0)
                break;
            std::unique_ptr<TripletRepeatingGroup> group(new (std::nothrow) TripletRepeatingGroup());
            if (!group)
                continue;
            if (entry.codedFontName) {
                group->addTriplet(new FQNTriplet(0x8E, padded(entry.codedFontName).c_str()));
            } else {
                if (entry.characterSetName)
                    group->addTriplet(new FQNTriplet(0x86, padded(entry.characterSetName).c_str()));
                if (entry.codePageName)
                    group->addTriplet(new FQNTriplet(0x85, padded(entry.codePageName).c_str()));
            }
            if (entry.outline) {
                auto* fds = new FDSTriplet(static_cast<uint16_t>(entry.size / 72.0f * 1440.0f), 0, entry.italic != 0,
                                           false, false, false, false, false, entry.bold ? 7 : 5, 5);
                fds->setUsageFlag40(true);
                fds->setUsageFlag20(true);
                group->addTriplet(fds);
            }
            group->addTriplet(new RLITriplet(RLITriplet::CODED_FONT, entry.localId));
            // The field counts the group's length when it takes the group.
            field->addRepeatingGroup(group.release());
        }
    } catch (...) {
        delete field;
        throw;
    }
    m_mapCodedFont = field;
    addStructuredField(field, 2);
}

void ActiveEnvironmentGroup::buildMapPageOverlay()
{
    if (!m_overlays[0]) {
        logDebugText("\tNone of the overlay resource has been mapped");
        return;
    }
    auto* field = new (std::nothrow) MapPageOverlay();
    if (!field)
        throw "Memory allocation for qel::afp::ActiveEnvironmentGroup::addMapPageOverlay::pmMapPageOverlayTmp  failed";
    try {
        for (int slot = 0; slot < MAX_OVERLAYS && m_overlays[slot]; ++slot) {
            std::unique_ptr<TripletRepeatingGroup> group(new (std::nothrow) TripletRepeatingGroup());
            if (!group)
                throw "Unable to allocate memory for Map Page Overaly Triplet Repeating Group";
            group->addTriplet(new FQNTriplet(0x84, padded(m_overlays[slot]).c_str()));
            group->addTriplet(new RLITriplet(RLITriplet::PAGE_OVERLAY, static_cast<uint8_t>(slot + 1)));
            field->addRepeatingGroup(group.release());
        }
    } catch (...) {
        delete field;
        throw;
    }
    addStructuredField(field, 2);
}

int ActiveEnvironmentGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ActiveEnvironmentGroup::write");
    if (!dataStream) {
        logDebugText("Stream = (NULL)");
        return -1;
    }
    addStructuredField(templateField(0xD3A8C9), 0);
    buildMapCodedFont();
    buildMapPageOverlay();
    if (m_pageDescriptor)
        addStructuredField(m_pageDescriptor, 2);
    if (m_textPresent) {
        if (m_textDescriptor)
            addStructuredField(m_textDescriptor, 2);
    } else if (m_textDescriptor) {
        if (m_textDescriptor->getReferenceCount() == 0)
            delete m_textDescriptor;
        m_textDescriptor = nullptr;
    }
    addStructuredField(templateField(0xD3A9C9), 2);
    logInfoText("Begin Active Environment Group");
    int rc = -1;
    for (DNode<WritableContext>* node = m_fields->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    logInfoText("End Active Environment Group");
    return rc;
}

} // namespace afp
} // namespace qel
