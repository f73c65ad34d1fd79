#ifndef QEL_CONTAINER_OBJECT_H
#define QEL_CONTAINER_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>
#include <string>
#include <vector>

class qelImageHandle;
class qelImgProcessor;
class qelVisitor;
struct qelImgInfo;

// A presentation object holding non-IOCA object data: an object container
// read inline from the print file, or an include object naming a file.
// The data live in memory or, with SaveOCDataOnDisk, in a file of TempPath;
// the outputs get them converted (raster bitmap, or a form PDF embeds).
class qelContainerObject : public qelGraphicObject
{
public:
    // Container type codes.
    enum Type {
        TYPE_UNKNOWN = 0,
        TYPE_EPS = 4,
        TYPE_TIF = 5,
        TYPE_DIB = 8,
        TYPE_DIB2 = 9,
        TYPE_PCX = 10,
        TYPE_GIF = 12,
        TYPE_JPG = 13,
        TYPE_PCL = 17,
        TYPE_JP2 = 29,
        TYPE_PNG = 30,
        TYPE_BMP = 31
    };
    // Largest include file read into memory, in bytes.
    static constexpr int64_t MAX_FILE_BYTES = 256LL * 1024 * 1024;

    qelContainerObject();
    ~qelContainerObject() override;

    // Fixes the absolute position from the including media, then calls
    // the visitor's writeContainerObject.
    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_CONTAINER; }

    // ---- type table
    // "EPS", "TIF", ... or "Unknown".
    static const char* getTypeName(int code);
    // File extension of the type, or null for a type without one.
    static const char* getTypeExtension(int code);
    static bool isRasterType(int code);
    // Container type of an image library type, 0 when none.
    static int typeOfImageType(int imageType);
    const char* getTypeName() const { return getTypeName(m_type); }
    bool isRasterType() const { return isRasterType(m_type); }

    // ---- names
    const char* getName() const { return m_hasName ? m_name.c_str() : nullptr; }
    // Stores the name and makes a new unique image name.
    void setDataFileName(const char* name);
    const char* getImageName() const { return m_imageName.empty() ? nullptr : m_imageName.c_str(); }
    void setImageName(const char* name) { m_imageName = name ? name : ""; }
    // Name + '.' + extension of the type (the name alone for a type without
    // one); empty without a name.
    std::string getFileName() const;
    const char* getFilePath() const { return m_filePath.empty() ? nullptr : m_filePath.c_str(); }
    void setFilePath(const char* path) { m_filePath = path ? path : ""; }

    // ---- include files and temporary files
    // Looks for the file in ResPath, beside an AFP input, then in "./";
    // true with the path of the first regular file. Raises E058 for a name
    // with a ".." component.
    static bool findIncludeFile(const char* fileName, std::string& path);
    // Reads an include object's file (or keeps its path with
    // SaveOCDataOnDisk); E058 when it is not found.
    void loadData();
    // Moves inline data into a new file of TempPath named by the image
    // name. True when the data are on disk afterwards.
    bool saveData();
    // Deletes the data file when this object wrote it.
    void deleteDataFile();

    // ---- image library
    // Source image information, read once; null without data (E013 for a
    // library error).
    qelImgInfo* getImage();
    // The image size trimmed at the object area, or (0, 0) when it fits.
    void getPlacement(int* width, int* height);
    // Mapping option 0x10 only: 0 nothing to trim, 1 trimmed data of that
    // size exist, 2 trimmed data made.
    int clipToArea(qelImgProcessor* processor);
    // Converts a raster container to an uncompressed bitmap (once).
    void decodeForRaster();
    // Converts a raster container to JPEG, CCITT G4, uncompressed or the
    // stored data as they are (once; trimmed again for 0x10).
    void convertForPDF();
    // Picks the conversion by the visitor's output type.
    void prepareForOutput(qelVisitor* visitor);

    // ---- data
    unsigned char* getData() const { return m_data; }
    int32_t getDataLength() const { return m_dataLength; }
    // Takes a new[] buffer over (frees the old one).
    void setData(unsigned char* bytes, int32_t length);
    unsigned char* getConvertedData() const { return m_convertedData; }
    int32_t getConvertedLength() const { return m_convertedLength; }
    // Takes a new[] buffer over (frees the old one).
    void setConvertedData(unsigned char* bytes, int32_t length);
    unsigned char* getTrimmedData() const { return m_trimmedData; }
    int32_t getTrimmedLength() const { return m_trimmedLength; }
    // Takes a new[] buffer over (frees the old one).
    void setTrimmedData(unsigned char* bytes, int32_t length);

    // ---- image information records (owned copies; null clears)
    qelImgInfo* getSourceInfo() const { return m_sourceInfo; }
    void setSourceInfo(const qelImgInfo* info);
    qelImgInfo* getConvertedInfo() const { return m_convertedInfo; }
    void setConvertedInfo(const qelImgInfo* info);
    qelImgInfo* getTrimmedInfo() const { return m_trimmedInfo; }
    void setTrimmedInfo(const qelImgInfo* info);

    // ---- palette (4 bytes per entry) and transparency
    int32_t getPaletteCount() const { return m_paletteCount; }
    const unsigned char* getPalette() const { return m_palette; }
    // Copies count entries of 4 bytes (null or 0 clears).
    void setPalette(const unsigned char* entries, int32_t count);
    uint8_t getTransparent() const { return m_transparent; }

    // Image of the raster output, owned and kept for later draws.
    qelImageHandle* getImageHandle() const { return m_imageHandle; }
    void setImageHandle(qelImageHandle* handle);
    int32_t getTransparencyValue() const { return m_transparencyValue; }
    const uint8_t* getTransparentColor() const { return m_transparentColor; }
    int32_t getTransparentIndex() const { return m_transparentIndex; }
    void setTransparency(uint8_t flag, int32_t value, const uint8_t color[4], int32_t index);

    // ---- descriptors
    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    int getParseStage() const { return m_parseStage; }
    void setParseStage(int stage) { m_parseStage = stage; }
    int32_t getAreaWidth() const { return m_areaWidth; }
    int32_t getAreaHeight() const { return m_areaHeight; }
    void setAreaSize(int32_t width, int32_t height)
    {
        m_areaWidth = width;
        m_areaHeight = height;
    }
    int32_t getPresentationWidth() const { return m_presentationWidth; }
    int32_t getPresentationHeight() const { return m_presentationHeight; }
    void setPresentationSize(int32_t width, int32_t height)
    {
        m_presentationWidth = width;
        m_presentationHeight = height;
    }
    int getInline() const { return m_inline; }
    void setInline(int v) { m_inline = v; }
    bool isOnDisk() const { return m_onDisk != 0; }
    bool getDeleteFlag() const { return m_deleteFile != 0; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t v) { m_mappingOption = v; }
    // Working content origin (what the trimming uses).
    int32_t getContentOriginX() const { return m_contentOriginX; }
    int32_t getContentOriginY() const { return m_contentOriginY; }
    void setContentOrigin(int32_t x, int32_t y)
    {
        m_contentOriginX = x;
        m_contentOriginY = y;
    }
    // Content offsets as read.
    int32_t getContentOffsetX() const { return m_contentOffsetX; }
    int32_t getContentOffsetY() const { return m_contentOffsetY; }
    void setContentOffset(int32_t x, int32_t y)
    {
        m_contentOffsetX = x;
        m_contentOffsetY = y;
    }
    uint8_t getReferenceSystem() const { return m_referenceSystem; }
    void setReferenceSystem(uint8_t v) { m_referenceSystem = v; }

private:
    // Opens a processor on the data file or the data; null without either.
    qelImgProcessor* openProcessor();
    // Stores a conversion result: over the own file, into a new file of
    // TempPath, or in memory.
    void storeResult(const unsigned char* bytes, int32_t length);
    void takeTransparency(qelImgProcessor* processor, const qelImgInfo& info);
    // The bytes of the PDF form; true when they are the trimmed data.
    bool convertForPDFImpl(qelImgProcessor* processor, std::vector<unsigned char>& result);
    // Area size and resolution from the result when no area was given.
    void takeAreaFrom(const qelImgInfo* info);

    std::string m_name;
    bool m_hasName = false;
    std::string m_imageName;
    std::string m_filePath;
    unsigned char* m_data = nullptr;
    int32_t m_dataLength = 0;
    int m_type = TYPE_UNKNOWN;
    int m_parseStage = 0;
    int32_t m_areaWidth = 0;
    int32_t m_areaHeight = 0;
    int32_t m_presentationWidth = 0;
    int32_t m_presentationHeight = 0;
    int m_inline = 0;
    uint8_t m_onDisk = 0;
    uint8_t m_deleteFile = 0;
    // The data file was made by this object (saved or converted copy).
    uint8_t m_ownsFile = 0;
    uint8_t m_mappingOption = 0x20;
    int32_t m_contentOriginX = 0;
    int32_t m_contentOriginY = 0;
    int32_t m_contentOffsetX = 0;
    int32_t m_contentOffsetY = 0;
    uint8_t m_referenceSystem = 0xFF;
    unsigned char* m_convertedData = nullptr;
    int32_t m_convertedLength = 0;
    qelImgInfo* m_sourceInfo = nullptr;
    qelImgInfo* m_convertedInfo = nullptr;
    qelImgInfo* m_trimmedInfo = nullptr;
    unsigned char* m_trimmedData = nullptr;
    int32_t m_trimmedLength = 0;
    int32_t m_paletteCount = 0;
    unsigned char* m_palette = nullptr;
    uint8_t m_transparent = 0;
    qelImageHandle* m_imageHandle = nullptr;
    int32_t m_transparencyValue = 0;
    uint8_t m_transparentColor[4] = {0, 0, 0, 0};
    int32_t m_transparentIndex = -1;
    // Whether getImage already tried.
    bool m_imageRead = false;
};

#endif
