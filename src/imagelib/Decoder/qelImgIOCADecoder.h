#ifndef QEL_IMG_IOCA_DECODER_H
#define QEL_IMG_IOCA_DECODER_H

#include "qelImgDecoder.h"

#include "oioca.h"

// IOCA image segment (Begin Segment to End Segment) from a file or a memory
// block (borrowed; it must outlive the decoder), parsed by the IOCA
// decoding library. Every tile of the image content is one image content.
class qelImgIOCADecoder : public qelImgDecoder
{
public:
    explicit qelImgIOCADecoder(const char* fileName);
    qelImgIOCADecoder(const unsigned char* data, unsigned int length);
    // Raw data: nothing is read; readHeader fails with OIL015, the stored
    // data operations with OIL014.
    qelImgIOCADecoder(qelImgInfo* info, const unsigned char* data, unsigned int length);
    ~qelImgIOCADecoder() override;

    void setPageNumber(int page) override;
    void initialize() override;
    void finalize() override;
    void readHeader() override;
    bool doesPageExist(int page) override { return page == 0; }
    int pageCount() override { return 1; }
    void decode(qelImgParamValue* params) override;
    void getEncodedData(unsigned char** data, unsigned int* length) override;
    void getEncodedBandData(qelImageStrips* bands) override;
    int readNextLine(unsigned char* row) override;
    int getDecodeBPP() override;
    int getDecoderKind() override { return KIND_IOCA; }
    const char* name() override { return "IOCA Decoder"; }
    int getScanLineSize() override { return -1; }
    bool hasNextImageContent() override;
    void nextImageContent() override;
    bool hasMask() override { return m_maskInfo != nullptr; }
    void getEncodedMaskData(unsigned char** data, unsigned int* length) override;
    void decodeMask(qelImgParamValue* params) override;
    int getWidthFromData() override;
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override;

    static bool hasIOCASignature(const unsigned char* data, unsigned int length);

private:
    // Widest G3 or G4 row handed to libtiff.
    static constexpr int32_t MAX_FAX_WIDTH = 1 << 20;

    void open(const unsigned char* data, unsigned int length);
    // A new[] copy of the band for the caller (nothing for an empty band)
    // and the fill order of the image's bit order.
    void handOverBand(const IOCABandData* band, unsigned char** data, unsigned int* length);
    // Finalises the handle and throws OIL015 with rc and its text.
    [[noreturn]] void failLibrary(int rc, const char* text = nullptr);
    void checkLibrary(int rc);
    void printLibraryTrace();
    void readTile();
    void fillInfo(qelImgInfo* info, const IOCAImageProperties* properties);
    void printInfoBlock();
    // The IOCA library's bilevel decompression into the bitmap or the mask.
    void decodeWithLibrary(bool mask);
    void buildDIB(qelImgParamValue* params);
    void decodeCMYKImage(qelImgParamValue* params);
    void decodeRGBImage(qelImgParamValue* params);
    void decodeJPEGs(qelImgParamValue* params);
    // A new bitmap of G3 or G4 data behind a generated TIFF header.
    qelImgDIB* decodeG3G4(const qelImgInfo* info, const unsigned char* data, unsigned int length,
                          qelImgParamValue* params);
    bool isDataPadded();
    int getWidthFromDataForG3G4(const qelImgInfo* info, const unsigned char* data, unsigned int length);
    int getWidthFromDataForJPEG(const qelImgInfo* info, const unsigned char* data, unsigned int length);
    // The stored bytes behind a G3 or G4 header for info; new[].
    unsigned char* withTIFFHeader(const qelImgInfo* info, const unsigned char* data, unsigned int length,
                                  unsigned int* total);
    bool ignoreErrors(qelImgParamValue* params) const;

    IOCAHandle* m_handle = nullptr;
    IOCATile* m_tile = nullptr;
    IOCAImageProperties* m_properties = nullptr;
    IOCAImageProperties* m_maskProperties = nullptr;
    unsigned char* m_fileBuffer = nullptr;
    unsigned int m_fileLength = 0;
    bool m_headerRead = false;
    IOCAImageContent* m_content = nullptr;
    int m_contentCounter = 0;
};

#endif
