#include "qelImgDIB.h"

#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"

qelImgDIB::~qelImgDIB()
{
    delete[] buffer;
    buffer = nullptr;
    header = nullptr;
    palette = nullptr;
    bits = nullptr;
}

void qelImgDIB::attach(unsigned char* block)
{
    buffer = block;
    header = reinterpret_cast<qelImgDIBHeader*>(block);
    palette = block + header->biSize;
    bits = palette + 4 * qelImgDIBUtils::getColorCount(header->biBitCount);
}
