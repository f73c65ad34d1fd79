#ifndef QEL_CX_IMAGE_VERSION_H
#define QEL_CX_IMAGE_VERSION_H

// Version number of our CxImage stand-in, as the version listing prints it.
constexpr double kCxImageVersion = 6.0;

#endif
