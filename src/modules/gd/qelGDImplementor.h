#ifndef QEL_GD_IMPLEMENTOR_H
#define QEL_GD_IMPLEMENTOR_H

#include "qelRasterImplementor.h"

#include <gd.h>

#include <cstdint>
#include <string>

class qelImageHandle;
struct qelImgInfo;
class qelGDImageHandle;

// The gd back end of the raster output: one page bitmap, a gd palette or
// true-colour image, drawn in pixels at the output resolution.
class qelGDImplementor : public qelRasterImplementor
{
public:
    // Largest page bitmap made, in pixels (about A0 at 400 dpi).
    static constexpr long long kMaxPagePixels = 1LL << 28;

    explicit qelGDImplementor(qelVisitor* owner);
    ~qelGDImplementor() override;

    bool supportsOutputType(int format) override;
    int checkOutputType(int format) override;
    int checkOutputFile(int format) override;
    int resizePage(int width, int height) override;
    void reset() override;
    void endDocument() override;
    void initializePage(int width, int height, int pageResolution, int outputResolution, int bgColorSpace,
                        uint32_t bgColor, int bitsPerPixel, int colorFlag, int rotation, int pageNumber) override;
    void savePage() override;
    void endPage() override;
    void release() override;
    void setOriginMode(qelPageCoordinateTransformer* transformer) override;
    int drawImageHandle(qelTextObject* text, uint32_t color, float x, float y, float width, float height, int srcX,
                        int srcY, int srcWidth, int srcHeight, qelFontRepresentation* font, int* colorOut) override;
    float drawOutlineText(qelTextObject* text, qelAFPFont* font, int* colorOut) override;
    float drawCIDText(qelTextObject* text, qelAFPFont* font, int resolution, int* colorOut) override;
    float drawText(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage, const uint8_t* codePoints,
                   int length, uint8_t spaceCodePoint, int* colorOut, bool byteFont) override;
    void drawLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, bool filled) override;
    void drawStyledLine(qelPoint p1, qelPoint p2, int colorSpace, uint32_t color, int* colorOut, float width,
                        int lineType, const int* dashes, int dashCount) override;
    void reservedHookA() override {}
    void reservedHookB() override {}
    void drawDIB(const qelImgDIB* dib, float x, float y) override;
    void drawContainerImage(float width, float height, float x, float y, qelContainerObject* container,
                            int transparentIndex) override;
    void drawImage(float width, float height, float x, float y, qelImageObject* image,
                   int transparentIndex) override;
    void drawMarker(int colorSpace, uint32_t color, int symbol, qelPoint centre, float width, float height,
                    int* colorOut) override;
    void drawFullArc(int colorSpace, uint32_t color, int lineType, qelPoint extent, qelPoint reference,
                     qelPoint centre, float multiplier, float width, int* colorOut, const int* dashes,
                     int dashCount) override;
    void drawPartialArc(int colorSpace, uint32_t color, int lineType, qelPoint extent, qelPoint reference,
                        qelPoint centre, double startAngle, double endAngle, float multiplier, float width,
                        int* colorOut, const int* dashes, int dashCount) override;
    void drawFillet(int colorSpace, uint32_t color, qelPoint p0, qelPoint p1, qelPoint p2, qelPoint p3,
                    int pointCount, float width, int lineType, const int* dashes, int dashCount,
                    int* colorOut) override;
    void reservedHookC() override {}
    void drawBox(int colorSpace, uint32_t color, qelPoint p1, qelPoint p2, float width, int lineType,
                 float radiusAcross, float radiusDown, bool rounded, int* colorOut, const int* dashes,
                 int dashCount) override;
    void reservedHookD(int, int) override {}
    void reservedHookE() override {}
    void reservedHookF(int, int, float) override {}
    bool setFontFileName(const char* path) override;
    uint8_t selectTextFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage) override;
    float reservedValueA() override { return 0.0f; }
    float reservedValueB() override { return 0.0f; }
    bool selectGeneratedFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* codePage) override;
    void trimImage(int x, int y, int width, int height) override;
    void drawGlyphBitmap(float x, float y, int colorSpace, uint32_t color, FT_Bitmap_* bitmap) override;

    // A new gd image from pel rows read from the top, each row padded to a
    // whole byte: 1, 4 and 8 bits give a palette image unless `trueColor`,
    // 24 bits are red, green, blue and 32 bits C, M, Y, K (converted to
    // RGB). The palette holds `colors` blue-green-red-reserved entries; a
    // white entry of a 1-bit palette image is transparent unless a
    // transparent index >= 0 names another. Null without pel data, or when
    // the data is shorter than the rows. Throws the text "Unable to create
    // GD image with color table." for other depths or when gd cannot make
    // the image. Needs no implementor.
    static qelImageHandle* createImageHandle(int width, int height, int bitsPerPel, int colors,
                                             const uint8_t* palette, const uint8_t* rows, long size,
                                             int transparentIndex, bool trueColor);
    // The page image as JPEG at the option JPEGQuality; nothing for a null
    // path or a file that cannot be opened.
    void saveAsJPEG(const char* path);
    // Installs a gd line style from (on, off) pairs: -1 without entries,
    // 0 when the pattern cannot be used, 1 when installed.
    int setDashPattern(int color, int lineType, const int* dashes, int dashCount);

    gdImagePtr getPageImage() const { return m_image; }
    float getScale() const { return m_scale; }
    int getWhiteIndex() const { return m_white; }
    int getBlackIndex() const { return m_black; }
    const char* getFontFileName() const { return m_fontFileName.c_str(); }

private:
    // The owner's page coordinate transformer; null without owner.
    qelPageCoordinateTransformer* transformer() const;
    // A text's colour resolved in the page image.
    int textColor(const qelTextObject* text, int* colorOut) const;
    static void advancePen(const qelTextObject* text, double advance, double* x, double* y);
    int resolveColor(int colorSpace, uint32_t color) const;
    void reportColor(int gdColor, int* colorOut) const;
    // Colour and thickness of a styled draw; the colour may become gdStyled.
    int prepareStroke(int colorSpace, uint32_t color, int lineType, const int* dashes, int dashCount, int* width);
    void roundedBox(int x1, int y1, int x2, int y2, int rx, int ry, int color);
    void drawObjectHandle(qelGDImageHandle* handle, float width, float height, float x, float y, int orientation);
    // A gd image of an object's pixels (true colour when turned); with
    // DevTest also written out under the name.
    qelImageHandle* makeObjectHandle(const qelImgInfo* info, int colors, const uint8_t* palette,
                                     const unsigned char* data, long length, int transparentIndex, int orientation,
                                     const char* diagnosticName);
    void writeDiagnostic(const char* baseName, int quality);

    gdImagePtr m_image = nullptr;
    int m_black = 0;
    int m_white = 0;
    float m_scale = 1.0f;
    std::string m_fontFileName;
};

#endif
