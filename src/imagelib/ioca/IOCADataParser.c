/* Single pass over the self-defining fields of an IOCA segment; data
   segments are kept as places in the caller's buffer until gathered. */
#include "oiocaInternal.h"

#include <stdlib.h>
#include <string.h>

typedef struct Reader {
    const unsigned char* data;
    uint32_t size;
    uint32_t pos;
} Reader;

/* Parse state of the one parse running. */
static Reader g_reader;
static IOCAHandle* g_handle;
static IOCAImageContent* g_content;
static IOCATile* g_tile;
static IOCAImageProperties* g_properties;

#define TRY(call)                                                                                  \
    do {                                                                                           \
        int rc_ = (call);                                                                          \
        if (rc_ != 0)                                                                              \
            return rc_;                                                                            \
    } while (0)

static int readByte(unsigned* value)
{
    if (g_reader.pos >= g_reader.size)
        return -8;
    *value = g_reader.data[g_reader.pos++];
    return 0;
}

static int readNumber(int bytes, uint32_t* value)
{
    if ((uint32_t)bytes > g_reader.size - g_reader.pos)
        return -8;
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++)
        v = v << 8 | g_reader.data[g_reader.pos++];
    *value = v;
    return 0;
}

static int skip(uint32_t n)
{
    if (n > g_reader.size - g_reader.pos)
        return -8;
    g_reader.pos += n;
    return 0;
}

static void nameLine(const char* name)
{
    qelIOCATrace_setLevel(2);
    oioca_trace(name);
    qelIOCATrace_setLevel(3);
}

static int readLength(int bytes, uint32_t* length)
{
    TRY(readNumber(bytes, length));
    qelIOCATrace_printf("Length: %d", (int)*length);
    return 0;
}

static IOCAImageProperties* newProperties(void)
{
    IOCAImageProperties* p = calloc(1, sizeof *p);
    if (!p)
        return NULL;
    p->compression = 3;
    p->ideSize = 1;
    p->bitsPerComponent[0] = 1;
    p->horizontalOffset = INT32_MAX;
    p->verticalOffset = INT32_MAX;
    p->relativeResolution = 1;
    return p;
}

static void freeSegments(IOCABandSegments* s)
{
    if (!s)
        return;
    free(s->offsets);
    free(s->lengths);
    free(s);
}

static void freeBand(IOCABandData* b)
{
    if (b)
        free(b->data);
    free(b);
}

static void freeTile(IOCATile* t)
{
    for (int i = 0; i < OIOCA_BANDS; i++) {
        freeBand(t->bandData[i]);
        freeSegments(t->bandSegments[i]);
        freeBand(t->maskBandData[i]);
        freeSegments(t->maskBandSegments[i]);
    }
    free(t->properties);
    free(t->maskProperties);
    free(t);
}

void qelIOCADataParser_freeContents(IOCAImageContent* contents)
{
    while (contents) {
        IOCAImageContent* next = contents->next;
        for (IOCATile* t = contents->firstTile; t;) {
            IOCATile* nt = t->next;
            freeTile(t);
            t = nt;
        }
        /* The current properties not yet given to a tile. */
        free(contents);
        contents = next;
    }
}

static int appendSegment(IOCABandSegments** slot, int index, uint32_t offset, uint32_t length)
{
    IOCABandSegments* s = *slot;
    if (!s) {
        s = calloc(1, sizeof *s);
        if (!s)
            return -3;
        s->bandIndex = index;
        *slot = s;
    }
    if (s->count == s->capacity) {
        uint32_t cap = s->capacity ? 2 * s->capacity : 4;
        uint32_t* offsets = realloc(s->offsets, cap * sizeof *offsets);
        if (!offsets)
            return -3;
        s->offsets = offsets;
        uint32_t* lengths = realloc(s->lengths, cap * sizeof *lengths);
        if (!lengths)
            return -3;
        s->lengths = lengths;
        s->capacity = cap;
    }
    s->offsets[s->count] = offset;
    s->lengths[s->count] = length;
    s->count++;
    s->totalLength += length;
    return 0;
}

/* Image Data (X'FE92') or Band Image Data (X'FE9C') into the tile's image
   or mask bands. */
static int dataSegment(int banded, int mask)
{
    uint32_t length;
    uint32_t band = 1;
    if (!banded) {
        nameLine("Image Data");
        TRY(readLength(2, &length));
    } else {
        nameLine("Band Image Data");
        TRY(readNumber(2, &length));
        qelIOCATrace_printf("Length: %d", (int)length - 1);
        if (length < 3)
            return -8;
        uint32_t reserved;
        TRY(readNumber(1, &band));
        qelIOCATrace_printf("Band Nr: %d", (int)band);
        for (int i = 0; i < 2; i++) {
            TRY(readNumber(1, &reserved));
            if (reserved)
                oioca_trace("Warning:Reserved Byte in Band Image Data is not zero");
        }
        length -= 3;
        if (band < 1 || band > OIOCA_BANDS)
            return -8;
    }
    if (!g_tile)
        return -13;
    uint32_t offset = g_reader.pos;
    TRY(skip(length));
    IOCABandSegments** slots = mask ? g_tile->maskBandSegments : g_tile->bandSegments;
    TRY(appendSegment(&slots[band - 1], (int)band - 1, offset, length));
    uint32_t* count = mask ? &g_tile->maskBandCount : &g_tile->bandCount;
    if (!banded)
        *count = 1;
    else if (band > *count)
        *count = band;
    return 0;
}

static int imageSize(IOCAImageProperties* p)
{
    uint32_t length, unit, xres, yres, width, height;
    nameLine("Image Size");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &unit));
    TRY(readNumber(2, &xres));
    TRY(readNumber(2, &yres));
    TRY(readNumber(2, &width));
    TRY(readNumber(2, &height));
    if (!p)
        return -10;
    p->unitBase = (uint8_t)unit;
    p->xResolution = (uint16_t)xres;
    p->yResolution = (uint16_t)yres;
    p->width = p->widthFromData = (int32_t)width;
    p->height = (int32_t)height;
    oioca_trace(unit == 0   ? "Unitbase 10 Inches"
                : unit == 1 ? "Unitbase 10 Centimeters"
                            : "Unitbase is Logical");
    qelIOCATrace_printf("Pixels Per unitbase in X Axis: %d", (int)xres);
    qelIOCATrace_printf("Pixels Per unitbase in Y Axis: %d", (int)yres);
    qelIOCATrace_printf("Image Width: %d", (int)width);
    qelIOCATrace_printf("Image Height: %d", (int)height);
    return 0;
}

static int imageEncoding(IOCAImageProperties* p)
{
    uint32_t length, compression, recording, order = 0;
    nameLine("Image Encoding");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &compression));
    TRY(readNumber(1, &recording));
    if (length == 3)
        TRY(readNumber(1, &order));
    if (!p)
        return -10;
    p->compression = (uint8_t)compression;
    p->recordingAlgorithm = (uint8_t)recording;
    qelIOCATrace_printf("Compression Type (%d): %s", (int)compression,
                        oioca_getCompressionName((int)compression));
    qelIOCATrace_printf("Recording Algorithm Id:(%d)", (int)recording);
    if (length == 3) {
        p->bitOrder = (uint8_t)order;
        qelIOCATrace_printf("Fill Bit Order: %d", (int)order);
    }
    return 0;
}

static int bandImage(void)
{
    uint32_t length, count, bits;
    nameLine("Band Image");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &count));
    if (!g_properties)
        return -10;
    if (length < 1 || count > length - 1)
        return -8;
    g_properties->bandCount = (uint8_t)count;
    qelIOCATrace_printf("Number of bands: %d", (int)count);
    for (uint32_t i = 0; i < count; i++) {
        TRY(readNumber(1, &bits));
        qelIOCATrace_printf("Band Nr: %d Bits Per Band: %d", (int)i + 1, (int)bits);
    }
    return skip(length - 1 - count);
}

static int ideStructure(void)
{
    uint32_t length, flags, space, reserved, bits;
    nameLine("IDE Structure");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &flags));
    TRY(readNumber(1, &space));
    if (!g_properties)
        return -10;
    g_properties->ideFlags = (uint8_t)flags;
    g_properties->colorSpace = (uint8_t)space;
    oioca_trace(flags & 1 ? "Subtractive" : "Additive");
    oioca_trace(flags & 2 ? "Gray Coding off" : "Gray Coding on");
    qelIOCATrace_printf("ColorSpace Id (%d): %s", (int)space, oioca_getColorSpaceName((int)space));
    for (int i = 0; i < 3; i++) {
        TRY(readNumber(1, &reserved));
        if (reserved)
            oioca_trace("Warning:Reserved Byte  in IDE Structure is not zero");
    }
    int components = length > 8 ? 4 : length > 7 ? 3 : length > 6 ? 2 : 1;
    for (int i = 0; i < components; i++) {
        TRY(readNumber(1, &bits));
        g_properties->bitsPerComponent[i] = (uint8_t)bits;
        qelIOCATrace_printf("Bits Per Component %d:%d", i + 1, (int)bits);
    }
    return 0;
}

static int tileSetColor(void)
{
    uint32_t length, space, v;
    nameLine("Tile Set Color");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &space));
    if (!g_properties)
        return -10;
    qelIOCATrace_printf("ColorSpace Id (%d): %s", (int)space, oioca_getColorSpaceName((int)space));
    for (int i = 0; i < 3; i++) {
        TRY(readNumber(1, &v));
        if (v)
            oioca_trace("Warning:Reserved Bytes in Tile Set Color is not zero");
    }
    for (int i = 0; i < 4; i++) {
        TRY(readNumber(1, &v));
        qelIOCATrace_printf("Bits Per Component %d:%d", i + 1, (int)v);
    }
    for (int i = 0; i < 4; i++) {
        TRY(readNumber(2, &v));
        qelIOCATrace_printf("Color value of Component %d:%d", i + 1, (int)v);
    }
    return 0;
}

static int tileTOC(void)
{
    uint32_t length, v;
    nameLine("Tile TOC");
    if (!g_properties)
        return -10;
    g_content->tileTOC = 1;
    TRY(readLength(2, &length));
    if (length < 2)
        return -8;
    for (int i = 0; i < 2; i++) {
        TRY(readNumber(1, &v));
        if (v)
            oioca_trace("Warning:Reserved Bytes in TOC is not zero");
    }
    uint32_t rest = length - 2;
    if (rest % 26) {
        qelIOCATrace_printf("Tile TOC repeating group length invalid.Length:%d", (int)rest);
        return -11;
    }
    for (uint32_t n = 0; n < rest / 26; n++) {
        uint32_t x, y, w, h, res, comp;
        TRY(readNumber(4, &x));
        TRY(readNumber(4, &y));
        TRY(readNumber(4, &w));
        TRY(readNumber(4, &h));
        TRY(readNumber(1, &res));
        TRY(readNumber(1, &comp));
        if (8 > g_reader.size - g_reader.pos)
            return -8;
        const unsigned char* position = g_reader.data + g_reader.pos;
        g_reader.pos += 8;
        IOCAImageProperties* p = g_properties;
        p->horizontalOffset = (int32_t)x;
        p->verticalOffset = (int32_t)y;
        p->width = p->widthFromData = (int32_t)w;
        p->height = (int32_t)h;
        p->relativeResolution = (uint8_t)res;
        p->compression = (uint8_t)comp;
        qelIOCATrace_printf("Tile Number: %d\n", (int)n + 1);
        qelIOCATrace_printf("Horrizontal Offset relative to Image Origin:%d", (int)x);
        qelIOCATrace_printf("Vertical Offset relative to Image Origin:%d", (int)y);
        qelIOCATrace_printf("Horrizontal size:%d", (int)w);
        qelIOCATrace_printf("Vertical size:%d", (int)h);
        qelIOCATrace_printf("Relative Resolution:%d", (int)res);
        qelIOCATrace_printf("Compression Type (%d): %s", (int)comp,
                            oioca_getCompressionName((int)comp));
        qelIOCATrace_printf("Tile Data Position:0x%02x%02x%02x%02x%02x%02x%02x%02x", position[0],
                            position[1], position[2], position[3], position[4], position[5],
                            position[6], position[7]);
    }
    return 0;
}

static int beginImageContent(void)
{
    uint32_t length, type;
    nameLine("Begin Image Content");
    TRY(readLength(1, &length));
    TRY(readNumber(1, &type));
    if (type != 0xFF) {
        oioca_trace("Object type is not a IOCA Image.");
        return -1;
    }
    IOCAImageContent* content = calloc(1, sizeof *content);
    if (!content)
        return -3;
    IOCAImageContent** end = &g_handle->contents;
    while (*end)
        end = &(*end)->next;
    *end = content;
    content->firstTile = calloc(1, sizeof *content->firstTile);
    if (!content->firstTile)
        return -3;
    /* The first tile holds its properties from the start, so that they are
       freed with it; they become visible through the content at Begin Tile
       or End Image Content. */
    content->firstTile->properties = newProperties();
    if (!content->firstTile->properties)
        return -3;
    g_content = content;
    g_tile = content->firstTile;
    g_properties = g_tile->properties;
    return 0;
}

static int beginTile(void)
{
    uint32_t length;
    nameLine("Begin Tile");
    TRY(readLength(1, &length));
    if (!g_content)
        return -10;
    if (g_content->tileCount == 0) {
        g_content->properties = g_properties;
    } else {
        IOCATile* tile = calloc(1, sizeof *tile);
        if (!tile)
            return -3;
        g_tile->next = tile;
        g_tile = tile;
        tile->properties = newProperties();
        if (!tile->properties)
            return -3;
        g_properties = tile->properties;
    }
    g_content->tileCount++;
    return 0;
}

static int endImageContent(void)
{
    uint32_t length;
    nameLine("End Image Content");
    TRY(readLength(1, &length));
    if (!g_tile)
        return -13;
    if (!g_content->tileTOC)
        g_content->tileCount = 1;
    return 0;
}

static int skipUnhandled(unsigned id, unsigned second, int inMask)
{
    uint32_t length;
    qelIOCATrace_setLevel(2);
    TRY(readNumber(second ? 2 : 1, &length));
    if (inMask && second)
        qelIOCATrace_printf("Unhandled Self defining field:0x%2x%2x  Lenght:%d", id, second,
                            (int)length);
    else if (inMask)
        qelIOCATrace_printf("Unhandled Self defining field:0x%2x Lenght:%d", id, (int)length);
    else if (second)
        qelIOCATrace_printf("Unhandled Self defining field:0x%2x%2x", id, second);
    else
        qelIOCATrace_printf("Unhandled Self defining field:0x%2x", id);
    return skip(length);
}

static int beginTransparencyMask(void)
{
    uint32_t length;
    unsigned id, second;
    nameLine("Begin Transparency Mask");
    if (!g_tile)
        return -13;
    TRY(readLength(1, &length));
    free(g_tile->maskProperties);
    g_tile->maskProperties = newProperties();
    if (!g_tile->maskProperties) {
        oioca_trace("qelIOCADataParser::beginTransparencyMask() Memory allocation failed(1)");
        return -3;
    }
    while (g_reader.pos < g_reader.size) {
        TRY(readByte(&id));
        second = 0;
        if (id == 0xFE)
            TRY(readByte(&second));
        if (id == 0x8F) {
            TRY(readNumber(1, &length));
            oioca_trace("End Transparency Mask");
            return 0;
        }
        if (id == 0x94)
            TRY(imageSize(g_tile->maskProperties));
        else if (id == 0x95)
            TRY(imageEncoding(g_tile->maskProperties));
        else if (second == 0x92 || second == 0x9C)
            TRY(dataSegment(second == 0x9C, 1));
        else
            TRY(skipUnhandled(id, second, 1));
    }
    return 0;
}

/* A one-byte-length field whose content is skipped, traced by name. */
static int skipNamed(const char* name, int bytes)
{
    uint32_t length;
    nameLine(name);
    TRY(readLength(bytes, &length));
    return skip(length);
}

static int field(unsigned id)
{
    uint32_t length, v, w;
    switch (id) {
    case 0x70:
        return skipNamed("Begin Segment", 1);
    case 0x71:
        return skipNamed("End Segment", 1);
    case 0x8C:
        return beginTile();
    case 0x8D:
        nameLine("End Tile");
        return readLength(1, &length);
    case 0x8E:
        return beginTransparencyMask();
    case 0x91:
        return beginImageContent();
    case 0x93:
        return endImageContent();
    case 0x94:
        return imageSize(g_properties);
    case 0x95:
        return imageEncoding(g_properties);
    case 0x96:
        nameLine("IDE Size");
        TRY(readLength(1, &length));
        TRY(readNumber(1, &v));
        if (!g_properties)
            return -10;
        g_properties->ideSize = (uint8_t)v;
        qelIOCATrace_printf("IDE Size( BitsPerPixel): %d", (int)v);
        return 0;
    case 0x97:
        nameLine("Image LUT Id");
        TRY(readLength(1, &length));
        TRY(readNumber(1, &v));
        if (!g_properties)
            return -10;
        qelIOCATrace_printf("Image LUT Identifier: %d", (int)v);
        return 0;
    case 0x98:
        return bandImage();
    case 0x9B:
        return ideStructure();
    case 0x9F:
        return skipNamed("External Algorithm Specification", 1);
    case 0xB5:
        nameLine("Tile Position");
        TRY(readLength(1, &length));
        TRY(readNumber(4, &v));
        TRY(readNumber(4, &w));
        if (!g_properties)
            return -10;
        g_properties->horizontalOffset = (int32_t)v;
        g_properties->verticalOffset = (int32_t)w;
        qelIOCATrace_printf("Horizontal offset of tile origin: %d", (int)v);
        qelIOCATrace_printf("Vertical offset of tile origin: %d", (int)w);
        return 0;
    case 0xB6:
        nameLine("Tile Size");
        TRY(readLength(1, &length));
        TRY(readNumber(4, &v));
        TRY(readNumber(4, &w));
        if (!g_properties)
            return -10;
        g_properties->width = g_properties->widthFromData = (int32_t)v;
        g_properties->height = (int32_t)w;
        qelIOCATrace_printf("Width of the tile: %d", (int)v);
        qelIOCATrace_printf("Height of the tile: %d", (int)w);
        if (length == 9) {
            TRY(readNumber(1, &v));
            g_properties->relativeResolution = (uint8_t)v;
            qelIOCATrace_printf("Relative Resolution:%d", (int)v);
        }
        return 0;
    case 0xB7:
        return tileSetColor();
    default:
        return skipUnhandled(id, 0, 0);
    }
}

static int extendedField(unsigned second)
{
    switch (second) {
    case 0x92:
        return dataSegment(0, 0);
    case 0x9C:
        return dataSegment(1, 0);
    case 0xB8:
        return skipNamed("Include Tile", 2);
    case 0xBB:
        return tileTOC();
    case 0xCE:
        return skipNamed("Image Subsampling", 2);
    default:
        return skipUnhandled(0xFE, second, 0);
    }
}

int qelIOCADataParser_readHeader(IOCAHandle* handle)
{
    g_reader.data = handle->input->data;
    g_reader.size = handle->input->length;
    g_reader.pos = 0;
    g_handle = handle;
    g_content = NULL;
    g_tile = NULL;
    g_properties = NULL;
    int result = 0;
    while (result == 0 && g_reader.pos < g_reader.size) {
        unsigned id = g_reader.data[g_reader.pos++];
        if (id == 0xFE) {
            unsigned second;
            result = readByte(&second);
            if (result == 0)
                result = extendedField(second);
        } else {
            result = field(id);
        }
    }
    memset(&g_reader, 0, sizeof g_reader);
    g_handle = NULL;
    return result;
}

int qelIOCADataParser_getFirstTile(IOCAHandle* handle, IOCATile** tile)
{
    handle->currentContent = handle->contents;
    handle->currentTile = handle->contents ? handle->contents->firstTile : NULL;
    *tile = handle->currentTile;
    return *tile ? 0 : -22;
}

int qelIOCADataParser_getNextTile(IOCAHandle* handle, IOCATile** tile)
{
    *tile = NULL;
    if (!handle->currentContent || !handle->currentTile)
        return -22;
    if (handle->currentTile->next) {
        handle->currentTile = handle->currentTile->next;
    } else {
        handle->currentTile = NULL;
        for (IOCAImageContent* c = handle->currentContent->next; c; c = c->next) {
            if (c->firstTile) {
                handle->currentContent = c;
                handle->currentTile = c->firstTile;
                break;
            }
        }
        if (!handle->currentTile)
            return -22;
    }
    *tile = handle->currentTile;
    return 0;
}

static unsigned char reverseBits(unsigned char b)
{
    b = (unsigned char)((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = (unsigned char)((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return (unsigned char)((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

static int gather(IOCAHandle* handle, IOCABandSegments** segments, IOCABandData** data,
                  uint32_t count, IOCAImageProperties* p, uint8_t* gathered, const char* missing)
{
    if (count == 0 || *gathered)
        return 0;
    for (uint32_t band = 1; band <= count && band <= OIOCA_BANDS; band++) {
        IOCABandSegments* s = segments[band - 1];
        if (!s) {
            qelIOCATrace_printf(missing, (int)band);
            return -14;
        }
        if (data[band - 1])
            continue;
        if ((uint64_t)s->totalLength > OIOCA_MAX_BLOCK)
            return -3;
        IOCABandData* b = calloc(1, sizeof *b);
        if (!b)
            return -3;
        b->data = malloc(s->totalLength ? s->totalLength : 1);
        if (!b->data) {
            free(b);
            return -3;
        }
        b->length = s->totalLength;
        uint32_t at = 0;
        for (uint32_t i = 0; i < s->count; i++) {
            memcpy(b->data + at, handle->input->data + s->offsets[i], s->lengths[i]);
            at += s->lengths[i];
        }
        if (p && p->bitOrder == 1)
            for (uint32_t i = 0; i < b->length; i++)
                b->data[i] = reverseBits(b->data[i]);
        data[band - 1] = b;
    }
    if (p && p->bitOrder == 1)
        p->bitOrder = 0;
    *gathered = 1;
    return 0;
}

int qelIOCADataParser_readTileImageData(IOCAHandle* handle, IOCATile* tile)
{
    oioca_trace("Read Tile Image Data");
    if (!tile)
        return -13;
    return gather(handle, tile->bandSegments, tile->bandData, tile->bandCount, tile->properties,
                  &tile->gathered, "Band Image Data offset is null. Band nr:%d");
}

int qelIOCADataParser_readTileTMImageData(IOCAHandle* handle, IOCATile* tile)
{
    oioca_trace("Read Tile Transparency Image Data");
    if (!tile)
        return -13;
    return gather(handle, tile->maskBandSegments, tile->maskBandData, tile->maskBandCount,
                  tile->maskProperties, &tile->maskGathered,
                  "Transparency Image Mask Data offset is null. Band nr:%d");
}
