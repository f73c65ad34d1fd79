#include "qelContainerObject.h"

#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelLorbane.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <cstdio>
#include <cstring>

namespace {

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
}

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

int qelContainerObject::typeOfImageType(int)
{
    return TYPE_UNKNOWN;
}

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

bool qelContainerObject::findIncludeFile(const char*, std::string&)
{
    return false;
}

void qelContainerObject::loadData() {}

bool qelContainerObject::saveData()
{
    return false;
}

void qelContainerObject::deleteDataFile() {}

qelImgInfo* qelContainerObject::getImage()
{
    return m_sourceInfo;
}

void qelContainerObject::getPlacement(int* width, int* height)
{
    if (width)
        *width = 0;
    if (height)
        *height = 0;
}

int qelContainerObject::clipToArea(qelImgProcessor*)
{
    return 0;
}

void qelContainerObject::decodeForRaster() {}

void qelContainerObject::convertForPDF() {}

void qelContainerObject::prepareForOutput(qelVisitor*) {}

void qelContainerObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeContainerObject(this);
}

void qelContainerObject::setData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_data)
        delete[] m_data;
    m_data = bytes;
    m_dataLength = bytes ? length : 0;
}

void qelContainerObject::setConvertedData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_convertedData)
        delete[] m_convertedData;
    m_convertedData = bytes;
    m_convertedLength = bytes ? length : 0;
}

void qelContainerObject::setTrimmedData(unsigned char* bytes, int32_t length)
{
    if (bytes != m_trimmedData)
        delete[] m_trimmedData;
    m_trimmedData = bytes;
    m_trimmedLength = bytes ? length : 0;
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
    if (entries && count > 0) {
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

qelImgProcessor* qelContainerObject::openProcessor()
{
    return nullptr;
}

void qelContainerObject::storeResult(const unsigned char*, int32_t) {}

void qelContainerObject::takeTransparency(qelImgProcessor*, const qelImgInfo&) {}

void qelContainerObject::convertForPDFImpl(qelImgProcessor*) {}
