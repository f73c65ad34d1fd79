/* TIFF files placed on pages: CCITT, LZW and JPEG strips are taken over
   where PDF can read them, everything else is decoded and, with compression
   on, coded again. */
#include "opdfImages.h"

#include <stdlib.h>
#include <string.h>
#include <tiffio.h>

/* How the data of a file reaches the PDF. */
enum {
    ROUTE_CCITT,     /* one G4 strip as it is */
    ROUTE_LZW,       /* one LZW strip as it is */
    ROUTE_JPEG,      /* JPEG strips joined into one JPEG stream */
    ROUTE_OJPEG,     /* old-style JPEG strips behind a header of their own */
    ROUTE_SCANLINES, /* decoded grey, RGB or CMYK samples */
    ROUTE_RGBA       /* decoded to RGB through libtiff's RGBA reader */
};

typedef struct TiffFacts {
    uint16_t photometric;
    uint16_t compression;
    uint16_t bits;
    uint16_t samples;
    uint16_t planar;
    uint16_t fillOrder;
    uint16_t predictor;
    uint16_t extraSamples;
    uint16_t inkSet;
    uint32_t width, height;
    uint32_t strips;
    int colorMap;
} TiffFacts;

static TIFF* openDirectory(const char* path, int index)
{
    TIFF* tif = TIFFOpen(path, "r");
    if (!tif) {
        _opdf_globalError(1, OPDF_MODULE, "Can't open TIFF file (possibly an invalid file): %s",
                          path);
        return NULL;
    }
    if (index > 0 && !TIFFSetDirectory(tif, (tdir_t)index)) {
        _opdf_globalError(1, OPDF_MODULE, "Can't open TIFF directory for %d-th image for file: %s",
                          index + 1, path);
        TIFFClose(tif);
        return NULL;
    }
    return tif;
}

/* The tags every route needs; -1 after a report for files left out. */
static int readFacts(TIFF* tif, const char* path, TiffFacts* t)
{
    memset(t, 0, sizeof *t);
    if (TIFFIsTiled(tif)) {
        _opdf_globalError(1, OPDF_MODULE, "Tiled TIFF is not supported, file: %s", path);
        return -1;
    }
    static const struct {
        uint32_t tag;
        const char* name;
    } kRequired[] = {{TIFFTAG_IMAGEWIDTH, "TIFFTAG_IMAGEWIDTH"},
                     {TIFFTAG_IMAGELENGTH, "TIFFTAG_IMAGELENGTH"},
                     {TIFFTAG_BITSPERSAMPLE, "TIFFTAG_BITSPERSAMPLE"},
                     {TIFFTAG_SAMPLESPERPIXEL, "TIFFTAG_SAMPLESPERPIXEL"}};
    for (size_t i = 0; i < sizeof kRequired / sizeof kRequired[0]; i++) {
        uint32_t v32 = 0;
        uint16_t v16 = 0;
        int ok = kRequired[i].tag == TIFFTAG_IMAGEWIDTH || kRequired[i].tag == TIFFTAG_IMAGELENGTH
                     ? TIFFGetField(tif, kRequired[i].tag, &v32)
                     : TIFFGetField(tif, kRequired[i].tag, &v16);
        if (!ok) {
            _opdf_globalError(1, OPDF_MODULE, "Missing tag %s in TIFF %s", kRequired[i].name, path);
            return -1;
        }
    }
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &t->width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &t->height);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &t->bits);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &t->samples);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t->photometric))
        t->photometric = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &t->compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &t->planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &t->fillOrder);
    /* only codecs with a predictor know the tag */
    if (!TIFFGetField(tif, TIFFTAG_PREDICTOR, &t->predictor))
        t->predictor = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &t->inkSet);
    uint16_t* extra = NULL;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &t->extraSamples, &extra);
    uint16_t *r = NULL, *g = NULL, *b = NULL;
    t->colorMap = TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) ? 1 : 0;
    t->strips = TIFFNumberOfStrips(tif);
    if (t->width == 0 || t->height == 0 || t->width > OPDF_IMAGE_MAX_SIDE * 8 ||
        t->height > OPDF_IMAGE_MAX_SIDE * 8 || t->samples == 0 || t->bits == 0 ||
        t->strips == 0) {
        _opdf_globalError(1, OPDF_MODULE, "Unsupported TIFF image size or layout, file: %s", path);
        return -1;
    }
    if (t->compression == COMPRESSION_CCITTFAX3 || t->compression == COMPRESSION_CCITTFAX4) {
        t->bits = 1;
        t->samples = 1;
        if (t->photometric > 1)
            t->photometric = 0;
    } else if (t->photometric > 8) {
        t->photometric = 0;
    }
    return 0;
}

/* Grey, RGB or CMYK samples PDF takes as they are. */
static int plainColour(const TiffFacts* t)
{
    if (t->colorMap || t->extraSamples)
        return 0;
    if (t->photometric <= 1)
        return t->samples == 1;
    if (t->photometric == 2)
        return t->samples == 3 && t->bits == 8;
    if (t->photometric == 5)
        return t->samples == 4 && t->bits == 8 && t->inkSet == INKSET_CMYK;
    return 0;
}

static int chooseRoute(TIFF* tif, const TiffFacts* t, const char* path)
{
    const int contig = t->planar == PLANARCONFIG_CONTIG || t->samples == 1;
    if (t->compression == COMPRESSION_CCITTFAX4 && t->strips == 1)
        return ROUTE_CCITT;
    if (t->compression == COMPRESSION_LZW && t->strips == 1 && contig && plainColour(t) &&
        ((t->bits <= 8 && t->predictor == 1) || (t->bits == 8 && t->predictor == 2)))
        return ROUTE_LZW;
    if (t->compression == COMPRESSION_JPEG && contig && t->bits == 8 && !t->colorMap &&
        !t->extraSamples &&
        ((t->photometric <= 1 && t->samples == 1) ||
         ((t->photometric == 2 || t->photometric == 6) && t->samples == 3) ||
         (t->photometric == 5 && t->samples == 4)))
        return ROUTE_JPEG;
    if (t->compression == COMPRESSION_OJPEG && contig && t->bits == 8 && !t->colorMap &&
        !t->extraSamples && (t->samples == 1 || t->samples == 3))
        return ROUTE_OJPEG;
    if (plainColour(t) && (t->bits == 1 || t->bits == 2 || t->bits == 4 || t->bits == 8) &&
        (contig || t->bits == 8))
        return ROUTE_SCANLINES;
    char why[1024];
    if (!TIFFRGBAImageOK(tif, why)) {
        _opdf_globalError(1, OPDF_MODULE, "Cannot read image: %s (%s)", path, why);
        return -1;
    }
    return ROUTE_RGBA;
}

/* What the chosen route writes: components, bits and photometric. */
static void describeOutput(const TiffFacts* t, int route, PDFImageEntry* entry)
{
    entry->photometric = t->photometric;
    entry->components = t->samples;
    entry->bits = t->bits;
    if (route == ROUTE_RGBA) {
        entry->photometric = 2;
        entry->components = 3;
        entry->bits = 8;
    }
}

static int readTIFFInfo(const char* path, PDFImageEntry* entry)
{
    TIFF* tif = openDirectory(path, entry->imageIndex);
    if (!tif)
        return -1;
    TiffFacts t;
    int route = readFacts(tif, path, &t);
    if (route == 0)
        route = chooseRoute(tif, &t, path);
    if (route < 0) {
        TIFFClose(tif);
        return -1;
    }
    uint16_t orientation = 1, unit = 2;
    float xres = 0, yres = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres))
        xres = 0;
    if (!TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres))
        yres = 0;
    entry->strips = (int32_t)t.strips;
    entry->orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    entry->width = (int32_t)t.width;
    entry->height = (int32_t)t.height;
    entry->compression = t.compression;
    entry->resolutionUnit = unit == 3 ? 3 : 2;
    entry->xResolution = xres;
    entry->yResolution = yres;
    describeOutput(&t, route, entry);
    TIFFClose(tif);
    return 0;
}

int _opdf_readTIFFInfoWithHandlers(PDFDocContext* ctx, const char* path, PDFImageEntry* entry)
{
    void* saved[2];
    _opdf_swapTIFFHandlers(ctx, saved);
    int r = readTIFFInfo(path, entry);
    _opdf_restoreTIFFHandlers(ctx, saved);
    return r;
}

int _opdf_isTIFFPassThrough(int compression, int strips)
{
    return ((compression == 4 || compression == 5) && strips == 1) || compression == 6 ||
           compression == 7;
}

/* ---- strips taken over -------------------------------------------------------------- */

static void allocFailed(const char* path)
{
    _opdf_globalError(-99, OPDF_MODULE, "Error in allocating memory while processing tiff file %s ",
                      path);
}

/* Raw bytes of strip s into a new block; -1 after a report. */
static int readRawStrip(TIFF* tif, uint32_t s, const char* path, unsigned char** out,
                        int64_t* length)
{
    *out = NULL;
    tmsize_t size = TIFFRawStripSize(tif, s);
    if (size <= 0 || (int64_t)size > OPDF_IMAGE_MAX_BYTES) {
        _opdf_globalError(1, OPDF_MODULE, "Bad strip %u in tiff file %s", (unsigned)s, path);
        return -1;
    }
    unsigned char* p = (unsigned char*)_opdf_checkAlloc(malloc((size_t)size + 1));
    if (!p) {
        allocFailed(path);
        return -1;
    }
    tmsize_t n = TIFFReadRawStrip(tif, s, p, size);
    if (n != size) {
        free(p);
        _opdf_globalError(1, OPDF_MODULE, "Cannot read strip %u of tiff file %s", (unsigned)s, path);
        return -1;
    }
    *out = p;
    *length = size;
    return 0;
}

static int isFrame(int m)
{
    return m == 0xC0 || m == 0xC1 || m == 0xC3 || m == 0xC9 || m == 0xCA;
}

static void put16(PDFMemoryStream* out, unsigned v)
{
    _opdf_appendByte((int)((v >> 8) & 0xFF), out);
    _opdf_appendByte((int)(v & 0xFF), out);
}

int _opdf_copyJPEGStrip(const unsigned char* strip, int64_t length, PDFMemoryStream* out,
                        int index, int imageHeight)
{
    int64_t p = 0;
    while (p + 1 < length) {
        if (strip[p] != 0xFF) {
            p++;
            continue;
        }
        const int m = strip[p + 1];
        if (m == 0xFF) {
            p++;
            continue;
        }
        if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            p += 2;
            continue;
        }
        if (p + 4 > length)
            return 0;
        const int64_t segment = ((int64_t)strip[p + 2] << 8) | strip[p + 3];
        if (segment < 2 || p + 2 + segment > length)
            return 0;
        const unsigned char* s = strip + p;
        if (isFrame(m) && index == 0) {
            const int components = segment >= 8 ? s[9] : 0;
            if (segment < 8 + 3 * (int64_t)components || components == 0)
                return 0;
            int h = 1, v = 1;
            for (int c = 0; c < components; c++) {
                const int f = s[10 + 3 * c + 1];
                if ((f >> 4) > h)
                    h = f >> 4;
                if ((f & 15) > v)
                    v = f & 15;
            }
            const int64_t frameHeight = (s[5] << 8) | s[6];
            const int64_t width = (s[7] << 8) | s[8];
            const int64_t interval = ((width + 8 * h - 1) / (8 * h)) *
                                     ((frameHeight + 8 * v - 1) / (8 * v));
            if (interval <= 0 || interval > 0xFFFF || imageHeight > 0xFFFF)
                return 0;
            _opdf_appendMemoryStream(out, s, 5);
            put16(out, (unsigned)imageHeight);
            _opdf_appendMemoryStream(out, s + 7, (int)(segment + 2 - 7));
            const unsigned char dri[4] = {0xFF, 0xDD, 0x00, 0x04};
            _opdf_appendMemoryStream(out, dri, 4);
            put16(out, (unsigned)interval);
        } else if ((m == 0xDB || m == 0xC4) && index == 0) {
            /* tables belong before the scan: later strips' copies would land in it */
            _opdf_appendMemoryStream(out, s, (int)(segment + 2));
        } else if (m == 0xDA) {
            if (index == 0) {
                _opdf_appendMemoryStream(out, s, (int)(segment + 2));
            } else {
                _opdf_appendByte(0xFF, out);
                _opdf_appendByte(0xD0 + ((index - 1) % 8), out);
            }
            int64_t start = p + 2 + segment;
            int64_t end = length;
            if (end - start >= 2 && strip[end - 2] == 0xFF && strip[end - 1] == 0xD9)
                end -= 2;
            if (end > start)
                _opdf_appendMemoryStream(out, strip + start, (int)(end - start));
            return 1;
        }
        p += 2 + segment;
    }
    return 0;
}

/* JPEG strips joined: the tables, strip 0's frame with the full height and a
   restart interval of one strip, strip 0's scan, then each later strip's data
   behind a restart marker. */
static int joinJPEGStrips(TIFF* tif, const TiffFacts* t, const char* path, unsigned char** data,
                          int64_t* length)
{
    uint64_t* counts = NULL;
    if (!TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
        return -1;
    int64_t sum = 0;
    for (uint32_t s = 0; s < t->strips; s++) {
        sum += (int64_t)counts[s];
        if (counts[s] > (uint64_t)OPDF_IMAGE_MAX_BYTES || sum > OPDF_IMAGE_MAX_BYTES) {
            _opdf_globalError(1, OPDF_MODULE, "Bad strip %u in tiff file %s", (unsigned)s, path);
            return -1;
        }
    }
    PDFMemoryStream* out = _opdf_newMemoryStream();
    if (!out) {
        allocFailed(path);
        return -1;
    }
    uint32_t tableLength = 0;
    const unsigned char* tables = NULL;
    if (TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tableLength, &tables) && tables && tableLength > 4)
        _opdf_appendMemoryStream(out, tables, (int)tableLength - 2);
    else
        _opdf_appendMemoryStream(out, "\xFF\xD8", 2);
    int result = 0;
    for (uint32_t s = 0; s < t->strips && result == 0; s++) {
        unsigned char* strip = NULL;
        int64_t n = 0;
        if (readRawStrip(tif, s, path, &strip, &n) < 0) {
            result = -1;
            break;
        }
        if (!_opdf_copyJPEGStrip(strip, n, out, (int)s, (int)t->height)) {
            _opdf_globalError(1, OPDF_MODULE, "Error while extracting JPEG data from strip %d in tiff file %s",
                              (int)s, path);
            result = -1;
        }
        free(strip);
    }
    if (result == 0)
        _opdf_appendMemoryStream(out, "\xFF\xD9", 2);
    if (result == 0 && (int64_t)out->length != 0) {
        *length = out->length;
        *data = out->buffer;
        out->buffer = NULL;
    }
    _opdf_freeMemoryStream(out);
    return *data ? 0 : -1;
}

/* ---- old-style JPEG --------------------------------------------------------------------- */

/* n bytes of the file at offset appended to out; -1 when they are not there. */
static int copyFromFile(FILE* f, uint64_t offset, int64_t n, PDFMemoryStream* out)
{
    if (n < 0 || n > OPDF_IMAGE_MAX_BYTES || offset > (uint64_t)OPDF_IMAGE_MAX_BYTES * 4 ||
        fseek(f, (long)offset, SEEK_SET) != 0)
        return -1;
    unsigned char buf[4096];
    while (n > 0) {
        size_t k = n < (int64_t)sizeof buf ? (size_t)n : sizeof buf;
        if (fread(buf, 1, k, f) != k)
            return -1;
        _opdf_appendMemoryStream(out, buf, (int)k);
        n -= (int64_t)k;
    }
    return 0;
}

static void putRestartInterval(PDFMemoryStream* out, int64_t interval)
{
    const unsigned char dri[4] = {0xFF, 0xDD, 0x00, 0x04};
    _opdf_appendMemoryStream(out, dri, 4);
    put16(out, (unsigned)(interval > 0xFFFF ? 0xFFFF : interval));
}

/* MCUs in one strip of RowsPerStrip rows. */
static int64_t stripInterval(TIFF* tif, const TiffFacts* t, int h, int v)
{
    uint32_t rows = t->height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    if (rows > t->height)
        rows = t->height;
    return (((int64_t)t->width + 8 * h - 1) / (8 * h)) * (((int64_t)rows + 8 * v - 1) / (8 * v));
}

/* One Huffman table (16 counts and their symbols) read at offset into a DHT segment. */
static int putHuffmanTable(FILE* f, uint64_t offset, int tableByte, PDFMemoryStream* out)
{
    unsigned char counts[16];
    unsigned char symbols[256];
    if (offset > (uint64_t)OPDF_IMAGE_MAX_BYTES * 4 || fseek(f, (long)offset, SEEK_SET) != 0 ||
        fread(counts, 1, 16, f) != 16)
        return -1;
    int sum = 0;
    for (int i = 0; i < 16; i++)
        sum += counts[i];
    if (sum > 256 || fread(symbols, 1, (size_t)sum, f) != (size_t)sum)
        return -1;
    _opdf_appendByte(0xFF, out);
    _opdf_appendByte(0xC4, out);
    put16(out, (unsigned)(19 + sum));
    _opdf_appendByte(tableByte, out);
    _opdf_appendMemoryStream(out, counts, 16);
    _opdf_appendMemoryStream(out, symbols, sum);
    return 0;
}

/* Start of image, frame, tables, restart interval and scan header from the
   old-style JPEG tags, whose tables are file offsets, one per component.
   0, or a negative code; lossless processes have no PDF filter. */
static int buildOJPEGHeader(TIFF* tif, const TiffFacts* t, FILE* f, PDFMemoryStream* out)
{
    if (t->planar == PLANARCONFIG_SEPARATE && t->samples > 1)
        return -2;
    uint16_t proc = 0;
    if (!TIFFGetField(tif, TIFFTAG_JPEGPROC, &proc))
        return -3;
    if (proc != JPEGPROC_BASELINE)
        return -4;
    uint32_t qCount = 0, dcCount = 0, acCount = 0;
    const uint64_t* q = NULL;
    const uint64_t* dc = NULL;
    const uint64_t* ac = NULL;
    if (!TIFFGetField(tif, TIFFTAG_JPEGQTABLES, &qCount, &q) || !q)
        return -5;
    const int components = t->samples;
    if ((int)qCount < components)
        return -6;
    const int tables = components > 2 ? 2 : components;
    if (!TIFFGetField(tif, TIFFTAG_JPEGDCTABLES, &dcCount, &dc) || !dc || (int)dcCount < tables)
        return -7;
    if (!TIFFGetField(tif, TIFFTAG_JPEGACTABLES, &acCount, &ac) || !ac || (int)acCount < tables)
        return -8;
    uint16_t h = 1, v = 1;
    if (t->samples == 3 && !TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v))
        h = v = 1;
    if (h < 1 || h > 4 || v < 1 || v > 4 || t->width > 0xFFFF || t->height > 0xFFFF)
        return -2;
    const unsigned char soi[2] = {0xFF, 0xD8};
    _opdf_appendMemoryStream(out, soi, 2);
    _opdf_appendByte(0xFF, out);
    _opdf_appendByte(0xC0, out);
    put16(out, (unsigned)(8 + 3 * components));
    _opdf_appendByte(t->bits, out);
    put16(out, t->height);
    put16(out, t->width);
    _opdf_appendByte(components, out);
    for (int c = 0; c < components; c++) {
        _opdf_appendByte(c, out);
        _opdf_appendByte(c == 0 ? (h << 4) | v : 0x11, out);
        _opdf_appendByte(c, out);
    }
    for (int c = 0; c < components; c++) {
        const unsigned char head[5] = {0xFF, 0xDB, 0x00, 0x43, (unsigned char)c};
        _opdf_appendMemoryStream(out, head, 5);
        if (copyFromFile(f, q[c], 64, out) < 0)
            return -6;
    }
    for (int j = 0; j < tables; j++)
        if (putHuffmanTable(f, dc[j], j, out) < 0)
            return -7;
    for (int j = 0; j < tables; j++)
        if (putHuffmanTable(f, ac[j], 0x10 | j, out) < 0)
            return -8;
    if (t->strips > 1)
        putRestartInterval(out, stripInterval(tif, t, h, v));
    _opdf_appendByte(0xFF, out);
    _opdf_appendByte(0xDA, out);
    put16(out, (unsigned)(6 + 2 * components));
    _opdf_appendByte(components, out);
    for (int c = 0; c < components; c++) {
        const int k = c < tables - 1 ? c : tables - 1;
        _opdf_appendByte(c, out);
        _opdf_appendByte((k << 4) | k, out);
    }
    _opdf_appendByte(0, out);
    _opdf_appendByte(63, out);
    _opdf_appendByte(0, out);
    return 0;
}

/* Old-style JPEG data as one JPEG stream: the file's own interchange header
   when it has one, else a header made from the tags; later strips follow
   restart markers. */
static int joinOJPEGStrips(TIFF* tif, const TiffFacts* t, const char* path, unsigned char** data,
                           int64_t* length)
{
    uint64_t* counts = NULL;
    uint64_t* offsets = NULL;
    if (!TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts ||
        !TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) || !offsets)
        return -1;
    int64_t sum = 0;
    for (uint32_t s = 0; s < t->strips; s++) {
        sum += (int64_t)counts[s];
        if (counts[s] > (uint64_t)OPDF_IMAGE_MAX_BYTES || sum > OPDF_IMAGE_MAX_BYTES)
            return -1;
    }
    FILE* f = fopen(path, "rb");
    PDFMemoryStream* out = f ? _opdf_newMemoryStream() : NULL;
    if (!out) {
        if (f)
            fclose(f);
        return -1;
    }
    uint64_t ifOffset = 0, ifLength = 0;
    const int hasIF = TIFFGetField(tif, TIFFTAG_JPEGIFOFFSET, &ifOffset) && ifOffset != 0;
    const int hasLength = TIFFGetField(tif, TIFFTAG_JPEGIFBYTECOUNT, &ifLength);
    int result = 0, withStrips = 1, endMarker = 1;
    if (hasIF && t->strips == 1) {
        /* header and strip as one piece */
        int64_t n = (int64_t)counts[0];
        if (ifOffset != offsets[0] && ifLength != 0)
            n += (int64_t)ifLength;
        result = copyFromFile(f, ifOffset, n, out);
        withStrips = endMarker = 0;
    } else if (hasIF) {
        if (!hasLength) {
            _opdf_globalError(1, OPDF_MODULE, "Missing tag TIFFTAG_JPEGIFBYTECOUNT in TIFF %s", path);
            result = -1;
        } else if (ifLength != 0) {
            result = copyFromFile(f, ifOffset, (int64_t)ifLength, out);
            uint16_t h = 1, v = 1;
            if (t->samples == 3 && !TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &h, &v))
                h = v = 1;
            if (h < 1 || v < 1)
                h = v = 1;
            putRestartInterval(out, stripInterval(tif, t, h, v));
            endMarker = 0;
        } else {
            result = copyFromFile(f, ifOffset, sum + 2 * (int64_t)t->strips + 6, out);
            withStrips = endMarker = 0;
        }
    } else if (buildOJPEGHeader(tif, t, f, out) < 0) {
        _opdf_globalError(1, OPDF_MODULE, "Unable to prepare header for OJPEG multiple strip data %s",
                          path);
        result = -1;
    }
    /* libtiff gives no raw access to old-style JPEG strips: read them from the file */
    for (uint32_t s = 0; withStrips && s < t->strips && result == 0; s++) {
        if (s > 0) {
            _opdf_appendByte(0xFF, out);
            _opdf_appendByte(0xD0 + (int)((s - 1) % 8), out);
        }
        if (copyFromFile(f, offsets[s], (int64_t)counts[s], out) < 0) {
            _opdf_globalError(1, OPDF_MODULE, "Cannot read strip %u of tiff file %s", (unsigned)s,
                              path);
            result = -1;
        }
    }
    fclose(f);
    if (result == 0 && endMarker)
        _opdf_appendMemoryStream(out, "\xFF\xD9", 2);
    if (result == 0 && out->length > 0) {
        *length = out->length;
        *data = out->buffer;
        out->buffer = NULL;
    }
    _opdf_freeMemoryStream(out);
    return *data ? 0 : -1;
}

/* ---- decoding --------------------------------------------------------------------------- */

static int decodeScanlines(TIFF* tif, const TiffFacts* t, const char* path, unsigned char** data,
                           int64_t* length)
{
    const int64_t scan = (int64_t)TIFFScanlineSize64(tif);
    const int separate = t->planar == PLANARCONFIG_SEPARATE && t->samples > 1;
    const int64_t rowBytes = separate ? (int64_t)t->width * t->samples : scan;
    if (scan <= 0 || rowBytes > OPDF_IMAGE_MAX_BYTES / t->height) {
        _opdf_globalError(1, OPDF_MODULE, "Unsupported TIFF image size or layout, file: %s", path);
        return -1;
    }
    const int64_t total = rowBytes * t->height;
    unsigned char* out = (unsigned char*)_opdf_checkAlloc(malloc((size_t)total + 1));
    unsigned char* line = (unsigned char*)_opdf_checkAlloc(malloc((size_t)scan + 1));
    if (!out || !line) {
        free(out);
        free(line);
        allocFailed(path);
        return -1;
    }
    int ok = 1;
    if (!separate) {
        for (uint32_t r = 0; r < t->height && ok; r++)
            ok = TIFFReadScanline(tif, out + (int64_t)r * rowBytes, r, 0) >= 0;
    } else {
        /* one plane at a time (the file's order), each sample to its place */
        for (uint16_t s = 0; s < t->samples && ok; s++)
            for (uint32_t r = 0; r < t->height && ok; r++) {
                ok = TIFFReadScanline(tif, line, r, s) >= 0;
                unsigned char* o = out + (int64_t)r * rowBytes + s;
                for (uint32_t k = 0; ok && k < t->width; k++)
                    o[(int64_t)k * t->samples] = line[k];
            }
    }
    free(line);
    if (!ok) {
        free(out);
        _opdf_globalError(1, OPDF_MODULE, "Cannot read the pixels of tiff file %s", path);
        return -1;
    }
    *data = out;
    *length = total;
    return 0;
}

static int decodeRGBA(TIFF* tif, const TiffFacts* t, const char* path, unsigned char** data,
                      int64_t* length)
{
    const int64_t pixels = (int64_t)t->width * t->height;
    if (pixels > OPDF_IMAGE_MAX_BYTES / 4) {
        _opdf_globalError(-99, OPDF_MODULE " _TIFFmalloc", "Cannot allocate memory of size %ld",
                          (long)(pixels * 4));
        return -1;
    }
    uint32_t* raster = (uint32_t*)_TIFFmalloc((tmsize_t)(pixels * 4));
    unsigned char* out = raster ? (unsigned char*)_opdf_checkAlloc(malloc((size_t)pixels * 3 + 1)) : NULL;
    if (!raster || !out) {
        _opdf_globalError(-99, OPDF_MODULE " _TIFFmalloc", "Cannot allocate memory of size %ld",
                          (long)(pixels * 4));
        if (raster)
            _TIFFfree(raster);
        return -1;
    }
    if (!TIFFReadRGBAImage(tif, t->width, t->height, raster, 0)) {
        _opdf_globalError(2, OPDF_MODULE " TIFFReadRGBAImage", "Cannot read image: %s", path);
        _TIFFfree(raster);
        free(out);
        return -1;
    }
    /* the raster is bottom-up */
    for (uint32_t r = 0; r < t->height; r++) {
        const uint32_t* src = raster + (int64_t)(t->height - 1 - r) * t->width;
        unsigned char* dst = out + (int64_t)r * t->width * 3;
        for (uint32_t k = 0; k < t->width; k++) {
            dst[3 * k] = (unsigned char)TIFFGetR(src[k]);
            dst[3 * k + 1] = (unsigned char)TIFFGetG(src[k]);
            dst[3 * k + 2] = (unsigned char)TIFFGetB(src[k]);
        }
    }
    _TIFFfree(raster);
    *data = out;
    *length = pixels * 3;
    return 0;
}

/* Old-style LZW codes (bit-reversed) are no PDF LZW data. */
static int oldStyleLZW(const unsigned char* p, int64_t n) { return n >= 2 && p[0] == 0 && (p[1] & 1); }

static int readTIFFData(PDFDocContext* ctx, unsigned char** data, PDFImageEntry* entry,
                        int recompress)
{
    *data = NULL;
    const char* path = entry->path;
    TIFF* tif = openDirectory(path, entry->imageIndex);
    if (!tif)
        return -1;
    TiffFacts t;
    int route = readFacts(tif, path, &t);
    if (route == 0)
        route = chooseRoute(tif, &t, path);
    if (route < 0) {
        TIFFClose(tif);
        return -1;
    }
    /* the file must still be the one registered */
    if ((int32_t)t.width != entry->width || (int32_t)t.height != entry->height) {
        _opdf_globalError(1, OPDF_MODULE, "TIFF file %s changed after it was placed", path);
        TIFFClose(tif);
        return -1;
    }
    unsigned char* bytes = NULL;
    int64_t n = 0;
    int r = 0;
    entry->predictor = 0;
    if (route == ROUTE_CCITT || route == ROUTE_LZW) {
        r = readRawStrip(tif, 0, path, &bytes, &n);
        if (r == 0 && route == ROUTE_LZW && oldStyleLZW(bytes, n)) {
            free(bytes);
            bytes = NULL;
            route = ROUTE_SCANLINES;
        } else if (r == 0) {
            if (t.fillOrder == FILLORDER_LSB2MSB)
                TIFFReverseBits(bytes, (tmsize_t)n);
            entry->compression = t.compression;
            entry->strips = 1;
            if (route == ROUTE_LZW && t.predictor == 2)
                entry->predictor = 2;
        }
    } else if (route == ROUTE_JPEG) {
        r = joinJPEGStrips(tif, &t, path, &bytes, &n);
        entry->compression = OPDF_COMP_JPEG;
        entry->strips = (int32_t)t.strips;
    } else if (route == ROUTE_OJPEG) {
        r = joinOJPEGStrips(tif, &t, path, &bytes, &n);
        entry->compression = OPDF_COMP_OJPEG;
        entry->strips = (int32_t)t.strips;
        if (r < 0) {
            /* what cannot be joined is decoded by libtiff, when it can */
            char why[1024];
            if (TIFFRGBAImageOK(tif, why)) {
                route = ROUTE_RGBA;
                r = 0;
            }
        }
    }
    if (route == ROUTE_SCANLINES || route == ROUTE_RGBA) {
        r = route == ROUTE_SCANLINES ? decodeScanlines(tif, &t, path, &bytes, &n)
                                     : decodeRGBA(tif, &t, path, &bytes, &n);
        describeOutput(&t, route, entry);
        entry->compression = OPDF_COMP_NONE;
        entry->strips = 1;
        if (r == 0 && recompress) {
            unsigned char* samples = bytes;
            entry->data = NULL;
            _opdf_codeSamples(ctx, entry, samples, n, 1, "ZLIB compress TIFF");
            free(samples);
            bytes = entry->data;
            n = entry->length;
            entry->data = NULL;
        }
    }
    TIFFClose(tif);
    if (r < 0 || !bytes) {
        free(bytes);
        return -1;
    }
    *data = bytes;
    entry->length = n;
    return 0;
}

int _opdf_readTIFFDataWithHandlers(PDFDocContext* ctx, unsigned char** data,
                                   PDFImageEntry* entry, int recompress)
{
    void* saved[2];
    _opdf_swapTIFFHandlers(ctx, saved);
    int r = readTIFFData(ctx, data, entry, recompress);
    _opdf_restoreTIFFHandlers(ctx, saved);
    return r;
}
