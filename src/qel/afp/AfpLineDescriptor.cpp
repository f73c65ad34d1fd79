#include "qel/afp/AfpLineDescriptor.h"

#include "qel/afp/AfpColorSpecificationTriplet.h"
#include "qel/afp/AfpPageDefinitionWrite.h"
#include "qel/afp/AfpROITriplet.h"
#include "qel/afp/AfpTriplet.h"

#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

namespace
{

void put16At(std::vector<unsigned char>& bytes, size_t at, unsigned int value)
{
    bytes[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

void put32At(std::vector<unsigned char>& bytes, size_t at, uint32_t value)
{
    put16At(bytes, at, value >> 16);
    put16At(bytes, at + 2, value & 0xFFFF);
}

} // namespace

LineDescriptor::LineDescriptor()
{
    setLength(48);
}

LineDescriptor::~LineDescriptor()
{
    delete m_tripletList;
}

void LineDescriptor::addTriplet(Triplet* triplet)
{
    logDebugText("qel::afp::LineDescriptor::addTriplet");
    if (!triplet) {
        logDebugText("Triplet = (NULL)");
        return;
    }
    if (!m_tripletList) {
        m_tripletList = new (std::nothrow) DLinkedList<Triplet>(false);
        if (!m_tripletList)
            throw "Memory allocation for qel::afp::LineDescriptor::addTriplet::pLstTriplet failed";
    }
    StructuredField::addTriplet(triplet);
    m_tripletList->append(triplet);
}

DNode<Triplet>** LineDescriptor::cursor(int id)
{
    switch (id) {
    case 0x4E: return &m_colorCursor;
    case 0x6C: return &m_includeCursor;
    case 0x93: return &m_x93Cursor;
    default: return nullptr;
    }
}

Triplet* LineDescriptor::getFirstTriplet(int id)
{
    if (!m_tripletList)
        return nullptr;
    for (DNode<Triplet>* node = m_tripletList->getFirst(); node; node = node->getNext()) {
        Triplet* triplet = node->getData();
        if (triplet && triplet->getId() == id) {
            if (DNode<Triplet>** at = cursor(id))
                *at = node;
            return triplet;
        }
    }
    return nullptr;
}

Triplet* LineDescriptor::getNextTriplet(int id)
{
    DNode<Triplet>** at = cursor(id);
    if (!at || !m_tripletList || !*at)
        return nullptr;
    for (DNode<Triplet>* node = (*at)->getNext(); node; node = node->getNext()) {
        Triplet* triplet = node->getData();
        if (triplet && triplet->getId() == id) {
            *at = node;
            return triplet;
        }
    }
    return nullptr;
}

int LineDescriptor::getColor(int* colorSpace, int* value)
{
    int space = 5;
    int color = m_textColor;
    if (auto* triplet = dynamic_cast<ColorSpecificationTriplet*>(getFirstTriplet(0x4E))) {
        space = triplet->getColorSpace();
        color = static_cast<int>(triplet->getValue());
    }
    if (colorSpace)
        *colorSpace = space;
    if (value)
        *value = color;
    return color;
}

void LineDescriptor::includeAt(DNode<Triplet>* node, char** name, short* x, short* y, short* orientation,
                               char* objectType)
{
    auto* include = node ? dynamic_cast<ROITriplet*>(node->getData()) : nullptr;
    if (name)
        *name = include ? const_cast<char*>(include->getResourceName()) : nullptr;
    if (x)
        *x = include ? include->getXOffset() : 0;
    if (y)
        *y = include ? include->getYOffset() : 0;
    if (orientation)
        *orientation = include ? static_cast<short>(include->getOrientation()) : 0;
    if (objectType)
        *objectType = include ? static_cast<char>(include->getObjectType()) : 0;
}

void LineDescriptor::getFirstResourceObjectInclude(char** name, short* x, short* y, short* orientation,
                                                   char* objectType)
{
    DNode<Triplet>* node = getFirstTriplet(0x6C) ? m_includeCursor : nullptr;
    includeAt(node, name, x, y, orientation, objectType);
}

void LineDescriptor::getNextResourceObjectInclude(char** name, short* x, short* y, short* orientation,
                                                  char* objectType)
{
    DNode<Triplet>* node = getNextTriplet(0x6C) ? m_includeCursor : nullptr;
    includeAt(node, name, x, y, orientation, objectType);
}

void LineDescriptor::setSuppressionTokenName(const char* name)
{
    std::memset(m_tokenName, 0, sizeof m_tokenName);
    if (name)
        std::memcpy(m_tokenName, name, strnlen(name, 8));
}

int LineDescriptor::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::LineDescriptor::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    logDebugText("Line Descriptor");
    std::vector<unsigned char> bytes = header(0xD3A6E7, "Memory allocation for qel::afp::LineDescriptor::write failed");
    bytes.resize(48);
    pagedef::setLength(bytes, getLength());
    const size_t d = 8;
    put16At(bytes, d + 0, m_flags);
    put16At(bytes, d + 2, m_inlinePosition);
    put16At(bytes, d + 4, m_baselinePosition);
    put32At(bytes, d + 6, m_textOrientation);
    bytes[d + 10] = m_fontLocalId;
    bytes[d + 11] = m_channelCode;
    put16At(bytes, d + 12, m_nextIfSkipping);
    put16At(bytes, d + 14, m_nextIfSpacing);
    put16At(bytes, d + 16, m_nextIfReuseData);
    std::memset(bytes.data() + d + 18, 0x40, 8);
    if (m_tokenName[0])
        putName(bytes.data() + d + 18, m_tokenName);
    bytes[d + 26] = m_shiftOutFontLocalId;
    put32At(bytes, d + 27, m_dataStart);
    put16At(bytes, d + 31, m_dataLength);
    put16At(bytes, d + 33, m_textColor);
    put16At(bytes, d + 35, m_nextIfConditional);
    bytes[d + 37] = m_subpageId;
    put16At(bytes, d + 38, m_conditionalProcessingId);
    rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc != 0)
        return rc;
    return pagedef::writeChildren(getTriplets(), dataStream, controlFlags);
}

} // namespace afp
} // namespace qel
