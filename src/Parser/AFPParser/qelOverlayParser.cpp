#include "qelOverlayParser.h"

#include "qelAEGParser.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelIOStream.h"
#include "qelImImageParser.h"
#include "qelImageObject.h"
#include "qelIocaParser.h"
#include "qelList.h"
#include "qelIni.h"
#include "qelInitialTextConditions.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelModcaParser.h"
#include "qelPoolAccess.h"
#include "qelPresentationTextParser.h"
#include "qelResGOCA.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <memory>
#include <new>

namespace
{

using qelPoolAccess::options;
using qelPoolAccess::logStream;

bool logs(unsigned int bits)
{
    qelLogStream* log = logStream();
    return log && log->anyOf(bits);
}

void modcaFlags(uint8_t set, uint8_t clear)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool && pool->hasObject(QEL_POOL_MODCA_PARSER))
        pool->getModcaParser()->setContainerFlags(set, clear);
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
    setNames(name, fileName);
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
            case 0xA87B: parseImImage(overlay.get()); break;
            case 0xA8FB: parseIocaImage(overlay.get()); break;
            case 0xA892:
                parseObjectContainer(overlay.get(), overlay->getName(), field);
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
            if (e->getId() != qelMsg::I199 && e->getKind() != QEL_MSG_WARNING)
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
    qelTripletParser* triplets = getTripletParser();
    trace("[OverlayParser]: (Begin): beginOverlay\n");
    const std::string name = readName();
    if (logs(QEL_LOG_LEVEL1))
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()),
                                        0xA8DF, "BMO", "Begin Overlay", name.c_str());
    // An overlay loaded by name keeps that name; one read inline is named
    // by its Begin Overlay.
    const char* current = overlay->qelRes::getName();
    const bool unnamed = !current || !*current;
    if (!name.empty() && (unnamed || m_mode != MODE_LIBRARY))
        overlay->qelRes::setName(name.c_str());
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_TIME_STAMP
                            | QEL_TRIPLET_COMMENT;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    modcaFlags(qelModcaParser::OVERLAY_BEGUN, qelModcaParser::OVERLAY_ENDED);
    trace("[OverlayParser]: (End): beginOverlay\n");
}

void qelOverlayParser::endOverlay()
{
    qelTripletParser* triplets = getTripletParser();
    trace("[OverlayParser]: (Begin): endOverlay\n");
    const std::string name = readName();
    if (logs(QEL_LOG_LEVEL1))
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()),
                                        0xA9DF, "EMO", "End Overlay", name.c_str());
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_FULLY_QUALIFIED_NAME;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    modcaFlags(qelModcaParser::OVERLAY_ENDED, 0);
    trace("[OverlayParser]: (End): endOverlay\n");
}

void qelOverlayParser::parseEnvironmentGroup(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate AEG Parser at qelOverlayParser");
    qelAEGParser* group = pool->getAEGParser();
    group->parse(overlay, m_currentSF);
    freeInitialTextConditions();
    m_initialTextConditions = group->takeInitialTextConditions();
}

void qelOverlayParser::parsePresentationText(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate Presentation Text Parser at qelOverlayParser");
    pool->getPresentationTextParser()->parse(m_currentSF, overlay, m_initialTextConditions);
}

void qelOverlayParser::parseGraphicsObject(qelResOverlay* overlay)
{
    if (logs(QEL_LOG_LEVEL1))
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

void qelOverlayParser::parseImImage(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelImImageParser* parser = pool ? pool->getImImageParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IM Image Parser at qelOverlayParser";
    // The list does not own the images: they go to the overlay.
    std::unique_ptr<qelList> images(parser->parse(m_currentSF));
    for (qelListNode* n = images ? images->getHead() : nullptr; n; n = n->next)
        overlay->addParsedObject(static_cast<qelGraphicObject*>(n->item));
}

void qelOverlayParser::parseIocaImage(qelResOverlay* overlay)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIocaParser* parser = pool ? pool->getIocaParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IOCA Parser at qelOverlayParser";
    std::unique_ptr<qelImageObject> image(parser->parse(m_currentSF));
    const int bits = qelIocaParser::bitsPerPixel(image.get());
    if (bits > overlay->getMaxBitsPerPixel())
        overlay->setMaxBitsPerPixel(bits);
    overlay->addParsedObject(image.release());
}

int32_t qelOverlayParser::segmentOffset(const unsigned char bytes[3], unsigned int* rawLow)
{
    const unsigned int low = (static_cast<unsigned int>(bytes[1]) << 8) | bytes[2];
    if (rawLow)
        *rawLow = low;
    return qelThreeByteValue::signed24((static_cast<uint32_t>(bytes[0]) << 16) | low);
}

void qelOverlayParser::includePageSegment(qelResOverlay* overlay)
{
    qelTripletParser* triplets = getTripletParser();
    qelSFIBlock* f = m_currentSF;
    const std::string name = readName();
    int32_t x = 0, y = 0;
    uint32_t bytesX = 0, bytesY = 0;
    if (f->getRemainingLength() >= 3) {
        bytesX = qelThreeByteValue::read(f);
        x = qelThreeByteValue::signed24(bytesX);
    }
    if (f->getRemainingLength() >= 3) {
        bytesY = qelThreeByteValue::read(f);
        y = qelThreeByteValue::signed24(bytesY);
    }
    // Both offsets X'FFFF' (00 FF FF or FF FF FF): at the current text
    // position.
    if (qelThreeByteValue::unsignedLow16OrUnsigned24(bytesX) == 0xFFFF &&
        qelThreeByteValue::unsignedLow16OrUnsigned24(bytesY) == 0xFFFF) {
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
    if (logs(QEL_LOG_LEVEL1))
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xAF5F, "IPS",
                                        "Include Page Segment", name.c_str());
    if (logs(QEL_LOG_LEVEL2))
        logStream()->printLine("Include Page Segment at Position: (0x%x, 0x%x) ", static_cast<unsigned int>(x),
                               static_cast<unsigned int>(y));
    if (triplets && f->getRemainingLength() >= 3) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_POSITION_MIGRATION;
        triplets->parse(&mandatory, &optional, f);
    }
    const bool origin = x == 0 && y == 0;
    auto* reference = new qelResourceReference(name.c_str(), 2, origin ? 0.0f : static_cast<float>(x),
                                               origin ? 0.0f : static_cast<float>(y));
    reference->setMappingOption(255);
    reference->setReferenceCoordinateSystem(255);
    reference->setPositionGiven(2);
    overlay->addIncludedResource(reference);
}

void qelOverlayParser::includeObject(qelResOverlay* overlay)
{
    const IncludedObject object = readIncludeObject(logStream());

    // Only page segments and other object data are kept for an overlay.
    int resourceType = 0;
    if (object.type == 0x5F)
        resourceType = 2;
    else if (object.type == 0x92)
        resourceType = 8;
    if (!resourceType)
        return;
    auto* reference = new (std::nothrow) qelResourceReference(object.name.c_str(), resourceType,
                                                              static_cast<float>(object.x), static_cast<float>(object.y));
    if (!reference)
        throw "Unable to allocate included resource for IOB";
    if (resourceType == 8)
        setContainerValues(reference);
    reference->setPositionGiven(2);
    reference->setXAxisRotation(static_cast<uint16_t>(object.xRotation));
    reference->setYAxisRotation(static_cast<uint16_t>(object.yRotation));
    reference->setXContentOffset(object.xContent);
    reference->setYContentOffset(object.yContent);
    reference->setReferenceCoordinateSystem(object.coordinateSystem);
    overlay->addIncludedResource(reference);
}
