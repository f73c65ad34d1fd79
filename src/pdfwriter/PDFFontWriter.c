/* Font objects of the PDF file: dictionaries, ToUnicode maps, descriptors, programs. */
#include "opdfFonts.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#define CMAP_BLOCK 100

unsigned char* _opdf_deflate(const unsigned char* in, size_t n, long* outLength)
{
    uLongf len = compressBound((uLong)n);
    unsigned char* out = (unsigned char*)_opdf_checkAlloc(malloc(len ? len : 1));
    if (!out)
        return NULL;
    int rc = compress(out, &len, in, (uLong)n);
    if (rc != Z_OK) {
        _opdf_globalError(1, "ZLIB compress RAW", "code=%d", rc);
        free(out);
        return NULL;
    }
    *outLength = (long)len;
    return out;
}

static int isType3(const PDFFontEntry* f) { return strcmp(f->subtype, "Type3") == 0; }

static PDFFontFile* fileOf(const PDFFontEntry* f) { return f->desc ? f->desc->fontFile : NULL; }

/* A descriptor object exists for rows of kind above 0, except Type 3 fonts and
   standard fonts that only carry the caller's widths. */
static int hasDescriptorObject(const PDFFontEntry* f)
{
    if (f->kind <= OPDF_KIND_STANDARD || !f->desc || isType3(f))
        return 0;
    if (f->kind == OPDF_KIND_BUILTIN_WIDTHS && f->fontIndex <= 13)
        return 0;
    return 1;
}

int _opdf_numberFonts(PDFDocContext* ctx, int next)
{
    for (int i = 0; i < ctx->fontCount; i++) {
        PDFFontEntry* f = &ctx->fonts[i];
        f->objectNumber = next++;
        if (f->unicode)
            next++;
        if (f->kind <= OPDF_KIND_STANDARD || !f->desc || f->desc->written)
            continue;
        if (hasDescriptorObject(f))
            f->desc->objectNumber = next++;
        f->desc->written = 1;
        if (f->kind == OPDF_KIND_CJK && f->cid && !f->cid->written) {
            f->cid->objectNumber = next++;
            f->cid->written = 1;
        }
        PDFFontFile* file = fileOf(f);
        if (f->kind == OPDF_KIND_EMBEDDED && file && !file->written) {
            file->objectNumber = next;
            next += file->kind == OPDF_FILE_TYPE3 ? file->procCount : 1;
            file->written = 1;
        }
    }
    for (PDFFontEncoding* e = ctx->encodingHead; e; e = e->next)
        if (e->name)
            e->objectNumber = next++;
    return next;
}

/* Encoding names that a simple font may carry. */
static int simpleEncodingName(const char* name)
{
    return name && (!strcmp(name, "WinAnsiEncoding") || !strcmp(name, "MacRomanEncoding") ||
                    !strcmp(name, "MacExpertEncoding"));
}

static void putWidthsLines(PDFDocContext* ctx, const PDFFontEntry* f)
{
    const uint16_t* remap = NULL;
    if (f->kind == OPDF_KIND_BUILTIN && f->encodingIndex > 0 && f->encodingIndex <= 3 &&
        f->fontIndex != 12 && f->fontIndex != 13)
        remap = _opdf_remapTables[f->encodingIndex];
    for (int code = f->first, k = 0; code <= f->last; code++, k++) {
        int v;
        if (f->kind == OPDF_KIND_BUILTIN)
            v = f->widths[remap && code < 256 ? remap[code] : code];
        else
            v = f->widths[code - f->first];
        if (k > 0 && k % 16 == 0)
            _opdf_putText(ctx, "\n");
        _opdf_putf(ctx, "%d ", v);
    }
}

static void putDifferences(PDFDocContext* ctx, const PDFFontEncoding* e)
{
    _opdf_putText(ctx, "/Differences [");
    _opdf_putBytes(ctx, e->differences, (size_t)e->differencesLength);
    _opdf_putText(ctx, "]");
}

static void _opdf_WriteFont(PDFDocContext* ctx, PDFFontEntry* f)
{
    _opdf_beginObject(ctx, f->objectNumber);
    _opdf_putf(ctx, "<<\n/Type /Font\n/Subtype /%s\n/Name /%s\n/BaseFont /%s\n", f->subtype,
               f->resourceName, f->baseFont);
    PDFFontEncoding* enc = f->encoding;
    int symbolic = f->fontIndex == 12 || f->fontIndex == 13;
    if (enc && enc->name) {
        _opdf_putf(ctx, "/Encoding %d 0 R\n", enc->objectNumber);
    } else if (!isType3(f) && enc && enc->differencesLength > 0) {
        _opdf_putText(ctx, "/Encoding <<\n");
        if (simpleEncodingName(f->encodingName) && !symbolic)
            _opdf_putf(ctx, "/BaseEncoding /%s\n", f->encodingName);
        putDifferences(ctx, enc);
        _opdf_putText(ctx, ">>\n");
    } else if (!isType3(f) && !symbolic && f->encodingName &&
               (f->kind == OPDF_KIND_CJK ? _opdf_isPredefinedCMap(f->encodingName)
                                         : simpleEncodingName(f->encodingName))) {
        _opdf_putf(ctx, "/Encoding /%s\n", f->encodingName);
    }
    if (isType3(f)) {
        const int* bb = f->desc ? f->desc->FontBBox : NULL;
        _opdf_putf(ctx, "/FontBBox [%d %d %d %d]\n/FontMatrix [0.001 0 0 0.001 0 0]\n",
                   bb ? bb[0] : 0, bb ? bb[1] : 0, bb ? bb[2] : 0, bb ? bb[3] : 0);
        _opdf_putf(ctx, "/FirstChar %d\n/LastChar %d\n/Widths [", f->first, f->last);
        for (int code = f->first, k = 0; code <= f->last; code++, k++) {
            if (k > 0)
                _opdf_putText(ctx, k % 16 == 0 ? "\n" : " ");
            _opdf_putf(ctx, "%d", f->widths[k]);
        }
        _opdf_putText(ctx, "]\n/Resources <</ProcSet [/PDF /ImageB]>>\n/Encoding <<");
        if (enc && enc->differencesLength > 0)
            putDifferences(ctx, enc);
        _opdf_putText(ctx, ">>\n");
        PDFFontFile* file = fileOf(f);
        if (file && file->procCount > 0) {
            _opdf_putText(ctx, "/CharProcs <<");
            for (int g = 0; g < file->procCount; g++)
                _opdf_putf(ctx, "%s/%s %d 0 R", "\n", file->procs[g].name, file->objectNumber + g);
            _opdf_putText(ctx, ">>\n");
        }
    } else if (f->kind != OPDF_KIND_STANDARD && f->kind != OPDF_KIND_CJK) {
        if (f->widths && f->last >= f->first) {
            _opdf_putf(ctx, "/FirstChar %d\n/LastChar %d\n/Widths [\n", f->first, f->last);
            putWidthsLines(ctx, f);
            _opdf_putText(ctx, "]\n");
        }
        if (hasDescriptorObject(f))
            _opdf_putf(ctx, "/FontDescriptor %d 0 R\n", f->desc->objectNumber);
    }
    if (f->unicode)
        _opdf_putf(ctx, "/ToUnicode %d 0 R\n", f->objectNumber + 1);
    if (f->kind == OPDF_KIND_CJK && f->cid)
        _opdf_putf(ctx, "/DescendantFonts [ %d 0 R ]\n", f->cid->objectNumber);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

/* Appends the UTF-16 code units of a code point as hexadecimal digits. */
static int utf16Hex(long u, char* out, size_t size)
{
    if (u > 0xFFFF) {
        u -= 0x10000;
        return _opdf_format(out, size, "%04X%04X", (unsigned)(0xD800 + (u >> 10)),
                            (unsigned)(0xDC00 + (u & 0x3FF)));
    }
    return _opdf_format(out, size, "%04X", (unsigned)u);
}

static int validUnicode(long u) { return u >= 0 && u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF); }

static void _opdf_WriteToUnicode(PDFDocContext* ctx, PDFFontEntry* f)
{
    int twoByte = f->kind == OPDF_KIND_CJK;
    int maxCode = twoByte ? 0xFFFF : 0xFF;
    PDFMemoryStream* s = _opdf_newMemoryStream();
    if (!s)
        return;
    char line[128];
    _opdf_format(line, sizeof line,
                 "/CIDInit /ProcSet find begin 12 dict begin begincmap /CIDSystemInfo <</Registry (QEL) /Ordering (%s) /Supplement 0>>\ndef\n",
                 f->resourceName);
    _opdf_appendText(line, s);
    _opdf_format(line, sizeof line, "/CMapName /%s def\n1 begincodespacerange %s endcodespacerange\n",
                 f->resourceName, twoByte ? "<0000> <FFFF>" : "<00> <FF>");
    _opdf_appendText(line, s);
    int total = 0;
    for (int code = f->first; code <= f->last && code <= maxCode; code++)
        if (code >= 0 && validUnicode(f->unicode[code - f->first]))
            total++;
    int inBlock = 0, done = 0;
    for (int code = f->first; code <= f->last && code <= maxCode; code++) {
        long u = f->unicode[code - f->first];
        if (code < 0 || !validUnicode(u))
            continue;
        if (inBlock == 0) {
            int n = total - done < CMAP_BLOCK ? total - done : CMAP_BLOCK;
            _opdf_format(line, sizeof line, "%d beginbfrange\n", n);
            _opdf_appendText(line, s);
        }
        char hex[16];
        utf16Hex(u, hex, sizeof hex);
        _opdf_format(line, sizeof line, twoByte ? "<%04X> <%04X> <%s> \n" : "<%02X> <%02X> <%s> \n",
                     (unsigned)code, (unsigned)code, hex);
        _opdf_appendText(line, s);
        done++;
        if (++inBlock == CMAP_BLOCK || done == total) {
            _opdf_appendText("endbfrange\n", s);
            inBlock = 0;
        }
    }
    _opdf_appendText("endcmap CMapName currentdict /CMap defineresource pop end end \n", s);

    unsigned char* body = s->buffer;
    long n = s->length;
    unsigned char* packed = NULL;
    if (ctx->compression) {
        long pn = 0;
        packed = _opdf_deflate(s->buffer, (size_t)s->length, &pn);
        if (packed) {
            body = packed;
            n = pn;
        }
    }
    _opdf_beginObject(ctx, f->objectNumber + 1);
    _opdf_putf(ctx, "<</Length %ld  %s>>\n", n, packed ? "/Filter /FlateDecode " : "");
    _opdf_putStream(ctx, body, (size_t)n, f->objectNumber + 1, 0);
    _opdf_endObject(ctx);
    free(packed);
    _opdf_freeMemoryStream(s);
}

static void _opdf_WriteFontDescriptor(PDFDocContext* ctx, PDFFontEntry* f)
{
    PDFFontDescriptor* d = f->desc;
    _opdf_beginObject(ctx, d->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /FontDescriptor\n");
    _opdf_putf(ctx, "/Ascent %d\n/CapHeight %d\n/Descent %d\n/Flags %ld\n", d->Ascent, d->CapHeight,
               d->Descent, (long)d->Flags);
    _opdf_putf(ctx, "/FontBBox [%d %d %d %d]\n", d->FontBBox[0], d->FontBBox[1], d->FontBBox[2],
               d->FontBBox[3]);
    _opdf_putf(ctx, "/FontName /%s\n/ItalicAngle %.4f\n/StemV %d\n/XHeight %d\n",
               d->FontName ? d->FontName : f->baseFont, (double)d->ItalicAngle, d->StemV,
               d->XHeight);
    if (f->kind == OPDF_KIND_CJK)
        _opdf_putf(ctx, "/StemH %d\n/MissingWidth %d\n/Leading %d\n/MaxWidth %d\n/AvgWidth %d\n/Style << %s >>\n",
                   d->StemH, d->MissingWidth, d->Leading, d->MaxWidth, d->AvgWidth,
                   d->Style ? d->Style : "");
    PDFFontFile* file = d->fontFile;
    if (f->kind == OPDF_KIND_EMBEDDED && file && file->objectNumber > 0 &&
        file->kind != OPDF_FILE_TYPE3) {
        const char* key = file->kind == OPDF_FILE_TYPE1      ? "FontFile"
                          : file->kind == OPDF_FILE_TRUETYPE ? "FontFile2"
                                                             : "FontFile3";
        _opdf_putf(ctx, "/%s %d 0 R\n", key, file->objectNumber);
    }
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WriteCIDFont(PDFDocContext* ctx, PDFFontEntry* f)
{
    _opdf_beginObject(ctx, f->cid->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /Font\n/Subtype /CIDFontType2\n");
    _opdf_putf(ctx, "/BaseFont /%s\n/FontDescriptor %d 0 R\n/CIDSystemInfo << %s >>\n/DW %d\n/W %s\n",
               f->baseFont, f->desc ? f->desc->objectNumber : 0, f->cid->systemInfo,
               f->cid->defaultWidth, f->cid->widths);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WriteFontMetadata(PDFDocContext* ctx, PDFFontFile* file)
{
    long n = file->program ? file->program->length : 0;
    _opdf_beginObject(ctx, file->objectNumber);
    _opdf_putf(ctx, "<<\n/Length %ld\n", n);
    if (file->kind == OPDF_FILE_TYPE1C)
        _opdf_putText(ctx, "/Subtype /Type1C\n");
    else
        _opdf_putf(ctx, "/Length1 %ld\n", file->length1);
    if (file->kind == OPDF_FILE_TYPE1)
        _opdf_putf(ctx, "/Length2 %ld\n/Length3 %ld\n", file->length2, file->length3);
    _opdf_putText(ctx, ">>");
    _opdf_putStream(ctx, file->program ? file->program->buffer : NULL, (size_t)n,
                    file->objectNumber, 0);
    _opdf_endObject(ctx);
}

static void _opdf_WriteCharProcs(PDFDocContext* ctx, PDFFontFile* file)
{
    for (int g = 0; g < file->procCount; g++) {
        const PDFGlyphProc* p = &file->procs[g];
        const unsigned char* body = p->content;
        long n = p->length;
        unsigned char* packed = NULL;
        if (ctx->compression && n > 0) {
            long pn = 0;
            packed = _opdf_deflate(p->content, (size_t)n, &pn);
            if (packed) {
                body = packed;
                n = pn;
            }
        }
        _opdf_beginObject(ctx, file->objectNumber + g);
        _opdf_putf(ctx, "<< /Length %ld  %s>>", n, packed ? "/Filter /FlateDecode " : "");
        _opdf_putStream(ctx, (unsigned char*)body, (size_t)n, file->objectNumber + g, 0);
        _opdf_endObject(ctx);
        free(packed);
    }
}

static void _opdf_WriteEncoding(PDFDocContext* ctx, PDFFontEncoding* e)
{
    _opdf_beginObject(ctx, e->objectNumber);
    _opdf_putText(ctx, "<<\n/Type /Encoding\n");
    if (simpleEncodingName(e->baseEncoding))
        _opdf_putf(ctx, "/BaseEncoding /%s\n", e->baseEncoding);
    _opdf_putText(ctx, "/Differences [ ");
    _opdf_putBytes(ctx, e->differences, (size_t)e->differencesLength);
    _opdf_putText(ctx, " ]\n>>\n");
    _opdf_endObject(ctx);
}

void _opdf_writeFonts(PDFDocContext* ctx)
{
    for (int i = 0; i < ctx->fontCount; i++) {
        PDFFontEntry* f = &ctx->fonts[i];
        _opdf_WriteFont(ctx, f);
        if (f->unicode)
            _opdf_WriteToUnicode(ctx, f);
        if (f->kind <= OPDF_KIND_STANDARD || !f->desc || f->desc->written != 1)
            continue;
        if (hasDescriptorObject(f))
            _opdf_WriteFontDescriptor(ctx, f);
        f->desc->written = 2;
        if (f->kind == OPDF_KIND_CJK && f->cid && f->cid->written == 1) {
            _opdf_WriteCIDFont(ctx, f);
            f->cid->written = 2;
        }
        PDFFontFile* file = fileOf(f);
        if (f->kind == OPDF_KIND_EMBEDDED && file && file->written == 1) {
            if (file->kind == OPDF_FILE_TYPE3)
                _opdf_WriteCharProcs(ctx, file);
            else
                _opdf_WriteFontMetadata(ctx, file);
            file->written = 2;
        }
    }
    for (PDFFontEncoding* e = ctx->encodingHead; e; e = e->next)
        if (e->name)
            _opdf_WriteEncoding(ctx, e);
}
