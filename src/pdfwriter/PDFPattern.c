/* Tiling patterns drawn by the caller and the sixteen predefined fill patterns. */
#include "opdfFonts.h"

#include <stdlib.h>
#include <string.h>

int opdf_beginPattern(PDFDocContext* ctx, int type, int tilingType, float xStep, float yStep,
                      float bboxWidth, float bboxHeight, const char* matrix)
{
    if (!ctx || !ctx->patterns)
        return -1;
    if (ctx->patternOpen) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Nested Patterns not supported");
        return -2;
    }
    if (ctx->patternCount >= ctx->maxPatterns) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Too many Patterns in this PDF: %d. Increase limit by opdf_open()",
                    ctx->patternCount);
        return -1;
    }
    /* only tiling patterns: shadings have no dictionary here */
    if (type != 1 && type != 2) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Invalid Pattern Type: %d", type);
        return -1;
    }
    PDFMemoryStream* s = _opdf_newMemoryStream();
    if (!s)
        return -1;
    int h = ctx->patternCount;
    PDFPatternEntry* p = &ctx->patterns[h];
    memset(p, 0, sizeof *p);
    p->patternType = 1;
    p->paintType = type;
    p->tilingType = tilingType;
    p->bboxWidth = bboxWidth;
    p->bboxHeight = bboxHeight;
    p->xStep = xStep;
    p->yStep = yStep;
    _opdf_format(p->matrix, sizeof p->matrix, "%s", matrix ? matrix : "1 0 0 1 0 0");
    p->stream = s;
    _opdf_format(p->name, sizeof p->name, "P%d", h);
    ctx->savedContentInMemory = ctx->contentInMemory;
    ctx->savedContent = ctx->content;
    ctx->savedContentFile = ctx->contentFile;
    ctx->contentInMemory = 1;
    ctx->content = s;
    ctx->patternOpen = 1;
    ctx->patternCount++;
    /* tiling patterns and graphics state objects need 1.2 */
    opdf_setPDFLevel(ctx, 1, 2);
    return h;
}

void opdf_endPattern(PDFDocContext* ctx, int handle)
{
    (void)handle;
    if (!ctx || !ctx->patternOpen)
        return;
    ctx->contentInMemory = ctx->savedContentInMemory;
    ctx->content = ctx->savedContent;
    ctx->contentFile = ctx->savedContentFile;
    ctx->savedContent = NULL;
    ctx->savedContentFile = NULL;
    ctx->savedContentInMemory = 0;
    ctx->patternOpen = 0;
}

void _opdf_freePatterns(PDFDocContext* ctx)
{
    if (!ctx->patterns)
        return;
    for (int i = 0; i < ctx->patternCount; i++) {
        _opdf_freeMemoryStream(ctx->patterns[i].stream);
        ctx->patterns[i].stream = NULL;
    }
    ctx->patternCount = 0;
}

void opdf_concat(PDFDocContext* ctx, float a, float b, float c, float d, float e, float f)
{
    if (ctx)
        opdf_rawconcat(ctx, a, b, c, d, opdf_domainToPageX(ctx, e), opdf_domainToPageY(ctx, f));
}

void opdf_translate(PDFDocContext* ctx, float x, float y) { opdf_concat(ctx, 1, 0, 0, 1, x, y); }

/* ---- predefined patterns ------------------------------------------------------------------ */

typedef struct ImageTile {
    float step, bbox;
    int w, h;
    unsigned char rows[32];
    int tiles;
    float scale;
    float tx[2], ty[2];
    int atOrigin;
} ImageTile;

static const ImageTile kImageTiles[8] = {
    {0.6f, 0.6f, 1, 1, {0x00}, 2, 0.3f, {0, 0.3f}, {0, 0.3f}, 0},
    {0.6f, 0.3f, 1, 1, {0x00}, 1, 0.3f, {0, 0}, {0, 0}, 1},
    {1.2f, 0.6f, 1, 1, {0x00}, 1, 0.6f, {0, 0}, {0, 0}, 1},
    {2.4f, 2.4f, 1, 1, {0x00}, 2, 0.6f, {0, 1.2f}, {0.6f, 1.8f}, 0},
    {2.4f, 2.4f, 4, 4, {0x90, 0x00, 0x00, 0x90}, 2, 1.2f, {0, 1.2f}, {1.2f, 3.6f}, 0},
    {4.8f, 4.8f, 16, 16,
     {0xE0, 0x07, 0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x07, 0xE0, 0x07, 0xE0, 0x07},
     2, 1.5f, {0, 2.4f}, {0.9f, 3.15f}, 0},
    {9.5375f, 9.5375f, 8, 8, {0xC3, 0x81, 0, 0, 0, 0, 0x81, 0xC3}, 2, 2.725f, {0, 4.76875f},
     {2.04375f, 6.8125f}, 0},
    {9.45f, 2.7f, 8, 8, {0xC3, 0x81, 0, 0, 0, 0, 0x81, 0xC3}, 1, 2.7f, {0, 0}, {0, 0}, 1},
};

static int imagePattern(PDFDocContext* ctx, int id)
{
    const ImageTile* t = &kImageTiles[id - 1];
    /* pattern 5 has a cell of 2.4 by 4.8 */
    float ystep = id == 5 ? 4.8f : t->step;
    float bboxH = id == 5 ? 4.8f : t->bbox;
    int h = opdf_beginPattern(ctx, 2, 1, t->step, ystep, t->bbox, bboxH, "1 0 0 1 0 0");
    if (h < 0)
        return -1;
    int rowBytes = (t->w + 7) / 8;
    for (int k = 0; k < t->tiles; k++) {
        if (k > 0)
            _opdf_putContent(ctx, "\n");
        double s = t->scale;
        if (t->atOrigin)
            _opdf_contentf(ctx, "q\n%f 0 0 %f 0 0 cm\nBI\n/W %d\n/H %d\n/BPC 1\n/IM true\nID ", s,
                           s, t->w, t->h);
        else
            _opdf_contentf(ctx, "q\n%f 0 0 %f %f %f cm\nBI\n/W %d\n/H %d\n/BPC 1\n/IM true\nID ", s,
                           s, (double)t->tx[k], (double)t->ty[k], t->w, t->h);
        _opdf_putContentBytes(ctx, t->rows, (size_t)(rowBytes * t->h));
        _opdf_putContent(ctx, "\nEI\nQ");
    }
    opdf_endPattern(ctx, h);
    return h;
}

static void polygon(PDFDocContext* ctx, const float* pts, int n)
{
    opdf_newpath(ctx);
    opdf_rawmoveto(ctx, pts[0], pts[1]);
    for (int i = 1; i < n; i++)
        opdf_rawlineto(ctx, pts[2 * i], pts[2 * i + 1]);
    opdf_rawlineto(ctx, pts[0], pts[1]);
    opdf_closepath(ctx);
    opdf_fillAndStroke(ctx);
}

static int pathPattern(PDFDocContext* ctx, int id)
{
    float cell = id == 9 ? 2.0f : id == 10 ? 4.0f : id >= 15 ? 1.0f : 9.65f;
    int h = opdf_beginPattern(ctx, 2, 1, cell, cell, cell, cell, "1 0 0 1 0 0");
    if (h < 0)
        return -1;
    if (id >= 11)
        opdf_setlinewidth(ctx, 0.0001f);
    static const float p11[2][8] = {{0, 8.3875f, 1.2625f, 9.65f, 3.5625f, 9.65f, 0, 6.0875f},
                                    {1.2625f, 0, 9.65f, 8.3875f, 9.65f, 6.0875f, 3.5625f, 0}};
    static const float p12[3][8] = {{0, 7.7875f, 3.725f, 9.65f, 5.925f, 9.65f, 0, 6.6875f},
                                    {0, 2.9625f, 9.65f, 7.7875f, 9.65f, 6.6875f, 0, 1.8625f},
                                    {3.725f, 0, 9.65f, 2.9625f, 9.65f, 1.8625f, 5.925f, 0}};
    static const float p13[2][8] = {{9.65f, 8.3875f, 8.3875f, 9.65f, 6.0875f, 9.65f, 9.65f, 6.0875f},
                                    {8.3875f, 0, 0, 8.3875f, 0, 6.0875f, 6.0875f, 0}};
    static const float p14[3][8] = {{9.65f, 7.7875f, 5.925f, 9.65f, 3.725f, 9.65f, 9.65f, 6.6875f},
                                    {9.65f, 2.9625f, 0, 7.7875f, 0, 6.6875f, 9.65f, 1.8625f},
                                    {5.925f, 0, 0, 2.9625f, 0, 1.8625f, 3.725f, 0}};
    switch (id) {
    case 9:
        opdf_rawrect(ctx, 0, 0, 2.0f / 3.0f, 2);
        opdf_fillAndStroke(ctx);
        break;
    case 10:
        opdf_rawrect(ctx, 0, 0, 4, 2);
        opdf_fillAndStroke(ctx);
        break;
    case 11: for (int i = 0; i < 2; i++) polygon(ctx, p11[i], 4); break;
    case 12: for (int i = 0; i < 3; i++) polygon(ctx, p12[i], 4); break;
    case 13: for (int i = 0; i < 2; i++) polygon(ctx, p13[i], 4); break;
    case 14: for (int i = 0; i < 3; i++) polygon(ctx, p14[i], 4); break;
    default:
        opdf_newpath(ctx);
        opdf_rawrect(ctx, 0, 0, 1, 1);
        opdf_closepath(ctx);
        if (id == 16)
            opdf_fillAndStroke(ctx);
        break;
    }
    opdf_endPattern(ctx, h);
    return h;
}

int opdf_drawPredefinedPattern(PDFDocContext* ctx, unsigned id)
{
    if (!ctx)
        return -1;
    if (id < 1 || id > 16) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Pattern %d is not predefined", (int)id);
        return -1;
    }
    return id <= 8 ? imagePattern(ctx, (int)id) : pathPattern(ctx, (int)id);
}

int opdf_setPredefinedPattern(PDFDocContext* ctx, int id, int kind, uint32_t packed)
{
    if (!ctx)
        return -1;
    if (id < 1 || id > 16) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Invalid predefined pattern id: %d", id);
        return -2;
    }
    float c[4];
    if (kind == 3) {
        c[0] = (float)(((packed >> 24) & 0xFF) / 255.0);
        c[1] = (float)(((packed >> 16) & 0xFF) / 255.0);
        c[2] = (float)(((packed >> 8) & 0xFF) / 255.0);
        c[3] = (float)((packed & 0xFF) / 255.0);
    } else {
        c[0] = (float)((packed & 0xFF) / 255.0);
        c[1] = (float)(((packed >> 8) & 0xFF) / 255.0);
        c[2] = (float)(((packed >> 16) & 0xFF) / 255.0);
        c[3] = 0;
    }
    int* slot = &ctx->predefinedPatterns[id - 1];
    if (*slot < 0) {
        int h = opdf_drawPredefinedPattern(ctx, (unsigned)id);
        if (h < 0)
            return 0;
        *slot = h;
    }
    opdf_setPattern(ctx, *slot, kind, c[0], c[1], c[2], c[3]);
    return 0;
}
