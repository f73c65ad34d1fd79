#include "qelPDFVisitor.h"
#include "qelException.h"
#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageIds.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelTiffObject.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr unsigned kInvert = PDF_IMAGE_INVERT;

// Deflate coding of prepared IOCA and raster data.
constexpr int kCompDeflate = 28;

bool isCCITTKind(int kind) { return kind == PDF_IMAGE_G4 || kind == PDF_IMAGE_G3 || kind == PDF_IMAGE_G3_2D; }

} // namespace

// 1-bit data placed as given (LZW, Flate, raw samples under Flate) shows its
// samples as they are: invert when the 1-bits are black. Data under the
// CCITT meaning (CCITT kinds, raw samples without a filter) is inverted when
// its 1-bits are white. Photometric 1 (black is zero) means 1-bits white.
unsigned qelPDFVisitor::bilevelInvertFlag(int kind, int compression, int photometric)
{
    const bool asGiven =
        kind == PDF_IMAGE_LZW || kind == PDF_IMAGE_FLATE || (kind == PDF_IMAGE_RAW && compression == 8);
    const bool oneBitsBlack = photometric != 1;
    if (asGiven)
        return oneBitsBlack ? kInvert : 0u;
    if (isCCITTKind(kind) || kind == PDF_IMAGE_RAW)
        return oneBitsBlack ? 0u : kInvert;
    return 0u;
}

qelPDFVisitor::ImageCoding qelPDFVisitor::getImageKindAndFlags(const qelImgInfo& info, bool encFlate)
{
    ImageCoding c;
    const bool oneBit = info.bitsPerPixel == 1;
    switch (info.compression) {
    case QELIMG_COMP_NONE:
        c.kind = PDF_IMAGE_RAW;
        if (oneBit) {
            // Raw 1-bit samples: Flate-compressed by the writer under
            // ENC_FLATE, else kept as raw samples (never CCITT).
            c.compression = encFlate ? 8 : -1;
            c.flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL;
            c.flags |= bilevelInvertFlag(c.kind, c.compression, info.photometric);
        } else {
            c.flags = PDF_IMAGE_SAVE | (info.photometric == 1 ? kInvert : 0u);
        }
        break;
    case QELIMG_COMP_G3_1D:
    case QELIMG_COMP_G3_2D:
    case QELIMG_COMP_G4:
        c.kind = info.compression == QELIMG_COMP_G4 ? PDF_IMAGE_G4
                 : info.compression == QELIMG_COMP_G3_1D ? PDF_IMAGE_G3
                                                         : PDF_IMAGE_G3_2D;
        c.flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL | bilevelInvertFlag(c.kind, -1, info.photometric);
        break;
    case QELIMG_COMP_IBM_MMR:
    case QELIMG_COMP_IOCA_RL4:
        c.kind = PDF_IMAGE_G4;
        c.flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL;
        break;
    case QELIMG_COMP_JPEG:
        c.kind = PDF_IMAGE_JPEG;
        c.flags = PDF_IMAGE_SAVE;
        break;
    case QELIMG_COMP_LZW:
        c.kind = PDF_IMAGE_LZW;
        c.flags = PDF_IMAGE_SAVE;
        if (oneBit)
            c.flags |= PDF_IMAGE_STENCIL | bilevelInvertFlag(c.kind, -1, info.photometric);
        break;
    case kCompDeflate:
        c.kind = PDF_IMAGE_FLATE;
        c.flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL;
        if (oneBit)
            c.flags |= bilevelInvertFlag(c.kind, -1, info.photometric);
        break;
    default:
        throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1,
                               qelImgUtils::getCompressionName(info.compression),
                               info.type == QELIMG_IMAGETYPE_JPEG ? "" : "TIFF");
    }
    return c;
}

bool qelPDFVisitor::isImageTypeSupported(const qelImgInfo& info, bool encFlate, bool color, bool qualityGiven)
{
    const int c = info.compression;
    const int bits = info.bitsPerPixel;
    if (c == QELIMG_COMP_NONE)
        return encFlate && bits == 1;
    if (c == QELIMG_COMP_G3_1D || c == QELIMG_COMP_G3_2D || c == QELIMG_COMP_G4)
        return true;
    if (c == QELIMG_COMP_JPEG || c == QELIMG_COMP_OLD_JPEG) {
        if (bits != 8 && bits != 24 && bits != 32)
            throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, bits,
                                   info.type == QELIMG_IMAGETYPE_JPEG ? "JPEG" : "TIFF JPEG");
        return color && !qualityGiven;
    }
    if (c == QELIMG_COMP_LZW)
        return info.stripCount == 1 && color;
    if (c == QELIMG_COMP_PACKBITS || (c >= 20 && c <= 36))
        return false;
    throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1, qelImgUtils::getCompressionName(c),
                           info.type == QELIMG_IMAGETYPE_JPEG ? "" : "TIFF");
}

std::unique_ptr<PDFImageMask> qelPDFVisitor::makeImageMask(const qelImageObject* image, const qelImgInfo* info,
                                                           const unsigned char* data, long length)
{
    if (!image || !info || !data || length <= 0 || info->bitsPerPixel != 1)
        return nullptr;
    if (length > static_cast<long>(UINT32_MAX) || info->width <= 0 || info->height <= 0)
        return nullptr;
    const ImageCoding coding = getImageKindAndFlags(*info, false);
    std::unique_ptr<PDFImageMask> mask(new PDFImageMask());
    mask->width = static_cast<uint32_t>(info->width);
    mask->height = static_cast<uint32_t>(info->height);
    mask->bitsPerComponent = 1;
    mask->components = 1;
    mask->resolution = static_cast<float>(info->xResolution);
    mask->reserved = info->compression;
    mask->data = data;
    mask->length = static_cast<uint32_t>(length);
    mask->kind = coding.kind;
    mask->flags = coding.flags | PDF_IMAGE_STENCIL;
    return mask;
}

// --- placement ----------------------------------------------------------------------

namespace {

// Where an image object is placed: its include chain's absolute position.
qelPoint imagePosition(const qelImageObject* image) { return image->getAbsolutePosition(); }

float positiveOr(float v, float fallback) { return v > 0 ? v : fallback; }

} // namespace

qelPDFVisitor::ImagePlacement qelPDFVisitor::computeImagePlacement(qelImageObject* image, const qelImgInfo& info)
{
    ImagePlacement p;
    qelPageCoordinateTransformer* t = getTransformer();
    if (!image || !t)
        return p;
    const int orientation = image->getIAxisOrientation();
    image->setAngle(static_cast<float>(orientation), false);

    const float r = positiveOr(image->getResolution(), 240.0f);
    const float rp = r;
    const float ro = positiveOr(t->getResolution(), static_cast<float>(pageResolution()));
    const float k = ro / r;
    const float pw = static_cast<float>(image->getPresentationWidth());
    const float ph = static_cast<float>(image->getPresentationHeight());
    const float w = static_cast<float>(info.width);
    const float h = static_cast<float>(info.height);
    const float xr = positiveOr(static_cast<float>(info.xResolution), r);
    const float yr = positiveOr(static_cast<float>(info.yResolution), xr);

    float cx = 0, cy = 0, ew = 0, eh = 0;
    switch (image->getMappingOption()) {
    case 0x00:
    case 0x20: {
        const qelPoint natural{w * r / xr, h * r / yr};
        qelPoint fit = natural;
        if ((natural.x != pw || natural.y != ph) && pw > 0 && ph > 0)
            fit = fitSizeKeepingAspect(natural, qelPoint{pw, ph});
        cx = (pw - fit.x) * 0.5f * k;
        cy = (ph - fit.y) * 0.5f * k;
        p.width = fit.x / r * 72.0f;
        p.height = fit.y / rp * 72.0f;
        ew = fit.x * k;
        eh = fit.y * k;
        break;
    }
    case 0x10:
        // Heights follow the y resolution, so unequal resolutions keep the
        // aspect ratio.
        p.width = w * 72.0f / xr;
        p.height = h * 72.0f / yr;
        ew = w * ro / xr;
        eh = h * ro / yr;
        break;
    case 0x50:
        p.width = w / xr * 72.0f;
        p.height = h / yr * 72.0f;
        ew = pw * k;
        eh = ph * k;
        break;
    case 0x60:
        p.width = pw / r * 72.0f;
        p.height = ph / rp * 72.0f;
        ew = pw * k;
        eh = ph * k;
        break;
    default:
        p.width = pw / r * 72.0f;
        p.height = ph / r * 72.0f;
        ew = pw * k;
        eh = ph * k;
        break;
    }

    t->setOrientation(0, 90);
    const qelPoint position = imagePosition(image);
    t->setPosition(t->transform(position.x, position.y));
    const qelPageOffset offset = getPageOffset();
    if (offset.x != 0 || offset.y != 0) {
        t->moveInline(static_cast<float>(offset.x));
        t->moveBaseline(static_cast<float>(offset.y));
    }
    const qelPoint origin = t->getPosition();
    auto inl = [t](float d) {
        if (d != 0)
            t->moveInline(d);
    };
    auto base = [t](float d) {
        if (d != 0)
            t->moveBaseline(d);
    };
    switch (orientation) {
    case 0:
        inl(cx);
        base(cy);
        p.x = t->getX();
        inl(ew);
        base(eh);
        p.y = t->getY();
        break;
    case 90:
        base(cx);
        inl(-cy);
        p.y = t->getY();
        inl(-eh);
        p.x = t->getX();
        break;
    case 180:
        inl(-cx);
        base(-cy);
        p.x = t->getX();
        base(-eh);
        p.y = t->getY();
        break;
    case 270:
        base(-cx);
        inl(cy);
        p.y = t->getY();
        inl(eh);
        p.x = t->getX();
        break;
    default:
        p.x = 0;
        p.y = 0;
        break;
    }
    t->setPosition(origin);
    return p;
}

// --- raster dispatch -------------------------------------------------------------------

namespace {

// Colour table entries in bitmap order (blue, green, red) as RGB.
std::vector<unsigned char> rgbTable(const qelImageObject* image)
{
    std::vector<unsigned char> out;
    const int32_t count = image->getColorCount();
    const int32_t* table = image->getColorTable();
    if (!table || count <= 0 || count > 65536)
        return out;
    out.resize(static_cast<size_t>(count) * 4);
    std::memcpy(out.data(), table, out.size());
    for (size_t i = 0; i + 3 < out.size(); i += 4)
        std::swap(out[i], out[i + 2]);
    return out;
}

// The colour key of a transparent colour of kind 1; the masked index.
int colorKeyOf(const qelImageObject* image, PDFColorKey& key)
{
    if (!image->getTransparent() || image->getTransparencyKind() != 1)
        return -1;
    const uint8_t* c = image->getTransparentColor();
    key.values[0] = key.values[3] = c[2];
    key.values[1] = key.values[4] = c[1];
    key.values[2] = key.values[5] = c[0];
    return image->getTransparentIndex();
}

} // namespace

void qelPDFVisitor::writeImageObject(qelImageObject* image)
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (!image || !t || !m_doc)
        return;
    image->setAngle(static_cast<float>(image->getIAxisOrientation()), false);
    applyObjectColor(image);
    t->setOrientation(0, 90);
    const qelPoint position = imagePosition(image);
    t->setPosition(t->transform(position.x, position.y));
    const qelPageOffset offset = getPageOffset();
    if (offset.x != 0 || offset.y != 0) {
        t->moveInline(static_cast<float>(offset.x));
        t->moveBaseline(static_cast<float>(offset.y));
    }
    switch (image->getKind()) {
    case qelImageObject::IMAGE_IOCA: displayIOCAImage(image); break;
    case qelImageObject::IMAGE_JPEG:
    case qelImageObject::IMAGE_TIFF:
    case qelImageObject::IMAGE_DIB: writeRasterImage(image); break;
    default: break;
    }
}

void qelPDFVisitor::writeRasterImage(qelImageObject* image)
{
    qelPageCoordinateTransformer* t = getTransformer();
    const qelPoint entry = t->getPosition();
    qelImgInfo* info = image->getImage();
    qelIni* ini = getOptions();
    const bool encFlate = ini && ini->hasSwitch("ENC_FLATE");
    const bool color = !ini || ini->isColor();
    const bool qualityGiven = ini && !ini->isNotGiven(0x10);
    if (info && isImageTypeSupported(*info, encFlate, color, qualityGiven)) {
        placePassThroughImage(image);
    } else {
        if (!image->getEncodedData())
            image->prepareForPDF();
        placeOptimizedImage(image);
    }
    const qelPoint last = t->getPosition();
    t->setPosition(entry);
    checkPageBounds(entry, last, static_cast<int>(image->getAngle()), image->getName(), qelGraphicObject::KIND_IMAGE);
}

void qelPDFVisitor::placePassThroughImage(qelImageObject* image)
{
    qelImgInfo* info = image->getImageInfo();
    if (!info || !image->getData() || image->getDataLength() <= 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E091, 0, 1,
                               image->getName() ? image->getName() : "(NoName)");
    qelIni* ini = getOptions();
    const bool encFlate = ini && ini->hasSwitch("ENC_FLATE");
    const bool color = !ini || ini->isColor();
    const ImagePlacement p = computeImagePlacement(image, *info);
    int components = positiveOr(info->samplesPerPixel, 1);
    int bits = info->bitsPerPixel / components;
    ImageCoding coding = getImageKindAndFlags(*info, encFlate);
    if (info->compression == QELIMG_COMP_JPEG || info->compression == QELIMG_COMP_OLD_JPEG) {
        bits = 8;
        components = info->bitsPerPixel == 32 ? 4 : color ? 3 : 1;
        coding.flags = (components == 4 && info->photometric == 1) ? 5u : 1u;
    }
    const std::vector<unsigned char> table = rgbTable(image);
    PDFImageAttributes attributes{};
    if (!table.empty()) {
        attributes.colorTable = table.data();
        attributes.tableKind = 2;
        attributes.entries = image->getColorCount();
        // LZW data written with a horizontal predictor keep it.
        attributes.predictor = info->predictor > 1 ? info->predictor : 0;
    } else if (info->compression == QELIMG_COMP_LZW && info->predictor > 1) {
        attributes.predictor = info->predictor;
    }
    const bool withAttributes = !table.empty() || attributes.predictor > 1;
    PDFColorKey key{};
    const int masked = colorKeyOf(image, key);
    const int rc = opdf_placeImageData(m_doc, image->getFullName(), image->getData(), image->getDataLength(),
                                       info->width, info->height, components, bits, p.x, p.y, image->getAngle(),
                                       p.width, p.height, coding.flags, withAttributes ? &attributes : nullptr,
                                       coding.kind, coding.compression, nullptr, masked >= 0 ? &key : nullptr,
                                       masked);
    checkLibraryError("placePassThroughImage()->opdf_placeImageData()", rc);
}

void qelPDFVisitor::placeOptimizedImage(qelImageObject* image)
{
    qelImgInfo* format = image->getFormatInfo();
    if (!format || !image->getEncodedData() || image->getEncodedLength() <= 0)
        return;
    qelIni* ini = getOptions();
    const qelImgInfo* own = image->getImageInfo();
    const bool ownRawBilevel = own && own->compression == QELIMG_COMP_NONE && own->bitsPerPixel == 1;
    const bool encFlate = ini && ini->hasSwitch("ENC_FLATE") && ownRawBilevel;
    const bool color = !ini || ini->isColor();
    const ImagePlacement p = computeImagePlacement(image, *format);
    const ImageCoding coding = getImageKindAndFlags(*format, encFlate);
    std::vector<unsigned char> table;
    if (color && (format->compression == QELIMG_COMP_NONE || format->compression == kCompDeflate))
        table = rgbTable(image);
    PDFImageAttributes attributes{};
    if (!table.empty()) {
        attributes.colorTable = table.data();
        attributes.tableKind = 2;
        attributes.entries = image->getColorCount();
    }
    PDFColorKey key{};
    const int masked = colorKeyOf(image, key);
    if (!image->getFullName() || !*image->getFullName()) {
        if (getLog() && getLog()->anyOf(0x10f))
            qelMessageOutput::write("Warning! No Image name to process the image\n");
        return;
    }
    const int rc = opdf_placeImageData(m_doc, image->getFullName(), image->getEncodedData(),
                                       image->getEncodedLength(), format->width, format->height,
                                       positiveOr(format->samplesPerPixel, 1), positiveOr(format->bitsPerSample, 1),
                                       p.x, p.y, 0.0f, p.width, p.height, coding.flags,
                                       table.empty() ? nullptr : &attributes, coding.kind, coding.compression,
                                       nullptr, masked >= 0 ? &key : nullptr, masked);
    checkLibraryError("placeOptimizedImage()->opdf_placeImageData()", rc);
}

// --- TIFF objects -------------------------------------------------------------------

void qelPDFVisitor::writeTiffObject(qelTiffObject* object)
{
    // A TIFF input page without an object needs the input file name, which
    // the visitor does not keep yet.
    if (!m_doc || !object || !object->getFileName())
        return;
    qelIni* ini = getOptions();
    std::string path = ini && ini->getResPath() ? ini->getResPath() : "";
    path += object->getFileName();
    float width = object->getSize().x;
    float height = object->getSize().y;
    float scaleX = 0;
    float scaleY = 0;
    // The import draws a stencil: fill it black, not in the colour the
    // previous object left.
    opdf_gsave(m_doc);
    opdf_setrgbColor(m_doc, 0, 0, 0);
    const int rc = opdf_ImportImage(m_doc, path.c_str(), PDF_IMAGE_TIFF, object->getX(), object->getY(),
                                    object->getAngle(), &width, &height, &scaleX, &scaleY,
                                    PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL);
    opdf_grestore(m_doc);
    checkLibraryError("writeTiffObject()->opdf_ImportImage()", rc);
}
