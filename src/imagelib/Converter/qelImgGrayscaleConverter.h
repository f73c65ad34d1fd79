#ifndef QEL_IMG_GRAYSCALE_CONVERTER_H
#define QEL_IMG_GRAYSCALE_CONVERTER_H

class qelImgDIB;
struct qelImgParamValue;

// Turns a 1-, 4-, 8- or 24-bit bitmap into an 8-bit grey one. The parameter
// array is borrowed and may be null.
class qelImgGrayscaleConverter
{
public:
    explicit qelImgGrayscaleConverter(qelImgParamValue* params = nullptr) : m_params(params) {}

    // A new 8-bit bitmap owned by the caller. OIL006 for null, OIL033 for
    // other depths.
    qelImgDIB* convert(qelImgDIB* dib);

private:
    qelImgParamValue* m_params;
};

#endif
