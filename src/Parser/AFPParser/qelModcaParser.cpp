#include "qelModcaParser.h"

#include "qelAFPDocumentIndexParser.h"
#include "qelDocument.h"
#include "qelException.h"
#include "qelFORMDEF.h"
#include "qelFormDefParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelHashIdMap.h"
#include "qelIOStream.h"
#include "qelIndex.h"
#include "qelIndexElement.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMediumMap.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelNOPList.h"
#include "qelNOPRecord.h"
#include "qelOverlayParser.h"
#include "qelPageParser.h"
#include "qelPoolAccess.h"
#include "qelPtocaPage.h"
#include "qelResGroupParser.h"
#include "qelResOverlay.h"
#include "qelResParser.h"
#include "qelResourceAliasName.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelStream.h"
#include "qelString.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
const char* const kNoPool = "Unable to allocate Global DS Pool at qelModcaParser";

using qelPoolAccess::options;
using qelPoolAccess::quiet;

enum {
    SF_TLE = 0xA090, SF_BDI = 0xA8A7, SF_BDT = 0xA8A8, SF_EDT = 0xA9A8, SF_BNG = 0xA8AD, SF_ENG = 0xA9AD,
    SF_BPG = 0xA8AF, SF_EPG = 0xA9AF, SF_BRG = 0xA8C6, SF_ERG = 0xA9C6, SF_BMO = 0xA8DF, SF_EMO = 0xA9DF,
    SF_IMM = 0xABCC
};

void deletePage(void* item)
{
    delete static_cast<qelPage*>(item);
}

// Takes the set out of the run's list of index sets, whichever search
// found it.
void removeFromRunList(qelIndexList* list, qelIndexSet* set)
{
    qelList* sets = list->getIndexes();
    if (!sets || !set)
        return;
    if (set->getName() && list->findIndex(set->getName(), set->getLevel()) == set) {
        list->removeFound();
        return;
    }
    int position = 0;
    for (qelListNode* n = sets->getHead(); n; n = n->next, ++position) {
        if (n->item == set) {
            sets->removeAt(position);
            return;
        }
    }
}
} // namespace

qelModcaParser::qelModcaParser()
{
    m_parseState = 1;
}

qelModcaParser::~qelModcaParser()
{
    if (qelGlobalDSPool::exists()) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        // The structured-field parsers of AFP input; the pool keeps the
        // document parser, the document index parser and the triplet
        // reader for the kernel to release.
        static const int kKinds[] = {QEL_POOL_INDEX_LIST,
                                     QEL_POOL_NOP_LIST,
                                     QEL_POOL_PAGE_OFFSET,
                                     QEL_POOL_AEG_PARSER,
                                     QEL_POOL_CHARSET_PARSER,
                                     QEL_POOL_CODE_PAGE_PARSER,
                                     QEL_POOL_CODED_FONT_PARSER,
                                     QEL_POOL_FORM_DEF_PARSER,
                                     QEL_POOL_IM_IMAGE_PARSER,
                                     QEL_POOL_IOCA_PARSER,
                                     QEL_POOL_GOCA_PARSER,
                                     QEL_POOL_OBJECT_CONTAINER_PARSER,
                                     QEL_POOL_OVERLAY_PARSER,
                                     QEL_POOL_PAGE_SEGMENT_PARSER,
                                     QEL_POOL_PAGE_PARSER,
                                     QEL_POOL_PRESENTATION_TEXT_PARSER,
                                     QEL_POOL_RES_GROUP_PARSER};
        for (int kind : kKinds)
            pool->resetObject(kind);
    }
    delete m_pageGroupName;
    delete m_mediumMapName;
    if (m_pendingPages)
        freeList(m_pendingPages, true);
    delete m_document;
}

void qelModcaParser::trace(const char* text) const
{
    if (options(kNoPool)->getDevTestLevel() & 0x1)
        qelMessageOutput::write(text);
}

bool qelModcaParser::pageWise() const
{
    qelIni* ini = options(kNoPool);
    return ini->isDocumentGrouping() || ini->getFileCreationMode() == QEL_FCM_PAGE;
}

const char* qelModcaParser::getPageGroupName() const
{
    return m_pageGroupName ? m_pageGroupName->getBuffer() : nullptr;
}

void qelModcaParser::setMediumMapName(const char* name)
{
    delete m_mediumMapName;
    m_mediumMapName = name ? new qelString(name) : nullptr;
}

const char* qelModcaParser::getMediumMapName() const
{
    return m_mediumMapName ? m_mediumMapName->getBuffer() : nullptr;
}

void qelModcaParser::freeList(qelList* pages, bool owning)
{
    if (!pages)
        return;
    if (owning)
        for (qelListNode* n = pages->getHead(); n; n = n->next)
            deletePage(n->item);
    delete pages;
}

int qelModcaParser::getOpenContainerError() const
{
    if (m_containerState & DOCUMENT_BEGUN)
        return (m_containerState & DOCUMENT_ENDED) ? 0 : qelMsg::E006;
    if (m_containerState & GROUP_BEGUN)
        return (m_containerState & GROUP_ENDED) ? 0 : qelMsg::E005;
    if (m_containerState & PAGE_BEGUN)
        return (m_containerState & PAGE_ENDED) ? 0 : qelMsg::E014;
    if (m_containerState & OVERLAY_BEGUN)
        return (m_containerState & OVERLAY_ENDED) ? 0 : qelMsg::E015;
    return qelMsg::E010;
}

// ------------------------------------------------------------------ calls

void qelModcaParser::setUpInput()
{
    m_document = nullptr;
    m_pageCount = 0;
    m_pageGroupDepth = 0;
    m_currentMediumMap = m_startMediumMap;
    if (m_startMediumMap)
        m_startMediumMap->clearCurrentSubgroup();
    setMediumMapName(m_startMediumMap ? m_startMediumMap->getName() : nullptr);
    m_fromDocumentList = 0;
    qelIOStream* input = qelIOStream::getCurrent();
    if (!input) {
        input = new qelIOStream();
        qelIOStream::setCurrent(input);
    }
    switch (m_inputKind) {
    case QEL_INPUT_MEMORY:
        input->attachBuffer(static_cast<const unsigned char*>(m_inputBuffer), m_inputLength);
        break;
    case QEL_INPUT_FILE:
        if (getInputFileName())
            input->openFile(getInputFileName(), false);
        break;
    case QEL_INPUT_DOCUMENT_LIST:
        m_fromDocumentList = 1;
        input->attachStream(m_inputStream);
        break;
    case QEL_INPUT_STREAM:
        input->attachStream(m_inputStream);
        break;
    default:
        break;
    }
    input->setSpoolInput(true);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_pageParser = pool->getPageParser();
    m_pageParser->resetPageCount();
    m_pageParser->setDocumentParser(this);
    m_pageParser->setScriptExecutor(m_scriptExecutor);
    m_pageGroupId = 0;
    delete m_pageGroupName;
    m_pageGroupName = nullptr;
    m_parseState = 1;
    m_documentCount = 0;
    m_edtInPageGroup = 0;
    if (pool->hasObject(QEL_POOL_INDEX_LIST))
        pool->getIndexList()->clearPageIndexes();
    m_containerState = 0;
    m_pageGroupLevel = 0;
    m_pageGroupIndex = nullptr;
}

qelDocument* qelModcaParser::parseFirst(void* callerData)
{
    trace("[ModcaParser]: (Begin): parseFirst\n");
    m_callerData = callerData;
    m_moreDocuments = 1;
    setUpInput();
    m_parseState = 8;
    parse();
    qelDocument* document = m_document;
    m_document = nullptr;
    trace("[ModcaParser]: (End): parseFirst\n");
    return document;
}

qelDocument* qelModcaParser::parseNext(void* callerData)
{
    trace("[ModcaParser]: (Begin): parseNext\n");
    m_callerData = callerData;
    if (!m_moreDocuments) {
        trace("[ModcaParser]: (End): parseNext\n");
        return nullptr;
    }
    parse();
    qelDocument* document = m_document;
    m_document = nullptr;
    trace("[ModcaParser]: (End): parseNext\n");
    return document;
}

qelDocument* qelModcaParser::parse()
{
    trace("[ModcaParser]: (Begin): parse\n");
    try {
        const char* input = getInputFileName();
        if (input) {
            std::unique_ptr<char[]> base(qelUtils::getBaseName(input, false));
            m_document = new qelDocument(base ? base.get() : input, 2);
        } else {
            m_document = new qelDocument();
        }
        m_document->setInputFileName(input);
        qelSFIBlock* pending = nullptr;
        if (m_parseState == 8)
            pending = parseTillBDT();
        m_parseState = 1;
        qelIni* ini = options(kNoPool);
        const int mode = ini->getFileCreationMode();
        if (mode == QEL_FCM_DOC_INDEX || (mode == QEL_FCM_DOC_COLD && ini->isAutoSplit()))
            parseIndexedDocument(pending);
        else if (mode == QEL_FCM_DOC_COLD)
            parseSFDocument(pending);
        else
            parseOneDoc(pending);
    } catch (qelException* e) {
        handleEnd(e);
    }
    trace("[ModcaParser]: (End): parse\n");
    return m_document;
}

void qelModcaParser::handleEnd(qelException* e)
{
    m_insidePageGroup = 0;
    const int kind = e->getKind();
    const int id = e->getId();
    if (kind == QEL_MSG_INFO && (id == qelMsg::I001 || id == qelMsg::I199)) {
        const int open = getOpenContainerError();
        if (open) {
            delete e;
            m_parseState = 64;
            m_moreDocuments = 0;
            const char* name = getInputFileName();
            throw new qelException(__FILE__, __LINE__, open, 0, true, name ? name : "");
        }
        m_parseState = 32;
        if (id == qelMsg::I001 && !quiet(kNoPool)) {
            if (options(kNoPool)->isStdIn())
                qelMessageOutput::write("End of processing Stdin \n");
            else if (getInputFileName())
                qelMessageOutput::printf("End of File - %s\n", getInputFileName());
            else
                qelMessageOutput::write("End of File.\n");
        }
        m_moreDocuments = 0;
        delete e;
        return;
    }
    if (kind == QEL_MSG_INFO && id == qelMsg::I022) {
        m_parseState = 16;
        m_moreDocuments = 0;
        delete e;
        return;
    }
    if (kind == QEL_MSG_INFO && id == qelMsg::I083) {
        m_parseState = 128;
        m_moreDocuments = 0;
        delete e;
        return;
    }
    if (kind == QEL_MSG_INFO) {
        m_errorFlag = 1;
        m_parseState = 64;
        throw e;
    }
    if (kind == QEL_MSG_WARNING) {
        delete e;
        return;
    }
    m_moreDocuments = 0;
    throw e;
}

qelSFIBlock* qelModcaParser::next(qelSFIBlock*& pending)
{
    qelSFIBlock* field = pending ? pending : readNextSF();
    pending = nullptr;
    m_currentSF = field;
    m_currentSFId = field->getId();
    return field;
}

void qelModcaParser::readDocumentIndex()
{
    qelAFPDocumentIndexParser* index = qelGlobalDSPool::getInstance()->getDocumentIndexParser();
    if (index->parse(m_currentSF) == 0)
        m_docIndexPresent = 1;
}

void qelModcaParser::readResourceGroup()
{
    qelResGroupParser* groups = qelGlobalDSPool::getInstance()->getResGroupParser();
    if (!groups)
        throw "Unable to allocate Resource Group Parser at qelModcaParser";
    groups->parse(this, m_currentSF);
}

// A Begin Overlay at document level: the overlay is filed as a resource and
// shown on a page of its own.
qelList* qelModcaParser::readDocumentOverlay()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    auto* parser = dynamic_cast<qelOverlayParser*>(pool->getOverlayParser());
    if (!parser)
        throw "Unable to allocate Overlay Parser at qelModcaParser";
    qelIOStream* in = qelIOStream::getCurrent();
    const int offset = in ? in->getSFIOffset() : 0;
    parser->setLevel(0);
    qelResOverlay* overlay = parser->parse(m_currentSF);
    parser->setLevel(2);
    if (!overlay)
        return nullptr;
    const char* own = overlay->qelRes::getName();
    const std::string name = own && *own ? std::string(own) : "Ovl" + std::to_string(nextOverlayNumber());
    overlay->qelRes::setName(name.c_str());
    overlay->setAliasName(name.c_str());
    overlay->setFound(1);
    overlay->setInline(in && in->isSpoolInput() ? 1 : 0);
    auto* page = new qelPtocaPage();
    page->setInputOffset(offset - m_documentOffset);
    page->setName(name.c_str());
    page->setSize(overlay->getWidth(), overlay->getHeight());
    page->setResolution(overlay->getResolution());
    pool->getGlobalRes()->addResource(overlay);
    auto* reference = new qelResourceReference(name.c_str(), qelRes::TYPE_OVERLAY, 0.0f, 0.0f);
    reference->setPositionGiven(1);
    page->addResourceReference(reference);
    return setupPageMedia(page);
}

// Reads fields up to the End field of the current Begin field, counting
// nested Begin fields of the same kind.
void qelModcaParser::skipTo(int endId)
{
    skipToEnd(endId - 0x0100);
}

qelSFIBlock* qelModcaParser::parseTillBDT()
{
    trace("[ModcaParser]: (Begin): parseTillBDT\n");
    qelSFIBlock* none = nullptr;
    for (;;) {
        qelSFIBlock* field = next(none);
        switch (field->getId()) {
        case SF_BDI: readDocumentIndex(); break;
        case SF_BDT:
            beginDocument();
            trace("[ModcaParser]: (End): parseTillBDT\n");
            return nullptr;
        case SF_BNG:
        case SF_BPG:
        case SF_BMO:
            m_documentOffset = qelIOStream::getCurrent()->getSFIOffset();
            trace("[ModcaParser]: (End): parseTillBDT\n");
            return field;
        case SF_BRG: readResourceGroup(); break;
        case SF_IMM: invokeMediumMap(); break;
        default: reportUnexpectedSF(field->getId()); break;
        }
    }
}

void qelModcaParser::unexpectedTLE()
{
    if (!quiet(kNoPool))
        qelMessageOutput::printf("Warning! Unexpected SFType ID : 0x%x==>TLE - Tag Logical Element\n",
                                 static_cast<unsigned int>(SF_TLE));
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->printLine("Warning! Unexpected SFType ID : 0x%x==>TLE - Tag Logical Element",
                         static_cast<unsigned int>(SF_TLE));
}

void qelModcaParser::parseOneDoc(qelSFIBlock* pending)
{
    trace("[ModcaParser]: (Begin): parseOneDoc\n");
    if (m_insidePageGroup) {
        if (m_edtInPageGroup) {
            endDocument();
            m_parseState = 8;
            // The deferred End Document closes the interrupted groups.
            m_insidePageGroup = 0;
            m_edtInPageGroup = 0;
            m_pageGroupLevel = 0;
            m_pageGroupDepth = 0;
            return;
        }
        parsePageGroup();
        if (m_insidePageGroup)
            return;
        if (m_edtInPageGroup) {
            endDocument();
            m_parseState = 8;
            m_insidePageGroup = 0;
            m_edtInPageGroup = 0;
            m_pageGroupLevel = 0;
            m_pageGroupDepth = 0;
            trace("[ModcaParser]: (End): parseOneDoc\n");
            return;
        }
    }
    for (;;) {
        qelSFIBlock* field = next(pending);
        qelList* pages = nullptr;
        switch (field->getId()) {
        case SF_TLE:
            processTLE();
            unexpectedTLE();
            continue;
        case SF_BDI: readDocumentIndex(); continue;
        case SF_BNG:
            parsePageGroup();
            if (m_edtInPageGroup && !m_insidePageGroup) {
                endDocument();
                m_parseState = 8;
                m_edtInPageGroup = 0;
                m_pageGroupLevel = 0;
                m_pageGroupDepth = 0;
                trace("[ModcaParser]: (End): parseOneDoc\n");
                return;
            }
            if (pageWise() || m_edtInPageGroup) {
                trace("[ModcaParser]: (End): parseOneDoc\n");
                return;
            }
            continue;
        case SF_BPG: pages = pageParser(); break;
        case SF_BRG: readResourceGroup(); continue;
        case SF_BMO: pages = overlayParser(); break;
        case SF_EDT:
            endDocument();
            m_parseState = 8;
            trace("[ModcaParser]: (End): parseOneDoc\n");
            return;
        case SF_IMM: invokeMediumMap(); continue;
        default: reportUnexpectedSF(field->getId()); continue;
        }
        addPages(pages);
        freeList(pages, false);
        if (pageWise()) {
            m_parseState = 2;
            trace("[ModcaParser]: (End): parseOneDoc\n");
            return;
        }
    }
}

void qelModcaParser::parsePageGroup()
{
    if (!m_insidePageGroup) {
        ++m_pageGroupLevel;
        beginPageGroup();
        if (m_docIndexPresent)
            selectPageGroupIndex();
        m_insidePageGroup = 1;
    }
    qelSFIBlock* none = nullptr;
    while (!m_edtInPageGroup) {
        qelSFIBlock* field = next(none);
        switch (field->getId()) {
        case SF_TLE: processTLE(); break;
        case SF_BNG:
            m_insidePageGroup = 0;
            parsePageGroup();
            if (m_edtInPageGroup)
                return;
            m_insidePageGroup = 1;
            // A page-wise return inside the nested group ends this call.
            if (m_parseState == 2)
                return;
            break;
        case SF_BPG: {
            qelList* pages = pageParser();
            addPages(pages);
            freeList(pages, false);
            if (pageWise()) {
                m_parseState = 2;
                return;
            }
            break;
        }
        case SF_EDT:
            if (m_pageGroupLevel > 0) {
                m_edtInPageGroup = 1;
                if (!quiet(kNoPool))
                    qelMessageOutput::printf("Warning! EDT occurs within nested pagegroup at level %d\n",
                                             m_pageGroupLevel);
                if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
                    m_log->printLine("Warning! EDT occurs within nested pagegroup at level %d", m_pageGroupLevel);
            }
            return;
        case SF_ENG:
            endPageGroup();
            --m_pageGroupLevel;
            if (m_pageGroupLevel <= 0)
                m_insidePageGroup = 0;
            return;
        case SF_IMM: invokeMediumMap(); break;
        default: reportUnexpectedSF(field->getId()); break;
        }
    }
}

void qelModcaParser::parseSFDocument(qelSFIBlock* pending)
{
    trace("[ModcaParser]: (Begin): parseSFDocument\n");
    qelIni* ini = options(kNoPool);
    if (ini->getEndingDocument() > 0 && m_documentCount >= ini->getEndingDocument()) {
        freeList(m_pendingPages, true);
        m_pendingPages = nullptr;
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I083, 0, true);
    }
    ++m_documentCount;
    m_document->setId(m_documentCount);
    if (m_pendingPages) {
        qelList* held = m_pendingPages;
        m_pendingPages = nullptr;
        addPages(held);
        freeList(held, false);
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIndexList()->clearPageIndexes();
    m_pageGroupIndex = nullptr;
    bool leave = false;
    while (!leave) {
        qelSFIBlock* field = next(pending);
        qelList* pages = nullptr;
        switch (field->getId()) {
        case SF_TLE: processTLE(); continue;
        case SF_BDI: readDocumentIndex(); continue;
        case SF_BDT: beginDocument(); continue;
        case SF_BRG: readResourceGroup(); continue;
        case SF_EDT: endDocument(); continue;
        case SF_IMM: invokeMediumMap(); continue;
        case SF_BNG: {
            beginPageGroup();
            if (m_docIndexPresent) {
                qelIndexList* list = pool->getIndexList();
                qelIndexSet* set = list->findIndexById(m_pageGroupId);
                if (!set && m_pageGroupName)
                    set = list->findIndex(m_pageGroupName->getBuffer(), 1);
                if (set) {
                    removeFromRunList(list, set);
                    list->clearPageIndexes();
                    list->addPageIndex(set);
                    m_pageGroupIndex = set;
                }
            }
            continue;
        }
        case SF_BPG: pages = pageParser(); break;
        case SF_BMO: pages = overlayParser(); break;
        case SF_ENG: endPageGroup(); continue;
        default: reportUnexpectedSF(field->getId()); continue;
        }
        const int result = addScriptedPages(pages);
        if (result == 2 || result == 4)
            leave = true;
        else
            freeList(pages, false);
    }
    if (ini->getStartingDocument() > 0 && m_documentCount < ini->getStartingDocument())
        m_document->freePages();
    if (m_parseState != 8)
        m_parseState = 4;
    trace("[ModcaParser]: (End): parseSFDocument\n");
}

void qelModcaParser::parseIndexedDocument(qelSFIBlock* pending)
{
    qelIni* ini = options(kNoPool);
    if (ini->getEndingDocument() > 0 && m_documentCount >= ini->getEndingDocument())
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I083, 0, true);
    ++m_documentCount;
    m_document->setId(m_documentCount);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (ini->getStartingDocument() > 0 && m_documentCount < ini->getStartingDocument()) {
        skipPart(pending);
        pool->resetObject(QEL_POOL_NOP_LIST);
        return;
    }
    pool->getIndexList()->clearPageIndexes();
    m_pageGroupIndex = nullptr;
    bool leave = false;
    while (!leave) {
        qelSFIBlock* field = next(pending);
        switch (field->getId()) {
        case SF_TLE:
            processTLE();
            unexpectedTLE();
            break;
        case SF_BDI: readDocumentIndex(); break;
        case SF_BRG: readResourceGroup(); break;
        case SF_IMM: invokeMediumMap(); break;
        case SF_BNG:
            readWholeGroup();
            leave = true;
            break;
        case SF_BPG:
        case SF_BMO: {
            qelList* pages = field->getId() == SF_BPG ? pageParser() : overlayParser();
            addIndexedPages(pages);
            freeList(pages, false);
            leave = true;
            break;
        }
        case SF_EDT:
            endDocument();
            m_parseState = 8;
            leave = true;
            break;
        default: reportUnexpectedSF(field->getId()); break;
        }
    }
    if (m_parseState != 8)
        m_parseState = 4;
}

void qelModcaParser::readWholeGroup()
{
    beginPageGroup();
    if (m_docIndexPresent)
        selectPageGroupIndex();
    int level = 1;
    qelSFIBlock* none = nullptr;
    for (;;) {
        qelSFIBlock* field = next(none);
        switch (field->getId()) {
        case SF_TLE: processTLE(); break;
        case SF_BNG:
            beginPageGroup();
            ++level;
            break;
        case SF_BPG: {
            qelList* pages = pageParser();
            addIndexedPages(pages);
            freeList(pages, false);
            break;
        }
        case SF_ENG:
            endPageGroup();
            if (level == 1)
                return;
            --level;
            break;
        case SF_EDT:
            m_edtInPageGroup = 1;
            if (!quiet(kNoPool))
                qelMessageOutput::printf("Warning! EDT occurs within nested pagegroup at level %d\n", level);
            if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
                m_log->printLine("Warning! EDT occurs within nested pagegroup at level %d", level);
            endDocument();
            m_parseState = 8;
            m_edtInPageGroup = 0;
            m_pageGroupDepth = 0;
            return;
        case SF_IMM: invokeMediumMap(); break;
        default: reportUnexpectedSF(field->getId()); break;
        }
    }
}

void qelModcaParser::skipPart(qelSFIBlock* pending)
{
    for (;;) {
        qelSFIBlock* field = next(pending);
        switch (field->getId()) {
        case SF_BNG: {
            m_containerState = static_cast<uint8_t>((m_containerState & 0xF7) | GROUP_BEGUN);
            // Nested groups each need their own End.
            int depth = 1;
            while (depth > 0) {
                qelSFIBlock* inner = readNextSF();
                if (inner->getId() == SF_BNG) {
                    ++depth;
                    ++m_pageGroupLevel;
                } else if (inner->getId() == SF_ENG) {
                    --depth;
                }
            }
            m_containerState |= GROUP_ENDED;
            return;
        }
        case SF_BPG:
            m_containerState = static_cast<uint8_t>((m_containerState & 0xDF) | PAGE_BEGUN);
            skipTo(SF_EPG);
            m_containerState |= PAGE_ENDED;
            if (m_docIndexPresent)
                return;
            break;
        case SF_BMO:
            m_containerState = static_cast<uint8_t>((m_containerState & 0x3F) | OVERLAY_BEGUN);
            skipTo(SF_EMO);
            m_containerState |= OVERLAY_ENDED;
            if (m_docIndexPresent)
                return;
            break;
        case SF_EDT:
            endDocument();
            m_parseState = 8;
            return;
        case SF_IMM: invokeMediumMap(); break;
        default: reportUnexpectedSF(field->getId()); break;
        }
    }
}

// ------------------------------------------------------- document fields

void qelModcaParser::beginDocument()
{
    qelTripletParser* triplets = getTripletParser();
    trace("[ModcaParser]: (Begin): beginDocument\n");
    m_documentOffset = qelIOStream::getCurrent()->getSFIOffset();
    std::string name = readName();
    logField("BDT", "Begin Document", name.c_str());
    ++m_level;
    if (m_currentSF->getRemainingLength() > 1) {
        const int at = m_currentSF->getPosition();
        if (m_currentSF->readUShort() != 0 && m_log && m_log->anyOf(QEL_LOG_LEVEL2))
            m_log->printAtOffset(static_cast<unsigned long long>(m_currentSF->getOffset() + at),
                                 "Warning! Illegal reserved Bytes");
    }
    if (m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_INTERCHANGE_SET
                            | QEL_TRIPLET_FUNCTION_SET | QEL_TRIPLET_COMMENT;
        triplets->parse(&mandatory, &optional, m_currentSF);
        m_documentGCSGID = triplets->getGCSGID();
        m_documentCPGID = triplets->getCPGID();
        m_documentCCSID = triplets->getCCSID();
    }
    m_containerState = static_cast<uint8_t>((m_containerState & ~DOCUMENT_ENDED) | DOCUMENT_BEGUN);

    qelIOStream* input = qelIOStream::getCurrent();
    qelList** attributes = input && input->getStream() ? input->getDocumentAttributes() : nullptr;
    if (m_document && attributes && *attributes) {
        for (qelListNode* n = (*attributes)->getHead(); n; n = n->next) {
            auto* pair = static_cast<qelNamePair*>(n->item);
            if (!pair || !pair->first)
                continue;
            auto* entry = new qelIndex();
            entry->setName(pair->first);
            entry->setValue(pair->second);
            std::string name8(pair->first);
            qelUtils::asciiToEbcdic(reinterpret_cast<unsigned char*>(&name8[0]), static_cast<int>(name8.size()));
            entry->setEBCDICName(reinterpret_cast<const unsigned char*>(name8.data()), static_cast<int>(name8.size()));
            if (pair->second) {
                std::string value(pair->second);
                qelUtils::asciiToEbcdic(reinterpret_cast<unsigned char*>(&value[0]), static_cast<int>(value.size()));
                entry->setEBCDICValue(reinterpret_cast<const unsigned char*>(value.data()),
                                      static_cast<int>(value.size()));
            }
            m_document->addIndex(entry);
        }
    }
    trace("[ModcaParser]: (End): beginDocument\n");
}

void qelModcaParser::endDocument()
{
    trace("[ModcaParser]: (Begin): endDocument\n");
    --m_level;
    const int remaining = m_currentSF ? m_currentSF->getRemainingLength() : 0;
    if (remaining < 8) {
        logField("EDT", "End Document", "");
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
            m_log->printLine("Warning! Insufficient data for SFI name, expected 8, exist %d only", remaining);
    } else {
        readBeginEnd("EDT", "End Document", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
    }
    m_containerState |= DOCUMENT_ENDED;
    trace("[ModcaParser]: (End): endDocument\n");
}

void qelModcaParser::beginPageGroup()
{
    qelTripletParser* triplets = getTripletParser();
    const int offset = qelIOStream::getCurrent()->getSFIOffset();
    bool withTriplets = false;
    std::string name = readBeginEnd("BNG", "Begin Named Page Group", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_COMMENT, &withTriplets);
    std::string mediumMap;
    if (withTriplets) {
        if (std::unique_ptr<qelString> full = triplets->takeFullyQualifiedName())
            name = full->getBuffer();
        if (triplets->getMediumMapName())
            mediumMap = triplets->getMediumMapName();
    }
    ++m_pageGroupDepth;
    if (m_pageGroupDepth == 1) {
        delete m_pageGroupName;
        m_pageGroupName = new qelString(name.c_str());
        m_pageGroupId = offset - m_documentOffset;
    }
    if (!mediumMap.empty() &&
        (!m_currentMediumMap || !qelString::compare(m_currentMediumMap->getName(), mediumMap.c_str(), true, 0)))
        selectMediumMap(mediumMap.c_str());
    m_containerState = static_cast<uint8_t>((m_containerState & ~GROUP_ENDED) | GROUP_BEGUN);
}

void qelModcaParser::endPageGroup()
{
    trace("[ModcaParser]: (Begin): endPageGroup\n");
    readBeginEnd("ENG", "End Named Page Group", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
    if (m_pageGroupDepth-- == 1) {
        delete m_pageGroupName;
        m_pageGroupName = nullptr;
        m_pageGroupId = 0;
        m_pageGroupIndex = nullptr;
    }
    if (m_pageGroupDepth < 0)
        m_pageGroupDepth = 0;
    m_containerState |= GROUP_ENDED;
    trace("[ModcaParser]: (End): endPageGroup\n");
}

void qelModcaParser::invokeMediumMap()
{
    trace("[ModcaParser]: (Begin): invokeMediumMap\n");
    const std::string name = readBeginEnd("IMM", "Invoke Medium Map", QEL_TRIPLET_CGCSGID);
    selectMediumMap(name.c_str());
    trace("[ModcaParser]: (End): invokeMediumMap\n");
}

qelMediumMap* qelModcaParser::selectMediumMap(const char* name)
{
    std::string wanted(name ? name : "");
    setMediumMapName(wanted.c_str());
    if (wanted.empty())
        return nullptr;
    qelIni* ini = options(kNoPool);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    std::string hashId;
    bool aliased = false;
    if (ini->isQELNOP()) {
        if (qelResourceAliasName* alias = pool->getHashIdMap()->findHashId(wanted.c_str(), qelRes::TYPE_FORM_MAP)) {
            aliased = true;
            if (alias->getHashId())
                hashId = alias->getHashId();
        }
    }
    qelGlobalRes* resources = pool->getGlobalRes();
    auto* map = static_cast<qelMediumMap*>(resources->findResource(wanted.c_str(), qelRes::TYPE_MEDIUM_MAP));
    if (ini->isQELNOP() && !map && m_log && m_log->anyOf(QEL_LOG_GENERAL)) {
        if (aliased)
            m_log->printLine("Hash Id %s found for given resource %s", hashId.c_str(), wanted.c_str());
        else
            m_log->printLine("Warning! Hash Id not found for given resource %s, using resource name itself",
                             wanted.c_str());
    }
    if (!map) {
        std::unique_ptr<char[]> entry(ini->findFormdefEntry(wanted.c_str()));
        // The form map of a [FORMDEF] entry is its key: the text before '='
        // (or before the first ',' when there is none), trimmed.
        std::string formMap;
        if (entry) {
            formMap = entry.get();
            size_t end = formMap.find('=');
            if (end == std::string::npos)
                end = formMap.find(',');
            formMap = formMap.substr(0, end);
            const size_t b = formMap.find_first_not_of(" \t");
            const size_t l = formMap.find_last_not_of(" \t");
            formMap = b == std::string::npos ? std::string() : formMap.substr(b, l - b + 1);
        }
        const bool byEntry = !formMap.empty();
        if (byEntry && resources->findResource(formMap.c_str(), qelRes::TYPE_FORM_MAP))
            return nullptr;
        const char* formName = byEntry ? formMap.c_str() : wanted.c_str();
        qelResParser* loader = resources->getResourceLoader(qelRes::TYPE_FORM_MAP, formName);
        if (!loader)
            return nullptr;
        qelRes* form = loader->parse(formName, qelResParser::MODE_LIBRARY,
                                     hashId.empty() ? nullptr : hashId.c_str());
        if (form) {
            form->setFound(1);
            form->setInline(0);
            resources->addResource(form);
        }
        map = static_cast<qelMediumMap*>(resources->findResource(wanted.c_str(), qelRes::TYPE_MEDIUM_MAP));
    }
    if ((map && map->getFound()) || !ini->isStrict()) {
        if (!map) {
            map = new qelMediumMap(wanted.c_str());
            map->setFileName(hashId.empty() ? wanted.c_str() : hashId.c_str());
            map->setFound(0);
            map->setInline(0);
            resources->addResource(map);
        }
        m_currentMediumMap = map;
        map->resetForInvocation();
        if (qelList* mmcs = map->getMMCs())
            for (qelListNode* n = mmcs->getHead(); n; n = n->next)
                map->resolveMmcOverlays(static_cast<qelMediumMap::MMC*>(n->item));
        return map;
    }
    throw new qelException(__FILE__, __LINE__, qelMsg::E084, 0, true, wanted.c_str(), "MediumMap");
}

void qelModcaParser::processTLE()
{
    std::unique_ptr<qelIndex> entry = readTagLogicalElement();
    if (!entry)
        return;

    qelIndexList* list = qelGlobalDSPool::getInstance()->getIndexList();
    const char* g = entry->getObjectName();
    const char* n = getPageGroupName();
    const int k = entry->getLevel();
    qelIndexSet* set = nullptr;
    auto named = [](qelIndexSet* s, const char* name) {
        return s && qelString::compare(s->getName(), name, true, 0);
    };
    if (g) {
        if (!n || !qelString::compare(n, g, true, 0)) {
            set = list->findIndex(g, k, list->getPageIndexes());
            if (!set && named(m_pageGroupIndex, g))
                set = m_pageGroupIndex;
            if (set)
                m_pageGroupIndex = set;
        } else {
            set = m_pageGroupIndex;
        }
    } else if (n) {
        if (named(m_pageGroupIndex, n))
            set = m_pageGroupIndex;
    } else if (m_pageGroupIndex && !m_pageGroupIndex->getName()) {
        set = m_pageGroupIndex;
    }
    if (set) {
        entry->setIndexSet(set);
        set->addIndex(entry.release(), true);
        return;
    }
    auto* created = g ? new qelIndexSet(g, k) : new qelIndexSet(n, 1);
    created->ensureEntries();
    m_pageGroupIndex = created;
    entry->setIndexSet(created);
    created->addIndex(entry.release(), false);
    list->addPageIndex(created);
}

bool qelModcaParser::selectPageGroupIndex()
{
    qelIndexList* list = qelGlobalDSPool::getInstance()->getIndexList();
    qelIndexSet* set = list->findIndexById(m_pageGroupId);
    if (!set && m_pageGroupName)
        set = list->findIndex(m_pageGroupName->getBuffer(), 1);
    if (!set)
        return false;
    removeFromRunList(list, set);
    list->clearPageIndexes();
    list->addPageIndex(set);
    if (!list->getPageIndexes() || list->getPageIndexes()->getTail()->item != set) {
        // Sets without entries are not kept in the document's list.
        delete set;
        m_pageGroupIndex = nullptr;
        return false;
    }
    m_pageGroupIndex = set;
    qelIndexElement* element = set->getIndexElement();
    const char* group = element ? element->getGroupName() : nullptr;
    if (group && *group &&
        (!m_currentMediumMap || !qelString::compare(m_currentMediumMap->getName(), group, true, 0)))
        selectMediumMap(group);
    return true;
}

// ------------------------------------------------------------------ pages

qelList* qelModcaParser::pageParser()
{
    ++m_pageCount;
    char text[64];
    std::snprintf(text, sizeof text, "[ModcaParser]: (Begin): pageParser(%d)\n", m_pageCount);
    trace(text);
    checkPageLimit();
    qelIni* ini = options(kNoPool);
    const bool skip = ini->getStartingPage() > 0 && m_pageCount < ini->getStartingPage();
    const bool announce =
        (ini->getStartingDocument() <= 0 || m_documentCount >= ini->getStartingDocument() - 1) && !skip;
    if (announce && !ini->isQuietMode())
        qelMessageOutput::printf("Parsing Page %d\n", m_pageCount);
    if (m_log && m_log->anyOf(QEL_LOG_GENERAL))
        m_log->printLine("Parsing Page %d\n", m_pageCount);
    if (skip) {
        skipTo(SF_EPG);
        std::snprintf(text, sizeof text, "[ModcaParser]: (End1): pageParser(%d)\n", m_pageCount);
        trace(text);
        return nullptr;
    }
    qelPtocaPage* page = m_pageParser->readPage(m_currentSF);
    std::snprintf(text, sizeof text, "[ModcaParser]: (End2): pageParser(%d)\n", m_pageCount);
    trace(text);
    return setupPageMedia(page);
}

qelList* qelModcaParser::overlayParser()
{
    trace("[ModcaParser]: (Begin): overlayParser\n");
    ++m_pageCount;
    checkPageLimit();
    qelIni* ini = options(kNoPool);
    const bool skip = ini->getStartingPage() >= 1 && m_pageCount < ini->getStartingPage();
    const bool announce =
        (ini->getStartingDocument() <= 0 || m_documentCount >= ini->getStartingDocument() - 1) && !skip;
    if (announce && !ini->isQuietMode())
        qelMessageOutput::printf("Parsing Overlay %d\n", m_pageCount);
    if (m_log && m_log->anyOf(QEL_LOG_GENERAL))
        m_log->printLine("Parsing Overlay %d\n", m_pageCount);
    if (skip)
        return nullptr;
    m_containerState = static_cast<uint8_t>((m_containerState & 0x3F) | OVERLAY_BEGUN);
    qelList* pages = readDocumentOverlay();
    m_containerState |= OVERLAY_ENDED;
    return pages;
}

qelList* qelModcaParser::setupPageMedia(qelPage* page)
{
    if (!page)
        return nullptr;
    auto* pages = new qelList();
    page->setParseId(m_pageCount);
    pages->append(page);
    if (!m_currentMediumMap && m_mediumMapName && !m_mediumMapName->isEmpty())
        selectMediumMap(m_mediumMapName->getBuffer());
    if (m_mediumMapName) {
        page->setMediumMapName(m_mediumMapName->getBuffer());
        if (page->kind() == qelPage::KIND_AFP)
            static_cast<qelPtocaPage*>(page)->setInvokedMediumMapName(m_mediumMapName->getBuffer());
    }
    qelMedia* media = page->kind() == qelPage::KIND_AFP ? static_cast<qelPtocaPage*>(page) : nullptr;
    const double r = media ? media->getResolution() : 240.0;
    double s = 0.0;
    double w0 = 0.0, h0 = 0.0;
    if (m_currentMediumMap) {
        m_currentMediumMap->assignToPage(page, pages);
        const double u = m_currentMediumMap->getXUnitBase() == 1
                             ? static_cast<double>(m_currentMediumMap->getXUnits() * 254 / 1000)
                             : m_currentMediumMap->getXUnits() / 10.0;
        if (u > 0) {
            s = r / u;
            w0 = m_currentMediumMap->getXExtent();
            h0 = m_currentMediumMap->getYExtent();
        }
    } else if (auto* forms = dynamic_cast<qelFormDefParser*>(qelGlobalDSPool::getInstance()->getFormDefParser())) {
        // The defaults of the form definition's document environment group.
        int32_t x = 0, y = 0;
        forms->getDefaultPagePosition(x, y);
        const double u = forms->getDefaultXUnitsPerBase() / 10.0;
        if (x != 0x8000 && y != 0x8000 && u > 0) {
            s = r / u;
            w0 = forms->getDefaultXExtent();
            h0 = forms->getDefaultYExtent();
            if (media)
                media->setPageOffset(static_cast<uint32_t>(static_cast<int32_t>(x * s)),
                                    static_cast<uint32_t>(static_cast<int32_t>(y * s)));
        }
    }
    double W = 0.0, H = 0.0;
    for (qelListNode* n = pages->getHead(); n; n = n->next) {
        auto* p = static_cast<qelPage*>(n->item);
        if (p->kind() != 1)
            continue;
        auto* pm = static_cast<qelPtocaPage*>(p);
        pm->bind();
        double w = w0 * s;
        double h = h0 * s;
        if (pm->getMediumOverlayWidth() > w)
            w = pm->getMediumOverlayWidth();
        if (pm->getMediumOverlayHeight() > h)
            h = pm->getMediumOverlayHeight();
        const bool offsetSet = pm->getPageOffsetX() != 0x8000 && pm->getPageOffsetY() != 0x8000;
        if (static_cast<long>(w) >= 1 && w <= 22 * r && static_cast<long>(h) >= 1 && h <= 22 * r) {
            W = static_cast<long>(w);
            H = static_cast<long>(h);
            if (offsetSet) {
                W = std::max(W, static_cast<double>(pm->getWidth() + pm->getPageOffsetX()));
                H = std::max(H, static_cast<double>(pm->getHeight() + pm->getPageOffsetY()));
            }
        } else if (static_cast<long>(w) == 0 && h == 0 && w0 != 0x8000 && h0 != 0x8000 && m_currentMediumMap) {
            if (offsetSet) {
                W = pm->getWidth() + pm->getPageOffsetX();
                H = pm->getHeight() + pm->getPageOffsetY();
            }
        } else {
            continue;
        }
        p->setExtentWidth(static_cast<float>(W));
        p->setExtentHeight(static_cast<float>(H));
    }
    qelIni* ini = options(kNoPool);
    if (ini->isSkipPage() && ini->getSkipObjectSize() != 0 && media && media->isEmpty()) {
        freeList(pages, true);
        return nullptr;
    }
    return pages;
}

bool qelModcaParser::attachPageIndex(qelPage* page)
{
    if (!page)
        return false;
    qelIndexList* list = qelGlobalDSPool::getInstance()->getIndexList();
    qelIndexSet* set = nullptr;
    if (page->getInputOffset() != 0 && list->getIndexes() && list->getIndexes()->getCount() > 0)
        set = list->findIndexById(page->getInputOffset());
    if (!set && page->getName())
        set = list->findIndex(page->getName(), 0);
    if (!set)
        return false;
    // The page owns the set from now on.
    removeFromRunList(list, set);
    page->addIndex(set);
    return true;
}

void qelModcaParser::addPages(qelList* pages)
{
    if (!pages)
        return;
    for (qelListNode* n = pages->getHead(); n; n = n->next) {
        auto* page = static_cast<qelPage*>(n->item);
        attachPageIndex(page);
        m_document->addPage(page, 0);
    }
}

void qelModcaParser::addIndexedPages(qelList* pages)
{
    addPages(pages);
}

// Without a document script every page stays in the document.
int qelModcaParser::addScriptedPages(qelList* pages)
{
    addPages(pages);
    return 0;
}

void qelModcaParser::processNOP(qelNOPRecord** out)
{
    if (out) {
        qelAFPParser::processNOP(out);
        return;
    }
    qelNOPRecord* record = nullptr;
    qelAFPParser::processNOP(&record);
    if (record)
        defineAliasName(record);
    delete record;
}
