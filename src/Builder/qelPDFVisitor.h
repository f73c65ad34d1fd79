#ifndef QEL_PDF_VISITOR_H
#define QEL_PDF_VISITOR_H

#include "qelFontRepresentation.h"
#include "qelPDFOutlineTree.h"
#include "qelPDFFontFileEntry.h"
#include "qelVisitor.h"

#include "opdf.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class qelBarcodeSymbol;
class qelCodePage;
class qelLineObject;
struct qelImgInfo;

// Output visitor of the PDF format: documents of the model become one PDF
// document context of the writer library, page by page. Library errors
// reported through the installed callbacks are thrown after the call that
// raised them (checkLibraryError).
class qelPDFVisitor : public qelVisitor
{
public:
    qelPDFVisitor();
    ~qelPDFVisitor() override;

    // --- visitor operations --------------------------------------------------
    void reservedNotify(int) override {}
    bool isDocumentOpen() override { return m_doc != nullptr; }
    int initializeDoc(qelDocument* document) override;
    void initializePage(qelPage* page) override;
    qelPageCoordinateTransformer* getPresentationOrigin() override;
    void writeWatermark() override;
    int writeResourceReference(qelResourceReference*, bool) override { return 2; }
    int useFontResource(qelMappedRes*) override { return 0; }
    int declareResource(qelResourceReference*) override { return 0; }
    void reservedHookA(void*) override {}
    void writeCurveObject(qelCurveObject*) override {}
    void writeGraphicsLine(float, float, bool) override {}
    void reservedHookB(void*) override {}
    void reservedHookC(void*) override {}
    void writeBeginAreaObject(qelAreaObject* area) override;
    void writeEndAreaObject(qelAreaObject* area) override;
    void writeTextObject(qelTextObject* text) override;
    void writeLineObject(qelLineObject* line) override;
    void writeImageObject(qelImageObject* image) override;
    void writeCellObject(qelCell*) override {}
    void writeAFPObject(qelAFPObject*) override {}
    void writeBarcodeObject(qelBarcodeObject* barcode) override;
    void writeBoxObject(qelBoxObject* box) override;
    void writeFilletObject(qelFilletObject* fillet) override;
    void writeFullArcObject(qelFullArcObject* arc) override;
    void writeMarkerObject(qelMarkerObject* marker) override;
    void writePartialArcObject(qelPartialArcObject* arc) override;
    void writeNOP(qelNOP*, bool) override {}
    void writeTiffObject(qelTiffObject* object) override;
    void writeObjectReference(qelContainerObject* object) override;
    void writeContainerData(qelContainerObject* object) override;
    void writeAnnotationObject(qelAnnotationObject* annotation) override;
    void finalizePage() override;
    void addDocumentIndex(qelDocument*) override {}
    void finalizeDoc() override;
    void cleanup() override;
    bool isImageTypeSupported(int imageType) override;
    void setDefaultFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, bool detailed) override;
    void displayIOCAImage(qelImageObject* image) override;
    void displayRasterImage(qelImageObject* image) override;
    void displayOtherImage(qelImageObject* image) override;

    // --- own virtual operations -----------------------------------------------
    // Opens the document context; -1 while one is open, 1 when opened.
    virtual int createPDFDoc();
    // Passes the options to the open context; -1 without one.
    virtual int initPDFDoc();
    // Sets the fill (flags bit 1) and/or stroke (bit 2) colour of a model
    // colour; returns the colour space name.
    virtual const char* setOPDFColor(int type, uint32_t value, int flags, uint8_t coverage, uint8_t spare);
    // Makes the PDF font of a text current for a rendering mode (0 the AFP
    // font itself, 1 a substitute referenced by name, 2 an embedded one).
    virtual void setAFPFont(qelTextObject* text, qelAFPFont* font, int mode);
    // Font of the watermark text: name and size in tenths of a point.
    virtual int setSpecialTextFont(const char* name, int sizeTenths);
    // An external substitute font through the mapping definition: 1 set, -1
    // not possible.
    virtual int setTextFont(qelTextObject* text, qelAFPFont* font, int mode);

    // --- text output (qelPDFVisitorText.cpp) -------------------------------------
    // Text state flags of beginText: 1 word spacing set, 2 character spacing set.
    int beginText(qelTextObject* text, qelAFPFont* font, int mode);
    void endText(int flags);
    void writeTextUsingAFPFont(qelTextObject* text);
    void writeVSpaceTextUsingAFPFont(qelTextObject* text, qelAFPFont* font);
    void writeTextUsingSub(qelTextObject* text, int mode);
    void writeRotatedText(qelTextObject* text, qelAFPFont* font, const unsigned char* bytes, int count);
    void writeScoreLines(qelTextObject* text, qelAFPFont* font, qelPoint start, qelPoint end);
    void checkAndWriteScore(qelPoint start, qelPoint end, qelAFPFont* font, int angle, bool underscore);
    // Width of a text in page units; -1 without text or document.
    float measureTextWidth(qelTextObject* text);
    // Whether a text of rendering mode 0 is shown with a PDF font made from
    // its AFP font.
    bool rendersWithAFPFont(qelTextObject* text, qelAFPFont* font);

    // The bookmark tree of the open PDF, made on first need.
    qelPDFOutlineTree* outlineTree();
    qelPDFOutlineTree* getOutlineTree() const { return m_outlines.get(); }

    // --- bar codes (qelPDFVisitorBarcode.cpp) --------------------------------------
    void writeLinearBarcode(qelBarcodeObject* barcode);
    void writeBarcodeSymbols(qelBarcodeObject* barcode);
    void write2DDMBarcodeObject(qelBarcodeObject* barcode);
    // Adds the bars of a Code 39 element text at the transformer's position
    // to the path; the total width of the elements in page units. *bars
    // receives the number of bars added.
    float drawBarcodeBars(qelBarcodeObject* barcode, const unsigned char* elements, int count, float moduleWidth,
                          float barHeight, int orientation, float ratio, int* bars);
    // Adds the bar modules ('b') of a Code 128 module text; the number added.
    int drawBarcodeModules(qelBarcodeObject* barcode, const unsigned char* modules, int count, float moduleWidth,
                           float barHeight);
    // The human-readable line of a linear symbol, centred on the width W of
    // its bars (page units).
    void writeBarcodeText(qelBarcodeObject* barcode, qelBarcodeSymbol* symbol, float symbolWidth);

    // --- font selection (qelPDFVisitorFonts.cpp) ---------------------------------
    // What the visitor keeps per code point usage record of a coded font.
    struct FontRecordState
    {
        // 0 nothing chosen, 1 Helvetica fallback, 3 standard font, 4 Type 3
        // font, 6 Type 1, 7 TrueType or OpenType.
        int state = 0;
        // 0 none (AFP font routes), 1 referenced, 2 embedded.
        int embedding = 0;
        std::string baseFont;
        bool bold = false;
        bool italic = false;
        bool light = false;
        std::string outlinePath;
        // External representation (owned by the visitor) or Type 3 one.
        qelFontRepresentation* representation = nullptr;
        std::unique_ptr<qelFontRepresentation> type3;
        // Code count the Type 3 font was built for.
        int type3Count = -1;
        std::vector<uint16_t> widths;
        int widthsCount = -1;
        int widthsRotation = 0;
        std::vector<int32_t> unicodeMap;
        std::string differences;
        int derivedCount = -1;
    };
    FontRecordState& fontState(const qelPDFFontFileEntry* record);
    // The code point usage record of a text for the substitute routes; a
    // font without one (no text bound its codes) gets one of the visitor
    // covering all single-byte codes.
    qelPDFFontFileEntry* substituteRecord(qelTextObject* text, qelAFPFont* font);
    const FontRecordState* findFontState(const qelPDFFontFileEntry* record) const;

    void selectSubstituteFont(qelTextObject* text, qelAFPFont* font, int mode);
    void setType1TTFontForRef(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record, bool standard);
    int setMappedStandardFont(qelTextObject* text, qelAFPFont* font);
    void setStandardFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    void setStandardFontWithWidth(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    void setStandardFontForCodePage(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    void findStandardFontName(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    void setFallbackFontName(qelTextObject* text, qelAFPFont* font);
    void setDefPDFFont();
    void prepareGlyphWidths(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    // Widths of the codes from an MFM metrics file, by the text's code page
    // and character rotation.
    std::vector<uint16_t> getMFMWidths(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    std::vector<uint16_t> getAFPFontWidths(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    void setType3Font(qelTextObject* text, qelAFPFont* font);
    void setOutlineFont(qelTextObject* text, qelAFPFont* font);
    void buildType3Font(qelAFPFont* font, qelTextObject* text);
    void prepareOutlineFont(qelAFPFont* font, qelTextObject* text, qelPDFFontFileEntry* record);
    std::string getOutlineDifferences(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record);
    // Unicode values of the codes first..last (-1 none); empty when there
    // are none.
    std::vector<int32_t> getUnicodeMap(qelAFPFont* font, qelCodePage* codePage, qelPDFFontFileEntry* record);
    void fillFontDescriptor(qelFontRepresentation* representation, PDFFontDescriptor* descriptor);
    void attachExternalFont(qelAFPFont* font, qelPDFFontFileEntry* record, int fontType, const char* key,
                            const char* fontFile);

    // The font filed under a coded font's character set name, else the font.
    static qelAFPFont* findRegisteredFont(qelAFPFont* font);

    qelAFPFont* getCurrentCodedFont() const { return m_currentCodedFont; }
    int getCurrentHeight() const { return m_currentHeight; }
    float getTextScaling() const { return m_textScaling; }

    // --- colours ---------------------------------------------------------------
    void applyObjectColor(qelGraphicObject* object);
    void setAreaEndColor();
    void writeWatermarkText();
    const char* getColorSpaceName() const { return m_colorSpaceName; }
    int getBlendModeState() const { return m_blendMode; }

    // --- geometry shared by the drawing operations -----------------------------
    // Makes a plot domain of pointWidth x pointHeight points over
    // 0..unitWidth x 0..unitHeight page units the current one.
    void createAndSetPlotDomain(float pointWidth, float pointHeight, int unitWidth, int unitHeight);

    // Shapes by their page-independent parameters; the object carries the
    // colour, resolution, orientation, line type and line width.
    void drawGocaLine(qelLineObject* line, qelPoint start, qelPoint end);
    void drawBox(qelLineObject* box, qelPoint firstCorner, qelPoint diagonalCorner, bool rounded, int hRadius,
                 int vRadius, uint8_t drawFlags);
    void drawFillet(qelLineObject* fillet, const std::vector<qelPoint>& points);
    void drawFullArc(qelLineObject* arc, qelPoint centre, qelPoint pq, qelPoint rs, float multiplier);
    void drawPartialArc(qelLineObject* arc, qelPoint centre, qelPoint pq, qelPoint rs, qelPoint startPoint,
                        float startAngle, float sweepAngle, float multiplier);
    void drawMarker(qelGraphicObject* marker, int symbol);
    void beginArea(qelGraphicObject* area, int patternSymbol, float lineWidth, int lineType);
    void endArea(int patternSymbol, bool boundary);

    // Radii and rotation of GOCA arc parameters P, Q, R, S already scaled.
    struct ArcAxes
    {
        float rx = 0.0f;
        float ry = 0.0f;
        int rotation = 0;
    };
    static ArcAxes arcAxes(int p, int q, int r, int s, float multiplier);

    // "[e1 e2 ...]0" with the entries scaled to points; "[]0" without entries.
    static std::string writeDashArray(const float* entries, int count, int pageResolution, float scale);
    // The limits opened for a document of pageCount pages under the options.
    static PDFDocLimits computeDocLimits(const qelIni* options, int pageCount);

    // --- images (qelPDFVisitorImages.cpp) --------------------------------------
    // Kind, placing flags and compression argument of prepared image data.
    struct ImageCoding
    {
        int kind = PDF_IMAGE_RAW;
        unsigned flags = PDF_IMAGE_SAVE;
        int compression = -1;
    };
    // By the information's compression; E018 for codings PDF cannot take.
    static ImageCoding getImageKindAndFlags(const qelImgInfo& info, bool encFlate);
    // The invert flag of 1-bit data in the form it is placed in.
    static unsigned bilevelInvertFlag(int kind, int compression, int photometric);
    // Whether stored data pass through unchanged; E018/E019 for codings
    // that cannot be output at all.
    static bool isImageTypeSupported(const qelImgInfo& info, bool encFlate, bool color, bool qualityGiven);
    // A 1-bit mask over data (not copied); null when it cannot be one.
    static std::unique_ptr<PDFImageMask> makeImageMask(const qelImageObject* image, const qelImgInfo* info,
                                                       const unsigned char* data, long length);

    // Where and how large an image is drawn: x, y in page units (the corner
    // at the PDF image origin once rotated), the drawn size in points.
    struct ImagePlacement
    {
        float x = 0;
        float y = 0;
        float width = 0;
        float height = 0;
    };
    ImagePlacement computeImagePlacement(qelImageObject* image, const qelImgInfo& info);
    // Raster images: stored data passed through, else prepared and placed.
    void writeRasterImage(qelImageObject* image);
    void placePassThroughImage(qelImageObject* image);
    void placeOptimizedImage(qelImageObject* image);

    // Throws what the callbacks reported during the library call `name`.
    static void checkLibraryError(const char* name);
    static void checkLibraryError(const char* name, long rc);

    PDFDocContext* getDocContext() const { return m_doc; }
    int getOutputPageNumber() const { return m_outputPage; }

protected:
    // Scale of an object: page resolution / object resolution.
    float objectScale(const qelGraphicObject* object) const;
    int pageResolution() const;
    // Clamps a point into the page; true when it moved.
    bool clampToPage(qelPoint& p) const;
    void strokeSetup(qelLineObject* object, float widthPoints, const char* widthName, const char* dashName);
    void finishStroke(qelGraphicObject* object, qelPoint start, qelPoint end, const char* strokeName,
                      const char* noDashName);
    void abortOutput();

private:
    // E075 when a write of the document failed.
    void throwWriteError();
    void resetColorState();
    int configuredRotationCode(int width, int height) const;
    void addDocumentComments(qelDocument* document);
    void addPageComments(qelPage* page);
    void paintPageBackground(qelPage* page);
    void freePlotDomain();
    void rememberPageDomain(PDFPlotDomain* previous);
    void restoreCallbacks();
    void applyObjectColor(qelGraphicObject* object, int lineType);
    void lineTo(qelPoint p, const char* name);
    void moveTo(qelPoint p, const char* name);
    void setDash(int lineType, float scale, const char* name);
    void writeRule(qelLineObject* rule);

    PDFDocContext* m_doc = nullptr;
    PDFPlotDomain* m_domain = nullptr;
    PDFPlotDomain* m_savedDomain = nullptr;
    bool m_savedDomainKnown = false;
    PDFGlobalHandler m_savedGlobalError = nullptr;
    PDFErrorHandler m_savedDocError = nullptr;
    PDFGlobalHandler m_savedGlobalWarning = nullptr;
    bool m_callbacksSaved = false;
    bool m_fileOutput = false;
    int m_outputPage = 0;
    int m_documentPage = 0;
    int m_documentPageCount = 0;
    int m_lastResolution = 0;
    int m_strokeSpace = 5;
    uint32_t m_strokeValue = 0;
    int m_fillSpace = 5;
    uint32_t m_fillValue = 0;
    const char* m_colorSpaceName = "RGB";
    float m_textScaling = 100.0f;
    int m_blendMode = 0;
    // Font state of the text output.
    qelAFPFont* m_currentCodedFont = nullptr;
    int m_currentHeight = 100;
    std::string m_currentCodePageName;
    std::map<const qelPDFFontFileEntry*, FontRecordState> m_fontStates;
    std::map<const qelAFPFont*, std::unique_ptr<qelPDFFontFileEntry>> m_ownRecords;
    // External font files loaded for substitution, by their file name.
    std::vector<std::unique_ptr<qelFontRepresentation>> m_externalFonts;
    // Fonts already warned about as substituted for the AFP font route.
    // Data Matrix images of the open PDF by their contents.
    std::map<std::string, std::string> m_barcodeImages;
    // Bookmarks of the open PDF.
    std::unique_ptr<qelPDFOutlineTree> m_outlines;
};

// Name of a standard PDF font for a family, weight ("BOLD" is bold) and
// italic flag; empty when the table has none.
std::string lookupStandardFontName(const char* family, const char* weight, bool italic);

#endif
