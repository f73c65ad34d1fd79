/* Growable byte buffer used for contents, objects and the in-memory PDF. */
#include "opdfInternal.h"

#include <stdlib.h>
#include <string.h>

static int checkStream(PDFMemoryStream* s)
{
    if (!s)
        return 0;
    if (s->magic != OPDF_STREAM_MAGIC) {
        unsigned long a = (unsigned long)((uintptr_t)s & 0xFFFFFFFFu);
        _opdf_globalError(3, OPDF_MODULE, "Corrupted memory stream: 0x%lx (%lu)", a, a);
        return 0;
    }
    return 1;
}

PDFMemoryStream* _opdf_newMemoryStream(void)
{
    PDFMemoryStream* s = (PDFMemoryStream*)_opdf_checkAlloc(calloc(1, sizeof *s));
    if (!s)
        return NULL;
    s->buffer = (unsigned char*)_opdf_checkAlloc(malloc(256));
    if (!s->buffer) {
        free(s);
        return NULL;
    }
    s->magic = OPDF_STREAM_MAGIC;
    s->capacity = 256;
    s->buffer[0] = 0;
    return s;
}

static int grow(PDFMemoryStream* s, int64_t need)
{
    if (need <= s->capacity)
        return 1;
    if (need > INT32_MAX - 65536) {
        _opdf_globalError(-99, OPDF_MODULE " malloc", "Memory allocation failure");
        return 0;
    }
    int64_t cap = s->capacity > 0 ? s->capacity : 256;
    while (cap < need)
        cap = cap <= 65535 ? cap * 2 : cap + 65536;
    unsigned char* b = (unsigned char*)_opdf_checkAlloc(realloc(s->buffer, (size_t)cap));
    if (!b)
        return 0;
    s->buffer = b;
    s->capacity = (int32_t)cap;
    return 1;
}

int _opdf_appendMemoryStream(PDFMemoryStream* s, const void* bytes, int n)
{
    if (!checkStream(s) || n < 0 || (n > 0 && !bytes))
        return 0;
    if (!grow(s, (int64_t)s->length + n + 1))
        return 0;
    if (n > 0)
        memcpy(s->buffer + s->length, bytes, (size_t)n);
    s->length += n;
    s->buffer[s->length] = 0;
    return 0;
}

int _opdf_appendByte(int c, PDFMemoryStream* s)
{
    unsigned char b = (unsigned char)c;
    _opdf_appendMemoryStream(s, &b, 1);
    return 1;
}

int _opdf_appendText(const char* text, PDFMemoryStream* s)
{
    if (!text)
        return 0;
    size_t n = strlen(text);
    _opdf_appendMemoryStream(s, text, (int)n);
    return (int)n;
}

void _opdf_getMemoryStream(PDFMemoryStream* s, unsigned char** buffer, int* length,
                           int* capacity)
{
    int ok = checkStream(s);
    if (buffer)
        *buffer = ok ? s->buffer : NULL;
    if (length)
        *length = ok ? s->length : 0;
    if (capacity)
        *capacity = ok ? s->capacity : 0;
}

void _opdf_resetMemoryStream(PDFMemoryStream* s)
{
    if (!checkStream(s))
        return;
    s->length = 0;
    s->buffer[0] = 0;
}

void _opdf_freeMemoryStream(PDFMemoryStream* s)
{
    if (!s)
        return;
    checkStream(s);
    free(s->buffer);
    s->magic = 0;
    free(s);
}

int _opdf_writeMemoryStream(PDFMemoryStream* s, const char* name)
{
    if (!checkStream(s) || !name)
        return -1;
    int toStdout = strcmp(name, "-") == 0;
    FILE* f = toStdout ? stdout : fopen(name, "wb");
    if (!f) {
        _opdf_globalError(1, OPDF_MODULE, "Cannot open output file: %s", name);
        return -1;
    }
    size_t w = fwrite(s->buffer, 1, (size_t)s->length, f);
    int rc = w == (size_t)s->length ? 0 : -1;
    if (toStdout) {
        if (fflush(f) != 0)
            rc = -1;
    } else if (fclose(f) != 0) {
        rc = -1;
    }
    return rc;
}

void _opdf_dumpMemoryStream(const char* label, PDFMemoryStream* s)
{
    if (s && s->magic != OPDF_STREAM_MAGIC)
        _opdf_globalError(3, label, "stream=%lu, magic= %lu, buffer= %lu, count= %d, bufSize=%d",
                          (unsigned long)(uintptr_t)s, (unsigned long)s->magic,
                          (unsigned long)(uintptr_t)s->buffer, s->length, s->capacity);
}
