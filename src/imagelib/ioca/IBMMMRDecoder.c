/* Run decoder of the one-dimensional (modified Huffman) and two-dimensional
   (modified modified READ) fax codes, in the IBM MMR, G4 and G3 arrangements,
   and width detection from the first row of IBM MMR data. Rows are kept as
   run ends; a set bit is black. */
#include "CCITTCodeTables.h"
#include "oiocaInternal.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { ROW_OK = 1, ROW_END = -1, ROW_BAD_CODE = -23, ROW_EXTENSION = -24, ROW_RANGE = -25 };

typedef struct Decoder {
    const char* name;
    int32_t width;
    int32_t height;
    int32_t row; /* -1 before the first row */
    uint32_t bytesPerRow;
    /* bits */
    const unsigned char* pos;
    const unsigned char* end;
    const unsigned char* order; /* byte map: first data bit to bit 0 */
    uint64_t acc;
    int bits;
    int eolFlag;
    /* run ends of the current and the reference row, each with room for a
       full row, the padding and three sentinels */
    int32_t* runs;
    int32_t* cur;
    int32_t* ref;
    uint32_t capacity;
    uint32_t curCount;
    unsigned char* rowBuffer;
    const CCITTCodeTables* tables;
} Decoder;

/* Last message of the decoder, the text of results -23 to -25. */
static char g_message[512];
/* Handle whose current tile receives the width found, during detection. */
static IOCAHandle* g_widthHandle;

const char* qelIBMMMRDecoder_getMessage(void) { return g_message; }

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
static void message(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(g_message, sizeof g_message, format, args);
    va_end(args);
}

/* Makes sure that n bits are in the accumulator; at the end of the data the
   missing bits read as zero while any real bit is left. -1: nothing left. */
static inline int need(Decoder* d, int n)
{
    if (d->bits >= n)
        return 0;
    while (d->bits <= 56 && d->pos < d->end) {
        d->acc |= (uint64_t)d->order[*d->pos++] << d->bits;
        d->bits += 8;
    }
    return d->bits > 0 ? 0 : -1;
}

static inline void consume(Decoder* d, int n)
{
    if (n > d->bits)
        n = d->bits;
    d->acc >>= n;
    d->bits -= n;
}

static void setBlack(unsigned char* row, uint32_t start, uint32_t stop)
{
    if (start >= stop)
        return;
    uint32_t first = start >> 3, last = (stop - 1) >> 3;
    unsigned char head = (unsigned char)(0xFF >> (start & 7));
    unsigned char tail = (unsigned char)(0xFF << (7 - ((stop - 1) & 7)));
    if (first == last) {
        row[first] |= head & tail;
        return;
    }
    row[first] |= head;
    if (last > first + 1)
        memset(row + first + 1, 0xFF, last - first - 1);
    row[last] |= tail;
}

/* Reports a row whose runs do not add up to the width; during width
   detection the end reached is the width found. */
static void badLength(Decoder* d, int32_t a0)
{
    const char* what = a0 < d->width ? "Premature EOL" : "Line length mismatch";
    IOCAHandle* h = g_widthHandle;
    if (h && h->mode == 19 && h->currentTile && h->currentTile->properties) {
        h->currentTile->properties->widthFromData = a0;
        qelIOCATrace_printf(" %s at scanline %d (ActualWidth:%lu, ByteAlignedWidth:%lu)", what,
                            d->row, (unsigned long)a0, (unsigned long)d->width);
    } else {
        qelIOCATrace_printf("qelIBMMMRDecoder:CCITTBadLength() ImageName=%s, %s at scanline %d "
                            "(got %lu, expected %lu)",
                            d->name, what, d->row, (unsigned long)a0, (unsigned long)d->width);
    }
}

/* Closes the current row: the run ends reached so far and a0 become runs
   that add up to the width, padded white. */
static void cleanup(Decoder* d, int32_t a0)
{
    int32_t* e = d->cur;
    uint32_t n = d->curCount;
    int32_t w = d->width;
    int32_t last = n ? e[n - 1] : 0;
    if (a0 < last)
        a0 = last;
    if (a0 > last)
        e[n++] = a0; /* the pending run */
    if (a0 != w)
        badLength(d, a0);
    while (n > 0 && e[n - 1] > w)
        n--;
    int32_t reached = n ? e[n - 1] : 0;
    if (reached < w) {
        if (n % 2 == 1)
            e[n++] = reached; /* a zero black run keeps the padding white */
        e[n++] = w;
    }
    d->curCount = n;
    e[n] = e[n + 1] = e[n + 2] = w;
}

/* Writes the current runs into the row buffer, white first. */
static void fillRuns(Decoder* d)
{
    memset(d->rowBuffer, 0, d->bytesPerRow);
    const int32_t* e = d->cur;
    uint32_t w = (uint32_t)d->width;
    for (uint32_t i = 0; i + 1 < d->curCount; i += 2) {
        uint32_t start = (uint32_t)e[i], stop = (uint32_t)e[i + 1];
        if (stop > w)
            stop = w;
        setBlack(d->rowBuffer, start, stop);
    }
}

static void swapRows(Decoder* d)
{
    int32_t* t = d->cur;
    d->cur = d->ref;
    d->ref = t;
}

static int prematureEnd(Decoder* d, int32_t a0)
{
    qelIOCATrace_printf("qelIBMMMRDecoder:CCITTPrematureEOF() ImageName=%s, Premature EOF at "
                        "scanline %d (x %lu)",
                        d->name, d->row, (unsigned long)(a0 < 0 ? 0 : a0));
    cleanup(d, a0);
    fillRuns(d);
    return ROW_END;
}

static int badCode(Decoder* d, int32_t a0)
{
    message("ImageName=%s, Bad code word at scanline %d (XPos=%lu)", d->name, d->row,
            (unsigned long)(a0 < 0 ? 0 : a0));
    qelIOCATrace_printf("%s", g_message);
    cleanup(d, a0);
    return ROW_BAD_CODE;
}

static int addEnd(Decoder* d, int32_t at)
{
    if (d->curCount >= d->capacity)
        return -1;
    d->cur[d->curCount++] = at;
    return 0;
}

/* Largest position kept; beyond it every row is far past its width. */
#define POSITION_LIMIT (INT32_MAX / 2)

/* One run of the given colour: make-up codes and a terminating code.
   0, or a row result. */
static int readRun(Decoder* d, int black, int32_t* run)
{
    const CCITTCode* table = black ? d->tables->black : d->tables->white;
    int bits = black ? CCITT_BLACK_BITS : CCITT_WHITE_BITS;
    uint64_t mask = ((uint64_t)1 << bits) - 1;
    int64_t total = 0;
    for (;;) {
        if (need(d, bits) < 0)
            return ROW_END;
        const CCITTCode* c = &table[d->acc & mask];
        if (c->state == CCITT_MAKEUP || c->state == CCITT_TERMINATING) {
            consume(d, c->length);
            total += c->param;
            if (total > POSITION_LIMIT)
                total = POSITION_LIMIT;
            if (c->state == CCITT_TERMINATING) {
                *run = (int32_t)total;
                return 0;
            }
        } else if (c->state == CCITT_EOL) {
            *run = (int32_t)total;
            return CCITT_EOL;
        } else {
            return ROW_BAD_CODE;
        }
    }
}

/* Finds an EOL: up to eleven zeros, fill, then the one bit. */
static int syncEOL(Decoder* d)
{
    for (;;) {
        if (need(d, 11) < 0)
            return -1;
        if ((d->acc & 0x7FF) == 0)
            break;
        consume(d, 1);
    }
    for (;;) {
        if (need(d, 8) < 0)
            return -1;
        if ((d->acc & 0xFF) != 0)
            break;
        consume(d, 8);
    }
    for (;;) {
        if (need(d, 1) < 0)
            return -1;
        if (d->acc & 1)
            break;
        consume(d, 1);
    }
    consume(d, 1);
    return 0;
}

static int decode1D(Decoder* d, int tag)
{
    d->curCount = 0;
    if (!d->eolFlag && syncEOL(d) < 0) {
        qelIOCATrace_printf("Premature EOF while applying CCITT G3 1D decompression ");
        return prematureEnd(d, 0);
    }
    d->eolFlag = 0;
    if (tag) {
        if (need(d, 1) < 0)
            return prematureEnd(d, 0);
        consume(d, 1);
    }
    int32_t a0 = 0;
    int black = 0;
    while (a0 < d->width) {
        int32_t run = 0;
        int rc = readRun(d, black, &run);
        if (rc == ROW_END) {
            qelIOCATrace_printf("Premature EOF while applying CCITT G3 1D decompression ");
            return prematureEnd(d, a0);
        }
        if (rc == ROW_BAD_CODE)
            return badCode(d, a0);
        if (rc == CCITT_EOL) {
            consume(d, 12);
            d->eolFlag = 1;
            break;
        }
        a0 += run;
        if (a0 > POSITION_LIMIT)
            a0 = POSITION_LIMIT;
        if (addEnd(d, a0) < 0)
            return badCode(d, a0);
        black ^= 1;
    }
    cleanup(d, a0);
    fillRuns(d);
    return ROW_OK;
}

/* b1 and b2 of the reference row for a0 and its colour. */
static inline void findB(Decoder* d, uint32_t* index, int32_t a0, int black, int32_t* b1,
                         int32_t* b2)
{
    const int32_t* ref = d->ref;
    uint32_t i = *index;
    while (i > 0 && ref[i - 1] > a0)
        i--;
    while (ref[i] <= a0)
        i++;
    if ((int)(i & 1) != black)
        i++;
    *index = i;
    *b1 = ref[i];
    *b2 = ref[i + 1];
}

static int decode2D(Decoder* d)
{
    const CCITTCode* modes = d->tables->mode;
    int32_t w = d->width;
    int32_t a0 = -1;
    int black = 0;
    uint32_t bi = 0;
    d->curCount = 0;
    while (a0 < w) {
        if (need(d, CCITT_MODE_BITS) < 0)
            return prematureEnd(d, a0);
        const CCITTCode* c = &modes[d->acc & ((1u << CCITT_MODE_BITS) - 1)];
        int32_t b1, b2, a1;
        switch (c->state) {
        case CCITT_PASS:
            consume(d, c->length);
            findB(d, &bi, a0, black, &b1, &b2);
            a0 = b2;
            break;
        case CCITT_HORIZONTAL: {
            consume(d, c->length);
            int32_t r1 = 0, r2 = 0;
            int rc = readRun(d, black, &r1);
            if (rc == 0)
                rc = readRun(d, !black, &r2);
            if (rc == ROW_END)
                return prematureEnd(d, a0);
            if (rc != 0)
                return badCode(d, a0);
            int64_t start = a0 < 0 ? 0 : a0;
            int64_t e1 = start + r1, e2 = e1 + r2;
            if (e2 > POSITION_LIMIT)
                return badCode(d, a0);
            if (addEnd(d, (int32_t)e1) < 0 || addEnd(d, (int32_t)e2) < 0)
                return badCode(d, a0);
            a0 = (int32_t)e2;
            break;
        }
        case CCITT_VERTICAL_0:
        case CCITT_VERTICAL_RIGHT:
        case CCITT_VERTICAL_LEFT:
            consume(d, c->length);
            findB(d, &bi, a0, black, &b1, &b2);
            a1 = c->state == CCITT_VERTICAL_LEFT ? b1 - c->param : b1 + c->param;
            if (a1 < (a0 < 0 ? 0 : a0) || addEnd(d, a1) < 0)
                return badCode(d, a0);
            a0 = a1;
            black ^= 1;
            break;
        case CCITT_EXTENSION:
            message("ImageName=%s, Uncompressed data (not supported) at scanline %d (XPos=%lu)",
                    d->name, d->row, (unsigned long)(a0 < 0 ? 0 : a0));
            qelIOCATrace_printf("%s", g_message);
            cleanup(d, a0);
            return ROW_EXTENSION;
        case CCITT_EOL:
            /* Seven zeros from the table; an EOL has four more. */
            consume(d, 7);
            if (need(d, 4) < 0 || (d->acc & 0xF) != 0)
                return badCode(d, a0);
            consume(d, 4);
            cleanup(d, a0);
            fillRuns(d);
            /* The rest of an end-of-facsimile block: 1, eleven 0s, 1. */
            if ((need(d, 13) < 0 || (d->acc & 0x1FFF) != 0x1001) && qelIOCATrace_isOn())
                qelIOCATrace_printf("Bad RTC\n");
            consume(d, 13);
            return ROW_END;
        default:
            return badCode(d, a0);
        }
    }
    cleanup(d, a0);
    fillRuns(d);
    swapRows(d);
    return ROW_OK;
}

static int lineInRange(Decoder* d, int32_t row, const char* operation)
{
    if (row >= d->height || row < 0) {
        message("ImageName=%s, Row %lu out of range, maximum rows:%lu", d->name,
                (unsigned long)row, (unsigned long)d->height);
        qelIOCATrace_printf("qelIBMMMRDecoder:%s() %s", operation, g_message);
        return 0;
    }
    d->row = row;
    return 1;
}

static int decompressG4Line(Decoder* d, int32_t row)
{
    if (!lineInRange(d, row, "decompressG4Line"))
        return ROW_RANGE;
    int rc = decode2D(d);
    d->row = row + 1;
    return rc;
}

static int decompressG3Line(Decoder* d, int32_t row, int tag)
{
    if (!lineInRange(d, row, "decompressG3Line"))
        return ROW_RANGE;
    int rc = decode1D(d, tag);
    d->row = row + 1;
    return rc;
}

static int skipEOL(Decoder* d)
{
    swapRows(d);
    if (!d->eolFlag && syncEOL(d) < 0) {
        qelIOCATrace_printf("qelIBMMMRDecoder:skipEOLF() ImageName=%s, Premature EOF while "
                            "skipping EOL",
                            d->name);
        return -1;
    }
    d->eolFlag = 0;
    if (need(d, 1) < 0) {
        qelIOCATrace_printf("qelIBMMMRDecoder:skipEOLF() ImageName=%s, Premature EOF while "
                            "skipping EOL",
                            d->name);
        return -1;
    }
    consume(d, 1);
    return 1;
}

static void resetState(Decoder* d, int fillOrder)
{
    d->acc = 0;
    d->bits = 0;
    d->eolFlag = 0;
    d->order = fillOrder == 2 ? d->tables->identity : d->tables->reversed;
    d->ref[0] = d->ref[1] = d->ref[2] = d->ref[3] = d->width;
    d->curCount = 0;
}

static void freeState(Decoder* d)
{
    free(d->rowBuffer);
    free(d->runs);
    d->rowBuffer = NULL;
    d->runs = NULL;
}

/* Sets up the decoder over the data; 1, -3 for no memory or a width out of
   range, or 0 for arguments that cannot be decoded. */
static int initDecoder(Decoder* d, const unsigned char* data, uint32_t length, const char* name,
                       int32_t width, int32_t height, int fillOrder, const char* operation,
                       int rowBufferFailure)
{
    memset(d, 0, sizeof *d);
    d->name = name ? name : "";
    d->width = width;
    d->height = height;
    d->row = -1;
    d->pos = data;
    d->end = data ? data + length : NULL;
    d->tables = qelCCITTCodeTables_get();
    if (width <= 0)
        return 0;
    /* Each row: at most width + 1 run ends, a padding end, three sentinels;
       sized in 64 bits and refused above the block limit before anything
       is allocated. */
    uint64_t perRow = ((uint64_t)width + 31) / 32 * 32 + 16;
    uint64_t bytes = 2 * perRow * sizeof(int32_t);
    d->runs = bytes <= OIOCA_MAX_BLOCK ? calloc(1, (size_t)bytes) : NULL;
    if (!d->runs) {
        message("ImageName=%s, Memory allocation failed(1)", d->name);
        qelIOCATrace_printf("qelIBMMMRDecoder:CCITTSetupState() %s", g_message);
        return -3;
    }
    d->bytesPerRow = (uint32_t)(((uint64_t)width + 7) / 8);
    d->rowBuffer = calloc(1, d->bytesPerRow);
    if (!d->rowBuffer) {
        if (rowBufferFailure)
            message("ImageName=%s, Memory allocation failed(%d)", d->name, rowBufferFailure);
        else
            message("ImageName=%s, Memory allocation failed while allocating buffer for decoded "
                    "row.",
                    d->name);
        qelIOCATrace_printf("qelIBMMMRDecoder:%s() %s", operation, g_message);
        freeState(d);
        return -3;
    }
    d->capacity = (uint32_t)(perRow - 8);
    d->cur = d->runs;
    d->ref = d->runs + perRow;
    resetState(d, fillOrder);
    return 1;
}

int qelIBMMMRDecoder_decompressIBMMMR(const unsigned char* data, uint32_t length, const char* name,
                                      int32_t width, int32_t height, int fillOrder,
                                      unsigned char* out, uint64_t* outBytes, int ignoreErrors,
                                      int32_t* outRows)
{
    *outRows = 0;
    if (!out) {
        qelIOCATrace_printf("qelIBMMMRDecoder:decompressIBMMMR() Invalid parameters passed to IBM "
                            "MMR decompression.");
        return -6;
    }
    *outBytes = 0;
    Decoder d;
    int rc = initDecoder(&d, data, length, name, width, height, fillOrder, "decompressIBMMMR", 10);
    if (rc != 1)
        return rc == -3 ? -3 : -6;
    int result = 1;
    int32_t done = 0;
    if (decompressG3Line(&d, 0, 1) != ROW_OK) {
        result = -29;
    } else {
        memcpy(out, d.rowBuffer, d.bytesPerRow);
        done = 1;
        if (skipEOL(&d) != 1)
            result = -29;
    }
    for (int32_t row = 1; result == 1 && row < height; row++) {
        if (decompressG4Line(&d, row) != ROW_OK) {
            result = -29;
            break;
        }
        memcpy(out + (uint64_t)row * d.bytesPerRow, d.rowBuffer, d.bytesPerRow);
        done = row + 1;
    }
    if (result == 1)
        *outBytes = (uint64_t)height * d.bytesPerRow;
    else if (ignoreErrors)
        *outBytes = (uint64_t)done * d.bytesPerRow;
    *outRows = done;
    freeState(&d);
    return result;
}

/* Every row in the same coding, one after another. */
static int decompressAll(const unsigned char* data, uint32_t length, const char* name,
                         int32_t width, int32_t height, int fillOrder, unsigned char* out,
                         uint64_t* outBytes, int twoDimensional)
{
    Decoder d;
    int rc = initDecoder(&d, data, length, name, width, height, fillOrder,
                         twoDimensional ? "decompressG4MMR" : "decompressG31D",
                         twoDimensional ? 7 : 4);
    if (rc != 1)
        return rc == -3 ? -3 : (twoDimensional ? -7 : -2);
    int result = 1;
    for (int32_t row = 0; row < height; row++) {
        result = twoDimensional ? decompressG4Line(&d, row) : decompressG3Line(&d, row, 0);
        if (result != ROW_OK)
            break;
        memcpy(out + (uint64_t)row * d.bytesPerRow, d.rowBuffer, d.bytesPerRow);
    }
    *outBytes = result == ROW_OK ? (uint64_t)(height > 0 ? height : 0) * d.bytesPerRow : 0;
    freeState(&d);
    return result;
}

int qelIBMMMRDecoder_decompressG4MMR(const unsigned char* data, uint32_t length, const char* name,
                                     int32_t width, int32_t height, int fillOrder,
                                     unsigned char* out, uint64_t* outBytes)
{
    if (!out) {
        qelIOCATrace_printf("qelIBMMMRDecoder:decompressG4MMR() Invalid parameters passed to G4 "
                            "decompression.");
        return -7;
    }
    return decompressAll(data, length, name, width, height, fillOrder, out, outBytes, 1);
}

int qelIBMMMRDecoder_decompressG31D(const unsigned char* data, uint32_t length, const char* name,
                                    int32_t width, int32_t height, int fillOrder,
                                    unsigned char* out, uint64_t* outBytes)
{
    if (!out) {
        qelIOCATrace_printf("qelIBMMMRDecoder:decompressG31D() Invalid parameters passed to G31D "
                            "decompression");
        return -2;
    }
    return decompressAll(data, length, name, width, height, fillOrder, out, outBytes, 0);
}

int qelIBMMMRDecoder_findImageWidthFromMMRData(IOCAHandle* handle, const unsigned char* data,
                                               uint32_t length, const char* name, int32_t width,
                                               int32_t height, int fillOrder)
{
    Decoder d;
    int rc = initDecoder(&d, data, length, name, width, height, fillOrder,
                         "findImageWidthFromMMRData", 0);
    if (rc == -3)
        return -3;
    if (rc != 1)
        return -6;
    g_widthHandle = handle;
    if (handle->currentTile && handle->currentTile->properties)
        handle->currentTile->properties->widthFromData = width;
    int result = decompressG3Line(&d, 0, 1) == ROW_OK ? 1 : -29;
    g_widthHandle = NULL;
    freeState(&d);
    return result;
}
