#ifndef IMG_TEST_SUPPORT_H
#define IMG_TEST_SUPPORT_H

#include "ObjectFieldData.h"
#include "ScratchTest.h"
#include "qelException.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

namespace imgtest {

// A logger that keeps every line it is given.
class CaptureLogger : public qelImgLogger
{
public:
    explicit CaptureLogger(int level) : qelImgLogger(level) {}
    void print(const char* text) override { lines += text; }
    std::string lines;
};

// Installs a capture logger for the life of the object.
struct LoggerScope
{
    explicit LoggerScope(int level) : logger(level) { qelImgProcessor::setLogger(&logger); }
    ~LoggerScope() { qelImgProcessor::setLogger(nullptr); }
    CaptureLogger logger;
};

// Id and message of the qelImgException a call throws; id -1 when none.
struct Thrown
{
    int id = -1;
    std::string message;
};

inline Thrown thrown(const std::function<void()>& call)
{
    Thrown t;
    try {
        call();
    } catch (qelImgException* e) {
        t.id = e->getErrorCode();
        t.message = e->getMessage() ? e->getMessage() : "";
        delete e;
    }
    return t;
}

// The data of the n-th object container (from 1) of an AFP file.
inline lrbtest::Bytes containerData(const std::string& path, int n)
{
    return lrbtest::objectFieldData(path, {0xA892, 0xEE92, 0xA992}, n);
}

inline std::string fopImages() { return std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.afp"; }

inline std::string fopImagesPdf() { return std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.ref.pdf"; }

inline std::string imageFixture(const std::string& name)
{
    return std::string(LORBANE_TEST_DATA) + "/imagelib/" + name;
}

// The pixels of an uncompressed TIFF page written by a checker, all strips
// joined as libtiff decodes them; rowBytes gets the size of one row.
inline lrbtest::Bytes tiffPixels(const std::string& path, int page, size_t* rowBytes)
{
    lrbtest::Bytes pixels;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return pixels;
    if (TIFFSetDirectory(tif, static_cast<tdir_t>(page)) == 1) {
        *rowBytes = static_cast<size_t>(TIFFScanlineSize64(tif));
        std::vector<unsigned char> strip(static_cast<size_t>(TIFFStripSize64(tif)));
        for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            tmsize_t n = TIFFReadEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size()));
            if (n > 0)
                pixels.insert(pixels.end(), strip.begin(), strip.begin() + n);
        }
    }
    TIFFClose(tif);
    return pixels;
}

} // namespace imgtest

#endif
