#include "qel/afp/AfpMapCodedFont1.h"

#include "qel/afp/AfpMCF1RepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>
#include <vector>

namespace qel
{
namespace afp
{

MapCodedFont1::MapCodedFont1()
{
    setLength(12);
}

MapCodedFont1::~MapCodedFont1()
{
    delete m_groups;
}

void MapCodedFont1::addRepeatingGroup(int localId, uint8_t sectionId, const char* codedFontName,
                                      const char* characterSetName, const char* codePageName, int rotation)
{
    logDebugText("qel::afp::MapCodedFont1::addRepeatingGroup");
    if (localId <= 0 || localId > 254 || (localId >= 128 && localId <= 253))
        return;
    auto* group = new (std::nothrow) MCF1RepeatingGroup();
    if (!group)
        throw "Unable to allocate MCF 1 Repeating Group at Map Coded Font 1 SFI";
    if (rotation == -1 || rotation == 0xFFFF) {
        group->setLength(28);
    } else {
        group->setLength(30);
        group->setRotation(static_cast<uint16_t>(rotation));
    }
    group->setLocalId(static_cast<uint8_t>(localId));
    group->setSectionId(sectionId);
    group->setCodedFontName(codedFontName);
    group->setCharacterSetName(characterSetName);
    group->setCodePageName(codePageName);
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups) {
            delete group;
            throw "Memory allocation for qel::afp::MapCodedFont1::addRepeatingGroup::pLstWritableContext failed";
        }
    }
    m_slots[localId] = group;
    setLength(static_cast<uint16_t>(getLength() + group->evaluateLength()));
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

MCF1RepeatingGroup* MapCodedFont1::getRepeatingGroup(int localId) const
{
    return m_slots[static_cast<unsigned>(localId) & 0xFF];
}

MCF1RepeatingGroup* MapCodedFont1::getFirstRepeatingGroup() const
{
    for (MCF1RepeatingGroup* group : m_slots)
        if (group)
            return group;
    return nullptr;
}

int MapCodedFont1::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::MapCodedFont1::write");
    if (!dataStream || !m_groups) {
        logDebugText("\tStream or pLstWritableContext = (NULL)");
        return -1;
    }
    logInfoText("Map Coded Font Format 1");
    if (controlFlags & kControlFlag5A) {
        static const unsigned char kIntroducer = 0x5A;
        const int rc = dataStream->write(&kIntroducer, 1);
        if (rc != 0)
            return rc;
    }
    std::vector<unsigned char> bytes = {0x00, 0x0C, 0xD3, 0xB1, 0x8A, 0x00, 0x00, 0x00, m_groupLength, 0x00, 0x00, 0x00};
    putLength(bytes, getLength());
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    for (DNode<WritableContext>* node = m_groups->getFirst(); node && rc == 0; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
