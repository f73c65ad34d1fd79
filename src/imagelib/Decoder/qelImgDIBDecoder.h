#ifndef QEL_IMG_DIB_DECODER_H
#define QEL_IMG_DIB_DECODER_H

#include "qelImgDecoder.h"

class qelImgBufferStream;

// A bitmap block in memory (borrowed): the 40-byte header, a colour table
// of 2, 16 or 256 entries for 1, 4 and 8 bits, rows padded to a byte, top
// row first. One page.
class qelImgDIBDecoder : public qelImgDecoder
{
public:
    qelImgDIBDecoder(const unsigned char* data, unsigned int length);
    // DIB files are not read: OIL026.
    explicit qelImgDIBDecoder(const char* fileName);
    // Takes none of its arguments: no source, no information.
    qelImgDIBDecoder(qelImgInfo* info, unsigned char* data, unsigned int length);
    ~qelImgDIBDecoder() override;

    void setPageNumber(int page) override;
    void initialize() override {}
    void finalize() override {}
    void readHeader() override;
    bool doesPageExist(int page) override { return page == 0; }
    int pageCount() override { return 1; }
    void decode(qelImgParamValue* params) override;
    // The pixel rows as stored.
    void getEncodedData(unsigned char** data, unsigned int* length) override;
    void getEncodedBandData(qelImageStrips* bands) override;
    int readNextLine(unsigned char* row) override;
    int getDecodeBPP() override;
    int getDecoderKind() override { return KIND_DIB; }
    const char* name() override { return "DIB Image Decoder"; }
    int getScanLineSize() override;
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override {}

    // Whether the data begin like a bitmap block of ours.
    static bool isDIB(const unsigned char* data, unsigned int length);

private:
    bool paletteAsRGB() const;
    bool cmykAsRGB() const;
    int readBytes(unsigned char* out, int64_t count);

    qelImgBufferStream* m_stream = nullptr;
    int m_currentLine = -1;
};

#endif
