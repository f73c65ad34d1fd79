#ifndef QEL_AFP_FONT_GROUP_FIELD_H
#define QEL_AFP_FONT_GROUP_FIELD_H

#include "qel/afp/AfpStructuredField.h"

#include <string>

namespace qel
{
namespace afp
{

class RepeatingGroup;

// A font field made of its introducer and repeating groups in the order
// added (Font Index, Font Patterns Map); the groups' lengths are counted
// apart from the field's own.
class FontGroupField : public StructuredField
{
public:
    ~FontGroupField() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // Enters the group with one reference (null ignored).
    void addRepeatingGroup(RepeatingGroup* group);
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }
    uint16_t getDataLength() const { return m_dataLength; }
    uint32_t getFieldLength() const { return 8u + m_dataLength; }
    int getGroupCount() const { return m_groups ? m_groups->getCount() : 0; }

protected:
    // className names the field in debug lines; id is its three-byte
    // identifier; the failure texts (thrown, so they must be literals) are
    // those of the group list and of the introducer.
    FontGroupField(const char* className, uint32_t id, const char* listFailText, const char* headerFailText);

private:
    std::string m_addText;
    std::string m_writeText;
    const char* m_listFailText;
    const char* m_headerFailText;
    uint32_t m_id;
    DLinkedList<WritableContext>* m_groups = nullptr;
    uint16_t m_dataLength = 0;
};

} // namespace afp
} // namespace qel

#endif
