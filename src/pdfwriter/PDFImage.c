/* The image table: registration, reuse, placing, drawing and the image
   XObjects written at finalize. */
#include "opdfFonts.h"
#include "opdfImages.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

/* ---- table -------------------------------------------------------------------- */

static PDFImageEntry* rows(PDFDocContext* ctx) { return (PDFImageEntry*)ctx->images; }

PDFImageEntry* _opdf_imageRow(PDFDocContext* ctx, int row)
{
    if (!ctx || row < 0 || row >= ctx->imageCount)
        return NULL;
    return &rows(ctx)[row];
}

/* Room for one more row; the table grows on demand up to MaxImages. */
static int reserveRow(PDFDocContext* ctx)
{
    if (ctx->imageCount < ctx->imageCapacity)
        return 0;
    int64_t cap = ctx->imageCapacity ? (int64_t)ctx->imageCapacity * 2 : 16;
    if (cap > ctx->maxImages)
        cap = ctx->maxImages;
    PDFImageEntry* p =
        (PDFImageEntry*)_opdf_checkAlloc(realloc(ctx->images, (size_t)cap * sizeof *p));
    if (!p)
        return -1;
    ctx->images = p;
    ctx->imageCapacity = (int32_t)cap;
    return 0;
}

static int tableFull(PDFDocContext* ctx)
{
    if (ctx->imageCount < ctx->maxImages)
        return 0;
    _opdf_error(ctx, 1, OPDF_MODULE, "Too many images in this PDF: %d. Increase limits by opdf_open()",
                ctx->imageCount);
    return 1;
}

static void setKindFlags(PDFDocContext* ctx, int components)
{
    if (components == 1)
        ctx->imageKinds |= 1;
    if (components > 2)
        ctx->imageKinds |= 2;
}

static void clearRow(PDFImageEntry* e, int index)
{
    memset(e, 0, sizeof *e);
    e->orientation = 1;
    e->photometric = 1;
    e->separation = -1;
    e->mask = -1;
    e->maskedIndex = -1;
    for (int i = 0; i < 6; i++)
        e->colorKey[i] = -1;
    char name[24];
    _opdf_format(name, sizeof name, "OR%d", index);
    e->name = _opdf_strdup(name);
}

static int normaliseKind(int kind)
{
    if ((kind >= 0 && kind <= 9) || (kind >= 101 && kind <= 112))
        return kind;
    if (kind >= 113 && kind <= 116)
        return PDF_IMAGE_FLATE;
    return PDF_IMAGE_RAW;
}

static int isJPEGKind(int k) { return k == PDF_IMAGE_JPEG || (k >= 101 && k <= 104); }
static int isLZWKind(int k) { return k == PDF_IMAGE_LZW || (k >= 105 && k <= 108); }
static int isCCITTKind(int k)
{
    return k == PDF_IMAGE_G4 || k == PDF_IMAGE_G3 || k == PDF_IMAGE_G3_2D || (k >= 109 && k <= 112);
}

static PDFImageAttrCopy* copyAttributes(PDFDocContext* ctx, const PDFImageAttributes* a)
{
    PDFImageAttrCopy* c = (PDFImageAttrCopy*)_opdf_checkAlloc(calloc(1, sizeof *c));
    if (!c)
        return NULL;
    c->predictor = a->predictor;
    if (a->entries > 0 && !a->colorTable)
        _opdf_error(ctx, 1, OPDF_MODULE, "Null Image passed as parameter");
    if (!a->colorTable || a->entries <= 0)
        return c;
    c->table = (unsigned char*)_opdf_checkAlloc(malloc((size_t)a->entries * 4));
    if (!c->table)
        return c;
    for (int i = 0; i < a->entries; i++) {
        const unsigned char* s = a->colorTable + 4 * i;
        unsigned char* d = c->table + 4 * i;
        d[0] = s[0];
        d[1] = a->tableKind >= 2 ? s[1] : 0;
        d[2] = a->tableKind >= 2 ? s[2] : 0;
        d[3] = a->tableKind == 3 ? s[3] : 0;
    }
    c->tableKind = a->tableKind;
    c->entries = a->entries;
    return c;
}

int opdf_addImageEntry(PDFDocContext* ctx, int width, int height, int components,
                       int bitsPerComponent, unsigned flags, const PDFImageAttributes* attributes,
                       int kind)
{
    if (!ctx || tableFull(ctx))
        return -1;
    /* What has no colour space in PDF is refused here. */
    if (components > 4) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Images with %d components are not supported", components);
        return -1;
    }
    if (attributes && attributes->colorTable && attributes->entries > 0 &&
        (attributes->tableKind < 1 || attributes->tableKind > 3 || attributes->entries > 256)) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Colour table of kind %d with %d entries is not supported",
                    attributes->tableKind, attributes->entries);
        return -1;
    }
    if (reserveRow(ctx) < 0)
        return -1;
    const int index = ctx->imageCount;
    PDFImageEntry* e = &rows(ctx)[index];
    clearRow(e, index);
    e->width = width;
    e->height = height;
    e->components = components;
    e->bits = bitsPerComponent;
    e->imageMask = (flags & PDF_IMAGE_STENCIL) ? 1 : 0;
    e->invert = (flags & PDF_IMAGE_INVERT) ? 1 : 0;
    e->imageIndex = ctx->importImageIndex;
    e->kind = normaliseKind(kind);
    if (isCCITTKind(e->kind)) {
        e->photometric = 0;
        e->strips = 1;
        e->compression = OPDF_COMP_G4;
    } else if (isLZWKind(e->kind)) {
        e->photometric = 0;
        e->strips = 1;
        e->compression = OPDF_COMP_LZW;
    } else if (e->kind == PDF_IMAGE_FLATE) {
        e->compression = OPDF_COMP_FLATE;
    }
    setKindFlags(ctx, components);
    if (attributes) {
        e->attributes = copyAttributes(ctx, attributes);
        if (e->attributes && e->attributes->table)
            ctx->imageKinds |= 4;
    }
    ctx->imageCount++;
    return index;
}

/* ---- look-up by key ------------------------------------------------------------- */

static uint32_t keyHash(const char* key, int imageIndex)
{
    uint32_t h = 2166136261u;
    for (const unsigned char* p = (const unsigned char*)key; *p; p++)
        h = (h ^ *p) * 16777619u;
    return (h ^ (uint32_t)imageIndex) * 2654435761u;
}

static void indexRow(PDFDocContext* ctx, int row);

/* Keeps the index at most half full; a failed allocation leaves the old one. */
static void growKeyIndex(PDFDocContext* ctx)
{
    int64_t slots = ctx->imageKeySlots ? (int64_t)ctx->imageKeySlots * 2 : 64;
    int32_t* p = (int32_t*)_opdf_checkAlloc(malloc((size_t)slots * sizeof *p));
    if (!p)
        return;
    free(ctx->imageKeys);
    ctx->imageKeys = p;
    ctx->imageKeySlots = (int32_t)slots;
    for (int64_t i = 0; i < slots; i++)
        p[i] = -1;
    for (int i = 0; i < ctx->imageCount; i++)
        if (rows(ctx)[i].key)
            indexRow(ctx, i);
}

static void indexRow(PDFDocContext* ctx, int row)
{
    const PDFImageEntry* e = &rows(ctx)[row];
    /* after a failed growth the row stays unfindable rather than the index full */
    if (!ctx->imageKeys || row >= ctx->imageKeySlots - 1)
        return;
    const uint32_t mask = (uint32_t)ctx->imageKeySlots - 1;
    uint32_t i = keyHash(e->key, e->imageIndex) & mask;
    while (ctx->imageKeys[i] >= 0)
        i = (i + 1) & mask;
    ctx->imageKeys[i] = row;
}

/* Gives the row its key and makes it findable. */
static void setKey(PDFDocContext* ctx, int row, const char* key)
{
    PDFImageEntry* e = &rows(ctx)[row];
    e->key = _opdf_strdup(key);
    if (!e->key)
        return;
    if ((int64_t)(row + 1) * 2 > ctx->imageKeySlots)
        growKeyIndex(ctx); /* indexes every keyed row, this one too */
    else
        indexRow(ctx, row);
}

int opdf_findImage(PDFDocContext* ctx, const char* key, int imageIndex, int* row)
{
    if (row)
        *row = ctx ? ctx->imageCount : 0;
    if (!ctx || !key || !ctx->imageKeys)
        return 1;
    const uint32_t mask = (uint32_t)ctx->imageKeySlots - 1;
    for (uint32_t i = keyHash(key, imageIndex) & mask; ctx->imageKeys[i] >= 0; i = (i + 1) & mask) {
        const PDFImageEntry* e = &rows(ctx)[ctx->imageKeys[i]];
        /* a row marked dead keeps its slot but no key */
        if (!e->dead && e->key && e->imageIndex == imageIndex && strcmp(e->key, key) == 0) {
            if (row)
                *row = ctx->imageKeys[i];
            return 0;
        }
    }
    return 1;
}

void opdf_setImportImageIndex(PDFDocContext* ctx, int index)
{
    if (ctx && index >= 0)
        ctx->importImageIndex = index;
}

/* A row whose registration failed stays counted but is never used. */
static void markDead(PDFImageEntry* e)
{
    e->dead = 1;
    free(e->key);
    e->key = NULL;
    free(e->data);
    e->data = NULL;
    e->length = 0;
}

/* ---- data ------------------------------------------------------------------------ */

unsigned char* _opdf_flateImage(const unsigned char* in, int64_t n, int64_t* outLength,
                                const char* module)
{
    if (n < 0 || n > OPDF_IMAGE_MAX_BYTES)
        return NULL;
    uLongf cap = (uLongf)(n + (int64_t)((float)n * 0.001f + 16.0f));
    if (cap < compressBound((uLong)n))
        cap = compressBound((uLong)n);
    unsigned char* out = (unsigned char*)_opdf_checkAlloc(malloc(cap + 1));
    if (!out)
        return NULL;
    int rc = compress(out, &cap, in ? in : (const unsigned char*)"", (uLong)n);
    if (rc != Z_OK) {
        _opdf_globalError(4, module, "code=%d", rc);
        free(out);
        return NULL;
    }
    *outLength = (int64_t)cap;
    return out;
}

static unsigned char* copyBytes(const unsigned char* data, int64_t n)
{
    unsigned char* p = (unsigned char*)_opdf_checkAlloc(malloc((size_t)n + 1));
    if (p) {
        if (n)
            memcpy(p, data, (size_t)n);
        p[n] = 0;
    }
    return p;
}

static int hasColorTable(const PDFImageEntry* e)
{
    return e->attributes && e->attributes->table && e->attributes->entries > 0;
}

/* Sets the row's data to the Flate form of the samples, or to a copy of the
   samples, unfiltered, when zlib fails. The row holds no data before. */
static void flateRow(PDFImageEntry* e, const unsigned char* samples, int64_t n, const char* module)
{
    int64_t packedLength = 0;
    unsigned char* packed = _opdf_flateImage(samples, n, &packedLength, module);
    if (packed) {
        e->data = packed;
        e->length = packedLength;
        e->compression = OPDF_COMP_FLATE;
    } else {
        e->data = samples && n > 0 ? copyBytes(samples, n) : NULL;
        e->length = e->data ? n : 0;
        e->compression = OPDF_COMP_NONE;
    }
    e->strips = 1;
}

/* The library's choice for raw samples: JPEG for 8-bit grey or RGB, CCITT G4
   for 1 bit, Flate otherwise or when the coder fails. The row holds no data
   before. */
void _opdf_codeSamples(PDFDocContext* ctx, PDFImageEntry* e, const unsigned char* samples,
                       int64_t n, int allowCCITT, const char* module)
{
    if (e->bits == 8 && (e->components == 3 || e->components == 1) && !hasColorTable(e) &&
        !e->colorKeyFlag) {
        unsigned char* out = NULL;
        long outLength = 0;
        if (opdf_compressJPEG(ctx, e->width, e->height, (int)e->xResolution, e->components,
                              ctx->jpegQuality, samples, (long)n, &out, &outLength) == 0) {
            e->data = out;
            e->length = outLength;
            e->compression = OPDF_COMP_JPEG;
            return;
        }
    } else if (e->bits == 1 && e->components <= 1 && !e->colorKeyFlag && allowCCITT) {
        unsigned char* out = NULL;
        long outLength = 0;
        if (opdf_encodeCCITT(ctx, e->width, e->height, (int)e->xResolution, 2, samples, (long)n,
                             &out, &outLength) == 0) {
            e->data = out;
            e->length = outLength;
            e->compression = OPDF_COMP_G4;
            e->strips = 1;
            return;
        }
    }
    flateRow(e, samples, n, module);
}

/* Data of a raw-sample row placed from memory. -1 for an unsupported compression. */
static int takeSamples(PDFDocContext* ctx, PDFImageEntry* e, const unsigned char* data,
                       int64_t n, int compression)
{
    if (ctx->compression && e->kind == PDF_IMAGE_RAW) {
        if (compression == -1) {
            _opdf_codeSamples(ctx, e, data, n, 1, "ZLIB compress RAW");
            return 0;
        }
        if (compression == OPDF_COMP_FLATE) {
            flateRow(e, data, n, "ZLIB compress RAW");
            return 0;
        }
        _opdf_error(ctx, 1, OPDF_MODULE, "Unsupported compression(%d) passed to qelPDFLib",
                    compression);
        return -1;
    }
    e->data = data && n > 0 ? copyBytes(data, n) : NULL;
    e->length = e->data ? n : 0;
    return 0;
}

/* ---- drawing -------------------------------------------------------------------- */

static void drawImage(PDFDocContext* ctx, int row, float x, float y, float rotation,
                      float drawWidth, float drawHeight, unsigned flags)
{
    const PDFImageEntry* e = &rows(ctx)[row];
    _opdf_addPageResource(ctx, OPDF_RES_XOBJECTS, row);
    if (flags & PDF_IMAGE_SAVE)
        opdf_gsave(ctx);
    opdf_rawtranslate(ctx, x, y);
    if (fabsf(rotation) > 0.001f)
        opdf_rotate(ctx, rotation);
    opdf_rawconcat(ctx, drawWidth, 0, 0, drawHeight, 0, 0);
    _opdf_contentf(ctx, "/%s Do\n", e->name);
    if (flags & PDF_IMAGE_SAVE)
        opdf_grestore(ctx);
}

static void setColorKey(PDFImageEntry* e, const PDFColorKey* key, int maskedIndex)
{
    if (maskedIndex == -1)
        return;
    e->colorKeyFlag = 1;
    if (key)
        memcpy(e->colorKey, key->values, sizeof e->colorKey);
    e->maskedIndex = maskedIndex;
}

/* 0, or the scanner's negative code after its report. */
static int scanJPEGResult(PDFDocContext* ctx, PDFImageEntry* e, int r, const char* path)
{
    if (r == -2) {
        if (path)
            _opdf_error(ctx, 1, OPDF_MODULE, "Not a JPEG file?: %s", path);
        else
            _opdf_error(ctx, 1, OPDF_MODULE, "Not a JPEG buffer?");
    }
    if (r < 0)
        return r;
    if (e->components < 1 || e->components > 4) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Images with %d components are not supported",
                    e->components);
        return -2;
    }
    setKindFlags(ctx, e->components);
    if (e->compression != 192)
        opdf_setPDFLevel(ctx, 1, 3);
    return 0;
}

/* ---- masks ------------------------------------------------------------------------ */

int opdf_addImageMask(PDFDocContext* ctx, const char* name, const PDFImageMask* mask,
                      int compression)
{
    if (!ctx || !mask)
        return -1;
    const int depth = (int)mask->bitsPerComponent * (int)mask->components;
    if (depth != 1) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Image mask with %d bits per pixel not supported", depth);
        return -1;
    }
    char key[OPDF_NAME_MAX + 16];
    _opdf_format(key, sizeof key, "%sQEL_MASK", name ? name : "");
    int row = 0;
    if (opdf_findImage(ctx, key, ctx->importImageIndex, &row) == 0)
        return row;
    row = opdf_addImageEntry(ctx, (int)mask->width, (int)mask->height, mask->components,
                             mask->bitsPerComponent, mask->flags, NULL, mask->kind);
    if (row < 0)
        return -1;
    PDFImageEntry* e = &rows(ctx)[row];
    const int64_t n = mask->data ? (int64_t)mask->length : 0;
    if (e->kind == PDF_IMAGE_RAW && compression == -1)
        e->libraryCoded = 1;
    if (ctx->compression && e->kind == PDF_IMAGE_RAW) {
        if (compression == -1) {
            /* masks never go to JPEG: 1 bit */
            _opdf_codeSamples(ctx, e, mask->data, n, 1, "ZLIB compress RAW");
            e->strips = 1;
        } else if (compression == OPDF_COMP_FLATE) {
            flateRow(e, mask->data, n, "ZLIB compress RAW");
        } else {
            _opdf_error(ctx, 1, OPDF_MODULE, "Unsupported compression(%d) passed to qelPDFLib",
                        compression);
            markDead(e);
            return -1;
        }
    } else {
        e->data = n > 0 ? copyBytes(mask->data, n) : NULL;
        e->length = e->data ? n : 0;
    }
    setKey(ctx, row, key);
    return row;
}

/* ---- placing data and files --------------------------------------------------------- */

int opdf_rawplaceImageData(PDFDocContext* ctx, const char* name, const unsigned char* data,
                           long length, int width, int height, int components,
                           int bitsPerComponent, float x, float y, float rotation,
                           float drawWidth, float drawHeight, unsigned flags,
                           const PDFImageAttributes* attributes, int kind, int compression,
                           const PDFImageMask* mask, const PDFColorKey* colorKey, int maskedIndex)
{
    if (!ctx || !name)
        return -1;
    ctx->importImageIndex = 0;
    int row = 0;
    if (opdf_findImage(ctx, name, 0, &row) == 0) {
        drawImage(ctx, row, x, y, rotation, drawWidth, drawHeight, flags);
        return 0;
    }
    if (length < 0 || (int64_t)length > OPDF_IMAGE_MAX_BYTES) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Image data of %ld bytes not supported", length);
        return -1;
    }
    int maskRow = -1;
    if (mask)
        maskRow = opdf_addImageMask(ctx, name, mask, compression);
    row = opdf_addImageEntry(ctx, width, height, components, bitsPerComponent, flags, attributes,
                             kind);
    if (row < 0)
        return -1;
    PDFImageEntry* e = &rows(ctx)[row];
    e->length = length;
    e->mask = maskRow;
    if (isJPEGKind(e->kind)) {
        int r = _opdf_read_buffer_JPEG_header(data, length, e);
        r = scanJPEGResult(ctx, e, r, NULL);
        if (r < 0) {
            markDead(e);
            return r;
        }
    }
    setKey(ctx, row, name);
    setColorKey(e, colorKey, maskedIndex);
    if (e->kind == PDF_IMAGE_RAW && compression == -1)
        e->libraryCoded = 1;
    if (takeSamples(ctx, e, data, data ? length : 0, compression) < 0) {
        markDead(e);
        return -1;
    }
    drawImage(ctx, row, x, y, rotation, drawWidth, drawHeight, flags);
    return 0;
}

int opdf_placeImageData(PDFDocContext* ctx, const char* name, const unsigned char* data,
                        long length, int width, int height, int components,
                        int bitsPerComponent, float x, float y, float rotation, float drawWidth,
                        float drawHeight, unsigned flags, const PDFImageAttributes* attributes,
                        int kind, int compression, const PDFImageMask* mask,
                        const PDFColorKey* colorKey, int maskedIndex)
{
    if (!ctx)
        return -1;
    return opdf_rawplaceImageData(ctx, name, data, length, width, height, components,
                                  bitsPerComponent, opdf_domainToPageX(ctx, x),
                                  opdf_domainToPageY(ctx, y), rotation, drawWidth, drawHeight,
                                  flags, attributes, kind, compression, mask, colorKey,
                                  maskedIndex);
}

int opdf_rawplaceImageFile(PDFDocContext* ctx, const char* path, int width, int height,
                           int components, int bitsPerComponent, float x, float y,
                           float rotation, float drawWidth, float drawHeight, unsigned flags,
                           const PDFImageAttributes* attributes, int kind, int storedCompression,
                           const PDFColorKey* colorKey, int maskedIndex)
{
    if (!ctx || !path)
        return -1;
    ctx->importImageIndex = 0;
    int row = 0;
    if (opdf_findImage(ctx, path, 0, &row) == 0) {
        drawImage(ctx, row, x, y, rotation, drawWidth, drawHeight, flags);
        return 0;
    }
    row = opdf_addImageEntry(ctx, width, height, components, bitsPerComponent, flags, attributes,
                             kind);
    if (row < 0)
        return -1;
    PDFImageEntry* e = &rows(ctx)[row];
    long size = _opdf_fileSize(path);
    e->length = size > 0 ? size : 0;
    if (isJPEGKind(e->kind)) {
        int r = scanJPEGResult(ctx, e, _opdf_read_JPEG_header(path, e), path);
        if (r < 0) {
            markDead(e);
            return r;
        }
    } else if (e->kind == PDF_IMAGE_RAW) {
        if (storedCompression != -1)
            e->compression = storedCompression;
        if (storedCompression != OPDF_COMP_FLATE)
            e->libraryCoded = 1;
    }
    setKey(ctx, row, path);
    e->path = _opdf_strdup(path);
    setColorKey(e, colorKey, maskedIndex);
    drawImage(ctx, row, x, y, rotation, drawWidth, drawHeight, flags);
    return 0;
}

int opdf_placeImageFile(PDFDocContext* ctx, const char* path, int width, int height,
                        int components, int bitsPerComponent, float x, float y, float rotation,
                        float drawWidth, float drawHeight, unsigned flags,
                        const PDFImageAttributes* attributes, int kind, int storedCompression,
                        const PDFColorKey* colorKey, int maskedIndex)
{
    if (!ctx)
        return -1;
    return opdf_rawplaceImageFile(ctx, path, width, height, components, bitsPerComponent,
                                  opdf_domainToPageX(ctx, x), opdf_domainToPageY(ctx, y), rotation,
                                  drawWidth, drawHeight, flags, attributes, kind,
                                  storedCompression, colorKey, maskedIndex);
}

/* ---- colour planes ------------------------------------------------------------------- */

int opdf_rawplaceImagePlanes(PDFDocContext* ctx, const PDFImagePlane* planes, int width,
                             int height, int components, int bitsPerComponent, float x, float y,
                             float rotation, float drawWidth, float drawHeight, unsigned flags,
                             const PDFImageAttributes* attributes, const PDFImageMask* mask)
{
    (void)components; /* every plane is one component of its own colour space */
    if (!ctx)
        return -1;
    if (!planes) {
        _opdf_error(ctx, 1, OPDF_MODULE, "ImageList parameter is null in opdf_rawplaceImagePlanes()");
        return -1;
    }
    if (flags & PDF_IMAGE_BLEND)
        opdf_setBlendMode(ctx, 1);
    int maskRow = -1;
    if (mask)
        maskRow = opdf_addImageMask(ctx, planes->name, mask, -1);
    int separation = -1;
    for (const PDFImagePlane* p = planes; p; p = p->next) {
        if (p->colorant < 0 || p->colorant > 3) {
            _opdf_error(ctx, 1, OPDF_MODULE,
                        "Color Plane passed to opdf_rawplaceImagePlanes() is invalid");
            return -1;
        }
        int kind;
        switch (p->compression) {
        case 0: kind = 101 + p->colorant; break;
        case 1: kind = 109 + p->colorant; break;
        case 8: kind = 105 + p->colorant; break;
        case 9: kind = 113 + p->colorant; break;
        default:
            _opdf_error(ctx, 1, OPDF_MODULE,
                        "Only JPEG compressed plane data handled. Other image types not handled");
            return -1;
        }
        if (p->planeKind == 3) {
            _opdf_checkAndCreateSeparationCS(ctx, (unsigned)p->colorant, 3);
            separation = _opdf_findSeparationCS(ctx, p->colorant, 3);
        }
        char name[sizeof p->name + 1];
        memcpy(name, p->name, sizeof p->name);
        name[sizeof p->name] = 0;
        opdf_rawplaceImageData(ctx, name, p->data, p->length, width, height, 1, bitsPerComponent,
                               x, y, rotation, drawWidth, drawHeight, p->flags, attributes, kind,
                               -1, NULL, NULL, -1);
        int row = 0;
        if (opdf_findImage(ctx, name, ctx->importImageIndex, &row) == 0) {
            if (maskRow >= 0)
                rows(ctx)[row].mask = maskRow;
            rows(ctx)[row].separation = separation;
        }
    }
    if (flags & PDF_IMAGE_BLEND)
        opdf_setBlendMode(ctx, 0);
    return 1;
}

int opdf_placeImagePlanes(PDFDocContext* ctx, const PDFImagePlane* planes, int width,
                          int height, int components, int bitsPerComponent, float x, float y,
                          float rotation, float drawWidth, float drawHeight, unsigned flags,
                          const PDFImageAttributes* attributes, const PDFImageMask* mask)
{
    if (!ctx)
        return -1;
    return opdf_rawplaceImagePlanes(ctx, planes, width, height, components, bitsPerComponent,
                                    opdf_domainToPageX(ctx, x), opdf_domainToPageY(ctx, y),
                                    rotation, drawWidth, drawHeight, flags, attributes, mask);
}

/* ---- import ------------------------------------------------------------------------- */

int _opdf_findOrAddImportImage(PDFDocContext* ctx, const char* path, int fileType,
                               unsigned flags)
{
    if (!ctx || !path)
        return -1;
    if (fileType != PDF_IMAGE_TIFF)
        ctx->importImageIndex = 0;
    int row = 0;
    if (opdf_findImage(ctx, path, ctx->importImageIndex, &row) == 0)
        return row;
    if (tableFull(ctx) || reserveRow(ctx) < 0)
        return -1;
    const int index = ctx->imageCount;
    PDFImageEntry* e = &rows(ctx)[index];
    clearRow(e, index);
    e->imageMask = (flags & PDF_IMAGE_STENCIL) ? 1 : 0;
    e->invert = (flags & PDF_IMAGE_INVERT) ? 1 : 0;
    e->imageIndex = ctx->importImageIndex;
    long size = _opdf_fileSize(path);
    e->length = size > 0 ? size : 0;
    int r = 0;
    switch (fileType) {
    case PDF_IMAGE_JPEG:
        r = scanJPEGResult(ctx, e, _opdf_read_JPEG_header(path, e), path);
        break;
    case PDF_IMAGE_TIFF:
        r = _opdf_readTIFFInfoWithHandlers(ctx, path, e);
        break;
    case PDF_IMAGE_EMPTY:
        break;
    case PDF_IMAGE_PDFIMG:
        r = _opdf_readPDFIMGHeader(path, e);
        if (r > 0)
            r = 0;
        break;
    default:
        r = -4;
        break;
    }
    if (r != 0) {
        free(e->name);
        memset(e, 0, sizeof *e);
        return r;
    }
    setKindFlags(ctx, e->components);
    e->path = _opdf_strdup(path);
    e->kind = fileType;
    ctx->imageCount++;
    setKey(ctx, index, path);
    return index;
}

static int given(float v) { return fabsf(v) > 1e-5f; }

int opdf_rawImportImage(PDFDocContext* ctx, const char* path, int fileType, float x, float y,
                        float rotation, float* width, float* height, float* scaleX,
                        float* scaleY, unsigned flags)
{
    if (!ctx || !width || !height || !scaleX || !scaleY)
        return -1;
    int row = _opdf_findOrAddImportImage(ctx, path, fileType, flags);
    if (row < 0)
        return row;
    const PDFImageEntry* e = &rows(ctx)[row];
    /* Pixel sizes; a row without them counts as one pixel. */
    const float W = e->width > 0 ? (float)e->width : 1.0f;
    const float H = e->height > 0 ? (float)e->height : 1.0f;
    float drawWidth, drawHeight;
    if (given(*width)) {
        *scaleX = *width / W;
        drawWidth = *width;
    } else if (given(*scaleX)) {
        *width = W * *scaleX;
        drawWidth = *width;
    } else if (given(*height)) {
        *scaleX = *scaleY = *height / H;
        drawWidth = W * *scaleX;
    } else if (given(*scaleY)) {
        *scaleX = *scaleY;
        *width = W * *scaleY;
        drawWidth = *width;
    } else {
        *width = W;
        *scaleX = 1;
        drawWidth = *width;
    }
    if (given(*height)) {
        *scaleY = *height / H;
        drawHeight = *height;
    } else if (given(*scaleY)) {
        *height = H * *scaleY;
        drawHeight = *height;
    } else if (given(*width)) {
        *scaleX = *scaleY = *width / W;
        drawHeight = H * *scaleY;
    } else if (given(*scaleX)) {
        *scaleY = *scaleX;
        *height = H * *scaleX;
        drawHeight = *height;
    } else {
        *height = H;
        *scaleY = 1;
        drawHeight = *height;
    }
    drawImage(ctx, row, x, y, rotation, drawWidth, drawHeight, flags);
    return 0;
}

int opdf_ImportImage(PDFDocContext* ctx, const char* path, int fileType, float x, float y,
                     float rotation, float* width, float* height, float* scaleX, float* scaleY,
                     unsigned flags)
{
    if (!ctx)
        return -1;
    return opdf_rawImportImage(ctx, path, fileType, opdf_domainToPageX(ctx, x),
                               opdf_domainToPageY(ctx, y), rotation, width, height, scaleX,
                               scaleY, flags);
}

/* ---- writing ---------------------------------------------------------------------------- */

int _opdf_numberImages(PDFDocContext* ctx, int next)
{
    for (int i = 0; i < ctx->imageCount; i++) {
        PDFImageEntry* e = &rows(ctx)[i];
        e->objectNumber = e->dead ? 0 : next++;
    }
    return next;
}

/* The first length bytes of the row's file; -1 after a report naming it. */
static int readImageFile(PDFDocContext* ctx, const PDFImageEntry* e, unsigned char** out)
{
    *out = NULL;
    if (e->length < 0 || e->length > OPDF_IMAGE_MAX_BYTES) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Cannot read image file: %s", e->path);
        return -1;
    }
    FILE* f = fopen(e->path, "rb");
    unsigned char* p = f ? (unsigned char*)_opdf_checkAlloc(malloc((size_t)e->length + 1)) : NULL;
    if (!p || fread(p, 1, (size_t)e->length, f) != (size_t)e->length) {
        if (f)
            fclose(f);
        free(p);
        _opdf_error(ctx, 1, OPDF_MODULE, "Cannot read image file: %s", e->path);
        return -1;
    }
    fclose(f);
    p[e->length] = 0;
    *out = p;
    return 0;
}

static void writeIndexedColorSpace(PDFDocContext* ctx, PDFImageEntry* e)
{
    const PDFImageAttrCopy* a = e->attributes;
    if (!a || !a->table || a->entries <= 0)
        return;
    static const char* const kBases[4] = {"", "DeviceGray", "DeviceRGB", "DeviceCMYK"};
    const int per = a->tableKind == 1 ? 1 : a->tableKind == 2 ? 3 : 4;
    unsigned char lookup[256 * 4];
    int n = 0;
    for (int i = 0; i < a->entries && i < 256; i++)
        for (int k = 0; k < per; k++)
            lookup[n++] = a->table[4 * i + k];
    _opdf_putf(ctx, "/ColorSpace [/Indexed /%s %d ", kBases[a->tableKind & 3], a->entries - 1);
    _opdf_putString(ctx, lookup, n, e->objectNumber, 0);
    _opdf_putText(ctx, "]\n");
}

static const char* decodeArray(int components)
{
    if (components == 3)
        return "[1 0 1 0 1 0]";
    if (components == 4)
        return "[1 0 1 0 1 0 1 0]";
    return "[1 0]";
}

static const char* deviceSpace(int components)
{
    return components == 3 ? "DeviceRGB" : components == 4 ? "DeviceCMYK" : "DeviceGray";
}

static int isCCITTData(const PDFImageEntry* e)
{
    return e->compression == OPDF_COMP_G4 && e->strips == 1;
}

static void putCCITTParms(PDFDocContext* ctx, int k, int columns)
{
    _opdf_putText(ctx, "/Filter /CCITTFaxDecode\n");
    _opdf_putf(ctx, "/DecodeParms << /K %d /Columns %d >>\n", k, columns);
}

static void putPredictor(PDFDocContext* ctx, const PDFImageEntry* e)
{
    int predictor = e->predictor;
    if (e->attributes && e->attributes->predictor > 1)
        predictor = e->attributes->predictor;
    if (predictor > 1)
        _opdf_putf(ctx, "/DecodeParms<</Predictor %d\n/Columns %d\n/Colors %d>>\n", predictor,
                   e->width, e->components);
}

static int writeImage(PDFDocContext* ctx, PDFImageEntry* e)
{
    unsigned char* bytes = e->data;
    unsigned char* owned = NULL;
    int invert = e->invert;
    const int kind = e->kind;

    /* Data first: a file that cannot be read ends the document before the
       object is begun. */
    if (kind == PDF_IMAGE_TIFF) {
        int r = _opdf_readTIFFDataWithHandlers(ctx, &owned, e, ctx->compression);
        if (r < 0)
            return r;
        bytes = owned;
        /* 0 is a dark sample in PDF: white-is-zero samples and black-is-zero
           CCITT data (whose coded black runs decode to 0) are turned over. */
        if ((e->photometric == 0 && !isCCITTData(e)) || (e->photometric == 1 && isCCITTData(e)))
            invert = !invert;
    } else if (kind == PDF_IMAGE_PDFIMG) {
        /* read below, after the dictionary lines */
    } else if (kind != PDF_IMAGE_EMPTY && e->path && !e->data) {
        if (readImageFile(ctx, e, &owned) < 0)
            return -1;
        bytes = owned;
        if (kind == PDF_IMAGE_RAW) {
            if (ctx->compression) {
                /* raw samples from a file are coded now */
                _opdf_codeSamples(ctx, e, owned, e->length, e->compression != OPDF_COMP_FLATE,
                            "ZLIB compress RAW");
                free(owned);
                owned = NULL;
                bytes = e->data;
            } else {
                e->compression = OPDF_COMP_NONE;
            }
        }
    }

    _opdf_beginObject(ctx, e->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /XObject\n/Subtype /Image\n");
    _opdf_putf(ctx, "/Name /%s\n", e->name);
    if (kind != PDF_IMAGE_PDFIMG)
        _opdf_putf(ctx, "/Width %d\n/Height %d\n", e->width, e->height);
    const PDFImageEntry* maskRow = _opdf_imageRow(ctx, e->mask);
    int hasMask = 0;
    if (maskRow && !maskRow->dead && maskRow != e) {
        _opdf_putf(ctx, "/Mask %d 0 R\n", maskRow->objectNumber);
        hasMask = 1;
    }

    if (isJPEGKind(kind)) {
        _opdf_putText(ctx, "/Filter /DCTDecode\n");
    } else if (isCCITTKind(kind)) {
        if (e->photometric == 0 && !isCCITTData(e))
            invert = !invert;
        int k = kind == PDF_IMAGE_G3 ? 0 : kind == PDF_IMAGE_G3_2D ? 1 : -1;
        putCCITTParms(ctx, k, e->width);
    } else if (kind == PDF_IMAGE_TIFF) {
        if (isCCITTData(e)) {
            putCCITTParms(ctx, -1, e->width);
        } else if (e->compression == OPDF_COMP_LZW) {
            _opdf_putText(ctx, "/Filter /LZWDecode\n");
            putPredictor(ctx, e);
        } else if (e->compression == OPDF_COMP_OJPEG || e->compression == OPDF_COMP_JPEG) {
            _opdf_putText(ctx, "/Filter /DCTDecode\n");
        } else if (e->compression == OPDF_COMP_FLATE) {
            _opdf_putText(ctx, "/Filter /FlateDecode\n");
        }
    } else if (kind == PDF_IMAGE_PDFIMG) {
        int64_t offset = _opdf_putPDFIMGDictionary(ctx, e);
        if (offset < 0 || _opdf_readPDFIMGData(&owned, e, offset) < 0) {
            _opdf_error(ctx, 1, OPDF_MODULE, "Cannot read image file: %s", e->path);
            return -1;
        }
        bytes = owned;
    } else if (kind == PDF_IMAGE_RAW) {
        if (isCCITTData(e)) {
            putCCITTParms(ctx, -1, e->width);
        } else {
            if (e->compression == OPDF_COMP_JPEG)
                _opdf_putText(ctx, "/Filter /DCTDecode\n");
            else if (e->compression == OPDF_COMP_FLATE)
                _opdf_putText(ctx, "/Filter /FlateDecode\n");
            if (e->libraryCoded && e->bits == 1)
                invert = !invert;
        }
    } else if (isLZWKind(kind)) {
        _opdf_putText(ctx, "/Filter /LZWDecode\n");
        putPredictor(ctx, e);
    } else if (kind == PDF_IMAGE_FLATE) {
        _opdf_putText(ctx, "/Filter /FlateDecode\n");
    }

    if (kind != PDF_IMAGE_PDFIMG) {
        if (invert && hasColorTable(e))
            /* an index runs from 0 to 2^bits - 1, not over a colour range */
            _opdf_putf(ctx, "/Decode [%d 0]\n", (1 << e->bits) - 1);
        else if (invert)
            _opdf_putf(ctx, "/Decode %s\n", decodeArray(e->components));
        _opdf_putf(ctx, "/BitsPerComponent %d\n", e->bits);
        const PDFSeparationEntry* sep =
            e->separation >= 0 && e->separation < ctx->separationCount ? &ctx->separations[e->separation]
                                                                       : NULL;
        if (sep) {
            _opdf_putf(ctx, "/ColorSpace %d 0 R\n", sep->objectNumber);
        } else if (e->imageMask && e->components == 1 && e->bits == 1) {
            _opdf_putText(ctx, "/ImageMask true\n");
        } else if (hasColorTable(e)) {
            writeIndexedColorSpace(ctx, e);
            if (e->maskedIndex != -1 && !hasMask)
                _opdf_putf(ctx, "/Mask [%d %d ]\n", e->maskedIndex, e->maskedIndex);
        } else {
            _opdf_putf(ctx, "/ColorSpace /%s\n", deviceSpace(e->components));
            int keyed = e->colorKeyFlag;
            for (int i = 0; i < 6; i++)
                if (e->colorKey[i] == -1)
                    keyed = 0;
            if (keyed && e->components != 3) {
                _opdf_error(ctx, 2, OPDF_MODULE,
                            "Colour key of image %s left out: it has %d components", e->name,
                            e->components);
            } else if (keyed && !hasMask) {
                _opdf_putf(ctx, "/Mask [%d %d %d %d %d %d]\n", e->colorKey[0], e->colorKey[3],
                           e->colorKey[1], e->colorKey[4], e->colorKey[2], e->colorKey[5]);
            }
        }
        _opdf_putf(ctx, "/Length %ld\n", bytes ? (long)e->length : 0L);
    }
    _opdf_putText(ctx, ">>");
    _opdf_putStream(ctx, bytes, bytes ? (size_t)e->length : 0, e->objectNumber, 0);
    _opdf_endObject(ctx);
    free(owned);
    return 0;
}

int _opdf_writeImages(PDFDocContext* ctx)
{
    for (int i = 0; i < ctx->imageCount; i++) {
        PDFImageEntry* e = &rows(ctx)[i];
        if (e->dead)
            continue;
        int r = writeImage(ctx, e);
        if (r < 0)
            return r;
    }
    return 0;
}

void _opdf_freeImages(PDFDocContext* ctx)
{
    if (!ctx)
        return;
    for (int i = 0; i < ctx->imageCount; i++) {
        PDFImageEntry* e = &rows(ctx)[i];
        free(e->name);
        free(e->path);
        free(e->key);
        free(e->data);
        if (e->attributes)
            free(e->attributes->table);
        free(e->attributes);
    }
    free(ctx->images);
    ctx->images = NULL;
    free(ctx->imageKeys);
    ctx->imageKeys = NULL;
    ctx->imageKeySlots = 0;
    ctx->imageCount = 0;
    ctx->imageCapacity = 0;
}
