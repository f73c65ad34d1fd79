#include "qelImgTIFFDataPadded.h"

#include "qelImgTIFFSource.h"
#include "qelImgUtils.h"

#include <vector>

namespace
{
// EOL codes looked at; enough for the first rows.
const int kEOLsChecked = 4;
// Bytes of strip 0 read for the test.
const size_t kBytesRead = 1 << 16;
}

int qelImgTIFFDataPadded::isDataPadded(const unsigned char* data, size_t length, int fillOrder)
{
    if (!data)
        return 0;
    int zeros = 0;
    int found = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char byte = fillOrder == 2 ? qelImgUtils::reverseBits(data[i]) : data[i];
        for (int bit = 7; bit >= 0; --bit) {
            if (((byte >> bit) & 1) == 0) {
                ++zeros;
                continue;
            }
            // Eleven zeros and a one end an EOL code.
            if (zeros >= 11) {
                if (bit != 0)
                    return 0;
                if (++found == kEOLsChecked)
                    return 1;
            }
            zeros = 0;
        }
    }
    return found > 0 ? 1 : 0;
}

int qelImgTIFFDataPadded::isDataPadded(TIFF* tif)
{
    if (!tif || TIFFNumberOfStrips(tif) < 1)
        return -1;
    const uint64_t offset = TIFFGetStrileOffset(tif, 0);
    const uint64_t count = TIFFGetStrileByteCount(tif, 0);
    if (count == 0)
        return -1;
    std::vector<unsigned char> bytes(count < kBytesRead ? static_cast<size_t>(count) : kBytesRead);
    const size_t n = qelImgTIFFSource::read(tif, offset, bytes.size(), bytes.data());
    if (n == 0)
        return -1;
    uint16_t fillOrder = FILLORDER_MSB2LSB;
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
    return isDataPadded(bytes.data(), n, fillOrder);
}
