#ifndef QEL_IMAGE_STRIPS_H
#define QEL_IMAGE_STRIPS_H

// Stored data of an image by band: count entries of new[] data blocks and
// their lengths. The record belongs to the caller; free() drops the blocks.
struct qelImageStrips
{
    int count = 0;
    unsigned char** data = nullptr;
    int* lengths = nullptr;
    // Compression code of each band, only when the bands were re-encoded one
    // by one.
    int* compressions = nullptr;

    qelImageStrips() = default;
    qelImageStrips(const qelImageStrips&) = delete;
    qelImageStrips& operator=(const qelImageStrips&) = delete;
    ~qelImageStrips() { free(); }

    void free()
    {
        for (int i = 0; data && i < count; ++i)
            delete[] data[i];
        delete[] data;
        delete[] lengths;
        delete[] compressions;
        data = nullptr;
        lengths = nullptr;
        compressions = nullptr;
        count = 0;
    }
};

#endif
