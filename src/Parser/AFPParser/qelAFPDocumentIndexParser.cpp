#include "qelAFPDocumentIndexParser.h"

#include "qelException.h"
#include "qelFileStream.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIndex.h"
#include "qelIndexElement.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelLogStream.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <memory>

int qelAFPDocumentIndexParser::parseFile(const char* path)
{
    if (!path) {
        if (!qelIOStream::getCurrent())
            throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
        if (!m_currentSF)
            readNextSF();
        return parse();
    }
    // The index file gets a reader of its own; the input that was current
    // is left as it stood.
    int result = -1;
    readWithOwnReader(path, [&]() {
        try {
            readNextSF();
        } catch (qelException* e) {
            // An empty file holds no index.
            if (e->getId() != qelMsg::I001)
                throw;
            delete e;
            m_currentSF = nullptr;
        }
        if (m_currentSF)
            result = parse();
    });
    return result;
}

int qelAFPDocumentIndexParser::parse(qelSFIBlock* field)
{
    m_currentSF = field;
    return parse();
}

int qelAFPDocumentIndexParser::parse()
{
    int result = -1;
    try {
        for (;;) {
            if (!m_currentSF)
                return result;
            const int id = m_currentSF->getId();
            switch (id) {
            case 0xA090: tagLogicalElement(); break;
            case 0xA8A7:
                beginDocumentIndex();
                result = 0;
                break;
            case 0xB2A7: indexElement(); break;
            case 0xEEEE: processNOP(nullptr); break;
            case 0xA9A7:
                endDocumentIndex();
                return result;
            default: reportUnexpectedSF(id); break;
            }
            readNextSF();
        }
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I001)
            throw;
        delete e;
    }
    return result;
}

void qelAFPDocumentIndexParser::beginDocumentIndex()
{
    readBeginEnd("BDI", "Begin Document Index", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_COMMENT);
}

void qelAFPDocumentIndexParser::endDocumentIndex()
{
    readBeginEnd("EDI", "End Document Index", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
}

void qelAFPDocumentIndexParser::indexElement()
{
    qelTripletParser* triplets = getTripletParser();
    logField("IEL", "Index Element", "");
    if (m_currentSF->getRemainingLength() <= 0)
        return;
    std::unique_ptr<qelIndexElement> element(new qelIndexElement());
    triplets->attachIndexElement(element.get());
    uint32_t mandatory = QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_BYTE_OFFSET;
    uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_OBJECT_OFFSET
                        | QEL_TRIPLET_OBJECT_COUNT | QEL_TRIPLET_PAGE_NUMBER | QEL_TRIPLET_BYTE_EXTENT
                        | QEL_TRIPLET_FIELD_OFFSET | QEL_TRIPLET_FIELD_EXTENT;
    try {
        triplets->parse(&mandatory, &optional, m_currentSF);
    } catch (...) {
        triplets->detachIndexElement();
        throw;
    }
    if (triplets->getIndexElement()) {
        if (const char* full = triplets->getFullyQualifiedNameText())
            element->setName(full);
        auto* set = new qelIndexSet(element.release());
        qelGlobalDSPool::getInstance()->getIndexList()->addIndex(set);
    }
    triplets->detachIndexElement();
}

void qelAFPDocumentIndexParser::tagLogicalElement()
{
    std::unique_ptr<qelIndex> entry = readTagLogicalElement();
    if (!entry)
        return;

    qelIndexList* list = qelGlobalDSPool::getInstance()->getIndexList();
    const char* object = entry->getObjectName();
    qelIndexSet* set = object ? list->findIndex(object, entry->getLevel()) : list->getLastAdded();
    if (!set) {
        set = new qelIndexSet(object, entry->getLevel());
        list->addIndex(set);
    }
    set->ensureEntries();
    entry->setIndexSet(set);
    entry->setLevel(set->getLevel());
    set->getEntries()->append(entry.release());
}
