#ifndef QEL_IMG_INPUT_STREAM_H
#define QEL_IMG_INPUT_STREAM_H

class qelString;

// Input stream of the image library's decoders.
class qelImgInputStream
{
public:
    explicit qelImgInputStream(const char* name);
    virtual ~qelImgInputStream();
    qelImgInputStream(const qelImgInputStream&) = delete;
    qelImgInputStream& operator=(const qelImgInputStream&) = delete;

    virtual int open() = 0;
    virtual int close() = 0;
    virtual int getChar() = 0;
    virtual int getWord() = 0;
    virtual int read(void* buffer, unsigned int count) = 0;
    virtual int skip(unsigned int count) = 0;
    virtual int getBuffer(char** data, unsigned int* size, int cHeap) = 0;

    const char* getName() const;

protected:
    qelString* m_name = nullptr;
    unsigned int m_position = 0;
    int m_reserved = 0;
};

#endif
