#ifndef QEL_IMAGE_OBJECT_H
#define QEL_IMAGE_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

struct qelImgInfo;

// An image presentation object. Minimal form: the sizes and the prepared
// output data that an including reference lends and takes back; decoding,
// preparation and placement come with the image component.
class qelImageObject : public qelGraphicObject
{
public:
    qelImageObject() = default;
    ~qelImageObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override { setPositionFixed(); }
    void computeBoundingBox() override {}
    int kind() const override { return KIND_IMAGE; }

    int32_t getAreaWidth() const { return m_areaWidth; }
    int32_t getAreaHeight() const { return m_areaHeight; }
    void setAreaSize(int32_t width, int32_t height)
    {
        m_areaWidth = width;
        m_areaHeight = height;
    }
    int32_t getPresentationWidth() const { return m_presentationWidth; }
    int32_t getPresentationHeight() const { return m_presentationHeight; }
    void setPresentationSize(int32_t width, int32_t height)
    {
        m_presentationWidth = width;
        m_presentationHeight = height;
    }
    int32_t getTargetWidth() const { return m_targetWidth; }
    int32_t getTargetHeight() const { return m_targetHeight; }
    void setTargetSize(int32_t width, int32_t height)
    {
        m_targetWidth = width;
        m_targetHeight = height;
    }

    unsigned char* getEncodedData() const { return m_encodedData; }
    int32_t getEncodedLength() const { return m_encodedLength; }
    qelImgInfo* getFormatInfo() const { return m_formatInfo; }
    // Copies the bytes (null clears).
    void setEncodedData(const unsigned char* bytes, int32_t length);
    // Copies the record (null clears); a 1-bit record gets 1 bit per sample
    // and 1 sample per pixel.
    void setFormatInfo(const qelImgInfo* info);
    // Shows prepared data that somebody else owns, in place of its own.
    void lendPrepared(unsigned char* data, int32_t length, qelImgInfo* info);
    // Forgets the prepared data and format without freeing them (they now
    // belong to somebody else).
    void detachPrepared();

private:
    int32_t m_areaWidth = 0;
    int32_t m_areaHeight = 0;
    int32_t m_presentationWidth = 0;
    int32_t m_presentationHeight = 0;
    int32_t m_targetWidth = 0;
    int32_t m_targetHeight = 0;
    unsigned char* m_encodedData = nullptr;
    int32_t m_encodedLength = 0;
    qelImgInfo* m_formatInfo = nullptr;
};

#endif
