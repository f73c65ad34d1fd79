/* Blend modes (ExtGStates), pattern colour spaces and Separation colour spaces. */
#include "opdfFonts.h"

#include <stdlib.h>
#include <string.h>

static const char* const kBlendModes[16] = {
    "Normal",    "Multiply",  "Screen",     "Overlay",    "Darken", "Lighten",
    "ColorDodge", "ColorBurn", "HardLight", "SoftLight", "Difference", "Exclusion",
    "Hue",       "Saturation", "Color",     "Luminosity"};

static const char* const kColorants[4] = {"Cyan", "Magenta", "Yellow", "Black"};

static const char* const kCalculators[4] = {
    "{ 0 0 add 0 0 add 0 0 add }", "{ 0 0 add exch 0 0 add 0 0 add }",
    "{ 0 0 add exch 0 0 add exch 0 0 add }", "{ 0 0 add exch 0 0 add exch 0 0 add exch }"};

static const char* const kRanges[4] = {
    "0.0 1.0 0.0 0.0 0.0 0.0 0.0 0.0", "0.0 0.0 0.0 1.0 0.0 0.0 0.0 0.0",
    "0.0 0.0 0.0 0.0 0.0 1.0 0.0 0.0", "0.0 0.0 0.0 0.0 0.0 0.0 0.0 1.0"};

int _opdf_allocColorTables(PDFDocContext* ctx)
{
    ctx->extGStates = (PDFExtGStateEntry*)_opdf_checkAlloc(
        calloc(OPDF_MAX_EXTGSTATES, sizeof(PDFExtGStateEntry)));
    ctx->separations = (PDFSeparationEntry*)_opdf_checkAlloc(
        calloc(OPDF_MAX_SEPARATIONS, sizeof(PDFSeparationEntry)));
    ctx->patternColorSpaces = (PDFPatternColorSpace*)_opdf_checkAlloc(
        calloc(OPDF_MAX_PATTERN_CS, sizeof(PDFPatternColorSpace)));
    ctx->patterns = (PDFPatternEntry*)_opdf_checkAlloc(
        calloc((size_t)ctx->maxPatterns, sizeof(PDFPatternEntry)));
    return ctx->extGStates && ctx->separations && ctx->patternColorSpaces && ctx->patterns ? 0
                                                                                           : -1;
}

void _opdf_freeColorTables(PDFDocContext* ctx)
{
    _opdf_freePatterns(ctx);
    free(ctx->extGStates);
    free(ctx->separations);
    free(ctx->patternColorSpaces);
    free(ctx->patterns);
    ctx->extGStates = NULL;
    ctx->separations = NULL;
    ctx->patternColorSpaces = NULL;
    ctx->patterns = NULL;
}

/* ---- blend modes -------------------------------------------------------------------- */

int _opdf_findExtGState(PDFDocContext* ctx, int mode)
{
    for (int i = 0; i < ctx->extGStateCount; i++)
        if (ctx->extGStates[i].blendMode == mode)
            return i;
    return -1;
}

void opdf_setBlendMode(PDFDocContext* ctx, unsigned mode)
{
    if (!ctx || !ctx->extGStates)
        return;
    if (mode > 15) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Invalid BlendMode: %d.", (int)mode);
        return;
    }
    int i = _opdf_findExtGState(ctx, (int)mode);
    if (i < 0) {
        if (ctx->extGStateCount >= OPDF_MAX_EXTGSTATES) {
            _opdf_error(ctx, 1, OPDF_MODULE, "Too many Blend Modes in this PDF.Maximum is %d",
                        OPDF_MAX_EXTGSTATES);
            return;
        }
        i = ctx->extGStateCount++;
        ctx->extGStates[i].blendMode = (int)mode;
        _opdf_format(ctx->extGStates[i].name, sizeof ctx->extGStates[i].name, "GS%d", i);
    }
    _opdf_addPageResource(ctx, OPDF_RES_EXTGSTATES, i);
    opdf_setPDFLevel(ctx, 1, 4);
    _opdf_contentf(ctx, "/%s gs\n", ctx->extGStates[i].name);
}

/* ---- pattern colour spaces and selection --------------------------------------------- */

int _opdf_findPatternColorSpace(PDFDocContext* ctx, int kind)
{
    for (int i = 0; i < ctx->patternColorSpaceCount; i++)
        if (ctx->patternColorSpaces[i].kind == kind)
            return i;
    return -1;
}

static int addPatternColorSpace(PDFDocContext* ctx, int kind)
{
    if (kind < 1 || kind > 3) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Invalid color space passed: %d", kind);
        return -1;
    }
    if (ctx->patternColorSpaceCount >= OPDF_MAX_PATTERN_CS) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Too many Colorspaces in this PDF: %d",
                    ctx->patternColorSpaceCount);
        return -1;
    }
    int i = ctx->patternColorSpaceCount++;
    ctx->patternColorSpaces[i].kind = kind;
    _opdf_format(ctx->patternColorSpaces[i].name, sizeof ctx->patternColorSpaces[i].name, "Cs%d", i);
    return i;
}

void opdf_setPattern(PDFDocContext* ctx, int handle, int kind, float c1, float c2, float c3,
                     float c4)
{
    if (!ctx || !ctx->patterns)
        return;
    if (handle < 0 || handle >= ctx->patternCount) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Pattern Hanlde not found: %d", handle);
        return;
    }
    int cs = _opdf_findPatternColorSpace(ctx, kind);
    if (cs < 0)
        cs = addPatternColorSpace(ctx, kind);
    if (cs < 0)
        return;
    _opdf_addPageResource(ctx, OPDF_RES_COLORSPACES, cs);
    _opdf_addPageResource(ctx, OPDF_RES_PATTERNS, handle);
    const char* name = ctx->patterns[handle].name;
    _opdf_contentf(ctx, "/%s cs\n", ctx->patternColorSpaces[cs].name);
    if (kind == 1)
        _opdf_contentf(ctx, "%.4f /%s scn\n", (double)c1, name);
    else if (kind == 2)
        _opdf_contentf(ctx, "%.4f %.4f %.4f /%s scn\n", (double)c1, (double)c2, (double)c3, name);
    else
        _opdf_contentf(ctx, "%.4f %.4f %.4f %.4f /%s scn\n", (double)c1, (double)c2, (double)c3,
                       (double)c4, name);
    ctx->currentPatternColorSpace = cs;
    ctx->currentPattern = handle;
}

/* ---- Separation colour spaces ------------------------------------------------------------ */

int _opdf_findSeparationCS(PDFDocContext* ctx, int plane, int altKind)
{
    for (int i = 0; i < ctx->separationCount; i++)
        if (ctx->separations[i].plane == plane && ctx->separations[i].altKind == altKind)
            return i;
    return -1;
}

void _opdf_checkAndCreateSeparationCS(PDFDocContext* ctx, unsigned plane, int altKind)
{
    if (!ctx || !ctx->separations)
        return;
    if (plane > 3) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Color Plane passed to _opdf_checkAndCreateSeparationCS() is invalid");
        return;
    }
    if (altKind != 3) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Color space value passed to _opdf_checkAndCreateSeparationCS() is invalid. Value is %d",
                    altKind);
        return;
    }
    if (_opdf_findSeparationCS(ctx, (int)plane, 3) >= 0)
        return;
    if (ctx->separationCount >= OPDF_MAX_SEPARATIONS) {
        _opdf_error(ctx, 1, OPDF_MODULE,
                    "Too many Separation color spaces in this PDF.Maximum is %d",
                    OPDF_MAX_SEPARATIONS);
        return;
    }
    PDFSeparationEntry* s = &ctx->separations[ctx->separationCount++];
    s->plane = (int)plane;
    s->altKind = 3;
}

/* ---- numbering and writing ---------------------------------------------------------------- */

int _opdf_numberColorObjects(PDFDocContext* ctx, int next)
{
    for (int i = 0; i < ctx->extGStateCount; i++)
        ctx->extGStates[i].objectNumber = next++;
    for (int i = 0; i < ctx->separationCount; i++) {
        PDFSeparationEntry* s = &ctx->separations[i];
        if (s->altKind == 1)
            continue;
        s->functionNumber = next++;
        s->objectNumber = next++;
    }
    return next;
}

static void _opdf_WriteExtGState(PDFDocContext* ctx, PDFExtGStateEntry* g)
{
    _opdf_beginObject(ctx, g->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /ExtGState ");
    _opdf_putf(ctx, "/BM /%s \n", kBlendModes[g->blendMode & 15]);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static int _opdf_WriteAltFunction(PDFDocContext* ctx, PDFSeparationEntry* s)
{
    if (s->plane < 0 || s->plane > 3) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Color Plane is invalid in _opdf_WriteAltFunction() ");
        return -1;
    }
    unsigned char body[512];
    size_t n = strlen(kCalculators[s->plane]);
    memcpy(body, kCalculators[s->plane], n);
    _opdf_beginObject(ctx, s->functionNumber);
    _opdf_putText(ctx, "<<\n");
    _opdf_putf(ctx, "/FunctionType 4 /Domain [0.0 1.0] /Range [%s] /Length %d", kRanges[s->plane],
               (int)n);
    _opdf_putText(ctx, ">>");
    _opdf_putStream(ctx, body, n, s->functionNumber, 0);
    _opdf_putText(ctx, "\n");
    _opdf_endObject(ctx);
    return 0;
}

static void _opdf_WriteSeparation(PDFDocContext* ctx, PDFSeparationEntry* s)
{
    if (_opdf_WriteAltFunction(ctx, s) < 0)
        return;
    const char* alt = s->altKind == 1 ? "DeviceGray" : s->altKind == 3 ? "DeviceCMYK" : "DeviceRGB";
    _opdf_beginObject(ctx, s->objectNumber);
    _opdf_putf(ctx, "[/Separation /%s /%s %d 0 R] \n", kColorants[s->plane], alt, s->functionNumber);
    _opdf_putText(ctx, "\n");
    _opdf_endObject(ctx);
}

void _opdf_writeColorObjects(PDFDocContext* ctx)
{
    for (int i = 0; i < ctx->extGStateCount; i++)
        _opdf_WriteExtGState(ctx, &ctx->extGStates[i]);
    for (int i = 0; i < ctx->separationCount; i++)
        if (ctx->separations[i].altKind != 1)
            _opdf_WriteSeparation(ctx, &ctx->separations[i]);
}

static void _opdf_WritePatternColorSpace(PDFDocContext* ctx, PDFPatternColorSpace* cs)
{
    _opdf_beginObject(ctx, cs->objectNumber);
    if (cs->kind == 1)
        _opdf_putText(ctx, "[/Pattern /DeviceGray]\n");
    else if (cs->kind == 2)
        _opdf_putText(ctx, "[/Pattern /DeviceRGB]\n");
    else if (cs->kind == 3)
        _opdf_putText(ctx, "[/Pattern /DeviceCMYK]\n");
    _opdf_endObject(ctx);
}

static void _opdf_WritePattern(PDFDocContext* ctx, PDFPatternEntry* p)
{
    unsigned char* bytes = p->stream ? p->stream->buffer : NULL;
    int n = p->stream ? p->stream->length : 0;
    /* an empty cell is written with an empty stream so that its number stays valid */
    _opdf_beginObject(ctx, p->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /Pattern\n");
    _opdf_putf(ctx, "/PatternType %d\n/PaintType %d\n/TilingType %d\n", p->patternType,
               p->paintType, p->tilingType);
    _opdf_putf(ctx, "/BBox [0 0 %f %f]\n", (double)p->bboxWidth, (double)p->bboxHeight);
    _opdf_putf(ctx, "/XStep %f\n/YStep %f\n", (double)p->xStep, (double)p->yStep);
    _opdf_putText(ctx, "/Resources << /ProcSet [/PDF] >>\n");
    _opdf_putf(ctx, "/Matrix [%s]\n/Length %d\n>>", p->matrix, n);
    _opdf_putStream(ctx, bytes, (size_t)n, p->objectNumber, 0);
    _opdf_endObject(ctx);
}

int _opdf_numberPatterns(PDFDocContext* ctx, int next)
{
    for (int i = 0; i < ctx->patternColorSpaceCount; i++)
        ctx->patternColorSpaces[i].objectNumber = next++;
    for (int i = 0; i < ctx->patternCount; i++)
        ctx->patterns[i].objectNumber = next++;
    return next;
}

void _opdf_writePatterns(PDFDocContext* ctx)
{
    for (int i = 0; i < ctx->patternColorSpaceCount; i++)
        _opdf_WritePatternColorSpace(ctx, &ctx->patternColorSpaces[i]);
    for (int i = 0; i < ctx->patternCount; i++)
        _opdf_WritePattern(ctx, &ctx->patterns[i]);
}
