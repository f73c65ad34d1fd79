// Image objects from arbitrary bytes. The first byte picks the path:
// even: an IM image of up to 16 cells (offset, cell and fill sizes and bits
// from the input, below 2048) laid out, tiled or assembled, each cell made a raster
// image; odd: the rest as IOCA image data of a kind-4 image, prepared for
// raster, AFP and PDF output with a mapping option and presentation size
// from the input. Only coded errors of the document model may leave.
#include "FuzzSupport.h"
#include "qelCell.h"
#include "qelImageObject.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"

#include <cstdint>
#include <memory>

namespace {

// Decoded images above this many pixels are not prepared.
constexpr int64_t kMaxPixels = int64_t(1) << 22;

struct Reader
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int u16()
    {
        if (at + 2 > size)
            return 0;
        const int v = data[at] << 8 | data[at + 1];
        at += 2;
        return v;
    }
    int u8() { return at < size ? data[at++] : 0; }
    // Sizes and offsets below 2048 keep an assembled bitmap small; X'FFFF'
    // (fill as the cell) stays.
    int size16()
    {
        const int v = u16();
        return v == 0xFFFF ? v : v & 0x7FF;
    }
};

template <class Step>
void guarded(Step step)
{
    try {
        step();
    } catch (qelException* e) {
        delete e;
    } catch (qelImgException* e) {
        delete e;
    }
}

void cells(qelIni* ini, Reader& in)
{
    const int flags = in.u8();
    if (flags & 0x2)
        ini->setPKEY("CELLS,");
    qelImageObject image;
    image.setResolution(240);
    image.setAreaSize(in.size16(), in.size16());
    if (flags & 0x4)
        image.clearSimpleImage();
    const int count = in.u8() % 17;
    for (int i = 0; i < count && in.at < in.size; ++i) {
        std::unique_ptr<qelCell> cell(new qelCell());
        cell->setPosition(static_cast<float>(in.size16()), static_cast<float>(in.size16()));
        const int w = in.size16() & 0x7FF, h = in.size16() & 0x7FF;
        const int fw = in.size16(), fh = in.size16();
        cell->setCellSize(w, h);
        cell->setFillSize(fw == 0xFFFF ? w : fw, fh == 0xFFFF ? h : fh);
        size_t n = static_cast<size_t>(in.u16());
        if (n > in.size - in.at)
            n = in.size - in.at;
        cell->setRawBits(in.data + in.at, static_cast<int32_t>(n));
        in.at += n;
        const int64_t rows = cell->rawRowCount();
        cell->setRowCount(static_cast<uint16_t>(rows > 0xFFFF ? 0xFFFF : rows));
        cell->setRowBytes(static_cast<uint16_t>((w + 7) / 8));
        image.addCell(cell.release());
    }
    image.fixAbsPosition();
    unsigned char* bits = nullptr;
    int32_t length = 0;
    image.getRasterData(&bits, &length);
    image.getBitsPerPixel();
    image.log();
    for (int i = 0; i < image.getCellCount(); ++i) {
        qelCell* cell = image.getCell(i);
        if (!cell->getTiled())
            cell->tile();
        if (int64_t(cell->getFillWidth()) * cell->getFillHeight() <= kMaxPixels)
            guarded([&] { cell->toRasterImage(); });
    }
    if (int64_t(image.getPresentationWidth()) * image.getPresentationHeight() <= kMaxPixels)
        guarded([&] {
            std::unique_ptr<qelImgProcessor> p(image.openProcessor());
        });
}

void ioca(qelIni* ini, Reader& in)
{
    const int flags = in.u8();
    static const uint8_t options[] = {0x10, 0x20, 0x50, 0x60};
    const int width = in.u16(), height = in.u16();
    ini->setColor(flags & 0x4);
    for (int output = 0; output < 4; ++output) {
        qelImageObject image;
        image.setKind(qelImageObject::IMAGE_IOCA);
        image.setResolution(static_cast<uint16_t>(flags & 0x8 ? 240 : 0));
        image.setMappingOption(options[flags & 3]);
        image.setAreaSize(width, height);
        image.setPresentationSize(width, height);
        image.setIAxisOrientation(static_cast<uint16_t>((flags >> 4) % 4 * 90));
        image.setData(in.data + in.at, static_cast<int32_t>(in.size - in.at));
        image.setDataLength(image.getData() ? static_cast<int32_t>(in.size - in.at) : 0);
        qelImgInfo* info = nullptr;
        guarded([&] { info = image.getImage(); });
        if (!info || info->width <= 0 || info->height <= 0 || int64_t(info->width) * info->height > kMaxPixels)
            return;
        guarded([&] {
            switch (output) {
            case 0: image.prepareForRaster(); break;
            case 1: image.prepareForAFP(); break;
            case 2: image.prepareForPDF(); break;
            default: image.prepareForPDFIOCA(); image.prepareForPDFIOCA(); break;
            }
        });
    }
}

void run(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    qelImgProcessor::initializeLibrary();
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    Reader in{data, size, 1};
    if (data[0] & 1)
        ioca(ini, in);
    else
        cells(ini, in);
    qelImgProcessor::releaseLibraryResources();
    qelImgProcessor::finalizeLibrary();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return lrbfuzz::initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {}, run);
}
