/* Pages, output destination and the writing of the whole file. */
#include "opdfAnnotations.h"
#include "opdfFonts.h"
#include "opdfImages.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <libdeflate.h>
#include <zlib.h>

const char* _opdf_producer(void);

/* ---- output primitives ---------------------------------------------------- */

void _opdf_setWriteError(PDFDocContext* ctx, int errorNumber, const char* fileName)
{
    if (!ctx || ctx->writeError)
        return;
    ctx->writeError = errorNumber ? errorNumber : EIO;
    ctx->writeErrorFile = _opdf_strdup(fileName ? fileName : "");
    _opdf_error(ctx, 2, OPDF_MODULE, "Cannot write %s: %s", fileName ? fileName : "",
                strerror(ctx->writeError));
}

void _opdf_putBytes(PDFDocContext* ctx, const void* bytes, size_t n)
{
    if (!n)
        return;
    if (ctx->memoryOutput) {
        if (ctx->output) {
            const int64_t before = ctx->output->length;
            if (n <= INT32_MAX)
                _opdf_appendMemoryStream(ctx->output, bytes, (int)n);
            if (ctx->output->length - before != (int64_t)n)
                _opdf_setWriteError(ctx, ENOMEM, "memory output");
        }
    } else if (ctx->outFile && !ctx->writeError) {
        /* After a failed write the file is lost: nothing more goes to it. */
        if (fwrite(bytes, 1, n, ctx->outFile) != n)
            _opdf_setWriteError(ctx, errno, ctx->outputName);
    }
    ctx->bytesWritten += (int64_t)n;
}

void _opdf_putText(PDFDocContext* ctx, const char* text)
{
    if (text)
        _opdf_putBytes(ctx, text, strlen(text));
}

void _opdf_putf(PDFDocContext* ctx, const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    int n = _opdf_formatv(ctx->scratch, sizeof ctx->scratch, format, ap);
    va_end(ap);
    if (n > (int)sizeof ctx->scratch - 1)
        n = (int)sizeof ctx->scratch - 1;
    _opdf_putBytes(ctx, ctx->scratch, (size_t)n);
}

void _opdf_markNextObject(PDFDocContext* ctx, int n)
{
    if (ctx->offsets && n > 0 && n < ctx->offsetCount)
        ctx->offsets[n] = ctx->bytesWritten;
}

void _opdf_beginObject(PDFDocContext* ctx, int n)
{
    if (n <= 0)
        return;
    _opdf_markNextObject(ctx, n);
    _opdf_putf(ctx, "%d 0 obj\n", n);
}

void _opdf_endObject(PDFDocContext* ctx) { _opdf_putText(ctx, "endobj\n"); }

/* Every stream gets its keywords, an empty one too. */
void _opdf_putStream(PDFDocContext* ctx, unsigned char* bytes, size_t n, int objectNumber,
                     int generation)
{
    (void)objectNumber;
    (void)generation;
    _opdf_putText(ctx, "\nstream\n");
    if (bytes && n)
        _opdf_putBytes(ctx, bytes, n);
    _opdf_putText(ctx, "\nendstream\n");
}

static PDFPageEntry* pageRow(PDFDocContext* ctx, int page);

/* Name of the current content file, for reports. */
static const char* contentFileName(PDFDocContext* ctx)
{
    PDFPageEntry* row = pageRow(ctx, ctx->currentPage);
    return row && row->open && row->open->file == ctx->contentFile && row->fileName ? row->fileName
                                                                  : "temporary content file";
}

void _opdf_putContentBytes(PDFDocContext* ctx, const void* bytes, size_t n)
{
    if (!n)
        return;
    if (ctx->contentInMemory) {
        if (ctx->content) {
            _opdf_appendMemoryStream(ctx->content, bytes, (int)n);
            return;
        }
    } else if (ctx->contentFile) {
        if (fwrite(bytes, 1, n, ctx->contentFile) != n)
            _opdf_setWriteError(ctx, errno, contentFileName(ctx));
        return;
    }
    _opdf_error(ctx, 2, OPDF_MODULE, "No current page for content output");
}

void _opdf_putContent(PDFDocContext* ctx, const char* text)
{
    if (text)
        _opdf_putContentBytes(ctx, text, strlen(text));
}

void _opdf_contentf(PDFDocContext* ctx, const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    int n = _opdf_formatv(ctx->scratch, sizeof ctx->scratch, format, ap);
    va_end(ap);
    if (n > (int)sizeof ctx->scratch - 1)
        n = (int)sizeof ctx->scratch - 1;
    _opdf_putContentBytes(ctx, ctx->scratch, (size_t)n);
}

/* ---- output destination --------------------------------------------------- */

int opdf_openOutput(PDFDocContext* ctx)
{
    if (!ctx->outputNameFlag || !ctx->outputName[0]) {
        char name[OPDF_NAME_MAX + 64];
        _opdf_format(name, sizeof name, "%s_opdf123-%d-XXXXXX.pdf", ctx->tempDir,
                     ctx->documentNumber);
        int fd = mkstemps(name, 4);
        if (fd < 0) {
            _opdf_error(ctx, 2, OPDF_MODULE, "Cannot open %s for PDF output", name);
            return 1;
        }
        close(fd);
        size_t n = strlen(name);
        if (n > OPDF_NAME_MAX)
            n = OPDF_NAME_MAX;
        memcpy(ctx->outputName, name, n);
        ctx->outputName[n] = 0;
        ctx->outputNameFlag = 1;
    }
    if (strcmp(ctx->outputName, "-") == 0)
        ctx->stdoutFlag = 1;
    if (ctx->stdoutFlag) {
        ctx->outFile = stdout;
        return 0;
    }
    ctx->outFile = fopen(ctx->outputName, "wb");
    if (!ctx->outFile) {
        _opdf_error(ctx, 2, OPDF_MODULE, "Cannot open %s for PDF output", ctx->outputName);
        return 1;
    }
    return 0;
}

void _opdf_closeOutputFile(PDFDocContext* ctx)
{
    if (!ctx->outFile)
        return;
    /* Buffered bytes fail only here on a full disk. */
    const int failed = ctx->outFile == stdout ? fflush(stdout) != 0 : fclose(ctx->outFile) != 0;
    if (failed)
        _opdf_setWriteError(ctx, errno, ctx->outputName);
    ctx->outFile = NULL;
}

/* ---- pages ------------------------------------------------------------------ */

static void freeComments(PDFTextNode* c)
{
    while (c) {
        PDFTextNode* n = c->next;
        free(c->text);
        free(c);
        c = n;
    }
}

void _opdf_freePage(PDFPageEntry* row, int removeFile)
{
    if (!row)
        return;
    _opdf_freeOpenPage(row->open);
    free(row->contentBytes);
    if (row->fileName && removeFile)
        remove(row->fileName);
    free(row->fileName);
    free(row->transition);
    freeComments(row->commentHead);
    free(row);
}

static PDFPageEntry* pageRow(PDFDocContext* ctx, int page)
{
    if (page < 1 || page >= ctx->pageCapacity)
        return NULL;
    return ctx->pages[page];
}

static PDFPageEntry* ensureRow(PDFDocContext* ctx, int page)
{
    if (page >= ctx->pageCapacity) {
        int64_t cap = ctx->pageCapacity ? ctx->pageCapacity : 16;
        while (cap <= page)
            cap *= 2;
        if (cap > (int64_t)ctx->maxPages + 1)
            cap = (int64_t)ctx->maxPages + 1;
        PDFPageEntry** p =
            (PDFPageEntry**)_opdf_checkAlloc(realloc(ctx->pages, (size_t)cap * sizeof *p));
        if (!p)
            return NULL;
        memset(p + ctx->pageCapacity, 0, (size_t)(cap - ctx->pageCapacity) * sizeof *p);
        ctx->pages = p;
        ctx->pageCapacity = (int32_t)cap;
    }
    if (!ctx->pages[page]) {
        PDFPageEntry* row = (PDFPageEntry*)_opdf_checkAlloc(calloc(1, sizeof *row));
        if (!row)
            return NULL;
        row->state = -1;
        row->duration = -1.0f;
        ctx->pages[page] = row;
    }
    return ctx->pages[page];
}

static void keepBox(char* dst, const char* src)
{
    size_t n = strlen(src);
    if (n > OPDF_BOX_MAX)
        n = OPDF_BOX_MAX;
    memcpy(dst, src, n);
    dst[n] = 0;
}

static int parseBox(const char* text, float v[4])
{
    const char* p = text;
    for (int i = 0; i < 4; i++) {
        int ok = 0;
        v[i] = (float)_opdf_parseNumber(&p, &ok);
        if (!ok)
            return 0;
    }
    return 1;
}

static int requireOpenDocument(PDFDocContext* ctx)
{
    if (ctx->state != 2) {
        _opdf_error(ctx, 1, OPDF_MODULE, "opdf_init() has not been called.");
        return 0;
    }
    if (ctx->finalized) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Document has already been finalized");
        return 0;
    }
    return 1;
}

int opdf_pageInit(PDFDocContext* ctx, int page, int rotationCode, const char* mediaBox,
                  const char* cropBox)
{
    if (!ctx)
        return -1;
    if (page < 1) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Page number must be 1 or greater");
        return -1;
    }
    if (page > ctx->maxPages) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Too many pages: %d. Increase limit by opdf_open()",
                    page);
        return -1;
    }
    if (!requireOpenDocument(ctx))
        return -1;
    ctx->currentFont = -1;
    PDFPageEntry* row = ensureRow(ctx, page);
    if (!row)
        return -1;
    if (row->state >= 0) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Page %d is already initialized", page);
        opdf_setCurrentPage(ctx, page);
        return 0;
    }
    PDFOpenPage* open = (PDFOpenPage*)_opdf_checkAlloc(calloc(1, sizeof *open));
    if (!open)
        return -1;
    row->open = open;
    row->state = page;
    ctx->currentPage = page;
    if (page > ctx->highestPage)
        ctx->highestPage = page;
    row->rotation = (int16_t)(rotationCode == 2 ? 90 : rotationCode == 3 ? 180 : rotationCode == 1 ? 270 : 0);

    /* Boxes: a missing text keeps the current one; a page always gets valid boxes. */
    float mb[4], cb[4];
    if (mediaBox)
        keepBox(ctx->mediaBox, mediaBox);
    if (!parseBox(ctx->mediaBox, mb)) {
        keepBox(ctx->mediaBox, "0 0 612 792");
        parseBox(ctx->mediaBox, mb);
    }
    if (cropBox)
        keepBox(ctx->cropBox, cropBox);
    if (!parseBox(ctx->cropBox, cb)) {
        keepBox(ctx->cropBox, ctx->mediaBox);
        parseBox(ctx->cropBox, cb);
    }
    row->mediaBox = _opdf_shareText(ctx, ctx->mediaBox);
    row->cropBox = _opdf_shareText(ctx, ctx->cropBox);

    float u = ctx->unitSize;
    PDFPlotDomain* d = opdf_createPlotDomain(cb[0], cb[1], cb[2] - cb[0], cb[3] - cb[1], cb[0] / u,
                                             (cb[2] - cb[0]) / u, cb[1] / u, (cb[3] - cb[1]) / u,
                                             0, 0, 0);
    if (d) {
        opdf_setDomainTicks(d, 0, 0, 1, 0, 0.5f);
        opdf_setDomainTicks(d, 1, 0, 1, 0, 0.5f);
    }
    open->domain = d;
    ctx->pageDomain = d;
    opdf_setPlotDomain(ctx, d);
    ctx->tm[0] = ctx->tm[3] = 1;
    ctx->tm[1] = ctx->tm[2] = ctx->tm[4] = ctx->tm[5] = 0;

    if (ctx->contentInMemory) {
        open->content = _opdf_newMemoryStream();
        ctx->content = open->content;
        ctx->contentFile = NULL;
        return open->content ? 0 : -1;
    }
    /* Content files get unique names so that documents and processes never share one. */
    char name[OPDF_NAME_MAX + 64];
    _opdf_format(name, sizeof name, "%s_opdf123-%d-%d-XXXXXX", ctx->tempDir, ctx->documentNumber,
                 page);
    FILE* f = _opdf_openTempFile(ctx, name, "wb");
    if (!f) {
        ctx->contentFile = NULL;
        ctx->content = NULL;
        return -2;
    }
    open->file = f;
    row->fileName = _opdf_strdup(name);
    ctx->contentFile = f;
    ctx->content = NULL;
    return 0;
}

int opdf_setCurrentPage(PDFDocContext* ctx, int page)
{
    if (!ctx)
        return -1;
    if (page == ctx->currentPage)
        return 0;
    PDFPageEntry* row = pageRow(ctx, page);
    if (!row || row->state < 0) {
        _opdf_error(ctx, 2, OPDF_MODULE,
                    "Cannot switch to page %d because it has not been initialized", page);
        return -1;
    }
    if (row->flags & OPDF_PAGE_FINALIZED) {
        _opdf_error(ctx, 2, OPDF_MODULE,
                    "Cannot switch to page %d because it has already been finalized", page);
        return -2;
    }
    ctx->currentPage = page;
    ctx->pageDomain = row->open->domain;
    opdf_setPlotDomain(ctx, row->open->domain);
    ctx->content = row->open->content;
    ctx->contentFile = row->open->file;
    keepBox(ctx->mediaBox, row->mediaBox ? row->mediaBox : "");
    keepBox(ctx->cropBox, row->cropBox ? row->cropBox : "");
    return 0;
}

/* The level zlib's compress() uses. */
#define OPDF_DEFLATE_LEVEL 6

static void compressFailed(PDFDocContext* ctx, int code)
{
    _opdf_error(ctx, -1, "ZLIB compress", "code=%d", code);
}

/* One compressor serves every stream of a document: setting it up per
   page costs more than compressing a page of text. */
static struct libdeflate_compressor* documentDeflater(PDFDocContext* ctx)
{
    if (!ctx->deflater)
        ctx->deflater = _opdf_checkAlloc(libdeflate_alloc_compressor(OPDF_DEFLATE_LEVEL));
    return (struct libdeflate_compressor*)ctx->deflater;
}

void _opdf_freeDeflater(PDFDocContext* ctx)
{
    if (ctx->deflater) {
        libdeflate_free_compressor((struct libdeflate_compressor*)ctx->deflater);
        ctx->deflater = NULL;
    }
}

/* Whole-buffer zlib stream of in[0..n); NULL after reporting a failure. */
static unsigned char* deflateBytes(PDFDocContext* ctx, const unsigned char* in, size_t n,
                                   int64_t* outLength)
{
    struct libdeflate_compressor* c = documentDeflater(ctx);
    if (!c)
        return NULL;
    size_t bound = libdeflate_zlib_compress_bound(c, n);
    unsigned char* out = (unsigned char*)_opdf_checkAlloc(malloc(bound));
    if (!out)
        return NULL;
    size_t packed = libdeflate_zlib_compress(c, in, n, out, bound);
    if (packed == 0) {
        compressFailed(ctx, Z_BUF_ERROR);
        free(out);
        return NULL;
    }
    *outLength = (int64_t)packed;
    return out;
}

void opdf_finalizePage(PDFDocContext* ctx, int page)
{
    if (!ctx)
        return;
    PDFPageEntry* row = pageRow(ctx, page);
    if (!row || row->state < 0 || (row->flags & (OPDF_PAGE_FINALIZED | OPDF_PAGE_COMPRESSED)))
        return;
    PDFOpenPage* open = row->open;
    if (open && open->content) {
        PDFMemoryStream* s = open->content;
        unsigned char* bytes = NULL;
        int64_t n = 0;
        if (ctx->compression) {
            bytes = deflateBytes(ctx, s->buffer, (size_t)s->length, &n);
            if (bytes)
                row->flags |= OPDF_PAGE_COMPRESSED;
        }
        if (!bytes) {
            /* The stream's own buffer is kept. */
            bytes = s->buffer;
            n = s->length;
            s->buffer = NULL;
            s->length = s->capacity = 0;
        }
        _opdf_storePageContent(ctx, row, bytes, n);
    }
    /* Nothing more goes into a finalised page: whatever pointed to its
       content or its plot domain forgets them. */
    if (open) {
        if (ctx->content && ctx->content == open->content)
            ctx->content = NULL;
        if (ctx->savedContent && ctx->savedContent == open->content)
            ctx->savedContent = NULL;
        if (open->file && ctx->contentFile == open->file)
            ctx->contentFile = NULL;
        if (open->file && ctx->savedContentFile == open->file)
            ctx->savedContentFile = NULL;
        if (ctx->pageDomain == open->domain)
            ctx->pageDomain = NULL;
        if (ctx->domain == open->domain)
            ctx->domain = NULL;
        _opdf_packPageResources(ctx, row);
        _opdf_freeOpenPage(open);
        row->open = NULL;
    }
    row->flags |= OPDF_PAGE_FINALIZED;
}

void opdf_setPageDuration(PDFDocContext* ctx, float seconds)
{
    PDFPageEntry* row = ctx ? pageRow(ctx, ctx->currentPage) : NULL;
    if (row && row->state >= 0)
        row->duration = seconds;
}

void opdf_setPageTransition(PDFDocContext* ctx, int style, float duration, float direction,
                            int horizontal, int inward)
{
    PDFPageEntry* row = ctx ? pageRow(ctx, ctx->currentPage) : NULL;
    if (!row || row->state < 0)
        return;
    char t[256];
    const char* dm = horizontal ? "/H" : "/V";
    const char* m = inward ? "/I" : "/O";
    double d = duration;
    switch (style) {
    case 1: _opdf_format(t, sizeof t, "/S /Split /D %.3f /Dm %s /M %s", d, dm, m); break;
    case 2: _opdf_format(t, sizeof t, "/S /Blinds /D %.3f /Dm %s", d, dm); break;
    case 3: _opdf_format(t, sizeof t, "/S /Box /D %.3f /M %s", d, m); break;
    case 4: _opdf_format(t, sizeof t, "/S /Wipe /D %.3f /Di %.2f", d, (double)direction); break;
    case 5: _opdf_format(t, sizeof t, "/S /Dissolve /D %.3f", d); break;
    case 6: _opdf_format(t, sizeof t, "/S /Glitter /D %.3f /Di %.2f", d, (double)direction); break;
    default: _opdf_format(t, sizeof t, "/S /R"); break;
    }
    free(row->transition);
    row->transition = _opdf_strdup(t);
}

void opdf_setMediaBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1)
{
    if (ctx)
        _opdf_format(ctx->mediaBox, sizeof ctx->mediaBox, "%d %d %d %d", x0, y0, x1, y1);
}

void opdf_setCropBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1)
{
    if (ctx)
        _opdf_format(ctx->cropBox, sizeof ctx->cropBox, "%d %d %d %d", x0, y0, x1, y1);
}

void opdf_setPageBox(PDFDocContext* ctx, int x0, int y0, int x1, int y1)
{
    opdf_setMediaBox(ctx, x0, y0, x1, y1);
    opdf_setCropBox(ctx, x0, y0, x1, y1);
}

PDFMemoryStream* opdf_swapContentStream(PDFDocContext* ctx, PDFMemoryStream* stream)
{
    if (!ctx)
        return NULL;
    PDFMemoryStream* old = ctx->content;
    ctx->content = stream;
    return old;
}

/* ---- object writers ------------------------------------------------------- */

/* Comment lines: a line break inside a text starts a new comment line. */
static void putCommentLines(PDFDocContext* ctx, const char* text)
{
    const char* p = text;
    for (;;) {
        size_t n = strcspn(p, "\r\n");
        _opdf_putText(ctx, "%");
        _opdf_putBytes(ctx, p, n);
        _opdf_putText(ctx, "\n");
        p += n;
        if (!*p)
            break;
        if (p[0] == '\r' && p[1] == '\n')
            p++;
        p++;
        if (!*p)
            break;
    }
}

static const char* const kPageModes[4] = {"UseNone", "UseOutlines", "UseThumbs", "FullScreen"};
static const char* const kPageLayouts[4] = {"SinglePage", "OneColumn", "TwoColumnLeft",
                                            "TwoColumnRight"};

static int mod4(int v) { return ((v % 4) + 4) % 4; }

static void _opdf_WriteCatalog(PDFDocContext* ctx)
{
    const PDFViewerPreferences* v = &ctx->viewer;
    _opdf_beginObject(ctx, ctx->objectNumbers[OPDF_OBJ_CATALOG]);
    _opdf_putf(ctx, "<<\n/Type /Catalog\n/Pages %d 0 R\n", ctx->objectNumbers[OPDF_OBJ_PAGES]);
    if (ctx->outlineCount > 0)
        _opdf_putf(ctx, "/Outlines %d 0 R\n", ctx->objectNumbers[OPDF_OBJ_OUTLINES]);
    if (v->PageMode != 0)
        _opdf_putf(ctx, "/PageMode /%s\n", kPageModes[mod4(v->PageMode)]);
    if (v->PageLayout != 0)
        _opdf_putf(ctx, "/PageLayout /%s\n", kPageLayouts[mod4(v->PageLayout)]);
    if (v->PageMode == 3 || v->HideToolbar || v->HideMenubar || v->HideWindowUI || v->FitWindow ||
        v->CenterWindow || v->DisplayDocTitle) {
        _opdf_putText(ctx, "/ViewerPreferences <<\n");
        if (v->HideToolbar)
            _opdf_putText(ctx, "/HideToolbar true\n");
        if (v->HideMenubar)
            _opdf_putText(ctx, "/HideMenubar true\n");
        if (v->HideWindowUI)
            _opdf_putText(ctx, "/HideWindowUI true\n");
        if (v->FitWindow)
            _opdf_putText(ctx, "/FitWindow true\n");
        if (v->CenterWindow)
            _opdf_putText(ctx, "/CenterWindow true\n");
        if (v->DisplayDocTitle)
            _opdf_putText(ctx, "/DisplayDocTitle true\n");
        if (v->PageMode == 3) {
            int m = v->NonFullScreenPageMode;
            if (m < 0 || m > 2)
                m = 0;
            _opdf_putf(ctx, "/NonFullScreenPageMode /%s\n", kPageModes[m]);
        }
        _opdf_putText(ctx, ">>\n");
    }
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WritePages(PDFDocContext* ctx, int count)
{
    _opdf_beginObject(ctx, ctx->objectNumbers[OPDF_OBJ_PAGES]);
    _opdf_putf(ctx, "<<\n/Type /Pages\n/Count %d\n/Kids [ ", count);
    for (int p = 1; p <= ctx->highestPage; p++) {
        PDFPageEntry* row = pageRow(ctx, p);
        if (row && row->state >= 0)
            _opdf_putf(ctx, "%d 0 R ", row->objectNumber);
    }
    _opdf_putText(ctx, "]\n>>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WriteProcSet(PDFDocContext* ctx)
{
    _opdf_beginObject(ctx, ctx->objectNumbers[OPDF_OBJ_PROCSET]);
    if (ctx->imageCount > 0) {
        _opdf_putText(ctx, "[/PDF /Text");
        if (ctx->imageKinds & 1)
            _opdf_putText(ctx, " /ImageB ");
        if (ctx->imageKinds & 2)
            _opdf_putText(ctx, " /ImageC ");
        if (ctx->imageKinds & 4)
            _opdf_putText(ctx, " /ImageI ");
        _opdf_putText(ctx, "]\n");
    } else {
        _opdf_putText(ctx, "[/PDF /Text]\n");
    }
    _opdf_endObject(ctx);
}

/* One resource dictionary of a page: its key, then name and object number
   per entry. */
static void putPageResources(PDFDocContext* ctx, const PDFPageEntry* row, int kind,
                             const char* key)
{
    int n = 0;
    const int* items = _opdf_pageResources(row, kind, &n);
    if (n <= 0)
        return;
    _opdf_putf(ctx, "/%s <<\n", key);
    for (int i = 0; i < n; i++) {
        const char* name = "";
        int number = 0;
        switch (kind) {
        case OPDF_RES_FONTS:
            name = ctx->fonts[items[i]].resourceName;
            number = ctx->fonts[items[i]].objectNumber;
            break;
        case OPDF_RES_COLORSPACES:
            name = ctx->patternColorSpaces[items[i]].name;
            number = ctx->patternColorSpaces[items[i]].objectNumber;
            break;
        case OPDF_RES_PATTERNS:
            name = ctx->patterns[items[i]].name;
            number = ctx->patterns[items[i]].objectNumber;
            break;
        case OPDF_RES_XOBJECTS: {
            const PDFImageEntry* e = _opdf_imageRow(ctx, items[i]);
            if (!e || e->dead)
                continue;
            name = e->name;
            number = e->objectNumber;
            break;
        }
        default:
            name = ctx->extGStates[items[i]].name;
            number = ctx->extGStates[items[i]].objectNumber;
            break;
        }
        _opdf_putf(ctx, "/%s %d 0 R\n", name, number);
    }
    _opdf_putText(ctx, ">>\n");
}

static void _opdf_WritePage(PDFDocContext* ctx, PDFPageEntry* row)
{
    _opdf_beginObject(ctx, row->objectNumber);
    _opdf_putf(ctx, "<<\n/Type /Page\n/Parent %d 0 R\n/Resources <<\n",
               ctx->objectNumbers[OPDF_OBJ_PAGES]);
    putPageResources(ctx, row, OPDF_RES_FONTS, "Font");
    putPageResources(ctx, row, OPDF_RES_XOBJECTS, "XObject");
    putPageResources(ctx, row, OPDF_RES_COLORSPACES, "ColorSpace");
    putPageResources(ctx, row, OPDF_RES_PATTERNS, "Pattern");
    putPageResources(ctx, row, OPDF_RES_EXTGSTATES, "ExtGState");
    _opdf_putf(ctx, "/ProcSet %d 0 R >>\n/MediaBox [%s]\n/CropBox [%s]\n/Rotate %d\n/Contents %d 0 R\n",
               ctx->objectNumbers[OPDF_OBJ_PROCSET], row->mediaBox ? row->mediaBox : "",
               row->cropBox ? row->cropBox : "", row->rotation, row->contentNumber);
    int annots = 0;
    const int* rowsOfAnnots = _opdf_pageResources(row, OPDF_RES_ANNOTS, &annots);
    if (annots > 0) {
        _opdf_putText(ctx, "/Annots [ ");
        for (int i = 0; i < annots; i++)
            _opdf_putf(ctx, "%d 0 R ", _opdf_annotationNumber(ctx, rowsOfAnnots[i]));
        _opdf_putText(ctx, "]\n");
    }
    if (row->duration > 0)
        _opdf_putf(ctx, "/Dur %.3f\n", (double)row->duration);
    if (row->transition)
        _opdf_putf(ctx, "/Trans << %s >>\n", row->transition);
    for (PDFTextNode* c = row->commentHead; c; c = c->next)
        putCommentLines(ctx, c->text);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WriteContentFromMemory(PDFDocContext* ctx, PDFPageEntry* row)
{
    _opdf_beginObject(ctx, row->contentNumber);
    unsigned char* bytes = _opdf_loadPageContent(ctx, row);
    if (bytes && (row->flags & OPDF_PAGE_COMPRESSED)) {
        _opdf_putf(ctx, "<<\n/Length %lld\n/Filter [%s]\n>>", (long long)row->contentLength,
                   ctx->filterText ? ctx->filterText : "");
        _opdf_putStream(ctx, bytes, (size_t)row->contentLength, row->contentNumber, 0);
    } else {
        int64_t n = bytes ? row->contentLength : 0;
        _opdf_putf(ctx, "<</Length %lld>>", (long long)n);
        _opdf_putStream(ctx, bytes, (size_t)n, row->contentNumber, 0);
    }
    _opdf_releasePageContent(row, bytes);
    _opdf_endObject(ctx);
}

static void _opdf_WriteContentFromFile(PDFDocContext* ctx, PDFPageEntry* row)
{
    unsigned char* data = NULL;
    long n = 0;
    if (row->fileName && _opdf_fileSize(row->fileName) > 0 &&
        _opdf_readFile(row->fileName, &data, &n) < 0) {
        _opdf_setWriteError(ctx, errno ? errno : EIO, row->fileName);
        n = 0;
    }
    _opdf_beginObject(ctx, row->contentNumber);
    unsigned char* packed = NULL;
    int64_t packedLength = 0;
    if (ctx->compression)
        packed = deflateBytes(ctx, data ? data : (const unsigned char*)"", (size_t)n, &packedLength);
    if (packed) {
        _opdf_putf(ctx, "<<\n/Length %lld\n/Filter [%s]\n>>", (long long)packedLength,
                   ctx->filterText ? ctx->filterText : "");
        _opdf_putStream(ctx, packed, (size_t)packedLength, row->contentNumber, 0);
    } else {
        _opdf_putf(ctx, "<</Length %ld>>", n);
        _opdf_putStream(ctx, data, (size_t)n, row->contentNumber, 0);
    }
    free(packed);
    free(data);
    if (row->fileName) {
        remove(row->fileName);
        free(row->fileName);
        row->fileName = NULL;
    }
    _opdf_endObject(ctx);
}

static void putInfoEntry(PDFDocContext* ctx, const char* key, const char* value)
{
    if (!value)
        return;
    _opdf_putText(ctx, key);
    _opdf_putLiteralString(ctx, (const unsigned char*)value, (int)strlen(value));
    _opdf_putText(ctx, "\n");
}

static void _opdf_WriteInfo(PDFDocContext* ctx)
{
    _opdf_setCreationTime(ctx);
    _opdf_beginObject(ctx, ctx->objectNumbers[OPDF_OBJ_INFO]);
    _opdf_putText(ctx, "<<\n");
    putInfoEntry(ctx, "/Creator ", ctx->creator);
    if (!ctx->omitVariableInfo) {
        char stamp[32], date[40];
        _opdf_formatUTCTime(NULL, 0, stamp);
        _opdf_format(date, sizeof date, "D:%sZ", stamp);
        putInfoEntry(ctx, "/CreationDate ", date);
    }
    putInfoEntry(ctx, "/Producer ", _opdf_producer());
    putInfoEntry(ctx, "/Author ", ctx->author);
    if (!ctx->omitVariableInfo)
        putInfoEntry(ctx, "/Title ", ctx->title);
    putInfoEntry(ctx, "/Subject ", ctx->subject);
    putInfoEntry(ctx, "/Keywords ", ctx->keywords);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

void _opdf_WriteXref(PDFDocContext* ctx, int size)
{
    ctx->xrefOffset = ctx->bytesWritten;
    _opdf_putf(ctx, "xref\n0 %d\n", size);
    _opdf_putText(ctx, "0000000000 65535 f \n");
    for (int i = 1; i < size; i++)
        _opdf_putf(ctx, "%010lld 00000 n \n", (long long)ctx->offsets[i]);
    for (PDFTextNode* c = ctx->commentHead; c; c = c->next)
        putCommentLines(ctx, c->text);
    _opdf_putf(ctx, "trailer\n<<\n/Size %d\n/Root %d 0 R\n", size,
               ctx->objectNumbers[OPDF_OBJ_CATALOG]);
    if (ctx->encrypted)
        _opdf_putf(ctx, "/Encrypt %d 0 R\n", ctx->objectNumbers[OPDF_OBJ_ENCRYPT]);
    _opdf_putf(ctx, "/Info %d 0 R\n", ctx->objectNumbers[OPDF_OBJ_INFO]);
    /* Encrypted and PDF/A files need their identifier even in test mode. */
    if (!ctx->omitVariableInfo || ctx->encrypted || ctx->pdfaFlag) {
        char hex[40];
        _opdf_toHexText(ctx->fileID, hex, 16, 0);
        _opdf_putf(ctx, "/ID [<%s> <%s>]\n", hex, hex);
    }
    _opdf_putf(ctx, ">>\nstartxref\n%lld\n", (long long)ctx->xrefOffset);
    _opdf_putText(ctx, "%%EOF\n");
}

/* ---- the whole file ----------------------------------------------------------- */

int opdf_finalizeAll(PDFDocContext* ctx)
{
    if (!ctx)
        return -1;
    if (!requireOpenDocument(ctx))
        return -1;
    if (ctx->maxObjects < OPDF_OBJ_SLOTS) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Very less Objects specified for this PDF: %d. Increase limit by opdf_open()",
                    ctx->maxObjects);
        return -1;
    }
    ctx->finalized = 1;
    if (ctx->patternOpen)
        opdf_endPattern(ctx, -1);
    ctx->content = NULL;
    ctx->contentFile = NULL;
    if (ctx->memoryOutput) {
        _opdf_resetMemoryStream(ctx->output);
    } else if (ctx->outFile && ctx->outFile != stdout) {
        fseek(ctx->outFile, 0, SEEK_SET);
    }
    ctx->bytesWritten = 0;
    char header[32];
    int hn = _opdf_format(header, sizeof header, "%%PDF-%d.%d\n%%", ctx->major, ctx->minor);
    _opdf_putBytes(ctx, header, (size_t)hn);
    _opdf_putBytes(ctx, "\xD6\xD9\xE5\xD6\n", 5);

    /* Numbering in writing order. */
    int next = 1;
    memset(ctx->objectNumbers, 0, sizeof ctx->objectNumbers);
    ctx->objectNumbers[OPDF_OBJ_CATALOG] = next++;
    if (ctx->outlineCount > 0)
        ctx->objectNumbers[OPDF_OBJ_OUTLINES] = next++;
    ctx->objectNumbers[OPDF_OBJ_PAGES] = next++;
    ctx->objectNumbers[OPDF_OBJ_PROCSET] = next++;
    int pageCount = 0;
    for (int p = 1; p <= ctx->highestPage; p++) {
        PDFPageEntry* row = pageRow(ctx, p);
        if (!row || row->state < 0)
            continue;
        if (!(row->flags & OPDF_PAGE_FINALIZED))
            opdf_finalizePage(ctx, p);
        row->objectNumber = next++;
        row->contentNumber = next++;
        pageCount++;
    }
    next = _opdf_numberFonts(ctx, next);
    next = _opdf_numberColorObjects(ctx, next);
    next = _opdf_numberImages(ctx, next);
    next = _opdf_numberAnnotations(ctx, next);
    next = _opdf_numberPatterns(ctx, next);
    next = _opdf_numberOutlines(ctx, next);
    ctx->objectNumbers[OPDF_OBJ_INFO] = next++;

    if (next >= ctx->maxObjects) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Too many Objects in this PDF: %d. Increase limit by opdf_open()", next);
        if (!ctx->memoryOutput)
            _opdf_closeOutputFile(ctx);
        return -1;
    }
    free(ctx->offsets);
    ctx->offsets = (int64_t*)_opdf_checkAlloc(calloc((size_t)next, sizeof(int64_t)));
    ctx->offsetCount = ctx->offsets ? next : 0;
    if (!ctx->offsets) {
        if (!ctx->memoryOutput)
            _opdf_closeOutputFile(ctx);
        return -1;
    }

    _opdf_WriteCatalog(ctx);
    _opdf_WriteOutlinesRoot(ctx);
    _opdf_WritePages(ctx, pageCount);
    _opdf_WriteProcSet(ctx);
    for (int p = 1; p <= ctx->highestPage; p++) {
        PDFPageEntry* row = pageRow(ctx, p);
        if (!row || row->state < 0)
            continue;
        _opdf_WritePage(ctx, row);
        if (row->fileName)
            _opdf_WriteContentFromFile(ctx, row);
        else
            _opdf_WriteContentFromMemory(ctx, row);
    }
    _opdf_writeFonts(ctx);
    _opdf_writeColorObjects(ctx);
    /* An image whose data cannot be had ends the file: no cross-reference
       table follows. */
    const int imageResult = _opdf_writeImages(ctx);
    if (imageResult < 0) {
        if (!ctx->memoryOutput)
            _opdf_closeOutputFile(ctx);
        return imageResult;
    }
    _opdf_writeAnnotations(ctx);
    _opdf_writePatterns(ctx);
    _opdf_writeOutlines(ctx);
    _opdf_WriteInfo(ctx);
    _opdf_WriteXref(ctx, next);
    if (!ctx->memoryOutput)
        _opdf_closeOutputFile(ctx);
    return ctx->writeError ? -1 : 0;
}
