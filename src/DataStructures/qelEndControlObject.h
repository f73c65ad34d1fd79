#ifndef QEL_END_CONTROL_OBJECT_H
#define QEL_END_CONTROL_OBJECT_H

#include "qelGraphicObject.h"

class qelBeginControlObject;

// Closes what the matching begin control object opened.
class qelEndControlObject : public qelGraphicObject
{
public:
    enum { RASTER_BLOCK_END = 0x02, LAST_SUBPATH = 0x08, STROKED = 0x10, FILLED = 0x20, DRAW_BOUNDARY = 0x80,
           CLIP_END = 0x200 };

    qelEndControlObject() { setColorValue(8); }

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_END_CONTROL; }

    int32_t getFlags() const { return m_flags; }
    void addFlags(int32_t bits) { m_flags |= bits; }
    void setClipEndFlags() { m_flags = CLIP_END; }
    // Not owned.
    qelBeginControlObject* getBeginControl() const { return m_beginControl; }
    void setBeginControl(qelBeginControlObject* begin) { m_beginControl = begin; }

private:
    int32_t m_flags = 0;
    qelBeginControlObject* m_beginControl = nullptr;
};

#endif
