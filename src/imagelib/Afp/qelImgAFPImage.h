#ifndef QEL_IMG_AFP_IMAGE_H
#define QEL_IMG_AFP_IMAGE_H

#include "qelImgAFPGO.h"

// An image: size in pixels, resolution in dots per inch, the bytes of its
// image segment, and optionally a complete image object written instead.
class qelImgAFPImage : public qelImgAFPGO
{
public:
    qelImgAFPImage() = default;
    ~qelImgAFPImage() override;

    int accept(qelImgVisitor* visitor) override;

    void setResolution(int x, int y)
    {
        m_xResolution = x;
        m_yResolution = y;
    }
    int getXResolution() const { return m_xResolution; }
    int getYResolution() const { return m_yResolution; }
    void setSize(int width, int height)
    {
        m_width = width;
        m_height = height;
    }
    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }

    // Stores a copy (none for null or a length below 1), freeing the old one.
    void setImageData(const unsigned char* data, int length);
    const unsigned char* getImageData() const { return m_imageData; }
    int getImageDataLength() const { return m_imageDataLength; }
    void setImageDataLength(int length) { m_imageDataLength = length; }

    void setObjectData(const unsigned char* data, int length);
    const unsigned char* getObjectData() const { return m_objectData; }
    int getObjectDataLength() const { return m_objectDataLength; }
    void setObjectDataLength(int length) { m_objectDataLength = length; }

private:
    static void copy(unsigned char*& target, int& targetLength, const unsigned char* data, int length);

    int m_xResolution = 0;
    int m_yResolution = 0;
    int m_width = 0;
    int m_height = 0;
    unsigned char* m_imageData = nullptr;
    int m_imageDataLength = 0;
    unsigned char* m_objectData = nullptr;
    int m_objectDataLength = 0;
};

#endif
