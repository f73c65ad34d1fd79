#include "CxImageGIF.h"

#include "CxFile.h"
#include "CxImage.h"

#include <gif_lib.h>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace
{
constexpr int64_t kMaxInput = int64_t(1) << 30;

struct Source
{
    const uint8_t* data;
    size_t size;
    size_t at;
};

int readGif(GifFileType* gif, GifByteType* out, int count)
{
    auto* s = static_cast<Source*>(gif->UserData);
    if (count <= 0)
        return 0;
    const size_t n = s->size - s->at < static_cast<size_t>(count) ? s->size - s->at : static_cast<size_t>(count);
    std::memcpy(out, s->data + s->at, n);
    s->at += n;
    return static_cast<int>(n);
}

int writeGif(GifFileType* gif, const GifByteType* in, int count)
{
    auto* file = static_cast<CxFile*>(gif->UserData);
    return count > 0 ? static_cast<int>(file->Write(in, 1, static_cast<size_t>(count))) : 0;
}

struct Decoder
{
    GifFileType* gif = nullptr;
    ~Decoder()
    {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

struct Encoder
{
    GifFileType* gif = nullptr;
    ColorMapObject* map = nullptr;
    ~Encoder()
    {
        int error = 0;
        if (gif)
            EGifCloseFile(gif, &error);
        if (map)
            GifFreeMapObject(map);
    }
};

// False when the data are damaged.
bool skipImage(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

void putIndex(uint8_t* row, uint32_t x, uint32_t bpp, uint8_t v)
{
    if (bpp == 8)
        row[x] = v;
    else if (bpp == 4)
        row[x / 2] |= static_cast<uint8_t>((x & 1) ? v & 0x0F : (v & 0x0F) << 4);
    else if (v & 1)
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

uint8_t getIndex(const uint8_t* row, uint32_t x, uint32_t bpp)
{
    if (bpp == 8)
        return row[x];
    if (bpp == 4)
        return static_cast<uint8_t>((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
    return static_cast<uint8_t>((row[x / 8] >> (7 - x % 8)) & 1);
}

void decodeFrame(CxImage& image, GifFileType* gif, int transparent, int64_t remaining)
{
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0)
        throw "GIF: invalid image size";
    const int64_t pixels = int64_t(d.Width) * d.Height;
    if (pixels > (remaining + 64) * 2048)
        throw "GIF: image larger than its data";
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    const int colours = map ? map->ColorCount : 256;
    const uint32_t bpp = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    if (image.GetEscape() == CxImage::ESCAPE_DIMENSIONS)
        throw "output dimensions returned";
    const auto w = static_cast<uint32_t>(d.Width);
    const auto h = static_cast<uint32_t>(d.Height);
    if (!image.Create(w, h, bpp, CXIMAGE_FORMAT_GIF))
        throw "Can't allocate memory";
    if (map && map->Colors) {
        std::vector<RGBQUAD> table(static_cast<size_t>(colours));
        for (int i = 0; i < colours; ++i)
            table[static_cast<size_t>(i)] =
                RGBQUAD{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
        image.SetPalette(table.data(), static_cast<uint32_t>(colours));
    }
    std::vector<GifPixelType> line(w);
    const uint32_t mask = (1u << bpp) - 1;
    auto readRow = [&](uint32_t y) {
        if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR)
            throw "GIF: image data damaged";
        uint8_t* out = image.GetBits(h - 1 - y);
        for (uint32_t x = 0; x < w; ++x)
            putIndex(out, x, bpp, static_cast<uint8_t>(line[x] & mask));
    };
    if (d.Interlace) {
        static const uint32_t first[4] = {0, 4, 2, 1};
        static const uint32_t step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (uint32_t y = first[pass]; y < h; y += step[pass])
                readRow(y);
    } else {
        for (uint32_t y = 0; y < h; ++y)
            readRow(y);
    }
    if (transparent >= 0 && static_cast<uint32_t>(transparent) <= mask)
        image.SetTransIndex(transparent);
}

// A table of at most 256 colours for 24-bit pixels: exact when they have
// that few (greys always), else a 3-3-2 cube.
std::vector<RGBQUAD> quantise(CxImage& image, std::vector<uint8_t>& indices)
{
    const uint32_t w = image.GetWidth();
    const uint32_t h = image.GetHeight();
    std::unordered_map<uint32_t, uint8_t> seen;
    std::vector<RGBQUAD> table;
    bool exact = true;
    for (uint32_t y = 0; y < h && exact; ++y) {
        const uint8_t* row = image.GetBits(y);
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t key = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
            if (seen.count(key))
                continue;
            if (table.size() == 256) {
                exact = false;
                break;
            }
            seen.emplace(key, static_cast<uint8_t>(table.size()));
            table.push_back(RGBQUAD{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0});
        }
    }
    if (!exact) {
        table.resize(256);
        for (uint32_t i = 0; i < 256; ++i)
            table[i] = RGBQUAD{static_cast<uint8_t>((i & 3) * 85), static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                               static_cast<uint8_t>((i >> 5) * 255 / 7), 0};
    }
    indices.resize(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = image.GetBits(h - 1 - y);
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
            indices[static_cast<size_t>(y) * w + x] =
                exact ? seen[static_cast<uint32_t>(b | g << 8 | r << 16)]
                      : static_cast<uint8_t>((r >> 5) << 5 | (g >> 5) << 2 | b >> 6);
        }
    }
    return table;
}
}

void CxImageGIF::Decode(CxImage& image, CxFile* file)
{
    const int64_t size = file->Remaining();
    if (size <= 0 || size > kMaxInput)
        throw "GIF: invalid file size";
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (file->Read(data.data(), 1, data.size()) != data.size())
        throw "GIF: read failed";
    Source source{data.data(), data.size(), 0};
    int error = 0;
    Decoder decoder;
    decoder.gif = DGifOpen(&source, readGif, &error);
    if (!decoder.gif)
        throw "GIF: not a GIF file";
    GifFileType* gif = decoder.gif;
    const int32_t wanted = image.GetFrame();
    int32_t frames = 0;
    int transparent = -1;
    bool decoded = false;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            break;
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                break;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            bool damaged = false;
            while (block && !damaged)
                damaged = DGifGetExtensionNext(gif, &block) == GIF_ERROR;
            if (damaged)
                break;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            break;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        if (frames == wanted) {
            decodeFrame(image, gif, transparent, static_cast<int64_t>(source.size - source.at));
            decoded = true;
        } else if (!skipImage(gif)) {
            break;
        }
        transparent = -1;
        ++frames;
    }
    if (!decoded) {
        image.Destroy();
        throw frames == 0 ? "GIF: no image" : "GIF: no such frame";
    }
    image.SetNumFrames(frames);
    image.SetFrame(wanted);
}

void CxImageGIF::Encode(CxImage& image, CxFile* file)
{
    const uint32_t w = image.GetWidth();
    const uint32_t h = image.GetHeight();
    if (w > 65535 || h > 65535)
        throw "GIF: image too large";
    const uint32_t bpp = image.GetBpp();
    std::vector<uint8_t> indices;
    std::vector<RGBQUAD> table;
    if (bpp == 24) {
        table = quantise(image, indices);
    } else {
        const RGBQUAD* p = image.GetPalette();
        if (p)
            table.assign(p, p + image.GetNumColors());
        indices.resize(static_cast<size_t>(w) * h);
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* row = image.GetBits(h - 1 - y);
            for (uint32_t x = 0; x < w; ++x)
                indices[static_cast<size_t>(y) * w + x] = getIndex(row, x, bpp);
        }
    }
    int count = 2;
    int bits = 1;
    while (count < static_cast<int>(table.size()) || count < (bpp <= 8 ? 1 << bpp : 2)) {
        count <<= 1;
        ++bits;
    }
    std::vector<GifColorType> colours(static_cast<size_t>(count), GifColorType{0, 0, 0});
    for (size_t i = 0; i < table.size(); ++i)
        colours[i] = GifColorType{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
    Encoder encoder;
    encoder.map = GifMakeMapObject(count, colours.data());
    if (!encoder.map)
        throw "Can't allocate memory";
    int error = 0;
    encoder.gif = EGifOpen(file, writeGif, &error);
    if (!encoder.gif)
        throw "GIF: cannot start the encoder";
    GifFileType* gif = encoder.gif;
    const int32_t transparent = bpp <= 8 ? image.GetTransIndex() : -1;
    if (transparent >= 0)
        EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, static_cast<int>(w), static_cast<int>(h), bits, 0, encoder.map) == GIF_ERROR)
        throw "GIF: write failed";
    if (transparent >= 0) {
        const GifByteType gcb[4] = {1, 0, 0, static_cast<GifByteType>(transparent)};
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gcb) == GIF_ERROR)
            throw "GIF: write failed";
    }
    if (EGifPutImageDesc(gif, 0, 0, static_cast<int>(w), static_cast<int>(h), false, nullptr) == GIF_ERROR)
        throw "GIF: write failed";
    for (uint32_t y = 0; y < h; ++y)
        if (EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * w, static_cast<int>(w)) == GIF_ERROR)
            throw "GIF: write failed";
    const int closed = EGifCloseFile(gif, &error);
    encoder.gif = nullptr;
    if (closed == GIF_ERROR)
        throw "GIF: write failed";
}
