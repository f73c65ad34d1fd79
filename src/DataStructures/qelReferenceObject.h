#ifndef QEL_REFERENCE_OBJECT_H
#define QEL_REFERENCE_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

struct qelImgInfo;

// Shows an image object kept elsewhere (not owned) at its own position and
// size. The image data prepared for output on the first write stay here and
// are lent to the image on every later write.
class qelReferenceObject : public qelGraphicObject
{
public:
    explicit qelReferenceObject(qelGraphicObject* referenced = nullptr) : m_referenced(referenced) {}
    ~qelReferenceObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override;
    int kind() const override { return KIND_REFERENCE; }

    qelGraphicObject* getReferencedObject() const { return m_referenced; }
    void setReferencedObject(qelGraphicObject* object) { m_referenced = object; }
    float getPresentationWidth() const { return m_presentationWidth; }
    float getPresentationHeight() const { return m_presentationHeight; }
    void setPresentationSize(float width, float height)
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
    const unsigned char* getPreparedData() const { return m_preparedData; }
    int32_t getPreparedLength() const { return m_preparedLength; }
    const qelImgInfo* getPreparedFormat() const { return m_preparedFormat; }

private:
    qelGraphicObject* m_referenced = nullptr;
    float m_presentationWidth = 0.0f;
    float m_presentationHeight = 0.0f;
    int32_t m_targetWidth = 0;
    int32_t m_targetHeight = 0;
    unsigned char* m_preparedData = nullptr;
    int32_t m_preparedLength = 0;
    qelImgInfo* m_preparedFormat = nullptr;
};

#endif
