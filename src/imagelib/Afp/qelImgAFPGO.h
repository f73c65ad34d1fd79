#ifndef QEL_IMG_AFP_GO_H
#define QEL_IMG_AFP_GO_H

#include <cstdint>

class qelImgVisitor;

// An object to be written as AFP.
class qelImgAFPGO
{
public:
    qelImgAFPGO() = default;
    virtual ~qelImgAFPGO() = default;
    qelImgAFPGO(const qelImgAFPGO&) = delete;
    qelImgAFPGO& operator=(const qelImgAFPGO&) = delete;

    virtual int accept(qelImgVisitor* visitor) = 0;

    void setPosition(int16_t x, int16_t y)
    {
        m_x = x;
        m_y = y;
    }
    int16_t getX() const { return m_x; }
    int16_t getY() const { return m_y; }

protected:
    int16_t m_x = 0;
    int16_t m_y = 0;
};

#endif
