#ifndef QEL_IMG_CONVERTER_SUPPORT_H
#define QEL_IMG_CONVERTER_SUPPORT_H

class qelImgDIB;
class qelImgConverter;
struct qelImgParamValue;

// Runs a bitmap through a DIB decoder, the converter's row form and the DIB
// encoder on a memory stream; bitsPerPixel is the output depth, mono asks
// for the black and white table. The result is written to debugName in the
// temporary directory at trace level.
qelImgDIB* qelImgConvertDIBRows(qelImgConverter* converter, qelImgDIB* dib, qelImgParamValue* params,
                                int bitsPerPixel, bool mono, const char* debugName);

#endif
