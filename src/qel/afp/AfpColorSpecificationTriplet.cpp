#include "qel/afp/AfpColorSpecificationTriplet.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

ColorSpecificationTriplet::ColorSpecificationTriplet(int32_t colorSpace, uint32_t value)
    : m_colorSpace(colorSpace), m_value(value)
{
}

ColorSpecificationTriplet::~ColorSpecificationTriplet() = default;

uint8_t ColorSpecificationTriplet::evaluateLength()
{
    setLength(m_colorSpace == SPACE_RGB || m_colorSpace == SPACE_CMYK ? 16 : 0);
    return getLength();
}

void ColorSpecificationTriplet::setColorSpace(int32_t colorSpace)
{
    logDebug("qel::afp::ColorSpecificationTriplet::setColorSpace ( %d )", colorSpace);
    m_colorSpace = colorSpace;
}

void ColorSpecificationTriplet::setValue(uint32_t value)
{
    logDebug("qel::afp::ColorSpecificationTriplet::setValue( %d )", static_cast<int>(value));
    m_value = value;
}

int ColorSpecificationTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ColorSpecificationTriplet::write");
    if (!dataStream) {
        logDebugText("Stream = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x10, 0x4E, 0x00};
    if (m_colorSpace == SPACE_RGB) {
        bytes.insert(bytes.end(), {0x01, 0, 0, 0, 0, 8, 8, 8, 0});
        bytes.insert(bytes.end(), {static_cast<unsigned char>(m_value & 0xFF),
                                   static_cast<unsigned char>((m_value >> 8) & 0xFF),
                                   static_cast<unsigned char>((m_value >> 16) & 0xFF), 0x00});
    } else if (m_colorSpace == SPACE_CMYK) {
        bytes.insert(bytes.end(), {0x04, 0, 0, 0, 0, 8, 8, 8, 8});
        put32(bytes, m_value);
    } else {
        return -1;
    }
    const bool rgb = m_colorSpace == SPACE_RGB;
    logInfoText("ColorSpecificationTriplet");
    logInfo("Color Space: %s", rgb ? "RGB" : "CMYK");
    for (int i = 1; i <= 4; ++i)
        logInfo("No. of bits in Component %d: 0x%02X", i, (i == 4 && rgb) ? 0u : 8u);
    logInfo("Color value: 0x%08X", m_value);
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
