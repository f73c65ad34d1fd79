#ifndef QEL_IMG_TIFF_DECODER_H
#define QEL_IMG_TIFF_DECODER_H

#include "qelImgDecoder.h"

#include <tiffio.h>

#include <cstdint>
#include <vector>

class qelImgTIFFStream;

// TIFF from a file, a memory block (borrowed) or raw encoded data behind a
// header of its own; one page per directory.
class qelImgTIFFDecoder : public qelImgDecoder
{
public:
    explicit qelImgTIFFDecoder(const char* fileName);
    qelImgTIFFDecoder(const unsigned char* data, unsigned int length);
    // The palette holds the information's colour count of 4-byte entries
    // (blue, green, red, 0); data and palette are borrowed.
    qelImgTIFFDecoder(qelImgInfo* info, const unsigned char* data, unsigned int length,
                      const unsigned char* palette);
    ~qelImgTIFFDecoder() override;

    void setPageNumber(int page) override;
    void initialize() override;
    void finalize() override;
    void readHeader() override;
    // Leaves the library on directory page without reading it.
    bool doesPageExist(int page) override;
    int pageCount() override { return m_pageCount; }
    void decode(qelImgParamValue* params) override;
    void getEncodedData(unsigned char** data, unsigned int* length) override;
    void getEncodedBandData(qelImageStrips* bands) override;
    int readNextLine(unsigned char* row) override;
    int getDecodeBPP() override;
    int getDecoderKind() override { return KIND_TIFF; }
    const char* name() override { return "TIFF Decoder"; }
    int getScanLineSize() override;
    int getWidthFromData() override;
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override;

    // Decodes row n as stored into row: 1, -1 on failure, 0 past the end.
    int decodeLine(int n, unsigned char* row);

    static bool hasTIFFSignature(const unsigned char* data, unsigned int length);
    // The TIFF Compression value of an image library compression code.
    static int toTIFFCompression(int compression);
    static int fromTIFFCompression(int tiffCompression);

private:
    enum RowKind { ROWS_GRAY, ROWS_RGB, ROWS_CMYK, ROWS_RGBA };

    void open(const char* label);
    void cleanup();
    void closeHandle();
    // Closes the handle and throws OIL020 with the text.
    [[noreturn]] void fail(const char* text);
    void check(const char* label, int rc);
    TIFF* handle();
    bool decodePaletteAsRGB() const;
    RowKind rowKind() const;
    void readColorTable();
    // Decoded rows firstRow.. of one strip (or one row of tiles), each
    // getScanLineSize() bytes; the rows delivered.
    int decodeStrip(uint32_t strip, int firstRow, std::vector<unsigned char>& out);
    void readStoredRows(uint32_t strip, int firstRow, int rows, std::vector<unsigned char>& raw, size_t rawRowBytes);
    void readRGBARows(int firstRow, int rows, std::vector<uint32_t>& raster);
    void convertRow(RowKind kind, const unsigned char* raw, size_t rawBytes, unsigned char* out);
    void decodeJPEG();
    // Raw bytes of strip or tile i read from the source: exactly its count.
    void readRawStrile(uint32_t i, std::vector<unsigned char>& out, const char* errorFormat);
    void getEncodedJPEGDataFromSingleStrip(std::vector<unsigned char>& out);
    void getEncodedJPEGData(std::vector<unsigned char>& out);
    // Appends the strip's segments to out; false without a scan header.
    bool processJPEGStrip(const unsigned char* strip, size_t length, std::vector<unsigned char>& out, uint32_t index,
                          uint32_t imageHeight);
    int prepareOJPEGHeader(std::vector<unsigned char>& out);
    bool jpegTables(const unsigned char** data, uint32_t* length);

    TIFF* m_tif = nullptr;
    int m_rowsPerStrip = 0;
    int m_scanlineSize = 0;
    qelImgTIFFStream* m_stream = nullptr;
    int m_currentLine = -1;
    int m_currentStrip = -1;
    uint16_t m_planar = 1;
    std::vector<unsigned char> m_stripBuffer;
    int m_stripRows = 0;
    // Whole strips were read since the last scanline: the handle's scanline
    // state no longer matches where its strip data stand.
    bool m_stripsRead = false;
    unsigned char* m_header = nullptr;
};

#endif
