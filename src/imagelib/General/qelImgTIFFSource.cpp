#include "qelImgTIFFSource.h"

uint64_t qelImgTIFFSource::size(TIFF* tif)
{
    if (!tif)
        return 0;
    TIFFSizeProc sizeProc = TIFFGetSizeProc(tif);
    return sizeProc ? static_cast<uint64_t>(sizeProc(TIFFClientdata(tif))) : 0;
}

size_t qelImgTIFFSource::read(TIFF* tif, uint64_t offset, size_t count, unsigned char* out)
{
    if (!tif || !out || count == 0)
        return 0;
    const uint64_t total = size(tif);
    if (offset >= total)
        return 0;
    if (count > total - offset)
        count = static_cast<size_t>(total - offset);
    TIFFSeekProc seekProc = TIFFGetSeekProc(tif);
    TIFFReadWriteProc readProc = TIFFGetReadProc(tif);
    thandle_t handle = TIFFClientdata(tif);
    if (!seekProc || !readProc || seekProc(handle, static_cast<toff_t>(offset), SEEK_SET) != offset)
        return 0;
    size_t done = 0;
    while (done < count) {
        const tmsize_t n = readProc(handle, out + done, static_cast<tmsize_t>(count - done));
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}
