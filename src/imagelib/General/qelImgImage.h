#ifndef QEL_IMG_IMAGE_H
#define QEL_IMG_IMAGE_H

class qelString;
struct qelImgInfo;

// A named image with its information record (owned) and colour count.
class qelImgImage
{
public:
    explicit qelImgImage(const char* name);
    virtual ~qelImgImage();
    qelImgImage(const qelImgImage&) = delete;
    qelImgImage& operator=(const qelImgImage&) = delete;

    const char* getName() const;
    // Keeps a copy; null forgets the record.
    void setInfo(const qelImgInfo* info);
    const qelImgInfo* getInfo() const { return m_info; }
    void setColorCount(int count) { m_colorCount = count; }
    int getColorCount() const { return m_colorCount; }

protected:
    qelString* m_name = nullptr;
    qelImgInfo* m_info = nullptr;
    int m_colorCount = 0;
};

#endif
