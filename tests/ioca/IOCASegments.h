// IOCA segments built field by field, and a parsed handle over one.
#ifndef IOCA_SEGMENTS_H
#define IOCA_SEGMENTS_H

#include "ScratchTest.h"
#include "oioca.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace iocatest {

using lrbtest::Bytes;

inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes be(uint32_t v, int n)
{
    Bytes b;
    for (int i = n - 1; i >= 0; --i)
        b.push_back((unsigned char)(v >> (8 * i)));
    return b;
}

// A one-byte-length field, or an extended one for ids above 0xFF.
inline Bytes sdf(unsigned id, const Bytes& content)
{
    if (id > 0xFF)
        return cat({{0xFE, (unsigned char)id}, be((uint32_t)content.size(), 2), content});
    return cat({{(unsigned char)id, (unsigned char)content.size()}, content});
}

inline const Bytes kBegin = sdf(0x70, {}), kEnd = sdf(0x71, {});
inline const Bytes kContent = sdf(0x91, {0xFF}), kEndContent = sdf(0x93, {});
inline Bytes imageSize(int unit, int res, int w, int h)
{
    return sdf(0x94, cat({{(unsigned char)unit}, be(res, 2), be(res, 2), be(w, 2), be(h, 2)}));
}
inline Bytes encoding(int compression, int order = -1)
{
    Bytes c = {(unsigned char)compression, 1};
    if (order >= 0)
        c.push_back((unsigned char)order);
    return sdf(0x95, c);
}
inline Bytes imageData(const Bytes& d) { return sdf(0xFE92, d); }
// Image Data fields of at most 32000 bytes each.
inline Bytes imageDataFields(const Bytes& d)
{
    Bytes out;
    for (size_t at = 0; at < d.size() || (at == 0 && d.empty()); at += 32000) {
        size_t n = std::min<size_t>(32000, d.size() - at);
        Bytes part = imageData(Bytes(d.begin() + at, d.begin() + at + n));
        out.insert(out.end(), part.begin(), part.end());
        if (d.empty())
            break;
    }
    return out;
}
inline Bytes bandData(int band, const Bytes& d) { return sdf(0xFE9C, cat({{(unsigned char)band, 0, 0}, d})); }
inline Bytes tileSize(int w, int h) { return sdf(0xB6, cat({be(w, 4), be(h, 4)})); }
inline Bytes tocEntry(int x, int y, int w, int h, int compression)
{
    return cat({be(x, 4), be(y, 4), be(w, 4), be(h, 4), {1, (unsigned char)compression}, be(0, 4),
                be(0x100, 4)});
}

// A parsed handle, finalised at the end.
struct Parsed
{
    explicit Parsed(const Bytes& bytes, bool trace = false) : data(bytes)
    {
        EXPECT_EQ(oioca_initialize(data.data(), (uint32_t)data.size(), trace, &handle), 0);
        result = oioca_readHeader(handle);
    }
    ~Parsed() { oioca_finalize(&handle); }
    std::vector<IOCATile*> tiles()
    {
        std::vector<IOCATile*> all;
        IOCATile* t = nullptr;
        for (int rc = oioca_getFirstTile(handle, &t); rc == 0; rc = oioca_getNextTile(handle, &t))
            all.push_back(t);
        return all;
    }
    std::string trace() const
    {
        std::string s;
        for (IOCATraceLine* l = handle->trace ? handle->trace->head : nullptr; l; l = l->next)
            s += std::string(l->text) + "\n";
        return s;
    }
    Bytes data;
    IOCAHandle* handle = nullptr;
    int result = -99;
};

} // namespace iocatest

#endif
