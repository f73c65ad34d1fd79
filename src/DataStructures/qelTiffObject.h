#ifndef QEL_TIFF_OBJECT_H
#define QEL_TIFF_OBJECT_H

#include "qelGraphicObject.h"

class qelString;

// A TIFF file to be placed on the page at the object's position.
class qelTiffObject : public qelGraphicObject
{
public:
    qelTiffObject() = default;
    ~qelTiffObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_TIFF; }

    // The file name or null.
    const char* getFileName() const;
    void setFileName(const char* name);
    qelPoint getSize() const { return m_size; }
    void setSize(qelPoint size) { m_size = size; }

private:
    qelString* m_fileName = nullptr;
    qelPoint m_size;
};

#endif
