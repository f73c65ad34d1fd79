#ifndef QEL_IMG_DIB_H
#define QEL_IMG_DIB_H

struct qelImgDIBHeader;

// A decoded bitmap: one owned block holding the 40-byte header, the colour
// table and the pixel rows (top row first, rows padded to a byte only).
// Deleting the record frees the block.
class qelImgDIB
{
public:
    qelImgDIB() = default;
    ~qelImgDIB();
    qelImgDIB(const qelImgDIB&) = delete;
    qelImgDIB& operator=(const qelImgDIB&) = delete;

    // A new[] block; points header, palette and bits into it.
    void attach(unsigned char* block);

    unsigned char* buffer = nullptr;
    qelImgDIBHeader* header = nullptr;
    unsigned char* palette = nullptr;
    unsigned char* bits = nullptr;
};

#endif
