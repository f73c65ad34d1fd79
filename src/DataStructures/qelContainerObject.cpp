#include "qelContainerObject.h"
#include "qelImageLibraryErrors.h"
#include "qelImageHandle.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageIds.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

using Processor = std::unique_ptr<qelImgProcessor>;
using Bitmap = std::unique_ptr<qelImgDIB>;

struct TypeEntry
{
    int code;
    const char* name;
    const char* extension;
    bool raster;
};

const TypeEntry kTypes[] = {
    {qelContainerObject::TYPE_EPS, "EPS", "eps", false}, {qelContainerObject::TYPE_TIF, "TIF", "tif", true},
    {qelContainerObject::TYPE_DIB, "DIB", "dib", true},  {qelContainerObject::TYPE_DIB2, "DIB", "dib", true},
    {qelContainerObject::TYPE_PCX, "PCX", "pcx", true},  {qelContainerObject::TYPE_GIF, "GIF", "gif", true},
    {qelContainerObject::TYPE_JPG, "JPG", "jpg", true},  {qelContainerObject::TYPE_PCL, "PCL", "pcl", false},
    {qelContainerObject::TYPE_JP2, "jp2", "jp2", true},  {qelContainerObject::TYPE_PNG, "PNG", "png", true},
    {qelContainerObject::TYPE_BMP, "BMP", "bmp", true},
};

const TypeEntry* findType(int code)
{
    for (const TypeEntry& entry : kTypes)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

qelImgInfo* copyInfo(const qelImgInfo* info) { return info ? new qelImgInfo(*info) : nullptr; }

qelIni* options() { return qelGlobalDSPool::getInstance()->getIni(); }

qelLogStream* logWith(unsigned int bits)
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->anyOf(bits) ? log : nullptr;
}

qelLogStream* logAll()
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->isExactly(QEL_LOG_ALL) ? log : nullptr;
}

bool quiet()
{
    qelIni* ini = options();
    return ini && ini->isQuietMode();
}

using qelImageLibraryErrors::guarded;

// A directory text that ends with '/' (empty stays empty).
std::string withSlash(const char* directory)
{
    std::string text = directory ? directory : "";
    if (!text.empty() && text.back() != '/')
        text += '/';
    return text;
}

// Whether a name from the input has a ".." path component.
bool climbsUp(const char* name)
{
    const char* start = name;
    for (const char* p = name;; ++p) {
        if (*p == '/' || *p == '\\' || *p == 0) {
            if (p - start == 2 && start[0] == '.' && start[1] == '.')
                return true;
            if (*p == 0)
                return false;
            start = p + 1;
        }
    }
}

int64_t rowBytesOf(int64_t width, int64_t bits) { return (width * bits + 7) / 8; }

int64_t bitmapBytes(const qelImgDIB* dib)
{
    return rowBytesOf(dib->header->biWidth, dib->header->biBitCount) * dib->header->biHeight;
}

// Compression none with the bitmap's size and depth.
void describeBitmap(qelImgInfo* info, const qelImgDIB* dib)
{
    info->compression = QELIMG_COMP_NONE;
    info->width = dib->header->biWidth;
    info->height = dib->header->biHeight;
    info->bitsPerPixel = dib->header->biBitCount;
    info->samplesPerPixel = info->bitsPerPixel / 8 > 0 ? info->bitsPerPixel / 8 : 1;
    info->bitsPerSample = info->bitsPerPixel / info->samplesPerPixel;
}

bool isCCITT(int compression)
{
    return compression == QELIMG_COMP_G3_1D || compression == QELIMG_COMP_G3_2D || compression == QELIMG_COMP_G4;
}

bool isJPEGCompression(int compression)
{
    return compression == QELIMG_COMP_JPEG || compression == QELIMG_COMP_OLD_JPEG;
}

bool isOtherFormatCode(int compression) { return compression >= 20 && compression <= 36; }

// Image types the conversions read.
bool isConvertibleImage(int type)
{
    return type == QELIMG_IMAGETYPE_JPEG || type == QELIMG_IMAGETYPE_TIFF || type == QELIMG_IMAGETYPE_BMP ||
           type == QELIMG_IMAGETYPE_PNG || type == QELIMG_IMAGETYPE_PCX || type == QELIMG_IMAGETYPE_GIF;
}

// Bytes a conversion made, handed around until they are stored.
struct Result
{
    std::unique_ptr<unsigned char[]> data;
    int64_t length = 0;
    void take(unsigned char* bytes, int64_t n)
    {
        data.reset(bytes);
        length = bytes ? n : 0;
    }
    void copy(const unsigned char* bytes, int64_t n)
    {
        data.reset();
        length = 0;
        if (!bytes || n <= 0)
            return;
        data.reset(new unsigned char[static_cast<size_t>(n)]);
        std::memcpy(data.get(), bytes, static_cast<size_t>(n));
        length = n;
    }
};

// The default resolution of the image library, set for the life of the
// guard (0 keeps it): TIFF data without resolution tags take the object's
// resolution, else the library's default.
class DefaultResolution
{
public:
    explicit DefaultResolution(int resolution) : m_saved(qelImgProcessor::getDefaultResolution())
    {
        if (resolution > 0)
            qelImgProcessor::setDefaultResolution(static_cast<float>(resolution));
    }
    ~DefaultResolution() { qelImgProcessor::setDefaultResolution(m_saved); }
    DefaultResolution(const DefaultResolution&) = delete;
    DefaultResolution& operator=(const DefaultResolution&) = delete;

private:
    float m_saved;
};

// Largest result a conversion keeps (the lengths are 32-bit).
constexpr int64_t kMaxResult = INT32_MAX;

} // namespace

qelContainerObject::qelContainerObject() = default;

qelContainerObject::~qelContainerObject()
{
    deleteDataFile();
    delete[] m_data;
    delete[] m_convertedData;
    delete[] m_trimmedData;
    delete[] m_palette;
    delete m_sourceInfo;
    delete m_convertedInfo;
    delete m_trimmedInfo;
    delete m_imageHandle;
}

void qelContainerObject::setImageHandle(qelImageHandle* handle)
{
    if (!handle || handle == m_imageHandle)
        return;
    delete m_imageHandle;
    m_imageHandle = handle;
}

// ------------------------------------------------------------ type table

const char* qelContainerObject::getTypeName(int code)
{
    const TypeEntry* entry = findType(code);
    return entry ? entry->name : "Unknown";
}

const char* qelContainerObject::getTypeExtension(int code)
{
    const TypeEntry* entry = findType(code);
    return entry ? entry->extension : nullptr;
}

bool qelContainerObject::isRasterType(int code)
{
    const TypeEntry* entry = findType(code);
    return entry && entry->raster;
}

int qelContainerObject::typeOfImageType(int imageType)
{
    switch (imageType) {
    case QELIMG_IMAGETYPE_JPEG: return TYPE_JPG;
    case QELIMG_IMAGETYPE_TIFF:
    case 7:
    case 8: return TYPE_TIF;
    case QELIMG_IMAGETYPE_DIB: return TYPE_DIB;
    case QELIMG_IMAGETYPE_BMP: return TYPE_BMP;
    case QELIMG_IMAGETYPE_PNG: return TYPE_PNG;
    case QELIMG_IMAGETYPE_GIF: return TYPE_GIF;
    default: return TYPE_UNKNOWN;
    }
}

// ----------------------------------------------------------------- names

void qelContainerObject::setDataFileName(const char* name)
{
    m_hasName = name != nullptr;
    m_name = name ? name : "";
    char text[32];
    std::snprintf(text, sizeof text, "%s%04d%06d", "Img", getInputNumber(), nextImageNumber());
    m_imageName = text;
}

std::string qelContainerObject::getFileName() const
{
    if (!m_hasName)
        return std::string();
    const char* extension = getTypeExtension(m_type);
    return extension ? m_name + "." + extension : m_name;
}

// ------------------------------------------------- include and temp files

bool qelContainerObject::findIncludeFile(const char* fileName, std::string& path)
{
    if (!fileName || !*fileName)
        return false;
    if (climbsUp(fileName))
        throw new qelException(__FILE__, __LINE__, qelMsg::E058, 0, 1, fileName);
    std::vector<std::string> candidates;
    qelIni* ini = options();
    const char* resPath = ini ? ini->getResPath() : nullptr;
    // A logical location ('@name') is no folder of this machine.
    if (resPath && *resPath && *resPath != '@')
        candidates.push_back(withSlash(resPath) + fileName);
    qelLorbane* kernel = qelLorbane::getInstance();
    const char* input = kernel ? kernel->getInputName() : nullptr;
    if (ini && (ini->getInputFormat() & QEL_IN_AFP) && input) {
        std::unique_ptr<char[]> directory(qelUtils::getDirectory(input));
        candidates.push_back(std::string(directory ? directory.get() : "./") + fileName);
    }
    candidates.push_back(std::string("./") + fileName);
    for (const std::string& candidate : candidates) {
        if (qelUtils::isRegularFile(candidate.c_str())) {
            path = candidate;
            return true;
        }
    }
    return false;
}

namespace {
// The image library's type of a data block or file; unknown when it cannot
// tell.
int sniffImageType(unsigned char* data, int32_t length, const char* file)
{
    try {
        Processor p(file ? new qelImgProcessor(file) : new qelImgProcessor(data, static_cast<unsigned int>(length)));
        return p->getImageType();
    } catch (qelImgException* e) {
        delete e;
        return QELIMG_IMAGETYPE_UNKNOWN;
    }
}

void warnBoth(const char* format, const char* value)
{
    if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
        log->printLine(format, value);
    if (!quiet()) {
        qelMessageOutput::printf(format, value);
        qelMessageOutput::write("\n");
    }
}
} // namespace

void qelContainerObject::loadData()
{
    const std::string fileName = getFileName();
    std::string path;
    if (!findIncludeFile(fileName.c_str(), path))
        throw new qelException(__FILE__, __LINE__, qelMsg::E058, 0, 1, fileName.c_str());
    qelIni* ini = options();
    if (ini && ini->isSaveOCDataOnDisk()) {
        m_filePath = path;
        m_onDisk = 1;
        if (m_type == TYPE_UNKNOWN)
            m_type = typeOfImageType(sniffImageType(nullptr, 0, path.c_str()));
        return;
    }
    if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
        log->printLine("Loading object File %s", path.c_str());
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        warnBoth("Warning! Not able to open the file(%s)", path.c_str());
        return;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> closer(file, &std::fclose);
    const long size = qelUtils::getFileSize(path.c_str());
    if (size <= 0) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Include object file(%s) is of length zero", path.c_str());
        if (!quiet())
            qelMessageOutput::printf("Warning! Include object file(%s) is of length Zero\n", path.c_str());
        return;
    }
    if (size > MAX_FILE_BYTES) {
        warnBoth("Warning! Not able to open the file(%s)", path.c_str());
        return;
    }
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[static_cast<size_t>(size)]);
    if (std::fread(bytes.get(), 1, static_cast<size_t>(size), file) != static_cast<size_t>(size)) {
        warnBoth("Warning! Not able to open the file(%s)", path.c_str());
        return;
    }
    setData(bytes.release(), static_cast<int32_t>(size));
    if (m_type == TYPE_UNKNOWN)
        m_type = typeOfImageType(sniffImageType(m_data, m_dataLength, nullptr));
}

namespace {
// A new file of the temporary folder named by the image name (a suffix
// when the name is taken); empty when none could be made.
std::string newTempFile(const std::string& imageName, const unsigned char* bytes, int64_t length)
{
    qelIni* ini = options();
    std::string path = withSlash(ini ? ini->getTempPath() : nullptr);
    if (path.empty())
        path = "./";
    path += imageName.empty() ? std::string("Img") : imageName;
    FILE* file = qelUtils::createNewFile(path);
    if (!file)
        return std::string();
    bool written = length <= 0 || std::fwrite(bytes, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
    if (std::fclose(file) != 0)
        written = false;
    if (!written) {
        std::remove(path.c_str());
        return std::string();
    }
    return path;
}

// Writes the bytes over an existing file of our own.
bool overwriteFile(const std::string& path, const unsigned char* bytes, int64_t length)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = length <= 0 || std::fwrite(bytes, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
    if (std::fclose(file) != 0)
        written = false;
    return written;
}
} // namespace

bool qelContainerObject::saveData()
{
    if (m_onDisk)
        return true;
    if (!m_data || m_dataLength <= 0) {
        // Nothing in memory: on disk when a file holds the data.
        if (!m_filePath.empty())
            m_onDisk = 1;
        return m_onDisk != 0;
    }
    if (!m_inline)
        return false;
    const std::string path = newTempFile(m_imageName, m_data, m_dataLength);
    if (path.empty()) {
        qelIni* ini = options();
        std::string shown = withSlash(ini ? ini->getTempPath() : nullptr) + m_imageName;
        if (qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream())
            log->printLine("Warning! Cannot open file - %s to write object container data.", shown.c_str());
        qelMessageOutput::printf("Warning! Cannot open file - %s to write object container data.\n", shown.c_str());
        return false;
    }
    m_filePath = path;
    m_onDisk = 1;
    m_ownsFile = 1;
    if (qelLogStream* log = logAll())
        log->print("\r\nSaved Object Container Data to file %s.\r\n", path.c_str());
    setData(nullptr, 0);
    return true;
}

void qelContainerObject::deleteDataFile()
{
    if ((m_ownsFile || m_deleteFile) && !m_filePath.empty())
        qelUtils::deleteFile(m_filePath.c_str());
    m_ownsFile = 0;
    m_deleteFile = 0;
}

// ---------------------------------------------------------- image library

qelImgProcessor* qelContainerObject::openProcessor()
{
    if (m_onDisk) {
        if (m_filePath.empty()) {
            if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
                log->printLine("Warning! Container Object <%s> Filename is null", getName() ? getName() : "");
            return nullptr;
        }
        return new qelImgProcessor(m_filePath.c_str());
    }
    if (!m_data || m_dataLength <= 0) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Container Object <%s> data is null", getName() ? getName() : "");
        return nullptr;
    }
    return new qelImgProcessor(m_data, static_cast<unsigned int>(m_dataLength));
}

qelImgInfo* qelContainerObject::getImage()
{
    if (m_sourceInfo || m_imageRead)
        return m_sourceInfo;
    m_imageRead = true;
    guarded([&] {
        DefaultResolution resolution(m_type == TYPE_TIF ? getResolution() : 0);
        Processor p(openProcessor());
        if (!p)
            return;
        qelImgInfo* info = p->getInfo();
        if (info)
            setSourceInfo(info);
    });
    return m_sourceInfo;
}

namespace {
int16_t clamp16(int32_t v) { return static_cast<int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v); }
} // namespace

void qelContainerObject::getPlacement(int* width, int* height)
{
    int w = 0, h = 0;
    if (qelImgInfo* info = getImage())
        qelUtils::computeClipOverflow(info->width, info->height, info->xResolution, m_areaWidth, m_areaHeight,
                                      getResolution(), getIAxisOrientation(), clamp16(m_contentOriginX),
                                      clamp16(m_contentOriginY), &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
}

int qelContainerObject::clipToArea(qelImgProcessor* processor)
{
    if (m_mappingOption != 0x10)
        return 0;
    int w = 0, h = 0;
    getPlacement(&w, &h);
    if (w == 0 && h == 0)
        return 0;
    if (m_trimmedInfo && m_trimmedInfo->width == w && m_trimmedInfo->height == h)
        return 1;
    if (!m_convertedData && processor) {
        if (!m_convertedInfo)
            setConvertedInfo(processor->getInfo());
        processor->setParameter(QELIMG_PARAM_X_RESOLUTION, m_convertedInfo->xResolution);
        processor->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_convertedInfo->yResolution);
        processor->setParameter(QELIMG_PARAM_COLOR_SPACE, options()->isColor() ? 1 : 0);
        qelImgDIB* dib = processor->getDIBData();
        if (!dib)
            return 0;
        const int64_t bytes = bitmapBytes(dib);
        if (bytes <= 0 || bytes > kMaxResult)
            return 0;
        Result copy;
        copy.copy(dib->bits, bytes);
        setConvertedData(copy.data.release(), static_cast<int32_t>(bytes));
        describeBitmap(m_convertedInfo, dib);
        const int colors = qelImgDIBUtils::getColorCount(dib->header->biBitCount);
        if (colors > 0 && dib->palette)
            setPalette(dib->palette, colors);
    }
    // Only an uncompressed bitmap held in memory can be cut.
    if (!m_convertedInfo || !m_convertedData || m_convertedInfo->compression != QELIMG_COMP_NONE)
        return 0;
    const int bits = m_convertedInfo->bitsPerPixel;
    int width = m_convertedInfo->width, height = m_convertedInfo->height;
    if (width <= 0 || height <= 0 || bits <= 0 || rowBytesOf(width, bits) * height > m_convertedLength)
        return 0;
    std::unique_ptr<unsigned char[]> cut(qelUtils::copyBitmapRect(m_convertedData, bits, &width, &height, w, h));
    if (!cut)
        return 0;
    setTrimmedData(cut.release(), static_cast<int32_t>(rowBytesOf(width, bits) * height));
    qelImgInfo trimmed = *m_convertedInfo;
    trimmed.width = width;
    trimmed.height = height;
    setTrimmedInfo(&trimmed);
    return 2;
}

void qelContainerObject::takeTransparency(qelImgProcessor* processor, const qelImgInfo& info)
{
    if (!info.transparent)
        return;
    setTransparency(info.transparent, info.transparencyKind, info.transparentColor, info.transparentColorIndex);
    processor->setParameter(QELIMG_PARAM_TRANSPARENT, static_cast<unsigned char>(info.transparent));
    processor->setParameter(QELIMG_PARAM_TRANSPARENT_INDEX, info.transparentColorIndex);
    const int color = info.transparentColor[0] | info.transparentColor[1] << 8 | info.transparentColor[2] << 16;
    processor->setParameter(QELIMG_PARAM_TRANSPARENT_COLOR, color);
}

void qelContainerObject::storeResult(const unsigned char* bytes, int32_t length)
{
    if (!m_onDisk) {
        Result copy;
        copy.copy(bytes, length);
        setConvertedData(copy.data.release(), static_cast<int32_t>(copy.length));
        return;
    }
    // Our own file (saved inline data or an earlier copy) is written over;
    // an include file stays as it is and the result gets a file of its own.
    if (m_ownsFile && !m_filePath.empty() && overwriteFile(m_filePath, bytes, length)) {
        m_deleteFile = 1;
        return;
    }
    const std::string path = newTempFile(m_imageName, bytes, length);
    if (path.empty()) {
        // Kept in memory rather than lost.
        qelIni* ini = options();
        std::string shown = withSlash(ini ? ini->getTempPath() : nullptr) + m_imageName;
        if (qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream())
            log->printLine("Warning! Cannot open file - %s to write object container data.", shown.c_str());
        Result copy;
        copy.copy(bytes, length);
        setConvertedData(copy.data.release(), static_cast<int32_t>(copy.length));
        // The file holds the unconverted data: the result is what counts.
        m_onDisk = 0;
        return;
    }
    if (m_ownsFile && !m_filePath.empty())
        qelUtils::deleteFile(m_filePath.c_str());
    m_filePath = path;
    m_ownsFile = 1;
    m_deleteFile = 1;
}

namespace {
// E092 for an image the conversions do not read.
void checkImageType(const qelImgInfo& info)
{
    if (!isConvertibleImage(info.type))
        throw new qelException(__FILE__, __LINE__, qelMsg::E092, 0, 1, "");
}
} // namespace

void qelContainerObject::takeAreaFrom(const qelImgInfo* info)
{
    if (!info || m_areaWidth != 0 || m_areaHeight != 0)
        return;
    m_areaWidth = info->width;
    m_areaHeight = info->height;
    if (info->xResolution > 0 && info->xResolution <= UINT16_MAX)
        setResolution(static_cast<uint16_t>(info->xResolution));
}

void qelContainerObject::decodeForRaster()
{
    if (!isRasterType() || m_convertedInfo)
        return;
    Result result;
    int xResolution = 0;
    // The image library reads no JPEG 2000: kept, but not converted.
    if (m_type == TYPE_JP2)
        throw new qelException(__FILE__, __LINE__, qelMsg::E092, 0, 1, "");
    guarded([&] {
        DefaultResolution resolution(m_type == TYPE_TIF ? getResolution() : 0);
        Processor p(openProcessor());
        if (!p)
            return;
        const qelImgInfo info = *p->getInfo();
        checkImageType(info);
        setSourceInfo(&info);
        m_imageRead = true;
        xResolution = info.xResolution;
        takeTransparency(p.get(), info);
        const int c = info.compression;
        if (!(c == QELIMG_COMP_NONE || isCCITT(c) || isJPEGCompression(c) || c == QELIMG_COMP_LZW ||
              c == QELIMG_COMP_PACKBITS || isOtherFormatCode(c)))
            throw new qelException(__FILE__, __LINE__, qelMsg::E033, 0, 1, getName() ? getName() : "null",
                                   info.type == QELIMG_IMAGETYPE_JPEG ? "JPEG" : "TIFF");
        if (info.bitsPerPixel > 1)
            p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric == 0 ? 0 : 1);
        qelImgDIB* dib = p->getDIBData();
        if (!dib)
            return;
        const int64_t bytes = bitmapBytes(dib);
        if (bytes <= 0 || bytes > kMaxResult)
            return;
        const int colors = qelImgDIBUtils::getColorCount(dib->header->biBitCount);
        if (colors > 0 && dib->palette)
            setPalette(dib->palette, colors);
        qelImgInfo converted = info;
        describeBitmap(&converted, dib);
        setConvertedInfo(&converted);
        result.copy(dib->bits, bytes);
    });
    // The processor is closed: the data file may be written over.
    if (!m_convertedInfo || !result.data)
        return;
    storeResult(result.data.get(), static_cast<int32_t>(result.length));
    qelImgInfo size = *m_convertedInfo;
    size.xResolution = xResolution;
    takeAreaFrom(&size);
}

void qelContainerObject::convertForPDF()
{
    if (!isRasterType())
        return;
    if (m_convertedInfo) {
        if (m_mappingOption == 0x10)
            guarded([&] { clipToArea(nullptr); });
        return;
    }
    if (m_type == TYPE_JP2)
        throw new qelException(__FILE__, __LINE__, qelMsg::E092, 0, 1, "");
    std::vector<unsigned char> result;
    bool trimmed = false;
    try {
        guarded([&] {
            DefaultResolution resolution(m_type == TYPE_TIF ? getResolution() : 0);
            Processor p(openProcessor());
            if (p)
                trimmed = convertForPDFImpl(p.get(), result);
        });
    } catch (...) {
        // Nothing half made stays behind.
        setConvertedInfo(nullptr);
        throw;
    }
    if (!m_convertedInfo)
        return;
    if (result.empty() || result.size() > static_cast<size_t>(kMaxResult)) {
        setConvertedInfo(nullptr);
        return;
    }
    // The processor is closed: the data file may be written over.
    storeResult(result.data(), static_cast<int32_t>(result.size()));
    if (trimmed && m_onDisk)
        setTrimmedData(nullptr, 0);
    takeAreaFrom(trimmed && m_trimmedInfo ? m_trimmedInfo : m_convertedInfo);
}

bool qelContainerObject::convertForPDFImpl(qelImgProcessor* p, std::vector<unsigned char>& bytesOut)
{
    qelIni* ini = options();
    const bool color = ini->isColor();
    const bool qualityGiven = !ini->isNotGiven(0x10);
    const qelImgInfo info = *p->getInfo();
    checkImageType(info);
    setSourceInfo(&info);
    m_imageRead = true;
    setConvertedInfo(&info);
    takeTransparency(p, info);
    const int passes = info.stripCount;
    const int bits = info.bitsPerPixel;
    qelImgInfo& out = *m_convertedInfo;
    Result result;
    bool trimmed = false;

    auto takeStored = [&] {
        unsigned char* bytes = nullptr;
        unsigned int n = 0;
        p->getEncodedData(&bytes, &n);
        result.take(bytes, n);
    };
    auto encodeAs = [&](QELIMG_ENCODETYPE type) {
        unsigned char* bytes = nullptr;
        unsigned int n = 0;
        qelImgInfo* made = nullptr;
        p->encode(&bytes, &n, &made, type);
        std::unique_ptr<qelImgInfo> held(made);
        result.take(bytes, n);
    };
    auto colorJPEG = [&](qelImgDIB* dib) {
        p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 1);
        if (dib) {
            unsigned char* bytes = nullptr;
            unsigned int n = 0;
            p->encode(&bytes, &n, dib, QELIMG_ENCODE_JPEG);
            result.take(bytes, n);
        } else {
            encodeAs(QELIMG_ENCODE_JPEG);
        }
        out.type = QELIMG_IMAGETYPE_JPEG;
        out.compression = QELIMG_COMP_JPEG;
        out.bitsPerPixel = 24;
        out.bitsPerSample = 8;
        out.samplesPerPixel = 3;
    };
    auto grayJPEG = [&] {
        p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 0);
        encodeAs(QELIMG_ENCODE_JPEG);
        out.type = QELIMG_IMAGETYPE_JPEG;
        out.compression = QELIMG_COMP_JPEG;
        out.bitsPerPixel = 8;
        out.bitsPerSample = 8;
        out.samplesPerPixel = 1;
    };
    auto g4 = [&] {
        encodeAs(QELIMG_ENCODE_CCITT_G4);
        out.compression = QELIMG_COMP_G4;
        out.bitsPerPixel = out.bitsPerSample = out.samplesPerPixel = 1;
    };
    // The decoded bitmap (with its palette) or the stored data, uncompressed.
    auto bitmapOrStored = [&](bool decode) {
        if (decode) {
            if (bits > 1)
                p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric == 0 ? 0 : 1);
            qelImgDIB* dib = p->getDIBData();
            if (!dib)
                return;
            const int64_t bytes = bitmapBytes(dib);
            if (bytes <= 0 || bytes > kMaxResult)
                return;
            result.copy(dib->bits, bytes);
            const int colors = qelImgDIBUtils::getColorCount(dib->header->biBitCount);
            if (colors > 0 && dib->palette)
                setPalette(dib->palette, colors);
            out.width = dib->header->biWidth;
            out.height = dib->header->biHeight;
        } else {
            unsigned char* palette = nullptr;
            int count = 0;
            p->getColorTable(&palette, &count);
            std::unique_ptr<unsigned char[]> held(palette);
            if (palette && count > 0)
                setPalette(palette, count);
            takeStored();
        }
        out.compression = QELIMG_COMP_NONE;
    };

    if (m_mappingOption == 0x10 && clipToArea(p) == 2 && m_trimmedData) {
        result.copy(m_trimmedData, m_trimmedLength);
        trimmed = true;
    }
    if (!trimmed) {
        const int c = info.compression;
        bool byDepth = false;
        if (isCCITT(c)) {
            if (passes == 1)
                takeStored();
            else
                g4();
        } else if (isJPEGCompression(c)) {
            if (bits != 8 && bits != 24 && bits != 32) {
                setConvertedInfo(nullptr);
                throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, bits,
                                       info.type == QELIMG_IMAGETYPE_JPEG ? "JPEG" : "TIFF JPEG");
            }
            if (color && !qualityGiven && passes <= 1)
                takeStored();
            else if (color)
                colorJPEG(nullptr);
            else
                grayJPEG();
        } else if (c == QELIMG_COMP_LZW && passes == 1 && color) {
            bitmapOrStored(false);
        } else if (c == QELIMG_COMP_NONE || c == QELIMG_COMP_LZW) {
            if (c == QELIMG_COMP_NONE && ini->hasSwitch("ENC_FLATE") && bits == 1 && passes == 1) {
                takeStored();
                out.compression = QELIMG_COMP_NONE;
            } else if (c == QELIMG_COMP_NONE && bits == 48) {
                Bitmap reduced(p->bitDemote(24, ini->getDitherMethod()));
                if (!reduced)
                    throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, bits, "TIFF");
                colorJPEG(reduced.get());
            } else {
                byDepth = true;
            }
        } else if (c == QELIMG_COMP_PACKBITS || isOtherFormatCode(c)) {
            byDepth = true;
        } else {
            setConvertedInfo(nullptr);
            throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1, qelImgUtils::getCompressionName(c),
                                   info.type == QELIMG_IMAGETYPE_JPEG ? "" : "TIFF");
        }
        if (byDepth) {
            const bool decodable = c == QELIMG_COMP_NONE || c == QELIMG_COMP_LZW || c == QELIMG_COMP_PACKBITS;
            const int photometric = info.photometric;
            if (bits == 1) {
                g4();
            } else if (color && (bits == 4 || bits == 8)) {
                bitmapOrStored(decodable);
            } else if (color && (bits == 24 || bits == 32)) {
                if (bits == 32)
                    p->setParameter(QELIMG_PARAM_CMYK_TO_RGB, 1);
                colorJPEG(nullptr);
            } else if (!color && (photometric == 0 || photometric == 1) && (bits == 4 || bits == 8)) {
                bitmapOrStored(decodable);
                out.type = QELIMG_IMAGETYPE_DIB;
            } else if (!color && (photometric == 2 || photometric == 3 || photometric == 5) &&
                       (bits == 4 || bits == 8 || bits == 24 || bits == 32)) {
                grayJPEG();
            } else {
                setConvertedInfo(nullptr);
                throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, bits,
                                       info.type == QELIMG_IMAGETYPE_JPEG ? "JPEG" : "TIFF");
            }
        }
    }
    if (!result.data || result.length <= 0 || result.length > kMaxResult) {
        setConvertedInfo(nullptr);
        return false;
    }
    bytesOut.assign(result.data.get(), result.data.get() + result.length);
    return trimmed;
}

void qelContainerObject::prepareForOutput(qelVisitor* visitor)
{
    const char* type = visitor ? visitor->getOutputType() : nullptr;
    if (!type)
        return;
    static const char* const pdf[] = {"pdf", "pdfa"};
    static const char* const raster[] = {"raster", "simpleraster", "png", "jpg", "tif", "gif"};
    for (const char* name : pdf)
        if (std::strcmp(type, name) == 0)
            return convertForPDF();
    for (const char* name : raster)
        if (std::strcmp(type, name) == 0)
            return decodeForRaster();
}

void qelContainerObject::write(qelVisitor* visitor)
{
    const qelPoint origin = getOriginOffset();
    setAbsolutePosition(origin.x + getX(), origin.y + getY());
    if (visitor)
        visitor->writeContainerObject(this);
}

// ------------------------------------------------------------ plain data

void qelContainerObject::setData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_data)
        delete[] m_data;
    m_data = bytes;
    m_dataLength = bytes && length > 0 ? length : 0;
}

void qelContainerObject::setConvertedData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_convertedData)
        delete[] m_convertedData;
    m_convertedData = bytes;
    m_convertedLength = bytes && length > 0 ? length : 0;
}

void qelContainerObject::setTrimmedData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_trimmedData)
        delete[] m_trimmedData;
    m_trimmedData = bytes;
    m_trimmedLength = bytes && length > 0 ? length : 0;
}

void qelContainerObject::setSourceInfo(const qelImgInfo* info)
{
    qelImgInfo* copy = copyInfo(info);
    delete m_sourceInfo;
    m_sourceInfo = copy;
}

void qelContainerObject::setConvertedInfo(const qelImgInfo* info)
{
    qelImgInfo* copy = copyInfo(info);
    delete m_convertedInfo;
    m_convertedInfo = copy;
}

void qelContainerObject::setTrimmedInfo(const qelImgInfo* info)
{
    qelImgInfo* copy = copyInfo(info);
    delete m_trimmedInfo;
    m_trimmedInfo = copy;
}

void qelContainerObject::setPalette(const unsigned char* entries, int32_t count)
{
    unsigned char* copy = nullptr;
    if (entries && count > 0 && count <= 65536) {
        copy = new unsigned char[static_cast<size_t>(count) * 4];
        std::memcpy(copy, entries, static_cast<size_t>(count) * 4);
    }
    delete[] m_palette;
    m_palette = copy;
    m_paletteCount = copy ? count : 0;
}

void qelContainerObject::setTransparency(uint8_t flag, int32_t value, const uint8_t color[4], int32_t index)
{
    m_transparent = flag;
    m_transparencyValue = value;
    if (color)
        std::memcpy(m_transparentColor, color, 4);
    m_transparentIndex = index;
}
