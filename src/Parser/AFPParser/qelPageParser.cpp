#include "qelPageParser.h"

#include "qelAEGParser.h"
#include "qelAFPObject.h"
#include "qelBarcodeObject.h"
#include "qelBarcodeParser.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelIOStream.h"
#include "qelImImageParser.h"
#include "qelImageObject.h"
#include "qelIocaParser.h"
#include "qelIndex.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMediumMap.h"
#include "qelMessageOutput.h"
#include "qelModcaParser.h"
#include "qelNOP.h"
#include "qelNOPList.h"
#include "qelNOPRecord.h"
#include "qelPageObjectLists.h"
#include "qelPoolAccess.h"
#include "qelPresentationTextParser.h"
#include "qelPtocaPage.h"
#include "qelResGOCA.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cstring>
#include <memory>
#include <new>

namespace
{
const char* const kNoPool = "Unable to allocate Global DS Pool at qelPageParser";

using qelPoolAccess::options;
using qelPoolAccess::quiet;
using qelThreeByteValue::signedLow16OrSigned24;

const int kContainerFields[] = {0xA66B, 0xA692, 0xA8C7, 0xA9C7, 0xAB92, 0xABC3, 0xAC6B, 0xEE92, 0};
const int kGraphicsFields[] = {0xA66B, 0xA6BB, 0xA8C7, 0xA9C7, 0xAB8A, 0xABBB, 0xABC3, 0xAC6B, 0xEEBB, 0};
const int kBarcodeFields[] = {0xA66B, 0xA6EB, 0xA8C7, 0xA9C7, 0xAB8A, 0xABEB, 0xABC3, 0xAC6B, 0xEEEB, 0};
} // namespace

qelPageParser::qelPageParser()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
}

qelPageParser::~qelPageParser()
{
    delete m_page;
}

qelPtocaPage* qelPageParser::readPage(qelSFIBlock* begin)
{
    qelIni* ini = options(kNoPool);
    trace("[PageParser]: (Begin): readPage\n");
    m_state = 0;
    delete m_page;
    m_page = nullptr;
    ++m_pageCount;
    m_page = new qelPtocaPage();

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelPageObjectLists* lists = pool->getPageParserContext()) {
        const int number = m_documentParser ? m_documentParser->getPageCount() : m_pageCount;
        if (qelList* own = lists->takePageList(number))
            m_page->setPageNumberObjects(own);
        m_page->setOddEvenObjects(lists->getParityList(number));
    }

    m_currentSF = begin;
    beginPage();
    m_state = 2;
    m_afpOutput = ini && ini->getOutputFormat() == QEL_OUT_AFP;

    try {
        for (;;) {
            qelSFIBlock* field = readNextSF();
            m_state = 1;
            const int id = field->getId();
            bool done = false;
            try {
                switch (id) {
                case 0xA090: tagLogicalElement(); break;
                case 0xA87B: parseImObject(field); break;
                case 0xA892:
                    if (m_afpOutput)
                        collectObjectContainer(m_page, field);
                    else
                        parseObjectContainer(field);
                    break;
                case 0xA89B: parsePresentationText(field); break;
                case 0xA8BB:
                    if (m_afpOutput)
                        collectGraphicsObject(m_page, field);
                    else
                        parseGraphicsObject(field);
                    break;
                case 0xA8C9: parseEnvironmentGroup(field); break;
                case 0xA8EB:
                    if (m_afpOutput)
                        collectBarcodeObject(m_page, field);
                    else
                        parseBarcodeObject(field);
                    break;
                case 0xA8FB: parseIocaObject(field); break;
                case 0xA9AF:
                    // The includes are bound with the rest of the media
                    // when the document parser binds the page.
                    endPage();
                    done = true;
                    break;
                case 0xAF5F: includePageSegment(); break;
                case 0xAFC3: includeObject(); break;
                case 0xAFD8: includePageOverlay(); break;
                default: reportUnexpectedSF(id); break;
                }
            } catch (qelException* e) {
                // A short field or a warning drops the rest of that field;
                // the page goes on.
                if (e->getId() != qelMsg::I199 && e->getKind() != QEL_MSG_WARNING)
                    throw;
                delete e;
            }
            if (done)
                break;
        }
    } catch (...) {
        delete m_page;
        m_page = nullptr;
        throw;
    }

    runPageScript();
    moveNOPs();
    trace("[PageParser]: (End): readPage\n");
    qelPtocaPage* page = m_page;
    m_page = nullptr;
    return page;
}

// No document script exists yet; the page would be handed to it here.
void qelPageParser::runPageScript()
{
}

void qelPageParser::moveNOPs()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool->hasObject(QEL_POOL_NOP_LIST))
        return;
    qelNOPList* pending = pool->getNOPList();
    if (qelList* list = pending->getList()) {
        for (qelListNode* n = list->getHead(); n; n = n->next) {
            auto* nop = static_cast<qelNOP*>(n->item);
            auto* copy = new qelNOP(nop->getValue());
            const int length = nop->getLength();
            if (nop->getEBCDICValue() && length > 0) {
                auto* bytes = new unsigned char[length];
                std::memcpy(bytes, nop->getEBCDICValue(), static_cast<size_t>(length));
                copy->setEBCDICValue(bytes, length);
            }
            m_page->addNOP(copy);
        }
    }
    pool->resetObject(QEL_POOL_NOP_LIST);
}

void qelPageParser::processNOP(qelNOPRecord** out)
{
    if (out) {
        qelAFPParser::processNOP(out);
        return;
    }
    qelNOPRecord* record = nullptr;
    qelAFPParser::processNOP(&record);
    std::unique_ptr<qelNOPRecord> owned(record);
    if (!record)
        return;
    auto* nop = new qelNOP(record->text);
    if (record->length > 0) {
        nop->setEBCDICValue(record->raw, record->length);
        record->raw = nullptr;
    }
    qelGlobalDSPool::getInstance()->getNOPList()->addNOP(nop);
}

void qelPageParser::beginPage()
{
    qelTripletParser* triplets = getTripletParser();
    // No initial text conditions pass from one page to the next.
    if (qelGlobalDSPool* pool = qelGlobalDSPool::getInstance())
        pool->getAEGParser()->clearInitialTextConditions();
    const int offset = qelIOStream::getCurrent() ? qelIOStream::getCurrent()->getSFIOffset() : 0;
    std::string name = readName();
    m_page->setName(name.c_str());
    if (m_documentParser) {
        m_page->setInputOffset(offset - m_documentParser->getDocumentOffset());
        m_page->setPageGroupName(m_documentParser->getPageGroupName());
        m_page->setPageGroupId(m_documentParser->getPageGroupId());
    } else {
        m_page->setInputOffset(offset);
    }
    logField("BPG", "Begin Page ", name.c_str());
    ++m_level;
    std::string mediumMap;
    if (m_currentSF->getRemainingLength() > 0) {
        triplets->setMediumMapName(nullptr);
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_COMMENT
                            | QEL_TRIPLET_PAGE_POSITION;
        triplets->parse(&mandatory, &optional, m_currentSF);
        if (std::unique_ptr<qelString> full = triplets->takeFullyQualifiedName())
            m_page->setName(full->getBuffer());
        if (triplets->getMediumMapName())
            mediumMap = triplets->getMediumMapName();
    }
    if (m_documentParser)
        m_documentParser->setContainerFlags(qelModcaParser::PAGE_BEGUN, qelModcaParser::PAGE_ENDED);
    if (!mediumMap.empty() && m_documentParser) {
        qelMediumMap* current = m_documentParser->getCurrentMediumMap();
        if (!current || !qelString::compare(current->getName(), mediumMap.c_str(), true, 0))
            m_documentParser->selectMediumMap(mediumMap.c_str());
    }
}

void qelPageParser::tagLogicalElement()
{
    m_page->setIndexCount(m_page->getIndexCount() + 1);
    std::unique_ptr<qelIndex> entry = readTagLogicalElement();
    if (!entry)
        return;

    qelIndexList* list = qelPoolAccess::pool(kNoPool)->getIndexList();
    qelIndexSet* set = list->findIndexById(m_page->getInputOffset());
    if (!set)
        set = list->findIndex(m_page->getName(), 0);
    if (set) {
        if (m_page->getIndexCount() == 1)
            m_page->setFirstIndexFlag(1);
        if (!set->containsIndex(entry.get())) {
            entry->setIndexSet(set);
            set->addIndex(entry.release(), false);
        }
        return;
    }
    auto* created = new qelIndexSet(m_page->getName(), 0);
    created->ensureEntries();
    entry->setIndexSet(created);
    created->addIndex(entry.release(), false);
    list->addIndex(created);
}

void qelPageParser::includeObject()
{
    const IncludedObject object = readIncludeObject(m_log);

    int resourceType = 0;
    if (object.type == 0x5F)
        resourceType = 2;
    else if (object.type == 0x92 || object.type == 0xFB)
        resourceType = 8;
    if (!resourceType)
        return;
    addObjectReference(object.name.c_str(), resourceType, object.type, static_cast<float>(object.x),
                       static_cast<float>(object.y), static_cast<uint16_t>(object.xRotation),
                       static_cast<uint16_t>(object.yRotation), object.xContent, object.yContent,
                       object.coordinateSystem);
}

void qelPageParser::addObjectReference(const char* name, int type, int objectType, float x, float y,
                                       uint16_t xRotation, uint16_t yRotation, uint16_t xContent, uint16_t yContent,
                                       uint8_t coordinateSystem)
{
    auto* reference = new (std::nothrow) qelResourceReference(name, type, x, y);
    if (!reference)
        throw "Unable to allocate included resource for IOB";
    if (type == 8 && objectType == 0x92)
        setContainerValues(reference);
    reference->setPositionGiven(1);
    reference->setXAxisRotation(xRotation);
    reference->setYAxisRotation(yRotation);
    reference->setXContentOffset(xContent);
    reference->setYContentOffset(yContent);
    reference->setReferenceCoordinateSystem(coordinateSystem);
    m_page->addIncludedResource(reference);
}

void qelPageParser::includePageSegment()
{
    qelTripletParser* triplets = getTripletParser();
    qelSFIBlock* f = m_currentSF;
    std::string name = readName();
    int32_t x = 0, y = 0;
    if (f->getRemainingLength() >= 3)
        x = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (f->getRemainingLength() >= 3)
        y = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(f->getOffset()),
                                  static_cast<unsigned short>(f->getId()), "IPS", "Include Page Segment",
                                  name.c_str());
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->printLine("Include Page Segment at Position: %d, %d (0x%x, 0x%x) ", x, y, static_cast<unsigned int>(x),
                         static_cast<unsigned int>(y));
    if (f->getRemainingLength() > 2) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_POSITION_MIGRATION;
        triplets->parse(&mandatory, &optional, f);
    }
    auto* reference = new qelResourceReference(name.c_str(), 2, static_cast<float>(x), static_cast<float>(y));
    reference->setPositionGiven(1);
    m_page->addIncludedResource(reference);
}

void qelPageParser::includePageOverlay()
{
    qelTripletParser* triplets = getTripletParser();
    qelSFIBlock* f = m_currentSF;
    std::string name = readName();
    int32_t x = 0, y = 0;
    if (f->getRemainingLength() >= 3)
        x = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (f->getRemainingLength() >= 3)
        y = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(f->getOffset()),
                                  static_cast<unsigned short>(f->getId()), "IPO", "Include Page Overlay",
                                  name.c_str());
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->printLine("Include Overlay at Position: %d,%d (0x%x, 0x%x)", x, y, static_cast<unsigned int>(x),
                         static_cast<unsigned int>(y));
    if (f->getRemainingLength() >= 2) {
        const unsigned int word = f->readUShort();
        const int d = rotationDegrees(word);
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2)) {
            if (d >= 0) {
                m_log->printLine("Overlay's X axis Orientation : ");
                m_log->print("%d degrees", d);
            } else {
                if (!quiet(kNoPool))
                    qelMessageOutput::printf("Illegal Overlay X Axis Rotation Value : %d\n", static_cast<int>(word));
                m_log->printLine("Illegal Overlay X Axis Rotation Value : %d\n", static_cast<int>(word));
            }
        }
    }
    if (f->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_OVERLAY_CONDITION
                            | QEL_TRIPLET_RESOURCE_USAGE;
        triplets->parse(&mandatory, &optional, f);
    }
    auto* reference = new qelResourceReference(name.c_str(), 1, static_cast<float>(x), static_cast<float>(y));
    reference->setPositionGiven(1);
    m_page->addIncludedResource(reference);
}

void qelPageParser::endPage()
{
    --m_level;
    readBeginEnd("EPG", "End Page", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
    if (m_documentParser)
        m_documentParser->setContainerFlags(qelModcaParser::PAGE_ENDED, 0);
}

// ------------------------------------------------------- object hand-over

void qelPageParser::skipUnsupported(int beginId)
{
    const char* name = "";
    switch (beginId) {
    case 0xA87B: name = "BII"; break;
    case 0xA8FB: name = "BIM"; break;
    case 0xA892: name = "BOC"; break;
    default: break;
    }
    const int offset = qelIOStream::getCurrent() ? qelIOStream::getCurrent()->getSFIOffset() : 0;
    warnUnsupported(m_log, name, static_cast<unsigned int>(offset));
    skipToEnd(beginId);
}

void qelPageParser::parseEnvironmentGroup(qelSFIBlock* begin)
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate AEG Parser at qelPageParser");
    pool->getAEGParser()->parse(m_page, begin);
    if (qelImImageParser* images = pool->getImImageParser())
        images->setPageResolution(m_page ? m_page->getResolution() : 0);
}

void qelPageParser::parsePresentationText(qelSFIBlock* begin)
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate Presentation Text Parser at qelPageParser");
    // The group's initial text conditions stay with its parser until the
    // next page.
    pool->getPresentationTextParser()->parse(begin, m_page, pool->getAEGParser()->getInitialTextConditions());
}

void qelPageParser::parseGraphicsObject(qelSFIBlock* begin)
{
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
        m_log->printLine("GOCA : Graphic Object in Page");
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* parser = pool ? dynamic_cast<qelGocaParser*>(pool->getGocaParser()) : nullptr;
    if (!parser)
        throw "Unable to allocate GOCA Parser at qelPageParser";
    parser->setCurrentSF(begin);
    // A temporary graphics resource: its objects go to the page.
    std::unique_ptr<qelResGOCA> graphics(parser->parseGraphics(m_page ? m_page->getName() : nullptr));
    qelList* objects = graphics ? graphics->getObjectList() : nullptr;
    if (!objects || !m_page)
        return;
    objects->stopOwningItems();
    m_page->addParsedObjects(objects);
}

void qelPageParser::parseBarcodeObject(qelSFIBlock* begin)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelBarcodeParser* parser = pool ? pool->getBarcodeParser() : nullptr;
    if (!parser)
        throw "Unable to allocate Barcode Parser at qelPageParser";
    if (qelBarcodeObject* object = parser->parse(begin))
        m_page->addParsedObject(object);
}

void qelPageParser::parseImObject(qelSFIBlock* begin)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelImImageParser* parser = pool ? pool->getImImageParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IM Image Parser at qelPageParser";
    parser->setColor(m_colorValue, m_colorValueKind);
    // The list does not own the images: they go to the page.
    std::unique_ptr<qelList> images(parser->parse(begin));
    for (qelListNode* n = images->getHead(); n; n = n->next) {
        auto* image = static_cast<qelGraphicObject*>(n->item);
        image->setPlacement(1);
        m_page->addParsedObject(image);
    }
    m_colorValue = parser->getColorValue();
    m_colorValueKind = parser->getColorValueKind();
}

void qelPageParser::parseIocaObject(qelSFIBlock* begin)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIocaParser* parser = pool ? pool->getIocaParser() : nullptr;
    if (!parser)
        throw "Unable to allocate IOCA Parser at qelPageParser";
    parser->setColor(m_colorValue, m_colorValueKind);
    std::unique_ptr<qelImageObject> image(parser->parse(begin));
    const int bits = qelIocaParser::bitsPerPixel(image.get());
    if (bits > m_page->getMaxBitsPerPixel())
        m_page->setMaxBitsPerPixel(bits);
    m_page->addParsedObject(image.release());
    m_colorValue = parser->getColorValue();
    m_colorValueKind = parser->getColorValueKind();
}

void qelPageParser::parseObjectContainer(qelSFIBlock* begin)
{
    qelAFPParser::parseObjectContainer(m_page, m_page ? m_page->getName() : nullptr, begin);
}

// ------------------------------------------------------------ raw keeping

int qelPageParser::appendRawSF(qelList* list, qelSFIBlock* field)
{
    m_currentSF = field;
    const int length = rawSFSize(field);
    auto* raw = new unsigned char[length];
    encodeRawSF(field, length, raw);
    list->append(raw);
    return length;
}

int qelPageParser::collect(qelPage* page, qelSFIBlock* begin, const int* kept, int endId)
{
    auto* list = new qelList(&qelAFPObject::deleteBuffer);
    std::unique_ptr<qelList> owned(list);
    int total = appendRawSF(list, begin);
    try {
        for (;;) {
            qelSFIBlock* field = readNextSF();
            const int id = field->getId();
            if (id == endId) {
                total += appendRawSF(list, field);
                break;
            }
            bool keep = false;
            for (const int* k = kept; *k; ++k)
                keep = keep || *k == id;
            if (keep)
                total += appendRawSF(list, field);
            else if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
                logSkippedSF(id);
        }
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199)
            throw;
        delete e;
    }
    auto* object = new qelAFPObject(owned.release(), total);
    if (page && page->kind() == qelPage::KIND_AFP)
        static_cast<qelPtocaPage*>(page)->addParsedObject(object);
    else
        delete object;
    return 0;
}

int qelPageParser::collectObjectContainer(qelPage* page, qelSFIBlock* begin)
{
    return collect(page, begin, kContainerFields, 0xA992);
}

int qelPageParser::collectGraphicsObject(qelPage* page, qelSFIBlock* begin)
{
    return collect(page, begin, kGraphicsFields, 0xA9BB);
}

int qelPageParser::collectBarcodeObject(qelPage* page, qelSFIBlock* begin)
{
    return collect(page, begin, kBarcodeFields, 0xA9EB);
}
