#ifndef QEL_AFP_DATA_MAP_H
#define QEL_AFP_DATA_MAP_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>
#include <memory>
#include <vector>

class qelString;

namespace qel
{
namespace afp
{

class ActiveEnvironmentGroup;
class BeginDataMap;
class BeginDataMapTransmissionSubcase;
class DataMapTransmissionSubcaseDescriptor;
class EndDataMap;
class EndDataMapTransmissionSubcase;
class FixedDataSize;
class FixedDataText;
class LineDescriptor;
class LineDescriptorCount;
class StructuredField;

// One data map of a page definition, as the page-definition reader fills
// it field by field: its environment group, its line descriptors by number
// and its fixed data. The formatters walk its descriptor chains.
class DataMap : public Writable
{
public:
    DataMap();
    ~DataMap() override;

    // Writes nothing: -1.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // The Begin Data Map's name; null without one.
    const char* getName() const;

    ActiveEnvironmentGroup* getActiveEnvironmentGroup() const { return m_group; }
    // Keeps (owns) the group; a group held before is deleted. Null is
    // logged and changes nothing.
    void setActiveEnvironmentGroup(ActiveEnvironmentGroup* group);

    uint16_t getLineDescriptorCount() const { return m_lineDescriptorCount; }
    uint16_t getFixedDataSize() const { return m_fixedDataSize; }
    uint16_t getNextLineDescriptorNumber() const { return m_nextNumber; }
    void setLineDescriptorCount(uint16_t count) { m_lineDescriptorCount = count; }
    void setFixedDataSize(uint16_t size) { m_fixedDataSize = size; }
    void setNextLineDescriptorNumber(uint16_t number) { m_nextNumber = number; }

    // Mode 2 enters the field at the tail, any other mode at the head; one
    // reference. Null is ignored.
    void addStructuredField(StructuredField* field, int mode);
    void addBeginDataMap(BeginDataMap* field);
    void addBeginDataMapTransmissionSubcase(BeginDataMapTransmissionSubcase* field);
    void addDataMapTransmissionSubcaseDescriptor(DataMapTransmissionSubcaseDescriptor* field);
    void addEndDataMapTransmissionSubcase(EndDataMapTransmissionSubcase* field);
    void addEndDataMap(EndDataMap* field);
    // A new table of count + 1 empty slots; numbering starts again at 1.
    void addLineDescriptorCount(LineDescriptorCount* field);
    // Gives the descriptor the next number. A descriptor beyond the count
    // (or before any count) grows the table, with a warning.
    void addLineDescriptor(LineDescriptor* descriptor);
    // Starts new fixed data of size + 1 zero bytes; text added before is
    // dropped.
    void addFixedDataSize(FixedDataSize* field);
    // Appends the field's bytes as they stand (EBCDIC as read).
    void addFixedDataText(FixedDataText* field);

    // The descriptor numbered n; null for 0 and beyond those added.
    LineDescriptor* getLineDescriptor(unsigned int n) const;
    // Skip to a channel from descriptor start along the skip links.
    LineDescriptor* findLineDescriptorByChannelCode(int channel, unsigned int start, bool wrap) const;
    LineDescriptor* findLineDescriptorInRange(int channel, unsigned int start, int bound) const;
    // The descriptor count spacing links after descriptor start.
    LineDescriptor* getLineDescriptorAfterSpacing(int count, unsigned int start) const;
    // Copies fixed data from position (not terminated): the number of
    // bytes copied, -1 without fixed data or for a negative position, -2
    // for a position beyond the fixed data. A negative length copies
    // nothing and gives 0.
    int getFixedData(char* dst, int position, int length) const;
    // The bytes of the fixed data (its allocated size is the bound).
    const qelString* getFixedDataText() const { return m_fixedData.get(); }

    // Descriptors numbered so far.
    unsigned int getNumberedCount() const { return m_nextNumber > 0 ? m_nextNumber - 1u : 0u; }

private:
    ActiveEnvironmentGroup* m_group = nullptr;
    DLinkedList<WritableContext>* m_list = nullptr;
    BeginDataMap* m_begin = nullptr;
    uint16_t m_lineDescriptorCount = 0;
    uint16_t m_fixedDataSize = 0;
    uint16_t m_nextNumber = 0;
    // Slot n holds descriptor n; slot 0 stays empty. Not owning.
    std::vector<LineDescriptor*> m_table;
    std::unique_ptr<qelString> m_fixedData;
};

} // namespace afp
} // namespace qel

#endif
