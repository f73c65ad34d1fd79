#ifndef QEL_IMG_TIFF_ENCODER_H
#define QEL_IMG_TIFF_ENCODER_H

#include "qelImgEncoder.h"

#include <cstdint>
#include <memory>
#include <vector>

class qelImgTIFF;
typedef struct tiff TIFF;

// Multi-page TIFF: each encode compresses one page into a memory TIFF and
// keeps its one raw strip with its tags; finalize writes every kept page
// as one directory of one strip to the output stream.
class qelImgTIFFEncoder : public qelImgEncoder
{
public:
    explicit qelImgTIFFEncoder(qelImgIOStream* stream);
    ~qelImgTIFFEncoder() override;

    int typeId() override { return TYPE_TIFF; }
    // Null info: nothing. Else starts an empty page list.
    void initialize(qelImgParamValue* params, qelImgInfo* info) override;
    void finalize() override;
    int writeLine(unsigned char* row, int length) override;
    int writeColorTable(unsigned char*, int) override { return 0; }
    int encode(qelImgDIB* dib) override;
    int encode(qelImgDecoder* decoder) override;
    // Frees the pages and closes the memory handle.
    void cleanup();
    int getPageCount() const { return static_cast<int>(m_pages.size()); }

private:
    // A kept page with the encode type it was compressed with, so that a
    // change of type between pages still tags each strip right.
    struct Page
    {
        std::unique_ptr<qelImgTIFF> image;
        int type;
    };

    void encodePage(qelImgDecoder* decoder);
    void setProperties(TIFF* tif, int type, int width, int height, int samplesPerPixel, int bitsPerSample, int xResolution,
                       int yResolution, int photometric, int fillOrder, const uint16_t* red, const uint16_t* green,
                       const uint16_t* blue);
    void setDocProperties(TIFF* tif);

    std::vector<Page> m_pages;
    TIFF* m_memory = nullptr;
    // One row as libtiff expects it: rows of other lengths are cut or padded.
    std::vector<unsigned char> m_line;
    uint32_t m_row = 0;
    bool m_invert = false;
};

#endif
