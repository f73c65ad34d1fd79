#ifndef QEL_IMG_DECODER_H
#define QEL_IMG_DECODER_H

#include <cstdint>

class qelImgDIB;
class qelString;
struct qelImageStrips;
struct qelImgDecodeReport;
struct qelImgDIBHeader;
struct qelImgInfo;
struct qelImgParamValue;

// Base of the image decoders: the information, palette and bitmap of the
// current page, the mask, and the page, tile and content bookkeeping.
class qelImgDecoder
{
public:
    enum { SOURCE_FILE = 0, SOURCE_MEMORY = 2 };
    enum { KIND_TIFF = 0, KIND_JPEG = 1, KIND_IOCA = 2, KIND_RAW = 3, KIND_DIB = 4 };
    // Largest bitmap, strip or data block a decoder allocates.
    static constexpr int64_t MAX_BUFFER_BYTES = int64_t(1) << 30;

    qelImgDecoder();
    explicit qelImgDecoder(const char* fileName);
    virtual ~qelImgDecoder();
    qelImgDecoder(const qelImgDecoder&) = delete;
    qelImgDecoder& operator=(const qelImgDecoder&) = delete;

    virtual void setPageNumber(int page);
    virtual void initialize();
    virtual void finalize();
    virtual void readHeader() = 0;
    virtual bool doesPageExist(int page) = 0;
    virtual int pageCount() = 0;
    virtual void decode(qelImgParamValue* params) = 0;
    // A new[] block of the stored data of the current page.
    virtual void getEncodedData(unsigned char** data, unsigned int* length) = 0;
    virtual void getEncodedBandData(qelImageStrips* bands) = 0;
    // 1 for a row, 0 after the last, -1 without source, information or buffer.
    virtual int readNextLine(unsigned char* row) = 0;
    virtual int getDecodeBPP() = 0;
    virtual int getDecoderKind() = 0;
    virtual const char* name() = 0;
    virtual int getScanLineSize() = 0;
    virtual bool hasNextImageContent();
    virtual void nextImageContent();
    virtual bool hasMask();
    virtual void getEncodedMaskData(unsigned char** data, unsigned int* length);
    virtual void decodeMask(qelImgParamValue* params);
    virtual int getWidthFromData();
    virtual void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) = 0;
    virtual int decodeTileImage(qelImgParamValue* params, int tile) = 0;
    virtual void checkSupportedFormat() = 0;

    // Reads the header when there is no information; OIL005 when there
    // still is none. Owned by the decoder.
    qelImgInfo* getInfo();
    // The palette (4 bytes an entry: blue, green, red, 0) and its count, or
    // null and 0; owned by the decoder.
    void getColorTable(unsigned char** palette, int* count);
    qelImgDIB* getDIBBuffer() { return m_dib; }
    long getDIBDataLength();
    qelImgDIB* getMaskDIBBuffer() { return m_maskDib; }
    qelImgInfo* getMaskInfo() { return m_maskInfo; }
    qelImgDIB* getDIBBufferForTile(int tile) { return tile == m_tileNumber ? m_dib : nullptr; }
    void setTileNumber(int tile) { m_tileNumber = tile; }
    int getPageNumber() const { return m_pageNumber; }
    void setParameters(qelImgParamValue* params) { m_params = params; }
    void setFileName(const char* name);
    const char* getFileName() const;
    void setSourceKind(int kind) { m_sourceKind = kind; }
    int getSourceKind() const { return m_sourceKind; }
    void setImageContentCount(int count) { m_imageContentCount = count; }
    int getImageContentCount() const { return m_imageContentCount; }
    // Takes the report, freeing the previous one.
    void setDecodeReport(qelImgDecodeReport* report);
    qelImgDecodeReport* getDecodeReport() { return m_decodeReport; }

    // A new 40-byte header (delete it); depths normalised to 1, 4, 8, 24,
    // 32 or 48; rows padded to a byte. OIL021 beyond MAX_BUFFER_BYTES.
    qelImgDIBHeader* createDIBHeader(int width, int height, int bitsPerPixel, int xResolution, int yResolution);
    // Replaces the bitmap by one of the header with the decoder's palette.
    void createDIB(const qelImgDIBHeader* header);
    void printInfo();

protected:
    void trace(const char* className, const char* operation);
    // Makes the bitmap of the decode depth and copies the rows from
    // firstRow on into it through readNextLine, rowBytes each. OIL052
    // naming the format when the bitmap cannot be made at that depth.
    void decodeRemainingRows(int firstRow, int64_t rowBytes, const char* format);
    // Frees the information, palette and bitmap of the page.
    void dropPage();

    qelString* m_fileName = nullptr;
    int m_sourceKind = SOURCE_FILE;
    qelImgInfo* m_info = nullptr;
    unsigned char* m_palette = nullptr;
    int m_paletteCount = 0;
    int m_pageCount = 0;
    qelImgInfo* m_maskInfo = nullptr;
    qelImgDIB* m_maskDib = nullptr;
    qelImgDIB* m_dib = nullptr;
    int m_pageNumber = -1;
    qelImgParamValue* m_params = nullptr;
    bool m_contentConsumed = false;
    int m_tileNumber = -1;
    int m_imageContentCount = 1;
    qelImgDecodeReport* m_decodeReport = nullptr;
};

#endif
