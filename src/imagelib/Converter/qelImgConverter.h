#ifndef QEL_IMG_CONVERTER_H
#define QEL_IMG_CONVERTER_H

class qelImgDIB;
class qelImgDecoder;
class qelImgEncoder;
struct qelImgParamValue;

// Base of the depth converters that work row by row from a decoder to an
// encoder. The parameter array is borrowed.
class qelImgConverter
{
public:
    qelImgConverter() = default;
    ~qelImgConverter() { m_params = nullptr; }
    qelImgConverter(const qelImgConverter&) = delete;
    qelImgConverter& operator=(const qelImgConverter&) = delete;

    virtual void setParameters(qelImgParamValue* params) = 0;
    virtual void finalize() = 0;
    virtual int convert(qelImgDecoder* decoder, qelImgEncoder* encoder, qelImgParamValue* params) = 0;
    // A new bitmap owned by the caller.
    virtual qelImgDIB* convert(qelImgDIB* dib, qelImgParamValue* params) = 0;

protected:
    qelImgParamValue* m_params = nullptr;
};

#endif
