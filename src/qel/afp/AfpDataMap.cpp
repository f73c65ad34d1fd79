#include "qel/afp/AfpDataMap.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpBeginDataMap.h"
#include "qel/afp/AfpBeginDataMapTransmissionSubcase.h"
#include "qel/afp/AfpDataMapTransmissionSubcaseDescriptor.h"
#include "qel/afp/AfpEndDataMap.h"
#include "qel/afp/AfpEndDataMapTransmissionSubcase.h"
#include "qel/afp/AfpFixedDataSize.h"
#include "qel/afp/AfpFixedDataText.h"
#include "qel/afp/AfpLineDescriptor.h"
#include "qel/afp/AfpLineDescriptorCount.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/Log.h"

#include "qelString.h"

#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

DataMap::DataMap() = default;

DataMap::~DataMap()
{
    delete m_group;
    delete m_list;
}

int DataMap::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::DataMap::write");
    return -1;
}

const char* DataMap::getName() const
{
    return m_begin ? m_begin->getName() : nullptr;
}

void DataMap::setActiveEnvironmentGroup(ActiveEnvironmentGroup* group)
{
    logDebugText("qel::afp::DataMap::setActiveEnvironmentGroup");
    if (!group) {
        logDebugText("\tActiveEnvironmentGroup = (NULL)");
        return;
    }
    if (group != m_group)
        delete m_group;
    m_group = group;
}

void DataMap::addStructuredField(StructuredField* field, int mode)
{
    if (!field)
        return;
    if (!m_list) {
        m_list = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_list)
            throw "Memory allocation for qel::afp::DataMap::addStructuredField::pLstWritableContext failed";
    }
    WritableContext* context = WritableContext::holding(field);
    if (mode == 2)
        m_list->append(context);
    else
        m_list->insertAt(context, 0);
    field->addReference(1);
}

void DataMap::addBeginDataMap(BeginDataMap* field)
{
    if (!field)
        return;
    addStructuredField(field, 2);
    m_begin = field;
}

void DataMap::addBeginDataMapTransmissionSubcase(BeginDataMapTransmissionSubcase* field)
{
    addStructuredField(field, 2);
}

void DataMap::addDataMapTransmissionSubcaseDescriptor(DataMapTransmissionSubcaseDescriptor* field)
{
    addStructuredField(field, 2);
}

void DataMap::addEndDataMapTransmissionSubcase(EndDataMapTransmissionSubcase* field)
{
    addStructuredField(field, 2);
}

void DataMap::addEndDataMap(EndDataMap* field)
{
    addStructuredField(field, 2);
}

void DataMap::addLineDescriptorCount(LineDescriptorCount* field)
{
    if (!field)
        return;
    addStructuredField(field, 2);
    m_lineDescriptorCount = field->getCount();
    m_table.assign(static_cast<size_t>(m_lineDescriptorCount) + 1, nullptr);
    m_nextNumber = 1;
}

void DataMap::addLineDescriptor(LineDescriptor* descriptor)
{
    if (!descriptor)
        return;
    addStructuredField(descriptor, 2);
    if (m_nextNumber == 0) {
        logWarningText("Line Descriptor before the Line Descriptor Count: numbered from 1");
        m_nextNumber = 1;
        m_table.assign(1, nullptr);
    }
    if (m_nextNumber == 0xFFFF) {
        // No number left in 16 bits: the descriptor stays unnumbered.
        logWarningText("Line Descriptor beyond 65534 descriptors: not numbered");
        return;
    }
    if (m_nextNumber >= m_table.size()) {
        logWarning("Line Descriptor %u beyond the Line Descriptor Count %u", static_cast<unsigned int>(m_nextNumber),
                   static_cast<unsigned int>(m_lineDescriptorCount));
        m_table.resize(static_cast<size_t>(m_nextNumber) + 1, nullptr);
    }
    descriptor->setIndex(m_nextNumber);
    m_table[m_nextNumber] = descriptor;
    ++m_nextNumber;
}

void DataMap::addFixedDataSize(FixedDataSize* field)
{
    if (!field)
        return;
    addStructuredField(field, 2);
    m_fixedDataSize = field->getSize();
    m_fixedData = std::make_unique<qelString>(static_cast<int>(m_fixedDataSize) + 1);
}

void DataMap::addFixedDataText(FixedDataText* field)
{
    if (!field)
        return;
    addStructuredField(field, 2);
    if (!m_fixedData)
        m_fixedData = std::make_unique<qelString>(0);
    if (field->getData() && field->getDataLength() > 0)
        m_fixedData->appendBytes(field->getData(), field->getDataLength());
}

LineDescriptor* DataMap::getLineDescriptor(unsigned int n) const
{
    if (n == 0 || n >= m_nextNumber || n >= m_table.size())
        return nullptr;
    return m_table[n];
}

LineDescriptor* DataMap::findLineDescriptorByChannelCode(int channel, unsigned int start, bool wrap) const
{
    LineDescriptor* s = getLineDescriptor(start);
    if (!s)
        return nullptr;
    const unsigned int first = s->getNextIfSkipping();
    if (first == 0)
        return s;
    // A chain may circle without passing its first link: at most as many
    // steps as there are descriptors.
    unsigned int steps = getNumberedCount();
    for (LineDescriptor* d = getLineDescriptor(first); d && steps > 0; --steps) {
        if (d->getChannelCode() == channel)
            return d;
        const unsigned int next = d->getNextIfSkipping();
        if (next == first || next == d->getIndex())
            break;
        d = getLineDescriptor(next);
    }
    if (wrap && start > 1)
        return findLineDescriptorInRange(channel, 1, static_cast<int>(first) - 1);
    return nullptr;
}

LineDescriptor* DataMap::findLineDescriptorInRange(int channel, unsigned int start, int bound) const
{
    unsigned int steps = getNumberedCount();
    for (LineDescriptor* d = getLineDescriptor(start); d && steps > 0; --steps) {
        if (d->getChannelCode() == channel)
            return d;
        const unsigned int next = d->getNextIfSkipping();
        if ((bound > 0 && next > static_cast<unsigned int>(bound)) || next == start || next == d->getIndex())
            return nullptr;
        d = getLineDescriptor(next);
    }
    return nullptr;
}

LineDescriptor* DataMap::getLineDescriptorAfterSpacing(int count, unsigned int start) const
{
    LineDescriptor* d = getLineDescriptor(start);
    if (count <= 0)
        return d;
    // Once a number comes round again the walk is in a circle: the rest of
    // the count is taken modulo the circle's length, so a large count
    // takes at most as many steps as there are descriptors.
    std::vector<int> firstStep;
    std::vector<unsigned int> path;
    if (static_cast<unsigned int>(count) > getNumberedCount()) {
        firstStep.assign(m_table.size(), -1);
        path.reserve(m_table.size());
    }
    for (int step = 1; d && step <= count; ++step) {
        if (!firstStep.empty()) {
            const unsigned int at = d->getIndex();
            if (at < firstStep.size()) {
                const int first = firstStep[at];
                if (first >= 0) {
                    const int here = step - 1;
                    const int period = here - first;
                    return getLineDescriptor(path[static_cast<size_t>(first + (count - first) % period)]);
                }
                firstStep[at] = step - 1;
                path.push_back(at);
            }
        }
        const unsigned int next = d->getNextIfSpacing();
        if (next == 0)
            return nullptr;
        if (step == count)
            return getLineDescriptor(next);
        if (next == d->getIndex())
            return nullptr;
        d = getLineDescriptor(next);
    }
    return nullptr;
}

int DataMap::getFixedData(char* dst, int position, int length) const
{
    if (!dst)
        return -1;
    dst[0] = 0;
    if (!m_fixedData || !m_fixedData->getBuffer())
        return -1;
    const long long size = m_fixedData->getSize();
    if (position > size)
        return -2;
    if (position < 0)
        return -1;
    if (length < 0)
        return 0;
    long long n = length;
    if (static_cast<long long>(position) + length > size)
        n = size - position;
    if (n > 0)
        std::memcpy(dst, m_fixedData->getBuffer() + position, static_cast<size_t>(n));
    return static_cast<int>(n);
}

} // namespace afp
} // namespace qel
