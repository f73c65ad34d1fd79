#ifndef QEL_AFP_ROTATION_GROUP_FIELD_H
#define QEL_AFP_ROTATION_GROUP_FIELD_H

#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

// A font field of one repeating group per rotation slot 0..3, written in
// slot order after the 8-byte header. Groups of other rotations are kept
// but neither counted nor written.
template <class Group>
class RotationGroupField : public StructuredField
{
public:
    struct Texts
    {
        const char* add;          // debug text of addRepeatingGroup
        const char* addFailed;    // thrown when the group list cannot be made
        const char* write;        // debug text of write
        const char* headerFailed; // thrown when the header cannot be made
    };

    ~RotationGroupField() override { delete m_groups; }

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*) override
    {
        logDebugText(m_texts.write);
        if (!dataStream) {
            logDebugText("Stream or pLstWritableContext = (null)");
            return -1;
        }
        std::vector<unsigned char> bytes = header(m_id, m_texts.headerFailed);
        write5A(dataStream, controlFlags);
        putLength(bytes, static_cast<uint16_t>(getFieldLength()));
        const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
        if (rc < 0)
            return rc;
        for (Group* group : m_slots)
            if (group)
                group->write(dataStream, controlFlags, nullptr);
        return 0;
    }

    // Enters the group with one reference (null ignored); a group of one
    // of the four rotations takes that rotation's slot.
    void addRepeatingGroup(Group* group)
    {
        logDebugText(m_texts.add);
        if (!group) {
            logDebugText("\tRepeatingGroup = (NULL)");
            return;
        }
        if (!m_groups) {
            m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
            if (!m_groups)
                throw m_texts.addFailed;
        }
        group->evaluateLength();
        m_groups->append(WritableContext::holding(group));
        group->addReference(1);
        const int slot = m_slotOf(group->getRotation());
        if (slot >= 0)
            m_slots[slot] = group;
    }

    // The group of a rotation slot 0..3, or null.
    Group* getSlot(int slot) const { return slot >= 0 && slot < 4 ? m_slots[slot] : nullptr; }

    uint32_t getFieldLength() const
    {
        uint32_t length = 8;
        for (const Group* group : m_slots)
            if (group)
                length += m_groupLength;
        return length;
    }

protected:
    RotationGroupField(uint32_t id, uint32_t groupLength, int (*slotOf)(uint32_t), const Texts& texts)
        : m_id(id), m_groupLength(groupLength), m_slotOf(slotOf), m_texts(texts)
    {
        setLength(8);
    }

private:
    const uint32_t m_id;
    const uint32_t m_groupLength;
    int (*const m_slotOf)(uint32_t);
    const Texts m_texts;
    DLinkedList<WritableContext>* m_groups = nullptr;
    Group* m_slots[4] = {nullptr, nullptr, nullptr, nullptr};
};

} // namespace afp
} // namespace qel

#endif
