#include "qelVisitor.h"

#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgProcessor.h"
#include "qelOutputScale.h"

#include "qelContainerObject.h"
#include "qelDocument.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelStatistic.h"
#include "qelString.h"
#include "qelUtils.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{
int g_outputCounter = 0;

void replaceString(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

const char* stringOrNull(const qelString* s)
{
    return (s && s->getBuffer()) ? s->getBuffer() : nullptr;
}
}

qelVisitor::qelVisitor()
{
    initVisitor();
}

qelVisitor::~qelVisitor()
{
    delete m_outputFileName;
    delete m_outputType;
    delete m_pageText;
    delete m_documentName;
    delete m_pendingException;
    m_pendingException = nullptr;
    m_currentPage = nullptr;
    // The output buffer belongs to whoever took it over.
}

void qelVisitor::initVisitor()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        return;
    m_options = pool->getIni();
    m_log = pool->getLogStream();
    m_transformer = pool->getPageCoordinateTransformer();
    if (m_options && m_options->hasSwitch("Transparent"))
        m_outputOption = 1;
}

void qelVisitor::trace(const char* line) const
{
    // Trace lines share the message output with every other console text,
    // keeping standard output free for converted data.
    if (m_options && m_options->isDevTestLevel(0x2))
        qelMessageOutput::write(line);
}

void qelVisitor::setOutputOption(int value) { m_outputOption = static_cast<uint8_t>(value); }
void qelVisitor::setDocumentPageCount(int count) { m_documentPageCount = count; }

qelPageOffset qelVisitor::setPageOffset(qelPageOffset offset)
{
    qelPageOffset result;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (const int32_t* defaults = pool ? pool->getPageOffset() : nullptr) {
        result.x = defaults[0];
        result.y = defaults[1];
    }
    if (offset.x != OFFSET_NOT_SET && offset.y != OFFSET_NOT_SET)
        result = offset;
    m_pageOffset = result;
    return result;
}

int qelVisitor::resetPageOffset()
{
    m_pageOffset = qelPageOffset{};
    return 0;
}

void qelVisitor::setOutputType(const char* name) { replaceString(m_outputType, name); }

void qelVisitor::setOutputFileName(const char* name)
{
    delete m_outputFileName;
    m_outputFileName = nullptr;
    if (!name)
        return;
    const char* path = m_options ? m_options->getOutputFilePath() : nullptr;
    std::string full = path ? path : "";
    full += name;
    m_outputFileName = new qelString(full.c_str());
}

void qelVisitor::setOutputBuffer(const char* data)
{
    std::free(m_outputBuffer);
    m_outputBuffer = nullptr;
    if (!data || m_outputBufferSize <= 0)
        return;
    m_outputBuffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(m_outputBufferSize)));
    if (m_outputBuffer)
        std::memcpy(m_outputBuffer, data, static_cast<size_t>(m_outputBufferSize));
}

void qelVisitor::setOutputBufferWithLength(const void* data, int length)
{
    std::free(m_outputBuffer);
    m_outputBuffer = nullptr;
    if (!data || length <= 0)
        return;
    m_outputBufferSize = length;
    m_outputBuffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(length)));
    if (m_outputBuffer)
        std::memcpy(m_outputBuffer, data, static_cast<size_t>(length));
}

void qelVisitor::setOutputBufferSize(int size)
{
    if (size >= 0)
        m_outputBufferSize = size;
}

void qelVisitor::setWriteFlags(int value)
{
    m_currentFont = value;
    m_loggedFont = value;
}

void qelVisitor::setPendingException(qelException* exception)
{
    if (exception != m_pendingException)
        delete m_pendingException;
    m_pendingException = exception;
}

qelException* qelVisitor::takePendingException()
{
    qelException* e = m_pendingException;
    m_pendingException = nullptr;
    return e;
}

void qelVisitor::setErrorState(bool failed) { m_errorState = failed ? 1 : 0; }
int qelVisitor::getOutputOption() { return m_outputOption; }
int qelVisitor::getDocumentPageCount() { return m_documentPageCount; }
qelPageOffset qelVisitor::getPageOffset() { return m_pageOffset; }
const char* qelVisitor::getOutputType() { return stringOrNull(m_outputType); }
const char* qelVisitor::getOutputFileName() { return stringOrNull(m_outputFileName); }
const void* qelVisitor::getOutputBuffer() { return m_outputBuffer; }
int qelVisitor::getOutputBufferSize() { return m_outputBufferSize; }
int qelVisitor::getWriteFlags() { return m_currentFont; }
int qelVisitor::getPageCount() { return m_pageCount; }
const char* qelVisitor::getDocumentName() const { return stringOrNull(m_documentName); }
const char* qelVisitor::getPageText() const { return stringOrNull(m_pageText); }
void qelVisitor::setPageText(const char* text) { replaceString(m_pageText, text); }

void qelVisitor::clearPageState()
{
    m_scratch[0] = 0;
    m_scratch[1] = 0;
    delete m_pageText;
    m_pageText = nullptr;
}

const char* qelVisitor::outputExtension() const
{
    if (!m_options)
        return "";
    const char* custom = m_options->getCustomFileExtension();
    if (custom && *custom)
        return custom;
    const char* ext = m_options->getOutputExtension();
    return ext ? ext : "";
}

char* qelVisitor::formatBaseName(int pageId, int documentNumber, const char* spoolName) const
{
    if (!m_options)
        return nullptr;
    // Names from the input never reach another directory.
    std::unique_ptr<char[]> safe(qelUtils::toSafeFileName(spoolName, false));
    return m_options->formatIndexId(pageId, documentNumber, qelUtils::getTempName(), safe.get());
}

int qelVisitor::initializeDoc(qelDocument* document)
{
    trace("[qelVisitor]: Begin: initializeDoc\n");
    if (!document) {
        trace("[qelVisitor]: End(E1): initializeDoc\n");
        return -1;
    }
    replaceString(m_documentName, document->getName());
    m_documentNumber = document->getNumber();
    if (m_statisticCounting)
        qelStatistic::countDocument();
    if (!document->getName()) {
        trace("[qelVisitor]: End: initializeDoc\n");
        return 1;
    }
    const int mode = m_options ? m_options->getFileCreationMode() : QEL_FCM_ALL;
    const bool unique = m_options && m_options->isGenerateUniqueFile();
    if (m_options && m_options->isPageOutput()) {
        if (unique || mode == QEL_FCM_PAGE || mode == QEL_FCM_DOC)
            m_documentNumber = ++g_outputCounter;
        else if (mode == QEL_FCM_ALL || mode == QEL_FCM_DOC_MERGE)
            m_documentNumber = 1;
        else
            m_documentNumber = document->getNumber();
        char* base = formatBaseName(1, m_documentNumber, document->getName());
        if (base) {
            std::string name = std::string(base) + "." + outputExtension();
            setOutputFileName(name.c_str());
            document->setSimpleFilename(base);
            delete[] base;
        }
    } else if (document->getOutputFilename()) {
        setOutputFileName(document->getOutputFilename());
    } else {
        int pageId = 0;
        int number = 0;
        const char* spool = document->getName();
        switch (mode) {
        case QEL_FCM_ALL:
            break;
        case QEL_FCM_PAGE:
            pageId = 1;
            number = ++g_outputCounter;
            break;
        case QEL_FCM_DOC_INDEX:
        case QEL_FCM_DOC_COLD:
            number = document->getNumber();
            break;
        case QEL_FCM_DOC_MERGE:
            number = ++g_outputCounter;
            spool = "Merge";
            break;
        default:
            number = unique ? ++g_outputCounter : 0;
            break;
        }
        m_documentNumber = number;
        char* base = formatBaseName(pageId, number, spool);
        if (base) {
            std::string name = std::string(base) + "." + outputExtension();
            document->setSimpleFilename(base);
            setOutputFileName(name.c_str());
            document->setOutputFilename(name.c_str());
            delete[] base;
        }
    }
    clearPageState();
    trace("[qelVisitor]: End: initializeDoc\n");
    return 1;
}

void qelVisitor::initializePage(qelPage* page)
{
    if (m_statisticCounting)
        qelStatistic::countPage();
    clearPageState();
    m_currentFont = NO_FONT;
    m_loggedFont = NO_FONT;
    m_lastLoggedColorSpace = 0;
    m_lastLoggedColor = 0;
    if (m_options && m_options->isPageOutput() && page) {
        m_outputBuffer = nullptr;
        if (!page->getSimpleFilename()) {
            const int mode = m_options->getFileCreationMode();
            int pageId = 0;
            const char* spool = getDocumentName();
            switch (mode) {
            case QEL_FCM_ALL: pageId = m_pageCount; break;
            case QEL_FCM_PAGE: pageId = 1; break;
            case QEL_FCM_DOC_MERGE:
                pageId = m_pageCount;
                spool = "Merge";
                break;
            case QEL_FCM_DOC:
            case QEL_FCM_DOC_INDEX:
            case QEL_FCM_DOC_COLD: pageId = m_pageNumber; break;
            default: break;
            }
            char* base = formatBaseName(pageId, m_documentNumber, spool);
            if (base) {
                std::string name = std::string(base) + "." + outputExtension();
                page->setSimpleFilename(base);
                page->setOutputFilename(name.c_str());
                delete[] base;
            }
        }
    }
    m_currentPage = page;
}

void qelVisitor::writeBeginControlObject(qelBeginControlObject*) {}
void qelVisitor::writeEndControlObject(qelEndControlObject*) {}

void qelVisitor::writeContainerObject(qelContainerObject* object)
{
    if (!object)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool->getIni();
    if (!object->isRasterType()) {
        static const char kText[] = "Warning! Object Container Data is not a supported Image Format. Cannot process.\r\n";
        qelLogStream* log = pool->getLogStream();
        if (log && log->anyOf(QEL_LOG_LEVEL2))
            log->print("%s", kText);
        if (!ini || !ini->isQuietMode())
            qelMessageOutput::write("Warning! Object Container Data is not a supported Image Format. Cannot process.\n");
        return;
    }
    if (ini && ini->isSaveOCDataOnDisk()) {
        // Counted as on disk only once its file is written: a failed save
        // keeps the data in memory.
        if (!object->isOnDisk() && object->saveData())
            object->prepareForOutput(this);
        object->prepareForOutput(this);
        writeContainerData(object);
        return;
    }
    object->prepareForOutput(this);
    writeObjectReference(object);
}

void qelVisitor::finalizeDoc()
{
    clearPageState();
}

qelList* qelVisitor::getPageSlices(qelPage*) { return nullptr; }
qelList* qelVisitor::getPageImageBlocks(qelPage*) { return nullptr; }

int qelVisitor::getOutputCounter() { return g_outputCounter; }
void qelVisitor::setOutputCounter(int value) { g_outputCounter = value; }
// One set of counters: the run statistic's per-input counters.
int qelVisitor::getProcessedDocuments() { return qelStatistic::getDocumentCount(); }
int qelVisitor::getProcessedPages() { return qelStatistic::getPageCount(); }

void qelVisitor::resetRunCounters()
{
    qelStatistic::resetCounters();
}

// --- geometry ------------------------------------------------------------------

void qelVisitor::computeTextPosition(qelGraphicObject* object)
{
    if (!object || !m_transformer)
        return;
    qelPageCoordinateTransformer* t = m_transformer;
    const float r = object->getResolution() ? static_cast<float>(t->getResolution()) / object->getResolution() : 1.0f;
    const qelPoint origin = object->getOriginOffset();
    t->setOrientation(0, 90);
    if (object->getAbsoluteInlineFlag()) {
        t->setInlinePosition(r * object->getX() + origin.x);
        if (m_pageOffset.x != 0)
            t->moveInline(static_cast<float>(m_pageOffset.x));
    }
    if (object->getAbsoluteBaselineFlag()) {
        t->setBaselinePosition(r * object->getY() + origin.y);
        if (m_pageOffset.y != 0)
            t->moveBaseline(static_cast<float>(m_pageOffset.y));
    }
    t->setOrientation(object->getIAxisOrientation(), object->getBAxisOrientation());
    if (object->getRelativeInlineFlag())
        t->moveInline(r * object->getRelativeInline());
    if (object->getRelativeBaselineFlag())
        t->moveBaseline(r * object->getRelativeBaseline());
    object->setAreaOrigin(0.0f, 0.0f);
    object->setIncludeOffset(0.0f, 0.0f);
}

namespace
{
// The origin offsets along the inline and the baseline axis.
void axisOrigins(int i, int b, qelPoint origin, float& inlineOrigin, float& baselineOrigin)
{
    inlineOrigin = 0.0f;
    baselineOrigin = 0.0f;
    if (!qelPageCoordinateTransformer::isValidOrientation(i, b))
        return;
    if (i == 0 || i == 180) {
        inlineOrigin = origin.x;
        baselineOrigin = origin.y;
    } else {
        inlineOrigin = origin.y;
        baselineOrigin = origin.x;
    }
}

// Places value t along an axis of the given orientation.
void placeAlong(int orientation, float origin, float scaled, const qelPageOffset& offset, qelPoint& p)
{
    switch (orientation) {
    case 0:
        p.x = origin + scaled + (offset.x != 0 ? offset.x : 0);
        break;
    case 90:
        p.y = origin + scaled + (offset.y != 0 ? offset.y : 0);
        break;
    case 180:
        p.x = origin - scaled - (offset.x != 0 ? offset.x : 0);
        break;
    case 270:
        p.y = origin - scaled - (offset.y != 0 ? offset.y : 0);
        break;
    default:
        break;
    }
}
}

qelPoint qelVisitor::computeLinePosition(qelGraphicObject* line, float u, float v, qelPoint point)
{
    if (!line || !m_transformer)
        return point;
    qelPageCoordinateTransformer* t = m_transformer;
    const int i = line->getIAxisOrientation();
    const int b = line->getBAxisOrientation();
    t->setOrientation(i, b);
    const float r = line->getResolution() ? static_cast<float>(t->getResolution()) / line->getResolution() : 1.0f;
    float inlineOrigin;
    float baselineOrigin;
    axisOrigins(i, b, line->getOriginOffset(), inlineOrigin, baselineOrigin);
    if (line->getAbsoluteInlineFlag())
        placeAlong(i, inlineOrigin, u * r, m_pageOffset, point);
    if (line->getAbsoluteBaselineFlag())
        placeAlong(b, baselineOrigin, v * r, m_pageOffset, point);
    if (t->getAxisMode() == 0)
        point.y = t->getPageHeight() - point.y;
    t->setPosition(point);
    return point;
}

qelPoint qelVisitor::transformPoint(float scale, qelPoint origin, qelPoint point)
{
    if (!m_transformer)
        return qelPoint{point.x * scale + origin.x, point.y * scale + origin.y};
    qelPageCoordinateTransformer* t = m_transformer;
    const qelPoint saved = t->getPosition();
    t->setPosition(point.x * scale + origin.x, point.y * scale + origin.y);
    if (m_pageOffset.x != 0)
        t->moveInline(static_cast<float>(m_pageOffset.x));
    if (m_pageOffset.y != 0)
        t->moveBaseline(static_cast<float>(m_pageOffset.y));
    const qelPoint result = t->getPosition();
    t->setPosition(saved);
    return result;
}

int qelVisitor::getPageRotation(int pageWidth, int pageHeight)
{
    const int value = m_options ? static_cast<uint16_t>(m_options->getPageRotation()) : 0;
    switch (value) {
    case 0:
    case 90:
    case 180:
    case 270:
        return value;
    case 362: // portrait
        return pageWidth >= pageHeight ? 90 : 0;
    case 363: // landscape
        return pageWidth < pageHeight ? 90 : 0;
    default: // 360 among them
        return 0;
    }
}

void qelVisitor::checkPageBounds(qelPoint start, qelPoint end, int rotation, const char* name, int kind)
{
    const float w = static_cast<float>(m_pageWidth);
    const float h = static_cast<float>(m_pageHeight);
    bool out = false;
    switch (rotation) {
    case 0:
    case 360: out = start.x < 0 || end.x > w || start.y < 0 || end.y > h; break;
    case 90: out = end.y < 0 || start.y > h || end.x < 0 || start.x > w; break;
    case 180: out = start.x > w || end.x < 0 || start.y > h || end.y < 0; break;
    case 270: out = start.y < 0 || end.y > h || start.x < 0 || end.x > w; break;
    default: break;
    }
    if (!out || !m_log || m_log->noneOf(QEL_LOG_LEVEL2))
        return;
    const char* kindText = "";
    switch (kind) {
    case 0: kindText = "Text"; break;
    case 1: kindText = "Line"; break;
    case 2: kindText = "Image"; break;
    case 7: kindText = "Object Container"; break;
    case 9: kindText = "GOCA Area"; break;
    case 10: kindText = "GOCA Box"; break;
    case 11: kindText = "GOCA Curved Line"; break;
    case 12: kindText = "GOCA Full Arc"; break;
    case 13: kindText = "GOCA Partial Arc"; break;
    case 14: kindText = "GOCA Fillet"; break;
    case 15: kindText = "GOCA Marker"; break;
    case 16: kindText = "Barcode"; break;
    default: break;
    }
    m_log->printLine("Warning! %s %sObject is Out Of Page Bounds St.pos:(%ld,%ld)  End.pos:(%ld,%ld)", name ? name : "",
                     kindText, static_cast<long>(start.x), static_cast<long>(start.y), static_cast<long>(end.x),
                     static_cast<long>(end.y));
}

void qelVisitor::sampleCurve(qelPoint p0, qelPoint p1, qelPoint p2, qelPoint p3, int count, bool first)
{
    if (count < 2)
        count = 2;
    const double cx = 3.0 * (p1.x - p0.x);
    const double cy = 3.0 * (p1.y - p0.y);
    const double bx = 3.0 * (p2.x - p1.x) - cx;
    const double by = 3.0 * (p2.y - p1.y) - cy;
    const double ax = p3.x - p0.x - cx - bx;
    const double ay = p3.y - p0.y - cy - by;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / (count - 1);
        const double x = ((ax * t + bx) * t + cx) * t + p0.x;
        const double y = ((ay * t + by) * t + cy) * t + p0.y;
        writeGraphicsLine(static_cast<float>(x), static_cast<float>(y), i == 0 ? first : true);
    }
}

qelPoint fitSizeKeepingAspect(qelPoint size, qelPoint box)
{
    if (size.x <= 0.0f || size.y <= 0.0f)
        return qelPoint{};
    const float c = box.y / size.y * size.x;
    const float d = box.x / size.x * size.y;
    if (size.x > size.y)
        return (box.y < d) ? qelPoint{c, box.y} : qelPoint{box.x, d};
    return (c <= box.x) ? qelPoint{c, box.y} : qelPoint{box.x, d};
}

qelImgDIB* qelVisitor::resizeImage(qelImgDIB* bitmap, qelOutputScale* scale)
{
    if (!bitmap || !bitmap->header || !scale || !m_options)
        return nullptr;
    if (!scale->appliesToSize(static_cast<float>(bitmap->header->biWidth), static_cast<float>(bitmap->header->biHeight)))
        return nullptr;
    const int width = qelUtils::roundHalfDown(scale->getWidth());
    const int height = qelUtils::roundHalfDown(scale->getHeight());
    const int filter = scale->getCondition() == qelOutputScale::COND_GT ? m_options->getImageShrinkFilter()
                                                                        : m_options->getImageStretchFilter();
    return qelImgProcessor::resize("ncoImage", bitmap, width, height, filter);
}

namespace
{
long millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}
}

qelImgDIB* qelVisitor::applyThreshold(qelImgDIB* bitmap)
{
    if (!bitmap || !m_options)
        return nullptr;
    const int sampler = m_options->getBWSampler();
    if (sampler == 101) {
        const auto start = std::chrono::steady_clock::now();
        qelImgDIB* out = qelImgProcessor::adaptiveThreshold(bitmap);
        if (m_log && m_log->anyOf(0x800EFFF))
            m_log->print("\n-->Adaptive threshold applied on page bitmap in %ld milliseconds", millisecondsSince(start));
        if (out)
            return out;
    }
    if (sampler < 1 || sampler > 100)
        return nullptr;
    const auto start = std::chrono::steady_clock::now();
    qelImgDIB* out = qelImgProcessor::threshold(bitmap, static_cast<unsigned char>(sampler));
    if (m_log && m_log->anyOf(0x800EFFF))
        m_log->print("\n-->Threshold (%d) applied on page bitmap in %ld milliseconds", sampler, millisecondsSince(start));
    return out;
}
