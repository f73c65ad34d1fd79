/* Memory managers and error manager of the plane-to-RGB JPEG process. */
#ifndef OIOCA_JPEG_PROCESS_H
#define OIOCA_JPEG_PROCESS_H

#include <stddef.h>
#include <stdio.h>

#include <jpeglib.h>

/* Add-on messages of the process's error manager. */
enum {
    QEL_JPG_FIRST_ADDON = 1001,
    QEL_JPG_NULL_BUFFER = 1001,
    QEL_JPG_NO_MEMORY = 1002,
    QEL_JPG_OPEN_FAILED = 1003,
    QEL_JPG_WRITE_FAILED = 1004,
    QEL_JPG_RESOLUTION_UNIT = 1005,
    QEL_JPG_READ_FAILED = 1006,
    QEL_JPG_BEYOND_BOUNDS = 1007,
    QEL_JPG_PLANE_WIDTHS = 1008,
    QEL_JPG_LAST_ADDON = 1008
};

/* Raises an add-on message through the error exit; does not return. */
void qelJpegProcess_fail(j_common_ptr cinfo, int code);

/* Memory destination: output grows in a C heap block. */
void qel_buff_destmgr_setup(j_compress_ptr cinfo);
void qel_buff_destmgr_getData(j_compress_ptr cinfo, unsigned char** block, size_t* length);
void qel_buff_destmgr_free(j_compress_ptr cinfo);

/* Memory source over borrowed bytes. */
void qel_buff_srcmgr_setup(j_decompress_ptr cinfo, const unsigned char* data, size_t length);

#endif
