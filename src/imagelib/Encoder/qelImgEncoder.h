#ifndef QEL_IMG_ENCODER_H
#define QEL_IMG_ENCODER_H

class qelImgDIB;
class qelImgDecoder;
class qelImgIOStream;
struct qelImgInfo;
struct qelImgParamValue;

// Base of the image encoders: parameter table and input information
// (borrowed), the output stream (borrowed, never closed by the base) and
// the encode type.
class qelImgEncoder
{
public:
    enum {
        TYPE_DIB = 0, TYPE_JPEG = 1, TYPE_CCITT = 2, TYPE_AFP = 3, TYPE_AFP_OVERLAY = 4, TYPE_TIFF = 5,
        TYPE_AFP_IOCA = 6, TYPE_FLATE = 7, TYPE_CXIMAGE = 8
    };

    // The encode type is left unset.
    qelImgEncoder();
    // Encode type 31 (unknown) until the factory sets it.
    explicit qelImgEncoder(qelImgIOStream* stream);
    virtual ~qelImgEncoder();
    qelImgEncoder(const qelImgEncoder&) = delete;
    qelImgEncoder& operator=(const qelImgEncoder&) = delete;

    virtual int typeId() = 0;
    virtual void initialize(qelImgParamValue* params, qelImgInfo* info) = 0;
    virtual void finalize() = 0;
    // Stores both; opens nothing and does not initialise.
    virtual void setParameters(qelImgParamValue* params, qelImgInfo* info);
    virtual void hook() {}
    virtual int writeLine(unsigned char* row, int length) = 0;
    virtual int writeColorTable(unsigned char* palette, int count) = 0;
    virtual int encode(qelImgDIB* dib) = 0;
    virtual int encode(qelImgDecoder* decoder) = 0;

    void setEncodeType(int type) { m_encodeType = type; }
    int getEncodeType() const { return m_encodeType; }
    qelImgInfo* getOutputInfo() { return m_outputInfo; }

protected:
    int m_encodeType = 31;
    bool m_initialized = false;
    qelImgInfo* m_info = nullptr;
    qelImgParamValue* m_params = nullptr;
    qelImgIOStream* m_stream = nullptr;
    int m_lineCounter = 0;
    qelImgInfo* m_outputInfo = nullptr;
};

#endif
