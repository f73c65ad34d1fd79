#ifndef BARCODE_PARSER_FIELDS_H
#define BARCODE_PARSER_FIELDS_H

// Builders of the structured fields of a bar code object, for hand-made
// inputs of the bar code parser tests.

#include "BarcodeFixture.h"
#include "FieldText.h"

#include "qelBarcodeParser.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bcfields {

using lrbtest::append;
using lrbtest::Bytes;
using lrbtest::ebcdic;
using lrbtest::field;
using lrbtest::name8;

inline void add16(Bytes& to, unsigned int v)
{
    to.push_back(static_cast<unsigned char>(v >> 8));
    to.push_back(static_cast<unsigned char>(v));
}

inline Bytes bbc(const std::string& name = "BC000001") { return field(0xA8EB, name8(name)); }
inline Bytes ebc(const std::string& name = "BC000001") { return field(0xA9EB, name8(name)); }
inline Bytes bog() { return field(0xA8C7, name8("OEG00001")); }
inline Bytes eog() { return field(0xA9C7, name8("OEG00001")); }

// Object area descriptor: ten-inch base with units per ten inches, area size.
inline Bytes obd(unsigned int unitsPerTenInches, unsigned int width, unsigned int height)
{
    Bytes d = {0x03, 0x43, 0x01, 0x08, 0x4B, 0x00, 0x00};
    add16(d, unitsPerTenInches);
    add16(d, unitsPerTenInches);
    append(d, {0x09, 0x4C, 0x02, 0x00});
    add16(d, width);
    d.push_back(0x00);
    add16(d, height);
    return field(0xA66B, d);
}

struct Position
{
    Bytes x = {0, 0, 0};
    Bytes y = {0, 0, 0};
    unsigned int xRotation = 0x0000;
    unsigned int yRotation = 0x2D00;
    Bytes contentX = {0, 0, 0};
    Bytes contentY = {0, 0, 0};
    unsigned char referenceSystem = 0;
};

inline Bytes obpData(const Position& p)
{
    Bytes d = {0x01, 23};
    append(d, p.x);
    append(d, p.y);
    add16(d, p.xRotation);
    add16(d, p.yRotation);
    d.push_back(0);
    append(d, p.contentX);
    append(d, p.contentY);
    add16(d, 0x0000);
    add16(d, 0x2D00);
    d.push_back(p.referenceSystem);
    return d;
}

inline Bytes obp(const Position& p) { return field(0xAC6B, obpData(p)); }

struct Descriptor
{
    unsigned char unitBase = 0;
    unsigned int xUnits = 2400;
    unsigned int yUnits = 2400;
    unsigned int width = 0x0200;
    unsigned int height = 0x0100;
    unsigned char type = 1;
    unsigned char modifier = 1;
    unsigned char hriFont = 0xFF;
    unsigned int color = 0x0008;
    unsigned char moduleWidth = 10;
    unsigned int elementHeight = 0xFFFF;
    unsigned char multiplier = 1;
    unsigned int ratio = 30;
};

inline Bytes bddData(const Descriptor& b)
{
    Bytes d = {b.unitBase, 0};
    add16(d, b.xUnits);
    add16(d, b.yUnits);
    add16(d, b.width);
    add16(d, b.height);
    add16(d, 0);
    d.push_back(b.type);
    d.push_back(b.modifier);
    d.push_back(b.hriFont);
    add16(d, b.color);
    d.push_back(b.moduleWidth);
    add16(d, b.elementHeight);
    d.push_back(b.multiplier);
    add16(d, b.ratio);
    return d;
}

inline Bytes bdd(const Descriptor& b) { return field(0xA6EB, bddData(b)); }

// Bar Code Data: flags, origins, then the given rest (parameters and data).
inline Bytes bda(unsigned char flags, unsigned int x, unsigned int y, const Bytes& rest)
{
    Bytes d = {flags};
    add16(d, x);
    add16(d, y);
    append(d, rest);
    return field(0xEEEB, d);
}

// Data Matrix parameters before the data.
inline Bytes matrixParameters(unsigned int rowSize, unsigned int rows, unsigned char controlFlags = 0x80,
                              unsigned char sequence = 0, unsigned char count = 0, unsigned int fileId = 0,
                              unsigned char special = 0)
{
    Bytes d = {controlFlags};
    add16(d, rowSize);
    add16(d, rows);
    d.push_back(sequence);
    d.push_back(count);
    add16(d, fileId);
    d.push_back(special);
    return d;
}

// A whole object: BBC, environment group with the given fields, BDAs, EBC.
inline Bytes input(const Bytes& environment, const std::vector<Bytes>& data)
{
    Bytes all = bbc();
    append(all, bog());
    append(all, environment);
    append(all, eog());
    for (const Bytes& d : data)
        append(all, d);
    append(all, ebc());
    return all;
}

// The document reader base, here only to own the process-wide input.
class InputHolder : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

// Captures the message output; every test gets a fresh pool.
class ParserFixture : public BarcodeFixture
{
protected:
    void TearDown() override
    {
        m_holder.reset();
        qelDocumentParser::resetIgnoredObjectCount();
        BarcodeFixture::TearDown();
    }

    qelBarcodeParser* parser() { return qelGlobalDSPool::getInstance()->getBarcodeParser(); }
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // Makes the bytes the current input and reads its first field.
    qelSFIBlock* start(const Bytes& bytes)
    {
        if (!m_holder)
            m_holder.reset(new InputHolder());
        m_buffers.push_back(bytes);
        qelIOStream::getCurrent()->attachBuffer(m_buffers.back().data(), static_cast<int>(bytes.size()));
        return parser()->readNextSF();
    }

    // Parses the first object of the input; exceptions pass to the caller.
    std::unique_ptr<qelBarcodeObject> parse(const Bytes& bytes)
    {
        qelSFIBlock* begin = start(bytes);
        return std::unique_ptr<qelBarcodeObject>(parser()->parse(begin));
    }

    int ignoredObjects() const { return m_holder ? m_holder->getIgnoredObjectCount() : 0; }

    static qelBarcodeSymbol* symbolAt(const qelBarcodeObject& object, int index)
    {
        qelList* list = object.getSymbols();
        if (!list)
            return nullptr;
        qelListNode* node = list->getHead();
        for (int i = 0; node && i < index; ++i)
            node = node->next;
        return node ? static_cast<qelBarcodeSymbol*>(node->item) : nullptr;
    }

    static int symbolCount(const qelBarcodeObject& object)
    {
        int n = 0;
        for (qelListNode* node = object.getSymbols() ? object.getSymbols()->getHead() : nullptr; node;
             node = node->next)
            ++n;
        return n;
    }

    static std::string dataText(const qelBarcodeSymbol& symbol)
    {
        return symbol.getData() ? std::string(reinterpret_cast<const char*>(symbol.getData()),
                                              static_cast<size_t>(symbol.getDataLength()))
                                : std::string();
    }

    std::unique_ptr<InputHolder> m_holder;
    std::vector<Bytes> m_buffers;
};

} // namespace bcfields

#endif
