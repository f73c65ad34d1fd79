#ifndef QEL_IMG_AFP_VISITOR_H
#define QEL_IMG_AFP_VISITOR_H

#include "qelImgVisitor.h"

// Writes IOCA images and overlays as MO:DCA. Every failure is thrown as a
// qelImgException pointer.
class qelImgAFPVisitor : public qelImgVisitor
{
public:
    qelImgAFPVisitor() = default;
    qelImgAFPVisitor(qelImgIOStream* stream, qelImgParamValue* params) : qelImgVisitor(stream, params) {}
    // introducer 1 writes X'5A' before every structured field.
    qelImgAFPVisitor(qelImgIOStream* stream, qelImgParamValue* params, int introducer)
        : qelImgVisitor(stream, params), m_introducer(introducer)
    {
    }

    // Up to six No Operation fields; 0 when there is no third text, else 1.
    int writeComment() override;
    int writeOverlay(qelImgAFPOly* overlay) override;
    int writeImage(qelImgAFPImage*) override { return 0; }
    // 1 in wrapper mode, else 0.
    int writeIOCAImage(qelImgAFPIOCAImage* image) override;
    // The image segment, in Image Picture Data fields in wrapper mode.
    int writeBWImageData(qelImgAFPIOCAImage* image);

    void setPageIndex(int index) { m_pageIndex = index; }
    int getPageIndex() const { return m_pageIndex; }
    int getIntroducer() const { return m_introducer; }

    // The IOCA compression byte of a library compression code; -1 for
    // codes an image record cannot carry.
    static int compressionByte(int compression);

private:
    bool wrapperMode() const;

    int m_introducer = 1;
    int m_pageIndex = -1;
};

#endif
