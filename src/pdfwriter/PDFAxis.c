/* Axes drawn along a plot domain: axis line and ticks. */
#include "opdfInternal.h"

#include <float.h>
#include <locale.h>
#include <stdio.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#define LOOP_CAP 100000

static void setText(char** slot, const char* text)
{
    free(*slot);
    *slot = _opdf_strdup(text);
}

static PDFAxis* newAxis(float angle, float length, int kind)
{
    PDFAxis* a = (PDFAxis*)_opdf_checkAlloc(calloc(1, sizeof *a));
    if (!a)
        return NULL;
    a->tag = OPDF_AXIS_TAG;
    a->angle = angle;
    a->kind = kind;
    a->length = length;
    a->lineWidth = 1.0f;
    a->showMajor = a->showMinor = 1;
    a->majorLength = 10;
    a->minorLength = 5;
    a->majorWidth = 2.0f;
    a->minorWidth = 1.0f;
    int steep = angle > 60 && angle < 120;
    a->tickPlacement = steep ? 0 : 2;
    a->labelSide = steep ? 2 : 0;
    a->showLabels = 1;
    a->labelDistance = 7.0f;
    a->labelSize = 12;
    a->uprightLabels = 1;
    a->titleDistance = 7.0f;
    a->titleSize = 18.0f;
    a->logTickMask = 1022;
    a->logLabelMask = 2;
    a->lastMinute = a->lastHour = a->lastDay = a->lastMonth = a->lastYear = 99;
    setText(&a->labelFont, "Helvetica");
    setText(&a->labelEncoding, "MacRomanEncoding");
    return a;
}

PDFAxis* opdf_createAxis(float angle, float length, int kind, float min, float max)
{
    PDFAxis* a = newAxis(angle, length, kind);
    if (!a)
        return NULL;
    a->min = min;
    a->max = max;
    if (kind == 0) {
        float lo, hi;
        opdf_niceRange(min, max, &lo, &hi, &a->firstMajor, &a->majorStep, &a->firstMinor,
                       &a->minorStep);
    }
    setText(&a->labelFormat, "%g");
    return a;
}

PDFAxis* opdf_createTimeAxis(float angle, float length, int kind, const PDFTimeRecord* start,
                             const PDFTimeRecord* end)
{
    if (!start || !end)
        return NULL;
    PDFAxis* a = newAxis(angle, length, kind);
    if (!a)
        return NULL;
    a->timeStart = *start;
    a->timeEnd = *end;
    _opdf_normalizeTime(&a->timeStart);
    _opdf_normalizeTime(&a->timeEnd);
    a->min = 0;
    a->max = (float)_opdf_daysBetween(&a->timeStart, &a->timeEnd);
    a->monthNames = 1;
    a->twoDigitYears = 1;
    return a;
}

void opdf_attachAxis(PDFAxis* axis, PDFPlotDomain* domain, float dx, float dy)
{
    if (!axis)
        return;
    axis->domain = domain;
    axis->dx = dx;
    axis->dy = dy;
}

void opdf_freeAxis(PDFAxis* axis)
{
    if (!axis)
        return;
    free(axis->labelFormat);
    free(axis->labelFont);
    free(axis->labelEncoding);
    free(axis->titleFont);
    free(axis->titleEncoding);
    free(axis->title);
    free(axis);
}

void opdf_showAxisParts(PDFAxis* axis, int majorTicks, int minorTicks, int labels)
{
    if (!axis)
        return;
    axis->showMajor = majorTicks;
    axis->showMinor = minorTicks;
    axis->showLabels = labels;
}

void opdf_setAxisPlacement(PDFAxis* axis, int tickPlacement, int labelSide, int uprightLabels,
                           int uprightTitle)
{
    if (!axis)
        return;
    axis->tickPlacement = tickPlacement;
    axis->labelSide = labelSide;
    axis->uprightLabels = uprightLabels;
    axis->uprightTitle = uprightTitle;
}

void opdf_setAxisTickSizes(PDFAxis* axis, float lineWidth, float majorLength, float minorLength,
                           float majorWidth, float minorWidth)
{
    if (!axis)
        return;
    axis->lineWidth = lineWidth;
    axis->majorLength = majorLength;
    axis->minorLength = minorLength;
    axis->majorWidth = majorWidth;
    axis->minorWidth = minorWidth;
}

void opdf_setAxisSteps(PDFAxis* axis, float firstMajor, float majorStep, float firstMinor,
                       float minorStep)
{
    if (!axis)
        return;
    axis->firstMajor = firstMajor;
    axis->majorStep = majorStep;
    axis->firstMinor = firstMinor;
    axis->minorStep = minorStep;
}

void opdf_setLogTickMask(PDFAxis* axis, int mask)
{
    if (axis)
        axis->logTickMask = mask;
}

void opdf_setLogLabelMask(PDFAxis* axis, int mask)
{
    if (axis)
        axis->logLabelMask = mask;
}

void opdf_setAxisLabelFont(PDFAxis* axis, const char* format, const char* font, float size,
                           const char* encoding)
{
    if (!axis)
        return;
    setText(&axis->labelFormat, format);
    setText(&axis->labelFont, font);
    setText(&axis->labelEncoding, encoding ? encoding : "MacRomanEncoding");
    axis->labelSize = size;
}

void opdf_setAxisLabels(PDFAxis* axis, const char* format, const char* font, float size)
{
    opdf_setAxisLabelFont(axis, format, font, size, NULL);
}

void opdf_setTimeAxisLabelFont(PDFAxis* axis, int monthNames, int twoDigitYears,
                               const char* font, float size, const char* encoding)
{
    if (!axis)
        return;
    axis->monthNames = monthNames;
    axis->twoDigitYears = twoDigitYears;
    setText(&axis->labelFont, font);
    setText(&axis->labelEncoding, encoding ? encoding : "MacRomanEncoding");
    axis->labelSize = size;
}

void opdf_setTimeAxisLabels(PDFAxis* axis, int monthNames, int twoDigitYears, const char* font,
                            float size)
{
    opdf_setTimeAxisLabelFont(axis, monthNames, twoDigitYears, font, size, NULL);
}

void opdf_setAxisTitle(PDFAxis* axis, const char* title, const char* font, const char* encoding,
                       float size)
{
    if (!axis)
        return;
    setText(&axis->title, title);
    setText(&axis->titleFont, font);
    setText(&axis->titleEncoding, encoding ? encoding : "MacRomanEncoding");
    axis->titleSize = size;
}

/* ---- drawing ------------------------------------------------------------------ */

static float axisPos(PDFDocContext* ctx, PDFAxis* a, double v)
{
    double p;
    if (a->kind == 1)
        p = v > 0 ? (log10(v) - ctx->axisLogMin) / (ctx->axisLogMax - ctx->axisLogMin) * a->length
                  : 0;
    else
        p = (v - a->min) * ctx->axisScale;
    if (isfinite(p) && fabs(p) <= FLT_MAX)
        return (float)p;
    _opdf_error(ctx, 2, OPDF_MODULE, "Axis position gives no finite value; check the axis range");
    return 0;
}

static void tickPath(PDFDocContext* ctx, PDFAxis* a, float s, float len)
{
    switch (a->tickPlacement) {
    case 0:
        opdf_rawmoveto(ctx, s, -len);
        opdf_rawlineto(ctx, s, 0);
        break;
    case 1:
        opdf_rawmoveto(ctx, s, -len / 2);
        opdf_rawlineto(ctx, s, len / 2);
        break;
    default:
        opdf_rawmoveto(ctx, s, 0);
        opdf_rawlineto(ctx, s, len);
        break;
    }
}

static double loopEnd(double max) { return max + fabs(max) * 0.0001; }

static void linearTicks(PDFDocContext* ctx, PDFAxis* a, double first, double step, float len,
                        float width)
{
    if (!(step > 0) || !isfinite(first) || !isfinite(step))
        return;
    opdf_setlinewidth(ctx, width);
    double end = loopEnd(a->max);
    int any = 0;
    for (long k = 0; k < LOOP_CAP; k++) {
        double v = first + k * step;
        if (v > end)
            break;
        tickPath(ctx, a, axisPos(ctx, a, v), len);
        any = 1;
    }
    if (any)
        opdf_stroke(ctx);
}

static void logTicks(PDFDocContext* ctx, PDFAxis* a)
{
    if (!(a->min > 0) || !(a->max > 0)) {
        _opdf_error(ctx, 2, OPDF_MODULE, "Logarithmic axis needs a minimum above 0");
        return;
    }
    int e = 0;
    int i = (int)_opdf_frexp10(a->min, &e);
    double end = loopEnd(a->max);
    for (long k = 0; k < LOOP_CAP; k++) {
        double v = i * pow(10.0, e);
        if (v > end)
            break;
        int major = i == 1;
        if ((a->logTickMask >> i) & 1 && (major ? a->showMajor : a->showMinor)) {
            opdf_setlinewidth(ctx, major ? a->majorWidth : a->minorWidth);
            tickPath(ctx, a, axisPos(ctx, a, v), major ? a->majorLength : a->minorLength);
            opdf_stroke(ctx);
        }
        if (++i > 9) {
            i = 1;
            e++;
        }
    }
}

static void timeTicks(PDFDocContext* ctx, PDFAxis* a)
{
    double span = _opdf_daysBetween(&a->timeStart, &a->timeEnd);
    int units[2], amounts[2];
    _opdf_timeStep(_opdf_timeStepRow(span), &units[0], &units[1], &amounts[0], &amounts[1]);
    double end = loopEnd(a->max);
    for (int pass = 0; pass < 2; pass++) {
        if (!(pass ? a->showMajor : a->showMinor))
            continue;
        opdf_setlinewidth(ctx, pass ? a->majorWidth : a->minorWidth);
        PDFTimeRecord t = a->timeStart;
        double v = 0;
        int any = 0;
        for (long k = 0; k < LOOP_CAP && v <= end; k++) {
            tickPath(ctx, a, axisPos(ctx, a, v), pass ? a->majorLength : a->minorLength);
            any = 1;
            double nv = _opdf_timeAdd(&t, units[pass], amounts[pass], &a->timeStart);
            if (!(nv > v))
                break;
            v = nv;
        }
        if (any)
            opdf_stroke(ctx);
    }
}

/* ---- labels and title ---------------------------------------------------------- */

/* A caller's label format must hold exactly one floating-point conversion. */
static int validNumberFormat(const char* f)
{
    int conversions = 0;
    for (const char* p = f; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            p++;
            continue;
        }
        p++;
        p += strspn(p, "-+ #0");
        p += strspn(p, "0123456789");
        if (*p == '.') {
            p++;
            p += strspn(p, "0123456789");
        }
        if (!*p || !strchr("eEfFgG", *p))
            return 0;
        conversions++;
    }
    return conversions == 1;
}

/* Formats a number with the label format, always with a decimal point. */
static void formatNumber(char* out, size_t size, const char* format, double v)
{
    const char* f = format && validNumberFormat(format) ? format : "%g";
    snprintf(out, size, f, v);
    const char* dp = localeconv()->decimal_point;
    if (dp && dp[0] && strcmp(dp, ".") != 0 && dp[1] == 0)
        for (char* p = out; *p; p++)
            if (*p == dp[0])
                *p = '.';
}

static void stripZeros(char* t)
{
    if (!strchr(t, '.') || strchr(t, 'e') || strchr(t, 'E'))
        return;
    size_t n = strlen(t);
    while (n > 0 && t[n - 1] == '0')
        t[--n] = 0;
    if (n > 0 && t[n - 1] == '.')
        t[--n] = 0;
}

typedef struct LabelPlace {
    float lower, upper; /* extents of a major tick */
    float keptBaseline;
    int any;
} LabelPlace;

static void tickExtents(const PDFAxis* a, float* lower, float* upper)
{
    float L = a->majorLength;
    if (a->tickPlacement == 0) {
        *lower = -L;
        *upper = 0;
    } else if (a->tickPlacement == 1) {
        *lower = -L / 2;
        *upper = L / 2;
    } else {
        *lower = 0;
        *upper = L;
    }
}

static void drawLabel(PDFDocContext* ctx, PDFAxis* a, LabelPlace* pl, float s, const char* text,
                      int timeLabel)
{
    int n = (int)strlen(text);
    if (n == 0)
        return;
    float size = a->labelSize;
    float w = opdf_stringWidth(ctx, (const unsigned char*)text, n);
    double r = _opdf_radians(a->angle);
    float sn = (float)sin(r), cs = (float)cos(r);
    float base;
    if (a->labelSide == 0)
        base = pl->lower - a->labelDistance - 0.6f * size;
    else
        base = pl->upper + a->labelDistance + (a->uprightLabels ? w : 0);
    float x;
    if (a->uprightLabels) {
        x = timeLabel ? s - (sn * 0.3f * size + 0.25f * size) : s - (sn * 0.3f * size + cs * w / 2);
        opdf_rawShowTextAt(ctx, x, base, -a->angle, (const unsigned char*)text, n);
        pl->keptBaseline = a->labelSide == 0 ? base - 2.5f : base + 4;
    } else {
        x = timeLabel ? s - 0.25f * size : s - w / 2;
        opdf_rawShowTextAt(ctx, x, base, 0, (const unsigned char*)text, n);
        pl->keptBaseline = a->labelSide == 0 ? base : base + size;
    }
    pl->any = 1;
}

static void timeLabelText(PDFDocContext* ctx, PDFAxis* a, int unit, const PDFTimeRecord* t,
                          char* out, size_t size)
{
    int year = t->year + 1900;
    char y[16];
    _opdf_format(y, sizeof y, a->twoDigitYears ? "%02d" : "%d", a->twoDigitYears ? year % 100 : year);
    const char* month = a->monthNames && t->mon >= 0 && t->mon < 12 ? ctx->monthNames[t->mon] : NULL;
    out[0] = 0;
    switch (unit) {
    case 0:
        if (t->min != a->lastMinute)
            _opdf_format(out, size, "%d:%d", t->min, t->sec);
        else
            _opdf_format(out, size, "%d", t->sec);
        break;
    case 1:
        if (t->hour != a->lastHour)
            _opdf_format(out, size, "%d:%d", t->hour, t->min);
        else
            _opdf_format(out, size, "%d", t->min);
        break;
    case 2:
        if (t->mday != a->lastDay)
            _opdf_format(out, size, "%d [%d]", t->hour, t->mday);
        else
            _opdf_format(out, size, "%d", t->hour);
        break;
    case 3:
        if (t->mon != a->lastMonth) {
            if (month)
                _opdf_format(out, size, "%s %d", month, t->mday);
            else
                _opdf_format(out, size, "%d/%d", t->mon + 1, t->mday);
        } else if (t->mday <= 29) {
            _opdf_format(out, size, "%d", t->mday);
        }
        break;
    case 4:
        if (t->year != a->lastYear) {
            if (month)
                _opdf_format(out, size, "%s %s", month, y);
            else
                _opdf_format(out, size, "%d/%s", t->mon + 1, y);
        } else if (month) {
            _opdf_format(out, size, "%s", month);
        } else {
            _opdf_format(out, size, "%d", t->mon + 1);
        }
        break;
    default:
        _opdf_format(out, size, "%s", y);
        break;
    }
    a->lastMinute = t->min;
    a->lastHour = t->hour;
    a->lastDay = t->mday;
    a->lastMonth = t->mon;
    a->lastYear = t->year;
}

static void drawLabels(PDFDocContext* ctx, PDFAxis* a, LabelPlace* pl)
{
    char text[128];
    opdf_beginText(ctx);
    opdf_setFont(ctx, a->labelFont ? a->labelFont : "Helvetica", a->labelEncoding, a->labelSize, 0,
                 0, 0, NULL, NULL);
    double end = loopEnd(a->max);
    if (a->kind == 1) {
        if (a->min > 0 && a->max > 0) {
            int e = 0;
            int i = (int)_opdf_frexp10(a->min, &e);
            for (long k = 0; k < LOOP_CAP; k++) {
                double v = i * pow(10.0, e);
                if (v > end)
                    break;
                if ((a->logLabelMask >> i) & 1) {
                    formatNumber(text, sizeof text, "%f", v);
                    stripZeros(text);
                    drawLabel(ctx, a, pl, axisPos(ctx, a, v), text, 0);
                }
                if (++i > 9) {
                    i = 1;
                    e++;
                }
            }
        }
    } else if (a->kind == 2) {
        double span = _opdf_daysBetween(&a->timeStart, &a->timeEnd);
        int mu, Mu, ma, Ma;
        _opdf_timeStep(_opdf_timeStepRow(span), &mu, &Mu, &ma, &Ma);
        PDFTimeRecord t = a->timeStart;
        double v = 0;
        a->lastMinute = a->lastHour = a->lastDay = a->lastMonth = a->lastYear = 99;
        for (long k = 0; k < LOOP_CAP && v <= end; k++) {
            timeLabelText(ctx, a, Mu, &t, text, sizeof text);
            if (text[0])
                drawLabel(ctx, a, pl, axisPos(ctx, a, v), text, 1);
            double nv = _opdf_timeAdd(&t, Mu, Ma, &a->timeStart);
            if (!(nv > v))
                break;
            v = nv;
        }
    } else if (a->majorStep > 0 && isfinite(a->firstMajor) && isfinite(a->majorStep)) {
        for (long k = 0; k < LOOP_CAP; k++) {
            double v = a->firstMajor + k * (double)a->majorStep;
            if (v > end)
                break;
            if (fabs(v) < fabs(a->majorStep) * 1e-6)
                v = 0;
            formatNumber(text, sizeof text, a->labelFormat, v);
            drawLabel(ctx, a, pl, axisPos(ctx, a, v), text, 0);
        }
    }
    opdf_endText(ctx);
}

static void drawTitle(PDFDocContext* ctx, PDFAxis* a, LabelPlace* pl)
{
    int n = (int)strlen(a->title);
    if (n == 0)
        return;
    opdf_beginText(ctx);
    opdf_setFont(ctx, a->titleFont ? a->titleFont : "Helvetica", a->titleEncoding, a->titleSize, 0,
                 0, 0, NULL, NULL);
    float w = opdf_stringWidth(ctx, (const unsigned char*)a->title, n);
    double mid = a->kind == 1 ? sqrt((double)a->min * a->max) : ((double)a->min + a->max) / 2;
    float pos = axisPos(ctx, a, mid);
    float kept = pl->any ? pl->keptBaseline : (a->labelSide == 0 ? pl->lower : pl->upper);
    float base = a->labelSide == 0 ? kept - a->titleDistance - 0.6f * a->titleSize
                                   : kept + a->titleDistance + (a->uprightTitle ? w : 0);
    if (a->uprightTitle) {
        double r = _opdf_radians(a->angle);
        float x = pos - ((float)sin(r) * 0.3f * a->titleSize + (float)cos(r) * w / 2);
        opdf_rawShowTextAt(ctx, x, base, -a->angle, (const unsigned char*)a->title, n);
    } else {
        opdf_rawShowTextAt(ctx, pos - w / 2, base, 0, (const unsigned char*)a->title, n);
    }
    opdf_endText(ctx);
}

void opdf_drawAxis(PDFAxis* a)
{
    if (!a)
        return;
    if (!a->domain) {
        _opdf_globalError(1, OPDF_MODULE, "Axis is not attached to a plot domain");
        return;
    }
    PDFDocContext* ctx = a->domain->owner;
    if (!ctx) {
        _opdf_globalError(1, OPDF_MODULE, "Plot domain has not been set. See opdf_setPlotDomain()");
        return;
    }
    ctx->currentAxis = a;
    _opdf_putContent(ctx, "\n% Axis starts here \n");
    opdf_gsave(ctx);
    double r = _opdf_radians(a->angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_rawconcat(ctx, c, s, -s, c, a->domain->x0 + a->dx, a->domain->y0 + a->dy);
    double range = (double)a->max - a->min;
    ctx->axisScale = range != 0 ? a->length / range : NAN;
    ctx->axisLogMin = a->min > 0 ? log10(a->min) : NAN;
    ctx->axisLogMax = a->max > 0 ? log10(a->max) : NAN;

    opdf_setlinewidth(ctx, a->lineWidth);
    opdf_rawmoveto(ctx, -a->majorWidth / 2, 0);
    opdf_rawlineto(ctx, a->length + a->majorWidth / 2, 0);
    opdf_stroke(ctx);

    if (a->kind == 1) {
        logTicks(ctx, a);
    } else if (a->kind == 2) {
        timeTicks(ctx, a);
    } else {
        if (a->showMinor)
            linearTicks(ctx, a, a->firstMinor, a->minorStep, a->minorLength, a->minorWidth);
        if (a->showMajor)
            linearTicks(ctx, a, a->firstMajor, a->majorStep, a->majorLength, a->majorWidth);
    }
    LabelPlace pl;
    memset(&pl, 0, sizeof pl);
    tickExtents(a, &pl.lower, &pl.upper);
    if (a->showLabels)
        drawLabels(ctx, a, &pl);
    if (a->title)
        drawTitle(ctx, a, &pl);
    opdf_grestore(ctx);
}
