#include "qelTiffPage.h"

#include "qelPageWriteSteps.h"
#include "qelTiffObject.h"
#include "qelVisitor.h"

qelTiffPage::qelTiffPage()
{
    setMediaKind(KIND_TIFF_PAGE);
}

qelTiffPage::qelTiffPage(uint32_t unit, int16_t xResolution, int16_t yResolution, uint32_t width, uint32_t height,
                         uint32_t orientation, uint32_t pageNumber)
    : m_unit(unit),
      m_xResolution(xResolution),
      m_yResolution(yResolution),
      m_width(width),
      m_height(height),
      m_orientation(orientation),
      m_pageNumber(pageNumber)
{
    setMediaKind(KIND_TIFF_PAGE);
}

qelTiffPage::~qelTiffPage()
{
    delete m_tiffObject;
}

void qelTiffPage::destroyBody()
{
    qelPage::destroyBody();
}

void qelTiffPage::write(qelVisitor* visitor)
{
    qelPageWriteSteps::trace("[TiffPage]: (Begin): write");
    if (!visitor || isWritten() || !visitor->isDocumentOpen())
        return;
    visitor->initializePage(this);
    visitor->writeTiffObject(m_tiffObject);
    visitor->writeWatermark();
    visitor->finalizePage();
    setWritten(true);
    qelPageWriteSteps::trace("[TiffPage]: (End): write");
}
