#ifndef QEL_IMG_JPEG_DECODER_H
#define QEL_IMG_JPEG_DECODER_H

#include "qelImgDecoder.h"
#include "qelImgJPEGShim.h"

#include <cstdio>

// JPEG from a file or a memory block (borrowed; it must outlive the
// decoder). One page; rows are read forward only.
class qelImgJPEGDecoder : public qelImgDecoder
{
public:
    explicit qelImgJPEGDecoder(const char* fileName);
    qelImgJPEGDecoder(const unsigned char* data, unsigned int length);
    // The information record is not used.
    qelImgJPEGDecoder(qelImgInfo* info, const unsigned char* data, unsigned int length);
    ~qelImgJPEGDecoder() override;

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
    int getDecoderKind() override { return KIND_JPEG; }
    const char* name() override { return "JPEG Decoder"; }
    int getScanLineSize() override;
    int getWidthFromData() override;
    void getEncodedTileData(int tile, unsigned char** data, unsigned int* length) override;
    int decodeTileImage(qelImgParamValue* params, int tile) override;
    void checkSupportedFormat() override;

    static bool hasJPEGSignature(const unsigned char* data, unsigned int length);

private:
    // Runs one library call under the jump target, then throws what it left
    // pending. Nothing with a destructor may live inside call.
    template <class Call>
    int run(Call& call, const char* label, int rc);
    void create(const char* label);
    // Set-up of the memory constructors: OIL012 for no data.
    void openMemory(const unsigned char* data, unsigned int length, const char* label);
    void release();
    // Records message 1006 as the pending error.
    void raiseReadError();

    jpeg_decompress_struct* m_cinfo = nullptr;
    qelImgJPEGError m_error;
    FILE* m_file = nullptr;
    const unsigned char* m_data = nullptr;
    unsigned int m_length = 0;
    // The data ended early: no further rows.
    bool m_ended = false;
};

#endif
