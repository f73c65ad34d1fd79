/* Plot domains: coordinate conversion, mesh lines, fills and clips. */
#include "opdfInternal.h"

#include <float.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#define LOOP_CAP 100000

static const char kNoDomain[] = "Plot domain has not been set. See opdf_setPlotDomain()";

static void initDomain(PDFPlotDomain* d, float x0, float y0, float width, float height)
{
    d->tag = OPDF_DOMAIN_TAG;
    d->x0 = x0;
    d->y0 = y0;
    d->width = width;
    d->height = height;
    strcpy(d->majorDash, "[2 3] 0");
    strcpy(d->minorDash, "[2 3] 0");
    d->majorWidth = 0.15f;
    d->minorWidth = 0.15f;
}

PDFPlotDomain* opdf_createPlotDomain(float x0, float y0, float width, float height, float xmin,
                                     float xmax, float ymin, float ymax, int xKind, int yKind,
                                     int extra)
{
    PDFPlotDomain* d = (PDFPlotDomain*)_opdf_checkAlloc(calloc(1, sizeof *d));
    if (!d)
        return NULL;
    initDomain(d, x0, y0, width, height);
    d->xmin = xmin;
    d->xmax = xmax;
    d->ymin = ymin;
    d->ymax = ymax;
    d->xKind = xKind;
    d->yKind = yKind;
    d->extra = extra;
    float lo, hi;
    if (xKind == 0)
        opdf_niceRange(xmin, xmax, &lo, &hi, &d->xFirstMajor, &d->xMajorStep, &d->xFirstMinor,
                       &d->xMinorStep);
    if (yKind == 0)
        opdf_niceRange(ymin, ymax, &lo, &hi, &d->yFirstMajor, &d->yMajorStep, &d->yFirstMinor,
                       &d->yMinorStep);
    return d;
}

PDFPlotDomain* opdf_createTimePlotDomain(float x0, float y0, float width, float height,
                                         const PDFTimeRecord* start, const PDFTimeRecord* end,
                                         float ymin, float ymax, int xKind, int yKind, int extra)
{
    if (!start || !end)
        return NULL;
    PDFPlotDomain* d = (PDFPlotDomain*)_opdf_checkAlloc(calloc(1, sizeof *d));
    if (!d)
        return NULL;
    initDomain(d, x0, y0, width, height);
    d->majorWidth = 0.16f;
    d->minorWidth = 0.1f;
    d->timeStart = *start;
    d->timeEnd = *end;
    _opdf_normalizeTime(&d->timeStart);
    _opdf_normalizeTime(&d->timeEnd);
    d->xmin = 0;
    d->xmax = (float)_opdf_daysBetween(&d->timeStart, &d->timeEnd);
    d->ymin = ymin;
    d->ymax = ymax;
    d->xKind = xKind;
    d->yKind = yKind;
    d->extra = extra;
    float lo, hi;
    if (yKind == 0)
        opdf_niceRange(ymin, ymax, &lo, &hi, &d->yFirstMajor, &d->yMajorStep, &d->yFirstMinor,
                       &d->yMinorStep);
    return d;
}

static double safeLog10(double v) { return v > 0 ? log10(v) : NAN; }

PDFPlotDomain* opdf_setPlotDomain(PDFDocContext* ctx, PDFPlotDomain* d)
{
    if (!ctx || !d)
        return NULL;
    PDFPlotDomain* old = ctx->domain;
    d->owner = ctx;
    ctx->domain = d;
    double xr = (double)d->xmax - d->xmin, yr = (double)d->ymax - d->ymin;
    ctx->xScale = xr != 0 ? d->width / xr : NAN;
    ctx->yScale = yr != 0 ? d->height / yr : NAN;
    ctx->logXMin = safeLog10(d->xmin);
    ctx->logXMax = safeLog10(d->xmax);
    ctx->logYMin = safeLog10(d->ymin);
    ctx->logYMax = safeLog10(d->ymax);
    return old;
}

/* A result that is no finite float (equal bounds, logarithm of a value <= 0)
   is reported and replaced by 0. */
static float finiteOr0(PDFDocContext* ctx, double v)
{
    if (isfinite(v) && fabs(v) <= FLT_MAX)
        return (float)v;
    _opdf_error(ctx, 2, OPDF_MODULE,
                "Plot domain conversion gives no finite value; check the domain's range");
    return 0;
}

static double toPage(double v, int kind, float origin, float extent, float min, double scale,
                     double logMin, double logMax)
{
    if (kind == 1) {
        if (v <= 0)
            return origin;
        return origin + (log10(v) - logMin) / (logMax - logMin) * extent;
    }
    return origin + (v - min) * scale;
}

static double toDomain(double p, int kind, float origin, float extent, float min, double scale,
                       double logMin, double logMax)
{
    if (kind == 1)
        return pow(10.0, (p - origin) / extent * (logMax - logMin) + logMin);
    return (p - origin) / scale + min;
}

/* The document's plot domain; its absence is reported at the given error
   level. */
static PDFPlotDomain* currentDomain(PDFDocContext* ctx, int level)
{
    if (!ctx)
        return NULL;
    if (!ctx->domain)
        _opdf_error(ctx, level, OPDF_MODULE, kNoDomain);
    return ctx->domain;
}

/* Converts v on one axis of the domain (0 x, 1 y), towards the page or
   towards the domain. */
static float convert(PDFDocContext* ctx, const PDFPlotDomain* d, int axis, int towardsPage, double v)
{
    const int kind = axis ? d->yKind : d->xKind;
    const float origin = axis ? d->y0 : d->x0;
    const float extent = axis ? d->height : d->width;
    const float min = axis ? d->ymin : d->xmin;
    const double scale = axis ? ctx->yScale : ctx->xScale;
    const double logMin = axis ? ctx->logYMin : ctx->logXMin;
    const double logMax = axis ? ctx->logYMax : ctx->logXMax;
    return finiteOr0(ctx, towardsPage ? toPage(v, kind, origin, extent, min, scale, logMin, logMax)
                                      : toDomain(v, kind, origin, extent, min, scale, logMin, logMax));
}

float opdf_domainToPageX(PDFDocContext* ctx, float x)
{
    PDFPlotDomain* d = currentDomain(ctx, 2);
    return d ? convert(ctx, d, 0, 1, x) : 0;
}

float opdf_domainToPageY(PDFDocContext* ctx, float y)
{
    PDFPlotDomain* d = currentDomain(ctx, 1);
    return d ? convert(ctx, d, 1, 1, y) : 0;
}

float opdf_pageToDomainX(PDFDocContext* ctx, float px)
{
    PDFPlotDomain* d = currentDomain(ctx, 1);
    return d ? convert(ctx, d, 0, 0, px) : 0;
}

float opdf_pageToDomainY(PDFDocContext* ctx, float py)
{
    PDFPlotDomain* d = currentDomain(ctx, 1);
    return d ? convert(ctx, d, 1, 0, py) : 0;
}

void opdf_setDomainTicks(PDFPlotDomain* d, int axis, float firstMajor, float majorStep,
                         float firstMinor, float minorStep)
{
    if (!d)
        return;
    if (axis == 0) {
        d->xFirstMajor = firstMajor;
        d->xMajorStep = majorStep;
        d->xFirstMinor = firstMinor;
        d->xMinorStep = minorStep;
    } else {
        d->yFirstMajor = firstMajor;
        d->yMajorStep = majorStep;
        d->yFirstMinor = firstMinor;
        d->yMinorStep = minorStep;
    }
}

void opdf_setMeshColors(PDFPlotDomain* d, float r, float g, float b, float r2, float g2, float b2)
{
    if (!d)
        return;
    d->majorColor[0] = r;
    d->majorColor[1] = g;
    d->majorColor[2] = b;
    d->minorColor[0] = r2;
    d->minorColor[1] = g2;
    d->minorColor[2] = b2;
}

static PDFDocContext* ownerOf(PDFPlotDomain* d)
{
    if (!d)
        return NULL;
    if (!d->owner)
        _opdf_globalError(1, OPDF_MODULE, kNoDomain);
    return d->owner;
}

static void domainRect(PDFDocContext* ctx, PDFPlotDomain* d)
{
    opdf_rawrect(ctx, d->x0, d->y0, d->width, d->height);
}

/* The colour is set before the rectangle: colour operators are not allowed inside a path. */
void opdf_fillPlotDomainGray(PDFPlotDomain* d, float gray)
{
    PDFDocContext* ctx = ownerOf(d);
    if (!ctx)
        return;
    opdf_gsave(ctx);
    opdf_setgrayFill(ctx, gray);
    domainRect(ctx, d);
    opdf_fill(ctx);
    opdf_grestore(ctx);
}

void opdf_fillPlotDomainRGB(PDFPlotDomain* d, float r, float g, float b)
{
    PDFDocContext* ctx = ownerOf(d);
    if (!ctx)
        return;
    opdf_gsave(ctx);
    opdf_setrgbcolorFill(ctx, r, g, b);
    domainRect(ctx, d);
    opdf_fill(ctx);
    opdf_grestore(ctx);
}

void opdf_clipToPlotDomain(PDFPlotDomain* d)
{
    PDFDocContext* ctx = ownerOf(d);
    if (!ctx)
        return;
    opdf_newpath(ctx);
    domainRect(ctx, d);
    opdf_clip(ctx);
    opdf_newpath(ctx);
}

/* ---- nice ranges -------------------------------------------------------------- */

static const float kNice[14][3] = {{10, 1, 5},   {12, 1, 4},   {15, 1, 5},   {16, 1, 4},
                                   {20, 1, 5},   {25, 1, 5},   {30, 2, 10},  {35, 5, 10},
                                   {40, 5, 10},  {50, 5, 10},  {60, 10, 20}, {80, 10, 20},
                                   {90, 10, 30}, {100, 10, 50}};

void opdf_niceRange(float a, float b, float* low, float* high, float* firstMajor,
                    float* majorStep, float* firstMinor, float* minorStep)
{
    double m = fmax(fabs((double)a), fabs((double)b));
    int e = 0;
    double mant = _opdf_frexp10(m, &e);
    if (m != 0) {
        mant *= 10;
        e -= 1;
    }
    double c = ceil(mant);
    int row = 0;
    for (int i = 0; i < 14; i++)
        if (kNice[i][0] >= c) {
            row = i;
            break;
        }
    double p = pow(10.0, e);
    double top = kNice[row][0] * p, minor = kNice[row][1] * p, major = kNice[row][2] * p;
    double lo, hi;
    int guard = 0;
    if (b > 0 && a >= 0) {
        hi = top;
        lo = top;
        while (lo > a && guard++ < 1000)
            lo -= major;
    } else if (b >= 0 && a < 0) {
        lo = 0;
        while (lo > a && guard++ < 1000)
            lo -= major;
        hi = 0;
        guard = 0;
        while (hi < b && guard++ < 1000)
            hi += major;
    } else {
        lo = -top;
        hi = lo;
        while (hi < b && guard++ < 1000)
            hi += major;
    }
    if (low)
        *low = (float)lo;
    if (high)
        *high = (float)hi;
    if (firstMajor)
        *firstMajor = (float)lo;
    if (majorStep)
        *majorStep = (float)major;
    if (firstMinor)
        *firstMinor = (float)lo;
    if (minorStep)
        *minorStep = (float)minor;
}

void opdf_niceRangeShort(float min, float max, float* low, float* high)
{
    opdf_niceRange(min, max, low, high, NULL, NULL, NULL, NULL);
}

/* ---- mesh ------------------------------------------------------------------------- */

/* Upper bound of a tick or line loop: a little beyond the maximum. */
static double loopEnd(double max) { return max + fabs(max) * 0.0001; }

static float meshX(PDFDocContext* ctx, PDFPlotDomain* d, double v)
{
    double lmin = safeLog10(d->xmin), lmax = safeLog10(d->xmax);
    double xr = (double)d->xmax - d->xmin;
    return finiteOr0(ctx, toPage(v, d->xKind == 1, d->x0, d->width, d->xmin,
                              xr != 0 ? d->width / xr : NAN, lmin, lmax));
}

static float meshY(PDFDocContext* ctx, PDFPlotDomain* d, double v)
{
    double lmin = safeLog10(d->ymin), lmax = safeLog10(d->ymax);
    double yr = (double)d->ymax - d->ymin;
    return finiteOr0(ctx, toPage(v, d->yKind == 1, d->y0, d->height, d->ymin,
                              yr != 0 ? d->height / yr : NAN, lmin, lmax));
}

static void meshStyle(PDFDocContext* ctx, PDFPlotDomain* d, int major)
{
    opdf_setlinewidth(ctx, major ? d->majorWidth : d->minorWidth);
    opdf_setdash(ctx, major ? d->majorDash : d->minorDash);
    const float* c = major ? d->majorColor : d->minorColor;
    opdf_setrgbColorStroke(ctx, c[0], c[1], c[2]);
}

static void meshLine(PDFDocContext* ctx, PDFPlotDomain* d, int vertical, double v)
{
    if (vertical) {
        float x = meshX(ctx, d, v);
        opdf_rawmoveto(ctx, x, d->y0);
        opdf_rawlineto(ctx, x, d->y0 + d->height);
    } else {
        float y = meshY(ctx, d, v);
        opdf_rawmoveto(ctx, d->x0, y);
        opdf_rawlineto(ctx, d->x0 + d->width, y);
    }
    opdf_stroke(ctx);
}

static void linearLines(PDFDocContext* ctx, PDFPlotDomain* d, int vertical, double first,
                        double step, double max, int major)
{
    if (!(step > 0) || !isfinite(first) || !isfinite(step))
        return;
    meshStyle(ctx, d, major);
    double end = loopEnd(max);
    for (long k = 0; k < LOOP_CAP; k++) {
        double v = first + k * step;
        if (v > end)
            break;
        meshLine(ctx, d, vertical, v);
    }
}

static void logLines(PDFDocContext* ctx, PDFPlotDomain* d, int vertical, double min, double max)
{
    if (!(min > 0) || !(max > 0)) {
        _opdf_error(ctx, 2, OPDF_MODULE, "Logarithmic axis needs a minimum above 0");
        return;
    }
    int e = 0;
    int i = (int)_opdf_frexp10(min, &e);
    double end = loopEnd(max);
    int style = -1;
    for (long k = 0; k < LOOP_CAP; k++) {
        double v = i * pow(10.0, e);
        if (v > end)
            break;
        int major = i == 1;
        if (major != style) {
            meshStyle(ctx, d, major);
            style = major;
        }
        meshLine(ctx, d, vertical, v);
        if (++i > 9) {
            i = 1;
            e++;
        }
    }
}

void _opdf_timeLines(PDFDocContext* ctx, PDFPlotDomain* d);

void opdf_drawMesh(PDFPlotDomain* d)
{
    PDFDocContext* ctx = ownerOf(d);
    if (!ctx)
        return;
    opdf_gsave(ctx);
    if (d->xKind == 1) {
        logLines(ctx, d, 1, d->xmin, d->xmax);
    } else if (d->xKind == 2) {
        _opdf_timeLines(ctx, d);
    } else {
        linearLines(ctx, d, 1, d->xFirstMinor, d->xMinorStep, d->xmax, 0);
        linearLines(ctx, d, 1, d->xFirstMajor, d->xMajorStep, d->xmax, 1);
    }
    if (d->yKind == 1) {
        logLines(ctx, d, 0, d->ymin, d->ymax);
    } else {
        linearLines(ctx, d, 0, d->yFirstMinor, d->yMinorStep, d->ymax, 0);
        linearLines(ctx, d, 0, d->yFirstMajor, d->yMajorStep, d->ymax, 1);
    }
    opdf_grestore(ctx);
}

/* Time mesh: minor lines at the minor amount of the minor unit, then major lines. */
void _opdf_timeLines(PDFDocContext* ctx, PDFPlotDomain* d)
{
    double span = _opdf_daysBetween(&d->timeStart, &d->timeEnd);
    int minorUnit, majorUnit, minorAmount, majorAmount;
    _opdf_timeStep(_opdf_timeStepRow(span), &minorUnit, &majorUnit, &minorAmount, &majorAmount);
    double end = loopEnd(d->xmax);
    for (int pass = 0; pass < 2; pass++) {
        int unit = pass ? majorUnit : minorUnit, amount = pass ? majorAmount : minorAmount;
        meshStyle(ctx, d, pass);
        PDFTimeRecord t = d->timeStart;
        double v = 0;
        for (long k = 0; k < LOOP_CAP && v <= end; k++) {
            meshLine(ctx, d, 1, v);
            double nv = _opdf_timeAdd(&t, unit, amount, &d->timeStart);
            if (!(nv > v))
                break;
            v = nv;
        }
    }
}
