/* Decoder of RL4 data: scan-line records of nibble-coded runs, white first,
   drawn into a zeroed 1-bit bitmap. Runs are clipped at the end of their
   row; records naming rows outside the bitmap draw nothing. */
#include "oiocaInternal.h"

#include <stdio.h>
#include <string.h>

typedef struct RL4Reader {
    const unsigned char* data;
    uint32_t length;
    uint32_t pos;
} RL4Reader;

typedef struct RL4Record {
    uint32_t lineNumber;
    uint32_t length; /* of the whole record */
    const unsigned char* runs;
    uint32_t runLength;
} RL4Record;

static int qelRL4Decoder_readScanLine(RL4Reader* reader, RL4Record* record)
{
    uint32_t left = reader->length - reader->pos;
    if (left == 0)
        return -1;
    if (left < 4) {
        qelIOCATrace_printf("qelRL4Decoder:readScanLine() LineNr:%d Reading beyond boundary from "
                            "buffer(1)",
                            (int)record->lineNumber);
        return -27;
    }
    const unsigned char* p = reader->data + reader->pos;
    uint32_t line = (uint32_t)p[0] << 8 | p[1];
    uint32_t length = (uint32_t)p[2] << 8 | p[3];
    uint16_t runLength = (uint16_t)(length - 4);
    if (runLength == 0 || runLength > left - 4) {
        qelIOCATrace_printf("qelRL4Decoder:readScanLine() LineNr:%d Reading beyond boundary from "
                            "buffer(3)",
                            (int)line);
        return -27;
    }
    record->lineNumber = line;
    record->length = length;
    record->runs = p + 4;
    record->runLength = runLength;
    reader->pos += 4 + (uint32_t)runLength;
    return 0;
}

typedef struct Nibbles {
    const unsigned char* data;
    uint32_t count; /* nibbles */
    uint32_t at;
} Nibbles;

static int nextNibble(Nibbles* n, unsigned* value)
{
    if (n->at >= n->count)
        return 0;
    unsigned char b = n->data[n->at / 2];
    *value = n->at % 2 ? b & 0x0F : b >> 4;
    n->at++;
    return 1;
}

static int nibbles(Nibbles* n, int count, unsigned* value)
{
    unsigned v = 0, x;
    for (int i = 0; i < count; i++) {
        if (!nextNibble(n, &x))
            return 0;
        v = v << 4 | x;
    }
    *value = v;
    return 1;
}

enum { RUN, NO_RUN, END_OF_LINE };

/* The next code: a run (possibly of length 0), an ignored code, or the end
   of the line, which the end of the run data also is. */
static int nextCode(Nibbles* n, uint32_t* run)
{
    unsigned first, v, g;
    if (!nextNibble(n, &first))
        return END_OF_LINE;
    if ((first & 0x8) == 0) {
        *run = first + 1;
        return RUN;
    }
    if ((first & 0xC) == 0x8) {
        if (!nibbles(n, 1, &v))
            return END_OF_LINE;
        *run = (first & 0x3) * 16 + v + 9;
        return RUN;
    }
    if ((first & 0xE) == 0xC) {
        if (!nibbles(n, 2, &v))
            return END_OF_LINE;
        *run = (first & 0x1) * 256 + v + 73;
        return RUN;
    }
    if (first == 0xE) {
        if (!nibbles(n, 3, &v))
            return END_OF_LINE;
        *run = v + 585;
        return RUN;
    }
    if (!nextNibble(n, &g))
        return END_OF_LINE;
    if (g == 0xF)
        return END_OF_LINE;
    if (g == 0xE) {
        *run = 0;
        return RUN;
    }
    if (g & 0x8)
        return NO_RUN;
    if (!nibbles(n, 3, &v))
        return END_OF_LINE;
    *run = g * 4096 + v + 4681;
    return RUN;
}

static void setBits(unsigned char* row, uint32_t start, uint32_t stop)
{
    for (; start < stop && (start & 7); start++)
        row[start >> 3] |= (unsigned char)(0x80 >> (start & 7));
    if (stop - start >= 8) {
        uint32_t whole = (stop - start) / 8;
        memset(row + start / 8, 0xFF, whole);
        start += 8 * whole;
    }
    for (; start < stop; start++)
        row[start >> 3] |= (unsigned char)(0x80 >> (start & 7));
}

/* Lists a line's runs, thirty to a trace line, at most as many as the row
   has pixels. */
static void traceLine(const RL4Record* record, int32_t width)
{
    qelIOCATrace_printf("LineNumber=%d Length=%d Run data", (int)record->lineNumber,
                        (int)record->length);
    Nibbles n = {record->runs, record->runLength * 2, 0};
    char text[30 * 8 + 1];
    size_t used = 0;
    int onLine = 0, index = 0;
    uint32_t run;
    int code;
    while ((code = nextCode(&n, &run)) != END_OF_LINE && index < width) {
        if (code != RUN)
            continue;
        used += (size_t)snprintf(text + used, sizeof text - used, " %c%06u",
                                 index % 2 ? 'B' : 'W', (unsigned)run);
        index++;
        if (++onLine == 30) {
            oioca_trace(text);
            used = 0;
            onLine = 0;
        }
    }
    if (onLine)
        oioca_trace(text);
}

int qelRL4Decoder_decodeRL4(const unsigned char* header, const unsigned char* data, int32_t length,
                            unsigned char* bits)
{
    if (!header || !data || !bits || length <= 0) {
        qelIOCATrace_printf("qelRL4Decoder:decodeRL4() Invalid parameters passed to RL4 "
                            "decompression.");
        return -4;
    }
    int32_t width = (int32_t)oioca_get32le(header + 4);
    int32_t height = (int32_t)oioca_get32le(header + 8);
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    uint64_t bytesPerRow = ((uint64_t)width + 7) / 8;
    RL4Reader reader = {data, (uint32_t)length, 0};
    RL4Record record;
    memset(&record, 0, sizeof record);
    while (qelRL4Decoder_readScanLine(&reader, &record) == 0) {
        if (qelIOCATrace_isOn())
            traceLine(&record, width);
        if (record.lineNumber >= (uint32_t)height)
            continue;
        unsigned char* row = bits + record.lineNumber * bytesPerRow;
        Nibbles n = {record.runs, record.runLength * 2, 0};
        uint32_t p = 0, run;
        int black = 0, code;
        while (p < (uint32_t)width && (code = nextCode(&n, &run)) != END_OF_LINE) {
            if (code != RUN)
                continue;
            uint32_t stop = run > (uint32_t)width - p ? (uint32_t)width : p + run;
            if (black)
                setBits(row, p, stop);
            p = stop;
            black ^= 1;
        }
    }
    return 0;
}
