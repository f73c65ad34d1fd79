#ifndef QEL_IMG_AFP_IOCA_IMAGE_H
#define QEL_IMG_AFP_IOCA_IMAGE_H

#include "qelImgAFPImage.h"

// An IOCA image: the library's compression code (0 none, 1 G3 1D, 2 G3 2D,
// 3 G4, 9 JPEG), bits per pixel, fill order (1: most significant bit
// first) and IOCA recording algorithm.
class qelImgAFPIOCAImage : public qelImgAFPImage
{
public:
    qelImgAFPIOCAImage() = default;

    int accept(qelImgVisitor* visitor) override;

    void setCompression(int c) { m_compression = c; }
    int getCompression() const { return m_compression; }
    void setBitsPerPixel(int b) { m_bitsPerPixel = b; }
    int getBitsPerPixel() const { return m_bitsPerPixel; }
    void setFillOrder(int f) { m_fillOrder = f; }
    int getFillOrder() const { return m_fillOrder; }
    void setRecordingAlgorithm(int r) { m_recordingAlgorithm = r; }
    int getRecordingAlgorithm() const { return m_recordingAlgorithm; }

private:
    int m_compression = 0;
    int m_bitsPerPixel = 1;
    int m_fillOrder = 1;
    int m_recordingAlgorithm = 1;
};

#endif
