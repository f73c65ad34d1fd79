#ifndef QEL_RASTER_IMPLEMENTOR_H
#define QEL_RASTER_IMPLEMENTOR_H

#include "qelPoint.h"

#include <cstdint>

class qelAFPFont;
class qelContainerObject;
class qelFontRepresentation;
class qelImageObject;
class qelImgDIB;
class qelIni;
class qelPageCoordinateTransformer;
struct qelPDFFontFileEntry;
class qelTextObject;
class qelVisitor;
struct FT_Bitmap_;

// Drawing back end of the gd raster path. Positions and lengths are page
// units unless an operation says pixels; colours are a space code (1 RGB,
// 2 CMYK, 3 highlight, 4 CIE Lab, 5 OCA) and a value, RGB packed with red
// in the low byte. An `int*` colour output receives the packed RGB drawn
// with when the log asks for image lines.
class qelRasterImplementor
{
public:
    // The owner (the visitor driving this implementor) may be null.
    explicit qelRasterImplementor(qelVisitor* owner);
    virtual ~qelRasterImplementor();
    qelRasterImplementor(const qelRasterImplementor&) = delete;
    qelRasterImplementor& operator=(const qelRasterImplementor&) = delete;

    // Output format bits (qelOutputFormat).
    virtual bool supportsOutputType(int format) = 0;
    virtual int checkOutputType(int format) = 0;
    virtual int checkOutputFile(int format) = 0;
    virtual int resizePage(int width, int height) = 0;
    virtual void reset() = 0;
    virtual void endDocument() = 0;
    virtual void initializePage(int width, int height, int pageResolution, int outputResolution, int bgColorSpace,
                                uint32_t bgColor, int bitsPerPixel, int colorFlag, int rotation, int pageNumber)
        = 0;
    virtual void savePage() = 0;
    // The page DIB goes to whoever took it.
    virtual void endPage() = 0;
    virtual void release() = 0;
    virtual void setOriginMode(qelPageCoordinateTransformer* transformer) = 0;
    virtual int drawImageHandle(qelTextObject* text, uint32_t color, float x, float y, float width, float height,
                                int srcX, int srcY, int srcWidth, int srcHeight, qelFontRepresentation* font,
                                int* colorOut)
        = 0;
    virtual float drawOutlineText(qelTextObject* text, qelAFPFont* font, int* colorOut) = 0;
    virtual float drawCIDText(qelTextObject* text, qelAFPFont* font, int resolution, int* colorOut) = 0;
    virtual float drawText(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage,
                           const uint8_t* codePoints, int length, uint8_t spaceCodePoint, int* colorOut,
                           bool byteFont)
        = 0;
    virtual void drawLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, bool filled) = 0;
    virtual void drawStyledLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, int* colorOut, float width,
                                int lineType, const int* dashes, int dashCount)
        = 0;
    virtual void reservedHookA() = 0;
    virtual void reservedHookB() = 0;
    // Pixels.
    virtual void drawDIB(const qelImgDIB* dib, float x, float y) = 0;
    virtual void drawContainerImage(float width, float height, float x, float y, qelContainerObject* container,
                                    int transparentIndex)
        = 0;
    virtual void drawImage(float width, float height, float x, float y, qelImageObject* image, int transparentIndex)
        = 0;
    virtual const char* getColorSpaceName() { return "RGB"; }
    virtual void drawMarker(int colorSpace, uint32_t color, int symbol, qelPoint centre, float width, float height,
                            int* colorOut)
        = 0;
    virtual void drawFullArc(int colorSpace, uint32_t color, int lineType, qelPoint extent, qelPoint reference,
                             qelPoint centre, float multiplier, float width, int* colorOut, const int* dashes,
                             int dashCount)
        = 0;
    virtual void drawPartialArc(int colorSpace, uint32_t color, int lineType, qelPoint extent, qelPoint reference,
                                qelPoint centre, double startAngle, double endAngle, float multiplier, float width,
                                int* colorOut, const int* dashes, int dashCount)
        = 0;
    virtual void drawFillet(int colorSpace, uint32_t color, qelPoint p0, qelPoint p1, qelPoint p2, qelPoint p3,
                            int pointCount, float width, int lineType, const int* dashes, int dashCount,
                            int* colorOut)
        = 0;
    virtual void reservedHookC() = 0;
    virtual void drawBox(int colorSpace, uint32_t color, qelPoint p1, qelPoint p2, float width, int lineType,
                         float radiusAcross, float radiusDown, bool rounded, int* colorOut, const int* dashes,
                         int dashCount)
        = 0;
    virtual void reservedHookD(int a, int b) = 0;
    virtual void reservedHookE() = 0;
    virtual void reservedHookF(int a, int b, float value) = 0;
    virtual bool setFontFileName(const char* path) = 0;
    virtual uint8_t selectTextFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage) = 0;
    virtual float reservedValueA() = 0;
    virtual float reservedValueB() = 0;
    virtual bool selectGeneratedFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage) = 0;
    // Pixels.
    virtual void trimImage(int x, int y, int width, int height) = 0;
    virtual void drawGlyphBitmap(float x, float y, int colorSpace, uint32_t color, FT_Bitmap_* bitmap) = 0;

    // The visitor this implementor draws for; null without one.
    qelVisitor* getOwner() const { return m_owner; }
    qelIni* getOptions() const { return m_options; }
    // The page DIB made by savePage; null once taken or released.
    qelImgDIB* getPageDIB() const { return m_pageDIB; }
    int getRotation() const { return m_rotation; }
    int getPageNumber() const { return m_pageNumber; }
    // File checkOutputFile opens; none by default.
    void setOutputFileName(const char* path);
    const char* getOutputFileName() const { return m_outputFileName; }

protected:
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_pageResolution = 0;
    int m_outputResolution = 0;
    int m_pageNumber = 0;
    qelIni* m_options = nullptr;
    qelImgDIB* m_pageDIB = nullptr;
    int m_rotation = 0;
    char* m_outputFileName = nullptr;

private:
    // Kept per implementor: another one made or destroyed later must not
    // change whose font mapping this one consults.
    qelVisitor* m_owner = nullptr;
};

#endif
