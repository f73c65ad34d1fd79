/* Shared inside the IOCA decoding library. */
#ifndef OIOCA_INTERNAL_H
#define OIOCA_INTERNAL_H

#include "oioca.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Largest decoded or gathered block the library allocates. */
#define OIOCA_MAX_BLOCK ((uint64_t)1 << 30)

/* Trace state: on-flag, current list and level are process-wide. */
void qelIOCATrace_select(IOCAHandle* handle, const char* entry);
void qelIOCATrace_unselect(void);
void qelIOCATrace_setLevel(int level);
int qelIOCATrace_isOn(void);
void qelIOCATrace_printf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void qelIOCATrace_free(IOCATrace* trace);

int qelIOCADataParser_readHeader(IOCAHandle* handle);
int qelIOCADataParser_getFirstTile(IOCAHandle* handle, IOCATile** tile);
int qelIOCADataParser_getNextTile(IOCAHandle* handle, IOCATile** tile);
int qelIOCADataParser_readTileImageData(IOCAHandle* handle, IOCATile* tile);
int qelIOCADataParser_readTileTMImageData(IOCAHandle* handle, IOCATile* tile);
void qelIOCADataParser_freeContents(IOCAImageContent* contents);

#ifdef __cplusplus
}
#endif

#endif
