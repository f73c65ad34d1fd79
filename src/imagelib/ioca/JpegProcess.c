/* Four greyscale JPEG planes, cyan, magenta, yellow and black, decompressed
   side by side and compressed again as one RGB JPEG. A failing JPEG library
   call, warnings included, leaves through the error exit back to the
   conversion, which cleans up and answers -21. */
#include "JpegProcess.h"
#include "oiocaInternal.h"

#include <math.h>
#include <setjmp.h>
#include <stdlib.h>
#include <string.h>

#define PLANES 4
/* Memory the JPEG library may use for one plane or the output. */
#define JPEG_MEMORY_LIMIT (256L * 1024 * 1024)

static const char* const kAddonMessages[] = {
    "Destination manager temporary buffer is NULL",
    "Memory allocation failed",
    "Input Jpeg file open failed",
    "Error occured while writing Jpeg data",
    "Unknown resolution unit specfied in Jpeg",
    "Error occured while reading jpeg input buffer",
    "Reading bytes beyond the bounds",
    "Jpeg planes differ in width",
    NULL,
};

/* State of the one conversion running. */
static struct jpeg_decompress_struct g_planes[PLANES];
static struct jpeg_error_mgr g_planeErrors[PLANES];
static int g_planeCreated[PLANES];
static JSAMPARRAY g_planeRows[PLANES];
static struct jpeg_compress_struct g_output;
static struct jpeg_error_mgr g_outputError;
static int g_outputCreated;
static JSAMPARRAY g_outputRow;
static unsigned char* g_result; /* the RGB JPEG until handed over */
static jmp_buf g_jump;
static char g_errorText[300];

const char* qelJpegProcess_getErrorText(void) { return g_errorText; }

static void errorExit(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    snprintf(g_errorText, sizeof g_errorText, "Error while creating RGB Jpeg.\nMsg:%s", text);
    longjmp(g_jump, 1);
}

static void emitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0) {
        errorExit(cinfo);
        return;
    }
    if (cinfo->err->trace_level >= level && qelIOCATrace_isOn()) {
        char text[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, text);
        oioca_trace(text);
    }
}

void qelJpegProcess_fail(j_common_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    (*cinfo->err->error_exit)(cinfo);
}

static struct jpeg_error_mgr* setupErrors(struct jpeg_error_mgr* err)
{
    jpeg_std_error(err);
    err->error_exit = errorExit;
    err->emit_message = emitMessage;
    err->addon_message_table = kAddonMessages;
    err->first_addon_message = QEL_JPG_FIRST_ADDON;
    err->last_addon_message = QEL_JPG_LAST_ADDON;
    err->trace_level = 0;
    return err;
}

static void jpgInitDecompressor(int plane, const unsigned char* data, uint32_t length)
{
    struct jpeg_decompress_struct* d = &g_planes[plane];
    d->err = setupErrors(&g_planeErrors[plane]);
    jpeg_create_decompress(d);
    g_planeCreated[plane] = 1;
    d->mem->max_memory_to_use = JPEG_MEMORY_LIMIT;
    qel_buff_srcmgr_setup(d, data, length);
    jpeg_read_header(d, TRUE);
    /* One byte per pixel, whatever the plane's own coding. */
    d->out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(d);
    g_planeRows[plane] = (*d->mem->alloc_sarray)((j_common_ptr)d, JPOOL_IMAGE,
                                                 d->output_width * d->output_components, 1);
    if (!g_planeRows[plane]) {
        oioca_trace("qelJpegProcess:jpgInitDecompressor() Memory allocation failed.");
        qelJpegProcess_fail((j_common_ptr)d, QEL_JPG_NO_MEMORY);
    }
}

static void jpgInitCompressor(int dpi, int quality, JDIMENSION width, JDIMENSION height)
{
    struct jpeg_compress_struct* c = &g_output;
    c->err = setupErrors(&g_outputError);
    jpeg_create_compress(c);
    g_outputCreated = 1;
    c->mem->max_memory_to_use = JPEG_MEMORY_LIMIT;
    qel_buff_destmgr_setup(c);
    c->image_width = width;
    c->image_height = height;
    c->input_components = 3;
    c->in_color_space = JCS_RGB;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, quality, TRUE);
    c->density_unit = 1;
    c->X_density = (UINT16)dpi;
    c->Y_density = (UINT16)dpi;
    jpeg_start_compress(c, TRUE);
    g_outputRow = (*c->mem->alloc_sarray)((j_common_ptr)c, JPOOL_IMAGE, 3 * width, 1);
    if (!g_outputRow) {
        oioca_trace("qelJpgProcess:convertToRGBJpeg() Memory allocation failed.");
        qelJpegProcess_fail((j_common_ptr)c, QEL_JPG_NO_MEMORY);
    }
}

static unsigned char fromCMYK(unsigned v, double k)
{
    return (unsigned char)floor(255.0 * (1.0 - ((double)v / 255.0 * (1.0 - k) + k)) + 0.5);
}

static void cmykLineToRGB(JDIMENSION width)
{
    JSAMPROW out = g_outputRow[0];
    for (JDIMENSION x = 0; x < width; x++) {
        double k = g_planeRows[3][0][x] / 255.0;
        out[3 * x] = fromCMYK(g_planeRows[0][0][x], k);
        out[3 * x + 1] = fromCMYK(g_planeRows[1][0][x], k);
        out[3 * x + 2] = fromCMYK(g_planeRows[2][0][x], k);
    }
}

static void jpgReadNextLine(int plane)
{
    if (jpeg_read_scanlines(&g_planes[plane], g_planeRows[plane], 1) != 1) {
        oioca_trace("qelJpegProcess:jpgReadNextLine() Error occured while reading jpeg input "
                    "buffer.");
        qelJpegProcess_fail((j_common_ptr)&g_planes[plane], QEL_JPG_READ_FAILED);
    }
}

static void jpgWriteLine(void)
{
    if (jpeg_write_scanlines(&g_output, g_outputRow, 1) != 1) {
        oioca_trace("qelJpegProcess:jpgWriteLine() Error occured while writing Jpeg data\n");
        qelJpegProcess_fail((j_common_ptr)&g_output, QEL_JPG_WRITE_FAILED);
    }
}

static void jpgFinalizeCompressor(unsigned char** out, uint32_t* outSize)
{
    if (g_output.next_scanline < g_output.image_height) {
        oioca_trace("qelJpegProcess:jpgFinalizeCompressor() Warning! Jpeg output buffer is not "
                    "completely written.");
        jpeg_abort_compress(&g_output);
    } else {
        jpeg_finish_compress(&g_output);
    }
    unsigned char* block;
    size_t length;
    qel_buff_destmgr_getData(&g_output, &block, &length);
    if (block) {
        unsigned char* copy = length <= OIOCA_MAX_BLOCK ? malloc(length) : NULL;
        if (!copy) {
            oioca_trace("qelJpegProcess:jpgFinalizeCompressor() Memory allocation failed.");
            qelJpegProcess_fail((j_common_ptr)&g_output, QEL_JPG_NO_MEMORY);
        }
        memcpy(copy, block, length);
        *out = copy;
        *outSize = (uint32_t)length;
    }
    qel_buff_destmgr_free(&g_output);
    jpeg_destroy_compress(&g_output);
    g_outputCreated = 0;
}

static void jpgFinalizeDecompressor(int plane)
{
    struct jpeg_decompress_struct* d = &g_planes[plane];
    if (d->output_scanline < d->output_height) {
        oioca_trace("qelJpegProcess:jpgFinalizeDecompressor() Warning! Jpeg input buffer is not "
                    "completely read.");
        jpeg_abort_decompress(d);
    } else {
        jpeg_finish_decompress(d);
    }
    jpeg_destroy_decompress(d);
    g_planeCreated[plane] = 0;
}

static void destroyAll(void)
{
    for (int i = 0; i < PLANES; i++) {
        if (g_planeCreated[i])
            jpeg_destroy_decompress(&g_planes[i]);
        g_planeCreated[i] = 0;
    }
    if (g_outputCreated) {
        qel_buff_destmgr_free(&g_output);
        jpeg_destroy_compress(&g_output);
    }
    g_outputCreated = 0;
}

int qelJpegProcess_convertToRGBJpeg(int dpi, int quality, unsigned char** out, uint32_t* outSize,
                                    const unsigned char* c, uint32_t cLength,
                                    const unsigned char* m, uint32_t mLength,
                                    const unsigned char* y, uint32_t yLength,
                                    const unsigned char* k, uint32_t kLength)
{
    const unsigned char* data[PLANES] = {c, m, y, k};
    const uint32_t length[PLANES] = {cLength, mLength, yLength, kLength};
    memset(g_planes, 0, sizeof g_planes);
    memset(&g_output, 0, sizeof g_output);
    g_result = NULL;
    if (setjmp(g_jump)) {
        destroyAll();
        free(g_result);
        g_result = NULL;
        oioca_trace(g_errorText);
        return -21;
    }
    for (int i = 0; i < PLANES; i++)
        jpgInitDecompressor(i, data[i], length[i]);
    JDIMENSION width = g_planes[0].output_width;
    /* Planes of unequal height give the rows that all of them have. */
    JDIMENSION height = g_planes[0].output_height;
    qelIOCATrace_printf("Source Jpeg Image Width:%d", (int)width);
    qelIOCATrace_printf("Source Jpeg Image Height:%d", (int)height);
    for (int i = 1; i < PLANES; i++) {
        if (g_planes[i].output_width != width) {
            oioca_trace("qelJpegProcess:convertToRGBJpeg() Jpeg planes differ in width.");
            qelJpegProcess_fail((j_common_ptr)&g_planes[i], QEL_JPG_PLANE_WIDTHS);
        }
        if (g_planes[i].output_height < height)
            height = g_planes[i].output_height;
    }
    jpgInitCompressor(dpi, quality, width, height);
    JDIMENSION rows = 0;
    while (rows < height) {
        for (int i = 0; i < PLANES; i++)
            jpgReadNextLine(i);
        cmykLineToRGB(width);
        jpgWriteLine();
        rows++;
    }
    qelIOCATrace_printf("Number of lines processed in jpeg: %d.", (int)rows);
    uint32_t resultSize = 0;
    jpgFinalizeCompressor(&g_result, &resultSize);
    for (int i = 0; i < PLANES; i++)
        jpgFinalizeDecompressor(i);
    *out = g_result;
    *outSize = resultSize;
    g_result = NULL;
    return 0;
}
