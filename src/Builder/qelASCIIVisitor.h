#ifndef QEL_ASCII_VISITOR_H
#define QEL_ASCII_VISITOR_H

#include "qelVisitor.h"

#include <cstdio>
#include <cstdint>
#include <map>
#include <string>

// Plain text output: every page is laid out on a character grid, each text
// run in the cell its position falls into, and written as lines of text to
// a file, the standard output or a memory text. Nothing but text leaves a
// trace.
class qelASCIIVisitor : public qelVisitor
{
public:
    qelASCIIVisitor();
    ~qelASCIIVisitor() override;

    void setDocumentPageCount(int count) override;
    bool isDocumentOpen() override { return m_documentOpen != 0; }
    int initializeDoc(qelDocument* document) override;
    void initializePage(qelPage* page) override;
    qelPageCoordinateTransformer* getPresentationOrigin() override;
    int writeResourceReference(qelResourceReference*, bool) override { return 2; }
    int useFontResource(qelMappedRes*) override { return 0; }
    int declareResource(qelResourceReference*) override { return 0; }
    void writeBeginAreaObject(qelAreaObject*) override { setInArea(true); }
    void writeEndAreaObject(qelAreaObject*) override { setInArea(false); }
    void writeTextObject(qelTextObject* text) override;
    void writeLineObject(qelLineObject* line) override;
    void writeImageObject(qelImageObject* image) override;
    void writeBarcodeObject(qelBarcodeObject* barcode) override;
    void finalizePage() override;
    void cleanup() override;
    bool isImageTypeSupported(int) override { return true; }
    void setDefaultFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, bool detailed) override;

    void reservedNotify(int) override {}
    void writeWatermark() override {}
    void reservedHookA(void*) override {}
    void writeCurveObject(qelCurveObject*) override {}
    void writeGraphicsLine(float, float, bool) override {}
    void reservedHookB(void*) override {}
    void reservedHookC(void*) override {}
    void writeCellObject(qelCell*) override {}
    void writeAFPObject(qelAFPObject*) override {}
    void writeBoxObject(qelBoxObject*) override {}
    void writeFilletObject(qelFilletObject*) override {}
    void writeFullArcObject(qelFullArcObject*) override {}
    void writeMarkerObject(qelMarkerObject*) override {}
    void writePartialArcObject(qelPartialArcObject*) override {}
    void writeNOP(qelNOP*, bool) override {}
    void writeTiffObject(qelTiffObject*) override {}
    void writeObjectReference(qelContainerObject*) override {}
    void writeContainerData(qelContainerObject*) override {}
    void writeAnnotationObject(qelAnnotationObject*) override {}
    void addDocumentIndex(qelDocument*) override {}
    void displayIOCAImage(qelImageObject*) override {}
    void displayRasterImage(qelImageObject*) override {}
    void displayOtherImage(qelImageObject*) override {}

    // Grid cell of a position in output units (current column and row).
    void setCell(int x, int y);
    // Writes a run into the grid from the current cell in a direction.
    void putText(const char* text, int length, int direction);

    int getColumns() const { return m_columns; }
    int getRows() const { return m_rows; }
    int getCellWidth() const { return m_cellWidth; }
    int getCellHeight() const { return m_cellHeight; }
    int getCurrentColumn() const { return m_column; }
    int getCurrentRow() const { return m_row; }
    bool hasOverflow() const { return m_overflow != 0; }
    // Character of a grid cell; a blank where nothing was written.
    char getCell(int row, int column) const;

private:
    // Cell and length of a word written before.
    struct Run
    {
        int32_t row = 0;
        int32_t column = 0;
        int32_t length = 0;
    };
    void writeRun(const char* text, int length, int direction, float advance, const Run* previous = nullptr);
    void keepApart(const Run& previous, int length, int direction);
    // The grid row last written by a run.
    struct RowCursor
    {
        std::string* line = nullptr;
        long rowStart = 0; // index of the row's first cell
    };
    // Cell at a position counted row by row over the whole grid.
    char& cellAt(long index, RowCursor& cursor);
    // Notes the first failed write of the output.
    void writeFailed(int error);

    FILE* m_file = nullptr;
    // The grid holds only the rows text landed on, each as wide as the
    // cells written: a page costs what its text needs, whatever its size.
    std::map<int32_t, std::string> m_grid;
    bool m_pageOpen = false;
    int m_writeError = 0;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
    int16_t m_rotation = 0;
    int32_t m_column = 0;
    int32_t m_row = 0;
    int32_t m_lastBaseline = 0;
    int32_t m_rowTolerance = 0;
    int32_t m_longestLine = 0;
    int32_t m_lineCount = 0;
    uint8_t m_overflow = 0;
    qelString* m_memoryText = nullptr;
    uint8_t m_documentOpen = 0;
    uint8_t m_standardOutput = 0;
};

// Output engine factory of the kernel for text output.
qelVisitor* qelCreateASCIIVisitor(int outputFormat, bool useGd, bool nonCoded);

#endif
