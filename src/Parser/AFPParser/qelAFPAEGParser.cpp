#include "qelAFPAEGParser.h"

#include "qelAFPTripletParser.h"
#include "qelException.h"
#include "qelLogStream.h"
#include "qelMessageIds.h"
#include "qelSFIBlock.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpMapCodedFont1.h"
#include "qel/afp/AfpPageDescriptor.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/AfpTriplet.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

qelAFPAEGParser::qelAFPAEGParser() : qelAFPParser(false)
{
}

qelAFPAEGParser::~qelAFPAEGParser()
{
    delete m_group;
}

int qelAFPAEGParser::remaining() const
{
    return m_currentSF ? m_currentSF->getRemainingLength() : 0;
}

int qelAFPAEGParser::byteOr(int missing)
{
    return remaining() > 0 ? m_currentSF->readByte() : missing;
}

unsigned int qelAFPAEGParser::shortOrZero()
{
    if (remaining() >= 2)
        return m_currentSF->readUShort();
    skipUpTo(1);
    return 0;
}

void qelAFPAEGParser::skipUpTo(int n)
{
    const int left = remaining();
    if (left > 0 && n > 0)
        m_currentSF->skip(n < left ? n : left);
}

void qelAFPAEGParser::values(const char* format, ...) const
{
    if (!m_log || m_log->noneOf(QEL_LOG_LEVEL2))
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

qel::afp::ActiveEnvironmentGroup* qelAFPAEGParser::parse(qelSFIBlock* first, qelAFPTripletParser* triplets)
{
    if (!first || !triplets)
        return nullptr;
    trace("[AFPAEGParser]: (Begin): parse\n");
    m_triplets = triplets;
    m_currentSF = first;
    delete m_group;
    m_group = new qel::afp::ActiveEnvironmentGroup();
    try {
        beginActiveEnvironmentGroup();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199)
            throw;
        delete e;
    }
    for (bool end = false; !end;) {
        qelSFIBlock* field = readNextSF();
        try {
            switch (field->getId()) {
            case 0xA69B: presentationTextDescriptor1(); break;
            case 0xA6AF: pageDescriptor(); break;
            case 0xA79B: composedTextControl(); break;
            case 0xA9C9:
                end = true;
                endActiveEnvironmentGroup();
                break;
            case 0xABD8: mapPageOverlay(); break;
            case 0xB18A: mapCodedFont1(); break;
            default: reportUnexpectedSF(field->getId()); break;
            }
        } catch (qelException* e) {
            // A field that ends early is dropped; the group goes on.
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
    trace("[AFPAEGParser]: (End): parse\n");
    qel::afp::ActiveEnvironmentGroup* group = m_group;
    m_group = nullptr;
    return group;
}

void qelAFPAEGParser::addTriplets(qel::afp::StructuredField* field)
{
    if (!field || !m_triplets)
        return;
    while (qel::afp::Triplet* triplet = m_triplets->nextTriplet(m_currentSF))
        field->addTriplet(triplet);
}

void qelAFPAEGParser::beginActiveEnvironmentGroup()
{
    const std::string name = readName();
    logField("BAG", "Begin Active Environment Group", name.c_str());
    auto* field = new qel::afp::StructuredField();
    m_group->addBeginActiveEnvironmentGroup(field);
    if (!name.empty())
        field->setName(name.c_str());
    addTriplets(field);
}

void qelAFPAEGParser::presentationTextDescriptor1()
{
    logField("PTD1", "Presentation Text Descriptor 1", "");
    const int xBase = byteOr(255);
    const int yBase = byteOr(255);
    const unsigned int xUnits = shortOrZero();
    const unsigned int yUnits = shortOrZero();
    const unsigned int xExtent = shortOrZero();
    const unsigned int yExtent = shortOrZero();
    if (remaining() > 1)
        skipUpTo(2);
    values("X Unit Base: 0x%02X, Y Unit Base: 0x%02X", static_cast<unsigned int>(xBase),
           static_cast<unsigned int>(yBase));
    values("X Units: %u, Y Units: %u, X Extent: %u, Y Extent: %u", xUnits, yUnits, xExtent, yExtent);
    m_group->addPresentationTextDescriptor(new qel::afp::PresentationTextDescriptor(
        static_cast<uint8_t>(xBase), static_cast<uint8_t>(yBase), static_cast<uint16_t>(xUnits),
        static_cast<uint16_t>(yUnits), static_cast<uint16_t>(xExtent), static_cast<uint16_t>(yExtent)));
}

void qelAFPAEGParser::pageDescriptor()
{
    logField("PGD", "Page Descriptor", "");
    const int xBase = byteOr(255);
    const int yBase = byteOr(255);
    const unsigned int xUnits = shortOrZero();
    const unsigned int yUnits = shortOrZero();
    skipUpTo(1);
    const unsigned int xSize = shortOrZero();
    skipUpTo(1);
    const unsigned int ySize = shortOrZero();
    if (remaining() > 2)
        skipUpTo(3);
    values("X Unit Base: 0x%02X, Y Unit Base: 0x%02X", static_cast<unsigned int>(xBase),
           static_cast<unsigned int>(yBase));
    values("X Units: %u, Y Units: %u, X Size: %u, Y Size: %u", xUnits, yUnits, xSize, ySize);
    auto* field = new qel::afp::PageDescriptor(static_cast<uint8_t>(xBase), static_cast<uint8_t>(yBase),
                                               static_cast<uint16_t>(xUnits), static_cast<uint16_t>(yUnits),
                                               static_cast<uint16_t>(xSize), static_cast<uint16_t>(ySize));
    m_group->addPageDescriptor(field);
    addTriplets(field);
}

void qelAFPAEGParser::composedTextControl()
{
    logField("CTC", "Composed Text Control", "");
    if (!m_log || m_log->noneOf(QEL_LOG_LEVEL2) || remaining() <= 9)
        return;
    unsigned int words[5];
    for (unsigned int& w : words)
        w = m_currentSF->readUShort();
    if (!words[0] && !words[1] && !words[2] && !words[3] && words[4] == 0x2D00)
        values("Constant Data: 0x0000-0000-0000-0000-2D00");
    else
        values("Constant Data: 0x%04X-%04X-%04X-%04X-%04X (Invalid)", words[0], words[1], words[2], words[3],
               words[4]);
}

void qelAFPAEGParser::mapCodedFont1()
{
    logField("MCF1", "Map Coded Font 1", "");
    const int groupLength = byteOr(0);
    if (remaining() > 2)
        skipUpTo(3);
    auto* field = new qel::afp::MapCodedFont1();
    m_group->addMapCodedFont1(field);
    field->setRepeatingGroupLength(static_cast<uint8_t>(groupLength));
    if (groupLength != 28 && groupLength != 30) {
        values("Repeating Group Length: 0x%02X (%d) <Invalid>", static_cast<unsigned int>(groupLength), groupLength);
        return;
    }
    values("Repeating Group Length: 0x%02X (%d)", static_cast<unsigned int>(groupLength), groupLength);
    while (remaining() >= groupLength) {
        unsigned char bytes[30] = {};
        m_currentSF->readBytes(bytes, groupLength);
        const std::string codedFont = qelAFPTripletParser::textOf(bytes + 4, 8);
        const std::string codePage = qelAFPTripletParser::textOf(bytes + 12, 8);
        const std::string characterSet = qelAFPTripletParser::textOf(bytes + 20, 8);
        const int rotation = groupLength == 30 ? static_cast<int>((bytes[28] << 8) | bytes[29]) : -1;
        values("Local Id: %d, Section Id: %d, Coded Font: %s, Code Page: %s, Character Set: %s", bytes[0], bytes[2],
               codedFont.c_str(), codePage.c_str(), characterSet.c_str());
        auto nameOrNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
        field->addRepeatingGroup(bytes[0], bytes[2], nameOrNull(codedFont), nameOrNull(characterSet),
                                 nameOrNull(codePage), rotation);
    }
}

void qelAFPAEGParser::readRepeatingGroupTriplets(int length)
{
    // The group's triplets are read and dropped; the field goes on after
    // the group whatever the triplets say.
    const int start = m_currentSF->getPosition();
    const int end = start + length;
    while (m_currentSF->getPosition() < end && remaining() > 0) {
        std::unique_ptr<qel::afp::Triplet> triplet(m_triplets->nextTriplet(m_currentSF));
        if (!triplet)
            break;
    }
    const int at = m_currentSF->getPosition();
    if (at < end)
        skipUpTo(end - at);
}

void qelAFPAEGParser::mapPageOverlay()
{
    logField("MPO", "Map Page Overlay", "");
    while (remaining() >= 2) {
        const int length = static_cast<int>(m_currentSF->readUShort());
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL3))
            m_log->printLine("Repeating group length: 0x%x", static_cast<unsigned int>(length));
        if (length < 2) {
            skipUpTo(remaining());
            break;
        }
        readRepeatingGroupTriplets(length - 2);
    }
}

void qelAFPAEGParser::endActiveEnvironmentGroup()
{
    const std::string name = readName();
    logField("EAG", "End Active Environment Group", name.c_str());
    auto* field = new qel::afp::StructuredField();
    m_group->addEndActiveEnvironmentGroup(field);
    if (!name.empty())
        field->setName(name.c_str());
}
