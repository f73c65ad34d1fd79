#include "qelImgUtils.h"
#include "qelImgAFPIOCAEncoder.h"
#include "qelImgAFPOlyEncoder.h"

#include "qelImgCCITTEncoder.h"
#include "qelImgCxEncoder.h"
#include "qelImgDIBEncoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgException.h"
#include "qelImgFlateEncoder.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFEncoder.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelString.h"
#include "qelUtils.h"

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace
{
// Begin Segment, then Begin Image Content with an IOCA object type.
bool hasIOCASignature(const unsigned char* d, unsigned int n)
{
    if (n <= 4 || d[0] != 0x70 || d[1] > 4)
        return false;
    unsigned int at = d[1] + 2u;
    return at + 2 < n && d[at] == 0x91 && d[at + 1] == 0x01 && d[at + 2] == 0xFF;
}

// A bitmap information header without file header.
bool isDIB(const unsigned char* d, unsigned int n)
{
    return n >= 40 && d[0] == 40 && d[1] == 0 && d[2] == 0 && d[3] == 0;
}

bool isGIF(const unsigned char* d, unsigned int n)
{
    return n >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8';
}

bool isBMP(const unsigned char* d, unsigned int n)
{
    if (n <= 13)
        return false;
    return (d[0] == 'B' && d[1] == 'M') || (d[0] == 'I' && d[1] == 'C') || (d[0] == 'P' && d[1] == 'T');
}

bool isPCX(const unsigned char* d, unsigned int n)
{
    return n >= 1 && d[0] == 0x0A;
}

bool isPNG(const unsigned char* d, unsigned int n)
{
    return n >= 8 && d[0] == 0x89 && std::toupper(d[1]) == 'P' && std::toupper(d[2]) == 'N'
           && std::toupper(d[3]) == 'G' && d[4] == 0x0D && d[5] == 0x0A && d[6] == 0x1A && d[7] == 0x0A;
}
}

int qelImgUtils::getImageTypeFromBuffer(const unsigned char* data, unsigned int length)
{
    if (!data)
        return TYPE_UNKNOWN;
    if (qelImgTIFFDecoder::hasTIFFSignature(data, length))
        return TYPE_TIFF;
    if (qelImgJPEGDecoder::hasJPEGSignature(data, length))
        return TYPE_JPEG;
    if (hasIOCASignature(data, length))
        return TYPE_IOCA;
    if (isDIB(data, length))
        return TYPE_DIB;
    if (isGIF(data, length))
        return TYPE_GIF;
    if (isBMP(data, length))
        return TYPE_BMP;
    if (isPCX(data, length))
        return TYPE_PCX;
    if (isPNG(data, length))
        return TYPE_PNG;
    return TYPE_UNKNOWN;
}

const char* qelImgUtils::getEncodeTypeName(int type)
{
    static const char* const names[] = {
        "TIFF UNCOMPRESSED", nullptr,       "TIFF G3 1D",  "TIFF G3 2D", "TIFF G4",   "TIFF JPEG",
        "TIFF LZW",          "TIFF PACKBITS", "JPEG",      "BMP",        "DIB",       "CCITT G3",
        "CCITT G4",          "ICOA",        "IOCA IBM MMR", "IOCA UNCOMPRESSED", "ICOA RL4", nullptr,
        nullptr,             nullptr,       nullptr,       "IOCA TIFF LZW", "ICOA G3MH", "IOCA G3MR",
        "IOCA G4",           "IOCA JPEG",   "AFP OLY",     "PNG",        "GIF",       "PCX",
        "Flate",             "Unknown",
    };
    if (type < 0 || type >= static_cast<int>(sizeof names / sizeof names[0]) || !names[type])
        return "Unhandled";
    return names[type];
}

namespace
{
template <size_t N>
const char* nameAt(const char* const (&names)[N], int index, const char* fallback)
{
    if (index < 0 || index >= static_cast<int>(N) || !names[index])
        return fallback;
    return names[index];
}

char* newText(const char* begin, size_t length)
{
    char* text = new char[length + 1];
    std::memcpy(text, begin, length);
    text[length] = '\0';
    return text;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

const unsigned char kEbcdic[128] = {
    0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x15, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
    0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xAD, 0xE0, 0xBD, 0x5F, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1, 0x07,
};

int rounded(double x)
{
    return static_cast<int>(x + 0.5);
}
}

int qelImgUtils::getImageTypeFromFile(const char* path)
{
    FILE* file = std::fopen(path ? path : "", "rb");
    if (!file) {
        int error = errno;
        throw new qelImgException(__FILE__, __LINE__, 18, 0, true, path ? path : "(null)", error,
                                  std::strerror(error));
    }
    unsigned char head[100];
    size_t n = std::fread(head, 1, sizeof head, file);
    int error = errno;
    std::fclose(file);
    if (n == 0)
        throw new qelImgException(__FILE__, __LINE__, 7, 0, true, path, error, std::strerror(error));
    return getImageTypeFromBuffer(head, static_cast<unsigned int>(n));
}

qelImgEncoder* qelImgUtils::createEncoder(int type, qelImgIOStream* stream)
{
    qelImgEncoder* encoder = nullptr;
    switch (type) {
    case QELIMG_ENCODE_JPEG: encoder = new qelImgJPEGEncoder(stream); break;
    case QELIMG_ENCODE_BMP: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_BMP); break;
    case QELIMG_ENCODE_DIB: encoder = new qelImgDIBEncoder(stream); break;
    case QELIMG_ENCODE_CCITT_G3:
    case QELIMG_ENCODE_CCITT_G4: encoder = new qelImgCCITTEncoder(stream); break;
    case QELIMG_ENCODE_PNG: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_PNG); break;
    case QELIMG_ENCODE_GIF: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_GIF); break;
    case QELIMG_ENCODE_PCX: encoder = new qelImgCxEncoder(stream, QELIMG_IMAGETYPE_PCX); break;
    case QELIMG_ENCODE_FLATE: encoder = new qelImgFlateEncoder(stream); break;
    case QELIMG_ENCODE_IOCA:
    case QELIMG_ENCODE_IOCA_G3MH:
    case QELIMG_ENCODE_IOCA_G3MR:
    case QELIMG_ENCODE_IOCA_G4:
    case QELIMG_ENCODE_IOCA_JPEG: encoder = new qelImgAFPIOCAEncoder(stream); break;
    case QELIMG_ENCODE_AFP_OLY: encoder = new qelImgAFPOlyEncoder(stream); break;
    case QELIMG_ENCODE_TIFF_UNCOMPRESSED:
    case QELIMG_ENCODE_TIFF_G3_1D:
    case QELIMG_ENCODE_TIFF_G3_2D:
    case QELIMG_ENCODE_TIFF_G4:
    case QELIMG_ENCODE_TIFF_JPEG:
    case QELIMG_ENCODE_TIFF_LZW:
    case QELIMG_ENCODE_TIFF_PACKBITS: encoder = new qelImgTIFFEncoder(stream); break;
    default: throw new qelImgException(__FILE__, __LINE__, 50, 0, true, getEncodeTypeName(type));
    }
    encoder->setEncodeType(type);
    return encoder;
}

int qelImgUtils::getImageType(int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "getImageType( int iFileDescPar)", "qelImgUtils");
}

const char* qelImgUtils::getImageTypeName(int type)
{
    static const char* const names[] = {nullptr, nullptr, "JPEG", "TIFF", "IOCA", "DIB", "BMP",
                                        nullptr, nullptr, "Raw",  "PNG",  nullptr, "PCX", "GIF"};
    return nameAt(names, type, "Unhandled");
}

const char* qelImgUtils::getCompressionName(int compression)
{
    static const char* const names[] = {
        "Uncompressed", "G3 1D",       "G3 2D",       "G4",          "IBM MMR",    "IOCA RL4",
        "IOCA  ABIC",   "IOCA  ABIC CONCAT", "IOCA  OS2 COLOR", "JPEG", "OLD JPEG", "LZW",
        "PACK BITS",    "PNG",         "RLE8",        "GIF",         "PCX",        "BMP",
        "RLE4",         nullptr,       "CCITTRLE",    "CCITTRLEW",   "IT8CTPAD",   "IT8LW",
        "IT8MP",        "IT8BL",       "PIXARFILM",   "PIXARLOG",    "DEFLATE",    "ADOBE_DEFLATE",
        "THUNDERSCAN",  "NEXT",        "DCS",         "JBIG",        "SGILOG",     "SGILOG24",
        "JP2000",
    };
    return nameAt(names, compression, "Unhandled");
}

const char* qelImgUtils::getPhotometricName(int photometric)
{
    static const char* const names[] = {"White is Zero", "Black is Zero", "RGB",   "Palette", "Mask",  "CMYK",
                                        "YCbCr",         nullptr,         "CIELAB", "ICCLAB", "ITULAB"};
    if (photometric == 32844)
        return "LOGL";
    if (photometric == 32845)
        return "LOGLUV";
    return nameAt(names, photometric, "Unknown");
}

const char* qelImgUtils::getColorSpaceName(int colorSpace)
{
    static const char* const names[] = {"GrayScale", "RGB", "CMYK"};
    return nameAt(names, colorSpace, "Unknown");
}

const char* qelImgUtils::getParameterName(int parameter)
{
    static const char* const names[] = {
        "DecodePaletteAsRGB", "FillOrder", "ColorSpace", "JPEGQuality", "XResolution", "YResolution",
        "SFIWith5A", "Write IOCA Image With Wrapper SFIs", nullptr, nullptr, "Creator", nullptr, nullptr, nullptr,
        nullptr, "Output Width", "Photometric information", "Output Height", "Byte Align Data",
        "Zlib Compression Level", "Zlib Compression Method", "Zlib Strategy", "Zlib Window Bits",
        "Zlib Mem Level", "DITHER Method", "Threshold value", "Skip Grayscaling for dither", "Swap RGB2BGR",
        "ConvertCMYKToRGB", "Ignore Decompression Error", "FlipImage", "Resize Filter", "Transparent",
        "Transparent Color Index", "Transparent Color", "Fill Data with Grayscale Value",
    };
    return nameAt(names, parameter, "Unknown paramter");
}

const char* qelImgUtils::getResizeFilterKeyword(int filter)
{
    static const char* const names[] = {"NONE",      "NEAREST_NEIGHBOUR", "BILINEAR", "BSPLINE",  "BICUBIC",
                                        "BICUBIC2",  "LANCZOS",           "BOX",      "HERMITE",  "HAMMING",
                                        "SINC",      "BLACKMAN",          "BESSEL",   "GAUSSIAN", "QUADRATIC",
                                        "MITCHELL",  "CATROM",            "NEARESTPIXEL"};
    return nameAt(names, filter, "");
}

const char* qelImgUtils::getResizeFilterName(int filter)
{
    static const char* const names[] = {"None",     "Nearest Neighbour", "Bilinear", "Bspline",  "Bicubic",
                                        "Bicubic2", "Lanczos",           "Box",      "Hermite",  "Hamming",
                                        "Sinc",     "Blackman",          "Bessel",   "Gaussian", "Quadratic",
                                        "Mitchell", "Catrom",            "NearestPixel", "End"};
    return nameAt(names, filter, "");
}

const char* qelImgUtils::getTransparencyKindName(int kind)
{
    static const char* const names[] = {nullptr, "Binary", "Alpha", "Mask"};
    return nameAt(names, kind, "none");
}

const char* qelImgUtils::getTIFFLibraryVersion()
{
    // The library answers several lines; the first names it.
    static std::string version;
    if (version.empty()) {
        const char* text = TIFFGetVersion();
        version = text ? text : "";
        version = version.substr(0, version.find_first_of("\r\n"));
    }
    return version.c_str();
}

qelImgInfo* qelImgUtils::createInfoFromDIBHeader(const qelImgDIBHeader* header)
{
    auto* info = new qelImgInfo();
    if (!header)
        return info;
    info->type = TYPE_DIB;
    info->width = header->biWidth;
    info->height = header->biHeight;
    info->compression = 0;
    int bits = header->biBitCount;
    info->bitsPerPixel = bits;
    if (bits < 8) {
        info->bitsPerSample = bits;
        info->samplesPerPixel = 1;
    } else {
        info->samplesPerPixel = bits / 8;
        info->bitsPerSample = bits / info->samplesPerPixel;
    }
    info->xResolution = roundHalfUp(static_cast<float>(header->biXPelsPerMeter / 39.37));
    info->yResolution = roundHalfUp(static_cast<float>(header->biYPelsPerMeter / 39.37));
    info->colorCount = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    return info;
}

void qelImgUtils::setDefaultParameters(qelImgParamValue* table)
{
    if (!table)
        return;
    static const int defaults[] = {0, 1, 1, 50, 300, 300, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, -1, 8, 0, 15, 9, 4, 128, 0, 0, 0, 1, 0, 15, 0, -1, 0, 1};
    for (int i = 0; i < 36; ++i)
        table[i].setInt(defaults[i]);
    table[20].setByte(8);
    table[30].setByte(0);
    table[32].setByte(0);
    table[8].setText(qelImgProcessor::getCopyright());
    table[9].setText(qelImgProcessor::getSoftwareName());
    table[10].setText(qelImgProcessor::getArtist());
    table[11].setText(qelImgProcessor::getKeywords());
    table[12].setText(qelImgProcessor::getSubject());
    table[13].setText(qelImgProcessor::getAuthor());
    table[14].setText(qelImgProcessor::getTitle());
}

char* qelImgUtils::getDefaultTempDirectory()
{
    return qelUtils::getTempDirectory();
}

void qelImgUtils::toForwardSlashes(char* text)
{
    for (; text && *text; ++text)
        if (*text == '\\')
            *text = '/';
}

char* qelImgUtils::getBaseName(const char* path, bool keepExtension)
{
    return qelUtils::getBaseName(path, keepExtension);
}

char* qelImgUtils::stripEnclosing(const char* text, char c)
{
    if (!text || !*text)
        return nullptr;
    size_t begin = text[0] == c ? 1 : 0;
    size_t end = std::strlen(text);
    if (end > begin && text[end - 1] == c)
        --end;
    return newText(text + begin, end - begin);
}

char* qelImgUtils::copyPath(char* old, const char* path, int extra)
{
    delete[] old;
    if (!path)
        return nullptr;
    char* stripped = stripEnclosing(path, '"');
    size_t length = stripped ? std::strlen(stripped) : 0;
    char* copy = new char[length + static_cast<size_t>(std::max(extra, 0)) + 1]();
    if (stripped)
        std::memcpy(copy, stripped, length);
    delete[] stripped;
    return copy;
}

void qelImgUtils::appendSlash(char* text)
{
    if (!text)
        return;
    size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '/') {
        text[n] = '/';
        text[n + 1] = '\0';
    }
}

void qelImgUtils::appendSlash(qelString* text)
{
    if (!text)
        return;
    int n = text->getLength();
    if (n == 0 || !text->getBuffer() || text->getBuffer()[n - 1] != '/')
        text->append("/");
}

mode_t qelImgUtils::getFileMode(const char* path)
{
    if (!path || !*path)
        return 0;
    std::string lookup(path);
    if (lookup.size() > 1 && lookup.back() == '/')
        lookup.pop_back();
    struct stat st;
    if (stat(lookup.c_str(), &st) != 0)
        return 0;
    return st.st_mode;
}

bool qelImgUtils::isDirectory(const char* path) { return S_ISDIR(getFileMode(path)); }
bool qelImgUtils::isRegularFile(const char* path) { return S_ISREG(getFileMode(path)); }
bool qelImgUtils::isWritable(const char* path) { return (getFileMode(path) & S_IWUSR) != 0; }

long long qelImgUtils::getFileSize(const char* path)
{
    struct stat st;
    if (!isRegularFile(path) || stat(path, &st) != 0)
        return 0;
    return st.st_size;
}

int qelImgUtils::readFile(const char* path, unsigned char** data, unsigned int* length)
{
    if (!data || !length)
        return -1;
    *data = nullptr;
    *length = 0;
    long long size = getFileSize(path);
    if (size <= 0 || size > 0xFFFFFFFFLL)
        return -1;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    auto* bytes = new unsigned char[static_cast<size_t>(size)];
    size_t n = std::fread(bytes, 1, static_cast<size_t>(size), file);
    std::fclose(file);
    if (n != static_cast<size_t>(size)) {
        delete[] bytes;
        return -1;
    }
    *data = bytes;
    *length = static_cast<unsigned int>(size);
    return 1;
}

int qelImgUtils::writeFile(const char* path, const void* data, unsigned int length)
{
    FILE* file = path ? std::fopen(path, "wb") : nullptr;
    if (!file)
        return -1;
    size_t n = length ? std::fwrite(data, 1, length, file) : 0;
    bool closed = std::fclose(file) == 0;
    return n == length && closed ? 1 : -1;
}

void qelImgUtils::getTempFileName(char* buffer)
{
    const char* dir = qelImgProcessor::getTempDirectory();
    std::snprintf(buffer, 512, "%soilXXXXXX", dir ? dir : "/tmp/");
    int fd = ::mkstemp(buffer);
    if (fd >= 0)
        ::close(fd);
    toForwardSlashes(buffer);
}

void qelImgUtils::trimLeft(char* text)
{
    if (!text)
        return;
    char* start = text;
    while (isBlank(*start))
        ++start;
    if (start != text)
        std::memmove(text, start, std::strlen(start) + 1);
}

void qelImgUtils::trimRight(char* text)
{
    if (!text)
        return;
    size_t n = std::strlen(text);
    while (n > 0 && isBlank(text[n - 1]))
        text[--n] = '\0';
}

void qelImgUtils::trim(char* text)
{
    trimRight(text);
    trimLeft(text);
}

char* qelImgUtils::readLine(FILE* file, char* buffer, int size, bool skipComments)
{
    while (std::fgets(buffer, size, file)) {
        if (!skipComments || buffer[0] != ';')
            return buffer;
    }
    if (size > 0)
        buffer[0] = '\0';
    return nullptr;
}

bool qelImgUtils::equalsIgnoreCase(const char* a, const char* b)
{
    return a && b && strcasecmp(a, b) == 0;
}

char* qelImgUtils::substring(const char* text, int start, int end)
{
    if (!text || start < 0 || end < start || static_cast<size_t>(end) >= std::strlen(text))
        return nullptr;
    return newText(text + start, static_cast<size_t>(end - start + 1));
}

char* qelImgUtils::substringByPointers(const char* text, const char* from, const char* to)
{
    if (!text || !from)
        return nullptr;
    const char* last = text + std::strlen(text);
    if (from < text || from > last || (to && (to < from || to >= last)))
        return nullptr;
    return newText(from, to ? static_cast<size_t>(to - from + 1) : static_cast<size_t>(last - from));
}

bool qelImgUtils::isNumeric(const char* text)
{
    if (!text || !*text)
        return false;
    for (; *text; ++text)
        if (!std::isdigit(static_cast<unsigned char>(*text)) && *text != '.' && *text != '-')
            return false;
    return true;
}

int qelImgUtils::hexDigitValue(char c)
{
    return qelUtils::hexDigitValue(c);
}

int qelImgUtils::hexToInt(const char* text)
{
    return qelUtils::hexToInt(text);
}

bool qelImgUtils::findSection(const char* name, FILE* file)
{
    if (!name || !file)
        return false;
    std::rewind(file);
    char line[128];
    while (std::fgets(line, sizeof line, file)) {
        if (line[0] == ';')
            continue;
        trim(line);
        size_t n = std::strlen(line);
        if (n < 2 || line[0] != '[' || line[n - 1] != ']')
            continue;
        line[n - 1] = '\0';
        if (equalsIgnoreCase(line + 1, name))
            return true;
    }
    return false;
}

char* qelImgUtils::getKey(char* line)
{
    if (!line)
        return nullptr;
    trim(line);
    const char* equals = std::strchr(line, '=');
    if (!*line || line[0] == ';' || !equals)
        return nullptr;
    return newText(line, static_cast<size_t>(equals - line));
}

bool qelImgUtils::isKey(char* line, const char* name)
{
    char* key = getKey(line);
    trim(key);
    bool same = equalsIgnoreCase(key, name);
    delete[] key;
    return same;
}

char* qelImgUtils::getValueField(const char* line, int n, char separator)
{
    if (!line || !*line || line[0] == ';' || n < 1)
        return nullptr;
    const char* field = std::strchr(line, '=');
    if (!field)
        return nullptr;
    ++field;
    for (int i = 1; i < n; ++i) {
        field = std::strchr(field, separator);
        if (!field)
            return nullptr;
        ++field;
    }
    const char* end = std::strchr(field, separator);
    return newText(field, end ? static_cast<size_t>(end - field) : std::strlen(field));
}

unsigned char* qelImgUtils::toEBCDIC(const char* text)
{
    if (!text || !*text)
        return nullptr;
    size_t n = std::strlen(text);
    auto* out = new unsigned char[n];
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        out[i] = c < 0x80 ? kEbcdic[c] : 0xFF;
    }
    return out;
}

char* qelImgUtils::getCurrentDate()
{
    char* text = new char[128]();
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(text, 128, "%Y/%m/%d", &local);
    return text;
}

void qelImgUtils::getDateTime(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    if (std::strftime(buffer, static_cast<size_t>(size), "%d.%m.%Y %H:%M:%S", &local) == 0)
        buffer[0] = '\0';
}

bool qelImgUtils::isDateBeforeToday(const char* date)
{
    if (!date)
        return false;
    int parts[3] = {0, 0, 0};
    std::string text(date);
    size_t at = 0;
    for (int i = 0; i < 3 && at <= text.size(); ++i) {
        size_t dot = text.find('.', at);
        std::string part = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        parts[i] = isNumeric(part.c_str()) ? std::atoi(part.c_str()) : 0;
        if (dot == std::string::npos)
            break;
        at = dot + 1;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int today[3] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    int given[3] = {parts[2], parts[1], parts[0]};
    for (int i = 0; i < 3; ++i)
        if (given[i] != today[i])
            return given[i] < today[i];
    return false;
}

long long qelImgUtils::diffMilliseconds(const TimeStamp& a, const TimeStamp& b)
{
    return (b.seconds - a.seconds) * 1000 + b.milliseconds - a.milliseconds;
}

int qelImgUtils::roundHalfUp(float x)
{
    int whole = static_cast<int>(x);
    return x - static_cast<float>(whole) >= 0.5f ? whole + 1 : whole;
}

void qelImgUtils::invertBytes(unsigned char* data, unsigned int length)
{
    for (unsigned int i = 0; data && i < length; ++i)
        data[i] = static_cast<unsigned char>(~data[i]);
}

unsigned char qelImgUtils::reverseBits(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1 << i))
            r = static_cast<unsigned char>(r | (0x80 >> i));
    return r;
}

void qelImgUtils::cmykToRgb(int c, int m, int y, int k, int* r, int* g, int* b)
{
    double kf = k / 255.0;
    auto channel = [kf](int v) { return rounded((1 - (v / 255.0 * (1 - kf) + kf)) * 255); };
    *r = channel(c);
    *g = channel(m);
    *b = channel(y);
}

void qelImgUtils::rgbToGray(int r, int g, int b, int* gray)
{
    *gray = rounded(0.3 * r + 0.59 * g + 0.11 * b);
}

void qelImgUtils::cmykToGray(int c, int m, int y, int k, int* gray)
{
    *gray = rounded(255 - std::min(255.0, 0.299 * c + 0.587 * m + 0.114 * y + k));
}

unsigned int qelImgUtils::cmykToRgbColor(unsigned int cmyk)
{
    int r = 0, g = 0, b = 0;
    cmykToRgb(static_cast<int>(cmyk >> 24), static_cast<int>((cmyk >> 16) & 0xFF),
              static_cast<int>((cmyk >> 8) & 0xFF), static_cast<int>(cmyk & 0xFF), &r, &g, &b);
    return static_cast<unsigned int>(r) | static_cast<unsigned int>(g) << 8 | static_cast<unsigned int>(b) << 16;
}

int qelImgUtils::rgbToGrayColor(unsigned int rgb)
{
    int gray = 0;
    rgbToGray(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>((rgb >> 16) & 0xFF),
              &gray);
    return gray;
}
