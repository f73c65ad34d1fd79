#include "CxImage.h"

#include "CxImageBMP.h"
#include "CxImageDIB.h"
#include "CxImageGIF.h"
#include "CxImagePCX.h"
#include "CxImagePNG.h"
#include "CxMemFile.h"
#include "qelCxImageVersion.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
uint32_t formatFromSignature(CxFile* file)
{
    uint8_t head[8] = {};
    const int64_t at = file->Tell();
    const size_t n = file->Read(head, 1, sizeof head);
    file->Seek(at, SEEK_SET);
    if (n >= 2 && head[0] == 'B' && head[1] == 'M')
        return CXIMAGE_FORMAT_BMP;
    if (n >= 4 && std::memcmp(head, "GIF8", 4) == 0)
        return CXIMAGE_FORMAT_GIF;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n >= 8 && std::memcmp(head, png, 8) == 0)
        return CXIMAGE_FORMAT_PNG;
    if (n >= 1 && head[0] == 0x0A)
        return CXIMAGE_FORMAT_PCX;
    return CXIMAGE_FORMAT_UNKNOWN;
}
}

CxImage::CxImage(uint32_t type) : m_type(type) {}

CxImage::CxImage(CxFile* file, uint32_t format) : m_type(format)
{
    Decode(file, format);
}

void CxImage::SetLastError(const char* text)
{
    m_lastError = text ? text : "";
    if (m_lastError.size() > 255)
        m_lastError.resize(255);
}

bool CxImage::Decode(CxFile* file, uint32_t format)
{
    if (!file) {
        SetLastError("null file handler");
        return false;
    }
    // Every decode starts from the beginning of the file.
    if (!file->Seek(0, SEEK_SET)) {
        SetLastError("file not seekable");
        return false;
    }
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        format = formatFromSignature(file);
    return DecodeFormat(file, format);
}

bool CxImage::DecodeFormat(CxFile* file, uint32_t format)
{
    const int32_t frame = m_frame;
    Destroy();
    m_frame = frame;
    try {
        switch (format) {
        case CXIMAGE_FORMAT_BMP: CxImageBMP::Decode(*this, file); break;
        case CXIMAGE_FORMAT_GIF: CxImageGIF::Decode(*this, file); break;
        case CXIMAGE_FORMAT_PNG: CxImagePNG::Decode(*this, file); break;
        case CXIMAGE_FORMAT_PCX: CxImagePCX::Decode(*this, file); break;
        case QELIMG_DIB_FORMAT: CxImageDIB::Decode(*this, file); break;
        default: throw "Unsupported format";
        }
    } catch (const char* text) {
        if (m_escape == ESCAPE_DIMENSIONS && std::strcmp(text, "output dimensions returned") == 0)
            return true;
        SetLastError(text);
        m_pixels.clear();
        m_alpha.clear();
        return false;
    } catch (std::bad_alloc&) {
        SetLastError("Can't allocate memory");
        m_pixels.clear();
        m_alpha.clear();
        return false;
    }
    m_type = format;
    if (m_numFrames < 1)
        m_numFrames = 1;
    m_lastError.clear();
    return true;
}

bool CxImage::Encode(CxFile* file, uint32_t format)
{
    if (!file) {
        SetLastError("null file handler");
        return false;
    }
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    try {
        switch (format) {
        case CXIMAGE_FORMAT_BMP: CxImageBMP::Encode(*this, file); break;
        case CXIMAGE_FORMAT_GIF: CxImageGIF::Encode(*this, file); break;
        case CXIMAGE_FORMAT_PNG: CxImagePNG::Encode(*this, file); break;
        case CXIMAGE_FORMAT_PCX: CxImagePCX::Encode(*this, file); break;
        case QELIMG_DIB_FORMAT: CxImageDIB::Encode(*this, file); break;
        default: throw "Unsupported format";
        }
    } catch (const char* text) {
        SetLastError(text);
        return false;
    } catch (std::bad_alloc&) {
        SetLastError("Can't allocate memory");
        return false;
    }
    return true;
}

bool CxImage::Encode(uint8_t*& buffer, int32_t& size, uint32_t format)
{
    buffer = nullptr;
    size = 0;
    CxMemFile file;
    if (!Encode(&file, format))
        return false;
    if (file.Size() > INT32_MAX) {
        SetLastError("encoded image too large");
        return false;
    }
    size = static_cast<int32_t>(file.Size());
    buffer = file.GetBuffer(true);
    return true;
}

void CxImage::FreeMemory(void* memory)
{
    std::free(memory);
}

void* CxImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type)
{
    Destroy();
    if (width == 0 || height == 0) {
        SetLastError("CxImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    if (bpp <= 1)
        bpp = 1;
    else if (bpp <= 4)
        bpp = 4;
    else if (bpp <= 8)
        bpp = 8;
    else
        bpp = 24;
    const int64_t eff = ((static_cast<int64_t>(width) * bpp + 31) / 32) * 4;
    const int64_t bytes = eff * height;
    if (bytes > MAX_PIXEL_BYTES || static_cast<int64_t>(width) * height > MAX_PIXEL_BYTES) {
        SetLastError("CxImage::Create : image too large");
        return nullptr;
    }
    m_pixels.assign(static_cast<size_t>(bytes), 0);
    m_width = width;
    m_height = height;
    m_bpp = bpp;
    m_effWidth = static_cast<uint32_t>(eff);
    m_type = type;
    if (bpp <= 8)
        SetGrayPalette();
    return m_pixels.data();
}

void CxImage::Destroy()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_palette.clear();
    m_alpha.clear();
    m_alpha.shrink_to_fit();
    m_width = m_height = m_bpp = m_effWidth = 0;
    m_transIndex = -1;
    m_numFrames = 0;
    m_frame = 0;
    m_xdpi = m_ydpi = 0;
}

uint8_t* CxImage::GetBits(uint32_t row)
{
    if (m_pixels.empty() || row >= m_height)
        return nullptr;
    return m_pixels.data() + static_cast<size_t>(row) * m_effWidth;
}

void CxImage::SetPalette(const RGBQUAD* entries, uint32_t count)
{
    if (m_bpp == 0 || m_bpp > 8 || !entries)
        return;
    const uint32_t most = 1u << m_bpp;
    m_palette.assign(entries, entries + (count < most ? count : most));
}

void CxImage::SetGrayPalette()
{
    if (m_bpp == 0 || m_bpp > 8)
        return;
    const uint32_t count = 1u << m_bpp;
    m_palette.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / (count - 1));
        m_palette[i] = RGBQUAD{v, v, v, 0};
    }
}

uint8_t CxImage::GetNearestIndex(RGBQUAD c) const
{
    long best = -1;
    size_t index = 0;
    for (size_t i = 0; i < m_palette.size(); ++i) {
        const long db = long(m_palette[i].rgbBlue) - c.rgbBlue;
        const long dg = long(m_palette[i].rgbGreen) - c.rgbGreen;
        const long dr = long(m_palette[i].rgbRed) - c.rgbRed;
        const long d = db * db + dg * dg + dr * dr;
        if (best < 0 || d < best) {
            best = d;
            index = i;
            if (d == 0)
                break;
        }
    }
    return static_cast<uint8_t>(index);
}

RGBQUAD CxImage::GetTransColor() const
{
    if (m_transIndex >= 0 && static_cast<size_t>(m_transIndex) < m_palette.size())
        return m_palette[static_cast<size_t>(m_transIndex)];
    return RGBQUAD{0, 0, 0, 0};
}

bool CxImage::AlphaCreate()
{
    if (m_pixels.empty())
        return false;
    m_alpha.assign(static_cast<size_t>(m_width) * m_height, 255);
    return true;
}

uint8_t* CxImage::AlphaGetPointer(uint32_t x, uint32_t y)
{
    if (m_alpha.empty() || x >= m_width || y >= m_height)
        return nullptr;
    return m_alpha.data() + static_cast<size_t>(y) * m_width + x;
}

bool CxImage::AlphaSplit(CxImage* dest)
{
    if (!dest || m_alpha.empty())
        return false;
    if (!dest->Create(m_width, m_height, 8, 0))
        return false;
    for (uint32_t y = 0; y < m_height; ++y)
        std::memcpy(dest->GetBits(y), m_alpha.data() + static_cast<size_t>(y) * m_width, m_width);
    dest->SetXDPI(m_xdpi);
    dest->SetYDPI(m_ydpi);
    dest->SetNumFrames(1);
    m_alpha.clear();
    return true;
}

uint32_t CxImage::GetCodecOption(uint32_t format) const
{
    if (format == 0)
        format = m_type;
    return format == CXIMAGE_FORMAT_GIF ? m_gifOption : 0;
}

void CxImage::SetCodecOption(uint32_t option, uint32_t format)
{
    if (format == 0)
        format = m_type;
    if (format == CXIMAGE_FORMAT_GIF)
        m_gifOption = option;
}

double CxImage::GetVersionNumber()
{
    return kCxImageVersion;
}

bool CxImage::Flip()
{
    if (m_pixels.empty())
        return false;
    std::vector<uint8_t> row(m_effWidth);
    for (uint32_t y = 0; y < m_height / 2; ++y) {
        uint8_t* a = GetBits(y);
        uint8_t* b = GetBits(m_height - 1 - y);
        std::memcpy(row.data(), a, m_effWidth);
        std::memcpy(a, b, m_effWidth);
        std::memcpy(b, row.data(), m_effWidth);
    }
    if (!m_alpha.empty()) {
        std::vector<uint8_t> arow(m_width);
        for (uint32_t y = 0; y < m_height / 2; ++y) {
            uint8_t* a = AlphaGetPointer(0, y);
            uint8_t* b = AlphaGetPointer(0, m_height - 1 - y);
            std::memcpy(arow.data(), a, m_width);
            std::memcpy(a, b, m_width);
            std::memcpy(b, arow.data(), m_width);
        }
    }
    return true;
}
