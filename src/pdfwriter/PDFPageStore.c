/* What the pages of a document keep until it is written: resource lists,
   shared box texts and the finalised contents. Contents stay in memory up to
   the context's threshold; later ones go to one temporary file per document,
   unlinked at once so that it goes with the document. */
#include "opdfFonts.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* ---- open pages -------------------------------------------------------------- */

void _opdf_freeOpenPage(PDFOpenPage* open)
{
    if (!open)
        return;
    _opdf_freeMemoryStream(open->content);
    free(open->domain);
    if (open->file)
        fclose(open->file);
    for (int k = 0; k < OPDF_RES_KINDS; k++)
        _opdf_indexListFree(&open->lists[k]);
    free(open);
}

int _opdf_addPageResource(PDFDocContext* ctx, int kind, int index)
{
    if (!ctx->pages || ctx->currentPage < 1 || ctx->currentPage >= ctx->pageCapacity)
        return -1;
    PDFPageEntry* row = ctx->pages[ctx->currentPage];
    if (!row || row->state < 0 || !row->open)
        return -1;
    return _opdf_indexListAdd(&row->open->lists[kind], index);
}

/* Packed lists: for each kind its count, then its indexes. */
const int* _opdf_pageResources(const PDFPageEntry* row, int kind, int* count)
{
    *count = 0;
    if (row->open) {
        *count = row->open->lists[kind].count;
        return row->open->lists[kind].items;
    }
    const int* p = row->resources;
    if (!p)
        return NULL;
    for (int k = 0; k < kind; k++)
        p += 1 + p[0];
    *count = p[0];
    return p + 1;
}

/* Bytes equal to a recently shared block are reused: pages in a row mostly
   have the same boxes and resources, or take turns between a few. */
static const void* shareBytes(PDFDocContext* ctx, const void* bytes, size_t n)
{
    for (int i = 0; i < OPDF_SHARED_RECENT; i++) {
        const PDFSharedBlock* b = ctx->recentShared[i];
        if (b && b->size == n && memcmp(b->bytes, bytes, n) == 0)
            return b->bytes;
    }
    PDFSharedBlock* b = (PDFSharedBlock*)_opdf_checkAlloc(malloc(sizeof *b + n));
    if (!b)
        return NULL;
    b->size = n;
    memcpy(b->bytes, bytes, n);
    b->next = ctx->shared;
    ctx->shared = b;
    ctx->recentShared[ctx->nextRecentShared] = b;
    ctx->nextRecentShared = (ctx->nextRecentShared + 1) % OPDF_SHARED_RECENT;
    return b->bytes;
}

const char* _opdf_shareText(PDFDocContext* ctx, const char* text)
{
    return (const char*)shareBytes(ctx, text, strlen(text) + 1);
}

void _opdf_packPageResources(PDFDocContext* ctx, PDFPageEntry* row)
{
    PDFOpenPage* open = row->open;
    size_t n = OPDF_RES_KINDS;
    for (int k = 0; k < OPDF_RES_KINDS; k++)
        n += (size_t)open->lists[k].count;
    row->resources = NULL;
    if (n == OPDF_RES_KINDS)
        return;
    int* packed = (int*)_opdf_checkAlloc(malloc(n * sizeof(int)));
    if (!packed)
        return;
    int* p = packed;
    for (int k = 0; k < OPDF_RES_KINDS; k++) {
        *p++ = open->lists[k].count;
        if (open->lists[k].count)
            memcpy(p, open->lists[k].items, (size_t)open->lists[k].count * sizeof(int));
        p += open->lists[k].count;
    }
    row->resources = (const int*)shareBytes(ctx, packed, n * sizeof(int));
    free(packed);
}

/* ---- finalised contents ------------------------------------------------------ */

/* Makes a file from a name ending in XXXXXX (filled in); reports failure. */
FILE* _opdf_openTempFile(PDFDocContext* ctx, char* name, const char* mode)
{
    int fd = mkstemp(name);
    FILE* f = fd >= 0 ? fdopen(fd, mode) : NULL;
    if (!f) {
        if (fd >= 0) {
            close(fd);
            remove(name);
        }
        _opdf_error(ctx, 2, OPDF_MODULE, "Cannot open %s as temporary content file", name);
    }
    return f;
}

static FILE* openStoreFile(PDFDocContext* ctx)
{
    if (ctx->storeFile)
        return ctx->storeFile;
    char name[OPDF_NAME_MAX + 64];
    _opdf_format(name, sizeof name, "%s_opdf123-%d-pages-XXXXXX", ctx->tempDir,
                 ctx->documentNumber);
    FILE* f = _opdf_openTempFile(ctx, name, "w+b");
    if (!f)
        return NULL;
    remove(name);
    ctx->storeFile = f;
    ctx->storeName = _opdf_strdup(name);
    return f;
}

/* Appends the bytes to the store file; 0 when they are all there. */
static int appendToStoreFile(PDFDocContext* ctx, const unsigned char* bytes, int64_t n)
{
    FILE* f = openStoreFile(ctx);
    if (!f)
        return -1;
    /* Pages are all finalised before the first read: writes only append. */
    if (fwrite(bytes, 1, (size_t)n, f) != (size_t)n) {
        _opdf_error(ctx, 2, OPDF_MODULE, "Cannot write temporary content file %s", ctx->storeName);
        return -1;
    }
    return 0;
}

/* Takes the bytes (a block of the heap). A document built in memory keeps
   its contents in memory: the whole PDF ends up there anyway. */
void _opdf_storePageContent(PDFDocContext* ctx, PDFPageEntry* row, unsigned char* bytes,
                            int64_t n)
{
    row->contentLength = n;
    row->contentBytes = NULL;
    if (n <= 0) {
        free(bytes);
        return;
    }
    if (!ctx->memoryOutput && !ctx->storeFailed &&
        ctx->storedInMemory + n > ctx->storeThreshold) {
        if (appendToStoreFile(ctx, bytes, n) == 0) {
            row->storeOffset = ctx->storeSize;
            row->flags |= OPDF_PAGE_IN_STORE_FILE;
            ctx->storeSize += n;
            free(bytes);
            return;
        }
        /* The error is reported; later pages stay in memory. */
        ctx->storeFailed = 1;
    }
    unsigned char* fitted = (unsigned char*)realloc(bytes, (size_t)n);
    row->contentBytes = fitted ? fitted : bytes;
    ctx->storedInMemory += n;
}

/* The page's finalised content, null when there is none or it cannot be
   read back (reported); give it back with _opdf_releasePageContent. */
unsigned char* _opdf_loadPageContent(PDFDocContext* ctx, PDFPageEntry* row)
{
    if (row->contentLength <= 0)
        return NULL;
    if (!(row->flags & OPDF_PAGE_IN_STORE_FILE))
        return row->contentBytes;
    unsigned char* b = (unsigned char*)_opdf_checkAlloc(malloc((size_t)row->contentLength));
    if (!b)
        return NULL;
    FILE* f = ctx->storeFile;
    if (!f || fflush(f) != 0 || fseeko(f, (off_t)row->storeOffset, SEEK_SET) != 0 ||
        fread(b, 1, (size_t)row->contentLength, f) != (size_t)row->contentLength) {
        /* The page's content is lost: the document must not count as written. */
        _opdf_setWriteError(ctx, errno ? errno : EIO,
                            ctx->storeName ? ctx->storeName : "temporary content file");
        free(b);
        return NULL;
    }
    return b;
}

/* Contents are written once: the memory goes as soon as they are. */
void _opdf_releasePageContent(PDFPageEntry* row, unsigned char* bytes)
{
    if (bytes && bytes != row->contentBytes)
        free(bytes);
    free(row->contentBytes);
    row->contentBytes = NULL;
}

void _opdf_closePageStore(PDFDocContext* ctx)
{
    if (ctx->storeFile)
        fclose(ctx->storeFile);
    ctx->storeFile = NULL;
    free(ctx->storeName);
    ctx->storeName = NULL;
    PDFSharedBlock* b = ctx->shared;
    while (b) {
        PDFSharedBlock* n = b->next;
        free(b);
        b = n;
    }
    ctx->shared = NULL;
    memset(ctx->recentShared, 0, sizeof ctx->recentShared);
}
