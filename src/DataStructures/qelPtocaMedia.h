#ifndef QEL_PTOCA_MEDIA_H
#define QEL_PTOCA_MEDIA_H

#include "qelMedia.h"

// The media of AFP pages, overlays and graphics resources: binds fonts and
// texts before the includes, and keeps the saved text state of the text
// parser.
class qelPtocaMedia : public qelMedia
{
public:
    qelPtocaMedia();
    ~qelPtocaMedia() override;

    void bind() override;
    // Name of the owning page or resource.
    virtual const char* getName() const = 0;

    void getTextState(int32_t& first, int32_t& second) const
    {
        first = m_textState[0];
        second = m_textState[1];
    }
    void setTextState(int32_t first, int32_t second)
    {
        m_textState[0] = first;
        m_textState[1] = second;
    }

private:
    int32_t m_textState[2] = {0, 0};
};

#endif
