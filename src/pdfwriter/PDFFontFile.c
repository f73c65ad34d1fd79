/* Font files: PFM metrics, PFB programs, TrueType and compact programs, the font map. */
#include "opdfFonts.h"

#include <stdlib.h>
#include <string.h>

#define SEP '/'

void opdf_setFontDirectories(PDFDocContext* ctx, const char* pfmDir, const char* pfbDir)
{
    if (!ctx)
        return;
    if (pfmDir)
        _opdf_format(ctx->pfmDir, 1021, "%s", pfmDir);
    if (pfbDir)
        _opdf_format(ctx->pfbDir, 1021, "%s", pfbDir);
}

void opdf_setFontMapFile(PDFDocContext* ctx, const char* name)
{
    if (ctx && name)
        _opdf_format(ctx->fontMapFile, sizeof ctx->fontMapFile, "%s", name);
}

void _opdf_freeFontFile(PDFFontFile* f)
{
    if (!f)
        return;
    free(f->key);
    _opdf_freeMemoryStream(f->program);
    for (int i = 0; i < f->procCount; i++) {
        free((void*)f->procs[i].name);
        free((void*)f->procs[i].content);
    }
    free(f->procs);
    _opdf_freeDescriptor(f->pfmDescriptor);
    free(f->pfmWidths);
    free(f->notice);
    free(f->vendor);
    free(f->embedding);
    free(f);
}

/* ---- little-endian and big-endian readers over a checked buffer ------------------------ */

static unsigned le16(const unsigned char* p) { return (unsigned)p[0] | (unsigned)p[1] << 8; }
static unsigned long le32(const unsigned char* p)
{
    return (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 |
           (unsigned long)p[3] << 24;
}
static unsigned be16(const unsigned char* p) { return (unsigned)p[0] << 8 | p[1]; }
static unsigned long be32(const unsigned char* p)
{
    return (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 | (unsigned long)p[2] << 8 | p[3];
}

/* ---- PFM ------------------------------------------------------------------------------- */

int ReadPFM(const char* path, PDFFontEntry* entry, PDFFontDescriptor* desc, int embed, int flags)
{
    unsigned char* b = NULL;
    long n = 0;
    if (_opdf_readFile(path, &b, &n) < 0)
        return 1;
    if (n < 143) {
        _opdf_globalError(1, OPDF_MODULE, "ReadPFM - Not a valid Type1 PFM file:  %s", path);
        free(b);
        return 2;
    }
    unsigned long dfSize = le32(b + 2);
    unsigned sizeFields = le16(b + 117);
    unsigned long driverInfo = le32(b + 139);
    if (dfSize != 0 && sizeFields != 30 && driverInfo > 75 && driverInfo < 512) {
        _opdf_globalError(1, OPDF_MODULE, "ReadPFM - Not a valid Type1 PFM file:  %s", path);
        free(b);
        return 2;
    }
    int ascent = (int16_t)le16(b + 74);
    int pitch = b[90];
    int avgWidth = (int16_t)le16(b + 91);
    int maxWidth = (int16_t)le16(b + 93);
    int first = b[95], last = b[96];
    unsigned long extMetrics = le32(b + 119);
    unsigned long extentTable = le32(b + 123);
    if (extMetrics > (unsigned long)n || (unsigned long)n - extMetrics < 36 ||
        driverInfo >= (unsigned long)n) {
        _opdf_globalError(1, OPDF_MODULE, "ReadPFM - Not a valid Type1 PFM file:  %s", path);
        free(b);
        return 2;
    }
    const unsigned char* etm = b + extMetrics;
    int capHeight = (int16_t)le16(etm + 14);
    int xHeight = (int16_t)le16(etm + 16);
    int lowerDescent = (int16_t)le16(etm + 20);
    int slant = (int16_t)le16(etm + 22);

    char name[65];
    size_t k = 0;
    const unsigned char* p = b + driverInfo;
    size_t room = (size_t)n - driverInfo;
    if (room > 256)
        room = 256;
    while (k < room && k < 64 && p[k] && p[k] != ' ')
        k++;
    memcpy(name, p, k);
    name[k] = 0;

    memset(desc, 0, sizeof *desc);
    desc->Ascent = ascent;
    desc->CapHeight = capHeight;
    /* the extended metrics hold the descent as a positive depth */
    desc->Descent = lowerDescent > 0 ? -lowerDescent : lowerDescent;
    desc->Flags = embed == 1 ? 6 : flags;
    desc->FontBBox[0] = (!(pitch & 1) || avgWidth == maxWidth) ? -20 : -100;
    desc->FontBBox[1] = -5 - (lowerDescent > 0 ? lowerDescent : -lowerDescent);
    desc->FontBBox[2] = maxWidth + 10;
    desc->FontBBox[3] = ascent + 5;
    desc->FontName = _opdf_strdup(name);
    desc->ItalicAngle = (float)(slant / 10.0);
    desc->StemV = 80;
    desc->XHeight = xHeight;

    if (last < first) {
        free(b);
        return 4;
    }
    size_t count = (size_t)(last - first + 1);
    if (extentTable >= (unsigned long)n) {
        free(b);
        return 3;
    }
    if ((unsigned long)n - extentTable < count * 2) {
        free(b);
        return 4;
    }
    uint16_t* w = (uint16_t*)_opdf_checkAlloc(malloc(count * sizeof *w));
    if (!w) {
        free(b);
        return 4;
    }
    for (size_t i = 0; i < count; i++)
        w[i] = (uint16_t)le16(b + extentTable + 2 * i);
    entry->first = first;
    entry->last = last;
    entry->kind = OPDF_KIND_EMBEDDED;
    free(entry->ownWidths);
    entry->ownWidths = w;
    entry->widths = w;
    free(b);
    return 0;
}

/* ---- PFB ------------------------------------------------------------------------------- */

static void takeNotice(PDFFontFile* file, const unsigned char* s, long n)
{
    const char* key = "/Notice ";
    long kl = (long)strlen(key);
    for (long i = 0; i + kl <= n; i++) {
        if (memcmp(s + i, key, (size_t)kl) != 0)
            continue;
        long open = i + kl;
        while (open < n && s[open] != '(')
            open++;
        if (open >= n)
            return;
        long close = open + 1, seen = 0;
        for (; close < n; close++)
            if (s[close] == ')' && ++seen == 2)
                break;
        if (close >= n)
            return;
        char* t = (char*)_opdf_checkAlloc(malloc((size_t)(close - open)));
        if (!t)
            return;
        memcpy(t, s + open + 1, (size_t)(close - open - 1));
        t[close - open - 1] = 0;
        free(file->notice);
        file->notice = t;
        return;
    }
}

int ReadPFBBuffer(PDFDocContext* ctx, const unsigned char* bytes, long length, PDFFontFile* file,
                  const char* name)
{
    if (!bytes) {
        _opdf_globalError(1, OPDF_MODULE, "ReadPFB - Input buffer is null for %s", name ? name : "");
        return 1;
    }
    static const char* const errors[3] = {"ReadPFB - ASCII section-1 read error: %s",
                                          "ReadPFB - BINARY section-2 read error: %s",
                                          "ReadPFB - ASCII section-3 read error: %s"};
    PDFMemoryStream* program = _opdf_newMemoryStream();
    if (!program)
        return 1;
    long pos = 0, lengths[3] = {0, 0, 0};
    for (int seg = 0; seg < 3; seg++) {
        int expected = seg == 1 ? 2 : 1;
        if (length - pos < 6) {
            _opdf_globalError(1, OPDF_MODULE, errors[seg], name ? name : "");
            _opdf_freeMemoryStream(program);
            return 4 + seg;
        }
        const unsigned char* h = bytes + pos;
        if (h[0] != 128)
            _opdf_globalWarning(1, OPDF_MODULE,
                                "ReadPFB - Bad magic number: %d (128 expected) in section %d for %s",
                                h[0], seg + 1, name ? name : "");
        if (h[1] != expected)
            _opdf_globalWarning(1, OPDF_MODULE,
                                "ReadPFB - Unexpected type: %d (%d expected) in section %d for %s",
                                h[1], expected, seg + 1, name ? name : "");
        unsigned long n = le32(h + 2);
        pos += 6;
        if (n > (unsigned long)(length - pos) || n > 0x7FFFFFF0ul) {
            _opdf_globalError(1, OPDF_MODULE, errors[seg], name ? name : "");
            _opdf_freeMemoryStream(program);
            return 4 + seg;
        }
        int start = program->length;
        _opdf_appendMemoryStream(program, bytes + pos, (int)n);
        if (expected == 1)
            for (int i = start; i < program->length; i++)
                if (program->buffer[i] == '\r')
                    program->buffer[i] = '\n';
        if (seg == 0 && ctx && ctx->pdfaFlag) {
            takeNotice(file, program->buffer, program->length);
            opdf_setPDFLevel(ctx, 1, 4);
        }
        lengths[seg] = (long)n;
        pos += (long)n;
    }
    _opdf_freeMemoryStream(file->program);
    file->program = program;
    file->length1 = lengths[0];
    file->length2 = lengths[1];
    file->length3 = lengths[2];
    file->length = program->length;
    file->kind = OPDF_FILE_TYPE1;
    return 0;
}

int ReadPFB(PDFDocContext* ctx, const char* path, PDFFontFile* file)
{
    unsigned char* b = NULL;
    long n = 0;
    if (_opdf_readFile(path, &b, &n) < 0) {
        _opdf_globalError(1, OPDF_MODULE, "ReadPFB - Unable to open PFB file: %s", path ? path : "");
        return 1;
    }
    int rc = ReadPFBBuffer(ctx, b, n, file, path);
    free(b);
    return rc;
}

/* ---- TrueType and OpenType ----------------------------------------------------------------- */

/* Finds a table of the font; 1 with its offset and length inside the data. */
static int findTable(const unsigned char* b, long n, const char* tag, unsigned long* off,
                     unsigned long* len)
{
    if (n < 12)
        return 0;
    unsigned count = be16(b + 4);
    for (unsigned i = 0; i < count; i++) {
        unsigned long r = 12ul + 16ul * i;
        if (r + 16 > (unsigned long)n)
            return 0;
        if (memcmp(b + r, tag, 4) != 0)
            continue;
        unsigned long o = be32(b + r + 8), l = be32(b + r + 12);
        if (o > (unsigned long)n || l > (unsigned long)n - o)
            return 0;
        *off = o;
        *len = l;
        return 1;
    }
    return 0;
}

static void readNameAndOS2(PDFFontFile* file, const unsigned char* b, long n)
{
    unsigned long off, len;
    if (findTable(b, n, "name", &off, &len) && len >= 6) {
        const unsigned char* t = b + off;
        unsigned count = be16(t + 2), storage = be16(t + 4);
        for (unsigned i = 0; i < count; i++) {
            unsigned long r = 6ul + 12ul * i;
            if (r + 12 > len)
                break;
            unsigned platform = be16(t + r), enc = be16(t + r + 2), lang = be16(t + r + 4);
            unsigned id = be16(t + r + 6), l = be16(t + r + 8), o = be16(t + r + 10);
            int wanted = id == 0 && ((platform == 1 && enc == 0 && lang == 0) ||
                                     (platform == 2 && (enc == 0 || enc == 2)));
            if (!wanted || (unsigned long)storage + o + l > len)
                continue;
            char* text = (char*)_opdf_checkAlloc(malloc((size_t)l + 1));
            if (text) {
                memcpy(text, t + storage + o, l);
                text[l] = 0;
                free(file->notice);
                file->notice = text;
            }
            break;
        }
    }
    if (findTable(b, n, "OS/2", &off, &len) && len >= 62) {
        int fs = b[off + 9];
        const char* e = (fs & 8)   ? "Edit allowed"
                        : (fs & 4) ? "Preview & Print allowed"
                        : (fs & 2) ? "Modification/Copying restricted"
                                   : "All operations are allowed";
        free(file->embedding);
        file->embedding = _opdf_strdup(e);
        if (b[off + 58]) {
            char v[5];
            memcpy(v, b + off + 58, 4);
            v[4] = 0;
            free(file->vendor);
            file->vendor = _opdf_strdup(v);
        }
    }
}

int _opdf_initTrueTypeFontFile(PDFDocContext* ctx, const unsigned char* bytes, long length,
                               PDFFontFile* file, const char* key)
{
    if (!ctx || !file)
        return -1;
    if (!bytes || length <= 0)
        return -1;
    free(file->key);
    file->key = _opdf_strdup(key);
    const unsigned char* program = bytes;
    long n = length;
    unsigned long off, len;
    file->kind = OPDF_FILE_TRUETYPE;
    /* compact (CFF) outlines are embedded as such, never as a TrueType program */
    if (findTable(bytes, length, "CFF ", &off, &len)) {
        program = bytes + off;
        n = (long)len;
        file->kind = OPDF_FILE_TYPE1C;
    }
    PDFMemoryStream* s = _opdf_newMemoryStream();
    if (!s)
        return -1;
    _opdf_appendMemoryStream(s, program, (int)n);
    _opdf_freeMemoryStream(file->program);
    file->program = s;
    file->length = file->length1 = n;
    if (ctx->pdfaFlag) {
        readNameAndOS2(file, bytes, length);
        opdf_setPDFLevel(ctx, 1, 4);
    }
    return 1;
}

/* ---- font map ------------------------------------------------------------------------------- */

static int parenText(const char** p, char* out, size_t size)
{
    const char* open = strchr(*p, '(');
    if (!open)
        return 0;
    const char* close = strchr(open + 1, ')');
    if (!close)
        return 0;
    size_t n = (size_t)(close - open - 1);
    if (n >= size)
        n = size - 1;
    memcpy(out, open + 1, n);
    out[n] = 0;
    *p = close + 1;
    return 1;
}

static void resolvePath(char* out, size_t size, const char* name, const char* dir, int haveDirs,
                        char prefixes[10][8], int prefixCount)
{
    int absolute = 0;
    for (int i = 0; i < prefixCount; i++)
        if (strncmp(name, prefixes[i], strlen(prefixes[i])) == 0)
            absolute = 1;
    if (haveDirs && prefixCount > 0 && !absolute)
        _opdf_format(out, size, "%s%c%s", dir, SEP, name);
    else
        _opdf_format(out, size, "%s", name);
}

int opdf_readFontMap(PDFDocContext* ctx, const char* fontName, char* metricsPath, char* outlinePath)
{
    if (!ctx || !fontName)
        return -1;
    FILE* f = fopen(ctx->fontMapFile, "r");
    if (!f)
        return 1;
    char line[2100];
    char pfmDir[1024] = "", pfbDir[1024] = "";
    char prefixes[10][8];
    int prefixCount = 0, haveDirs = 0, result = -1;
    size_t nameLen = strlen(fontName);
    while (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        if (line[0] == '#' || line[0] == '%' || strlen(line) < 3)
            continue;
        const char* p = line;
        if (strncmp(line, "$Font_Directories", 17) == 0) {
            if (!parenText(&p, pfmDir, sizeof pfmDir) || !parenText(&p, pfbDir, sizeof pfbDir)) {
                result = 2;
                break;
            }
            haveDirs = 1;
            continue;
        }
        if (strncmp(line, "$Abs_Path_Prefix", 16) == 0) {
            char t[1024];
            while (prefixCount < 10 && parenText(&p, t, sizeof t))
                if (strlen(t) >= 1 && strlen(t) <= 7)
                    strcpy(prefixes[prefixCount++], t);
            continue;
        }
        if (line[0] == '$')
            continue;
        const char* w = line;
        while (*w == ' ' || *w == '\t')
            w++;
        size_t wl = strcspn(w, " \t(");
        if (wl != nameLen || strncmp(w, fontName, nameLen) != 0)
            continue;
        char m[1024], o[1024];
        if (!parenText(&p, m, sizeof m) || !parenText(&p, o, sizeof o)) {
            result = 2;
            break;
        }
        resolvePath(metricsPath, 1024, m, pfmDir, haveDirs, prefixes, prefixCount);
        resolvePath(outlinePath, 1024, o, pfbDir, haveDirs, prefixes, prefixCount);
        result = 0;
        break;
    }
    fclose(f);
    return result;
}

/* ---- loading a font by name ----------------------------------------------------------------- */

int _opdf_loadExternalFont(PDFDocContext* ctx, const char* name, PDFFontEntry* entry,
                           PDFFontDescriptor* desc, PDFFontFile* file, int embed, int flags,
                           const char* metricsFile, const char* outlineFile)
{
    char path[2100], outline[2100];
    int where; /* 0 directly, 1 in the directories, 2 through the map */
    if (metricsFile)
        _opdf_format(path, sizeof path, "%s", metricsFile);
    else
        _opdf_format(path, sizeof path, "%s.pfm", name);
    int rc = ReadPFM(path, entry, desc, embed, flags);
    if (rc == 0) {
        where = 0;
    } else {
        if (metricsFile)
            _opdf_format(path, sizeof path, "%s%c%s", ctx->pfmDir, SEP, metricsFile);
        else
            _opdf_format(path, sizeof path, "%s%c%s.pfm", ctx->pfmDir, SEP, name);
        rc = ReadPFM(path, entry, desc, embed, flags);
        where = 1;
        if (rc != 0) {
            char m[1024], o[1024];
            int r = opdf_readFontMap(ctx, name, m, o);
            if (r == -1) {
                _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_loadExternalFont() Font not found: %s", name);
                return -1;
            }
            if (r == 1) {
                _opdf_error(ctx, 1, OPDF_MODULE, "_opdf_loadExternalFont() Fontmap file not found: %s",
                            ctx->fontMapFile);
                return 1;
            }
            if (r == 2) {
                _opdf_error(ctx, 1, OPDF_MODULE,
                            "_opdf_loadExternalFont() Syntax error in fontmap file: %s",
                            ctx->fontMapFile);
                return 2;
            }
            rc = ReadPFM(m, entry, desc, embed, flags);
            if (rc != 0) {
                _opdf_error(ctx, 1, OPDF_MODULE,
                            "_opdf_loadExternalFont() Fontmap file %s or PFM file %s for %s is invalid.",
                            ctx->fontMapFile, m, name);
                return rc;
            }
            _opdf_format(outline, sizeof outline, "%s", o);
            where = 2;
        }
    }
    if (embed == 1) {
        if (where == 0) {
            if (outlineFile)
                _opdf_format(outline, sizeof outline, "%s", outlineFile);
            else
                _opdf_format(outline, sizeof outline, "%s.pfb", name);
        } else if (where == 1) {
            if (outlineFile)
                _opdf_format(outline, sizeof outline, "%s%c%s", ctx->pfbDir, SEP, outlineFile);
            else
                _opdf_format(outline, sizeof outline, "%s%c%s.pfb", ctx->pfbDir, SEP, name);
        }
        rc = ReadPFB(ctx, outline, file);
        if (rc != 0)
            return rc;
        desc->fontFile = file;
    }
    return 0;
}
