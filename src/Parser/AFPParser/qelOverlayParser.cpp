#include "qelOverlayParser.h"

#include "qelAEGParser.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelInitialTextConditions.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelModcaParser.h"
#include "qelPoolAccess.h"
#include "qelPresentationTextParser.h"
#include "qelReferenceObjectList.h"
#include "qelResGOCA.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <memory>
#include <new>

namespace
{

using qelPoolAccess::options;
using qelPoolAccess::logStream;

unsigned int logMask()
{
    qelLogStream* log = logStream();
    return log ? log->m_levelMask : 0u;
}

// Degrees of a rotation word; -1 for an illegal one.
int degrees(unsigned int word)
{
    switch (word) {
    case 0x0000: return 0;
    case 0x2D00: return 90;
    case 0x5A00: return 180;
    case 0x8700: return 270;
    default: return -1;
    }
}

// A 3-byte offset of an Include Object: the low 16 bits when the high byte
// is X'00' or X'FF', else the signed 24-bit value.
int32_t objectOffset(qelSFIBlock* field)
{
    const int high = field->readByte() & 0xFF;
    const unsigned int low = field->readUShort();
    if (high == 0x00 || high == 0xFF)
        return static_cast<int32_t>(low);
    int32_t value = (high << 16) | static_cast<int32_t>(low);
    if (value & 0x800000)
        value -= 0x1000000;
    return value;
}

void modcaFlags(uint8_t set, uint8_t clear)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool && pool->hasObject(QEL_POOL_MODCA_PARSER))
        pool->getModcaParser()->setContainerFlags(set, clear);
}

// Appends the reference with an empty reference list in the overlay's
// objects, which shows where the included resource is drawn.
void addReference(qelResOverlay* overlay, qelResourceReference* reference)
{
    overlay->addResourceReference(reference);
    auto* list = new qelReferenceObjectList();
    overlay->addParsedObject(list);
    reference->setReferenceList(list);
}

} // namespace

qelOverlayParser::qelOverlayParser() = default;

qelOverlayParser::~qelOverlayParser()
{
    freeInitialTextConditions();
}

void qelOverlayParser::freeInitialTextConditions()
{
    delete m_initialTextConditions;
    m_initialTextConditions = nullptr;
}

void qelOverlayParser::prepareSearchPaths()
{
    prepareSearch(1, m_mode);
}

void qelOverlayParser::finish()
{
    if (m_found && m_mode == MODE_LIBRARY) {
        closeResourceFile();
        qelIOStream* in = qelIOStream::getCurrent();
        m_currentSF = in ? in->getSFIBlock() : nullptr;
    }
}

qelRes* qelOverlayParser::parse(const char* name, int mode, const char* fileName)
{
    trace("[OverlayParser]: (Begin): parse(Overloaded)\n");
    m_mode = mode;
    prepareSearchPaths();
    setResourceName(name);
    setFileName(fileName ? fileName : getResourceName().c_str());
    std::unique_ptr<qelResOverlay> overlay;
    try {
        if (mode == MODE_LIBRARY)
            qelResParser::loadResourceFile();
        qelSFIBlock* field = readNextSF();
        if (field->getId() == 0xA8DF) {
            overlay.reset(parseOverlay());
            overlay->setFileName(m_fileName.c_str());
        } else {
            reportUnexpectedSF(field->getId());
        }
        trace("[OverlayParser]: (End): parse(Overloaded)\n");
    } catch (qelException* e) {
        // Its message has been written.
        delete e;
        overlay.reset();
    } catch (...) {
        freeInitialTextConditions();
        overlay.reset();
        finish();
        throw;
    }
    freeInitialTextConditions();
    finish();
    m_resource = overlay.get();
    return overlay.release();
}

qelResOverlay* qelOverlayParser::parse(qelSFIBlock* begin)
{
    trace("[OverlayParser]: (Begin): parse\n");
    m_mode = 0;
    prepareSearchPaths();
    setResourceName("");
    setFileName("");
    m_currentSF = begin;
    std::unique_ptr<qelResOverlay> overlay;
    try {
        if (begin && begin->getId() == 0xA8DF)
            overlay.reset(parseOverlay());
        else if (begin)
            reportUnexpectedSF(begin->getId());
    } catch (qelException* e) {
        delete e;
        overlay.reset();
    } catch (...) {
        freeInitialTextConditions();
        throw;
    }
    freeInitialTextConditions();
    trace("[OverlayParser]: (End): parse\n");
    m_resource = overlay.get();
    return overlay.release();
}

qelResOverlay* qelOverlayParser::parseOverlay()
{
    trace("[OverlayParser]: (Begin): parseOverlay\n");
    freeInitialTextConditions();
    std::unique_ptr<qelResOverlay> overlay(new qelResOverlay(m_resourceName.c_str()));
    qelIOStream* in = qelIOStream::getCurrent();
    if (m_mode == MODE_LIBRARY && in && in->getStream())
        overlay->setLibraryName(in->getName());
    overlay->setFileName(m_fileName.c_str());
    beginOverlay(overlay.get());
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        bool done = false;
        try {
            switch (id) {
            case 0xA8C9: parseEnvironmentGroup(overlay.get()); break;
            case 0xA89B: parsePresentationText(overlay.get()); break;
            case 0xA8BB: parseGraphicsObject(overlay.get()); break;
            case 0xA87B: // IM image
            case 0xA8FB: // IOCA image
            case 0xA892: // object container
                skipUnsupportedObject(id);
                break;
            case 0xAF5F: includePageSegment(overlay.get()); break;
            case 0xAFC3: includeObject(overlay.get()); break;
            case 0xA9DF:
                endOverlay();
                done = true;
                break;
            default: reportUnexpectedSF(id); break;
            }
        } catch (qelException* e) {
            // A short field or a warning drops the rest of that field; the
            // overlay goes on.
            if (e->getId() != 199 && e->getKind() != QEL_MSG_WARNING)
                throw;
            delete e;
        }
        if (done)
            break;
    }
    freeInitialTextConditions();
    trace("[OverlayParser]: (End): parseOverlay\n");
    return overlay.release();
}

void qelOverlayParser::beginOverlay(qelResOverlay* overlay)
{
    trace("[OverlayParser]: (Begin): beginOverlay\n");
    const std::string name = readName();
    if (logMask() & 0x1)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()),
                                        0xA8DF, "BMO", "Begin Overlay", name.c_str());
    // An overlay loaded by name keeps that name; one read inline is named
    // by its Begin Overlay.
    const char* current = overlay->qelRes::getName();
    const bool unnamed = !current || !*current;
    if (!name.empty() && (unnamed || m_mode != MODE_LIBRARY))
        overlay->qelRes::setName(name.c_str());
    if (m_tripletParser && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = 0x183;
        m_tripletParser->parse(&mandatory, &optional, m_currentSF);
        delete m_tripletParser->getFullyQualifiedName();
        delete m_tripletParser->getAlternateName();
    }
    modcaFlags(qelModcaParser::OVERLAY_BEGUN, qelModcaParser::OVERLAY_ENDED);
    trace("[OverlayParser]: (End): beginOverlay\n");
}

void qelOverlayParser::endOverlay()
{
    trace("[OverlayParser]: (Begin): endOverlay\n");
    const std::string name = readName();
    if (logMask() & 0x1)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()),
                                        0xA9DF, "EMO", "End Overlay", name.c_str());
    if (m_tripletParser && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = 0x2;
        m_tripletParser->parse(&mandatory, &optional, m_currentSF);
        delete m_tripletParser->getFullyQualifiedName();
        delete m_tripletParser->getAlternateName();
    }
    modcaFlags(qelModcaParser::OVERLAY_ENDED, 0);
    trace("[OverlayParser]: (End): endOverlay\n");
}

void qelOverlayParser::parseEnvironmentGroup(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        throw "Unable to allocate AEG Parser at qelOverlayParser";
    qelAEGParser* group = pool->getAEGParser();
    group->parse(overlay, m_currentSF);
    freeInitialTextConditions();
    m_initialTextConditions = group->takeInitialTextConditions();
}

void qelOverlayParser::parsePresentationText(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        throw "Unable to allocate Presentation Text Parser at qelOverlayParser";
    pool->getPresentationTextParser()->parse(m_currentSF, overlay, m_initialTextConditions);
}

void qelOverlayParser::parseGraphicsObject(qelResOverlay* overlay)
{
    if (logMask() & 0x1)
        logStream()->printLine("GOCA : Graphic Object in overlay ");
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* parser = pool ? dynamic_cast<qelGocaParser*>(pool->getGocaParser()) : nullptr;
    if (!parser)
        throw "Unable to allocate GOCA Parser at qelOverlayParser";
    parser->setCurrentSF(m_currentSF);
    // A temporary graphics resource: its objects go to the overlay.
    std::unique_ptr<qelResGOCA> graphics(parser->parseGraphics(m_resourceName.c_str()));
    if (graphics)
        overlay->addParsedObjects(graphics->takeObjects());
}

int32_t qelOverlayParser::segmentOffset(const unsigned char bytes[3], unsigned int* rawLow)
{
    const unsigned int low = (static_cast<unsigned int>(bytes[1]) << 8) | bytes[2];
    if (rawLow)
        *rawLow = low;
    int32_t value = (static_cast<int32_t>(bytes[0]) << 16) | static_cast<int32_t>(low);
    if (bytes[0] == 0x00)
        return static_cast<int32_t>(low);
    if (value & 0x800000)
        value -= 0x1000000;
    return value;
}

void qelOverlayParser::includePageSegment(qelResOverlay* overlay)
{
    qelSFIBlock* f = m_currentSF;
    const std::string name = readName();
    int32_t x = 0, y = 0;
    unsigned int lowX = 0, lowY = 0;
    bool plainX = false, plainY = false;
    unsigned char bytes[3];
    if (f->getRemainingLength() >= 3) {
        f->readBytes(bytes, 3);
        x = segmentOffset(bytes, &lowX);
        plainX = bytes[0] == 0x00 || bytes[0] == 0xFF;
    }
    if (f->getRemainingLength() >= 3) {
        f->readBytes(bytes, 3);
        y = segmentOffset(bytes, &lowY);
        plainY = bytes[0] == 0x00 || bytes[0] == 0xFF;
    }
    // Both offsets X'FFFF': at the current text position.
    if (plainX && plainY && lowX == 0xFFFF && lowY == 0xFFFF) {
        x = 0xFFFF;
        y = 0xFFFF;
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        if (pool && pool->hasObject(QEL_POOL_PRESENTATION_TEXT_PARSER)) {
            qelPresentationTextParser* text = pool->getPresentationTextParser();
            if (text->getInlinePosition() > 0 && text->getBaselinePosition() > 0) {
                x = text->getInlinePosition();
                y = text->getBaselinePosition();
            }
        }
    }
    const unsigned int mask = logMask();
    if (mask & 0x01)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xAF5F, "IPS",
                                        "Include Page Segment", name.c_str());
    if (mask & 0x02)
        logStream()->printLine("Include Page Segment at Position: (0x%x, 0x%x) ", static_cast<unsigned int>(x),
                               static_cast<unsigned int>(y));
    if (m_tripletParser && f->getRemainingLength() >= 3) {
        uint32_t mandatory = 0;
        uint32_t optional = 0x40000001;
        m_tripletParser->parse(&mandatory, &optional, f);
        delete m_tripletParser->getFullyQualifiedName();
        delete m_tripletParser->getAlternateName();
    }
    const bool origin = x == 0 && y == 0;
    auto* reference = new qelResourceReference(name.c_str(), 2, origin ? 0.0f : static_cast<float>(x),
                                               origin ? 0.0f : static_cast<float>(y));
    reference->setMappingOption(255);
    reference->setReferenceCoordinateSystem(255);
    reference->setPositionGiven(2);
    addReference(overlay, reference);
}

void qelOverlayParser::includeObject(qelResOverlay* overlay)
{
    qelSFIBlock* f = m_currentSF;
    std::string name = readName();
    int type = 0;
    int32_t x = 0, y = 0;
    int xRotation = 0, yRotation = 0;
    uint16_t xContent = 0, yContent = 0;
    uint8_t coordinateSystem = 0;
    const unsigned int mask = logMask();
    qelLogStream* log = logStream();
    if (f->getRemainingLength() >= 1) {
        const int reservedAt = f->getPosition();
        if (f->readByte() != 0 && (mask & 0x02))
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset() + reservedAt),
                               "Warning! Reserved byte not equal to 0x00");
    }
    if (f->getRemainingLength() >= 1)
        type = f->readByte() & 0xFF;
    if (f->getRemainingLength() >= 3)
        x = objectOffset(f);
    if (f->getRemainingLength() >= 3)
        y = objectOffset(f);
    if (f->getRemainingLength() >= 2)
        xRotation = degrees(f->readUShort());
    if (f->getRemainingLength() >= 2)
        yRotation = degrees(f->readUShort());
    if (f->getRemainingLength() >= 3)
        xContent = static_cast<uint16_t>(objectOffset(f));
    if (f->getRemainingLength() >= 3)
        yContent = static_cast<uint16_t>(objectOffset(f));
    if (f->getRemainingLength() >= 1)
        coordinateSystem = static_cast<uint8_t>(f->readByte());

    if (mask & 0x01)
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xAFC3, "IOB",
                                "Include Object", name.c_str());
    if (mask & 0x02) {
        switch (type) {
        case 0x5F: log->printLine("Object Type: 0x%02X <Page segment>", type); break;
        case 0x92: log->printLine("Object Type: 0x%02X <Other object data>", type); break;
        case 0xBB: log->printLine("Object Type: 0x%02X <GOCA>", type); break;
        case 0xEB: log->printLine("Object Type: 0x%02X <BCOCA>", type); break;
        case 0xFB: log->printLine("Object Type: 0x%02X <IOCA>", type); break;
        default: log->printLine("Warning! Illegal object type Value 0x%02X", type); break;
        }
        log->printLine("X axis origin of the object area : %d (0x%x)", x, static_cast<unsigned int>(x));
        log->printLine("Y axis origin of the object area : %d (0x%x)", y, static_cast<unsigned int>(y));
        if (xRotation >= 0)
            log->printLine("object area's X axis rotation (XoaOrent) : %d degrees", xRotation);
        else
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                               "Warning! Illegal Value for object area's X axis rotation : %d", xRotation);
        if (yRotation >= 0)
            log->printLine("object area's Y axis rotation (YoaOrent)  : %d degrees", yRotation);
        else
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                               "Warning! Illegal Value for object area's Y axis rotation : %d", yRotation);
        log->printLine("X axis origin of the object content : 0x%x", xContent);
        log->printLine("Y axis origin of the object content : 0x%x", yContent);
        log->printLine(coordinateSystem == 1 ? "Page/Overlay Coordinate system"
                                             : "Reserved value for coordinate system");
    }

    if (m_tripletParser && f->getRemainingLength() > 0) {
        uint32_t optional = type == 0x92 ? 0x20800043 : 0x28800043;
        uint32_t mandatory = type == 0x92 ? 0x8000000 : 0;
        const bool contentUnset = xContent == 0xFFFF && yContent == 0xFFFF;
        if (contentUnset)
            optional |= 0x20;
        else
            mandatory |= 0x20;
        m_tripletParser->setObjectAreaExtent(0, 0);
        m_tripletParser->parse(&mandatory, &optional, f);
        uint32_t ex = 0, ey = 0;
        m_tripletParser->getObjectAreaExtent(ex, ey);
        const bool sized = (ex >= 1 && ex <= 32767) || (ey >= 1 && ey <= 32767);
        if (contentUnset && sized && (optional & 0x20))
            throw new qelException(__FILE__, __LINE__, 9 /* E009 */, 0, true, f->getOffset());
        m_colorValue = static_cast<int32_t>(m_tripletParser->getColorValue());
        m_colorSpace = m_tripletParser->getColorSpace();
        m_colorValueKind = static_cast<uint32_t>(m_tripletParser->getColorSpace());
        if (qelString* full = m_tripletParser->getFullyQualifiedName()) {
            name = full->getBuffer();
            delete full;
        }
        delete m_tripletParser->getAlternateName();
    }

    // Only page segments and other object data are kept for an overlay.
    int resourceType = 0;
    if (type == 0x5F)
        resourceType = 2;
    else if (type == 0x92)
        resourceType = 8;
    if (!resourceType)
        return;
    auto* reference = new (std::nothrow)
        qelResourceReference(name.c_str(), resourceType, static_cast<float>(x), static_cast<float>(y));
    if (!reference)
        throw "Unable to allocate included resource for IOB";
    if (resourceType == 8 && m_tripletParser) {
        reference->setResolution(static_cast<uint16_t>(m_tripletParser->getXUnitsPerBase() / 10));
        reference->setObjectType(m_tripletParser->getObjectTypeCode());
        uint32_t ex = 0, ey = 0;
        m_tripletParser->getObjectAreaExtent(ex, ey);
        reference->setObjectArea(static_cast<int32_t>(ex), static_cast<int32_t>(ey));
        reference->setXUnitBase(m_tripletParser->getXUnitBase());
        reference->setYUnitBase(m_tripletParser->getYUnitBase());
        reference->setXUnitsPerBase(m_tripletParser->getXUnitsPerBase());
        reference->setYUnitsPerBase(m_tripletParser->getYUnitsPerBase());
        reference->setMappingOption(m_tripletParser->getMappingOption());
    }
    reference->setPositionGiven(2);
    reference->setXAxisRotation(static_cast<uint16_t>(xRotation));
    reference->setYAxisRotation(static_cast<uint16_t>(yRotation));
    reference->setXContentOffset(xContent);
    reference->setYContentOffset(yContent);
    reference->setReferenceCoordinateSystem(coordinateSystem);
    addReference(overlay, reference);
}
