/* Internal records of fonts, colour spaces and patterns. */
#ifndef OPDF_FONTS_H
#define OPDF_FONTS_H

#include "opdfInternal.h"

#ifdef __cplusplus
extern "C" {
#endif

#define OPDF_BUILTIN_FONTS 52
#define OPDF_BUILTIN_METRIC_FONTS 45
#define OPDF_WIDTH_SLOTS 269
#define OPDF_FONT_LOADED 100 /* font index of fonts loaded from files */
#define OPDF_FONT_OTHER 999

enum {
    OPDF_KIND_STANDARD = 0,
    OPDF_KIND_BUILTIN = 1,
    OPDF_KIND_EMBEDDED = 2,
    OPDF_KIND_CJK = 3,
    OPDF_KIND_EXTERNAL = 4,
    OPDF_KIND_BUILTIN_WIDTHS = 5
};

enum { OPDF_FILE_TYPE1 = 0, OPDF_FILE_TRUETYPE = 1, OPDF_FILE_TYPE1C = 2, OPDF_FILE_TYPE3 = 3 };

typedef struct PDFBuiltinDescriptor {
    int16_t ascent, capHeight, descent;
    int32_t flags;
    int16_t bbox[4];
    float italicAngle;
    int16_t stemV, xHeight, stemH, missingWidth, leading, maxWidth, avgWidth;
} PDFBuiltinDescriptor;

typedef struct PDFFontEncoding {
    int32_t objectNumber;
    char* name;
    char* baseEncoding;
    unsigned char* differences;
    int32_t differencesLength;
    struct PDFFontEncoding* next;
} PDFFontEncoding;

typedef struct PDFCIDFontInfo {
    int32_t objectNumber;
    int32_t written;
    int32_t defaultWidth;
    const char* systemInfo;
    const char* widths;
} PDFCIDFontInfo;

struct PDFFontFile {
    int32_t objectNumber;
    int32_t written;
    struct PDFFontFile* previous;
    PDFFontDescriptor* pfmDescriptor;
    int32_t kind; /* OPDF_FILE_* */
    char* key;
    long length, length1, length2, length3;
    PDFMemoryStream* program;
    PDFGlyphProc* procs; /* owned copies */
    int32_t procCount;
    int32_t metadataNumber;
    char* notice;
    char* vendor;
    char* embedding;
    /* metrics read from a PFM file */
    uint16_t* pfmWidths;
    int32_t pfmFirst, pfmLast;
};

typedef struct PDFFontEntry {
    int32_t objectNumber;
    char resourceName[16];
    char* baseFont;
    char* key;
    char* encodingName;
    int32_t fontIndex;
    int32_t encodingIndex;
    int32_t kind;
    char subtype[9];
    int32_t first, last;
    const uint16_t* widths;
    uint16_t* ownWidths;
    PDFFontDescriptor* desc;
    PDFCIDFontInfo* cid;
    PDFFontEncoding* encoding;
    int32_t* unicode;
    int32_t revision;
} PDFFontEntry;

/* pattern, ExtGState and Separation rows */
typedef struct PDFExtGStateEntry {
    int32_t objectNumber;
    int32_t blendMode;
    char name[16];
} PDFExtGStateEntry;

typedef struct PDFPatternEntry {
    int32_t objectNumber;
    char name[16];
    int32_t patternType, paintType, tilingType;
    float bboxWidth, bboxHeight, xStep, yStep;
    char matrix[256];
    PDFMemoryStream* stream;
} PDFPatternEntry;

typedef struct PDFPatternColorSpace {
    int32_t objectNumber;
    int32_t kind;
    char name[16];
} PDFPatternColorSpace;

typedef struct PDFSeparationEntry {
    int32_t objectNumber;
    int32_t functionNumber;
    int32_t plane;
    int32_t altKind;
} PDFSeparationEntry;

#define OPDF_MAX_EXTGSTATES 16
#define OPDF_MAX_SEPARATIONS 7
#define OPDF_MAX_PATTERN_CS 3

/* generated tables */
extern const uint16_t _opdf_builtinWidths[OPDF_BUILTIN_METRIC_FONTS][OPDF_WIDTH_SLOTS];
extern const uint16_t* const _opdf_remapTables[4];
extern const PDFBuiltinDescriptor _opdf_builtinDescriptors[OPDF_BUILTIN_METRIC_FONTS];

/* fonts */
int _opdf_builtinFontIndex(const char* name);
int _opdf_isPredefinedCMap(const char* name);
int _opdf_findFont(PDFDocContext* ctx, const char* key, const char* encoding, int* index);
void _opdf_selectFont(PDFDocContext* ctx, int index, float size);
PDFFontEncoding* _opdf_addEncoding(PDFDocContext* ctx, const char* name, const char* base,
                                   const char* differences, int length);
PDFFontFile* _opdf_newFontFile(PDFDocContext* ctx);
void _opdf_freeFonts(PDFDocContext* ctx);
void _opdf_freeEncodings(PDFDocContext* ctx);
void _opdf_freeDescriptor(PDFFontDescriptor* d);
PDFFontDescriptor* _opdf_copyDescriptor(const PDFFontDescriptor* d, const char* fontName);

/* font files */
int _opdf_loadExternalFont(PDFDocContext* ctx, const char* name, PDFFontEntry* entry,
                           PDFFontDescriptor* desc, PDFFontFile* file, int embed, int flags,
                           const char* metricsFile, const char* outlineFile);
int ReadPFM(const char* path, PDFFontEntry* entry, PDFFontDescriptor* desc, int embed,
            int flags);
int ReadPFB(PDFDocContext* ctx, const char* path, PDFFontFile* file);
int ReadPFBBuffer(PDFDocContext* ctx, const unsigned char* bytes, long length, PDFFontFile* file,
                  const char* name);
int _opdf_initTrueTypeFontFile(PDFDocContext* ctx, const unsigned char* bytes, long length,
                               PDFFontFile* file, const char* key);
void _opdf_freeFontFile(PDFFontFile* file);

/* font objects */
int _opdf_numberFonts(PDFDocContext* ctx, int next);
void _opdf_writeFonts(PDFDocContext* ctx);

/* colour spaces and patterns */
int _opdf_numberColorObjects(PDFDocContext* ctx, int next);
int _opdf_numberPatterns(PDFDocContext* ctx, int next);
void _opdf_writeColorObjects(PDFDocContext* ctx);
void _opdf_writePatterns(PDFDocContext* ctx);
void _opdf_checkAndCreateSeparationCS(PDFDocContext* ctx, unsigned plane, int altKind);
int _opdf_findSeparationCS(PDFDocContext* ctx, int plane, int altKind);
int _opdf_findPatternColorSpace(PDFDocContext* ctx, int kind);
int _opdf_findExtGState(PDFDocContext* ctx, int mode);
void _opdf_freePatterns(PDFDocContext* ctx);
int _opdf_allocColorTables(PDFDocContext* ctx);
void _opdf_freeColorTables(PDFDocContext* ctx);

/* zlib helper: new block with the compressed bytes, or NULL after reporting */
unsigned char* _opdf_deflate(const unsigned char* in, size_t n, long* outLength);

#ifdef __cplusplus
}
#endif

#endif
