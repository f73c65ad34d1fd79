/* Code tables of the one- and two-dimensional fax codes. */
#ifndef OIOCA_CCITT_CODE_TABLES_H
#define OIOCA_CCITT_CODE_TABLES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    CCITT_INVALID = 0,
    CCITT_PASS,
    CCITT_HORIZONTAL,
    CCITT_VERTICAL_0,
    CCITT_VERTICAL_RIGHT,
    CCITT_VERTICAL_LEFT,
    CCITT_EXTENSION,
    CCITT_TERMINATING,
    CCITT_MAKEUP, /* own or common make-up */
    CCITT_EOL
};

#define CCITT_MODE_BITS 7
#define CCITT_WHITE_BITS 12
#define CCITT_BLACK_BITS 13

typedef struct CCITTCode {
    uint8_t state;
    uint8_t length; /* bits of the code word */
    uint16_t param; /* run length or vertical offset */
} CCITTCode;

typedef struct CCITTCodeTables {
    const CCITTCode* mode;
    const CCITTCode* white;
    const CCITTCode* black;
    const unsigned char* reversed; /* bit 7 becomes bit 0 */
    const unsigned char* identity;
} CCITTCodeTables;

/* The tables, built on first use. */
const CCITTCodeTables* qelCCITTCodeTables_get(void);

#ifdef __cplusplus
}
#endif

#endif
