#ifndef QEL_IMG_IO_STREAM_H
#define QEL_IMG_IO_STREAM_H

class qelString;

// Output stream of the image library: encoders write into it, the TIFF
// library reads and writes it through client procedures.
class qelImgIOStream
{
public:
    enum { TYPE_MEMORY = 1, TYPE_FILE = 2, TYPE_TIFF = 3 };

    qelImgIOStream(const char* name, int mode);
    virtual ~qelImgIOStream();
    qelImgIOStream(const qelImgIOStream&) = delete;
    qelImgIOStream& operator=(const qelImgIOStream&) = delete;

    virtual int seek(int offset) = 0;
    virtual int tell() = 0;
    virtual int open() = 0;
    virtual int close() = 0;
    virtual int getChar() = 0;
    virtual int read(void* buffer, unsigned int count) = 0;
    virtual int skip(unsigned int count) = 0;
    virtual int write(const void* data, unsigned int count) = 0;
    virtual int putChar(int c) = 0;
    virtual int getStreamType() = 0;
    // A copy of the written bytes that the caller owns (free() when cHeap,
    // else delete[]); 0 and null when there are none.
    virtual int getBuffer(char** data, unsigned int* size, bool cHeap) = 0;

    const char* getFileName() const;
    int getSize() const { return m_size; }
    int getMode() const { return m_mode; }

protected:
    void reached(int position)
    {
        if (position > m_size)
            m_size = position;
    }

    qelString* m_name = nullptr;
    int m_mode = 0;
    int m_position = 0;
    // The largest position reached by reading or writing.
    int m_size = 0;
};

#endif
