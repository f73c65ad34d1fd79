#include "qel/afp/AfpFDSTriplet.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/OutputProfile.h"

namespace qel
{
namespace afp
{

namespace
{

const char* const kWeights[] = {
    "Font Width Not Specified", "Font Width:Ultra-light", "Font Width:Extra-light", "Font Width:Light",
    "Font Width:Semi-light", "Font Width:Medium (normal)", "Font Width:Semi-bold", "Font Width:Bold",
    "Font Width:Extra-bold", "Font Width:Ultra-bold",
};

const char* const kWidths[] = {
    "Width to Height Ratio Not Specified", "Width to Height Ratio: Ultra-condensed ",
    "Width to Height Ratio: Extra-condensed ", "Width to Height Ratio: Condensed ",
    "Width to Height Ratio: Semi-condensed ", "Width to Height Ratio: Medium (normal) ",
    "Width to Height Ratio: Semi-expanded ", "Width to Height Ratio: Expanded ",
    "Width to Height Ratio: Extra-expanded ", "Width to Height Ratio: Ultra-expanded ",
};

} // namespace

FDSTriplet::FDSTriplet(uint16_t verticalSize, uint16_t horizontalSize, uint8_t designFlags, uint8_t weightClass,
                       uint8_t widthClass)
    : m_weightClass(weightClass), m_widthClass(widthClass), m_verticalSize(verticalSize),
      m_horizontalSize(horizontalSize), m_designFlags(designFlags)
{
}

FDSTriplet::FDSTriplet(uint16_t verticalSize, uint16_t horizontalSize, bool italic, bool underscored, bool hollow,
                       bool overstruck, bool proportional, bool kerned, uint8_t weightClass, uint8_t widthClass)
    : m_weightClass(weightClass), m_widthClass(widthClass), m_verticalSize(verticalSize),
      m_horizontalSize(horizontalSize)
{
    uint8_t flags = 0;
    if (italic)
        flags |= ITALIC;
    if (underscored)
        flags |= UNDERSCORED;
    if (hollow)
        flags |= HOLLOW;
    if (overstruck)
        flags |= OVERSTRUCK;
    if (proportional)
        flags |= PROPORTIONAL;
    if (kerned)
        flags |= KERNED;
    if (flags) {
        OutputProfile* profile = DataPool::getInstance()->getOutputProfile();
        const int level = profile ? profile->getLevel() : 0;
        if (level != OutputProfile::LEVEL_IS1 && level != OutputProfile::LEVEL_IS2)
            flags |= MODCA_P_DESIGN;
    }
    m_designFlags = flags;
}

FDSTriplet::~FDSTriplet() = default;

uint8_t FDSTriplet::evaluateLength()
{
    const int level = DataPool::getInstance()->getOutputProfile()->getLevel();
    setLength((level == OutputProfile::LEVEL_IS2 || (m_usageFlags & USAGE_40)) ? 20 : 9);
    return getLength();
}

int FDSTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FDSTriplet::write");
    if (getLength() != 9 && getLength() != 20)
        evaluateLength();
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_weightClass);
    bytes.push_back(m_widthClass);
    put16(bytes, m_verticalSize);
    put16(bytes, m_horizontalSize);
    bytes.push_back(m_designFlags);
    if (getLength() == 20) {
        bytes.insert(bytes.end(), 10, 0x00);
        bytes.push_back(m_usageFlags);
    }
    logInfoText("TRP_FDS Triplet");
    logInfoText(m_weightClass < 10 ? kWeights[m_weightClass] : "Invalid Font Width");
    logInfoText(m_widthClass < 10 ? kWidths[m_widthClass] : "Invalid Width to Height Ratio");
    logInfo("Length of triplet: 0x%X", getLength());
    logInfo("Vertical font size in 1440ths of an inch: %d", m_verticalSize);
    logInfo("Horizontal font size in 1440ths of an inch: %d", m_horizontalSize);
    logInfo("Font Design flags: 0x%X", m_designFlags);
    logInfo("Font use flags: 0x%X", m_usageFlags);
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
