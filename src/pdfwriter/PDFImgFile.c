/* PDFIMG side files: a text header of image dictionary lines, then the data. */
#include "opdfImages.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define LINE_MAX_CHARS 1024

/* Next header line (without the rest of a line too long for the buffer); 0 at the end. */
static int readLine(FILE* f, char* line)
{
    if (!fgets(line, LINE_MAX_CHARS, f))
        return 0;
    size_t n = strlen(line);
    if (n && line[n - 1] != '\n' && !feof(f)) {
        int c;
        while ((c = getc(f)) != EOF && c != '\n')
            ;
    }
    return 1;
}

static int startsWith(const char* text, const char* head)
{
    return strncmp(text, head, strlen(head)) == 0;
}

/* The number after the line's first word, or fallback. */
static long long numberAfterKey(const char* line, long long fallback)
{
    long long v = 0;
    return sscanf(line, "%*s %lld", &v) == 1 ? v : fallback;
}

static int isKey(const char* line, const char* key)
{
    size_t n = strlen(key);
    return strncmp(line, key, n) == 0 && (line[n] == ' ' || line[n] == '\t' || line[n] == '\r' ||
                                          line[n] == '\n' || line[n] == 0);
}

int _opdf_readPDFIMGHeader(const char* path, PDFImageEntry* entry)
{
    FILE* f = path ? fopen(path, "r") : NULL;
    if (!f) {
        _opdf_globalError(1, OPDF_MODULE, "Can't open PDFIMG file (possibly an invalid file): %s",
                          path ? path : "");
        return -1;
    }
    char line[LINE_MAX_CHARS];
    if (!readLine(f, line) || !startsWith(line, "%*PDFIMG")) {
        fclose(f);
        _opdf_globalError(1, OPDF_MODULE, "File is not a PDFIMG format image: %s", path);
        return -1;
    }
    long long offset = -1, length = 0;
    while (readLine(f, line)) {
        if (line[0] == '%' || strlen(line) < 2)
            continue;
        if (isKey(line, "stream"))
            break;
        if (isKey(line, "ImageDataOffset"))
            offset = numberAfterKey(line, -1);
        else if (isKey(line, "/Length"))
            length = numberAfterKey(line, 0);
        else if (isKey(line, "/Width"))
            entry->width = (int32_t)numberAfterKey(line, 0);
        else if (isKey(line, "/Height"))
            entry->height = (int32_t)numberAfterKey(line, 0);
        else if (isKey(line, "/BitsPerComponent"))
            entry->components = (int32_t)numberAfterKey(line, 0);
    }
    fclose(f);
    if (offset < 0) {
        _opdf_globalError(1, OPDF_MODULE, "PDFIMG file [%s] lacks ImageDataOffset entry", path);
        return -1;
    }
    /* The data must be in the file. */
    long size = _opdf_fileSize(path);
    if (length < 0 || length > OPDF_IMAGE_MAX_BYTES || offset > size || length > size - offset) {
        _opdf_globalError(1, OPDF_MODULE, "PDFIMG file [%s] holds no %lld bytes at offset %lld",
                          path, length, offset);
        return -1;
    }
    entry->length = length;
    return offset > 0x7FFFFFFF ? 0x7FFFFFFF : (int)offset;
}

int _opdf_putPDFIMGDictionary(PDFDocContext* ctx, PDFImageEntry* entry)
{
    FILE* f = entry->path ? fopen(entry->path, "r") : NULL;
    if (!f)
        return -1;
    char line[LINE_MAX_CHARS];
    long long offset = -1, length = -1;
    while (readLine(f, line)) {
        if (startsWith(line, "stream"))
            break;
        if (line[0] == '/') {
            _opdf_putText(ctx, line);
            if (isKey(line, "/Length"))
                length = numberAfterKey(line, -1);
        } else if (startsWith(line, "ImageDataOffset")) {
            offset = numberAfterKey(line, -1);
        }
    }
    fclose(f);
    if (offset < 0) {
        _opdf_error(ctx, 1, OPDF_MODULE, "PDFIMG file [%s] lacks ImageDataOffset entry",
                    entry->path);
        return -1;
    }
    /* The copied /Length must still be the data's length. */
    if (length != entry->length)
        return -1;
    return offset > 0x7FFFFFFF ? -1 : (int)offset;
}

int _opdf_readPDFIMGData(unsigned char** data, PDFImageEntry* entry, int64_t offset)
{
    *data = NULL;
    if (!entry) {
        _opdf_globalError(1, OPDF_MODULE, "PDFIMG - invalid imageInfo");
        return -1;
    }
    if (entry->length < 0 || entry->length > OPDF_IMAGE_MAX_BYTES || offset < 0)
        return -1;
    FILE* f = entry->path ? fopen(entry->path, "rb") : NULL;
    if (!f)
        return -1;
    unsigned char* p = (unsigned char*)_opdf_checkAlloc(malloc((size_t)entry->length + 1));
    int ok = p && fseek(f, (long)offset, SEEK_SET) == 0 &&
             fread(p, 1, (size_t)entry->length, f) == (size_t)entry->length;
    fclose(f);
    if (!ok) {
        free(p);
        return -1;
    }
    p[entry->length] = 0;
    *data = p;
    return 0;
}
