/* Annotations of the pages: text notes, links, buttons; destination texts. */
#include "opdfAnnotations.h"
#include "opdfImages.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#define OPDF_TEXT_MODULE "opdf"
/* Largest annotation text file read. */
#define OPDF_ANNOT_TEXT_MAX ((int64_t)1 << 26)

static PDFAnnotationEntry* rows(PDFDocContext* ctx) { return (PDFAnnotationEntry*)ctx->annots; }

/* ---- shared helpers -------------------------------------------------------------- */

int _opdf_pageExists(PDFDocContext* ctx, int page)
{
    return ctx && ctx->pages && page >= 1 && page < ctx->pageCapacity && ctx->pages[page] &&
           ctx->pages[page]->state >= 0;
}

int _opdf_pageObjectNumber(PDFDocContext* ctx, int page)
{
    return _opdf_pageExists(ctx, page) ? ctx->pages[page]->objectNumber : 0;
}

void _opdf_putStringOrEmpty(PDFDocContext* ctx, const unsigned char* bytes, int n,
                            int objectNumber)
{
    if (bytes && n > 0)
        _opdf_putString(ctx, (unsigned char*)bytes, n, objectNumber, 0);
    else if (ctx->hexStrings)
        _opdf_putHexString(ctx, (const unsigned char*)"", 0);
    else
        _opdf_putLiteralString(ctx, (const unsigned char*)"", 0);
}

static unsigned char* copyBytes(const void* bytes, size_t n)
{
    unsigned char* p = (unsigned char*)_opdf_checkAlloc(malloc(n + 1));
    if (p) {
        if (n)
            memcpy(p, bytes, n);
        p[n] = 0;
    }
    return p;
}

unsigned char* _opdf_storeUserText(PDFDocContext* ctx, const char* text, int32_t* length)
{
    *length = 0;
    if (!text)
        return NULL;
    const size_t n = strlen(text);
    if (n > INT32_MAX)
        return NULL;
    if (!ctx->hexStrings) {
        *length = (int32_t)n;
        return copyBytes(text, n);
    }
    unsigned char* out = (unsigned char*)_opdf_checkAlloc(malloc(n / 2 + 1));
    if (!out)
        return NULL;
    int count = 0;
    _opdf_fromHexText(text, out, &count);
    out[count] = 0;
    *length = count;
    return out;
}

/* ---- destinations ------------------------------------------------------------------ */

char* _opdf_makeDestination(int kind, float p1, float p2, float p3, float p4)
{
    char t[4 * OPDF_FIXED_MAX + 64];
    const double a = p1, b = p2, c = p3, d = p4;
    switch (kind) {
    case 1: _opdf_format(t, sizeof t, "/XYZ %.0f %.0f %.3f", a, b, c); break;
    case 2: _opdf_format(t, sizeof t, "/Fit"); break;
    case 3: _opdf_format(t, sizeof t, "/FitH %.0f", a); break;
    case 4: _opdf_format(t, sizeof t, "/FitV %.0f", a); break;
    case 5: _opdf_format(t, sizeof t, "/FitR %.0f %.0f %.0f %.0f", a, b, c, d); break;
    case 6: _opdf_format(t, sizeof t, "/FitB"); break;
    case 7: _opdf_format(t, sizeof t, "/FitBH %.0f", a); break;
    case 8: _opdf_format(t, sizeof t, "/FitBV %.0f", a); break;
    case 9: _opdf_format(t, sizeof t, "/XYZ null %.0f null", a); break;
    default: _opdf_format(t, sizeof t, "/XYZ null null null"); break;
    }
    return _opdf_strdup(t);
}

/* ---- the table ---------------------------------------------------------------------- */

static void freeRow(PDFAnnotationEntry* a)
{
    free(a->border);
    free(a->borderStyle);
    free(a->text);
    free(a->title);
    if (a->widget) {
        free(a->widget->iconPath);
        free(a->widget);
    }
    memset(a, 0, sizeof *a);
}

void _opdf_freeAnnotations(PDFDocContext* ctx)
{
    if (!ctx || !ctx->annots)
        return;
    for (int i = 0; i < ctx->annotCount; i++)
        freeRow(&rows(ctx)[i]);
    free(ctx->annots);
    ctx->annots = NULL;
    ctx->annotCount = 0;
    ctx->annotCapacity = 0;
}

int _opdf_annotationNumber(PDFDocContext* ctx, int row)
{
    if (!ctx || row < 0 || row >= ctx->annotCount)
        return 0;
    return rows(ctx)[row].objectNumber;
}

/* A cleared row at the end of the table, the table grown when needed; null
   after a report when the table is full or the page cannot take it. */
static PDFAnnotationEntry* newRow(PDFDocContext* ctx, int kind, float x1, float y1, float x2,
                                  float y2, const PDFAnnotationAttributes* attributes)
{
    if (ctx->annotCount >= ctx->maxAnnots) {
        _opdf_error(ctx, 1, kind == OPDF_ANNOT_TEXT ? OPDF_TEXT_MODULE : OPDF_MODULE,
                    "too many annotations in this PDF: %d", ctx->maxAnnots);
        return NULL;
    }
    if (!_opdf_pageExists(ctx, ctx->currentPage) || !ctx->pages[ctx->currentPage]->open) {
        _opdf_error(ctx, 1, OPDF_MODULE, "No current page for the annotation");
        return NULL;
    }
    if (ctx->annotCount == ctx->annotCapacity) {
        int64_t cap = ctx->annotCapacity ? (int64_t)ctx->annotCapacity * 2 : 16;
        if (cap > ctx->maxAnnots)
            cap = ctx->maxAnnots;
        PDFAnnotationEntry* p = (PDFAnnotationEntry*)_opdf_checkAlloc(
            realloc(ctx->annots, (size_t)cap * sizeof(PDFAnnotationEntry)));
        if (!p)
            return NULL;
        ctx->annots = p;
        ctx->annotCapacity = (int32_t)cap;
    }
    PDFAnnotationEntry* a = &rows(ctx)[ctx->annotCount];
    memset(a, 0, sizeof *a);
    a->kind = kind;
    a->page = -1;
    a->x1 = x1;
    a->y1 = y1;
    a->x2 = x2;
    a->y2 = y2;
    if (attributes) {
        a->flags = attributes->flags;
        a->r = attributes->r;
        a->g = attributes->g;
        a->b = attributes->b;
        if (attributes->borderStyle)
            a->borderStyle = _opdf_strdup(attributes->borderStyle);
        else if (attributes->border)
            a->border = _opdf_strdup(attributes->border);
    } else {
        const int link = kind >= OPDF_ANNOT_URI && kind <= OPDF_ANNOT_ACTION;
        a->r = link ? 0.0f : 1.0f;
        a->g = link ? 0.0f : 1.0f;
        a->b = link ? 1.0f : 0.0f;
        if (kind == OPDF_ANNOT_URI || kind == OPDF_ANNOT_ACTION)
            a->border = _opdf_strdup("[0 0 0]");
    }
    return a;
}

/* Counts the filled last row in and lists it on the current page. */
static void commitRow(PDFDocContext* ctx)
{
    const int index = ctx->annotCount;
    if (_opdf_addPageResource(ctx, OPDF_RES_ANNOTS, index) < 0) {
        freeRow(&rows(ctx)[index]);
        return;
    }
    ctx->annotCount++;
}

static void dropRow(PDFDocContext* ctx) { freeRow(&rows(ctx)[ctx->annotCount]); }

static void textAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                           const char* title, const unsigned char* contents, int32_t contentsLength,
                           int contentsStored, const PDFAnnotationAttributes* attributes)
{
    PDFAnnotationEntry* a = newRow(ctx, OPDF_ANNOT_TEXT, x1, y1, x2, y2, attributes);
    if (!a)
        return;
    a->title = _opdf_storeUserText(ctx, title ? title : "", &a->titleLength);
    if (contentsStored) {
        a->text = copyBytes(contents ? contents : (const unsigned char*)"", (size_t)contentsLength);
        a->textLength = a->text ? contentsLength : 0;
    } else {
        a->text = _opdf_storeUserText(ctx, contents ? (const char*)contents : "", &a->textLength);
    }
    if (!a->title || !a->text) {
        dropRow(ctx);
        return;
    }
    commitRow(ctx);
}

void opdf_rawaddTextAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                               const char* title, const char* contents,
                               const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        textAnnotation(ctx, x1, y1, x2, y2, title, (const unsigned char*)contents, 0, 0,
                       attributes);
}

void opdf_addTextAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                            const char* title, const char* contents,
                            const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        opdf_rawaddTextAnnotation(ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1),
                                  opdf_domainToPageX(ctx, x2), opdf_domainToPageY(ctx, y2),
                                  title, contents, attributes);
}

int opdf_rawaddTextAnnotationFromFile(PDFDocContext* ctx, float x1, float y1, float x2,
                                      float y2, const char* title, const char* path,
                                      const PDFAnnotationAttributes* attributes)
{
    if (!ctx)
        return -1;
    FILE* f = path ? fopen(path, "r") : NULL;
    if (!f) {
        _opdf_error(ctx, 1, OPDF_MODULE, "cannot open annotation text file: %s", path ? path : "");
        return -1;
    }
    PDFMemoryStream* s = _opdf_newMemoryStream();
    char buf[4096];
    size_t n;
    int failed = !s;
    while (!failed && (n = fread(buf, 1, sizeof buf, f)) > 0) {
        const int32_t before = s->length;
        if (s->length + (int64_t)n > OPDF_ANNOT_TEXT_MAX)
            failed = 1;
        else if (_opdf_appendMemoryStream(s, buf, (int)n), s->length != before + (int32_t)n)
            failed = 1;
    }
    if (ferror(f))
        failed = 1;
    fclose(f);
    if (failed) {
        _opdf_freeMemoryStream(s);
        _opdf_error(ctx, 1, OPDF_MODULE, "cannot read annotation text file: %s", path);
        return -1;
    }
    /* The file's bytes are the contents as they are, in either string mode. */
    textAnnotation(ctx, x1, y1, x2, y2, title, s->buffer, s->length, 1, attributes);
    _opdf_freeMemoryStream(s);
    return 0;
}

int opdf_addTextAnnotationFromFile(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                                   const char* title, const char* path,
                                   const PDFAnnotationAttributes* attributes)
{
    if (!ctx)
        return -1;
    return opdf_rawaddTextAnnotationFromFile(
        ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1), opdf_domainToPageX(ctx, x2),
        opdf_domainToPageY(ctx, y2), title, path, attributes);
}

/* A link whose main text is stored unchanged. */
static void addLink(PDFDocContext* ctx, int kind, float x1, float y1, float x2, float y2, int page,
                 const char* text, const PDFAnnotationAttributes* attributes)
{
    PDFAnnotationEntry* a = newRow(ctx, kind, x1, y1, x2, y2, attributes);
    if (!a)
        return;
    if (kind == OPDF_ANNOT_GOTO)
        a->page = page;
    const char* t = text ? text : "";
    a->text = copyBytes(t, strlen(t));
    a->textLength = a->text ? (int32_t)strlen(t) : 0;
    if (!a->text) {
        dropRow(ctx);
        return;
    }
    commitRow(ctx);
}

void opdf_rawsetActionURL(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                          const char* uri, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        addLink(ctx, OPDF_ANNOT_URI, x1, y1, x2, y2, -1, uri, attributes);
}

void opdf_setActionURL(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                       const char* uri, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        opdf_rawsetActionURL(ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1),
                             opdf_domainToPageX(ctx, x2), opdf_domainToPageY(ctx, y2), uri,
                             attributes);
}

void opdf_rawsetActionGoTo(PDFDocContext* ctx, float x1, float y1, float x2, float y2, int page,
                           const char* destination, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        addLink(ctx, OPDF_ANNOT_GOTO, x1, y1, x2, y2, page, destination, attributes);
}

void opdf_setActionGoTo(PDFDocContext* ctx, float x1, float y1, float x2, float y2, int page,
                        const char* destination, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        opdf_rawsetActionGoTo(ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1),
                              opdf_domainToPageX(ctx, x2), opdf_domainToPageY(ctx, y2), page,
                              destination, attributes);
}

void opdf_rawsetAction(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                       const char* action, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        addLink(ctx, OPDF_ANNOT_ACTION, x1, y1, x2, y2, -1, action, attributes);
}

void opdf_setAction(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                    const char* action, const PDFAnnotationAttributes* attributes)
{
    if (ctx)
        opdf_rawsetAction(ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1),
                          opdf_domainToPageX(ctx, x2), opdf_domainToPageY(ctx, y2), action,
                          attributes);
}

void opdf_rawaddWidgetAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                                 int type, const char* target,
                                 const PDFAnnotationAttributes* attributes, const char* iconPath,
                                 int iconFileType, int highlightColor)
{
    if (!ctx)
        return;
    if (type < OPDF_ANNOT_BUTTON || type > OPDF_ANNOT_GOTO_BUTTON) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Widget annotation type %d not supported", type);
        return;
    }
    PDFAnnotationEntry* a = newRow(ctx, type, x1, y1, x2, y2, attributes);
    if (!a)
        return;
    PDFWidgetEntry* w = (PDFWidgetEntry*)_opdf_checkAlloc(calloc(1, sizeof *w));
    if (!w) {
        dropRow(ctx);
        return;
    }
    a->widget = w;
    w->appearanceNumber = -1;
    w->focusNumber = -1;
    w->blurNumber = -1;
    w->highlightColor = -1;
    w->iconFileType = iconFileType;
    if (iconPath && *iconPath) {
        const int row = _opdf_findOrAddImportImage(ctx, iconPath, iconFileType,
                                                   PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL);
        const PDFImageEntry* image = row >= 0 ? _opdf_imageRow(ctx, row) : NULL;
        if (!image) {
            _opdf_error(ctx, 1, OPDF_MODULE, "Cannot read button icon: %s", iconPath);
            dropRow(ctx);
            return;
        }
        w->iconPath = _opdf_strdup(iconPath);
        if (!w->iconPath) {
            dropRow(ctx);
            return;
        }
        if (a->x2 == -1.0f) {
            a->x2 = a->x1 + (float)image->width;
            a->y2 = a->y1 + (float)image->height;
        }
    }
    if (!(a->flags & OPDF_ANNOT_READONLY) && highlightColor >= 0)
        w->highlightColor = highlightColor;
    const char* t = target ? target : "";
    if (type == OPDF_ANNOT_URI_BUTTON) {
        a->text = copyBytes(t, strlen(t));
        a->textLength = (int32_t)strlen(t);
    } else if (type == OPDF_ANNOT_GOTO_BUTTON) {
        const char* semicolon = strchr(t, ';');
        char number[16];
        size_t n = semicolon ? (size_t)(semicolon - t) : strlen(t);
        if (n > 15)
            n = 15;
        memcpy(number, t, n);
        number[n] = 0;
        a->page = atoi(number);
        const char* dest = semicolon ? semicolon + 1 : "/Fit";
        a->text = copyBytes(dest, strlen(dest));
        a->textLength = (int32_t)strlen(dest);
    } else {
        a->text = copyBytes("", 0);
    }
    if (!a->text) {
        dropRow(ctx);
        return;
    }
    commitRow(ctx);
}

void opdf_addWidgetAnnotation(PDFDocContext* ctx, float x1, float y1, float x2, float y2,
                              int type, const char* target,
                              const PDFAnnotationAttributes* attributes, const char* iconPath,
                              int iconFileType, int highlightColor)
{
    if (!ctx)
        return;
    /* x2 of -1 asks for the icon's own size in either form. */
    const float px2 = x2 == -1.0f ? -1.0f : opdf_domainToPageX(ctx, x2);
    opdf_rawaddWidgetAnnotation(ctx, opdf_domainToPageX(ctx, x1), opdf_domainToPageY(ctx, y1),
                                px2, opdf_domainToPageY(ctx, y2), type, target, attributes,
                                iconPath, iconFileType, highlightColor);
}

/* ---- numbering and writing ------------------------------------------------------------ */

float _opdf_borderWidth(const PDFAnnotationEntry* a)
{
    if (!a || !a->border)
        return 1.0f;
    const char* p = a->border;
    char word[64];
    for (int w = 0; w < 3; w++) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            p++;
        if (!*p)
            return 1.0f;
        size_t n = strcspn(p, " \t\r\n");
        if (w == 2) {
            if (n >= sizeof word)
                return 1.0f;
            memcpy(word, p, n);
            word[n] = 0;
            char* bracket = strchr(word, ']');
            if (bracket)
                *bracket = 0;
            if (!_opdf_isNumeric(word))
                return 1.0f;
            return (float)atof(word);
        }
        p += n;
    }
    return 1.0f;
}

int _opdf_numberAnnotations(PDFDocContext* ctx, int next)
{
    for (int i = 0; i < ctx->annotCount; i++) {
        PDFAnnotationEntry* a = &rows(ctx)[i];
        a->objectNumber = next++;
        PDFWidgetEntry* w = a->widget;
        if (!w)
            continue;
        w->focusNumber = w->blurNumber = w->appearanceNumber = -1;
        if (w->highlightColor >= 0) {
            w->focusNumber = next++;
            w->blurNumber = next++;
        }
        if (w->iconPath || (a->r != -1.0f && _opdf_borderWidth(a) > 0.0f))
            w->appearanceNumber = next++;
    }
    return next;
}

static void putRect(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    _opdf_putf(ctx, "/Rect [%.0f %.0f %.0f %.0f]\n", (double)a->x1, (double)a->y1, (double)a->x2,
               (double)a->y2);
}

static void putURI(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    _opdf_putText(ctx, "/A << /S /URI\n/URI ");
    _opdf_putStringOrEmpty(ctx, a->text, a->textLength, a->objectNumber);
    _opdf_putText(ctx, "\n>>\n");
}

static void _opdf_WriteAnnotation(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    _opdf_beginObject(ctx, a->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /Annot\n");
    switch (a->kind) {
    case OPDF_ANNOT_TEXT:
        _opdf_putText(ctx, "/Subtype /Text\n");
        putRect(ctx, a);
        _opdf_putText(ctx, "/T ");
        _opdf_putStringOrEmpty(ctx, a->title, a->titleLength, a->objectNumber);
        _opdf_putText(ctx, "\n/Contents ");
        _opdf_putStringOrEmpty(ctx, a->text, a->textLength, a->objectNumber);
        _opdf_putText(ctx, "\n");
        break;
    case OPDF_ANNOT_URI:
        _opdf_putText(ctx, "/Subtype /Link\n");
        putRect(ctx, a);
        putURI(ctx, a);
        break;
    case OPDF_ANNOT_GOTO:
        _opdf_putText(ctx, "/Subtype /Link\n");
        putRect(ctx, a);
        _opdf_putf(ctx, "/Dest [%d 0 R %s]\n", _opdf_pageObjectNumber(ctx, a->page),
                   a->text ? (const char*)a->text : "");
        break;
    default:
        _opdf_putText(ctx, "/Subtype /Link\n");
        putRect(ctx, a);
        _opdf_putText(ctx, "/A <<\n");
        _opdf_putBytes(ctx, a->text, (size_t)a->textLength);
        _opdf_putText(ctx, "\n>>\n");
        break;
    }
    if (a->borderStyle)
        _opdf_putf(ctx, "/BS <<\n%s\n>>\n", a->borderStyle);
    else if (a->border)
        _opdf_putf(ctx, "/Border %s\n", a->border);
    else
        _opdf_putText(ctx, "/Border [0 0 1]\n");
    _opdf_putf(ctx, "/C [%.4f %.4f %.4f]\n/F %d\n", (double)a->r, (double)a->g, (double)a->b,
               a->flags);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static int _opdf_writeJSAction(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    if (!a) {
        _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_writeJSAction:Annotation object is null");
        return -1;
    }
    const PDFWidgetEntry* w = a->widget;
    if (!w) {
        _opdf_error(ctx, 1, OPDF_TEXT_MODULE, "_opdf_writeJSAction:Widget annotation object is null");
        return -1;
    }
    const unsigned c = (unsigned)w->highlightColor;
    char js[512];
    int n = _opdf_format(js, sizeof js,
                         "var f = this.getField(\"Button_%d\");\rf.strokeColor = [\"RGB\", %.4f, %.4f, "
                         "%.4f];\rf.fillColor = color.transparent;\r",
                         a->objectNumber, (double)(c & 0xFF) / 255.0, (double)((c >> 8) & 0xFF) / 255.0,
                         (double)((c >> 16) & 0xFF) / 255.0);
    _opdf_beginObject(ctx, w->focusNumber);
    _opdf_putText(ctx, "<<\n/S /JavaScript\n/JS ");
    _opdf_putString(ctx, (unsigned char*)js, n, w->focusNumber, 0);
    _opdf_putText(ctx, "\n>>\n");
    _opdf_endObject(ctx);
    n = _opdf_format(js, sizeof js,
                     "var f = this.getField(\"Button_%d\");\rf.strokeColor = color.transparent;\r"
                     "f.fillColor = color.transparent;\r",
                     a->objectNumber);
    _opdf_beginObject(ctx, w->blurNumber);
    _opdf_putText(ctx, "<<\n/S /JavaScript\n/JS ");
    _opdf_putString(ctx, (unsigned char*)js, n, w->blurNumber, 0);
    _opdf_putText(ctx, "\n>>\n");
    _opdf_endObject(ctx);
    return 0;
}

static int _opdf_WriteIcon(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    if (!a) {
        _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_WriteIcon:Annotation object is null");
        return -1;
    }
    const PDFWidgetEntry* w = a->widget;
    if (!w) {
        _opdf_error(ctx, 1, OPDF_TEXT_MODULE, "_opdf_WriteIcon:Widget annotation object is null");
        return -1;
    }
    if (w->iconFileType != PDF_IMAGE_TIFF)
        ctx->importImageIndex = 0;
    int row = -1;
    const PDFImageEntry* image = NULL;
    if (opdf_findImage(ctx, w->iconPath, ctx->importImageIndex, &row) == 0)
        image = _opdf_imageRow(ctx, row);
    const char* name = image && image->name ? image->name : "";
    const int number = image ? image->objectNumber : 0;
    const double width = (double)a->x2 - a->x1, height = (double)a->y2 - a->y1;
    char content[OPDF_NAME_MAX + 2 * OPDF_FIXED_MAX + 64];
    const int n = _opdf_format(content, sizeof content,
                               "q\n1 0 0 1 0 0 cm\n%.2f 0 0 %.2f 0 0 cm\n/%s Do\nQ", width, height,
                               name);
    _opdf_beginObject(ctx, w->appearanceNumber);
    _opdf_putf(ctx, "<< /Length %d /Type /XObject /Subtype /Form /BBox [ 0 0 %f %f ]\n", n, width,
               height);
    _opdf_putf(ctx,
               "/FormType 1 /Matrix [ 1 0 0 1 0 0] /Resources << /XObject << /%s %d 0 R >> "
               "/ProcSet [ /PDF /ImageC ] >> >>",
               name, number);
    _opdf_putStream(ctx, (unsigned char*)content, (size_t)n, w->appearanceNumber, 0);
    _opdf_endObject(ctx);
    return 0;
}

static int _opdf_WriteRectAS(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    if (!a) {
        _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_WriteRectAS:Annotation object is null");
        return -1;
    }
    const PDFWidgetEntry* w = a->widget;
    if (!w) {
        _opdf_error(ctx, 1, OPDF_TEXT_MODULE, "_opdf_WriteRectAS:Widget annotation object is null");
        return -1;
    }
    const double bw = _opdf_borderWidth(a);
    const double width = (double)a->x2 - a->x1, height = (double)a->y2 - a->y1;
    char content[8 * OPDF_FIXED_MAX + 96];
    const int n = _opdf_format(content, sizeof content,
                               "q\n1 0 0 1 0 0 cm\n%f w\n%.4f %.4f %.4f RG\n%.4f %.4f %.4f %.4f re\nS\nQ\n",
                               bw, (double)a->r, (double)a->g, (double)a->b, bw / 2, bw / 2,
                               width - bw, height - bw);
    _opdf_beginObject(ctx, w->appearanceNumber);
    _opdf_putf(ctx, "<< /Length %d /Subtype /Form ", n);
    _opdf_putf(ctx, "/BBox [ 0 0 %f %f ] /Resources << /ProcSet [ /PDF ] ", width, height);
    _opdf_putText(ctx, ">> >>\n");
    _opdf_putStream(ctx, (unsigned char*)content, (size_t)n, w->appearanceNumber, 0);
    _opdf_endObject(ctx);
    return 0;
}

static int _opdf_WriteWidgetAnnotation(PDFDocContext* ctx, const PDFAnnotationEntry* a)
{
    const PDFWidgetEntry* w = a ? a->widget : NULL;
    if (!w) {
        _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_WriteWidgetAnnotation:Widget annotation object is null");
        return -1;
    }
    _opdf_beginObject(ctx, a->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /Annot\n/Subtype /Widget\n");
    putRect(ctx, a);
    char tip[32];
    const unsigned char* tooltip = NULL;
    int tooltipLength = 0;
    if (a->kind == OPDF_ANNOT_URI_BUTTON && a->textLength > 0) {
        putURI(ctx, a);
        tooltip = a->text;
        tooltipLength = a->textLength;
    } else if (a->kind == OPDF_ANNOT_GOTO_BUTTON) {
        _opdf_putf(ctx, "/Dest [%d 0 R %s]\n", _opdf_pageObjectNumber(ctx, a->page),
                   a->text ? (const char*)a->text : "");
        tooltipLength = _opdf_format(tip, sizeof tip, "Page %d", a->page);
        tooltip = (const unsigned char*)tip;
    }
    _opdf_putf(ctx, "/F %d\n/H /N\n", a->flags);
    if (w->highlightColor >= 0)
        _opdf_putf(ctx, "/AA << /Fo %d 0 R /Bl %d 0 R>>\n", w->focusNumber, w->blurNumber);
    _opdf_putf(ctx, "/FT /Btn\n/Ff %d\n/T ", 65536 + ((a->flags & OPDF_ANNOT_READONLY) ? 1 : 0));
    char field[32];
    const int fieldLength = _opdf_format(field, sizeof field, "Button_%d", a->objectNumber);
    _opdf_putString(ctx, (unsigned char*)field, fieldLength, a->objectNumber, 0);
    _opdf_putText(ctx, "\n");
    if (tooltip) {
        _opdf_putText(ctx, "/TU ");
        _opdf_putStringOrEmpty(ctx, tooltip, tooltipLength, a->objectNumber);
        _opdf_putText(ctx, "\n");
    }
    if (w->appearanceNumber >= 0) {
        /* The border colour is an array: black. */
        _opdf_putf(ctx, "/MK << /BC [0] /I %d 0 R /TP 1>>\n", w->appearanceNumber);
        _opdf_putf(ctx, "/AP <</N %d 0 R >>\n", w->appearanceNumber);
    }
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
    if (w->highlightColor >= 0)
        _opdf_writeJSAction(ctx, a);
    if (w->iconPath)
        _opdf_WriteIcon(ctx, a);
    else if (w->appearanceNumber >= 0)
        _opdf_WriteRectAS(ctx, a);
    return 0;
}

void _opdf_writeAnnotations(PDFDocContext* ctx)
{
    for (int i = 0; i < ctx->annotCount; i++) {
        const PDFAnnotationEntry* a = &rows(ctx)[i];
        if (a->kind >= OPDF_ANNOT_BUTTON)
            _opdf_WriteWidgetAnnotation(ctx, a);
        else
            _opdf_WriteAnnotation(ctx, a);
    }
}
