/* Number formatting that never depends on the process locale. */
#include "opdfInternal.h"

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

typedef struct FmtOut {
    char* out;
    size_t size;
    size_t len;
} FmtOut;

static void emit(FmtOut* o, const char* s, size_t n)
{
    if (o->len + 1 < o->size) {
        size_t room = o->size - 1 - o->len;
        memcpy(o->out + o->len, s, n < room ? n : room);
    }
    o->len += n;
}

static void emitPad(FmtOut* o, char c, int n)
{
    char pad[32];
    memset(pad, c, sizeof pad);
    while (n > 0) {
        int k = n < (int)sizeof pad ? n : (int)sizeof pad;
        emit(o, pad, (size_t)k);
        n -= k;
    }
}

/* Unsigned decimal digits, written backwards from end; returns the start. */
static char* udigits(char* end, unsigned long long v, int base, int upper)
{
    const char* d = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        *--end = d[v % (unsigned)base];
        v /= (unsigned)base;
    } while (v);
    return end;
}

/* Text of a value too large for 53-bit integer arithmetic: the C library's
   digits with the locale's radix character replaced by a point. */
static int largeFixedText(char* buf, double a, int prec)
{
    char text[OPDF_FIXED_MAX];
    int n = snprintf(text, sizeof text, "%.*f", prec, a);
    if (n < 0 || n >= (int)sizeof text)
        n = (int)sizeof text - 1;
    int k = 0, point = 0;
    for (int i = 0; i < n; i++) {
        if (text[i] >= '0' && text[i] <= '9')
            buf[k++] = text[i];
        else if (!point && prec > 0)
            buf[k++] = '.', point = 1;
    }
    return k;
}

/* q / 10^prec, with a constant divisor per case so no division is done. */
static uint64_t wholeUnits(uint64_t q, int prec)
{
    switch (prec) {
    case 1: return q / 10;
    case 2: return q / 100;
    case 3: return q / 1000;
    case 4: return q / 10000;
    case 5: return q / 100000;
    case 6: return q / 1000000;
    case 7: return q / 10000000;
    case 8: return q / 100000000;
    case 9: return q / 1000000000;
    default: return q;
    }
}

int _opdf_fixed(char* buf, double v, int prec)
{
    static const double scale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    static const uint32_t unit[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};
    if (prec < 0)
        prec = 6;
    if (prec > 9)
        prec = 9;
    if (!isfinite(v))
        v = 0;
    int neg = v < 0;
    double a = neg ? -v : v;
    double hi = a * scale[prec];
    char* p = buf;
    if (!(hi < 9007199254740992.0)) { /* 2^53 */
        if (neg)
            *p++ = '-';
        return (int)(p - buf) + largeFixedText(p, a, prec);
    }
    /* a * scale is exactly hi + lo; round it to the nearest integer, ties to
       even, as printf rounds the exact binary value. Below 2^32 the error lo
       is under 2^-21, so it matters only for a fraction that close to 1/2. */
    double whole = floor(hi);
    double frac = hi - whole;
    uint64_t q = (uint64_t)whole;
    if (frac >= 0.25) {
        double d = frac - 0.5;
        if (hi >= 4294967296.0 || fabs(d) < 0x1p-20)
            d += fma(a, scale[prec], -hi);
        if (d > 0 || (d == 0 && (q & 1)))
            q++;
    }
    if (neg && q)
        *p++ = '-';
    char tmp[32];
    char* end = tmp + sizeof tmp;
    char* t = end;
    uint64_t ip = wholeUnits(q, prec);
    uint32_t fp = (uint32_t)(q - ip * unit[prec]);
    for (int i = 0; i < prec; i++) {
        *--t = (char)('0' + fp % 10);
        fp /= 10;
    }
    if (prec > 0)
        *--t = '.';
    t = udigits(t, ip, 10, 0);
    memcpy(p, t, (size_t)(end - t));
    return (int)(p - buf) + (int)(end - t);
}

int _opdf_formatv(char* out, size_t size, const char* format, va_list args)
{
    FmtOut o = {out, size, 0};
    const char* f = format;
    while (*f) {
        const char* start = f;
        while (*f && *f != '%')
            f++;
        if (f > start)
            emit(&o, start, (size_t)(f - start));
        if (!*f)
            break;
        const char* specStart = f;
        f++;
        if (*f == '%') {
            emit(&o, "%", 1);
            f++;
            continue;
        }
        int left = 0, zero = 0, plus = 0, space = 0;
        for (;; f++) {
            if (*f == '-')
                left = 1;
            else if (*f == '0')
                zero = 1;
            else if (*f == '+')
                plus = 1;
            else if (*f == ' ')
                space = 1;
            else
                break;
        }
        int width = 0;
        if (*f == '*') {
            width = va_arg(args, int);
            if (width < 0) {
                left = 1;
                width = -width;
            }
            f++;
        } else {
            while (*f >= '0' && *f <= '9')
                width = width * 10 + (*f++ - '0');
        }
        int prec = -1;
        if (*f == '.') {
            f++;
            prec = 0;
            if (*f == '*') {
                prec = va_arg(args, int);
                f++;
            } else {
                while (*f >= '0' && *f <= '9')
                    prec = prec * 10 + (*f++ - '0');
            }
        }
        int lng = 0;
        if (*f == 'l') {
            lng = 1;
            f++;
            if (*f == 'l') {
                lng = 2;
                f++;
            }
        } else if (*f == 'z') {
            lng = 3;
            f++;
        } else if (*f == 'h') {
            f++;
            if (*f == 'h')
                f++;
        }
        char conv = *f ? *f++ : 0;
        char buf[OPDF_FIXED_MAX];
        const char* body = buf;
        int bodyLen = 0;
        char sign = 0;
        switch (conv) {
        case 'd':
        case 'i': {
            long long v = lng == 2 ? va_arg(args, long long)
                        : lng == 1 ? va_arg(args, long)
                        : lng == 3 ? (long long)va_arg(args, size_t)
                                   : va_arg(args, int);
            unsigned long long u = v < 0 ? 0ull - (unsigned long long)v : (unsigned long long)v;
            char* e = buf + sizeof buf;
            char* p = udigits(e, u, 10, 0);
            body = p;
            bodyLen = (int)(e - p);
            sign = v < 0 ? '-' : plus ? '+' : space ? ' ' : 0;
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long long u = lng == 2 ? va_arg(args, unsigned long long)
                                 : lng == 1 ? va_arg(args, unsigned long)
                                 : lng == 3 ? va_arg(args, size_t)
                                            : va_arg(args, unsigned);
            char* e = buf + sizeof buf;
            char* p = udigits(e, u, conv == 'u' ? 10 : 16, conv == 'X');
            body = p;
            bodyLen = (int)(e - p);
            break;
        }
        case 'c':
            buf[0] = (char)va_arg(args, int);
            bodyLen = 1;
            zero = 0;
            break;
        case 's': {
            const char* s = va_arg(args, const char*);
            if (!s)
                s = "(null)";
            size_t n = strlen(s);
            if (prec >= 0 && (size_t)prec < n)
                n = (size_t)prec;
            body = s;
            bodyLen = (int)n;
            zero = 0;
            break;
        }
        case 'f':
        case 'F': {
            double v = va_arg(args, double);
            int n = _opdf_fixed(buf, v, prec < 0 ? 6 : prec);
            if (buf[0] == '-') {
                sign = '-';
                body = buf + 1;
                bodyLen = n - 1;
            } else {
                sign = plus ? '+' : space ? ' ' : 0;
                bodyLen = n;
            }
            break;
        }
        default:
            /* unknown conversion: copy it unchanged */
            emit(&o, specStart, (size_t)(f - specStart));
            continue;
        }
        int total = bodyLen + (sign ? 1 : 0);
        int pad = width > total ? width - total : 0;
        if (!left && !zero)
            emitPad(&o, ' ', pad);
        if (sign)
            emit(&o, &sign, 1);
        if (!left && zero)
            emitPad(&o, '0', pad);
        emit(&o, body, (size_t)bodyLen);
        if (left)
            emitPad(&o, ' ', pad);
    }
    if (size > 0)
        out[o.len < size ? o.len : size - 1] = 0;
    return (int)o.len;
}

int _opdf_format(char* out, size_t size, const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    int n = _opdf_formatv(out, size, format, ap);
    va_end(ap);
    return n;
}

/* Reads one decimal number (sign, digits, point, digits, optional exponent)
   after leading blanks; advances the text. */
double _opdf_parseNumber(const char** text, int* ok)
{
    const char* p = *text;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
        p++;
    int neg = 0;
    if (*p == '+' || *p == '-')
        neg = *p++ == '-';
    double v = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        digits++;
    }
    if (*p == '.') {
        p++;
        double scale = 0.1;
        while (*p >= '0' && *p <= '9') {
            v += (*p++ - '0') * scale;
            scale *= 0.1;
            digits++;
        }
    }
    if (digits && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        int eneg = 0, e = 0, ed = 0;
        if (*q == '+' || *q == '-')
            eneg = *q++ == '-';
        while (*q >= '0' && *q <= '9') {
            if (e < 400)
                e = e * 10 + (*q - '0');
            q++;
            ed++;
        }
        if (ed) {
            v *= pow(10.0, eneg ? -e : e);
            p = q;
        }
    }
    if (ok)
        *ok = digits > 0;
    if (!digits)
        return 0;
    *text = p;
    return neg ? -v : v;
}
