#ifndef QEL_RASTER_PAGE_H
#define QEL_RASTER_PAGE_H

#include "qelIPSPage.h"

// A page made from a raster image.
class qelRasterPage : public qelIPSPage
{
public:
    qelRasterPage() { setMediaKind(KIND_RASTER_PAGE); }
    qelRasterPage(int16_t xResolution, int16_t yResolution, uint32_t width, uint32_t height, int32_t rotation,
                  int32_t pageNumber)
        : m_xResolution(xResolution),
          m_yResolution(yResolution),
          m_rotation(rotation),
          m_pageNumber(pageNumber)
    {
        setMediaKind(KIND_RASTER_PAGE);
        setResolution(static_cast<uint16_t>(xResolution));
        setSize(width, height);
    }

    int inputKind() const override { return 7; }
    int16_t getXResolution() const { return m_xResolution; }
    int16_t getYResolution() const { return m_yResolution; }
    int32_t getPageRotation() const { return m_rotation; }
    int32_t getPageNumber() const { return m_pageNumber; }
    int32_t getKindCode() const { return m_kindCode; }
    // Marks the page as made by the raster page parser.
    void setRasterKind() { m_kindCode = 7; }

private:
    int16_t m_xResolution = 0;
    int16_t m_yResolution = 0;
    int32_t m_rotation = 0;
    int32_t m_pageNumber = 0;
    int32_t m_kindCode = 0;
};

#endif
