#ifndef QEL_SFI_DATA_H
#define QEL_SFI_DATA_H

#include <cstdint>

class qelSFIBlock;
class qelTriplet;

// Readers of a structured field's data beside those of the field record:
// 32-bit values, the input offset of the read position and triplets.
// Every reader raises E063 for a field without data.
class qelSFIData
{
public:
    static int checkData(qelSFIBlock* field);
    static uint32_t readUInt32(qelSFIBlock* field);
    // The field's input offset + 8 + the read position: the offset shown
    // in messages about the byte about to be read.
    static int getFileOffset(qelSFIBlock* field);
    // The next triplet into `into`, or null: at the end of the data, with
    // fewer than 2 bytes left, or for a length byte of 0 to 2 or beyond the
    // data (the length and id bytes then stay consumed).
    static qelTriplet* readTriplet(qelSFIBlock* field, qelTriplet* into);
};

#endif
