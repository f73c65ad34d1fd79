#ifndef QEL_IMAGE_OBJECT_H
#define QEL_IMAGE_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class qelCell;
class qelImageHandle;
class qelImgDIB;
class qelImgProcessor;
class qelString;
struct PreparedBytes;
struct qelImageHolder;
struct qelImageStrips;
struct qelImageTrimPiece;
struct qelImgInfo;

// The presentation object of every raster image: the image as the input
// delivered it, its descriptors and mapping, and what the outputs prepare
// from it (decoded information, encoded data, bands, parts, trim pieces).
class qelImageObject : public qelGraphicObject
{
public:
    // Image kinds.
    enum ImageKind { IMAGE_IM = 0, IMAGE_GOCA = 1, IMAGE_JPEG = 2, IMAGE_TIFF = 3, IMAGE_IOCA = 4, IMAGE_DIB = 5 };
    // Largest bitmap the cells are assembled into, in bytes.
    static constexpr int64_t MAX_ASSEMBLED_BYTES = 16 * 1024 * 1024;

    qelImageObject();
    ~qelImageObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override;
    // The bounding box from the area size and the rotation (logged with ALL).
    void computeBoundingBox() override;
    void log() { computeBoundingBox(); }
    int kind() const override { return KIND_IMAGE; }
    // 0 written; -1 no file name; -2 no processor; -3 the library failed.
    int saveAs(const char* fileName, const char* format, int* params) override;

    // ---- kind and sizes
    int32_t getKind() const { return m_kind; }
    void setKind(int32_t kind) { m_kind = kind; }
    bool isIM() const { return m_kind == IMAGE_IM; }
    bool isGOCA() const { return m_kind == IMAGE_GOCA; }
    bool isJPEG() const { return m_kind == IMAGE_JPEG; }
    bool isTIFF() const { return m_kind == IMAGE_TIFF; }
    bool isIOCA() const { return m_kind == IMAGE_IOCA; }
    bool isDIB() const { return m_kind == IMAGE_DIB; }
    // "IOCA", "DIB" or the empty text.
    const char* getKindText() const;
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
    void growPresentationSize(int32_t width, int32_t height);
    // Size an including reference asks the output for.
    int32_t getTargetWidth() const { return m_targetWidth; }
    int32_t getTargetHeight() const { return m_targetHeight; }
    void setTargetSize(int32_t width, int32_t height)
    {
        m_targetWidth = width;
        m_targetHeight = height;
    }

    // ---- cells
    void addCell(qelCell* cell);
    int getCellCount() const { return static_cast<int>(m_cells.size()); }
    qelCell* getCell(int i) const { return i >= 0 && i < getCellCount() ? m_cells[static_cast<size_t>(i)].get() : nullptr; }

    // ---- names
    const char* getName() const;
    void setName(const char* text);
    const char* getObjectName() const;
    void setObjectName(const char* text);
    const char* getFullName() const;
    void setFullName(const char* text);
    const char* getAuxName() const { return m_auxName; }
    void setAuxName(const char* text);

    // ---- data and descriptors
    unsigned char* getData() const { return m_data; }
    int32_t getDataLength() const { return m_dataLength; }
    // Copies; the caller sets the length with setDataLength.
    void setData(const unsigned char* bytes, int32_t length);
    void setDataLength(int32_t length) { m_dataLength = length; }
    // Takes a new[] buffer.
    void setRawData(unsigned char* buffer, int32_t length);
    uint8_t getDescriptorPositionId() const { return m_descriptorPositionId; }
    void setDescriptorPositionId(uint8_t v) { m_descriptorPositionId = v; }
    uint16_t getImageMappingX() const { return m_imageMappingX; }
    uint16_t getImageMappingY() const { return m_imageMappingY; }
    void setImageMapping(uint16_t x, uint16_t y)
    {
        m_imageMappingX = x;
        m_imageMappingY = y;
    }
    uint16_t getDefaultCellWidth() const { return m_defaultCellWidth; }
    uint16_t getDefaultCellHeight() const { return m_defaultCellHeight; }
    void setDefaultCellSize(uint16_t w, uint16_t h)
    {
        m_defaultCellWidth = w;
        m_defaultCellHeight = h;
    }
    uint8_t getAreaSizeType() const { return m_areaSizeType; }
    void setAreaSizeType(uint8_t v) { m_areaSizeType = v; }
    uint16_t getAreaOriginX() const { return m_areaOriginX; }
    uint16_t getAreaOriginY() const { return m_areaOriginY; }
    void setAreaOriginOffset(uint16_t x, uint16_t y)
    {
        m_areaOriginX = x;
        m_areaOriginY = y;
    }
    uint16_t getContentOriginX() const { return m_contentOriginX; }
    uint16_t getContentOriginY() const { return m_contentOriginY; }
    void setContentOrigin(uint16_t x, uint16_t y)
    {
        m_contentOriginX = x;
        m_contentOriginY = y;
    }
    uint8_t getAreaPositionId() const { return m_areaPositionId; }
    void setAreaPositionId(uint8_t v) { m_areaPositionId = v; }
    uint8_t getUnitBase() const { return m_unitBase; }
    void setUnitBase(uint8_t v) { m_unitBase = v; }
    uint16_t getXResolution() const { return m_xResolution; }
    uint16_t getYResolution() const { return m_yResolution; }
    void setImageResolution(uint16_t x, uint16_t y)
    {
        m_xResolution = x;
        m_yResolution = y;
    }
    uint16_t getXSize() const { return m_xSize; }
    uint16_t getYSize() const { return m_ySize; }
    void setImageSize(uint16_t x, uint16_t y)
    {
        m_xSize = x;
        m_ySize = y;
    }
    const int32_t* getColorTable() const { return m_colorTable; }
    int32_t getColorCount() const { return m_colorCount; }
    void setColorTable(const int32_t* entries, int32_t count);
    uint8_t getFunctionSetId() const { return m_functionSet; }
    void setFunctionSetId(uint8_t v) { m_functionSet = v; }
    uint8_t getBilevelColorGiven() const { return m_bilevelColorGiven; }
    void markBilevelColorGiven() { m_bilevelColorGiven = 1; }

    // ---- prepared results
    qelImgInfo* getTrimmedInfo() const { return m_trimmedInfo; }
    unsigned char* getTrimmedData() const { return m_trimmedData; }
    int32_t getTrimmedLength() const { return m_trimmedLength; }
    void setTrimmedInfo(const qelImgInfo* info);
    void setTrimmedData(const unsigned char* bytes, int32_t length);
    qelImgInfo* getTrimmedMaskInfo() const { return m_trimmedMaskInfo; }
    unsigned char* getTrimmedMaskData() const { return m_trimmedMaskData; }
    int32_t getTrimmedMaskLength() const { return m_trimmedMaskLength; }
    void setTrimmedMaskInfo(const qelImgInfo* info);
    void setTrimmedMaskData(const unsigned char* bytes, int32_t length);
    qelImgInfo* getMaskInfo() const { return m_maskInfo; }
    unsigned char* getMaskData() const { return m_maskData; }
    int32_t getMaskLength() const { return m_maskLength; }
    void setMaskInfo(const qelImgInfo* info);
    void setMaskData(const unsigned char* bytes, int32_t length);
    unsigned char* getEncodedData() const { return m_encodedData; }
    int32_t getEncodedLength() const { return m_encodedLength; }
    // Copies the bytes (null clears).
    void setEncodedData(const unsigned char* bytes, int32_t length);
    qelImgInfo* getImageInfo() const { return m_imageInfo; }
    // Copies the record (null clears), 1-bit normalised.
    void setImage(const qelImgInfo* info);
    qelImgInfo* getFormatInfo() const { return m_formatInfo; }
    // Copies the record (null clears); a 1-bit record gets 1 bit per sample
    // and 1 sample per pixel.
    void setFormatInfo(const qelImgInfo* info);
    void detachFormatInfo() { m_formatInfo = nullptr; }
    qelImageStrips* getBands() const { return m_bands; }
    void setBands(qelImageStrips* strips);
    void detachBands() { m_bands = nullptr; }
    // Shows prepared data that somebody else owns, in place of its own.
    void lendPrepared(unsigned char* data, int32_t length, qelImgInfo* info);
    // Forgets the prepared data and format without freeing them (they now
    // belong to somebody else).
    void detachPrepared();
    int getPartCount() const { return static_cast<int>(m_parts.size()); }
    qelImageHolder* getPart(int i) const
    {
        return i >= 0 && i < getPartCount() ? m_parts[static_cast<size_t>(i)].get() : nullptr;
    }
    qelImageTrimPiece* getTrimRight() const { return m_trimRight.get(); }
    qelImageTrimPiece* getTrimBottom() const { return m_trimBottom.get(); }
    qelImageTrimPiece* getTrimCorner() const { return m_trimCorner.get(); }

    // ---- flags
    uint8_t getCellsLaidOut() const { return m_cellsLaidOut; }
    void markCellsLaidOut() { m_cellsLaidOut = 1; }
    uint8_t getCellBased() const { return m_cellBased; }
    void markCellBased() { m_cellBased = 1; }
    uint8_t getSimpleImage() const { return m_simpleImage; }
    void clearSimpleImage() { m_simpleImage = 0; }
    uint8_t getNothingToWrite() const { return m_nothingToWrite; }
    void markNothingToWrite() { m_nothingToWrite = 1; }
    uint8_t getReferenceSystem() const { return m_referenceSystem; }
    void setReferenceSystem(uint8_t v) { m_referenceSystem = v; }
    uint16_t getPelScale() const { return m_pelScale; }
    void setPelScale(uint16_t v) { m_pelScale = v; }
    qelImageHandle* getImageHandle() const { return m_imageHandle; }
    void setImageHandle(qelImageHandle* handle);
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t v) { m_mappingOption = v; }
    int32_t getPhotometric() const { return m_photometric; }
    void setPhotometric(int32_t v) { m_photometric = v; }
    uint8_t getInline() const { return m_inline; }
    void setInline(uint8_t v) { m_inline = v; }
    int32_t getResourceNumber() const { return m_resourceNumber; }
    void setResourceNumber(int32_t v) { m_resourceNumber = v; }
    int32_t getFlip() const { return m_flip; }
    void setFlip(int32_t v) { m_flip = v; }
    uint8_t getTiled() const { return m_tiled; }
    int32_t getContentCount() const { return m_contentCount; }
    int32_t getCropX() const { return m_cropX; }
    int32_t getCropY() const { return m_cropY; }
    void setCrop(int32_t x, int32_t y)
    {
        m_cropX = x;
        m_cropY = y;
    }
    int32_t getMaskKind() const { return m_maskKind; }
    void setMaskKind(int32_t v) { m_maskKind = v; }
    uint8_t getTransparent() const { return m_transparent; }
    void markTransparent() { m_transparent = 1; }
    int32_t getTransparencyKind() const { return m_transparencyKind; }
    const uint8_t* getTransparentColor() const { return m_transparentColor; }
    int32_t getTransparentIndex() const { return m_transparentIndex; }
    // Kind, colour (low byte first) and palette index.
    void setTransparency(int32_t kind, uint32_t color, int32_t index);
    uint8_t getRenderedPage() const { return m_renderedPage; }
    void markRenderedPage() { m_renderedPage = 1; }

    // ---- decisions every output reads
    // Bits of a simple IM image's first cell, else data and dataLength.
    void getRasterData(unsigned char** data, int32_t* length);
    int getBitsPerPixel();
    // Whether the image must become bilevel for the configured output.
    bool getForegroundColor(int bitsPerPixel);
    // The absolute position the visitor reads, from the include chain.
    void computeAbsolutePosition();

    // ---- decoding and preparation
    qelImgInfo* getImage();
    qelImgProcessor* openProcessor();
    void checkFormat(const qelImgInfo* info);
    void prepareForRaster();
    void prepareForAFP();
    int getUniqueColorsCount(int max);
    // The pixel size of the image part inside the presentation area.
    using qelGraphicObject::getPlacement;
    void getPlacement(int* width, int* height);
    void prepareForPDF();
    void prepareForPDFIOCA();
    // 0 nothing done, 1 trimmed data already match, 2 trimmed data made.
    int positionAndTrim(qelImgProcessor* processor);
    void makeTrimPieces();
    qelImageHolder* createPart(int number, const qelImgInfo* info, const qelImgInfo* format,
                               const unsigned char* data, int32_t length, qelImageStrips* bands,
                               const int32_t* colorTable, int32_t count);
    void decodeMask(qelImgProcessor* processor);
    void prepareMaskForPDF(qelImgProcessor* processor, qelImageHolder* part);
    void prepareMaskForIOCA(qelImgProcessor* processor, qelImageHolder* part);
    void encodeBandsAsJPEG(qelImageStrips* bands);
    int encodeBandsBest(qelImageStrips* bands);

    // Working images of prepareForAFP; new bitmaps, or null.
    qelImgDIB* cropImage(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette);
    qelImgDIB* resizeToPresentation(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette);
    qelImgDIB* rotateImage(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette);

private:
    void layOutCells();
    void assembleCells();
    void copyCellPart(qelCell* cell, int64_t x, int64_t y, int64_t w, int64_t h, int number);
    std::unique_ptr<qelImageTrimPiece> makeTrimPiece(int width, int rows);
    void resolutionFallback(qelImgInfo* info) const;
    void prepareForAFPImpl();
    void prepareForPDFImpl(bool keepCompression);
    // One content's encoding; return the compression code.
    int encodeForPDF(qelImgProcessor* p, const qelImgInfo& info, int configured, bool pdfa, bool bandPass,
                     PreparedBytes& out, std::unique_ptr<qelImageStrips>& bands, int previous);
    int encodeForIOCA(qelImgProcessor* p, const qelImgInfo& info, int iocaSpace, PreparedBytes& out,
                      std::unique_ptr<qelImageStrips>& bands);
    void fillSixteenColors();

    int32_t m_kind = IMAGE_IM;
    int32_t m_areaWidth = 0;
    int32_t m_areaHeight = 0;
    int32_t m_presentationWidth = 0;
    int32_t m_presentationHeight = 0;
    int32_t m_targetWidth = 0;
    int32_t m_targetHeight = 0;
    std::vector<std::unique_ptr<qelCell>> m_cells;
    qelString* m_name = nullptr;
    qelString* m_objectName = nullptr;
    qelString* m_fullName = nullptr;
    unsigned char* m_data = nullptr;
    uint8_t m_descriptorPositionId = 0;
    uint16_t m_imageMappingX = 0;
    uint16_t m_imageMappingY = 0;
    uint16_t m_defaultCellWidth = 0;
    uint16_t m_defaultCellHeight = 0;
    uint8_t m_areaSizeType = 0;
    uint16_t m_areaOriginX = 0;
    uint16_t m_areaOriginY = 0;
    uint16_t m_contentOriginX = 0;
    uint16_t m_contentOriginY = 0;
    uint8_t m_areaPositionId = 0;
    uint8_t m_unitBase = 0;
    uint16_t m_xResolution = 0;
    uint16_t m_yResolution = 0;
    uint16_t m_xSize = 0;
    uint16_t m_ySize = 0;
    int32_t m_colorCount = 0;
    uint8_t m_functionSet = 0xFF;
    uint8_t m_bilevelColorGiven = 0;
    qelImgInfo* m_trimmedInfo = nullptr;
    unsigned char* m_trimmedData = nullptr;
    int32_t m_trimmedLength = 0;
    qelImgInfo* m_trimmedMaskInfo = nullptr;
    unsigned char* m_trimmedMaskData = nullptr;
    int32_t m_trimmedMaskLength = 0;
    qelImgInfo* m_maskInfo = nullptr;
    unsigned char* m_maskData = nullptr;
    int32_t m_maskLength = 0;
    unsigned char* m_encodedData = nullptr;
    int32_t m_encodedLength = 0;
    qelImgInfo* m_imageInfo = nullptr;
    qelImgInfo* m_formatInfo = nullptr;
    qelImageStrips* m_bands = nullptr;
    int32_t* m_colorTable = nullptr;
    int32_t m_reserved = 0;
    uint8_t m_cellsLaidOut = 0;
    uint8_t m_cellBased = 0;
    uint8_t m_simpleImage = 1;
    uint8_t m_nothingToWrite = 0;
    uint8_t m_referenceSystem = 0xFF;
    int32_t m_dataLength = 0;
    uint16_t m_pelScale = 1;
    qelImageHandle* m_imageHandle = nullptr;
    uint8_t m_mappingOption = 0x20;
    int32_t m_photometric = 0;
    std::unique_ptr<qelImageTrimPiece> m_trimRight;
    std::unique_ptr<qelImageTrimPiece> m_trimBottom;
    std::unique_ptr<qelImageTrimPiece> m_trimCorner;
    uint8_t m_inline = 1;
    int32_t m_resourceNumber = -1;
    int32_t m_flip = 0;
    std::vector<std::unique_ptr<qelImageHolder>> m_parts;
    uint8_t m_tiled = 0;
    int32_t m_contentCount = 0;
    int32_t m_cropX = 0;
    int32_t m_cropY = 0;
    char* m_auxName = nullptr;
    int32_t m_maskKind = 0;
    uint8_t m_transparent = 0;
    int32_t m_transparencyKind = 0;
    uint8_t m_transparentColor[4] = {0, 0, 0, 0};
    int32_t m_transparentIndex = -1;
    uint8_t m_renderedPage = 0;
    // A down-sampled bitmap that the last opened processor reads.
    std::unique_ptr<unsigned char[]> m_workBlock;
    // One cell row while cells are assembled.
    std::vector<unsigned char> m_cellRow;
};

#endif
