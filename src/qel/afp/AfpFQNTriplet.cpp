#include "qel/afp/AfpFQNTriplet.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

namespace
{

const char* typeLine(uint8_t type)
{
    switch (type) {
    case 0x01: return "Replace First Global ID: %s";
    case 0x07: return "Font Family Name: %s";
    case 0x08: return "Font Typeface Name: %s";
    case 0x09: return "Resource Hierarchy Reference: %s";
    case 0x0A: return "Begin Resource Group Reference: %s";
    case 0x0B: return "Attribute Global ID: %s";
    case 0x0C: return "Process Element Global ID: %s";
    case 0x0D: return "Begin Page Group Reference: %s";
    case 0x11: return "Media Type Reference: %s";
    case 0x6E: return "Data Object Font Base Font ID: %s";
    case 0x7E: return "Data Object Font Linked Font ID: %s";
    case 0x83: return "Begin Document Reference: %s";
    case 0x84: return "Resource Object Reference: %s";
    case 0x85: return "Code Page Name: %s";
    case 0x86: return "Character Set Name: %s";
    case 0x87: return "Begin Page Reference: %s";
    case 0x8D: return "Begin Medium Map Reference: %s";
    case 0x8E: return "Coded Font Name: %s";
    case 0x98: return "Begin Document Index Reference: %s";
    case 0xB0: return "Begin Overlay Reference: %s";
    case 0xBE: return "Data Object Internal Resource Reference: %s";
    case 0xCA: return "Index Element Global ID: %s";
    case 0xCE: return "Other Object Data Reference: %s";
    case 0xDE: return "Data Object External Resource Reference: %s";
    default: return "Invalid type: %s";
    }
}

} // namespace

FQNTriplet::FQNTriplet(uint8_t type, const char* name) : m_type(type)
{
    setName(name);
}

FQNTriplet::~FQNTriplet()
{
    std::free(m_name);
}

void FQNTriplet::setName(const char* name)
{
    logDebugText("qel::afp::FQNTriplet::setName");
    if (!name)
        logDebugText("\tName = (NULL)");
    m_name = Utils::setMutator(m_name, name, 0);
}

uint8_t FQNTriplet::evaluateLength()
{
    const size_t n = m_name ? strnlen(m_name, MAX_NAME) : 0;
    setLength(static_cast<uint8_t>(4 + n));
    return getLength();
}

int FQNTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FQNTriplet::write");
    if (getLength() < 4 || getLength() > 4 + MAX_NAME)
        evaluateLength();
    std::vector<unsigned char> bytes;
    try {
        bytes = start();
    } catch (const std::bad_alloc&) {
        return -2;
    }
    bytes.push_back(m_type);
    bytes.push_back(0x00);
    // The stored length says how many name bytes there are.
    const size_t n = m_name ? strnlen(m_name, static_cast<size_t>(getLength() - 4)) : 0;
    bytes.insert(bytes.end(), m_name, m_name + n);
    bytes.resize(getLength(), 0x40);
    if (m_translate && bytes.size() > 4)
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes.data() + 4,
                                                                     static_cast<int>(bytes.size() - 4));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    logInfo(typeLine(m_type), m_name ? m_name : "");
#pragma GCC diagnostic pop
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
