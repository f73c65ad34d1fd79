/* Internal records of the image table, the image coders and the file readers. */
#ifndef OPDF_IMAGES_H
#define OPDF_IMAGES_H

#include "opdfInternal.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Largest image data the library keeps or reads (bytes) and largest side. */
#define OPDF_IMAGE_MAX_BYTES ((int64_t)1 << 30)
#define OPDF_IMAGE_MAX_SIDE 65535

/* TIFF compression numbers the rows use for their stored data. */
enum {
    OPDF_COMP_NONE = 1,
    OPDF_COMP_G3 = 3,
    OPDF_COMP_G4 = 4,
    OPDF_COMP_LZW = 5,
    OPDF_COMP_OJPEG = 6,
    OPDF_COMP_JPEG = 7,
    OPDF_COMP_FLATE = 8
};

/* Copy of the caller's attributes: 4 bytes per table entry. */
typedef struct PDFImageAttrCopy {
    unsigned char* table;
    int32_t tableKind;
    int32_t entries;
    int32_t predictor;
} PDFImageAttrCopy;

typedef struct PDFImageEntry {
    int32_t objectNumber;
    char* name;
    int32_t kind;
    int32_t imageMask;
    int32_t invert;
    int32_t compression; /* stored compression */
    int32_t strips;
    int32_t imageIndex;
    int32_t photometric;
    int32_t orientation;
    int32_t width, height;
    int32_t resolutionUnit;
    float xResolution, yResolution;
    int32_t components;
    int32_t bits;
    int64_t length;
    char* path;
    char* key;
    unsigned char* data;
    PDFImageAttrCopy* attributes;
    int32_t separation;
    int32_t mask; /* row of the mask, -1 none */
    unsigned char colorKeyFlag;
    int32_t colorKey[6];
    int32_t maskedIndex;
    /* 1-bit samples whose coding the library chose: CCITT data decodes to
       the inverse of the raw bits, so the other forms take the invert flag
       reversed. */
    unsigned char libraryCoded;
    /* a row whose registration failed: never found, numbered or written */
    unsigned char dead;
    int32_t predictor; /* of LZW data taken over from a TIFF file */
} PDFImageEntry;

/* ---- coders ---- */
/* 0xDA or 0xD9; -1 no source, -2 not JPEG, -3 out of data, -4 bad segment length. */
int _opdf_read_JPEG_header(const char* path, PDFImageEntry* entry);
int _opdf_read_buffer_JPEG_header(const unsigned char* data, long length, PDFImageEntry* entry);
/* zlib stream of the bytes with the library's capacity rule; NULL when zlib failed
   (reported with the module given). */
unsigned char* _opdf_flateImage(const unsigned char* in, int64_t n, int64_t* outLength,
                                const char* module);

/* The library's choice for raw samples into the row (which holds no data):
   JPEG for 8-bit grey or RGB, CCITT G4 for 1 bit when allowed, Flate
   otherwise or when a coder fails, the samples unfiltered when zlib fails. */
void _opdf_codeSamples(PDFDocContext* ctx, PDFImageEntry* e, const unsigned char* samples,
                       int64_t n, int allowCCITT, const char* module);
/* The document's TIFF handlers in, the previous ones kept in saved. */
void _opdf_swapTIFFHandlers(PDFDocContext* ctx, void* saved[2]);
void _opdf_restoreTIFFHandlers(PDFDocContext* ctx, void* saved[2]);

/* ---- table ---- */
PDFImageEntry* _opdf_imageRow(PDFDocContext* ctx, int row);
int opdf_addImageEntry(PDFDocContext* ctx, int width, int height, int components,
                       int bitsPerComponent, unsigned flags, const PDFImageAttributes* attributes,
                       int kind);
int opdf_findImage(PDFDocContext* ctx, const char* key, int imageIndex, int* row);
int _opdf_findOrAddImportImage(PDFDocContext* ctx, const char* path, int fileType,
                               unsigned flags);
int _opdf_numberImages(PDFDocContext* ctx, int next);
/* 0, or a negative code that ends the writing of the file. */
int _opdf_writeImages(PDFDocContext* ctx);
void _opdf_freeImages(PDFDocContext* ctx);

/* ---- TIFF and PDFIMG files ---- */
int _opdf_readTIFFInfoWithHandlers(PDFDocContext* ctx, const char* path, PDFImageEntry* entry);
int _opdf_readTIFFDataWithHandlers(PDFDocContext* ctx, unsigned char** data,
                                   PDFImageEntry* entry, int recompress);
int _opdf_isTIFFPassThrough(int compression, int strips);
/* Walks one JPEG strip into out; 1 when its scan was found, else 0. */
int _opdf_copyJPEGStrip(const unsigned char* strip, int64_t length, PDFMemoryStream* out,
                        int index, int imageHeight);
int _opdf_readPDFIMGHeader(const char* path, PDFImageEntry* entry);
int _opdf_putPDFIMGDictionary(PDFDocContext* ctx, PDFImageEntry* entry);
int _opdf_readPDFIMGData(unsigned char** data, PDFImageEntry* entry, int64_t offset);

#ifdef __cplusplus
}
#endif

#endif
