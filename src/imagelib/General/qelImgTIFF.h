#ifndef QEL_IMG_TIFF_H
#define QEL_IMG_TIFF_H

#include "qelImgImage.h"

#include <cstdint>

class qelLinkedList;

// Page store of the TIFF encoder: compressed pages in memory streams, or in
// files of the temporary directory in the library's temporary-file mode
// (removed with the store), with colour maps and JPEG tables.
class qelImgTIFF : public qelImgImage
{
public:
    enum { RED = 0, GREEN = 1, BLUE = 2 };

    explicit qelImgTIFF(const char* name) : qelImgImage(name) {}
    ~qelImgTIFF() override;

    // Copies getColorCount() values; null or a count <= 0 leaves it empty.
    void setColorMap(int which, const uint16_t* values);
    const uint16_t* getColorMap(int which) const;
    void setJPEGTables(const unsigned char* data, unsigned int length);
    // -1 for null outputs, else 1.
    int getJPEGTables(const unsigned char** data, unsigned int* length) const;
    // One more page; -1 and nothing kept for null data or length 0.
    int addPage(const unsigned char* data, unsigned int length);
    int setData(const unsigned char* data, unsigned int length) { return addPage(data, length); }
    long long getDataSize() const;
    // All pages joined in a new[] block; -1 when there is nothing.
    int getData(unsigned char** data, unsigned int* size) const;
    int getPageCount() const;

private:
    uint16_t* m_colorMaps[3] = {nullptr, nullptr, nullptr};
    unsigned char* m_jpegTables = nullptr;
    unsigned int m_jpegTablesLength = 0;
    qelLinkedList* m_pages = nullptr;
};

#endif
