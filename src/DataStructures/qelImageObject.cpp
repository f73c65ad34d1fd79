#include "qelImageObject.h"
#include "qelImageLibraryErrors.h"

#include "qelCell.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImageHandle.h"
#include "qelImageHolder.h"
#include "qelImageStrips.h"
#include "qelImageTrimPiece.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelRes.h"
#include "qelResOverlay.h"
#include "qelString.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

namespace {

using Processor = std::unique_ptr<qelImgProcessor>;
using Bitmap = std::unique_ptr<qelImgDIB>;

qelIni* options() { return qelGlobalDSPool::getInstance()->getIni(); }

qelLogStream* logWith(unsigned int bits)
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->anyOf(bits) ? log : nullptr;
}

qelLogStream* logAll()
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->isExactly(QEL_LOG_ALL) ? log : nullptr;
}

unsigned char* copyOf(const unsigned char* bytes, int64_t length)
{
    if (!bytes || length <= 0)
        return nullptr;
    unsigned char* out = new unsigned char[static_cast<size_t>(length)];
    std::memcpy(out, bytes, static_cast<size_t>(length));
    return out;
}

void replaceText(qelString*& holder, const char* text)
{
    delete holder;
    holder = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* s) { return s ? s->getBuffer() : nullptr; }

void normalise(qelImgInfo* info)
{
    if (info && info->bitsPerPixel == 1) {
        info->bitsPerSample = 1;
        info->samplesPerPixel = 1;
    }
}

void replaceInfo(qelImgInfo*& holder, const qelImgInfo* info, bool normalised)
{
    qelImgInfo* copy = info ? new qelImgInfo(*info) : nullptr;
    if (normalised)
        normalise(copy);
    delete holder;
    holder = copy;
}

void replaceBytes(unsigned char*& holder, int32_t& length, const unsigned char* bytes, int32_t n)
{
    unsigned char* copy = copyOf(bytes, n);
    delete[] holder;
    holder = copy;
    length = copy ? n : 0;
}

// The error switch of the image library.
void setErrorSwitch(qelImgProcessor* p)
{
    qelIni* ini = options();
    const int on = ini->hasSwitch("IgnoreImageError") || ini->isImageProcessFlag2() ? 1 : 0;
    p->setParameter(QELIMG_PARAM_IGNORE_DECOMP_ERROR, on);
}

using qelImageLibraryErrors::guarded;

qelImgProcessor* processorByType(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette)
{
    if (!info || info->type == QELIMG_IMAGETYPE_JPEG || info->type == QELIMG_IMAGETYPE_IOCA ||
        info->type == QELIMG_IMAGETYPE_DIB)
        return new qelImgProcessor(data, static_cast<unsigned int>(length));
    return new qelImgProcessor(info, data, length, palette);
}

bool acceptedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

void checkDepth(const qelImgInfo* info)
{
    if (!acceptedDepth(info->bitsPerPixel))
        throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, info->bitsPerPixel,
                               qelImgUtils::getCompressionName(info->compression));
}

int64_t rowBytesOf(int64_t width, int64_t bits) { return (width * bits + 7) / 8; }

// Information of a bitmap: compression 0, its size and depth.
void describeBitmap(qelImgInfo* info, const qelImgDIB* dib)
{
    info->compression = 0;
    info->width = dib->header->biWidth;
    info->height = dib->header->biHeight;
    info->bitsPerPixel = dib->header->biBitCount;
    info->samplesPerPixel = info->bitsPerPixel / 8 > 0 ? info->bitsPerPixel / 8 : 1;
    info->bitsPerSample = info->bitsPerPixel / info->samplesPerPixel;
}

int64_t bitmapBytes(const qelImgDIB* dib)
{
    return rowBytesOf(dib->header->biWidth, dib->header->biBitCount) * dib->header->biHeight;
}

// A 16-entry colour table from a bitmap's palette.
void tableFromPalette(std::unique_ptr<int32_t[]>& table, const qelImgDIB* dib, int count)
{
    table.reset(new int32_t[static_cast<size_t>(count)]());
    if (dib->palette)
        std::memcpy(table.get(), dib->palette, 4 * static_cast<size_t>(count));
}

int compressionOfChoice(int chosen, int previous)
{
    switch (chosen) {
    case QELIMG_ENCODE_TIFF_LZW: return 11;
    case QELIMG_ENCODE_JPEG: return 9;
    case QELIMG_ENCODE_CCITT_G3: return 1;
    case QELIMG_ENCODE_CCITT_G4: return 3;
    case QELIMG_ENCODE_FLATE: return 28;
    default: return previous;
    }
}

}

struct PreparedBytes
{
    unsigned char* data = nullptr;
    unsigned int length = 0;
    qelImgInfo* info = nullptr;
    PreparedBytes() = default;
    PreparedBytes(const PreparedBytes&) = delete;
    PreparedBytes& operator=(const PreparedBytes&) = delete;
    ~PreparedBytes() { reset(); }
    void reset()
    {
        delete[] data;
        delete info;
        data = nullptr;
        info = nullptr;
        length = 0;
    }
};

namespace {
using Encoded = PreparedBytes;

// Best match over the listed types; returns the chosen type.
int bestMatch(qelImgProcessor* p, Encoded& out, std::initializer_list<QELIMG_ENCODETYPE> list)
{
    QELIMG_ENCODETYPE types[8];
    int n = 0;
    for (QELIMG_ENCODETYPE t : list)
        if (n < 8)
            types[n++] = t;
    QELIMG_ENCODETYPE chosen = QELIMG_ENCODE_UNKNOWN;
    out.reset();
    p->encode(&out.data, &out.length, types, n, &chosen, QELIMG_BEST_COMP_SIZE, &out.info);
    return chosen;
}

qelMedia* ownMedia(qelRes* resource) { return dynamic_cast<qelMedia*>(resource); }

uint16_t resolutionOf(qelRes* resource)
{
    qelMedia* m = ownMedia(resource);
    return m ? m->getResolution() : 0;
}

float ratio(float to, float from) { return from != 0.0f ? to / from : 1.0f; }

bool isPageKind(int kind) { return kind == 4 || kind == 5 || kind == 9; }
}

// ------------------------------------------------------------ construction

qelImageObject::qelImageObject() = default;

qelImageObject::~qelImageObject()
{
    delete m_name;
    delete m_objectName;
    delete m_fullName;
    delete[] m_data;
    delete m_trimmedInfo;
    delete[] m_trimmedData;
    delete m_trimmedMaskInfo;
    delete[] m_trimmedMaskData;
    delete m_maskInfo;
    delete[] m_maskData;
    delete[] m_encodedData;
    delete m_imageInfo;
    delete m_formatInfo;
    delete m_bands;
    delete[] m_colorTable;
    delete m_imageHandle;
    delete[] m_auxName;
}

const char* qelImageObject::getKindText() const
{
    return m_kind == IMAGE_IOCA ? "IOCA" : m_kind == IMAGE_DIB ? "DIB" : "";
}

void qelImageObject::growPresentationSize(int32_t width, int32_t height)
{
    if (width >= m_areaWidth)
        m_presentationWidth = width;
    if (height >= m_areaHeight)
        m_presentationHeight = height;
}

void qelImageObject::addCell(qelCell* cell)
{
    if (!cell)
        return;
    cell->setResolution(getResolution());
    cell->setPelScale(m_pelScale);
    m_cells.emplace_back(cell);
}

const char* qelImageObject::getName() const { return textOf(m_name); }
void qelImageObject::setName(const char* text) { replaceText(m_name, text); }
const char* qelImageObject::getObjectName() const { return textOf(m_objectName); }
void qelImageObject::setObjectName(const char* text) { replaceText(m_objectName, text); }
const char* qelImageObject::getFullName() const { return textOf(m_fullName); }
void qelImageObject::setFullName(const char* text) { replaceText(m_fullName, text); }

void qelImageObject::setAuxName(const char* text)
{
    delete[] m_auxName;
    m_auxName = nullptr;
    if (text) {
        m_auxName = new char[std::strlen(text) + 1];
        std::strcpy(m_auxName, text);
    }
}

void qelImageObject::setData(const unsigned char* bytes, int32_t length)
{
    unsigned char* copy = copyOf(bytes, length);
    delete[] m_data;
    m_data = copy;
    if (!copy)
        m_dataLength = 0;
}

void qelImageObject::setRawData(unsigned char* buffer, int32_t length)
{
    if (buffer != m_data)
        delete[] m_data;
    m_data = buffer;
    m_dataLength = buffer && length > 0 ? length : 0;
}

void qelImageObject::setColorTable(const int32_t* entries, int32_t count)
{
    delete[] m_colorTable;
    m_colorTable = nullptr;
    m_colorCount = 0;
    if (!entries || count <= 0)
        return;
    m_colorTable = new int32_t[static_cast<size_t>(count)];
    std::memcpy(m_colorTable, entries, 4 * static_cast<size_t>(count));
    m_colorCount = count;
}

void qelImageObject::setTrimmedInfo(const qelImgInfo* info) { replaceInfo(m_trimmedInfo, info, false); }
void qelImageObject::setTrimmedData(const unsigned char* b, int32_t n) { replaceBytes(m_trimmedData, m_trimmedLength, b, n); }
void qelImageObject::setTrimmedMaskInfo(const qelImgInfo* info) { replaceInfo(m_trimmedMaskInfo, info, false); }
void qelImageObject::setTrimmedMaskData(const unsigned char* b, int32_t n)
{
    replaceBytes(m_trimmedMaskData, m_trimmedMaskLength, b, n);
}
void qelImageObject::setMaskInfo(const qelImgInfo* info) { replaceInfo(m_maskInfo, info, false); }
void qelImageObject::setMaskData(const unsigned char* b, int32_t n) { replaceBytes(m_maskData, m_maskLength, b, n); }
void qelImageObject::setEncodedData(const unsigned char* b, int32_t n) { replaceBytes(m_encodedData, m_encodedLength, b, n); }
void qelImageObject::setImage(const qelImgInfo* info) { replaceInfo(m_imageInfo, info, true); }
void qelImageObject::setFormatInfo(const qelImgInfo* info) { replaceInfo(m_formatInfo, info, true); }

void qelImageObject::setBands(qelImageStrips* strips)
{
    if (strips == m_bands)
        return;
    delete m_bands;
    m_bands = strips;
}

void qelImageObject::setImageHandle(qelImageHandle* handle)
{
    if (!handle || handle == m_imageHandle)
        return;
    delete m_imageHandle;
    m_imageHandle = handle;
}

void qelImageObject::setTransparency(int32_t kind, uint32_t color, int32_t index)
{
    m_transparencyKind = kind;
    for (int i = 0; i < 4; ++i)
        m_transparentColor[i] = static_cast<uint8_t>(color >> (8 * i));
    m_transparentIndex = index;
}

void qelImageObject::lendPrepared(unsigned char* data, int32_t length, qelImgInfo* info)
{
    if (data != m_encodedData)
        delete[] m_encodedData;
    if (info != m_formatInfo)
        delete m_formatInfo;
    m_encodedData = data;
    m_encodedLength = data ? length : 0;
    m_formatInfo = info;
}

void qelImageObject::detachPrepared()
{
    m_encodedData = nullptr;
    m_encodedLength = 0;
    m_formatInfo = nullptr;
}

// ------------------------------------------------------------------ write

void qelImageObject::write(qelVisitor* visitor)
{
    qelIni* ini = options();
    const bool trace = ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::write("[ImageObject]: (Begin): write\n");
    const char* skip = nullptr;
    if (m_functionSet == 45 && ini->isDevTestLevel(0x100))
        skip = "[ImageObject]: Skipping IOCA FS45 Image Writing\n";
    else if (m_kind == IMAGE_IOCA && ini->isDevTestLevel(0x40))
        skip = "[ImageObject]: Skipping IOCA Image Writing\n";
    else if (m_kind == IMAGE_IM && ini->isDevTestLevel(0x80))
        skip = "[ImageObject]: Skipping IM Raster Image Writing\n";
    if (skip)
        qelMessageOutput::write(skip);
    else if (!m_nothingToWrite) {
        computeAbsolutePosition();
        if (visitor)
            visitor->writeImageObject(this);
    }
    if (trace)
        qelMessageOutput::write("[ImageObject]: (End): write\n");
}

namespace {
// p placed at a resource's include position and rotation; false for a
// rotation that is no right angle.
bool place(qelRes* r, qelPoint p, qelPoint& out)
{
    const float ox = r->getIncludeX(), oy = r->getIncludeY();
    switch (r->getIncludeRotation()) {
    case 0:
    case 360: out = qelPoint{ox + p.x, oy + p.y}; return true;
    case 90: out = qelPoint{ox - p.y, oy + p.x}; return true;
    case 180: out = qelPoint{ox - p.x, oy - p.y}; return true;
    case 270: out = qelPoint{ox + p.y, oy - p.x}; return true;
    default: out = qelPoint{}; return false;
    }
}

qelPoint placed(qelRes* r, qelPoint p)
{
    qelPoint out;
    place(r, p, out);
    return out;
}

qelPoint scaled(qelPoint p, float f) { return qelPoint{p.x * f, p.y * f}; }
}

void qelImageObject::computeAbsolutePosition()
{
    const qelPoint own = getPosition();
    const float ro = static_cast<float>(getResolution());
    if (getPlacement() == 1) {
        qelPoint p = own;
        if (m_kind == IMAGE_IM || m_kind == IMAGE_GOCA) {
            qelPageCoordinateTransformer* t = qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
            const float tr = t ? static_cast<float>(t->getResolution()) : 240.0f;
            p = scaled(own, ratio(tr, ro));
        }
        if (m_kind == IMAGE_GOCA) {
            const qelPoint o = getAreaOrigin();
            qelPoint out;
            switch (getIAxisOrientation()) {
            case 0:
            case 360: out = qelPoint{o.x + p.x, o.y + p.y}; break;
            case 90: out = qelPoint{o.x - p.y, o.y + p.x}; break;
            case 180: out = qelPoint{o.x - p.x, o.y - p.y}; break;
            case 270: out = qelPoint{o.x + p.y, o.y - p.x}; break;
            default: out = qelPoint{}; break;
            }
            p = out;
        }
        setAbsolutePosition(p.x, p.y);
        return;
    }
    qelRes* res = getInclude();
    if (!res)
        return;
    const bool bilevel = m_kind == IMAGE_IM || m_kind == IMAGE_GOCA;
    const bool referenced = m_referenceSystem == 0 || m_referenceSystem == 1;
    qelPoint pos;
    switch (res->getType()) {
    case qelRes::TYPE_OVERLAY: pos = m_kind == IMAGE_IM ? scaled(own, ratio(resolutionOf(res), ro)) : own; break;
    case qelRes::TYPE_PAGE_SEGMENT:
    case qelRes::TYPE_GOCA:
    case qelRes::TYPE_OBJECT_CONTAINER: pos = own; break;
    default: pos = qelPoint{}; break;
    }
    // Up the chain of including overlays; bounded against cycles.
    qelRes* inner = res;
    for (int depth = 0; inner && depth < 64; ++depth) {
        qelMedia* media = inner->getIncludingMedia();
        if (!media)
            break;
        const int mk = media->getMediaKind();
        if (isPageKind(mk)) {
            switch (inner->getType()) {
            case qelRes::TYPE_OVERLAY:
            case qelRes::TYPE_GOCA:
                pos = placed(inner, scaled(pos, ratio(media->getResolution(), resolutionOf(inner))));
                break;
            case qelRes::TYPE_PAGE_SEGMENT:
            case qelRes::TYPE_OBJECT_CONTAINER:
                if (bilevel)
                    pos = placed(inner, scaled(pos, ratio(media->getResolution(), ro)));
                else if (referenced)
                    pos = placed(inner, pos);
                break;
            default: pos = qelPoint{}; break;
            }
            break;
        }
        if (mk != qelMedia::KIND_OVERLAY)
            break;
        qelRes* outer = dynamic_cast<qelResOverlay*>(media);
        if (!outer)
            break;
        if (outer->getType() == qelRes::TYPE_OVERLAY) {
            switch (inner->getType()) {
            case qelRes::TYPE_OVERLAY:
            case qelRes::TYPE_GOCA:
                pos = placed(inner, scaled(pos, ratio(resolutionOf(outer), resolutionOf(inner))));
                break;
            case qelRes::TYPE_PAGE_SEGMENT:
                if (bilevel)
                    pos = placed(inner, scaled(own, ratio(resolutionOf(outer), ro)));
                else
                    pos = referenced ? placed(inner, own) : own;
                break;
            default: pos = qelPoint{}; break;
            }
        } else if (outer->getType() == qelRes::TYPE_PAGE_SEGMENT ||
                   outer->getType() == qelRes::TYPE_OBJECT_CONTAINER) {
            pos = own;
        } else {
            pos = qelPoint{};
        }
        inner = outer;
    }
    setAbsolutePosition(pos.x, pos.y);
}

void qelImageObject::computeBoundingBox()
{
    if (hasBoundingBox())
        return;
    const float x = getX(), y = getY();
    const float w = static_cast<float>(m_areaWidth), h = static_cast<float>(m_areaHeight);
    const int r = getIAxisOrientation();
    qelPoint tl, br;
    switch (r) {
    case 90: tl = qelPoint{x - h, y}; br = qelPoint{x, y + w}; break;
    case 180: tl = qelPoint{x - w, y - h}; br = qelPoint{x, y}; break;
    case 270: tl = qelPoint{x, y - w}; br = qelPoint{x + h, y}; break;
    default: tl = qelPoint{x, y}; br = qelPoint{x + w, y + h}; break;
    }
    setBoundingBox(tl, br);
    if (qelLogStream* log = logAll())
        log->print("\n\t@(%.2f,%.2f)>Image< Name=%s, Rot=%d, TL=(%.2f,%.2f), BR=(%.2f,%.2f), RF=%s",
                   static_cast<double>(x), static_cast<double>(y), getName() ? getName() : "NULL", r,
                   static_cast<double>(tl.x), static_cast<double>(tl.y), static_cast<double>(br.x),
                   static_cast<double>(br.y), getRasterize() ? "Y" : "N");
}

// ------------------------------------------------------- decisions, cells

int qelImageObject::getBitsPerPixel()
{
    if (m_nothingToWrite)
        return 1;
    const int cs = getColorSpace();
    switch (m_kind) {
    case IMAGE_GOCA: return cs == 1 || cs == 3 ? 24 : cs == 2 ? 32 : 1;
    case IMAGE_JPEG:
    case IMAGE_TIFF:
    case IMAGE_DIB: {
        qelImgInfo* info = getImage();
        return info ? info->bitsPerPixel : 1;
    }
    case IMAGE_IOCA: {
        if (m_functionSet == 45 || m_functionSet == 42 || cs == 2)
            return 32;
        if (cs == 1)
            return 24;
        qelImgInfo* info = getImage();
        const int bits = info ? info->bitsPerPixel : 1;
        return bits == 8 || bits == 24 || bits == 32 ? bits : 1;
    }
    default: return 1;
    }
}

bool qelImageObject::getForegroundColor(int bitsPerPixel)
{
    qelIni* ini = options();
    const int type = ini->getFormatType();
    if ((type != 2 && type != 3 && type != 4) || ini->isDithered())
        return false;
    if (bitsPerPixel > 1)
        return true;
    uint32_t color = getColorValue();
    if (getColorSpace() == COLOR_OCA)
        color = qelUtils::getOCAColorRGB(color);
    return color != 0 && color != 0xFFFFFF;
}

void qelImageObject::getRasterData(unsigned char** data, int32_t* length)
{
    *data = nullptr;
    *length = 0;
    if (m_simpleImage && m_kind == IMAGE_IM) {
        qelCell* cell = m_cells.empty() ? nullptr : m_cells.front().get();
        const char* warning = m_cells.empty() ? "Warning! AFP IM Raster simple image does not have single cell to write"
                              : !cell ? "Warning! AFP IM Raster simple image's first cell is null, skip writing"
                                      : nullptr;
        if (warning) {
            if (qelLogStream* log = logWith(0x10F))
                log->printLine("%s", warning);
            return;
        }
        *data = const_cast<unsigned char*>(cell->getTiledBits());
        *length = cell->getTiledLength();
        return;
    }
    *data = m_data;
    *length = m_dataLength;
}

void qelImageObject::fixAbsPosition()
{
    m_presentationWidth = m_areaWidth;
    m_presentationHeight = m_areaHeight;
    if (!m_cellsLaidOut) {
        layOutCells();
        if (!options()->hasSwitch("CELLS") && !m_simpleImage)
            assembleCells();
    }
    setPositionFixed();
}

void qelImageObject::layOutCells()
{
    m_cellsLaidOut = 1;
    if (m_kind == IMAGE_GOCA || m_kind == IMAGE_IOCA) {
        if (m_areaWidth != 0 && m_areaHeight != 0)
            setPresentationSize(m_areaWidth, m_areaHeight);
        return;
    }
    if (m_cells.empty())
        return;
    qelIni* ini = options();
    const bool cells = ini->hasSwitch("CELLS");
    int64_t right = 0, bottom = 0;
    int number = 0;
    for (const auto& holder : m_cells) {
        ++number;
        qelCell* cell = holder.get();
        if (!cell)
            continue;
        if ((cells || m_simpleImage) && !cell->getTiled())
            cell->tileCell(getName());
        const int32_t fw = cell->getFillWidth(), fh = cell->getFillHeight();
        if (fw > 0 && fh > 0) {
            const int64_t x = static_cast<uint16_t>(static_cast<int32_t>(cell->getX()));
            const int64_t y = static_cast<uint16_t>(static_cast<int32_t>(cell->getY()));
            const int64_t r = (fw > cell->getCellWidth() ? fw : cell->getCellWidth()) + x;
            const int64_t b = (fh > cell->getCellHeight() ? fh : cell->getCellHeight()) + y;
            if (r > right)
                right = r;
            if (b > bottom)
                bottom = b;
        } else if (!ini->isQuietMode()) {
            qelMessageOutput::printf("Warning! Cell (%d) of image (%s) has Zero fill size (W=%d,H=%d), Skipping the cell\n",
                                     number, getName() ? getName() : "", fw, fh);
        }
    }
    if (right != 0 && bottom != 0) {
        if (right >= m_areaWidth)
            m_presentationWidth = static_cast<int32_t>(right);
        if (bottom >= m_areaHeight)
            m_presentationHeight = static_cast<int32_t>(bottom);
    } else {
        m_nothingToWrite = 1;
    }
}

void qelImageObject::assembleCells()
{
    if (m_cells.empty())
        return;
    const int64_t stride = (static_cast<int64_t>(m_presentationWidth) + 7) / 8;
    const int64_t total = stride * static_cast<int64_t>(m_presentationHeight);
    if (m_presentationWidth <= 0 || m_presentationHeight <= 0 || total > MAX_ASSEMBLED_BYTES) {
        if (!options()->isQuietMode())
            qelMessageOutput::printf("Warning! Image (%s) of %d x %d points is too large to assemble, skipped\n",
                                     getName() ? getName() : "", m_presentationWidth, m_presentationHeight);
        m_nothingToWrite = 1;
        return;
    }
    unsigned char* bitmap = new (std::nothrow) unsigned char[static_cast<size_t>(total)]();
    if (!bitmap) {
        m_nothingToWrite = 1;
        return;
    }
    setRawData(bitmap, static_cast<int32_t>(total));
    int number = 0;
    for (const auto& holder : m_cells) {
        ++number;
        qelCell* cell = holder.get();
        if (!cell || cell->getFillWidth() <= 0 || cell->getFillHeight() <= 0)
            continue;
        const int64_t x = static_cast<uint16_t>(static_cast<int32_t>(cell->getX()));
        const int64_t y = static_cast<uint16_t>(static_cast<int32_t>(cell->getY()));
        const int64_t cw = cell->getCellWidth(), ch = cell->getCellHeight();
        const int64_t fw = cell->getFillWidth(), fh = cell->getFillHeight();
        if (!cell->needsTiling() || cw <= 0 || ch <= 0) {
            copyCellPart(cell, x, y, cw, ch, number);
            continue;
        }
        for (int64_t oy = 0; oy < fh; oy += ch)
            for (int64_t ox = 0; ox < fw; ox += cw)
                copyCellPart(cell, x + ox, y + oy, fw - ox < cw ? fw - ox : cw, fh - oy < ch ? fh - oy : ch, number);
    }
}

void qelImageObject::copyCellPart(qelCell* cell, int64_t x, int64_t y, int64_t w, int64_t h, int)
{
    const char* name = getName() ? getName() : "";
    const int64_t cw = cell->getCellWidth();
    const int64_t bitLength = static_cast<int64_t>(cell->getRawLength()) * 8;
    // A width of 0 or fewer bits than one row: a cell without bits.
    if (cell->rawRowCount() == 0) {
        if (qelLogStream* log = logWith(0x2))
            log->printLine("Warning! Insufficient cell image data. Name: %s", name);
        return;
    }
    const int64_t rows = cell->getCellHeight() < h ? cell->getCellHeight() : h;
    const int64_t cols = cw < w ? cw : w;
    if (rows <= 0 || cols <= 0)
        return;
    const int64_t stride = (static_cast<int64_t>(m_presentationWidth) + 7) / 8;
    if (static_cast<int64_t>(m_cellRow.size()) < (cols + 7) / 8)
        m_cellRow.resize(static_cast<size_t>((cols + 7) / 8));
    unsigned char* row = m_cellRow.data();
    bool outside = false;
    for (int64_t i = 0; i < rows; ++i) {
        const int64_t got = qelCell::extractBits(cell->getRawBits(), bitLength, i * cw, cols, row);
        // The bits that fall inside the bitmap's row.
        int64_t n = got;
        if (x + n > stride * 8) {
            n = x < stride * 8 ? stride * 8 - x : 0;
            outside = true;
        }
        const int64_t start = (y + i) * stride;
        if (y + i < 0 || start + stride > m_dataLength) {
            outside = outside || n > 0;
            n = 0;
        }
        unsigned char* target = n > 0 ? m_data + start : nullptr;
        const int shift = static_cast<int>(x % 8);
        for (int64_t k = 0; k * 8 < n; ++k) {
            const int bits = n - k * 8 < 8 ? static_cast<int>(n - k * 8) : 8;
            const unsigned mask = (0xFFu << (8 - bits)) & 0xFFu;
            const unsigned value = row[k] & mask;
            const int64_t at = (x + k * 8) / 8;
            target[at] = static_cast<unsigned char>((target[at] & ~(mask >> shift)) | (value >> shift));
            const unsigned spill = (mask << (8 - shift)) & 0xFFu;
            if (shift && spill)
                target[at + 1] =
                    static_cast<unsigned char>((target[at + 1] & ~spill) | ((value << (8 - shift)) & 0xFFu));
        }
        if (got < cols) {
            if (qelLogStream* log = logWith(0x2))
                log->printLine("Warning! Insufficient Cell Image Data. Name: %s", name);
            break;
        }
    }
    if (outside)
        if (qelLogStream* log = logWith(0x2))
            log->printLine("Warning! Image Data out of index for image \"%s\"", name);
}

// -------------------------------------------------------------- decoding

void qelImageObject::resolutionFallback(qelImgInfo* info) const
{
    if (!info)
        return;
    if (info->xResolution == 0) {
        int x = m_xResolution, y = m_yResolution;
        if (m_unitBase == 0) {
            x /= 10;
            y /= 10;
        } else if (m_unitBase == 1) {
            x = qelUtils::roundHalfDown(m_xResolution / 10.0 * 2.54);
            y = qelUtils::roundHalfDown(m_yResolution / 10.0 * 2.54);
        }
        if (info->relativeResolution != 1) {
            x >>= 1;
            y >>= 1;
        }
        info->xResolution = x;
        info->yResolution = y;
    }
    // Still none: the object's own resolution, as saveAs uses it.
    if (info->xResolution == 0) {
        const int r = info->relativeResolution != 1 ? getResolution() >> 1 : getResolution();
        info->xResolution = r;
        info->yResolution = r;
    }
}

qelImgInfo* qelImageObject::getImage()
{
    if (m_imageInfo)
        return m_imageInfo;
    if ((m_kind != IMAGE_IOCA && m_kind != IMAGE_DIB) || !m_data || m_dataLength <= 0)
        return m_imageInfo;
    guarded([&] {
        Processor p(openProcessor());
        if (!p)
            return;
        m_contentCount = p->getImageContentCount();
        qelImgInfo info = *p->getInfo();
        resolutionFallback(&info);
        setImage(&info);
    });
    return m_imageInfo;
}

qelImgProcessor* qelImageObject::openProcessor()
{
    Processor p;
    if (m_kind == IMAGE_IM || m_kind == IMAGE_GOCA) {
        unsigned char* bits = nullptr;
        int32_t length = 0;
        getRasterData(&bits, &length);
        if (!bits || length <= 0)
            throw new qelException(__FILE__, __LINE__, qelMsg::E045, 0, 1);
        // The raw decoder copies record and palette.
        qelImgInfo info;
        unsigned char palette[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
        info.type = QELIMG_IMAGETYPE_RAW;
        info.width = (m_presentationWidth + 7) / 8 * 8;
        info.height = m_presentationHeight;
        info.compression = 0;
        info.bitsPerPixel = info.bitsPerSample = info.samplesPerPixel = 1;
        info.xResolution = info.yResolution = getResolution();
        info.colorCount = 2;
        info.photometric = 0;
        uint32_t color = getColorValue();
        if (getColorSpace() == COLOR_OCA)
            color = qelUtils::getOCAColorRGB(color);
        palette[4] = static_cast<unsigned char>(color >> 16);
        palette[5] = static_cast<unsigned char>(color >> 8);
        palette[6] = static_cast<unsigned char>(color);
        p.reset(new qelImgProcessor(&info, bits, length, palette));
    } else if (m_kind == IMAGE_JPEG || m_kind == IMAGE_TIFF) {
        if (!m_data || m_dataLength <= 0 || !m_imageInfo)
            return nullptr;
        p.reset(new qelImgProcessor(m_imageInfo, m_data, m_dataLength, reinterpret_cast<unsigned char*>(m_colorTable)));
    } else {
        if (!m_data || m_dataLength <= 0)
            return nullptr;
        p.reset(new qelImgProcessor(m_data, static_cast<unsigned int>(m_dataLength)));
    }
    qelIni* ini = options();
    if (ini->hasSwitch("DownSampleImage") && m_mappingOption != 0x10 && m_mappingOption != 0x50) {
        qelImgInfo* info = p->getInfo();
        const int limit = info->bitsPerPixel == 1 ? 450 : 225;
        if (info->width > limit || info->height > limit) {
            const int w = info->width / 2, h = info->height / 2;
            const int filter = ini->getImageShrinkFilter();
            p->setParameter(QELIMG_PARAM_RESIZE_FILTER, filter);
            Bitmap small(p->resize(getName(), w, h));
            if (qelLogStream* log = logAll())
                log->print("\nDown sampling image (%s) from (%d,%d) to (%d,%d) size using filter %s: %s",
                           getName() ? getName() : "", info->width, info->height, w, h,
                           qelImgUtils::getResizeFilterKeyword(filter), small ? "Done" : "Failed");
            if (small) {
                const int size = qelImgDIBUtils::getDIBSize(small.get());
                // The processor reads the block in place: the image keeps it.
                p.reset();
                m_workBlock.reset(copyOf(small->buffer, size));
                p.reset(new qelImgProcessor(QELIMG_IMAGETYPE_DIB, m_workBlock.get(), static_cast<unsigned int>(size)));
            }
        }
    }
    return p.release();
}

void qelImageObject::checkFormat(const qelImgInfo* info)
{
    if (!info)
        return;
    const int c = info->compression, b = info->bitsPerPixel;
    bool ok;
    if (c == 0 || c == 11 || (c >= 20 && c <= 36))
        ok = acceptedDepth(b);
    else if (c == 1 || c == 2 || c == 5)
        ok = b == 1;
    else if (c == 3 || c == 4)
        ok = b == 1 || b == 4;
    else if (c == 9)
        ok = b == 8 || b == 24 || b == 32;
    else
        throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1, qelImgUtils::getCompressionName(c),
                               getKindText());
    if (!ok) {
        const std::string text = std::string(getKindText()) + " " + qelImgUtils::getCompressionName(c);
        throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, b, text.c_str());
    }
}

int qelImageObject::getUniqueColorsCount(int max)
{
    return guarded([&]() -> int {
        if (!m_data || m_dataLength <= 0)
            return -2;
        Processor p(new qelImgProcessor(m_data, static_cast<unsigned int>(m_dataLength)));
        setErrorSwitch(p.get());
        p->setParameter(QELIMG_PARAM_PHOTOMETRIC, m_photometric);
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 1);
        qelImgInfo* info = p->getInfo();
        if (info->xResolution == 0) {
            const int r = info->relativeResolution != 1 ? getResolution() >> 1 : getResolution();
            p->setParameter(QELIMG_PARAM_X_RESOLUTION, r);
            p->setParameter(QELIMG_PARAM_Y_RESOLUTION, r);
        }
        return p->getUniqueColorsCount(max);
    });
}

void qelImageObject::getPlacement(int* width, int* height)
{
    *width = *height = 0;
    qelImgInfo* info = getImage();
    if (!info)
        return;
    qelUtils::computeClipOverflow(info->width, info->height, info->xResolution, m_presentationWidth,
                                  m_presentationHeight, getResolution(), getIAxisOrientation(),
                                  static_cast<int16_t>(m_areaOriginX), static_cast<int16_t>(m_areaOriginY), width,
                                  height);
}

int qelImageObject::saveAs(const char* fileName, const char* format, int* params)
{
    if (!fileName)
        return -1;
    qelIni* ini = options();
    std::string path;
    if (!qelUtils::isAbsolutePath(fileName)) {
        qelString dir(ini->getOutputFilePath() ? ini->getOutputFilePath() : "");
        qelUtils::appendSlash(&dir);
        path = dir.getBuffer() ? dir.getBuffer() : "";
    }
    path += fileName;
    const char* name = getName() ? getName() : "";
    const char* shown = format ? format : "png";
    if (qelLogStream* log = logWith(0x10F)) {
        if (params)
            log->printLine("saveAs: Image=%s Filename=%s Format=%s Params: Resolution=%d", name, path.c_str(), shown,
                           params[0]);
        else
            log->printLine("saveAs: Image=%s Filename=%s Format=%s", name, path.c_str(), shown);
    }
    int type = QELIMG_ENCODE_PNG;
    if (!format) {
        if (qelLogStream* log = logWith(0x10F))
            log->printLine("Error! Null format to save, using default (png)");
    } else {
        std::string text(format), variant;
        const size_t colon = text.find(':');
        if (colon != std::string::npos) {
            variant = text.substr(colon + 1);
            text = text.substr(0, colon);
        }
        auto is = [](const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; };
        if (is(text, "png"))
            type = QELIMG_ENCODE_PNG;
        else if (is(text, "jpeg") || is(text, "jpg"))
            type = QELIMG_ENCODE_JPEG;
        else if (is(text, "tiff") || is(text, "tif"))
            type = is(variant, "uncompressed") ? QELIMG_ENCODE_TIFF_UNCOMPRESSED
                   : is(variant, "g3")         ? QELIMG_ENCODE_TIFF_G3_1D
                   : is(variant, "lzw")        ? QELIMG_ENCODE_TIFF_LZW
                   : (is(variant, "jpeg") || is(variant, "jpg")) ? QELIMG_ENCODE_TIFF_JPEG
                                                                 : QELIMG_ENCODE_TIFF_G4;
        else if (is(text, "gif"))
            type = QELIMG_ENCODE_GIF;
        else if (is(text, "pcx"))
            type = QELIMG_ENCODE_PCX;
        else if (is(text, "bmp"))
            type = QELIMG_ENCODE_BMP;
        else if (is(text, "dib"))
            type = QELIMG_ENCODE_DIB;
        else if (is(text, "afp"))
            type = QELIMG_ENCODE_AFP_OLY;
        else if (qelLogStream* log = logWith(0x10F))
            log->printLine("Warning! Unsupported format (%s) to save, using default (png)", format);
    }
    try {
        Processor p(openProcessor());
        if (!p)
            return -2;
        setErrorSwitch(p.get());
        qelImgInfo* info = p->getInfo();
        const bool ownInfo = m_kind == IMAGE_JPEG || m_kind == IMAGE_TIFF || m_kind == IMAGE_DIB;
        p->setParameter(QELIMG_PARAM_PHOTOMETRIC, ownInfo ? info->photometric : m_photometric);
        if (info->bitsPerPixel == 1)
            p->setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 1);
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, ini->isColor() ? 1 : 0);
        if (info->xResolution == 0) {
            const int r = info->relativeResolution != 1 ? getResolution() >> 1 : getResolution();
            p->setParameter(QELIMG_PARAM_X_RESOLUTION, r);
            p->setParameter(QELIMG_PARAM_Y_RESOLUTION, r);
        }
        if (type == QELIMG_ENCODE_JPEG || type == QELIMG_ENCODE_TIFF_JPEG)
            p->setParameter(QELIMG_PARAM_JPEG_QUALITY,
                            params && params[1] >= 1 && params[1] <= 100 ? params[1] : ini->getJPEGQuality());
        // Our bitmaps hold red first: the formats written by the bitmap
        // library must not swap again.
        if (type == QELIMG_ENCODE_BMP || type == QELIMG_ENCODE_PNG || type == QELIMG_ENCODE_GIF ||
            type == QELIMG_ENCODE_PCX)
            p->setParameter(QELIMG_PARAM_SWAP_RGB, 1);
        p->encode(path.c_str(), static_cast<QELIMG_ENCODETYPE>(type));
        return 0;
    } catch (qelImgException* e) {
        const std::string reason = e->getMessageText() ? e->getMessageText() : "";
        delete e;
        if (qelLogStream* log = logWith(0x10F)) {
            if (getName())
                log->printLine("Error! Unable to save image (%s) as %s, Reason: %s", getName(), shown, reason.c_str());
            else
                log->printLine("Error! Unable to save image as %s, Reason: %s", shown, reason.c_str());
        }
        return -3;
    }
}

// ------------------------------------------------------------- raster

void qelImageObject::prepareForRaster()
{
    if (m_encodedData || m_bands || !m_data || m_dataLength <= 0)
        return;
    qelIni* ini = options();
    guarded([&] {
        Processor p(new qelImgProcessor(m_data, static_cast<unsigned int>(m_dataLength)));
        qelImgInfo info = *p->getInfo();
        resolutionFallback(&info);
        setImage(&info);
        setFormatInfo(&info);
        checkFormat(m_formatInfo);
        setErrorSwitch(p.get());
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, m_formatInfo->xResolution);
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_formatInfo->yResolution);
        p->setParameter(QELIMG_PARAM_PHOTOMETRIC, m_photometric);
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, ini->isColor() ? 1 : 0);
        qelImgDIB* dib = p->getDIBData();
        if (!dib)
            return;
        Bitmap reduced;
        const int depth = dib->header->biBitCount;
        if (depth >= 2) {
            if (getForegroundColor(depth))
                reduced.reset(p->bitDemote(1, ini->getDitherMethod()));
            else if (!ini->isColor())
                reduced.reset(p->convertToGrayscale());
        }
        if (reduced)
            dib = reduced.get();
        describeBitmap(m_formatInfo, dib);
        const int64_t bytes = bitmapBytes(dib);
        if (dib->header->biBitCount == 24)
            qelImgDIBUtils::swapRGBPixels(dib->bits, static_cast<int>(bytes / 3));
        if (m_mappingOption == 0x50) {
            setEncodedData(dib->bits, static_cast<int32_t>(bytes));
            makeTrimPieces();
            return;
        }
        if (m_mappingOption == 0x10 && getResolution() > 0) {
            int w = qelUtils::roundHalfDown(static_cast<double>(m_presentationWidth) / getResolution() *
                                            m_formatInfo->xResolution);
            int h = qelUtils::roundHalfDown(static_cast<double>(m_presentationHeight) / getResolution() *
                                            m_formatInfo->yResolution);
            if (w > 0 && h > 0 && (w < m_formatInfo->width || h < m_formatInfo->height)) {
                int width = m_formatInfo->width, height = m_formatInfo->height;
                std::unique_ptr<unsigned char[]> cut(
                    qelUtils::copyBitmapRect(dib->bits, m_formatInfo->bitsPerPixel, &width, &height, w, h));
                if (cut) {
                    m_formatInfo->width = width;
                    m_formatInfo->height = height;
                    setEncodedData(cut.get(), static_cast<int32_t>(rowBytesOf(width, m_formatInfo->bitsPerPixel) * height));
                    return;
                }
            }
        }
        const int colors = qelImgDIBUtils::getColorCount(dib->header->biBitCount);
        if (colors > 0 && dib->palette)
            setColorTable(reinterpret_cast<const int32_t*>(dib->palette), colors);
        setEncodedData(dib->bits, static_cast<int32_t>(bytes));
    });
}

// ------------------------------------------------------------- AFP

qelImgDIB* qelImageObject::cropImage(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette)
{
    if (!info || !data || length == 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E045, 0, 1);
    Processor p(processorByType(info, data, length, palette));
    qelImgInfo in = *p->getInfo();
    checkDepth(&in);
    resolutionFallback(&in);
    const bool dib = in.type == QELIMG_IMAGETYPE_DIB;
    p->setParameter(QELIMG_PARAM_X_RESOLUTION, dib ? options()->getResolution() : in.xResolution / 10);
    p->setParameter(QELIMG_PARAM_Y_RESOLUTION, dib ? options()->getResolution() : in.yResolution / 10);
    const int w = in.width, h = in.height;
    if (m_cropX >= w || m_cropY >= h)
        return nullptr;
    qelImgDIB* out = qelImgProcessor::crop(p->getDIBData(), m_cropX, m_cropY, w - m_cropX, h - m_cropY);
    if (out) {
        const int pw = m_areaWidth, ph = m_areaHeight;
        if (m_cropX > 0 && w > 0)
            m_areaWidth = static_cast<int32_t>(static_cast<float>(w - m_cropX) * static_cast<float>(m_areaWidth) / w);
        if (m_cropY > 0 && h > 0)
            m_areaHeight = static_cast<int32_t>(static_cast<float>(h - m_cropY) * static_cast<float>(m_areaHeight) / h);
        if (qelLogStream* log = logWith(QEL_LOG_ALL))
            log->print("Crop Image: Name=%s Width=%d Height=%d NewWidth=%d NewHeight=%d PWidth=%d PHeight=%d\r\n",
                       getName() ? getName() : "", w, h, out->header->biWidth, out->header->biHeight, pw, ph);
    }
    return out;
}

qelImgDIB* qelImageObject::resizeToPresentation(qelImgInfo* info, unsigned char* data, int32_t length,
                                                unsigned char* palette)
{
    if (!info || !data || length == 0)
        return nullptr;
    Processor p(processorByType(info, data, length, palette));
    qelImgInfo in = *p->getInfo();
    checkDepth(&in);
    resolutionFallback(&in);
    qelIni* ini = options();
    double s = 1.0;
    if (in.type == QELIMG_IMAGETYPE_DIB) {
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, ini->getResolution());
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, ini->getResolution());
        s = getResolution() ? static_cast<double>(ini->getResolution()) / getResolution() : 1.0;
    } else {
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, in.xResolution / 10);
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, in.yResolution / 10);
    }
    const int w = qelUtils::roundHalfDown(m_areaWidth * s), h = qelUtils::roundHalfDown(m_areaHeight * s);
    if (w <= 0 || h <= 0)
        return nullptr;
    p->setParameter(QELIMG_PARAM_RESIZE_FILTER, w < in.width && h < in.height ? ini->getImageShrinkFilter()
                                                                              : ini->getImageStretchFilter());
    if (qelLogStream* log = logAll())
        log->print("\nResize Image: Name=%s IW=%d IH=%d NW=%d NH=%d", getName() ? getName() : "", in.width,
                   in.height, w, h);
    return p->resize(getName(), w, h);
}

qelImgDIB* qelImageObject::rotateImage(qelImgInfo* info, unsigned char* data, int32_t length, unsigned char* palette)
{
    if (!info || !data || length == 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E045, 0, 1);
    const int r = getIAxisOrientation();
    if (r == 0 || r == 360)
        return nullptr;
    if (r != 90 && r != 180 && r != 270) {
        if (qelLogStream* log = logWith(0x10F))
            log->print("Warning! AutoRotateImge is \"on\". But Image Rotation failed. Name=%s Rot=%d\r\n",
                       getName() ? getName() : "", r);
        return nullptr;
    }
    Processor p(processorByType(info, data, length, palette));
    qelImgInfo in = *p->getInfo();
    checkDepth(&in);
    resolutionFallback(&in);
    const bool dib = in.type == QELIMG_IMAGETYPE_DIB;
    p->setParameter(QELIMG_PARAM_X_RESOLUTION, dib ? options()->getResolution() : in.xResolution / 10);
    p->setParameter(QELIMG_PARAM_Y_RESOLUTION, dib ? options()->getResolution() : in.yResolution / 10);
    qelImgDIB* out = p->rotateDIB(p->getDIBData(), r, 0);
    if (out) {
        if (r != 180)
            std::swap(m_areaWidth, m_areaHeight);
        if (qelLogStream* log = logWith(QEL_LOG_ALL))
            log->print("\nRotate Image: Name=%s Rot=%s, Width=%d, Height=%d NewWidth=%d, NewHeight=%d, PWidth=%d, "
                       "PHeight=%d\r\n",
                       getName() ? getName() : "", r == 90 ? "90" : r == 180 ? "180" : "270", in.width, in.height,
                       out->header->biWidth, out->header->biHeight, m_areaWidth, m_areaHeight);
    }
    return out;
}

void qelImageObject::prepareForAFP()
{
    if (m_encodedData || m_bands)
        return;
    try {
        prepareForAFPImpl();
    } catch (qelImgException* e) {
        qelImageLibraryErrors::rethrow(e);
    } catch (std::bad_alloc&) {
        throw new qelException(__FILE__, __LINE__, qelMsg::E013, 0, 1, "Unable to allocate image processor");
    }
}

void qelImageObject::prepareForAFPImpl()
{
    qelIni* ini = options();
    if (!getImage())
        return;
    // The working image: the stored one, or a new bitmap of crop, resize
    // or rotation.
    qelImgInfo workInfo = *m_imageInfo;
    unsigned char* work = m_data;
    int32_t workLength = m_dataLength;
    unsigned char* palette = reinterpret_cast<unsigned char*>(m_colorTable);
    Bitmap bitmap;
    auto take = [&](qelImgDIB* dib) {
        if (!dib)
            return;
        bitmap.reset(dib);
        std::unique_ptr<qelImgInfo> info(qelImgUtils::createInfoFromDIBHeader(dib->header));
        workInfo = *info;
        work = dib->buffer;
        workLength = qelImgDIBUtils::getDIBSize(dib);
        palette = nullptr;
    };
    if (m_cropX > 0 || m_cropY > 0)
        take(cropImage(&workInfo, work, workLength, palette));
    const char* level = ini->getAFPComplianceLevel();
    if (level && strcasecmp(level, "modcais2") == 0 && workInfo.height > 0) {
        const double s = workInfo.type == QELIMG_IMAGETYPE_IOCA || !getResolution()
                             ? 1.0
                             : static_cast<double>(ini->getResolution()) / getResolution();
        const int w = qelUtils::roundHalfDown(m_areaWidth * s), h = qelUtils::roundHalfDown(m_areaHeight * s);
        // An area side of 0 leaves the image as it is.
        if (m_areaWidth > 0 && m_areaHeight > 0) {
            const double pr = static_cast<double>(m_areaWidth) / m_areaHeight * 100.0;
            const double ir = static_cast<double>(workInfo.width) / workInfo.height * 100.0;
            const bool symmetric = pr >= ir - ir / 100.0 && pr <= ir + ir / 100.0;
            if (ini->isDevTest())
                if (qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream())
                    log->print("\nResize Image: Name=%s IW=%d IH=%d PW=%d PH=%d IRatio=%d(%.2f) PRatio=%d(%.2f) "
                               "SymmetricalScale=%c\r\n",
                               getName() ? getName() : "null", workInfo.width, workInfo.height, w, h,
                               static_cast<int>(ir), ir, static_cast<int>(pr), pr, symmetric ? 'Y' : 'N');
            if (!symmetric && !ini->hasSwitch("NoImageResize"))
                take(resizeToPresentation(&workInfo, work, workLength, palette));
        }
    }
    if (ini->isAutoRotateImage() && getIAxisOrientation() != 0 && getIAxisOrientation() != 360)
        take(rotateImage(&workInfo, work, workLength, palette));

    Processor p(processorByType(&workInfo, work, workLength, palette));
    qelImgInfo info = *p->getInfo();
    checkDepth(&info);
    resolutionFallback(&info);
    m_imageInfo->xResolution = info.xResolution;
    m_imageInfo->yResolution = info.yResolution;
    setFormatInfo(&info);
    p->setParameter(QELIMG_PARAM_IOCA_WRAPPER, 0);
    if (info.type == QELIMG_IMAGETYPE_DIB) {
        m_formatInfo->xResolution = m_formatInfo->yResolution = ini->getResolution();
    } else {
        m_formatInfo->xResolution = m_xResolution / 10;
        m_formatInfo->yResolution = m_yResolution / 10;
        if (m_formatInfo->xResolution == 0) {
            m_formatInfo->xResolution = info.xResolution;
            m_formatInfo->yResolution = info.yResolution;
        }
    }
    p->setParameter(QELIMG_PARAM_X_RESOLUTION, m_formatInfo->xResolution);
    p->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_formatInfo->yResolution);
    setErrorSwitch(p.get());
    p->setParameter(QELIMG_PARAM_FLIP_IMAGE, m_flip);
    const bool byteAlign = ini->hasSwitch("FORCEIOCABYTEALIGN");
    p->setParameter(QELIMG_PARAM_BYTE_ALIGN, byteAlign ? 1 : 0);

    const bool color = ini->isColor();
    const bool bw = ini->getFormatType() == 33;
    Encoded out;
    int type = QELIMG_ENCODE_IOCA_JPEG;
    Bitmap reduced;
    const int bits = info.bitsPerPixel;
    if (bits == 1 && info.compression >= 1 && info.compression <= 3) {
        type = QELIMG_ENCODE_IOCA;
        p->encode(&out.data, &out.length, &out.info, QELIMG_ENCODE_IOCA);
        if (out.info)
            m_formatInfo->height = out.info->height;
        const bool odd = m_formatInfo->width % 8 != 0;
        if (odd || (!byteAlign && info.photometric != 0)) {
            m_formatInfo->width = (m_formatInfo->width + 7) / 8 * 8;
            m_formatInfo->compression = 3;
        }
        m_formatInfo->bitsPerPixel = 1;
    } else {
        if (bits == 1) {
            const int cs = getColorSpace();
            if (bw || ini->hasSwitch("ForceAFPBilevelColor")) {
                type = QELIMG_ENCODE_IOCA_G4;
            } else if (cs == COLOR_OCA) {
                p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric);
                type = QELIMG_ENCODE_IOCA_G4;
            } else if (cs == COLOR_RGB || cs == COLOR_CMYK) {
                const char* l = ini->getAFPComplianceLevel();
                if (!l || strcasecmp(l, "modcap") != 0 || qelUtils::isMappedColor(cs, getColorValue(), cs == COLOR_RGB)) {
                    p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric);
                    type = QELIMG_ENCODE_IOCA_G4;
                } else {
                    p->setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 1);
                    type = QELIMG_ENCODE_IOCA_JPEG;
                }
            }
        } else {
            if (bits == 4 || bits == 8)
                p->setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 1);
            if (bits == 32)
                p->setParameter(QELIMG_PARAM_CMYK_TO_RGB, 1);
            if (!color && bw) {
                p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric);
                reduced.reset(p->bitDemote(1, ini->getDitherMethod()));
                p->setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 0);
                type = QELIMG_ENCODE_IOCA_G4;
            } else {
                type = QELIMG_ENCODE_IOCA_JPEG;
            }
        }
        if (type == QELIMG_ENCODE_IOCA_JPEG) {
            if (!ini->isNotGiven(0x10))
                p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
            p->setParameter(QELIMG_PARAM_COLOR_SPACE, !color ? 0 : ini->getIOCAColorSpace() == 1 ? 1 : 3);
        }
        if (reduced)
            p->encode(&out.data, &out.length, reduced.get(), static_cast<QELIMG_ENCODETYPE>(type));
        else
            p->encode(&out.data, &out.length, &out.info, static_cast<QELIMG_ENCODETYPE>(type));
        if (type == QELIMG_ENCODE_IOCA_G4) {
            m_formatInfo->compression = 3;
            m_formatInfo->bitsPerPixel = 1;
            normalise(m_formatInfo);
        } else {
            m_formatInfo->compression = 9;
            m_formatInfo->bitsPerPixel = color ? 24 : 8;
        }
    }
    setEncodedData(out.data, static_cast<int32_t>(out.length));
    const int b = m_formatInfo->bitsPerPixel;
    m_functionSet = b == 8 || b == 24 ? 11 : b == 32 ? 45 : 10;
}

// ------------------------------------------------------------- PDF

qelImageHolder* qelImageObject::createPart(int number, const qelImgInfo* info, const qelImgInfo* format,
                                           const unsigned char* data, int32_t length, qelImageStrips* bands,
                                           const int32_t* colorTable, int32_t count)
{
    std::unique_ptr<qelImageHolder> part(new qelImageHolder());
    part->partNumber = number;
    part->info = info ? new qelImgInfo(*info) : nullptr;
    part->formatInfo = format ? new qelImgInfo(*format) : nullptr;
    part->data = copyOf(data, length);
    part->length = part->data ? length : 0;
    part->bands = bands;
    if (colorTable && count > 0) {
        part->colorTable = new int32_t[static_cast<size_t>(count)];
        std::memcpy(part->colorTable, colorTable, 4 * static_cast<size_t>(count));
        part->colorCount = count;
    }
    part->maskFormatInfo = new qelImgInfo();
    m_parts.push_back(std::move(part));
    return m_parts.back().get();
}

void qelImageObject::decodeMask(qelImgProcessor* p)
{
    qelImgInfo info = *p->getMaskInfo();
    if (info.bitsPerPixel != 1) {
        if (qelLogStream* log = logWith(0x2))
            log->printLine("Warning! Image Mask with %d Bits/Pixel not supported", info.bitsPerPixel);
        if (!options()->isQuietMode())
            qelMessageOutput::printf("Warning! Image Mask with %d Bits/Pixel not supported\n", info.bitsPerPixel);
        return;
    }
    if (info.xResolution == 0)
        info.xResolution = info.yResolution = getResolution();
    qelImgDIB* dib = p->getMaskDIBData();
    if (!dib)
        return;
    setMaskInfo(&info);
    setMaskData(dib->bits, static_cast<int32_t>(bitmapBytes(dib)));
    describeBitmap(m_maskInfo, dib);
}

void qelImageObject::prepareMaskForPDF(qelImgProcessor* p, qelImageHolder* part)
{
    qelImgInfo info = *p->getMaskInfo();
    if (info.bitsPerPixel != 1)
        throw new qelException(__FILE__, __LINE__, qelMsg::E019, 0, 1, info.bitsPerPixel, "Transparency Mask");
    const int c = info.compression;
    if (c != 0 && c != 1 && c != 3 && c != 4 && c != 5)
        throw new qelException(__FILE__, __LINE__, qelMsg::E016, 0, 1, qelImgUtils::getCompressionName(c),
                               getKindText());
    if (qelLogStream* log = logWith(QEL_LOG_INFO))
        log->print("\nFinding best compression for Transparency Image Mask\n");
    if (info.xResolution == 0)
        info.xResolution = info.yResolution = getResolution();
    qelImgDIB* dib = p->getMaskDIBData();
    if (!dib)
        return;
    delete part->maskSourceInfo;
    part->maskSourceInfo = new qelImgInfo(info);
    delete part->maskFormatInfo;
    part->maskFormatInfo = new qelImgInfo(info);
    part->maskFormatInfo->width = (info.width + 7) / 8 * 8;
    const int size = qelImgDIBUtils::getDIBSize(dib);
    std::unique_ptr<unsigned char[]> block(copyOf(dib->buffer, size));
    Processor mask(new qelImgProcessor(QELIMG_IMAGETYPE_DIB, block.get(), static_cast<unsigned int>(size)));
    mask->setParameter(QELIMG_PARAM_COLOR_SPACE, 7);
    Encoded out;
    const int chosen = bestMatch(mask.get(), out, {QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE});
    if (out.info)
        part->maskFormatInfo->height = out.info->height;
    part->maskFormatInfo->compression = compressionOfChoice(chosen, part->maskFormatInfo->compression);
    delete[] part->maskData;
    part->maskData = copyOf(out.data, out.length);
    part->maskLength = part->maskData ? static_cast<int32_t>(out.length) : 0;
}

void qelImageObject::prepareMaskForIOCA(qelImgProcessor* p, qelImageHolder* part)
{
    qelImgInfo info = *p->getMaskInfo();
    if (info.bitsPerPixel != 1) {
        if (qelLogStream* log = logWith(0x2))
            log->printLine("Warning! Image Mask with %d Bits/Pixel not supported", info.bitsPerPixel);
        if (!options()->isQuietMode())
            qelMessageOutput::printf("Warning! Image Mask with %d Bits/Pixel not supported\n", info.bitsPerPixel);
        return;
    }
    if (info.xResolution == 0)
        info.xResolution = info.yResolution = getResolution();
    delete part->maskFormatInfo;
    part->maskFormatInfo = new qelImgInfo(info);
    Encoded out;
    const int c = info.compression;
    const bool flate = options()->hasSwitch("ENC_FLATE");
    if (c == 1 || c == 2 || c == 3 || (c == 0 && flate)) {
        p->getEncodedMaskData(&out.data, &out.length);
    } else if (c == 0 || c == 4 || c == 5) {
        qelImgDIB* dib = p->getMaskDIBData();
        if (!dib)
            return;
        p->encode(&out.data, &out.length, dib, QELIMG_ENCODE_CCITT_G4);
        part->maskFormatInfo->width = dib->header->biWidth;
        part->maskFormatInfo->height = dib->header->biHeight;
        part->maskFormatInfo->bitsPerPixel = part->maskFormatInfo->bitsPerSample = dib->header->biBitCount;
        part->maskFormatInfo->samplesPerPixel = 1;
        part->maskFormatInfo->compression = 3;
    } else {
        throw new qelException(__FILE__, __LINE__, qelMsg::E016, 0, 1, qelImgUtils::getCompressionName(c),
                               getKindText());
    }
    delete[] part->maskData;
    part->maskData = copyOf(out.data, out.length);
    part->maskLength = part->maskData ? static_cast<int32_t>(out.length) : 0;
}

void qelImageObject::encodeBandsAsJPEG(qelImageStrips* bands)
{
    if (!bands)
        return;
    std::unique_ptr<qelImageStrips> fresh(new qelImageStrips());
    fresh->data = new unsigned char*[static_cast<size_t>(bands->count)]();
    fresh->lengths = new int[static_cast<size_t>(bands->count)]();
    fresh->count = bands->count;
    qelIni* ini = options();
    for (int i = 0; i < bands->count; ++i) {
        if (!bands->data[i] || bands->lengths[i] <= 0)
            continue;
        Processor p(new qelImgProcessor(bands->data[i], static_cast<unsigned int>(bands->lengths[i])));
        p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 0);
        const int r = m_formatInfo ? m_formatInfo->xResolution : 0;
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, r);
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, r);
        unsigned char* data = nullptr;
        unsigned int length = 0;
        p->encode(&data, &length, QELIMG_ENCODE_JPEG);
        fresh->data[i] = data;
        fresh->lengths[i] = static_cast<int>(length);
    }
    bands->free();
    std::swap(bands->count, fresh->count);
    std::swap(bands->data, fresh->data);
    std::swap(bands->lengths, fresh->lengths);
}

int qelImageObject::encodeBandsBest(qelImageStrips* bands)
{
    if (!bands || bands->count <= 0)
        return 37;
    qelImgInfo* image = getImage();
    if (!image)
        return 37;
    qelImgInfo work = *image;
    const int c = work.compression;
    work.type = c == 0 ? QELIMG_IMAGETYPE_RAW : (c == 3 || c == 11) ? QELIMG_IMAGETYPE_TIFF
                : c == 9 ? QELIMG_IMAGETYPE_JPEG : work.type;
    work.photometric = 0;
    work.bitsPerPixel = work.bitsPerSample = work.bitsPerPixel / bands->count;
    work.samplesPerPixel = 1;
    work.bandCount = 1;
    work.colorCount = 256;
    std::unique_ptr<unsigned char[]> palette(qelImgDIBUtils::createGrayPalette(256, true));
    std::unique_ptr<qelImageStrips> fresh(new qelImageStrips());
    fresh->count = bands->count;
    fresh->data = new unsigned char*[static_cast<size_t>(bands->count)]();
    fresh->lengths = new int[static_cast<size_t>(bands->count)]();
    fresh->compressions = new int[static_cast<size_t>(bands->count)]();
    qelIni* ini = options();
    int code = 37;
    for (int i = 0; i < bands->count; ++i) {
        if (!bands->data[i] || bands->lengths[i] <= 0)
            continue;
        Processor p(processorByType(&work, bands->data[i], bands->lengths[i], palette.get()));
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 0);
        if (!ini->isNotGiven(0x10))
            p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
        Encoded out;
        const int chosen = bestMatch(p.get(), out,
                                     {QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE, QELIMG_ENCODE_JPEG, QELIMG_ENCODE_TIFF_LZW});
        code = compressionOfChoice(chosen, code);
        fresh->data[i] = out.data;
        fresh->lengths[i] = static_cast<int>(out.length);
        fresh->compressions[i] = code;
        out.data = nullptr;
    }
    bands->free();
    std::swap(bands->count, fresh->count);
    std::swap(bands->data, fresh->data);
    std::swap(bands->lengths, fresh->lengths);
    std::swap(bands->compressions, fresh->compressions);
    return code;
}

int qelImageObject::positionAndTrim(qelImgProcessor* p)
{
    if (m_mappingOption != 0x10)
        return 0;
    qelImgInfo* image = getImage();
    if (!image)
        return 0;
    int w = 0, h = 0;
    qelUtils::computeClipOverflow(image->width, image->height, image->xResolution, m_presentationWidth,
                                  m_presentationHeight, getResolution(), getIAxisOrientation(),
                                  static_cast<int16_t>(m_areaOriginX), static_cast<int16_t>(m_areaOriginY), &w, &h);
    if (w == 0 && h == 0)
        return 0;
    if (m_trimmedInfo && m_trimmedInfo->width == w && m_trimmedInfo->height == h)
        return 1;
    if (!m_encodedData && p) {
        qelImgDIB* dib = p->getDIBData();
        if (!m_formatInfo)
            setFormatInfo(p->getInfo());
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, m_formatInfo->xResolution);
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_formatInfo->yResolution);
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, options()->isColor() ? 1 : 0);
        dib = p->getDIBData();
        if (!dib)
            return 0;
        setEncodedData(dib->bits, static_cast<int32_t>(bitmapBytes(dib)));
        describeBitmap(m_formatInfo, dib);
        if (dib->header->biBitCount == 4) {
            std::unique_ptr<int32_t[]> table;
            tableFromPalette(table, dib, 16);
            setColorTable(table.get(), 16);
        }
        if (p->hasMask())
            decodeMask(p);
    }
    if (!m_formatInfo || !m_encodedData)
        return 0;
    const int bits = m_formatInfo->bitsPerPixel;
    int width = m_formatInfo->width, height = m_formatInfo->height;
    if (rowBytesOf(width, bits) * height > m_encodedLength)
        return 0;
    std::unique_ptr<unsigned char[]> cut(qelUtils::copyBitmapRect(m_encodedData, bits, &width, &height, w, h));
    if (!cut)
        return 0;
    setTrimmedData(cut.get(), static_cast<int32_t>(rowBytesOf(width, bits) * height));
    qelImgInfo trimmed = *m_formatInfo;
    trimmed.width = width;
    trimmed.height = height;
    setTrimmedInfo(&trimmed);
    if (m_maskInfo && m_maskData && m_maskLength > 0 && m_trimmedInfo->xResolution > 0) {
        const int r = m_maskInfo->xResolution / m_trimmedInfo->xResolution;
        int mw = m_maskInfo->width, mh = m_maskInfo->height;
        if (rowBytesOf(mw, m_maskInfo->bitsPerPixel) * mh <= m_maskLength) {
            std::unique_ptr<unsigned char[]> mcut(qelUtils::copyBitmapRect(
                m_maskData, m_maskInfo->bitsPerPixel, &mw, &mh, mw < w * r ? mw : w * r, mh < h * r ? mh : h * r));
            if (mcut) {
                setTrimmedMaskData(mcut.get(), static_cast<int32_t>(rowBytesOf(mw, m_maskInfo->bitsPerPixel) * mh));
                qelImgInfo mi = *m_maskInfo;
                mi.width = mw;
                mi.height = mh;
                setTrimmedMaskInfo(&mi);
            }
        }
    }
    return 2;
}

std::unique_ptr<qelImageTrimPiece> qelImageObject::makeTrimPiece(int width, int rows)
{
    // Rows of the image's depth, padded to whole bytes; the piece is the
    // left width pixels of the first rows.
    const int bits = m_formatInfo->bitsPerPixel;
    const int64_t source = rowBytesOf(m_formatInfo->width, bits);
    const int64_t target = rowBytesOf(width, bits);
    if (width <= 0 || rows <= 0 || width > m_formatInfo->width || source * rows > m_encodedLength)
        return nullptr;
    std::unique_ptr<qelImageTrimPiece> piece(new qelImageTrimPiece());
    piece->bits = new unsigned char[static_cast<size_t>(target * rows)];
    const int64_t rowBits = static_cast<int64_t>(width) * bits;
    for (int64_t r = 0; r < rows; ++r) {
        unsigned char* out = piece->bits + r * target;
        std::memcpy(out, m_encodedData + r * source, static_cast<size_t>(target));
        if (rowBits % 8)
            out[target - 1] = static_cast<unsigned char>(out[target - 1] & (0xFF << (8 - rowBits % 8)));
    }
    piece->width = width;
    piece->height = rows;
    piece->length = static_cast<int32_t>(target * rows);
    std::snprintf(piece->name, sizeof piece->name, "%s%04d%06d", "Img", getInputNumber(), nextImageNumber());
    return piece;
}

void qelImageObject::makeTrimPieces()
{
    if (!m_formatInfo || !m_encodedData || getResolution() == 0 || m_formatInfo->width <= 0 ||
        m_formatInfo->height <= 0)
        return;
    const int64_t wi = m_formatInfo->width, hi = m_formatInfo->height;
    const int64_t ro = getResolution();
    const int64_t g = static_cast<int64_t>(m_formatInfo->xResolution) * m_presentationWidth / ro;
    const int64_t c = g % wi;
    int64_t l = static_cast<int64_t>(m_presentationHeight) * m_formatInfo->yResolution / ro;
    if (c > 0)
        m_trimRight = makeTrimPiece(static_cast<int>(c), static_cast<int>(l < hi ? l : hi));
    l = l % hi;
    if (l > 0)
        m_trimBottom = makeTrimPiece(static_cast<int>(g < wi ? g : wi), static_cast<int>(l));
    if (c >= 1 && l >= 1)
        m_trimCorner = makeTrimPiece(static_cast<int>(c), static_cast<int>(l));
    if (!m_maskInfo || !m_maskData || m_formatInfo->xResolution <= 0)
        return;
    for (qelImageTrimPiece* piece : {m_trimRight.get(), m_trimBottom.get(), m_trimCorner.get()}) {
        if (!piece)
            continue;
        const int64_t mx = m_maskInfo->xResolution;
        int mw = m_maskInfo->width, mh = m_maskInfo->height;
        if (rowBytesOf(mw, m_maskInfo->bitsPerPixel) * mh > m_maskLength)
            continue;
        const int cw = static_cast<int>(piece->width * mx / m_formatInfo->xResolution);
        const int ch = static_cast<int>(piece->height * mx / m_formatInfo->xResolution);
        std::unique_ptr<unsigned char[]> cut(
            qelUtils::copyBitmapRect(m_maskData, m_maskInfo->bitsPerPixel, &mw, &mh, cw, ch));
        if (!cut)
            continue;
        piece->maskInfo = new qelImgInfo(*m_maskInfo);
        piece->maskInfo->width = mw;
        piece->maskInfo->height = mh;
        piece->maskLength = static_cast<int32_t>(rowBytesOf(mw, m_maskInfo->bitsPerPixel) * mh);
        piece->maskBits = cut.release();
    }
}

void qelImageObject::prepareForPDF() { prepareForPDFImpl(false); }

void qelImageObject::prepareForPDFIOCA() { prepareForPDFImpl(true); }

void qelImageObject::prepareForPDFImpl(bool keep)
{
    qelIni* ini = options();
    if (m_encodedData || !m_parts.empty()) {
        if (m_mappingOption == 0x10 && m_contentCount <= 1)
            guarded([&] { positionAndTrim(nullptr); });
        return;
    }
    guarded([&] {
        Processor p(openProcessor());
        if (!p)
            return;
        const bool color = ini->isColor();
        const bool pdfa = (ini->getOutputFormat() & QEL_OUT_PDFA) != 0;
        const int configured = color ? ini->getColorspace() : 0;
        m_contentCount = p->getImageContentCount();
        // Both trims read formatInfo's resolutions: fill it from the first
        // content first.
        if (m_contentCount <= 1 && (m_mappingOption == 0x50 || m_mappingOption == 0x10)) {
            qelImgInfo first = *p->getInfo();
            resolutionFallback(&first);
            if (!m_imageInfo)
                setImage(&first);
            setFormatInfo(&first);
        }
        if (m_mappingOption == 0x50 && m_contentCount <= 1) {
            p->setParameter(QELIMG_PARAM_X_RESOLUTION, m_formatInfo->xResolution);
            p->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_formatInfo->yResolution);
            p->setParameter(QELIMG_PARAM_COLOR_SPACE, keep ? (color ? 1 : 0) : configured);
            qelImgDIB* dib = p->getDIBData();
            if (!dib)
                return;
            setEncodedData(dib->bits, static_cast<int32_t>(bitmapBytes(dib)));
            describeBitmap(m_formatInfo, dib);
            if (dib->header->biBitCount == 4) {
                std::unique_ptr<int32_t[]> table;
                tableFromPalette(table, dib, 16);
                setColorTable(table.get(), 16);
            }
            if (p->hasMask())
                decodeMask(p.get());
            makeTrimPieces();
            return;
        }
        if (m_mappingOption == 0x10 && m_contentCount <= 1 && positionAndTrim(p.get()) != 0)
            return;
        int part = 0;
        int previous = 0;
        bool firstContent = true;
        // Bounded by the contents the library reported (at least one).
        const int limit = m_contentCount > 1 ? m_contentCount : 1;
        while (part < limit && (firstContent || p->hasNextImageContent())) {
            if (p->hasNextImageContent())
                p->nextImageContent();
            firstContent = false;
            ++part;
            qelImgInfo info = *p->getInfo();
            m_tiled = m_kind == IMAGE_IOCA && info.tileX != -1 ? 1 : 0;
            const bool bandPass = !keep && m_tiled && (info.bitsPerPixel == 32 || info.bitsPerPixel == 4);
            resolutionFallback(&info);
            setImage(&info);
            setFormatInfo(&info);
            if (keep)
                checkFormat(m_formatInfo);
            setErrorSwitch(p.get());
            p->setParameter(QELIMG_PARAM_X_RESOLUTION, m_formatInfo->xResolution);
            p->setParameter(QELIMG_PARAM_Y_RESOLUTION, m_formatInfo->yResolution);
            p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
            const int ioca = !color ? 0 : (ini->getColorspace() == 3 && !pdfa && info.type == QELIMG_IMAGETYPE_IOCA) ? 3 : 1;
            Encoded out;
            std::unique_ptr<qelImageStrips> bands;
            int code = previous;
            if (keep)
                code = encodeForIOCA(p.get(), info, ioca, out, bands);
            else
                code = encodeForPDF(p.get(), info, configured, pdfa, bandPass, out, bands, previous);
            if (out.info && !keep)
                m_formatInfo->height = out.info->height;
            m_formatInfo->compression = code;
            previous = code;
            if (m_tiled) {
                qelImageHolder* holder = createPart(part, m_imageInfo, m_formatInfo, out.data,
                                                    static_cast<int32_t>(out.length), bands.release(),
                                                    m_colorTable, m_colorCount);
                if (p->hasMask())
                    keep ? prepareMaskForIOCA(p.get(), holder) : prepareMaskForPDF(p.get(), holder);
            } else {
                if (bands)
                    setBands(bands.release());
                setEncodedData(out.data, static_cast<int32_t>(out.length));
            }
        }
    });
}

void qelImageObject::fillSixteenColors()
{
    std::unique_ptr<unsigned char[]> table(options()->isColor() ? qelImgDIBUtils::createStandardPalette()
                                                                : qelImgDIBUtils::createGrayPalette(16, false));
    setColorTable(reinterpret_cast<const int32_t*>(table.get()), 16);
}

int qelImageObject::encodeForPDF(qelImgProcessor* p, const qelImgInfo& info, int configured, bool pdfa,
                                 bool bandPass, PreparedBytes& out, std::unique_ptr<qelImageStrips>& bands,
                                 int previous)
{
    qelIni* ini = options();
    const bool color = ini->isColor();
    const int bits = info.bitsPerPixel;
    if (m_kind == IMAGE_JPEG || m_kind == IMAGE_TIFF || m_kind == IMAGE_DIB)
        p->setParameter(QELIMG_PARAM_PHOTOMETRIC, info.photometric);
    const int pdfSpace = !color ? 0
                         : (pdfa || info.type != QELIMG_IMAGETYPE_IOCA) ? ini->getColorspace()
                         : ini->getColorspace() == 3 ? 3 : 1;
    if (bits == 4 && info.bandCount == 4)
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 2);
    else if (bits == 8) {
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 0);
        if (color && m_colorTable &&
            !qelImgDIBUtils::isGrayPalette(reinterpret_cast<const unsigned char*>(m_colorTable), m_colorCount))
            p->setParameter(QELIMG_PARAM_COLOR_SPACE, configured);
    } else if (bits == 24 || bits == 32)
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, pdfSpace);
    int code = previous;
    int chosen = -1;
    bool flate = false;
    if (ini->hasSwitch("ENC_FLATE")) {
        p->setParameter(QELIMG_PARAM_ZLIB_LEVEL, ini->getFlateLevel());
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, !color ? 0 : ini->isCMYKTORGB() ? 1 : 2);
        chosen = bestMatch(p, out, {QELIMG_ENCODE_FLATE});
        flate = true;
    } else if (!ini->isCMYKTORGB() && bandPass) {
        bands.reset(new qelImageStrips());
        p->getEncodedBandData(bands.get());
        encodeBandsBest(bands.get());
        chosen = -1;
        code = info.compression;
    } else if (ini->hasSwitch("ENC_JPEG") && bits > 4) {
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, configured);
        chosen = bestMatch(p, out, {QELIMG_ENCODE_JPEG});
    } else if (m_transparent && m_transparencyKind == 1) {
        chosen = bestMatch(p, out, {QELIMG_ENCODE_CCITT_G3, QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE});
    } else {
        chosen = bestMatch(p, out, {QELIMG_ENCODE_CCITT_G3, QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE,
                                    QELIMG_ENCODE_JPEG});
    }
    if (chosen >= 0) {
        code = compressionOfChoice(chosen, previous);
        flate = chosen == QELIMG_ENCODE_FLATE;
    }
    if (bits == 4) {
        if (m_kind == IMAGE_JPEG || m_kind == IMAGE_TIFF || m_kind == IMAGE_DIB) {
            unsigned char* palette = nullptr;
            int count = 0;
            p->getColorTable(&palette, &count);
            std::unique_ptr<unsigned char[]> held(palette);
            setColorTable(reinterpret_cast<const int32_t*>(palette), count);
        } else {
            fillSixteenColors();
        }
    } else if (bits == 24 || bits == 32) {
        if (!color) {
            m_formatInfo->bitsPerPixel = 8;
            m_formatInfo->samplesPerPixel = 1;
        } else if (flate) {
            m_formatInfo->samplesPerPixel = ini->isCMYKTORGB() ? 3 : 4;
        }
    }
    return code;
}

int qelImageObject::encodeForIOCA(qelImgProcessor* p, const qelImgInfo& info, int ioca, PreparedBytes& out,
                                  std::unique_ptr<qelImageStrips>& bands)
{
    qelIni* ini = options();
    const bool color = ini->isColor();
    const bool quality = !ini->isNotGiven(0x10);
    const bool flateSwitch = ini->hasSwitch("ENC_FLATE");
    const int k = m_kind, b = info.bitsPerPixel, n = info.bandCount, c = info.compression;
    qelImgInfo* f = m_formatInfo;
    auto stored = [&] { p->getEncodedData(&out.data, &out.length); };
    auto jpeg = [&](int space) {
        p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, space);
        p->encode(&out.data, &out.length, &out.info, QELIMG_ENCODE_JPEG);
        return 9;
    };
    auto resolutions = [&](int r) {
        p->setParameter(QELIMG_PARAM_X_RESOLUTION, r);
        p->setParameter(QELIMG_PARAM_Y_RESOLUTION, r);
    };
    auto g4 = [&] {
        p->encode(&out.data, &out.length, &out.info, QELIMG_ENCODE_CCITT_G4);
        return 3;
    };
    auto planesFlate = [&] {
        p->setParameter(QELIMG_PARAM_COLOR_SPACE, 2);
        resolutions(f->xResolution);
        p->encode(&out.data, &out.length, &out.info, QELIMG_ENCODE_FLATE);
        f->bitsPerPixel = 4;
        f->bitsPerSample = 4;
        f->samplesPerPixel = 1;
        fillSixteenColors();
        return 28;
    };
    auto others = [&]() -> int {
        if (flateSwitch && k == IMAGE_IOCA && info.samplesPerPixel == 4 && info.bitsPerSample == 8) {
            p->setParameter(QELIMG_PARAM_ZLIB_LEVEL, ini->getFlateLevel());
            p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
            const bool rgb = ini->isCMYKTORGB();
            p->setParameter(QELIMG_PARAM_COLOR_SPACE, rgb ? 1 : 2);
            p->encode(&out.data, &out.length, &out.info, QELIMG_ENCODE_FLATE);
            f->samplesPerPixel = rgb ? 3 : 4;
            return 28;
        }
        if (ini->isCMYKTORGB() || flateSwitch) {
            const int r = info.relativeResolution != 1 ? getResolution() / 2 : getResolution();
            f->xResolution = f->yResolution = r;
            resolutions(r);
            return jpeg(ioca);
        }
        bands.reset(new qelImageStrips());
        p->getEncodedBandData(bands.get());
        if (c == 9 && quality) {
            encodeBandsAsJPEG(bands.get());
        }
        return c;
    };
    switch (c) {
    case 0:
        if (k == IMAGE_TIFF && b == 48) {
            p->setParameter(QELIMG_PARAM_JPEG_QUALITY, ini->getJPEGQuality());
            p->setParameter(QELIMG_PARAM_COLOR_SPACE, 1);
            Bitmap reduced(p->bitDemote(24, ini->getDitherMethod()));
            if (reduced)
                p->encode(&out.data, &out.length, reduced.get(), QELIMG_ENCODE_JPEG);
            f->type = QELIMG_IMAGETYPE_JPEG;
            f->bitsPerPixel = 24;
            f->bitsPerSample = 8;
            f->samplesPerPixel = 3;
            return 9;
        }
        if (k == IMAGE_IOCA && b == 4 && n == 4)
            return planesFlate();
        if ((k == IMAGE_IM || k == IMAGE_GOCA) && b == 1) {
            const int chosen = bestMatch(p, out, {QELIMG_ENCODE_CCITT_G4, QELIMG_ENCODE_FLATE});
            if (out.info)
                f->height = out.info->height;
            return chosen == QELIMG_ENCODE_CCITT_G4 ? 3 : 28;
        }
        if (b == 24) {
            resolutions(f->xResolution);
            return jpeg(ioca);
        }
        if (b == 8) {
            resolutions(f->xResolution);
            return jpeg(0);
        }
        if (b == 1) {
            if (flateSwitch) {
                stored();
                return 0;
            }
            if (k != IMAGE_IOCA)
                f->width = (f->width + 7) / 8 * 8;
            return g4();
        }
        return others();
    case 1:
    case 2: stored(); return c;
    case 3:
        if (k == IMAGE_IOCA && b == 4 && n == 4) {
            if (ini->isCMYKTORGB())
                return planesFlate();
            bands.reset(new qelImageStrips());
            p->getEncodedBandData(bands.get());
            return c;
        }
        stored();
        return c;
    case 4:
        if (k == IMAGE_IOCA && b == 4 && n == 4)
            return planesFlate();
        g4();
        if (out.info)
            f->height = out.info->height;
        return 3;
    case 5:
    case 20:
    case 21:
        f->width = (f->width + 7) / 8 * 8;
        return g4();
    case 9:
        if (b == 8) {
            resolutions(info.xResolution);
            if (!quality) {
                stored();
                return 9;
            }
            return jpeg(0);
        }
        if (b == 24 && n == 1) {
            resolutions(info.xResolution);
            if (!color)
                return jpeg(0);
            if (!quality) {
                stored();
                return 9;
            }
            return jpeg(ioca);
        }
        if (b == 24 && n == 3) {
            resolutions(info.xResolution);
            return jpeg(ioca);
        }
        return others();
    case 11: return others();
    default: break;
    }
    if (c >= 22 && c <= 36) {
        auto decodedBits = [&] {
            qelImgDIB* dib = p->getDIBData();
            if (!dib)
                return;
            out.length = static_cast<unsigned int>(bitmapBytes(dib));
            out.data = copyOf(dib->bits, out.length);
            const int colors = qelImgDIBUtils::getColorCount(dib->header->biBitCount);
            if (colors > 0 && dib->palette)
                setColorTable(reinterpret_cast<const int32_t*>(dib->palette), colors);
            f->width = dib->header->biWidth;
            f->height = dib->header->biHeight;
        };
        if (b == 1) {
            f->type = 8;
            return g4();
        }
        if (color && (b == 4 || b == 8)) {
            decodedBits();
            return 0;
        }
        if (color && (b == 24 || b == 32)) {
            f->type = QELIMG_IMAGETYPE_JPEG;
            f->bitsPerPixel = 24;
            return jpeg(1);
        }
        if (!color && (info.photometric == 0 || info.photometric == 1)) {
            decodedBits();
            f->type = QELIMG_IMAGETYPE_DIB;
            return 0;
        }
        if (!color && (b == 4 || b == 8 || b == 24 || b == 32)) {
            f->type = QELIMG_IMAGETYPE_JPEG;
            f->bitsPerPixel = 8;
            return jpeg(0);
        }
    }
    throw new qelException(__FILE__, __LINE__, qelMsg::E018, 0, 1, qelImgUtils::getCompressionName(c), getKindText());
}
