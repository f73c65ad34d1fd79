#ifndef QEL_GD_IMAGE_HANDLE_H
#define QEL_GD_IMAGE_HANDLE_H

#include "qelImageHandle.h"

#include <gd.h>

// A gd image, owned.
class qelGDImageHandle : public qelImageHandle
{
public:
    qelGDImageHandle() = default;
    ~qelGDImageHandle() override;
    qelGDImageHandle(const qelGDImageHandle&) = delete;
    qelGDImageHandle& operator=(const qelGDImageHandle&) = delete;

    int getHandleKind() const override { return 0; }
    gdImagePtr getImage() const { return m_image; }
    // Destroys the previous image first.
    void setImage(gdImagePtr image);

private:
    gdImagePtr m_image = nullptr;
};

#endif
