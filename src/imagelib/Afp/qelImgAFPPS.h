#ifndef QEL_IMG_AFP_PS_H
#define QEL_IMG_AFP_PS_H

class qelImgAFPIOCAImage;
class qelImgVisitor;

// A page segment: one resolution for both directions, a size, and the
// image it holds (owned).
class qelImgAFPPS
{
public:
    qelImgAFPPS() = default;
    virtual ~qelImgAFPPS();
    qelImgAFPPS(const qelImgAFPPS&) = delete;
    qelImgAFPPS& operator=(const qelImgAFPPS&) = delete;

    virtual int accept(qelImgVisitor* visitor) = 0;

    void setResolution(int dpi) { m_resolution = dpi; }
    int getResolution() const { return m_resolution; }
    void setSize(int width, int height)
    {
        m_width = width;
        m_height = height;
    }
    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    // Deletes the image held before.
    void setImage(qelImgAFPIOCAImage* image);
    qelImgAFPIOCAImage* getImage() { return m_image; }

protected:
    int m_resolution = 0;
    int m_width = 0;
    int m_height = 0;
    qelImgAFPIOCAImage* m_image = nullptr;
};

#endif
