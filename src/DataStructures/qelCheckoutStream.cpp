#include "qelCheckoutStream.h"

#include "qelBufferStream.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelSDKTypes.h"
#include "qelString.h"

#include <climits>
#include <cstdlib>

qelCheckoutStream::qelCheckoutStream(qelSDKNameList* firstId) : m_firstId(firstId) {}

qelCheckoutStream::~qelCheckoutStream()
{
    // The adopted document bytes belong to the record and go with it.
    delete m_document;
    m_document = nullptr;
    m_firstId = nullptr;
    m_currentId = nullptr;
    releaseRecord();
}

// Frees the record, its data and the nodes of its two lists (the texts and
// bytes the nodes point to stay the reader's). The record came from the C
// heap, so everything is released with free.
void qelCheckoutStream::releaseRecord()
{
    if (m_indexEntries) {
        delete m_indexEntries;
        m_indexEntries = nullptr;
    }
    if (getAttributes())
        setAttributeList(nullptr);
    if (!m_record)
        return;
    // The document buffer must not keep the bytes that are freed here.
    if (m_document && m_document->getData() == m_record->data)
        m_document->setBuffer(nullptr, 0, true);
    std::free(m_record->data);
    for (qelSDKNameValue* node = m_record->indexList; node;) {
        qelSDKNameValue* next = node->next;
        std::free(node);
        node = next;
    }
    for (qelSDKUserData* node = m_record->userDataList; node;) {
        qelSDKUserData* next = node->next;
        std::free(node);
        node = next;
    }
    std::free(m_record);
    m_record = nullptr;
}

void qelCheckoutStream::setIndexAttributes()
{
    m_indexEntries = new qelList();
    for (qelSDKNameValue* node = m_record->indexList; node; node = node->next)
        m_indexEntries->append(node);
    setAttributeList(m_indexEntries);
}

void qelCheckoutStream::nextDocument()
{
    if (!m_started) {
        m_currentId = m_firstId;
        m_started = true;
    } else if (m_currentId) {
        m_currentId = m_currentId->next;
    }
    releaseRecord();

    while (m_currentId && !m_record) {
        const char* id = m_currentId->name;
        m_record = callDocumentReader(id);
        if (m_record)
            break;
        if (!m_quiet)
            qelMessageOutput::printf("Warning! Unable to retrieve document data for ID: %s\n", id ? id : "");
        if (m_log) {
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            qelLogStream* log = pool ? pool->getLogStream() : nullptr;
            if (log)
                log->print("Warning! Unable to retrieve document data for ID: %s\n", id ? id : "");
        }
        m_currentId = m_currentId->next;
    }

    if (!m_record) {
        // The ids are used up: the next getChar raises I199.
        if (m_document)
            m_document->setBuffer(nullptr, 0, true);
        return;
    }

    // A length that does not fit the stream counts as no data.
    const unsigned char* bytes = static_cast<const unsigned char*>(m_record->data);
    int count = m_record->length <= static_cast<uint32_t>(INT_MAX) ? static_cast<int>(m_record->length) : 0;
    if (!bytes)
        count = 0;
    if (m_document) {
        m_document->setBuffer(count > 0 ? bytes : nullptr, count, true);
        seek(0);
        checkBeginning();
    } else {
        m_document = new qelBufferStream(count > 0 ? bytes : nullptr, count, true);
        m_document->setMode(m_mode);
        seek(0);
    }
    setIndexAttributes();
}

bool qelCheckoutStream::moveToUnreadDocument()
{
    if (m_document && !m_document->isAtEnd())
        return false;
    nextDocument();
    // Skip documents without data until one has bytes or the ids run out.
    while (m_document && m_document->isAtEnd() && m_currentId)
        nextDocument();
    return m_record != nullptr;
}

int qelCheckoutStream::skipTrailingPadding()
{
    const int left = getDocumentBytesLeft();
    const unsigned char* data = m_document ? m_document->getData() : nullptr;
    if (left <= 0 || !data)
        return 0;
    const int position = m_document->getPosition();
    for (int i = position; i < position + left; ++i)
        if (data[i] != 0x40 && data[i] != 0x0D && data[i] != 0x0A && data[i] != 0x1A)
            return 0;
    seek(position + left);
    return left;
}

int qelCheckoutStream::getDocumentBytesLeft() const
{
    return m_document ? m_document->getBytesLeft() : 0;
}

int qelCheckoutStream::getChar()
{
    moveToUnreadDocument();
    if (!m_document)
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I199, 1, true);
    int c = m_document->getChar();
    m_position = m_document->getPosition();
    return c;
}

void qelCheckoutStream::open()
{
    if (m_document && !m_document->isAtEnd())
        return;
    nextDocument();
}

void qelCheckoutStream::seek(int position)
{
    m_position = position < 0 ? 0 : position;
    if (m_document)
        m_document->seek(m_position);
}

void qelCheckoutStream::checkBeginning()
{
    m_carriageControl = 0;
    if (!m_document || !m_document->getData())
        return;
    m_document->clearCarriageControl();
    m_document->checkBeginning();
    m_carriageControl = m_document->hasCarriageControl() ? 1 : 0;
}

const char* qelCheckoutStream::getName()
{
    return m_document ? m_document->getName() : nullptr;
}

void qelCheckoutStream::setName(const char* text)
{
    delete[] m_name;
    m_name = nullptr;
    if (text && m_document)
        m_document->setName(text);
}

void qelCheckoutStream::setMode(unsigned char flag)
{
    m_mode = flag;
    if (m_document)
        m_document->setMode(flag);
}

void qelCheckoutStream::setAttribute(int kind, const char* text)
{
    bool on = text && qelString::compare(text, "on", true, 0);
    if (kind == QEL_ATTR_QUIET)
        m_quiet = on ? 1 : 0;
    else if (kind == QEL_ATTR_LOG)
        m_log = on ? 1 : 0;
}

int qelCheckoutStream::computeSize()
{
    m_firstId = nullptr;
    m_currentId = nullptr;
    delete m_document;
    m_document = nullptr;
    releaseRecord();
    return 0;
}
