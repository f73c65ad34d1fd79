#ifndef QEL_AFP_COLOR_SPECIFICATION_TRIPLET_H
#define QEL_AFP_COLOR_SPECIFICATION_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Color Specification (X'4E'), written for RGB (space 1, value X'00BBGGRR')
// and CMYK (space 4, value X'CCMMYYKK') only; other spaces have length 0.
class ColorSpecificationTriplet : public Triplet
{
public:
    enum { SPACE_RGB = 1, SPACE_CMYK = 4 };

    ColorSpecificationTriplet(int32_t colorSpace = 0, uint32_t value = 0);
    ~ColorSpecificationTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x4E; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setColorSpace(int32_t colorSpace);
    void setValue(uint32_t value);
    int32_t getColorSpace() const { return m_colorSpace; }
    uint32_t getValue() const { return m_value; }

private:
    int32_t m_colorSpace;
    uint32_t m_value;
};

} // namespace afp
} // namespace qel

#endif
