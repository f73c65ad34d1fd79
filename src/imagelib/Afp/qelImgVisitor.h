#ifndef QEL_IMG_VISITOR_H
#define QEL_IMG_VISITOR_H

class qelImgAFPImage;
class qelImgAFPIOCAImage;
class qelImgAFPOly;
class qelImgIOStream;
class qelString;
struct qelImgParamValue;

// Writes image library records to an output stream (borrowed) with the
// processor's parameters (borrowed).
class qelImgVisitor
{
public:
    qelImgVisitor() = default;
    qelImgVisitor(qelImgIOStream* stream, qelImgParamValue* params) : m_stream(stream), m_params(params) {}
    virtual ~qelImgVisitor();
    qelImgVisitor(const qelImgVisitor&) = delete;
    qelImgVisitor& operator=(const qelImgVisitor&) = delete;

    virtual int writeComment() = 0;
    virtual int writeOverlay(qelImgAFPOly* overlay) = 0;
    virtual int writeImage(qelImgAFPImage* image) = 0;
    virtual int writeIOCAImage(qelImgAFPIOCAImage* image) = 0;

    // The name of the image the objects come from; a copy, null clears.
    void setInputName(const char* name);
    const char* getInputName() const;

protected:
    qelImgIOStream* m_stream = nullptr;
    qelString* m_inputName = nullptr;
    qelImgParamValue* m_params = nullptr;
};

#endif
