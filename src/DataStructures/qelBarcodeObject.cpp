#include "qelBarcodeObject.h"

#include "qelAFPFont.h"
#include "qelBarcodeSymbol.h"
#include "qelCodePage.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMedia.h"
#include "qelResOverlay.h"
#include "qelMessageOutput.h"
#include "qelString.h"
#include "qelVisitor.h"

qelBarcodeObject::qelBarcodeObject() = default;

qelBarcodeObject::~qelBarcodeObject()
{
    delete m_name;
    qelList::destroy(m_symbols);
    qelList::destroy(m_mappedFonts);
}

const char* qelBarcodeObject::getTypeName(uint32_t type)
{
    switch (type) {
    case 1: return "Code 39 (3-of-9 Code), AIM USS-39";
    case 2: return "MSI (modified Plessey code)";
    case 3: return "UPC/CGPC Version A";
    case 5: return "UPC/CGPC Version E";
    case 6: return "UPC Two-digit Supplemental (Periodicals)";
    case 7: return "UPC Five-digit Supplemental (Paperbacks)";
    case 8: return "EAN-8 (includes JAN-short)";
    case 9: return "EAN-13 (includes JAN-standard)";
    case 10: return "Industrial 2-of-5";
    case 11: return "Matrix 2-of-5";
    case 12: return "Interleaved 2-of-5, AIM USS-I 2/5";
    case 13: return "Codabar 2-of-7, AIM USS-Codabar";
    case 17: return "Code 128, AIM USS-128";
    case 22: return "EAN Two-digit Supplemental";
    case 23: return "EAN Five-digit Supplemental";
    case 24: return "POSTNET";
    case 26: return "RM4SCC";
    case 27: return "Japan Postal Bar Code";
    case 28: return "2D Data Matrix";
    case 29: return "2D MaxiCode";
    case 30: return "2D PDF417";
    case 31: return "Australia Post Bar Code";
    case 32: return "2D QR Code";
    case 33: return "Code 93";
    case 34: return "USPS Four-State";
    default: return "Invalid Barcode Type";
    }
}

void qelBarcodeObject::setName(const char* name)
{
    delete m_name;
    m_name = name ? new qelString(name) : nullptr;
}

const char* qelBarcodeObject::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelBarcodeObject::addData(qelBarcodeSymbol* symbol)
{
    if (!m_symbols)
        m_symbols = new qelList(&qelList::deleteAs<qelBarcodeSymbol>);
    m_symbols->append(symbol);
}

void qelBarcodeObject::prepareSymbols()
{
    if (m_symbols) {
        for (qelListNode* node = m_symbols->getHead(); node; node = node->next)
            static_cast<qelBarcodeSymbol*>(node->item)->draw(this);
    }
    m_symbolsPrepared = 1;
}

void qelBarcodeObject::write(qelVisitor* visitor)
{
    if (!m_symbols)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (m_barcodeType != TYPE_CODE39 && m_barcodeType != TYPE_CODE128 && m_barcodeType != TYPE_DATA_MATRIX) {
        if (log && log->anyOf(QEL_LOG_GENERAL))
            log->printLine("Warning! Barcode Type: 0x%X (%s) not supported", m_barcodeType, getTypeName());
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (!ini || !ini->isQuietMode())
            qelMessageOutput::printf("Warning! Barcode Type: 0x%X (%s) not supported\n", m_barcodeType,
                                     getTypeName());
        return;
    }
    if (!m_symbolsPrepared)
        prepareSymbols();
    computeAbsolutePosition();
    if (visitor)
        visitor->writeBarcodeObject(this);
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("\n==>EBC Name=%s", getName() ? getName() : "");
}

int qelBarcodeObject::getHRIFontType() const
{
    switch (m_barcodeType & 0xFF) {
    case 1: case 2: case 10: case 11: case 12: case 13: case 17: case 31: case 33: case 34:
        return 255;
    case 3: case 5: case 6: case 7: case 8: case 9: case 22: case 23:
        return 3;
    default:
        return -1;
    }
}

void qelBarcodeObject::addMappedFont(qelMappedRes* mapped)
{
    if (!m_mappedFonts)
        m_mappedFonts = new qelList(&qelList::deleteAs<qelMappedRes>);
    m_mappedFonts->append(mapped);
}

qelMappedRes* qelBarcodeObject::findMappedFont(uint8_t localId) const
{
    for (qelListNode* n = m_mappedFonts ? m_mappedFonts->getHead() : nullptr; n; n = n->next) {
        auto* entry = static_cast<qelMappedRes*>(n->item);
        if (entry && entry->getLocalId() == localId)
            return entry;
    }
    return nullptr;
}

void qelBarcodeObject::bindFonts()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* registry = pool ? pool->getGlobalRes() : nullptr;
    for (qelListNode* n = m_mappedFonts ? m_mappedFonts->getHead() : nullptr; n && registry; n = n->next) {
        auto* entry = static_cast<qelMappedRes*>(n->item);
        if (!entry || entry->getResource() || entry->getKind() != qelRes::TYPE_FONT)
            continue;
        const char* name = entry->getName();
        qelRes* font = nullptr;
        if (name && (name[0] == 'C' || name[0] == 'c')) {
            qelMappedFontInfo* info = entry->getFontInfo();
            const char* codePageName = info ? info->getCodePageName() : nullptr;
            qelFontWithCodePage pair;
            registry->loadFontWithCodePage(name, codePageName, &pair);
            entry->setCodePageName(codePageName);
            if (pair.codePage) {
                entry->setCodePage(pair.codePage);
                entry->setCodePageFound(pair.codePage->getFound());
            }
            font = pair.font;
        } else if (name && (name[0] == 'X' || name[0] == 'x')) {
            font = registry->getResource(name, qelRes::TYPE_FONT);
        }
        if (font)
            entry->setResource(font);
    }
    m_fontsBound = 1;
}

namespace
{
// p + v turned by the include rotation; false for a rotation that is not a
// right angle.
bool compose(qelPoint p, qelPoint v, int rotation, qelPoint& out)
{
    switch (rotation) {
    case 0:
    case 360: out = qelPoint{p.x + v.x, p.y + v.y}; return true;
    case 90: out = qelPoint{p.x - v.y, p.y + v.x}; return true;
    case 180: out = qelPoint{p.x - v.x, p.y - v.y}; return true;
    case 270: out = qelPoint{p.x + v.y, p.y - v.x}; return true;
    default: return false;
    }
}

qelMedia* ownMedia(qelRes* resource)
{
    return dynamic_cast<qelMedia*>(resource);
}

bool isPageMedia(const qelMedia* media)
{
    const int kind = media->getMediaKind();
    return kind == qelMedia::KIND_PDF_PAGE || kind == qelMedia::KIND_AFP_PAGE || kind == qelMedia::KIND_MMD_PAGE;
}

// Scale from the units of inner's media to those of outer.
float mediaScale(const qelMedia* outer, qelRes* inner)
{
    const qelMedia* innerMedia = ownMedia(inner);
    if (!outer || !innerMedia || innerMedia->getResolution() == 0)
        return 1.0f;
    return static_cast<float>(outer->getResolution()) / static_cast<float>(innerMedia->getResolution());
}
}

qelPoint qelBarcodeObject::placeOnPage(qelMedia* media, qelRes* resource, qelPoint v) const
{
    const qelPoint p{resource->getIncludeX(), resource->getIncludeY()};
    const int r = resource->getIncludeRotation();
    qelPoint out;
    switch (resource->getType()) {
    case qelRes::TYPE_PAGE_SEGMENT:
    case qelRes::TYPE_OBJECT_CONTAINER:
        if (m_referenceCoordinateSystem == 0 && compose(p, v, r, out))
            return out;
        return v;
    case qelRes::TYPE_OVERLAY:
    case qelRes::TYPE_GOCA: {
        const float f = mediaScale(media, resource);
        if (compose(p, qelPoint{v.x * f, v.y * f}, r, out))
            return out;
        return qelPoint{};
    }
    default:
        return qelPoint{};
    }
}

void qelBarcodeObject::placeThroughOverlay(qelRes* overlay, qelRes* inner)
{
    // Bounded by the nesting that a cycle check would allow.
    for (int depth = 0; overlay && inner && depth < 64; ++depth) {
        const qelPoint p{inner->getIncludeX(), inner->getIncludeY()};
        const int r = inner->getIncludeRotation();
        qelPoint pos;
        if (inner->getType() == qelRes::TYPE_PAGE_SEGMENT) {
            pos = getPosition();
            qelPoint out;
            if (m_referenceCoordinateSystem == 0 && compose(p, pos, r, out))
                pos = out;
        } else if (inner->getType() == qelRes::TYPE_OVERLAY) {
            const float f = mediaScale(ownMedia(overlay), inner);
            const qelPoint v = getAbsolutePosition();
            if (!compose(p, qelPoint{v.x * f, v.y * f}, r, pos))
                pos = qelPoint{};
        }
        setAbsolutePosition(pos.x, pos.y);
        qelMedia* media = overlay->getIncludingMedia();
        if (!media)
            return;
        if (media->getMediaKind() == qelMedia::KIND_OVERLAY) {
            inner = overlay;
            overlay = dynamic_cast<qelResOverlay*>(media);
            continue;
        }
        if (isPageMedia(media)) {
            const qelPoint out = placeOnPage(media, overlay, getAbsolutePosition());
            setAbsolutePosition(out.x, out.y);
        }
        return;
    }
}

void qelBarcodeObject::computeAbsolutePosition()
{
    if (getPlacement() == 1) {
        setAbsolutePosition(getX(), getY());
        return;
    }
    qelRes* resource = getInclude();
    if (!resource)
        return;
    switch (resource->getType()) {
    case qelRes::TYPE_OVERLAY:
    case qelRes::TYPE_PAGE_SEGMENT:
    case qelRes::TYPE_GOCA:
    case qelRes::TYPE_OBJECT_CONTAINER: setAbsolutePosition(getX(), getY()); break;
    default: setAbsolutePosition(0.0f, 0.0f); break;
    }
    qelMedia* media = resource->getIncludingMedia();
    if (!media)
        return;
    if (isPageMedia(media)) {
        const qelPoint out = placeOnPage(media, resource, getAbsolutePosition());
        setAbsolutePosition(out.x, out.y);
    } else if (media->getMediaKind() == qelMedia::KIND_OVERLAY) {
        placeThroughOverlay(dynamic_cast<qelResOverlay*>(media), resource);
    }
}
