#ifndef QEL_VISITOR_H
#define QEL_VISITOR_H

#include "qelOutputFontRecord.h"
#include "qelPoint.h"

#include <cstdint>

class qelAFPFont;
class qelAFPObject;
class qelAnnotationObject;
class qelAreaObject;
class qelBarcodeObject;
class qelBeginControlObject;
class qelBoxObject;
class qelCell;
class qelContainerObject;
class qelCurveObject;
class qelDocument;
class qelEndControlObject;
class qelException;
class qelFilletObject;
class qelFullArcObject;
class qelGraphicObject;
class qelImageObject;
class qelIni;
class qelLineObject;
class qelList;
class qelLogStream;
class qelImgDIB;
class qelOutputScale;
class qelMappedRes;
class qelMarkerObject;
class qelMFMFile;
class qelNOP;
class qelPage;
class qelPageCoordinateTransformer;
class qelPartialArcObject;
class qelFontRepresentation;
struct qelPDFFontFileEntry;
class qelRes;
class qelResourceReference;
class qelString;
class qelTextObject;
class qelTiffObject;

// Offset of a page's own content, in input units.
struct qelPageOffset
{
    int32_t x = 0;
    int32_t y = 0;
};

// The output interface: the document model calls one operation for each
// thing it meets; every output format is a subclass. The base keeps the
// output bookkeeping and offers geometry helpers to the subclasses.
class qelVisitor
{
public:
    // A page offset coordinate of this value is not set.
    static const int32_t OFFSET_NOT_SET = 0x8000;
    // Font marker value meaning that no font is selected.
    static const int32_t NO_FONT = 256;

    qelVisitor();
    qelVisitor(const qelVisitor&) = delete;
    qelVisitor& operator=(const qelVisitor&) = delete;

    virtual ~qelVisitor();
    virtual void setOutputOption(int value);
    virtual void setDocumentPageCount(int count);
    virtual qelPageOffset setPageOffset(qelPageOffset offset);
    virtual int resetPageOffset();
    virtual void setOutputType(const char* name);
    virtual void setOutputFileName(const char* name);
    virtual void setOutputBuffer(const char* data);
    virtual void setOutputBufferWithLength(const void* data, int length);
    virtual void setOutputBufferSize(int size);
    virtual void setWriteFlags(int value);
    virtual void setPendingException(qelException* exception);
    virtual void setErrorState(bool failed);
    virtual int getOutputOption();
    virtual int getDocumentPageCount();
    virtual qelPageOffset getPageOffset();
    virtual const char* getOutputType();
    virtual const char* getOutputFileName();
    virtual const void* getOutputBuffer();
    virtual int getOutputBufferSize();
    virtual int getWriteFlags();
    virtual void reservedNotify(int value) = 0;
    virtual int getPageCount();
    virtual void initVisitor();
    virtual bool isDocumentOpen() = 0;
    virtual int initializeDoc(qelDocument* document);
    virtual void initializePage(qelPage* page);
    virtual qelPageCoordinateTransformer* getPresentationOrigin() = 0;
    virtual void writeWatermark() = 0;
    virtual int writeResourceReference(qelResourceReference* reference, bool mediumOverlay) = 0;
    virtual int useFontResource(qelMappedRes* resource) = 0;
    virtual int declareResource(qelResourceReference* reference) = 0;
    virtual void writeBeginControlObject(qelBeginControlObject* object);
    virtual void writeEndControlObject(qelEndControlObject* object);
    virtual void reservedHookA(void* argument) = 0;
    virtual void writeCurveObject(qelCurveObject* object) = 0;
    virtual void writeGraphicsLine(float x, float y, bool draw) = 0;
    virtual void reservedHookB(void* argument) = 0;
    virtual void reservedHookC(void* argument) = 0;
    virtual void writeBeginAreaObject(qelAreaObject* object) = 0;
    virtual void writeEndAreaObject(qelAreaObject* object) = 0;
    virtual void writeTextObject(qelTextObject* object) = 0;
    virtual void writeLineObject(qelLineObject* object) = 0;
    virtual void writeImageObject(qelImageObject* object) = 0;
    virtual void writeCellObject(qelCell* object) = 0;
    virtual void writeAFPObject(qelAFPObject* object) = 0;
    virtual void writeBarcodeObject(qelBarcodeObject* object) = 0;
    virtual void writeBoxObject(qelBoxObject* object) = 0;
    virtual void writeFilletObject(qelFilletObject* object) = 0;
    virtual void writeFullArcObject(qelFullArcObject* object) = 0;
    virtual void writeMarkerObject(qelMarkerObject* object) = 0;
    virtual void writePartialArcObject(qelPartialArcObject* object) = 0;
    virtual void writeNOP(qelNOP* nop, bool flag) = 0;
    virtual void writeTiffObject(qelTiffObject* object) = 0;
    virtual void writeContainerObject(qelContainerObject* object);
    virtual void writeObjectReference(qelContainerObject* object) = 0;
    virtual void writeContainerData(qelContainerObject* object) = 0;
    virtual void writeAnnotationObject(qelAnnotationObject* object) = 0;
    virtual void finalizePage() = 0;
    virtual void addDocumentIndex(qelDocument* document) = 0;
    virtual void finalizeDoc();
    virtual void cleanup() = 0;
    virtual bool isImageTypeSupported(int imageType) = 0;
    virtual qelList* getPageSlices(qelPage* page);
    virtual qelList* getPageImageBlocks(qelPage* page);
    virtual void setDefaultFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, bool detailed) = 0;
    virtual void displayIOCAImage(qelImageObject* image) = 0;
    virtual void displayRasterImage(qelImageObject* image) = 0;
    virtual void displayOtherImage(qelImageObject* image) = 0;

    // --- geometry helpers ----------------------------------------------------
    // Places an object's position on the transformer (current position and
    // orientations) and clears the object's area origin.
    void computeTextPosition(qelGraphicObject* object);
    // Page point of (u, v) along a line's axes; coordinates that the line
    // does not set keep the value of point. Also the current position.
    qelPoint computeLinePosition(qelGraphicObject* line, float u, float v, qelPoint point);
    // point * scale + origin, moved by the page offset; the transformer's
    // current position is kept.
    qelPoint transformPoint(float scale, qelPoint origin, qelPoint point);
    // The configured page rotation for a page of the given size.
    int getPageRotation(int pageWidth, int pageHeight);
    // Logs an object that lies outside the page.
    void checkPageBounds(qelPoint start, qelPoint end, int rotation, const char* name, int kind);
    // Samples a cubic curve into writeGraphicsLine; counts below 2 count as 2.
    void sampleCurve(qelPoint p0, qelPoint p1, qelPoint p2, qelPoint p3, int count, bool first);
    // A new bitmap at the scale's size when the bitmap meets its condition
    // (the options' shrink filter for "gt", else the stretch filter); null
    // otherwise.
    qelImgDIB* resizeImage(qelImgDIB* bitmap, qelOutputScale* scale);
    // A new 1-bit bitmap by the options' BWSampler threshold; null for
    // "dither", no threshold or a failure.
    qelImgDIB* applyThreshold(qelImgDIB* bitmap);

    // --- process-wide counters -----------------------------------------------
    static int getOutputCounter();
    static void setOutputCounter(int value);
    // Documents and pages of the current input, kept by the run statistic;
    // the reset adds them to the run totals and starts again from 0.
    static int getProcessedDocuments();
    static int getProcessedPages();
    static void resetRunCounters();

    // --- state for subclasses --------------------------------------------------
    int getDocumentNumber() const { return m_documentNumber; }
    void setDocumentNumber(int n) { m_documentNumber = n; }
    int getPageNumber() const { return m_pageNumber; }
    void setPageNumber(int n) { m_pageNumber = n; }
    void setPageCount(int n) { m_pageCount = n; }
    const char* getDocumentName() const;
    int getCurrentFont() const { return m_currentFont; }
    void setCurrentFont(int marker) { m_currentFont = marker; }
    int getLoggedFont() const { return m_loggedFont; }
    void setLoggedFont(int marker) { m_loggedFont = marker; }
    int getOutputPageWidth() const { return m_pageWidth; }
    int getOutputPageHeight() const { return m_pageHeight; }
    int getOutputResolution() const { return m_outputResolution; }
    void setOutputPageSize(int width, int height, int resolution)
    {
        m_pageWidth = width;
        m_pageHeight = height;
        m_outputResolution = resolution;
    }
    bool isInArea() const { return m_inArea != 0; }
    void setInArea(bool on) { m_inArea = on ? 1 : 0; }
    qelException* getPendingException() const { return m_pendingException; }
    // Hands the pending exception to the caller.
    qelException* takePendingException();
    bool getErrorState() const { return m_errorState != 0; }
    qelPage* getCurrentPage() const { return m_currentPage; }
    qelIni* getOptions() const { return m_options; }
    qelLogStream* getLog() const { return m_log; }
    qelPageCoordinateTransformer* getTransformer() const { return m_transformer; }
    const char* getPageText() const;
    void setPageText(const char* text);
    // Forgets the output buffer without freeing it (the caller took it).
    void releaseOutputBuffer() { m_outputBuffer = nullptr; }
    // Whether initializeDoc and initializePage count for the run statistic;
    // a second engine drawing the same pages does not.
    void setStatisticCounting(bool on) { m_statisticCounting = on ? 1 : 0; }

    // --- object log lines (qelVisitorLogging.cpp); "-->" input, "==>" output ---
    void logColorSpace(const char* spaceName, uint32_t color);
    void logColorValue(int space, uint32_t color);
    void logColor(qelGraphicObject* object);
    void logInputImage(const char* name, float width, float height, float x, float y, float presentationWidth,
                       float presentationHeight, int xResolution, int yResolution, const char* compression,
                       int bitsPerPixel);
    void logOutputImage(const char* name, float width, float height, const char* type, float x, float y,
                        int xResolution, int yResolution, const char* compression);
    void logImagePlacement(const char* name, long width, long height, float x, float y);
    void logInputGraphicsLine(float width, float length, float startX, float startY, float endX, float endY,
                              const char* orientation, int resolution, int lineType);
    void logOutputGraphicsLine(float width, float length, float startX, float startY, float endX, float endY,
                               const char* orientation, int resolution, int lineType);
    void logInputLine(const char* orientation, float width, uint16_t length, float startX, float startY);
    void logOutputLine(qelLineObject* line, qelPoint start);
    void logInputArc(const char* type, qelPoint centre, int resolution, int lineType, int hRadius, int vRadius,
                     int startAngle, int endAngle);
    void logOutputArc(const char* type, qelPoint centre, int resolution, int lineType, int hRadius, int vRadius,
                      int startAngle, int endAngle);
    void logInputMarker(int symbol, qelPoint position, float cellWidth, float cellHeight, int resolution);
    void logOutputMarker(int symbol, qelPoint position, float cellWidth, float cellHeight, int resolution);
    void logInputFillet(qelPoint start, qelPoint end, int resolution, int lineType);
    void logOutputFillet(qelPoint start, qelPoint end, int resolution, int lineType);
    void logInputBox(qelPoint first, qelPoint diagonal, int resolution, int lineType, bool rounded, float xRadius,
                     float yRadius);
    void logOutputBox(qelPoint first, qelPoint diagonal, int resolution, int lineType, bool rounded, float xRadius,
                      float yRadius);
    void logBeginPage(qelPage* page);
    void logEndPage(qelPage* page);
    void logBeginResource(qelRes* resource, qelPoint position, int resolution, bool mediumOverlay);
    void logEndResource(qelRes* resource);
    void logBeginInclude(qelResourceReference* reference);
    void logEndInclude(qelResourceReference* reference);
    void logGraphicsObject(qelGraphicObject* object);
    void logEndGraphicsObject(qelGraphicObject* object);
    void logBarcode(qelBarcodeObject* barcode, qelPoint position);
    void logEndBarcode(qelBarcodeObject* barcode);
    // Logs a suppressed or removed text; true when the text is not to be
    // written.
    bool logText(qelTextObject* text);
    void logTextObject(qelTextObject* text);
    static const char* lineTypeName(int lineType);
    static const char* markerName(int symbol);
    static const char* colorSpaceName(int space);

    // --- text fonts (qelVisitorFonts.cpp) ---
    // Searches the external font directory for the file standing in for a
    // font: 1 found (paths filled), -1 not found (paths emptied). Path
    // buffers hold at least 512 characters.
    int findExternalFontFile(qelAFPFont* font, const char* name, bool bold, bool italic, const qelList* aliases,
                             char* metricsPath, char* fontPath, bool needProgram, int* type, bool skipName);
    // Parses a PFM (type 1 or 2) or TrueType/OpenType (5, 6) file; null for
    // other types or a file that cannot be read. The caller owns the result.
    qelFontRepresentation* loadExternalFont(const char* fileName, int type, bool convert);
    void prepareTextFont(qelTextObject* text, qelAFPFont* font);
    // The code point usage record of the text's font and code page; throws
    // E095 when required and missing.
    qelPDFFontFileEntry* resolveCodePage(qelTextObject* text, qelAFPFont* font, bool required);
    // Whether the text can be drawn with the AFP raster font itself; logs
    // why not. Throws E095 when the font lacks the text's usage record.
    bool resolveTextFont(qelTextObject* text, qelAFPFont* font);
    // With FontMetric on: makes the font's metrics record and the index of
    // the entry's code page in it the visitor's font mapping cache.
    void mapTextFont(qelAFPFont* font, qelMappedRes* entry);
    // Advance of each byte of the text from a width table by code and a
    // metrics record; the total, or -1 when the text cannot be measured.
    // *widthsOut receives a new[] array of one advance per byte.
    float computeTextExtent(qelTextObject* text, const uint16_t* widths, const qelMFMFile* metrics, float** widthsOut,
                            float scale);
    // The font mapping cache: record and index of the current code page.
    qelMFMFile* getMappedFontRecord() const { return static_cast<qelMFMFile*>(m_fontMapRecord); }
    int getMappedCodePageIndex() const { return m_fontMapIndex; }
    bool isTextEmpty(qelTextObject* text, const char* data, int length);
    // 1 visible, -1 suppressed, -2 removed, -3 both; 0 without text.
    int getTextVisibility(qelTextObject* text);

    // The output font chosen for the current text; read by the log.
    qelOutputFontRecord& getOutputFontRecord() { return m_outputFont; }

protected:
    // Writes a trace line of the base to the message output when the
    // options ask for it.
    void trace(const char* line) const;
    void clearPageState();

private:
    // Output name built from the options' name pattern; null when none.
    char* formatBaseName(int pageId, int documentNumber, const char* spoolName) const;
    const char* outputExtension() const;

    qelIni* m_options = nullptr;
    qelLogStream* m_log = nullptr;
    qelPageCoordinateTransformer* m_transformer = nullptr;
    uint8_t m_outputOption = 0;
    int32_t m_pageCount = 0;
    qelString* m_documentName = nullptr;
    int32_t m_documentNumber = 0;
    int32_t m_pageNumber = 0;
    int32_t m_documentPageCount = 0;
    int32_t m_currentFont = NO_FONT;
    int32_t m_loggedFont = NO_FONT;
    int32_t m_lastLoggedColorSpace = 0;
    int32_t m_lastLoggedColor = 0;
    int32_t m_scratch[2] = {0, 0};
    int32_t m_fontMapIndex = 0;
    void* m_fontMapGlyphTable = nullptr;
    void* m_fontMapRecord = nullptr;
    qelPageOffset m_pageOffset;
    qelString* m_pageText = nullptr;
    uint8_t m_inArea = 0;
    int32_t m_pageWidth = 0;
    int32_t m_pageHeight = 0;
    int32_t m_outputResolution = 0;
    int32_t m_outputBufferSize = 0;
    unsigned char* m_outputBuffer = nullptr;
    qelString* m_outputType = nullptr;
    qelString* m_outputFileName = nullptr;
    qelException* m_pendingException = nullptr;
    uint8_t m_errorState = 0;
    qelPage* m_currentPage = nullptr;
    uint8_t m_statisticCounting = 1;
    qelOutputFontRecord m_outputFont;
};

// Font file search in one directory: name + suffix + ".*", files in name
// order; 1 found, -1 not found. Path buffers hold at least 512 characters.
int findFontFileInDirectory(const char* directory, const char* name, const char* suffix, char* metricsPath,
                            char* fontPath, bool needMetrics, bool needProgram, int* type,
                            const char* characterSetName, qelLogStream* log);
// The search with each suffix of a list (of char* texts) until one answers;
// without a list the name alone.
int findFontFileWithSuffixes(const char* directory, const char* name, const qelList* suffixes, char* metricsPath,
                             char* fontPath, bool needMetrics, bool needProgram, int* type,
                             const char* characterSetName, qelLogStream* log);

// Advances of n text bytes: code 0x40 takes the space increment when it is
// not 0; any other code its width * factor (the width of 0x40 when 0) plus
// the character spacing, which the last advance and the total leave out.
float computeTextAdvances(const unsigned char* bytes, int n, const uint16_t* widths, float spaceIncrement,
                          float characterSpacing, float factor, float* advances);

// Size (w, h) fitted into the box (W, H) keeping its aspect ratio.
qelPoint fitSizeKeepingAspect(qelPoint size, qelPoint box);

#endif
