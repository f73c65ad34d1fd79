#ifndef QEL_IMG_IOCA_CMYK_HANDLER_H
#define QEL_IMG_IOCA_CMYK_HANDLER_H

#include <cstdint>

class qelImgDecoder;
class qelImgEncoder;
class qelImgIOStream;
struct qelImgInfo;
struct qelImgParamValue;

// The four bands (C, M, Y, K) of an IOCA colour image decoded plane by
// plane, combined row by row into the "ColorSpace" parameter's pixels and
// written through the encoder of the encode type into the stream.
class qelImgIOCACMYKHandler
{
public:
    // The stream is borrowed.
    explicit qelImgIOCACMYKHandler(qelImgIOStream* stream);
    ~qelImgIOCACMYKHandler();
    qelImgIOCACMYKHandler(const qelImgIOCACMYKHandler&) = delete;
    qelImgIOCACMYKHandler& operator=(const qelImgIOCACMYKHandler&) = delete;

    // Information and planes are borrowed.
    void setSource(qelImgInfo* info, unsigned char* c, unsigned int cLength, unsigned char* m, unsigned int mLength,
                   unsigned char* y, unsigned int yLength, unsigned char* k, unsigned int kLength);
    void convert(int encodeType, qelImgParamValue* params);
    // One output row of width pixels.
    static void convertLine(int width, int bitsPerPixel, int colorSpace, const unsigned char* c,
                            const unsigned char* m, const unsigned char* y, const unsigned char* k,
                            unsigned char* out);
    // Frees the own plane buffers and the plane decoders.
    void release();

private:
    enum { PLANES = 4 };
    void createDecoders(qelImgParamValue* params);
    void reencodePlanesAsJPEG(qelImgParamValue* params);
    // A new[] greyscale JPEG of the decoder's rows.
    unsigned char* convertToJPEG(qelImgDecoder* decoder, qelImgParamValue* params, unsigned int* length);
    void setOwnPlane(int i, unsigned char* data, unsigned int length);
    [[noreturn]] void failRow(const char* what);

    qelImgIOStream* m_stream = nullptr;
    qelImgInfo* m_info = nullptr;
    unsigned char* m_planes[PLANES] = {};
    unsigned int m_lengths[PLANES] = {};
    qelImgDecoder* m_decoders[PLANES] = {};
    bool m_ownsPlanes = false;
    bool m_own[PLANES] = {};
};

#endif
