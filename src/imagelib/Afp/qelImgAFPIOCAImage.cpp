#include "qelImgAFPIOCAImage.h"

#include "qelImgVisitor.h"

int qelImgAFPIOCAImage::accept(qelImgVisitor* visitor) { return visitor ? visitor->writeIOCAImage(this) : -1; }
