/* Internal records and helpers of the PDF writer library. */
#ifndef OPDF_INTERNAL_H
#define OPDF_INTERNAL_H

#include "opdf.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define OPDF_MODULE "qelPDFLib"
#define OPDF_STREAM_MAGIC 0xA5B5CAFEu
#define OPDF_DOMAIN_TAG 0xDADA3333u
#define OPDF_AXIS_TAG 0xAFAFAFAFu
#define OPDF_NAME_MAX 1022
#define OPDF_BOX_MAX 62
#define OPDF_SCRATCH_SIZE 8192
#define OPDF_STORE_THRESHOLD (4 << 20)
#define OPDF_SHARED_RECENT 8

/* Fixed object slots given at finalize. */
enum {
    OPDF_OBJ_CATALOG = 1,
    OPDF_OBJ_OUTLINES = 2,
    OPDF_OBJ_PAGES = 3,
    OPDF_OBJ_PROCSET = 6,
    OPDF_OBJ_ENCRYPT = 8,
    OPDF_OBJ_METADATA = 9,
    OPDF_OBJ_INFO = 10,
    OPDF_OBJ_SLOTS = 11
};

struct PDFMemoryStream {
    uint32_t magic;
    unsigned char* buffer;
    int32_t length;
    int32_t capacity;
};

/* Growable list of table row indexes (page resources). */
/* A set of indexes in the order added. Past a few entries a hash of
   positions in items (-1 empty; slotCount a power of two, at most half
   full) finds a repeat, so a page with many resources stays linear. */
typedef struct PDFIndexList {
    int* items;
    int count;
    int capacity;
    int* slots;
    int slotCount;
} PDFIndexList;

typedef struct PDFTextNode {
    char* text;
    struct PDFTextNode* next;
} PDFTextNode;

enum { OPDF_PAGE_FINALIZED = 1, OPDF_PAGE_COMPRESSED = 2, OPDF_PAGE_IN_STORE_FILE = 4 };

/* Resource lists of a page (table row indexes). */
enum {
    OPDF_RES_FONTS,
    OPDF_RES_COLORSPACES,
    OPDF_RES_PATTERNS,
    OPDF_RES_EXTGSTATES,
    OPDF_RES_XOBJECTS,
    OPDF_RES_ANNOTS,
    OPDF_RES_KINDS
};

/* What a page needs only until it is finalised. */
typedef struct PDFOpenPage {
    PDFMemoryStream* content;
    PDFPlotDomain* domain;
    FILE* file;
    PDFIndexList lists[OPDF_RES_KINDS];
} PDFOpenPage;

/* One row of the page table; kept small, as every page of a document keeps
   its row until the document is written. */
typedef struct PDFPageEntry {
    int32_t state; /* -1 not initialised, otherwise the page number */
    int32_t objectNumber;
    int32_t contentNumber;
    float duration;
    int16_t rotation;
    unsigned char flags;
    int64_t contentLength;
    unsigned char* contentBytes; /* finalised content kept in memory */
    int64_t storeOffset;         /* or its place in the store file */
    PDFOpenPage* open;           /* null once finalised */
    const int* resources;        /* finalised: the lists packed, shared */
    const char* mediaBox;        /* shared texts owned by the context */
    const char* cropBox;
    char* fileName;
    char* transition;
    PDFTextNode* commentHead;
    PDFTextNode* commentTail;
} PDFPageEntry;

/* A block of bytes owned by the context and shared by the pages. */
typedef struct PDFSharedBlock {
    struct PDFSharedBlock* next;
    size_t size;
    unsigned char bytes[];
} PDFSharedBlock;

struct PDFPlotDomain {
    uint32_t tag;
    PDFDocContext* owner;
    float x0, y0, width, height;
    float xmin, xmax, ymin, ymax;
    PDFTimeRecord timeStart, timeEnd;
    int32_t xKind, yKind; /* 0 linear, 1 logarithmic, 2 time */
    int32_t extra;
    char majorDash[32];
    char minorDash[32];
    float majorWidth, minorWidth;
    float majorColor[3], minorColor[3];
    float xFirstMajor, xFirstMinor, xMajorStep, xMinorStep;
    float yFirstMajor, yFirstMinor, yMajorStep, yMinorStep;
};

struct PDFAxis {
    uint32_t tag;
    PDFPlotDomain* domain;
    float angle;
    int32_t kind;
    float dx, dy;
    float length;
    float lineWidth;
    float min, max;
    PDFTimeRecord timeStart, timeEnd;
    int32_t showMajor, showMinor;
    float majorLength, minorLength, majorWidth, minorWidth;
    int32_t tickPlacement; /* 0 below, 1 centred, 2 above */
    int32_t labelSide;     /* 0 below, otherwise above */
    int32_t showLabels;
    float labelDistance;
    float labelSize;
    int32_t monthNames, twoDigitYears, uprightLabels;
    char* labelFormat;
    char* labelFont;
    char* labelEncoding;
    float titleDistance, titleSize;
    int32_t uprightTitle;
    char* titleFont;
    char* titleEncoding;
    char* title;
    float firstMajor, firstMinor, majorStep, minorStep;
    int32_t logTickMask, logLabelMask;
    int32_t lastMinute, lastHour, lastDay, lastMonth, lastYear;
};

struct PDFDocContext {
    /* identity, version, state */
    int32_t documentNumber;
    int32_t openArgument;
    int32_t major, minor;
    unsigned char pdfaFlag;
    int32_t pdfaParams[3];
    unsigned char pdfaConformance;
    int32_t state; /* 0 none, 1 opened, 2 initialised */
    int32_t finalized;
    char* monthNames[12];
    float unitSize;

    /* output and streams */
    void* deflater; /* compressor kept for the document's page contents */
    int32_t stdoutFlag;
    int32_t encrypted;
    void* encryptRecord; /* standard security handler record */
    int32_t compression;
    char* compressorPath;
    char* filterText;
    int32_t outputNameFlag;
    int32_t textObject;
    PDFViewerPreferences viewer;
    PDFErrorHandler errorHandler;
    void* userData;
    PDFPlotDomain* pageDomain;
    PDFPlotDomain* domain;
    float curX, curY;
    double xScale, yScale;
    double logXMin, logXMax, logYMin, logYMax;

    /* fonts */
    int32_t maxFonts;
    int32_t fontCount;
    int32_t fontFileCount;
    struct PDFFontFile** fontFiles;
    struct PDFFontEntry* fonts;
    struct PDFFontEncoding* encodingHead;
    struct PDFFontEncoding* encodingTail;
    int32_t currentFont;
    char pfmDir[1024];
    char pfbDir[1024];
    char fontMapFile[1024];

    /* images */
    int32_t maxImages;
    int32_t imageCount;
    int32_t imageCapacity; /* rows allocated; grows up to maxImages */
    void* images;
    int32_t* imageKeys; /* open-addressing index of the rows by key; -1 empty */
    int32_t imageKeySlots;
    unsigned char imageKinds; /* 1 gray, 2 colour, 4 indexed */
    int32_t importImageIndex;

    /* outlines */
    int32_t outlineCount;
    void* outlineFirst;
    void* outlineLast;

    int32_t hexStrings;

    /* text state */
    float fontSize, wordSpacing, charSpacing, textRise, hScaling, leading;
    float tm[6];

    int32_t memoryOutput;
    PDFMemoryStream* output;
    int32_t contentInMemory;
    PDFMemoryStream* content;

    int32_t currentPage;
    int32_t maxPages;
    int32_t highestPage;
    PDFPageEntry** pages; /* rows 1..maxPages, allocated on demand */
    int32_t pageCapacity;

    /* finalised page contents: in memory up to the threshold, then in one
       temporary file */
    int64_t storeThreshold;
    int64_t storedInMemory;
    FILE* storeFile;
    char* storeName;
    int64_t storeSize;
    int32_t storeFailed;
    PDFSharedBlock* shared;
    const PDFSharedBlock* recentShared[OPDF_SHARED_RECENT];
    int32_t nextRecentShared;

    PDFMemoryStream* scratchStream;
    FILE* outFile;
    FILE* contentFile;

    int32_t maxAnnots;
    int32_t annotCount;
    int32_t annotCapacity; /* rows allocated; grows up to maxAnnots */
    void* annots;

    char mediaBox[OPDF_BOX_MAX + 2];
    char cropBox[OPDF_BOX_MAX + 2];

    int64_t bytesWritten;
    int32_t writeError;   /* errno of the first failed write; sticky */
    char* writeErrorFile; /* the file that write went to */

    char* creator;
    char* title;
    char* subject;
    char* keywords;
    char* author;
    int64_t creationTime;
    char uuid[40];
    char outputName[OPDF_NAME_MAX + 1];
    char tempDir[OPDF_NAME_MAX + 1];

    int32_t maxObjects;
    int64_t* offsets; /* allocated at finalize for the objects actually numbered */
    int32_t offsetCount;
    int32_t objectNumbers[OPDF_OBJ_SLOTS];
    int64_t xrefOffset;

    char scratch[OPDF_SCRATCH_SIZE];

    /* axis drawing */
    float labelBaseline;
    double axisScale;
    double axisLogMin, axisLogMax;
    PDFAxis* currentAxis;

    /* patterns */
    int32_t maxPatterns;
    int32_t patternCount;
    struct PDFPatternEntry* patterns;
    struct PDFPatternColorSpace* patternColorSpaces;
    int32_t patternColorSpaceCount;
    int32_t currentPatternColorSpace;
    int32_t currentPattern;
    int32_t predefinedPatterns[16];
    int32_t patternOpen;
    int32_t savedContentInMemory;
    PDFMemoryStream* savedContent;
    FILE* savedContentFile;

    int32_t jpegQuality;
    struct PDFExtGStateEntry* extGStates;
    int32_t extGStateCount;
    struct PDFSeparationEntry* separations;
    int32_t separationCount;

    int32_t omitVariableInfo;
    unsigned char fileID[16];

    PDFMemoryStream* xmpExtra;

    void* tiffErrorHandler;
    void* tiffWarningHandler;

    PDFTextNode* commentHead;
    PDFTextNode* commentTail;
};

/* reporting */
int _opdf_error(PDFDocContext* ctx, int level, const char* module, const char* format, ...);
void _opdf_globalError(int level, const char* module, const char* format, ...);
void _opdf_globalWarning(int level, const char* module, const char* format, ...);
void* _opdf_checkAlloc(void* pointer);
char* _opdf_strdup(const char* text);

/* locale-independent formatting: %d %i %u %x %X %c %s %f with flags, width,
   precision and the l/ll/z modifiers */
int _opdf_formatv(char* out, size_t size, const char* format, va_list args);
int _opdf_format(char* out, size_t size, const char* format, ...);
/* Buffer size that holds any text of _opdf_fixed. */
#define OPDF_FIXED_MAX 400
/* v with prec (0 to 9) decimals as printf's "%.*f" writes it in the C locale,
   except that a value rounding to zero has no sign and one that is not
   finite is written as 0; returns the length (no terminating zero). */
int _opdf_fixed(char* buf, double v, int prec);
double _opdf_parseNumber(const char** text, int* ok);

/* memory streams */
PDFMemoryStream* _opdf_newMemoryStream(void);
int _opdf_appendMemoryStream(PDFMemoryStream* s, const void* bytes, int n);
int _opdf_appendByte(int c, PDFMemoryStream* s);
int _opdf_appendText(const char* text, PDFMemoryStream* s);
void _opdf_getMemoryStream(PDFMemoryStream* s, unsigned char** buffer, int* length,
                           int* capacity);
void _opdf_resetMemoryStream(PDFMemoryStream* s);
void _opdf_freeMemoryStream(PDFMemoryStream* s);
int _opdf_writeMemoryStream(PDFMemoryStream* s, const char* name);
void _opdf_dumpMemoryStream(const char* label, PDFMemoryStream* s);

/* output primitives */
/* Keeps the first failed write of the document and reports it once. */
void _opdf_setWriteError(PDFDocContext* ctx, int errorNumber, const char* fileName);
void _opdf_putText(PDFDocContext* ctx, const char* text);
void _opdf_putBytes(PDFDocContext* ctx, const void* bytes, size_t n);
void _opdf_putf(PDFDocContext* ctx, const char* format, ...);
void _opdf_beginObject(PDFDocContext* ctx, int n);
void _opdf_endObject(PDFDocContext* ctx);
void _opdf_markNextObject(PDFDocContext* ctx, int n);
void _opdf_putStream(PDFDocContext* ctx, unsigned char* bytes, size_t n, int objectNumber,
                     int generation);
void _opdf_putContent(PDFDocContext* ctx, const char* text);
void _opdf_putContentBytes(PDFDocContext* ctx, const void* bytes, size_t n);
void _opdf_contentf(PDFDocContext* ctx, const char* format, ...);
int opdf_openOutput(PDFDocContext* ctx);
void _opdf_closeOutputFile(PDFDocContext* ctx);
void _opdf_freeDeflater(PDFDocContext* ctx);
void _opdf_freePage(PDFPageEntry* row, int removeFile);

/* page store */
void _opdf_freeOpenPage(PDFOpenPage* open);
FILE* _opdf_openTempFile(PDFDocContext* ctx, char* name, const char* mode);
int _opdf_addPageResource(PDFDocContext* ctx, int kind, int index);
const int* _opdf_pageResources(const PDFPageEntry* row, int kind, int* count);
void _opdf_packPageResources(PDFDocContext* ctx, PDFPageEntry* row);
const char* _opdf_shareText(PDFDocContext* ctx, const char* text);
void _opdf_storePageContent(PDFDocContext* ctx, PDFPageEntry* row, unsigned char* bytes,
                            int64_t n);
unsigned char* _opdf_loadPageContent(PDFDocContext* ctx, PDFPageEntry* row);
void _opdf_releasePageContent(PDFPageEntry* row, unsigned char* bytes);
void _opdf_closePageStore(PDFDocContext* ctx);

/* strings */
char* _opdf_escapeBytes(const unsigned char* bytes, int n, int* outLength);
char* _opdf_escapeText(const char* text, int n, int* outLength);
void _opdf_putContentLiteral(PDFDocContext* ctx, const unsigned char* bytes, int n);
void _opdf_putContentHex(PDFDocContext* ctx, const unsigned char* bytes, int n);
void _opdf_putContentString(PDFDocContext* ctx, const unsigned char* bytes, int n,
                            int objectNumber, int generation);
void _opdf_putLiteralString(PDFDocContext* ctx, const unsigned char* bytes, int n);
void _opdf_putHexString(PDFDocContext* ctx, const unsigned char* bytes, int n);
void _opdf_putString(PDFDocContext* ctx, unsigned char* bytes, int n, int objectNumber,
                     int generation);

/* small helpers */
int _opdf_readFile(const char* path, unsigned char** buffer, long* length);
long _opdf_fileSize(const char* path);
void _opdf_appendNumber(char* path, int n);
int _opdf_isNumeric(const char* text);
int _opdf_hexDigitValue(int c);
void _opdf_toHexText(const unsigned char* bytes, char* out, int n, int marker);
unsigned char* _opdf_fromHexText(const char* text, unsigned char* out, int* count);
double _opdf_frexp10(double x, int* exponent);
void _opdf_matrixConcat(float m[6], const float n[6]);
int _opdf_assignSequenceNumber(int* slot);
int _opdf_storeIfPositive(int* slot, int v);
void* _opdf_getEncryptRecord(PDFDocContext* ctx);
void _opdf_makeFileID(PDFDocContext* ctx, unsigned char id[16]);
double _opdf_radians(float degrees);
int _opdf_indexListAdd(PDFIndexList* list, int index);
void _opdf_indexListFree(PDFIndexList* list);

/* time helpers */
int64_t _opdf_now(void);
void _opdf_setCreationTime(PDFDocContext* ctx);
void _opdf_formatUTCTime(void* ignored, int iso, char* buffer);
void _opdf_formatLocalTime(int withSeparators, char* buffer);
int _opdf_isLeapYear(int year);
void _opdf_printTime(const PDFTimeRecord* record);
void _opdf_normalizeTime(PDFTimeRecord* record);
double _opdf_daysBetween(const PDFTimeRecord* a, const PDFTimeRecord* b);
double _opdf_timeAdd(PDFTimeRecord* t, int unit, int amount, const PDFTimeRecord* start);
int _opdf_timeStepRow(double spanDays);
void _opdf_timeStep(int row, int* minorUnit, int* majorUnit, int* minorAmount,
                    int* majorAmount);

/* writers */
void _opdf_WriteXref(PDFDocContext* ctx, int size);

#ifdef __cplusplus
}
#endif

#endif
