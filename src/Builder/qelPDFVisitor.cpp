#include "qelPDFVisitor.h"

#include "Comment.h"
#include "qelAnnotationObject.h"
#include "qelAreaObject.h"
#include "qelBoxObject.h"
#include "qelDocument.h"
#include "qelFilletObject.h"
#include "qelFullArcObject.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelColorEntry.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelList.h"
#include "qelMarkerObject.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPartialArcObject.h"
#include "qelString.h"
#include "qelUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using de::orvo::ips::metainfo::Comment;

namespace
{
// One PDF visitor owns the open document context at a time; the library
// callbacks reach it only through this pointer.
qelPDFVisitor* g_currentPDFVisitor = nullptr;
// Allocation failures reported by the library (level -99).
std::string g_pdfErrorText;
// Keeps the text thrown for an allocation failure alive for the catcher.
std::string g_thrownErrorText;

const double kPi = 3.14159265358979323846;
const double kDegree = kPi / 180.0;

// printf into a growable text; the arguments are not consumed.
std::string formatText(const char* format, va_list args)
{
    if (!format)
        return std::string();
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    va_copy(copy, args);
    std::vsnprintf(&text[0], text.size(), format, copy);
    va_end(copy);
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string libraryMessage(int level, const char* module, const char* format, va_list args)
{
    std::string text = "\nModule Name: ";
    text += module ? module : "";
    text += "\nLevel Number: " + std::to_string(level) + "\nMsg: ";
    text += formatText(format, args);
    text += ".\n";
    return text;
}

// Makes an E086 from a library message; null when that fails.
qelException* libraryException(const std::string& text)
{
    try {
        return new qelException(__FILE__, __LINE__, qelMsg::E086, 0, true, text.c_str());
    } catch (...) {
        return nullptr;
    }
}

// Library-wide error callback: the first error of a call wins.
int pdfLibraryErrorCallback(int level, const char* module, const char* format, va_list args)
{
    try {
        const std::string text = libraryMessage(level, module, format, args);
        if (level == -99) {
            g_pdfErrorText = text;
            return level;
        }
        if (g_currentPDFVisitor && !g_currentPDFVisitor->getPendingException()) {
            if (qelException* e = libraryException(text))
                g_currentPDFVisitor->setPendingException(e);
        }
    } catch (...) {
        // Nothing may leave a C callback.
    }
    return level;
}

// Document error callback: the last error of a call wins.
int pdfDocumentErrorCallback(PDFDocContext*, int level, const char* module, const char* format, va_list args)
{
    try {
        const std::string text = libraryMessage(level, module, format, args);
        if (level == -99) {
            g_pdfErrorText = text;
            return level;
        }
        if (g_currentPDFVisitor) {
            if (qelException* e = libraryException(text))
                g_currentPDFVisitor->setPendingException(e);
        }
    } catch (...) {
    }
    return level;
}

int pdfLibraryWarningCallback(int level, const char* module, const char* format, va_list args)
{
    (void)module;
    try {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (!ini || !ini->isQuietMode()) {
            std::string text = "Warning! " + formatText(format, args) + ".\n";
            qelMessageOutput::write(text.c_str());
        }
    } catch (...) {
    }
    return level;
}

const char* nameOf(const char* text) { return text ? text : ""; }

float component(uint32_t value, int shift) { return static_cast<float>((value >> shift) & 0xFF) / 255.0f; }

// Grey of a model colour as the grey operators write it.
double greyOf(int type, uint32_t value, uint8_t coverage)
{
    const float c0 = component(value, 0), c1 = component(value, 8), c2 = component(value, 16),
                c3 = component(value, 24);
    if (type == 2)
        return 1.0 - std::min(1.0, 0.299 * c3 + 0.587 * c2 + 0.114 * c1 + static_cast<double>(c0));
    float r = c0, g = c1, b = c2;
    if (type == 3 && coverage >= 1 && coverage <= 100) {
        r = r + (1.0f - r) / 100.0f * (100 - coverage);
        g = g + (1.0f - g) / 100.0f * (100 - coverage);
        b = b + (1.0f - b) / 100.0f * (100 - coverage);
    }
    return 0.3 * r + 0.59 * g + 0.11 * b;
}

void logLine(qelLogStream* log, unsigned mask, const char* text)
{
    if (log && log->anyOf(mask))
        log->print("%s", text);
}
}

// --- construction ---------------------------------------------------------------

qelPDFVisitor::qelPDFVisitor()
{
    g_pdfErrorText.clear();
    setOutputType("pdf");
    g_currentPDFVisitor = this;
    setInArea(false);
    setCurrentFont(NO_FONT);
    resetColorState();
}

qelPDFVisitor::~qelPDFVisitor()
{
    if (m_doc) {
        // cleanup did not run: drop the document without writing it.
        abortOutput();
    }
    if (g_currentPDFVisitor == this)
        g_currentPDFVisitor = nullptr;
}

void qelPDFVisitor::resetColorState()
{
    m_strokeSpace = 5;
    m_fillSpace = 5;
    m_strokeValue = 0;
    m_fillValue = 0;
    m_colorSpaceName = "RGB";
}

// --- error idiom ----------------------------------------------------------------

void qelPDFVisitor::checkLibraryError(const char* name) { checkLibraryError(name, 0); }

void qelPDFVisitor::checkLibraryError(const char* name, long rc)
{
    if (!g_currentPDFVisitor)
        return;
    qelException* e = g_currentPDFVisitor->takePendingException();
    // The common case, nothing to report, builds no text.
    if (!e && g_pdfErrorText.empty())
        return;
    std::string suffix = "\nFunction Name : ";
    suffix += nameOf(name);
    if (rc != 0)
        suffix += "\nReturn Code : " + std::to_string(rc) + "\n";
    if (e) {
        e->appendMessage(suffix.c_str());
        throw e;
    }
    if (!g_pdfErrorText.empty()) {
        g_thrownErrorText = g_pdfErrorText + suffix;
        g_pdfErrorText.clear();
        throw g_thrownErrorText.c_str();
    }
}

// --- document -------------------------------------------------------------------

PDFDocLimits qelPDFVisitor::computeDocLimits(const qelIni* options, int pageCount)
{
    int configured[6] = {0, 0, 0, 0, 0, 0};
    bool single = false;
    bool streaming = true;
    if (options) {
        if (const int* values = options->getPDFDocLimits())
            for (int i = 0; i < 6; ++i)
                configured[i] = values[i] > 0 ? values[i] : 0;
        // A single 0 is the unset option: the list defaults apply.
        single = options->isPDFDocLimitsSingle() && configured[0] > 0;
        const int mode = options->getFileCreationMode();
        streaming = mode != QEL_FCM_DOC_INDEX && mode != QEL_FCM_DOC_COLD;
    }
    auto orElse = [](int value, long long fallback) {
        return value != 0 ? static_cast<long long>(value) : fallback;
    };
    long long pages;
    if (single)
        pages = streaming ? static_cast<long long>(configured[0]) * 100 : configured[0] + static_cast<long long>(pageCount);
    else
        pages = streaming ? orElse(configured[0], 20000) : configured[0] + static_cast<long long>(pageCount);
    const long long fonts = single ? 200 : orElse(configured[1], 200);
    const long long images = single ? pages * 25 : orElse(configured[2], pages * 25);
    const long long annots = single ? pages : orElse(configured[3], pages);
    const long long objects = single ? pages * 50 : orElse(configured[4], pages * 50);
    const long long patterns = orElse(configured[5], 16);
    auto clampInt = [](long long v) { return static_cast<int32_t>(std::min<long long>(std::max<long long>(v, 0), INT32_MAX)); };
    PDFDocLimits limits;
    limits.MaxPages = clampInt(pages);
    limits.MaxFonts = clampInt(fonts);
    limits.MaxImages = clampInt(images);
    limits.MaxAnnots = clampInt(annots);
    limits.MaxObjects = clampInt(objects);
    limits.MaxPatterns = clampInt(patterns);
    return limits;
}

int qelPDFVisitor::createPDFDoc()
{
    trace("[qelPDFVisitor]: Begin: createPDFDoc\n");
    if (m_doc) {
        trace("[qelPDFVisitor]: End(E1): createPDFDoc\n");
        return -1;
    }
    // Our handlers replace the library defaults, which end the process.
    m_savedGlobalError = opdf_setGlobalErrorHandler(pdfLibraryErrorCallback);
    m_savedGlobalWarning = opdf_setGlobalWarningHandler(pdfLibraryWarningCallback);
    m_savedDocError = nullptr;
    m_callbacksSaved = true;
    const PDFDocLimits limits = computeDocLimits(getOptions(), m_documentPageCount);
    qelLogStream* log = getLog();
    if (log && log->isExactly(QEL_LOG_ALL))
        log->print("\nPDFDocLimits=>MaxPages=%u, MaxFonts=%u, MaxImages=%u, MaxAnnots=%u, MaxObjects=%u, MaxPatterns=%u",
                   static_cast<unsigned>(limits.MaxPages), static_cast<unsigned>(limits.MaxFonts),
                   static_cast<unsigned>(limits.MaxImages), static_cast<unsigned>(limits.MaxAnnots),
                   static_cast<unsigned>(limits.MaxObjects), static_cast<unsigned>(limits.MaxPatterns));
    m_doc = opdf_open(0, &limits);
    if (m_doc)
        m_savedDocError = opdf_setErrorHandler(m_doc, pdfDocumentErrorCallback);
    checkLibraryError("createPDFDoc()->opdf_open()");
    if (!m_doc) {
        restoreCallbacks();
        trace("[qelPDFVisitor]: End(E2): createPDFDoc\n");
        throw new qelException(__FILE__, __LINE__, qelMsg::E057, 0, true);
    }
    m_savedDomain = nullptr;
    m_savedDomainKnown = false;
    m_fileOutput = false;
    trace("[qelPDFVisitor]: End: createPDFDoc\n");
    return 1;
}

int qelPDFVisitor::initPDFDoc()
{
    trace("[qelPDFVisitor]: Begin: initPDFDoc\n");
    if (!m_doc) {
        trace("[qelPDFVisitor]: End(E1): initPDFDoc\n");
        return -1;
    }
    qelIni* ini = getOptions();
    if (ini && ini->isDevTest())
        opdf_setOmitVariableInfo(m_doc, 1);
    opdf_setErrorHandler(m_doc, pdfDocumentErrorCallback);
    if (ini) {
        const char* owner = ini->getOwnerPassword();
        const char* user = ini->getUserPassword();
        if ((owner && *owner) || (user && *user)) {
            // The writer library has no encryption: refuse rather than
            // write an unprotected file.
            trace("[qelPDFVisitor]: End(E2): initPDFDoc\n");
            char text[96];
            std::snprintf(text, sizeof text, "Unable to set encrpyt options, failed with return code %d", -1);
            throw new qelException(__FILE__, __LINE__, qelMsg::E086, 0, true, text);
        }
        const char* fontPath = ini->getExtFontPath();
        if (fontPath)
            opdf_setFontDirectories(m_doc, fontPath, fontPath);
        if (ini->isPDFCompression())
            opdf_setCompression(m_doc, 1);
        if (!ini->isMemoryOutputStream()) {
            if (ini->isStdOut()) {
                opdf_setOutputFile(m_doc, "-");
            } else {
                opdf_setOutputFile(m_doc, getOutputFileName());
                m_fileOutput = getOutputFileName() != nullptr;
            }
        }
        if (ini->isFlush()) {
            opdf_setTempDirectory(m_doc, ini->getTempPath());
            opdf_setContentInMemory(m_doc, 0);
        }
    }
    opdf_init(m_doc);
    checkLibraryError("InitPDFDoc()->opdf_init()");
    if (ini && ini->isPDFBookMark() && !m_outlines)
        m_outlines.reset(new qelPDFOutlineTree(m_doc));
    if (ini) {
        opdf_setAuthor(m_doc, ini->getCreator());
        opdf_setCreator(m_doc, ini->getVersionText());
        opdf_setTitle(m_doc, ini->getTitle());
        opdf_setSubject(m_doc, ini->getSubject());
        opdf_setKeywords(m_doc, ini->getKeywords());
        const unsigned ui = ini->getPDFUIOptions();
        const unsigned win = ini->getPDFWinOptions();
        if (ui != 0 || win != 0) {
            PDFViewerPreferences prefs{};
            prefs.PageMode = (win & 4) ? 3 : 0;
            prefs.HideToolbar = static_cast<int32_t>(ui & 2);
            prefs.HideMenubar = static_cast<int32_t>(ui & 1);
            prefs.HideWindowUI = static_cast<int32_t>(ui & 4);
            prefs.FitWindow = static_cast<int32_t>(win & 1);
            prefs.CenterWindow = static_cast<int32_t>(win & 2);
            prefs.DisplayDocTitle = static_cast<int32_t>(win & 8);
            opdf_setViewerPreferences(m_doc, &prefs);
        }
        opdf_setJPEGQuality(m_doc, static_cast<unsigned>(ini->getJPEGQuality()));
    }
    trace("[qelPDFVisitor]: End: initPDFDoc\n");
    return 1;
}

int qelPDFVisitor::initializeDoc(qelDocument* document)
{
    trace("[qelPDFVisitor]: Begin: initializeDoc\n");
    if (!document) {
        trace("[qelPDFVisitor]: End(E1): initializeDoc\n");
        return -1;
    }
    m_documentPage = 0;
    qelVisitor::initializeDoc(document);
    m_documentPageCount = std::max(0, document->getPageCount());
    if (createPDFDoc() > 0)
        initPDFDoc();
    // The document's bookmarks point to the page its first page becomes.
    if (qelList* bookmarks = document->takeBookmarkTree())
        outlineTree()->merge(bookmarks, m_outputPage + 1);
    addDocumentComments(document);
    trace("[qelPDFVisitor]: End: initializeDoc\n");
    return 1;
}

void qelPDFVisitor::addDocumentComments(qelDocument* document)
{
    for (Comment* c = document->getFirstComment(); c; c = document->getNextComment()) {
        const int rc = opdf_addDocumentComment(m_doc, c->getValue());
        if (rc < 0) {
            if (qelLogStream* log = getLog(); log && log->anyOf(QEL_LOG_GENERAL))
                log->printLine("Error! Unable to add document comment (%s), rc=%d", nameOf(c->getValue()), rc);
            break;
        }
    }
}

void qelPDFVisitor::addPageComments(qelPage* page)
{
    for (Comment* c = page->getFirstComment(); c; c = page->getNextComment()) {
        const int rc = opdf_addPageComment(m_doc, c->getValue(), m_outputPage);
        if (rc < 0) {
            if (qelLogStream* log = getLog(); log && log->anyOf(QEL_LOG_GENERAL))
                log->printLine("Error! Unable to add page comment (%s), rc=%d", nameOf(c->getValue()), rc);
            break;
        }
    }
}

// --- pages ----------------------------------------------------------------------

int qelPDFVisitor::configuredRotationCode(int width, int height) const
{
    const int value = getOptions() ? getOptions()->getPageRotation() : 0;
    switch (value) {
    case 90: return 2;
    case 180: return 3;
    case 270: return 1;
    case 363: return width < height ? 1 : -1;
    default: return 0;
    }
}

void qelPDFVisitor::initializePage(qelPage* page)
{
    if (!page)
        return;
    m_textScaling = 100.0f;
    setCurrentFont(NO_FONT);
    m_currentCodedFont = nullptr;
    resetPageOffset();
    setOutputPageSize(0, 0, getOutputResolution());
    ++m_outputPage;
    ++m_documentPage;
    // Page bookmarks point to the page's place in the output.
    if (qelList* bookmarks = page->takeBookmarkTree())
        outlineTree()->merge(bookmarks, m_outputPage);

    qelMedia* media = dynamic_cast<qelMedia*>(page);
    int rotation = page->getRotation();
    int code = rotation == 90 ? 2 : rotation == 180 ? 3 : rotation == 270 ? 1 : rotation == 0 ? 0 : -1;
    const int configured = getOptions() ? getOptions()->getPageRotation() : 0;
    // Portrait and landscape leave an unrotated page to the page's shape.
    const bool shapeRule = code == 0 && (configured == 362 || configured == 363);

    int width = 0, height = 0, resolution = 0;
    bool newDomain = false;
    bool known = true;
    const int kind = page->kind();
    if (kind == qelPage::KIND_AFP && media) {
        qelVisitor::initializePage(page);
        width = static_cast<int>(media->getWidth());
        height = static_cast<int>(media->getHeight());
        resolution = media->getResolution() ? media->getResolution() : 240;
        newDomain = resolution != m_lastResolution;
        // The page extent covers the medium the page is printed on.
        width = std::max(width, static_cast<int>(page->getExtentWidth()));
        height = std::max(height, static_cast<int>(page->getExtentHeight()));
        if (shapeRule)
            code = configuredRotationCode(width, height);
    } else if ((kind == qelPage::KIND_TIFF || kind == qelPage::KIND_IPS) && media) {
        qelVisitor::initializePage(page);
        width = static_cast<int>(media->getWidth());
        height = static_cast<int>(media->getHeight());
        resolution = media->getResolution();
        const bool lineData = media->getMediaKind() == qelMedia::KIND_LINE_DATA_PAGE;
        if (resolution == 0)
            resolution = lineData ? 72 : 240;
        if (lineData && shapeRule)
            code = configuredRotationCode(width, height);
        newDomain = m_documentPage == 1;
    } else {
        known = false;
    }
    if (resolution == 0)
        resolution = 240;
    setOutputPageSize(width, height, resolution);
    const float pointWidth = known ? static_cast<float>(width) / resolution * 72.0f : 0.0f;
    const float pointHeight = known ? static_cast<float>(height) / resolution * 72.0f : 0.0f;
    if (known) {
        char box[96];
        std::snprintf(box, sizeof box, "0 0 %f %f", static_cast<double>(pointWidth),
                      static_cast<double>(pointHeight));
        const int rc = opdf_pageInit(m_doc, m_outputPage, code, box, box);
        checkLibraryError("initializePage()->opdf_pageInit()", rc);
        if (kind != qelPage::KIND_TIFF && getOptions() && getOptions()->isPDFBookMark())
            outlineTree()->addPageBookmarks(page, m_outputPage, getOptions()->getFileCreationMode());
    }
    const bool transparent = getOptions() && getOptions()->hasSwitch("Transparent");
    if (transparent) {
        m_blendMode = 1;
        opdf_setBlendMode(m_doc, 1);
        checkLibraryError("initializePage()->opdf_setBlendMode(1)");
    }
    const int rc = opdf_setCurrentPage(m_doc, m_outputPage);
    checkLibraryError("initializePage()->opdf_setCurrentPage( 2 )", rc);
    const bool merge = getOptions() && getOptions()->getFileCreationMode() == QEL_FCM_DOC_MERGE;
    if (newDomain || !m_domain || (merge && m_documentPage == 1)) {
        // The new domain is current before the old one goes, so that the
        // library never points to a freed domain.
        PDFPlotDomain* old = m_domain;
        createAndSetPlotDomain(pointWidth, pointHeight, width, height);
        if (old && old != m_domain)
            opdf_free(old);
    } else {
        rememberPageDomain(opdf_setPlotDomain(m_doc, m_domain));
    }
    m_lastResolution = resolution;
    addPageComments(page);
    resetColorState();
    paintPageBackground(page);
}

void qelPDFVisitor::paintPageBackground(qelPage* page)
{
    uint8_t space = 0;
    int32_t value = 0;
    page->getBackgroundColor(space, value);
    if (space == 0)
        return;
    opdf_gsave(m_doc);
    checkLibraryError("initializePage()->opdf_gsave()");
    // The colour goes before the path: a colour operator between a path
    // and its painting operator is not allowed.
    setOPDFColor(space, static_cast<uint32_t>(value), 1, 0, 0);
    opdf_rect(m_doc, 0.0f, 0.0f, static_cast<float>(getOutputPageWidth()),
              static_cast<float>(getOutputPageHeight()));
    checkLibraryError("initializePage()->opdf_rect()");
    opdf_fill(m_doc);
    checkLibraryError("initializePage()->opdf_fill()");
    opdf_grestore(m_doc);
    checkLibraryError("initializePage()->opdf_grestore()");
}

qelPageCoordinateTransformer* qelPDFVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (t)
        t->setAxisMode(0);
    return t;
}

void qelPDFVisitor::createAndSetPlotDomain(float pointWidth, float pointHeight, int unitWidth, int unitHeight)
{
    if (unitWidth <= 0)
        unitWidth = getOutputPageWidth();
    if (unitHeight <= 0)
        unitHeight = getOutputPageHeight();
    if (!m_doc)
        return;
    PDFPlotDomain* domain = opdf_createPlotDomain(0.0f, 0.0f, pointWidth, pointHeight, 0.0f,
                                                  static_cast<float>(unitWidth), 0.0f,
                                                  static_cast<float>(unitHeight), 0, 0, 0);
    checkLibraryError("createAndSetPlotDomain()->opdf_createPlotDomain()");
    if (!domain)
        return;
    rememberPageDomain(opdf_setPlotDomain(m_doc, domain));
    m_domain = domain;
}

// Remembers the domain that was current before ours once per page: the
// library's own domain of the page, never one the visitor made.
void qelPDFVisitor::rememberPageDomain(PDFPlotDomain* previous)
{
    if (m_savedDomainKnown || previous == m_domain)
        return;
    m_savedDomain = previous;
    m_savedDomainKnown = true;
}

void qelPDFVisitor::freePlotDomain()
{
    if (!m_domain)
        return;
    if (m_doc)
        opdf_setPlotDomain(m_doc, m_savedDomainKnown ? m_savedDomain : nullptr);
    opdf_free(m_domain);
    m_domain = nullptr;
}

void qelPDFVisitor::finalizePage()
{
    if (getOptions() && getOptions()->hasSwitch("Transparent")) {
        m_blendMode = 0;
        opdf_setBlendMode(m_doc, 0);
        checkLibraryError("finalizePage()->opdf_setBlendMode(1)");
    }
    opdf_finalizePage(m_doc, m_outputPage);
    // The library frees the page's own plot domain with the page.
    m_savedDomain = nullptr;
    m_savedDomainKnown = false;
    checkLibraryError("finalizePage()->opdf_finalizePage()");
}

void qelPDFVisitor::finalizeDoc() { qelVisitor::finalizeDoc(); }

void qelPDFVisitor::restoreCallbacks()
{
    if (!m_callbacksSaved)
        return;
    opdf_setGlobalErrorHandler(m_savedGlobalError);
    opdf_setGlobalWarningHandler(m_savedGlobalWarning);
    if (m_doc)
        opdf_setErrorHandler(m_doc, m_savedDocError);
    m_savedGlobalError = nullptr;
    m_savedGlobalWarning = nullptr;
    m_savedDocError = nullptr;
    m_callbacksSaved = false;
}

void qelPDFVisitor::abortOutput()
{
    m_outlines.reset();
    m_barcodeImages.clear();
    m_outputPage = 0;
    m_documentPage = 0;
    if (m_fileOutput && getOutputFileName())
        qelUtils::deleteFile(getOutputFileName());
    m_fileOutput = false;
    if (!m_doc)
        return;
    freePlotDomain();
    // The document goes without our handlers: nothing is reported any more.
    opdf_setErrorHandler(m_doc, nullptr);
    restoreCallbacks();
    opdf_close(m_doc);
    m_doc = nullptr;
    m_savedDomainKnown = false;
    m_savedDomain = nullptr;
}

void qelPDFVisitor::throwWriteError()
{
    const char* file = nullptr;
    const int error = opdf_getWriteError(m_doc, &file);
    if (error == 0)
        return;
    // The library's report of it is superseded.
    delete takePendingException();
    g_pdfErrorText.clear();
    const char* name = getOutputFileName();
    throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, name && *name ? name : file ? file : "",
                           std::strerror(error));
}

void qelPDFVisitor::cleanup()
{
    if (!m_doc)
        return;
    if (getErrorState()) {
        abortOutput();
        return;
    }
    try {
        if (m_outlines) {
            m_outlines->setContext(m_doc);
            m_outlines->writeOutlines(m_outlines->getRoot(), nullptr, m_outputPage);
        }
        freePlotDomain();
        const int rc = opdf_finalizeAll(m_doc);
        throwWriteError();
        checkLibraryError("cleanup()->opdf_finalizeAll()", rc);
        if (getOptions() && getOptions()->isMemoryOutputStream()) {
            unsigned length = 0;
            const unsigned char* data = opdf_getMemoryOutput(m_doc, &length);
            if (data && length > 0 && length <= static_cast<unsigned>(INT32_MAX))
                setOutputBufferWithLength(data, static_cast<int>(length));
        }
        opdf_setErrorHandler(m_doc, nullptr);
        PDFDocContext* doc = m_doc;
        restoreCallbacks();
        m_doc = nullptr;
        m_savedDomainKnown = false;
        m_savedDomain = nullptr;
        opdf_close(doc);
        checkLibraryError("cleanup()->opdf_close()");
        m_outlines.reset();
        m_barcodeImages.clear();
        m_outputPage = 0;
        m_documentPage = 0;
        if (getErrorState() && m_fileOutput && getOutputFileName())
            qelUtils::deleteFile(getOutputFileName());
        m_fileOutput = false;
    } catch (...) {
        abortOutput();
        throw;
    }
}

// --- colours ----------------------------------------------------------------------

const char* qelPDFVisitor::setOPDFColor(int type, uint32_t value, int flags, uint8_t coverage, uint8_t)
{
    qelIni* ini = getOptions();
    const bool transparent = ini && ini->hasSwitch("Transparent");
    int rl = 0, gl = 0, bl = 0;
    if (transparent && ini) {
        if (const qelColorEntry* limit = ini->getLightColorLimit()) {
            rl = limit->getRed();
            gl = limit->getGreen();
            bl = limit->getBlue();
        }
    }
    const bool fill = (flags & 1) != 0;
    const bool stroke = (flags & 2) != 0;
    const float c0 = component(value, 0), c1 = component(value, 8), c2 = component(value, 16),
                c3 = component(value, 24);
    const bool validCoverage = coverage >= 1 && coverage <= 100;
    const char* name = type == 2 ? "CMYK" : type == 3 ? "HIGHLIGHT" : "RGB";
    const char* fillName = type == 2 ? "setOPDFColor()->opdf_setcmykcolorFill()" : "setOPDFColor()->opdf_setrgbcolorFill()";
    const char* strokeName =
        type == 2 ? "setOPDFColor()->opdf_setcmykcolorStroke()" : "setOPDFColor()->opdf_setrgbColorStroke()";
    bool light = true;
    const bool colour = !ini || ini->isColor();
    float r = c0, g = c1, b = c2;
    if (type == 3 && validCoverage) {
        r = r + (1.0f - r) / 100.0f * (100 - coverage);
        g = g + (1.0f - g) / 100.0f * (100 - coverage);
        b = b + (1.0f - b) / 100.0f * (100 - coverage);
    }
    double grey = 0.0;
    if (colour) {
        if (type == 2) {
            light = ((value & 0xFF) >= static_cast<uint32_t>(rl)) && (((value >> 8) & 0xFF) >= static_cast<uint32_t>(gl))
                && (((value >> 16) & 0xFF) >= static_cast<uint32_t>(bl));
        } else {
            auto byteOf = [](float x) { return static_cast<int>(static_cast<uint8_t>(x * 255.0f)); };
            light = byteOf(r) >= rl && byteOf(g) >= gl && byteOf(b) >= bl;
        }
    } else {
        grey = greyOf(type, value, coverage);
        light = grey >= (0.3 * rl + 0.59 * gl + 0.11 * bl) / 255.0;
    }
    if (transparent && (fill || stroke)) {
        if (m_blendMode == 1 && light) {
            m_blendMode = 0;
            opdf_setBlendMode(m_doc, 0);
            checkLibraryError("setOPDFColor()->opdf_setBlendMode(1)");
        } else if (m_blendMode != 1 && !light) {
            m_blendMode = 1;
            opdf_setBlendMode(m_doc, 1);
            checkLibraryError("setOPDFColor()->opdf_setBlendMode(2)");
        }
    }
    if (fill) {
        if (!colour)
            opdf_setgrayFill(m_doc, static_cast<float>(grey));
        else if (type == 2)
            opdf_setcmykcolorFill(m_doc, c3, c2, c1, c0);
        else
            opdf_setrgbcolorFill(m_doc, r, g, b);
        checkLibraryError(fillName);
    }
    if (stroke) {
        if (!colour)
            opdf_setgrayStroke(m_doc, static_cast<float>(grey));
        else if (type == 2)
            opdf_setcmykcolorStroke(m_doc, c3, c2, c1, c0);
        else
            opdf_setrgbColorStroke(m_doc, r, g, b);
        checkLibraryError(strokeName);
    }
    m_colorSpaceName = name;
    return name;
}

void qelPDFVisitor::applyObjectColor(qelGraphicObject* object)
{
    if (!object)
        return;
    int lineType = -1;
    switch (object->kind()) {
    case qelGraphicObject::KIND_LINE:
    case qelGraphicObject::KIND_BOX:
    case qelGraphicObject::KIND_FULL_ARC:
    case qelGraphicObject::KIND_PARTIAL_ARC:
    case qelGraphicObject::KIND_FILLET:
        lineType = static_cast<qelLineObject*>(object)->getLineType();
        break;
    default:
        break;
    }
    applyObjectColor(object, lineType);
}

void qelPDFVisitor::applyObjectColor(qelGraphicObject* object, int lineType)
{
    if (!object)
        return;
    const int space = object->getColorSpace();
    uint32_t value = object->getColorValue();
    if (space == 5)
        value = qelUtils::getOCAColorRGB(value);
    int strokeSpace = space;
    uint32_t strokeValue = value;
    if (lineType == 8) {
        // Invisible lines take the colour of the medium.
        strokeSpace = 5;
        strokeValue = qelUtils::getOCAColorRGB(0xFF08);
    }
    const uint8_t coverage = object->getCoveragePercent();
    const uint8_t spare = object->getShadingPercent();
    if (strokeSpace != m_strokeSpace || strokeValue != m_strokeValue) {
        setOPDFColor(strokeSpace, strokeValue, 2, coverage, spare);
        m_strokeSpace = strokeSpace;
        m_strokeValue = strokeValue;
    }
    if (space != m_fillSpace || value != m_fillValue) {
        setOPDFColor(space, value, 1, coverage, spare);
        m_fillSpace = space;
        m_fillValue = value;
    }
}

void qelPDFVisitor::setAreaEndColor()
{
    setOPDFColor(1, 0, 3, 0, 0);
    m_strokeSpace = m_fillSpace = 1;
    m_strokeValue = m_fillValue = 0;
}

// --- watermark --------------------------------------------------------------------

void qelPDFVisitor::writeWatermark()
{
    qelIni* ini = getOptions();
    if (!ini || !m_doc)
        return;
    const char* text = ini->getWatermarkText();
    if (!text || !*text)
        return;
    const bool transparent = ini->hasSwitch("Transparent");
    if (!transparent) {
        opdf_setBlendMode(m_doc, 1);
        checkLibraryError("writeWatermark()->opdf_setBlendMode(1)");
    }
    writeWatermarkText();
    if (!transparent) {
        opdf_setBlendMode(m_doc, 0);
        checkLibraryError("writeWatermark()->opdf_setBlendMode(2)");
    }
}

void qelPDFVisitor::writeWatermarkText()
{
    qelIni* ini = getOptions();
    const char* text = ini ? ini->getWatermarkText() : nullptr;
    if (!text || !m_doc)
        return;
    opdf_beginText(m_doc);
    checkLibraryError("writeWatermark()->opdf_beginText()");
    setSpecialTextFont(ini->getWatermarkFont(), ini->getWatermarkSize());
    opdf_setrgbColor(m_doc, ini->getWatermarkRed() / 255.0f, ini->getWatermarkGreen() / 255.0f,
                     ini->getWatermarkBlue() / 255.0f);
    checkLibraryError("writeWatermark()->opdf_setrgbColor( 1 )");
    opdf_textAligned(m_doc, getOutputPageWidth() * 0.5f, getOutputPageHeight() * 0.5f,
                     static_cast<float>(ini->getWatermarkAngle()), 4,
                     reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
    checkLibraryError("writeWatermark()->opdf_textAligned( 1 )");
    opdf_setrgbColor(m_doc, 0.0f, 0.0f, 0.0f);
    opdf_endText(m_doc);
    checkLibraryError("writeWatermark()->opdf_endText()");
}

int qelPDFVisitor::setSpecialTextFont(const char* name, int sizeTenths)
{
    if (!m_doc)
        return -1;
    if (m_textScaling != 100.0f) {
        m_textScaling = 100.0f;
        opdf_setHorizontalScaling(m_doc, 100.0f);
    }
    const int rc = opdf_setFont(m_doc, name, "WinAnsiEncoding", sizeTenths / 10.0f, 0, 0, 0, nullptr, nullptr);
    checkLibraryError("writeWatermark()->opdf_setFont()", rc);
    return rc;
}

// Containers and IOCA images are not written yet.
void qelPDFVisitor::writeObjectReference(qelContainerObject*) {}
void qelPDFVisitor::writeContainerData(qelContainerObject*) {}
bool qelPDFVisitor::isImageTypeSupported(int) { return false; }
void qelPDFVisitor::displayIOCAImage(qelImageObject*) {}
void qelPDFVisitor::displayRasterImage(qelImageObject*) {}
void qelPDFVisitor::displayOtherImage(qelImageObject*) {}

// --- geometry helpers ---------------------------------------------------------------

int qelPDFVisitor::pageResolution() const
{
    const qelPageCoordinateTransformer* t = getTransformer();
    const int r = t ? t->getResolution() : 0;
    return r ? r : 240;
}

float qelPDFVisitor::objectScale(const qelGraphicObject* object) const
{
    const int r = object ? object->getResolution() : 0;
    return r ? static_cast<float>(pageResolution()) / r : 1.0f;
}

bool qelPDFVisitor::clampToPage(qelPoint& p) const
{
    const qelPoint before = p;
    p.x = std::min(std::max(p.x, 0.0f), static_cast<float>(getOutputPageWidth()));
    p.y = std::min(std::max(p.y, 0.0f), static_cast<float>(getOutputPageHeight()));
    return p.x != before.x || p.y != before.y;
}

std::string qelPDFVisitor::writeDashArray(const float* entries, int count, int resolution, float scale)
{
    std::string text = "[";
    if (resolution <= 0)
        resolution = 240;
    for (int i = 0; entries && i < count; ++i) {
        char number[48];
        std::snprintf(number, sizeof number, "%f", static_cast<double>(entries[i] * scale * 72.0f / resolution));
        if (i)
            text += ' ';
        text += number;
    }
    text += "]0";
    return text;
}

void qelPDFVisitor::setDash(int lineType, float scale, const char* name)
{
    if (lineType == 8)
        return;
    float pattern[8] = {};
    const int n = (lineType >= 1 && lineType <= 6) ? qelLineObject::getDashPattern(lineType - 1, pattern) : 0;
    const std::string dash = writeDashArray(pattern, n, pageResolution(), scale);
    opdf_setdash(m_doc, dash.c_str());
    checkLibraryError(name);
}

void qelPDFVisitor::strokeSetup(qelLineObject* object, float widthPoints, const char* widthName, const char* dashName)
{
    applyObjectColor(object);
    opdf_setlinewidth(m_doc, widthPoints);
    checkLibraryError(widthName);
    setDash(object->getLineType(), objectScale(object), dashName);
}

void qelPDFVisitor::moveTo(qelPoint p, const char* name)
{
    opdf_moveto(m_doc, p.x, p.y);
    checkLibraryError(name);
}

void qelPDFVisitor::lineTo(qelPoint p, const char* name)
{
    opdf_lineto(m_doc, p.x, p.y);
    checkLibraryError(name);
}

void qelPDFVisitor::finishStroke(qelGraphicObject* object, qelPoint start, qelPoint end, const char* strokeName,
                                 const char* noDashName)
{
    if (!isInArea()) {
        opdf_stroke(m_doc);
        checkLibraryError(strokeName);
        opdf_nodash(m_doc);
        checkLibraryError(noDashName);
    }
    object->setAreaOrigin(0.0f, 0.0f);
    checkPageBounds(start, end, 0, "", object->kind());
}

// --- lines ------------------------------------------------------------------------

void qelPDFVisitor::writeLineObject(qelLineObject* line)
{
    if (!line || !m_doc || line->getRemoved())
        return;
    if (line->getLineType() != qelLineObject::RULE_LINE_TYPE) {
        const float s = objectScale(line);
        (void)s;
        const qelPoint start = computeLinePosition(line, line->getX(), line->getY(), qelPoint{});
        const qelPoint end = computeLinePosition(line, line->getEndPoint().x, line->getEndPoint().y, start);
        drawGocaLine(line, start, end);
        return;
    }
    writeRule(line);
}

void qelPDFVisitor::writeRule(qelLineObject* rule)
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (!t)
        return;
    computeTextPosition(rule);
    if (rule->getLength() == 0.0f && rule->getWidth() == 0.0f)
        return;
    const float s = objectScale(rule);
    const int16_t length = static_cast<int16_t>(static_cast<int>(s * rule->getLength()));
    float w = s * rule->getWidth();
    if (w == 0.0f)
        w = 1.0f;
    applyObjectColor(rule);
    opdf_setlinewidth(m_doc, std::fabs(w) / pageResolution() * 72.0f);
    checkLibraryError("writeLineObject()->opdf_setlinewidth()");
    const float h = w / 2.0f;
    const qelPoint start = t->getPosition();
    const bool horizontal = rule->getHorizontal() != 0;
    if (horizontal)
        t->moveInline(length);
    else
        t->moveBaseline(length);
    const qelPoint stop = t->getPosition();
    t->setPosition(start);
    float dx = 0.0f, dy = 0.0f;
    bool known = true;
    switch (rule->getIAxisOrientation()) {
    case 0: horizontal ? (dy = -h) : (dx = h); break;
    case 90: horizontal ? (dx = -h) : (dy = -h); break;
    case 180: horizontal ? (dy = h) : (dx = -h); break;
    case 270: horizontal ? (dx = h) : (dy = h); break;
    default: known = false; break;
    }
    const qelPoint a = known ? qelPoint{start.x + dx, start.y + dy} : qelPoint{};
    const qelPoint b = known ? qelPoint{stop.x + dx, stop.y + dy} : qelPoint{};
    moveTo(a, "writeLineObject()->opdf_moveto()");
    lineTo(b, "writeLineObject()->opdf_lineto()");
    opdf_stroke(m_doc);
    checkLibraryError("writeLineObject()->opdf_stroke()");
    rule->setAreaOrigin(0.0f, 0.0f);
    checkPageBounds(a, b, 0, horizontal ? "ILine" : "BLine", rule->kind());
}

void qelPDFVisitor::drawGocaLine(qelLineObject* line, qelPoint start, qelPoint end)
{
    if (!line || !m_doc)
        return;
    const float w = objectScale(line) * line->getLineWidth();
    if (w == 0.0f)
        return;
    const int lineType = line->getLineType();
    if (!isInArea()) {
        applyObjectColor(line);
        float points = std::fabs(w);
        if (lineType != 8) {
            points = static_cast<float>(static_cast<int>(points / 10.0f)) == 0.0f ? std::max(points / 10.0f, 1.0f)
                                                                                : points / 10.0f;
        }
        opdf_setlinewidth(m_doc, points);
        checkLibraryError("writeLineObject()->opdf_setlinewidth()");
    }
    bool horizontal = line->getHorizontal() != 0;
    if (static_cast<int>(end.y - start.y) == 0)
        horizontal = true;
    if (static_cast<int>(end.x - start.x) == 0)
        horizontal = false;
    line->setHorizontal(horizontal ? 1 : 0);
    qelLogStream* log = getLog();
    const qelPoint rawStart = start, rawEnd = end;
    if (clampToPage(start) && log && log->anyOf(QEL_LOG_GENERAL))
        log->print("\nWarning! -->GLine starting point(%0.2f, %0.2f) is out of page, so adjusted to (%0.2f, %0.2f)",
                   rawStart.x, rawStart.y, start.x, start.y);
    if (clampToPage(end) && log && log->anyOf(QEL_LOG_GENERAL))
        log->print("\nWarning! -->GLine ending point(%0.2f, %0.2f) is out of page, so adjusted to (%0.2f, %0.2f)",
                   rawEnd.x, rawEnd.y, end.x, end.y);
    if (!isInArea())
        setDash(lineType, objectScale(line), "writeLineObject()->opdf_setdash()");
    if (!line->getContinued())
        moveTo(start, "writeLineObject()->opdf_moveto( 1 )");
    lineTo(end, "writeLineObject()->opdf_lineto( 1 )");
    if (getTransformer())
        getTransformer()->setPosition(start);
    finishStroke(line, start, end, "writeLineObject()->opdf_stroke( 1 )", "writeLineObject()->opdf_nodash( 1 )");
}

// --- boxes ------------------------------------------------------------------------

void qelPDFVisitor::drawBox(qelLineObject* box, qelPoint p1, qelPoint p2, bool rounded, int hRadius, int vRadius,
                            uint8_t drawFlags)
{
    if (!box || !m_doc)
        return;
    const float s = objectScale(box);
    const float w = s * box->getLineWidth();
    if (w == 0.0f)
        return;
    qelLogStream* log = getLog();
    const qelPoint raw1 = p1, raw2 = p2;
    if (clampToPage(p1) && log && log->anyOf(QEL_LOG_GENERAL))
        log->print("\nWarning! -->GBox first corner point(%0.2f, %0.2f) is out of page, so adjusted to (%0.2f, %0.2f)",
                   raw1.x, raw1.y, p1.x, p1.y);
    if (clampToPage(p2) && log && log->anyOf(QEL_LOG_GENERAL))
        log->print(
            "\nWarning! -->GBox diagonal corner point(%0.2f, %0.2f) is out of page, so adjusted to (%0.2f, %0.2f)",
            raw2.x, raw2.y, p2.x, p2.y);
    // Top-left and bottom-right, whichever corners the object names.
    const qelPoint topLeft{std::min(p1.x, p2.x), std::max(p1.y, p2.y)};
    const qelPoint bottomRight{std::max(p1.x, p2.x), std::min(p1.y, p2.y)};
    if (topLeft.x >= bottomRight.x) {
        if (log && log->anyOf(QEL_LOG_LEVEL2))
            log->printLine("Warning! Box Object co ordinates are not valid");
        return;
    }
    if (!isInArea())
        strokeSetup(box, std::fabs(w) / pageResolution() * 72.0f, "writeBoxObject()->opdf_setlinewidth()",
                    "writeLineObject()->opdf_setdash()");
    float hr = s * static_cast<float>(hRadius);
    float vr = s * static_cast<float>(vRadius);
    if (vr == 0.0f)
        vr = hr;
    const qelPoint a = topLeft, b = bottomRight;
    if (rounded && hr != 0.0f) {
        auto curve = [this](float x1, float y1, float x2, float y2, const char* name) {
            opdf_curveto(m_doc, x1, y1, x2, y2, x2, y2);
            checkLibraryError(name);
        };
        moveTo(qelPoint{a.x + hr, b.y}, "writeBox()->opdf_moveto( 1 )");
        lineTo(qelPoint{b.x - hr, b.y}, "writeBox()->opdf_lineto( 1 )");
        curve(b.x, b.y, b.x, b.y + vr, "writeBox()->opdf_curveto(1)");
        lineTo(qelPoint{b.x, a.y - vr}, "writeBox()->opdf_lineto( 2 )");
        curve(b.x, a.y, b.x - hr, a.y, "writeBox()->opdf_curveto(2)");
        lineTo(qelPoint{a.x + hr, a.y}, "writeBox()->opdf_lineto( 3 )");
        curve(a.x, a.y, a.x, a.y - vr, "writeBox()->opdf_curveto(3)");
        lineTo(qelPoint{a.x, b.y + vr}, "writeBox()->opdf_lineto( 4 )");
        curve(a.x, b.y, a.x + hr, b.y, "writeBox()->opdf_curveto(4)");
    } else {
        opdf_rect(m_doc, a.x, a.y, b.x - a.x, b.y - a.y);
        checkLibraryError("writeBox()->opdf_rect(1)");
    }
    if (!isInArea()) {
        if (drawFlags & 0x40) {
            opdf_eofill(m_doc);
            checkLibraryError("writeBoxObject()->opdf_eofill()");
        } else {
            opdf_stroke(m_doc);
            checkLibraryError("writeBoxObject()->opdf_stroke()");
        }
        opdf_nodash(m_doc);
        checkLibraryError("writeBoxObject()->opdf_nodash()");
    }
    box->setAreaOrigin(0.0f, 0.0f);
    checkPageBounds(a, b, 0, "", box->kind());
}

// --- fillets ----------------------------------------------------------------------

void qelPDFVisitor::drawFillet(qelLineObject* fillet, const std::vector<qelPoint>& points)
{
    if (!fillet || !m_doc)
        return;
    qelLogStream* log = getLog();
    const bool warn = log && log->anyOf(QEL_LOG_LEVEL2);
    if (points.empty()) {
        if (warn)
            log->printLine("Warning! No points to draw the fillet curve");
        return;
    }
    if (points.size() == 1) {
        if (warn)
            log->printLine("Warning! Not enough points to complete the fillet curve");
        return;
    }
    const float w = objectScale(fillet) * fillet->getLineWidth();
    if (w == 0.0f)
        return;
    if (!isInArea())
        strokeSetup(fillet, std::fabs(w) / pageResolution() * 72.0f, "writeFilletObject()->opdf_setlinewidth()",
                    "writeFilletObject()->opdf_setdash()");
    const bool continued = fillet->getContinued() != 0;
    if (points.size() == 2) {
        if (warn)
            log->printLine("Warning! Only two points in fillet. Straight line drawn.");
        if (!continued)
            moveTo(points[0], "writeFillet()->opdf_moveto( 1 )");
        lineTo(points[1], "writeFillet()->opdf_lineto( 1 )");
    } else {
        // P1, P2, then the midpoint before each inner point and the point,
        // then the last point: each triple is one quadratic-like cubic.
        std::vector<qelPoint> q;
        q.reserve(points.size() * 2);
        q.push_back(points[0]);
        q.push_back(points[1]);
        for (size_t k = 2; k + 1 < points.size(); ++k) {
            q.push_back(qelPoint{(points[k - 1].x + points[k].x) / 2.0f, (points[k - 1].y + points[k].y) / 2.0f});
            q.push_back(points[k]);
        }
        q.push_back(points.back());
        if (!continued)
            moveTo(q[0], "writeFillet()->opdf_moveto( 2)");
        for (size_t i = 0; i + 2 < q.size(); i += 2) {
            opdf_curveto(m_doc, q[i + 1].x, q[i + 1].y, q[i + 2].x, q[i + 2].y, q[i + 2].x, q[i + 2].y);
            checkLibraryError("writeFillet()->opdf_curveto( 1 )");
        }
    }
    finishStroke(fillet, points.front(), points.back(), "writeFilletObject()->opdf_stroke()",
                 "writeFilletObject()->opdf_nodash()");
}

// --- arcs -------------------------------------------------------------------------

qelPDFVisitor::ArcAxes qelPDFVisitor::arcAxes(int p, int q, int r, int s, float multiplier)
{
    ArcAxes axes;
    axes.rx = static_cast<float>(std::abs(p));
    axes.ry = static_cast<float>(std::abs(q));
    if (p == 0 && q == 0 && r < 0 && s < 0) {
        axes.rx = static_cast<float>(std::abs(s));
        axes.ry = static_cast<float>(std::abs(r));
        axes.rotation = 90;
    } else if (p < 0 && s == 0 && r == 0 && q < 0) {
        axes.rotation = 180;
    } else if (p == 0 && q == 0 && r > 0 && s > 0) {
        axes.rx = static_cast<float>(s);
        axes.ry = static_cast<float>(r);
        axes.rotation = 270;
    }
    axes.rx *= multiplier;
    axes.ry *= multiplier;
    return axes;
}

void qelPDFVisitor::drawFullArc(qelLineObject* arc, qelPoint centre, qelPoint pq, qelPoint rs, float multiplier)
{
    if (!arc || !m_doc)
        return;
    const float s = objectScale(arc);
    const float w = s * arc->getLineWidth();
    if (w == 0.0f)
        return;
    if (!isInArea())
        strokeSetup(arc, std::fabs(w) / pageResolution() * 72.0f, "writeFullArcObject()->opdf_setlinewidth()",
                    "writeFullArcObject()->opdf_setdash()");
    const ArcAxes axes = arcAxes(static_cast<int>(pq.x * s), static_cast<int>(pq.y * s), static_cast<int>(rs.x * s),
                                 static_cast<int>(rs.y * s), multiplier);
    for (int i = 0; i <= 360; ++i) {
        const qelPoint p{static_cast<float>(axes.rx * std::cos(i * kDegree) + centre.x),
                         static_cast<float>(axes.ry * std::sin(i * kDegree) + centre.y)};
        if (i == 0) {
            if (!arc->getContinued())
                moveTo(p, "writeFullArc()->opdf_moveto( 2 )");
            else
                lineTo(p, "writeFullArc()->opdf_lineto( 1 )");
        } else {
            lineTo(p, "writeFullArc()->opdf_lineto( 1 )");
        }
    }
    finishStroke(arc, centre, centre, "writeFullArcObject()->opdf_stroke( 1 )", "writeFullArcObject()->opdf_nodash( 1 )");
}

void qelPDFVisitor::drawPartialArc(qelLineObject* arc, qelPoint centre, qelPoint pq, qelPoint rs, qelPoint startPoint,
                                   float startAngle, float sweepAngle, float multiplier)
{
    if (!arc || !m_doc)
        return;
    const float s = objectScale(arc);
    const float w = s * arc->getLineWidth();
    if (w == 0.0f)
        return;
    if (!isInArea())
        strokeSetup(arc, std::fabs(w) / pageResolution() * 72.0f, "writePartialArcObject()->opdf_setlinewidth()",
                    "writePartialArcObject()->opdf_setdash()");
    const ArcAxes axes = arcAxes(static_cast<int>(pq.x * s), static_cast<int>(pq.y * s), static_cast<int>(rs.x * s),
                                 static_cast<int>(rs.y * s), multiplier);
    const double cr = std::cos(axes.rotation * kDegree);
    const double sr = std::sin(axes.rotation * kDegree);
    const double end = static_cast<double>(startAngle) + sweepAngle;
    const int step = sweepAngle < 0.0f ? -1 : 1;
    moveTo(startPoint, "writePartialArc()->opdf_moveto( 1 )");
    qelPoint last = startPoint;
    // A sweep is at most one turn either way.
    const int limit = 361;
    int count = 0;
    for (int a = static_cast<int>(startAngle); (step > 0 ? a <= end : a >= end) && count < limit; a += step, ++count) {
        const double x0 = axes.rx * std::cos(a * kDegree);
        const double y0 = axes.ry * std::sin(a * kDegree);
        qelPoint p;
        if (axes.rotation == 0) {
            p = qelPoint{static_cast<float>(centre.x + x0), static_cast<float>(centre.y + y0)};
        } else {
            const double xr = cr * x0 - sr * y0;
            const double yr = cr * y0 + sr * x0;
            p = axes.rotation == 180 ? qelPoint{static_cast<float>(centre.x + xr), static_cast<float>(centre.y + yr)}
                                     : qelPoint{static_cast<float>(centre.x + xr), static_cast<float>(centre.y - yr)};
        }
        lineTo(p, "writePartialArc()->opdf_lineto( 1 )");
        last = p;
    }
    if (getTransformer())
        getTransformer()->setPosition(last);
    finishStroke(arc, startPoint, last, "writePartialArcObject()->opdf_stroke( 1 )",
                 "writePartialArcObject()->opdf_nodash( 1 )");
}

// --- markers ----------------------------------------------------------------------

void qelPDFVisitor::drawMarker(qelGraphicObject* marker, int symbol)
{
    if (!marker || !m_doc)
        return;
    if (qelPageCoordinateTransformer* t = getTransformer())
        t->setOrientation(marker->getIAxisOrientation(), marker->getBAxisOrientation());
    const qelPoint c = computeLinePosition(marker, marker->getX(), marker->getY(), qelPoint{});
    const float x = static_cast<float>(static_cast<int>(c.x));
    const float y = static_cast<float>(static_cast<int>(c.y));
    applyObjectColor(marker);
    qelIni* ini = getOptions();
    const int cellWidth = ini ? static_cast<int>(ini->getMarkerWidth()) : 0;
    const int cellHeight = ini ? static_cast<int>(ini->getMarkerHeight()) : 0;
    const float hw = static_cast<float>(cellWidth / 2);
    const float hh = static_cast<float>(cellHeight / 2);
    static const char* const moveNames[] = {"writeMarkerObject()->opdf_moveto( 1 )", "writeMarkerObject()->opdf_moveto( 2 )",
                                            "writeMarkerObject()->opdf_moveto( 3 )", "writeMarkerObject()->opdf_moveto( 4 )"};
    static const char* const lineNames[] = {"writeMarkerObject()->opdf_lineto( 1 )", "writeMarkerObject()->opdf_lineto( 2 )",
                                            "writeMarkerObject()->opdf_lineto( 3 )", "writeMarkerObject()->opdf_lineto( 4 )"};
    int segment = 0;
    auto seg = [&](float x1, float y1, float x2, float y2) {
        const int i = std::min(segment++, 3);
        moveTo(qelPoint{x1, y1}, moveNames[i]);
        lineTo(qelPoint{x2, y2}, lineNames[i]);
    };
    auto diamond = [&]() {
        moveTo(qelPoint{x, y - hh}, moveNames[0]);
        lineTo(qelPoint{x + hw, y}, lineNames[0]);
        lineTo(qelPoint{x, y + hh}, lineNames[1]);
        lineTo(qelPoint{x - hw, y}, lineNames[2]);
        lineTo(qelPoint{x, y - hh}, lineNames[3]);
    };
    auto square = [&]() {
        opdf_rect(m_doc, x - hw, y - hh, 2 * hw, 2 * hh);
        checkLibraryError("writeMarkerObject()->opdf_rect( 1 )");
    };
    auto circle = [&](float r) {
        opdf_circle(m_doc, x, y, r);
        checkLibraryError("writeMarkerObject()->opdf_circle( 1 )");
    };
    auto crossDiagonals = [&]() {
        seg(x - hw, y - hh, x + hw, y + hh);
        seg(x + hw, y - hh, x - hw, y + hh);
    };
    bool filled = false;
    bool drawn = true;
    switch (symbol) {
    case 2:
        seg(x, y - hh, x, y + hh);
        seg(x - hw, y, x + hw, y);
        break;
    case 3: diamond(); break;
    case 4: square(); break;
    case 5:
        crossDiagonals();
        seg(x, y - hh, x, y + hh);
        break;
    case 6:
        seg(x - hw, y, x + hw, y);
        crossDiagonals();
        seg(x, y - hh, x, y + hh);
        break;
    case 7:
        diamond();
        filled = true;
        break;
    case 8:
        square();
        filled = true;
        break;
    case 9:
        circle(static_cast<float>(cellWidth / 4));
        filled = true;
        break;
    case 10: circle(hw); break;
    default:
        if (symbol >= 0 && symbol <= 10)
            crossDiagonals();
        else
            drawn = false;
        break;
    }
    if (drawn) {
        if (filled) {
            opdf_eofillAndStroke(m_doc);
            checkLibraryError("writeMarkerObject()->opdf_eofillAndStroke( 1 )");
        } else {
            opdf_stroke(m_doc);
            checkLibraryError("writeMarkerObject()->opdf_stroke()");
        }
    }
    opdf_nodash(m_doc);
    checkLibraryError("writeMarkerObject()->opdf_nodash()");
}

// --- areas ------------------------------------------------------------------------

void qelPDFVisitor::beginArea(qelGraphicObject* area, int patternSymbol, float lineWidth, int lineType)
{
    if (!area || !m_doc)
        return;
    setInArea(true);
    if (qelLogStream* log = getLog(); log && log->anyOf(QEL_LOG_GENERAL))
        log->print("\n==>BGR Pos=(X:%.2f, Y=%.2f)", area->getX(), area->getY());
    const int space = area->getColorSpace();
    uint32_t value = area->getColorValue();
    if (space == 5)
        value = qelUtils::getOCAColorRGB(value);
    if (value == 0)
        value = 0x838383;
    qelIni* ini = getOptions();
    const bool zeru = ini && ini->hasSwitch("ZERU");
    if (zeru && space == 5 && area->getColorValue() == 15) {
        setOPDFColor(1, 0xB4B4B4, 3, 0, 0);
        m_strokeSpace = m_fillSpace = 1;
        m_strokeValue = m_fillValue = 0xB4B4B4;
        value = 0xB4B4B4;
    } else {
        applyObjectColor(area, lineType);
    }
    opdf_newpath(m_doc);
    checkLibraryError("writeBeginAreaObject()->opdf_newpath()");
    int code = 2;
    uint32_t patternValue = value;
    if (!ini || ini->isColor()) {
        code = space == 2 ? 3 : 2;
    } else {
        const double grey = greyOf(space == 2 ? 2 : 1, value, 0);
        const uint32_t g = static_cast<uint32_t>(std::floor(grey * 255.0 + 0.5)) & 0xFF;
        patternValue = g * 0x010101u;
    }
    if (patternSymbol >= 1 && patternSymbol <= 14) {
        const int rc = opdf_setPredefinedPattern(m_doc, patternSymbol, code, patternValue);
        checkLibraryError("writeBeginAreaObject()->opdf_setPredefinedPattern()", rc);
    }
    opdf_setlinewidth(m_doc, std::fabs(objectScale(area) * lineWidth) / pageResolution() * 72.0f);
    checkLibraryError("writeBeginAreaObject()->opdf_setlinewidth()");
    setDash(lineType, objectScale(area), "writeBeginAreaObject()->opdf_setdash()");
}

void qelPDFVisitor::endArea(int patternSymbol, bool boundary)
{
    if (!isInArea() || !m_doc)
        return;
    setInArea(false);
    opdf_closepath(m_doc);
    checkLibraryError("writeEndAreaObject()->opdf_closepath( 1 )");
    if (patternSymbol == 15) {
        opdf_stroke(m_doc);
        checkLibraryError("writeEndAreaObject()->opdf_stroke( 1 )");
    } else if (boundary) {
        opdf_eofillAndStroke(m_doc);
        checkLibraryError("writeEndAreaObject()->opdf_eofillAndStroke( 1 )");
    } else {
        opdf_eofill(m_doc);
        checkLibraryError("writeEndAreaObject()->opdf_eofill( 1 )");
    }
    opdf_nodash(m_doc);
    checkLibraryError("writeEndAreaObject()->opdf_nodash( 1 )");
    setAreaEndColor();
    logLine(getLog(), QEL_LOG_GENERAL, "\n==>EGR");
}

// --- model objects of the vector family ---------------------------------------------

void qelPDFVisitor::writeBeginAreaObject(qelAreaObject* area)
{
    if (area)
        beginArea(area, area->getPatternSymbol(), area->getLineWidth(), area->getLineType());
}

void qelPDFVisitor::writeEndAreaObject(qelAreaObject* area)
{
    if (area)
        endArea(area->getPatternSymbol(), area->getDrawBoundary() != 0);
}

void qelPDFVisitor::writeBoxObject(qelBoxObject* box)
{
    if (!box)
        return;
    const qelPoint p1 = computeLinePosition(box, box->getFirstCorner().x, box->getFirstCorner().y, qelPoint{});
    const qelPoint p2 = computeLinePosition(box, box->getDiagonalCorner().x, box->getDiagonalCorner().y, p1);
    drawBox(box, p1, p2, box->getRoundedCorners() != 0, box->getEllipseXAxis(), box->getEllipseYAxis(),
            box->getDrawControlFlags());
}

void qelPDFVisitor::writeFilletObject(qelFilletObject* fillet)
{
    if (!fillet)
        return;
    if (qelPageCoordinateTransformer* t = getTransformer())
        t->setOrientation(fillet->getIAxisOrientation(), fillet->getBAxisOrientation());
    std::vector<qelPoint> points;
    qelPoint last;
    for (qelListNode* n = fillet->getPoints() ? fillet->getPoints()->getHead() : nullptr; n; n = n->next) {
        if (const qelPoint* p = static_cast<const qelPoint*>(n->item)) {
            last = computeLinePosition(fillet, p->x, p->y, last);
            points.push_back(last);
        }
    }
    drawFillet(fillet, points);
}

void qelPDFVisitor::writeFullArcObject(qelFullArcObject* arc)
{
    if (!arc)
        return;
    const qelPoint c = computeLinePosition(arc, arc->getCenter().x, arc->getCenter().y, qelPoint{});
    drawFullArc(arc, c, arc->getArcPQ(), arc->getArcRS(), arc->getMultiplier());
}

void qelPDFVisitor::writeMarkerObject(qelMarkerObject* marker)
{
    if (marker)
        drawMarker(marker, marker->getMarkerSymbol());
}

void qelPDFVisitor::writePartialArcObject(qelPartialArcObject* arc)
{
    if (!arc)
        return;
    const qelPoint c = computeLinePosition(arc, arc->getCenter().x, arc->getCenter().y, qelPoint{});
    const qelPoint p0 = computeLinePosition(arc, arc->getStartPoint().x, arc->getStartPoint().y, c);
    drawPartialArc(arc, c, arc->getArcPQ(), arc->getArcRS(), p0, arc->getStartAngle(), arc->getSweepAngle(),
                   arc->getMultiplier());
}

// --- annotations and bookmarks ------------------------------------------------------

qelPDFOutlineTree* qelPDFVisitor::outlineTree()
{
    if (!m_outlines)
        m_outlines.reset(new qelPDFOutlineTree(m_doc));
    return m_outlines.get();
}

void qelPDFVisitor::writeAnnotationObject(qelAnnotationObject* annotation)
{
    if (!annotation || !m_doc || !getTransformer())
        return;
    uint32_t value = annotation->getColorValue();
    if (annotation->getColorSpace() == 5)
        value = qelUtils::getOCAColorRGB(value);
    const float resolution = annotation->getResolution() ? static_cast<float>(annotation->getResolution()) : 240.0f;
    char border[64];
    std::snprintf(border, sizeof border, "[0 0 %f]", static_cast<double>(annotation->getBorderWidth() * 72.0f / resolution));
    PDFAnnotationAttributes style{};
    style.flags = annotation->getFlags();
    style.border = border;
    style.borderStyle = nullptr;
    style.r = component(value, 0);
    style.g = component(value, 8);
    style.b = component(value, 16);
    computeTextPosition(annotation);
    const qelPoint p = getTransformer()->getPosition();
    const float s = static_cast<float>(pageResolution()) / resolution;
    opdf_setActionURL(m_doc, p.x, p.y - annotation->getHeight() * s, p.x + annotation->getWidth() * s, p.y,
                      annotation->getUrl() ? annotation->getUrl() : "", &style);
    checkLibraryError("writeAnnotationObject()->opdf_setActionURL()");
}
