/* Document context: life cycle, settings, reporting and shared helpers. */
#include "opdfAnnotations.h"
#include "opdfFonts.h"
#include "opdfImages.h"

#include <errno.h>
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

/* Process-wide state. */
static PDFDocLimits g_defaults = {100, 100, 100, 100, 5000, 16};
static char g_producer[64] = "Orvo PDF Library V3.1";
static PDFGlobalHandler g_errorHandler = NULL;
static PDFGlobalHandler g_warningHandler = NULL;
static int g_sequence = 0;
static int g_randomSeeded = 0;
static int64_t g_fileIDCount = 0;

static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* _opdf_producer(void);
const char* _opdf_producer(void) { return g_producer; }

/* ---- reporting ---------------------------------------------------------- */

int _opdf_error(PDFDocContext* ctx, int level, const char* module, const char* format, ...)
{
    if (!ctx || !ctx->errorHandler)
        return 0;
    va_list ap;
    va_start(ap, format);
    int r = ctx->errorHandler(ctx, level, module, format, ap);
    va_end(ap);
    return r;
}

void _opdf_globalError(int level, const char* module, const char* format, ...)
{
    if (!g_errorHandler)
        return;
    va_list ap;
    va_start(ap, format);
    g_errorHandler(level, module, format, ap);
    va_end(ap);
}

void _opdf_globalWarning(int level, const char* module, const char* format, ...)
{
    if (!g_warningHandler)
        return;
    va_list ap;
    va_start(ap, format);
    g_warningHandler(level, module, format, ap);
    va_end(ap);
}

void* _opdf_checkAlloc(void* pointer)
{
    if (!pointer)
        _opdf_globalError(-99, OPDF_MODULE " malloc", "Memory allocation failure");
    return pointer;
}

int opdf_defaultErrorHandler(PDFDocContext* ctx, int level, const char* module,
                             const char* format, va_list args)
{
    (void)ctx;
    int n = 0;
    if (module)
        n = fprintf(stderr, "%s: ", module);
    n = vfprintf(stderr, format, args);
    n = fprintf(stderr, ".\n");
    if (level < 0)
        exit(level);
    return n;
}

int opdf_defaultGlobalHandler(int level, const char* module, const char* format, va_list args)
{
    return opdf_defaultErrorHandler(NULL, level, module, format, args);
}

PDFErrorHandler opdf_setErrorHandler(PDFDocContext* ctx, PDFErrorHandler handler)
{
    if (!ctx)
        return NULL;
    PDFErrorHandler old = ctx->errorHandler;
    ctx->errorHandler = handler;
    return old;
}

void opdf_setUserData(PDFDocContext* ctx, void* data)
{
    if (ctx)
        ctx->userData = data;
}

void* opdf_getUserData(PDFDocContext* ctx) { return ctx ? ctx->userData : NULL; }

PDFGlobalHandler opdf_setGlobalErrorHandler(PDFGlobalHandler handler)
{
    PDFGlobalHandler old = g_errorHandler;
    g_errorHandler = handler;
    return old;
}

PDFGlobalHandler opdf_setGlobalWarningHandler(PDFGlobalHandler handler)
{
    PDFGlobalHandler old = g_warningHandler;
    g_warningHandler = handler;
    return old;
}

/* ---- identification ------------------------------------------------------ */

const char* opdf_getLibraryName(void) { return "Orvo PDF Library"; }
const char* opdf_getLibraryVersion(void) { return "3.1"; }
const char* opdf_getLibraryFullName(void) { return "Orvo PDF Library V3.1"; }
const char* opdf_getPlatformName(void) { return "Linux"; }

/* ---- life cycle ---------------------------------------------------------- */

void opdf_setDefaultLimits(int pages, int fonts, int images, int annots, int objects,
                           int patterns)
{
    if (pages > 0)
        g_defaults.MaxPages = pages;
    if (fonts > 0)
        g_defaults.MaxFonts = fonts;
    if (images > 0)
        g_defaults.MaxImages = images;
    if (annots > 0)
        g_defaults.MaxAnnots = annots;
    if (objects > 0)
        g_defaults.MaxObjects = objects;
    if (patterns > 0)
        g_defaults.MaxPatterns = patterns;
}

char* _opdf_strdup(const char* text)
{
    if (!text)
        return NULL;
    size_t n = strlen(text) + 1;
    char* p = (char*)_opdf_checkAlloc(malloc(n));
    if (p)
        memcpy(p, text, n);
    return p;
}

static void setText(char** slot, const char* text)
{
    free(*slot);
    *slot = _opdf_strdup(text);
}

static int limitOr(int32_t v, int32_t def) { return v > 0 ? v : def; }

PDFDocContext* opdf_open(int openArgument, const PDFDocLimits* limits)
{
    PDFDocContext* ctx = (PDFDocContext*)_opdf_checkAlloc(calloc(1, sizeof *ctx));
    if (!ctx)
        return NULL;
    PDFDocLimits l = limits ? *limits : g_defaults;
    ctx->maxPages = limitOr(l.MaxPages, g_defaults.MaxPages);
    ctx->maxFonts = limitOr(l.MaxFonts, g_defaults.MaxFonts);
    ctx->maxImages = limitOr(l.MaxImages, g_defaults.MaxImages);
    ctx->maxAnnots = limitOr(l.MaxAnnots, g_defaults.MaxAnnots);
    ctx->maxObjects = limitOr(l.MaxObjects, g_defaults.MaxObjects);
    ctx->maxPatterns = limitOr(l.MaxPatterns, g_defaults.MaxPatterns);

    ctx->documentNumber = -1;
    ctx->openArgument = openArgument;
    ctx->major = 1;
    ctx->minor = 1;
    ctx->pdfaConformance = 'B';
    for (int i = 0; i < 12; i++)
        ctx->monthNames[i] = _opdf_strdup(kMonths[i]);
    ctx->unitSize = 72.0f;
    ctx->compressorPath = _opdf_strdup("\\Bin\\zlibcomp");
    ctx->filterText = _opdf_strdup("/FlateDecode");
    ctx->errorHandler = opdf_defaultErrorHandler;
    ctx->currentFont = -1;
    ctx->fontSize = 12;
    ctx->hScaling = 100;
    ctx->tm[0] = ctx->tm[3] = 1;
    ctx->memoryOutput = 1;
    ctx->contentInMemory = 1;
    ctx->currentPage = 1;
    ctx->highestPage = 1;
    ctx->storeThreshold = OPDF_STORE_THRESHOLD;
    ctx->creator = _opdf_strdup("A qelPDFLib program");
    ctx->title = _opdf_strdup("No Title");
    ctx->subject = _opdf_strdup("None");
    ctx->keywords = _opdf_strdup("qelPDFLib");
    ctx->currentPatternColorSpace = -1;
    ctx->currentPattern = -1;
    for (int i = 0; i < 16; i++)
        ctx->predefinedPatterns[i] = -1;
    ctx->fonts = (PDFFontEntry*)_opdf_checkAlloc(calloc((size_t)ctx->maxFonts, sizeof(PDFFontEntry)));
    ctx->fontFiles =
        (PDFFontFile**)_opdf_checkAlloc(calloc((size_t)ctx->maxFonts, sizeof(PDFFontFile*)));
    _opdf_format(ctx->fontMapFile, sizeof ctx->fontMapFile, "fontmap.lst");
    _opdf_format(ctx->pfmDir, sizeof ctx->pfmDir, "/usr/local/font/pfm");
    _opdf_format(ctx->pfbDir, sizeof ctx->pfbDir, "/usr/local/font/pfb");
    _opdf_allocColorTables(ctx);
    ctx->scratchStream = _opdf_newMemoryStream();
    ctx->state = 1;
    ctx->jpegQuality = 50;
    return ctx;
}

int opdf_init(PDFDocContext* ctx)
{
    if (!ctx)
        return -1;
    setText(&ctx->author, "Unknown");
    if (ctx->state != 1)
        _opdf_error(ctx, -1, OPDF_MODULE, "opdf_open() has not been called.");
    if (ctx->state == 2)
        return -1; /* a second init would drop the pages and reopen the output */
    ctx->state = 2;
    if (ctx->memoryOutput) {
        ctx->output = _opdf_newMemoryStream();
    } else {
        opdf_openOutput(ctx);
    }
    _opdf_makeFileID(ctx, ctx->fileID);
    return 0;
}

void opdf_close(PDFDocContext* ctx)
{
    if (!ctx)
        return;
    if (!ctx->memoryOutput)
        _opdf_closeOutputFile(ctx);
    _opdf_freeDeflater(ctx);
    _opdf_freeFonts(ctx);
    _opdf_freeEncodings(ctx);
    _opdf_freeImages(ctx);
    _opdf_freeAnnotations(ctx);
    _opdf_freeColorTables(ctx);
    _opdf_freeOutlines(ctx);
    for (int i = 0; i < ctx->pageCapacity; i++) {
        if (ctx->pages[i]) {
            _opdf_freePage(ctx->pages[i], 1);
            ctx->pages[i] = NULL;
        }
    }
    free(ctx->pages);
    _opdf_closePageStore(ctx);
    free(ctx->compressorPath);
    free(ctx->filterText);
    ctx->state = 0;
    _opdf_freeMemoryStream(ctx->scratchStream);
    _opdf_freeMemoryStream(ctx->output);
    for (int i = 0; i < 12; i++)
        free(ctx->monthNames[i]);
    free(ctx->offsets);
    free(ctx->writeErrorFile);
    free(ctx->creator);
    free(ctx->title);
    free(ctx->subject);
    free(ctx->keywords);
    free(ctx->author);
    _opdf_freeMemoryStream(ctx->xmpExtra);
    PDFTextNode* c = ctx->commentHead;
    while (c) {
        PDFTextNode* n = c->next;
        free(c->text);
        free(c);
        c = n;
    }
    free(ctx);
}

/* ---- settings ------------------------------------------------------------ */

void opdf_setCreator(PDFDocContext* ctx, const char* t) { if (ctx) setText(&ctx->creator, t); }
void opdf_setTitle(PDFDocContext* ctx, const char* t) { if (ctx) setText(&ctx->title, t); }
void opdf_setSubject(PDFDocContext* ctx, const char* t) { if (ctx) setText(&ctx->subject, t); }
void opdf_setKeywords(PDFDocContext* ctx, const char* t) { if (ctx) setText(&ctx->keywords, t); }
void opdf_setAuthor(PDFDocContext* ctx, const char* t) { if (ctx) setText(&ctx->author, t); }

void opdf_setCompression(PDFDocContext* ctx, int on)
{
    if (!ctx)
        return;
    if (on && ctx->filterText) {
        ctx->compression = 1;
        if (strstr(ctx->filterText, "FlateDecode"))
            opdf_setPDFLevel(ctx, 1, 2);
    } else {
        ctx->compression = 0;
    }
}

void opdf_setCompressionFilter(PDFDocContext* ctx, const char* path, const char* filter)
{
    if (!ctx)
        return;
    setText(&ctx->compressorPath, path);
    setText(&ctx->filterText, filter);
}

void opdf_setViewerPreferences(PDFDocContext* ctx, const PDFViewerPreferences* prefs)
{
    if (!ctx || !prefs)
        return;
    ctx->viewer = *prefs;
    if (prefs->DisplayDocTitle)
        opdf_setPDFLevel(ctx, 1, 4);
}

void opdf_setJPEGQuality(PDFDocContext* ctx, unsigned quality)
{
    if (ctx && quality <= 100)
        ctx->jpegQuality = (int)quality;
}

static void keepName(char* dst, const char* src)
{
    size_t n = src ? strlen(src) : 0;
    if (n > OPDF_NAME_MAX)
        n = OPDF_NAME_MAX;
    if (n)
        memcpy(dst, src, n);
    dst[n] = 0;
}

void opdf_setOutputFile(PDFDocContext* ctx, const char* name)
{
    if (!ctx || ctx->state != 1)
        return;
    keepName(ctx->outputName, name);
    ctx->outputNameFlag = ctx->outputName[0] != 0;
    ctx->memoryOutput = 0;
}

void opdf_setStdoutOutput(PDFDocContext* ctx, int on)
{
    if (ctx && ctx->state == 1)
        ctx->stdoutFlag = on != 0;
}

void opdf_setTempDirectory(PDFDocContext* ctx, const char* dir)
{
    if (ctx)
        keepName(ctx->tempDir, dir);
}

void opdf_setContentInMemory(PDFDocContext* ctx, int on)
{
    if (!ctx)
        return;
    for (int i = 0; i < ctx->pageCapacity; i++)
        if (ctx->pages[i] && ctx->pages[i]->state >= 0)
            return; /* only before the first page */
    ctx->contentInMemory = on != 0;
}

void opdf_setOmitVariableInfo(PDFDocContext* ctx, int on)
{
    if (ctx)
        ctx->omitVariableInfo = on != 0;
}

void opdf_setHexStrings(PDFDocContext* ctx, int on)
{
    if (ctx)
        ctx->hexStrings = on != 0;
}

void opdf_setUnitSize(PDFDocContext* ctx, float u)
{
    if (ctx && u > 0 && isfinite(u))
        ctx->unitSize = u;
}

void opdf_setMonthNames(PDFDocContext* ctx, const char* names[12])
{
    if (!ctx || !names)
        return;
    for (int i = 0; i < 12; i++)
        if (names[i])
            setText(&ctx->monthNames[i], names[i]);
}

void opdf_setPDFLevel(PDFDocContext* ctx, int major, int minor)
{
    if (!ctx)
        return;
    if (ctx->pdfaFlag && (minor > 4 || major > 1)) {
        _opdf_globalError(-1, "opdf_setPDFLevel",
                          "Error! Invalid pdf level (%d.%d) for PDF/A output", major, minor);
        return;
    }
    if (major > ctx->major || (major == ctx->major && minor > ctx->minor)) {
        ctx->major = major;
        ctx->minor = minor;
    }
}

void opdf_setProducer(const char* text)
{
    if (!text) {
        g_producer[0] = 0;
        return;
    }
    size_t n = strlen(text);
    if (n > sizeof g_producer - 1)
        n = sizeof g_producer - 1; /* longer texts are cut */
    memcpy(g_producer, text, n);
    g_producer[n] = 0;
}

/* ---- comments and output ------------------------------------------------- */

static int appendComment(PDFTextNode** head, PDFTextNode** tail, const char* text)
{
    PDFTextNode* node = (PDFTextNode*)_opdf_checkAlloc(calloc(1, sizeof *node));
    if (!node)
        return -4;
    node->text = _opdf_strdup(text);
    if (!node->text) {
        free(node);
        return -4;
    }
    if (*tail)
        (*tail)->next = node;
    else
        *head = node;
    *tail = node;
    return 0;
}

int opdf_addDocumentComment(PDFDocContext* ctx, const char* text)
{
    if (!ctx)
        return -1;
    if (!text || !*text)
        return -2;
    return appendComment(&ctx->commentHead, &ctx->commentTail, text);
}

int opdf_addPageComment(PDFDocContext* ctx, const char* text, int page)
{
    if (!ctx)
        return -1;
    if (!text || !*text)
        return -2;
    if (page < 0 || page > ctx->maxPages)
        return -3;
    if (page == 0)
        page = ctx->currentPage;
    if (page >= ctx->pageCapacity || !ctx->pages[page] || ctx->pages[page]->state < 0)
        return -3; /* no row for a page that was never initialised */
    PDFPageEntry* row = ctx->pages[page];
    return appendComment(&row->commentHead, &row->commentTail, text);
}

const unsigned char* opdf_getMemoryOutput(PDFDocContext* ctx, unsigned* length)
{
    if (length)
        *length = 0;
    if (!ctx || !ctx->memoryOutput || !ctx->output)
        return NULL;
    if (length)
        *length = (unsigned)ctx->output->length;
    return ctx->output->buffer;
}

int opdf_writeMemoryOutput(PDFDocContext* ctx, const char* name)
{
    if (!ctx)
        return -1;
    keepName(ctx->outputName, name);
    if (!ctx->memoryOutput || !ctx->output)
        return -1;
    return _opdf_writeMemoryStream(ctx->output, name);
}

const char* opdf_getOutputFileName(PDFDocContext* ctx) { return ctx ? ctx->outputName : NULL; }

int opdf_getWriteError(PDFDocContext* ctx, const char** fileName)
{
    if (fileName)
        *fileName = ctx ? ctx->writeErrorFile : NULL;
    return ctx ? ctx->writeError : 0;
}

int opdf_addXMPMetadata(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (!ctx || !bytes || n <= 0)
        return -1;
    if (!ctx->xmpExtra)
        ctx->xmpExtra = _opdf_newMemoryStream();
    if (!ctx->xmpExtra)
        return -1;
    _opdf_appendMemoryStream(ctx->xmpExtra, bytes, n);
    return 0;
}

/* ---- helpers -------------------------------------------------------------- */

void opdf_free(void* block) { free(block); }

int _opdf_readFile(const char* path, unsigned char** buffer, long* length)
{
    *buffer = NULL;
    *length = 0;
    struct stat st;
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
        return -1;
    FILE* f = fopen(path, "rb");
    if (!f)
        return -1;
    unsigned char* b = (unsigned char*)_opdf_checkAlloc(malloc((size_t)st.st_size + 1));
    if (!b) {
        fclose(f);
        return -1;
    }
    size_t got = fread(b, 1, (size_t)st.st_size, f);
    fclose(f);
    if (got != (size_t)st.st_size) {
        free(b);
        return -1;
    }
    b[got] = 0;
    *buffer = b;
    *length = (long)got;
    return 1;
}

long _opdf_fileSize(const char* path)
{
    struct stat st;
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return (long)st.st_size;
}

void _opdf_appendNumber(char* path, int n)
{
    char digits[16];
    int k = _opdf_format(digits, sizeof digits, "%d", n);
    size_t len = strlen(path);
    memcpy(path + len, digits, (size_t)k + 1);
}

int _opdf_isNumeric(const char* text)
{
    if (!text || !*text)
        return 0;
    for (; *text; text++)
        if (!((*text >= '0' && *text <= '9') || *text == '.' || *text == '-'))
            return 0;
    return 1;
}

void opdf_slashToBackslash(char* destination, const char* source)
{
    if (!destination || !source)
        return;
    for (; *source; source++)
        *destination++ = *source == '/' ? '\\' : *source;
    *destination = 0;
}

int _opdf_hexDigitValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c <= 0x40 ? -1 : 255;
}

void _opdf_toHexText(const unsigned char* bytes, char* out, int n, int marker)
{
    static const char digits[] = "0123456789ABCDEF";
    char* p = out;
    if (marker) {
        unsigned v = n >= 2 ? (unsigned)(bytes[0] | (bytes[1] << 8)) : 0;
        if (v != 0xFEFF && v != 0xFFFE) {
            memcpy(p, "FEFF", 4);
            p += 4;
        }
    }
    for (int i = 0; i < n; i++) {
        *p++ = digits[bytes[i] >> 4];
        *p++ = digits[bytes[i] & 15];
    }
    *p = 0;
}

unsigned char* _opdf_fromHexText(const char* text, unsigned char* out, int* count)
{
    int n = 0, high = -1;
    for (; text && *text; text++) {
        int v = _opdf_hexDigitValue((unsigned char)*text);
        if (v < 0 || v > 15)
            continue;
        if (high < 0) {
            high = v;
        } else {
            out[n++] = (unsigned char)(high << 4 | v);
            high = -1;
        }
    }
    if (count)
        *count = n;
    return out;
}

double _opdf_frexp10(double x, int* exponent)
{
    int e = 0;
    if (x == 0 || !isfinite(x)) {
        *exponent = 0;
        return isfinite(x) ? 0 : x;
    }
    double m = fabs(x);
    while (m >= 10) {
        m /= 10;
        e++;
    }
    while (m < 1) {
        m *= 10;
        e--;
    }
    *exponent = e;
    return x < 0 ? -m : m;
}

void _opdf_matrixConcat(float m[6], const float n[6])
{
    float a = n[0] * m[0] + n[1] * m[2];
    float b = n[0] * m[1] + n[1] * m[3];
    float c = n[2] * m[0] + n[3] * m[2];
    float d = n[2] * m[1] + n[3] * m[3];
    float e = n[4] * m[0] + n[5] * m[2] + m[4];
    float f = n[4] * m[1] + n[5] * m[3] + m[5];
    m[0] = a;
    m[1] = b;
    m[2] = c;
    m[3] = d;
    m[4] = e;
    m[5] = f;
}

int _opdf_assignSequenceNumber(int* slot)
{
    if (*slot > 0)
        return *slot;
    if (g_sequence < 0 || g_sequence > 2147483645)
        g_sequence = 0;
    *slot = ++g_sequence;
    return *slot;
}

int _opdf_storeIfPositive(int* slot, int v)
{
    if (v > 0) {
        *slot = v;
        return v;
    }
    return 0;
}

void opdf_randomLetters(char* buffer, int n)
{
    if (!buffer)
        return;
    if (!g_randomSeeded) {
        srand((unsigned)time(NULL));
        g_randomSeeded = 1;
    }
    for (int i = 0; i < n; i++)
        buffer[i] = (char)('A' + rand() % 26);
    buffer[n > 0 ? n : 0] = 0;
}

void* _opdf_getEncryptRecord(PDFDocContext* ctx) { return ctx ? ctx->encryptRecord : NULL; }

int opdf_returnZero(void)
{
    const uint16_t probe = 1;
    return *(const unsigned char*)&probe == 1 ? 0 : 1;
}

void _opdf_makeFileID(PDFDocContext* ctx, unsigned char id[16])
{
    char text[32];
    time_t now = time(NULL);
    struct tm lt;
    localtime_r(&now, &lt);
    _opdf_format(text, sizeof text, "%04d%02d%02d%02d%02d%02d", lt.tm_year + 1900,
                 lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
    PDFMD5Context md;
    md5Init(&md);
    md5Update(&md, (const unsigned char*)text, (unsigned)strlen(text));
    md5Update(&md, (const unsigned char*)g_producer, (unsigned)strlen(g_producer));
    int n = _opdf_format(text, sizeof text, "%d", ctx->documentNumber);
    md5Update(&md, (const unsigned char*)text, (unsigned)n);
    if (!ctx->omitVariableInfo) {
        /* Files written in the same second must still differ: the output,
           the process, its count of identifiers and random bytes. */
        if (ctx->memoryOutput) {
            const void* output = ctx->output;
            md5Update(&md, (const unsigned char*)&output, (unsigned)sizeof output);
        } else {
            md5Update(&md, (const unsigned char*)ctx->outputName, (unsigned)strlen(ctx->outputName));
        }
        struct {
            int64_t pid;
            int64_t count;
            unsigned char random[16];
        } unique;
        memset(&unique, 0, sizeof unique);
        unique.pid = (int64_t)getpid();
        unique.count = ++g_fileIDCount;
        if (getrandom(unique.random, sizeof unique.random, 0) != (ssize_t)sizeof unique.random)
            memset(unique.random, 0, sizeof unique.random); /* the rest still differs */
        md5Update(&md, (const unsigned char*)&unique, (unsigned)sizeof unique);
    }
    md5Final(id, &md);
}

double _opdf_radians(float degrees) { return (double)(float)(degrees * 3.141592654 / 180.0); }

/* Lists up to this many entries are scanned; longer ones are hashed. */
#define OPDF_INDEX_SCAN 16

static uint32_t indexSlot(const PDFIndexList* list, int index)
{
    uint32_t h = (uint32_t)index * 2654435761u;
    return (h ^ (h >> 16)) & (uint32_t)(list->slotCount - 1);
}

/* Rebuilds the hash for the list's items in slotCount slots; false, with
   the hash dropped, when it cannot be allocated (the list is then scanned). */
static int indexListRehash(PDFIndexList* list, int slotCount)
{
    int* slots = (int*)malloc((size_t)slotCount * sizeof(int));
    free(list->slots);
    list->slots = slots;
    list->slotCount = slots ? slotCount : 0;
    if (!slots)
        return 0;
    for (int i = 0; i < slotCount; i++)
        slots[i] = -1;
    for (int i = 0; i < list->count; i++) {
        uint32_t at = indexSlot(list, list->items[i]);
        while (slots[at] >= 0)
            at = (at + 1) & (uint32_t)(slotCount - 1);
        slots[at] = i;
    }
    return 1;
}

int _opdf_indexListAdd(PDFIndexList* list, int index)
{
    if (list->slots) {
        uint32_t at = indexSlot(list, index);
        for (; list->slots[at] >= 0; at = (at + 1) & (uint32_t)(list->slotCount - 1))
            if (list->items[list->slots[at]] == index)
                return 0;
    } else {
        for (int i = 0; i < list->count; i++)
            if (list->items[i] == index)
                return 0;
    }
    if (list->count == list->capacity) {
        if (list->capacity > INT_MAX / 2)
            return -4;
        int cap = list->capacity ? list->capacity * 2 : 8;
        int* p = (int*)_opdf_checkAlloc(realloc(list->items, (size_t)cap * sizeof(int)));
        if (!p)
            return -4;
        list->items = p;
        list->capacity = cap;
    }
    list->items[list->count++] = index;
    if (list->slots && (int64_t)list->count * 2 <= list->slotCount) {
        uint32_t at = indexSlot(list, index);
        while (list->slots[at] >= 0)
            at = (at + 1) & (uint32_t)(list->slotCount - 1);
        list->slots[at] = list->count - 1;
    } else if (list->count > OPDF_INDEX_SCAN && list->count <= INT_MAX / 4) {
        int slotCount = list->slotCount ? list->slotCount : 16;
        while (slotCount < list->count * 2)
            slotCount *= 2;
        indexListRehash(list, slotCount);
    }
    return 1;
}

void _opdf_indexListFree(PDFIndexList* list)
{
    free(list->items);
    free(list->slots);
    list->items = NULL;
    list->slots = NULL;
    list->count = list->capacity = list->slotCount = 0;
}
