#ifndef QEL_IM_IMAGE_PARSER_H
#define QEL_IM_IMAGE_PARSER_H

#include "qelAFPParser.h"
#include "qelObjectDataCollector.h"

#include <cstdint>

class qelImageObject;
class qelList;

// Reads one IM image object, Begin IM Image to End IM Image, into a new
// image object whose raster is held in cells: the raster data of each cell
// (or of the whole image without cells) are collected and become one cell
// at the next cell position or at the end. One instance per process lives
// in the pool.
class qelImImageParser : public qelAFPParser
{
public:
    qelImImageParser();
    ~qelImImageParser() override;

    int getParserType() override { return 11; }

    // Reads the object begun by begin (the current Begin IM Image) from the
    // current input. Returns a new list that does not own its image: the
    // caller frees the list and owns the image.
    qelList* parse(qelSFIBlock* begin);

    // The colour the caller hands in, inherited by an image of default
    // colour; the image's own colour replaces it.
    void setColor(int32_t value, uint32_t kind)
    {
        m_colorValue = value;
        m_colorValueKind = kind;
    }
    // The page's units per inch; parse clears it again (the image keeps
    // a pel scale of 1).
    void setPageResolution(uint16_t value) { m_pageResolution = value; }
    uint16_t getPageResolution() const { return m_pageResolution; }

    void beginImImageObject();
    void endImImageObject();
    void imageOutputControl();
    void imageInputDescriptor();
    void imageCellPosition();
    void imageRasterData();
    void finishCell();
    void addImage(qelList* list);

private:
    struct CellData
    {
        float x = 0.0f;
        float y = 0.0f;
        int32_t width = 0;
        int32_t height = 0;
        int32_t fillWidth = 0;
        int32_t fillHeight = 0;
    };

    bool logs(unsigned int bits) const;
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void warnAt(const char* text);
    void reset();

    qelImageObject* m_image = nullptr;
    uint16_t m_pageResolution = 0;
    uint16_t m_imageColor = 8;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
    CellData m_cell;
    qelObjectDataCollector m_data;
    bool m_rasterPending = false;
};

#endif
