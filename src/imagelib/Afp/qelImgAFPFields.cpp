#include "qelImgAFPFields.h"

#include "qelImgIOStream.h"

#include <cstring>
#include <initializer_list>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

bool fits16(int v) { return v >= 0 && v <= 0xFFFF; }

bool fits16(std::initializer_list<int> values)
{
    for (int v : values)
        if (!fits16(v))
            return false;
    return true;
}

void put(Bytes& b, std::initializer_list<int> bytes)
{
    for (int v : bytes)
        b.push_back(static_cast<unsigned char>(v));
}

void put16(Bytes& b, int v)
{
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
    b.push_back(static_cast<unsigned char>(v & 0xFF));
}

void put32(Bytes& b, int v)
{
    const auto u = static_cast<unsigned int>(v);
    put(b, {static_cast<int>(u >> 24), static_cast<int>((u >> 16) & 0xFF), static_cast<int>((u >> 8) & 0xFF),
            static_cast<int>(u & 0xFF)});
}

// Introducer of a structured field: length, identifier, flags 0, sequence 0.
Bytes field(int length, int id)
{
    Bytes b;
    put16(b, length);
    put(b, {0xD3, (id >> 8) & 0xFF, id & 0xFF, 0x00, 0x00, 0x00});
    return b;
}

int emit(qelImgIOStream* s, const Bytes& b)
{
    if (!s)
        return -1;
    if (b.empty())
        return 1;
    return s->write(b.data(), static_cast<unsigned int>(b.size())) == static_cast<int>(b.size()) ? 1 : -1;
}

// A structured field, with X'5A' first when the flag is 1.
int emitField(qelImgIOStream* s, int flag, const Bytes& b)
{
    if (!s)
        return -1;
    if (flag == 1 && s->putChar(qelImgAFPFields::INTRODUCER) == -1)
        return -1;
    return emit(s, b);
}

int simple(qelImgIOStream* s, int flag, int id) { return emitField(s, flag, field(8, id)); }
} // namespace

int qelImgAFPFields::writeBeginOverlay(qelImgIOStream* s, int flag, const unsigned char* name, int length)
{
    Bytes b = field(0x10, 0xA8DF);
    for (int i = 0; i < 8; ++i)
        b.push_back(name && i < length ? name[i] : 0x00);
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeEndOverlay(qelImgIOStream* s, int flag) { return simple(s, flag, 0xA9DF); }

int qelImgAFPFields::writeNoOperation(qelImgIOStream* s, int flag, const unsigned char* text, int length)
{
    if (length < 0 || length > 0x7FFF - 8 || (length > 0 && !text))
        return -1;
    Bytes b = field(length + 8, 0xEEEE);
    if (length > 0)
        b.insert(b.end(), text, text + length);
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeBeginActiveEnvironmentGroup(qelImgIOStream* s, int flag)
{
    return simple(s, flag, 0xA8C9);
}

int qelImgAFPFields::writePageDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    Bytes b = field(0x17, 0xA6AF);
    put(b, {0x00, 0x00});
    put16(b, xUnits);
    put16(b, yUnits);
    b.push_back(0x00);
    put16(b, width);
    b.push_back(0x00);
    put16(b, height);
    put(b, {0x00, 0x00, 0x00});
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeEndActiveEnvironmentGroup(qelImgIOStream* s, int flag) { return simple(s, flag, 0xA9C9); }

int qelImgAFPFields::writeBeginImageObject(qelImgIOStream* s, int flag) { return simple(s, flag, 0xA8FB); }

int qelImgAFPFields::writeBeginObjectEnvironmentGroup(qelImgIOStream* s, int flag)
{
    return simple(s, flag, 0xA8C7);
}

int qelImgAFPFields::writeObjectAreaDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits,
                                               int yUnits)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    Bytes b = field(0x1C, 0xA66B);
    put(b, {0x03, 0x43, 0x01, 0x08, 0x4B, 0x00, 0x00});
    put16(b, xUnits);
    put16(b, yUnits);
    put(b, {0x09, 0x4C, 0x02, 0x00});
    put16(b, width);
    b.push_back(0x00);
    put16(b, height);
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeObjectAreaPosition(qelImgIOStream* s, int flag)
{
    Bytes b = field(0x20, 0xAC6B);
    put(b, {0x01, 0x17, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x2D, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x2D, 0x00,
            0x01});
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeImageDataDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits,
                                              int yUnits, int functionSet)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    Bytes b = field(0x15, 0xA6FB);
    b.push_back(0x00);
    put16(b, xUnits);
    put16(b, yUnits);
    put16(b, width);
    put16(b, height);
    put(b, {0xF7, 0x02, 0x01, functionSet & 0xFF});
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeEndObjectEnvironmentGroup(qelImgIOStream* s, int flag) { return simple(s, flag, 0xA9C7); }

int qelImgAFPFields::writeEndImageObject(qelImgIOStream* s, int flag) { return simple(s, flag, 0xA9FB); }

int qelImgAFPFields::writeImagePictureData(qelImgIOStream* s, int flag, int length)
{
    if (length < 8 || length > 0x7FFF)
        return -1;
    return emitField(s, flag, field(length, 0xEEFB));
}

int qelImgAFPFields::writeOverlayEnvironment(qelImgIOStream* s, int flag, int width, int height, int xUnits,
                                             int yUnits)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    int rc = writeBeginActiveEnvironmentGroup(s, flag);
    if (rc == 1)
        rc = writePageDescriptor(s, flag, width, height, xUnits, yUnits);
    if (rc == 1)
        rc = writeEndActiveEnvironmentGroup(s, flag);
    return rc;
}

int qelImgAFPFields::writeImageObjectHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits,
                                            int yUnits, int functionSet)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    int rc = writeBeginImageObject(s, flag);
    if (rc == 1)
        rc = writeBeginObjectEnvironmentGroup(s, flag);
    if (rc == 1)
        rc = writeObjectAreaDescriptor(s, flag, width, height, xUnits, yUnits);
    if (rc == 1)
        rc = writeObjectAreaPosition(s, flag);
    if (rc == 1)
        rc = writeImageDataDescriptor(s, flag, width, height, xUnits, yUnits, functionSet);
    if (rc == 1)
        rc = writeEndObjectEnvironmentGroup(s, flag);
    return rc;
}

int qelImgAFPFields::writeBeginDocument(qelImgIOStream* s, int flag)
{
    Bytes b = field(0x51, 0xA8A8);
    b.insert(b.end(), 8, 0x40);
    put(b, {0x00, 0x00, 0x06, 0x01, 0x02, 0xB9, 0x01, 0xF4, 0x05, 0x18, 0x01, 0x0C, 0x00, 0x34, 0x02, 0x01, 0x00});
    b.insert(b.end(), 48, 0x00);
    return emitField(s, flag, b);
}

int qelImgAFPFields::writeEndDocument(qelImgIOStream* s, int flag)
{
    Bytes b = field(0x10, 0xA9A8);
    b.insert(b.end(), 8, 0x40);
    return emitField(s, flag, b);
}

int qelImgAFPFields::writePageHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                     int functionSet)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    const int rc = simple(s, flag, 0xA8AF);
    return rc == 1 ? writeImageHeader(s, flag, width, height, xUnits, yUnits, functionSet) : rc;
}

int qelImgAFPFields::writeImageHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                      int functionSet)
{
    const int rc = writeOverlayEnvironment(s, flag, width, height, xUnits, yUnits);
    return rc == 1 ? writeImageObjectHeader(s, flag, width, height, xUnits, yUnits, functionSet) : rc;
}

int qelImgAFPFields::writeEndImageAndPage(qelImgIOStream* s, int flag)
{
    const int rc = writeEndImageObject(s, flag);
    return rc == 1 ? simple(s, flag, 0xA9AF) : rc;
}

int qelImgAFPFields::writeBeginSegment(qelImgIOStream* s, int, int width, int height, int xUnits, int yUnits,
                                       int compression, int recording, int bitOrder, int ideSize)
{
    if (!fits16({width, height, xUnits, yUnits}))
        return -1;
    Bytes b;
    put(b, {0x70, 0x00, 0x91, 0x01, 0xFF, 0x94, 0x09, 0x00});
    put16(b, xUnits);
    put16(b, yUnits);
    put16(b, width);
    put16(b, height);
    put(b, {0x95, 0x03, compression & 0xFF, recording & 0xFF, bitOrder & 0xFF, 0x96, 0x01, ideSize & 0xFF});
    if ((compression & 0xFF) == 0x83)
        put(b, {0x9F, 0x0A, 0x10, 0x00, 0x83, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00});
    return emit(s, b);
}

int qelImgAFPFields::writeIDEStructure(qelImgIOStream* s, int, int flags, int colorModel, int ideSize)
{
    Bytes b;
    if (colorModel == 2) {
        const int size = ideSize == 4 ? 1 : ideSize == 32 ? 8 : 0;
        put(b, {0x9B, 0x09, flags & 0xFF, 0x04, 0x00, 0x00, 0x00, size, size, size, size});
        return emit(s, b);
    }
    int format = 0x12;
    if (colorModel == 1)
        format = 0x01;
    else if (colorModel == 4)
        format = 0x02;
    int sizes[3] = {0, 0, 0};
    if (ideSize == 1 || ideSize == 4 || ideSize == 8)
        sizes[0] = ideSize;
    else if (ideSize == 24)
        sizes[0] = sizes[1] = sizes[2] = 8;
    put(b, {0x9B, 0x08, flags & 0xFF, format, 0x00, 0x00, 0x00, sizes[0], sizes[1], sizes[2]});
    return emit(s, b);
}

int qelImgAFPFields::writeImageData(qelImgIOStream* s, int, const unsigned char* data, int length)
{
    if (length < 0 || length > 0xFFFF || (length > 0 && !data))
        return -1;
    Bytes b;
    put(b, {0xFE, 0x92});
    put16(b, length);
    if (length > 0)
        b.insert(b.end(), data, data + length);
    return emit(s, b);
}

int qelImgAFPFields::writeEndSegment(qelImgIOStream* s, int) { return emit(s, {0x93, 0x00, 0x71, 0x00}); }

int qelImgAFPFields::writeBandImageData(qelImgIOStream* s, int, int band, const unsigned char* data, int length)
{
    if (length < 0 || length > 0xFFFF - 3 || (length > 0 && !data))
        return -1;
    Bytes b;
    put(b, {0xFE, 0x9C});
    put16(b, length + 3);
    put(b, {band & 0xFF, 0x00, 0x00});
    if (length > 0)
        b.insert(b.end(), data, data + length);
    return emit(s, b);
}

int qelImgAFPFields::writeTiledCMYKJPEGStart(qelImgIOStream* s, int, int width, int height)
{
    Bytes b;
    put(b, {0x70, 0x00, 0x91, 0x01, 0xFF, 0xFE, 0xBB, 0x00, 0x02, 0x00, 0x00, 0x8C, 0x00, 0xB5, 0x08});
    b.insert(b.end(), 8, 0x00);
    put(b, {0xB6, 0x09});
    put32(b, width);
    put32(b, height);
    put(b, {0x01, 0x95, 0x03, 0x83, 0x01, 0x00, 0x96, 0x01, 0x20, 0x98, 0x05, 0x04, 0x08, 0x08, 0x08, 0x08, 0x9B,
            0x09, 0x00, 0x04, 0x00, 0x00, 0x00, 0x08, 0x08, 0x08, 0x08});
    return emit(s, b);
}

int qelImgAFPFields::writeEndTile(qelImgIOStream* s, int) { return emit(s, {0x8D, 0x00}); }

unsigned char qelImgAFPFields::reverseBitOrder(unsigned char byte)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i)
        if (byte & (1u << i))
            r = static_cast<unsigned char>(r | (0x80u >> i));
    return r;
}
