#ifndef QEL_IMG_24BPP_CONVERTER_H
#define QEL_IMG_24BPP_CONVERTER_H

#include "qelImgConverter.h"

// 24- and 48-bit rows to 24-bit rows (the high byte of each 16-bit sample).
class qelImg24BPPConverter : public qelImgConverter
{
public:
    void setParameters(qelImgParamValue* params) override { m_params = params; }
    void finalize() override {}
    // -1 for a null decoder or encoder or a row size of 0, else 1.
    int convert(qelImgDecoder* decoder, qelImgEncoder* encoder, qelImgParamValue* params) override;
    // Null for a null input or a depth other than 24 and 48.
    qelImgDIB* convert(qelImgDIB* dib, qelImgParamValue* params) override;
};

#endif
