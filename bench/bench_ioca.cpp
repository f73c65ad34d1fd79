// Decoding time of a 300-dpi A4 page (2480 x 3508) of text-like black
// marks, coded G4 (decoded through the TIFF library, as the IOCA library
// does for Image Encoding X'82') and coded IBM MMR (the library's own run
// decoder), through the whole IOCA library call sequence; and the run
// decoder alone on the G4 strip.
#include "oiocaInternal.h"

#include <benchmark/benchmark.h>

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kWidth = 2480, kHeight = 3508;
constexpr size_t kRowBytes = (kWidth + 7) / 8;

// Lines of words made of glyph-sized marks inside 25 mm margins; the first
// row is white.
Bytes makePage()
{
    Bytes page(kRowBytes * kHeight, 0);
    auto set = [&page](int x, int y) { page[y * kRowBytes + x / 8] |= (unsigned char)(0x80 >> (x % 8)); };
    unsigned seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return (int)((seed >> 8) % (unsigned)n);
    };
    for (int line = 300; line + 40 < kHeight - 300; line += 50) {
        int x = 300;
        while (x < kWidth - 400) {
            int letters = 2 + next(8);
            for (int l = 0; l < letters; ++l, x += 22) {
                int h = 18 + next(14), top = line + 30 - h;
                for (int y = top; y < line + 30; ++y) {
                    // A glyph: two strokes and a bar.
                    for (int dx = 0; dx < 3; ++dx) {
                        set(x + dx, y);
                        set(x + 12 + dx - (y - top) / 6, y);
                    }
                    if (y == top + h / 2 || y == line + 29)
                        for (int dx = 0; dx < 15; ++dx)
                            set(x + dx, y);
                }
            }
            x += 25;
        }
    }
    return page;
}

// The page coded G4 by the TIFF library: its one strip.
Bytes g4Strip(const Bytes& rows, int height)
{
    char path[] = "/tmp/bench_ioca_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    TIFF* tif = TIFFOpen(path, "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)height);
    TIFFWriteEncodedStrip(tif, 0, const_cast<unsigned char*>(rows.data()), (tmsize_t)rows.size());
    TIFFClose(tif);
    tif = TIFFOpen(path, "r");
    Bytes strip((size_t)TIFFRawStripSize(tif, 0));
    TIFFReadRawStrip(tif, 0, strip.data(), (tmsize_t)strip.size());
    TIFFClose(tif);
    std::remove(path);
    return strip;
}

// EOL, tag, the white first row one-dimensional (2432 + 48), EOL, tag, then
// the G4 strip of the other rows.
Bytes ibmMMR(const Bytes& page)
{
    std::string bits = std::string("000000000001") + "1" + "000000011101" + "00001011" + "000000000001" + "0";
    const Bytes rest = g4Strip(Bytes(page.begin() + kRowBytes, page.end()), kHeight - 1);
    Bytes out;
    size_t count = 0;
    auto bit = [&out, &count](bool one) {
        if (count++ % 8 == 0)
            out.push_back(0);
        if (one)
            out.back() |= (unsigned char)(0x80 >> ((count - 1) % 8));
    };
    for (char c : bits)
        bit(c == '1');
    for (unsigned char c : rest)
        for (int i = 7; i >= 0; --i)
            bit((c >> i) & 1);
    return out;
}

void field(Bytes& out, std::initializer_list<unsigned char> head, const unsigned char* data, size_t n)
{
    out.insert(out.end(), head);
    out.insert(out.end(), data, data + n);
}

Bytes segment(int compression, const Bytes& data)
{
    Bytes s = {0x70, 0x00, 0x91, 0x01, 0xFF, 0x94, 0x09, 0x00, 0x0B, 0xB8, 0x0B, 0xB8,
               (unsigned char)(kWidth >> 8), (unsigned char)kWidth, (unsigned char)(kHeight >> 8),
               (unsigned char)kHeight, 0x95, 0x02, (unsigned char)compression, 0x01};
    for (size_t at = 0; at < data.size(); at += 32000) {
        size_t n = std::min<size_t>(32000, data.size() - at);
        field(s, {0xFE, 0x92, (unsigned char)(n >> 8), (unsigned char)n}, data.data() + at, n);
    }
    field(s, {0x93, 0x00, 0x71, 0x00}, nullptr, 0);
    return s;
}

// The IOCA library's calls for one page; the decoded bits, or empty.
Bytes decodePage(const Bytes& seg)
{
    IOCAHandle* handle = nullptr;
    IOCATile* tile = nullptr;
    IOCADecodedImage* image = nullptr;
    Bytes bits;
    oioca_initialize(seg.data(), (uint32_t)seg.size(), 0, &handle);
    if (oioca_readHeader(handle) == 0 && oioca_getFirstTile(handle, &tile) == 0 &&
        oioca_readTileImageData(handle, tile) == 0 && oioca_decompress(handle, tile, &image) == 0) {
        bits.assign(image->block + 48, image->block + 48 + kRowBytes * kHeight);
        std::free(image->block);
        std::free(image);
    }
    oioca_finalize(&handle);
    return bits;
}

struct Fixture
{
    Bytes page = makePage();
    Bytes g4 = g4Strip(page, kHeight);
    Bytes g4Segment = segment(0x82, g4);
    Bytes mmrSegment = segment(0x01, ibmMMR(page));
};

const Fixture& fixture()
{
    static const Fixture f;
    return f;
}

void runPage(benchmark::State& state, const Bytes& seg, size_t coded)
{
    if (decodePage(seg) != fixture().page) {
        state.SkipWithError("the page does not decode to its rows");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(decodePage(seg));
    state.counters["coded_bytes"] = (double)coded;
    state.counters["pages/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}

void BM_IOCAPageG4(benchmark::State& state)
{
    TIFFSetWarningHandler(nullptr);
    runPage(state, fixture().g4Segment, fixture().g4.size());
}
BENCHMARK(BM_IOCAPageG4)->Unit(benchmark::kMillisecond);

void BM_IOCAPageIBMMMR(benchmark::State& state)
{
    runPage(state, fixture().mmrSegment, fixture().mmrSegment.size());
}
BENCHMARK(BM_IOCAPageIBMMMR)->Unit(benchmark::kMillisecond);

// The run decoder alone over the G4 strip, every row two-dimensional.
void BM_RunDecoderPageG4(benchmark::State& state)
{
    const Bytes& g4 = fixture().g4;
    Bytes out(kRowBytes * kHeight);
    uint64_t bytes = 0;
    for (auto _ : state) {
        int rc = qelIBMMMRDecoder_decompressG4MMR(g4.data(), (uint32_t)g4.size(), "G4", kWidth, kHeight, 1,
                                                  out.data(), &bytes);
        benchmark::DoNotOptimize(rc);
    }
    if (out != fixture().page)
        state.SkipWithError("the page does not decode to its rows");
    state.counters["pages/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunDecoderPageG4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
