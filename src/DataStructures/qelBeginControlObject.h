#ifndef QEL_BEGIN_CONTROL_OBJECT_H
#define QEL_BEGIN_CONTROL_OBJECT_H

#include "qelGraphicObject.h"

// Opens a figure, a raster block or a clip region; a clipping path holds
// its clip area as content.
class qelBeginControlObject : public qelGraphicObject
{
public:
    enum {
        RASTER_BLOCK = 0x01,
        FIRST_SUBPATH = 0x04,
        STROKED = 0x10,
        FILLED = 0x20,
        DRAW_BOUNDARY = 0x80,
        CLIP = 0x100,
        CLIP_STATE_A = 0x400,
        CLIP_STATE_B = 0x800
    };

    qelBeginControlObject() { setColorValue(8); }
    ~qelBeginControlObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_BEGIN_CONTROL; }

    // Deletes the current content and keeps the given object.
    void setContent(qelGraphicObject* object);
    qelGraphicObject* getContent() const { return m_content; }

    int32_t getFlags() const { return m_flags; }
    void addFlags(int32_t bits) { m_flags |= bits; }
    void toggleFlags(int32_t bits) { m_flags ^= bits; }
    void setClipFlags() { m_flags = CLIP; }

private:
    qelGraphicObject* m_content = nullptr;
    int32_t m_flags = 0;
};

#endif
