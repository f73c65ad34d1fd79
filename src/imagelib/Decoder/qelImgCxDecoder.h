#ifndef QEL_IMG_CX_DECODER_H
#define QEL_IMG_CX_DECODER_H

#include "qelImgDecoder.h"

class CxFile;
class CxImage;

// BMP, PNG, GIF and PCX through the CxImage stand-in, from a file or a
// memory block (borrowed; it must outlive the decoder). GIF frames are the
// pages; another frame is read by decoding the file again.
class qelImgCxDecoder : public qelImgDecoder
{
public:
    qelImgCxDecoder(const char* fileName, int imageType);
    qelImgCxDecoder(unsigned char* data, unsigned int length, int imageType);
    // Raw pixels of these types are not taken: OIL026.
    qelImgCxDecoder(qelImgInfo* info, unsigned char* data, unsigned int length);
    ~qelImgCxDecoder() override;

    void setPageNumber(int page) override;
    void initialize() override {}
    void finalize() override {}
    void readHeader() override;
    bool doesPageExist(int page) override;
    int pageCount() override { return 1; }
    void decode(qelImgParamValue* params) override;
    void getEncodedData(unsigned char** data, unsigned int* length) override;
    void getEncodedBandData(qelImageStrips* bands) override;
    int readNextLine(unsigned char* row) override;
    int getDecodeBPP() override;
    int getDecoderKind() override { return KIND_DIB; }
    const char* name() override { return "DIB Image Decoder"; }
    int getScanLineSize() override;
    bool hasMask() override { return m_maskInfo != nullptr; }
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override;

    int getPhotometric();
    // Number of frames of the source.
    int getFrameCount() const { return m_pageCount; }

    static int toCxFormat(int imageType);
    static int fromCxFormat(int cxType);
    // CxImage's version number as "%.5f"; nothing for null.
    static void getCxImageVersion(char* buffer);

private:
    void open(int imageType);
    void release();
    // Decodes the frame of the page when another one is loaded; false and
    // CxImage's text when that fails.
    bool selectFrame();
    void fillInfo(qelImgInfo& info, CxImage& image);
    void buildAlphaMask();

    CxImage* m_image = nullptr;
    CxFile* m_file = nullptr;
    int m_currentLine = -1;
    CxImage* m_alphaImage = nullptr;
};

#endif
