#ifndef QEL_IMG_RAW_DATA_DECODER_H
#define QEL_IMG_RAW_DATA_DECODER_H

#include "qelImgDecoder.h"

class qelImgBufferStream;

// Pixel rows a caller hands over (borrowed) with their information and an
// optional colour table. One page.
class qelImgRawDataDecoder : public qelImgDecoder
{
public:
    // The information is copied; the palette holds the colour count x 4
    // bytes (blue, green, red, 0).
    qelImgRawDataDecoder(qelImgInfo* info, unsigned char* data, int length, unsigned char* palette);
    // No information: the caller supplies it later.
    qelImgRawDataDecoder(unsigned char* data, int length);
    ~qelImgRawDataDecoder() override;

    void setPageNumber(int page) override;
    void initialize() override {}
    void finalize() override {}
    void readHeader() override {}
    bool doesPageExist(int page) override { return page == 0; }
    int pageCount() override { return 1; }
    void decode(qelImgParamValue* params) override;
    // A copy of the caller's whole data.
    void getEncodedData(unsigned char** data, unsigned int* length) override;
    void getEncodedBandData(qelImageStrips* bands) override;
    int readNextLine(unsigned char* row) override;
    int getDecodeBPP() override;
    int getDecoderKind() override { return KIND_RAW; }
    const char* name() override { return "Raw Image Decoder"; }
    int getScanLineSize() override;
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override {}

private:
    bool paletteAsRGB() const;

    qelImgBufferStream* m_stream = nullptr;
    int m_currentLine = -1;
};

#endif
