/* Content stream operators and string writers. */
#include "opdfInternal.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

_Static_assert(6 * (OPDF_FIXED_MAX + 1) + 8 <= OPDF_SCRATCH_SIZE, "scratch too small");

/* Writes count numbers with prec decimals, blank-separated, then the operator
   op (with its line feed) into the current content. */
static void putNumbers(PDFDocContext* ctx, int prec, int count, const float* v, const char* op)
{
    char* line = ctx->scratch;
    int k = 0;
    for (int i = 0; i < count; i++) {
        k += _opdf_fixed(line + k, (double)v[i], prec);
        line[k++] = ' ';
    }
    size_t n = strlen(op);
    memcpy(line + k, op, n);
    _opdf_putContentBytes(ctx, line, (size_t)k + n);
}

/* ---- graphics state ---------------------------------------------------------- */

void opdf_gsave(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "\nq\n"); }
void opdf_grestore(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "Q\n"); }

void opdf_setdash(PDFDocContext* ctx, const char* dash)
{
    if (ctx && dash)
        _opdf_contentf(ctx, "%s d\n", dash);
}

void opdf_nodash(PDFDocContext* ctx) { opdf_setdash(ctx, "[] 0"); }

void opdf_rawconcat(PDFDocContext* ctx, float a, float b, float c, float d, float e, float f)
{
    if (ctx)
        putNumbers(ctx, 4, 6, (const float[]){a, b, c, d, e, f}, "cm\n");
}

void opdf_rotate(PDFDocContext* ctx, float angle)
{
    double r = _opdf_radians(angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_rawconcat(ctx, c, s, -s, c, 0, 0);
}

void opdf_rawtranslate(PDFDocContext* ctx, float x, float y) { opdf_rawconcat(ctx, 1, 0, 0, 1, x, y); }
void opdf_scale(PDFDocContext* ctx, float sx, float sy) { opdf_rawconcat(ctx, sx, 0, 0, sy, 0, 0); }

void opdf_setflat(PDFDocContext* ctx, int v) { if (ctx) _opdf_contentf(ctx, "%d i\n", v); }
void opdf_setlinejoin(PDFDocContext* ctx, int v) { if (ctx) _opdf_contentf(ctx, "%d j\n", v); }
void opdf_setlinecap(PDFDocContext* ctx, int v) { if (ctx) _opdf_contentf(ctx, "%d J\n", v); }
void opdf_setmiterlimit(PDFDocContext* ctx, float v) { if (ctx) putNumbers(ctx, 4, 1, &v, "M\n"); }
void opdf_setlinewidth(PDFDocContext* ctx, float v) { if (ctx) putNumbers(ctx, 4, 1, &v, "w\n"); }

void opdf_setgrayFill(PDFDocContext* ctx, float g) { if (ctx) putNumbers(ctx, 4, 1, &g, "g\n"); }
void opdf_setgrayStroke(PDFDocContext* ctx, float g) { if (ctx) putNumbers(ctx, 4, 1, &g, "G\n"); }

void opdf_setrgbcolorFill(PDFDocContext* ctx, float r, float g, float b)
{
    if (ctx)
        putNumbers(ctx, 4, 3, (const float[]){r, g, b}, "rg\n");
}

void opdf_setrgbColorStroke(PDFDocContext* ctx, float r, float g, float b)
{
    if (ctx)
        putNumbers(ctx, 4, 3, (const float[]){r, g, b}, "RG\n");
}

void opdf_setcmykcolorFill(PDFDocContext* ctx, float c, float m, float y, float k)
{
    if (ctx)
        putNumbers(ctx, 4, 4, (const float[]){c, m, y, k}, "k\n");
}

void opdf_setcmykcolorStroke(PDFDocContext* ctx, float c, float m, float y, float k)
{
    if (ctx)
        putNumbers(ctx, 4, 4, (const float[]){c, m, y, k}, "K\n");
}

void opdf_setgrayColor(PDFDocContext* ctx, float g)
{
    opdf_setgrayFill(ctx, g);
    opdf_setgrayStroke(ctx, g);
}

void opdf_setrgbColor(PDFDocContext* ctx, float r, float g, float b)
{
    opdf_setrgbcolorFill(ctx, r, g, b);
    opdf_setrgbColorStroke(ctx, r, g, b);
}

void opdf_setcmykColor(PDFDocContext* ctx, float c, float m, float y, float k)
{
    opdf_setcmykcolorFill(ctx, c, m, y, k);
    opdf_setcmykcolorStroke(ctx, c, m, y, k);
}

/* ---- paths ----------------------------------------------------------------------- */

void opdf_rawmoveto(PDFDocContext* ctx, float x, float y)
{
    if (!ctx)
        return;
    putNumbers(ctx, 3, 2, (const float[]){x, y}, "m\n");
    ctx->curX = x;
    ctx->curY = y;
}

void opdf_rawlineto(PDFDocContext* ctx, float x, float y)
{
    if (!ctx)
        return;
    putNumbers(ctx, 3, 2, (const float[]){x, y}, "l\n");
    ctx->curX = x;
    ctx->curY = y;
}

void opdf_rawrmoveto(PDFDocContext* ctx, float dx, float dy)
{
    if (ctx)
        opdf_rawmoveto(ctx, ctx->curX + dx, ctx->curY + dy);
}

void opdf_rawrlineto(PDFDocContext* ctx, float dx, float dy)
{
    if (ctx)
        opdf_rawlineto(ctx, ctx->curX + dx, ctx->curY + dy);
}

void opdf_rawcurveto(PDFDocContext* ctx, float x1, float y1, float x2, float y2, float x3,
                     float y3)
{
    if (!ctx)
        return;
    putNumbers(ctx, 3, 6, (const float[]){x1, y1, x2, y2, x3, y3}, "c\n");
    ctx->curX = x3;
    ctx->curY = y3;
}

void opdf_rawrect(PDFDocContext* ctx, float x, float y, float w, float h)
{
    if (!ctx)
        return;
    putNumbers(ctx, 3, 4, (const float[]){x, y, w, h}, "re\n");
    ctx->curX = x;
    ctx->curY = y;
}

void opdf_closepath(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "h\n"); }
void opdf_stroke(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "S\n"); }
void opdf_fill(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "f\n"); }
void opdf_eofill(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "f*\n"); }
void opdf_fillAndStroke(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "B\n"); }
void opdf_eofillAndStroke(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "B*\n"); }
void opdf_clip(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "W\n"); }
void opdf_eoclip(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "W*\n"); }
void opdf_newpath(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "n\n"); }

void opdf_rawcircle(PDFDocContext* ctx, float cx, float cy, float r)
{
    if (!ctx)
        return;
    float k = 0.552f * r;
    opdf_rawmoveto(ctx, cx + r, cy);
    opdf_rawcurveto(ctx, cx + r, cy + k, cx + k, cy + r, cx, cy + r);
    opdf_rawcurveto(ctx, cx - k, cy + r, cx - r, cy + k, cx - r, cy);
    opdf_rawcurveto(ctx, cx - r, cy - k, cx - k, cy - r, cx, cy - r);
    opdf_rawcurveto(ctx, cx + k, cy - r, cx + r, cy - k, cx + r, cy);
    opdf_closepath(ctx);
}

void opdf_rawcircleHalves(PDFDocContext* ctx, float cx, float cy, float r)
{
    if (!ctx)
        return;
    float q = 1.3333333f * r;
    opdf_rawmoveto(ctx, cx - r, cy);
    opdf_rawcurveto(ctx, cx - r, cy + q, cx + r, cy + q, cx + r, cy);
    opdf_rawcurveto(ctx, cx + r, cy - q, cx - r, cy - q, cx - r, cy);
    opdf_closepath(ctx);
    ctx->curX = cx;
    ctx->curY = cy;
}

void opdf_rawrotatedRect(PDFDocContext* ctx, float x, float y, float w, float h, float angle)
{
    if (!ctx)
        return;
    double r = _opdf_radians(angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_rawmoveto(ctx, x, y);
    opdf_rawlineto(ctx, x + w * c, y + w * s);
    opdf_rawlineto(ctx, x + w * c - h * s, y + w * s + h * c);
    opdf_rawlineto(ctx, x - h * s, y + h * c);
    opdf_closepath(ctx);
}

/* One cubic piece of an arc: mid angle phi, half sweep theta (degrees). */
static void arcSegment(PDFDocContext* ctx, float cx, float cy, float r, double phi, double theta,
                       int direction, int first, int moveFirst)
{
    double t0 = _opdf_radians((float)theta);
    double x0 = cos(t0), y0 = sin(t0);
    double rho = direction * (double)r;
    double kx = r * (4 - x0) / 3;
    double t = y0 != 0 ? rho * (1 - x0) * (3 - x0) / (3 * y0) : 0;
    double px[4] = {r * x0, kx, kx, r * x0};
    double py[4] = {-rho * y0, -t, t, rho * y0};
    double pr = _opdf_radians((float)phi);
    double c = cos(pr), s = sin(pr);
    float qx[4], qy[4];
    for (int i = 0; i < 4; i++) {
        qx[i] = (float)(cx + px[i] * c - py[i] * s);
        qy[i] = (float)(cy + px[i] * s + py[i] * c);
    }
    if (first) {
        if (moveFirst)
            opdf_rawmoveto(ctx, qx[0], qy[0]);
        else
            opdf_rawlineto(ctx, qx[0], qy[0]);
    }
    opdf_rawcurveto(ctx, qx[1], qy[1], qx[2], qy[2], qx[3], qy[3]);
}

void opdf_rawarc(PDFDocContext* ctx, float cx, float cy, float r, float a1, float a2,
                 int moveFirst)
{
    if (!ctx)
        return;
    double s = (double)a2 - a1;
    int direction = a1 > a2 ? -1 : 1;
    double as = fabs(s);
    if (!isfinite(as))
        return;
    int n = 1;
    if (as > 90) {
        n = (int)ceil(as / 90.0);
        while (as / n > 90)
            n++;
    }
    for (int j = 0; j < n; j++) {
        double phi = a1 + s / (2.0 * n) + j * s / n;
        arcSegment(ctx, cx, cy, r, phi, as / (2.0 * n), direction, j == 0, moveFirst);
    }
}

/* ---- text ---------------------------------------------------------------------- */

void opdf_beginText(PDFDocContext* ctx)
{
    if (!ctx)
        return;
    _opdf_resetMemoryStream(ctx->scratchStream);
    _opdf_appendText("\nBT\n", ctx->scratchStream);
    _opdf_putContentBytes(ctx, ctx->scratchStream->buffer, (size_t)ctx->scratchStream->length);
    ctx->textObject = 1;
    ctx->tm[0] = ctx->tm[3] = 1;
    ctx->tm[1] = ctx->tm[2] = ctx->tm[4] = ctx->tm[5] = 0;
}

void opdf_endText(PDFDocContext* ctx)
{
    if (!ctx)
        return;
    _opdf_putContent(ctx, "ET\n");
    ctx->textObject = 0;
}

void opdf_setWordSpacing(PDFDocContext* ctx, float v)
{
    if (!ctx)
        return;
    ctx->wordSpacing = v;
    putNumbers(ctx, 3, 1, &v, "Tw\n");
}

void opdf_setCharSpacing(PDFDocContext* ctx, float v)
{
    if (!ctx)
        return;
    ctx->charSpacing = v;
    putNumbers(ctx, 3, 1, &v, "Tc\n");
}

void opdf_setHorizontalScaling(PDFDocContext* ctx, float v)
{
    if (!ctx)
        return;
    ctx->hScaling = v;
    putNumbers(ctx, 2, 1, &v, "Tz\n");
}

void opdf_setTextLeading(PDFDocContext* ctx, float v)
{
    if (!ctx)
        return;
    ctx->leading = v;
    putNumbers(ctx, 2, 1, &v, "TL\n");
}

void opdf_setTextRise(PDFDocContext* ctx, float v)
{
    if (!ctx)
        return;
    ctx->textRise = v;
    putNumbers(ctx, 3, 1, &v, "Ts\n");
}

void opdf_setTextRendering(PDFDocContext* ctx, int mode)
{
    if (ctx)
        _opdf_contentf(ctx, "%d Tr\n", mode);
}

void opdf_setTextMatrix(PDFDocContext* ctx, float a, float b, float c, float d, float e, float f)
{
    if (!ctx)
        return;
    ctx->tm[0] = a;
    ctx->tm[1] = b;
    ctx->tm[2] = c;
    ctx->tm[3] = d;
    ctx->tm[4] = e;
    ctx->tm[5] = f;
    putNumbers(ctx, 4, 6, (const float[]){a, b, c, d, e, f}, "Tm\n");
}

void opdf_rawTextPosition(PDFDocContext* ctx, float e, float f)
{
    if (ctx)
        opdf_setTextMatrix(ctx, ctx->tm[0], ctx->tm[1], ctx->tm[2], ctx->tm[3], e, f);
}

void opdf_rawTextMove(PDFDocContext* ctx, float dx, float dy)
{
    if (ctx)
        putNumbers(ctx, 3, 2, (const float[]){dx, dy}, "Td\n");
}

void opdf_textNextLine(PDFDocContext* ctx) { if (ctx) _opdf_putContent(ctx, "T*\n"); }

void opdf_concatTextMatrix(PDFDocContext* ctx, float a, float b, float c, float d, float e,
                           float f)
{
    if (!ctx)
        return;
    float m[6];
    memcpy(m, ctx->tm, sizeof m);
    const float n[6] = {a, b, c, d, e, f};
    _opdf_matrixConcat(m, n);
    opdf_setTextMatrix(ctx, m[0], m[1], m[2], m[3], m[4], m[5]);
}

void opdf_rotateText(PDFDocContext* ctx, float angle)
{
    double r = _opdf_radians(angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_concatTextMatrix(ctx, c, s, -s, c, 0, 0);
}

void opdf_skewText(PDFDocContext* ctx, float a, float b)
{
    opdf_concatTextMatrix(ctx, 1, (float)tan(_opdf_radians(a)), (float)tan(_opdf_radians(b)), 1, 0,
                          0);
}

/* ---- plot-domain forms ----------------------------------------------------------- */

#define PX(v) opdf_domainToPageX(ctx, (v))
#define PY(v) opdf_domainToPageY(ctx, (v))

void opdf_moveto(PDFDocContext* ctx, float x, float y)
{
    if (ctx)
        opdf_rawmoveto(ctx, PX(x), PY(y));
}

void opdf_lineto(PDFDocContext* ctx, float x, float y)
{
    if (ctx)
        opdf_rawlineto(ctx, PX(x), PY(y));
}

/* Relative forms: the offset is taken from the current point's domain position,
   which is exact for every domain, logarithmic ones included. */
static void relativeOffset(PDFDocContext* ctx, float dx, float dy, float* px, float* py)
{
    float x = opdf_pageToDomainX(ctx, ctx->curX);
    float y = opdf_pageToDomainY(ctx, ctx->curY);
    *px = PX(x + dx) - PX(x);
    *py = PY(y + dy) - PY(y);
}

void opdf_rmoveto(PDFDocContext* ctx, float dx, float dy)
{
    if (!ctx)
        return;
    float px, py;
    relativeOffset(ctx, dx, dy, &px, &py);
    opdf_rawrmoveto(ctx, px, py);
}

void opdf_rlineto(PDFDocContext* ctx, float dx, float dy)
{
    if (!ctx)
        return;
    float px, py;
    relativeOffset(ctx, dx, dy, &px, &py);
    opdf_rawrlineto(ctx, px, py);
}

void opdf_curveto(PDFDocContext* ctx, float x1, float y1, float x2, float y2, float x3, float y3)
{
    if (ctx)
        opdf_rawcurveto(ctx, PX(x1), PY(y1), PX(x2), PY(y2), PX(x3), PY(y3));
}

void opdf_rect(PDFDocContext* ctx, float x, float y, float w, float h)
{
    if (!ctx)
        return;
    float px = PX(x), py = PY(y);
    opdf_rawrect(ctx, px, py, PX(x + w) - px, PY(y + h) - py);
}

void opdf_rotatedRect(PDFDocContext* ctx, float x, float y, float w, float h, float angle)
{
    if (!ctx)
        return;
    float px = PX(x), py = PY(y);
    opdf_rawrotatedRect(ctx, px, py, PX(x + w) - px, PY(y + h) - py, angle);
}

void opdf_circle(PDFDocContext* ctx, float cx, float cy, float r)
{
    if (!ctx)
        return;
    float px = PX(cx);
    opdf_rawcircle(ctx, px, PY(cy), PX(cx + r) - px);
}

void opdf_circleHalves(PDFDocContext* ctx, float cx, float cy, float r)
{
    if (!ctx)
        return;
    float px = PX(cx);
    opdf_rawcircleHalves(ctx, px, PY(cy), PX(cx + r) - px);
}

void opdf_arc(PDFDocContext* ctx, float cx, float cy, float r, float a1, float a2, int moveFirst)
{
    if (!ctx)
        return;
    float px = PX(cx);
    opdf_rawarc(ctx, px, PY(cy), PX(cx + r) - px, a1, a2, moveFirst);
}

void opdf_textPosition(PDFDocContext* ctx, float x, float y)
{
    if (ctx)
        opdf_rawTextPosition(ctx, PX(x), PY(y));
}

void opdf_textMove(PDFDocContext* ctx, float dx, float dy)
{
    if (!ctx)
        return;
    /* offsets measured from the domain's origin */
    float ox = opdf_pageToDomainX(ctx, ctx->domain ? ctx->domain->x0 : 0);
    float oy = opdf_pageToDomainY(ctx, ctx->domain ? ctx->domain->y0 : 0);
    opdf_rawTextMove(ctx, PX(ox + dx) - PX(ox), PY(oy + dy) - PY(oy));
}

/* ---- string writers ------------------------------------------------------------- */

/* Literal-string body of bytes[0..n) into out (2n bytes); returns its length. */
static size_t escapeInto(char* out, const unsigned char* bytes, size_t n)
{
    char* p = out;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = bytes[i];
        switch (c) {
        case '\b': *p++ = '\\'; *p++ = 'b'; break;
        case '\t': *p++ = '\\'; *p++ = 't'; break;
        case '\n': *p++ = '\\'; *p++ = 'n'; break;
        case '\f': *p++ = '\\'; *p++ = 'f'; break;
        case '\r': *p++ = '\\'; *p++ = 'r'; break;
        case '(':
        case ')':
        case '\\': *p++ = '\\'; *p++ = (char)c; break;
        default: *p++ = (char)c; break;
        }
    }
    return (size_t)(p - out);
}

char* _opdf_escapeBytes(const unsigned char* bytes, int n, int* outLength)
{
    if (outLength)
        *outLength = 0;
    if (!bytes || n < 0)
        return NULL;
    char* out = (char*)_opdf_checkAlloc(malloc((size_t)n * 2 + 1));
    if (!out)
        return NULL;
    size_t len = escapeInto(out, bytes, (size_t)n);
    out[len] = 0;
    if (outLength)
        *outLength = (int)len;
    return out;
}

char* _opdf_escapeText(const char* text, int n, int* outLength)
{
    if (!text)
        return _opdf_escapeBytes(NULL, 0, outLength);
    int len = (int)strlen(text);
    if (n >= 0 && n < len)
        len = n;
    return _opdf_escapeBytes((const unsigned char*)text, len, outLength);
}

typedef void (*PutFn)(PDFDocContext*, const void*, size_t);

static void putLiteral(PDFDocContext* ctx, PutFn put, const unsigned char* bytes, int n)
{
    char buf[512];
    put(ctx, "(", 1);
    for (int i = 0; i < n; i += (int)sizeof buf / 2) {
        size_t k = (size_t)(n - i) < sizeof buf / 2 ? (size_t)(n - i) : sizeof buf / 2;
        put(ctx, buf, escapeInto(buf, bytes + i, k));
    }
    put(ctx, ")", 1);
}

static void putHex(PDFDocContext* ctx, PutFn put, const unsigned char* bytes, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    char buf[512];
    int k = 0;
    put(ctx, "<", 1);
    for (int i = 0; i < n; i++) {
        buf[k++] = digits[bytes[i] >> 4];
        buf[k++] = digits[bytes[i] & 15];
        if (k == (int)sizeof buf) {
            put(ctx, buf, (size_t)k);
            k = 0;
        }
    }
    put(ctx, buf, (size_t)k);
    put(ctx, ">", 1);
}

void _opdf_putContentLiteral(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (ctx && bytes && n > 0)
        putLiteral(ctx, _opdf_putContentBytes, bytes, n);
}

void _opdf_putContentHex(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (ctx && bytes && n > 0)
        putHex(ctx, _opdf_putContentBytes, bytes, n);
}

void _opdf_putContentString(PDFDocContext* ctx, const unsigned char* bytes, int n,
                            int objectNumber, int generation)
{
    (void)objectNumber;
    (void)generation;
    if (!ctx)
        return;
    if (ctx->hexStrings)
        _opdf_putContentHex(ctx, bytes, n);
    else
        _opdf_putContentLiteral(ctx, bytes, n);
}

void _opdf_putLiteralString(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (ctx && bytes && n >= 0)
        putLiteral(ctx, _opdf_putBytes, bytes, n);
}

void _opdf_putHexString(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (ctx && bytes && n >= 0)
        putHex(ctx, _opdf_putBytes, bytes, n);
}

void _opdf_putString(PDFDocContext* ctx, unsigned char* bytes, int n, int objectNumber,
                     int generation)
{
    (void)objectNumber;
    (void)generation;
    if (!ctx || !bytes || n <= 0)
        return;
    if (ctx->hexStrings)
        _opdf_putHexString(ctx, bytes, n);
    else
        _opdf_putLiteralString(ctx, bytes, n);
}
