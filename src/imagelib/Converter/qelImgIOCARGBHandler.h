#ifndef QEL_IMG_IOCA_RGB_HANDLER_H
#define QEL_IMG_IOCA_RGB_HANDLER_H

class qelImgIOStream;
struct qelImgInfo;
struct qelImgParamValue;

// The three bands (R, G, B) of an IOCA colour image, JPEG or uncompressed,
// combined into RGB or grey rows and written through the encoder of the
// encode type into the stream.
class qelImgIOCARGBHandler
{
public:
    // The stream is borrowed.
    explicit qelImgIOCARGBHandler(qelImgIOStream* stream);
    ~qelImgIOCARGBHandler() = default;
    qelImgIOCARGBHandler(const qelImgIOCARGBHandler&) = delete;
    qelImgIOCARGBHandler& operator=(const qelImgIOCARGBHandler&) = delete;

    // Information and planes are borrowed.
    void setSource(qelImgInfo* info, unsigned char* r, unsigned int rLength, unsigned char* g, unsigned int gLength,
                   unsigned char* b, unsigned int bLength);
    void convert(int encodeType, qelImgParamValue* params);
    static void convertLine(int width, int colorSpace, const unsigned char* r, const unsigned char* g,
                            const unsigned char* b, unsigned char* out);
    void release();

private:
    qelImgIOStream* m_stream = nullptr;
    qelImgInfo* m_info = nullptr;
    unsigned char* m_planes[3] = {};
    unsigned int m_lengths[3] = {};
};

#endif
