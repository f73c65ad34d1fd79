#ifndef QEL_TIFF_PAGE_H
#define QEL_TIFF_PAGE_H

#include "qelMedia.h"
#include "qelPage.h"

#include <cstdint>

class qelTiffObject;

// A page of TIFF input: the visitor places the current page of the input.
class qelTiffPage : public qelPage, public qelMedia
{
public:
    qelTiffPage();
    qelTiffPage(uint32_t unit, int16_t xResolution, int16_t yResolution, uint32_t width, uint32_t height,
                uint32_t orientation, uint32_t pageNumber);
    ~qelTiffPage() override;

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_TIFF; }
    void destroyBody() override;

    uint32_t getResolutionUnit() const { return m_unit; }
    int16_t getXResolution() const { return m_xResolution; }
    int16_t getYResolution() const { return m_yResolution; }
    uint32_t getPixelWidth() const { return m_width; }
    void setPixelWidth(uint32_t v) { m_width = v; }
    uint32_t getPixelHeight() const { return m_height; }
    void setPixelHeight(uint32_t v) { m_height = v; }
    uint32_t getOrientation() const { return m_orientation; }
    uint32_t getPageNumber() const { return m_pageNumber; }
    qelTiffObject* getTiffObject() const { return m_tiffObject; }

private:
    uint32_t m_unit = 0;
    int16_t m_xResolution = 0;
    int16_t m_yResolution = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_orientation = 0;
    qelTiffObject* m_tiffObject = nullptr;
    uint32_t m_pageNumber = 0;
};

#endif
