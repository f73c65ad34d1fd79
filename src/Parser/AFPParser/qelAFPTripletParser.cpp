#include "qelAFPTripletParser.h"

#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelUtils.h"

#include "qel/afp/AfpColorSpecificationTriplet.h"
#include "qel/afp/AfpERLITriplet.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpMDTriplet.h"
#include "qel/afp/AfpPCCTriplet.h"
#include "qel/afp/AfpPOCPTriplet.h"
#include "qel/afp/AfpROITriplet.h"
#include "qel/afp/AfpRLITriplet.h"
#include "qel/afp/AfpRUATriplet.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

unsigned int u16(const unsigned char* at)
{
    return (static_cast<unsigned int>(at[0]) << 8) | at[1];
}

uint32_t u32(const unsigned char* at)
{
    return (static_cast<uint32_t>(u16(at)) << 16) | u16(at + 2);
}

// Triplets the reader knows but builds nothing for.
bool knownNotBuilt(int id)
{
    switch (id) {
    case 0x01: case 0x04: case 0x10: case 0x18: case 0x1F: case 0x20: case 0x21: case 0x25: case 0x26:
    case 0x2D: case 0x36: case 0x43: case 0x45: case 0x4B: case 0x4C: case 0x4D: case 0x50: case 0x5D:
    case 0x5E: case 0x62: case 0x65: case 0x68: case 0x70: case 0x71: case 0x72: case 0x74: case 0x75:
    case 0x78: case 0x8B: case 0x8E:
        return true;
    default:
        return (id >= 0x56 && id <= 0x5A) || (id >= 0x80 && id <= 0x88);
    }
}

bool fqnTypeKnown(int type)
{
    switch (type) {
    case 0x01: case 0x07: case 0x08: case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x83:
    case 0x84: case 0x85: case 0x86: case 0x87: case 0x8D: case 0x8E: case 0x98: case 0xB0: case 0xCA:
    case 0xCE:
        return true;
    default:
        return false;
    }
}

} // namespace

qelAFPTripletParser::qelAFPTripletParser() : qelAFPParser(false)
{
}

qelAFPTripletParser::~qelAFPTripletParser() = default;

bool qelAFPTripletParser::logging() const
{
    return m_log && m_log->anyOf(QEL_LOG_LEVEL2);
}

void qelAFPTripletParser::line(const char* format, ...) const
{
    if (!logging())
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelAFPTripletParser::warn(const char* format, ...) const
{
    if (!logging())
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
    if (!qelPoolAccess::quiet())
        qelMessageOutput::printf("%s\n", text);
}

std::string qelAFPTripletParser::textOf(const unsigned char* data, int n)
{
    if (!data || n <= 0)
        return std::string();
    std::vector<unsigned char> bytes(data, data + n);
    bytes.push_back(0);
    qelUtils::ebcdicToAscii(bytes.data(), n);
    char* text = reinterpret_cast<char*>(bytes.data());
    qelString::trimRight(text);
    text = qelString::trimLeft(text);
    return std::string(text ? text : "");
}

qel::afp::Triplet* qelAFPTripletParser::nextTriplet(qelSFIBlock* field)
{
    if (!field || field->getRemainingLength() <= 0)
        return nullptr;
    const int length = field->readByte();
    if (length == 1 || field->getRemainingLength() <= 0)
        return nullptr;
    const int id = field->readByte();
    int n = static_cast<uint8_t>(length - 2);
    const int left = field->getRemainingLength();
    if (n > left)
        n = left;
    // The triplet's own bytes: the readers never see beyond them, and the
    // field goes on after them whatever a reader takes.
    std::vector<unsigned char> data(static_cast<size_t>(n) + 1, 0);
    if (n > 0)
        field->readBytes(data.data(), n);
    const unsigned char* d = data.data();
    switch (id) {
    case 0x02: return fullyQualifiedName(d, n);
    case 0x22: return extendedResourceLocalId(d, n);
    case 0x24: return resourceLocalId(d, n);
    case 0x46: return pageOverlayConditionalProcessing(d, n);
    case 0x47: return resourceUsageAttribute(d, n);
    case 0x4E: return colorSpecification(d, n);
    case 0x6C: return resourceObjectInclude(d, n);
    case 0x7C: return pageCountControl(d, n);
    case 0x7F: return marginDefinition(d, n);
    default: break;
    }
    if (knownNotBuilt(id))
        warn("Warning! Triplet 0x%02X (%d) is not handled", static_cast<unsigned int>(id), id);
    else
        warn("Warning! Invalid triplet to process Id=0x%02X (%d)", static_cast<unsigned int>(id), id);
    return nullptr;
}

qel::afp::Triplet* qelAFPTripletParser::fullyQualifiedName(const unsigned char* data, int n)
{
    line("Fully Qualified Name Triplet");
    if (n < 2)
        return nullptr;
    const int type = data[0];
    const int format = data[1];
    if (format == 0x00)
        line("FQNFormat: 0x00 (Character string)");
    else if (format == 0x10)
        line("FQNFormat: 0x10 (OID)");
    else if (format == 0x20)
        line("FQNFormat: 0x20 (URL)");
    else
        line("Warning! Invalid FQNFormat (0x%02X)", static_cast<unsigned int>(format));
    if (!fqnTypeKnown(type))
        warn("Warning! Invalid type in Fully Qualified Name: 0x%x", static_cast<unsigned int>(type));
    const std::string name = textOf(data + 2, n - 2);
    line("Name: %s", name.c_str());
    return new qel::afp::FQNTriplet(static_cast<uint8_t>(type), name.c_str());
}

qel::afp::Triplet* qelAFPTripletParser::extendedResourceLocalId(const unsigned char* data, int n)
{
    line("Extended Resource Local Identifier Triplet");
    if (n < 5)
        return nullptr;
    line("Resource Type: 0x%02X (%d)", static_cast<unsigned int>(data[0]), data[0]);
    const uint32_t id = u32(data + 1);
    line("Resource Local Id: 0x%08X (%d)", id, static_cast<int>(id));
    auto* triplet = new qel::afp::ERLITriplet();
    triplet->setLocalId(id);
    return triplet;
}

qel::afp::Triplet* qelAFPTripletParser::resourceLocalId(const unsigned char* data, int n)
{
    line("Resource Local Identifier triplet");
    if (n < 2)
        return nullptr;
    const int type = data[0];
    switch (type) {
    case 0: line("Resource Type: Usage dependent"); break;
    case 2: line("Resource Type: Page Overlay"); break;
    case 5: line("Resource Type: Coded Font"); break;
    case 7: line("Resource Type: Color Attribute Table"); break;
    default: warn("Resource Type: Warning! Illegal Resource Type - 0x%x", static_cast<unsigned int>(type)); break;
    }
    const int id = data[1];
    if (id == 0 || id == 255)
        line("Warning! Illegal value: 0x%x for Resource local ID", static_cast<unsigned int>(id));
    else
        line("Resource Local ID: 0x%02x", static_cast<unsigned int>(id));
    return new qel::afp::RLITriplet(static_cast<uint8_t>(type), static_cast<uint8_t>(id));
}

qel::afp::Triplet* qelAFPTripletParser::pageOverlayConditionalProcessing(const unsigned char* data, int n)
{
    line("Page Overlay Conditional Processing triplet");
    if (n < 1)
        return nullptr;
    const int type = data[0];
    switch (type) {
    case 0: line("Page Overlay Type: Normal"); break;
    case 1: line("Page Overlay Type: Annotation"); break;
    case 2: line("Page Overlay Type: Redaction"); break;
    default:
        line("Page Overlay Type:  Error! Illegal Page Overlay Type: 0x%x", static_cast<unsigned int>(type));
        if (logging() && !qelPoolAccess::quiet())
            qelMessageOutput::printf("Error! Illegal Page Overlay Type: 0x%x\n", static_cast<unsigned int>(type));
        break;
    }
    int level = 0;
    if (n >= 2) {
        level = data[1];
        line("Level of Overlay (Level): %d", level);
    } else {
        line("Level of Overlay is not defined.");
    }
    auto* triplet = new qel::afp::POCPTriplet(static_cast<uint8_t>(type));
    triplet->setLevel(static_cast<uint8_t>(level));
    return triplet;
}

qel::afp::Triplet* qelAFPTripletParser::resourceUsageAttribute(const unsigned char* data, int n)
{
    line("Resource Usage triplet");
    if (n < 1)
        return nullptr;
    const int frequency = data[0];
    if (frequency == 0)
        line("Frequency of use: Low");
    else if (frequency == 0xFF)
        line("Frequency of use: High");
    else
        warn("Frequency of use: Warning! Illegal value for Frequency: 0x%x", static_cast<unsigned int>(frequency));
    return new qel::afp::RUATriplet(static_cast<uint8_t>(frequency));
}

qel::afp::Triplet* qelAFPTripletParser::colorSpecification(const unsigned char* data, int n)
{
    line("Color Specification Triplet");
    // Reserved, space, 4 reserved and 4 bit counts come before the colour.
    if (n < 10)
        return nullptr;
    const int spaceByte = data[1];
    int needed = 0;
    switch (spaceByte) {
    case 0x01: needed = 3; break;
    case 0x04: needed = 4; break;
    case 0x06: needed = 2; break;
    case 0x08: needed = 3; break;
    case 0x40: needed = 2; break;
    default: break;
    }
    if (n < 10 + needed)
        return nullptr;
    int32_t value = 0;
    int32_t space = 0;
    decodeColorSpecification(data, n, false, logging() ? m_log : nullptr, value, space, nullptr);
    return new qel::afp::ColorSpecificationTriplet(spaceByte, static_cast<uint32_t>(value));
}

int16_t qelAFPTripletParser::offset16(const unsigned char* bytes, const char* axis) const
{
    const uint32_t raw = (static_cast<uint32_t>(bytes[0]) << 16) | (static_cast<uint32_t>(bytes[1]) << 8) | bytes[2];
    int32_t value = qelThreeByteValue::signedLow16OrSigned24(raw);
    if (value > INT16_MAX || value < INT16_MIN) {
        const int32_t clamped = value > INT16_MAX ? INT16_MAX : INT16_MIN;
        warn("Warning! Relative %s Axis Offset %d out of range, taken as %d", axis, value, clamped);
        value = clamped;
    }
    return static_cast<int16_t>(value);
}

qel::afp::Triplet* qelAFPTripletParser::resourceObjectInclude(const unsigned char* data, int n)
{
    line("Resource Object Include Triplet");
    // Type, name and two three-byte offsets; the orientation may follow.
    if (n < 15)
        return nullptr;
    const int type = data[0];
    if (type == 0x5F)
        line("Object Type: 0x5F <Page Segment>");
    else if (type == 0xDF)
        line("Object Type: 0xDF <Overlay>");
    else
        line("Object Type: 0x%02X <Unknown>", static_cast<unsigned int>(type));
    const std::string name = textOf(data + 1, 8);
    line("Resource Name: 0x%s", name.c_str());
    const int16_t x = offset16(data + 9, "I");
    const int16_t y = offset16(data + 12, "B");
    line("Relative I Axis Offset: 0x%04X (%d)", static_cast<unsigned int>(static_cast<uint16_t>(x)), x);
    line("Relative B Axis Offset: 0x%04X (%d)", static_cast<unsigned int>(static_cast<uint16_t>(y)), y);
    const unsigned int orientation = n >= 17 ? u16(data + 15) : 0u;
    line("Object Orientation: 0x%04X (%d)", orientation, static_cast<int>(orientation));
    auto* triplet = new qel::afp::ROITriplet();
    triplet->setObjectType(static_cast<uint8_t>(type));
    triplet->setResourceName(name.c_str());
    triplet->setXOffset(x);
    triplet->setYOffset(y);
    triplet->setOrientation(static_cast<uint16_t>(orientation));
    return triplet;
}

qel::afp::Triplet* qelAFPTripletParser::pageCountControl(const unsigned char* data, int n)
{
    line("Page Count Control Triplet");
    if (n < 5)
        return nullptr;
    const unsigned int page = u16(data);
    line("Initial page number: 0x%04X (%d)", page, static_cast<int>(page));
    const int control = data[3];
    static const char* const kControls[] = {"Stop", "Resume", "Continue", "Reset"};
    line("Count control: 0x%02X <%s>", static_cast<unsigned int>(control), control <= 3 ? kControls[control] : "Unknown");
    line("Count Flags: 0x%02X", static_cast<unsigned int>(data[4]));
    auto* triplet = new qel::afp::PCCTriplet();
    triplet->setInitialPageNumber(static_cast<uint16_t>(page));
    triplet->setCountControl(static_cast<uint8_t>(control));
    triplet->setCountFlags(data[4]);
    return triplet;
}

qel::afp::Triplet* qelAFPTripletParser::marginDefinition(const unsigned char* data, int n)
{
    line("Margin Definition Triplet");
    if (n < 12)
        return nullptr;
    const uint32_t orientation = u32(data);
    line("Text Orientation: 0x%08X (%d)", orientation, static_cast<int>(orientation));
    auto* triplet = new qel::afp::MDTriplet();
    triplet->setTextOrientation(orientation);
    static const char* const kNames[] = {"Left", "Top", "Right", "Bottom"};
    unsigned int margins[4];
    for (int k = 0; k < 4; ++k) {
        margins[k] = u16(data + 4 + 2 * k);
        line("%s Margin: 0x%02X (%d)", kNames[k], margins[k], static_cast<int>(margins[k]));
    }
    triplet->setLeftMargin(static_cast<uint16_t>(margins[0]));
    triplet->setTopMargin(static_cast<uint16_t>(margins[1]));
    triplet->setRightMargin(static_cast<uint16_t>(margins[2]));
    triplet->setBottomMargin(static_cast<uint16_t>(margins[3]));
    return triplet;
}
