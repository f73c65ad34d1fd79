#ifndef QEL_IMG_CONVERTER_SUPPORT_H
#define QEL_IMG_CONVERTER_SUPPORT_H

class qelImgDIB;
class qelImgDecoder;
class qelImgConverter;
struct qelImgParamValue;

// Runs a bitmap through a DIB decoder, the converter's row form and the DIB
// encoder on a memory stream; bitsPerPixel is the output depth, mono asks
// for the black and white table. The result is written to debugName in the
// temporary directory at trace level.
qelImgDIB* qelImgConvertDIBRows(qelImgConverter* converter, qelImgDIB* dib, qelImgParamValue* params,
                                int bitsPerPixel, bool mono, const char* debugName);

// The colour space's name in messages: "GrayScale", "RGB", "CMYK" or "Unknown".
const char* qelImgColorSpaceName(int space);
// One row of a colour plane's decoder into row: false when it has none; a
// library error is traced and dropped.
bool qelImgReadPlaneRow(qelImgDecoder* decoder, unsigned char* row);

#endif
