/* Time helpers: clock texts and the calendar arithmetic of time axes. */
#include "opdfInternal.h"

#include <time.h>

int64_t _opdf_now(void) { return (int64_t)time(NULL); }

void _opdf_setCreationTime(PDFDocContext* ctx)
{
    if (ctx && ctx->creationTime == 0)
        ctx->creationTime = _opdf_now();
}

void _opdf_formatUTCTime(void* ignored, int iso, char* buffer)
{
    (void)ignored;
    time_t now = time(NULL);
    struct tm t;
    gmtime_r(&now, &t);
    _opdf_format(buffer, 32,
                 iso ? "%04d-%02d-%02dT%02d:%02d:%02d" : "%04d%02d%02d%02d%02d%02d",
                 t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

void _opdf_formatLocalTime(int withSeparators, char* buffer)
{
    time_t now = time(NULL);
    struct tm t;
    localtime_r(&now, &t);
    _opdf_format(buffer, 32,
                 withSeparators ? "%04d-%02d-%02d %02d:%02d:%02d" : "%04d%02d%02d%02d%02d%02d",
                 t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

int _opdf_isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void _opdf_printTime(const PDFTimeRecord* r)
{
    if (!r)
        return;
    char line[64];
    _opdf_format(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d\n", r->year + 1900,
                 r->mon + 1, r->mday, r->hour, r->min, r->sec);
    fputs(line, stdout);
}

/* Normalised in UTC so that daylight-saving changes never move a record. */
void _opdf_normalizeTime(PDFTimeRecord* r)
{
    struct tm t = {0};
    t.tm_sec = r->sec;
    t.tm_min = r->min;
    t.tm_hour = r->hour;
    t.tm_mday = r->mday;
    t.tm_mon = r->mon;
    t.tm_year = r->year;
    time_t v = timegm(&t);
    struct tm n;
    if (!gmtime_r(&v, &n))
        return;
    r->sec = n.tm_sec;
    r->min = n.tm_min;
    r->hour = n.tm_hour;
    r->mday = n.tm_mday;
    r->mon = n.tm_mon;
    r->year = n.tm_year;
    r->wday = n.tm_wday;
    r->yday = n.tm_yday;
    r->isdst = 0;
}

static double dayValue(const PDFTimeRecord* r)
{
    return r->yday + r->hour / 24.0 + r->min / 1440.0 + r->sec / 86400.0;
}

double _opdf_daysBetween(const PDFTimeRecord* a, const PDFTimeRecord* b)
{
    double days = 0;
    for (int y = a->year; y < b->year; y++)
        days += _opdf_isLeapYear(y + 1900) ? 366 : 365;
    for (int y = b->year; y < a->year; y++)
        days -= _opdf_isLeapYear(y + 1900) ? 366 : 365;
    return days + dayValue(b) - dayValue(a);
}

static int monthLength(int mon, int year)
{
    static const int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mon == 1 && _opdf_isLeapYear(year + 1900))
        return 29;
    return len[((mon % 12) + 12) % 12];
}

/* Units: 0 seconds, 1 minutes, 2 hours, 3 days, 4 months, 5 years. */
double _opdf_timeAdd(PDFTimeRecord* t, int unit, int amount, const PDFTimeRecord* start)
{
    switch (unit) {
    case 0: t->sec += amount; break;
    case 1: t->min += amount; break;
    case 2: t->hour += amount; break;
    case 3:
        t->mday += amount;
        if (t->mday > monthLength(t->mon, t->year)) {
            t->mday = 1;
            t->mon++;
        } else if ((amount == 5 || amount == 10) && t->mday > 5 && (t->mday - 1) % amount == 0) {
            t->mday--; /* days run 1, 5, 10, 15, ... */
        }
        break;
    case 4: t->mon += amount; break;
    default: t->year += amount; break;
    }
    _opdf_normalizeTime(t);
    return _opdf_daysBetween(start, t);
}

static const struct {
    double limit;
    int minorUnit, majorUnit, minorAmount, majorAmount;
} kTimeSteps[16] = {{0.042, 1, 1, 1, 10}, {0.084, 1, 2, 10, 1}, {0.51, 1, 2, 30, 1},
                    {1.1, 2, 2, 1, 6},    {8, 2, 3, 6, 1},      {12.5, 2, 3, 12, 1},
                    {21.5, 2, 3, 12, 5},  {42, 3, 3, 1, 10},    {190, 3, 4, 10, 1},
                    {367, 4, 4, 1, 3},    {735, 4, 4, 1, 6},    {2193, 4, 5, 6, 1},
                    {7306, 5, 5, 1, 5},   {21916, 5, 5, 1, 10}, {54788, 5, 5, 5, 10},
                    {99999, 5, 5, 10, 100}};

int _opdf_timeStepRow(double span)
{
    for (int i = 0; i < 16; i++)
        if (kTimeSteps[i].limit >= span)
            return i;
    return 16;
}

void _opdf_timeStep(int row, int* minorUnit, int* majorUnit, int* minorAmount, int* majorAmount)
{
    if (row < 0 || row >= 16) {
        *minorUnit = *majorUnit = 5;
        *minorAmount = 10;
        *majorAmount = 100;
        return;
    }
    *minorUnit = kTimeSteps[row].minorUnit;
    *majorUnit = kTimeSteps[row].majorUnit;
    *minorAmount = kTimeSteps[row].minorAmount;
    *majorAmount = kTimeSteps[row].majorAmount;
}
