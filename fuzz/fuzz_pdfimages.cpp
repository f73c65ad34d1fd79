// Feeds arbitrary bytes to the PDF writer's image readers: the first byte
// picks the form (JPEG data, TIFF file, PDFIMG file, raw samples) and the
// document's compression; the rest is the image. The document is finished
// in memory. Result codes are expected; only sanitizer reports are findings.
#include "opdf.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

int silentDocument(PDFDocContext*, int, const char*, const char*, va_list) { return 0; }
void silentTiff(const char*, const char*, va_list) {}

std::string scratchFile()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/opdf-fuzz-" + std::to_string(getpid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    const int form = data[0] & 3;
    const bool compress = data[0] & 4;
    const unsigned flags = (data[0] >> 3) & 7;
    const uint8_t* body = data + 1;
    const size_t n = size - 1;

    PDFDocContext* ctx = opdf_open(0, nullptr);
    if (!ctx)
        return 0;
    opdf_setErrorHandler(ctx, silentDocument);
    opdf_setTIFFErrorHandler(ctx, silentTiff);
    opdf_setTIFFWarningHandler(ctx, silentTiff);
    opdf_setCompression(ctx, compress ? 1 : 0);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 200 200", "0 0 200 200");
    const std::string path = scratchFile();
    float w = 0, h = 0, sx = 0, sy = 0;
    if (form == 0) {
        opdf_rawplaceImageData(ctx, "jpeg", body, (long)n, 0, 0, 3, 8, 0, 0, 0, 10, 10, flags,
                               nullptr, 0, -1, nullptr, nullptr, -1);
    } else if (form == 3) {
        // raw samples: the first bytes give the geometry
        if (n >= 3) {
            const int width = 1 + body[0] % 64, height = 1 + body[1] % 64;
            const int bits = body[2] & 1 ? 1 : 8, comps = 1 + (body[2] >> 1) % 4;
            opdf_rawplaceImageData(ctx, "raw", body + 3, (long)(n - 3), width, height, comps, bits,
                                   0, 0, 0, 10, 10, flags, nullptr, 6, -1, nullptr, nullptr, -1);
        }
    } else if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(body, 1, n, f);
        std::fclose(f);
        opdf_rawImportImage(ctx, path.c_str(), form == 1 ? 3 : 5, 0, 0, 0, &w, &h, &sx, &sy,
                            flags);
    }
    opdf_finalizeAll(ctx);
    opdf_close(ctx);
    std::remove(path.c_str());
    return 0;
}
