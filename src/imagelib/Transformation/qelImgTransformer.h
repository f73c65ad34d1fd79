#ifndef QEL_IMG_TRANSFORMER_H
#define QEL_IMG_TRANSFORMER_H

class CxImage;
class qelImgDIB;
struct qelImgParamValue;

// Geometry and content changes of a bitmap. Holds no state.
class qelImgTransformer
{
public:
    // By "FlipImage": 0 nothing, 1 vertical, 2 horizontal, 3 vertical then
    // horizontal, 4 horizontal then vertical. 0, a flip's negative result,
    // -1 for null, -2 for another value.
    int flip(qelImgDIB* dib, qelImgParamValue* params);
    // 0; -1 null; -3 for depths other than 1, 8, 24 or an empty row.
    int flipVertical(qelImgDIB* dib);
    // As flipVertical. 1-bit rows are mirrored within the width.
    int flipHorizontal(qelImgDIB* dib);
    // Inclusive corners, clamped and ordered. 1-bit results are widened to a
    // multiple of 8 with index 0. Null for null; OIL058 for other depths.
    qelImgDIB* crop(qelImgDIB* dib, int x1, int y1, int x2, int y2);
    // Paints rgb (red | green << 8 | blue << 16) where the mask's pixel is 0,
    // at the positions inside both images. OIL059 for other depths.
    void transparentMix(qelImgDIB* dib, qelImgDIB* mask, int rgb);
    // Resampled by filter 0-17 (any other: BSPLINE). Null for a null image
    // or a size below 1; OIL011 on failure.
    qelImgDIB* resize(const char* name, qelImgDIB* dib, int width, int height, int filter);
    // method 0: 90 (clockwise), 180 and 270 exactly, other angles unchanged;
    // else a free rotation by angle with that interpolation, size kept,
    // white where nothing is. OIL041 on failure.
    qelImgDIB* rotate(qelImgDIB* dib, int angle, int method);
    // The filter's name for messages; empty for ids outside 1-17.
    static const char* filterName(int filter);
    // A new bitmap of the image: rows top first as held, fill pixels of 1-
    // and 4-bit rows showing the entry that is not 0.
    static qelImgDIB* createDIBFromCxImage(CxImage* image);
};

#endif
