#ifndef QEL_IMG_1BPP_CONVERTER_H
#define QEL_IMG_1BPP_CONVERTER_H

#include "qelImgConverter.h"

// 8-bit grey rows to 1-bit rows by Floyd-Steinberg ("DITHER Method" 2),
// 4 x 4 Bayer (3) or 8 x 8 clustered-dot ordered dither (any other).
class qelImg1BPPConverter : public qelImgConverter
{
public:
    void setParameters(qelImgParamValue* params) override { m_params = params; }
    void finalize() override {}
    // 0 for a null encoder, else the dither's result (0, -1 on a short
    // decoder). OIL024 for a null decoder, OIL034 for input other than 8 bits.
    int convert(qelImgDecoder* decoder, qelImgEncoder* encoder, qelImgParamValue* params) override;
    qelImgDIB* convert(qelImgDIB* dib, qelImgParamValue* params) override;

private:
    int fsDither(qelImgDecoder* decoder, qelImgEncoder* encoder);
    int bayerOrderedDither(qelImgDecoder* decoder, qelImgEncoder* encoder);
    int orderedDither(qelImgDecoder* decoder, qelImgEncoder* encoder);
};

#endif
