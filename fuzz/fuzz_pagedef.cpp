// Feeds arbitrary bytes to the page-definition readers as several inputs of
// one run (parts separated by "\n--\n"): the two readers, one page
// definition and its data map live from the first part to the last, as
// the page-definition parser keeps them. Environment groups go through the
// group reader, every other field's triplets through the triplet reader
// into a line descriptor, whose fixed fields (when the field has them)
// link the descriptors; then the chains, fixed data and conditions are
// walked. A crash, a sanitizer report, a leak or an endless loop is a
// finding; coded reports of a damaged input are expected.
#include "FuzzSupport.h"
#include "qelAFPAEGParser.h"
#include "qelAFPTripletParser.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpCCPRepeatingGroup.h"
#include "qel/afp/AfpConditionalProcessingControl.h"
#include "qel/afp/AfpDataMap.h"
#include "qel/afp/AfpFixedDataSize.h"
#include "qel/afp/AfpFixedDataText.h"
#include "qel/afp/AfpLineDescriptor.h"
#include "qel/afp/AfpLineDescriptorCount.h"
#include "qel/afp/AfpMappedFontEntry.h"
#include "qel/afp/AfpResPageDefinition.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using qel::afp::DataMap;
using qel::afp::LineDescriptor;

struct Run
{
    qelAFPTripletParser triplets;
    qelAFPAEGParser groups;
    qel::afp::ResPageDefinition pagedef;
    DataMap* map = nullptr;
    qel::afp::ConditionalProcessingControl* control = nullptr;
};

void queryGroup(qel::afp::ActiveEnvironmentGroup* group)
{
    for (int id = 0; id < 256; ++id)
        delete group->getMappedResource(id);
}

void walk(const DataMap* map, const unsigned char* data, int n)
{
    const unsigned int count = map->getNumberedCount();
    for (unsigned int start = 0; start <= count + 1 && start < 32; ++start) {
        for (int channel = 0; channel < 13; ++channel) {
            map->findLineDescriptorByChannelCode(channel, start, true);
            map->findLineDescriptorInRange(channel, start, static_cast<int>(count));
        }
        for (int spacing = -1; spacing < 5; ++spacing)
            map->getLineDescriptorAfterSpacing(spacing, start);
    }
    char dst[64];
    for (int k = 0; k + 1 < n && k < 16; k += 2)
        map->getFixedData(dst, static_cast<int8_t>(data[k]), data[k + 1] % 63);
}

// The descriptor's fixed fields from the field, when it has them.
void fill(LineDescriptor* d, const unsigned char* data, int n)
{
    if (n < 40)
        return;
    d->setFlags(static_cast<uint16_t>((data[0] << 8) | data[1]));
    d->setChannelCode(data[11]);
    d->setNextIfSkipping(static_cast<uint16_t>((data[12] << 8) | data[13]));
    d->setNextIfSpacing(static_cast<uint16_t>((data[14] << 8) | data[15]));
    d->setTextColor(static_cast<uint16_t>((data[33] << 8) | data[34]));
}

void readField(Run& run, qelSFIBlock* field)
{
    const int n = field->getRemainingLength();
    std::vector<unsigned char> copy(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        std::memcpy(copy.data(), field->getData(), static_cast<size_t>(n));
    switch (field->getId()) {
    case 0xA8C9: {
        qel::afp::ActiveEnvironmentGroup* group = run.groups.parse(field, &run.triplets);
        if (group) {
            queryGroup(group);
            run.map->setActiveEnvironmentGroup(group);
        }
        return;
    }
    case 0xAAE7:
        run.map->addLineDescriptorCount(new qel::afp::LineDescriptorCount(
            static_cast<uint16_t>(n >= 2 ? (copy[0] << 8) | copy[1] : 0)));
        return;
    case 0xAAEC:
        run.map->addFixedDataSize(new qel::afp::FixedDataSize(
            static_cast<uint16_t>(n >= 2 ? (copy[0] << 8) | copy[1] : 0)));
        return;
    case 0xEEEC: {
        auto* text = new qel::afp::FixedDataText();
        text->setData(copy.data(), n);
        run.map->addFixedDataText(text);
        return;
    }
    case 0xA7CA: {
        // Conditions from the field's bytes, evaluated on the same bytes.
        const unsigned int length = n > 0 ? copy[0] % 9 : 0;
        auto* group = new qel::afp::CCPRepeatingGroup();
        group->setComparison(n > 1 ? copy[1] % 9 : 0);
        group->setOriginalComparisonString(n > 2 ? reinterpret_cast<const char*>(copy.data() + 2) : nullptr,
                                           length <= static_cast<unsigned int>(n > 2 ? n - 2 : 0) ? length : 0);
        std::string text(copy.begin(), copy.end());
        group->setComparisonString(text.c_str());
        run.control->addRepeatingGroup(group);
        if (group->getReferenceCount() == 0)
            delete group;
        run.control->evaluate(reinterpret_cast<const char*>(copy.data()), n);
        return;
    }
    default:
        break;
    }
    auto* d = new LineDescriptor();
    fill(d, copy.data(), n);
    if (field->getId() == 0xA6E7 && n >= 40)
        field->skip(40);
    run.map->addLineDescriptor(d);
    while (qel::afp::Triplet* t = run.triplets.nextTriplet(field))
        d->addTriplet(t);
    int space = 0;
    int value = 0;
    d->getColor(&space, &value);
    char* name = nullptr;
    short x = 0, y = 0, orientation = 0;
    char type = 0;
    d->getFirstResourceObjectInclude(&name, &x, &y, &orientation, &type);
    while (name)
        d->getNextResourceObjectInclude(&name, &x, &y, &orientation, &type);
}

void readPart(Run& run, const uint8_t* data, size_t size)
{
    qelIOStream input(data, static_cast<int>(size));
    qelIOStream::setCurrent(&input);
    try {
        for (;;) {
            qelSFIBlock* field = run.groups.readNextSF(&input);
            try {
                readField(run, field);
            } catch (qelException* e) {
                delete e;
            }
        }
    } catch (qelException* e) {
        delete e;
    } catch (const char*) {
    }
    qelIOStream::setCurrent(nullptr);
    walk(run.map, data, static_cast<int>(size));
    run.pagedef.resetConditionalProcessing();
}

void run(const uint8_t* data, size_t size)
{
    Run run;
    run.map = new DataMap();
    run.pagedef.addDataMap(run.map);
    run.control = new qel::afp::ConditionalProcessingControl();
    run.pagedef.addConditionalProcessing(run.control);
    static const char kSeparator[] = "\n--\n";
    const std::string all(reinterpret_cast<const char*>(data), size);
    size_t from = 0;
    for (int part = 0; part < 4; ++part) {
        size_t to = all.find(kSeparator, from);
        if (to == std::string::npos || part == 3)
            to = size;
        readPart(run, data + from, to - from);
        if (to >= size)
            break;
        from = to + 4;
    }
    for (DataMap* map = run.pagedef.getFirstDataMap(); map; map = run.pagedef.getNextDataMap())
        run.pagedef.findDataMap(map->getName());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {
        // Every log line of the readers is formatted.
        qelGlobalDSPool::getInstance()->getLogStream()->setLevelMask(0xFFFF);
    }, run);
}
