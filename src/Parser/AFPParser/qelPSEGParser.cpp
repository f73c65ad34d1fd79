#include "qelPSEGParser.h"

#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelIOStream.h"
#include "qelImImageParser.h"
#include "qelImageObject.h"
#include "qelIocaParser.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelResGOCA.h"
#include "qelResPSEG.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <memory>

namespace
{

using qelPoolAccess::logStream;

} // namespace

qelPSEGParser::qelPSEGParser() = default;

void qelPSEGParser::finish()
{
    if (m_found && m_mode == MODE_LIBRARY) {
        closeResourceFile();
        qelIOStream* in = qelIOStream::getCurrent();
        m_currentSF = in ? in->getSFIBlock() : nullptr;
    }
}

qelRes* qelPSEGParser::parse(const char* name, int mode, const char* fileName)
{
    prepareSearch(2, mode);
    setNames(name, fileName);
    std::unique_ptr<qelResPSEG> segment;
    try {
        if (mode == MODE_LIBRARY)
            qelResParser::loadResourceFile();
        qelSFIBlock* field = readNextSF();
        if (field->getId() == 0xA85F) {
            segment.reset(parsePageSegment());
            segment->setFileName(m_fileName.c_str());
        } else {
            reportUnexpectedSF(field->getId());
        }
    } catch (qelException* e) {
        // Its message has been written.
        delete e;
        segment.reset();
    } catch (...) {
        segment.reset();
        finish();
        throw;
    }
    finish();
    m_resource = segment.get();
    return segment.release();
}

qelResPSEG* qelPSEGParser::parsePageSegment()
{
    std::unique_ptr<qelResPSEG> segment(new qelResPSEG(m_resourceName.c_str()));
    qelIOStream* in = qelIOStream::getCurrent();
    if (m_mode == MODE_LIBRARY && in && in->getStream())
        segment->setLibraryName(in->getName());
    segment->setFileName(m_fileName.c_str());
    beginPageSegment(segment.get());
    for (;;) {
        qelSFIBlock* field = readNextSF();
        try {
            switch (field->getId()) {
            case 0xA87B: parseImImage(segment.get()); break;
            case 0xA8FB: parseIocaImage(segment.get()); break;
            case 0xA8BB: parseGraphics(segment.get()); break;
            case 0xA95F:
                endPageSegment();
                return segment.release();
            default:
                reportUnexpectedSF(field->getId());
                break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
}

void qelPSEGParser::beginPageSegment(qelResPSEG* segment)
{
    qelTripletParser* triplets = getTripletParser();
    const std::string name = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA85F,
                                "BPS", "Begin Page Segment", name.c_str());
    if (!segment->getName() || !*segment->getName())
        segment->setName(name.c_str());
    if (triplets && m_currentSF->getRemainingLength() >= 3) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_COMMENT | QEL_TRIPLET_CHECKSUM
                            | QEL_TRIPLET_ORIGIN_IDENTIFIER;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
}

void qelPSEGParser::endPageSegment()
{
    const std::string name = readName();
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA95F,
                                "EPS", "End Page Segment", name.c_str());
}

void qelPSEGParser::parseImImage(qelResPSEG* segment)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelImImageParser* parser = pool ? pool->getImImageParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IM Image Parser at qelPSEGParser";
    // The list does not own the images: they go to the segment.
    std::unique_ptr<qelList> images(parser->parse(m_currentSF));
    segment->addObjects(images.get());
}

void qelPSEGParser::parseIocaImage(qelResPSEG* segment)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIocaParser* parser = pool ? pool->getIocaParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IOCA Parser at qelPSEGParser";
    // addObject raises the segment's largest bits per pixel.
    segment->addObject(parser->parse(m_currentSF));
}

void qelPSEGParser::parseGraphics(qelResPSEG* segment)
{
    qelLogStream* log = logStream();
    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->printLine("GOCA : Graphic Object in page segment ");
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* parser = pool ? dynamic_cast<qelGocaParser*>(pool->getGocaParser()) : nullptr;
    if (!parser)
        throw "Unable to allocate GOCA Parser at qelPSEGParser";
    parser->setCurrentSF(m_currentSF);
    std::unique_ptr<qelResGOCA> graphics(parser->parseGraphics(m_resourceName.c_str()));
    if (graphics)
        segment->addObjects(graphics->takeObjects());
}

