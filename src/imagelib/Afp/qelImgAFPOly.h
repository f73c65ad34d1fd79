#ifndef QEL_IMG_AFP_OLY_H
#define QEL_IMG_AFP_OLY_H

#include "qelImgAFPPS.h"

class qelString;

// An overlay holding one image.
class qelImgAFPOly : public qelImgAFPPS
{
public:
    qelImgAFPOly() = default;
    ~qelImgAFPOly() override;

    int accept(qelImgVisitor* visitor) override;

    // A copy; null clears.
    void setName(const char* name);
    const char* getName() const;

private:
    qelString* m_name = nullptr;
};

#endif
