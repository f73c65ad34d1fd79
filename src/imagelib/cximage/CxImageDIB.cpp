#include "CxImageDIB.h"

#include "CxFile.h"
#include "CxImage.h"
#include "qelImgDIBUtils.h"

#include <cstring>
#include <vector>

bool CxImageDIB::ReadDIBHeader(CxFile* file, qelImgDIBHeader& header)
{
    if (file->Read(&header, 1, sizeof header) != sizeof header)
        return false;
    // Checked on every host: a header of another size is not one of ours.
    if (header.biSize != 40)
        throw "Not a DIB file";
    if (header.biSizeImage == 0 && header.biWidth > 0) {
        const int64_t stride = ((int64_t(header.biBitCount) * header.biWidth + 31) / 32) * 4;
        const int64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
        header.biSizeImage = stride > 0 && rows > 0 && stride <= UINT32_MAX / rows
                                 ? static_cast<uint32_t>(stride * rows)
                                 : 0;
    }
    if (header.biClrUsed == 0 && header.biBitCount <= 8)
        header.biClrUsed = 1u << header.biBitCount;
    return true;
}

void CxImageDIB::Decode(CxImage& image, CxFile* file)
{
    qelImgDIBHeader header;
    if (!ReadDIBHeader(file, header))
        throw "Error reading DIB Header info";
    const bool upward = header.biHeight < 0;
    const int64_t height = upward ? -int64_t(header.biHeight) : header.biHeight;
    const int64_t width = header.biWidth;
    const uint32_t bits = header.biBitCount;
    if (width <= 0 || height <= 0)
        throw "DIB: invalid image size";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        throw "DIB: unsupported bits per pixel";
    if (image.GetEscape() == CxImage::ESCAPE_DIMENSIONS)
        throw "output dimensions returned";
    const int64_t rowLength = (width * bits + 7) / 8;
    // The colour table: at most 2^bits entries for the table depths, and
    // never past the block.
    int64_t entries = header.biClrUsed;
    if (bits <= 8 && entries > (int64_t(1) << bits))
        entries = int64_t(1) << bits;
    const int64_t remaining = file->Remaining();
    if (entries * 4 > remaining)
        throw "DIB: colour table beyond the data";
    if (rowLength * height > remaining - entries * 4)
        throw "DIB: pixel data too short";
    if (!image.Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bits == 32 ? 24 : bits,
                      QELIMG_DIB_FORMAT))
        throw "Can't allocate memory";
    image.SetXDPI(static_cast<int32_t>((int64_t(header.biXPelsPerMeter) * 254 + 5000) / 10000));
    image.SetYDPI(static_cast<int32_t>((int64_t(header.biYPelsPerMeter) * 254 + 5000) / 10000));
    std::vector<RGBQUAD> table(static_cast<size_t>(entries));
    if (entries > 0 && file->Read(table.data(), 4, table.size()) != table.size())
        throw "DIB: colour table beyond the data";
    for (RGBQUAD& entry : table)
        entry.rgbReserved = 0;
    if (bits <= 8 && !table.empty())
        image.SetPalette(table.data(), static_cast<uint32_t>(table.size()));
    std::vector<uint8_t> row(static_cast<size_t>(rowLength));
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
    const auto h = static_cast<uint32_t>(height);
    const auto w = static_cast<int>(width);
    for (uint32_t y = 0; y < h; ++y) {
        if (file->Read(row.data(), 1, row.size()) != row.size())
            throw "DIB: pixel data too short";
        uint8_t* out = image.GetBits(y);
        if (bits != 32) {
            std::memcpy(out, row.data(), row.size());
            continue;
        }
        qelImgDIBUtils::cmykToRGBPixels(row.data(), rgb.data(), w);
        for (int x = 0; x < w; ++x) {
            out[3 * x] = rgb[3 * size_t(x) + 2];
            out[3 * x + 1] = rgb[3 * size_t(x) + 1];
            out[3 * x + 2] = rgb[3 * size_t(x)];
        }
    }
    if (upward)
        image.Flip();
}

void CxImageDIB::Encode(CxImage& image, CxFile* file)
{
    qelImgDIBHeader header;
    std::memset(&header, 0, sizeof header);
    const uint64_t imageSize = uint64_t(image.GetEffWidth()) * image.GetHeight();
    if (imageSize > UINT32_MAX)
        throw "DIB: image too large";
    header.biSize = 40;
    header.biWidth = static_cast<int32_t>(image.GetWidth());
    header.biHeight = static_cast<int32_t>(image.GetHeight());
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(image.GetBpp());
    header.biSizeImage = static_cast<uint32_t>(imageSize);
    header.biXPelsPerMeter = static_cast<int32_t>(int64_t(image.GetXDPI()) * 10000 / 254);
    header.biYPelsPerMeter = static_cast<int32_t>(int64_t(image.GetYDPI()) * 10000 / 254);
    header.biClrUsed = image.GetBpp() <= 8 ? image.GetNumColors() : 0;
    if (file->Write(&header, 1, sizeof header) != sizeof header)
        throw "DIB: write failed";
    if (header.biClrUsed && file->Write(image.GetPalette(), sizeof(RGBQUAD), header.biClrUsed) != header.biClrUsed)
        throw "DIB: write failed";
    if (file->Write(image.GetBits(0), 1, static_cast<size_t>(imageSize)) != imageSize)
        throw "DIB: write failed";
}
