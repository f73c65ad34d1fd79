/* Public interface of the PDF writer library. */
#ifndef OPDF_H
#define OPDF_H

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PDFDocContext PDFDocContext;
typedef struct PDFMemoryStream PDFMemoryStream;
typedef struct PDFPlotDomain PDFPlotDomain;
typedef struct PDFAxis PDFAxis;

typedef struct PDFDocLimits {
    int32_t MaxPages;
    int32_t MaxFonts;
    int32_t MaxImages;
    int32_t MaxAnnots;
    int32_t MaxObjects;
    int32_t MaxPatterns;
} PDFDocLimits;

typedef struct PDFViewerPreferences {
    int32_t PageMode; /* 0 UseNone, 1 UseOutlines, 2 UseThumbs, 3 FullScreen */
    int32_t HideToolbar;
    int32_t HideMenubar;
    int32_t HideWindowUI;
    int32_t FitWindow;
    int32_t CenterWindow;
    int32_t DisplayDocTitle;
    int32_t PageLayout; /* 0 SinglePage, 1 OneColumn, 2 TwoColumnLeft, 3 TwoColumnRight */
    int32_t NonFullScreenPageMode;
} PDFViewerPreferences;

/* Calendar fields in the order of the C run time's broken-down time. */
typedef struct PDFTimeRecord {
    int32_t sec;
    int32_t min;
    int32_t hour;
    int32_t mday;
    int32_t mon;  /* 0-11 */
    int32_t year; /* years since 1900 */
    int32_t wday;
    int32_t yday; /* 0-365 */
    int32_t isdst;
} PDFTimeRecord;

typedef struct PDFMD5Context {
    uint32_t state[4];
    uint32_t count[2]; /* byte count, low and high word */
    unsigned char block[64];
} PDFMD5Context;

/* Document callback: level, module, format, arguments. */
typedef int (*PDFErrorHandler)(PDFDocContext* ctx, int level, const char* module,
                               const char* format, va_list args);
/* Process-wide callback. */
typedef int (*PDFGlobalHandler)(int level, const char* module, const char* format,
                                va_list args);

/* ---- life cycle ------------------------------------------------------- */
void opdf_setDefaultLimits(int pages, int fonts, int images, int annots, int objects,
                           int patterns);
PDFDocContext* opdf_open(int openArgument, const PDFDocLimits* limits);
int opdf_init(PDFDocContext* ctx);
int opdf_finalizeAll(PDFDocContext* ctx);
void opdf_close(PDFDocContext* ctx);

/* ---- settings --------------------------------------------------------- */
void opdf_setCreator(PDFDocContext* ctx, const char* text);
void opdf_setTitle(PDFDocContext* ctx, const char* text);
void opdf_setSubject(PDFDocContext* ctx, const char* text);
void opdf_setKeywords(PDFDocContext* ctx, const char* text);
void opdf_setAuthor(PDFDocContext* ctx, const char* text);
void opdf_setCompression(PDFDocContext* ctx, int on);
void opdf_setCompressionFilter(PDFDocContext* ctx, const char* path, const char* filter);
void opdf_setViewerPreferences(PDFDocContext* ctx, const PDFViewerPreferences* prefs);
void opdf_setJPEGQuality(PDFDocContext* ctx, unsigned quality);
void opdf_setOutputFile(PDFDocContext* ctx, const char* name);
void opdf_setStdoutOutput(PDFDocContext* ctx, int on);
void opdf_setTempDirectory(PDFDocContext* ctx, const char* dir);
void opdf_setContentInMemory(PDFDocContext* ctx, int on);
void opdf_setOmitVariableInfo(PDFDocContext* ctx, int on);
void opdf_setHexStrings(PDFDocContext* ctx, int on);
void opdf_setUnitSize(PDFDocContext* ctx, float unitsPerDomainUnit);
void opdf_setMonthNames(PDFDocContext* ctx, const char* names[12]);
void opdf_setPDFLevel(PDFDocContext* ctx, int major, int minor);
void opdf_setProducer(const char* text);

/* ---- reporting -------------------------------------------------------- */
PDFErrorHandler opdf_setErrorHandler(PDFDocContext* ctx, PDFErrorHandler handler);
/* Caller data kept with the document, for use inside the error callback. */
void opdf_setUserData(PDFDocContext* ctx, void* data);
void* opdf_getUserData(PDFDocContext* ctx);
PDFGlobalHandler opdf_setGlobalErrorHandler(PDFGlobalHandler handler);
PDFGlobalHandler opdf_setGlobalWarningHandler(PDFGlobalHandler handler);
int opdf_defaultErrorHandler(PDFDocContext* ctx, int level, const char* module,
                             const char* format, va_list args);
int opdf_defaultGlobalHandler(int level, const char* module, const char* format,
                              va_list args);

/* ---- identification --------------------------------------------------- */
const char* opdf_getLibraryName(void);
const char* opdf_getLibraryVersion(void);
const char* opdf_getLibraryFullName(void);
const char* opdf_getPlatformName(void);

/* ---- comments and output ---------------------------------------------- */
int opdf_addDocumentComment(PDFDocContext* ctx, const char* text);
int opdf_addPageComment(PDFDocContext* ctx, const char* text, int page);
const unsigned char* opdf_getMemoryOutput(PDFDocContext* ctx, unsigned* length);
int opdf_writeMemoryOutput(PDFDocContext* ctx, const char* name);
const char* opdf_getOutputFileName(PDFDocContext* ctx);
/* errno of the document's first failed write, 0 when every write succeeded;
   fileName (optional) receives the file it went to. */
int opdf_getWriteError(PDFDocContext* ctx, const char** fileName);
int opdf_addXMPMetadata(PDFDocContext* ctx, const unsigned char* bytes, int n);

/* ---- helpers ---------------------------------------------------------- */
void opdf_free(void* block);
void opdf_slashToBackslash(char* destination, const char* source);
void opdf_randomLetters(char* buffer, int n);
/* 0 on a little-endian host, 1 on a big-endian host. */
int opdf_returnZero(void);

/* ---- pages ------------------------------------------------------------ */
int opdf_pageInit(PDFDocContext* ctx, int page, int rotationCode, const char* mediaBox,
                  const char* cropBox);
int opdf_setCurrentPage(PDFDocContext* ctx, int page);
void opdf_finalizePage(PDFDocContext* ctx, int page);
void opdf_setPageDuration(PDFDocContext* ctx, float seconds);
void opdf_setPageTransition(PDFDocContext* ctx, int style, float duration, float direction,
                            int horizontal, int inward);
void opdf_setMediaBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1);
void opdf_setCropBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1);
void opdf_setPageBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1);
PDFMemoryStream* opdf_swapContentStream(PDFDocContext* ctx, PDFMemoryStream* stream);

/* ---- content operators (raw forms take page units) --------------------- */
void opdf_gsave(PDFDocContext* ctx);
void opdf_grestore(PDFDocContext* ctx);
void opdf_setdash(PDFDocContext* ctx, const char* dash);
void opdf_nodash(PDFDocContext* ctx);
void opdf_rawconcat(PDFDocContext* ctx, float a, float b, float c, float d, float e, float f);
void opdf_rotate(PDFDocContext* ctx, float angle);
void opdf_rawtranslate(PDFDocContext* ctx, float x, float y);
void opdf_scale(PDFDocContext* ctx, float sx, float sy);
void opdf_setflat(PDFDocContext* ctx, int flatness);
void opdf_setlinejoin(PDFDocContext* ctx, int join);
void opdf_setlinecap(PDFDocContext* ctx, int cap);
void opdf_setmiterlimit(PDFDocContext* ctx, float limit);
void opdf_setlinewidth(PDFDocContext* ctx, float width);
void opdf_setgrayFill(PDFDocContext* ctx, float gray);
void opdf_setgrayStroke(PDFDocContext* ctx, float gray);
void opdf_setrgbcolorFill(PDFDocContext* ctx, float r, float g, float b);
void opdf_setrgbColorStroke(PDFDocContext* ctx, float r, float g, float b);
void opdf_setcmykcolorFill(PDFDocContext* ctx, float c, float m, float y, float k);
void opdf_setcmykcolorStroke(PDFDocContext* ctx, float c, float m, float y, float k);
void opdf_setgrayColor(PDFDocContext* ctx, float gray);
void opdf_setrgbColor(PDFDocContext* ctx, float r, float g, float b);
void opdf_setcmykColor(PDFDocContext* ctx, float c, float m, float y, float k);
void opdf_rawmoveto(PDFDocContext* ctx, float x, float y);
void opdf_rawlineto(PDFDocContext* ctx, float x, float y);
void opdf_rawrmoveto(PDFDocContext* ctx, float dx, float dy);
void opdf_rawrlineto(PDFDocContext* ctx, float dx, float dy);
void opdf_rawcurveto(PDFDocContext* ctx, float x1, float y1, float x2, float y2, float x3,
                     float y3);
void opdf_rawrect(PDFDocContext* ctx, float x, float y, float w, float h);
void opdf_closepath(PDFDocContext* ctx);
void opdf_stroke(PDFDocContext* ctx);
void opdf_fill(PDFDocContext* ctx);
void opdf_eofill(PDFDocContext* ctx);
void opdf_fillAndStroke(PDFDocContext* ctx);
void opdf_eofillAndStroke(PDFDocContext* ctx);
void opdf_clip(PDFDocContext* ctx);
void opdf_eoclip(PDFDocContext* ctx);
void opdf_newpath(PDFDocContext* ctx);
void opdf_rawcircle(PDFDocContext* ctx, float cx, float cy, float r);
void opdf_rawcircleHalves(PDFDocContext* ctx, float cx, float cy, float r);
void opdf_rawrotatedRect(PDFDocContext* ctx, float x, float y, float w, float h, float angle);
void opdf_rawarc(PDFDocContext* ctx, float cx, float cy, float r, float startAngle,
                 float endAngle, int moveFirst);

void opdf_beginText(PDFDocContext* ctx);
void opdf_endText(PDFDocContext* ctx);
void opdf_setWordSpacing(PDFDocContext* ctx, float v);
void opdf_setCharSpacing(PDFDocContext* ctx, float v);
void opdf_setHorizontalScaling(PDFDocContext* ctx, float percent);
void opdf_setTextLeading(PDFDocContext* ctx, float v);
void opdf_setTextRise(PDFDocContext* ctx, float v);
void opdf_setTextRendering(PDFDocContext* ctx, int mode);
void opdf_setTextMatrix(PDFDocContext* ctx, float a, float b, float c, float d, float e,
                        float f);
void opdf_rawTextPosition(PDFDocContext* ctx, float e, float f);
void opdf_rawTextMove(PDFDocContext* ctx, float dx, float dy);
void opdf_textNextLine(PDFDocContext* ctx);
void opdf_concatTextMatrix(PDFDocContext* ctx, float a, float b, float c, float d, float e,
                           float f);
void opdf_rotateText(PDFDocContext* ctx, float angle);
void opdf_skewText(PDFDocContext* ctx, float a, float b);

/* plot-domain forms */
void opdf_moveto(PDFDocContext* ctx, float x, float y);
void opdf_lineto(PDFDocContext* ctx, float x, float y);
void opdf_rmoveto(PDFDocContext* ctx, float dx, float dy);
void opdf_rlineto(PDFDocContext* ctx, float dx, float dy);
void opdf_curveto(PDFDocContext* ctx, float x1, float y1, float x2, float y2, float x3,
                  float y3);
void opdf_rect(PDFDocContext* ctx, float x, float y, float w, float h);
void opdf_rotatedRect(PDFDocContext* ctx, float x, float y, float w, float h, float angle);
void opdf_circle(PDFDocContext* ctx, float cx, float cy, float r);
void opdf_circleHalves(PDFDocContext* ctx, float cx, float cy, float r);
void opdf_arc(PDFDocContext* ctx, float cx, float cy, float r, float startAngle,
              float endAngle, int moveFirst);
void opdf_textPosition(PDFDocContext* ctx, float x, float y);
void opdf_textMove(PDFDocContext* ctx, float dx, float dy);

/* ---- plot domains ----------------------------------------------------- */
PDFPlotDomain* opdf_createPlotDomain(float x0, float y0, float width, float height, float xmin,
                                     float xmax, float ymin, float ymax, int xKind, int yKind,
                                     int extra);
PDFPlotDomain* opdf_createTimePlotDomain(float x0, float y0, float width, float height,
                                         const PDFTimeRecord* start, const PDFTimeRecord* end,
                                         float ymin, float ymax, int xKind, int yKind,
                                         int extra);
PDFPlotDomain* opdf_setPlotDomain(PDFDocContext* ctx, PDFPlotDomain* domain);
float opdf_domainToPageX(PDFDocContext* ctx, float x);
float opdf_domainToPageY(PDFDocContext* ctx, float y);
float opdf_pageToDomainX(PDFDocContext* ctx, float px);
float opdf_pageToDomainY(PDFDocContext* ctx, float py);
void opdf_setDomainTicks(PDFPlotDomain* domain, int axis, float firstMajor, float majorStep,
                         float firstMinor, float minorStep);
void opdf_setMeshColors(PDFPlotDomain* domain, float r, float g, float b, float r2, float g2,
                        float b2);
void opdf_fillPlotDomainGray(PDFPlotDomain* domain, float gray);
void opdf_fillPlotDomainRGB(PDFPlotDomain* domain, float r, float g, float b);
void opdf_clipToPlotDomain(PDFPlotDomain* domain);
void opdf_drawMesh(PDFPlotDomain* domain);
void opdf_niceRange(float min, float max, float* low, float* high, float* firstMajor,
                    float* majorStep, float* firstMinor, float* minorStep);
void opdf_niceRangeShort(float min, float max, float* low, float* high);

/* ---- axes ------------------------------------------------------------- */
PDFAxis* opdf_createAxis(float angle, float length, int kind, float min, float max);
PDFAxis* opdf_createTimeAxis(float angle, float length, int kind, const PDFTimeRecord* start,
                             const PDFTimeRecord* end);
void opdf_attachAxis(PDFAxis* axis, PDFPlotDomain* domain, float dx, float dy);
void opdf_freeAxis(PDFAxis* axis);
void opdf_showAxisParts(PDFAxis* axis, int majorTicks, int minorTicks, int labels);
void opdf_setAxisPlacement(PDFAxis* axis, int tickPlacement, int labelSide, int uprightLabels,
                           int uprightTitle);
void opdf_setAxisTickSizes(PDFAxis* axis, float lineWidth, float majorLength,
                           float minorLength, float majorWidth, float minorWidth);
void opdf_setAxisSteps(PDFAxis* axis, float firstMajor, float majorStep, float firstMinor,
                       float minorStep);
void opdf_setLogTickMask(PDFAxis* axis, int mask);
void opdf_setLogLabelMask(PDFAxis* axis, int mask);
void opdf_setAxisLabelFont(PDFAxis* axis, const char* format, const char* font, float size,
                           const char* encoding);
void opdf_setAxisLabels(PDFAxis* axis, const char* format, const char* font, float size);
void opdf_setTimeAxisLabelFont(PDFAxis* axis, int monthNames, int twoDigitYears,
                               const char* font, float size, const char* encoding);
void opdf_setTimeAxisLabels(PDFAxis* axis, int monthNames, int twoDigitYears, const char* font,
                            float size);
void opdf_setAxisTitle(PDFAxis* axis, const char* title, const char* font,
                       const char* encoding, float size);
void opdf_drawAxis(PDFAxis* axis);

/* ---- fonts ------------------------------------------------------------ */
typedef struct PDFFontFile PDFFontFile;

/* Font descriptor values in 1/1000 text space units. */
typedef struct PDFFontDescriptor {
    int32_t objectNumber;
    int32_t written; /* 0 new, 1 numbered, 2 written */
    int32_t Ascent;
    int32_t CapHeight;
    int32_t Descent;
    int32_t Flags;
    int32_t FontBBox[4];
    char* FontName;
    float ItalicAngle;
    int32_t StemV;
    int32_t StemH;
    int32_t XHeight;
    int32_t MissingWidth;
    int32_t Leading;
    int32_t MaxWidth;
    int32_t AvgWidth;
    char* Style;
    PDFFontFile* fontFile;
} PDFFontDescriptor;

/* One glyph procedure of a Type 3 font. */
typedef struct PDFGlyphProc {
    const char* name;
    const unsigned char* content;
    int32_t length;
} PDFGlyphProc;

int opdf_setFont(PDFDocContext* ctx, const char* name, const char* encoding, float size,
                 int embed, int fontType, int flags, const char* metricsFile,
                 const char* outlineFile);
int opdf_setFontUsingStream(PDFDocContext* ctx, int fontType, const char* key,
                            const char* baseFont, const char* encoding, float size, int first,
                            int last, const uint16_t* widths, const PDFFontDescriptor* desc,
                            const char* fontFileName, const unsigned char* program,
                            long programLength, const char* encodingRecordName,
                            const char* differences, int differencesLength,
                            const int32_t* unicodeMap, int revision);
int opdf_setFontUsingFile(PDFDocContext* ctx, int fontType, const char* key,
                          const char* baseFont, const char* encoding, float size, int first,
                          int last, const uint16_t* widths, const PDFFontDescriptor* desc,
                          const char* fontFilePath, const char* encodingRecordName,
                          const char* differences, int differencesLength,
                          const int32_t* unicodeMap, int revision);
int opdf_setFontUsingType3Stream(PDFDocContext* ctx, int fontType, const char* key,
                                 const char* fontFileKey, const char* encoding, float size,
                                 int first, int last, const uint16_t* widths,
                                 const PDFFontDescriptor* desc, const PDFGlyphProc* procs,
                                 const char* differences, int differencesLength,
                                 const int32_t* unicodeMap, int glyphCount);
const char* opdf_getCurrentFontName(PDFDocContext* ctx);
float opdf_stringWidth(PDFDocContext* ctx, const unsigned char* bytes, int n);
float opdf_stdFontStringWidth(PDFDocContext* ctx, const char* fontName,
                              const unsigned char* bytes, int n);
float opdf_getFontCapHeight(PDFDocContext* ctx);
float opdf_getFontAscent(PDFDocContext* ctx);
float opdf_getFontDescent(PDFDocContext* ctx);
void opdf_setFontDirectories(PDFDocContext* ctx, const char* pfmDir, const char* pfbDir);
void opdf_setFontMapFile(PDFDocContext* ctx, const char* name);
int opdf_readFontMap(PDFDocContext* ctx, const char* fontName, char* metricsPath,
                     char* outlinePath);

/* showing text */
void opdf_rawShowText(PDFDocContext* ctx, const unsigned char* bytes, int n);
void opdf_rawShowTextNextLine(PDFDocContext* ctx, const char* text);
void opdf_rawShowTextAt(PDFDocContext* ctx, float x, float y, float angle,
                        const unsigned char* bytes, int n);
void opdf_rawTextAligned(PDFDocContext* ctx, float x, float y, float angle, int align,
                         const unsigned char* bytes, int n);
void opdf_showTextAt(PDFDocContext* ctx, float x, float y, float angle,
                     const unsigned char* bytes, int n);
void opdf_textAligned(PDFDocContext* ctx, float x, float y, float angle, int align,
                      const unsigned char* bytes, int n);

/* ---- colour spaces, patterns and blend modes ----------------------------- */
enum PDFColorKind { PDF_COLOR_GRAY = 1, PDF_COLOR_RGB = 2, PDF_COLOR_CMYK = 3 };

void opdf_setBlendMode(PDFDocContext* ctx, unsigned mode);
int opdf_beginPattern(PDFDocContext* ctx, int type, int tilingType, float xStep, float yStep,
                      float bboxWidth, float bboxHeight, const char* matrix);
void opdf_endPattern(PDFDocContext* ctx, int handle);
void opdf_setPattern(PDFDocContext* ctx, int handle, int colorKind, float c1, float c2,
                     float c3, float c4);
int opdf_setPredefinedPattern(PDFDocContext* ctx, int id, int colorKind, uint32_t packedColor);
int opdf_drawPredefinedPattern(PDFDocContext* ctx, unsigned id);
void opdf_concat(PDFDocContext* ctx, float a, float b, float c, float d, float e, float f);
void opdf_translate(PDFDocContext* ctx, float x, float y);

/* ---- images ----------------------------------------------------------- */
/* Placing flags. */
enum PDFImageFlags {
    PDF_IMAGE_SAVE = 1,   /* wrap the drawing in q and Q */
    PDF_IMAGE_STENCIL = 2, /* 1-bit image mask */
    PDF_IMAGE_INVERT = 4, /* /Decode [1 0] */
    PDF_IMAGE_BLEND = 8   /* planes only: blend mode 1 while the planes are drawn */
};

/* Image kinds: 0 JPEG, 1 CCITT G4, 2 G3 1-D, 7 G3 2-D, 8 LZW, 9 Flate, 6 raw
   samples (and any other number), 3 TIFF file, 4 no data, 5 PDFIMG file
   (3-5 import only), 101-116 colour planes. */
enum PDFImageKind {
    PDF_IMAGE_JPEG = 0,
    PDF_IMAGE_G4 = 1,
    PDF_IMAGE_G3 = 2,
    PDF_IMAGE_TIFF = 3,
    PDF_IMAGE_EMPTY = 4,
    PDF_IMAGE_PDFIMG = 5,
    PDF_IMAGE_RAW = 6,
    PDF_IMAGE_G3_2D = 7,
    PDF_IMAGE_LZW = 8,
    PDF_IMAGE_FLATE = 9
};

typedef struct PDFImageAttributes {
    const unsigned char* colorTable; /* 4 bytes per entry */
    int32_t tableKind;               /* 1 grey, 2 RGB, 3 CMYK */
    int32_t entries;
    int32_t predictor; /* LZW predictor; above 1 writes decode parameters */
} PDFImageAttributes;

typedef struct PDFImageMask {
    uint32_t width;
    uint32_t height;
    uint16_t bitsPerComponent;
    uint16_t components;
    float resolution;
    int64_t reserved; /* not read */
    const unsigned char* data;
    uint32_t length;
    int32_t kind;
    uint32_t flags;
} PDFImageMask;

/* Low values of three components, then their high values. */
typedef struct PDFColorKey {
    int32_t values[6];
} PDFColorKey;

typedef struct PDFImagePlane {
    char name[256];
    const unsigned char* data;
    int32_t length;
    int32_t colorant;    /* 0 cyan, 1 magenta, 2 yellow, 3 black */
    int32_t planeKind;   /* 3: a Separation plane */
    int32_t compression; /* 0 JPEG, 1 CCITT G4, 8 LZW, 9 Flate */
    uint32_t flags;
    struct PDFImagePlane* next;
} PDFImagePlane;

/* libtiff's handler form: module, format, arguments. */
typedef void (*PDFTiffHandler)(const char* module, const char* format, va_list args);
void opdf_setTIFFErrorHandler(PDFDocContext* ctx, PDFTiffHandler handler);
void opdf_setTIFFWarningHandler(PDFDocContext* ctx, PDFTiffHandler handler);

int opdf_placeImageData(PDFDocContext* ctx, const char* name, const unsigned char* data,
                        long length, int width, int height, int components,
                        int bitsPerComponent, float x, float y, float rotation, float drawWidth,
                        float drawHeight, unsigned flags, const PDFImageAttributes* attributes,
                        int kind, int compression, const PDFImageMask* mask,
                        const PDFColorKey* colorKey, int maskedIndex);
int opdf_rawplaceImageData(PDFDocContext* ctx, const char* name, const unsigned char* data,
                           long length, int width, int height, int components,
                           int bitsPerComponent, float x, float y, float rotation,
                           float drawWidth, float drawHeight, unsigned flags,
                           const PDFImageAttributes* attributes, int kind, int compression,
                           const PDFImageMask* mask, const PDFColorKey* colorKey,
                           int maskedIndex);
int opdf_placeImageFile(PDFDocContext* ctx, const char* path, int width, int height,
                        int components, int bitsPerComponent, float x, float y, float rotation,
                        float drawWidth, float drawHeight, unsigned flags,
                        const PDFImageAttributes* attributes, int kind, int storedCompression,
                        const PDFColorKey* colorKey, int maskedIndex);
int opdf_rawplaceImageFile(PDFDocContext* ctx, const char* path, int width, int height,
                           int components, int bitsPerComponent, float x, float y,
                           float rotation, float drawWidth, float drawHeight, unsigned flags,
                           const PDFImageAttributes* attributes, int kind,
                           int storedCompression, const PDFColorKey* colorKey, int maskedIndex);
int opdf_addImageMask(PDFDocContext* ctx, const char* name, const PDFImageMask* mask,
                      int compression);
int opdf_placeImagePlanes(PDFDocContext* ctx, const PDFImagePlane* planes, int width,
                          int height, int components, int bitsPerComponent, float x, float y,
                          float rotation, float drawWidth, float drawHeight, unsigned flags,
                          const PDFImageAttributes* attributes, const PDFImageMask* mask);
int opdf_rawplaceImagePlanes(PDFDocContext* ctx, const PDFImagePlane* planes, int width,
                             int height, int components, int bitsPerComponent, float x, float y,
                             float rotation, float drawWidth, float drawHeight, unsigned flags,
                             const PDFImageAttributes* attributes, const PDFImageMask* mask);
/* fileType: 0 JPEG, 3 TIFF, 4 registered without data, 5 PDFIMG. */
int opdf_ImportImage(PDFDocContext* ctx, const char* path, int fileType, float x, float y,
                     float rotation, float* width, float* height, float* scaleX,
                     float* scaleY, unsigned flags);
int opdf_rawImportImage(PDFDocContext* ctx, const char* path, int fileType, float x, float y,
                        float rotation, float* width, float* height, float* scaleX,
                        float* scaleY, unsigned flags);
void opdf_setImportImageIndex(PDFDocContext* ctx, int index);

/* Image coders. Both hand back a new block (free with opdf_free). */
/* mode 1: CCITT G3, otherwise G4; rows of whole bytes, most significant bit
   first. 0, or -1 bad arguments, -2 no memory file, -3 no memory, -4 coding
   failed. */
int opdf_encodeCCITT(PDFDocContext* ctx, int width, int height, int resolution, int mode,
                     const unsigned char* data, long length, unsigned char** out,
                     long* outLength);
/* components 3: RGB, otherwise grey. 0, or -1 when libjpeg failed. */
int opdf_compressJPEG(PDFDocContext* ctx, int width, int height, int density, int components,
                      int quality, const unsigned char* data, long length, unsigned char** out,
                      long* outLength);

/* ---- annotations and outlines ----------------------------------------- */
/* Style of an annotation; the library keeps copies of the texts. */
typedef struct PDFAnnotationAttributes {
    int32_t flags;           /* /F; 0x40 also makes a button read-only */
    const char* border;      /* inside of /Border, brackets included */
    const char* borderStyle; /* inside of /BS; replaces the border */
    float r, g, b;           /* 0..1 */
} PDFAnnotationAttributes;

typedef struct PDFOutlineEntry PDFOutlineEntry;

/* Rectangles x1 y1 x2 y2 in plot-domain units, page units in the raw forms.
   Without attributes each kind has its defaults. */
void opdf_addTextAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                            const char* title, const char* contents,
                            const PDFAnnotationAttributes* attributes);
void opdf_rawaddTextAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                               const char* title, const char* contents,
                               const PDFAnnotationAttributes* attributes);
/* 0, or -1 when the file cannot be read. */
int opdf_addTextAnnotationFromFile(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                                   const char* title, const char* path,
                                   const PDFAnnotationAttributes* attributes);
int opdf_rawaddTextAnnotationFromFile(PDFDocContext* ctx, float x1, float y1, float x2,
                                      float y2, const char* title, const char* path,
                                      const PDFAnnotationAttributes* attributes);
void opdf_setActionURL(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                       const char* uri, const PDFAnnotationAttributes* attributes);
void opdf_rawsetActionURL(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                          const char* uri, const PDFAnnotationAttributes* attributes);
/* destination: the text after the page reference ("/Fit" and the like). */
void opdf_setActionGoTo(PDFDocContext* ctx, float x1, float y1, float x2, float y2, int page,
                        const char* destination, const PDFAnnotationAttributes* attributes);
void opdf_rawsetActionGoTo(PDFDocContext* ctx, float x1, float y1, float x2, float y2, int page,
                           const char* destination, const PDFAnnotationAttributes* attributes);
/* action: the body of the action dictionary. */
void opdf_setAction(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                    const char* action, const PDFAnnotationAttributes* attributes);
void opdf_rawsetAction(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                       const char* action, const PDFAnnotationAttributes* attributes);
/* Push buttons: type 4 plain, 5 URI (target the URI), 6 GoTo (target
   "page" or "page;destination"). An icon file of x2 = -1 gives the button
   the icon's size; highlight: packed RGB (red in bits 0-7), -1 none. */
void opdf_addWidgetAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                              int type, const char* target,
                              const PDFAnnotationAttributes* attributes, const char* iconPath,
                              int iconFileType, int highlightColor);
void opdf_rawaddWidgetAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                                 int type, const char* target,
                                 const PDFAnnotationAttributes* attributes, const char* iconPath,
                                 int iconFileType, int highlightColor);

/* A bookmark to an initialised page: the next sibling of reference, its last
   child with asChild, or a new top-level entry without reference.
   destinationKind: 1 XYZ, 2 Fit, 3 FitH, 4 FitV, 5 FitR, 6 FitB, 7 FitBH,
   8 FitBV, 9 XYZ with a top only. Null when the page does not exist. */
PDFOutlineEntry* opdf_addOutline(PDFDocContext* ctx, PDFOutlineEntry* reference, int asChild,
                                 int open, int page, const char* title, int destinationKind,
                                 float p1, float p2, float p3, float p4);
/* The same with an action dictionary body as its target. */
PDFOutlineEntry* opdf_addOutlineAction(PDFDocContext* ctx, PDFOutlineEntry* reference,
                                       int asChild, int open, const char* action,
                                       const char* title);

/* ---- MD5 -------------------------------------------------------------- */
void md5Init(PDFMD5Context* ctx);
void md5Update(PDFMD5Context* ctx, const unsigned char* bytes, unsigned n);
void md5Final(unsigned char digest[16], PDFMD5Context* ctx);
void md5Transform(PDFMD5Context* ctx, const unsigned char block[64]);
char* md5ToHex(const unsigned char* bytes, unsigned n);

#ifdef __cplusplus
}
#endif

#endif
