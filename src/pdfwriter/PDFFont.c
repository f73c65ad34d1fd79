/* Font table: built-in fonts, fonts from files and memory, Type 3 fonts, selection and widths. */
#include "opdfFonts.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

static const char* const kBuiltinNames[OPDF_BUILTIN_FONTS] = {
    "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
    "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
    "Symbol", "ZapfDingbats",
    "AvantGarde-Book", "AvantGarde-BookOblique", "AvantGarde-Demi", "AvantGarde-DemiOblique",
    "Bookman-Demi", "Bookman-DemiItalic", "Bookman-Light", "Bookman-LightItalic",
    "Helvetica-Narrow", "Helvetica-Narrow-Oblique", "Helvetica-Narrow-Bold",
    "Helvetica-Narrow-BoldOblique", "NewCenturySchlbk-Roman", "NewCenturySchlbk-Italic",
    "NewCenturySchlbk-Bold", "NewCenturySchlbk-BoldItalic", "Palatino-Roman", "Palatino-Italic",
    "Palatino-Bold", "Palatino-BoldItalic", "ZapfChancery-MediumItalic", "Helvetica-Condensed",
    "Helvetica-Condensed-Bold", "Helvetica-Condensed-Oblique", "Helvetica-Condensed-BoldObl",
    "OPDF-Monospace", "OPDF-SmallCap", "Arial", "Arial-Bold", "Arial-Italic", "Arial-BoldItalic",
    "HeiseiKakuGo-W5", "HeiseiMin-W3", "HYGoThic-Medium", "HYSMyeongJo-Medium", "MHei-Medium",
    "MSung-Light", "STSong-Light"};

static const char* const kEncodingNames[4] = {"WinAnsiEncoding", "MacRomanEncoding",
                                              "MacExpertEncoding", "StandardEncoding"};

static const char* const kPredefinedCMaps[] = {
    "Identity-H", "Identity-V",
    "83pv-RKSJ-H", "90ms-RKSJ-H", "90ms-RKSJ-V", "90msp-RKSJ-H", "90msp-RKSJ-V", "90pv-RKSJ-H",
    "Add-RKSJ-H", "Add-RKSJ-V", "EUC-H", "EUC-V", "Ext-RKSJ-H", "Ext-RKSJ-V", "H", "V",
    "UniJIS-UCS2-H", "UniJIS-UCS2-V", "UniJIS-UCS2-HW-H", "UniJIS-UCS2-HW-V", "UniJIS-UTF16-H",
    "UniJIS-UTF16-V",
    "GB-EUC-H", "GB-EUC-V", "GBpc-EUC-H", "GBpc-EUC-V", "GBK-EUC-H", "GBK-EUC-V", "GBKp-EUC-H",
    "GBKp-EUC-V", "GBK2K-H", "GBK2K-V", "UniGB-UCS2-H", "UniGB-UCS2-V", "UniGB-UTF16-H",
    "UniGB-UTF16-V",
    "B5pc-H", "B5pc-V", "HKscs-B5-H", "HKscs-B5-V", "ETen-B5-H", "ETen-B5-V", "ETenms-B5-H",
    "ETenms-B5-V", "CNS-EUC-H", "CNS-EUC-V", "UniCNS-UCS2-H", "UniCNS-UCS2-V", "UniCNS-UTF16-H",
    "UniCNS-UTF16-V",
    "KSC-EUC-H", "KSC-EUC-V", "KSCms-UHC-H", "KSCms-UHC-V", "KSCms-UHC-HW-H", "KSCms-UHC-HW-V",
    "KSCpc-EUC-H", "UniKS-UCS2-H", "UniKS-UCS2-V", "UniKS-UTF16-H", "UniKS-UTF16-V"};

/* CJK positions 45..51 */
typedef struct CJKMetrics {
    PDFBuiltinDescriptor d;
    const char* style;
    const char* systemInfo;
    const char* widths;
} CJKMetrics;

#define GOTHIC "/Panose <0801020b0600000000000000>"
#define MINCHO "/Panose <010502020400000000000000>"
#define JAPAN1 "/Registry (Adobe) /Ordering (Japan1) /Supplement 2"
#define KOREA1 "/Registry (Adobe) /Ordering (Korea1) /Supplement 1"
#define CNS1 "/Registry (Adobe) /Ordering (CNS1) /Supplement 0"
#define GB1 "/Registry (Adobe) /Ordering (GB1) /Supplement 2"

static const CJKMetrics kCJK[7] = {
    {{875, 718, -125, 4, {-92, -250, 1010, 922}, 0, 93, 500, 93, 500, 250, 1000, 689}, GOTHIC,
     JAPAN1, "[ 1 95 500 231 632 500 ]"},
    {{857, 718, -143, 6, {-123, -257, 1001, 910}, 0, 93, 500, 31, 500, 250, 1000, 702}, MINCHO,
     JAPAN1, "[ 1 95 500 231 632 500 ]"},
    {{880, 880, -120, 4, {-6, -145, 1003, 880}, 0, 93, 616, 93, 500, 250, 1000, 1000}, GOTHIC,
     KOREA1, "[ 1 95 500 8094 8190 500 ]"},
    {{880, 880, -120, 6, {0, -148, 1001, 880}, 0, 93, 616, 93, 500, 250, 1000, 1000}, MINCHO,
     KOREA1, "[ 1 95 500 8094 8190 500 ]"},
    {{880, 880, -120, 4, {-45, -250, 1015, 887}, 0, 93, 616, 93, 500, 250, 1000, 1000}, GOTHIC,
     CNS1, "[ 1 95 500 13648 13742 500 ]"},
    {{880, 880, -120, 6, {-160, -249, 1015, 888}, 0, 93, 616, 93, 500, 250, 1000, 1000}, MINCHO,
     CNS1, "[ 1 95 500 13648 13742 500 ]"},
    {{880, 880, -120, 6, {-25, -254, 1000, 880}, 0, 93, 616, 93, 500, 250, 1000, 1000}, MINCHO,
     GB1, "[ 1 95 500 814 939 500 7712 [ 500 ] 7716 [ 500 ] ]"},
};

static const char* const kTooMany = "Too many fonts in this PDF: %d. Increase limit by opdf_open()";

static const char* nz(const char* s) { return s ? s : "NULL"; }

static int sameText(const char* a, const char* b)
{
    if (!a || !b)
        return a == b;
    return strcmp(a, b) == 0;
}

int _opdf_builtinFontIndex(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < 45; i++)
        if (strcmp(name, kBuiltinNames[i]) == 0)
            return i;
    for (int i = 45; i < OPDF_BUILTIN_FONTS; i++)
        if (strncmp(name, kBuiltinNames[i], strlen(kBuiltinNames[i])) == 0)
            return i;
    return -1;
}

int _opdf_isPredefinedCMap(const char* name)
{
    if (!name)
        return 0;
    for (size_t i = 0; i < sizeof kPredefinedCMaps / sizeof kPredefinedCMaps[0]; i++)
        if (strcmp(name, kPredefinedCMaps[i]) == 0)
            return 1;
    return 0;
}

static int encodingIndex(const char* name)
{
    if (!name)
        return 3;
    for (int i = 0; i < 4; i++)
        if (strcmp(name, kEncodingNames[i]) == 0)
            return i;
    return 0;
}

static int isSymbolic(int fontIndex) { return fontIndex == 12 || fontIndex == 13; }

static PDFFontEntry* fontRow(PDFDocContext* ctx, int i) { return &ctx->fonts[i]; }

int _opdf_findFont(PDFDocContext* ctx, const char* key, const char* encoding, int* index)
{
    *index = -1;
    for (int i = 0; i < ctx->fontCount; i++) {
        PDFFontEntry* f = fontRow(ctx, i);
        if (sameText(f->key, key) && sameText(f->encodingName, encoding)) {
            *index = i;
            return 0;
        }
    }
    for (int i = 0; i < ctx->fontCount; i++) {
        if (sameText(fontRow(ctx, i)->key, key)) {
            *index = i;
            return 1;
        }
    }
    return 2;
}

void _opdf_selectFont(PDFDocContext* ctx, int index, float size)
{
    ctx->currentFont = index;
    _opdf_addPageResource(ctx, OPDF_RES_FONTS, index);
    ctx->fontSize = size;
    _opdf_contentf(ctx, "/%s %.3f Tf\n", fontRow(ctx, index)->resourceName, (double)size);
}

PDFFontEncoding* _opdf_addEncoding(PDFDocContext* ctx, const char* name, const char* base,
                                   const char* differences, int length)
{
    if (name) {
        for (PDFFontEncoding* e = ctx->encodingHead; e; e = e->next)
            if (e->name && strcmp(e->name, name) == 0)
                return e;
    }
    PDFFontEncoding* e = (PDFFontEncoding*)_opdf_checkAlloc(calloc(1, sizeof *e));
    if (!e)
        return NULL;
    e->differences = (unsigned char*)_opdf_checkAlloc(malloc((size_t)length + 1));
    if (!e->differences) {
        free(e);
        return NULL;
    }
    memcpy(e->differences, differences, (size_t)length);
    e->differences[length] = 0;
    e->differencesLength = length;
    e->name = _opdf_strdup(name);
    e->baseEncoding = _opdf_strdup(base);
    if (ctx->encodingTail)
        ctx->encodingTail->next = e;
    else
        ctx->encodingHead = e;
    ctx->encodingTail = e;
    return e;
}

static void replaceDifferences(PDFFontEncoding* e, const char* differences, int length)
{
    unsigned char* d = (unsigned char*)_opdf_checkAlloc(malloc((size_t)length + 1));
    if (!d)
        return;
    memcpy(d, differences, (size_t)length);
    d[length] = 0;
    free(e->differences);
    e->differences = d;
    e->differencesLength = length;
}

PDFFontFile* _opdf_newFontFile(PDFDocContext* ctx)
{
    if (ctx->fontFileCount >= ctx->maxFonts) {
        _opdf_error(ctx, 1, OPDF_MODULE, kTooMany, ctx->fontFileCount);
        return NULL;
    }
    PDFFontFile* f = (PDFFontFile*)_opdf_checkAlloc(calloc(1, sizeof *f));
    if (!f)
        return NULL;
    f->previous = ctx->fontFileCount > 0 ? ctx->fontFiles[ctx->fontFileCount - 1] : NULL;
    ctx->fontFiles[ctx->fontFileCount++] = f;
    return f;
}

/* Takes back the newest font-file row after a failed load. */
static void dropNewestFontFile(PDFDocContext* ctx, PDFFontFile* f)
{
    if (ctx->fontFileCount > 0 && ctx->fontFiles[ctx->fontFileCount - 1] == f) {
        ctx->fontFiles[--ctx->fontFileCount] = NULL;
        _opdf_freeFontFile(f);
    }
}

static PDFFontFile* findFontFile(PDFDocContext* ctx, const char* key)
{
    for (int i = 0; i < ctx->fontFileCount; i++)
        if (sameText(ctx->fontFiles[i]->key, key))
            return ctx->fontFiles[i];
    return NULL;
}

void _opdf_freeDescriptor(PDFFontDescriptor* d)
{
    if (!d)
        return;
    free(d->FontName);
    free(d->Style);
    free(d);
}

PDFFontDescriptor* _opdf_copyDescriptor(const PDFFontDescriptor* d, const char* fontName)
{
    PDFFontDescriptor* c = (PDFFontDescriptor*)_opdf_checkAlloc(malloc(sizeof *c));
    if (!c)
        return NULL;
    *c = *d;
    c->objectNumber = 0;
    c->written = 0;
    c->FontName = _opdf_strdup(d->FontName ? d->FontName : fontName);
    c->Style = _opdf_strdup(d->Style);
    return c;
}

static PDFFontDescriptor* builtinDescriptor(int pos, const char* baseFont)
{
    PDFFontDescriptor* d = (PDFFontDescriptor*)_opdf_checkAlloc(calloc(1, sizeof *d));
    if (!d)
        return NULL;
    const PDFBuiltinDescriptor* b =
        pos >= 45 ? &kCJK[pos - 45].d : &_opdf_builtinDescriptors[pos];
    d->Ascent = b->ascent;
    d->CapHeight = b->capHeight;
    d->Descent = b->descent;
    d->Flags = b->flags;
    for (int i = 0; i < 4; i++)
        d->FontBBox[i] = b->bbox[i];
    d->ItalicAngle = b->italicAngle;
    d->StemV = b->stemV;
    d->XHeight = b->xHeight;
    d->StemH = b->stemH;
    d->MissingWidth = b->missingWidth;
    d->Leading = b->leading;
    d->MaxWidth = b->maxWidth;
    d->AvgWidth = b->avgWidth;
    d->FontName = _opdf_strdup(baseFont);
    if (pos >= 45)
        d->Style = _opdf_strdup(kCJK[pos - 45].style);
    return d;
}

static PDFCIDFontInfo* cidInfo(int pos)
{
    PDFCIDFontInfo* c = (PDFCIDFontInfo*)_opdf_checkAlloc(calloc(1, sizeof *c));
    if (!c)
        return NULL;
    c->defaultWidth = 1000;
    c->systemInfo = kCJK[pos - 45].systemInfo;
    c->widths = kCJK[pos - 45].widths;
    return c;
}

static uint16_t* copyWidths(const uint16_t* w, int first, int last)
{
    if (!w || last < first)
        return NULL;
    size_t n = (size_t)(last - first + 1);
    uint16_t* c = (uint16_t*)_opdf_checkAlloc(malloc(n * sizeof *c));
    if (c)
        memcpy(c, w, n * sizeof *c);
    return c;
}

static int32_t* copyUnicode(const int32_t* u, int first, int last)
{
    if (!u || last < first)
        return NULL;
    size_t n = (size_t)(last - first + 1);
    int32_t* c = (int32_t*)_opdf_checkAlloc(malloc(n * sizeof *c));
    if (c)
        memcpy(c, u, n * sizeof *c);
    return c;
}

static void freeEntry(PDFFontEntry* f)
{
    free(f->baseFont);
    free(f->key);
    free(f->encodingName);
    free(f->ownWidths);
    _opdf_freeDescriptor(f->desc);
    free(f->cid);
    free(f->unicode);
    memset(f, 0, sizeof *f);
}

/* Appends a prepared row and makes it current. */
static int commitRow(PDFDocContext* ctx, PDFFontEntry* e, float size)
{
    int i = ctx->fontCount++;
    _opdf_format(e->resourceName, sizeof e->resourceName, "F%d", i + 1);
    ctx->fonts[i] = *e;
    _opdf_selectFont(ctx, i, size);
    return 0;
}

static int checkCMap(PDFDocContext* ctx, const char* name, const char* encoding)
{
    if (_opdf_isPredefinedCMap(encoding))
        return 1;
    _opdf_error(ctx, 1, OPDF_MODULE, "Encoding %s of CJK font %s is not a predefined CMap",
                nz(encoding), nz(name));
    return 0;
}

static int fontTablesReady(PDFDocContext* ctx) { return ctx && ctx->fonts && ctx->fontFiles; }

/* ---- fonts by name ----------------------------------------------------------- */

int opdf_setFont(PDFDocContext* ctx, const char* name, const char* encoding, float size,
                 int embed, int fontType, int flags, const char* metricsFile,
                 const char* outlineFile)
{
    if (!fontTablesReady(ctx) || !name)
        return -1;
    int index;
    if (_opdf_findFont(ctx, name, encoding, &index) == 0) {
        _opdf_selectFont(ctx, index, size);
        return 0;
    }
    int pos = _opdf_builtinFontIndex(name);
    PDFFontFile* file = NULL;
    if (pos < 0) {
        file = findFontFile(ctx, name);
        if (file && (!file->pfmDescriptor || (embed == 1 && !file->program)))
            file = NULL;
        if (!file) {
            file = _opdf_newFontFile(ctx);
            if (!file)
                return -1;
            PDFFontEntry temp;
            memset(&temp, 0, sizeof temp);
            PDFFontDescriptor* desc = (PDFFontDescriptor*)_opdf_checkAlloc(calloc(1, sizeof *desc));
            int rc = desc ? _opdf_loadExternalFont(ctx, name, &temp, desc, file, embed, flags,
                                                   metricsFile, outlineFile)
                          : -1;
            if (rc != 0) {
                _opdf_error(ctx, 1, OPDF_MODULE, "Font not found: %s >> substituting Times-Roman.",
                            name);
                free(temp.ownWidths);
                _opdf_freeDescriptor(desc);
                dropNewestFontFile(ctx, file);
                return opdf_setFont(ctx, "Times-Roman", encoding, size, 0, 0, 0, NULL, NULL);
            }
            file->pfmDescriptor = desc;
            file->key = _opdf_strdup(name);
            file->pfmWidths = temp.ownWidths;
            file->pfmFirst = temp.first;
            file->pfmLast = temp.last;
        }
    }
    if (ctx->fontCount >= ctx->maxFonts) {
        _opdf_error(ctx, 1, OPDF_MODULE, kTooMany, ctx->fontCount);
        return 1;
    }
    PDFFontEntry e;
    memset(&e, 0, sizeof e);
    e.revision = 0;
    if (pos >= 0 && pos < 14) {
        e.kind = OPDF_KIND_STANDARD;
    } else if (pos >= 14 && pos < 45) {
        e.kind = OPDF_KIND_BUILTIN;
    } else if (pos >= 45) {
        e.kind = OPDF_KIND_CJK;
        if (!checkCMap(ctx, name, encoding))
            return -1;
    } else {
        e.kind = embed == 1 ? OPDF_KIND_EMBEDDED : OPDF_KIND_EXTERNAL;
    }
    e.fontIndex = pos >= 0 ? pos : OPDF_FONT_LOADED;
    strcpy(e.subtype, e.kind == OPDF_KIND_CJK ? "Type0"
                      : (pos < 0 && fontType == 1) ? "TrueType" : "Type1");
    e.key = _opdf_strdup(name);
    e.encodingName = _opdf_strdup(encoding);
    e.encodingIndex = encodingIndex(encoding);
    if (pos >= 0) {
        e.baseFont = _opdf_strdup(name);
        if (pos < 45) {
            e.first = 32;
            e.last = 255;
            e.widths = _opdf_builtinWidths[pos];
        } else {
            e.first = e.last = -1;
        }
        if (e.kind == OPDF_KIND_BUILTIN || e.kind == OPDF_KIND_CJK)
            e.desc = builtinDescriptor(pos, name);
        if (e.kind == OPDF_KIND_CJK) {
            e.cid = cidInfo(pos);
            opdf_setPDFLevel(ctx, 1, 2);
        }
    } else {
        e.desc = _opdf_copyDescriptor(file->pfmDescriptor, name);
        if (e.desc)
            e.desc->fontFile = e.kind == OPDF_KIND_EMBEDDED && file->program ? file : NULL;
        e.baseFont = _opdf_strdup(e.desc && e.desc->FontName ? e.desc->FontName : name);
        e.first = file->pfmFirst;
        e.last = file->pfmLast;
        e.ownWidths = copyWidths(file->pfmWidths, e.first, e.last);
        e.widths = e.ownWidths;
    }
    return commitRow(ctx, &e, size);
}

/* ---- fonts from memory ----------------------------------------------------------- */

static int fontFromStream(PDFDocContext* ctx, int fontType, const char* key, const char* baseFont,
                          const char* encoding, float size, int first, int last,
                          const uint16_t* widths, const PDFFontDescriptor* desc,
                          const char* fontFileName, const unsigned char* program, long length,
                          const char* encodingRecordName, const char* differences,
                          int differencesLength, const int32_t* unicodeMap, int revision)
{
    int index;
    int found = _opdf_findFont(ctx, key, encoding, &index);
    if (found == 0) {
        PDFFontEntry* f = fontRow(ctx, index);
        if (f->revision < revision &&
            (f->kind == OPDF_KIND_EMBEDDED || f->kind == OPDF_KIND_EXTERNAL ||
             f->kind == OPDF_KIND_BUILTIN_WIDTHS) &&
            widths && last >= first) {
            uint16_t* w = copyWidths(widths, first, last);
            if (w) {
                free(f->ownWidths);
                f->ownWidths = w;
                f->widths = w;
                f->first = first;
                f->last = last;
            }
            if (f->encoding && differences && differencesLength > 0)
                replaceDifferences(f->encoding, differences, differencesLength);
            free(f->unicode);
            f->unicode = copyUnicode(unicodeMap, first, last);
            f->revision = revision;
        }
        _opdf_selectFont(ctx, index, size);
        return 0;
    }
    if (ctx->fontCount >= ctx->maxFonts) {
        _opdf_error(ctx, 1, OPDF_MODULE, kTooMany, ctx->fontCount);
        return 1;
    }
    PDFFontEntry e;
    memset(&e, 0, sizeof e);
    int pos = _opdf_builtinFontIndex(baseFont);
    e.fontIndex = pos >= 0 ? pos : OPDF_FONT_OTHER;
    if (pos < 0)
        e.kind = OPDF_KIND_EXTERNAL;
    else if (pos < 45 && widths)
        e.kind = OPDF_KIND_BUILTIN_WIDTHS;
    else
        e.kind = pos < 14 ? OPDF_KIND_STANDARD : pos < 45 ? OPDF_KIND_BUILTIN : OPDF_KIND_CJK;
    const char* subtype = fontType == 1 ? "TrueType" : "Type1";
    if (e.kind == OPDF_KIND_CJK) {
        subtype = "Type0";
        if (!checkCMap(ctx, key, encoding))
            return -1;
    }
    const char* typeName = fontType == 0 ? "Type1" : fontType == 1 ? "TrueType" : "Type1c";
    if (!widths && e.kind != OPDF_KIND_STANDARD && e.kind != OPDF_KIND_BUILTIN) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Width information is not given for font. Name:%s (%s) Type:%s",
                    nz(baseFont), nz(key), typeName);
        return -1;
    }
    if (!desc && e.kind != OPDF_KIND_STANDARD && e.kind != OPDF_KIND_BUILTIN &&
        e.kind != OPDF_KIND_CJK && e.kind != OPDF_KIND_BUILTIN_WIDTHS) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Font Descriptor is empty for font.Name:%s (%s) Type:%s",
                    nz(baseFont), nz(key), typeName);
        return -1;
    }
    if (widths && last < first) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Width information is not given for font. Name:%s (%s) Type:%s",
                    nz(baseFont), nz(key), typeName);
        return -1;
    }
    PDFFontFile* file = NULL;
    int newFile = 0;
    if (program && length > 0 && fontFileName) {
        file = findFontFile(ctx, fontFileName);
        if (!file) {
            file = _opdf_newFontFile(ctx);
            if (!file)
                return -1;
            newFile = 1;
            int rc;
            if (fontType == 0)
                rc = ReadPFBBuffer(ctx, program, length, file, fontFileName);
            else
                rc = _opdf_initTrueTypeFontFile(ctx, program, length, file, fontFileName) == 1
                         ? 0
                         : -1;
            if (rc == 0 && fontType == 2 && file->kind != OPDF_FILE_TYPE1C)
                file->kind = OPDF_FILE_TYPE1C;
            if (rc != 0) {
                dropNewestFontFile(ctx, file);
                return rc;
            }
            if (!file->key)
                file->key = _opdf_strdup(fontFileName);
        }
        e.kind = OPDF_KIND_EMBEDDED;
        if (file->kind == OPDF_FILE_TYPE1C && strcmp(subtype, "Type0") != 0)
            subtype = "Type1"; /* compact outlines go into a Type 1 font */
    }
    (void)newFile;
    strcpy(e.subtype, subtype);
    e.key = _opdf_strdup(key);
    e.baseFont = _opdf_strdup(baseFont);
    e.encodingName = _opdf_strdup(encoding);
    e.encodingIndex = encoding ? encodingIndex(encoding) : 0;
    if (widths) {
        e.first = first;
        e.last = last;
        e.ownWidths = copyWidths(widths, first, last);
        e.widths = e.ownWidths;
    } else if (pos >= 0 && pos < 45) {
        e.first = 32;
        e.last = 255;
        e.widths = _opdf_builtinWidths[pos];
    } else {
        e.first = e.last = -1;
    }
    if (differences && differencesLength > 0)
        e.encoding = _opdf_addEncoding(ctx, encodingRecordName, encoding, differences,
                                       differencesLength);
    if (unicodeMap && e.ownWidths)
        e.unicode = copyUnicode(unicodeMap, first, last);
    e.revision = revision;
    if (desc)
        e.desc = _opdf_copyDescriptor(desc, baseFont);
    else if (pos >= 14 || (pos >= 0 && e.kind == OPDF_KIND_BUILTIN_WIDTHS))
        e.desc = builtinDescriptor(pos, baseFont);
    if (e.desc)
        e.desc->fontFile = file;
    if (e.kind == OPDF_KIND_CJK) {
        e.cid = cidInfo(pos);
        opdf_setPDFLevel(ctx, 1, 2);
    }
    if (file)
        opdf_setPDFLevel(ctx, 1, 2);
    return commitRow(ctx, &e, size);
}

int opdf_setFontUsingStream(PDFDocContext* ctx, int fontType, const char* key,
                            const char* baseFont, const char* encoding, float size, int first,
                            int last, const uint16_t* widths, const PDFFontDescriptor* desc,
                            const char* fontFileName, const unsigned char* program,
                            long programLength, const char* encodingRecordName,
                            const char* differences, int differencesLength,
                            const int32_t* unicodeMap, int revision)
{
    if (!fontTablesReady(ctx) || fontType < 0 || fontType > 2 || !key || !baseFont)
        return -1;
    return fontFromStream(ctx, fontType, key, baseFont, encoding, size, first, last, widths, desc,
                          fontFileName, program, programLength, encodingRecordName, differences,
                          differencesLength, unicodeMap, revision);
}

int opdf_setFontUsingFile(PDFDocContext* ctx, int fontType, const char* key,
                          const char* baseFont, const char* encoding, float size, int first,
                          int last, const uint16_t* widths, const PDFFontDescriptor* desc,
                          const char* fontFilePath, const char* encodingRecordName,
                          const char* differences, int differencesLength,
                          const int32_t* unicodeMap, int revision)
{
    if (!fontTablesReady(ctx) || fontType < 0 || fontType > 2 || !key || !baseFont)
        return -1;
    int index;
    unsigned char* bytes = NULL;
    long length = 0;
    if (fontFilePath && _opdf_findFont(ctx, key, encoding, &index) != 0 &&
        !findFontFile(ctx, fontFilePath)) {
        if (_opdf_readFile(fontFilePath, &bytes, &length) < 0) {
            _opdf_error(ctx, 1, OPDF_MODULE, "Error while opening Font File: %s", fontFilePath);
            return -1;
        }
    }
    /* a font file read before is found again by its path */
    const unsigned char* program = bytes;
    long n = length;
    if (!bytes && fontFilePath && findFontFile(ctx, fontFilePath)) {
        program = (const unsigned char*)"";
        n = 1;
    }
    int rc = fontFromStream(ctx, fontType, key, baseFont, encoding, size, first, last, widths, desc,
                            fontFilePath, program, n, encodingRecordName, differences,
                            differencesLength, unicodeMap, revision);
    free(bytes);
    return rc;
}

/* ---- Type 3 fonts ------------------------------------------------------------------ */

static int copyProcs(PDFFontFile* file, const PDFGlyphProc* procs, int count)
{
    PDFGlyphProc* copies =
        count > 0 ? (PDFGlyphProc*)_opdf_checkAlloc(calloc((size_t)count, sizeof *copies)) : NULL;
    if (count > 0 && !copies)
        return -1;
    int n = 0;
    for (int i = 0; i < count; i++) {
        if (!procs[i].name || !procs[i].content || procs[i].length < 0)
            continue;
        unsigned char* c = (unsigned char*)_opdf_checkAlloc(malloc((size_t)procs[i].length + 1));
        char* name = _opdf_strdup(procs[i].name);
        if (!c || !name) {
            free(c);
            free(name);
            continue;
        }
        memcpy(c, procs[i].content, (size_t)procs[i].length);
        copies[n].name = name;
        copies[n].content = c;
        copies[n].length = procs[i].length;
        n++;
    }
    for (int i = 0; i < file->procCount; i++) {
        free((void*)file->procs[i].name);
        free((void*)file->procs[i].content);
    }
    free(file->procs);
    file->procs = copies;
    file->procCount = n;
    return 0;
}

int opdf_setFontUsingType3Stream(PDFDocContext* ctx, int fontType, const char* key,
                                 const char* fontFileKey, const char* encoding, float size,
                                 int first, int last, const uint16_t* widths,
                                 const PDFFontDescriptor* desc, const PDFGlyphProc* procs,
                                 const char* differences, int differencesLength,
                                 const int32_t* unicodeMap, int glyphCount)
{
    if (!fontTablesReady(ctx) || fontType != 3 || !desc || !procs || !key || glyphCount < 0)
        return -1;
    if (!widths || last < first) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Width information is not given for font. Name:%s (%s) Type:%s",
                    key, key, "Type3");
        return -1;
    }
    if (!differences || differencesLength <= 0) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Differences are not given for Type3 font. Name:%s", key);
        return -1;
    }
    int index;
    int found = _opdf_findFont(ctx, key, encoding, &index);
    if (found == 0) {
        PDFFontEntry* f = fontRow(ctx, index);
        if (strcmp(f->subtype, "Type3") != 0) {
            _opdf_globalError(1, "Font name conflict",
                              "Can not create font %s as Type3 Font. Font %s already exists as %s font",
                              key, key, f->subtype);
            return -1;
        }
        if (f->revision < glyphCount) {
            uint16_t* w = copyWidths(widths, first, last);
            if (w) {
                free(f->ownWidths);
                f->ownWidths = w;
                f->widths = w;
                f->first = first;
                f->last = last;
            }
            if (f->encoding)
                replaceDifferences(f->encoding, differences, differencesLength);
            free(f->unicode);
            f->unicode = copyUnicode(unicodeMap, first, last);
            if (f->desc && f->desc->fontFile)
                copyProcs(f->desc->fontFile, procs, glyphCount);
            f->revision = glyphCount;
        }
        _opdf_selectFont(ctx, index, size);
        return 0;
    }
    if (ctx->fontCount >= ctx->maxFonts) {
        _opdf_error(ctx, 1, OPDF_MODULE, kTooMany, ctx->fontCount);
        return 1;
    }
    PDFFontFile* file = NULL;
    if (found == 1) {
        PDFFontEntry* other = fontRow(ctx, index);
        if (strcmp(other->subtype, "Type3") != 0) {
            _opdf_globalError(1, "Font name conflict",
                              "Can not create font %s as Type3 Font. Font %s already exists as %s font",
                              key, key, other->subtype);
            return -1;
        }
        file = other->desc ? other->desc->fontFile : NULL;
    }
    int newFile = 0;
    if (!file) {
        file = _opdf_newFontFile(ctx);
        if (!file)
            return -1;
        newFile = 1;
        file->kind = OPDF_FILE_TYPE3;
        file->key = _opdf_strdup(fontFileKey ? fontFileKey : key);
    }
    PDFFontEntry e;
    memset(&e, 0, sizeof e);
    e.kind = OPDF_KIND_EMBEDDED;
    strcpy(e.subtype, "Type3");
    e.fontIndex = OPDF_FONT_OTHER;
    e.key = _opdf_strdup(key);
    e.baseFont = _opdf_strdup(key);
    e.encodingName = _opdf_strdup(encoding);
    e.encodingIndex = encoding ? encodingIndex(encoding) : 0;
    e.first = first;
    e.last = last;
    e.ownWidths = copyWidths(widths, first, last);
    e.widths = e.ownWidths;
    e.desc = _opdf_copyDescriptor(desc, key);
    if (!e.ownWidths || !e.desc) {
        freeEntry(&e);
        if (newFile)
            dropNewestFontFile(ctx, file);
        return -1;
    }
    if (newFile)
        copyProcs(file, procs, glyphCount);
    e.encoding = _opdf_addEncoding(ctx, NULL, NULL, differences, differencesLength);
    e.unicode = copyUnicode(unicodeMap, first, last);
    e.revision = glyphCount;
    e.desc->fontFile = file;
    opdf_setPDFLevel(ctx, 1, 2);
    return commitRow(ctx, &e, size);
}

/* ---- queries ------------------------------------------------------------------------ */

static PDFFontEntry* currentFont(PDFDocContext* ctx)
{
    if (!ctx || !ctx->fonts || ctx->currentFont < 0 || ctx->currentFont >= ctx->fontCount)
        return NULL;
    return fontRow(ctx, ctx->currentFont);
}

const char* opdf_getCurrentFontName(PDFDocContext* ctx)
{
    PDFFontEntry* f = currentFont(ctx);
    if (!f)
        return NULL;
    if (!strcmp(f->subtype, "Type1") || !strcmp(f->subtype, "TrueType") ||
        !strcmp(f->subtype, "Type1c"))
        return f->key;
    if (!strcmp(f->subtype, "Type3"))
        return f->resourceName;
    return f->baseFont;
}

static const uint16_t* remapTable(const PDFFontEntry* f)
{
    if (f->encodingIndex <= 0 || f->encodingIndex > 3 || isSymbolic(f->fontIndex))
        return NULL;
    return _opdf_remapTables[f->encodingIndex];
}

float opdf_stringWidth(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    PDFFontEntry* f = currentFont(ctx);
    if (!f || !bytes || n <= 0)
        return 0;
    double s = ctx->fontSize, c = ctx->charSpacing, w = ctx->wordSpacing, sum = 0;
    if (f->kind == OPDF_KIND_EMBEDDED || f->kind == OPDF_KIND_EXTERNAL ||
        f->kind == OPDF_KIND_BUILTIN_WIDTHS) {
        for (int i = 0; i < n; i++) {
            int k = bytes[i];
            if (!f->widths || k < f->first || k > f->last) {
                _opdf_globalWarning(1, OPDF_MODULE,
                                    "Missing width information for character %c (0x%02X), where width is available in between %c (0x%02X) and %c (0x%02X)",
                                    k, k, f->first & 0xFF, f->first, f->last & 0xFF, f->last);
                continue;
            }
            sum += f->widths[k - f->first] * s * 0.001 + c;
            if (k == 32)
                sum += w;
        }
    } else if (f->kind == OPDF_KIND_CJK) {
        for (int i = 0; i < n; i++) {
            if (bytes[i] > 127) {
                sum += s + c;
                i++;
            } else {
                sum += s * 0.5 + c;
                if (bytes[i] == 32)
                    sum += w;
            }
        }
    } else {
        const uint16_t* remap = remapTable(f);
        for (int i = 0; i < n; i++) {
            int k = remap ? remap[bytes[i]] : bytes[i];
            sum += f->widths[k] * s * 0.001 + c;
            if (k == 32)
                sum += w;
        }
    }
    return (float)((sum - c) * ctx->hScaling / 100.0);
}

float opdf_stdFontStringWidth(PDFDocContext* ctx, const char* fontName, const unsigned char* bytes,
                              int n)
{
    (void)ctx;
    int pos = _opdf_builtinFontIndex(fontName);
    if (pos < 0 || pos >= 45 || !bytes)
        return 0;
    long sum = 0; /* a 16-bit sum would wrap after some 65 em */
    for (int i = 0; i < n; i++)
        sum += _opdf_builtinWidths[pos][bytes[i]];
    return (float)(sum * 0.001);
}

static float metric(PDFDocContext* ctx, int which)
{
    PDFFontEntry* f = currentFont(ctx);
    if (!f)
        return 0;
    int v = 0;
    if ((f->kind < 2 || f->kind == OPDF_KIND_CJK) && f->fontIndex >= 0 &&
        f->fontIndex < OPDF_BUILTIN_FONTS) {
        const PDFBuiltinDescriptor* b = f->fontIndex >= 45 ? &kCJK[f->fontIndex - 45].d
                                                           : &_opdf_builtinDescriptors[f->fontIndex];
        v = which == 0 ? b->capHeight : which == 1 ? b->ascent : b->descent;
    } else if (f->desc) {
        v = which == 0 ? f->desc->CapHeight : which == 1 ? f->desc->Ascent : f->desc->Descent;
    }
    return (float)(v / 1000.0 * ctx->fontSize);
}

float opdf_getFontCapHeight(PDFDocContext* ctx) { return metric(ctx, 0); }
float opdf_getFontAscent(PDFDocContext* ctx) { return metric(ctx, 1); }
float opdf_getFontDescent(PDFDocContext* ctx) { return metric(ctx, 2); }

/* ---- showing text -------------------------------------------------------------------- */

static void showChunks(PDFDocContext* ctx, const unsigned char* bytes, int n, int hex,
                       const char* op)
{
    int chunk = hex && !ctx->hexStrings ? 16000 : 32000;
    for (int off = 0; off < n; off += chunk) {
        int k = n - off < chunk ? n - off : chunk;
        if (hex)
            _opdf_putContentHex(ctx, bytes + off, k);
        else
            _opdf_putContentLiteral(ctx, bytes + off, k);
        _opdf_putContent(ctx, op);
    }
}

void opdf_rawShowText(PDFDocContext* ctx, const unsigned char* bytes, int n)
{
    if (!ctx || !bytes || n <= 0)
        return;
    if (ctx->hexStrings) {
        /* the input is hexadecimal text */
        char* text = (char*)_opdf_checkAlloc(malloc((size_t)n + 1));
        unsigned char* raw = (unsigned char*)_opdf_checkAlloc(malloc((size_t)n / 2 + 1));
        if (text && raw) {
            memcpy(text, bytes, (size_t)n);
            text[n] = 0;
            int count = 0;
            _opdf_fromHexText(text, raw, &count);
            showChunks(ctx, raw, count, 1, " Tj\n");
        }
        free(text);
        free(raw);
        return;
    }
    PDFFontEntry* f = currentFont(ctx);
    int hex = f && (!strcmp(f->subtype, "Type3") || (f->encoding && !f->encoding->name));
    showChunks(ctx, bytes, n, hex, " Tj\n");
}

void opdf_rawShowTextNextLine(PDFDocContext* ctx, const char* text)
{
    if (!ctx || !text || !*text)
        return;
    showChunks(ctx, (const unsigned char*)text, (int)strlen(text), ctx->hexStrings, " '\n");
}

void opdf_rawShowTextAt(PDFDocContext* ctx, float x, float y, float angle,
                        const unsigned char* bytes, int n)
{
    if (!ctx || !bytes || n <= 0)
        return;
    double r = _opdf_radians(angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_setTextMatrix(ctx, c, s, -s, c, x, y);
    opdf_rawShowText(ctx, bytes, n);
}

void opdf_rawTextAligned(PDFDocContext* ctx, float x, float y, float angle, int align,
                         const unsigned char* bytes, int n)
{
    if (!ctx || !bytes || n <= 0)
        return;
    int hz = ((align % 3) + 3) % 3, vt = align / 3;
    /* Left on the baseline needs neither the width nor the cap height. */
    float w = hz ? opdf_stringWidth(ctx, bytes, n) : 0;
    float h = vt ? opdf_getFontCapHeight(ctx) : 0;
    float dx = hz == 2 ? w : hz == 1 ? w / 2 : 0;
    float dy = vt == 2 ? h : vt == 1 ? h / 2 : 0;
    double r = _opdf_radians(angle);
    float c = (float)cos(r), s = (float)sin(r);
    opdf_setTextMatrix(ctx, c, s, -s, c, x - (c * dx - s * dy), y - (c * dy + s * dx));
    opdf_rawShowText(ctx, bytes, n);
}

void opdf_showTextAt(PDFDocContext* ctx, float x, float y, float angle, const unsigned char* bytes,
                     int n)
{
    if (ctx)
        opdf_rawShowTextAt(ctx, opdf_domainToPageX(ctx, x), opdf_domainToPageY(ctx, y), angle,
                           bytes, n);
}

void opdf_textAligned(PDFDocContext* ctx, float x, float y, float angle, int align,
                      const unsigned char* bytes, int n)
{
    if (ctx)
        opdf_rawTextAligned(ctx, opdf_domainToPageX(ctx, x), opdf_domainToPageY(ctx, y), angle,
                            align, bytes, n);
}

/* ---- release --------------------------------------------------------------------------- */

void _opdf_freeFonts(PDFDocContext* ctx)
{
    if (ctx->fontFiles) {
        for (int i = 0; i < ctx->fontFileCount; i++)
            _opdf_freeFontFile(ctx->fontFiles[i]);
        free(ctx->fontFiles);
        ctx->fontFiles = NULL;
    }
    if (ctx->fonts) {
        for (int i = 0; i < ctx->fontCount; i++)
            freeEntry(&ctx->fonts[i]);
        free(ctx->fonts);
        ctx->fonts = NULL;
    }
    ctx->fontCount = ctx->fontFileCount = 0;
}

void _opdf_freeEncodings(PDFDocContext* ctx)
{
    PDFFontEncoding* e = ctx->encodingHead;
    while (e) {
        PDFFontEncoding* n = e->next;
        free(e->name);
        free(e->baseEncoding);
        free(e->differences);
        free(e);
        e = n;
    }
    ctx->encodingHead = ctx->encodingTail = NULL;
}
